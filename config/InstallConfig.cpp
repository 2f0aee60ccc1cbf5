#include "config/InstallConfig.h"

#include <utility>

std::string InstallConfig::getClassPath() const
{
    return m_classPath;
}
void InstallConfig::setClassPath(std::string_view classPath)
{
    m_classPath.assign(classPath);
}
std::string InstallConfig::getInstallTitle() const
{
    return m_installTitle;
}
void InstallConfig::setInstallTitle(std::string_view installTitle)
{
    m_installTitle.assign(installTitle);
}
std::string InstallConfig::getDir1Caption() const
{
    return m_dir1Caption;
}
void InstallConfig::setDir1Caption(std::string_view caption)
{
    m_dir1Caption.assign(caption);
}
std::string InstallConfig::getDir2Caption() const
{
    return m_dir2Caption;
}
void InstallConfig::setDir2Caption(std::string_view caption)
{
    m_dir2Caption.assign(caption);
}
std::string InstallConfig::getDir3Caption() const
{
    return m_dir3Caption;
}
void InstallConfig::setDir3Caption(std::string_view caption)
{
    m_dir3Caption.assign(caption);
}
std::string InstallConfig::getDir1Value() const
{
    return m_dir1Value;
}
void InstallConfig::setDir1Value(std::string_view value)
{
    m_dir1Value.assign(value);
}
std::string InstallConfig::getDir2Value() const
{
    return m_dir2Value;
}
void InstallConfig::setDir2Value(std::string_view value)
{
    m_dir2Value.assign(value);
}
std::string InstallConfig::getDir3Value() const
{
    return m_dir3Value;
}
void InstallConfig::setDir3Value(std::string_view value)
{
    m_dir3Value.assign(value);
}

ConfigOptionList InstallConfig::getOptions() const
{
    return m_options;
}
void InstallConfig::addOption(ConfigOptionPtr option)
{
    m_options.push_back(std::move(option));
}
void InstallConfig::setOptions(ConfigOptionList options)
{
    m_options = std::move(options);
}
