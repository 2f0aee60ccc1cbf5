// What an install has changed so far, kept as it goes, in the form undo takes back from a log
// (ReadInstallLog): a rollback of a failed run is an undo of this record. A change is entered when
// it begins, in flight, and settled once the machine says how it went.
#pragma once

#include "cli/undo/InstallLog.h"

#include <vector>

class RunRecord {
public:
    // The change about to be made, in flight until Made or Refused. It has no log line: a change
    // kept by the rollback names line 0.
    void Begin(Change change);
    // The change begun last was made; bytes and sha256: a copy's size and digest.
    void Made();
    void Made(std::uint64_t bytes, std::string sha256);
    // The change begun last did not happen at all (the registry refused it): nothing to take back.
    // A copy or folder that failed stays in flight instead: part of it may be there.
    void Refused();

    // Oldest first, as a log lists them.
    const std::vector<Change>& Changes() const { return m_changes; }

private:
    // The change begun last, when it is still in flight.
    Change* Open();

    std::vector<Change> m_changes;
};
