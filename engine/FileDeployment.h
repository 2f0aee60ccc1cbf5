// "Copy" options: a folder tree of the package copied to a destination the user chose.
#pragma once

#include "config/ConfigOption.h"
#include "engine/DirectoryTexts.h"

#include <string>

// Substitutes the directory texts into the destination, collapses doubled backslashes in source
// and destination, makes sure the destination folder exists and copies the source tree into it.
// false when the installation must stop; the reason has been shown already, or the user declined
// to create the folder.
bool DeployFiles(const ConfigOption& option, const DirectoryTexts& directories);

// true when an entry of that name exists (a file counts) or the user agreed to create the folder
// and it was created. Only the last level is created.
bool EnsureDestinationFolder(std::string path);

// Copies the content of folder source into folder destination, depth first, overwriting files of
// the same name and deleting nothing. Every entry is attempted; false when any file failed to copy.
// A missing or empty source copies nothing and succeeds. Entries that are symbolic links or
// junctions are skipped, files and folders alike: a link could lead out of the package, or round
// in a circle.
bool CopyFolderTree(std::string source, std::string destination);
