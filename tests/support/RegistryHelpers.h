// Seeding and inspecting the registry in tests, through the same Win32 calls on both platforms.
#pragma once

#include "platform/win32.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

// Starts every test from a machine without the keys that tests touch: a fresh in-memory registry
// on POSIX, the keys deleted from the run's Wine prefix on Windows.
void ResetTestRegistry();

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override { ResetTestRegistry(); }
    void TearDown() override { ResetTestRegistry(); }
};

// Creates the key and every key above it.
void SeedKey(HKEY root, const std::string& path);
void SeedString(HKEY root, const std::string& path, const std::string& name, const std::string& data);

bool KeyExists(HKEY root, const std::string& path);
struct StoredValue {
    DWORD type = REG_NONE;
    std::string data; // as stored, terminator included
    bool operator==(const StoredValue&) const = default;
};
std::optional<StoredValue> ReadValue(HKEY root, const std::string& path, const std::string& name);
// Every value of a key by name, read as REG_SZ text without its terminator; fails the test for a
// value of another type.
std::map<std::string, std::string> ReadStrings(HKEY root, const std::string& path);
std::vector<std::string> SubKeyNames(HKEY root, const std::string& path);

// POSIX only: makes an existing key under HKEY_LOCAL_MACHINE refuse every write access, standing
// for a user who may read it but not change it.
void WriteProtectKey(const std::string& path);
