// The packages under examples/ are what authors copy: each one, installed with its defaults on the
// machine the seed registry describes, must leave the server's class path naming only files that
// the installation put there.
#include "RegistryHelpers.h"
#include "ScriptedHost.h"
#include "TempFolder.h"

#include "platform/posix/files/DriveMap.h"
#include "platform/posix/registry/RegFile.h"
#include "platform/posix/registry/RegistryStore.h"
#include "res/resource.h"
#include "shell/InstallerApp.h"

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

namespace fs = std::filesystem;

namespace {

const fs::path kExamples = fs::path(TARNWICK_SOURCE_DIR) / "examples";
const std::string kJvmKey = "SOFTWARE\\Allaire\\ColdFusion\\CurrentVersion\\JVM";

struct Example {
    const char* folder;
    int foldersToCreate; // the folder questions its Copy options raise on a fresh machine
    bool restart;
};

void PrintTo(const Example& example, std::ostream* out)
{
    *out << example.folder;
}

const Example kExamplePackages[] = {
    { "sample-package", 2, true },
    { "plain-package", 1, false },
};

std::string ReadAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> Split(const std::string& text)
{
    std::vector<std::string> parts;
    std::istringstream in(text);
    for (std::string part; std::getline(in, part, ';');)
        if (!part.empty())
            parts.push_back(part);
    return parts;
}

class ExamplePackages : public RegistryTest, public ::testing::WithParamInterface<Example> {
protected:
    void SetUp() override
    {
        RegistryTest::SetUp();
        std::string error;
        ASSERT_TRUE(posix::ParseRegFile(
            ReadAll(kExamples / "server.reg"), posix::ResetMemoryRegistry().Tree(), error))
            << error;
        // The server's folders that the seed registry names, on a drive C: of the test's own.
        fs::create_directories(m_machine.Host() / "c/CFusion/CustomTags");
        fs::create_directories(m_machine.Host() / "c/Inetpub/wwwroot");
        fs::copy(kExamples / GetParam().folder, m_machine.Host() / "c/pkg", fs::copy_options::recursive);
        posix::SetDriveMapping("C:=" + (m_machine.Host() / "c").string());
    }
    void TearDown() override
    {
        posix::SetDriveMapping("");
        RegistryTest::TearDown();
    }

    fs::path HostOf(const std::string& windowsPath) const
    {
        EXPECT_TRUE(windowsPath.size() > 3 && (windowsPath[0] == 'C' || windowsPath[0] == 'c')
            && windowsPath.compare(1, 2, ":\\") == 0)
            << windowsPath << " is not on drive C:";
        std::string relative = windowsPath.size() > 3 ? windowsPath.substr(3) : "";
        for (char& c : relative)
            if (c == '\\')
                c = '/';
        return m_machine.Host() / "c" / relative;
    }

    TempFolder m_machine;
};

TEST_P(ExamplePackages, EveryClassPathEntryAppendedNamesAnInstalledFile)
{
    const Example& example = GetParam();
    const std::string classPathBefore = ReadStrings(HKEY_LOCAL_MACHINE, kJvmKey)["JavaClassPath"];
    {
        CurrentDirectoryScope inPackage(m_machine.Host() / "c/pkg");
        ScriptedHost host;
        if (fs::exists(m_machine.Host() / "c/pkg/license.txt")) {
            host.OnPage(IDD_LICENSE, [](PageView& page) {
                page.Click(IDC_LICENSE_AGREE);
                page.Click(IDOK);
            });
        }
        if (ReadAll(m_machine.Host() / "c/pkg/install.conf").find("<IS_JAVA VALUE=\"true\">")
            != std::string::npos)
            host.OnPage(IDD_JVM, [](PageView& page) { page.Click(IDOK); });
        host.OnPage(IDD_MAIN, [](PageView& page) { page.Click(IDC_INSTALL); });
        host.OnPage(IDD_MAIN, [](PageView& page) { page.Click(IDC_INSTALL); }); // Done
        for (int i = 0; i < example.foldersToCreate; ++i)
            host.AnswerMessage(IDYES);
        if (example.restart)
            host.AnswerMessage(IDNO);
        InstallerApp app;
        EXPECT_FALSE(app.InitInstance());
        for (const ShownMessage& message : host.Messages())
            EXPECT_EQ(std::string::npos, message.text.find("abort")) << message.text;
    }

    const std::string classPathAfter = ReadStrings(HKEY_LOCAL_MACHINE, kJvmKey)["JavaClassPath"];
    ASSERT_EQ(0u, classPathAfter.compare(0, classPathBefore.size(), classPathBefore))
        << "the class path only gains entries: " << classPathAfter;
    for (const std::string& entry : Split(classPathAfter.substr(classPathBefore.size())))
        EXPECT_TRUE(fs::is_regular_file(HostOf(entry)))
            << entry << " is on the class path but was not installed";
}

INSTANTIATE_TEST_SUITE_P(Examples, ExamplePackages, ::testing::ValuesIn(kExamplePackages),
    [](const ::testing::TestParamInfo<Example>& info) {
        std::string name = info.param.folder;
        std::erase(name, '-');
        return name;
    });

// A new example gets the same check: every package folder is in the table above.
TEST(ExamplePackageList, NamesEveryPackageUnderExamples)
{
    std::set<std::string> folders, listed;
    for (const fs::directory_entry& entry : fs::directory_iterator(kExamples))
        if (fs::exists(entry.path() / "install.conf"))
            folders.insert(entry.path().filename().string());
    for (const Example& example : kExamplePackages)
        listed.insert(example.folder);
    EXPECT_EQ(folders, listed);
}

} // namespace
