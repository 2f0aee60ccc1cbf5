#include "pages/JvmDialog.h"

#include "platform/CurrentDirectory.h"
#include "platform/posix/registry/RegistryStore.h"
#include "tests/support/RegistryHelpers.h"
#include "tests/support/ScriptedHost.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const std::string kRuntimesKey = "SOFTWARE\\JavaSoft\\Java Runtime Environment";
const std::string kJvmKey = "SOFTWARE\\Allaire\\ColdFusion\\CurrentVersion\\JVM";

// Every message box carries the program's name as its caption.
const std::string kTitle = "test_pages";
const std::string kSkipQuestion = "Setup Detected that you have already set up a JVM in ColdFusion "
                                  "Administrator\nWould you like to Skip this step?";
const std::string kNoRuntimeStart
    = "Setup did not find a Sun JVM on this machine.\nPlease download and install the JRE from ";
const std::string kNoRuntimeEnd = "\nWould you like to continue with this installation anyways?";
// The question as MessagesOf reports it, whatever download site it names.
const std::string kNoRuntimeQuestion = kNoRuntimeStart + "<site>" + kNoRuntimeEnd;
const std::string kNotSet
    = "You are not a System Administrator, or an Error Occurred\nJava Settings not set.";

const std::string kLicense = "Licence of the package\n";

struct Message {
    std::string text;
    UINT style;
    bool operator==(const Message&) const = default;
};

void PrintTo(const Message& message, std::ostream* out)
{
    *out << ::testing::PrintToString(message.text) << " style " << message.style;
}

// The messages shown, with the download site of the no-runtime question left out; checks captions.
std::vector<Message> MessagesOf(const ScriptedHost& host)
{
    std::vector<Message> messages;
    for (const ShownMessage& shown : host.Messages()) {
        EXPECT_EQ(kTitle, shown.caption) << shown.text;
        std::string text = shown.text;
        if (text.size() > kNoRuntimeStart.size() + kNoRuntimeEnd.size() && text.starts_with(kNoRuntimeStart)
            && text.ends_with(kNoRuntimeEnd)) {
            const std::string site = text.substr(
                kNoRuntimeStart.size(), text.size() - kNoRuntimeStart.size() - kNoRuntimeEnd.size());
            if (site.find('\n') == std::string::npos)
                text = kNoRuntimeQuestion;
        }
        messages.push_back({ text, shown.style });
    }
    return messages;
}

void SeedRuntime(const std::string& version, const std::string& library)
{
    SeedString(HKEY_LOCAL_MACHINE, kRuntimesKey + "\\" + version, "RuntimeLib", library);
}

// The server's stored JVM path; nullopt when there is none. Fails the test for another type.
std::optional<std::string> StoredJvmPath()
{
    const std::optional<StoredValue> value = ReadValue(HKEY_LOCAL_MACHINE, kJvmKey, "JVMPath");
    if (!value)
        return std::nullopt;
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), value->type);
    EXPECT_TRUE(value->data.ends_with('\0')) << "stored with its terminator";
    return value->data.substr(0, value->data.find('\0'));
}

std::vector<std::string> AsVector(const std::set<std::string>& set)
{
    return { set.begin(), set.end() };
}

// ---- Discovery and storage, without the page ----

class JvmDiscovery : public RegistryTest { };

TEST_F(JvmDiscovery, KeepsEachNonEmptyLibraryOnceInByteOrder)
{
    SeedRuntime("1.3", "D:\\jre\\bin\\hotspot\\jvm.dll");
    SeedRuntime("1.3.1", "C:\\Java\\bin\\client\\jvm.dll");
    SeedRuntime("1.4", "C:\\Java\\bin\\client\\jvm.dll"); // the same library again
    SeedRuntime("1.4.1", "c:\\java\\bin\\client\\jvm.dll"); // differs only in case
    SeedRuntime("1.4.2", ""); // an empty one
    SeedString(HKEY_LOCAL_MACHINE, kRuntimesKey + "\\1.5", "JavaHome", "C:\\jre15"); // none at all
    // Only the versions' own values count, not those of the key above or the keys below them.
    SeedString(HKEY_LOCAL_MACHINE, kRuntimesKey, "RuntimeLib", "C:\\above\\jvm.dll");
    SeedString(HKEY_LOCAL_MACHINE, kRuntimesKey + "\\1.5\\Deeper", "RuntimeLib", "C:\\below\\jvm.dll");

    EXPECT_EQ((std::vector<std::string> { "C:\\Java\\bin\\client\\jvm.dll", "D:\\jre\\bin\\hotspot\\jvm.dll",
                  "c:\\java\\bin\\client\\jvm.dll" }),
        AsVector(JvmDialog::FindRuntimeLibs()));
}

TEST_F(JvmDiscovery, FindsNothingWithoutVersionsThatNameALibrary)
{
    EXPECT_TRUE(JvmDialog::FindRuntimeLibs().empty()) << "no Java key at all";
    SeedKey(HKEY_LOCAL_MACHINE, kRuntimesKey);
    EXPECT_TRUE(JvmDialog::FindRuntimeLibs().empty()) << "no versions";
    SeedKey(HKEY_LOCAL_MACHINE, kRuntimesKey + "\\1.3");
    SeedRuntime("1.4", "");
    EXPECT_TRUE(JvmDialog::FindRuntimeLibs().empty()) << "versions without a library";
    SeedString(HKEY_CURRENT_USER, kRuntimesKey + "\\1.3", "RuntimeLib", "C:\\user\\jvm.dll");
    EXPECT_TRUE(JvmDialog::FindRuntimeLibs().empty()) << "runtimes are the machine's, not the user's";
}

TEST_F(JvmDiscovery, ConfiguredJvmPathIsTheServersSetting)
{
    EXPECT_EQ("", JvmDialog::ConfiguredJvmPath()) << "no key";
    SeedString(HKEY_LOCAL_MACHINE, kJvmKey, "JavaClassPath", "C:\\classes");
    EXPECT_EQ("", JvmDialog::ConfiguredJvmPath()) << "no value";
    SeedString(HKEY_CURRENT_USER, kJvmKey, "JVMPath", "C:\\user\\jvm.dll");
    EXPECT_EQ("", JvmDialog::ConfiguredJvmPath()) << "the user's key is not the server's";
    SeedString(HKEY_LOCAL_MACHINE, kJvmKey, "JVMPath", "C:\\jre\\bin\\client\\jvm.dll");
    EXPECT_EQ("C:\\jre\\bin\\client\\jvm.dll", JvmDialog::ConfiguredJvmPath());
}

TEST_F(JvmDiscovery, SaveJvmPathWritesOnlyIntoAnExistingWritableKey)
{
    EXPECT_FALSE(JvmDialog::SaveJvmPath("C:\\jre\\jvm.dll"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kJvmKey)) << "the key is never created";

    SeedString(HKEY_LOCAL_MACHINE, kJvmKey, "JVMPath", "C:\\old\\jvm.dll");
    WriteProtectKey(kJvmKey);
    EXPECT_FALSE(JvmDialog::SaveJvmPath("C:\\jre\\jvm.dll"));
    EXPECT_EQ("C:\\old\\jvm.dll", StoredJvmPath());

    ResetTestRegistry();
    SeedString(HKEY_LOCAL_MACHINE, kJvmKey, "JavaClassPath", "C:\\classes");
    EXPECT_TRUE(JvmDialog::SaveJvmPath("C:\\jre\\jvm.dll"));
    EXPECT_EQ((std::map<std::string, std::string> {
                  { "JavaClassPath", "C:\\classes" }, { "JVMPath", "C:\\jre\\jvm.dll" } }),
        ReadStrings(HKEY_LOCAL_MACHINE, kJvmKey));
}

// ---- The page ----

// A machine with the server's JVM key and no JVM path yet, and the wizard started in a package
// folder that has a licence.
class JvmPage : public RegistryTest {
protected:
    void SetUp() override
    {
        RegistryTest::SetUp();
        package.Write("license.txt", kLicense);
        SeedKey(HKEY_LOCAL_MACHINE, kJvmKey);
    }

    // A runtime library outside the package, for the open-file dialog to give.
    std::string LibraryElsewhere()
    {
        elsewhere.Write("jre\\bin\\client\\jvm.dll", "library");
        return elsewhere.Path("jre\\bin\\client\\jvm.dll");
    }

    TempFolder package;
    CurrentDirectoryScope inPackage { package.Host() };
    TempFolder elsewhere;
};

// Byte order and the list's order differ for these.
const std::string kUpperZulu = "C:\\Zulu\\jvm.dll";
const std::string kLowerAlpha = "c:\\alpha\\jvm.dll";
const std::string kUpperBeta = "D:\\beta\\jvm.dll";

void SeedThreeRuntimes()
{
    SeedRuntime("1.3", kUpperZulu);
    SeedRuntime("1.4", kLowerAlpha);
    SeedRuntime("1.5", kUpperBeta);
}

TEST_F(JvmPage, ListsTheRuntimesSortedWithoutCaseAndProposesTheFirst)
{
    SeedThreeRuntimes();
    ScriptedHost host;
    host.OnPage(IDD_JVM, [](PageView& page) {
        EXPECT_TRUE(page.Shown());
        EXPECT_EQ("Java Virtual Machine Settings", page.Caption());
        EXPECT_EQ(
            (std::vector<std::string> { kLowerAlpha, kUpperZulu, kUpperBeta }), page.Items(IDC_JVM_LIST));
        EXPECT_EQ(kLowerAlpha, page.Text(IDC_JVM_PATH));
        EXPECT_EQ(LB_ERR, page.Selection(IDC_JVM_LIST)) << "no row shows as chosen";
        EXPECT_TRUE(page.Enabled(IDOK));
        EXPECT_TRUE(page.Enabled(IDC_JVM_BACK));
        page.PressEscape();
    });
    JvmDialog dialog;
    EXPECT_EQ(IDCANCEL, dialog.DoModal());
    EXPECT_TRUE(host.Messages().empty());
    EXPECT_EQ(std::nullopt, StoredJvmPath());
}

TEST_F(JvmPage, ThePathIsTheLastRowChosenOrFileBrowsed)
{
    SeedThreeRuntimes();
    const std::string browsed = LibraryElsewhere();

    ScriptedHost host;
    host.AnswerOpenFile(browsed);
    host.AnswerOpenFile(std::nullopt);
    host.OnPage(IDD_JVM, [&](PageView& page) {
        page.Type(IDC_JVM_PATH, "typed");
        page.Select(IDC_JVM_LIST, 2);
        EXPECT_EQ(kUpperBeta, page.Text(IDC_JVM_PATH));

        page.Click(IDC_JVM_BROWSE);
        EXPECT_EQ(browsed, page.Text(IDC_JVM_PATH));
        EXPECT_EQ(2, page.Selection(IDC_JVM_LIST)) << "browsing leaves the list as it was";

        page.Select(IDC_JVM_LIST, 1);
        EXPECT_EQ(kUpperZulu, page.Text(IDC_JVM_PATH));

        page.Click(IDC_JVM_BROWSE); // cancelled
        EXPECT_EQ(kUpperZulu, page.Text(IDC_JVM_PATH));
        EXPECT_EQ(1, page.Selection(IDC_JVM_LIST));
        page.PressEscape();
    });
    JvmDialog dialog;
    EXPECT_EQ(IDCANCEL, dialog.DoModal());
    const std::string filter = "DLL Files (*.dll)|*.dll|All Files (*.*)|*.*|";
    EXPECT_EQ((std::vector<std::string> { filter, filter }), host.OpenFileFilters());
    EXPECT_EQ(std::nullopt, StoredJvmPath()) << "leaving the page stores nothing";
}

TEST_F(JvmPage, BrowsingElsewhereLeavesTheCurrentDirectoryInThePackage)
{
    SeedThreeRuntimes();
    const std::string browsed = LibraryElsewhere();

    ScriptedHost host;
    host.AnswerOpenFile(browsed);
    host.OnPage(IDD_JVM, [&](PageView& page) {
        page.Click(IDC_JVM_BROWSE);
        EXPECT_EQ(package.Path(), GetCurrentDirectoryText());
        // The licence page reads its file from the current directory again.
        page.Click(IDC_JVM_BACK);
    });
    host.OnPage(IDD_LICENSE, [](PageView& page) {
        EXPECT_EQ(kLicense, page.Text(IDC_LICENSE_TEXT));
        page.Click(IDC_LICENSE_AGREE);
        page.Click(IDOK);
    });
    host.OnPage(IDD_JVM, [&](PageView& page) {
        EXPECT_EQ(browsed, page.Text(IDC_JVM_PATH));
        page.Click(IDOK);
    });
    JvmDialog dialog;
    EXPECT_EQ(IDOK, dialog.DoModal());
    EXPECT_EQ(package.Path(), GetCurrentDirectoryText());
    EXPECT_EQ(browsed, StoredJvmPath());
}

TEST_F(JvmPage, NextStoresWhatThePathBoxHolds)
{
    const std::string longPath = "C:\\" + std::string(289, 'j') + "\\jvm.dll";
    ASSERT_EQ(300u, longPath.size());
    const std::string justFits = "C:\\" + std::string(244, 'j') + "\\jvm.dll";
    ASSERT_EQ(255u, justFits.size());
    const struct {
        const char* name;
        std::optional<std::string> typed; // nullopt: the proposed entry is left as it is
        bool enter;
        std::string stored;
    } cases[] = {
        { "the proposed entry", std::nullopt, false, kLowerAlpha },
        { "the proposed entry, by Enter", std::nullopt, true, kLowerAlpha },
        { "typed over the entry", "E:\\typed\\jvm.dll", false, "E:\\typed\\jvm.dll" },
        { "spaces kept", "  C:\\spaced\\jvm.dll  ", false, "  C:\\spaced\\jvm.dll  " },
        { "255 characters, whole", justFits, false, justFits },
        { "300 characters, cut", longPath, false, longPath.substr(0, 255) },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ResetTestRegistry();
        SeedKey(HKEY_LOCAL_MACHINE, kJvmKey);
        SeedThreeRuntimes();
        ScriptedHost host;
        host.OnPage(IDD_JVM, [&](PageView& page) {
            if (c.typed)
                page.Type(IDC_JVM_PATH, *c.typed);
            if (c.enter)
                page.PressEnter();
            else
                page.Click(IDOK);
        });
        JvmDialog dialog;
        EXPECT_EQ(IDOK, dialog.DoModal());
        EXPECT_EQ(c.stored, StoredJvmPath());
        EXPECT_TRUE(host.Messages().empty());
    }
}

TEST_F(JvmPage, NextWithAnEmptyPathWritesNothingAndGoesOn)
{
    SeedThreeRuntimes();
    SeedString(HKEY_LOCAL_MACHINE, kJvmKey, "JavaClassPath", "C:\\classes");
    ScriptedHost host;
    host.OnPage(IDD_JVM, [](PageView& page) {
        page.Type(IDC_JVM_PATH, "");
        page.Click(IDOK);
    });
    JvmDialog dialog;
    EXPECT_EQ(IDOK, dialog.DoModal());
    EXPECT_EQ((std::map<std::string, std::string> { { "JavaClassPath", "C:\\classes" } }),
        ReadStrings(HKEY_LOCAL_MACHINE, kJvmKey));
    EXPECT_TRUE(host.Messages().empty());
}

TEST_F(JvmPage, AFailedWriteIsReportedAndThePageStillGoesOn)
{
    const struct {
        const char* name;
        void (*prepare)();
        bool keyAfterwards;
    } cases[] = {
        { "no JVM key", [] {}, false },
        {
            "a key the user may not write",
            [] {
                SeedKey(HKEY_LOCAL_MACHINE, kJvmKey);
                WriteProtectKey(kJvmKey);
            },
            true,
        },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ResetTestRegistry();
        SeedThreeRuntimes();
        c.prepare();
        ScriptedHost host;
        host.OnPage(IDD_JVM, [](PageView& page) { page.Click(IDOK); });
        JvmDialog dialog;
        EXPECT_EQ(IDOK, dialog.DoModal());
        EXPECT_EQ((std::vector<Message> { { kNotSet, MB_OK } }), MessagesOf(host));
        EXPECT_EQ(c.keyAfterwards, KeyExists(HKEY_LOCAL_MACHINE, kJvmKey));
        EXPECT_EQ(std::nullopt, StoredJvmPath());
    }
}

TEST_F(JvmPage, CancelEscAndTheCloseBoxEndWithTwoAndStoreNothing)
{
    SeedThreeRuntimes();
    for (const PageExit& exit : kCancelExits) {
        SCOPED_TRACE(exit.how);
        ScriptedHost host;
        host.OnPage(IDD_JVM, [&](PageView& page) {
            page.Select(IDC_JVM_LIST, 1);
            exit.leave(page);
        });
        JvmDialog dialog;
        EXPECT_EQ(IDCANCEL, dialog.DoModal());
        EXPECT_EQ(std::nullopt, StoredJvmPath());
        EXPECT_TRUE(host.Messages().empty());
    }
}

TEST_F(JvmPage, AConfiguredJvmLetsTheUserSkipThePage)
{
    // No runtimes at all: skipping must not go on to look for them and ask about their absence.
    SeedString(HKEY_LOCAL_MACHINE, kJvmKey, "JVMPath", "C:\\configured\\jvm.dll");
    ScriptedHost host;
    host.AnswerMessage(IDYES);
    JvmDialog dialog;
    EXPECT_EQ(IDOK, dialog.DoModal());
    EXPECT_TRUE(host.Turns().empty());
    EXPECT_EQ((std::vector<Message> { { kSkipQuestion, MB_YESNO } }), MessagesOf(host));
    EXPECT_EQ("C:\\configured\\jvm.dll", StoredJvmPath());
}

TEST_F(JvmPage, NotSkippingShowsTheRuntimesFoundAndNeverTheConfiguredPath)
{
    SeedString(HKEY_LOCAL_MACHINE, kJvmKey, "JVMPath", "C:\\configured\\jvm.dll");
    SeedRuntime("1.4", "C:\\found\\jvm.dll");
    ScriptedHost host;
    host.AnswerMessage(IDNO);
    host.OnPage(IDD_JVM, [](PageView& page) {
        EXPECT_EQ((std::vector<std::string> { "C:\\found\\jvm.dll" }), page.Items(IDC_JVM_LIST));
        EXPECT_EQ("C:\\found\\jvm.dll", page.Text(IDC_JVM_PATH));
        page.Click(IDOK);
    });
    JvmDialog dialog;
    EXPECT_EQ(IDOK, dialog.DoModal());
    EXPECT_EQ((std::vector<Message> { { kSkipQuestion, MB_YESNO } }), MessagesOf(host));
    EXPECT_EQ("C:\\found\\jvm.dll", StoredJvmPath());
}

TEST_F(JvmPage, NotSkippingWithoutRuntimesKeepsTheConfiguredPathOnAnEmptyNext)
{
    SeedString(HKEY_LOCAL_MACHINE, kJvmKey, "JVMPath", "C:\\configured\\jvm.dll");
    ScriptedHost host;
    host.AnswerMessage(IDNO);
    host.AnswerMessage(IDYES);
    host.OnPage(IDD_JVM, [](PageView& page) {
        EXPECT_TRUE(page.Items(IDC_JVM_LIST).empty());
        EXPECT_EQ("", page.Text(IDC_JVM_PATH));
        page.Click(IDOK);
    });
    JvmDialog dialog;
    EXPECT_EQ(IDOK, dialog.DoModal());
    EXPECT_EQ((std::vector<Message> { { kSkipQuestion, MB_YESNO }, { kNoRuntimeQuestion, MB_YESNO } }),
        MessagesOf(host));
    EXPECT_EQ("C:\\configured\\jvm.dll", StoredJvmPath());
}

TEST_F(JvmPage, WithoutRuntimesTheUserMayGoOnOrGiveUp)
{
    const struct {
        const char* name;
        void (*seed)();
    } machines[] = {
        { "no Java key", [] {} },
        { "versions without a library",
            [] {
                SeedKey(HKEY_LOCAL_MACHINE, kRuntimesKey + "\\1.3");
                SeedRuntime("1.4", "");
            } },
    };
    for (const auto& machine : machines) {
        SCOPED_TRACE(machine.name);
        ResetTestRegistry();
        SeedKey(HKEY_LOCAL_MACHINE, kJvmKey);
        machine.seed();
        {
            SCOPED_TRACE("gives up");
            ScriptedHost host;
            host.AnswerMessage(IDNO);
            JvmDialog dialog;
            EXPECT_EQ(IDCANCEL, dialog.DoModal());
            EXPECT_TRUE(host.Turns().empty());
            EXPECT_EQ((std::vector<Message> { { kNoRuntimeQuestion, MB_YESNO } }), MessagesOf(host));
        }
        {
            SCOPED_TRACE("goes on");
            ScriptedHost host;
            host.AnswerMessage(IDYES);
            host.OnPage(IDD_JVM, [](PageView& page) {
                EXPECT_TRUE(page.Shown());
                EXPECT_TRUE(page.Items(IDC_JVM_LIST).empty());
                EXPECT_EQ("", page.Text(IDC_JVM_PATH));
                page.Click(IDOK);
            });
            JvmDialog dialog;
            EXPECT_EQ(IDOK, dialog.DoModal());
            EXPECT_EQ((std::vector<Message> { { kNoRuntimeQuestion, MB_YESNO } }), MessagesOf(host));
        }
        EXPECT_EQ(std::nullopt, StoredJvmPath());
    }
}

TEST_F(JvmPage, AStoredPathMakesTheNextShowingOfferTheSkip)
{
    SeedThreeRuntimes();
    ScriptedHost host;
    host.OnPage(IDD_JVM, [](PageView& page) { page.Click(IDOK); });
    host.AnswerMessage(IDYES);
    JvmDialog first;
    EXPECT_EQ(IDOK, first.DoModal());
    JvmDialog again;
    EXPECT_EQ(IDOK, again.DoModal());
    EXPECT_EQ((std::vector<int> { IDD_JVM }), host.Turns());
    EXPECT_EQ((std::vector<Message> { { kSkipQuestion, MB_YESNO } }), MessagesOf(host));
    EXPECT_EQ(kLowerAlpha, StoredJvmPath());
}

TEST_F(JvmPage, BackRunsAFreshLicencePageAndReturnsToThePageAsItWas)
{
    SeedThreeRuntimes();
    HWND jvmPage = nullptr;
    const auto agreeAndGoOn = [&](PageView& page) {
        EXPECT_FALSE(IsWindowVisible(jvmPage)) << "the JVM page is hidden behind the licence";
        EXPECT_EQ(kLicense, page.Text(IDC_LICENSE_TEXT));
        EXPECT_EQ(BST_UNCHECKED, page.Check(IDC_LICENSE_AGREE)) << "agreement is given afresh each time";
        EXPECT_FALSE(page.Enabled(IDOK));
        page.Click(IDC_LICENSE_AGREE);
        page.Click(IDOK);
    };
    const auto expectAsLeft = [](PageView& page) {
        EXPECT_TRUE(page.Shown());
        EXPECT_EQ(
            (std::vector<std::string> { kLowerAlpha, kUpperZulu, kUpperBeta }), page.Items(IDC_JVM_LIST));
        EXPECT_EQ("E:\\typed\\jvm.dll", page.Text(IDC_JVM_PATH));
    };

    ScriptedHost host;
    host.OnPage(IDD_JVM, [&](PageView& page) {
        jvmPage = page.Handle();
        page.Select(IDC_JVM_LIST, 2);
        page.Type(IDC_JVM_PATH, "E:\\typed\\jvm.dll");
        page.Click(IDC_JVM_BACK);
    });
    host.OnPage(IDD_LICENSE, agreeAndGoOn);
    host.OnPage(IDD_JVM, [&](PageView& page) {
        expectAsLeft(page);
        page.Click(IDC_JVM_BACK);
    });
    host.OnPage(IDD_LICENSE, agreeAndGoOn);
    host.OnPage(IDD_JVM, [&](PageView& page) {
        expectAsLeft(page);
        page.Click(IDOK);
    });
    JvmDialog dialog;
    EXPECT_EQ(IDOK, dialog.DoModal());
    EXPECT_EQ("E:\\typed\\jvm.dll", StoredJvmPath());
    EXPECT_TRUE(host.Messages().empty());
}

TEST_F(JvmPage, LeavingTheLicencePageReachedByBackEndsTheWizard)
{
    SeedThreeRuntimes();
    for (const PageExit& exit : kCancelExits) {
        SCOPED_TRACE(exit.how);
        ScriptedHost host;
        host.OnPage(IDD_JVM, [](PageView& page) { page.Click(IDC_JVM_BACK); });
        host.OnPage(IDD_LICENSE, [&](PageView& page) {
            page.Click(IDC_LICENSE_AGREE);
            exit.leave(page);
        });
        JvmDialog dialog;
        EXPECT_EQ(IDCANCEL, dialog.DoModal());
        EXPECT_EQ((std::vector<int> { IDD_JVM, IDD_LICENSE }), host.Turns());
        EXPECT_EQ(std::nullopt, StoredJvmPath());
    }
}

TEST_F(JvmPage, BackWithoutALicenceFileReturnsAtOnce)
{
    SeedThreeRuntimes();
    fs::remove(package.Host("license.txt"));
    ScriptedHost host;
    host.OnPage(IDD_JVM, [](PageView& page) {
        page.Select(IDC_JVM_LIST, 1);
        page.Click(IDC_JVM_BACK);
    });
    host.OnPage(IDD_JVM, [](PageView& page) {
        EXPECT_TRUE(page.Shown());
        EXPECT_EQ(kUpperZulu, page.Text(IDC_JVM_PATH));
        page.Click(IDOK);
    });
    JvmDialog dialog;
    EXPECT_EQ(IDOK, dialog.DoModal());
    EXPECT_EQ((std::vector<int> { IDD_JVM, IDD_JVM }), host.Turns());
    EXPECT_EQ(kUpperZulu, StoredJvmPath());
    EXPECT_TRUE(host.Messages().empty());
}

} // namespace
