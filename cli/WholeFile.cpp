#include "cli/WholeFile.h"

#include "platform/CallerFiles.h"

#include <cstdio>
#include <memory>
#include <utility>

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { (void)std::fclose(file); }
};

// Read straight into the text, a block at a time.
constexpr std::size_t kBlock = 64 * 1024;

} // namespace

bool ReadWholeFile(const std::string& path, std::size_t mostBytes, std::string& content)
{
    content.clear();
    const std::unique_ptr<std::FILE, FileCloser> file(OpenRegularFile(path));
    if (!file)
        return false;
    std::string text;
    for (;;) {
        // One byte past the limit is enough to know that the file is too large.
        const std::size_t used = text.size();
        const std::size_t room = mostBytes - used;
        const std::size_t ask = room < kBlock ? room + 1 : kBlock;
        text.resize(used + ask);
        const std::size_t got = std::fread(text.data() + used, 1, ask, file.get());
        text.resize(used + got);
        if (text.size() > mostBytes)
            return false;
        // A short count is the end of the file or a failed read (a folder on POSIX, a disk error).
        if (got < ask) {
            if (std::ferror(file.get()))
                return false;
            break;
        }
    }
    content = std::move(text);
    return true;
}
