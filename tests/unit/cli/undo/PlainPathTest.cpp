#include "cli/undo/PlainPath.h"

#include <gtest/gtest.h>

namespace {

TEST(PlainPath, FullPathsAnInstallWritesAreUsed)
{
    for (const char* path : { "C:\\CFusion\\CustomTags\\cfx_sample.cfm", "c:\\Tags\\", "Z:\\a b\\c.d.e",
             "\\\\server\\share\\CustomTags\\x.cfm", "C:\\Donn\xE9" "es\\x", "C:\\CFusion/CustomTags" })
        EXPECT_EQ("", WhyNotPlainPath(path)) << path;
}

TEST(PlainPath, AnythingElseIsRefusedWithItsReason)
{
    const struct {
        const char* path;
        const char* reason;
    } cases[] = {
        { "", "not a full path" },
        { "CustomTags\\x.cfm", "not a full path" },
        { "..\\..\\etc\\passwd", "not a full path" },
        { "/etc/passwd", "not a full path" },
        { "\\Windows\\win.ini", "not a full path" },
        { "C:x.cfm", "not a full path" },
        { "1:\\x", "not a full path" },
        { "C:\\", "the root" },
        { "\\\\server\\share", "a share, not a path" },
        { "\\\\server", "a server without a share" },
        { "C:\\CFusion\\..\\Windows\\win.ini", "\"..\"" },
        { "C:\\CFusion\\.\\x", "\"..\"" },
        { "C:/CFusion/../x", "\"..\"" },
        { "C:\\CFusion\\\\x", "an empty name" },
        { "C:\\CFusion\\x.cfm.", "ending in a dot" },
        { "C:\\CFusion \\x", "ending in a dot or a blank" },
        { "C:\\CFusion\\x.cfm:stream", "character" },
        { "C:\\CFusion\\a?b", "character" },
        { "C:\\CFusion\\a\tb", "character" },
        { "C:\\CFusion\\NUL", "device" },
        { "C:\\CFusion\\com1.txt", "device" },
        { "C:\\CFusion\\Lpt9", "device" },
        { "\\\\?\\C:\\Windows\\win.ini", "not a plain share path" },
        { "\\\\.\\PhysicalDrive0", "not a plain share path" },
        { "\\\\server\\..\\x", "not a plain share path" },
    };
    for (const auto& c : cases) {
        const std::string reason = WhyNotPlainPath(c.path);
        EXPECT_NE(std::string::npos, reason.find(c.reason)) << c.path << ": " << reason;
    }
    // Names that merely start like a device are files like any other.
    EXPECT_EQ("", WhyNotPlainPath("C:\\CFusion\\CONSOLE.cfm"));
    EXPECT_EQ("", WhyNotPlainPath("C:\\CFusion\\COM10"));
}

} // namespace
