// Every line of an install's or an undo's log carries a code only this machine's tarnwick-cli can
// make: the HMAC-SHA-256, under the machine's secret key, of the code of the line before it (32 zero
// bytes for the first line) followed by the line itself. The code is the line's last field,
// "mac", so the log stays JSON lines that any JSON tool reads. A line edited, inserted, removed or
// moved breaks the chain at that line; a log of another machine breaks it at its first line. A log
// cut short (an install killed) still holds a whole chain up to its last whole line.
#pragma once

#include "cli/log/Hmac.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

// What a code adds to a line before its closing brace: ,"mac":"<64 hex digits>".
constexpr std::size_t kSealSuffixSize = 8 + 64 + 1;

class LineSealer {
public:
    explicit LineSealer(std::string_view key);

    // line is one JSON object, "{...}", without its line end; its code is added as its last field.
    void Seal(std::string& line);
    // The code's field for body, a line without its closing brace, chained after the line sealed
    // before; the text is the sealer's own and holds until the next call. A writer puts it between
    // the body and the brace without copying the line.
    [[nodiscard]] std::string_view Suffix(std::string_view body);

private:
    Hmac m_hmac;
    Sha256Digest m_previous {};
    std::array<char, kSealSuffixSize> m_suffix {};
};

// The outcome of checking a log's codes.
struct SealCheck {
    bool intact = true;
    std::size_t lines = 0; // whole lines checked (all of them when intact)
    std::size_t badLine = 0; // the first line that does not verify, counted from 1
    std::string reason;
};

// text without the UTF-8 byte order mark an editor or PowerShell may put before its first line.
// The mark is no part of that line, which was sealed without it; anywhere else it is the line's.
std::string_view WithoutByteOrderMark(std::string_view text);

// Checks every whole line of text (a last line without its line end is left out, as a cut log
// ends, and a byte order mark at the very start is no part of the first); stops at the first
// that does not verify.
SealCheck CheckSeals(std::string_view text, std::string_view key);

// The line without its code, as it was before it was sealed; the line itself when it has none.
std::string_view Unsealed(std::string_view line);
