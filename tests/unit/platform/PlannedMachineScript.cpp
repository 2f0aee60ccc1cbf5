#include "PlannedMachineScript.h"

#include "RegistryHelpers.h"

#include <filesystem>

void Transcript::Add(const std::string& step, BOOL result)
{
    lines.push_back(step + ": " + (result ? "TRUE" : "FALSE, error " + std::to_string(GetLastError())));
}

void Transcript::Add(const std::string& step, bool result)
{
    lines.push_back(step + ": " + (result ? "true" : "false"));
}

void Transcript::Add(const std::string& step, const RegistryChange& result)
{
    lines.push_back(step + ": open " + std::to_string(result.open) + ", change "
        + std::to_string(result.change) + (result.created ? ", created" : ""));
}

void Transcript::Add(const std::string& step, const std::optional<std::string>& text)
{
    lines.push_back(step + ": " + (text ? "\"" + *text + "\"" : "(absent)"));
}

std::ostream& operator<<(std::ostream& out, const Transcript& transcript)
{
    for (const std::string& line : transcript.lines)
        out << "\n  " << line;
    return out;
}

namespace {

void AddKey(HKEY root, const std::string& path, MachineState& state)
{
    if (!KeyExists(root, path))
        return;
    state.registry[path + '\n'];
    for (const auto& [name, data] : ReadStrings(root, path))
        state.registry[path + '\n' + name] = data;
    for (const std::string& child : SubKeyNames(root, path))
        AddKey(root, path + "\\" + child, state);
}

} // namespace

MachineState Snapshot(const TempFolder& folder)
{
    MachineState state;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder.Host())) {
        const std::string name = entry.path().lexically_relative(folder.Host()).generic_string();
        if (entry.is_directory())
            state.files[name] = "(folder)";
        else
            state.files[name] = folder.Read(name);
    }
    AddKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\TarnwickTest", state);
    return state;
}

std::ostream& operator<<(std::ostream& out, const MachineState& state)
{
    for (const auto& [name, data] : state.files)
        out << "\n  " << name << ": " << data.size() << " bytes";
    for (const auto& [name, data] : state.registry)
        out << "\n  " << name << " = " << data;
    return out;
}
