#include "ScenarioFixture.h"

namespace {

using NavigationScenario = Scenario;

TEST_F(NavigationScenario, WithoutInstallConfNoPageIsShown)
{
    m_root.Write("pkg\\license.txt", "terms");
    RunWizard();
    ASSERT_EQ(1u, m_host.Messages().size());
    EXPECT_EQ("Installation Configuration file Required, Aborting Installer", m_host.Messages()[0].text);
    EXPECT_EQ(static_cast<UINT>(MB_ICONHAND), m_host.Messages()[0].style);
    EXPECT_EQ("test_scenario", m_host.Messages()[0].caption);
    EXPECT_TRUE(m_host.Turns().empty());
}

// Cancel, Esc and the close box end the wizard from every page without writing anything.
TEST_F(NavigationScenario, EveryPageCanBeLeftThreeWays)
{
    struct Way {
        const char* name;
        void (*leave)(PageView&);
    } ways[] = {
        { "Cancel", [](PageView& page) { page.Click(page.TemplateId() == IDD_MAIN ? IDOK : IDCANCEL); } },
        { "Esc", [](PageView& page) { page.PressEscape(); } },
        { "close box", [](PageView& page) { page.CloseBox(); } },
    };
    for (const Way& way : ways) {
        for (int leaveOn : { IDD_LICENSE, IDD_JVM, IDD_MAIN }) {
            SCOPED_TRACE(std::string(way.name) + " on page " + std::to_string(leaveOn));
            ResetTestRegistry();
            SeedString(HKEY_LOCAL_MACHINE, kJvmKey, "JavaClassPath", "old");
            SeedString(HKEY_LOCAL_MACHINE, kRuntimesKey + "\\1.3", "RuntimeLib", "C:\\jre\\jvm.dll");
            WritePackage(JavaPackageConf());
            ScriptedHost host;
            if (leaveOn == IDD_LICENSE) {
                host.OnPage(IDD_LICENSE, way.leave);
            } else {
                host.OnPage(IDD_LICENSE, [](PageView& page) {
                    page.Click(IDC_LICENSE_AGREE);
                    page.Click(IDOK);
                });
                if (leaveOn == IDD_JVM) {
                    host.OnPage(IDD_JVM, way.leave);
                } else {
                    host.OnPage(IDD_JVM, [](PageView& page) { page.Click(IDOK); });
                    host.OnPage(IDD_MAIN, way.leave);
                }
            }
            RunWizard();
            EXPECT_EQ("old", ReadStrings(HKEY_LOCAL_MACHINE, kJvmKey).at("JavaClassPath"));
            EXPECT_TRUE(SubKeyNames(HKEY_LOCAL_MACHINE, kTagsKey).empty());
            EXPECT_TRUE(host.Messages().empty());
        }
    }
}

TEST_F(NavigationScenario, WithoutALicenceTheFirstPageIsTheNextOne)
{
    WritePackage(JavaPackageConf(), "");
    AcceptJvmPage();
    m_host.OnPage(IDD_MAIN, [](PageView& page) { page.Click(IDOK); });
    RunWizard();
    EXPECT_EQ((std::vector<int> { IDD_JVM, IDD_MAIN }), m_host.Turns());
}

TEST_F(NavigationScenario, BackRunsTheEarlierPagesAgainAndKeepsTheMainPage)
{
    WritePackage(JavaPackageConf());
    AgreeToLicence();
    AcceptJvmPage();
    m_host.OnPage(IDD_MAIN, [](PageView& page) {
        page.Type(IDC_DIR1_EDIT, "D:\\Typed");
        page.Click(IDC_OPTION_CHECK1);
        page.Click(IDC_BACK);
        // Back here after the JVM page and the licence page ran again.
        EXPECT_TRUE(page.Shown());
        EXPECT_EQ("D:\\Typed", page.Text(IDC_DIR1_EDIT));
        EXPECT_EQ(BST_UNCHECKED, page.Check(IDC_OPTION_CHECK1));
        page.Click(IDOK);
    });
    // The JVM path was stored by the first visit, so the page now offers to skip itself; the
    // user looks at it anyway.
    m_host.AnswerMessage(IDNO);
    m_host.OnPage(IDD_JVM, [](PageView& page) {
        page.Type(IDC_JVM_PATH, "E:\\typed\\jvm.dll");
        page.Click(IDC_JVM_BACK);
        EXPECT_EQ("E:\\typed\\jvm.dll", page.Text(IDC_JVM_PATH)) << "the JVM page keeps its state";
        EXPECT_EQ(2u, page.Items(IDC_JVM_LIST).size());
        page.Click(IDOK);
    });
    m_host.OnPage(IDD_LICENSE, [](PageView& page) {
        EXPECT_FALSE(page.Enabled(IDOK)) << "the agreement is asked for again";
        page.Click(IDC_LICENSE_AGREE);
        page.Click(IDOK);
    });
    RunWizard();
    // The pages reached through "<< Back" run inside the turn that pressed it.
    EXPECT_EQ((std::vector<int> { IDD_LICENSE, IDD_JVM, IDD_MAIN, IDD_JVM, IDD_LICENSE }), m_host.Turns());
    EXPECT_EQ("E:\\typed\\jvm.dll", ReadStrings(HKEY_LOCAL_MACHINE, kJvmKey).at("JVMPath"));
    EXPECT_EQ(1u, m_host.Messages().size());
}

TEST_F(NavigationScenario, BackFromAPackageWithoutJavaLeadsToTheLicence)
{
    WritePackage("<INSTALL_TITLE VALUE=\"Plain\">\n");
    AgreeToLicence();
    m_host.OnPage(IDD_MAIN, [](PageView& page) { page.Click(IDC_BACK); });
    m_host.OnPage(IDD_LICENSE, [](PageView& page) { page.Click(IDCANCEL); });
    RunWizard();
    EXPECT_EQ((std::vector<int> { IDD_LICENSE, IDD_MAIN, IDD_LICENSE }), m_host.Turns())
        << "a cancelled page ends the wizard";
}

TEST_F(NavigationScenario, AnExistingJvmSettingCanBeSkipped)
{
    ResetTestRegistry(); // a machine without Java runtimes, but with a JVM set for the server
    SeedString(HKEY_LOCAL_MACHINE, kJvmKey, "JVMPath", "C:\\kept\\jvm.dll");
    WritePackage(JavaPackageConf());
    AgreeToLicence();
    m_host.AnswerMessage(IDYES);
    m_host.OnPage(IDD_MAIN, [](PageView& page) { page.Click(IDOK); });
    RunWizard();
    EXPECT_EQ((std::vector<int> { IDD_LICENSE, IDD_MAIN }), m_host.Turns());
    EXPECT_EQ((std::vector<std::string> {
                  "Setup Detected that you have already set up a JVM in ColdFusion Administrator\n"
                  "Would you like to Skip this step?" }),
        m_host.MessageTexts())
        << "no runtime question follows a skip, though none are installed";
    EXPECT_EQ("C:\\kept\\jvm.dll", ReadStrings(HKEY_LOCAL_MACHINE, kJvmKey).at("JVMPath"));
}

} // namespace
