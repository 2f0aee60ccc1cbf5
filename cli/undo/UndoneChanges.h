// The changes undo makes, each passed on to a machine (the platform's own, or a PlannedMachine for
// a plan of the undo) and, once made, logged as what it took back. A change that fails is not
// logged here: undo keeps what it could not take back, and says why.
#pragma once

#include "cli/log/EventLog.h"
#include "cli/undo/InstallLog.h"
#include "platform/ForwardingChanges.h"

#include <string>

class UndoneChanges : public ForwardingChanges {
public:
    // log must outlive this.
    UndoneChanges(EventLog& log, MachineChanges& machine);

    // What the next change takes back, as the install log records it (change must outlive the
    // change); entryRemoved: the one class path entry it takes out, when only that.
    void Undoing(const Change& change, std::string entryRemoved = {});

    // Restores a value the install changed.
    RegistryChange WriteString(
        HKEY root, const std::string& keyPath, const std::string& name, const std::string& data) override;
    RegistryChange DeleteValue(HKEY root, const std::string& keyPath, const std::string& name) override;
    RegistryChange DeleteKey(HKEY root, const std::string& keyPath) override;
    BOOL RemoveFile(const std::string& path) override;
    BOOL RemoveFolder(const std::string& path) override;
    BOOL RestoreFile(const std::string& copy, const std::string& path) override;

private:
    // What the value the change wrote is called in the texts for people.
    std::string What() const;

    EventLog& m_log;
    const Change* m_change;
    std::string m_entryRemoved;
};
