#include "RegistryHelpers.h"

#include "platform/UniqueHandle.h"

#include <cstring>

namespace {

const char kSandbox[] = "Software\\TarnwickTest";

class RegistryConformance : public RegistryTest {
protected:
    void SetUp() override
    {
        RegistryTest::SetUp();
        ASSERT_EQ(ERROR_SUCCESS,
            RegCreateKeyExA(HKEY_CURRENT_USER, kSandbox, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                nullptr, m_key.put(), nullptr));
    }
    void TearDown() override
    {
        m_key.reset();
        RegistryTest::TearDown();
    }

    void Set(const char* name, DWORD type, const void* data, DWORD size)
    {
        ASSERT_EQ(
            ERROR_SUCCESS, RegSetValueExA(m_key.get(), name, 0, type, static_cast<const BYTE*>(data), size));
    }

    UniqueKey m_key;
};

constexpr unsigned char kMarker = 0xA5;

// Queries name into a buffer of capacity bytes, pre-filled with a marker so that overruns and
// untouched bytes show.
struct Query {
    LONG status;
    DWORD type;
    DWORD size;
    std::string bytes; // the whole buffer after the call
};

Query QueryInto(HKEY key, const char* name, DWORD capacity)
{
    std::string buffer(capacity + 8, static_cast<char>(kMarker));
    Query query { 0, 0xFFFF, capacity, {} };
    query.status = RegQueryValueExA(
        key, name, nullptr, &query.type, reinterpret_cast<LPBYTE>(buffer.data()), &query.size);
    query.bytes = buffer;
    return query;
}

bool Untouched(const std::string& bytes, std::size_t from)
{
    for (std::size_t i = from; i < bytes.size(); ++i)
        if (static_cast<unsigned char>(bytes[i]) != kMarker)
            return false;
    return true;
}

TEST_F(RegistryConformance, OpenReportsMissingKeysAndClearsTheResult)
{
    HKEY key = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x1234));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND,
        RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\TarnwickTest\\Missing", 0, KEY_READ, &key));
    EXPECT_EQ(nullptr, key);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyExA(m_key.get(), "Missing\\Deeper", 0, KEY_READ, &key));

    // Doubled and trailing separators name the same key.
    UniqueKey same;
    EXPECT_EQ(ERROR_SUCCESS,
        RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\\\TarnwickTest\\", 0, KEY_READ, same.put()));
}

TEST_F(RegistryConformance, CreateOpensExistingKeysAndMakesEveryLevel)
{
    UniqueKey child;
    DWORD disposition = 0;
    ASSERT_EQ(ERROR_SUCCESS,
        RegCreateKeyExA(m_key.get(), "One\\Two\\Three", 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
            nullptr, child.put(), &disposition));
    EXPECT_EQ(static_cast<DWORD>(REG_CREATED_NEW_KEY), disposition);
    ASSERT_EQ(
        ERROR_SUCCESS, RegSetValueExA(child.get(), "kept", 0, REG_SZ, reinterpret_cast<const BYTE*>("v"), 2));

    UniqueKey again;
    ASSERT_EQ(ERROR_SUCCESS,
        RegCreateKeyExA(m_key.get(), "ONE\\two\\THREE", 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
            nullptr, again.put(), &disposition));
    EXPECT_EQ(static_cast<DWORD>(REG_OPENED_EXISTING_KEY), disposition);
    EXPECT_EQ((StoredValue { REG_SZ, std::string("v\0", 2) }),
        ReadValue(HKEY_CURRENT_USER, "Software\\TarnwickTest\\One\\Two\\Three", "kept"));

    // An empty subkey name opens the key itself.
    UniqueKey self;
    EXPECT_EQ(ERROR_SUCCESS,
        RegCreateKeyExA(
            m_key.get(), "", 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ, nullptr, self.put(), nullptr));
}

TEST_F(RegistryConformance, NamesMatchWithoutCaseAndKeepTheirSpelling)
{
    SeedKey(HKEY_CURRENT_USER, "Software\\TarnwickTest\\MixedCase");
    Set("ValueName", REG_SZ, "first", 6);
    Set("VALUENAME", REG_SZ, "second", 7);

    EXPECT_EQ((StoredValue { REG_SZ, std::string("second\0", 7) }),
        ReadValue(HKEY_CURRENT_USER, kSandbox, "valuename"));
    EXPECT_EQ(std::vector<std::string> { "MixedCase" }, SubKeyNames(HKEY_CURRENT_USER, kSandbox));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "SOFTWARE\\tarnwicktest\\MIXEDCASE"));

    char name[64];
    DWORD nameSize = sizeof name;
    ASSERT_EQ(
        ERROR_SUCCESS, RegEnumValueA(m_key.get(), 0, name, &nameSize, nullptr, nullptr, nullptr, nullptr));
    EXPECT_STREQ("ValueName", name) << "a replaced value keeps the name it was created with";
}

// What a REG_SZ written through the narrow function reads back as: a missing terminator is added,
// an empty write stays empty, embedded zeros stay.
TEST_F(RegistryConformance, StringValuesKeepTheirBytesAndGainATerminator)
{
    struct Case {
        const char* name;
        std::string written;
        std::string stored;
    } cases[] = {
        { "terminated", std::string("abc\0", 4), std::string("abc\0", 4) },
        { "unterminated", "abc", std::string("abc\0", 4) },
        { "empty text", std::string("\0", 1), std::string("\0", 1) },
        { "nothing", "", "" },
        { "embedded zero", std::string("a\0b", 3), std::string("a\0b\0", 4) },
        { "two zeros", std::string("\0\0", 2), std::string("\0\0", 2) },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Set(c.name, REG_SZ, c.written.data(), static_cast<DWORD>(c.written.size()));

        DWORD size = 0;
        DWORD type = 0;
        EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(m_key.get(), c.name, nullptr, &type, nullptr, &size));
        EXPECT_EQ(c.stored.size(), size);
        EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);

        const Query query = QueryInto(m_key.get(), c.name, 32);
        EXPECT_EQ(ERROR_SUCCESS, query.status);
        EXPECT_EQ(c.stored.size(), query.size);
        EXPECT_EQ(c.stored, query.bytes.substr(0, c.stored.size()));
        EXPECT_TRUE(Untouched(query.bytes, c.stored.size())) << "nothing is written past the data";
    }
}

TEST_F(RegistryConformance, TooSmallABufferGetsNothingAndTheSizeNeeded)
{
    Set("text", REG_SZ, "abcdef", 7);
    Set("binary", REG_BINARY, "abcdef", 6);

    Query query = QueryInto(m_key.get(), "text", 6);
    EXPECT_EQ(ERROR_MORE_DATA, query.status);
    EXPECT_EQ(7u, query.size);
    EXPECT_TRUE(Untouched(query.bytes, 0));

    query = QueryInto(m_key.get(), "binary", 3);
    EXPECT_EQ(ERROR_MORE_DATA, query.status);
    EXPECT_EQ(6u, query.size);
    EXPECT_EQ(static_cast<DWORD>(REG_BINARY), query.type);
    EXPECT_TRUE(Untouched(query.bytes, 0));

    query = QueryInto(m_key.get(), "text", 7);
    EXPECT_EQ(ERROR_SUCCESS, query.status);
    EXPECT_EQ(std::string("abcdef\0", 7), query.bytes.substr(0, 7));
    EXPECT_TRUE(Untouched(query.bytes, 7));
}

TEST_F(RegistryConformance, LongValuesAreStoredWhole)
{
    const std::string text(5000, 'x');
    Set("long", REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
    EXPECT_EQ((StoredValue { REG_SZ, text + '\0' }), ReadValue(HKEY_CURRENT_USER, kSandbox, "long"));
}

TEST_F(RegistryConformance, MissingValuesAndMissingKeysReportNotFound)
{
    const Query query = QueryInto(m_key.get(), "absent", 16);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, query.status);
    EXPECT_TRUE(Untouched(query.bytes, 0));
}

TEST_F(RegistryConformance, EnumerationRunsInTheRegistrysOrderToTheEnd)
{
    for (const char* name : { "b_key", "Zed", "a", "_u", "B" })
        SeedKey(HKEY_CURRENT_USER, std::string(kSandbox) + "\\" + name);

    std::vector<std::string> names;
    char name[16];
    LONG status = ERROR_SUCCESS;
    for (DWORD index = 0; index < 10; ++index) {
        DWORD size = sizeof name;
        status = RegEnumKeyExA(m_key.get(), index, name, &size, nullptr, nullptr, nullptr, nullptr);
        if (status != ERROR_SUCCESS)
            break;
        EXPECT_EQ(std::strlen(name), size) << "the size returned leaves out the terminator";
        names.push_back(name);
    }
    EXPECT_EQ(ERROR_NO_MORE_ITEMS, status);
    // Sorted without regard to case; '_' comes before letters.
    EXPECT_EQ((std::vector<std::string> { "_u", "a", "B", "b_key", "Zed" }), names);

    DWORD size = 5; // "b_key" needs 6 with its terminator
    std::string buffer(16, static_cast<char>(kMarker));
    EXPECT_EQ(ERROR_MORE_DATA,
        RegEnumKeyExA(m_key.get(), 3, buffer.data(), &size, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(5u, size) << "the capacity is left as it was";
}

TEST_F(RegistryConformance, HandlesGrantOnlyTheAccessTheyWereOpenedWith)
{
    SeedKey(HKEY_CURRENT_USER, std::string(kSandbox) + "\\Child");
    UniqueKey readOnly;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, kSandbox, 0, KEY_QUERY_VALUE, readOnly.put()));
    EXPECT_EQ(ERROR_ACCESS_DENIED,
        RegSetValueExA(readOnly.get(), "x", 0, REG_SZ, reinterpret_cast<const BYTE*>("a"), 2));
    char name[16];
    DWORD size = sizeof name;
    EXPECT_EQ(ERROR_ACCESS_DENIED,
        RegEnumKeyExA(readOnly.get(), 0, name, &size, nullptr, nullptr, nullptr, nullptr));

    UniqueKey writeOnly;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, kSandbox, 0, KEY_WRITE, writeOnly.put()));
    EXPECT_EQ(ERROR_SUCCESS,
        RegSetValueExA(writeOnly.get(), "x", 0, REG_SZ, reinterpret_cast<const BYTE*>("a"), 2));
    DWORD dataSize = 0;
    EXPECT_EQ(
        ERROR_ACCESS_DENIED, RegQueryValueExA(writeOnly.get(), "x", nullptr, nullptr, nullptr, &dataSize));
}

TEST_F(RegistryConformance, AKeyDeletedUnderAnOpenHandleReportsSo)
{
    UniqueKey child;
    ASSERT_EQ(ERROR_SUCCESS,
        RegCreateKeyExA(m_key.get(), "Doomed", 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
            child.put(), nullptr));
    ASSERT_EQ(ERROR_SUCCESS, RegDeleteTreeA(m_key.get(), "Doomed"));
    EXPECT_EQ(ERROR_KEY_DELETED,
        RegSetValueExA(child.get(), "x", 0, REG_SZ, reinterpret_cast<const BYTE*>("a"), 2));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, std::string(kSandbox) + "\\Doomed"));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegDeleteTreeA(m_key.get(), "Doomed"));
}

TEST_F(RegistryConformance, ClosingTwiceIsRefused)
{
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, kSandbox, 0, KEY_READ, &key));
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(key));
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegCloseKey(key));
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(HKEY_LOCAL_MACHINE)) << "closing a predefined key is harmless";
}

} // namespace
