// One option of a package: a check box on the main page and the installation step it runs.
#pragma once

#include <string>
#include <string_view>

class ConfigOption {
public:
    // The check box starts ticked.
    bool enabled = true;
    // The check box is shown; a hidden ticked option still runs at Install.
    bool visible = true;

    std::string getCaption() const;
    void setCaption(std::string_view caption);
    std::string getTagName() const;
    void setTagName(std::string_view tagName);
    std::string getClassName() const;
    void setClassName(std::string_view className);
    std::string getDescription() const;
    void setDescription(std::string_view description);
    std::string getSource() const;
    void setSource(std::string_view source);
    std::string getDest() const;
    void setDest(std::string_view dest);
    // "Copy", "JavaCFX", "C++CFX" or "ODBC" for the engine; any other text is kept as written.
    std::string getType() const;
    void setType(std::string_view type);

private:
    std::string m_caption;
    std::string m_tagName;
    std::string m_className;
    std::string m_description;
    std::string m_source;
    std::string m_dest;
    std::string m_type;
};
