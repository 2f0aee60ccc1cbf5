// The package's licence, license.txt of the current directory, as the licence page shows it.
#pragma once

#include <string>

struct LicenseText {
    // The most of license.txt that the page shows.
    static constexpr unsigned kMaxBytes = 16000;

    bool found = false;
    std::string text; // the first 16000 bytes, up to the first zero byte, unconverted
};

// Reads license.txt of the current directory. A file that opens but cannot be read counts as one
// that was not found.
LicenseText ReadLicenseText();
