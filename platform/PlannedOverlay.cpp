#include "platform/PlannedOverlay.h"

#include "platform/PathNames.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::size_t kBlock = 64 * 1024;

} // namespace

const std::string& PlannedOverlay::Fold(std::string_view path, std::string& into) const
{
    into.assign(path);
    FoldPathInPlace(into);
    return into;
}

const PlannedOverlay::Entry* PlannedOverlay::Find(const std::string& path)
{
    const auto entry = m_entries.find(Fold(path, m_folded));
    return entry == m_entries.end() ? nullptr : &entry->second;
}

bool PlannedOverlay::MadeParentOf(const std::string& path)
{
    const std::size_t end = ParentEnd(path);
    if (end == std::string::npos)
        return false;
    const std::string& parent = Fold(std::string_view(path).substr(0, end), m_parentFolded);
    // A tree's files come folder by folder: the answer for the last folder usually holds.
    if (parent != m_parent) {
        const auto entry = m_entries.find(parent);
        m_parentMade = entry != m_entries.end() && entry->second.present && entry->second.folder;
        m_parent = parent;
    }
    return m_parentMade;
}

void PlannedOverlay::Set(const std::string& path, const Entry& entry)
{
    const std::string& key = Fold(path, m_folded);
    if (key == m_parent)
        m_parent.clear();
    Entry kept = entry;
    kept.contents = Keep(entry.contents);
    const auto found = m_entries.find(key);
    if (found != m_entries.end())
        found->second = kept;
    else
        m_entries.emplace(Keep(key), kept);
}

bool PlannedOverlay::MadeBelow(const std::string& folder) const
{
    std::string prefix;
    Fold(folder, prefix);
    if (prefix.back() != '\\')
        prefix += '\\';
    // A walk over everything the plan made: only an undo's plan asks, once a folder it removes.
    for (const auto& [name, state] : m_entries)
        if (state.present && name.size() > prefix.size() && name.compare(0, prefix.size(), prefix) == 0)
            return true;
    return false;
}

std::string_view PlannedOverlay::Keep(std::string_view text)
{
    if (text.empty())
        return {};
    if (m_room - m_used < text.size()) {
        m_room = std::max(kBlock, text.size());
        m_blocks.push_back(std::make_unique<char[]>(m_room));
        m_used = 0;
    }
    char* at = m_blocks.back().get() + m_used;
    std::memcpy(at, text.data(), text.size());
    m_used += text.size();
    return { at, text.size() };
}
