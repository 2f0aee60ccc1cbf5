#include "shell/MainDialog.h"

#include "config/ConfigParser.h"
#include "engine/PathText.h"
#include "pages/JvmDialog.h"
#include "pages/LicenseDialog.h"
#include "platform/CurrentDirectory.h"
#include "platform/CWinApp.h"
#include "platform/MessageService.h"

namespace {

// The About entry of the system menu.
constexpr UINT kAboutCommand = 0x10;

} // namespace

BEGIN_MESSAGE_MAP(MainDialog, CDialog)
ON_WM_SYSCOMMAND()
ON_WM_PAINT()
ON_WM_QUERYDRAGICON()
ON_BN_CLICKED(IDC_INSTALL, &MainDialog::OnInstall)
ON_BN_CLICKED(IDC_BACK, &MainDialog::OnBack)
ON_BN_CLICKED(IDC_DIR1_BROWSE, &MainDialog::OnBrowseDir1)
ON_BN_CLICKED(IDC_DIR2_BROWSE, &MainDialog::OnBrowseDir2)
ON_BN_CLICKED(IDC_DIR3_BROWSE, &MainDialog::OnBrowseDir3)
END_MESSAGE_MAP()

MainDialog::MainDialog(CWnd* parent)
    : CDialog(IDD_MAIN, parent)
    , m_icon(LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME)))
{ }

void MainDialog::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_INSTALL, m_installButton);
    DDX_Control(pDX, IDC_PROGRESS, m_progress);
    DDX_Control(pDX, IDC_DIR3_LABEL, m_dir3Label);
    DDX_Control(pDX, IDC_DIR2_LABEL, m_dir2Label);
    DDX_Control(pDX, IDC_DIR1_LABEL, m_dir1Label);
    DDX_Control(pDX, IDC_DIR3_EDIT, m_dir3Edit);
    DDX_Control(pDX, IDC_DIR2_EDIT, m_dir2Edit);
    DDX_Control(pDX, IDC_DIR1_EDIT, m_dir1Edit);
    DDX_Control(pDX, IDC_DIR3_BROWSE, m_dir3Browse);
    DDX_Control(pDX, IDC_DIR2_BROWSE, m_dir2Browse);
    DDX_Control(pDX, IDC_DIR1_BROWSE, m_dir1Browse);
    DDX_Control(pDX, IDC_OPTION_CHECK7, m_optionCheck7);
    DDX_Control(pDX, IDC_OPTION_CHECK6, m_optionCheck6);
    DDX_Control(pDX, IDC_OPTION_CHECK5, m_optionCheck5);
    DDX_Control(pDX, IDC_OPTION_CHECK4, m_optionCheck4);
    DDX_Control(pDX, IDC_OPTION_CHECK3, m_optionCheck3);
    DDX_Control(pDX, IDC_OPTION_CHECK2, m_optionCheck2);
    DDX_Control(pDX, IDC_OPTION_CHECK1, m_optionCheck1);
}

BOOL MainDialog::OnInitDialog()
{
    CDialog::OnInitDialog();

    if (HMENU systemMenu = GetSystemMenu(FALSE)) {
        char about[256] = {};
        if (LoadStringA(AfxGetResourceHandle(), IDS_ABOUTBOX, about, sizeof about) > 0) {
            (void)AppendMenuA(systemMenu, MF_SEPARATOR, 0, nullptr);
            (void)AppendMenuA(systemMenu, MF_STRING, kAboutCommand, about);
        }
    }
    SetIcon(m_icon, TRUE);
    SetIcon(m_icon, FALSE);

    // The page stays hidden while the configuration is read and the earlier pages run.
    ShowWindow(SW_HIDE);
    m_installed = false;

    // The package folder's path is read at any length: a deep package folder is still a package.
    ConfigParser parser;
    m_config = parser.parse(CurrentDirectoryFile("install.conf"));
    if (!parser.loaded) {
        AfxMessageBox("Installation Configuration file Required, Aborting Installer", MB_ICONHAND);
        EndDialog(IDCANCEL);
        return TRUE;
    }

    LicenseDialog license(nullptr);
    if (license.DoModal() == IDCANCEL) {
        EndDialog(IDCANCEL);
        return TRUE;
    }
    if (m_config.isJava) {
        JvmDialog jvm(nullptr);
        if (jvm.DoModal() == IDCANCEL) {
            EndDialog(IDCANCEL);
            return TRUE;
        }
    }

    ShowWindow(SW_SHOWNA);
    FillDirectoryRow(m_config.dir1Visible, m_config.getDir1Caption(), m_config.getDir1Value(), m_dir1Label,
        m_dir1Edit, m_dir1Browse);
    FillDirectoryRow(m_config.dir2Visible, m_config.getDir2Caption(), m_config.getDir2Value(), m_dir2Label,
        m_dir2Edit, m_dir2Browse);
    FillDirectoryRow(m_config.dir3Visible, m_config.getDir3Caption(), m_config.getDir3Value(), m_dir3Label,
        m_dir3Edit, m_dir3Browse);
    SetWindowTextA(m_config.getInstallTitle().c_str());

    const ConfigOptionList options = m_config.getOptions();
    m_optionChecks = { &m_optionCheck1, &m_optionCheck2, &m_optionCheck3, &m_optionCheck4, &m_optionCheck5,
        &m_optionCheck6, &m_optionCheck7 };
    for (std::size_t i = 0; i < m_optionChecks.size(); ++i) {
        CButton& check = *m_optionChecks[i];
        if (i < options.size()) {
            const ConfigOption& option = *options[i];
            // A hidden option keeps its tick: it is installed all the same.
            if (!option.visible)
                check.ShowWindow(SW_HIDE);
            check.SetWindowTextA(option.getCaption().c_str());
            check.SetCheck(option.enabled ? BST_CHECKED : BST_UNCHECKED);
        } else {
            check.SetCheck(BST_UNCHECKED);
            check.ShowWindow(SW_HIDE);
        }
    }
    return TRUE;
}

void MainDialog::FillDirectoryRow(bool visible, const std::string& caption, const std::string& value,
    CStatic& label, CEdit& edit, CButton& browse)
{
    if (!visible) {
        browse.ShowWindow(SW_HIDE);
        edit.ShowWindow(SW_HIDE);
        label.ShowWindow(SW_HIDE);
        return;
    }
    const std::string text = DirectoryRowDefault(value);
    edit.SetWindowTextA(text.c_str());
    label.SetWindowTextA(caption.c_str());
}

void MainDialog::OnBack()
{
    ShowWindow(SW_HIDE);
    INT_PTR result;
    if (m_config.isJava) {
        JvmDialog jvm(nullptr);
        result = jvm.DoModal();
    } else {
        LicenseDialog license(nullptr);
        result = license.DoModal();
    }
    if (result == IDCANCEL) {
        EndDialog(IDCANCEL);
        return;
    }
    ShowWindow(SW_SHOW);
}

DirectoryTexts MainDialog::CurrentDirectoryTexts() const
{
    return DirectoryTexts { m_dir1Edit.GetWindowTextA(), m_dir2Edit.GetWindowTextA(),
        m_dir3Edit.GetWindowTextA() };
}
