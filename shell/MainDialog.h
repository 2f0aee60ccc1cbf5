// The main page: reads install.conf, runs the licence and JVM pages, shows the directory rows and
// option check boxes, and installs the ticked options.
#pragma once

#include "config/InstallConfig.h"
#include "engine/DirectoryTexts.h"
#include "platform/CDialog.h"
#include "platform/Controls.h"
#include "res/resource.h"

#include <vector>

class MainDialog : public CDialog {
public:
    explicit MainDialog(CWnd* parent = nullptr);

    // How many options the page can show and install.
    static constexpr std::size_t kOptionBoxes = InstallConfig::maxOptions;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

    void OnSysCommand(UINT command, LPARAM parameter);
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnInstall();
    void OnBack();
    void OnBrowseDir1();
    void OnBrowseDir2();
    void OnBrowseDir3();
    DECLARE_MESSAGE_MAP()

private:
    void FillDirectoryRow(bool visible, const std::string& caption, const std::string& value, CStatic& label,
        CEdit& edit, CButton& browse);
    void BrowseForDirectory(const std::string& title, CEdit& edit);
    DirectoryTexts CurrentDirectoryTexts() const;

    CButton m_installButton;
    CProgressCtrl m_progress;
    CStatic m_dir3Label;
    CStatic m_dir2Label;
    CStatic m_dir1Label;
    CEdit m_dir3Edit;
    CEdit m_dir2Edit;
    CEdit m_dir1Edit;
    CButton m_dir3Browse;
    CButton m_dir2Browse;
    CButton m_dir1Browse;
    CButton m_optionCheck7;
    CButton m_optionCheck6;
    CButton m_optionCheck5;
    CButton m_optionCheck4;
    CButton m_optionCheck3;
    CButton m_optionCheck2;
    CButton m_optionCheck1;
    HICON m_icon;
    InstallConfig m_config;
    std::vector<CButton*> m_optionChecks;
    bool m_installed = false;
};
