#include "engine/InstallEngine.h"

#include "tests/support/MessageRecorder.h"
#include "tests/support/RegistryHelpers.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

const std::string kCustomTags = R"(SOFTWARE\Allaire\ColdFusion\CurrentVersion\CustomTags)";
const std::string kOdbc = R"(SOFTWARE\ODBC\ODBC.INI)";
const std::string kServerDataSources = R"(SOFTWARE\Allaire\ColdFusion\CurrentVersion\DataSources)";

// A machine with the server installed and a package with one file, so that whatever step an option
// reaches leaves a trace.
class EngineApplyOption : public RegistryTest {
protected:
    void SetUp() override
    {
        RegistryTest::SetUp();
        for (const std::string& key : { kCustomTags, kOdbc, kServerDataSources })
            SeedKey(HKEY_LOCAL_MACHINE, key);
        m_folder.Write("pkg\\tag.jar", "jar");
        fs::create_directories(m_folder.Host("out"));
    }

    // Every field filled in, the destination through a placeholder.
    ConfigOption Option(const std::string& type, const std::string& name = "Sample") const
    {
        ConfigOption option;
        option.setType(type);
        option.setTagName("CFX_" + name);
        option.setClassName(name + "Tag");
        option.setDescription(name);
        option.setSource(m_folder.Path("pkg"));
        option.setDest(R"(%DIR1%\out)");
        return option;
    }

    DirectoryTexts Directories() const { return { m_folder.Path(), "", "" }; }

    bool Apply(const ConfigOption& option) const
    {
        return InstallEngine().ApplyOption(option, Directories());
    }

    const TempFolder m_folder;
};

} // namespace

TEST_F(EngineApplyOption, OnlyTheExactTypesDoAnything)
{
    const MessageRecorder recorder;
    // A type with a zero byte inside is not its prefix either.
    for (const std::string& type : { "copy"s, "Copy "s, " Copy"s, "COPY"s, ""s, "javacfx"s, "JavaCFX "s,
             "C++ CFX"s, "c++cfx"s, "odbc"s, "ODBC\t"s, "Copy\0"s, "ODBC\0x"s }) {
        const std::string shown = ::testing::PrintToString(type);
        EXPECT_TRUE(Apply(Option(type))) << shown;
        EXPECT_TRUE(fs::is_empty(m_folder.Host("out"))) << shown;
        for (const std::string& key : { kCustomTags, kOdbc, kServerDataSources })
            EXPECT_TRUE(SubKeyNames(HKEY_LOCAL_MACHINE, key).empty()) << shown << " " << key;
    }
    EXPECT_TRUE(recorder.Messages().empty());
}

TEST_F(EngineApplyOption, EachTypeReachesItsStep)
{
    const MessageRecorder recorder;

    EXPECT_TRUE(Apply(Option("Copy")));
    EXPECT_EQ(m_folder.Read("out\\tag.jar"), "jar");

    EXPECT_TRUE(Apply(Option("JavaCFX", "Java")));
    EXPECT_EQ(ReadStrings(HKEY_LOCAL_MACHINE, kCustomTags + "\\CFX_Java").at("Type"), "Java");

    EXPECT_TRUE(Apply(Option("C++CFX", "Native")));
    EXPECT_EQ(ReadStrings(HKEY_LOCAL_MACHINE, kCustomTags + "\\CFX_Native").at("Type"), "CPP");

    EXPECT_TRUE(Apply(Option("ODBC", "Samples")));
    EXPECT_EQ(ReadStrings(HKEY_LOCAL_MACHINE, kOdbc + "\\Samples").at("DBQ"), m_folder.Path("pkg"));
    EXPECT_EQ(ReadStrings(HKEY_LOCAL_MACHINE, kServerDataSources + "\\Samples").size(), 18u);

    EXPECT_EQ(SubKeyNames(HKEY_LOCAL_MACHINE, kCustomTags),
        (std::vector<std::string> { "CFX_Java", "CFX_Native" }));
    EXPECT_TRUE(recorder.Messages().empty());
}

TEST_F(EngineApplyOption, AFailingCopyFailsTheOption)
{
    ConfigOption declined = Option("Copy");
    declined.setDest(R"(%DIR1%\missing)");
    ConfigOption intoAFile = Option("Copy");
    intoAFile.setDest(R"(%DIR1%\file)");
    m_folder.Write("file", "");

    MessageRecorder recorder;
    recorder.Answer(IDNO);
    EXPECT_FALSE(Apply(declined));
    EXPECT_FALSE(Apply(intoAFile));

    EXPECT_EQ(recorder.Texts(),
        (std::vector<std::string> {
            "The folder " + m_folder.Path("missing") + " does not exist\nWould you like to create it?",
            "An error occurred while copying files",
        }));
}

TEST_F(EngineApplyOption, TwoOptionsOfOneKindAreEachApplied)
{
    m_folder.Write("pkg2\\other.jar", "other");
    fs::create_directories(m_folder.Host("out2"));
    ConfigOption secondCopy = Option("Copy");
    secondCopy.setSource(m_folder.Path("pkg2"));
    secondCopy.setDest(R"(%DIR1%\out2)");

    for (const ConfigOption& option : { Option("Copy"), secondCopy, Option("JavaCFX", "One"),
             Option("JavaCFX", "Two"), Option("ODBC", "First"), Option("ODBC", "Second") })
        EXPECT_TRUE(Apply(option)) << option.getType() << " " << option.getDescription();

    EXPECT_EQ(m_folder.Read("out\\tag.jar"), "jar");
    EXPECT_EQ(m_folder.Read("out2\\other.jar"), "other");
    EXPECT_FALSE(fs::exists(m_folder.Host("out\\other.jar")));
    EXPECT_EQ(
        SubKeyNames(HKEY_LOCAL_MACHINE, kCustomTags), (std::vector<std::string> { "CFX_One", "CFX_Two" }));
    EXPECT_EQ(ReadStrings(HKEY_LOCAL_MACHINE, kCustomTags + "\\CFX_Two").at("JavaClass"), "TwoTag");
    EXPECT_EQ(SubKeyNames(HKEY_LOCAL_MACHINE, kOdbc), (std::vector<std::string> { "First", "Second" }));
    EXPECT_EQ(SubKeyNames(HKEY_LOCAL_MACHINE, kServerDataSources),
        (std::vector<std::string> { "First", "Second" }));
}
