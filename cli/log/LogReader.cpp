#include "cli/log/LogReader.h"

#include "cli/log/JsonLine.h"
#include "cli/log/LogFields.h"
#include "cli/log/LogNames.h"
#include "cli/log/LogSeal.h"

#include <utility>

using namespace logname;

namespace {

// Why a line given a field twice is refused, naming the field when it can be shown as it is: the
// name comes from the line, and a console is no place for its control characters.
std::string WhyTwice(const std::string& name)
{
    bool plain = name.size() <= 64;
    for (const char c : name)
        plain = plain && c >= 0x20 && c < 0x7F;
    return (plain ? "the field \"" + name + "\" given twice" : std::string("a field given twice"))
        + ": JSON tools differ on which of the two they read";
}

} // namespace

LogReader::LogReader(std::string_view text, std::string file, std::string command)
    : m_text(WithoutByteOrderMark(text))
    , m_file(std::move(file))
    , m_command(std::move(command))
{ }

bool LogReader::Next()
{
    if (!m_error.empty())
        return false;
    while (m_at < m_text.size()) {
        const std::size_t end = m_text.find('\n', m_at);
        if (end == std::string_view::npos)
            break;
        ++m_number;
        std::string_view line = m_text.substr(m_at, end - m_at);
        m_at = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (!m_object.Parse(line))
            return Fail(m_object.Twice() ? WhyTwice(*m_object.Twice()) : "not a line of a tarnwick-cli log");
        const std::optional<LogKind> kind = KindNamed(m_object.Text(kEvent).value_or(std::string()));
        if (!m_sawStart) {
            if (!kind || *kind != LogKind::Start || m_object.Text(kCommand) != m_command)
                return Fail("not the log of a tarnwick-cli " + m_command);
            m_sawStart = true;
        } else if (!kind) {
            continue;
        } else if ((*kind == LogKind::ValueWritten || *kind == LogKind::KeyCreated)
            && !m_object.Integer(kResult)) {
            continue;
        }
        m_kind = *kind;
        return true;
    }
    if (!m_sawStart)
        m_error = m_file + ": empty, or not the log of a tarnwick-cli " + m_command;
    return false;
}

std::string LogReader::TimeText() const
{
    return m_object.Text(kTime).value_or("");
}

bool LogReader::Fail(const std::string& why)
{
    m_error = m_file + ":" + std::to_string(m_number) + ": " + why;
    return false;
}

bool LogReader::Begin(LogKind kind, LogTime& time)
{
    if (!m_error.empty() || m_number == 0)
        return false;
    if (kind != m_kind)
        return Fail("not a " + std::string(KindName(kind)) + " event");
    const std::optional<std::string> text = m_object.Text(kTime);
    time = text ? ParseUtcTimestamp(*text).value_or(LogTime {}) : LogTime {};
    return true;
}

bool LogReader::End(bool good)
{
    return good || Fail("a " + std::string(KindName(m_kind)) + " event without the fields undo needs");
}

bool LogReader::Read(InstallStartEvent& event)
{
    if (!Begin(event))
        return false;
    LogFields fields(m_object, true);
    fields.Text(kVersion, event.version);
    fields.Text(kCommand, event.command);
    fields.Text(kComputer, event.computer);
    fields.Text(kPackage, event.package);
    fields.Text(kTitle, event.title);
    fields.Text(kBackup, event.backup, Need::Optional);
    JsonObject answers;
    JsonObject entry;
    if (NestedObject(m_object, kAnswers, answers))
        for (const std::string* key : answers.Keys()) {
            UsedAnswer answer;
            const std::optional<std::string> name = Utf8ToSystemText(*key);
            if (!name || !NestedObject(answers, *key, entry))
                continue;
            answer.key = *name;
            LogFields values(entry, true);
            values.Text(kValue, answer.value);
            values.Text(kSource, answer.source);
            event.answers.push_back(std::move(answer));
        }
    return true;
}

bool LogReader::Read(FolderCreatedEvent& event)
{
    if (!Begin(event))
        return false;
    LogFields fields(m_object, false);
    fields.Text(kPath, event.path);
    return End(fields.Good());
}

bool LogReader::Read(FileCopiedEvent& event)
{
    if (!Begin(event))
        return false;
    LogFields fields(m_object, false);
    fields.Text(kFrom, event.from, Need::Lenient); // undo takes back the copy, wherever it came from
    fields.Text(kTo, event.to);
    fields.Integer(kBytes, event.bytes);
    fields.Boolean(kReplaced, event.replaced);
    // The digest is compared as the line gives it: hex digits are the same in every code page.
    if (std::optional<std::string> digest = m_object.Text(kSha256)) {
        event.digest = Digest::Taken;
        event.sha256 = std::move(*digest);
    } else if (m_object.IsNull(kSha256)) {
        event.digest = Digest::Lost;
    }
    fields.Text(kBackup, event.backup, Need::Optional);
    fields.Text(kBackupSha256, event.backupSha256, Need::Optional);
    return End(fields.Good());
}

bool LogReader::Read(ValueWrittenEvent& event)
{
    if (!Begin(event))
        return false;
    event.result = m_object.Integer(kResult).value_or(0);
    LogFields fields(m_object, event.result != 0);
    fields.Text(kKey, event.key);
    fields.Text(kName, event.name);
    fields.Nullable(kOld, event.old);
    fields.Text(kNew, event.newData);
    fields.Text(kEntryRemoved, event.entryRemoved, Need::Lenient);
    return End(fields.Good());
}

bool LogReader::Read(KeyCreatedEvent& event)
{
    if (!Begin(event))
        return false;
    event.result = m_object.Integer(kResult).value_or(0);
    LogFields fields(m_object, event.result != 0);
    fields.Text(kKey, event.key);
    return End(fields.Good());
}

bool LogReader::Read(IntentEvent& event)
{
    if (!Begin(event))
        return false;
    LogFields fields(m_object, false);
    const std::optional<LogKind> change = KindNamed(m_object.Text(kChange).value_or(std::string()));
    if (!change)
        return Fail("an intent event without a change undo knows");
    event.change = *change;
    switch (event.change) {
    case LogKind::FolderCreated:
        fields.Text(kPath, event.path);
        break;
    case LogKind::FileCopied:
        fields.Text(kTo, event.path);
        fields.Boolean(kReplaced, event.replaced);
        fields.Text(kBackup, event.backup, Need::Optional);
        fields.Text(kBackupSha256, event.backupSha256, Need::Optional);
        break;
    case LogKind::ValueWritten:
        fields.Text(kKey, event.key);
        fields.Text(kName, event.name);
        fields.Nullable(kOld, event.old);
        fields.Text(kNew, event.newData);
        break;
    case LogKind::KeyCreated:
        fields.Text(kKey, event.key);
        break;
    default:
        return Fail("an intent event without a change undo knows");
    }
    return End(fields.Good());
}
