#include "config/ConfigOption.h"

std::string ConfigOption::getCaption() const
{
    return m_caption;
}
void ConfigOption::setCaption(std::string_view caption)
{
    m_caption.assign(caption);
}
std::string ConfigOption::getTagName() const
{
    return m_tagName;
}
void ConfigOption::setTagName(std::string_view tagName)
{
    m_tagName.assign(tagName);
}
std::string ConfigOption::getClassName() const
{
    return m_className;
}
void ConfigOption::setClassName(std::string_view className)
{
    m_className.assign(className);
}
std::string ConfigOption::getDescription() const
{
    return m_description;
}
void ConfigOption::setDescription(std::string_view description)
{
    m_description.assign(description);
}
std::string ConfigOption::getSource() const
{
    return m_source;
}
void ConfigOption::setSource(std::string_view source)
{
    m_source.assign(source);
}
std::string ConfigOption::getDest() const
{
    return m_dest;
}
void ConfigOption::setDest(std::string_view dest)
{
    m_dest.assign(dest);
}
std::string ConfigOption::getType() const
{
    return m_type;
}
void ConfigOption::setType(std::string_view type)
{
    m_type.assign(type);
}
