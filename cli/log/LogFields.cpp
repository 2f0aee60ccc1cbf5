#include "cli/log/LogFields.h"

#include "cli/log/JsonLine.h"

namespace {

std::optional<std::string> SystemText(const std::optional<std::string>& utf8)
{
    std::optional<std::string> text = utf8 ? Utf8ToSystemText(*utf8) : std::nullopt;
    if (text && text->find('\0') != std::string::npos)
        return std::nullopt;
    return text;
}

} // namespace

void LogFields::Missing(std::string_view key, Need need)
{
    if (m_lenient || need == Need::Lenient || (need == Need::Optional && !m_object.Has(key)))
        return;
    m_good = false;
}

void LogFields::Text(std::string_view key, std::string& into, Need need)
{
    std::optional<std::string> text = SystemText(m_object.Text(key));
    if (text)
        into = std::move(*text);
    else
        Missing(key, need);
}

void LogFields::Text(std::string_view key, std::optional<std::string>& into)
{
    if (!m_object.Has(key))
        return;
    std::optional<std::string> text = SystemText(m_object.Text(key));
    if (text)
        into = std::move(text);
    else
        Missing(key, Need::Required);
}

void LogFields::Nullable(std::string_view key, std::optional<std::string>& into)
{
    if (m_object.IsNull(key)) {
        into.reset();
        return;
    }
    std::optional<std::string> text = SystemText(m_object.Text(key));
    if (text)
        into = std::move(text);
    else
        Missing(key, Need::Required);
}

void LogFields::Boolean(std::string_view key, bool& into, Need need)
{
    const std::optional<bool> value = m_object.Boolean(key);
    if (value)
        into = *value;
    else
        Missing(key, need);
}

void LogFields::Word(std::string_view key, bool& into, std::string_view yes, std::string_view no)
{
    const std::optional<std::string> word = m_object.Text(key);
    if (word && (*word == yes || *word == no))
        into = *word == yes;
    else
        Missing(key, Need::Required);
}

bool NestedObject(const JsonObject& object, std::string_view key, JsonObject& nested)
{
    const std::optional<std::string> text = object.Nested(key);
    return text && nested.Parse(*text);
}
