// One option of a package: a check box on the main page and the installation step it runs.
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

class ConfigOption {
public:
    // The seven texts, in the order the parser hands them over.
    enum Text : std::size_t { Caption, TagName, ClassName, Description, Source, Dest, Type, TextCount };
    using Texts = std::array<std::string_view, TextCount>;

    // Visible and ticked, with all seven texts empty.
    ConfigOption() = default;
    // Visible and ticked, with the seven texts as views into bytes that must stay unchanged for
    // as long as the record lives: the parser keeps one copy of the file's text beside the records
    // of all its options instead of a string per text. A copy of the record has texts of its own.
    explicit ConfigOption(const Texts& texts)
        : m_texts(texts)
    { }
    ConfigOption(const ConfigOption& other);
    ConfigOption(ConfigOption&& other) noexcept = default;
    ConfigOption& operator=(const ConfigOption& other);
    ConfigOption& operator=(ConfigOption&& other) noexcept = default;
    ~ConfigOption() = default;

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
    std::string_view text(Text which) const { return m_texts[which]; }
    void set(Text which, std::string_view value);
    // Points the texts at a copy of the given ones in a buffer of the record's own.
    void keep(const Texts& texts);

    // Views into m_own, or into the bytes given to the constructor.
    Texts m_texts {};
    std::unique_ptr<char[]> m_own;
};
