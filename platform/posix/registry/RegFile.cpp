#include "platform/posix/registry/RegFile.h"

#include <array>
#include <cstdio>
#include <utility>
#include <vector>

namespace posix {

namespace {

constexpr std::string_view kHeader = "REGEDIT4";

std::string_view TrimLeft(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    return s;
}

std::string_view TrimRight(std::string_view s)
{
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// 1 to maxDigits hex digits, the whole of s.
bool ParseHexNumber(std::string_view s, std::size_t maxDigits, DWORD& out)
{
    if (s.empty() || s.size() > maxDigits)
        return false;
    out = 0;
    for (char c : s) {
        const int digit = HexDigit(c);
        if (digit < 0)
            return false;
        out = out << 4 | static_cast<DWORD>(digit);
    }
    return true;
}

class Parser {
public:
    Parser(std::string_view text, RegistryTree& tree, std::string& error)
        : m_text(text)
        , m_tree(tree)
        , m_error(error)
    { }

    bool Run()
    {
        std::string_view line;
        if (!NextLine(line) || line != kHeader)
            return Fail("the first line must be exactly REGEDIT4");
        while (NextLine(line)) {
            line = TrimLeft(line);
            if (line.empty() || line.front() == ';')
                continue;
            if (!(line.front() == '[' ? Section(TrimRight(line)) : Value(line)))
                return false;
        }
        return true;
    }

private:
    // The next line without its line end; false at the end of the text.
    bool NextLine(std::string_view& line)
    {
        if (m_pos >= m_text.size())
            return false;
        std::size_t end = m_text.find('\n', m_pos);
        if (end == std::string_view::npos)
            end = m_text.size();
        line = m_text.substr(m_pos, end - m_pos);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        m_pos = end + 1;
        ++m_line;
        return true;
    }

    bool Fail(const std::string& message)
    {
        m_error = "line " + std::to_string(m_line) + ": " + message;
        return false;
    }

    bool Section(std::string_view line)
    {
        if (line.back() != ']')
            return Fail("a key line must end with ']'");
        line = line.substr(1, line.size() - 2);
        const bool remove = !line.empty() && line.front() == '-';
        if (remove)
            line.remove_prefix(1);
        RegistryTree::SplitKeyNames(line, m_names);
        if (m_names.empty() || m_open.empty() || m_open.front().first != m_names.front()) {
            m_open.clear();
            RegistryKey* root
                = m_names.empty() ? nullptr : m_tree.Find(KeyPath { std::string(m_names.front()) });
            if (!root)
                return Fail("unknown root key in [" + std::string(line) + "]");
            m_open.emplace_back(m_names.front(), root);
        }
        if (remove) {
            m_tree.Remove(KeyPath(m_names.begin(), m_names.end()));
            m_open.resize(1); // the keys below the root may be gone
            m_key = nullptr; // values under a removed key are ignored, as regedit does
        } else {
            m_key = Open();
        }
        m_inSection = true;
        return true;
    }

    // The key that m_names leads to, made with any missing parents. A file lists parents before
    // children, so the keys opened for the section before are reused along the path the two share;
    // the same spelling is the same key, and only a removal makes keys go away.
    RegistryKey* Open()
    {
        std::size_t same = 1;
        while (same < m_names.size() && same < m_open.size() && m_open[same].first == m_names[same])
            ++same;
        m_open.resize(same);
        RegistryKey* key = m_open.back().second;
        for (std::size_t i = same; i < m_names.size(); ++i) {
            key = &key->AddSubKey(m_names[i]);
            m_open.emplace_back(m_names[i], key);
        }
        return key;
    }

    // A quoted text at the front of s, with \\ and \" escapes; s is left after the closing quote.
    bool QuotedText(std::string_view& s, std::string& out)
    {
        if (s.empty() || s.front() != '"')
            return Fail("expected '\"'");
        std::size_t run = 1; // the start of the text not yet copied
        for (std::size_t i = 1; i < s.size(); ++i) {
            const char c = s[i];
            if (c != '"' && c != '\\')
                continue;
            out.append(s.substr(run, i - run));
            if (c == '"') {
                s.remove_prefix(i + 1);
                return true;
            }
            if (i + 1 == s.size() || (s[i + 1] != '\\' && s[i + 1] != '"'))
                return Fail("unknown escape in quoted text (only \\\\ and \\\" are allowed)");
            out += s[++i];
            run = i + 1;
        }
        return Fail("quoted text without its closing '\"'");
    }

    bool HexBytes(std::string_view first, std::string& out)
    {
        // Gather the lines that a trailing backslash continues.
        std::string joined;
        std::string_view part = TrimRight(first);
        while (!part.empty() && part.back() == '\\') {
            joined.append(part.substr(0, part.size() - 1));
            std::string_view next;
            if (!NextLine(next))
                return Fail("hex data continued past the end of the file");
            part = TrimRight(TrimLeft(next));
        }
        joined.append(part);
        std::string_view rest = joined;
        while (!rest.empty()) {
            const std::size_t comma = rest.find(',');
            const std::string_view item = TrimRight(TrimLeft(rest.substr(0, comma)));
            DWORD byte = 0;
            if (!ParseHexNumber(item, 2, byte))
                return Fail("bad hex byte '" + std::string(item) + "'");
            out += static_cast<char>(byte);
            rest = comma == std::string_view::npos ? std::string_view {} : rest.substr(comma + 1);
            if (comma != std::string_view::npos && TrimRight(rest).empty())
                return Fail("hex data ends with ','");
        }
        return true;
    }

    bool Value(std::string_view line)
    {
        if (!m_inSection)
            return Fail("a value before the first [key] line");
        std::string name;
        if (line.front() == '@')
            line.remove_prefix(1);
        else if (!QuotedText(line, name))
            return false;
        line = TrimLeft(line);
        if (line.empty() || line.front() != '=')
            return Fail("expected '=' after the value name");
        line = TrimLeft(line.substr(1));

        DWORD type = REG_SZ;
        std::string data;
        bool remove = false;
        if (line.empty()) {
            return Fail("missing value data");
        } else if (line.front() == '-') {
            if (!TrimRight(line.substr(1)).empty())
                return Fail("unexpected text after '-'");
            remove = true;
        } else if (line.front() == '"') {
            data.reserve(line.size() - 1); // the text and its terminator, in one allocation
            if (!QuotedText(line, data))
                return false;
            if (!TrimRight(line).empty())
                return Fail("unexpected text after the closing '\"'");
            data += '\0';
        } else if (line.starts_with("dword:")) {
            DWORD number = 0;
            if (!ParseHexNumber(TrimRight(line.substr(6)), 8, number))
                return Fail("dword: needs 1 to 8 hex digits");
            type = REG_DWORD;
            for (int i = 0; i < 4; ++i)
                data += static_cast<char>(number >> (8 * i) & 0xff);
        } else if (line.starts_with("hex:")) {
            type = REG_BINARY;
            if (!HexBytes(line.substr(4), data))
                return false;
        } else if (line.starts_with("hex(")) {
            const std::size_t close = line.find("):");
            if (close == std::string_view::npos || !ParseHexNumber(line.substr(4, close - 4), 8, type))
                return Fail("hex(N): needs a hex type number");
            if (!HexBytes(line.substr(close + 2), data))
                return false;
        } else {
            return Fail("unknown value data '" + std::string(line) + "'");
        }
        if (!m_key)
            return true;
        if (remove)
            m_key->RemoveValue(name);
        else
            m_key->SetValue(name, type, std::move(data));
        return true;
    }

    std::string_view m_text;
    RegistryTree& m_tree;
    std::string& m_error;
    std::size_t m_pos = 0;
    std::size_t m_line = 0;
    RegistryKey* m_key = nullptr;
    bool m_inSection = false;
    std::vector<std::string_view> m_names; // of the current section, in m_text
    std::vector<std::pair<std::string_view, RegistryKey*>> m_open; // its keys, root first
};

// The bytes a text needs care for when written. One pass over a name or a text finds all three
// kinds, where a search for each would pass over it three times.
enum ByteKind : unsigned char { kLineBreak = 1, kZero = 2, kEscaped = 4 };

constexpr std::array<unsigned char, 256> kKindOf = [] {
    std::array<unsigned char, 256> kinds {};
    kinds['\r'] = kinds['\n'] = kLineBreak;
    kinds['\0'] = kZero;
    kinds['\\'] = kinds['"'] = kEscaped;
    return kinds;
}();

unsigned KindsIn(std::string_view s)
{
    unsigned kinds = 0;
    for (char c : s)
        kinds |= kKindOf[static_cast<unsigned char>(c)];
    return kinds;
}

bool HasLineBreak(std::string_view s)
{
    return KindsIn(s) & kLineBreak;
}

// kinds are KindsIn(s).
void AppendQuoted(std::string& out, std::string_view s, unsigned kinds)
{
    out += '"';
    if (!(kinds & kEscaped)) {
        out.append(s);
    } else {
        std::size_t run = 0; // the start of the text not yet copied
        for (std::size_t i = 0; i < s.size(); ++i) {
            if (s[i] == '\\' || s[i] == '"') {
                out.append(s.substr(run, i - run));
                out += '\\';
                run = i;
            }
        }
        out.append(s.substr(run));
    }
    out += '"';
}

constexpr char kHexDigits[] = "0123456789abcdef";

void AppendHexByte(std::string& out, unsigned char byte)
{
    const char digits[2] = { kHexDigits[byte >> 4], kHexDigits[byte & 0xf] };
    out.append(digits, 2);
}

void AppendData(std::string& out, const RegistryValue& value)
{
    char buffer[32];
    // A REG_SZ whose bytes are a text and its terminator, with no line break that would end the line,
    // is written as text.
    if (value.type == REG_SZ && !value.data.empty() && value.data.back() == '\0') {
        const std::string_view text = std::string_view(value.data).substr(0, value.data.size() - 1);
        const unsigned kinds = KindsIn(text);
        if (!(kinds & (kLineBreak | kZero))) {
            AppendQuoted(out, text, kinds);
            return;
        }
    }
    if (value.type == REG_DWORD && value.data.size() == 4) {
        out += "dword:";
        for (int i = 3; i >= 0; --i) // little-endian bytes, most significant digits first
            AppendHexByte(out, static_cast<unsigned char>(value.data[i]));
        return;
    }
    if (value.type == REG_BINARY)
        out += "hex:";
    else {
        std::snprintf(buffer, sizeof buffer, "hex(%x):", static_cast<unsigned>(value.type));
        out += buffer;
    }
    // Wrapped as regedit does, so that long data stays readable and diffable.
    std::size_t column = out.size() - out.rfind('\n');
    for (std::size_t i = 0; i < value.data.size(); ++i) {
        AppendHexByte(out, static_cast<unsigned char>(value.data[i]));
        column += 2;
        if (i + 1 < value.data.size()) {
            out += ',';
            if (++column > 76) {
                out += "\\\r\n  ";
                column = 2;
            }
        }
    }
}

// path is the key's own, and is restored before returning.
bool AppendKey(std::string& out, const RegistryKey& key, std::string& path, bool isRoot, std::string& error)
{
    if (HasLineBreak(key.name)) {
        error = "the key name under " + path + " holds a line break, which a .reg file cannot hold";
        return false;
    }
    if (!isRoot || !key.values.empty()) {
        out += "\r\n[";
        out += path;
        out += "]\r\n";
    }
    for (const RegistryValue& value : key.values) {
        const unsigned kinds = KindsIn(value.name);
        if (kinds & kLineBreak) {
            error = "a value name in " + path + " holds a line break, which a .reg file cannot hold";
            return false;
        }
        if (value.name.empty())
            out += '@';
        else
            AppendQuoted(out, value.name, kinds);
        out += '=';
        AppendData(out, value);
        out += "\r\n";
    }
    const std::size_t length = path.size();
    for (const auto& child : key.subkeys) {
        path += '\\';
        path += child->name;
        if (!AppendKey(out, *child, path, false, error))
            return false;
        path.resize(length);
    }
    return true;
}

} // namespace

bool ParseRegFile(std::string_view text, RegistryTree& tree, std::string& error)
{
    return Parser(text, tree, error).Run();
}

bool WriteRegFile(const RegistryTree& tree, std::string& text, std::string& error)
{
    text.assign(kHeader);
    text += "\r\n";
    std::string path;
    for (const auto& root : tree.Top().subkeys) {
        path = root->name;
        if (!AppendKey(text, *root, path, true, error))
            return false;
    }
    text += "\r\n"; // regedit ends its exports with a blank line
    return true;
}

} // namespace posix
