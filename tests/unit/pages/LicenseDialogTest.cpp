#include "pages/LicenseDialog.h"

#include "platform/CurrentDirectory.h"
#include "tests/support/ScriptedHost.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Text with every kind of byte a licence may hold: bare and CR LF line ends, tabs, bytes above 127.
const std::string kLicense = "Terms of use\nA bare line feed ends this line\n\r\nand CR LF this one\r\n"
                             "\tIndented, caf\xe9, \xff\x80\n";

// Printable bytes with a line end now and then, so that a text cut at the wrong place differs.
std::string Filler(std::size_t size)
{
    std::string text(size, ' ');
    for (std::size_t i = 0; i < size; ++i)
        text[i] = i % 72 == 71 ? '\n' : static_cast<char>('!' + i % 90);
    return text;
}

void Agree(PageView& page)
{
    page.Click(IDC_LICENSE_AGREE);
}

void Disagree(PageView& page)
{
    page.Click(IDC_LICENSE_DISAGREE);
}

// Ways to reach each state of the page, from a freshly opened one.
struct State {
    const char* name;
    std::vector<void (*)(PageView&)> clicks;
    bool agreed;
};
const State kStates[] = {
    { "nothing chosen", {}, false },
    { "disagreed", { Disagree }, false },
    { "agreed", { Agree }, true },
    { "agreed, then disagreed", { Agree, Disagree }, false },
};

// The current folder's licence counts as missing: the page ends before it is shown, silently.
void ExpectNoLicensePage()
{
    EXPECT_FALSE(LicenseDialog::ReadLicenseText().found);
    ScriptedHost host;
    LicenseDialog dialog;
    EXPECT_EQ(LicenseDialog::kNoLicense, dialog.DoModal());
    EXPECT_TRUE(host.Turns().empty());
    EXPECT_TRUE(host.Messages().empty());
}

// The wizard is started with the package folder as current directory.
class LicensePage : public ::testing::Test {
protected:
    void WriteLicense(const std::string& content) const { package.Write("license.txt", content); }

    TempFolder package;
    CurrentDirectoryScope inPackage { package.Host() };
};

TEST_F(LicensePage, OpensWithTheFileAsWrittenAndNoChoiceMade)
{
    WriteLicense(kLicense);
    ScriptedHost host;
    host.OnPage(IDD_LICENSE, [](PageView& page) {
        EXPECT_TRUE(page.Shown());
        EXPECT_EQ("License", page.Caption());
        EXPECT_EQ(kLicense, page.Text(IDC_LICENSE_TEXT));
        EXPECT_EQ(BST_UNCHECKED, page.Check(IDC_LICENSE_AGREE));
        EXPECT_EQ(BST_UNCHECKED, page.Check(IDC_LICENSE_DISAGREE));
        EXPECT_FALSE(page.Enabled(IDOK));
        EXPECT_TRUE(page.Visible(IDC_LICENSE_BACK));
        EXPECT_FALSE(page.Enabled(IDC_LICENSE_BACK)) << "the licence page is always the first";
        page.Click(IDCANCEL);
    });
    LicenseDialog dialog;
    EXPECT_EQ(IDCANCEL, dialog.DoModal());
    EXPECT_TRUE(host.Messages().empty());
}

TEST_F(LicensePage, NextFollowsTheLastRadioButtonClicked)
{
    WriteLicense(kLicense);
    const struct {
        const char* how;
        void (*press)(PageView&);
    } presses[] = {
        { "Next >>", [](PageView& page) { page.Click(IDOK); } },
        { "Enter", [](PageView& page) { page.PressEnter(); } },
    };
    for (const auto& press : presses) {
        SCOPED_TRACE(press.how);
        ScriptedHost host;
        host.OnPage(IDD_LICENSE, [&](PageView& page) {
            Agree(page);
            EXPECT_TRUE(page.Enabled(IDOK));
            Disagree(page);
            EXPECT_FALSE(page.Enabled(IDOK));
            EXPECT_EQ(BST_UNCHECKED, page.Check(IDC_LICENSE_AGREE));
            Agree(page);
            EXPECT_TRUE(page.Enabled(IDOK));
            EXPECT_EQ(BST_UNCHECKED, page.Check(IDC_LICENSE_DISAGREE));
            press.press(page);
        });
        LicenseDialog dialog;
        EXPECT_EQ(IDOK, dialog.DoModal());
    }
}

TEST_F(LicensePage, WhileNextIsDisabledNothingButCancellingEndsThePage)
{
    WriteLicense(kLicense);
    for (const State& state : kStates) {
        if (state.agreed)
            continue;
        SCOPED_TRACE(state.name);
        ScriptedHost host;
        host.OnPage(IDD_LICENSE, [&](PageView& page) {
            for (auto click : state.clicks)
                click(page);
            page.PressEnter();
            Disagree(page);
            page.PressEnter();
        });
        host.OnPage(IDD_LICENSE, [](PageView& page) {
            EXPECT_TRUE(page.Shown()) << "the page is still open after Enter";
            EXPECT_FALSE(page.Enabled(IDOK));
            page.PressEscape();
        });
        LicenseDialog dialog;
        EXPECT_EQ(IDCANCEL, dialog.DoModal());
    }
}

TEST_F(LicensePage, CancelEscAndTheCloseBoxEndWithTwoFromEveryState)
{
    WriteLicense(kLicense);
    for (const State& state : kStates)
        for (const PageExit& exit : kCancelExits) {
            SCOPED_TRACE(std::string(exit.how) + " when " + state.name);
            ScriptedHost host;
            host.OnPage(IDD_LICENSE, [&](PageView& page) {
                for (auto click : state.clicks)
                    click(page);
                exit.leave(page);
            });
            LicenseDialog dialog;
            EXPECT_EQ(IDCANCEL, dialog.DoModal());
            EXPECT_TRUE(host.Messages().empty());
        }
}

TEST_F(LicensePage, ShowsAtMostSixteenThousandBytesUpToTheFirstZeroByte)
{
    const std::string atLimit = Filler(16000);
    const struct {
        const char* name;
        std::string file;
        std::string shown;
    } cases[] = {
        { "empty", "", "" },
        { "one byte short", Filler(15999), Filler(15999) },
        { "exactly at the limit", atLimit, atLimit },
        { "one byte over", Filler(16001), atLimit },
        { "far over", Filler(50000), atLimit },
        { "zero byte inside", std::string("before\0after", 12), "before" },
        { "zero byte first", std::string("\0after", 6), "" },
        { "zero byte just past the limit", atLimit + std::string(1, '\0') + "tail", atLimit },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteLicense(c.file);
        ScriptedHost host;
        host.OnPage(IDD_LICENSE, [&](PageView& page) {
            EXPECT_EQ(c.shown, page.Text(IDC_LICENSE_TEXT));
            EXPECT_FALSE(page.Enabled(IDOK)) << "even an empty text must be agreed to";
            Agree(page);
            page.Click(IDOK);
        });
        LicenseDialog dialog;
        EXPECT_EQ(IDOK, dialog.DoModal());
    }
}

TEST_F(LicensePage, FindsTheFileWhateverTheCaseOfItsName)
{
    // Package authors on Windows never had to care how the name was spelt.
    package.Write("License.TXT", kLicense);
    ScriptedHost host;
    host.OnPage(IDD_LICENSE, [](PageView& page) {
        EXPECT_EQ(kLicense, page.Text(IDC_LICENSE_TEXT));
        page.PressEscape();
    });
    LicenseDialog dialog;
    EXPECT_EQ(IDCANCEL, dialog.DoModal());
}

TEST_F(LicensePage, WithoutALicenceFileThePageIsSkippedSilently)
{
    const struct {
        const char* name;
        void (*make)(const TempFolder&);
    } cases[] = {
        { "no file", [](const TempFolder&) {} },
        { "a folder of that name",
            [](const TempFolder& folder) {
                fs::create_directory(folder.Host("license.txt"));
                folder.Write("license.txt\\inner.txt", kLicense);
            } },
        { "a link to nothing",
            [](const TempFolder& folder) { fs::create_symlink("missing.txt", folder.Host("license.txt")); } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        c.make(folder);
        CurrentDirectoryScope inFolder(folder.Host());
        ExpectNoLicensePage();
    }
}

TEST_F(LicensePage, AFileThatOpensButCannotBeReadCountsAsMissing)
{
    // Reading a process's own memory at address 0 fails after a successful open: page 0 is never
    // mapped on Linux.
    const int probe = ::open("/proc/self/mem", O_RDONLY);
    char byte = 0;
    const bool readFails = probe >= 0 && ::pread(probe, &byte, 1, 0) < 0;
    if (probe >= 0)
        ::close(probe);
    if (!readFails)
        GTEST_SKIP() << "/proc/self/mem does not behave as a file that opens and fails to read here";

    fs::create_symlink("/proc/self/mem", package.Host("license.txt"));
    ExpectNoLicensePage();
}

// A package folder whose Windows path has exactly length characters, below root.
fs::path NestedFolder(const TempFolder& root, std::size_t length)
{
    fs::path host = root.Host();
    std::string windows = root.Path();
    for (char letter = 'a'; windows.size() < length; ++letter) {
        const std::size_t room = length - windows.size() - 1; // after the separator
        // Never leave room for a separator alone.
        const std::size_t take = room <= 100 ? room : (room == 101 ? 99 : 100);
        const std::string name(take, letter);
        host /= name;
        windows += "\\" + name;
    }
    fs::create_directories(host);
    return host;
}

TEST(LicensePageInADeepFolder, FindsTheFileAtAnyLengthOfTheCurrentDirectory)
{
    // 247 and 248 put the full file name on either side of the system's 260-character limit; 254
    // was all the page could once take; 258 is Windows' longest current directory; the POSIX layer
    // allows more.
    for (const std::size_t length : { 200u, 247u, 248u, 254u, 255u, 258u, 300u }) {
        SCOPED_TRACE(length);
        TempFolder root;
        const fs::path folder = NestedFolder(root, length);
        std::ofstream(folder / "license.txt", std::ios::binary) << kLicense;
        CurrentDirectoryScope inFolder(folder);
        ASSERT_EQ(length, GetCurrentDirectoryText().size());

        ScriptedHost host;
        host.OnPage(IDD_LICENSE, [](PageView& page) {
            EXPECT_EQ(kLicense, page.Text(IDC_LICENSE_TEXT));
            Agree(page);
            page.Click(IDOK);
        });
        LicenseDialog dialog;
        EXPECT_EQ(IDOK, dialog.DoModal());
    }
}

} // namespace
