// The install.conf parser and model as they stood before parsing went through one shared buffer,
// kept verbatim (names prefixed) so that fuzz_config_diff can hold the current parser to them.
// Reading from a file is left out: it is the same read loop in front of parseText.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// One option of a package: a check box on the main page and the installation step it runs.

class ReferenceConfigOption {
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

// What install.conf says about a package. Copies are cheap and share the option records, which
// are never changed once parsed.

using ReferenceConfigOptionPtr = std::shared_ptr<const ReferenceConfigOption>;
using ReferenceConfigOptionList = std::vector<ReferenceConfigOptionPtr>;

class ReferenceInstallConfig {
public:
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
    ReferenceConfigOptionList getOptions() const;
    void addOption(ReferenceConfigOptionPtr option);

private:
    std::string m_classPath;
    std::string m_installTitle = "Tarnwick";
    std::string m_dir1Caption;
    std::string m_dir2Caption;
    std::string m_dir3Caption;
    std::string m_dir1Value;
    std::string m_dir2Value;
    std::string m_dir3Value;
    ReferenceConfigOptionList m_options;
};

// Reads install.conf into a ReferenceInstallConfig. The format is a flat run of tags read by position
// arithmetic; nothing is ever a syntax error, unrecognised text is skipped.

class ReferenceConfigParser {
public:
    // Only this many bytes of the file are read; the rest is ignored.
    static constexpr std::size_t maxTextSize = 12048;

    // Parses text as the file's content: only its first maxTextSize bytes, up to its first NUL.
    [[nodiscard]] static ReferenceInstallConfig parseText(std::string_view text);

    // The value of one tag segment, as a view into it: from two past the segment's first '='
    // up to two before its first '>'. Without '=' it starts at the second character; a count
    // that comes out negative takes the rest of the segment.
    [[nodiscard]] static std::string_view extractValue(std::string_view segment);

    // False only for exactly "0", "no" or "false".
    [[nodiscard]] static bool parseFlag(std::string_view value);
};
