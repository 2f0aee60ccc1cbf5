// tarnwick-regdiff: what changed between two registry files in regedit's format, for people. Keys
// added and removed, values added, changed and removed, each under its key's path, keys in the
// order the files have them.
//
//   tarnwick-regdiff BEFORE.reg AFTER.reg
//
// Exit status as diff's: 0 when the registries are the same (nothing printed), 1 when they differ,
// 2 when a file cannot be read or parsed.

#include "platform/posix/CaseFold.h"
#include "platform/posix/registry/RegFile.h"
#include "platform/posix/registry/RegistryTree.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using posix::RegistryKey;
using posix::RegistryValue;

// Longer binary data is cut: the reader wants to see that it changed, not every byte.
constexpr std::size_t kHexBytesShown = 16;

bool ReadRegistry(const char* path, posix::RegistryTree& tree, std::string& error)
{
    std::FILE* file = std::fopen(path, "rb");
    if (!file) {
        error = std::strerror(errno);
        return false;
    }
    std::string text;
    char buffer[65536];
    std::size_t count = 0;
    while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        text.append(buffer, count);
    // errno of a failed read (a folder gives EISDIR) before fclose can change it.
    const bool failed = std::ferror(file) != 0;
    error = failed ? std::strerror(errno) : "";
    std::fclose(file);
    return !failed && posix::ParseRegFile(text, tree, error);
}

// REG_SZ that is one text and its terminator, with nothing that would break the line it is shown on.
bool IsShownAsText(const RegistryValue& value)
{
    const std::string& d = value.data;
    if (value.type != REG_SZ || d.empty() || d.back() != '\0')
        return false;
    for (std::size_t i = 0; i + 1 < d.size(); ++i) {
        const auto c = static_cast<unsigned char>(d[i]);
        if (c < 0x20 || c == 0x7f)
            return false;
    }
    return true;
}

std::string Shown(const RegistryValue& value)
{
    if (IsShownAsText(value))
        return '"' + value.data.substr(0, value.data.size() - 1) + '"';
    char buffer[32];
    if (value.type == REG_DWORD && value.data.size() == 4) {
        DWORD number = 0;
        for (int i = 3; i >= 0; --i)
            number = number << 8 | static_cast<unsigned char>(value.data[i]);
        std::snprintf(buffer, sizeof buffer, "dword:%08x", static_cast<unsigned>(number));
        return buffer;
    }
    std::string out = "hex:";
    if (value.type != REG_BINARY) {
        std::snprintf(buffer, sizeof buffer, "hex(%x):", static_cast<unsigned>(value.type));
        out = buffer;
    }
    for (std::size_t i = 0; i < value.data.size() && i < kHexBytesShown; ++i) {
        std::snprintf(
            buffer, sizeof buffer, "%s%02x", i ? "," : "", static_cast<unsigned char>(value.data[i]));
        out += buffer;
    }
    if (value.data.size() > kHexBytesShown)
        out += ",... (" + std::to_string(value.data.size()) + " bytes)";
    return out;
}

std::string ShownName(const RegistryValue& value)
{
    return value.name.empty() ? "(Default)" : value.name;
}

class Differ {
public:
    // Both tops hold the predefined roots, which are never reported as added or removed.
    void Run(const RegistryKey& before, const RegistryKey& after) { CompareSubKeys(&before, &after, ""); }

    const std::string& Output() const { return m_out; }

private:
    void Compare(const RegistryKey* before, const RegistryKey* after, const std::string& path)
    {
        bool headed = false;
        auto line = [&](const std::string& text) {
            if (!headed)
                m_out += path + '\n';
            headed = true;
            m_out += "  " + text + '\n';
        };
        if (!before || !after) {
            m_out += path + (before ? "  (key removed)\n" : "  (key added)\n");
            headed = true;
        }
        if (after) {
            for (const RegistryValue& value : after->values) {
                const RegistryValue* old = before ? before->FindValue(value.name) : nullptr;
                if (!old)
                    line("added   " + ShownName(value) + " = " + Shown(value));
                else if (old->type != value.type || old->data != value.data)
                    line("changed " + ShownName(value) + " = " + Shown(*old) + " -> " + Shown(value));
            }
        }
        if (before) {
            for (const RegistryValue& value : before->values)
                if (!after || !after->FindValue(value.name))
                    line("removed " + ShownName(value) + " = " + Shown(value));
        }
        CompareSubKeys(before, after, path);
    }

    // Subkeys are sorted by folded name on both sides, so one merge pass pairs them in file order.
    void CompareSubKeys(const RegistryKey* before, const RegistryKey* after, const std::string& path)
    {
        static const std::vector<std::unique_ptr<RegistryKey>> none;
        const auto& a = before ? before->subkeys : none;
        const auto& b = after ? after->subkeys : none;
        std::size_t i = 0;
        std::size_t j = 0;
        while (i < a.size() || j < b.size()) {
            const int order = i == a.size() ? 1
                : j == b.size()             ? -1
                                            : posix::CompareFolded(a[i]->name, b[j]->name);
            const RegistryKey* x = order <= 0 ? a[i++].get() : nullptr;
            const RegistryKey* y = order >= 0 ? b[j++].get() : nullptr;
            const std::string& name = (y ? y : x)->name;
            Compare(x, y, path.empty() ? name : path + '\\' + name);
        }
    }

    std::string m_out;
};

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: tarnwick-regdiff BEFORE.reg AFTER.reg\n");
        return 2;
    }
    posix::RegistryTree trees[2];
    for (int i = 0; i < 2; ++i) {
        std::string error;
        if (!ReadRegistry(argv[i + 1], trees[i], error)) {
            std::fprintf(stderr, "tarnwick-regdiff: %s: %s\n", argv[i + 1], error.c_str());
            return 2;
        }
    }
    Differ differ;
    differ.Run(trees[0].Top(), trees[1].Top());
    const std::string& out = differ.Output();
    std::fwrite(out.data(), 1, out.size(), stdout);
    if (std::fflush(stdout) != 0) {
        std::fprintf(stderr, "tarnwick-regdiff: cannot write the output: %s\n", std::strerror(errno));
        return 2;
    }
    return out.empty() ? 0 : 1;
}
