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
    // Whether it is there, what it is, and the bytes its contents name.
    void Add(const std::string& step, const PathState& state);
    // The names sorted: the order of a listing is the registry's.
    void Add(const std::string& step, bool listed, KeyNames names);
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

// The script's transcript on a PlannedMachine, which must leave the machine as it was, against its
// transcript on the machine itself, which must change something.
void ExpectSameAnswers(const Script& script, const TempFolder& folder);
