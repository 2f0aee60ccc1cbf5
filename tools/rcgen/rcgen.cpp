// rcgen: turns the resource script of Tarnwick into the dialog and string tables that the POSIX
// build creates its windows from (platform/DialogTemplate.h), so that the .rc stays the only source
// of every template. It reads the subset of resource-script syntax that res/tarnwick.rc uses and
// stores every style exactly as windres and Microsoft's rc do; anything outside that subset stops
// the build with "file:line: message" rather than being guessed at.
//
//   rcgen <file.rc> -o <tables.cpp>   write the tables
//   rcgen <file.rc> --dump            print the templates as text, the format that
//                                     check_against_windres.sh decodes windres's .res into
//   rcgen --constants                 print the Win32 names rcgen knows, one a line
//
// Standalone on purpose (one file, standard library only): it runs on the build host even when the
// product is cross-compiled.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Location {
    std::string file;
    int line = 0;
};

class ScriptError : public std::runtime_error {
public:
    ScriptError(const Location& at, const std::string& message)
        : std::runtime_error(at.file + ":" + std::to_string(at.line) + ": " + message)
    { }
};

[[noreturn]] void fail(const Location& at, const std::string& message)
{
    throw ScriptError(at, message);
}

// ---- Win32 names: rcgen's stand-in for <windows.h> ----
// check_against_windres.sh --constants compares every value here with mingw's headers.

struct Constant {
    std::string_view name;
    std::uint32_t value;
};

constexpr Constant kWin32Constants[] = {
    // Window styles
    { "WS_OVERLAPPED", 0x00000000 },
    { "WS_POPUP", 0x80000000 },
    { "WS_CHILD", 0x40000000 },
    { "WS_MINIMIZE", 0x20000000 },
    { "WS_VISIBLE", 0x10000000 },
    { "WS_DISABLED", 0x08000000 },
    { "WS_CLIPSIBLINGS", 0x04000000 },
    { "WS_CLIPCHILDREN", 0x02000000 },
    { "WS_MAXIMIZE", 0x01000000 },
    { "WS_CAPTION", 0x00C00000 },
    { "WS_BORDER", 0x00800000 },
    { "WS_DLGFRAME", 0x00400000 },
    { "WS_VSCROLL", 0x00200000 },
    { "WS_HSCROLL", 0x00100000 },
    { "WS_SYSMENU", 0x00080000 },
    { "WS_THICKFRAME", 0x00040000 },
    { "WS_GROUP", 0x00020000 },
    { "WS_TABSTOP", 0x00010000 },
    { "WS_MINIMIZEBOX", 0x00020000 },
    { "WS_MAXIMIZEBOX", 0x00010000 },
    // Extended window styles
    { "WS_EX_DLGMODALFRAME", 0x00000001 },
    { "WS_EX_NOPARENTNOTIFY", 0x00000004 },
    { "WS_EX_TOPMOST", 0x00000008 },
    { "WS_EX_ACCEPTFILES", 0x00000010 },
    { "WS_EX_TRANSPARENT", 0x00000020 },
    { "WS_EX_TOOLWINDOW", 0x00000080 },
    { "WS_EX_WINDOWEDGE", 0x00000100 },
    { "WS_EX_CLIENTEDGE", 0x00000200 },
    { "WS_EX_CONTEXTHELP", 0x00000400 },
    { "WS_EX_CONTROLPARENT", 0x00010000 },
    { "WS_EX_STATICEDGE", 0x00020000 },
    { "WS_EX_APPWINDOW", 0x00040000 },
    // Dialog styles. DS_SHELLFONT and DS_FIXEDSYS are left out: they change which font a template
    // carries, which the tables do not model.
    { "DS_ABSALIGN", 0x0001 },
    { "DS_SYSMODAL", 0x0002 },
    { "DS_3DLOOK", 0x0004 },
    { "DS_NOFAILCREATE", 0x0010 },
    { "DS_LOCALEDIT", 0x0020 },
    { "DS_SETFONT", 0x0040 },
    { "DS_MODALFRAME", 0x0080 },
    { "DS_NOIDLEMSG", 0x0100 },
    { "DS_SETFOREGROUND", 0x0200 },
    { "DS_CONTROL", 0x0400 },
    { "DS_CENTER", 0x0800 },
    { "DS_CENTERMOUSE", 0x1000 },
    { "DS_CONTEXTHELP", 0x2000 },
    // Buttons
    { "BS_PUSHBUTTON", 0x0000 },
    { "BS_DEFPUSHBUTTON", 0x0001 },
    { "BS_CHECKBOX", 0x0002 },
    { "BS_AUTOCHECKBOX", 0x0003 },
    { "BS_RADIOBUTTON", 0x0004 },
    { "BS_3STATE", 0x0005 },
    { "BS_AUTO3STATE", 0x0006 },
    { "BS_GROUPBOX", 0x0007 },
    { "BS_AUTORADIOBUTTON", 0x0009 },
    { "BS_OWNERDRAW", 0x000B },
    { "BS_LEFTTEXT", 0x0020 },
    { "BS_ICON", 0x0040 },
    { "BS_BITMAP", 0x0080 },
    { "BS_LEFT", 0x0100 },
    { "BS_RIGHT", 0x0200 },
    { "BS_CENTER", 0x0300 },
    { "BS_TOP", 0x0400 },
    { "BS_BOTTOM", 0x0800 },
    { "BS_VCENTER", 0x0C00 },
    { "BS_PUSHLIKE", 0x1000 },
    { "BS_MULTILINE", 0x2000 },
    { "BS_NOTIFY", 0x4000 },
    { "BS_FLAT", 0x8000 },
    // Edit controls
    { "ES_LEFT", 0x0000 },
    { "ES_CENTER", 0x0001 },
    { "ES_RIGHT", 0x0002 },
    { "ES_MULTILINE", 0x0004 },
    { "ES_UPPERCASE", 0x0008 },
    { "ES_LOWERCASE", 0x0010 },
    { "ES_PASSWORD", 0x0020 },
    { "ES_AUTOVSCROLL", 0x0040 },
    { "ES_AUTOHSCROLL", 0x0080 },
    { "ES_NOHIDESEL", 0x0100 },
    { "ES_OEMCONVERT", 0x0400 },
    { "ES_READONLY", 0x0800 },
    { "ES_WANTRETURN", 0x1000 },
    { "ES_NUMBER", 0x2000 },
    // Static controls
    { "SS_LEFT", 0x0000 },
    { "SS_CENTER", 0x0001 },
    { "SS_RIGHT", 0x0002 },
    { "SS_ICON", 0x0003 },
    { "SS_BLACKRECT", 0x0004 },
    { "SS_GRAYRECT", 0x0005 },
    { "SS_WHITERECT", 0x0006 },
    { "SS_BLACKFRAME", 0x0007 },
    { "SS_GRAYFRAME", 0x0008 },
    { "SS_WHITEFRAME", 0x0009 },
    { "SS_SIMPLE", 0x000B },
    { "SS_LEFTNOWORDWRAP", 0x000C },
    { "SS_OWNERDRAW", 0x000D },
    { "SS_BITMAP", 0x000E },
    { "SS_ETCHEDHORZ", 0x0010 },
    { "SS_ETCHEDVERT", 0x0011 },
    { "SS_ETCHEDFRAME", 0x0012 },
    { "SS_REALSIZECONTROL", 0x0040 },
    { "SS_NOPREFIX", 0x0080 },
    { "SS_NOTIFY", 0x0100 },
    { "SS_CENTERIMAGE", 0x0200 },
    { "SS_RIGHTJUST", 0x0400 },
    { "SS_REALSIZEIMAGE", 0x0800 },
    { "SS_SUNKEN", 0x1000 },
    { "SS_ENDELLIPSIS", 0x4000 },
    { "SS_PATHELLIPSIS", 0x8000 },
    { "SS_WORDELLIPSIS", 0xC000 },
    // List boxes
    { "LBS_NOTIFY", 0x0001 },
    { "LBS_SORT", 0x0002 },
    { "LBS_NOREDRAW", 0x0004 },
    { "LBS_MULTIPLESEL", 0x0008 },
    { "LBS_OWNERDRAWFIXED", 0x0010 },
    { "LBS_OWNERDRAWVARIABLE", 0x0020 },
    { "LBS_HASSTRINGS", 0x0040 },
    { "LBS_USETABSTOPS", 0x0080 },
    { "LBS_NOINTEGRALHEIGHT", 0x0100 },
    { "LBS_MULTICOLUMN", 0x0200 },
    { "LBS_WANTKEYBOARDINPUT", 0x0400 },
    { "LBS_EXTENDEDSEL", 0x0800 },
    { "LBS_DISABLENOSCROLL", 0x1000 },
    { "LBS_NOSEL", 0x4000 },
    { "LBS_STANDARD", 0x00A00003 },
    // Progress bars
    { "PBS_SMOOTH", 0x01 },
    { "PBS_VERTICAL", 0x04 },
    // Dialog box command ids
    { "IDOK", 1 },
    { "IDCANCEL", 2 },
    { "IDABORT", 3 },
    { "IDRETRY", 4 },
    { "IDIGNORE", 5 },
    { "IDYES", 6 },
    { "IDNO", 7 },
};

std::optional<std::uint32_t> win32Constant(std::string_view name)
{
    for (const Constant& constant : kWin32Constants) {
        if (constant.name == name)
            return constant.value;
    }
    return std::nullopt;
}

// The styles the resource compiler adds on its own.
constexpr std::uint32_t kWsPopup = 0x80000000;
constexpr std::uint32_t kWsChild = 0x40000000;
constexpr std::uint32_t kWsVisible = 0x10000000;
constexpr std::uint32_t kWsCaption = 0x00C00000;
constexpr std::uint32_t kWsBorder = 0x00800000;
constexpr std::uint32_t kWsSysMenu = 0x00080000;
constexpr std::uint32_t kDsSetFont = 0x0040;

// ---- Tokens ----

enum class TokenKind { Name, Number, String, Punct };

struct Token {
    TokenKind kind;
    std::string text; // a name, a punctuator, or a string's bytes with escapes resolved
    std::uint32_t value = 0;
    Location at;
};

bool isNameStart(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

bool isNameChar(char c)
{
    return isNameStart(c) || (c >= '0' && c <= '9');
}

// Replaces comments by spaces and keeps every line break, so that line numbers stay true. String
// literals are copied untouched: a "//" inside one is text.
std::string stripComments(const std::string& text, const std::string& file)
{
    std::string out;
    out.reserve(text.size());
    int line = 1;
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        const char next = i + 1 < text.size() ? text[i + 1] : '\0';
        if (c == '"') {
            out += text[i++];
            while (i < text.size() && text[i] != '\n') {
                const char d = text[i];
                const char after = i + 1 < text.size() ? text[i + 1] : '\0';
                if ((d == '\\' && after != '\n' && after != '\0') || (d == '"' && after == '"')) {
                    out += d;
                    out += after;
                    i += 2;
                    continue;
                }
                out += text[i++];
                if (d == '"')
                    break;
            }
            continue; // an unterminated literal is left for the lexer to report
        }
        if (c == '/' && next == '/') {
            while (i < text.size() && text[i] != '\n')
                ++i;
            continue;
        }
        if (c == '/' && next == '*') {
            const std::size_t end = text.find("*/", i + 2);
            if (end == std::string::npos)
                fail({ file, line }, "comment is not closed");
            for (std::size_t k = i; k < end; ++k) {
                if (text[k] == '\n') {
                    out += '\n';
                    ++line;
                }
            }
            out += ' ';
            i = end + 2;
            continue;
        }
        if (c == '\n')
            ++line;
        out += c;
        ++i;
    }
    return out;
}

// A string literal: "" stands for one quote; of the backslash escapes only those that windres and
// Microsoft's rc read alike are accepted.
std::string lexString(std::string_view line, std::size_t& i, const Location& at)
{
    std::string text;
    ++i; // opening quote
    while (true) {
        if (i >= line.size())
            fail(at, "string is not closed on its line");
        const char c = line[i++];
        if (c == '"') {
            if (i < line.size() && line[i] == '"') {
                text += '"';
                ++i;
                continue;
            }
            return text;
        }
        if (c != '\\') {
            text += c;
            continue;
        }
        if (i >= line.size())
            fail(at, "string is not closed on its line");
        const char escape = line[i++];
        switch (escape) {
        case 'n':
            text += '\n';
            break;
        case 't':
            text += '\t';
            break;
        case 'r':
            text += '\r';
            break;
        case '\\':
            text += '\\';
            break;
        case '"':
            text += '"';
            break;
        default:
            fail(at,
                std::string("escape '\\") + escape
                    + "' is not understood (use \\n, \\t, \\r, \\\\, \\\" or \"\")");
        }
    }
}

std::uint32_t lexNumber(std::string_view line, std::size_t& i, const Location& at)
{
    const std::size_t start = i;
    int base = 10;
    if (line[i] == '0' && i + 1 < line.size() && (line[i + 1] == 'x' || line[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    std::uint64_t value = 0;
    std::size_t digits = 0;
    for (; i < line.size(); ++i, ++digits) {
        const char c = line[i];
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            break;
        value = value * base + digit;
        if (value > 0xFFFFFFFFu)
            fail(at,
                "number '" + std::string(line.substr(start, i + 1 - start)) + "...' does not fit 32 bits");
    }
    while (i < line.size() && (line[i] == 'L' || line[i] == 'l' || line[i] == 'U' || line[i] == 'u'))
        ++i;
    const std::string_view spelled = line.substr(start, i - start);
    if (digits == 0 || (i < line.size() && isNameChar(line[i])))
        fail(at, "malformed number '" + std::string(spelled) + "'");
    if (base == 10 && digits > 1 && line[start] == '0')
        fail(at, "number '" + std::string(spelled) + "' has a leading zero; write it in decimal or 0x hex");
    return static_cast<std::uint32_t>(value);
}

std::vector<Token> lexLine(std::string_view line, const Location& at)
{
    std::vector<Token> tokens;
    std::size_t i = 0;
    while (i < line.size()) {
        const char c = line[i];
        if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
            ++i;
        } else if (isNameStart(c)) {
            const std::size_t start = i;
            while (i < line.size() && isNameChar(line[i]))
                ++i;
            tokens.push_back({ TokenKind::Name, std::string(line.substr(start, i - start)), 0, at });
        } else if (c >= '0' && c <= '9') {
            const std::uint32_t value = lexNumber(line, i, at);
            tokens.push_back({ TokenKind::Number, {}, value, at });
        } else if (c == '"') {
            tokens.push_back({ TokenKind::String, lexString(line, i, at), 0, at });
        } else if (std::string_view(",|(){}+-*&^~").find(c) != std::string_view::npos) {
            tokens.push_back({ TokenKind::Punct, std::string(1, c), 0, at });
            ++i;
        } else {
            fail(at, std::string("unexpected character '") + c + "'");
        }
    }
    return tokens;
}

// ---- Preprocessor: #include, #define, #ifdef and friends, #pragma once ----

class Preprocessor {
public:
    Preprocessor()
    {
        // The resource compiler defines RC_INVOKED, so headers can tell it from C++.
        macros_["RC_INVOKED"] = { Token { TokenKind::Number, {}, 1, {} } };
    }

    std::vector<Token> run(const fs::path& file)
    {
        include(file, std::nullopt);
        return std::move(tokens_);
    }

private:
    struct Branch {
        bool taking; // lines of this branch are read
        bool parentTaking; // the enclosing branch is read
        bool seenElse;
        Location at;
    };

    bool taking() const { return branches_.empty() || branches_.back().taking; }

    bool defined(const std::string& name) const
    {
        return macros_.count(name) != 0 || win32Constant(name).has_value();
    }

    void include(const fs::path& file, const std::optional<Location>& from)
    {
        std::error_code error;
        const fs::path canonical = fs::weakly_canonical(file, error);
        if (once_.count(canonical))
            return;
        if (++depth_ > 32)
            fail(*from, "#include nested too deeply");
        std::ifstream in(file, std::ios::binary);
        if (!in) {
            if (from)
                fail(*from, "cannot open '" + file.string() + "'");
            throw std::runtime_error("cannot open '" + file.string() + "'");
        }
        std::stringstream content;
        content << in.rdbuf();
        const std::size_t openBranches = branches_.size();
        const std::string name = file.string();
        const std::string text = stripComments(content.str(), name);

        std::size_t start = 0;
        for (int line = 1; start <= text.size(); ++line) {
            std::size_t end = text.find('\n', start);
            if (end == std::string::npos)
                end = text.size();
            const std::string_view row = std::string_view(text).substr(start, end - start);
            const Location at { name, line };
            const std::size_t first = row.find_first_not_of(" \t\r");
            if (first != std::string_view::npos && row[first] == '#')
                directive(row.substr(first + 1), at, file, canonical);
            else if (taking())
                for (const Token& token : lexLine(row, at))
                    emit(token, at);
            start = end + 1;
        }
        if (branches_.size() != openBranches)
            fail(branches_.back().at, "#ifdef or #ifndef has no #endif in this file");
        --depth_;
    }

    void directive(std::string_view rest, const Location& at, const fs::path& file, const fs::path& canonical)
    {
        std::size_t i = rest.find_first_not_of(" \t");
        std::size_t end = i;
        while (end < rest.size() && isNameChar(rest[end]))
            ++end;
        const std::string keyword(rest.substr(i == std::string_view::npos ? 0 : i, end - i));
        const std::string_view args = end < rest.size() ? rest.substr(end) : std::string_view {};

        if (keyword == "ifdef" || keyword == "ifndef") {
            const std::vector<Token> name = lexLine(args, at);
            if (taking() && (name.size() != 1 || name[0].kind != TokenKind::Name))
                fail(at, "#" + keyword + " takes one name");
            const bool isDefined = taking() && defined(name[0].text);
            const bool condition = keyword == "ifdef" ? isDefined : !isDefined;
            branches_.push_back({ taking() && condition, taking(), false, at });
        } else if (keyword == "else") {
            if (branches_.empty() || branches_.back().seenElse)
                fail(at, "#else without #ifdef");
            Branch& branch = branches_.back();
            branch.seenElse = true;
            branch.taking = branch.parentTaking && !branch.taking;
        } else if (keyword == "endif") {
            if (branches_.empty())
                fail(at, "#endif without #ifdef");
            branches_.pop_back();
        } else if (!taking()) {
            return; // whatever else sits in a branch not taken is not read
        } else if (keyword == "include") {
            const std::string_view target = trim(args);
            if (target.size() >= 2 && target.front() == '<' && target.back() == '>') {
                // The built-in table stands in for <windows.h>; nothing else is known.
                if (target != "<windows.h>")
                    fail(at, "only <windows.h> can be included with <>; its names are built in");
                return;
            }
            if (target.size() < 2 || target.front() != '"' || target.back() != '"')
                fail(at, "#include takes \"file\" or <windows.h>");
            include(file.parent_path() / target.substr(1, target.size() - 2), at);
        } else if (keyword == "define") {
            std::size_t n = args.find_first_not_of(" \t");
            std::size_t nameEnd = n;
            while (nameEnd < args.size() && isNameChar(args[nameEnd]))
                ++nameEnd;
            if (n == std::string_view::npos || nameEnd == n || !isNameStart(args[n]))
                fail(at, "#define needs a name");
            if (nameEnd < args.size() && args[nameEnd] == '(')
                fail(at, "macros with parameters are not understood");
            macros_[std::string(args.substr(n, nameEnd - n))] = lexLine(args.substr(nameEnd), at);
        } else if (keyword == "undef") {
            const std::vector<Token> name = lexLine(args, at);
            if (name.size() != 1 || name[0].kind != TokenKind::Name)
                fail(at, "#undef takes one name");
            macros_.erase(name[0].text);
        } else if (keyword == "pragma" && trim(args) == "once") {
            once_.insert(canonical);
        } else {
            fail(at, "directive '#" + keyword + "' is not understood");
        }
    }

    static std::string_view trim(std::string_view text)
    {
        const std::size_t first = text.find_first_not_of(" \t\r");
        if (first == std::string_view::npos)
            return {};
        return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
    }

    // Expands macros; every token of an expansion reports the line where the macro was used.
    void emit(const Token& token, const Location& at)
    {
        if (token.kind == TokenKind::Name) {
            const auto macro = macros_.find(token.text);
            if (macro != macros_.end()
                && std::find(expanding_.begin(), expanding_.end(), token.text) == expanding_.end()) {
                expanding_.push_back(token.text);
                for (const Token& part : macro->second)
                    emit(part, at);
                expanding_.pop_back();
                return;
            }
        }
        Token out = token;
        out.at = at;
        tokens_.push_back(std::move(out));
    }

    std::map<std::string, std::vector<Token>> macros_;
    std::vector<Branch> branches_;
    std::set<fs::path> once_;
    std::vector<std::string> expanding_;
    std::vector<Token> tokens_;
    int depth_ = 0;
};

// ---- The resources ----

struct Control {
    int id = 0;
    std::string className;
    std::string text;
    int imageId = 0; // the ordinal of an image, when the text names one
    std::uint32_t style = 0;
    std::uint32_t exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
};

struct Dialog {
    int id = 0;
    bool extended = false;
    std::string caption;
    std::uint32_t style = 0;
    std::uint32_t exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    std::string fontName; // empty and size 0 without DS_SETFONT
    int fontSize = 0;
    std::vector<Control> controls;
};

struct Resources {
    std::map<int, Dialog> dialogs;
    std::map<int, std::string> strings;
};

// The predefined classes are matched without regard to case, as Windows matches class names, and
// kept in one spelling; any other class is kept as written.
std::string canonicalClass(const std::string& name)
{
    std::string upper = name;
    std::transform(upper.begin(), upper.end(), upper.begin(),
        [](unsigned char c) { return static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c); });
    for (std::string_view known : { "BUTTON", "EDIT", "STATIC", "LISTBOX", "SCROLLBAR", "COMBOBOX" }) {
        if (upper == known)
            return upper;
    }
    return name;
}

class Parser {
public:
    Parser(std::vector<Token> tokens, std::string file)
        : tokens_(std::move(tokens))
        , file_(std::move(file))
    { }

    Resources parse()
    {
        while (pos_ < tokens_.size()) {
            if (isName("STRINGTABLE")) {
                stringTable();
                continue;
            }
            for (std::string_view unsupported : { "LANGUAGE", "VERSION", "CHARACTERISTICS" }) {
                if (isName(unsupported))
                    fail(peek().at, "'" + std::string(unsupported) + "' is not supported");
            }
            const Location at = peek().at;
            const int id = ordinal(1, "resource id");
            const Token type = take();
            if (type.kind != TokenKind::Name)
                fail(type.at, "expected a resource type after the resource id");
            if (type.text == "DIALOG" || type.text == "DIALOGEX") {
                dialog(id, type.text == "DIALOGEX", at);
            } else if (type.text == "ICON" || type.text == "BITMAP" || type.text == "RT_MANIFEST") {
                // Images and the manifest live only in the Windows build; the tables refer to
                // images by number.
                skipMemoryFlags();
                string("a file name");
            } else {
                fail(type.at, "resource type '" + type.text + "' is not understood");
            }
        }
        return std::move(out_);
    }

private:
    const Token& peek() const
    {
        if (pos_ >= tokens_.size())
            fail(endLocation(), "unexpected end of file");
        return tokens_[pos_];
    }

    Location endLocation() const { return tokens_.empty() ? Location { file_, 1 } : tokens_.back().at; }

    Token take()
    {
        const Token& token = peek();
        ++pos_;
        return token;
    }

    bool isName(std::string_view name) const
    {
        return pos_ < tokens_.size() && tokens_[pos_].kind == TokenKind::Name && tokens_[pos_].text == name;
    }

    bool isPunct(char c) const
    {
        return pos_ < tokens_.size() && tokens_[pos_].kind == TokenKind::Punct && tokens_[pos_].text[0] == c;
    }

    bool acceptPunct(char c)
    {
        if (!isPunct(c))
            return false;
        ++pos_;
        return true;
    }

    void expectComma(std::string_view before)
    {
        if (!acceptPunct(','))
            fail(peek().at, "expected ',' before " + std::string(before));
    }

    bool isBlockStart() const { return isName("BEGIN") || isPunct('{'); }
    bool isBlockEnd() const { return isName("END") || isPunct('}'); }

    void expectBlockStart()
    {
        if (!isBlockStart())
            fail(peek().at, "expected BEGIN or '{'");
        ++pos_;
    }

    std::string string(std::string_view what)
    {
        if (peek().kind != TokenKind::String)
            fail(peek().at, "expected " + std::string(what) + " in quotes");
        return take().text;
    }

    // Numeric expressions, with C's operators and precedence as the resource compiler reads them.
    std::uint32_t expression() { return binary(1); }

    static int precedence(const Token& token)
    {
        if (token.kind != TokenKind::Punct)
            return 0;
        switch (token.text[0]) {
        case '|':
            return 1;
        case '^':
            return 2;
        case '&':
            return 3;
        case '+':
        case '-':
            return 4;
        case '*':
            return 5;
        default:
            return 0;
        }
    }

    std::uint32_t binary(int minimum)
    {
        std::uint32_t left = unary();
        while (pos_ < tokens_.size() && precedence(tokens_[pos_]) >= minimum) {
            const char op = take().text[0];
            const std::uint32_t right = binary(precedence(tokens_[pos_ - 1]) + 1);
            switch (op) {
            case '|':
                left |= right;
                break;
            case '^':
                left ^= right;
                break;
            case '&':
                left &= right;
                break;
            case '+':
                left += right;
                break;
            case '-':
                left -= right;
                break;
            default:
                left *= right;
                break;
            }
        }
        return left;
    }

    std::uint32_t unary()
    {
        if (acceptPunct('-'))
            return 0u - unary();
        if (acceptPunct('~'))
            return ~unary();
        return primary();
    }

    std::uint32_t primary()
    {
        const Token token = take();
        if (token.kind == TokenKind::Number)
            return token.value;
        if (token.kind == TokenKind::Punct && token.text[0] == '(') {
            const std::uint32_t value = expression();
            if (!acceptPunct(')'))
                fail(peek().at, "expected ')'");
            return value;
        }
        if (token.kind == TokenKind::Name) {
            if (token.text == "NOT")
                fail(token.at, "NOT can only start a term of a style");
            if (const auto value = win32Constant(token.text))
                return *value;
            fail(token.at, "unknown name '" + token.text + "'");
        }
        if (token.kind == TokenKind::String)
            fail(token.at, "expected a number, found a string");
        fail(token.at, "expected a number, found '" + token.text + "'");
    }

    // A style: terms joined by '|', each optionally preceded by NOT, applied from left to right to
    // the styles the statement starts from. A term is a name, a number or a parenthesised expression.
    std::uint32_t style(std::uint32_t start)
    {
        std::uint32_t value = start;
        do {
            const bool remove = isName("NOT");
            if (remove)
                ++pos_;
            if (isPunct('-') || isPunct('~'))
                fail(peek().at, "a term of a style is a name, a number or a parenthesised expression");
            const std::uint32_t term = primary();
            value = remove ? value & ~term : value | term;
        } while (acceptPunct('|'));
        return value;
    }

    static std::int32_t asSigned(std::uint32_t value) { return static_cast<std::int32_t>(value); }

    int ordinal(int minimum, std::string_view what)
    {
        const Location at = peek().at;
        const std::int32_t value = asSigned(expression());
        if (value < minimum || value > 0xFFFF)
            fail(at,
                std::string(what) + " " + std::to_string(value) + " is not between " + std::to_string(minimum)
                    + " and 65535");
        return value;
    }

    short coordinate()
    {
        const Location at = peek().at;
        const std::int32_t value = asSigned(expression());
        if (value < -32768 || value > 32767)
            fail(at, "coordinate " + std::to_string(value) + " does not fit 16 bits");
        return static_cast<short>(value);
    }

    void skipMemoryFlags()
    {
        static constexpr std::string_view kFlags[]
            = { "PRELOAD", "LOADONCALL", "FIXED", "MOVEABLE", "DISCARDABLE", "PURE", "IMPURE" };
        while (pos_ < tokens_.size()
            && std::any_of(
                std::begin(kFlags), std::end(kFlags), [this](std::string_view f) { return isName(f); }))
            ++pos_;
    }

    void stringTable()
    {
        ++pos_; // STRINGTABLE
        skipMemoryFlags();
        expectBlockStart();
        while (!isBlockEnd()) {
            const Location at = peek().at;
            const int id = ordinal(0, "string id");
            acceptPunct(',');
            std::string text = string("the string");
            if (!out_.strings.emplace(id, std::move(text)).second)
                fail(at, "string " + std::to_string(id) + " is defined twice");
        }
        ++pos_;
    }

    // Mirrors how the resource compiler builds a dialog's style: WS_POPUP | WS_BORDER | WS_SYSMENU
    // until a STYLE statement replaces it; a STYLE starts from the bits that CAPTION (WS_CAPTION)
    // and FONT (DS_SETFONT) have added so far, and those statements add their bit again when they
    // follow it. So "CAPTION ... STYLE NOT WS_CAPTION" removes it, as windres does.
    void dialog(int id, bool extended, const Location& at)
    {
        skipMemoryFlags();
        Dialog dialog;
        dialog.id = id;
        dialog.extended = extended;
        dialog.x = coordinate();
        expectComma("y");
        dialog.y = coordinate();
        expectComma("the width");
        dialog.cx = coordinate();
        expectComma("the height");
        dialog.cy = coordinate();
        if (isPunct(','))
            fail(peek().at, "a dialog help id is not supported: the tables have no place for it");

        dialog.style = kWsPopup | kWsBorder | kWsSysMenu;
        std::uint32_t stated = 0;
        int fontSize = 0;
        std::string fontName;
        while (!isBlockStart()) {
            const Token statement = take();
            const std::string& name = statement.text;
            if (statement.kind != TokenKind::Name)
                fail(statement.at, "expected STYLE, EXSTYLE, CAPTION, FONT or BEGIN");
            if (name == "STYLE") {
                stated = style(stated);
                dialog.style = stated;
            } else if (name == "EXSTYLE") {
                dialog.exStyle = expression();
            } else if (name == "CAPTION") {
                dialog.caption = string("the caption");
                dialog.style |= kWsCaption;
                stated |= kWsCaption;
            } else if (name == "FONT") {
                fontSize = ordinal(0, "font size");
                expectComma("the font name");
                fontName = string("the font name");
                if (isPunct(','))
                    fail(peek().at, "font weight, italic and character set are not supported");
                dialog.style |= kDsSetFont;
                stated |= kDsSetFont;
            } else if (name == "MENU" || name == "CLASS" || name == "LANGUAGE" || name == "CHARACTERISTICS"
                || name == "VERSION") {
                fail(statement.at, "'" + name + "' is not supported: the tables have no place for it");
            } else {
                fail(statement.at, "expected STYLE, EXSTYLE, CAPTION, FONT or BEGIN, found '" + name + "'");
            }
        }
        ++pos_;
        while (!isBlockEnd()) {
            if (!isName("CONTROL"))
                fail(peek().at,
                    "only generic CONTROL statements are understood in a dialog: "
                    "CONTROL text, id, class, style, x, y, cx, cy [, exstyle]");
            dialog.controls.push_back(control(extended));
        }
        ++pos_;
        // The template carries a font exactly when its style has DS_SETFONT.
        if (dialog.style & kDsSetFont) {
            dialog.fontName = fontName;
            dialog.fontSize = fontSize;
        }
        if (!out_.dialogs.emplace(id, std::move(dialog)).second)
            fail(at, "dialog " + std::to_string(id) + " is defined twice");
    }

    Control control(bool extended)
    {
        ++pos_; // CONTROL
        Control control;
        if (peek().kind == TokenKind::String)
            control.text = take().text;
        else
            control.imageId = ordinal(0, "image id");
        expectComma("the control id");
        const Location idAt = peek().at;
        const std::uint32_t id = expression();
        if (extended) {
            control.id = asSigned(id);
        } else {
            // A DIALOG template holds a 16-bit id; reading it back signed keeps IDC_STATIC at -1.
            if (asSigned(id) < -32768 || asSigned(id) > 0xFFFF)
                fail(idAt,
                    "control id " + std::to_string(asSigned(id)) + " does not fit the 16 bits of a DIALOG");
            control.id = static_cast<std::int16_t>(id & 0xFFFF);
        }
        expectComma("the class");
        const Location classAt = peek().at;
        control.className = canonicalClass(string("the class name"));
        if (control.className.empty())
            fail(classAt, "the class name is empty");
        expectComma("the style");
        control.style = style(kWsChild | kWsVisible);
        expectComma("x");
        control.x = coordinate();
        expectComma("y");
        control.y = coordinate();
        expectComma("the width");
        control.cx = coordinate();
        expectComma("the height");
        control.cy = coordinate();
        if (acceptPunct(',')) {
            control.exStyle = expression();
            if (isPunct(','))
                fail(peek().at, "a control help id is not supported: the tables have no place for it");
        }
        return control;
    }

    std::vector<Token> tokens_;
    std::string file_;
    std::size_t pos_ = 0;
    Resources out_;
};

// ---- Output ----

std::string hex(std::uint32_t value)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%08X", static_cast<unsigned>(value));
    return buffer;
}

// The bytes in double quotes, \" and \\ escaped, and escapeFormat (one byte's escape) for
// everything not plainly printable.
std::string quoted(std::string_view bytes, const char* escapeFormat)
{
    std::string out = "\"";
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == '"' || byte == '\\') {
            out += '\\';
            out += c;
        } else if (byte >= 0x20 && byte < 0x7F) {
            out += c;
        } else {
            char escape[8];
            std::snprintf(escape, sizeof escape, escapeFormat, byte);
            out += escape;
        }
    }
    return out + "\"";
}

// A C++ literal of the bytes: octal escapes, which no following digit can extend.
std::string cppLiteral(std::string_view bytes)
{
    return quoted(bytes, "\\%03o");
}

void writeTables(const Resources& resources, std::ostream& out, const std::string& source)
{
    out << "// Generated by rcgen from " << source << ". Edit the .rc, not this file.\n"
        << "#include \"platform/DialogTemplate.h\"\n\nnamespace {\n\n";
    for (const auto& [id, dialog] : resources.dialogs) {
        if (dialog.controls.empty())
            continue;
        out << "constexpr ControlTemplate kDialog" << id << "Controls[] = {\n";
        for (const Control& c : dialog.controls) {
            out << "    { " << c.id << ", " << cppLiteral(c.className) << ", " << cppLiteral(c.text) << ", "
                << c.imageId << ", " << hex(c.style) << ", " << hex(c.exStyle) << ", " << c.x << ", " << c.y
                << ", " << c.cx << ", " << c.cy << " },\n";
        }
        out << "};\n\n";
    }
    if (!resources.dialogs.empty()) {
        out << "constexpr DialogTemplate kDialogs[] = {\n";
        for (const auto& [id, d] : resources.dialogs) {
            out << "    { " << id << ", " << (d.extended ? "true" : "false") << ", " << cppLiteral(d.caption)
                << ", " << hex(d.style) << ", " << hex(d.exStyle) << ", " << d.x << ", " << d.y << ", "
                << d.cx << ", " << d.cy << ", " << cppLiteral(d.fontName) << ", " << d.fontSize << ", ";
            if (d.controls.empty())
                out << "nullptr, 0 },\n";
            else
                out << "kDialog" << id << "Controls, " << d.controls.size() << " },\n";
        }
        out << "};\n\n";
    }
    if (!resources.strings.empty()) {
        out << "constexpr StringTemplate kStrings[] = {\n";
        for (const auto& [id, text] : resources.strings)
            out << "    { " << id << ", " << cppLiteral(text) << " },\n";
        out << "};\n\n";
    }
    out << "} // namespace\n\nconst DialogTemplate* FindDialogTemplate(int id)\n{\n";
    if (resources.dialogs.empty())
        out << "    (void)id;\n";
    else
        out << "    for (const DialogTemplate& dialog : kDialogs) {\n"
            << "        if (dialog.id == id)\n            return &dialog;\n    }\n";
    out << "    return nullptr;\n}\n\nstd::string_view FindStringResource(int id)\n{\n";
    if (resources.strings.empty())
        out << "    (void)id;\n";
    else
        out << "    for (const StringTemplate& string : kStrings) {\n"
            << "        if (string.id == id)\n            return string.text;\n    }\n";
    out << "    return {};\n}\n";
}

// The dump format shared with decode_res.py and the tests' table dumper: one line a dialog, one
// a control, one a string; texts quoted with \" \\ and \xHH for bytes outside printable ASCII.
std::string dumpText(std::string_view bytes)
{
    return quoted(bytes, "\\x%02X");
}

std::string upper(std::string text)
{
    for (char& c : text) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

void writeDump(const Resources& resources, std::ostream& out)
{
    for (const auto& [id, d] : resources.dialogs) {
        out << (d.extended ? "DIALOGEX " : "DIALOG ") << id << " style=" << hex(d.style)
            << " exstyle=" << hex(d.exStyle) << " rect=" << d.x << ',' << d.y << ',' << d.cx << ',' << d.cy;
        if (d.style & kDsSetFont)
            out << " font=" << d.fontSize << ',' << dumpText(d.fontName);
        else
            out << " font=none";
        out << " caption=" << dumpText(d.caption) << '\n';
        for (const Control& c : d.controls) {
            // Class names compare without regard to case; windres stores them in capitals.
            out << "  CONTROL id=" << c.id << " class=" << upper(c.className) << " text=";
            if (c.text.empty() && c.imageId != 0)
                out << '#' << c.imageId;
            else
                out << dumpText(c.text);
            out << " style=" << hex(c.style) << " exstyle=" << hex(c.exStyle) << " rect=" << c.x << ',' << c.y
                << ',' << c.cx << ',' << c.cy << '\n';
        }
    }
    for (const auto& [id, text] : resources.strings) {
        if (!text.empty()) // an empty string is no string: the compiled table cannot tell them apart
            out << "STRING " << id << ' ' << dumpText(text) << '\n';
    }
}

Resources readScript(const fs::path& file)
{
    Preprocessor preprocessor;
    return Parser(preprocessor.run(file), file.string()).parse();
}

// Writes beside the target and renames, so that a failed run never leaves half a file behind.
void writeFile(const fs::path& target, const std::string& content)
{
    const fs::path temporary = target.string() + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << content;
        if (!out.flush())
            throw std::runtime_error("cannot write '" + temporary.string() + "'");
    }
    fs::rename(temporary, target);
}

int usage()
{
    std::cerr << "usage: rcgen <file.rc> -o <tables.cpp>\n"
                 "       rcgen <file.rc> --dump\n"
                 "       rcgen --constants\n";
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    try {
        if (args.size() == 1 && args[0] == "--constants") {
            for (const Constant& constant : kWin32Constants)
                std::cout << constant.name << '\n';
            return 0;
        }
        if (args.size() == 2 && args[1] == "--dump") {
            writeDump(readScript(args[0]), std::cout);
            return 0;
        }
        if (args.size() == 3 && args[1] == "-o") {
            const Resources resources = readScript(args[0]);
            std::ostringstream tables;
            writeTables(resources, tables, fs::path(args[0]).filename().string());
            writeFile(args[2], tables.str());
            return 0;
        }
        return usage();
    } catch (const std::exception& error) {
        std::cerr << (dynamic_cast<const ScriptError*>(&error) ? "" : "rcgen: ") << error.what() << '\n';
        return 1;
    }
}
