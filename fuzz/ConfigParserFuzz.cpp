// Arbitrary bytes as install.conf text, and as one segment for the value and flag rules.
#include "config/ConfigParser.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    const InstallConfig config = ConfigParser::parseText(text);
    if (config.getInstallTitle().size() > ConfigParser::maxTextSize)
        std::abort();
    for (const ConfigOptionPtr& option : config.getOptions()) {
        if (!option)
            std::abort();
    }

    // A value is always a view into the segment it came from.
    const std::string_view value = ConfigParser::extractValue(text);
    if (!value.empty()
        && (value.data() < text.data() || value.data() + value.size() > text.data() + text.size()))
        std::abort();
    (void)ConfigParser::parseFlag(value);
    (void)ConfigParser::parseFlag(text);
    return 0;
}
