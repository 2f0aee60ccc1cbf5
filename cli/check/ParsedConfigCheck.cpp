#include "cli/check/ParsedConfigCheck.h"

#include "cli/check/FindingText.h"
#include "cli/check/TagText.h"
#include "cli/TextCase.h"
#include "config/ConfigParser.h"
#include "engine/PathText.h"

#include <array>
#include <string>
#include <utility>

namespace check {

using tags::Attribute;
using tags::Keyword;
using tags::npos;

namespace {

// Options are numbered in the order their groups begin, whatever their group characters.
std::string OptionLabel(std::size_t index, char group)
{
    std::string label = "option " + std::to_string(index + 1);
    if (group != static_cast<char>('1' + index))
        label += " (<OPTION" + std::string(1, group) + ")";
    return label;
}

// How many folders below the package a relative path ends, or -1 once it climbs out of it.
int DepthInPackage(std::string_view path)
{
    int depth = 0;
    std::size_t from = 0;
    while (from <= path.size()) {
        std::size_t to = path.find_first_of("\\/", from);
        if (to == npos)
            to = path.size();
        const std::string_view part = path.substr(from, to - from);
        if (part == "..")
            --depth;
        else if (!part.empty() && part != ".")
            ++depth;
        if (depth < 0)
            return -1;
        from = to + 1;
    }
    return depth;
}

// An option of the configuration beside the tags that set it, as its messages name it and
// point at it.
struct OptionView {
    const ConfigOption& option;
    const OptionPlaces& places;
    std::string label;

    // The last tag that set the attribute, or else the one that started the option.
    std::size_t TagOf(Attribute attribute) const
    {
        const std::size_t at = places.tagAt[Index(attribute)];
        return at != npos ? at : places.start;
    }
    std::string_view ValueOf(Attribute attribute) const { return places.values[Index(attribute)]; }
    // "has no TAGNAME" when no tag sets it, "an empty TAGNAME" when one sets it empty.
    std::string Lacks(Attribute attribute) const
    {
        const std::string name(tags::attributeText(attribute));
        return label + (places.tagAt[Index(attribute)] == npos ? " has no " + name : " has an empty " + name);
    }
};

class ConfigChecker {
public:
    ConfigChecker(std::string_view text, const TagPlaces& places, const EntryProbe& probe,
        std::vector<Finding>& findings)
        : m_text(text)
        , m_places(places)
        , m_probe(probe)
        , m_findings(findings)
    { }

    void CheckConfiguration(std::string_view file);

private:
    void Add(std::size_t offset, Severity severity, std::string message)
    {
        m_findings.push_back({ offset, severity, std::move(message) });
    }
    // Where the value of the attribute stands, or else its tag.
    std::size_t ValueAt(const OptionView& view, Attribute attribute) const
    {
        return OffsetIn(m_text, view.ValueOf(attribute), view.TagOf(attribute));
    }

    void CheckNoOption(std::string_view file);
    void CheckClassPath(const InstallConfig& config);
    void CheckOption(std::size_t index, const ConfigOption& option, const OptionPlaces& places);
    bool CheckType(const OptionView& view);
    void CheckCopy(const OptionView& view);
    void CheckDataSource(const OptionView& view);
    void CheckRegisteredTag(const OptionView& view);
    void CheckCopySource(const OptionView& view);
    void CheckPlaceholders(const OptionView& view, Attribute attribute, bool replaced);
    void CheckPlaceholders(std::string_view text, std::size_t at, std::string_view field, bool replaced);

    std::string_view m_text;
    const TagPlaces& m_places;
    const EntryProbe& m_probe;
    std::vector<Finding>& m_findings;
    std::array<bool, 3> m_rowVisible {};
    std::array<std::string, 3> m_rowValue;
};

void ConfigChecker::CheckConfiguration(std::string_view file)
{
    const InstallConfig config = ConfigParser::parseText(file);
    m_rowVisible = { config.dir1Visible, config.dir2Visible, config.dir3Visible };
    m_rowValue = { config.getDir1Value(), config.getDir2Value(), config.getDir3Value() };
    const ConfigOptionList options = config.getOptions();
    if (options.empty())
        CheckNoOption(file);
    // The parser and this walk group the same tags the same way.
    if (options.size() == m_places.options.size()) {
        for (std::size_t i = 0; i < options.size(); ++i)
            CheckOption(i, *options[i], m_places.options[i]);
    }
    CheckClassPath(config);
}

// An install of such a package ends with 0 and has installed nothing.
void ConfigChecker::CheckNoOption(std::string_view file)
{
    bool empty = true;
    for (char c : file)
        empty = empty && (IsBlank(c) || c == '\0');
    Add(0, Severity::Warning,
        empty ? "install.conf is empty: an install changes nothing"
              : "install.conf holds no option (<OPTION1 TYPE=...>): the main page shows no check box, and an "
                "install copies and registers nothing");
}

void ConfigChecker::CheckClassPath(const InstallConfig& config)
{
    const std::size_t isJavaAt = m_places.keywordAt[Index(Keyword::IsJava)];
    const std::size_t classPathAt = m_places.keywordAt[Index(Keyword::ClassPath)];
    const std::string_view classPath = m_places.keywordValues[Index(Keyword::ClassPath)];
    if (config.isJava && config.getClassPath().empty())
        Add(isJavaAt, Severity::Warning,
            "a Java package without CLASSPATH: the server's class path gains only a ';'");
    else if (config.isJava && classPath == config.getClassPath())
        CheckPlaceholders(classPath, OffsetIn(m_text, classPath, classPathAt), "CLASSPATH", true);
    else if (!config.isJava && !config.getClassPath().empty())
        Add(classPathAt, Severity::Warning, "CLASSPATH is not used: this is not a Java package (IS_JAVA)");
}

void ConfigChecker::CheckOption(std::size_t index, const ConfigOption& option, const OptionPlaces& places)
{
    const OptionView view { option, places, OptionLabel(index, places.group) };
    // The limit spelt out: changing it means rewording this message.
    static_assert(InstallConfig::maxOptions == 7, "the message says seven check boxes");
    if (index >= InstallConfig::maxOptions) {
        Add(places.start, Severity::Error,
            view.label + " is never shown and never installed: the main page has seven check boxes");
        return;
    }
    if (!CheckType(view))
        return;
    const std::string type = option.getType();
    if (type == "Copy")
        CheckCopy(view);
    else if (type == "ODBC")
        CheckDataSource(view);
    else
        CheckRegisteredTag(view);
}

// False when the option has no TYPE or one the wizard does not know: it does nothing then.
bool ConfigChecker::CheckType(const OptionView& view)
{
    const std::string type = view.option.getType();
    if (type.empty()) {
        Add(view.TagOf(Attribute::Type), Severity::Error, view.Lacks(Attribute::Type) + ": it does nothing");
        return false;
    }
    static constexpr std::array<std::string_view, 4> kTypes { "Copy", "JavaCFX", "C++CFX", "ODBC" };
    bool known = false;
    std::string hint = " (the types are Copy, JavaCFX, C++CFX and ODBC, written so)";
    for (std::string_view kind : kTypes) {
        known = known || type == kind;
        if (EqualsNoCase(type, kind))
            hint = " (write " + std::string(kind) + ")";
    }
    if (!known)
        Add(ValueAt(view, Attribute::Type), Severity::Error,
            view.label + " has the unknown TYPE " + Quoted(type) + ": it does nothing" + hint);
    return known;
}

void ConfigChecker::CheckCopy(const OptionView& view)
{
    CheckCopySource(view);
    CheckPlaceholders(view, Attribute::Source, false);
    if (view.option.getDest().empty())
        Add(view.TagOf(Attribute::Dest), Severity::Error,
            view.Lacks(Attribute::Dest) + ": the installation stops at it");
    else
        CheckPlaceholders(view, Attribute::Dest, true);
}

void ConfigChecker::CheckDataSource(const OptionView& view)
{
    if (view.option.getDescription().empty())
        Add(view.TagOf(Attribute::Description), Severity::Error,
            view.Lacks(Attribute::Description) + ", the data source's name: no data source is created");
    if (view.option.getSource().empty())
        Add(view.TagOf(Attribute::Source), Severity::Warning,
            view.Lacks(Attribute::Source) + ": the data source names no database file");
    CheckPlaceholders(view, Attribute::Source, false);
}

// A JavaCFX or C++CFX option: a custom tag of the server.
void ConfigChecker::CheckRegisteredTag(const OptionView& view)
{
    if (view.option.getTagName().empty())
        Add(view.TagOf(Attribute::TagName), Severity::Error,
            view.Lacks(Attribute::TagName) + ": no tag is registered");
    if (view.option.getClassName().empty())
        Add(view.TagOf(Attribute::Class), Severity::Warning,
            view.Lacks(Attribute::Class)
                + (view.option.getType() == "JavaCFX" ? ": the tag has no Java class"
                                                      : ": the tag has no library"));
    CheckPlaceholders(view, Attribute::Class, false);
}

void ConfigChecker::CheckCopySource(const OptionView& view)
{
    const std::string source = view.option.getSource();
    const std::size_t at = ValueAt(view, Attribute::Source);
    if (source.empty()) {
        Add(at, Severity::Error,
            view.Lacks(Attribute::Source)
                + ": the copy takes the root folder of the drive the package is on");
        return;
    }
    const std::string& label = view.label;
    const std::string path = CollapseDoubledBackslashes(source);
    if ((path.size() >= 2 && path[1] == ':') || path[0] == '\\' || path[0] == '/') {
        Add(at, Severity::Warning,
            label + " copies " + Quoted(source) + ", a folder of the machine rather than of the package");
        return;
    }
    const int depth = DepthInPackage(path);
    if (depth < 0) {
        Add(at, Severity::Warning, label + " copies " + Quoted(source) + ", which lies outside the package");
        return;
    }
    if (depth == 0) {
        Add(at, Severity::Warning,
            label + " copies the package folder itself, install.conf and license.txt included");
        return;
    }
    std::string folder = path;
    while (!folder.empty() && (folder.back() == '\\' || folder.back() == '/'))
        folder.pop_back();
    switch (m_probe(folder)) {
    case EntryKind::Folder:
        break;
    case EntryKind::File:
        Add(at, Severity::Error,
            label + " copies " + Quoted(source) + ", a file rather than a folder: it copies nothing");
        break;
    case EntryKind::Missing:
        Add(at, Severity::Error,
            label + " copies " + Quoted(source)
                + ", which is not a folder of the package: it copies nothing");
        break;
    }
}

// A field of the option; a field with no tag of its own points at the option's first.
void ConfigChecker::CheckPlaceholders(const OptionView& view, Attribute attribute, bool replaced)
{
    const std::string_view text = view.ValueOf(attribute);
    CheckPlaceholders(
        text, OffsetIn(m_text, text, view.places.start), tags::attributeText(attribute), replaced);
}

// %DIR1% .. %DIR3% become the texts of the folder rows in DEST and CLASSPATH, and nowhere else.
void ConfigChecker::CheckPlaceholders(
    std::string_view text, std::size_t at, std::string_view field, bool replaced)
{
    for (std::size_t i = text.find('%'); i != npos; i = text.find('%', i + 1)) {
        const std::string_view rest = text.substr(i);
        if (rest.size() < 6 || rest[5] != '%' || !EqualsNoCase(rest.substr(0, 4), "%DIR"))
            continue;
        const std::string placeholder(rest.substr(0, 6));
        const char row = rest[4];
        const bool exact = rest.starts_with("%DIR") && row >= '1' && row <= '3';
        const std::size_t pos = at + i;
        if (!exact) {
            Add(pos, Severity::Warning,
                placeholder + " is never replaced: only %DIR1%, %DIR2% and %DIR3% are, in upper case");
        } else if (!replaced) {
            Add(pos, Severity::Warning,
                placeholder + " stays as written in " + std::string(field)
                    + ": only DEST and CLASSPATH have their folder rows filled in");
        } else if (!m_rowVisible[row - '1']) {
            Add(pos, Severity::Error,
                placeholder + " stands for row " + row + ", which is hidden: it is replaced by nothing");
        } else if (m_rowValue[row - '1'].empty()) {
            Add(pos, Severity::Warning,
                placeholder + " stands for row " + row
                    + ", which has no VALUE: it is replaced by nothing unless the user fills the row in");
        }
        i += 5;
    }
}

} // namespace

void CheckParsedConfig(std::string_view file, std::string_view text, const TagPlaces& places,
    const EntryProbe& probe, std::vector<Finding>& findings)
{
    ConfigChecker(text, places, probe, findings).CheckConfiguration(file);
}

} // namespace check
