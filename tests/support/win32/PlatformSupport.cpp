#include "../RegistryHelpers.h"
#include "../TempFolder.h"

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
