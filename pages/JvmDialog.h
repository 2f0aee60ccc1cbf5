// The JVM page: chooses the Java runtime library the server is to use and stores it as the
// server's "JVMPath". Shown only for Java packages.
#pragma once

#include "platform/CDialog.h"
#include "platform/Controls.h"
#include "res/resource.h"

#include <set>
#include <string>

class JvmDialog : public CDialog {
public:
    explicit JvmDialog(CWnd* parent = nullptr)
        : CDialog(IDD_JVM, parent)
    { }

    // The server's current JVM setting; empty when the key or value is absent.
    static std::string ConfiguredJvmPath();
    // The distinct, non-empty "RuntimeLib" paths of the installed runtimes, in byte order.
    static std::set<std::string> FindRuntimeLibs();
    // Stores path as the server's JVM setting; false when the key cannot be opened for writing.
    static bool SaveJvmPath(const std::string& path);

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnBrowse();
    void OnBack();
    void OnSelChangeJvmList();
    DECLARE_MESSAGE_MAP()

private:
    CListBox m_jvmList;
    CEdit m_jvmPath;
};
