// rcgen's refusals. Whatever lies outside the .rc subset it understands must stop the build with
// the file and line of the statement, never be guessed at or dropped. (What it accepts is compared
// with windres by check_against_windres.sh.)
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <ostream>
#include <string>
#include <sys/wait.h>

namespace {

struct RcgenResult {
    int status = -1;
    std::string output;
};

RcgenResult runRcgen(const std::string& arguments)
{
    RcgenResult run;
    const std::string command = "\"" + std::string(RCGEN_PATH) + "\" " + arguments + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return run;
    char buffer[512];
    while (const size_t n = fread(buffer, 1, sizeof buffer, pipe))
        run.output.append(buffer, n);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

struct Refusal {
    const char* name;
    const char* script; // test.rc, with kNamesHeader beside it as names.h
    const char* message; // what rcgen must print, after the folder that holds test.rc
};

constexpr const char* kNamesHeader = "#pragma once\n"
                                     "#define IDD_PAGE 5\n"
                                     "#define BAD_STYLE WS_BORDER | WS_FRAME_TYPO\n";

constexpr const char* kDialogHead
    = "#include <windows.h>\n#include \"names.h\"\nIDD_PAGE DIALOG 0, 0, 10, 10\n";

const Refusal kRefusals[] = {
    { "UnknownStyleName",
        "#include <windows.h>\n5 DIALOG 0, 0, 10, 10\nSTYLE WS_POPUP | WS_BOGUS\nBEGIN\nEND\n",
        "test.rc:3: unknown name 'WS_BOGUS'" },
    { "UnknownNameFromAMacroIsReportedWhereItIsUsed",
        "#include <windows.h>\n#include \"names.h\"\n\nIDD_PAGE DIALOG 0, 0, 10, 10\nSTYLE "
        "BAD_STYLE\nBEGIN\nEND\n",
        "test.rc:5: unknown name 'WS_FRAME_TYPO'" },
    { "MisspelledResourceId", "IDD_PAGF DIALOG 0, 0, 10, 10\nBEGIN\nEND\n",
        "test.rc:1: unknown name 'IDD_PAGF'" },
    { "ControlStatementWithDefaults",
        "5 DIALOG 0, 0, 10, 10\nBEGIN\n  PUSHBUTTON \"OK\", 1, 0, 0, 1, 1\nEND\n",
        "test.rc:3: only generic CONTROL statements are understood" },
    { "UnknownEscape", "5 DIALOG 0, 0, 10, 10\nCAPTION \"a\\qb\"\nBEGIN\nEND\n",
        "test.rc:2: escape '\\q' is not understood" },
    { "UnclosedString", "STRINGTABLE\nBEGIN\n  1 \"open\nEND\n",
        "test.rc:3: string is not closed on its line" },
    { "UnclosedComment", "/* one\ntwo\n", "test.rc:1: comment is not closed" },
    { "Menu", "5 DIALOG 0, 0, 10, 10\nMENU 7\nBEGIN\nEND\n", "test.rc:2: 'MENU' is not supported" },
    { "FontWeight", "5 DIALOGEX 0, 0, 10, 10\nFONT 8, \"MS Sans Serif\", 400, 0, 1\nBEGIN\nEND\n",
        "test.rc:2: font weight, italic and character set are not supported" },
    { "ControlHelpId",
        "5 DIALOGEX 0, 0, 10, 10\nBEGIN\n  CONTROL \"\", 1, \"STATIC\", 0, 0, 0, 1, 1, 0, 99\nEND\n",
        "test.rc:3: a control help id is not supported" },
    { "NotOutsideAStyle", "5 DIALOG 0, 0, 10, 10\nEXSTYLE NOT 8\nBEGIN\nEND\n",
        "test.rc:2: NOT can only start a term of a style" },
    { "UnparenthesisedStyleTerm", "5 DIALOG 0, 0, 10, 10\nSTYLE 0x40 | -1\nBEGIN\nEND\n",
        "test.rc:2: a term of a style is a name, a number or a parenthesised expression" },
    { "CoordinateOutOfRange", "5 DIALOG 0, 0, 40000, 10\nBEGIN\nEND\n",
        "test.rc:1: coordinate 40000 does not fit 16 bits" },
    { "DialogControlIdTooLarge",
        "5 DIALOG 0, 0, 10, 10\nBEGIN\n  CONTROL \"\", 70000, \"STATIC\", 0, 0, 0, 1, 1\nEND\n",
        "test.rc:3: control id 70000 does not fit the 16 bits of a DIALOG" },
    { "DuplicateDialog", "5 DIALOG 0, 0, 1, 1\nBEGIN\nEND\n5 DIALOG 0, 0, 1, 1\nBEGIN\nEND\n",
        "test.rc:4: dialog 5 is defined twice" },
    { "DuplicateString", "STRINGTABLE\nBEGIN\n  1 \"a\"\n  1 \"b\"\nEND\n",
        "test.rc:4: string 1 is defined twice" },
    { "ConditionalExpression", "#if 1\n#endif\n", "test.rc:1: directive '#if' is not understood" },
    { "IfdefWithoutEndif", "#ifdef RC_INVOKED\n", "test.rc:1: #ifdef or #ifndef has no #endif in this file" },
    { "MissingHeader", "#include \"absent.h\"\n", "test.rc:1: cannot open" },
    { "OtherSystemHeader", "#include <commctrl.h>\n", "test.rc:1: only <windows.h> can be included with <>" },
    { "OtherResourceType", "1 MENU\nBEGIN\nEND\n", "test.rc:1: resource type 'MENU' is not understood" },
    { "LeadingZero", "STRINGTABLE\nBEGIN\n  010 \"octal or decimal?\"\nEND\n",
        "test.rc:3: number '010' has a leading zero" },
};

// Names the case in test output instead of dumping the struct's bytes.
void PrintTo(const Refusal& refusal, std::ostream* out)
{
    *out << refusal.name;
}

class RcgenRefuses : public ::testing::TestWithParam<Refusal> { };

TEST_P(RcgenRefuses, WithFileAndLineAndWritesNothing)
{
    const Refusal& refusal = GetParam();
    const TempFolder folder;
    folder.Write("names.h", kNamesHeader);
    folder.Write("test.rc", refusal.script);
    const std::filesystem::path rc = folder.Host("test.rc");
    const std::filesystem::path out = folder.Host("tables.cpp");

    const RcgenResult run = runRcgen(rc.string() + " -o " + out.string());

    EXPECT_EQ(run.status, 1) << run.output;
    const std::string expected = rc.parent_path().string() + "/" + refusal.message;
    EXPECT_NE(run.output.find(expected), std::string::npos)
        << "expected: " << expected << "\ngot: " << run.output;
    EXPECT_FALSE(std::filesystem::exists(out));
}

INSTANTIATE_TEST_SUITE_P(Rcgen, RcgenRefuses, ::testing::ValuesIn(kRefusals),
    [](const ::testing::TestParamInfo<Refusal>& info) { return std::string(info.param.name); });

TEST(Rcgen, WritesTablesThatNameEveryDialogAndString)
{
    const TempFolder folder;
    folder.Write("names.h", kNamesHeader);
    folder.Write("test.rc",
        std::string(kDialogHead)
            + "BEGIN\n  CONTROL \"a\\tb\", IDOK, \"button\", 0, 1, 2, 3, 4\nEND\n"
              "STRINGTABLE\nBEGIN\n  7 \"x\"\nEND\n");
    const std::filesystem::path out = folder.Host("tables.cpp");

    const RcgenResult run = runRcgen(folder.Host("test.rc").string() + " -o " + out.string());

    ASSERT_EQ(run.status, 0) << run.output;
    const std::string tables = folder.Read("tables.cpp");
    EXPECT_NE(tables.find("#include \"platform/DialogTemplate.h\""), std::string::npos);
    EXPECT_NE(tables.find("{ 1, \"BUTTON\", \"a\\011b\", 0, 0x50000000, 0x00000000, 1, 2, 3, 4 }"),
        std::string::npos)
        << tables;
    EXPECT_NE(tables.find("{ 7, \"x\" }"), std::string::npos) << tables;
}

TEST(Rcgen, UsageErrorsExitWithTwo)
{
    EXPECT_EQ(runRcgen("").status, 2);
    EXPECT_EQ(runRcgen("a.rc --bogus").status, 2);
}

} // namespace
