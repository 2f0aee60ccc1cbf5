// What a plan has done to each file or folder it touched, by folded path: what it made, or an entry
// that is not present for what it removed. A plan of a large tree touches every file once, so each
// entry costs one node of the table and no text of its own: names and contents live in blocks that
// only grow, and a path is folded into a buffer kept for the purpose.
#pragma once

#include "platform/win32.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class PlannedOverlay {
public:
    struct Entry {
        bool present = false;
        bool folder = false;
        DWORD attributes = 0;
        ULONGLONG bytes = 0;
        std::string_view contents; // kept by the overlay as long as it lives
    };

    // path's entry, or nullptr when the plan has not touched it. Valid until the next Set.
    const Entry* Find(const std::string& path);
    // Whether the folder that holds path is one the plan made: what the plan did not put there is
    // not there, so the machine need not be asked.
    bool MadeParentOf(const std::string& path);
    // path's entry from now on; its contents are copied.
    void Set(const std::string& path, const Entry& entry);
    // Whether anything the plan made is below folder.
    bool MadeBelow(const std::string& folder) const;

private:
    // path folded into m_folded; the same path as last time is not folded again.
    const std::string& Fold(const std::string& path);
    std::string_view Keep(std::string_view text);

    std::unordered_map<std::string_view, Entry> m_entries;
    std::vector<std::unique_ptr<char[]>> m_blocks;
    std::size_t m_used = 0; // of the last block
    std::size_t m_room = 0; // the last block's size
    // The last path looked up, as written and folded, and what Find found for it: a plan asks
    // about a file and then sets it. Valid while m_foundValid; a Set ends it.
    std::string m_path;
    std::string m_folded;
    Entry* m_found = nullptr;
    bool m_foundValid = false;
    // The last parent asked about, as written, and whether the plan made it; the answer holds until
    // an entry is set.
    std::string m_parent;
    bool m_parentMade = false;
    bool m_parentValid = false;
};
