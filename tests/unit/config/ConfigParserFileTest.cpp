#include "config/ConfigParser.h"

#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

using namespace std::string_literals;

namespace {

InstallConfig parseFile(const std::string& content, bool& loaded)
{
    const TempFolder folder;
    folder.Write("install.conf", content);
    ConfigParser parser;
    InstallConfig config = parser.parse(folder.Path("install.conf"));
    loaded = parser.loaded;
    return config;
}

void expectDefaults(const InstallConfig& config)
{
    EXPECT_EQ(config.getInstallTitle(), "Tarnwick");
    EXPECT_FALSE(config.isJava || config.restartServer || config.dir1Visible);
    EXPECT_EQ(config.getDir1Value(), "");
    EXPECT_TRUE(config.getOptions().empty());
}

} // namespace

TEST(ConfigParserFile, SamplePackageFieldByField)
{
    const char* const lines[] = {
        R"(<INSTALL_TITLE VALUE="Sample Tag Pack">)",
        R"(<IS_JAVA VALUE="true">)",
        R"(<CLASSPATH VALUE="%DIR1%\sample.jar">)",
        R"(<RESTARTCF VALUE="yes">)",
        R"(<DIR1 VISIBLE="true">)",
        R"(<DIR1 CAPTION="Tag folder">)",
        R"(<DIR1 VALUE="C:\Tags">)",
        R"(<DIR2 VISIBLE="0">)",
        R"(<OPTION1 CAPTION="Register the sample tag">)",
        R"(<OPTION1 TYPE="JavaCFX">)",
        R"(<OPTION1 TAGNAME="SampleTag">)",
        R"(<OPTION1 CLASS="SampleTagClass">)",
        R"(<OPTION1 DESCRIPTION="Sample Java tag">)",
        R"(<OPTION2 CAPTION="Copy the examples">)",
        R"(<OPTION2 ENABLED="false">)",
        R"(<OPTION2 TYPE="Copy">)",
        R"(<OPTION2 SOURCE="examples">)",
        R"(<OPTION2 DEST="%DIR1%\examples">)",
    };
    std::string content;
    for (const char* line : lines)
        content += line + "\r\n"s;

    bool loaded = false;
    const InstallConfig config = parseFile(content, loaded);
    EXPECT_TRUE(loaded);
    EXPECT_EQ(config.getInstallTitle(), "Sample Tag Pack");
    EXPECT_TRUE(config.isJava);
    EXPECT_EQ(config.getClassPath(), R"(%DIR1%\sample.jar)");
    EXPECT_TRUE(config.restartServer);
    EXPECT_TRUE(config.dir1Visible);
    EXPECT_EQ(config.getDir1Caption(), "Tag folder");
    EXPECT_EQ(config.getDir1Value(), R"(C:\Tags)");
    EXPECT_FALSE(config.dir2Visible);
    EXPECT_FALSE(config.dir3Visible);
    for (const std::string& text :
        { config.getDir2Caption(), config.getDir2Value(), config.getDir3Caption(), config.getDir3Value() })
        EXPECT_EQ(text, "");

    const ConfigOptionList options = config.getOptions();
    ASSERT_EQ(options.size(), 2u);
    const ConfigOption& tag = *options[0];
    EXPECT_TRUE(tag.visible);
    EXPECT_TRUE(tag.enabled);
    EXPECT_EQ(tag.getCaption(), "Register the sample tag");
    EXPECT_EQ(tag.getType(), "JavaCFX");
    EXPECT_EQ(tag.getTagName(), "SampleTag");
    EXPECT_EQ(tag.getClassName(), "SampleTagClass");
    EXPECT_EQ(tag.getDescription(), "Sample Java tag");
    EXPECT_EQ(tag.getSource(), "");
    EXPECT_EQ(tag.getDest(), "");

    const ConfigOption& copy = *options[1];
    EXPECT_TRUE(copy.visible);
    EXPECT_FALSE(copy.enabled);
    EXPECT_EQ(copy.getCaption(), "Copy the examples");
    EXPECT_EQ(copy.getType(), "Copy");
    EXPECT_EQ(copy.getSource(), "examples");
    EXPECT_EQ(copy.getDest(), R"(%DIR1%\examples)");
    EXPECT_EQ(copy.getTagName(), "");
    EXPECT_EQ(copy.getClassName(), "");
    EXPECT_EQ(copy.getDescription(), "");
}

TEST(ConfigParserFile, FileThatCannotBeReadLeavesDefaultsAndNotLoaded)
{
    const TempFolder folder;
    for (const std::string& path : { folder.Path("install.conf"), folder.Path(), ""s }) {
        ConfigParser parser;
        const InstallConfig config = parser.parse(path);
        EXPECT_FALSE(parser.loaded) << path;
        expectDefaults(config);
    }
}

TEST(ConfigParserFile, EmptyFileIsLoadedWithDefaults)
{
    bool loaded = false;
    const InstallConfig config = parseFile("", loaded);
    EXPECT_TRUE(loaded);
    expectDefaults(config);
}

// Only the first 12,048 bytes count: a tag whose '>' is the last of them is read, one cut by the
// limit is dropped.
TEST(ConfigParserFile, OnlyTheFirstBytesAreRead)
{
    const std::string title = R"(<INSTALL_TITLE VALUE="Kept">)";
    const std::string cut = R"(<CLASSPATH VALUE="cut by the limit">)";
    const std::string padding(ConfigParser::maxTextSize - title.size(), '\n');

    bool loaded = false;
    InstallConfig config = parseFile(padding + title + cut, loaded);
    EXPECT_TRUE(loaded);
    EXPECT_EQ(config.getInstallTitle(), "Kept");
    EXPECT_EQ(config.getClassPath(), "");

    config = parseFile(padding + " " + title, loaded);
    EXPECT_TRUE(loaded);
    EXPECT_EQ(config.getInstallTitle(), "Tarnwick");
}

TEST(ConfigParserFile, NulByteEndsTheText)
{
    bool loaded = false;
    const InstallConfig config = parseFile("<DIR1 VALUE=\"a\">\0<DIR2 VALUE=\"b\">"s, loaded);
    EXPECT_TRUE(loaded);
    EXPECT_EQ(config.getDir1Value(), "a");
    EXPECT_EQ(config.getDir2Value(), "");
}

TEST(ConfigParserFile, BinaryAndHugeFilesAreReadWithoutHarm)
{
    std::mt19937 random(12048);
    std::string garbage(64 * 1024, '\0');
    for (char& byte : garbage)
        byte = static_cast<char>(random() % 255 + 1); // no NUL, so the whole limit is parsed
    bool loaded = false;
    (void)parseFile(garbage, loaded);
    EXPECT_TRUE(loaded);

    // Tag-dense, so that a read past the limit would show up as options.
    const std::string title = R"(<INSTALL_TITLE VALUE="Huge">)";
    const std::string twoOptions = R"(<OPTION1 CAPTION="a"><OPTION2 CAPTION="b">)";
    std::string huge = title;
    while (huge.size() < 1024 * 1024)
        huge += twoOptions;
    const InstallConfig config = parseFile(huge, loaded);
    EXPECT_TRUE(loaded);
    EXPECT_EQ(config.getInstallTitle(), "Huge");
    EXPECT_EQ(
        config.getOptions().size(), (ConfigParser::maxTextSize - title.size()) / (twoOptions.size() / 2));
}
