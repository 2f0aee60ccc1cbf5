#include "cli/status/ItemCheck.h"

#include "cli/log/FileDigest.h"

namespace {

ItemFinding CheckFolder(const DesiredItem& item, MachineChanges& machine)
{
    ItemFinding finding;
    const PathState state = machine.LookAt(item.path);
    if (!state.present)
        finding.state = ItemState::Missing;
    else if (!state.folder) {
        finding.state = ItemState::Different;
        finding.found = "file";
    }
    return finding;
}

ItemFinding CheckFile(const DesiredItem& item, MachineChanges& machine)
{
    ItemFinding finding;
    const PathState source = machine.LookAt(item.data);
    finding.expected = { source.bytes, source.present && !source.folder ? Sha256OfFile(item.data) : "" };
    const PathState state = machine.LookAt(item.path);
    if (!state.present) {
        finding.state = ItemState::Missing;
        return finding;
    }
    if (state.folder) {
        finding.state = ItemState::Different;
        finding.found = "folder";
        return finding;
    }
    finding.foundFile = FileFacts { state.bytes, Sha256OfFile(item.path) };
    // A source that cannot be read cannot be matched: the copy is not known to be right.
    if (finding.expected.sha256.empty() || finding.foundFile->bytes != finding.expected.bytes
        || finding.foundFile->sha256 != finding.expected.sha256)
        finding.state = ItemState::Different;
    return finding;
}

ItemFinding CheckValue(const DesiredItem& item, MachineChanges& machine)
{
    ItemFinding finding;
    finding.found = machine.StoredText(item.root, item.keyPath, item.name);
    if (!finding.found)
        finding.state = ItemState::Missing;
    else if (item.entries ? !HoldsEntries(*finding.found, item.data) : *finding.found != item.data)
        finding.state = ItemState::Different;
    return finding;
}

} // namespace

ItemFinding CheckItem(const DesiredItem& item, MachineChanges& machine)
{
    switch (item.kind) {
    case DesiredItem::Kind::Folder:
        return CheckFolder(item, machine);
    case DesiredItem::Kind::File:
        return CheckFile(item, machine);
    case DesiredItem::Kind::Value:
        return CheckValue(item, machine);
    case DesiredItem::Kind::Key:
        break;
    }
    KeyNames names;
    ItemFinding finding;
    if (!machine.ListKey(item.root, item.keyPath, names))
        finding.state = ItemState::Missing;
    return finding;
}

const char* StateName(ItemState state)
{
    switch (state) {
    case ItemState::InPlace:
        return "in-place";
    case ItemState::Missing:
        return "missing";
    case ItemState::Different:
        return "different";
    }
    return "different";
}
