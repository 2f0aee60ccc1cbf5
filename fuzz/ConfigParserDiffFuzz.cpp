// Arbitrary bytes parsed by the current install.conf parser and by the reference copy of the one it
// replaced: every field of the configuration and of every option must come out byte for byte the
// same. Each input is also parsed a second time shifted so that it straddles the size limit.
#include "config/ConfigParser.h"
#include "fuzz/ReferenceConfigParser.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>

namespace {

void expectSame(const std::string& actual, const std::string& expected, const char* field)
{
    if (actual != expected) {
        std::fprintf(
            stderr, "%s differs: \"%s\" instead of \"%s\"\n", field, actual.c_str(), expected.c_str());
        std::abort();
    }
}

void expectSame(bool actual, bool expected, const char* field)
{
    if (actual != expected) {
        std::fprintf(stderr, "%s differs: %d instead of %d\n", field, actual, expected);
        std::abort();
    }
}

void expectSameOption(const ConfigOption& actual, const ReferenceConfigOption& expected)
{
    expectSame(actual.enabled, expected.enabled, "enabled");
    expectSame(actual.visible, expected.visible, "visible");
    expectSame(actual.getCaption(), expected.getCaption(), "caption");
    expectSame(actual.getTagName(), expected.getTagName(), "tagName");
    expectSame(actual.getClassName(), expected.getClassName(), "className");
    expectSame(actual.getDescription(), expected.getDescription(), "description");
    expectSame(actual.getSource(), expected.getSource(), "source");
    expectSame(actual.getDest(), expected.getDest(), "dest");
    expectSame(actual.getType(), expected.getType(), "type");
}

void expectSameConfig(const InstallConfig& actual, const ReferenceInstallConfig& expected)
{
    expectSame(actual.dir1Visible, expected.dir1Visible, "dir1Visible");
    expectSame(actual.dir2Visible, expected.dir2Visible, "dir2Visible");
    expectSame(actual.dir3Visible, expected.dir3Visible, "dir3Visible");
    expectSame(actual.isJava, expected.isJava, "isJava");
    expectSame(actual.restartServer, expected.restartServer, "restartServer");
    expectSame(actual.getClassPath(), expected.getClassPath(), "classPath");
    expectSame(actual.getInstallTitle(), expected.getInstallTitle(), "installTitle");
    expectSame(actual.getDir1Caption(), expected.getDir1Caption(), "dir1Caption");
    expectSame(actual.getDir2Caption(), expected.getDir2Caption(), "dir2Caption");
    expectSame(actual.getDir3Caption(), expected.getDir3Caption(), "dir3Caption");
    expectSame(actual.getDir1Value(), expected.getDir1Value(), "dir1Value");
    expectSame(actual.getDir2Value(), expected.getDir2Value(), "dir2Value");
    expectSame(actual.getDir3Value(), expected.getDir3Value(), "dir3Value");

    const ConfigOptionList options = actual.getOptions();
    const ReferenceConfigOptionList expectedOptions = expected.getOptions();
    if (options.size() != expectedOptions.size()) {
        std::fprintf(stderr, "%zu options instead of %zu\n", options.size(), expectedOptions.size());
        std::abort();
    }
    // One record per option group, never one shared by two options.
    std::set<const ConfigOption*> records;
    for (std::size_t i = 0; i < options.size(); ++i) {
        if (!options[i] || !records.insert(options[i].get()).second)
            std::abort();
        expectSameOption(*options[i], *expectedOptions[i]);
    }
}

void expectSameParse(std::string_view text)
{
    const ReferenceInstallConfig expected = ReferenceConfigParser::parseText(text);
    // Read through a copy that outlives the parsed configuration, as the main page does.
    InstallConfig kept;
    {
        const InstallConfig parsed = ConfigParser::parseText(text);
        kept = parsed;
    }
    expectSameConfig(kept, expected);

    // A copied option keeps its texts, and changing the copy leaves the parsed record alone.
    const ConfigOptionList options = kept.getOptions();
    if (!options.empty()) {
        ConfigOption copy = *options.front();
        expectSameOption(copy, *expected.getOptions().front());
        copy.setSource(copy.getCaption() + "|" + copy.getDest());
        expectSameOption(*options.front(), *expected.getOptions().front());
        expectSame(
            copy.getSource(), options.front()->getCaption() + "|" + options.front()->getDest(), "source");
        expectSame(copy.getType(), options.front()->getType(), "type");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    expectSameParse(text);

    // The same bytes around the size limit: the cut falls in the middle of the input.
    std::string shifted(ConfigParser::maxTextSize - std::min(size / 2, ConfigParser::maxTextSize), ' ');
    shifted.append(text);
    expectSameParse(shifted);

    // The value and flag rules on a whole input taken as one segment.
    const std::string_view value = ConfigParser::extractValue(text);
    const std::string_view expectedValue = ReferenceConfigParser::extractValue(text);
    if (value != expectedValue || (!value.empty() && value.data() != expectedValue.data()))
        std::abort();
    if (ConfigParser::parseFlag(text) != ReferenceConfigParser::parseFlag(text))
        std::abort();
    return 0;
}
