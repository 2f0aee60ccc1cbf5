#include "cli/log/JsonReader.h"

#include <charconv>
#include <set>

namespace {

class Reader {
public:
    // twice: where the name a nested object gives twice goes.
    Reader(std::string_view text, std::optional<std::string>& twice)
        : m_text(text)
        , m_twice(twice)
    { }

    bool AtEnd()
    {
        SkipBlanks();
        return m_at == m_text.size();
    }

    bool Take(char c)
    {
        SkipBlanks();
        if (m_at < m_text.size() && m_text[m_at] == c) {
            ++m_at;
            return true;
        }
        return false;
    }

    bool Peek(char c)
    {
        SkipBlanks();
        return m_at < m_text.size() && m_text[m_at] == c;
    }

    bool String(std::string& out)
    {
        if (!Take('"'))
            return false;
        out.clear();
        while (m_at < m_text.size()) {
            const char c = m_text[m_at++];
            if (c == '"')
                return true;
            if (static_cast<unsigned char>(c) < 0x20)
                return false;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (m_at >= m_text.size())
                return false;
            switch (m_text[m_at++]) {
            case '"':
                out += '"';
                break;
            case '\\':
                out += '\\';
                break;
            case '/':
                out += '/';
                break;
            case 'b':
                out += '\b';
                break;
            case 'f':
                out += '\f';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case 'u':
                if (!Escaped(out))
                    return false;
                break;
            default:
                return false;
            }
        }
        return false;
    }

    bool Value(JsonValue& out)
    {
        SkipBlanks();
        if (m_at >= m_text.size())
            return false;
        const char c = m_text[m_at];
        if (c == '"') {
            out.kind = JsonValue::Kind::Text;
            return String(out.text);
        }
        if (c == '{' || c == '[') {
            const std::size_t start = m_at;
            if (!Skip(0))
                return false;
            out.kind = JsonValue::Kind::Nested;
            out.text = std::string(m_text.substr(start, m_at - start));
            return true;
        }
        if (Word("true") || Word("false")) {
            out.kind = JsonValue::Kind::Boolean;
            out.boolean = c == 't';
            return true;
        }
        if (Word("null")) {
            out.kind = JsonValue::Kind::Null;
            return true;
        }
        out.kind = JsonValue::Kind::Number;
        return Number(out.text);
    }

private:
    void SkipBlanks()
    {
        while (m_at < m_text.size()
            && (m_text[m_at] == ' ' || m_text[m_at] == '\t' || m_text[m_at] == '\r' || m_text[m_at] == '\n'))
            ++m_at;
    }

    bool Word(std::string_view word)
    {
        if (m_text.substr(m_at, word.size()) != word)
            return false;
        m_at += word.size();
        return true;
    }

    bool Hex4(unsigned& unit)
    {
        if (m_text.size() - m_at < 4)
            return false;
        unit = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = m_text[m_at++];
            unit <<= 4;
            if (c >= '0' && c <= '9')
                unit |= static_cast<unsigned>(c - '0');
            else if (c >= 'a' && c <= 'f')
                unit |= static_cast<unsigned>(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F')
                unit |= static_cast<unsigned>(c - 'A' + 10);
            else
                return false;
        }
        return true;
    }

    // After "\u": one character, or a surrogate pair as two escapes; appended as UTF-8.
    bool Escaped(std::string& out)
    {
        unsigned unit = 0;
        if (!Hex4(unit) || (unit >= 0xDC00 && unit < 0xE000))
            return false;
        char32_t codePoint = unit;
        if (unit >= 0xD800 && unit < 0xDC00) {
            unsigned low = 0;
            if (!Word("\\u") || !Hex4(low) || low < 0xDC00 || low >= 0xE000)
                return false;
            codePoint = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
        }
        if (codePoint < 0x80) {
            out += static_cast<char>(codePoint);
        } else if (codePoint < 0x800) {
            out += static_cast<char>(0xC0 | (codePoint >> 6));
            out += static_cast<char>(0x80 | (codePoint & 0x3F));
        } else if (codePoint < 0x10000) {
            out += static_cast<char>(0xE0 | (codePoint >> 12));
            out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (codePoint & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (codePoint >> 18));
            out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (codePoint & 0x3F));
        }
        return true;
    }

    bool Number(std::string& out)
    {
        const std::size_t start = m_at;
        if (m_at < m_text.size() && m_text[m_at] == '-')
            ++m_at;
        const std::size_t digits = m_at;
        while (m_at < m_text.size() && m_text[m_at] >= '0' && m_text[m_at] <= '9')
            ++m_at;
        if (m_at == digits || (m_text[digits] == '0' && m_at - digits > 1))
            return false;
        if (m_at < m_text.size() && m_text[m_at] == '.') {
            const std::size_t fraction = ++m_at;
            while (m_at < m_text.size() && m_text[m_at] >= '0' && m_text[m_at] <= '9')
                ++m_at;
            if (m_at == fraction)
                return false;
        }
        if (m_at < m_text.size() && (m_text[m_at] == 'e' || m_text[m_at] == 'E')) {
            ++m_at;
            if (m_at < m_text.size() && (m_text[m_at] == '+' || m_text[m_at] == '-'))
                ++m_at;
            const std::size_t exponent = m_at;
            while (m_at < m_text.size() && m_text[m_at] >= '0' && m_text[m_at] <= '9')
                ++m_at;
            if (m_at == exponent)
                return false;
        }
        out = std::string(m_text.substr(start, m_at - start));
        return true;
    }

    // Checks an object or array and moves past it; depth bounds what a hostile line can nest.
    bool Skip(int depth)
    {
        if (depth > 64)
            return false;
        const bool object = Take('{');
        if (!object && !Take('['))
            return false;
        const char close = object ? '}' : ']';
        if (Take(close))
            return true;
        std::set<std::string, std::less<>> keys;
        do {
            std::string key;
            if (object && (!String(key) || !Take(':')))
                return false;
            if (object && !keys.insert(key).second) {
                m_twice = std::move(key);
                return false;
            }
            SkipBlanks();
            if (Peek('{') || Peek('[')) {
                if (!Skip(depth + 1))
                    return false;
            } else {
                JsonValue ignored;
                if (!Value(ignored))
                    return false;
            }
        } while (Take(','));
        return Take(close);
    }

    std::string_view m_text;
    std::size_t m_at = 0;
    std::optional<std::string>& m_twice;
};

} // namespace

bool JsonObject::Parse(std::string_view line)
{
    m_fields.clear();
    m_order.clear();
    m_twice.reset();
    if (!ParseFields(line)) {
        m_fields.clear(); // nothing of a refused line
        m_order.clear();
        return false;
    }
    return true;
}

bool JsonObject::ParseFields(std::string_view line)
{
    Reader reader(line, m_twice);
    if (!reader.Take('{'))
        return false;
    if (!reader.Take('}')) {
        do {
            std::string key;
            JsonValue value;
            if (!reader.String(key) || !reader.Take(':') || !reader.Value(value))
                return false;
            const auto [field, added] = m_fields.try_emplace(std::move(key), std::move(value));
            if (!added) {
                m_twice = field->first;
                return false;
            }
            m_order.push_back(&field->first);
        } while (reader.Take(','));
        if (!reader.Take('}'))
            return false;
    }
    return reader.AtEnd();
}

const JsonValue* JsonObject::Find(std::string_view key, JsonValue::Kind kind) const
{
    const auto found = m_fields.find(key);
    return found == m_fields.end() || found->second.kind != kind ? nullptr : &found->second;
}

bool JsonObject::IsNull(std::string_view key) const
{
    return Find(key, JsonValue::Kind::Null) != nullptr;
}

std::optional<std::string> JsonObject::Text(std::string_view key) const
{
    const JsonValue* value = Find(key, JsonValue::Kind::Text);
    return value ? std::optional<std::string>(value->text) : std::nullopt;
}

std::optional<std::string> JsonObject::Nested(std::string_view key) const
{
    const JsonValue* value = Find(key, JsonValue::Kind::Nested);
    return value ? std::optional<std::string>(value->text) : std::nullopt;
}

std::optional<std::int64_t> JsonObject::Integer(std::string_view key) const
{
    const JsonValue* value = Find(key, JsonValue::Kind::Number);
    if (!value)
        return std::nullopt;
    const std::string& text = value->text;
    std::int64_t number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc {} || end != text.data() + text.size())
        return std::nullopt;
    return number;
}

std::optional<bool> JsonObject::Boolean(std::string_view key) const
{
    const JsonValue* value = Find(key, JsonValue::Kind::Boolean);
    return value ? std::optional<bool>(value->boolean) : std::nullopt;
}
