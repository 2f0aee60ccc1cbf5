// What the engine tests build and compare alike: a Copy option and the entries of a folder tree.
#pragma once

#include "config/ConfigOption.h"

#include <filesystem>
#include <set>
#include <string>

// Every entry below root, folders marked with a trailing '/', symbolic links with a trailing '@'.
inline std::set<std::string> TreeOf(const std::filesystem::path& root)
{
    std::set<std::string> entries;
    for (const std::filesystem::directory_entry& entry :
        std::filesystem::recursive_directory_iterator(root)) {
        const std::string name = std::filesystem::relative(entry.path(), root).generic_string();
        entries.insert(name + (entry.is_symlink() ? "@" : entry.is_directory() ? "/" : ""));
    }
    return entries;
}

inline ConfigOption CopyOption(const std::string& source, const std::string& dest)
{
    ConfigOption option;
    option.setType("Copy");
    option.setSource(source);
    option.setDest(dest);
    return option;
}
