// Bytes of every value, the same for the same seed: file contents for tests of digests and copies.
#pragma once

#include <cstddef>
#include <random>
#include <string>

inline std::string RandomBytes(std::size_t size, unsigned seed)
{
    std::mt19937 generator(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes)
        c = static_cast<char>(generator() & 0xFF);
    return bytes;
}
