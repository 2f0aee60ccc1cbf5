// A MachineChanges in front of another: every change and read is passed on to it. Those who watch
// the changes derive from it and override what they watch, so that a change they do not watch
// still reaches the machine behind them (a plan's, say) and never the platform's own by default.
#pragma once

#include "platform/MachineChanges.h"

class ForwardingChanges : public MachineChanges {
public:
    // machine must outlive this.
    explicit ForwardingChanges(MachineChanges& machine)
        : m_machine(machine)
    { }

    bool RecordsWhatItMade() const override { return m_machine.RecordsWhatItMade(); }
    bool Exists(const std::string& path) override;
    BOOL CreateFolder(const std::string& path) override;
    BOOL CopyFileTo(const std::string& from, const std::string& to, ULONGLONG size) override;
    BOOL CopyFileSeeing(const std::string& from, const std::string& to, CopiedBytes& bytes) override;
    BOOL KeepCopy(const std::string& from, const std::string& to) override;
    RegistryChange WriteString(
        HKEY root, const std::string& keyPath, const std::string& name, const std::string& data) override;
    RegistryChange CreateSubKey(
        HKEY root, const std::string& parentPath, const std::string& childName) override;
    RegistryChange DeleteValue(HKEY root, const std::string& keyPath, const std::string& name) override;
    RegistryChange DeleteKey(HKEY root, const std::string& keyPath) override;
    BOOL RemoveFile(const std::string& path) override;
    BOOL RemoveFolder(const std::string& path) override;
    BOOL RestoreFile(const std::string& copy, const std::string& path) override;
    BOOL StartCommand(const std::string& commandLine) override;
    BOOL RunCommand(const std::string& commandLine, std::optional<DWORD>& exitCode) override;
    void Pause(DWORD milliseconds) override;
    std::optional<std::string> StoredText(
        HKEY root, const std::string& keyPath, const std::string& name) override;
    bool ListKey(HKEY root, const std::string& keyPath, KeyNames& names) override;
    PathState LookAt(const std::string& path) override;

protected:
    MachineChanges& Machine() { return m_machine; }

private:
    MachineChanges& m_machine;
};
