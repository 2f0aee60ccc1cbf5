// Any bytes as install.conf through the package check, with a package folder that answers each
// source path by its length: every finding must point into the text and say something.
#include "cli/check/ConfigCheck.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto findings = CheckConfigText(text, [](const std::string& path) {
        return path.size() % 3 == 0 ? EntryKind::Folder
            : path.size() % 3 == 1  ? EntryKind::File
                                    : EntryKind::Missing;
    });
    for (const Finding& finding : findings)
        if (finding.offset > size || finding.message.empty())
            std::abort();
    return 0;
}
