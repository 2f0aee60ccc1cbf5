#include "engine/CustomTags.h"

#include "tests/support/MessageRecorder.h"
#include "tests/support/RegistryHelpers.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

const std::string kCustomTags = R"(SOFTWARE\Allaire\ColdFusion\CurrentVersion\CustomTags)";

using Values = std::map<std::string, std::string>;

ConfigOption TagOption(const std::string& type, const std::string& tagName, const std::string& className,
    const std::string& description)
{
    ConfigOption option;
    option.setType(type);
    option.setTagName(tagName);
    option.setClassName(className);
    option.setDescription(description);
    return option;
}

Values TagValues(const std::string& tagName)
{
    return ReadStrings(HKEY_LOCAL_MACHINE, kCustomTags + "\\" + tagName);
}

class EngineCustomTags : public RegistryTest {
protected:
    void SetUp() override
    {
        RegistryTest::SetUp();
        SeedKey(HKEY_LOCAL_MACHINE, kCustomTags);
    }

    void TearDown() override
    {
        // Nothing in tag registration talks to the user.
        EXPECT_TRUE(m_recorder.Messages().empty()) << ::testing::PrintToString(m_recorder.Texts());
        RegistryTest::TearDown();
    }

    MessageRecorder m_recorder;
};

using EngineCustomTagsWithoutServer = RegistryTest;

} // namespace

TEST_F(EngineCustomTags, AJavaTagHasExactlyItsThreeValues)
{
    RegisterJavaTag(TagOption("JavaCFX", "CFX_Hello", "com.example.HelloTag", "Says hello"));

    EXPECT_EQ(SubKeyNames(HKEY_LOCAL_MACHINE, kCustomTags), std::vector<std::string> { "CFX_Hello" });
    EXPECT_EQ(TagValues("CFX_Hello"),
        (Values {
            { "Type", "Java" },
            { "JavaClass", "com.example.HelloTag" },
            { "Description", "Says hello" },
        }));
}

TEST_F(EngineCustomTags, ANativeTagHasExactlyItsFiveValues)
{
    RegisterCppTag(TagOption("C++CFX", "CFX_Zip", R"(C:\CFusion\CustomTags\cfx_zip.dll)", "Zips files"));

    EXPECT_EQ(SubKeyNames(HKEY_LOCAL_MACHINE, kCustomTags), std::vector<std::string> { "CFX_Zip" });
    EXPECT_EQ(TagValues("CFX_Zip"),
        (Values {
            { "Type", "CPP" },
            { "LibraryPath", R"(C:\CFusion\CustomTags\cfx_zip.dll)" },
            { "Description", "Zips files" },
            { "CacheLibrary", "1" },
            { "ProcedureName", "ProcessTagRequest" },
        }));
}

TEST_F(EngineCustomTags, AJavaTagOverANativeOneChangesItsTypeAndKeepsTheRest)
{
    RegisterCppTag(TagOption("C++CFX", "CFX_Tag", "old.dll", "native"));
    RegisterJavaTag(TagOption("JavaCFX", "CFX_Tag", "NewTag", "java"));

    EXPECT_EQ(TagValues("CFX_Tag"),
        (Values {
            { "Type", "Java" },
            { "JavaClass", "NewTag" },
            { "Description", "java" },
            { "LibraryPath", "old.dll" },
            { "CacheLibrary", "1" },
            { "ProcedureName", "ProcessTagRequest" },
        }));
}

TEST_F(EngineCustomTags, TextsAreStoredAsWritten)
{
    // Only destinations of copies get placeholders replaced; a tag's texts are the server's business.
    RegisterJavaTag(TagOption("JavaCFX", "CFX Spaced Name", R"(%DIR1%\classes\Tag)", ""));
    RegisterCppTag(TagOption("C++CFX", "CFX_Native", R"(%DIR2%\\tag.dll)", ""));

    const Values java = TagValues("CFX Spaced Name");
    EXPECT_EQ(java.at("JavaClass"), R"(%DIR1%\classes\Tag)");
    EXPECT_EQ(java.at("Description"), "");
    const Values native = TagValues("CFX_Native");
    EXPECT_EQ(native.at("LibraryPath"), R"(%DIR2%\\tag.dll)");
    EXPECT_EQ(native.at("Description"), "");
    EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, kCustomTags + "\\CFX_Native", "Description"),
        (StoredValue { REG_SZ, std::string(1, '\0') }));
}

TEST_F(EngineCustomTags, AnEmptyTagNameWritesNothing)
{
    RegisterJavaTag(TagOption("JavaCFX", "", "Tag", "java"));
    RegisterCppTag(TagOption("C++CFX", "", "tag.dll", "native"));

    EXPECT_TRUE(ReadStrings(HKEY_LOCAL_MACHINE, kCustomTags).empty());
    EXPECT_TRUE(SubKeyNames(HKEY_LOCAL_MACHINE, kCustomTags).empty());
}

TEST_F(EngineCustomTagsWithoutServer, NothingIsWrittenAndNothingShown)
{
    // The server's key without CustomTags: registering must not create the key that is missing.
    const std::string currentVersion = R"(SOFTWARE\Allaire\ColdFusion\CurrentVersion)";
    SeedKey(HKEY_LOCAL_MACHINE, currentVersion);
    const MessageRecorder recorder;

    RegisterJavaTag(TagOption("JavaCFX", "CFX_Hello", "HelloTag", "java"));
    RegisterCppTag(TagOption("C++CFX", "CFX_Zip", "zip.dll", "native"));

    EXPECT_TRUE(SubKeyNames(HKEY_LOCAL_MACHINE, currentVersion).empty());
    EXPECT_TRUE(ReadStrings(HKEY_LOCAL_MACHINE, currentVersion).empty());
    EXPECT_TRUE(recorder.Messages().empty());
}
