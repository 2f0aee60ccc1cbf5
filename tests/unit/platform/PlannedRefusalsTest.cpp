// A plan sees the refusals of what the user may read but not change, before anything changes: a
// protected key, and a read-only file, which Windows does not replace even for an administrator
// (where Wine, run as root, does).
#include "PlannedMachineScript.h"

#include "RegistryHelpers.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

class PlannedRefusals : public RegistryTest { };

TEST_F(PlannedRefusals, OfAReadOnlyFile)
{
    TempFolder folder;
    folder.Write("backup.txt", "the backup");
    folder.Write("locked.txt", "read-only");
    std::filesystem::permissions(folder.Host("locked.txt"),
        std::filesystem::perms::owner_write | std::filesystem::perms::group_write
            | std::filesystem::perms::others_write,
        std::filesystem::perm_options::remove);
    ExpectSameAnswers(
        [](MachineChanges& machine, const TempFolder& folder) {
            Transcript t;
            t.Add(
                "restore over it", machine.RestoreFile(folder.Path("backup.txt"), folder.Path("locked.txt")));
            t.Add("delete it", machine.RemoveFile(folder.Path("locked.txt")));
            t.Add("it", machine.LookAt(folder.Path("locked.txt")));
            t.Add("elsewhere", machine.RestoreFile(folder.Path("backup.txt"), folder.Path("open.txt")));
            return t;
        },
        folder);
}

TEST_F(PlannedRefusals, OfAProtectedKey)
{
    const std::string locked = "SOFTWARE\\TarnwickTest\\Locked";
    SeedString(HKEY_LOCAL_MACHINE, locked, "kept", "value");
    SeedKey(HKEY_LOCAL_MACHINE, locked + "\\Inner");
    WriteProtectKey(locked + "\\Inner");
    WriteProtectKey(locked);
    TempFolder folder;
    ExpectSameAnswers(
        [&](MachineChanges& machine, const TempFolder&) {
            Transcript t;
            t.Add("write", machine.WriteString(HKEY_LOCAL_MACHINE, locked, "kept", "changed"));
            t.Add("create", machine.CreateSubKey(HKEY_LOCAL_MACHINE, locked, "Child"));
            t.Add("delete value", machine.DeleteValue(HKEY_LOCAL_MACHINE, locked, "kept"));
            t.Add("delete inner", machine.DeleteKey(HKEY_LOCAL_MACHINE, locked + "\\Inner"));
            t.Add("kept", machine.StoredText(HKEY_LOCAL_MACHINE, locked, "kept"));
            // Something the plan may change, so that the script is seen to change the machine.
            t.Add("elsewhere", machine.CreateSubKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\TarnwickTest", "Open"));
            return t;
        },
        folder);
}

} // namespace
