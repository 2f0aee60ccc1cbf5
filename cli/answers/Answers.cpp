#include "cli/answers/Answers.h"

#include "cli/answers/AnswerText.h"
#include "cli/log/JsonLine.h"
#include "cli/TextCase.h"

#include <algorithm>
#include <charconv>

namespace {

constexpr std::string_view sectionName = "Tarnwick";
constexpr std::string_view blanks = " \t";

constexpr std::array<std::string_view, answerKeyCount> keyNames
    = { "AcceptLicense", "Jvm", "Dir1", "Dir2", "Dir3", "Options", "CreateFolders", "RestartServer" };

std::string_view Trim(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

std::optional<AnswerKey> FindKey(std::string_view name)
{
    for (std::size_t i = 0; i < answerKeyCount; ++i)
        if (EqualsNoCase(name, keyNames[i]))
            return static_cast<AnswerKey>(i);
    return std::nullopt;
}

// A value as written after "=": blanks around it dropped, then one pair of double quotes, which
// is how a value that starts or ends with a blank is written.
std::string_view ValueOf(std::string_view written)
{
    std::string_view value = Trim(written);
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        value = value.substr(1, value.size() - 2);
    return value;
}

std::optional<bool> YesNo(std::string_view value)
{
    for (const std::string_view yes : { "yes", "true", "1" })
        if (EqualsNoCase(value, yes))
            return true;
    for (const std::string_view no : { "no", "false", "0" })
        if (EqualsNoCase(value, no))
            return false;
    return std::nullopt;
}

// Reads "1, 3,5" into ascending numbers; the reason when it cannot.
std::string ReadOptions(std::string_view value, int optionCount, std::vector<int>& numbers)
{
    numbers.clear();
    if (value.empty())
        return {};
    for (std::size_t start = 0;;) {
        const std::size_t comma = std::min(value.find(',', start), value.size());
        const std::string_view item = Trim(value.substr(start, comma - start));
        int number = 0;
        const auto [end, error] = std::from_chars(item.data(), item.data() + item.size(), number);
        if (item.empty())
            return "Options has an empty item";
        if (error != std::errc() || end != item.data() + item.size() || item.front() == '-')
            return QuotedAnswer(item) + " is not an option number";
        if (number < 1 || number > Answers::maxOptions)
            return "option " + std::to_string(number) + " is not one of 1 to "
                + std::to_string(Answers::maxOptions);
        if (number > optionCount)
            return "option " + std::to_string(number) + " does not exist: the package has "
                + (optionCount <= 0
                        ? std::string("no options")
                        : std::to_string(optionCount) + (optionCount == 1 ? " option" : " options"));
        if (std::ranges::find(numbers, number) != numbers.end())
            return "option " + std::to_string(number) + " is listed twice";
        numbers.push_back(number);
        if (comma == value.size())
            break;
        start = comma + 1;
    }
    std::ranges::sort(numbers);
    return {};
}

// Stores one answer; the reason when the value is not one the key takes.
std::string Store(Answers& answers, AnswerKey key, std::string_view value, int optionCount)
{
    const std::string_view name = Answers::KeyName(key);
    switch (key) {
    case AnswerKey::AcceptLicense:
    case AnswerKey::CreateFolders:
    case AnswerKey::RestartServer: {
        const std::optional<bool> flag = YesNo(value);
        if (!flag)
            return std::string(name) + " takes yes or no, not " + QuotedAnswer(value);
        (key == AnswerKey::AcceptLicense          ? answers.acceptLicense
                : key == AnswerKey::CreateFolders ? answers.createFolders
                                                  : answers.restartServer)
            = *flag;
        return {};
    }
    case AnswerKey::Jvm:
        if (value.empty())
            return "Jvm takes a runtime path or keep";
        answers.jvm = EqualsNoCase(value, Answers::keepJvm) ? Answers::keepJvm : value;
        return {};
    case AnswerKey::Dir1:
    case AnswerKey::Dir2:
    case AnswerKey::Dir3:
        if (value.size() > Answers::maxFolderLength)
            return std::string(name) + " is " + std::to_string(value.size())
                + " characters long; a folder the install creates takes at most "
                + std::to_string(Answers::maxFolderLength);
        answers.dirs[static_cast<std::size_t>(key) - static_cast<std::size_t>(AnswerKey::Dir1)] = value;
        return {};
    case AnswerKey::Options: {
        std::vector<int> numbers;
        std::string error = ReadOptions(value, optionCount, numbers);
        if (error.empty())
            answers.options = std::move(numbers);
        return error;
    }
    }
    return {};
}

void AddCommentLines(std::string& out, std::string_view comment)
{
    while (!comment.empty()) {
        const std::size_t end = std::min(comment.find('\n'), comment.size());
        std::string_view line = comment.substr(0, end);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        out += line.empty() ? ";" : "; ";
        out += line;
        out += "\r\n";
        comment.remove_prefix(std::min(end + 1, comment.size()));
    }
}

// Reads the answers file, then the --set texts, into one ParsedAnswers.
class AnswerReader {
public:
    AnswerReader(ParsedAnswers& result, int optionCount)
        : m_result(result)
        , m_optionCount(optionCount)
    { }

    void ReadFile(std::string_view fileName, std::string_view text);
    void ReadSets(const std::vector<std::string>& sets);

private:
    void Fail(const std::string& where, const std::string& message)
    {
        m_result.errors.push_back(where + ": " + message);
    }
    std::string_view ReadableText(const std::string& where, std::string_view text);
    bool m_utf8 = false; // the file's text is UTF-8, each line converted before it is read
    void ReadLine(const std::string& where, int lineNumber, std::string_view line);
    void ReadSet(const std::string& where, std::size_t number, std::string_view set);
    void Take(const std::string& where, AnswerKey key, std::string_view written, AnswerSource source);

    ParsedAnswers& m_result;
    int m_optionCount;
    bool m_inSection = false;
    std::array<int, answerKeyCount> m_fileLine {}; // 0: not in the file
    std::array<std::size_t, answerKeyCount> m_setNumber {}; // 0: no --set
};

void AnswerReader::ReadFile(std::string_view fileName, std::string_view text)
{
    const auto where = [&](int line) { return std::string(fileName) + ":" + std::to_string(line); };
    text = ReadableText(where(1), text);
    for (int lineNumber = 1; !text.empty(); ++lineNumber) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (!m_utf8) {
            ReadLine(where(lineNumber), lineNumber, Trim(line));
            continue;
        }
        const std::optional<std::string> converted = Utf8ToSystemText(line);
        if (!converted)
            Fail(where(lineNumber), "the line holds a character the system code page cannot hold");
        else
            ReadLine(where(lineNumber), lineNumber, Trim(*converted));
    }
}

// Notepad's "Unicode" files are refused. UTF-8, with a byte order mark or without (as most editors
// save it), is converted to the system code page line by line; any other text is taken to be in
// the system code page already, as the wizard's own files are.
std::string_view AnswerReader::ReadableText(const std::string& where, std::string_view text)
{
    if (text.starts_with("\xFF\xFE") || text.starts_with("\xFE\xFF")) {
        Fail(where, "the file is UTF-16 text; save it as UTF-8 or in the system code page (ANSI)");
        return {};
    }
    const bool marked = text.starts_with("\xEF\xBB\xBF");
    if (marked)
        text.remove_prefix(3);
    if (!HasNonAscii(text))
        return text;
    m_utf8 = IsUtf8(text);
    if (marked && !m_utf8) {
        Fail(where, "the file is marked as UTF-8 text but is not well-formed UTF-8");
        return {};
    }
    return text;
}

// One line, its blanks trimmed: a comment, a section or Key=value.
void AnswerReader::ReadLine(const std::string& where, int lineNumber, std::string_view line)
{
    if (line.empty() || line.front() == ';' || line.front() == '#')
        return;
    if (line.front() == '[') {
        if (line.back() != ']')
            Fail(where, "a section line ends with ]");
        else
            m_inSection = EqualsNoCase(Trim(line.substr(1, line.size() - 2)), sectionName);
        return;
    }
    const std::size_t equals = line.find('=');
    const std::string_view name = Trim(line.substr(0, std::min(equals, line.size())));
    if (equals == std::string_view::npos || name.empty()) {
        Fail(where, "expected Key=value, [Tarnwick] or a comment");
        return;
    }
    const std::optional<AnswerKey> key = FindKey(name);
    if (!key) {
        Fail(where, "unknown key " + QuotedAnswer(name));
        return;
    }
    if (!m_inSection) {
        Fail(where, std::string(Answers::KeyName(*key)) + " stands outside [Tarnwick]");
        return;
    }
    int& first = m_fileLine[static_cast<std::size_t>(*key)];
    if (first != 0) {
        Fail(where,
            "duplicate key " + std::string(Answers::KeyName(*key)) + " (first on line "
                + std::to_string(first) + ")");
        return;
    }
    first = lineNumber;
    Take(where, *key, line.substr(equals + 1), AnswerSource::File);
}

void AnswerReader::ReadSets(const std::vector<std::string>& sets)
{
    for (std::size_t i = 0; i < sets.size(); ++i)
        ReadSet("--set:" + std::to_string(i + 1), i + 1, sets[i]);
}

// One --set text, the number-th: KEY=VALUE.
void AnswerReader::ReadSet(const std::string& where, std::size_t number, std::string_view set)
{
    const std::size_t equals = set.find('=');
    if (equals == std::string_view::npos) {
        Fail(where, "expected KEY=VALUE, not " + QuotedAnswer(set));
        return;
    }
    const std::string_view name = Trim(set.substr(0, equals));
    const std::optional<AnswerKey> key = FindKey(name);
    if (!key) {
        Fail(where, "unknown key " + QuotedAnswer(name));
        return;
    }
    std::size_t& first = m_setNumber[static_cast<std::size_t>(*key)];
    if (first != 0) {
        Fail(where,
            "duplicate key " + std::string(Answers::KeyName(*key)) + " (first --set:" + std::to_string(first)
                + ")");
        return;
    }
    first = number;
    Take(where, *key, set.substr(equals + 1), AnswerSource::Set);
}

// The value as written after '=' becomes the answer, from source, unless the key refuses it.
void AnswerReader::Take(
    const std::string& where, AnswerKey key, std::string_view written, AnswerSource source)
{
    const std::string error = Store(m_result.answers, key, ValueOf(written), m_optionCount);
    if (!error.empty())
        Fail(where, error);
    else
        m_result.answers.sources[static_cast<std::size_t>(key)] = source;
}

} // namespace

std::vector<std::string> ParsedAnswers::ShownErrors() const
{
    if (errors.size() <= mostShown)
        return errors;
    std::vector<std::string> shown(errors.begin(), errors.begin() + mostShown);
    shown.push_back("and " + std::to_string(errors.size() - mostShown) + " more");
    return shown;
}

std::string_view Answers::KeyName(AnswerKey key)
{
    return keyNames[static_cast<std::size_t>(key)];
}

std::string_view Answers::SourceName(AnswerSource source)
{
    switch (source) {
    case AnswerSource::File:
        return "file";
    case AnswerSource::Set:
        return "--set";
    case AnswerSource::Default:
        break;
    }
    return "default";
}

std::optional<std::string> Answers::ValueText(AnswerKey key) const
{
    const auto yesNo = [](const std::optional<bool>& flag) -> std::optional<std::string> {
        if (!flag)
            return std::nullopt;
        return *flag ? "yes" : "no";
    };
    switch (key) {
    case AnswerKey::AcceptLicense:
        return yesNo(acceptLicense);
    case AnswerKey::CreateFolders:
        return yesNo(createFolders);
    case AnswerKey::RestartServer:
        return yesNo(restartServer);
    case AnswerKey::Jvm:
        return jvm;
    case AnswerKey::Dir1:
    case AnswerKey::Dir2:
    case AnswerKey::Dir3:
        return dirs[static_cast<std::size_t>(key) - static_cast<std::size_t>(AnswerKey::Dir1)];
    case AnswerKey::Options: {
        if (!options)
            return std::nullopt;
        std::string text;
        for (const int number : *options)
            text += (text.empty() ? "" : ",") + std::to_string(number);
        return text;
    }
    }
    return std::nullopt;
}

ParsedAnswers Answers::Parse(std::string_view fileName, std::string_view fileText,
    const std::vector<std::string>& sets, int optionCount)
{
    ParsedAnswers result;
    AnswerReader reader(result, optionCount);
    reader.ReadFile(fileName, fileText);
    reader.ReadSets(sets);
    return result;
}

std::string Answers::Format(
    const Answers& answers, const std::array<std::string, answerKeyCount>& comments, std::string_view header)
{
    std::string out;
    AddCommentLines(out, header);
    out += "[" + std::string(sectionName) + "]\r\n";
    for (std::size_t i = 0; i < answerKeyCount; ++i) {
        const auto key = static_cast<AnswerKey>(i);
        const std::optional<std::string> value = answers.ValueText(key);
        if (value || !comments[i].empty())
            out += "\r\n";
        AddCommentLines(out, comments[i]);
        if (!value)
            continue;
        if (value->find_first_of("\r\n") != std::string::npos) {
            AddCommentLines(out, std::string(KeyName(key)) + " is left out: its value holds a line break");
            continue;
        }
        // Quotes keep blanks at either end, and a value that is itself quoted.
        const bool quote = !value->empty()
            && (blanks.find(value->front()) != std::string_view::npos
                || blanks.find(value->back()) != std::string_view::npos
                || (value->size() >= 2 && value->front() == '"' && value->back() == '"'));
        out += std::string(KeyName(key)) + "=" + (quote ? "\"" + *value + "\"" : *value) + "\r\n";
    }
    return out;
}
