// Building and comparing registry trees in the .reg file and store tests.
#pragma once

#include "platform/posix/registry/RegFile.h"

#include <gtest/gtest.h>

inline posix::RegistryTree Parsed(std::string_view text)
{
    posix::RegistryTree tree;
    std::string error;
    EXPECT_TRUE(posix::ParseRegFile(text, tree, error)) << error;
    return tree;
}

// The value at "ROOT\\key\\path"; a missing one fails the test and reads as empty.
inline posix::RegistryValue ValueAt(
    const posix::RegistryTree& tree, const std::string& key, const std::string& name)
{
    const posix::RegistryKey* found = tree.Find(posix::RegistryTree::SplitKeyPath(key));
    const posix::RegistryValue* value = found ? found->FindValue(name) : nullptr;
    EXPECT_NE(nullptr, value) << key << " " << name;
    return value ? *value : posix::RegistryValue {};
}

// Same names, values in the same order with the same types and bytes, same subkeys.
inline void ExpectSameKey(const posix::RegistryKey& a, const posix::RegistryKey& b, const std::string& path)
{
    EXPECT_EQ(a.name, b.name) << path;
    ASSERT_EQ(a.values.size(), b.values.size()) << path;
    for (std::size_t i = 0; i < a.values.size(); ++i) {
        EXPECT_EQ(a.values[i].name, b.values[i].name) << path;
        EXPECT_EQ(a.values[i].type, b.values[i].type) << path << " " << a.values[i].name;
        EXPECT_EQ(a.values[i].data, b.values[i].data) << path << " " << a.values[i].name;
    }
    ASSERT_EQ(a.subkeys.size(), b.subkeys.size()) << path;
    for (std::size_t i = 0; i < a.subkeys.size(); ++i)
        ExpectSameKey(*a.subkeys[i], *b.subkeys[i], path + "\\" + a.subkeys[i]->name);
}
