// The log key on Windows, read back as an administrator would look at it: the registry key's DACL
// and the value under it.
#include "LogKeyHelpers.h"

#include "platform/MachineLogKey.h"
#include "platform/UniqueHandle.h"
#include "platform/win32.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

constexpr char kKey[] = "SOFTWARE\\Tarnwick\\LogKey";

std::string Security(HKEY key)
{
    DWORD size = 0;
    EXPECT_EQ(ERROR_INSUFFICIENT_BUFFER, RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, nullptr, &size));
    std::string buffer(size, '\0');
    EXPECT_EQ(ERROR_SUCCESS, RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, buffer.data(), &size));
    return buffer;
}

TEST(Win32LogKey, TheKeyGrantsAdministratorsAndSystemAloneAndInheritsNothing)
{
    const FreshLogKeyScope fresh;
    std::string key;
    std::string error;
    ASSERT_TRUE(MachineLogKey(key, error)) << error;

    UniqueKey opened;
    ASSERT_EQ(ERROR_SUCCESS,
        RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, READ_CONTROL | KEY_QUERY_VALUE, opened.put()));
    std::string buffer = Security(opened.get());
    const auto descriptor = reinterpret_cast<PSECURITY_DESCRIPTOR>(buffer.data());
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    ASSERT_TRUE(GetSecurityDescriptorControl(descriptor, &control, &revision));
    EXPECT_TRUE(control & SE_DACL_PROTECTED) << "the parent's inheritable entries would apply";
    BOOL present = FALSE;
    BOOL defaulted = FALSE;
    PACL dacl = nullptr;
    ASSERT_TRUE(GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted));
    ASSERT_TRUE(present && dacl) << "no DACL grants everyone everything";
    ASSERT_EQ(2u, dacl->AceCount);
    std::set<std::string> granted;
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        void* ace = nullptr;
        ASSERT_TRUE(GetAce(dacl, i, &ace));
        const auto* allowed = static_cast<const ACCESS_ALLOWED_ACE*>(ace);
        EXPECT_EQ(ACCESS_ALLOWED_ACE_TYPE, allowed->Header.AceType);
        EXPECT_EQ(0, allowed->Header.AceFlags) << "an entry that passes on, or was passed down";
        EXPECT_EQ(static_cast<ACCESS_MASK>(KEY_ALL_ACCESS), allowed->Mask);
        const PSID sid = const_cast<DWORD*>(&allowed->SidStart);
        if (IsWellKnownSid(sid, WinBuiltinAdministratorsSid))
            granted.insert("Administrators");
        else if (IsWellKnownSid(sid, WinLocalSystemSid))
            granted.insert("SYSTEM");
        else
            granted.insert("someone else");
    }
    EXPECT_EQ((std::set<std::string> { "Administrators", "SYSTEM" }), granted);

    std::string stored(64, '\0');
    DWORD type = REG_NONE;
    DWORD size = static_cast<DWORD>(stored.size());
    ASSERT_EQ(ERROR_SUCCESS,
        RegQueryValueExA(opened.get(), "Key", nullptr, &type, reinterpret_cast<BYTE*>(stored.data()), &size));
    EXPECT_EQ(static_cast<DWORD>(REG_BINARY), type);
    stored.resize(size);
    EXPECT_EQ(key, stored);
}

::testing::AssertionResult Refused()
{
    std::string key = "untouched";
    std::string error;
    if (MachineLogKey(key, error))
        return ::testing::AssertionFailure() << "a key was taken";
    if (key != "untouched" || error.empty())
        return ::testing::AssertionFailure() << "key " << key.size() << " bytes, error \"" << error << "\"";
    return ::testing::AssertionSuccess() << error;
}

TEST(Win32LogKey, AKeyMadeWithAnotherDaclIsRefused)
{
    const FreshLogKeyScope fresh;
    UniqueKey made;
    ASSERT_EQ(ERROR_SUCCESS,
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr,
            made.put(), nullptr));
    const std::string known(kMachineLogKeySize, 'k');
    ASSERT_EQ(ERROR_SUCCESS,
        RegSetValueExA(made.get(), "Key", 0, REG_BINARY, reinterpret_cast<const BYTE*>(known.data()),
            static_cast<DWORD>(known.size())));
    EXPECT_TRUE(Refused()) << "whoever made it may know the key";
}

TEST(Win32LogKey, AValueOfAnotherSizeOrTypeIsRefused)
{
    const FreshLogKeyScope fresh;
    std::string key;
    std::string error;
    ASSERT_TRUE(MachineLogKey(key, error)) << error;
    UniqueKey opened;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, KEY_SET_VALUE, opened.put()));
    const std::string shorter(kMachineLogKeySize - 1, 'k');
    ASSERT_EQ(ERROR_SUCCESS,
        RegSetValueExA(opened.get(), "Key", 0, REG_BINARY, reinterpret_cast<const BYTE*>(shorter.data()),
            static_cast<DWORD>(shorter.size())));
    EXPECT_TRUE(Refused());
    const std::string text(kMachineLogKeySize, 'k');
    ASSERT_EQ(ERROR_SUCCESS,
        RegSetValueExA(opened.get(), "Key", 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
            static_cast<DWORD>(text.size() + 1)));
    EXPECT_TRUE(Refused());
}

} // namespace
