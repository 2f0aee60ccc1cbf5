#include "config/ConfigOption.h"

#include <cstring>
#include <utility>

std::string ConfigOption::getCaption() const
{
    return std::string(text(Caption));
}
void ConfigOption::setCaption(std::string_view value)
{
    set(Caption, value);
}
std::string ConfigOption::getTagName() const
{
    return std::string(text(TagName));
}
void ConfigOption::setTagName(std::string_view value)
{
    set(TagName, value);
}
std::string ConfigOption::getClassName() const
{
    return std::string(text(ClassName));
}
void ConfigOption::setClassName(std::string_view value)
{
    set(ClassName, value);
}
std::string ConfigOption::getDescription() const
{
    return std::string(text(Description));
}
void ConfigOption::setDescription(std::string_view value)
{
    set(Description, value);
}
std::string ConfigOption::getSource() const
{
    return std::string(text(Source));
}
void ConfigOption::setSource(std::string_view value)
{
    set(Source, value);
}
std::string ConfigOption::getDest() const
{
    return std::string(text(Dest));
}
void ConfigOption::setDest(std::string_view value)
{
    set(Dest, value);
}
std::string ConfigOption::getType() const
{
    return std::string(text(Type));
}
void ConfigOption::setType(std::string_view value)
{
    set(Type, value);
}

ConfigOption::ConfigOption(const ConfigOption& other)
    : enabled(other.enabled)
    , visible(other.visible)
{
    keep(other.m_texts);
}

ConfigOption& ConfigOption::operator=(const ConfigOption& other)
{
    if (this != &other) {
        enabled = other.enabled;
        visible = other.visible;
        keep(other.m_texts);
    }
    return *this;
}

void ConfigOption::set(Text which, std::string_view value)
{
    Texts texts = m_texts;
    texts[which] = value;
    keep(texts);
}

// The texts may be views into the current buffer, which is let go only once they are copied.
void ConfigOption::keep(const Texts& texts)
{
    std::size_t total = 0;
    for (std::string_view text : texts)
        total += text.size();
    auto own = std::make_unique_for_overwrite<char[]>(total);
    char* out = own.get();
    for (std::size_t i = 0; i < TextCount; ++i) {
        if (!texts[i].empty())
            std::memcpy(out, texts[i].data(), texts[i].size());
        m_texts[i] = std::string_view(out, texts[i].size());
        out += texts[i].size();
    }
    m_own = std::move(own);
}
