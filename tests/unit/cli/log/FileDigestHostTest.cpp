// File digests checked against programs of the host: sha256sum, and the count of open handles
// that only the POSIX subset keeps.
#include "cli/log/FileDigest.h"

#include "platform/posix/Handles.h"
#include "RandomBytes.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace {

// What sha256sum prints for a host file: the first 64 characters of its line.
std::string Sha256sumOf(const std::filesystem::path& file)
{
    const std::string command = "sha256sum -- '" + file.string() + "'";
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return "popen failed";
    char line[256] = {};
    const bool read = std::fgets(line, sizeof line, pipe) != nullptr;
    const int status = ::pclose(pipe);
    if (!read || status != 0)
        return "sha256sum failed";
    return std::string(line).substr(0, 64);
}

TEST(Sha256OfFile, AgreesWithSha256sum)
{
    const TempFolder folder;
    const std::size_t sizes[] = { 0, 1, 55, 56, 64, 65536, 65537, 1 << 20 };
    for (const std::size_t size : sizes) {
        const std::string name = "file" + std::to_string(size) + ".bin";
        folder.Write(name, RandomBytes(size, static_cast<unsigned>(size) + 1));
        EXPECT_EQ(Sha256sumOf(folder.Host(name)), Sha256OfFile(folder.Path(name))) << size << " bytes";
    }
}

TEST(Sha256OfFile, ClosesWhatItOpens)
{
    const TempFolder folder;
    folder.Write("a.txt", "abc");
    const std::size_t before = posix::OpenHandleCount();
    (void)Sha256OfFile(folder.Path("a.txt"));
    (void)Sha256OfFile(folder.Path("missing.txt"));
    (void)Sha256OfFile(folder.Path());
    EXPECT_EQ(before, posix::OpenHandleCount());
}

} // namespace
