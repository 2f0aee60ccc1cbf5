#include "platform/ForwardingChanges.h"

bool ForwardingChanges::Exists(const std::string& path)
{
    return m_machine.Exists(path);
}

BOOL ForwardingChanges::CreateFolder(const std::string& path)
{
    return m_machine.CreateFolder(path);
}

BOOL ForwardingChanges::CopyFileTo(const std::string& from, const std::string& to, ULONGLONG size)
{
    return m_machine.CopyFileTo(from, to, size);
}

BOOL ForwardingChanges::CopyFileSeeing(const std::string& from, const std::string& to, CopiedBytes& bytes)
{
    return m_machine.CopyFileSeeing(from, to, bytes);
}

BOOL ForwardingChanges::KeepCopy(const std::string& from, const std::string& to)
{
    return m_machine.KeepCopy(from, to);
}

RegistryChange ForwardingChanges::WriteString(
    HKEY root, const std::string& keyPath, const std::string& name, const std::string& data)
{
    return m_machine.WriteString(root, keyPath, name, data);
}

RegistryChange ForwardingChanges::CreateSubKey(
    HKEY root, const std::string& parentPath, const std::string& childName)
{
    return m_machine.CreateSubKey(root, parentPath, childName);
}

RegistryChange ForwardingChanges::DeleteValue(HKEY root, const std::string& keyPath, const std::string& name)
{
    return m_machine.DeleteValue(root, keyPath, name);
}

RegistryChange ForwardingChanges::DeleteKey(HKEY root, const std::string& keyPath)
{
    return m_machine.DeleteKey(root, keyPath);
}

BOOL ForwardingChanges::RemoveFile(const std::string& path)
{
    return m_machine.RemoveFile(path);
}

BOOL ForwardingChanges::RemoveFolder(const std::string& path)
{
    return m_machine.RemoveFolder(path);
}

BOOL ForwardingChanges::RestoreFile(const std::string& copy, const std::string& path)
{
    return m_machine.RestoreFile(copy, path);
}

BOOL ForwardingChanges::StartCommand(const std::string& commandLine)
{
    return m_machine.StartCommand(commandLine);
}

BOOL ForwardingChanges::RunCommand(const std::string& commandLine, std::optional<DWORD>& exitCode)
{
    return m_machine.RunCommand(commandLine, exitCode);
}

void ForwardingChanges::Pause(DWORD milliseconds)
{
    m_machine.Pause(milliseconds);
}

std::optional<std::string> ForwardingChanges::StoredText(
    HKEY root, const std::string& keyPath, const std::string& name)
{
    return m_machine.StoredText(root, keyPath, name);
}

bool ForwardingChanges::ListKey(HKEY root, const std::string& keyPath, KeyNames& names)
{
    return m_machine.ListKey(root, keyPath, names);
}

PathState ForwardingChanges::LookAt(const std::string& path)
{
    return m_machine.LookAt(path);
}
