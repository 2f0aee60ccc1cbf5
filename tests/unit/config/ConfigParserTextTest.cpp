#include "config/ConfigParser.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

using namespace std::string_literals;

namespace {

struct ValueCase {
    std::string segment;
    std::string value;
};

struct OptionSummary {
    std::string caption;
    std::string type;
    bool enabled;
    bool operator==(const OptionSummary&) const = default;
};

void PrintTo(const OptionSummary& option, std::ostream* out)
{
    *out << "{" << option.caption << ", " << option.type << ", " << option.enabled << "}";
}

std::vector<OptionSummary> summarize(const InstallConfig& config)
{
    std::vector<OptionSummary> result;
    for (const ConfigOptionPtr& option : config.getOptions())
        result.push_back({ option->getCaption(), option->getType(), option->enabled });
    return result;
}

} // namespace

TEST(ConfigParserFlag, OnlyThreeExactWordsAreFalse)
{
    for (const char* value : { "0", "no", "false" })
        EXPECT_FALSE(ConfigParser::parseFlag(value)) << value;
    for (const char* value :
        { "", "1", "y", "T", "yes", "False", "FALSE", "NO", "false ", " 0", "00", "\"false" })
        EXPECT_TRUE(ConfigParser::parseFlag(value)) << value;
}

TEST(ConfigParserValue, PositionArithmeticOfTheFormat)
{
    const ValueCase cases[] = {
        { R"(<DIR1 VALUE="C:\Tags">)", R"(C:\Tags)" },
        // The characters beside '=' and '>' are skipped unseen, whatever they are.
        { R"(<DIR1 VALUE="C:\Tags" >)", R"(C:\Tags")" },
        { R"(<RESTARTCF VALUE = "false">)", R"("false)" },
        { R"(<X V='say "hi"'>)", R"(say "hi")" },
        { R"(<X V=xabcx>)", "abc" },
        // The first '=' of the segment counts, even in stray text before the tag.
        { R"(a=b<INSTALL_TITLE VALUE="x">)", R"(<INSTALL_TITLE VALUE="x)" },
        // One attribute per tag: the rest of the tag is the value.
        { R"(<OPTION1 CAPTION="A" TYPE="Copy">)", R"(A" TYPE="Copy)" },
        // Without '=' the value starts at the second character.
        { "<RESTARTCF>", "RESTARTC" },
        { "\n<OPTION1>", "<OPTION" },
        // A count below zero takes the rest of the segment.
        { "<X=>", "" },
        { "<X=\">", ">" },
        { "<>", ">" },
        { ">", "" },
        // Not whole segments; only fuzzing and careless callers pass these.
        { "", "" },
        { "a=", "" },
        { "ab=cdef", "def" },
        { "abcd", "bcd" },
    };
    for (const ValueCase& c : cases)
        EXPECT_EQ(ConfigParser::extractValue(c.segment), c.value) << c.segment;
}

TEST(ConfigParserText, TopLevelTags)
{
    InstallConfig config = ConfigParser::parseText(R"(<INSTALL_TITLE VALUE=""><RESTARTCF><IS_JAVA="0">)"
                                                   R"(<CLASSPATH="a;b">)");
    EXPECT_EQ(config.getInstallTitle(), "");
    EXPECT_TRUE(config.restartServer);
    EXPECT_FALSE(config.isJava);
    EXPECT_EQ(config.getClassPath(), "a;b");

    config = ConfigParser::parseText(R"(<RESTARTCF VALUE = "false"><INSTALL_TITLE VALUE="One">)"
                                     R"(<INSTALL_TITLE VALUE="Two"><IS_JAVA VALUE="no">)");
    EXPECT_TRUE(config.restartServer);
    EXPECT_EQ(config.getInstallTitle(), "Two");
    EXPECT_FALSE(config.isJava);
}

TEST(ConfigParserText, DirectoryRowsByOneCharacter)
{
    const InstallConfig config = ConfigParser::parseText(R"(<DIR2 VISIBLE="yes"><DIR3 CAPTION="Third">)"
                                                         R"(<DIR4 VALUE="D:\x"><DIR3 VALUE="E:\y">)"
                                                         R"(<DIR10 VALUE="ten"><DIR2  VALUE="two blanks">)"
                                                         R"(<DIR1 value="lower"><DIR5 VISIBLE="">)");
    EXPECT_TRUE(config.dir1Visible);
    EXPECT_TRUE(config.dir2Visible);
    EXPECT_FALSE(config.dir3Visible);
    EXPECT_EQ(config.getDir1Value(), R"(D:\x)");
    EXPECT_EQ(config.getDir2Value(), "");
    EXPECT_EQ(config.getDir3Value(), R"(E:\y)");
    EXPECT_EQ(config.getDir1Caption(), "");
    EXPECT_EQ(config.getDir3Caption(), "Third");
}

TEST(ConfigParserText, OptionGroupsFollowTheGroupCharacter)
{
    struct Case {
        std::string text;
        std::vector<OptionSummary> options;
    };
    const Case cases[] = {
        { R"(<OPTION1 CAPTION="A"><OPTION1 TYPE="Copy"><OPTION2 CAPTION="B">)",
            { { "A", "Copy", true }, { "B", "", true } } },
        { R"(<OPTION1 CAPTION="A"><OPTION2 CAPTION="B"><OPTION1 CAPTION="C">)",
            { { "A", "", true }, { "B", "", true }, { "C", "", true } } },
        // Other tags between do not end the current option.
        { R"(<OPTION1 CAPTION="A"><DIR1 VALUE="x"><OPTION1 TYPE="Copy">)", { { "A", "Copy", true } } },
        { "<OPTION1>", { { "", "", true } } },
        // A new group starts its option even when the attribute is not recognised.
        { R"(<OPTION1  CAPTION="A">)", { { "", "", true } } },
        { R"(<OPTION10 CAPTION="x"><OPTION1 TYPE="Copy">)", { { "", "Copy", true } } },
        { R"(<OPTION1 NAME="x"><OPTION2 caption="y">)", { { "", "", true }, { "", "", true } } },
        // Numbered in order of appearance, not by the group character.
        { R"(<OPTION7 CAPTION="first"><OPTION3 CAPTION="second">)",
            { { "first", "", true }, { "second", "", true } } },
        // The segment ends at the first '>'; the tail holds no '<' and is ignored.
        { R"(<OPTION1 CAPTION="a>b">)", { { "", "", true } } },
        { R"(<OPTION1 CAPTION="A"><OPTION1 CAPTION="B">)", { { "B", "", true } } },
        { R"(<option1 CAPTION="A"><!-- <OPTION1 CAPTION="B"> -->)", {} },
    };
    for (const Case& c : cases)
        EXPECT_EQ(summarize(ConfigParser::parseText(c.text)), c.options) << c.text;
}

TEST(ConfigParserText, OnlyThreeWordsUntickAnOption)
{
    for (const char* value : { "0", "no", "false" }) {
        const auto options = ConfigParser::parseText("<OPTION1 ENABLED=\""s + value + "\">").getOptions();
        ASSERT_EQ(options.size(), 1u);
        EXPECT_FALSE(options[0]->enabled) << value;
    }
    for (const char* value : { "False", "FALSE", "1", "yes", "", "0 " }) {
        const auto options = ConfigParser::parseText("<OPTION1 ENABLED=\""s + value + "\">").getOptions();
        ASSERT_EQ(options.size(), 1u);
        EXPECT_TRUE(options[0]->enabled) << value;
    }
}

TEST(ConfigParserText, EveryOptionAttributeSetsItsOwnField)
{
    const auto options = ConfigParser::parseText(R"(<OPTION1 VISIBLE="0"><OPTION1 ENABLED="0">)"
                                                 R"(<OPTION1 CAPTION="c"><OPTION1 TYPE="ODBC">)"
                                                 R"(<OPTION1 TAGNAME="t"><OPTION1 CLASS="k">)"
                                                 R"(<OPTION1 DESCRIPTION="d"><OPTION1 SOURCE="s">)"
                                                 R"(<OPTION1 DEST="%DIR2%\x">)")
                             .getOptions();
    ASSERT_EQ(options.size(), 1u);
    const ConfigOption& option = *options[0];
    EXPECT_FALSE(option.visible);
    EXPECT_FALSE(option.enabled);
    EXPECT_EQ(option.getCaption(), "c");
    EXPECT_EQ(option.getType(), "ODBC");
    EXPECT_EQ(option.getTagName(), "t");
    EXPECT_EQ(option.getClassName(), "k");
    EXPECT_EQ(option.getDescription(), "d");
    EXPECT_EQ(option.getSource(), "s");
    EXPECT_EQ(option.getDest(), R"(%DIR2%\x)");
}

// A keyword or attribute counts only at its first occurrence in the segment.
TEST(ConfigParserText, EarlierOccurrenceInStrayTextHidesTheTag)
{
    InstallConfig config
        = ConfigParser::parseText(R"(VALUE= <DIR1 VALUE="x">CAPTION= <OPTION1 CAPTION="y">)");
    EXPECT_EQ(config.getDir1Value(), "");
    ASSERT_EQ(config.getOptions().size(), 1u);
    EXPECT_EQ(config.getOptions()[0]->getCaption(), "");

    config = ConfigParser::parseText("junk>\r\n<DIR1 VALUE=\"x\">\r\n<INSTALL_TITLE VALUE=\"never closed\"");
    EXPECT_EQ(config.getDir1Value(), "x");
    EXPECT_EQ(config.getInstallTitle(), "Tarnwick");
}

TEST(ConfigParserText, TextEndsAtNulOrLimit)
{
    InstallConfig config = ConfigParser::parseText("<DIR1 VALUE=\"a\">\0<DIR2 VALUE=\"b\">"s);
    EXPECT_EQ(config.getDir1Value(), "a");
    EXPECT_EQ(config.getDir2Value(), "");

    const std::string tag = R"(<DIR1 VALUE="a">)";
    const std::string atLimit = std::string(ConfigParser::maxTextSize - tag.size(), ' ') + tag;
    EXPECT_EQ(ConfigParser::parseText(atLimit).getDir1Value(), "a");
    EXPECT_EQ(ConfigParser::parseText(" " + atLimit).getDir1Value(), "");
}

// The value starts two past the segment's first '=', also when that '=' stands before the
// attribute name: in stray text, as the group or row character, or as the separator.
TEST(ConfigParserText, AnEqualsSignBeforeTheAttributeNameMovesTheValue)
{
    const std::pair<std::string, std::string> captions[] = {
        { R"(x=<OPTION1 CAPTION="y">)", R"(OPTION1 CAPTION="y)" },
        { R"(<OPTION= CAPTION="v">)", R"(CAPTION="v)" },
        { R"(<OPTION1=CAPTION="v">)", R"(APTION="v)" },
        // An '=' inside the value is not the first.
        { R"(<OPTION1 CAPTION="a=b">)", "a=b" },
    };
    for (const auto& [text, caption] : captions) {
        const ConfigOptionList options = ConfigParser::parseText(text).getOptions();
        ASSERT_EQ(options.size(), 1u) << text;
        EXPECT_EQ(options[0]->getCaption(), caption) << text;
    }

    const InstallConfig config
        = ConfigParser::parseText(R"(<DIR1=VALUE="d"><DIR2 VISIBLE="1"><DIR2=VISIBLE="0">)");
    EXPECT_EQ(config.getDir1Value(), R"(ALUE="d)");
    EXPECT_TRUE(config.dir2Visible);
}

// More options than a package usually has, each with texts of its own, in the order of their groups.
TEST(ConfigParserText, ManyOptionsKeepTheirOrderAndTexts)
{
    constexpr int count = 70;
    std::string text;
    for (int i = 0; i < count; ++i) {
        const char group = static_cast<char>('A' + i % 2);
        text += "<OPTION"s + group + " CAPTION=\"Option " + std::to_string(i) + "\">\r\n<OPTION" + group
            + " DEST=\"%DIR1%\\" + std::to_string(i) + "\">\r\n";
    }
    const ConfigOptionList options = ConfigParser::parseText(text).getOptions();
    ASSERT_EQ(options.size(), static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        EXPECT_EQ(options[i]->getCaption(), "Option " + std::to_string(i));
        EXPECT_EQ(options[i]->getDest(), "%DIR1%\\" + std::to_string(i));
    }
}

// The parsed texts live in storage shared by the parsed options; a copied option must not depend
// on it, and changing the copy must leave the parsed option alone.
TEST(ConfigParserText, CopiedOptionOutlivesTheParsedConfiguration)
{
    ConfigOption copy;
    ConfigOptionPtr kept;
    {
        const InstallConfig config
            = ConfigParser::parseText(R"(<OPTION1 CAPTION="Tags"><OPTION1 TYPE="Copy">)"
                                      R"(<OPTION1 SOURCE="examples"><OPTION2 CAPTION="Two">)");
        copy = *config.getOptions()[0];
        kept = config.getOptions()[1];
    }
    EXPECT_EQ(copy.getCaption(), "Tags");
    EXPECT_EQ(copy.getType(), "Copy");
    EXPECT_EQ(copy.getSource(), "examples");
    EXPECT_EQ(kept->getCaption(), "Two");

    ConfigOption changed = copy;
    changed.setType("ODBC");
    EXPECT_EQ(changed.getType(), "ODBC");
    EXPECT_EQ(changed.getCaption(), "Tags");
    EXPECT_EQ(copy.getType(), "Copy");
}
