#include "cli/check/PackageCheck.h"

#include "cli/check/FindingText.h"
#include "cli/ConsoleText.h"
#include "cli/ExitCodes.h"
#include "cli/log/JsonLine.h"
#include "platform/CFile.h"
#include "platform/CFileFind.h"
#include "platform/CurrentDirectory.h"
#include "platform/MachineSetup.h"
#include "platform/win32.h"
#include "settings/LicenseText.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace {

// Enough to see what lies past the part of a file that is read.
constexpr std::size_t kMostRead = 1 << 20;

// The file of the current directory, up to kMostRead bytes; false when it cannot be opened or read.
bool ReadFile(const char* name, std::string& content)
{
    CFile file;
    if (!file.Open(name, CFile::modeRead))
        return false;
    content.clear();
    char buffer[16384];
    while (content.size() < kMostRead) {
        const UINT count = file.Read(buffer, sizeof buffer);
        if (count == CFile::readError)
            return false;
        if (count == 0)
            break;
        content.append(buffer, count);
    }
    return true;
}

EntryKind ProbeEntry(const std::string& path)
{
    CFileFind find;
    if (!find.FindFile(path.c_str()))
        return EntryKind::Missing;
    find.FindNextFile();
    const bool folder = find.IsDirectory();
    find.Close();
    return folder ? EntryKind::Folder : EntryKind::File;
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The page shows the licence up to its first NUL byte, and at most its first 16,000 bytes.
std::vector<Finding> CheckLicence(std::string_view text)
{
    const auto filledFrom = [&](std::size_t from) {
        for (std::size_t i = from; i < text.size(); ++i)
            if (!IsBlank(text[i]) && text[i] != '\0')
                return true;
        return false;
    };
    const std::size_t shown = std::min<std::size_t>(text.size(), LicenseText::kMaxBytes);
    const std::size_t nul = text.substr(0, shown).find('\0');
    if (nul != std::string_view::npos) {
        if (filledFrom(nul))
            return { { nul, Severity::Error,
                "a NUL byte ends the licence here: the page shows nothing after it" } };
        return {};
    }
    if (text.size() > shown && filledFrom(shown))
        return { { shown, Severity::Error,
            "the licence page shows only the first " + check::WithCommas(LicenseText::kMaxBytes)
                + " bytes of license.txt: nothing from here on" } };
    return {};
}

// Line and column of each finding, in the file's lines.
void Locate(const std::string& file, std::string_view text, const std::vector<Finding>& findings,
    std::vector<Diagnostic>& out)
{
    std::vector<std::size_t> lineStarts { 0 };
    for (std::size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\n')
            lineStarts.push_back(i + 1);
    const std::size_t first = out.size();
    for (const Finding& finding : findings) {
        const auto line = std::upper_bound(lineStarts.begin(), lineStarts.end(), finding.offset) - 1;
        out.push_back({ file, static_cast<int>(line - lineStarts.begin()) + 1,
            static_cast<int>(finding.offset - *line) + 1, finding.severity, finding.message });
    }
    std::stable_sort(out.begin() + static_cast<std::ptrdiff_t>(first), out.end(),
        [](const Diagnostic& a, const Diagnostic& b) {
            return a.line != b.line ? a.line < b.line : a.column < b.column;
        });
}

// Goes back to the directory the program was in.
class DirectoryReturn {
public:
    DirectoryReturn()
        : m_previous(GetCurrentDirectoryText())
    { }
    ~DirectoryReturn()
    {
        if (!m_previous.empty())
            (void)SetCurrentDirectoryA(m_previous.c_str());
    }
    DirectoryReturn(const DirectoryReturn&) = delete;
    DirectoryReturn& operator=(const DirectoryReturn&) = delete;

private:
    std::string m_previous;
};

// A file of the package named as the command line names the package, so that an editor opens it.
std::string DisplayName(const std::string& package, const std::string& file)
{
    if (package == ".")
        return file;
    const char separator = static_cast<char>(std::filesystem::path::preferred_separator);
    const bool ends = !package.empty() && (package.back() == '/' || package.back() == '\\');
    return ends ? package + file : package + separator + file;
}

const char* SeverityName(Severity severity)
{
    return severity == Severity::Error ? "error" : "warning";
}

} // namespace

PackageCheck CheckPackage(const std::string& folder)
{
    PackageCheck result;
    const DirectoryReturn back;
    std::string error;
    if (!EnterFolder(folder, error))
        return result;
    std::string conf;
    if (!ReadFile("install.conf", conf))
        return result;
    result.opened = true;
    Locate("install.conf", conf, CheckConfigText(conf, ProbeEntry), result.diagnostics);
    std::string licence;
    if (ReadFile("license.txt", licence))
        Locate("license.txt", licence, CheckLicence(licence), result.diagnostics);
    return result;
}

int RunCheck(const CommandLine& line)
{
    const PackageCheck check = CheckPackage(line.package);
    if (!check.opened) {
        ReportError(line.package.c_str() + std::string(" holds no readable install.conf"));
        return kExitBadPackage;
    }
    int errors = 0;
    int warnings = 0;
    for (const Diagnostic& diagnostic : check.diagnostics) {
        (diagnostic.severity == Severity::Error ? errors : warnings) += 1;
        const std::string file = DisplayName(line.package, diagnostic.file);
        if (line.json) {
            JsonLine object;
            object.Add("file", file)
                .Add("line", diagnostic.line)
                .Add("column", diagnostic.column)
                .Add("severity", SeverityName(diagnostic.severity))
                .Add("message", diagnostic.message);
            PutText(stdout, object.Text().c_str() + std::string("\n"));
        } else {
            PutText(stdout,
                std::string(file.c_str()) + ":" + std::to_string(diagnostic.line) + ":"
                    + std::to_string(diagnostic.column) + ": " + SeverityName(diagnostic.severity) + ": "
                    + diagnostic.message.c_str() + "\n");
        }
    }
    if (!line.json)
        PutText(stderr,
            std::to_string(errors) + " error" + (errors == 1 ? "" : "s") + ", " + std::to_string(warnings)
                + " warning" + (warnings == 1 ? "" : "s") + "\n");
    return errors > 0 ? 2 : warnings > 0 ? 1 : kExitSuccess;
}
