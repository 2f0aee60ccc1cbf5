#include "cli/status/DesiredState.h"

#include "registry/ServerKeys.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

// A plan that refuses every change and holds one class path (or none).
class RefusingPlan : public MachineChanges {
public:
    std::optional<std::string> classPath;

    BOOL CopyFileTo(const std::string&, const std::string&, ULONGLONG) override { return FALSE; }
    BOOL CreateFolder(const std::string&) override { return FALSE; }
    RegistryChange WriteString(HKEY, const std::string&, const std::string&, const std::string&) override
    {
        return { ERROR_ACCESS_DENIED };
    }
    RegistryChange CreateSubKey(HKEY, const std::string&, const std::string&) override
    {
        return { ERROR_ACCESS_DENIED };
    }
    std::optional<std::string> StoredText(HKEY, const std::string&, const std::string&) override
    {
        return classPath;
    }
};

TEST(DesiredState, EachThingIsWantedOnceAsTheLastChangeLeavesItEvenWhenThePlanRefuses)
{
    RefusingPlan plan;
    DesiredState desired(plan);
    EXPECT_FALSE(desired.CopyFileTo("a\\x.cfm", "C:\\Tags\\x.cfm", 1)) << "the plan's answer is passed on";
    (void)desired.CreateSubKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Tags", "CFX_A");
    (void)desired.WriteString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Tags\\CFX_A", "Type", "Java");
    (void)desired.CopyFileTo("b\\x.cfm", "c:\\tags\\X.CFM", 1);
    (void)desired.WriteString(HKEY_LOCAL_MACHINE, "software\\tags\\cfx_a", "TYPE", "CPP");
    const std::vector<DesiredItem>& items = desired.Items();
    ASSERT_EQ(3u, items.size());
    EXPECT_EQ("b\\x.cfm", items[0].data) << "the second copy replaces the first";
    EXPECT_EQ("HKEY_LOCAL_MACHINE\\SOFTWARE\\Tags\\CFX_A", items[1].path);
    EXPECT_EQ("CPP", items[2].data);
    EXPECT_FALSE(items[2].entries);
}

TEST(DesiredState, TheClassPathWantsTheEntriesItsWriteAppends)
{
    for (const std::optional<std::string>& before : { std::optional<std::string>(),
             std::optional<std::string>("C:\\lib;"), std::optional<std::string>("C:\\lib") }) {
        RefusingPlan plan;
        plan.classPath = before;
        DesiredState desired(plan);
        const std::string separator = before && before->back() == ';' ? "" : ";";
        (void)desired.WriteString(HKEY_LOCAL_MACHINE, kJvmKey, kJavaClassPathValue,
            before.value_or("") + separator + "C:\\Tags\\a.jar;C:\\Tags\\b.jar");
        ASSERT_EQ(1u, desired.Items().size());
        EXPECT_TRUE(desired.Items()[0].entries);
        EXPECT_EQ("C:\\Tags\\a.jar;C:\\Tags\\b.jar", desired.Items()[0].data) << before.value_or("(absent)");
    }
    EXPECT_TRUE(
        HoldsEntries("C:\\x.jar;C:\\Tags\\b.jar;;C:\\Tags\\a.jar", "C:\\Tags\\a.jar;C:\\Tags\\b.jar"));
    EXPECT_FALSE(HoldsEntries("C:\\Tags\\a.jar;C:\\Tags\\b.jar.old", "C:\\Tags\\a.jar;C:\\Tags\\b.jar"));
    EXPECT_FALSE(HoldsEntries("C:\\lib", "")) << "nothing appended is no entry held";
}

} // namespace
