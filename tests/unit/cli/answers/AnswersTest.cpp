#include "cli/answers/Answers.h"

#include <gtest/gtest.h>

namespace {

using Sets = std::vector<std::string>;

ParsedAnswers Parse(std::string_view text, const Sets& sets = {}, int optionCount = 7)
{
    return Answers::Parse("answers.ini", text, sets, optionCount);
}

TEST(Answers, ReadsAFileTheWayIniFilesAreWritten)
{
    const ParsedAnswers parsed = Parse("; unattended install of the tag pack\r\n"
                                       "\r\n"
                                       "  [ tarnwick ]  \r\n"
                                       "  # the licence was read by legal\r\n"
                                       "acceptlicense = Yes\r\n"
                                       "JVM\t=\tC:\\Java\\jre\\bin\\client\\jvm.dll  \r\n"
                                       "Dir1 = \"  C:\\Odd Folder \"\r\n"
                                       "Dir3 =\r\n"
                                       "Options = 3 , 1,2\r\n"
                                       "CreateFolders=FALSE\n"
                                       "RestartServer=1");
    ASSERT_EQ(Sets {}, parsed.errors);
    const Answers& answers = parsed.answers;
    EXPECT_EQ(true, answers.acceptLicense);
    EXPECT_EQ("C:\\Java\\jre\\bin\\client\\jvm.dll", answers.jvm);
    EXPECT_EQ("  C:\\Odd Folder ", answers.dirs[0]);
    EXPECT_EQ(std::nullopt, answers.dirs[1]);
    EXPECT_EQ("", answers.dirs[2]);
    EXPECT_EQ((std::vector<int> { 1, 2, 3 }), answers.options);
    EXPECT_EQ(false, answers.createFolders);
    EXPECT_EQ(true, answers.restartServer);
    EXPECT_EQ(AnswerSource::File, answers.SourceOf(AnswerKey::Dir3));
    EXPECT_EQ(AnswerSource::Default, answers.SourceOf(AnswerKey::Dir2));
}

TEST(Answers, SetOverridesTheFileAndWorksWithoutOne)
{
    const ParsedAnswers parsed
        = Parse("[Tarnwick]\nOptions=1,2\nJvm=C:\\jvm.dll\n", { " jvm = KEEP", "Options=" });
    ASSERT_EQ(Sets {}, parsed.errors);
    EXPECT_EQ(Answers::keepJvm, parsed.answers.jvm);
    EXPECT_EQ(std::vector<int> {}, parsed.answers.options);
    EXPECT_EQ(AnswerSource::Set, parsed.answers.SourceOf(AnswerKey::Options));
    EXPECT_EQ("--set", Answers::SourceName(parsed.answers.SourceOf(AnswerKey::Jvm)));

    const ParsedAnswers alone = Answers::Parse("", "", { "AcceptLicense=true", "Dir2=D:\\Web" }, 3);
    ASSERT_EQ(Sets {}, alone.errors);
    EXPECT_EQ(true, alone.answers.acceptLicense);
    EXPECT_EQ("D:\\Web", alone.answers.dirs[1]);
    EXPECT_EQ("default", Answers::SourceName(alone.answers.SourceOf(AnswerKey::RestartServer)));
}

TEST(Answers, YesAndNoHaveThreeSpellingsEachInAnyCase)
{
    for (const auto& [text, flag] : { std::pair { "yes", true }, { "TRUE", true }, { "1", true },
             { "No", false }, { "false", false }, { "0", false } }) {
        const ParsedAnswers parsed = Parse("", { std::string("CreateFolders=") + text });
        ASSERT_EQ(Sets {}, parsed.errors) << text;
        EXPECT_EQ(flag, parsed.answers.createFolders) << text;
    }
}

TEST(Answers, NamesEveryMistakeWithItsLine)
{
    const struct {
        std::string text;
        Sets sets;
        int optionCount;
        std::string error;
    } cases[] = {
        { "[Tarnwick]\nColour=red", {}, 7, "answers.ini:2: unknown key 'Colour'" },
        { "AcceptLicense=yes", {}, 7, "answers.ini:1: AcceptLicense stands outside [Tarnwick]" },
        { "[Tarnwick]\n[Other]\nDir1=C:\\x", {}, 7, "answers.ini:3: Dir1 stands outside [Tarnwick]" },
        { "[Tarnwick]\r\nDir1=a\r\n\r\ndir1=a", {}, 7,
            "answers.ini:4: duplicate key Dir1 (first on line 2)" },
        { "[Tarnwick]\njust some text", {}, 7, "answers.ini:2: expected Key=value, [Tarnwick] or a comment" },
        { "[Tarnwick]\n= yes", {}, 7, "answers.ini:2: expected Key=value, [Tarnwick] or a comment" },
        { "[Tarnwick", {}, 7, "answers.ini:1: a section line ends with ]" },
        { "[Tarnwick]\nAcceptLicense=maybe", {}, 7,
            "answers.ini:2: AcceptLicense takes yes or no, not 'maybe'" },
        { "[Tarnwick]\nCreateFolders=", {}, 7, "answers.ini:2: CreateFolders takes yes or no, not ''" },
        { "[Tarnwick]\nJvm=  ", {}, 7, "answers.ini:2: Jvm takes a runtime path or keep" },
        { "[Tarnwick]\nOptions=1,8", {}, 7, "answers.ini:2: option 8 is not one of 1 to 7" },
        { "[Tarnwick]\nOptions=0", {}, 7, "answers.ini:2: option 0 is not one of 1 to 7" },
        { "[Tarnwick]\nOptions=6", {}, 3,
            "answers.ini:2: option 6 does not exist: the package has 3 options" },
        { "[Tarnwick]\nOptions=2", {}, 1,
            "answers.ini:2: option 2 does not exist: the package has 1 option" },
        { "[Tarnwick]\nOptions=1", {}, 0,
            "answers.ini:2: option 1 does not exist: the package has no options" },
        { "[Tarnwick]\nOptions=1,two", {}, 7, "answers.ini:2: 'two' is not an option number" },
        { "[Tarnwick]\nOptions=-1", {}, 7, "answers.ini:2: '-1' is not an option number" },
        { "[Tarnwick]\nOptions=1 2", {}, 7, "answers.ini:2: '1 2' is not an option number" },
        { "[Tarnwick]\nOptions=1,,2", {}, 7, "answers.ini:2: Options has an empty item" },
        { "[Tarnwick]\nOptions=3,1,3", {}, 7, "answers.ini:2: option 3 is listed twice" },
        { "\xFF\xFE[\0T\0", {}, 7,
            "answers.ini:1: the file is UTF-16 text; save it as UTF-8 or in the system code page (ANSI)" },
        { "\xEF\xBB\xBF[Tarnwick]\nDir1=C:\\\xE9t\xE9", {}, 7,
            "answers.ini:1: the file is marked as UTF-8 text but is not well-formed UTF-8" },
        // U+0100 is not in the system code page.
        { "[Tarnwick]\nDir1=C:\\\xC4\x80\n", {}, 7,
            "answers.ini:2: the line holds a character the system code page cannot hold" },
        { "[Tarnwick]\nCreateFolders=\x01\x1b[2J", {}, 7,
            "answers.ini:2: CreateFolders takes yes or no, not '\\x01\\x1B[2J'" },
        { "[Tarnwick]\nDir2=C:\\" + std::string(246, 'a'), {}, 7,
            "answers.ini:2: Dir2 is 249 characters long; a folder the install creates takes at most 247" },
        { "", { "Dir3=" + std::string(20u << 20, 'x') }, 7,
            "--set:1: Dir3 is 20971520 characters long; a folder the install creates takes at most 247" },
        { "", { "AcceptLicense=" + std::string(1000, 'y') }, 7,
            "--set:1: AcceptLicense takes yes or no, not '" + std::string(80, 'y') + "...'" },
        { "", { "Dir1" }, 7, "--set:1: expected KEY=VALUE, not 'Dir1'" },
        { "", { "Dir1=a", "Colour=red" }, 7, "--set:2: unknown key 'Colour'" },
        { "", { "Dir1=a", "RestartServer=no", "DIR1=b" }, 7, "--set:3: duplicate key Dir1 (first --set:1)" },
        { "", { "RestartServer=perhaps" }, 7, "--set:1: RestartServer takes yes or no, not 'perhaps'" },
    };
    for (const auto& c : cases) {
        const ParsedAnswers parsed = Parse(c.text, c.sets, c.optionCount);
        EXPECT_EQ(Sets { c.error }, parsed.errors) << c.text;
    }
}

TEST(Answers, ReportsEveryMistakeAndKeepsNoBadValue)
{
    const ParsedAnswers parsed
        = Parse("[Tarnwick]\nOptions=9\nAcceptLicense=yes\nRestartServer=later\n", { "Options=2", "Jvm=" });
    EXPECT_EQ((Sets { "answers.ini:2: option 9 is not one of 1 to 7",
                  "answers.ini:4: RestartServer takes yes or no, not 'later'",
                  "--set:2: Jvm takes a runtime path or keep" }),
        parsed.errors);
    EXPECT_EQ(std::nullopt, parsed.answers.restartServer);
    EXPECT_EQ(AnswerSource::Default, parsed.answers.SourceOf(AnswerKey::RestartServer));
    EXPECT_EQ(AnswerSource::Set, parsed.answers.SourceOf(AnswerKey::Options));
    EXPECT_EQ(true, parsed.answers.acceptLicense);
    // A UTF-8 file that is plain ASCII reads as any other.
    EXPECT_EQ(Sets {}, Parse("\xEF\xBB\xBF[Tarnwick]\r\nDir1=C:\\x\r\n").errors);
}

TEST(Answers, UnicodeTextIsReadAsUtf8AndOtherTextInTheCodePage)
{
    // C:\Données as most editors save it (UTF-8, no mark), with the mark, and in the code page.
    for (const std::string& text : { std::string("[Tarnwick]\nDir1=C:\\Donn\xC3\xA9" "es\n"),
             std::string("\xEF\xBB\xBF[Tarnwick]\nDir1=C:\\Donn\xC3\xA9" "es\n"),
             std::string("[Tarnwick]\nDir1=C:\\Donn\xE9" "es\n") }) {
        const ParsedAnswers parsed = Parse(text);
        EXPECT_EQ(Sets {}, parsed.errors) << text;
        EXPECT_EQ(std::optional<std::string>("C:\\Donn\xE9" "es"), parsed.answers.dirs[0]) << text;
    }
    // Overlong forms, surrogates and cut sequences are not UTF-8: the bytes are the code page's.
    for (const char* bytes : { "\xC0\xA9", "\xED\xA0\x80", "\xE9\x80", "\xF4\x90\x80\x80" }) {
        const ParsedAnswers parsed = Parse(std::string("[Tarnwick]\nDir1=C:\\") + bytes + "\n");
        EXPECT_EQ(Sets {}, parsed.errors);
        EXPECT_EQ(std::optional<std::string>(std::string("C:\\") + bytes), parsed.answers.dirs[0]);
    }
    // The longest folder passes.
    EXPECT_EQ(Sets {}, Parse("[Tarnwick]\nDir1=C:\\" + std::string(244, 'a') + "\n").errors);
}

TEST(Answers, AtMostTwentyMistakesAreShown)
{
    std::string text = "[Tarnwick]\n";
    for (int i = 0; i < 25; ++i)
        text += "Colour" + std::to_string(i) + "=red\n";
    const ParsedAnswers parsed = Parse(text);
    ASSERT_EQ(25u, parsed.errors.size());
    const std::vector<std::string> shown = parsed.ShownErrors();
    ASSERT_EQ(21u, shown.size());
    EXPECT_EQ("answers.ini:21: unknown key 'Colour19'", shown[19]);
    EXPECT_EQ("and 5 more", shown[20]);
    ParsedAnswers few;
    few.errors = { "a", "b" };
    EXPECT_EQ(few.errors, few.ShownErrors());
}

TEST(Answers, FormatsACompleteFile)
{
    Answers answers;
    answers.acceptLicense = true;
    answers.dirs[0] = "C:\\Tags";
    answers.options = std::vector<int> { 1, 3 };
    std::array<std::string, answerKeyCount> comments;
    comments[static_cast<std::size_t>(AnswerKey::AcceptLicense)] = "I accept the licence\n\nof the pack";
    comments[static_cast<std::size_t>(AnswerKey::Jvm)] = "Not a Java package";
    EXPECT_EQ("; Answers for the Sample Tag Pack\r\n"
              "[Tarnwick]\r\n"
              "\r\n; I accept the licence\r\n;\r\n; of the pack\r\nAcceptLicense=yes\r\n"
              "\r\n; Not a Java package\r\n"
              "\r\nDir1=C:\\Tags\r\n"
              "\r\nOptions=1,3\r\n",
        Answers::Format(answers, comments, "Answers for the Sample Tag Pack"));
}

TEST(Answers, AFormattedFileReadsBackTheSame)
{
    Answers answers;
    answers.acceptLicense = false;
    answers.jvm = std::string(Answers::keepJvm);
    answers.dirs = { " C:\\Leading Blank", "\"C:\\Quoted\"", "" };
    answers.options = std::vector<int> {};
    answers.createFolders = true;
    answers.restartServer = false;
    std::array<std::string, answerKeyCount> comments;
    comments.fill("what the wizard asks; [Tarnwick] # Dir1=x");

    answers.sources.fill(AnswerSource::File);
    ParsedAnswers parsed = Parse(Answers::Format(answers, comments), {}, 0);
    ASSERT_EQ(Sets {}, parsed.errors);
    EXPECT_EQ(answers, parsed.answers);

    Answers other;
    other.jvm = "C:\\J\xE9va\\jvm.dll  ; not a comment = still the path";
    other.dirs[2] = "D:\\Web\\";
    other.options = std::vector<int> { 2, 5, 7 };
    other.sources[static_cast<std::size_t>(AnswerKey::Jvm)] = AnswerSource::File;
    other.sources[static_cast<std::size_t>(AnswerKey::Dir3)] = AnswerSource::File;
    other.sources[static_cast<std::size_t>(AnswerKey::Options)] = AnswerSource::File;
    parsed = Parse(Answers::Format(other, comments), {}, 7);
    ASSERT_EQ(Sets {}, parsed.errors);
    EXPECT_EQ(other, parsed.answers);

    // A line break cannot be written; the key is left out rather than cut.
    Answers broken;
    broken.dirs[0] = "C:\\a\r\nOptions=1";
    const std::string text = Answers::Format(broken, {});
    EXPECT_NE(std::string::npos, text.find("; Dir1 is left out: its value holds a line break\r\n")) << text;
    EXPECT_EQ(Answers {}, Parse(text).answers);
}

} // namespace
