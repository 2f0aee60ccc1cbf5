// HMAC-SHA-256 (RFC 2104) under one key for many messages, for signing every line of a log. The
// key's inner and outer blocks are hashed once, when the object is made; a message then costs two
// copies of a small state and the hashing of the message and of one digest, with no allocation.
#pragma once

#include "cli/log/Sha256.h"

#include <string_view>

class Hmac {
public:
    // Any length; a key longer than a block (64 bytes) is hashed first, as the standard says.
    explicit Hmac(std::string_view key);

    // The tag of one message, whole.
    [[nodiscard]] Sha256Digest Sign(std::string_view message) const;

    // The tag of a message given in pieces: Update for each, then Finish, after which the next
    // message starts.
    void Update(std::string_view piece) { m_message.Update(piece); }
    [[nodiscard]] Sha256Digest Finish();

    // Whether tag is the first tag.size() bytes (at least 16, at most 32) of the message's tag,
    // compared in a time that does not depend on where they differ.
    [[nodiscard]] bool Verify(std::string_view message, std::string_view tag) const;

private:
    Sha256Digest Outer(const Sha256Digest& inner) const;

    Sha256 m_inner; // the key's inner block taken in
    Sha256 m_outer; // the key's outer block taken in
    Sha256 m_message; // m_inner and the pieces given since the last Finish
};
