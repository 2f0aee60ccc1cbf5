#include "ScenarioFixture.h"

#include "platform/posix/windows/WindowTable.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace {

using MainPageScenario = Scenario;

TEST_F(MainPageScenario, RowsShowTheirDefaultsAndHiddenRowsStayEmpty)
{
    SeedString(HKEY_LOCAL_MACHINE, kServerKey, "TagsDir", "C:\\CFusion\\CustomTags");
    WritePackage(
        "<DIR1 VISIBLE=\"true\">\n<DIR1 CAPTION=\"Tags\">\n"
        "<DIR1 VALUE=\"HKEY_LOCAL_MACHINE\\SOFTWARE\\Allaire\\ColdFusion\\CurrentVersion\\TagsDir\">\n"
        "<DIR2 VISIBLE=\"true\">\n<DIR2 VALUE=\"hkey_local_machine\\SOFTWARE\\x\">\n"
        "<DIR3 VALUE=\"C:\\never shown\">\n<DIR3 CAPTION=\"Hidden\">\n");
    AgreeToLicence();
    m_host.OnPage(IDD_MAIN, [](PageView& page) {
        EXPECT_EQ("Tarnwick", page.Caption()) << "the default title";
        EXPECT_EQ("C:\\CFusion\\CustomTags", page.Text(IDC_DIR1_EDIT));
        EXPECT_EQ("Tags", page.Text(IDC_DIR1_LABEL));
        EXPECT_EQ("hkey_local_machine\\SOFTWARE\\x", page.Text(IDC_DIR2_EDIT))
            << "only HKEY in capitals names the registry";
        EXPECT_EQ("", page.Text(IDC_DIR2_LABEL));
        for (int id : { IDC_DIR3_LABEL, IDC_DIR3_EDIT, IDC_DIR3_BROWSE })
            EXPECT_FALSE(page.Visible(id)) << id;
        EXPECT_EQ("", page.Text(IDC_DIR3_EDIT));
        EXPECT_EQ("Path to a Directory on your web server:", page.Text(IDC_DIR3_LABEL));
        page.Click(IDOK);
    });
    RunWizard();
}

TEST_F(MainPageScenario, BrowsingPutsTheFolderWithATrailingBackslash)
{
    WritePackage("<DIR1 VISIBLE=\"1\">\n<DIR1 CAPTION=\"Tag folder\">\n<DIR1 VALUE=\"typed\">\n<DIR2 "
                 "VISIBLE=\"1\">\n");
    AgreeToLicence();
    m_host.AnswerFolder(std::nullopt);
    m_host.AnswerFolder("D:\\Tags");
    m_host.AnswerFolder("E:\\");
    m_host.AnswerFolder("");
    m_host.OnPage(IDD_MAIN, [](PageView& page) {
        page.Click(IDC_DIR1_BROWSE);
        EXPECT_EQ("typed", page.Text(IDC_DIR1_EDIT)) << "cancelling changes nothing";
        page.Click(IDC_DIR1_BROWSE);
        EXPECT_EQ("D:\\Tags\\", page.Text(IDC_DIR1_EDIT));
        page.Click(IDC_DIR2_BROWSE);
        EXPECT_EQ("E:\\\\", page.Text(IDC_DIR2_EDIT)) << "a drive root gains a second backslash";
        page.Click(IDC_DIR2_BROWSE);
        EXPECT_EQ("E:\\\\", page.Text(IDC_DIR2_EDIT)) << "an item without a path changes nothing";
        page.Click(IDOK);
    });
    RunWizard();
    ASSERT_EQ(4u, m_host.FolderRequests().size());
    EXPECT_EQ("Tag folder", m_host.FolderRequests()[0].title);
    EXPECT_EQ("", m_host.FolderRequests()[2].title);
    EXPECT_EQ(
        static_cast<UINT>(BIF_RETURNONLYFSDIRS | BIF_RETURNFSANCESTORS), m_host.FolderRequests()[0].flags);
    EXPECT_EQ((std::vector<std::string> { "&Can't get folder" }), m_host.MessageTexts());
    EXPECT_EQ(static_cast<UINT>(MB_ICONHAND), m_host.Messages()[0].style);
}

TEST_F(MainPageScenario, TheSystemMenuOpensTheAboutBox)
{
    WritePackage("<INSTALL_TITLE VALUE=\"x\">\n");
    AgreeToLicence();
    m_host.OnPage(IDD_MAIN, [](PageView& page) {
        const posix::Window* window = posix::FindWindowEntry(page.Handle());
        ASSERT_EQ(2u, window->systemMenu.size());
        EXPECT_EQ(0u, window->systemMenu[0].first);
        EXPECT_EQ((std::pair<UINT_PTR, std::string> { 0x10, "&About Tarnwick..." }), window->systemMenu[1]);
        EXPECT_NE(nullptr, window->bigIcon);
        EXPECT_EQ(window->bigIcon, window->smallIcon);
        EXPECT_EQ(
            reinterpret_cast<LRESULT>(window->bigIcon), SendMessageA(page.Handle(), WM_QUERYDRAGICON, 0, 0));
        page.SystemCommand(0x10);
        // Minimized, the page draws its icon in the middle of its client area.
        page.MinimizeAndPaint();
        RECT client {};
        GetClientRect(page.Handle(), &client);
        EXPECT_EQ(window->bigIcon, window->drawnIcon);
        EXPECT_EQ((client.right - 32 + 1) / 2, window->drawnX);
        EXPECT_EQ((client.bottom - 32 + 1) / 2, window->drawnY);
        page.Click(IDOK);
    });
    m_host.OnPage(IDD_ABOUTBOX, [](PageView& page) {
        EXPECT_EQ("About Tarnwick", page.Caption());
        page.Click(IDOK);
    });
    RunWizard();
}

// A package folder deeper than the old fixed buffers still finds its install.conf and licence.
TEST_F(MainPageScenario, ADeepPackageFolderIsStillAPackage)
{
    std::string deep = "pkg";
    while (m_root.Path(deep).size() < 300)
        deep += "\\a-long-folder-name";
    m_root.Write(deep + "\\install.conf", "<INSTALL_TITLE VALUE=\"Deep\">\n");
    m_root.Write(deep + "\\license.txt", "deep terms");
    CurrentDirectoryScope inside(m_root.Host(deep));
    m_host.OnPage(IDD_LICENSE, [](PageView& page) {
        EXPECT_EQ("deep terms", page.Text(IDC_LICENSE_TEXT));
        page.Click(IDC_LICENSE_AGREE);
        page.Click(IDOK);
    });
    m_host.OnPage(IDD_MAIN, [](PageView& page) {
        EXPECT_EQ("Deep", page.Caption());
        page.Click(IDOK);
    });
    RunWizard();
}

// Browsing for a JVM elsewhere must not move the folder that relative package paths start from.
TEST_F(MainPageScenario, BrowsingForAJvmKeepsThePackageFolderCurrent)
{
    m_root.Write("pkg\\examples\\a.txt", "from the package");
    m_root.Write("elsewhere\\jvm.dll", "");
    m_root.Write("elsewhere\\examples\\a.txt", "from elsewhere");
    WritePackage("<IS_JAVA VALUE=\"1\">\n<DIR1 VISIBLE=\"1\">\n"
                 "<OPTION1 TYPE=\"Copy\">\n<OPTION1 SOURCE=\"examples\">\n<OPTION1 DEST=\"%DIR1%\">\n");
    AgreeToLicence();
    m_host.AnswerOpenFile(m_root.Path("elsewhere\\jvm.dll"));
    m_host.OnPage(IDD_JVM, [&](PageView& page) {
        page.Click(IDC_JVM_BROWSE);
        EXPECT_EQ(m_root.Path("elsewhere\\jvm.dll"), page.Text(IDC_JVM_PATH));
        page.Click(IDOK);
    });
    m_host.OnPage(IDD_MAIN, [&](PageView& page) {
        page.Type(IDC_DIR1_EDIT, m_root.Path("server\\tags"));
        page.Click(IDC_INSTALL);
        page.Click(IDC_INSTALL);
    });
    RunWizard();
    EXPECT_EQ("from the package", m_root.Read("server\\tags\\a.txt"));
}

} // namespace
