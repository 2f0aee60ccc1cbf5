#include "cli/answers/Answers.h"

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

std::string Quoted(std::string_view value)
{
    return "'" + std::string(value) + "'";
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
            return Quoted(item) + " is not an option number";
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
            return std::string(name) + " takes yes or no, not " + Quoted(value);
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

bool HasNonAscii(std::string_view text)
{
    return std::ranges::any_of(text, [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
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

} // namespace

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
    Answers& answers = result.answers;
    const auto fail = [&](std::string where, const std::string& message) {
        result.errors.push_back(where + ": " + message);
    };
    const auto fileWhere = [&](int line) { return std::string(fileName) + ":" + std::to_string(line); };

    // Notepad's "Unicode" and "UTF-8" files. Values are read in the system code page, so UTF-8 is
    // only safe while the file is plain ASCII.
    if (fileText.starts_with("\xFF\xFE") || fileText.starts_with("\xFE\xFF")) {
        fail(fileWhere(1), "the file is UTF-16 text; save it in the system code page (ANSI)");
        fileText = {};
    } else if (fileText.starts_with("\xEF\xBB\xBF")) {
        fileText.remove_prefix(3);
        if (HasNonAscii(fileText)) {
            fail(fileWhere(1),
                "the file is UTF-8 text with non-ASCII characters; save it in the system code "
                "page (ANSI)");
            fileText = {};
        }
    }

    std::array<int, answerKeyCount> fileLine {}; // 0: not in the file
    bool inSection = false;
    for (int lineNumber = 1; !fileText.empty(); ++lineNumber) {
        const std::size_t end = std::min(fileText.find('\n'), fileText.size());
        std::string_view line = fileText.substr(0, end);
        fileText.remove_prefix(std::min(end + 1, fileText.size()));
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);

        line = Trim(line);
        if (line.empty() || line.front() == ';' || line.front() == '#')
            continue;
        if (line.front() == '[') {
            if (line.back() != ']') {
                fail(fileWhere(lineNumber), "a section line ends with ]");
                continue;
            }
            inSection = EqualsNoCase(Trim(line.substr(1, line.size() - 2)), sectionName);
            continue;
        }
        const std::size_t equals = line.find('=');
        const std::string_view name = Trim(line.substr(0, std::min(equals, line.size())));
        if (equals == std::string_view::npos || name.empty()) {
            fail(fileWhere(lineNumber), "expected Key=value, [Tarnwick] or a comment");
            continue;
        }
        const std::optional<AnswerKey> key = FindKey(name);
        if (!key) {
            fail(fileWhere(lineNumber), "unknown key " + Quoted(name));
            continue;
        }
        if (!inSection) {
            fail(fileWhere(lineNumber), std::string(KeyName(*key)) + " stands outside [Tarnwick]");
            continue;
        }
        int& first = fileLine[static_cast<std::size_t>(*key)];
        if (first != 0) {
            fail(fileWhere(lineNumber),
                "duplicate key " + std::string(KeyName(*key)) + " (first on line " + std::to_string(first)
                    + ")");
            continue;
        }
        first = lineNumber;
        const std::string error = Store(answers, *key, ValueOf(line.substr(equals + 1)), optionCount);
        if (!error.empty())
            fail(fileWhere(lineNumber), error);
        else
            answers.sources[static_cast<std::size_t>(*key)] = AnswerSource::File;
    }

    std::array<std::size_t, answerKeyCount> setIndex {}; // 0: no --set
    for (std::size_t i = 0; i < sets.size(); ++i) {
        const std::string where = "--set:" + std::to_string(i + 1);
        const std::string_view set = sets[i];
        const std::size_t equals = set.find('=');
        if (equals == std::string_view::npos) {
            fail(where, "expected KEY=VALUE, not " + Quoted(set));
            continue;
        }
        const std::string_view name = Trim(set.substr(0, equals));
        const std::optional<AnswerKey> key = FindKey(name);
        if (!key) {
            fail(where, "unknown key " + Quoted(name));
            continue;
        }
        std::size_t& first = setIndex[static_cast<std::size_t>(*key)];
        if (first != 0) {
            fail(where,
                "duplicate key " + std::string(KeyName(*key)) + " (first --set:" + std::to_string(first)
                    + ")");
            continue;
        }
        first = i + 1;
        const std::string error = Store(answers, *key, ValueOf(set.substr(equals + 1)), optionCount);
        if (!error.empty())
            fail(where, error);
        else
            answers.sources[static_cast<std::size_t>(*key)] = AnswerSource::Set;
    }
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
