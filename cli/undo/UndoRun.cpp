#include "cli/undo/UndoRun.h"

#include "cli/ConsoleText.h"
#include "cli/ExitCodes.h"
#include "cli/install/InstallRun.h"
#include "cli/install/ObservedChanges.h"
#include "cli/log/EventLog.h"
#include "cli/log/FileDigest.h"
#include "cli/log/JsonLine.h"
#include "cli/log/JsonReader.h"
#include "cli/TextCase.h"
#include "cli/WholeFile.h"
#include "engine/InstallSteps.h"
#include "platform/UniqueHandle.h"
#include "platform/win32.h"

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace {

// One change the install log records, its texts in the system code page.
struct Change {
    std::string event; // folder-created, file-copied, value-written, key-created
    std::size_t line = 0;
    std::string path; // folders and files
    std::string key; // keys and values: with the root's name
    std::string name;
    std::optional<std::string> oldData; // empty: the value was absent
    std::string newData;
    std::uint64_t bytes = 0;
    bool replaced = false;
    std::string sha256;
    std::string backup;
};

struct InstallLog {
    std::string computer;
    std::string started;
    std::vector<Change> changes;
};

// The log of some 800,000 copied files: undo holds all of it and its changes in memory, in a 32-bit
// process.
constexpr std::size_t kMostLogBytes = std::size_t { 256 } << 20;

// Reads the log; false with a message in FILE:LINE: form. A line without its line end is the
// change that was in flight when the install was killed: it is left out, as the log says.
bool ReadInstallLog(const std::string& path, InstallLog& out, std::string& error)
{
    std::string text;
    if (!ReadWholeFile(path, kMostLogBytes, text)) {
        error = "cannot read the log " + path;
        return false;
    }
    std::size_t start = 0;
    std::size_t number = 0;
    bool sawStart = false;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            break;
        ++number;
        std::string_view line(text.data() + start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        const std::string where = path + ":" + std::to_string(number) + ": ";
        JsonObject object;
        if (!object.Parse(line)) {
            error = where + "not a line of a tarnwick-cli log";
            return false;
        }
        const std::string event = object.Text("event").value_or("");
        if (!sawStart) {
            if (event != "start" || object.Text("command") != std::optional<std::string>("install")) {
                error = where + "not the log of a tarnwick-cli install";
                return false;
            }
            out.computer = object.Text("computer").value_or("");
            out.started = object.Text("time").value_or("");
            sawStart = true;
            continue;
        }
        if (event != "folder-created" && event != "file-copied" && event != "value-written"
            && event != "key-created")
            continue;
        // Writes the registry refused changed nothing.
        if ((event == "value-written" || event == "key-created")
            && object.Integer("result") != std::int64_t { 0 })
            continue;
        Change change;
        change.event = event;
        change.line = number;
        bool good = true;
        const auto text = [&](const char* field, std::string& into) {
            const std::optional<std::string> utf8 = object.Text(field);
            const std::optional<std::string> system = utf8 ? Utf8ToSystemText(*utf8) : std::nullopt;
            // A zero byte would cut the name short in every call that takes it.
            if (!system || system->find('\0') != std::string::npos)
                good = false;
            else
                into = *system;
        };
        if (event == "folder-created") {
            text("path", change.path);
        } else if (event == "file-copied") {
            text("to", change.path);
            const std::optional<std::int64_t> bytes = object.Integer("bytes");
            const std::optional<bool> replaced = object.Boolean("replaced");
            good = good && bytes && *bytes >= 0 && replaced;
            if (good) {
                change.bytes = static_cast<std::uint64_t>(*bytes);
                change.replaced = *replaced;
            }
            change.sha256 = object.Text("sha256").value_or("");
            if (object.Has("backup"))
                text("backup", change.backup);
        } else if (event == "value-written") {
            text("key", change.key);
            text("name", change.name);
            text("new", change.newData);
            if (!object.IsNull("old")) {
                std::string old;
                text("old", old);
                change.oldData = old;
            }
        } else {
            text("key", change.key);
        }
        if (!good) {
            error = where + "a " + event + " event without the fields undo needs";
            return false;
        }
        out.changes.push_back(std::move(change));
    }
    if (!sawStart) {
        error = path + ": empty, or not the log of a tarnwick-cli install";
        return false;
    }
    return true;
}

// "HKEY_LOCAL_MACHINE\path" into its root and path; false for any other root.
bool SplitKey(const std::string& key, HKEY& root, std::string& path)
{
    for (const HKEY candidate : { HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER }) {
        const std::string name = RootName(candidate);
        if (key.size() > name.size() && EqualsNoCase(key.substr(0, name.size()), name)
            && key[name.size()] == '\\') {
            root = candidate;
            path = key.substr(name.size() + 1);
            return true;
        }
    }
    return false;
}

// The class path's entries, split at ';'.
std::vector<std::string> Entries(const std::string& list)
{
    std::vector<std::string> entries;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = list.find(';', start);
        entries.push_back(list.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            return entries;
        start = end + 1;
    }
}

// A file as it is now: whether it is there, its size and its digest.
struct FileState {
    bool present = false;
    std::uint64_t bytes = 0;
    std::string sha256;
};

FileState Look(const std::string& path)
{
    FileState state;
    WIN32_FIND_DATAA data {};
    const HANDLE find = FindFirstFileA(path.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return state;
    (void)FindClose(find);
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        state.present = true;
        state.sha256 = "(a folder)";
        return state;
    }
    state.present = true;
    state.bytes = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    state.sha256 = Sha256OfFile(path);
    return state;
}

class Undo {
public:
    explicit Undo(EventLog& log)
        : m_log(log)
    { }

    void Take(const Change& change)
    {
        if (change.event == "value-written")
            Value(change);
        else if (change.event == "key-created")
            Key(change);
        else if (change.event == "file-copied")
            File(change);
        else
            Folder(change);
    }

    unsigned Undone() const { return m_undone; }
    unsigned Kept() const { return m_kept; }
    unsigned AsBefore() const { return m_asBefore; }

private:
    void Keep(const Change& change, JsonLine line, const std::string& reason, const std::string& text)
    {
        ++m_kept;
        line.Add("line", static_cast<std::uint64_t>(change.line)).Add("reason", reason);
        m_log.Write(line, "kept: " + text + " (" + reason + ")");
    }

    static JsonLine Event(const char* name, const Change& change)
    {
        JsonLine line = JsonLine::Event(name);
        if (!change.key.empty())
            line.Add("key", change.key);
        if (change.event == "value-written")
            line.Add("name", change.name);
        if (!change.path.empty())
            line.Add("path", change.path);
        return line;
    }

    void Value(const Change& change)
    {
        const std::string what = change.key + " \"" + change.name + "\"";
        HKEY root = nullptr;
        std::string keyPath;
        if (!SplitKey(change.key, root, keyPath)) {
            Keep(change, Event("kept", change), "not a key this program writes", what);
            return;
        }
        const std::optional<std::string> now = m_machine.StoredText(root, keyPath, change.name);
        if (now == change.oldData) {
            ++m_asBefore; // already as it was before the install
            return;
        }
        if (now && *now == change.newData) {
            Restore(change, root, keyPath, change.oldData, what, {});
            return;
        }
        // The class path is shared: other packages may have appended since. Take out just the
        // entry this install appended, when it is still there.
        if (now && EqualsNoCase(change.key, RootName(HKEY_LOCAL_MACHINE) + "\\" + kJvmKey)
            && EqualsNoCase(change.name, kJavaClassPathValue) && change.oldData
            && change.newData.size() > change.oldData->size()
            && change.newData.compare(0, change.oldData->size(), *change.oldData) == 0) {
            std::string appended = change.newData.substr(change.oldData->size());
            if (!appended.empty() && appended.front() == ';')
                appended.erase(0, 1);
            std::vector<std::string> entries = Entries(*now);
            for (std::size_t i = entries.size(); i-- > 0;) {
                if (entries[i] != appended)
                    continue;
                entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(i));
                std::string rest;
                for (std::size_t k = 0; k < entries.size(); ++k)
                    rest += (k ? ";" : "") + entries[k];
                Restore(change, root, keyPath, rest, what, appended);
                return;
            }
        }
        JsonLine line = Event("kept", change);
        line.Add("change", change.event).Add("new", change.newData);
        if (now)
            line.Add("found", *now);
        else
            line.AddNull("found");
        Keep(
            change, line, "changed since the install", what + " is " + (now ? "\"" + *now + "\"" : "absent"));
    }

    // Sets the value to data, or deletes it when data is empty; entry: the one class path entry
    // taken out, when only that.
    void Restore(const Change& change, HKEY root, const std::string& keyPath,
        const std::optional<std::string>& data, const std::string& what, const std::string& entry)
    {
        UniqueKey key;
        LONG status = RegOpenKeyExA(root, keyPath.c_str(), 0, KEY_SET_VALUE, key.put());
        if (status == ERROR_SUCCESS) {
            status = data ? RegSetValueExA(key.get(), change.name.c_str(), 0, REG_SZ,
                         reinterpret_cast<const BYTE*>(data->c_str()), static_cast<DWORD>(data->size() + 1))
                          : RegDeleteValueA(key.get(), change.name.c_str());
        }
        if (status != ERROR_SUCCESS) {
            Keep(change,
                Event("kept", change)
                    .Add("change", change.event)
                    .Add("error", static_cast<std::int64_t>(status)),
                "cannot be written", what + " (error " + std::to_string(status) + ")");
            return;
        }
        ++m_undone;
        JsonLine line = Event(data ? "value-written" : "value-deleted", change);
        line.Add("old", change.newData);
        if (data)
            line.Add("new", *data);
        if (!entry.empty())
            line.Add("entryRemoved", entry);
        m_log.Write(line.Add("result", static_cast<std::int64_t>(status)),
            !entry.empty() ? "took " + entry + " out of " + what + ", which has changed since the install"
                : data     ? "restored " + what
                           : "deleted " + what);
    }

    void Key(const Change& change)
    {
        HKEY root = nullptr;
        std::string keyPath;
        if (!SplitKey(change.key, root, keyPath)) {
            Keep(change, Event("kept", change), "not a key this program writes", change.key);
            return;
        }
        UniqueKey key;
        if (RegOpenKeyExA(root, keyPath.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) {
            ++m_asBefore;
            return;
        }
        DWORD subkeys = 0;
        DWORD values = 0;
        char name[256];
        for (DWORD size = sizeof name;
             RegEnumKeyExA(key.get(), subkeys, name, &size, nullptr, nullptr, nullptr, nullptr)
             == ERROR_SUCCESS;
             size = sizeof name)
            ++subkeys;
        for (DWORD size = sizeof name;
             RegEnumValueA(key.get(), values, name, &size, nullptr, nullptr, nullptr, nullptr)
             == ERROR_SUCCESS;
             size = sizeof name)
            ++values;
        key.reset();
        if (subkeys != 0 || values != 0) {
            Keep(change,
                Event("kept", change)
                    .Add("change", change.event)
                    .Add("subkeys", static_cast<std::uint64_t>(subkeys))
                    .Add("values", static_cast<std::uint64_t>(values)),
                "changed since the install",
                change.key + " holds " + std::to_string(values) + " values and " + std::to_string(subkeys)
                    + " subkeys");
            return;
        }
        const LONG status = RegDeleteKeyA(root, keyPath.c_str());
        if (status != ERROR_SUCCESS) {
            Keep(change,
                Event("kept", change)
                    .Add("change", change.event)
                    .Add("error", static_cast<std::int64_t>(status)),
                "cannot be deleted", change.key + " (error " + std::to_string(status) + ")");
            return;
        }
        ++m_undone;
        m_log.Write(Event("key-deleted", change).Add("result", static_cast<std::int64_t>(status)),
            "deleted " + change.key);
    }

    void File(const Change& change)
    {
        const FileState now = Look(change.path);
        const bool asLeft = now.present && !change.sha256.empty() && now.bytes == change.bytes
            && now.sha256 == change.sha256;
        if (!change.replaced && !now.present) {
            ++m_asBefore;
            return;
        }
        if (now.present && !asLeft) {
            JsonLine line = Event("kept", change);
            line.Add("change", change.event);
            if (change.sha256.empty()) {
                Keep(change, line, "not recorded", change.path + ": the log has no digest to compare with");
                return;
            }
            line.Add("bytes", now.bytes).Add("sha256", now.sha256);
            Keep(change, line, "changed since the install", change.path);
            return;
        }
        // As the install left it (or, for a file it replaced, gone since).
        if (change.replaced) {
            if (change.backup.empty()) {
                Keep(change, Event("kept", change).Add("change", change.event), "cannot be restored",
                    change.path + ": the install replaced it without --backup");
                return;
            }
            if (!CopyFileA(change.backup.c_str(), change.path.c_str(), FALSE)) {
                const DWORD error = GetLastError();
                Keep(change,
                    Event("kept", change)
                        .Add("change", change.event)
                        .Add("backup", change.backup)
                        .Add("error", error),
                    "cannot be restored",
                    change.path + " from " + change.backup + " (error " + std::to_string(error) + ")");
                return;
            }
            ++m_undone;
            m_log.Write(Event("file-restored", change).Add("from", change.backup),
                "restored " + change.path + " from " + change.backup);
            return;
        }
        if (!DeleteFileA(change.path.c_str())) {
            const DWORD error = GetLastError();
            Keep(change, Event("kept", change).Add("change", change.event).Add("error", error),
                "cannot be deleted", change.path + " (error " + std::to_string(error) + ")");
            return;
        }
        ++m_undone;
        m_log.Write(Event("file-deleted", change).Add("bytes", change.bytes).Add("sha256", change.sha256),
            "deleted " + change.path);
    }

    void Folder(const Change& change)
    {
        const DWORD attributes = GetFileAttributesA(change.path.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            ++m_asBefore;
            return;
        }
        if (!RemoveDirectoryA(change.path.c_str())) {
            const DWORD error = GetLastError();
            const bool full = error == ERROR_DIR_NOT_EMPTY;
            Keep(change, Event("kept", change).Add("change", change.event).Add("error", error),
                full ? "changed since the install" : "cannot be removed",
                change.path + (full ? " is not empty" : " (error " + std::to_string(error) + ")"));
            return;
        }
        ++m_undone;
        m_log.Write(Event("folder-removed", change), "removed " + change.path);
    }

    EventLog& m_log;
    MachineChanges m_machine; // the platform's own
    unsigned m_undone = 0;
    unsigned m_kept = 0;
    unsigned m_asBefore = 0;
};

} // namespace

int RunUndo(const CommandLine& line)
{
    InstallLog install;
    std::string error;
    if (!ReadInstallLog(*line.log, install, error)) {
        ReportError(error);
        return kExitInvalidCommandLine;
    }
    const std::string here = ComputerName();
    if (!EqualsNoCase(install.computer, here) && !line.force) {
        ReportError(std::string(line.log->c_str()) + " is the log of an install on "
            + install.computer.c_str() + ", and this is " + here.c_str() + "; --force undoes it here");
        return kExitInvalidCommandLine;
    }

    UniqueObject lock(CreateMutexA(nullptr, FALSE, kInstallMutex));
    if (!lock || GetLastError() == ERROR_ALREADY_EXISTS) {
        ReportError("another tarnwick-cli install or undo is running on this machine");
        return kExitAlreadyRunning;
    }

    EventLog log;
    if (line.logOut && !log.OpenLog(*line.logOut, error)) {
        ReportError(error);
        return kExitInvalidCommandLine;
    }
    log.SetConsole(line.logOut == std::string("-") ? nullptr : stderr);
    log.Write(JsonLine::Event("start")
                  .Add("program", "tarnwick-cli")
                  .Add("version", TARNWICK_VERSION)
                  .Add("command", "undo")
                  .Add("computer", here)
                  .Add("log", *line.log)
                  .Add("installed", install.started)
                  .Add("installedOn", install.computer),
        "Undoing the install of " + install.started + " on " + install.computer);

    Undo undo(log);
    for (auto change = install.changes.rbegin(); change != install.changes.rend(); ++change)
        undo.Take(*change);

    int code = undo.Kept() == 0 ? kExitSuccess : kExitInstallFailure;
    JsonLine counts;
    counts.Add("undone", undo.Undone()).Add("kept", undo.Kept()).Add("asBefore", undo.AsBefore());
    log.Write(JsonLine::Event("end").Add("exit", code).AddObject("counts", counts),
        std::to_string(undo.Undone()) + " changes undone, " + std::to_string(undo.Kept()) + " kept, "
            + std::to_string(undo.AsBefore()) + " already as before; exit code " + std::to_string(code));
    if (!log.LogIntact()) {
        ReportError("the log could not be written completely");
        code = kExitInstallFailure;
    }
    return code;
}
