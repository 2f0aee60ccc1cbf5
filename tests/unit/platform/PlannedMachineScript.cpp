#include "PlannedMachineScript.h"

#include "RegistryHelpers.h"

#include <gtest/gtest.h>

#include "platform/PlannedMachine.h"
#include "platform/UniqueHandle.h"

#include <algorithm>
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

namespace {

std::string ReadWhole(const std::string& path)
{
    UniqueFile file(
        CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file)
        return "(unreadable)";
    std::string bytes;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr) && read > 0)
        bytes.append(buffer, read);
    return bytes;
}

std::string Joined(std::vector<std::string> names)
{
    std::sort(names.begin(), names.end());
    std::string text;
    for (const std::string& name : names)
        text += (text.empty() ? "" : ",") + name;
    return text;
}

} // namespace

void Transcript::Add(const std::string& step, const PathState& state)
{
    if (!state.present)
        lines.push_back(step + ": absent");
    else if (state.folder)
        lines.push_back(step + ": folder");
    else
        lines.push_back(step + ": file of " + std::to_string(state.bytes) + " bytes, \""
            + ReadWhole(state.contents) + "\""
            + ((state.attributes & FILE_ATTRIBUTE_READONLY) ? ", read-only" : ""));
}

void Transcript::Add(const std::string& step, bool listed, KeyNames names)
{
    lines.push_back(step + ": "
        + (listed ? "subkeys " + Joined(names.subkeys) + "; values " + Joined(names.values)
                  : "cannot be opened"));
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

void ExpectSameAnswers(const Script& script, const TempFolder& folder)
{
    const MachineState before = Snapshot(folder);
    PlannedMachine planned;
    const Transcript plan = script(planned, folder);
    EXPECT_EQ(Snapshot(folder), before) << "the plan changed the machine";
    MachineChanges machine;
    const Transcript made = script(machine, folder);
    EXPECT_EQ(plan, made);
    EXPECT_NE(Snapshot(folder), before) << "the script changed nothing: it tests nothing";
}
