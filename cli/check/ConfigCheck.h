// What the wizard would silently do with an install.conf: every tag read as the parser reads it,
// and the configuration the parser makes of it, looked at for what the author cannot have meant.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

enum class Severity { Warning, Error };

struct Finding {
    std::size_t offset = 0; // the byte of the file it points at: a tag's '<' or the character at fault
    Severity severity = Severity::Warning;
    std::string message;
};

// What a relative path of the package names.
enum class EntryKind { Missing, File, Folder };
using EntryProbe = std::function<EntryKind(const std::string& relativePath)>;

// file: the whole of install.conf, also what lies past the part that is read. probe answers for
// the package's own folders (a Copy's SOURCE). The findings come in no particular order.
std::vector<Finding> CheckConfigText(std::string_view file, const EntryProbe& probe);
