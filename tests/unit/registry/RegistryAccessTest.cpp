#include "RegistryHelpers.h"

#include "registry/RegistryAccess.h"

namespace {

const std::string kJvmKey = "SOFTWARE\\Allaire\\ColdFusion\\CurrentVersion\\JVM";

class RegistryAccessTest : public RegistryTest {
protected:
    RegistryAccess m_registry;
};

TEST_F(RegistryAccessTest, ReadsGiveEmptyTextForAnythingMissing)
{
    SeedString(HKEY_LOCAL_MACHINE, kJvmKey, "JVMPath", "C:\\jre\\bin\\jvm.dll");
    EXPECT_EQ("C:\\jre\\bin\\jvm.dll", m_registry.ReadString(HKEY_LOCAL_MACHINE, kJvmKey, "JVMPath"));
    EXPECT_EQ("C:\\jre\\bin\\jvm.dll",
        m_registry.ReadString(
            HKEY_LOCAL_MACHINE, "software\\allaire\\coldfusion\\currentversion\\jvm", "jvmpath"));
    EXPECT_EQ("", m_registry.ReadString(HKEY_LOCAL_MACHINE, kJvmKey, "Missing"));
    EXPECT_EQ("", m_registry.ReadString(HKEY_LOCAL_MACHINE, "SOFTWARE\\NoSuchKey", "JVMPath"));
    EXPECT_EQ("", m_registry.ReadString(HKEY_CURRENT_USER, kJvmKey, "JVMPath"));
}

TEST_F(RegistryAccessTest, ReadsAValueOfAnyLengthWhole)
{
    // The server's class path grows with every package; a read that cut it would make the
    // Install action write a damaged one back.
    std::string classPath;
    while (classPath.size() < 5000)
        classPath += "C:\\CFusion\\java\\classes\\package" + std::to_string(classPath.size()) + ".jar;";
    SeedString(HKEY_LOCAL_MACHINE, kJvmKey, "JavaClassPath", classPath);
    EXPECT_EQ(classPath, m_registry.ReadString(HKEY_LOCAL_MACHINE, kJvmKey, "JavaClassPath"));

    for (std::size_t length : { 1022u, 1023u, 1024u, 1025u }) {
        const std::string text(length, 'v');
        SeedString(HKEY_LOCAL_MACHINE, kJvmKey, "Edge", text);
        EXPECT_EQ(text, m_registry.ReadString(HKEY_LOCAL_MACHINE, kJvmKey, "Edge")) << length;
    }
}

TEST_F(RegistryAccessTest, ReadsTextWhateverTheTypeAndStopsAtTheFirstZero)
{
    SeedKey(HKEY_LOCAL_MACHINE, kJvmKey);
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, kJvmKey.c_str(), 0, KEY_SET_VALUE, &key));
    // Stored without a terminator and without being a string: the read must still end in bounds.
    const char unterminated[] = { 'a', 'b', 'c' };
    ASSERT_EQ(ERROR_SUCCESS,
        RegSetValueExA(key, "Binary", 0, REG_BINARY, reinterpret_cast<const BYTE*>(unterminated), 3));
    ASSERT_EQ(ERROR_SUCCESS,
        RegSetValueExA(key, "Expand", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>("%TEMP%\\x"), 9));
    ASSERT_EQ(ERROR_SUCCESS,
        RegSetValueExA(key, "Embedded", 0, REG_SZ, reinterpret_cast<const BYTE*>("one\0two"), 8));
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key, "Zero", 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 0));
    RegCloseKey(key);

    EXPECT_EQ("abc", m_registry.ReadString(HKEY_LOCAL_MACHINE, kJvmKey, "Binary"));
    EXPECT_EQ("%TEMP%\\x", m_registry.ReadString(HKEY_LOCAL_MACHINE, kJvmKey, "Expand"));
    EXPECT_EQ("one", m_registry.ReadString(HKEY_LOCAL_MACHINE, kJvmKey, "Embedded"));
    EXPECT_EQ("", m_registry.ReadString(HKEY_LOCAL_MACHINE, kJvmKey, "Zero"));
}

TEST_F(RegistryAccessTest, ReadPathSplitsAtTheFirstAndLastBackslash)
{
    SeedString(HKEY_LOCAL_MACHINE, kJvmKey, "JVMPath", "machine");
    SeedString(HKEY_CURRENT_USER, kJvmKey, "JVMPath", "user");
    SeedString(HKEY_LOCAL_MACHINE, "Name", "Name", "same key and value name");
    SeedString(HKEY_CURRENT_USER, "Whole", "Whole", "whole reference");

    const std::string tail = "\\SOFTWARE\\Allaire\\ColdFusion\\CurrentVersion\\JVM\\JVMPath";
    EXPECT_EQ("machine", m_registry.ReadPath("HKEY_LOCAL_MACHINE" + tail));
    // Only the exact machine root's name reaches it; every other root name means the user's.
    EXPECT_EQ("user", m_registry.ReadPath("HKEY_CURRENT_USER" + tail));
    EXPECT_EQ("user", m_registry.ReadPath("HKLM" + tail));
    EXPECT_EQ("user", m_registry.ReadPath("hkey_local_machine" + tail));
    EXPECT_EQ("user", m_registry.ReadPath("HKEY_CLASSES_ROOT" + tail));

    EXPECT_EQ("same key and value name", m_registry.ReadPath("HKEY_LOCAL_MACHINE\\Name"));
    EXPECT_EQ("whole reference", m_registry.ReadPath("Whole"));
    EXPECT_EQ("", m_registry.ReadPath(""));
    EXPECT_EQ("", m_registry.ReadPath("\\"));
    EXPECT_EQ("", m_registry.ReadPath("HKEY_LOCAL_MACHINE\\SOFTWARE\\NoSuch\\Value"));
}

TEST_F(RegistryAccessTest, WriteNeedsAnExistingKeyAndCreateSubKeyMakesIt)
{
    const std::string parent = "SOFTWARE\\Allaire\\ColdFusion\\CurrentVersion\\CustomTags";
    SeedKey(HKEY_LOCAL_MACHINE, parent);

    EXPECT_FALSE(m_registry.WriteString(HKEY_LOCAL_MACHINE, parent + "\\CFX_Tag", "Type", "Java"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, parent + "\\CFX_Tag"));

    EXPECT_TRUE(m_registry.CreateSubKey(HKEY_LOCAL_MACHINE, parent, "CFX_Tag"));
    EXPECT_TRUE(m_registry.WriteString(HKEY_LOCAL_MACHINE, parent + "\\CFX_Tag", "Type", "Java"));
    EXPECT_TRUE(m_registry.WriteString(HKEY_LOCAL_MACHINE, parent + "\\CFX_Tag", "Empty", ""));
    EXPECT_EQ((StoredValue { REG_SZ, std::string("Java\0", 5) }),
        ReadValue(HKEY_LOCAL_MACHINE, parent + "\\CFX_Tag", "Type"));
    EXPECT_EQ((StoredValue { REG_SZ, std::string("\0", 1) }),
        ReadValue(HKEY_LOCAL_MACHINE, parent + "\\CFX_Tag", "Empty"));

    // An existing child is opened and keeps its values; a value is replaced in place.
    EXPECT_TRUE(m_registry.CreateSubKey(HKEY_LOCAL_MACHINE, parent, "cfx_tag"));
    EXPECT_TRUE(m_registry.WriteString(HKEY_LOCAL_MACHINE, parent + "\\CFX_Tag", "Type", "CPP"));
    EXPECT_EQ((std::map<std::string, std::string> { { "Empty", "" }, { "Type", "CPP" } }),
        ReadStrings(HKEY_LOCAL_MACHINE, parent + "\\CFX_Tag"));

    EXPECT_FALSE(m_registry.CreateSubKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\NoServer\\CustomTags", "CFX_Tag"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\NoServer"));
}

TEST_F(RegistryAccessTest, EnumeratesDirectSubKeysInTheRegistrysOrder)
{
    const std::string runtimes = "SOFTWARE\\JavaSoft\\Java Runtime Environment";
    EXPECT_TRUE(m_registry.EnumSubKeys(HKEY_LOCAL_MACHINE, runtimes).empty());
    SeedKey(HKEY_LOCAL_MACHINE, runtimes);
    EXPECT_TRUE(m_registry.EnumSubKeys(HKEY_LOCAL_MACHINE, runtimes).empty());

    for (const char* version : { "1.3", "1.2", "1.3.1\\Nested" })
        SeedKey(HKEY_LOCAL_MACHINE, runtimes + "\\" + version);
    EXPECT_EQ((StringList { "1.2", "1.3", "1.3.1" }), m_registry.EnumSubKeys(HKEY_LOCAL_MACHINE, runtimes));

    const std::string longName(255, 'k'); // the longest key name Windows allows
    HKEY parent = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, runtimes.c_str(), 0, KEY_ALL_ACCESS, &parent));
    SeedKey(parent, longName);
    RegCloseKey(parent);
    EXPECT_EQ(longName, m_registry.EnumSubKeys(HKEY_LOCAL_MACHINE, runtimes).back());
}

} // namespace
