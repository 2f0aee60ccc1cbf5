// Prints the dialog and string tables that the POSIX build links, in rcgen's dump format, so that
// check_against_windres.sh compares what the program really uses with what windres compiles from
// the same tarnwick.rc. Every id is looked up, so a lookup that answers for the wrong id shows too.
#include "platform/DialogTemplate.h"

#include <cstdio>
#include <string>
#include <string_view>

namespace {

constexpr DWORD kSetFont = 0x40; // DS_SETFONT: the template carries a font

std::string quoted(std::string_view bytes)
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
            std::snprintf(escape, sizeof escape, "\\x%02X", byte);
            out += escape;
        }
    }
    return out + "\"";
}

std::string upper(std::string_view text)
{
    std::string out(text);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return out;
}

void printDialog(const DialogTemplate& d)
{
    std::printf(
        "%s %d style=0x%08X exstyle=0x%08X rect=%d,%d,%d,%d font=", d.extended ? "DIALOGEX" : "DIALOG", d.id,
        static_cast<unsigned>(d.style), static_cast<unsigned>(d.exStyle), d.x, d.y, d.cx, d.cy);
    if (d.style & kSetFont)
        std::printf("%d,%s", d.fontSize, quoted(d.fontName).c_str());
    else
        std::printf("none");
    std::printf(" caption=%s\n", quoted(d.caption).c_str());
    for (int i = 0; i < d.controlCount; ++i) {
        const ControlTemplate& c = d.controls[i];
        const std::string text
            = c.text.empty() && c.imageId != 0 ? "#" + std::to_string(c.imageId) : quoted(c.text);
        std::printf("  CONTROL id=%d class=%s text=%s style=0x%08X exstyle=0x%08X rect=%d,%d,%d,%d\n", c.id,
            upper(c.className).c_str(), text.c_str(), static_cast<unsigned>(c.style),
            static_cast<unsigned>(c.exStyle), c.x, c.y, c.cx, c.cy);
    }
}

} // namespace

int main()
{
    for (int id = 0; id <= 0xFFFF; ++id) {
        if (const DialogTemplate* dialog = FindDialogTemplate(id))
            printDialog(*dialog);
    }
    for (int id = 0; id <= 0xFFFF; ++id) {
        const std::string_view text = FindStringResource(id);
        if (!text.empty())
            std::printf("STRING %d %s\n", id, quoted(text).c_str());
    }
    return 0;
}
