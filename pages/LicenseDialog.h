// The licence page: shows license.txt of the package folder and lets the user go on only after
// agreeing. Nothing about the choice is stored; the page reports through its DoModal result.
#pragma once

#include "platform/CDialog.h"
#include "platform/Controls.h"
#include "res/resource.h"
#include "settings/LicenseText.h"

#include <string>

class LicenseDialog : public CDialog {
public:
    // DoModal's result when license.txt cannot be opened or read; the page is then never shown.
    static constexpr int kNoLicense = 100;
    static constexpr unsigned kMaxLicenseBytes = ::LicenseText::kMaxBytes;

    explicit LicenseDialog(CWnd* parent = nullptr)
        : CDialog(IDD_LICENSE, parent)
    { }

    using LicenseText = ::LicenseText;
    static LicenseText ReadLicenseText() { return ::ReadLicenseText(); }

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnCancel() override;
    void OnAgree();
    void OnDisagree();
    DECLARE_MESSAGE_MAP()

private:
    CButton m_nextButton;
    CEdit m_licenseText;
};
