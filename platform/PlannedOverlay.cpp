#include "platform/PlannedOverlay.h"

#include "platform/PathNames.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::size_t kBlock = 64 * 1024;

} // namespace

const std::string& PlannedOverlay::Fold(const std::string& path)
{
    if (path != m_path) {
        m_path = path;
        m_folded = path;
        FoldPathInPlace(m_folded);
        m_foundValid = false;
    }
    return m_folded;
}

const PlannedOverlay::Entry* PlannedOverlay::Find(const std::string& path)
{
    const std::string& key = Fold(path);
    if (!m_foundValid) {
        const auto entry = m_entries.find(key);
        m_found = entry == m_entries.end() ? nullptr : &entry->second;
        m_foundValid = true;
    }
    return m_found;
}

bool PlannedOverlay::MadeParentOf(const std::string& path)
{
    const std::size_t end = ParentEnd(path);
    if (end == std::string::npos)
        return false;
    // A tree's files come folder by folder: the answer for the last folder usually holds.
    if (!m_parentValid || m_parent.size() != end || path.compare(0, end, m_parent) != 0) {
        std::string parent = FoldedPath(path.substr(0, end));
        const auto entry = m_entries.find(parent);
        m_parentMade = entry != m_entries.end() && entry->second.present && entry->second.folder;
        m_parent.assign(path, 0, end);
        m_parentValid = true;
    }
    return m_parentMade;
}

void PlannedOverlay::Set(const std::string& path, const Entry& entry)
{
    Entry kept = entry;
    kept.contents = Keep(entry.contents);
    Find(path);
    Entry* existing = m_found;
    if (existing)
        *existing = kept;
    else
        m_found = &m_entries.emplace(Keep(m_folded), kept).first->second;
    m_foundValid = true;
    if (entry.folder || existing)
        m_parentValid = false; // the parent asked about may be this entry
}

bool PlannedOverlay::MadeBelow(const std::string& folder) const
{
    std::string prefix = FoldedPath(folder);
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
