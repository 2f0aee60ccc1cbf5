#include "../DeviceNames.h"
#include "../LogKeyHelpers.h"
#include "../RegistryHelpers.h"
#include "../StandardHandleHelpers.h"
#include "../TempFolder.h"

#include "platform/win32.h"

std::string ProductPathOf(const std::filesystem::path& host)
{
    return std::filesystem::absolute(host).lexically_normal().string();
}

void ResetTestRegistry()
{
    // The run's prefix is shared by every test of the run (they run one at a time), so remove what
    // any test may have written.
    for (HKEY root : { HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER })
        for (const char* path : { "SOFTWARE\\Allaire", "SOFTWARE\\JavaSoft", "SOFTWARE\\ODBC\\ODBC.INI",
                 "SOFTWARE\\TarnwickTest", "Name", "Whole" })
            (void)RegDeleteTreeA(root, path);
}

void DropStandardHandles(bool input, bool output, bool error)
{
    if (input)
        (void)SetStdHandle(STD_INPUT_HANDLE, nullptr);
    if (output)
        (void)SetStdHandle(STD_OUTPUT_HANDLE, nullptr);
    if (error)
        (void)SetStdHandle(STD_ERROR_HANDLE, nullptr);
}

const char* NullDeviceName()
{
    return "NUL";
}

struct FreshLogKeyScope::State { };

FreshLogKeyScope::FreshLogKeyScope()
    : m_state(std::make_unique<State>())
{
    (void)RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Tarnwick");
}

FreshLogKeyScope::~FreshLogKeyScope()
{
    (void)RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Tarnwick");
}
