// The package tree the copy and install benchmarks share: 10,000 files of 1 to 8 KB in 100 folders
// two levels deep, like a large tag library with examples, made once per process in memory where
// the machine has it, so the figures show the code rather than the disk.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <unistd.h>

namespace bench {

inline constexpr int kTreeFiles = 10000;

// A fresh folder for this process, removed by RemoveWorkFolder.
inline const std::filesystem::path& WorkFolder()
{
    static const std::filesystem::path base = [] {
        std::error_code error;
        const std::filesystem::path temp = std::filesystem::is_directory("/dev/shm", error)
            ? std::filesystem::path("/dev/shm")
            : std::filesystem::temp_directory_path();
        return temp / ("tarnwick-bench-" + std::to_string(::getpid()));
    }();
    return base;
}

inline void MakeTree(const std::filesystem::path& tree)
{
    std::string content;
    for (int folder = 0; folder < 100; ++folder) {
        const std::filesystem::path dir
            = tree / ("group" + std::to_string(folder / 10)) / ("tags" + std::to_string(folder));
        std::filesystem::create_directories(dir);
        for (int file = 0; file < 100; ++file) {
            content.assign(1024 * (1 + (folder * 100 + file) % 8), static_cast<char>('a' + file % 26));
            std::ofstream(dir / ("tag" + std::to_string(file) + ".cfm"), std::ios::binary) << content;
        }
    }
}

inline void RemoveWorkFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(WorkFolder(), ignored);
}

} // namespace bench
