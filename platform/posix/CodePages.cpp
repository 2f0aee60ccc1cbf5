// Text conversion between the system code page and Unicode. The system code page here is always
// Windows-1252, the one an English or Western European Windows has. Only the directions the product
// needs exist: 1252 to UTF-16 and UTF-16 to UTF-8, with flags 0 and Win32's buffer rules.
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

} // namespace

int WINAPI MultiByteToWideChar(
    UINT codePage, DWORD flags, LPCCH multiByte, int multiByteCount, LPWSTR wide, int wideCount)
{
    if (multiByte == nullptr || multiByteCount == 0 || multiByteCount < -1 || wideCount < 0
        || (wide == nullptr && wideCount > 0)
        || static_cast<const void*>(multiByte) == static_cast<const void*>(wide))
        return Fail(ERROR_INVALID_PARAMETER);
    if (codePage != CP_ACP && codePage != codePage1252)
        return Fail(ERROR_INVALID_PARAMETER);
    if (flags != 0)
        return Fail(ERROR_INVALID_FLAGS);

    // -1: the text ends at its zero byte, which is converted too.
    const std::size_t length
        = multiByteCount == -1 ? std::strlen(multiByte) + 1 : static_cast<std::size_t>(multiByteCount);
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
    // UTF-8 has no default character: every code point can be written.
    if (codePage != CP_UTF8 || defaultChar != nullptr || usedDefaultChar != nullptr)
        return Fail(ERROR_INVALID_PARAMETER);
    if (flags != 0)
        return Fail(ERROR_INVALID_FLAGS);

    std::size_t length = 0;
    if (wideCount == -1) {
        while (wide[length] != 0)
            ++length;
        ++length;
    } else {
        length = static_cast<std::size_t>(wideCount);
    }

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
