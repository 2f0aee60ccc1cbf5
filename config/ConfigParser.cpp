#include "config/ConfigParser.h"

#include "config/TagReader.h"
#include "platform/CFile.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

namespace {

using tags::Attribute;
using tags::Keyword;

// Where a text stands in the parsed text. Small, so that starting an option costs little.
struct Span {
    std::uint16_t start = 0;
    std::uint16_t size = 0;
};
static_assert(ConfigParser::maxTextSize <= UINT16_MAX);
static_assert(ConfigParser::maxTextSize == tags::maxTextSize);

// An option as it is read: its texts are only located until the end of the text, when all options
// get their records at once.
struct PendingOption {
    std::array<Span, ConfigOption::TextCount> texts {};
    bool enabled = true;
    bool visible = true;
};

// Applies one tag at a time to the configuration being built.
class SegmentReader {
public:
    // text: the whole text, of which read is given one tag at a time.
    explicit SegmentReader(std::string_view text)
        : m_text(text)
    {
        m_options.reserve(expectedOptions);
    }
    void read(const tags::Tag& tag);
    InstallConfig finish();

private:
    void readDir(const tags::Tag& tag);
    void readOption(const tags::Tag& tag);
    Span spanOf(std::string_view value) const
    {
        if (value.empty())
            return {};
        return { static_cast<std::uint16_t>(value.data() - m_text.data()),
            static_cast<std::uint16_t>(value.size()) };
    }

    // Enough for any real package; the main page shows only seven.
    static constexpr std::size_t expectedOptions = 32;

    std::string_view m_text;
    InstallConfig m_config;
    // The last one is the current option.
    std::vector<PendingOption> m_options;
    tags::OptionGroups m_groups;
};

void SegmentReader::read(const tags::Tag& tag)
{
    switch (tag.keyword()) {
    case Keyword::IsJava:
        m_config.isJava = tag.flag();
        break;
    case Keyword::ClassPath:
        m_config.setClassPath(tag.value());
        break;
    case Keyword::InstallTitle:
        m_config.setInstallTitle(tag.value());
        break;
    case Keyword::RestartCf:
        m_config.restartServer = tag.flag();
        break;
    case Keyword::Dir:
        readDir(tag);
        break;
    case Keyword::Option:
        readOption(tag);
        break;
    case Keyword::None:
        break;
    }
}

void SegmentReader::readDir(const tags::Tag& tag)
{
    const tags::Setting setting = tag.setting();
    const int row = tags::dirRow(tag.selector());
    switch (setting.attribute) {
    case Attribute::Visible:
        (row == 2          ? m_config.dir2Visible
                : row == 3 ? m_config.dir3Visible
                           : m_config.dir1Visible)
            = setting.flag();
        break;
    case Attribute::Caption:
        if (row == 2)
            m_config.setDir2Caption(setting.value);
        else if (row == 3)
            m_config.setDir3Caption(setting.value);
        else
            m_config.setDir1Caption(setting.value);
        break;
    case Attribute::Value:
        if (row == 2)
            m_config.setDir2Value(setting.value);
        else if (row == 3)
            m_config.setDir3Value(setting.value);
        else
            m_config.setDir1Value(setting.value);
        break;
    default:
        break;
    }
}

// A change of group character from the previous option tag starts the next option, even when no
// attribute matches.
void SegmentReader::readOption(const tags::Tag& tag)
{
    if (m_groups.starts(tag.selector()))
        m_options.emplace_back();
    PendingOption& option = m_options.back();
    const tags::Setting setting = tag.setting();
    switch (setting.attribute) {
    case Attribute::Visible:
        option.visible = setting.flag();
        break;
    case Attribute::Enabled:
        option.enabled = setting.flag();
        break;
    case Attribute::Caption:
        option.texts[ConfigOption::Caption] = spanOf(setting.value);
        break;
    case Attribute::Type:
        option.texts[ConfigOption::Type] = spanOf(setting.value);
        break;
    case Attribute::TagName:
        option.texts[ConfigOption::TagName] = spanOf(setting.value);
        break;
    case Attribute::Class:
        option.texts[ConfigOption::ClassName] = spanOf(setting.value);
        break;
    case Attribute::Description:
        option.texts[ConfigOption::Description] = spanOf(setting.value);
        break;
    case Attribute::Source:
        option.texts[ConfigOption::Source] = spanOf(setting.value);
        break;
    case Attribute::Dest:
        option.texts[ConfigOption::Dest] = spanOf(setting.value);
        break;
    case Attribute::None:
    case Attribute::Value:
        break;
    }
}

// What the options of one file share: their records, and one copy of the text for all their
// texts. Small copies, one per text, would cost more than the whole text at once.
struct ParsedOptions {
    std::unique_ptr<char[]> text;
    std::vector<ConfigOption> records;
};

InstallConfig SegmentReader::finish()
{
    if (m_options.empty())
        return std::move(m_config);
    const auto parsed = std::make_shared<ParsedOptions>();
    parsed->text = std::make_unique_for_overwrite<char[]>(m_text.size());
    const char* const text = parsed->text.get();
    std::memcpy(parsed->text.get(), m_text.data(), m_text.size());
    // Never grown afterwards, so the records stay where the configuration points.
    parsed->records.reserve(m_options.size());
    ConfigOptionList options;
    options.reserve(m_options.size());
    for (const PendingOption& option : m_options) {
        // Filled in one go rather than cleared first and then filled.
        const auto view = [&](ConfigOption::Text which) {
            return std::string_view(text + option.texts[which].start, option.texts[which].size);
        };
        ConfigOption& record = parsed->records.emplace_back(ConfigOption::Texts { view(ConfigOption::Caption),
            view(ConfigOption::TagName), view(ConfigOption::ClassName), view(ConfigOption::Description),
            view(ConfigOption::Source), view(ConfigOption::Dest), view(ConfigOption::Type) });
        record.enabled = option.enabled;
        record.visible = option.visible;
        options.emplace_back(parsed, &record);
    }
    m_config.setOptions(std::move(options));
    return std::move(m_config);
}

} // namespace

InstallConfig ConfigParser::parse(const std::string& path)
{
    // Zeroed, so a file that cannot be read parses as whatever arrived before the failure.
    std::array<char, maxTextSize> buffer {};
    CFile file;
    if (!file.Open(path.c_str(), CFile::modeRead)) {
        loaded = false;
    } else {
        UINT total = 0;
        while (total < buffer.size()) {
            const UINT count = file.Read(buffer.data() + total, static_cast<UINT>(buffer.size() - total));
            if (count == CFile::readError) {
                loaded = false;
                break;
            }
            // Only 0 is the end of the file; a short read may be followed by more.
            if (count == 0)
                break;
            total += count;
        }
        file.Close();
    }
    return parseText(std::string_view(buffer.data(), buffer.size()));
}

InstallConfig ConfigParser::parseText(std::string_view text)
{
    text = tags::readableText(text);
    SegmentReader reader(text);
    tags::forEachTag(text, [&reader](const tags::Tag& tag) { reader.read(tag); });
    return reader.finish();
}

std::string_view ConfigParser::extractValue(std::string_view segment)
{
    return tags::valueOf(segment, segment.find('='), segment.find('>'));
}

bool ConfigParser::parseFlag(std::string_view value)
{
    return tags::parseFlag(value);
}
