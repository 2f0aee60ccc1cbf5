// A copy whose bytes someone wants to see, such as a log that records a digest of each copied
// file: the platform hands them over while it copies, so nobody has to read the copy again.
#pragma once

#include "platform/win32.h"

#include <cstddef>

class CopiedBytes {
public:
    virtual ~CopiedBytes() = default;
    // The source is open and the copy is about to be made: the last moment to get ready for it
    // (a log finishes the line of the change before), or to stop it: false, and the copy is not
    // made (a log that can no longer record it).
    virtual bool BeforeCopy() { return true; }
    // The next bytes of the copy, in order.
    virtual void Take(const void* data, std::size_t size) = 0;
    // The copy was made, but not all of it could be handed over.
    virtual void Lost() = 0;
};

// CopyFileA, also handing bytes everything the copy holds: TRUE when the copy was made (after
// BeforeCopy, with Take or, rarely, Lost), or FALSE with the last error set, when bytes may have
// seen part of a copy that is not there. When BeforeCopy refuses, nothing is copied: FALSE with
// ERROR_CANCELLED.
BOOL CopyFileSeeing(LPCSTR existingFile, LPCSTR newFile, BOOL failIfExists, CopiedBytes& bytes);
