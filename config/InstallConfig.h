// What install.conf says about a package. Copies are cheap and share the option records, which
// are never changed once parsed.
#pragma once

#include "config/ConfigOption.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

using ConfigOptionPtr = std::shared_ptr<const ConfigOption>;
using ConfigOptionList = std::vector<ConfigOptionPtr>;

class InstallConfig {
public:
    // The main page has this many option check boxes, and Install walks only those: an option
    // past them is read but never shown and never installed.
    static constexpr std::size_t maxOptions = 7;

    // Directory row n (label, path box, Browse button) is shown.
    bool dir1Visible = false;
    bool dir2Visible = false;
    bool dir3Visible = false;
    // Java package: the JVM page runs and the class path is extended at Install.
    bool isJava = false;
    // Offer a restart of the server's service after a successful installation.
    bool restartServer = false;

    std::string getClassPath() const;
    void setClassPath(std::string_view classPath);
    std::string getInstallTitle() const;
    void setInstallTitle(std::string_view installTitle);
    std::string getDir1Caption() const;
    void setDir1Caption(std::string_view caption);
    std::string getDir2Caption() const;
    void setDir2Caption(std::string_view caption);
    std::string getDir3Caption() const;
    void setDir3Caption(std::string_view caption);
    // A row's initial path; one beginning with "HKEY" names a registry value holding the path.
    std::string getDir1Value() const;
    void setDir1Value(std::string_view value);
    std::string getDir2Value() const;
    void setDir2Value(std::string_view value);
    std::string getDir3Value() const;
    void setDir3Value(std::string_view value);

    // The same records in the same order; option i belongs to check box i of the main page.
    ConfigOptionList getOptions() const;
    void addOption(ConfigOptionPtr option);
    // All the options at once, in place of any added before.
    void setOptions(ConfigOptionList options);

private:
    std::string m_classPath;
    std::string m_installTitle = "Tarnwick";
    std::string m_dir1Caption;
    std::string m_dir2Caption;
    std::string m_dir3Caption;
    std::string m_dir1Value;
    std::string m_dir2Value;
    std::string m_dir3Value;
    ConfigOptionList m_options;
};
