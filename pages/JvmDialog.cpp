#include "pages/JvmDialog.h"

#include "pages/LicenseDialog.h"
#include "platform/CFileDialog.h"
#include "platform/MessageService.h"
#include "settings/JvmSettings.h"

namespace {

const char kDownloadSite[] = "http://java.sun.com/j2se/";

// "Next >>" stores at most this much of the path box; a longer text is cut.
constexpr int kPathBufferSize = JvmSettings::kMaxPathLength + 1;

} // namespace

BEGIN_MESSAGE_MAP(JvmDialog, CDialog)
ON_BN_CLICKED(IDC_JVM_BROWSE, &JvmDialog::OnBrowse)
ON_BN_CLICKED(IDC_JVM_BACK, &JvmDialog::OnBack)
ON_LBN_SELCHANGE(IDC_JVM_LIST, &JvmDialog::OnSelChangeJvmList)
END_MESSAGE_MAP()

std::string JvmDialog::ConfiguredJvmPath()
{
    return JvmSettings::ConfiguredJvmPath();
}

std::set<std::string> JvmDialog::FindRuntimeLibs()
{
    return JvmSettings::FindRuntimeLibs();
}

bool JvmDialog::SaveJvmPath(const std::string& path)
{
    return JvmSettings::SaveJvmPath(path);
}

void JvmDialog::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_JVM_LIST, m_jvmList);
    DDX_Control(pDX, IDC_JVM_PATH, m_jvmPath);
}

BOOL JvmDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (!ConfiguredJvmPath().empty() && AfxMessageBox(JvmSettings::kSkipQuestion, MB_YESNO) == IDYES) {
        EndDialog(IDOK);
        return TRUE;
    }

    const std::set<std::string> runtimes = FindRuntimeLibs();
    if (runtimes.empty()) {
        const std::string question = std::string("Setup did not find a Sun JVM on this machine.\n"
                                                 "Please download and install the JRE from ")
            + kDownloadSite + "\nWould you like to continue with this installation anyways?";
        if (AfxMessageBox(question.c_str(), MB_YESNO) == IDNO) {
            EndDialog(IDCANCEL);
            return TRUE;
        }
    }
    for (const std::string& runtime : runtimes)
        (void)m_jvmList.SendMessageA(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(runtime.c_str()));
    if (!runtimes.empty()) {
        std::string first;
        m_jvmList.GetText(0, first);
        m_jvmPath.SetWindowTextA(first.c_str());
    }
    return TRUE;
}

void JvmDialog::OnSelChangeJvmList()
{
    const int selection = static_cast<int>(m_jvmList.SendMessageA(LB_GETCURSEL));
    std::string text;
    m_jvmList.GetText(selection, text);
    m_jvmPath.SetWindowTextA(text.c_str());
}

void JvmDialog::OnBrowse()
{
    CFileDialog dialog(TRUE, nullptr, nullptr, OFN_OVERWRITEPROMPT,
        "DLL Files (*.dll)|*.dll|All Files (*.*)|*.*||", nullptr);
    if (dialog.DoModal() == IDOK)
        m_jvmPath.SetWindowTextA(dialog.GetPathName().c_str());
}

void JvmDialog::OnBack()
{
    ShowWindow(SW_HIDE);
    LicenseDialog license(nullptr);
    if (license.DoModal() == IDCANCEL)
        EndDialog(IDCANCEL);
    ShowWindow(SW_SHOW);
}

void JvmDialog::OnOK()
{
    char path[kPathBufferSize] = {};
    m_jvmPath.GetWindowTextA(path, kPathBufferSize);
    JvmSettings::StoreJvmPath(path);
    CDialog::OnOK();
}
