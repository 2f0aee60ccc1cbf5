// The main page's folder browsing, About box and minimized icon.
#include "shell/AboutDialog.h"
#include "shell/InstallerApp.h"
#include "shell/MainDialog.h"

namespace {

constexpr UINT kAboutCommand = 0x10;
constexpr UINT kBrowseFlags = BIF_RETURNONLYFSDIRS | BIF_RETURNFSANCESTORS;

} // namespace

void MainDialog::BrowseForDirectory(const std::string& title, CEdit& edit)
{
    // A chosen folder always ends with a backslash; a drive root then ends with two.
    const std::string path = InstallerApp::BrowseForFolder(m_hWnd, title, kBrowseFlags) + "\\";
    if (path.size() > 1)
        edit.SetWindowTextA(path.c_str());
}

void MainDialog::OnBrowseDir1()
{
    BrowseForDirectory(m_config.getDir1Caption(), m_dir1Edit);
}

void MainDialog::OnBrowseDir2()
{
    BrowseForDirectory(m_config.getDir2Caption(), m_dir2Edit);
}

void MainDialog::OnBrowseDir3()
{
    BrowseForDirectory(m_config.getDir3Caption(), m_dir3Edit);
}

void MainDialog::OnSysCommand(UINT command, LPARAM)
{
    if ((command & 0xFFF0) == kAboutCommand) {
        AboutDialog about;
        (void)about.DoModal();
        return;
    }
    Default();
}

void MainDialog::OnPaint()
{
    if (!IsIconic()) {
        Default();
        return;
    }
    PAINTSTRUCT paint {};
    HDC dc = BeginPaint(m_hWnd, &paint);
    (void)SendMessageA(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client {};
    GetClientRect(&client);
    const int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
    (void)DrawIcon(dc, x, y, m_icon);
    (void)EndPaint(m_hWnd, &paint);
}

HCURSOR MainDialog::OnQueryDragIcon()
{
    return m_icon;
}
