// How the answers file's texts are told apart and shown: UTF-8 from the system code page, and a
// value as a message may quote it.
#pragma once

#include <string>
#include <string_view>

// A value as messages show it, in single quotes: bytes that are not text escaped as \xNN, so a
// message cannot carry control characters to the console, and a long value cut short.
[[nodiscard]] std::string QuotedAnswer(std::string_view value);

// Well-formed UTF-8: no stray continuation bytes, no overlong forms, no surrogates, nothing past
// U+10FFFF.
[[nodiscard]] bool IsUtf8(std::string_view text);

[[nodiscard]] bool HasNonAscii(std::string_view text);
