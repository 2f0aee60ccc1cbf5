// A plan's answers against the machine's own: the same steps, run once on a PlannedMachine and once
// on the platform's MachineChanges, give the same results step by step, and the plan changes
// nothing. Built for both platforms, so the planned answers are held to real Win32 under Wine too.
#include "PlannedMachineScript.h"

#include "RegistryHelpers.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

class PlannedMachineTest : public RegistryTest {
protected:
    void ExpectSameAnswers(const Script& script) { ::ExpectSameAnswers(script, m_folder); }

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

// A file where a folder is made or a copy goes into, a folder where a file is copied, and no folder
// at all: the plan meets each as the machine does, whether the machine or the plan put it there.
TEST_F(PlannedMachineTest, WhatStandsWhereACopyGoesIsMetFirst)
{
    m_folder.Write("source.txt", "twelve bytes");
    m_folder.Write("tree\\blocker", "a file");
    m_folder.Write("tree\\dir\\inside.txt", "old");
    ExpectSameAnswers([](MachineChanges& machine, const TempFolder& folder) {
        Transcript t;
        const std::string source = folder.Path("source.txt");
        t.Add("folder over a file", machine.CreateFolder(folder.Path("tree\\blocker")));
        t.Add("into a file", machine.CopyFileTo(source, folder.Path("tree\\blocker\\a.txt"), 12));
        t.Add("folder in a file", machine.CreateFolder(folder.Path("tree\\blocker\\sub")));
        t.Add("onto a folder", machine.CopyFileTo(source, folder.Path("tree\\dir"), 12));
        t.Add("into no folder", machine.CopyFileTo(source, folder.Path("tree\\missing\\a.txt"), 12));
        t.Add("over a file", machine.CopyFileTo(source, folder.Path("tree\\DIR\\inside.txt"), 12));
        t.Add("replaced", machine.LookAt(folder.Path("tree\\dir\\inside.txt")));
        t.Add("beside it", machine.CopyFileTo(source, folder.Path("tree\\dir\\new.txt"), 12));
        t.Add("into that copy", machine.CopyFileTo(source, folder.Path("tree\\dir\\new.txt\\x"), 12));
        t.Add("made", machine.CreateFolder(folder.Path("tree\\made")));
        t.Add("onto the made folder", machine.CopyFileTo(source, folder.Path("tree\\made"), 12));
        t.Add("into the made folder", machine.CopyFileTo(source, folder.Path("tree\\made\\a.txt"), 12));
        t.Add("made there", machine.Exists(folder.Path("tree\\made\\a.txt")));
        t.Add("not made there", machine.LookAt(folder.Path("tree\\made\\b.txt")));
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

TEST_F(PlannedMachineTest, RemovalsAndRestoresFindWhatEarlierStepsLeft)
{
    m_folder.Write("tree\\a.txt", "first");
    m_folder.Write("tree\\sub\\b.txt", "second");
    m_folder.Write("backup.txt", "the backup");
    m_folder.Write("locked.txt", "read-only");
    std::filesystem::permissions(m_folder.Host("locked.txt"),
        std::filesystem::perms::owner_read | std::filesystem::perms::group_read
            | std::filesystem::perms::others_read);
    ExpectSameAnswers([](MachineChanges& machine, const TempFolder& folder) {
        Transcript t;
        const std::string tree = folder.Path("tree");
        const std::string a = folder.Path("tree\\a.txt");
        const std::string backup = folder.Path("backup.txt");
        t.Add("a", machine.LookAt(a));
        t.Add("full folder", machine.RemoveFolder(tree));
        t.Add("file", machine.RemoveFile(a));
        t.Add("file again", machine.RemoveFile(folder.Path("tree\\a.txt")));
        t.Add("no folder", machine.RemoveFile(folder.Path("tree\\missing\\x.txt")));
        t.Add("a folder as a file", machine.RemoveFile(tree));
        t.Add("a file as a folder", machine.RemoveFolder(folder.Path("tree\\sub\\b.txt")));
        t.Add("read-only", machine.RemoveFile(folder.Path("locked.txt")));
        t.Add("still full", machine.RemoveFolder(tree));
        t.Add("b", machine.RemoveFile(folder.Path("tree\\sub\\b.txt")));
        t.Add("sub", machine.RemoveFolder(folder.Path("tree\\sub")));
        t.Add("emptied", machine.RemoveFolder(tree));
        t.Add("gone", machine.Exists(tree));
        t.Add("gone too", machine.LookAt(folder.Path("tree\\sub")));
        t.Add("into a removed folder", machine.RestoreFile(backup, a));
        t.Add("made again", machine.CreateFolder(tree));
        t.Add("restored", machine.RestoreFile(backup, a));
        t.Add("restored a", machine.LookAt(a));
        t.Add("from nothing", machine.RestoreFile(folder.Path("missing.txt"), a));
        t.Add("from a folder", machine.RestoreFile(tree, a));
        t.Add("over a folder", machine.RestoreFile(backup, tree));
        t.Add("a copy of the restored", machine.KeepCopy(a, folder.Path("tree\\c.txt")));
        t.Add("c", machine.LookAt(folder.Path("tree\\c.txt")));
        t.Add("locked", machine.LookAt(folder.Path("locked.txt")));
        return t;
    });
}

TEST_F(PlannedMachineTest, DeletionsFindWhatEarlierStepsLeft)
{
    const std::string base = "SOFTWARE\\TarnwickTest";
    SeedString(HKEY_LOCAL_MACHINE, base + "\\Full", "x", "1");
    SeedString(HKEY_LOCAL_MACHINE, base + "\\Full", "y", "");
    SeedString(HKEY_LOCAL_MACHINE, base + "\\Full\\Child", "z", "3");
    SeedKey(HKEY_LOCAL_MACHINE, base + "\\Empty");
    ExpectSameAnswers([&](MachineChanges& machine, const TempFolder&) {
        Transcript t;
        const std::string full = base + "\\Full";
        const auto list = [&](const std::string& step, const std::string& path) {
            KeyNames names;
            const bool listed = machine.ListKey(HKEY_LOCAL_MACHINE, path, names);
            t.Add(step, listed, names);
        };
        list("full", full);
        t.Add("holding a subkey", machine.DeleteKey(HKEY_LOCAL_MACHINE, full));
        t.Add("value", machine.DeleteValue(HKEY_LOCAL_MACHINE, full, "X"));
        t.Add("value again", machine.DeleteValue(HKEY_LOCAL_MACHINE, full, "x"));
        t.Add("value deleted", machine.StoredText(HKEY_LOCAL_MACHINE, full, "x"));
        t.Add("in no key", machine.DeleteValue(HKEY_LOCAL_MACHINE, base + "\\Missing", "x"));
        t.Add("child", machine.DeleteKey(HKEY_LOCAL_MACHINE, full + "\\CHILD"));
        t.Add("child again", machine.DeleteKey(HKEY_LOCAL_MACHINE, full + "\\Child"));
        t.Add("child's value", machine.StoredText(HKEY_LOCAL_MACHINE, full + "\\Child", "z"));
        list("child deleted", full + "\\Child");
        list("without the child", full);
        t.Add("with its values", machine.DeleteKey(HKEY_LOCAL_MACHINE, full));
        t.Add("its value", machine.StoredText(HKEY_LOCAL_MACHINE, full, "y"));
        list("base", base);
        t.Add("made again", machine.CreateSubKey(HKEY_LOCAL_MACHINE, base, "Full"));
        t.Add("empty again", machine.StoredText(HKEY_LOCAL_MACHINE, full, "y"));
        t.Add("written again", machine.WriteString(HKEY_LOCAL_MACHINE, full, "y", "new"));
        list("full again", full);
        t.Add("two deep", machine.CreateSubKey(HKEY_LOCAL_MACHINE, base, "Deep\\Er"));
        list("base again", base);
        list("deep", base + "\\Deep");
        const std::string longName(300, 'n'); // longer than any key's name
        t.Add("long name", machine.WriteString(HKEY_LOCAL_MACHINE, base + "\\Empty", longName, "v"));
        list("empty", base + "\\Empty");
        t.Add("holding values", machine.DeleteKey(HKEY_LOCAL_MACHINE, base + "\\Empty"));
        list("base at last", base);
        return t;
    });
}

} // namespace
