#include "cli/check/PackageCheck.h"
#include "cli/ExitCodes.h"
#include "cli/log/JsonLine.h"

#include "TempFolder.h"
#include "tests/unit/cli/FoldingLocale.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

// One expected diagnostic: where and how bad ("install.conf:3:17: error"), and a piece of its text
// that tells it apart from the others.
struct Expected {
    std::string at;
    std::string says;
};

struct Case {
    const char* name;
    std::string conf; // with "\n" line ends; also checked with "\r\n" unless lineEndsMatter
    std::vector<Expected> expected;
    std::string licence = {}; // license.txt when not empty
    bool lineEndsMatter = false; // byte counts decide: checked as written only
};

std::vector<std::string> Render(const PackageCheck& check)
{
    std::vector<std::string> lines;
    for (const Diagnostic& d : check.diagnostics)
        lines.push_back(d.file + ":" + std::to_string(d.line) + ":" + std::to_string(d.column) + ": "
            + (d.severity == Severity::Error ? "error" : "warning") + ": " + d.message);
    return lines;
}

std::string WithCrLf(const std::string& text)
{
    std::string converted;
    for (char c : text) {
        if (c == '\n')
            converted += '\r';
        converted += c;
    }
    return converted;
}

// The package of a case: its install.conf and licence, beside a folder and a file that Copy
// options can name.
PackageCheck CheckCase(const Case& c, bool crlf)
{
    const TempFolder package;
    package.Write("install.conf", crlf ? WithCrLf(c.conf) : c.conf);
    if (!c.licence.empty())
        package.Write("license.txt", crlf ? WithCrLf(c.licence) : c.licence);
    package.Write("files\\tag.cfm", "<cfoutput>tag</cfoutput>");
    package.Write("readme.txt", "read me");
    return CheckPackage(package.Host().string());
}

void ExpectDiagnostics(const Case& c, bool crlf)
{
    SCOPED_TRACE(std::string(c.name) + (crlf ? " (CRLF)" : " (LF)"));
    const PackageCheck check = CheckCase(c, crlf);
    ASSERT_TRUE(check.opened);
    const std::vector<std::string> actual = Render(check);
    std::string all;
    for (const std::string& line : actual)
        all += "\n  " + line;
    ASSERT_EQ(c.expected.size(), actual.size()) << all;
    for (std::size_t i = 0; i < actual.size(); ++i) {
        EXPECT_EQ(c.expected[i].at + ": ", actual[i].substr(0, c.expected[i].at.size() + 2)) << all;
        EXPECT_NE(std::string::npos, actual[i].find(c.expected[i].says)) << actual[i];
    }
}

std::string Repeat(char c, std::size_t count)
{
    return std::string(count, c);
}

// The last tag starts 8 bytes before the limit: it and everything after it is never read.
std::string PastTheLimit()
{
    const std::string first = "<INSTALL_TITLE VALUE=\"T\">\n";
    const std::string note = "<!--" + Repeat('x', 12048 - 8 - first.size() - 8) + "-->\n";
    return first + note + "<OPTION1 CAPTION=\"cut by the limit\">\n<DIR1 VALUE=\"never\">\n";
}

std::string LongLicence()
{
    std::string text;
    for (int line = 0; line < 200; ++line)
        text += Repeat('a', 79) + "\n";
    return text + "the part nobody sees\n";
}

// An install.conf with nothing to say about it, for cases about the licence.
const std::string kOneOption = "<INSTALL_TITLE VALUE=\"T\">\n"
                               "<OPTION1 TYPE=\"ODBC\">\n"
                               "<OPTION1 DESCRIPTION=\"Data\">\n"
                               "<OPTION1 SOURCE=\"C:\\T\\d.mdb\">\n";

const Case kCases[] = {
    { "a package as it should be",
        "<!-- a note, and a tag kept in one: <OPTION9 CAPTION=\"old\"> -->\n"
        "<INSTALL_TITLE VALUE=\"T\">\n"
        "<DIR1 VISIBLE=\"true\">\n"
        "<DIR1 CAPTION=\"Folder\">\n"
        "<DIR1 VALUE=\"C:\\T\">\n"
        "<DIR2 VISIBLE=\"0\">\n"
        "<OPTION1 TYPE=\"Copy\">\n"
        "<OPTION1 SOURCE=\"files\">\n"
        "<OPTION1 DEST=\"%DIR1%\\x\">\n"
        "<OPTION2 TYPE=\"ODBC\">\n"
        "<OPTION2 DESCRIPTION=\"Data\">\n"
        "<OPTION2 SOURCE=\"C:\\T\\d.mdb\">\n"
        "<OPTION3 TYPE=\"JavaCFX\">\n"
        "<OPTION3 TAGNAME=\"CFX_A\">\n"
        "<OPTION3 CLASS=\"A\">\n"
        "<OPTION3 ENABLED=\"false\">\n"
        "<OPTION3 VISIBLE=\"no\">\n"
        "<RESTARTCF VALUE=\"no\">\n",
        {}, "A short licence.\n" },
    { "keywords",
        "<dir1 VALUE=\"C:\\x\">\n"
        "< OPTION1 CAPTION=\"x\">\n"
        "<TITLE VALUE=\"x\">\n"
        "<!-- <OPTION1 CAPTION=\"old\"> -->\n"
        "a < b <INSTALL_TITLE VALUE=\"x\">\n"
        "DIR1 VALUE=\"x\">\n",
        { { "install.conf:1:1: error", "keywords are upper case" },
            { "install.conf:1:1: warning", "holds no option" },
            { "install.conf:2:2: error", "blank after '<'" },
            { "install.conf:3:1: warning", "unknown tag <TITLE" },
            { "install.conf:5:7: error", "this tag is skipped" },
            { "install.conf:6:1: warning", "no '<'" } } },
    { "attributes",
        "<DIR1 CAPTON=\"x\">\n"
        "<OPTION1 caption=\"x\">\n"
        "<DIR2 TYPE=\"Copy\">\n"
        "<OPTION1 VALUE=\"x\">\n"
        "<INSTALL_TITLE NAME=\"x\">\n"
        "<CLASSPATH value=\"x\">\n"
        "<DIR1 CAPTION=\"Tags\" VALUE=\"C:\\Tags\">\n"
        "<OPTION1>\n",
        { { "install.conf:1:7: error", "unknown attribute CAPTON" },
            { "install.conf:2:1: error", "option 1 has no TYPE" },
            { "install.conf:2:10: error", "attribute names are upper case" },
            { "install.conf:3:7: error", "TYPE is not an attribute of <DIR" },
            { "install.conf:4:10: error", "VALUE is not an attribute of <OPTION" },
            { "install.conf:5:16: warning", "unknown attribute \"NAME\"" },
            { "install.conf:6:1: warning", "CLASSPATH is not used" },
            { "install.conf:6:12: warning", "upper case" },
            { "install.conf:7:22: error", "a second attribute" },
            { "install.conf:8:1: warning", "without an attribute starts an option" } } },
    { "the form of values",
        "<DIR1 VALUE=\"C:\\Tags\" >\n"
        "<RESTARTCF VALUE = \"false\">\n"
        "<DIR2 VALUE =\"D:\\x\">\n"
        "<OPTION1 CAPTION=\"a>b\">\n"
        "<INSTALL_TITLE VALUE=Tags>\n"
        "<CLASSPATH VALUE=\"a.jar>\n",
        { { "install.conf:1:22: error", "blank before '>'" },
            { "install.conf:2:17: warning", "blank before '='" },
            { "install.conf:2:19: error", "blank after '='" }, { "install.conf:2:20: error", "reads as on" },
            { "install.conf:3:12: error", "blank before '='" },
            { "install.conf:4:1: error", "option 1 has no TYPE" },
            { "install.conf:4:20: error", "'>' inside a value" },
            { "install.conf:5:22: error", "not in quotes" },
            { "install.conf:6:1: warning", "CLASSPATH is not used" },
            { "install.conf:6:23: error", "no closing quote" } } },
    { "flags that look off and read as on",
        "<IS_JAVA VALUE=\"False\">\n"
        "<DIR1 VISIBLE=\"no \">\n"
        "<OPTION1 ENABLED=\"FALSE\">\n"
        "<OPTION1 VISIBLE=\"0\">\n"
        "<RESTARTCF VALUE=\"no\">\n"
        "<DIR2 VISIBLE=\"false\">\n"
        "<DIR3 VISIBLE=\"yes\">\n",
        { { "install.conf:1:1: warning", "a Java package without CLASSPATH" },
            { "install.conf:1:17: error", "IS_JAVA \"False\" reads as on" },
            { "install.conf:2:16: error", "VISIBLE \"no \" reads as on" },
            { "install.conf:3:1: error", "option 1 has no TYPE" },
            { "install.conf:3:19: error", "ENABLED \"FALSE\" reads as on" } } },
    { "row and group characters",
        "<DIR4 VALUE=\"D:\\x\">\n"
        "<DIR10 VALUE=\"D:\\x\">\n"
        "<OPTION10 CAPTION=\"x\">\n"
        "<OPTION2  CAPTION=\"y\">\n"
        "<OPTION CAPTION=\"z\">\n",
        { { "install.conf:1:5: error", "there is no row \"4\"" },
            { "install.conf:2:5: error", "the row is the one character" },
            { "install.conf:3:1: error", "option 1 has no TYPE" },
            { "install.conf:3:8: error", "the group is the one character" },
            { "install.conf:4:1: error", "option 2 has no TYPE" },
            { "install.conf:4:10: error", "two blanks after <OPTION2" },
            { "install.conf:5:1: error", "option 3 (<OPTION ) has no TYPE" },
            { "install.conf:5:8: error", "no group character" } } },
    { "text past the limit", PastTheLimit(),
        { { "install.conf:1:1: warning", "holds no option" },
            { "install.conf:3:1: error", "only the first 12,048 bytes" } },
        {}, true },
    { "a NUL byte", "<INSTALL_TITLE VALUE=\"T\">\n\0\n<DIR1 VALUE=\"x\">\n"s,
        { { "install.conf:1:1: warning", "holds no option" },
            { "install.conf:2:1: error", "a NUL byte ends the text" } } },
    { "a file saved as UTF-16", "\xFF\xFE<\0I\0>\0"s,
        { { "install.conf:1:1: warning", "holds no option" },
            { "install.conf:1:3: error", "no '>' ends this tag" }, { "install.conf:1:4: error", "UTF-16" } },
        {}, true },
    { "a last tag without '>'", "<INSTALL_TITLE VALUE=\"T\">\n<OPTION1 DEST=\"x\"\n",
        { { "install.conf:1:1: warning", "holds no option" },
            { "install.conf:2:1: error", "no '>' ends this tag" } } },
    { "copies",
        "<DIR1 VISIBLE=\"true\">\n"
        "<DIR1 VALUE=\"C:\\T\">\n"
        "<DIR2 VISIBLE=\"true\">\n"
        "<OPTION1 TYPE=\"Copy\">\n"
        "<OPTION1 SOURCE=\"missing\">\n"
        "<OPTION1 DEST=\"%DIR2%\\a\">\n"
        "<OPTION2 TYPE=\"Copy\">\n"
        "<OPTION2 SOURCE=\"readme.txt\">\n"
        "<OPTION2 DEST=\"%DIR3%\\b\">\n"
        "<OPTION3 TYPE=\"Copy\">\n"
        "<OPTION3 SOURCE=\"C:\\elsewhere\">\n"
        "<OPTION3 DEST=\"%dir1%\">\n"
        "<OPTION4 TYPE=\"Copy\">\n"
        "<OPTION4 SOURCE=\"files\\..\\..\">\n"
        "<OPTION4 DEST=\"%DIR1%\\c\">\n"
        "<OPTION5 TYPE=\"Copy\">\n"
        "<OPTION6 TYPE=\"copy\">\n"
        "<OPTION7 CAPTION=\"nothing\">\n"
        "<OPTION8 TYPE=\"Copy\">\n",
        { { "install.conf:5:18: error", "\"missing\", which is not a folder of the package" },
            { "install.conf:6:16: warning", "%DIR2% stands for row 2, which has no VALUE" },
            { "install.conf:8:18: error", "a file rather than a folder" },
            { "install.conf:9:16: error", "%DIR3% stands for row 3, which is hidden" },
            { "install.conf:11:18: warning", "a folder of the machine" },
            { "install.conf:12:16: warning", "%dir1% is never replaced" },
            { "install.conf:14:18: warning", "outside the package" },
            { "install.conf:16:1: error", "option 5 has no SOURCE" },
            { "install.conf:16:1: error", "option 5 has no DEST" },
            { "install.conf:17:16: error", "unknown TYPE \"copy\": it does nothing (write Copy)" },
            { "install.conf:18:1: error", "option 7 has no TYPE" },
            { "install.conf:19:1: error", "option 8 is never shown and never installed" } } },
    { "registrations",
        "<OPTION1 TYPE=\"JavaCFX\">\n"
        "<OPTION1 TAGNAME=\"\">\n"
        "<OPTION1 CLASS=\"%DIR1%\\a.jar\">\n"
        "<OPTION2 TYPE=\"C++CFX\">\n"
        "<OPTION2 TAGNAME=\"CFX_B\">\n"
        "<OPTION3 TYPE=\"ODBC\">\n"
        "<OPTION4 TYPE=\"ODBC\">\n"
        "<OPTION4 DESCRIPTION=\"Data\">\n"
        "<OPTION4 SOURCE=\"x.mdb\">\n"
        "<OPTION1 TYPE=\"ODBC\">\n",
        { { "install.conf:2:1: error", "option 1 has an empty TAGNAME" },
            { "install.conf:3:17: warning", "%DIR1% stays as written in CLASS" },
            { "install.conf:4:1: warning", "option 2 has no CLASS" },
            { "install.conf:6:1: error", "option 3 has no DESCRIPTION" },
            { "install.conf:6:1: warning", "option 3 has no SOURCE" },
            { "install.conf:10:1: error", "<OPTION1 again after another option starts option 5" },
            { "install.conf:10:1: error", "option 5 (<OPTION1) has no DESCRIPTION" },
            { "install.conf:10:1: warning", "option 5 (<OPTION1) has no SOURCE" } } },
    { "the class path of a Java package",
        "<IS_JAVA VALUE=\"true\">\n"
        "<DIR3 VISIBLE=\"false\">\n"
        "<CLASSPATH VALUE=\"%DIR3%\\a.jar;%DIR1%\\b.jar\">\n",
        { { "install.conf:1:1: warning", "holds no option" },
            { "install.conf:3:19: error", "%DIR3% stands for row 3, which is hidden" },
            { "install.conf:3:32: error", "%DIR1% stands for row 1, which is hidden" } } },
    { "nothing to install",
        "<INSTALL_TITLE VALUE=\"T\">\n<IS_JAVA VALUE=\"true\">\n<CLASSPATH VALUE=\"a.jar\">\n",
        { { "install.conf:1:1: warning",
            "holds no option (<OPTION1 TYPE=...>): the main page shows no check box" } } },
    { "an empty install.conf", "", { { "install.conf:1:1: warning", "install.conf is empty" } } },
    { "an install.conf of blanks", " \n\t\n", { { "install.conf:1:1: warning", "install.conf is empty" } } },
    { "a licence longer than the page shows", kOneOption,
        { { "license.txt:201:1: error", "only the first 16,000 bytes" } }, LongLicence(), true },
    { "a licence cut by a NUL byte", kOneOption,
        { { "license.txt:2:3: error", "a NUL byte ends the licence" } }, "Line one\nLi\0ne two\n"s },
};

TEST(Check, ReportsWhatTheWizardWouldSilentlyDoWithItsLineAndColumn)
{
    for (const Case& c : kCases) {
        ExpectDiagnostics(c, false);
        if (!c.lineEndsMatter)
            ExpectDiagnostics(c, true);
    }
}

TEST(Check, APackageWithoutInstallConfCannotBeChecked)
{
    const TempFolder empty;
    EXPECT_FALSE(CheckPackage(empty.Host().string()).opened);
    EXPECT_FALSE(CheckPackage(empty.Host("missing").string()).opened);
}

// Names are read byte by byte outside ASCII, as the parser reads them, whatever the C locale: a
// Latin-1 letter ends a name under any locale, as it does under the C one.
TEST(Check, ReadsNamesAsciiOnlyUnderAnyLocale)
{
    const FoldingLocale latin1;
    std::vector<std::string> messages;
    for (const Finding& finding : CheckConfigText("<dir\xE9 VALUE=\"x\">\n<OPTION1 typ\xE9=\"x\">\n",
             [](const std::string&) { return EntryKind::Missing; }))
        messages.push_back(finding.message);
    EXPECT_EQ((std::vector<std::string> { "keywords are upper case: <dir is skipped (write <DIR)",
                  "unknown attribute typ of <OPTION: this tag sets nothing",
                  "option 1 has no TYPE: it does nothing" }),
        messages)
        << latin1.Name();
}

// Exit codes: the worst finding decides. The text lines name the file as the command line names
// the package; --json gives one object per finding.
TEST(Check, ExitCodeAndOutputForEditorsAndCi)
{
    const TempFolder package;
    CommandLine line;
    line.command = "check";
    line.package = package.Host().string();
    const auto run = [&](const std::string& conf, bool json, std::string* printed = nullptr) {
        package.Write("install.conf", conf);
        line.json = json;
        testing::internal::CaptureStdout();
        const int code = RunCheck(line);
        const std::string out = testing::internal::GetCapturedStdout();
        if (printed)
            *printed = out;
        return code;
    };
    const std::string file = (fs::path(line.package) / "install.conf").string();

    EXPECT_EQ(kExitSuccess, run(kOneOption, false));
    std::string printed;
    // A package that installs nothing passes no CI run that fails on warnings.
    EXPECT_EQ(1, run("", false, &printed));
    EXPECT_EQ(file + ":1:1: warning: install.conf is empty: an install changes nothing\n", printed);
    EXPECT_EQ(1, run("<INSTALL_TITLE VALUE=\"T\">\r\n<TITLE VALUE=\"T\">\r\n" + kOneOption, false, &printed));
    EXPECT_EQ(file + ":2:1: warning: unknown tag <TITLE: skipped\n", printed);
    EXPECT_EQ(2, run("<TITLE VALUE=\"T\">\n  <dir1 VALUE=\"x\">\n" + kOneOption, true, &printed));
    EXPECT_EQ("{\"file\":" + JsonString(file)
            + ",\"line\":1,\"column\":1,\"severity\":\"warning\",\"message\":\"unknown tag <TITLE: "
              "skipped\"}\n"
              "{\"file\":"
            + JsonString(file)
            + ",\"line\":2,\"column\":3,\"severity\":\"error\",\"message\":\"keywords are upper case: <dir1 "
              "is "
              "skipped (write <DIR1)\"}\n",
        printed);

    line.package = package.Host("missing").string();
    EXPECT_EQ(kExitBadPackage, run("", false));
}

// The examples are what authors copy: each must check clean, or show only the warnings it means to.
TEST(Check, EveryExamplePackageChecksAsIntended)
{
    const fs::path examples = TARNWICK_EXAMPLES;
    // Package folder name -> the diagnostics it shows on purpose, and why. None yet.
    const std::map<std::string, std::vector<std::string>> intended = {};
    int packages = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(examples)) {
        if (!fs::exists(entry.path() / "install.conf"))
            continue;
        ++packages;
        const std::string name = entry.path().filename().string();
        SCOPED_TRACE(name);
        const PackageCheck check = CheckPackage(entry.path().string());
        ASSERT_TRUE(check.opened);
        const auto wanted = intended.find(name);
        EXPECT_EQ(wanted == intended.end() ? std::vector<std::string> {} : wanted->second, Render(check));
    }
    EXPECT_GE(packages, 2);
}

} // namespace
