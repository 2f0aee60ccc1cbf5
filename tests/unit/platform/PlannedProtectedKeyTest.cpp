// A plan sees the refusals of a key the user may read but not change, before anything changes.
#include "PlannedMachineScript.h"

#include "RegistryHelpers.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

namespace {

class PlannedProtectedKey : public RegistryTest { };

TEST_F(PlannedProtectedKey, RefusesEveryChangeTheMachineRefuses)
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
