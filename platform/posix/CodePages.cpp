// Text conversion between the system code page and Unicode. The system code page here is always
// Windows-1252, the one an English or Western European Windows has. Both directions exist between
// 1252 or UTF-8 and UTF-16, with Win32's buffer rules; the only flags are the strict ones
// (MB_ERR_INVALID_CHARS from UTF-8, WC_NO_BEST_FIT_CHARS to 1252), which read back a log.
#include "platform/win32.h"

#include <cstddef>
#include <cstring>

namespace {

constexpr UINT codePage1252 = 1252;

// Windows-1252's 0x80-0x9F. The five bytes the code page leaves undefined map to the C1 control of
// the same value, as Windows converts them.
constexpr WCHAR windows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 0x80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, // 0x88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 0x90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, // 0x98
};

WCHAR FromWindows1252(unsigned char byte)
{
    if (byte >= 0x80 && byte < 0xA0)
        return windows1252High[byte - 0x80];
    return byte;
}

int Fail(DWORD error)
{
    SetLastError(error);
    return 0;
}

bool IsHighSurrogate(WCHAR unit)
{
    return unit >= 0xD800 && unit < 0xDC00;
}

bool IsLowSurrogate(WCHAR unit)
{
    return unit >= 0xDC00 && unit < 0xE000;
}

// Encodes one code point; returns the number of bytes written to out (at most 4).
int EncodeUtf8(char32_t codePoint, unsigned char* out)
{
    if (codePoint < 0x80) {
        out[0] = static_cast<unsigned char>(codePoint);
        return 1;
    }
    if (codePoint < 0x800) {
        out[0] = static_cast<unsigned char>(0xC0 | (codePoint >> 6));
        out[1] = static_cast<unsigned char>(0x80 | (codePoint & 0x3F));
        return 2;
    }
    if (codePoint < 0x10000) {
        out[0] = static_cast<unsigned char>(0xE0 | (codePoint >> 12));
        out[1] = static_cast<unsigned char>(0x80 | ((codePoint >> 6) & 0x3F));
        out[2] = static_cast<unsigned char>(0x80 | (codePoint & 0x3F));
        return 3;
    }
    out[0] = static_cast<unsigned char>(0xF0 | (codePoint >> 18));
    out[1] = static_cast<unsigned char>(0x80 | ((codePoint >> 12) & 0x3F));
    out[2] = static_cast<unsigned char>(0x80 | ((codePoint >> 6) & 0x3F));
    out[3] = static_cast<unsigned char>(0x80 | (codePoint & 0x3F));
    return 4;
}

// UTF-8 to UTF-16. Ill-formed sequences (overlong, surrogates, beyond U+10FFFF, cut short) fail
// when strict, and otherwise become U+FFFD.
int Utf8ToWide(const unsigned char* text, std::size_t length, LPWSTR wide, std::size_t room, bool strict)
{
    std::size_t written = 0;
    const auto put = [&](WCHAR unit) {
        if (room != 0 && written >= room)
            return false;
        if (room != 0)
            wide[written] = unit;
        ++written;
        return true;
    };
    for (std::size_t i = 0; i < length;) {
        const unsigned char lead = text[i];
        std::size_t count = lead < 0x80   ? 1
            : lead >= 0xC2 && lead < 0xE0 ? 2
            : lead >= 0xE0 && lead < 0xF0 ? 3
            : lead >= 0xF0 && lead < 0xF5 ? 4
                                          : 0;
        char32_t codePoint = count == 1 ? lead
            : count == 2                ? lead & 0x1F
            : count == 3                ? lead & 0x0F
                                        : lead & 0x07;
        bool good = count != 0 && i + count <= length;
        for (std::size_t k = 1; good && k < count; ++k) {
            if ((text[i + k] & 0xC0) != 0x80)
                good = false;
            else
                codePoint = (codePoint << 6) | (text[i + k] & 0x3F);
        }
        if (good)
            good = !(count == 3 && (codePoint < 0x800 || (codePoint >= 0xD800 && codePoint < 0xE000)))
                && !(count == 4 && (codePoint < 0x10000 || codePoint > 0x10FFFF));
        if (!good) {
            if (strict)
                return Fail(ERROR_NO_UNICODE_TRANSLATION);
            codePoint = 0xFFFD;
            count = 1;
        }
        i += count;
        const bool fits = codePoint < 0x10000
            ? put(static_cast<WCHAR>(codePoint))
            : put(static_cast<WCHAR>(0xD800 + ((codePoint - 0x10000) >> 10)))
                && put(static_cast<WCHAR>(0xDC00 + ((codePoint - 0x10000) & 0x3FF)));
        if (!fits)
            return Fail(ERROR_INSUFFICIENT_BUFFER);
    }
    return static_cast<int>(written);
}

// UTF-16 to 1252: what the code page lacks becomes the default character ('?' unless given), and
// usedDefaultChar says so. No best-fit mapping is made, as with WC_NO_BEST_FIT_CHARS.
int WideTo1252(
    LPCWCH wide, std::size_t length, LPSTR out, std::size_t room, LPCCH defaultChar, LPBOOL usedDefaultChar)
{
    if (usedDefaultChar)
        *usedDefaultChar = FALSE;
    std::size_t written = 0;
    for (std::size_t i = 0; i < length; ++i) {
        int byte = -1;
        if (wide[i] < 0x80 || (wide[i] >= 0xA0 && wide[i] < 0x100)) {
            byte = wide[i];
        } else {
            for (int k = 0; k < 32; ++k)
                if (windows1252High[k] == wide[i])
                    byte = 0x80 + k;
        }
        if (byte < 0) {
            if (usedDefaultChar)
                *usedDefaultChar = TRUE;
            byte = static_cast<unsigned char>(defaultChar ? *defaultChar : '?');
            if (IsHighSurrogate(wide[i]) && i + 1 < length && IsLowSurrogate(wide[i + 1]))
                ++i; // one character, one default
        }
        if (room != 0) {
            if (written >= room)
                return Fail(ERROR_INSUFFICIENT_BUFFER);
            out[written] = static_cast<char>(byte);
        }
        ++written;
    }
    return static_cast<int>(written);
}

} // namespace

UINT WINAPI GetACP()
{
    return codePage1252;
}

int WINAPI MultiByteToWideChar(
    UINT codePage, DWORD flags, LPCCH multiByte, int multiByteCount, LPWSTR wide, int wideCount)
{
    if (multiByte == nullptr || multiByteCount == 0 || multiByteCount < -1 || wideCount < 0
        || (wide == nullptr && wideCount > 0)
        || static_cast<const void*>(multiByte) == static_cast<const void*>(wide))
        return Fail(ERROR_INVALID_PARAMETER);
    // -1: the text ends at its zero byte, which is converted too.
    const std::size_t length
        = multiByteCount == -1 ? std::strlen(multiByte) + 1 : static_cast<std::size_t>(multiByteCount);
    if (codePage == CP_UTF8) {
        if (flags != 0 && flags != MB_ERR_INVALID_CHARS)
            return Fail(ERROR_INVALID_FLAGS);
        return Utf8ToWide(reinterpret_cast<const unsigned char*>(multiByte), length, wide,
            static_cast<std::size_t>(wideCount), flags == MB_ERR_INVALID_CHARS);
    }
    if (codePage != CP_ACP && codePage != codePage1252)
        return Fail(ERROR_INVALID_PARAMETER);
    if (flags != 0)
        return Fail(ERROR_INVALID_FLAGS);
    if (wideCount == 0)
        return static_cast<int>(length);
    const std::size_t room = static_cast<std::size_t>(wideCount);
    const std::size_t fits = length < room ? length : room;
    for (std::size_t i = 0; i < fits; ++i)
        wide[i] = FromWindows1252(static_cast<unsigned char>(multiByte[i]));
    if (fits < length)
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    return static_cast<int>(length);
}

int WINAPI WideCharToMultiByte(UINT codePage, DWORD flags, LPCWCH wide, int wideCount, LPSTR multiByte,
    int multiByteCount, LPCCH defaultChar, LPBOOL usedDefaultChar)
{
    if (wide == nullptr || wideCount == 0 || wideCount < -1 || multiByteCount < 0
        || (multiByte == nullptr && multiByteCount > 0)
        || static_cast<const void*>(multiByte) == static_cast<const void*>(wide))
        return Fail(ERROR_INVALID_PARAMETER);
    std::size_t length = 0;
    if (wideCount == -1) {
        while (wide[length] != 0)
            ++length;
        ++length;
    } else {
        length = static_cast<std::size_t>(wideCount);
    }
    if (codePage == CP_ACP || codePage == codePage1252) {
        if (flags != 0 && flags != WC_NO_BEST_FIT_CHARS)
            return Fail(ERROR_INVALID_FLAGS);
        return WideTo1252(
            wide, length, multiByte, static_cast<std::size_t>(multiByteCount), defaultChar, usedDefaultChar);
    }
    // UTF-8 has no default character: every code point can be written.
    if (codePage != CP_UTF8 || defaultChar != nullptr || usedDefaultChar != nullptr)
        return Fail(ERROR_INVALID_PARAMETER);
    if (flags != 0)
        return Fail(ERROR_INVALID_FLAGS);

    std::size_t written = 0;
    for (std::size_t i = 0; i < length; ++i) {
        char32_t codePoint = wide[i];
        if (IsHighSurrogate(wide[i]) && i + 1 < length && IsLowSurrogate(wide[i + 1])) {
            codePoint = 0x10000 + ((static_cast<char32_t>(wide[i]) - 0xD800) << 10) + (wide[i + 1] - 0xDC00);
            ++i;
        } else if (IsHighSurrogate(wide[i]) || IsLowSurrogate(wide[i])) {
            codePoint = 0xFFFD; // a surrogate without its partner
        }
        unsigned char bytes[4];
        const int count = EncodeUtf8(codePoint, bytes);
        if (multiByteCount != 0) {
            // Only whole characters go into the buffer.
            if (written + count > static_cast<std::size_t>(multiByteCount))
                return Fail(ERROR_INSUFFICIENT_BUFFER);
            std::memcpy(multiByte + written, bytes, count);
        }
        written += count;
    }
    return static_cast<int>(written);
}
