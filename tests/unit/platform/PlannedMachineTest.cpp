// A plan's answers against the machine's own: the same steps, run once on a PlannedMachine and once
// on the platform's MachineChanges, give the same results step by step, and the plan changes
// nothing. Built for both platforms, so the planned answers are held to real Win32 under Wine too.
#include "PlannedMachineScript.h"

#include "platform/PlannedMachine.h"
#include "RegistryHelpers.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

namespace {

class PlannedMachineTest : public RegistryTest {
protected:
    // The script's transcript on a plan (which must leave the machine as it was), then on the
    // machine itself.
    void ExpectSameAnswers(const Script& script)
    {
        const MachineState before = Snapshot(m_folder);
        PlannedMachine planned;
        const Transcript plan = script(planned, m_folder);
        EXPECT_EQ(Snapshot(m_folder), before) << "the plan changed the machine";
        MachineChanges machine;
        const Transcript made = script(machine, m_folder);
        EXPECT_EQ(plan, made);
        EXPECT_NE(Snapshot(m_folder), before) << "the script changed nothing: it tests nothing";
    }

    TempFolder m_folder;
};

TEST_F(PlannedMachineTest, FoldersAndCopiesMadeEarlierAreFoundLater)
{
    m_folder.Write("source.txt", "twelve bytes");
    ExpectSameAnswers([](MachineChanges& machine, const TempFolder& folder) {
        Transcript t;
        const std::string made = folder.Path("made");
        t.Add("folder", machine.CreateFolder(made));
        t.Add("again", machine.CreateFolder(made));
        t.Add("other case", machine.CreateFolder(folder.Path("MADE")));
        t.Add("no parent", machine.CreateFolder(folder.Path("missing\\child")));
        t.Add("exists", machine.Exists(made));
        t.Add("deeper", machine.CreateFolder(folder.Path("made\\deeper")));
        const std::string copy = folder.Path("made\\deeper\\copy.txt");
        t.Add("before copy", machine.Exists(copy));
        t.Add("copy", machine.CopyFileTo(folder.Path("source.txt"), copy, 12));
        t.Add("after copy", machine.Exists(folder.Path("MADE\\Deeper\\COPY.txt")));
        t.Add("kept onto a file", machine.KeepCopy(folder.Path("source.txt"), copy));
        t.Add("kept aside", machine.KeepCopy(copy, folder.Path("made\\kept.txt")));
        t.Add("kept found", machine.Exists(folder.Path("made\\kept.txt")));
        return t;
    });
}

TEST_F(PlannedMachineTest, KeysAndValuesWrittenEarlierAreReadLater)
{
    SeedString(HKEY_LOCAL_MACHINE, "SOFTWARE\\TarnwickTest", "seeded", "from the seed");
    ExpectSameAnswers([](MachineChanges& machine, const TempFolder&) {
        Transcript t;
        const std::string base = "SOFTWARE\\TarnwickTest";
        t.Add("no key yet", machine.WriteString(HKEY_LOCAL_MACHINE, base + "\\New", "a", "1"));
        t.Add("no parent", machine.CreateSubKey(HKEY_LOCAL_MACHINE, base + "\\Missing", "Child"));
        t.Add("create", machine.CreateSubKey(HKEY_LOCAL_MACHINE, base, "New"));
        t.Add("create again", machine.CreateSubKey(HKEY_LOCAL_MACHINE, base, "NEW"));
        t.Add("below the new one", machine.CreateSubKey(HKEY_LOCAL_MACHINE, base + "\\new", "Child"));
        t.Add("absent", machine.StoredText(HKEY_LOCAL_MACHINE, base + "\\New", "a"));
        t.Add("write", machine.WriteString(HKEY_LOCAL_MACHINE, base + "\\New", "a", "1"));
        t.Add("empty", machine.WriteString(HKEY_LOCAL_MACHINE, base + "\\New", "b", ""));
        t.Add("read", machine.StoredText(HKEY_LOCAL_MACHINE, base + "\\NEW", "A"));
        t.Add("read empty", machine.StoredText(HKEY_LOCAL_MACHINE, base + "\\New", "b"));
        t.Add("seeded", machine.StoredText(HKEY_LOCAL_MACHINE, base, "seeded"));
        t.Add(
            "overwrite", machine.WriteString(HKEY_LOCAL_MACHINE, base, "seeded", std::string("cut\0off", 7)));
        t.Add("overwritten", machine.StoredText(HKEY_LOCAL_MACHINE, base, "SEEDED"));
        t.Add("other root", machine.StoredText(HKEY_CURRENT_USER, base, "seeded"));
        return t;
    });
}

} // namespace
