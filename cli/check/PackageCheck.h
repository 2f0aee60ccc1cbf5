// check: what the wizard would silently do with a package's install.conf, as diagnostics in the
// form compilers use, so that editors and CI annotate the line.
#pragma once

#include "cli/check/ConfigCheck.h"
#include "cli/CommandLine.h"

#include <string>
#include <vector>

struct Diagnostic {
    std::string file; // the package's install.conf or license.txt, by that name
    int line = 0; // 1-based, in the file's lines (LF or CRLF)
    int column = 0; // 1-based, in bytes
    Severity severity = Severity::Warning;
    std::string message;
};

struct PackageCheck {
    bool opened = false; // install.conf could be read; without it there is nothing to check
    std::vector<Diagnostic> diagnostics; // file by file, in the order of their lines
};

// Checks the package in folder, a path as the platform writes it. The package's files are read by
// their relative names from inside the folder, as the wizard reads them; the current directory is
// restored afterwards.
PackageCheck CheckPackage(const std::string& folder);

// 0 clean, 1 warnings only, 2 errors, 1619 without install.conf.
int RunCheck(const CommandLine& line);
