// What status says: each difference for people, on standard error, and each item and the summary
// as one JSON object a line.
#pragma once

#include "cli/log/JsonLine.h"
#include "cli/status/DesiredState.h"
#include "cli/status/ItemCheck.h"

#include <string>
#include <vector>

struct StatusOutcome {
    std::string title; // the package's, from install.conf
    std::vector<DesiredItem> items;
    std::vector<ItemFinding> findings; // one for each item, in the same order
    // Why the install would not leave all it means to (an option that fails, the licence): then
    // the package is not installed, whatever the items say. Empty when it would.
    std::string stop;
    std::vector<std::string> warnings; // the answers' warnings, as install gives them

    bool Installed() const;
};

// The difference an item makes, on one line: empty for an item in place.
std::string DifferenceText(const DesiredItem& item, const ItemFinding& finding);

// The last line when the package is not installed.
std::string SummaryText(const StatusOutcome& outcome);

// {"kind":..., "path" or "key" and "name", "state", "expected", "found"}.
JsonLine ItemJson(const DesiredItem& item, const ItemFinding& finding);

// {"kind":"summary", "title", "installed", the counts by state, "stop", "warnings"}.
JsonLine SummaryJson(const StatusOutcome& outcome);
