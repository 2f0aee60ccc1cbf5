#include "engine/InstallSteps.h"

#include "tests/support/RegistryHelpers.h"

#include <gtest/gtest.h>

namespace {

class EngineClassPath : public RegistryTest { };

TEST_F(EngineClassPath, AnEmptyOrMissingClassPathGainsTheSeparatorBeforeTheEntry)
{
    const DirectoryTexts directories { "C:\\Tags", "", "" };
    SeedString(HKEY_LOCAL_MACHINE, kJvmKey, kJavaClassPathValue, "");
    UpdateJavaClassPath("%DIR1%\\sample.jar", directories);
    EXPECT_EQ(";C:\\Tags\\sample.jar", ReadStrings(HKEY_LOCAL_MACHINE, kJvmKey).at(kJavaClassPathValue));

    ResetTestRegistry();
    SeedString(HKEY_LOCAL_MACHINE, kJvmKey, kJvmPathValue, "C:\\jvm.dll"); // the key, without the value
    UpdateJavaClassPath("%DIR1%\\sample.jar", directories);
    EXPECT_EQ(";C:\\Tags\\sample.jar", ReadStrings(HKEY_LOCAL_MACHINE, kJvmKey).at(kJavaClassPathValue));
}

TEST_F(EngineClassPath, AServerWithoutItsJvmKeyGetsNoClassPath)
{
    SeedKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Allaire\\ColdFusion\\CurrentVersion");
    UpdateJavaClassPath("C:\\Tags\\sample.jar", {});
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kJvmKey));
}

} // namespace
