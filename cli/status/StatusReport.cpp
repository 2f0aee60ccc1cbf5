#include "cli/status/StatusReport.h"

#include <algorithm>

namespace {

std::string Quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

std::string FactsText(const FileFacts& facts)
{
    return std::to_string(facts.bytes) + " bytes, SHA-256 " + facts.sha256;
}

const char* KindName(DesiredItem::Kind kind)
{
    switch (kind) {
    case DesiredItem::Kind::Folder:
        return "folder";
    case DesiredItem::Kind::File:
        return "file";
    case DesiredItem::Kind::Key:
        return "key";
    case DesiredItem::Kind::Value:
        break;
    }
    return "value";
}

std::string FileDifference(const DesiredItem& item, const ItemFinding& finding)
{
    const std::string what = "file " + item.path;
    if (finding.state == ItemState::Missing)
        return "missing: " + what + " (expected " + FactsText(finding.expected) + ", from " + item.data + ")";
    if (!finding.foundFile)
        return "different: " + what + " is a folder";
    if (finding.expected.sha256.empty())
        return "different: " + what + ": the package's file " + item.data + " cannot be read";
    return "different: " + what + ": found " + FactsText(*finding.foundFile) + ", expected "
        + FactsText(finding.expected);
}

std::string ValueDifference(const DesiredItem& item, const ItemFinding& finding)
{
    const std::string what = "value " + item.path + " " + Quoted(item.name);
    const std::string expected = item.entries ? "the entry " + Quoted(item.data) : Quoted(item.data);
    if (finding.state == ItemState::Missing)
        return "missing: " + what + " (expected " + expected + ")";
    return "different: " + what + ": found " + Quoted(finding.found.value_or(std::string())) + ", expected "
        + (item.entries ? "it to hold " : "") + expected;
}

JsonLine FactsJson(const FileFacts& facts)
{
    JsonLine object;
    object.Add("bytes", facts.bytes).Add("sha256", facts.sha256);
    return object;
}

void AddFound(JsonLine& line, const DesiredItem& item, const ItemFinding& finding)
{
    if (finding.state == ItemState::Missing)
        line.AddNull("found");
    else if (finding.foundFile)
        line.AddObject("found", FactsJson(*finding.foundFile));
    else if (finding.found)
        line.Add("found", *finding.found);
    else
        line.Add("found", KindName(item.kind)); // a folder or a key that is there
}

} // namespace

bool StatusOutcome::Installed() const
{
    return stop.empty() && std::all_of(findings.begin(), findings.end(), [](const ItemFinding& finding) {
        return finding.state == ItemState::InPlace;
    });
}

std::string DifferenceText(const DesiredItem& item, const ItemFinding& finding)
{
    if (finding.state == ItemState::InPlace)
        return {};
    switch (item.kind) {
    case DesiredItem::Kind::File:
        return FileDifference(item, finding);
    case DesiredItem::Kind::Value:
        return ValueDifference(item, finding);
    case DesiredItem::Kind::Folder:
        if (finding.state == ItemState::Different)
            return "different: folder " + item.path + " is a file";
        break;
    case DesiredItem::Kind::Key:
        break;
    }
    return std::string("missing: ") + KindName(item.kind) + " " + item.path;
}

std::string SummaryText(const StatusOutcome& outcome)
{
    const auto astray = std::count_if(outcome.findings.begin(), outcome.findings.end(),
        [](const ItemFinding& finding) { return finding.state != ItemState::InPlace; });
    const std::size_t total = outcome.findings.size();
    if (total == 0) // the install would stop before its first change
        return "not installed: " + outcome.title;
    if (static_cast<std::size_t>(astray) == total)
        return "not installed: " + outcome.title + " (none of its " + std::to_string(total)
            + " items is in place)";
    return "not installed: " + outcome.title + " (" + std::to_string(astray) + " of " + std::to_string(total)
        + " items missing or different)";
}

JsonLine ItemJson(const DesiredItem& item, const ItemFinding& finding)
{
    JsonLine line;
    line.Add("kind", KindName(item.kind));
    if (item.kind == DesiredItem::Kind::Folder || item.kind == DesiredItem::Kind::File)
        line.Add("path", item.path);
    else
        line.Add("key", item.path);
    if (item.kind == DesiredItem::Kind::Value)
        line.Add("name", item.name);
    if (item.kind == DesiredItem::Kind::File)
        line.Add("source", item.data);
    line.Add("state", StateName(finding.state));
    if (item.kind == DesiredItem::Kind::File)
        line.AddObject("expected", FactsJson(finding.expected));
    else if (item.kind == DesiredItem::Kind::Value)
        line.Add("expected", item.data);
    else
        line.Add("expected", KindName(item.kind));
    if (item.entries)
        line.Add("entry", true); // expected is an entry the value holds among others
    AddFound(line, item, finding);
    return line;
}

JsonLine SummaryJson(const StatusOutcome& outcome)
{
    std::uint64_t counts[3] = {};
    for (const ItemFinding& finding : outcome.findings)
        ++counts[static_cast<int>(finding.state)];
    std::string warnings = "[";
    for (const std::string& warning : outcome.warnings)
        warnings += (warnings.size() > 1 ? "," : "") + JsonString(warning);
    JsonLine line;
    line.Add("kind", "summary").Add("title", outcome.title).Add("installed", outcome.Installed());
    line.Add("items", static_cast<std::uint64_t>(outcome.findings.size()));
    line.Add("inPlace", counts[0]).Add("missing", counts[1]).Add("different", counts[2]);
    if (outcome.stop.empty())
        line.AddNull("stop");
    else
        line.Add("stop", outcome.stop);
    return line.AddRaw("warnings", warnings + "]");
}
