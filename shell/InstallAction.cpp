// "Install >>": applies every ticked option, then extends the server's class path and offers the
// service restart.
#include "engine/InstallEngine.h"
#include "engine/PathText.h"
#include "platform/MessageService.h"
#include "registry/RegistryAccess.h"
#include "shell/MainDialog.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

const char kJvmKey[] = "SOFTWARE\\Allaire\\ColdFusion\\CurrentVersion\\JVM";
const char kServiceStop[] = "net stop \"Cold Fusion Application Server\"";
const char kServiceStart[] = "net start \"Cold Fusion Application Server\"";
constexpr DWORD kRestartPauseMs = 5000;

// Starts a command line without a window and without waiting for it; a failure is not reported.
void StartCommand(const char* commandLine, STARTUPINFOA& startup, PROCESS_INFORMATION& process)
{
    std::vector<char> command(commandLine, commandLine + std::strlen(commandLine) + 1);
    if (CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
            &startup, &process)) {
        // Nothing waits for the command; its handles would only leak.
        (void)CloseHandle(process.hProcess);
        (void)CloseHandle(process.hThread);
    }
}

} // namespace

void MainDialog::OnInstall()
{
    if (m_installed) {
        EndDialog(IDOK);
        return;
    }
    m_installButton.EnableWindow(FALSE);

    const ConfigOptionList options = m_config.getOptions();
    const std::size_t count = std::min(options.size(), m_optionChecks.size());
    short ticked = 0;
    for (std::size_t i = 0; i < count; ++i)
        if (m_optionChecks[i]->GetCheck() == BST_CHECKED)
            ++ticked;
    m_progress.SetRange(0, ticked);
    m_progress.SetStep(1);

    const InstallEngine engine;
    for (std::size_t i = 0; i < count; ++i) {
        if (m_optionChecks[i]->GetCheck() != BST_CHECKED)
            continue;
        if (!engine.ApplyOption(*options[i], CurrentDirectoryTexts())) {
            AfxMessageBox("Setup has been aborted\nPlease Change your settings.", MB_OK);
            m_progress.SetPos(0);
            m_installButton.EnableWindow(TRUE);
            return;
        }
        m_progress.StepIt();
    }

    if (m_config.isJava)
        UpdateJavaClassPath();
    if (m_config.restartServer)
        RestartServerService();

    m_installButton.SetWindowTextA("Done");
    m_installButton.EnableWindow(TRUE);
    m_installed = true;
}

void MainDialog::UpdateJavaClassPath()
{
    const RegistryAccess registry;
    std::string current = registry.ReadString(HKEY_LOCAL_MACHINE, kJvmKey, "JavaClassPath");
    if (current.empty() || current.back() != ';')
        current += ';';
    const std::string addition
        = ReplaceDirectoryPlaceholders(m_config.getClassPath(), CurrentDirectoryTexts());
    (void)registry.WriteString(HKEY_LOCAL_MACHINE, kJvmKey, "JavaClassPath", current + addition);
}

void MainDialog::RestartServerService()
{
    if (AfxMessageBox("You need to Restart ColdFusion.\nWould you like to do this now?", MB_YESNO) != IDYES)
        return;
    STARTUPINFOA startup {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process {};
    StartCommand(kServiceStop, startup, process);
    // The start follows the stop after a fixed pause, whether or not the service has stopped.
    (void)SleepEx(kRestartPauseMs, FALSE);
    StartCommand(kServiceStart, startup, process);
}
