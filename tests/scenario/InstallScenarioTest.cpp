#include "ScenarioFixture.h"

#include "platform/posix/Handles.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace {

class InstallScenario : public Scenario {
protected:
    void SetUp() override
    {
        Scenario::SetUp();
        SeedString(HKEY_LOCAL_MACHINE, kServerKey, "TagsDir", m_root.Path("server\\tags") + "\\");
        m_root.Write("pkg\\examples\\index.cfm", "<cfoutput>hello</cfoutput>");
        m_root.Write("pkg\\examples\\images\\logo.gif", "GIF89a");
    }
};

// The road of one installation: licence, JVM page, main page, Install, restart, Done.
TEST_F(InstallScenario, AJavaPackageIsInstalledFromStartToDone)
{
    WritePackage(JavaPackageConf(), "Terms\nof use\n");
    const std::string tags = m_root.Path("server\\tags") + "\\";
    m_host.OnPage(IDD_LICENSE, [](PageView& page) {
        EXPECT_EQ("Terms\nof use\n", page.Text(IDC_LICENSE_TEXT));
        EXPECT_FALSE(page.Enabled(IDOK));
        page.Click(IDC_LICENSE_AGREE);
        page.Click(IDOK);
    });
    m_host.OnPage(IDD_JVM, [](PageView& page) {
        EXPECT_EQ((std::vector<std::string> {
                      "C:\\jre\\1.2\\bin\\classic\\jvm.dll", "C:\\jre\\1.3\\bin\\hotspot\\jvm.dll" }),
            page.Items(IDC_JVM_LIST));
        EXPECT_EQ("C:\\jre\\1.2\\bin\\classic\\jvm.dll", page.Text(IDC_JVM_PATH));
        page.Select(IDC_JVM_LIST, 1);
        page.Click(IDOK);
    });
    m_host.OnPage(IDD_MAIN, [&](PageView& page) {
        EXPECT_EQ("Sample Tag Pack", page.Caption());
        EXPECT_EQ("Tag folder", page.Text(IDC_DIR1_LABEL));
        EXPECT_EQ(tags, page.Text(IDC_DIR1_EDIT)) << "the default comes from the registry";
        EXPECT_FALSE(page.Visible(IDC_DIR2_EDIT));
        EXPECT_EQ("Copy the examples", page.Text(IDC_OPTION_CHECK1));
        EXPECT_EQ(BST_CHECKED, page.Check(IDC_OPTION_CHECK1));
        EXPECT_EQ(BST_CHECKED, page.Check(IDC_OPTION_CHECK2));
        EXPECT_FALSE(page.Visible(IDC_OPTION_CHECK3));
        EXPECT_EQ(0, page.ProgressPosition(IDC_PROGRESS));
        page.Click(IDC_INSTALL);
        EXPECT_EQ(2, page.ProgressPosition(IDC_PROGRESS));
        EXPECT_EQ("Done", page.Text(IDC_INSTALL));
        EXPECT_TRUE(page.Enabled(IDC_INSTALL));
    });
    m_host.OnPage(IDD_MAIN, [](PageView& page) { page.Click(IDC_INSTALL); });
    m_host.AnswerMessage(IDYES); // create the examples folder
    m_host.AnswerMessage(IDYES); // restart the server

    const std::size_t handlesBefore = posix::OpenHandleCount();
    RunWizard();
    EXPECT_EQ(handlesBefore, posix::OpenHandleCount()) << "the service commands' handles are closed";

    EXPECT_EQ("<cfoutput>hello</cfoutput>", m_root.Read("server\\tags\\examples\\index.cfm"));
    EXPECT_EQ("GIF89a", m_root.Read("server\\tags\\examples\\images\\logo.gif"));
    EXPECT_EQ((std::map<std::string, std::string> {
                  { "Description", "Sample Java tag" }, { "JavaClass", "SampleTag" }, { "Type", "Java" } }),
        ReadStrings(HKEY_LOCAL_MACHINE, kTagsKey + "\\CFX_Sample"));
    const std::map<std::string, std::string> jvm = ReadStrings(HKEY_LOCAL_MACHINE, kJvmKey);
    EXPECT_EQ("C:\\jre\\1.3\\bin\\hotspot\\jvm.dll", jvm.at("JVMPath"));
    EXPECT_EQ("C:\\CFusion\\java\\classes;" + tags + "\\sample.jar", jvm.at("JavaClassPath"))
        << "the class path gains the substituted entry after one semicolon, the edit box's text unchanged";

    ASSERT_EQ(2u, m_host.Messages().size());
    EXPECT_EQ("The folder " + tags + "examples does not exist\nWould you like to create it?",
        m_host.Messages()[0].text);
    EXPECT_EQ("You need to Restart ColdFusion.\nWould you like to do this now?", m_host.Messages()[1].text);
    for (const ShownMessage& message : m_host.Messages()) {
        EXPECT_EQ("test_scenario", message.caption);
        EXPECT_EQ(static_cast<UINT>(MB_YESNO), message.style);
    }
    EXPECT_EQ(
        (std::vector<std::string> { kStopCommand, "sleep 5000", kStartCommand }), m_host.ProcessEvents());
    EXPECT_EQ((std::vector<DWORD> { CREATE_NO_WINDOW, CREATE_NO_WINDOW }), m_host.ProcessFlags());
}

TEST_F(InstallScenario, AFailedCopyStopsAndASecondClickAppliesEverythingAgain)
{
    WritePackage(
        "<OPTION1 TYPE=\"JavaCFX\">\n<OPTION1 TAGNAME=\"CFX_First\">\n"
        "<OPTION2 TYPE=\"Copy\">\n<OPTION2 SOURCE=\"examples\">\n<OPTION2 DEST=\"%DIR1%\\missing\\deeper\">\n"
        "<OPTION3 TYPE=\"ODBC\">\n<OPTION3 DESCRIPTION=\"Never\">\n<DIR1 VISIBLE=\"1\">\n");
    AgreeToLicence();
    m_host.OnPage(IDD_MAIN, [&](PageView& page) {
        page.Type(IDC_DIR1_EDIT, m_root.Path("server"));
        page.Click(IDC_INSTALL);
        EXPECT_EQ(0, page.ProgressPosition(IDC_PROGRESS)) << "the bar goes back to its start";
        EXPECT_EQ("Install >>", page.Text(IDC_INSTALL));
        EXPECT_TRUE(page.Enabled(IDC_INSTALL));
        EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kTagsKey + "\\CFX_First")) << "what was applied stays";
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\ODBC\\ODBC.INI\\Never"));
        // The user declines this time: no engine message, only the abort.
        page.Click(IDC_INSTALL);
        page.Click(IDOK); // "Cancel"
    });
    m_host.AnswerMessage(IDYES);
    m_host.AnswerMessage(IDNO);

    RunWizard();

    const std::string folder = m_root.Path("server\\missing\\deeper");
    EXPECT_EQ((std::vector<std::string> {
                  "The folder " + folder + " does not exist\nWould you like to create it?",
                  "Add Directory Failed!\nYou Cannot create sub directories off parent directories which do "
                  "not exist.",
                  "Setup has been aborted\nPlease Change your settings.",
                  "The folder " + folder + " does not exist\nWould you like to create it?",
                  "Setup has been aborted\nPlease Change your settings.",
              }),
        m_host.MessageTexts());
    EXPECT_EQ(static_cast<UINT>(MB_ICONHAND), m_host.Messages()[1].style);
    EXPECT_EQ(static_cast<UINT>(MB_OK), m_host.Messages()[2].style);
    EXPECT_TRUE(m_host.ProcessEvents().empty());
}

TEST_F(InstallScenario, OnlySevenOptionsAreShownAndInstalled)
{
    std::string conf;
    for (char group = '1'; group <= '9'; ++group)
        conf += std::string("<OPTION") + group + " TYPE=\"JavaCFX\">\n<OPTION" + group + " TAGNAME=\"CFX_"
            + group + "\">\n";
    WritePackage(conf);
    AgreeToLicence();
    m_host.OnPage(IDD_MAIN, [](PageView& page) {
        for (int id = IDC_OPTION_CHECK1; id <= IDC_OPTION_CHECK7; ++id)
            EXPECT_TRUE(page.Visible(id)) << id;
        page.Click(IDC_INSTALL);
        EXPECT_EQ(7, page.ProgressPosition(IDC_PROGRESS));
        page.Click(IDC_INSTALL); // Done
    });
    RunWizard();
    EXPECT_EQ((std::vector<std::string> { "CFX_1", "CFX_2", "CFX_3", "CFX_4", "CFX_5", "CFX_6", "CFX_7" }),
        SubKeyNames(HKEY_LOCAL_MACHINE, kTagsKey));
}

TEST_F(InstallScenario, HiddenTickedOptionsAreInstalledAndUntickedOnesAreNot)
{
    WritePackage(
        "<OPTION1 TYPE=\"JavaCFX\">\n<OPTION1 TAGNAME=\"CFX_Hidden\">\n<OPTION1 VISIBLE=\"0\">\n"
        "<OPTION2 TYPE=\"JavaCFX\">\n<OPTION2 TAGNAME=\"CFX_Unticked\">\n<OPTION2 ENABLED=\"false\">\n"
        "<OPTION3 TYPE=\"JavaCFX\">\n<OPTION3 TAGNAME=\"CFX_TickedByUser\">\n<OPTION3 ENABLED=\"no\">\n");
    AgreeToLicence();
    m_host.OnPage(IDD_MAIN, [](PageView& page) {
        EXPECT_FALSE(page.Visible(IDC_OPTION_CHECK1));
        EXPECT_EQ(BST_CHECKED, page.Check(IDC_OPTION_CHECK1));
        EXPECT_EQ(BST_UNCHECKED, page.Check(IDC_OPTION_CHECK2));
        EXPECT_TRUE(page.Enabled(IDC_OPTION_CHECK2));
        page.Click(IDC_OPTION_CHECK3);
        page.Click(IDC_INSTALL);
        EXPECT_EQ(2, page.ProgressPosition(IDC_PROGRESS));
        page.PressEscape();
    });
    RunWizard();
    EXPECT_EQ((std::vector<std::string> { "CFX_Hidden", "CFX_TickedByUser" }),
        SubKeyNames(HKEY_LOCAL_MACHINE, kTagsKey));
    EXPECT_EQ("C:\\CFusion\\java\\classes", ReadStrings(HKEY_LOCAL_MACHINE, kJvmKey).at("JavaClassPath"))
        << "a package that is not Java leaves the class path alone";
}

TEST_F(InstallScenario, NothingTickedStillEndsAsDoneWithClassPathAndRestartQuestion)
{
    WritePackage("<IS_JAVA VALUE=\"1\">\n<RESTARTCF VALUE=\"1\">\n<CLASSPATH VALUE=\"x.jar\">\n"
                 "<OPTION1 TYPE=\"JavaCFX\">\n<OPTION1 ENABLED=\"0\">\n");
    SeedString(HKEY_LOCAL_MACHINE, kJvmKey, "JavaClassPath", "a.jar;");
    AgreeToLicence();
    AcceptJvmPage();
    m_host.OnPage(IDD_MAIN, [](PageView& page) {
        page.Click(IDC_INSTALL);
        EXPECT_EQ("Done", page.Text(IDC_INSTALL));
        page.Click(IDC_INSTALL);
    });
    m_host.AnswerMessage(IDNO);
    RunWizard();
    EXPECT_EQ("a.jar;x.jar", ReadStrings(HKEY_LOCAL_MACHINE, kJvmKey).at("JavaClassPath"));
    EXPECT_TRUE(m_host.ProcessEvents().empty()) << "No leaves the service alone";
}

TEST_F(InstallScenario, EveryRunOfAJavaPackageAppendsItsClassPathAgain)
{
    WritePackage("<IS_JAVA VALUE=\"1\">\n<CLASSPATH VALUE=\"%DIR1%lib.jar;%DIR2%\">\n<DIR1 VISIBLE=\"1\">\n");
    SeedString(HKEY_LOCAL_MACHINE, kJvmKey, "JVMPath", "C:\\jvm.dll");
    for (int run = 0; run < 2; ++run) {
        AgreeToLicence();
        m_host.AnswerMessage(IDYES); // skip the JVM page
        m_host.OnPage(IDD_MAIN, [](PageView& page) {
            page.Type(IDC_DIR1_EDIT, "C:\\Tags\\");
            page.Click(IDC_INSTALL);
            page.Click(IDC_INSTALL);
        });
        RunWizard();
    }
    EXPECT_EQ("C:\\CFusion\\java\\classes;C:\\Tags\\lib.jar;C:\\Tags\\lib.jar;",
        ReadStrings(HKEY_LOCAL_MACHINE, kJvmKey).at("JavaClassPath"))
        << "the hidden second row adds nothing, a value ending in ';' gains no second one, and nothing "
           "checks for an entry already there";
}

} // namespace
