#include "engine/InstallSteps.h"

#include "engine/InstallEngine.h"
#include "engine/InstallQuestions.h"
#include "engine/PathText.h"
#include "platform/MachineChanges.h"
#include "platform/MessageService.h"
#include "registry/RegistryAccess.h"

#include <algorithm>

namespace {

const char kServiceStop[] = "net stop \"Cold Fusion Application Server\"";
const char kServiceStart[] = "net start \"Cold Fusion Application Server\"";
constexpr DWORD kRestartPauseMs = 5000;

} // namespace

bool ApplyTickedOptions(const ConfigOptionList& options, const std::vector<bool>& ticked,
    const DirectoryTexts& directories, const std::function<void(std::size_t, bool)>& outcome)
{
    const InstallEngine engine;
    const std::size_t count = std::min(options.size(), ticked.size());
    for (std::size_t i = 0; i < count; ++i) {
        if (!ticked[i])
            continue;
        const bool applied = engine.ApplyOption(*options[i], directories);
        if (outcome)
            outcome(i, applied);
        if (!applied) {
            AfxMessageBox(kSetupAbortedMessage, MB_OK);
            return false;
        }
    }
    return true;
}

bool InstallPackage(const InstallConfig& config, const std::vector<bool>& ticked,
    const DirectoryTexts& directories, const std::function<void(std::size_t, bool)>& outcome)
{
    if (!ApplyTickedOptions(config.getOptions(), ticked, directories, outcome))
        return false;
    if (config.isJava)
        UpdateJavaClassPath(config.getClassPath(), directories);
    if (config.restartServer)
        RestartServerService();
    return true;
}

void UpdateJavaClassPath(const std::string& classPath, const DirectoryTexts& directories)
{
    const RegistryAccess registry;
    std::string current = registry.ReadString(HKEY_LOCAL_MACHINE, kJvmKey, kJavaClassPathValue);
    if (current.empty() || current.back() != ';')
        current += ';';
    const std::string addition = ReplaceDirectoryPlaceholders(classPath, directories);
    (void)registry.WriteString(HKEY_LOCAL_MACHINE, kJvmKey, kJavaClassPathValue, current + addition);
}

void RestartServerService()
{
    if (AfxMessageBox(kRestartQuestion, MB_YESNO) != IDYES)
        return;
    MachineChanges& machine = GetMachineChanges();
    (void)machine.StartCommand(kServiceStop);
    // The start follows the stop after a fixed pause, whether or not the service has stopped.
    machine.Pause(kRestartPauseMs);
    (void)machine.StartCommand(kServiceStart);
}
