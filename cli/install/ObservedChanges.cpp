#include "cli/install/ObservedChanges.h"

#include "cli/ConsoleText.h"
#include "platform/UniqueHandle.h"

#include <chrono>
#include <cstdio>

#include <vector>

namespace {

std::string Folded(std::string path)
{
    while (path.size() > 3 && (path.back() == '\\' || path.back() == '/'))
        path.pop_back();
    for (char& c : path)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return path;
}

// Where the name of path's parent folder ends, or npos when it has none.
std::size_t ParentEnd(const std::string& path)
{
    std::size_t end = path.size();
    while (end > 3 && path[end - 1] == '\\')
        --end;
    if (end == 0)
        return std::string::npos;
    const std::size_t slash = path.find_last_of('\\', end - 1);
    return slash == std::string::npos ? slash : (slash == 2 ? 3 : slash);
}

std::string ParentOf(const std::string& path)
{
    const std::size_t end = ParentEnd(path);
    return end == std::string::npos ? std::string() : path.substr(0, end);
}

std::string KeyName(HKEY root, const std::string& keyPath)
{
    return keyPath.empty() ? RootName(root) : RootName(root) + "\\" + keyPath;
}

std::string JoinKey(const std::string& parent, const std::string& child)
{
    return parent.empty() ? child : parent + "\\" + child;
}

} // namespace

std::string RootName(HKEY root)
{
    return root == HKEY_LOCAL_MACHINE ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER";
}

std::optional<std::string> StoredText(HKEY root, const std::string& keyPath, const std::string& name)
{
    UniqueKey key;
    if (RegOpenKeyExA(root, keyPath.c_str(), 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS)
        return std::nullopt;
    DWORD size = 0;
    if (RegQueryValueExA(key.get(), name.c_str(), nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    std::vector<char> buffer(static_cast<std::size_t>(size) + 1, '\0');
    if (RegQueryValueExA(
            key.get(), name.c_str(), nullptr, nullptr, reinterpret_cast<LPBYTE>(buffer.data()), &size)
        != ERROR_SUCCESS)
        return std::nullopt;
    return std::string(buffer.data());
}

ObservedChanges::ObservedChanges(EventLog& log, bool planning, bool describe)
    : m_log(log)
    , m_planning(planning)
    , m_describe(describe)
{ }

bool ObservedChanges::Exists(const std::string& path)
{
    if (m_planning && m_entries.count(Folded(path)))
        return true;
    return m_machine.Exists(path);
}

BOOL ObservedChanges::CreateFolder(const std::string& path)
{
    if (m_planning) {
        if (Exists(path)) {
            SetLastError(ERROR_ALREADY_EXISTS);
            return FALSE;
        }
        const std::string parent = ParentOf(path);
        if (parent.empty() || !Exists(parent)) {
            SetLastError(ERROR_PATH_NOT_FOUND);
            return FALSE;
        }
    } else {
        m_log.Settle();
        if (!m_machine.CreateFolder(path))
            return FALSE; // the last error stays the creation's
    }
    m_entries.insert(Folded(path));
    m_lastParent.clear();
    ++m_counts.folders;
    m_log.Write(
        JsonLine::Event("folder-created").Add("path", path), m_describe ? "create folder " + path : "");
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

BOOL ObservedChanges::CopyFileTo(const std::string& from, const std::string& to, ULONGLONG size)
{
    // The file is entered at once, and taken out again should it not be copied.
    const auto [entry, first] = m_entries.insert(Folded(to));
    const bool replaced = !first || (!MadeParentOf(to) && m_machine.Exists(to));
    const std::uint64_t bytes = size;
    // The file about to be replaced is kept first; one that cannot be kept is not replaced.
    std::string backup;
    if (!m_planning && replaced && !m_backupFolder.empty() && !BackUp(to, backup)) {
        const DWORD error = GetLastError();
        if (first)
            m_entries.erase(entry);
        ++m_counts.failedCopies;
        m_log.Write(JsonLine::Event("copy-failed")
                        .Add("from", from)
                        .Add("to", to)
                        .Add("error", error)
                        .Add("backup", false),
            "cannot back up " + to + " into " + m_backupFolder + " (error " + std::to_string(error) + ")");
        SetLastError(error);
        return FALSE;
    }
    // With a log, the copy's digest is taken as the copy is made: undo compares it, to leave alone
    // a copy that was changed since. The copy waits for the line of the change before once its
    // source is open (BeforeCopy).
    const bool digest = !m_planning && m_log.HasLog();
    if (!m_planning
        && !(digest ? m_machine.CopyFileSeeing(from, to, m_log.CopyBytes())
                    : m_machine.CopyFileTo(from, to, size))) {
        const DWORD error = GetLastError();
        if (digest)
            m_log.DropCopy();
        if (first)
            m_entries.erase(entry);
        ++m_counts.failedCopies;
        m_log.Write(JsonLine::Event("copy-failed").Add("from", from).Add("to", to).Add("error", error),
            "cannot copy " + from + " to " + to + " (error " + std::to_string(error) + ")");
        SetLastError(error);
        return FALSE;
    }
    ++m_counts.files;
    m_counts.bytes += bytes;
    // The texts go into room an earlier copy left, and on to the line's writer without a copy.
    m_copy.time = std::chrono::system_clock::now();
    m_copy.from.assign(from);
    m_copy.to.assign(to);
    m_copy.bytes = bytes;
    m_copy.replaced = replaced;
    // A plan copies nothing, and has nothing to digest.
    if (digest) {
        m_log.WriteCopy(m_copy, std::move(backup));
    } else {
        JsonLine line = m_copy.Line();
        if (!backup.empty())
            line.Add("backup", backup);
        m_log.Write(line,
            m_describe ? "copy " + from + " to " + to + " (" + std::to_string(bytes) + " bytes, "
                    + (replaced ? "replaces" : "new") + ")"
                       : "");
    }
    if (m_progress && m_log.Console() && m_counts.files % 100 == 0) {
        PutText(m_log.Console(), "\r" + std::to_string(m_counts.files) + " files copied");
        (void)std::fflush(m_log.Console());
    }
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

RegistryChange ObservedChanges::WriteString(
    HKEY root, const std::string& keyPath, const std::string& name, const std::string& data)
{
    const std::optional<std::string> old = CurrentValue(root, keyPath, name);
    RegistryChange result;
    if (m_planning) {
        result.open = CanWriteKey(root, keyPath);
        if (result.open == ERROR_SUCCESS)
            m_values[Folded(KeyName(root, keyPath)) + '\n' + Folded(name)] = data;
    } else {
        m_log.Settle();
        result = m_machine.WriteString(root, keyPath, name, data);
    }
    const LONG status = result.open != ERROR_SUCCESS ? result.open : result.change;
    if (status == ERROR_SUCCESS)
        ++m_counts.values;
    else
        ++m_counts.failedWrites;
    JsonLine line = JsonLine::Event("value-written").Add("key", KeyName(root, keyPath)).Add("name", name);
    if (old)
        line.Add("old", *old);
    else
        line.AddNull("old");
    line.Add("new", data).Add("result", static_cast<std::int64_t>(status));
    std::string text;
    if (m_describe)
        text = "set " + KeyName(root, keyPath) + " \"" + name
            + "\": " + (old ? "\"" + *old + "\"" : "(absent)") + " -> \"" + data + "\"";
    else if (status != ERROR_SUCCESS)
        text = "cannot write " + KeyName(root, keyPath) + " \"" + name + "\" (error " + std::to_string(status)
            + ")";
    m_log.Write(line, text);
    return result;
}

RegistryChange ObservedChanges::CreateSubKey(
    HKEY root, const std::string& parentPath, const std::string& childName)
{
    const std::string keyPath = JoinKey(parentPath, childName);
    RegistryChange result;
    if (m_planning) {
        if (KeyExists(root, keyPath))
            return result;
        result.open = CanWriteKey(root, parentPath);
        result.created = result.open == ERROR_SUCCESS;
        if (result.created)
            m_keys.insert(Folded(KeyName(root, keyPath)));
    } else {
        m_log.Settle();
        result = m_machine.CreateSubKey(root, parentPath, childName);
    }
    const LONG status = result.open != ERROR_SUCCESS ? result.open : result.change;
    if (status != ERROR_SUCCESS)
        ++m_counts.failedWrites;
    else if (result.created)
        ++m_counts.keys;
    else
        return result; // it was there already: nothing changed
    std::string text;
    if (m_describe)
        text = "create key " + KeyName(root, keyPath);
    else if (status != ERROR_SUCCESS)
        text = "cannot create " + KeyName(root, keyPath) + " (error " + std::to_string(status) + ")";
    m_log.Write(JsonLine::Event("key-created")
                    .Add("key", KeyName(root, keyPath))
                    .Add("result", static_cast<std::int64_t>(status)),
        text);
    return result;
}

BOOL ObservedChanges::StartCommand(const std::string& commandLine)
{
    ++m_counts.commands;
    JsonLine line = JsonLine::Event("command").Add("command", commandLine);
    if (m_planning) {
        m_log.Write(line.AddNull("exit"), m_describe ? "run " + commandLine : "");
        return TRUE;
    }
    m_log.Settle();
    const UniqueObject process = StartWindowlessProcess(commandLine);
    if (!process) {
        const DWORD error = GetLastError();
        ++m_counts.failedCommands;
        m_log.Write(line.AddNull("exit").Add("error", error),
            "cannot run " + commandLine + " (error " + std::to_string(error) + ")");
        return FALSE;
    }
    DWORD exitCode = STILL_ACTIVE;
    if (WaitForSingleObject(process.get(), INFINITE) != WAIT_OBJECT_0
        || !GetExitCodeProcess(process.get(), &exitCode))
        exitCode = STILL_ACTIVE;
    if (exitCode != 0)
        ++m_counts.failedCommands;
    m_log.Write(line.Add("exit", exitCode),
        exitCode != 0 ? commandLine + " ended with exit code " + std::to_string(exitCode) : "");
    return TRUE;
}

void ObservedChanges::Pause(DWORD)
{ }

bool ObservedChanges::MadeParentOf(const std::string& path)
{
    const std::size_t end = ParentEnd(path);
    if (end == std::string::npos)
        return false;
    // A tree's files come folder by folder: the answer for the last folder usually holds.
    if (m_lastParent.size() != end || path.compare(0, end, m_lastParent) != 0) {
        m_lastParent.assign(path, 0, end);
        m_lastParentMade = m_entries.count(Folded(m_lastParent)) != 0;
    }
    return m_lastParentMade;
}

bool ObservedChanges::BackUp(const std::string& path, std::string& backup)
{
    m_log.Settle(); // a change like any other
    const std::size_t slash = path.find_last_of("\\/");
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    // Numbered, so that files of the same name from different folders, or from an earlier install
    // into the same backup folder, never overwrite each other.
    for (int attempts = 0; attempts < 100000; ++attempts) {
        std::string number = std::to_string(++m_backups);
        if (number.size() < 5)
            number.insert(0, 5 - number.size(), '0');
        std::string candidate = m_backupFolder;
        if (candidate.back() != '\\' && candidate.back() != '/')
            candidate += '\\';
        candidate += number + "-" + name;
        if (CopyFileA(path.c_str(), candidate.c_str(), TRUE)) {
            backup = std::move(candidate);
            return true;
        }
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
            return false;
    }
    SetLastError(ERROR_FILE_EXISTS);
    return false;
}

std::optional<std::string> ObservedChanges::CurrentValue(
    HKEY root, const std::string& keyPath, const std::string& name)
{
    if (m_planning) {
        const auto planned = m_values.find(Folded(KeyName(root, keyPath)) + '\n' + Folded(name));
        if (planned != m_values.end())
            return planned->second;
    }
    return StoredText(root, keyPath, name);
}

bool ObservedChanges::KeyExists(HKEY root, const std::string& keyPath)
{
    if (m_keys.count(Folded(KeyName(root, keyPath))))
        return true;
    UniqueKey key;
    return RegOpenKeyExA(root, keyPath.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

LONG ObservedChanges::CanWriteKey(HKEY root, const std::string& keyPath)
{
    if (m_keys.count(Folded(KeyName(root, keyPath))))
        return ERROR_SUCCESS;
    UniqueKey key;
    return RegOpenKeyExA(root, keyPath.c_str(), 0, KEY_WRITE, key.put());
}
