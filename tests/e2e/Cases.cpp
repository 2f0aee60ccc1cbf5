// The end-to-end cases: e2e_driver.exe CASE TARNWICK_EXE PACKAGE_FOLDER SCREENSHOT_FOLDER
#include "Driver.h"

#include "res/resource.h"

#include <cstdio>
#include <cstring>
#include <functional>
#include <map>

namespace {

const char kServerKey[] = "SOFTWARE\\Allaire\\ColdFusion\\CurrentVersion";
const char kCaption[] = "tarnwick";

std::string ReadValue(const std::string& key, const char* name)
{
    HKEY handle = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_QUERY_VALUE, &handle) != ERROR_SUCCESS)
        return "<no key>";
    char data[4096] = {};
    DWORD size = sizeof data - 1;
    DWORD type = 0;
    const LONG status = RegQueryValueExA(handle, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(handle);
    if (status != ERROR_SUCCESS)
        return "<no value>";
    return type == REG_SZ ? std::string(data) : "<not REG_SZ>";
}

std::string FileText(const std::string& path)
{
    std::string text;
    if (FILE* in = std::fopen(path.c_str(), "rb")) {
        char buffer[4096];
        for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, in)) > 0;)
            text.append(buffer, got);
        std::fclose(in);
    }
    return text;
}

// Every value of the key, exactly: names, data and nothing else.
void CheckValues(
    Driver& driver, const std::string& key, const std::vector<std::pair<std::string, std::string>>& expected)
{
    HKEY handle = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_QUERY_VALUE, &handle) != ERROR_SUCCESS) {
        driver.Fail("no key " + key);
        return;
    }
    DWORD count = 0;
    RegQueryInfoKeyA(handle, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr, nullptr,
        nullptr, nullptr);
    RegCloseKey(handle);
    if (count != expected.size())
        driver.Fail(
            key + " holds " + std::to_string(count) + " values, not " + std::to_string(expected.size()));
    for (const auto& [name, data] : expected)
        if (ReadValue(key, name.c_str()) != data)
            driver.Fail(
                key + "\\" + name + " is \"" + ReadValue(key, name.c_str()) + "\", not \"" + data + "\"");
}

// Every file below source is at the same place below target, with the same content.
void CheckCopied(Driver& driver, const std::string& source, const std::string& target)
{
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((source + "\\*.*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) {
        driver.Fail("nothing to compare in " + source);
        return;
    }
    do {
        const std::string name = entry.cFileName;
        if (name == "." || name == "..")
            continue;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            CheckCopied(driver, source + "\\" + name, target + "\\" + name);
        else if (FileText(source + "\\" + name) != FileText(target + "\\" + name)
            || GetFileAttributesA((target + "\\" + name).c_str()) == INVALID_FILE_ATTRIBUTES)
            driver.Fail(target + "\\" + name + " is not a copy of " + source + "\\" + name);
    } while (FindNextFileA(find, &entry));
    FindClose(find);
}

// Answers one message box after checking its caption and that its text starts with text.
void Expect(Driver& driver, const std::string& text, int answer, const std::string& picture)
{
    std::string shown;
    std::string caption;
    HWND box = driver.WaitForMessageBox(shown, caption);
    driver.Screenshot(picture);
    CHECK_EQ(driver, std::string(kCaption), caption);
    if (shown.compare(0, text.size(), text) != 0)
        driver.Fail("the message was \"" + shown + "\", not \"" + text + "...\"");
    driver.AnswerMessageBox(box, answer);
}

HWND AgreeToLicence(Driver& driver, const char* picture = "licence")
{
    HWND page = driver.WaitForPage(IDC_LICENSE_TEXT, picture);
    if (!page)
        return nullptr;
    CHECK_EQ(driver, std::string("License"), driver.Caption(page));
    CHECK_EQ(driver, false, driver.Enabled(page, IDOK));
    driver.Click(page, IDC_LICENSE_AGREE);
    CHECK_EQ(driver, true, driver.Enabled(page, IDOK));
    driver.Click(page, IDOK);
    return page;
}

void MissingConfiguration(Driver& driver)
{
    Expect(driver, "Installation Configuration file Required, Aborting Installer", IDOK,
        "missing-configuration");
    if (!driver.Ended(10000))
        driver.Fail("the program did not end");
}

void LicenceCancelled(Driver& driver)
{
    const std::string classPath = ReadValue(std::string(kServerKey) + "\\JVM", "JavaClassPath");
    HWND page = driver.WaitForPage(IDC_LICENSE_TEXT, "licence");
    driver.Click(page, IDCANCEL);
    if (!driver.Ended(10000))
        driver.Fail("the program did not end");
    CHECK_EQ(driver, classPath, ReadValue(std::string(kServerKey) + "\\JVM", "JavaClassPath"));
    CHECK_EQ(driver, std::string("<no value>"), ReadValue(std::string(kServerKey) + "\\JVM", "JVMPath"));
}

HWND ToMainPage(Driver& driver)
{
    AgreeToLicence(driver);
    HWND jvm = driver.WaitForPage(IDC_JVM_LIST, "jvm");
    if (!jvm)
        return nullptr;
    CHECK_EQ(driver, 2u, driver.ListItems(jvm, IDC_JVM_LIST).size());
    driver.Click(jvm, IDOK);
    return driver.WaitForPage(IDC_INSTALL, "main");
}

// "<< Back" from the main page to the JVM page to the licence page and forward again.
void BackThroughThePages(Driver& driver)
{
    HWND main = ToMainPage(driver);
    if (!main)
        return;
    driver.Type(main, IDC_DIR1_EDIT, "D:\\Typed");
    driver.Click(main, IDC_BACK);
    // The first visit stored the JVM, so the page now offers to skip itself.
    Expect(driver, "Setup Detected that you have already set up a JVM in ColdFusion Administrator", IDNO,
        "jvm-skip-question");
    HWND jvm = driver.WaitForPage(IDC_JVM_LIST, "jvm-again");
    driver.Type(jvm, IDC_JVM_PATH, "C:\\typed\\jvm.dll");
    driver.Click(jvm, IDC_JVM_BACK);
    AgreeToLicence(driver, "licence-again");
    jvm = driver.WaitForPage(IDC_JVM_LIST, "jvm-kept");
    CHECK_EQ(driver, std::string("C:\\typed\\jvm.dll"), driver.Text(jvm, IDC_JVM_PATH));
    driver.Click(jvm, IDOK);
    main = driver.WaitForPage(IDC_INSTALL, "main-kept");
    CHECK_EQ(driver, std::string("D:\\Typed"), driver.Text(main, IDC_DIR1_EDIT));
    driver.Click(main, IDOK); // "Cancel"
    if (!driver.Ended(10000))
        driver.Fail("the program did not end");
    CHECK_EQ(
        driver, std::string("C:\\typed\\jvm.dll"), ReadValue(std::string(kServerKey) + "\\JVM", "JVMPath"));
}

// A Copy that cannot create its folder aborts; the button stays "Install >>".
void AbortAfterAFailedCopy(Driver& driver)
{
    HWND main = ToMainPage(driver);
    if (!main)
        return;
    driver.Type(main, IDC_DIR1_EDIT, "C:\\missing\\deeper");
    driver.Click(main, IDC_INSTALL);
    Expect(driver, "The folder C:\\missing\\deeper", IDYES, "abort-question");
    Expect(driver,
        "Add Directory Failed!\nYou Cannot create sub directories off parent directories which do not exist.",
        IDOK, "abort-folder-failed");
    Expect(driver, "Setup has been aborted\nPlease Change your settings.", IDOK, "abort-message");
    CHECK_EQ(driver, std::string("Install >>"), driver.Text(main, IDC_INSTALL));
    CHECK_EQ(driver, true, driver.Enabled(main, IDC_INSTALL));
    driver.Screenshot("abort-main");
    driver.Click(main, IDOK);
    if (!driver.Ended(10000))
        driver.Fail("the program did not end");
    CHECK_EQ(driver, INVALID_FILE_ATTRIBUTES, GetFileAttributesA("C:\\missing"));
}

// The system menu's About entry opens the About box.
void AboutBox(Driver& driver)
{
    HWND main = ToMainPage(driver);
    if (!main)
        return;
    driver.SystemCommand(main, 0x10);
    HWND about = driver.WaitForCaption("About Tarnwick", "about");
    if (about) {
        char line[64] = {};
        HWND child = GetWindow(about, GW_CHILD);
        std::string texts;
        for (; child; child = GetWindow(child, GW_HWNDNEXT)) {
            GetWindowTextA(child, line, sizeof line);
            texts += std::string(line) + "|";
        }
        CHECK_EQ(driver, true, texts.find("Tarnwick Version 1.0|") != std::string::npos);
        driver.Click(about, IDOK);
    }
    driver.Click(main, IDOK);
    if (!driver.Ended(10000))
        driver.Fail("the program did not end");
}

// The whole sample installation, every registry value and file checked afterwards.
void InstallTheSample(Driver& driver)
{
    const std::string jvmKey = std::string(kServerKey) + "\\JVM";
    const std::string classPath = ReadValue(jvmKey, "JavaClassPath");
    HWND main = ToMainPage(driver);
    if (!main)
        return;
    CHECK_EQ(driver, std::string("Sample Tag Pack"), driver.Caption(main));
    const std::string tagFolder = driver.Text(main, IDC_DIR1_EDIT);
    CHECK_EQ(driver, std::string("C:\\CFusion\\CustomTags"), tagFolder);
    for (int id = IDC_OPTION_CHECK1; id <= IDC_OPTION_CHECK5; ++id)
        CHECK_EQ(driver, BST_CHECKED, driver.Check(main, id));
    driver.Click(main, IDC_INSTALL);

    // Folders that do not exist yet are created on request; the restart is accepted.
    int folders = 0;
    bool restartAsked = false;
    for (int step = 0; step < 10 && driver.Text(main, IDC_INSTALL) != "Done"; ++step) {
        std::string text;
        std::string caption;
        HWND box = driver.WaitForMessageBox(text, caption);
        if (!box)
            break;
        CHECK_EQ(driver, std::string(kCaption), caption);
        driver.Screenshot(restartAsked || text.find("Restart") == std::string::npos
                ? "install-folder-question"
                : "install-restart-question");
        if (text.compare(0, 11, "The folder ") == 0) {
            ++folders;
            driver.AnswerMessageBox(box, IDYES);
        } else if (text == "You need to Restart ColdFusion.\nWould you like to do this now?") {
            restartAsked = true;
            driver.AnswerMessageBox(box, IDYES);
        } else {
            driver.Fail("unexpected message: " + text);
            driver.AnswerMessageBox(box, IDOK);
        }
    }
    CHECK_EQ(driver, true, restartAsked);
    CHECK_EQ(driver, std::string("Done"), driver.Text(main, IDC_INSTALL));
    driver.Screenshot("install-done");
    driver.Click(main, IDC_INSTALL);
    if (!driver.Ended(15000))
        driver.Fail("the program did not end after Done");

    const std::string tags = std::string(kServerKey) + "\\CustomTags\\";
    CheckValues(driver, tags + "CFX_SampleJava",
        { { "Type", "Java" }, { "JavaClass", "com.example.cfx.SampleTag" },
            { "Description", "Greets a visitor by name (Sample Tag Pack)" } });
    CheckValues(driver, tags + "CFX_SampleNative",
        { { "Type", "CPP" }, { "LibraryPath", "C:\\CFusion\\CustomTags\\Sample\\cfx_native.dll" },
            { "Description", "Counts the words of a text (Sample Tag Pack)" }, { "CacheLibrary", "1" },
            { "ProcedureName", "ProcessTagRequest" } });
    const std::string odbc = "SOFTWARE\\ODBC\\ODBC.INI\\Sample Tag Pack Data";
    CheckValues(driver, odbc,
        { { "DBQ", "C:\\CFusion\\CustomTags\\Sample\\sample.mdb" }, { "DefaultDir", "" },
            { "Description", "" }, { "Driver", "C:\\WINNT\\System32\\odbcjt32.dll" }, { "DriverID", "25" },
            { "FIL", "MS Access" }, { "PWD", "" }, { "SystemDB", "" }, { "UID", "admin" } });
    for (const char* jet : { "\\Jet", "\\Jet 2.x" })
        CheckValues(driver, odbc + jet, { { "MaxBufferSize", "0" }, { "PageTimeout", "600" } });
    CheckValues(driver, std::string(kServerKey) + "\\DataSources\\Sample Tag Pack Data",
        { { "AllowAllSQL", "1" }, { "AllowIUActions", "0" }, { "ConnectionPeriod", "" },
            { "ConnectionTimeout", "30" }, { "DISABLE_{CALL", "1" }, { "DISABLE_DELETE", "1" },
            { "DISABLE_INSERT", "1" }, { "DISABLE_SELECT", "1" }, { "DISABLE_UPDATE", "1" },
            { "DisableConnections", "0" }, { "EnableUnboundText", "0" }, { "LimitConnections", "0" },
            { "LoginTimeout", "30" }, { "MaintainConnect", "1" }, { "MaxConnections", "" },
            { "Password", "" }, { "TextBufferSize", "65000" }, { "UserID", "" } });
    const std::string expectedClassPath = classPath
        + (classPath.empty() || classPath.back() != ';' ? ";" : "") + tagFolder + "\\Sample\\cfx_sample.jar";
    CHECK_EQ(driver, expectedClassPath, ReadValue(jvmKey, "JavaClassPath"));
    // The class path names the archive that option 1 copied.
    CHECK_EQ(driver, true,
        GetFileAttributesA((tagFolder + "\\Sample\\cfx_sample.jar").c_str()) != INVALID_FILE_ATTRIBUTES);
    CHECK_EQ(driver, true, ReadValue(jvmKey, "JVMPath").find("jvm.dll") != std::string::npos);
    CHECK_EQ(driver, 2, folders);
    CheckCopied(driver, "C:\\pkg\\CustomTags", tagFolder + "\\Sample");
    CheckCopied(driver, "C:\\pkg\\examples", "C:\\Inetpub\\wwwroot\\sample");
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 5) {
        std::fprintf(stderr, "usage: e2e_driver CASE TARNWICK_EXE PACKAGE_FOLDER SCREENSHOT_FOLDER\n");
        return 2;
    }
    const std::map<std::string, std::function<void(Driver&)>> cases = {
        { "missing-configuration", MissingConfiguration },
        { "licence-cancelled", LicenceCancelled },
        { "back-through-the-pages", BackThroughThePages },
        { "abort-after-failed-copy", AbortAfterAFailedCopy },
        { "install-the-sample", InstallTheSample },
        { "about-box", AboutBox },
    };
    auto it = cases.find(argv[1]);
    if (it == cases.end()) {
        std::fprintf(stderr, "no case %s\n", argv[1]);
        return 2;
    }
    Driver driver(argv[2], argv[3], argv[4]);
    if (driver.Start())
        it->second(driver);
    std::printf("%s: %s\n", argv[1], driver.Failures() ? "FAILED" : "passed");
    return driver.Failures() ? 1 : 0;
}
