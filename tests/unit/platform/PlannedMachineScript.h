// Steps run on a MachineChanges, each answer written down, so that a plan's answers can be set
// beside the machine's own; and what the machine holds, to tell that a plan changed nothing.
#pragma once

#include "platform/MachineChanges.h"
#include "TempFolder.h"

#include <functional>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

struct Transcript {
    std::vector<std::string> lines;

    // A Win32 result, with the last error when it failed.
    void Add(const std::string& step, BOOL result);
    void Add(const std::string& step, bool result);
    void Add(const std::string& step, const RegistryChange& result);
    void Add(const std::string& step, const std::optional<std::string>& text);
    bool operator==(const Transcript&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Transcript& transcript);

using Script = std::function<Transcript(MachineChanges&, const TempFolder&)>;

// Every file (with its bytes) and folder of the test's folder, and every key and value below
// HKEY_LOCAL_MACHINE\SOFTWARE\TarnwickTest.
struct MachineState {
    std::map<std::string, std::string> files; // "(folder)" for a folder
    std::map<std::string, std::string> registry; // key + '\n' + value name (nothing for the key)
    bool operator==(const MachineState&) const = default;
};
std::ostream& operator<<(std::ostream& out, const MachineState& state);
MachineState Snapshot(const TempFolder& folder);
