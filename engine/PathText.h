// Text operations on the paths of an option.
#pragma once

#include "engine/DirectoryTexts.h"

#include <string>

// Replaces "%DIR1%", then "%DIR2%", then "%DIR3%" by the directory texts: literal, case-sensitive,
// each pass on the result of the one before and never rescanning the text it has just inserted.
std::string ReplaceDirectoryPlaceholders(const std::string& text, const DirectoryTexts& directories);

// Replaces every pair of backslashes by one, scanning once from the left, so three in a row become
// two and four become two. A leading pair stays: it starts a network share, \\server\share.
std::string CollapseDoubledBackslashes(const std::string& path);

// The folder a directory row starts with: its value, or, for a value starting with "HKEY", the
// registry value that it names ("HKEY_LOCAL_MACHINE\key\path\value").
std::string DirectoryRowDefault(const std::string& value);
