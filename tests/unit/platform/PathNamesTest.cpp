#include "platform/PathNames.h"

#include <gtest/gtest.h>

namespace {

// The undo's paths and the caller's files both ask: a name Windows opens as a device writes or
// deletes no file, whatever folder it is in.
TEST(PathNames, DeviceNamesInAnyCaseWithAnyExtension)
{
    for (const char* name : { "CON", "con", "Prn", "AUX", "NUL", "nul.txt", "NUL .txt", "NUL  ", "CONIN$",
             "conout$", "COM1", "com9.log", "LPT1", "Lpt9.tar.gz", "aux." })
        EXPECT_TRUE(IsDeviceName(name)) << name;
    for (const char* name : { "", ".", "CONSOLE", "CONS", "NULL", "xNUL", " NUL", "COM0", "COM10", "LPT",
             "COM", "LPTA", "CONIN", "CON$", "C:\\CON", "dir\\NUL" })
        EXPECT_FALSE(IsDeviceName(name)) << name;
}

} // namespace
