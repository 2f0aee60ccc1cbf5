// Applies one option of a package by its type.
#pragma once

#include "config/ConfigOption.h"
#include "engine/DirectoryTexts.h"

class InstallEngine {
public:
    // Dispatches on the whole, case-sensitive type: "Copy", "JavaCFX", "C++CFX", "ODBC"; any other
    // type does nothing. true when the option counts as installed; false (only a "Copy" can fail)
    // when the installation must stop, after whatever message explains it.
    bool ApplyOption(const ConfigOption& option, const DirectoryTexts& directories) const;
};
