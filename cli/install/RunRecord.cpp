#include "cli/install/RunRecord.h"

void RunRecord::Begin(Change change)
{
    change.inFlight = true;
    m_changes.push_back(std::move(change));
}

Change* RunRecord::Open()
{
    return m_changes.empty() || !m_changes.back().inFlight ? nullptr : &m_changes.back();
}

void RunRecord::Made()
{
    if (Change* change = Open())
        change->inFlight = false;
}

void RunRecord::Made(std::uint64_t bytes, std::string sha256)
{
    if (Change* change = Open()) {
        change->inFlight = false;
        change->bytes = bytes;
        change->sha256 = std::move(sha256);
    }
}

void RunRecord::Refused()
{
    if (Open())
        m_changes.pop_back();
}
