#include "cli/undo/InstallLog.h"

#include "cli/install/ObservedChanges.h"
#include "cli/log/JsonReader.h"
#include "cli/TextCase.h"
#include "cli/WholeFile.h"

namespace {

// The log of some 800,000 copied files: undo holds all of it and its changes in memory, in a 32-bit
// process.
constexpr std::size_t kMostLogBytes = std::size_t { 256 } << 20;

bool IsChange(const std::string& event)
{
    return event == "folder-created" || event == "file-copied" || event == "value-written"
        || event == "key-created";
}

// The fields of one change's line; false when one that undo needs is missing or unusable.
bool ReadChange(const JsonObject& object, Change& change)
{
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
    if (change.event == "folder-created") {
        text("path", change.path);
    } else if (change.event == "file-copied") {
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
    } else if (change.event == "value-written") {
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
    return good;
}

// Line number of the log at path, whole; false with a message.
bool ReadLine(std::string_view line, const std::string& path, std::size_t number, bool& sawStart,
    InstallLog& out, std::string& error)
{
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
        return true;
    }
    // Writes the registry refused changed nothing.
    if (!IsChange(event)
        || ((event == "value-written" || event == "key-created")
            && object.Integer("result") != std::int64_t { 0 }))
        return true;
    Change change;
    change.event = event;
    change.line = number;
    if (!ReadChange(object, change)) {
        error = where + "a " + event + " event without the fields undo needs";
        return false;
    }
    out.changes.push_back(std::move(change));
    return true;
}

} // namespace

JsonLine Change::Event(std::string_view name) const
{
    JsonLine line = JsonLine::Event(name);
    if (!key.empty())
        line.Add("key", key);
    if (event == "value-written")
        line.Add("name", this->name);
    if (!path.empty())
        line.Add("path", path);
    return line;
}

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
        if (!ReadLine(line, path, number, sawStart, out, error))
            return false;
    }
    if (!sawStart) {
        error = path + ": empty, or not the log of a tarnwick-cli install";
        return false;
    }
    return true;
}

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
