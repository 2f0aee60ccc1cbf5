#include "ScenarioFixture.h"

#include "shell/InstallerApp.h"

#include <filesystem>

void Scenario::SetUp()
{
    RegistryTest::SetUp();
    SeedKey(HKEY_LOCAL_MACHINE, kTagsKey);
    SeedKey(HKEY_LOCAL_MACHINE, kServerKey + "\\DataSources");
    SeedKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\ODBC\\ODBC.INI");
    SeedString(HKEY_LOCAL_MACHINE, kJvmKey, "JavaClassPath", "C:\\CFusion\\java\\classes");
    SeedString(
        HKEY_LOCAL_MACHINE, kRuntimesKey + "\\1.3", "RuntimeLib", "C:\\jre\\1.3\\bin\\hotspot\\jvm.dll");
    SeedString(
        HKEY_LOCAL_MACHINE, kRuntimesKey + "\\1.2", "RuntimeLib", "C:\\jre\\1.2\\bin\\classic\\jvm.dll");
    std::filesystem::create_directories(m_root.Host("pkg"));
    std::filesystem::create_directories(m_root.Host("server\\tags"));
    m_inPackage = std::make_unique<CurrentDirectoryScope>(m_root.Host("pkg"));
}

void Scenario::TearDown()
{
    m_inPackage.reset();
    RegistryTest::TearDown();
}

void Scenario::WritePackage(const std::string& installConf, const std::string& license)
{
    m_root.Write("pkg\\install.conf", installConf);
    if (!license.empty())
        m_root.Write("pkg\\license.txt", license);
}

void Scenario::RunWizard()
{
    InstallerApp app;
    EXPECT_FALSE(app.InitInstance());
}

void Scenario::AgreeToLicence()
{
    m_host.OnPage(IDD_LICENSE, [](PageView& page) {
        page.Click(IDC_LICENSE_AGREE);
        page.Click(IDOK);
    });
}

void Scenario::AcceptJvmPage()
{
    m_host.OnPage(IDD_JVM, [](PageView& page) { page.Click(IDOK); });
}

std::string JavaPackageConf()
{
    return "<INSTALL_TITLE VALUE=\"Sample Tag Pack\">\n"
           "<IS_JAVA VALUE=\"true\">\n"
           "<CLASSPATH VALUE=\"%DIR1%\\sample.jar\">\n"
           "<RESTARTCF VALUE=\"yes\">\n"
           "<DIR1 VISIBLE=\"true\">\n"
           "<DIR1 CAPTION=\"Tag folder\">\n"
           "<DIR1 VALUE=\"HKEY_LOCAL_MACHINE\\SOFTWARE\\Allaire\\ColdFusion\\CurrentVersion\\TagsDir\">\n"
           "<OPTION1 CAPTION=\"Copy the examples\">\n"
           "<OPTION1 TYPE=\"Copy\">\n"
           "<OPTION1 SOURCE=\"examples\">\n"
           "<OPTION1 DEST=\"%DIR1%\\examples\">\n"
           "<OPTION2 CAPTION=\"Register the sample tag\">\n"
           "<OPTION2 TYPE=\"JavaCFX\">\n"
           "<OPTION2 TAGNAME=\"CFX_Sample\">\n"
           "<OPTION2 CLASS=\"SampleTag\">\n"
           "<OPTION2 DESCRIPTION=\"Sample Java tag\">\n";
}
