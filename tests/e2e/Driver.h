// Drives tarnwick.exe from a second Win32 program, the way a person would: finds each page by the
// controls it holds, reads texts, types, ticks, clicks, answers message boxes, and keeps a picture
// of every page and message box it meets.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class Driver {
public:
    Driver(std::string exe, std::string packageFolder, std::string screenshotFolder);
    ~Driver(); // ends the program if it is still running

    bool Start();
    bool Ended(DWORD waitMs);

    // The visible page that holds control id, waited for; nullptr (and a failure) after the timeout.
    HWND WaitForPage(int id, const char* name);
    // The visible dialog of the program with that caption, waited for.
    HWND WaitForCaption(const std::string& caption, const char* name);
    // The visible message box, waited for: its text and caption are returned.
    HWND WaitForMessageBox(std::string& text, std::string& caption);
    void AnswerMessageBox(HWND box, int button);

    std::string Text(HWND page, int id) const;
    std::string Caption(HWND window) const;
    bool Enabled(HWND page, int id) const;
    bool Visible(HWND page, int id) const;
    int Check(HWND page, int id) const;
    std::vector<std::string> ListItems(HWND page, int id) const;
    void Type(HWND page, int id, const std::string& text);
    void Click(HWND page, int id);
    void Select(HWND page, int id, int row);
    void Escape(HWND page);
    void SystemCommand(HWND page, UINT command);

    // Saves a picture of the screen as <folder>\<name>.bmp.
    void Screenshot(const std::string& name);

    void Fail(const std::string& what);
    int Failures() const { return m_failures; }

private:
    void CheckFonts();

    std::string m_exe;
    std::string m_package;
    std::string m_screens;
    PROCESS_INFORMATION m_process {};
    int m_failures = 0;
};

#define CHECK_EQ(driver, expected, actual)                                                                   \
    do {                                                                                                     \
        const auto& e_ = (expected);                                                                         \
        const auto& a_ = (actual);                                                                           \
        if (!(e_ == a_))                                                                                     \
            (driver).Fail(                                                                                   \
                std::string(__FILE__ ":") + std::to_string(__LINE__) + ": " #actual " is not as expected");  \
    } while (0)
