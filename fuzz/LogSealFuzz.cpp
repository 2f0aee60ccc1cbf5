// A sealed log made of lines the input chooses, then damaged as the input says: the log whole and
// every cut of it must verify up to the cut's last whole line, and no edit of a byte may verify
// past the line it is in.
#include "cli/log/JsonLine.h"
#include "cli/log/LogSeal.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

const std::string kKey = "a machine's key, of any length: 32 random bytes in the product";

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 4)
        return 0;
    // The first four bytes steer the damage; the rest are the lines' texts, one per input line.
    const std::size_t at = (static_cast<std::size_t>(data[0]) << 8) | data[1];
    const auto flip = static_cast<unsigned char>(data[2] | 1);
    const std::size_t cut = data[3];
    const std::string_view texts(reinterpret_cast<const char*>(data) + 4, size - 4);

    LineSealer sealer(kKey);
    std::string log;
    std::vector<std::size_t> ends; // where each line's line end is
    for (std::size_t start = 0; start <= texts.size();) {
        const std::size_t end = std::min(texts.find('\n', start), texts.size());
        std::string line
            = JsonLine::Event("message").Add("text", texts.substr(start, end - start)).Text();
        sealer.Seal(line);
        log += line;
        ends.push_back(log.size());
        log += '\n';
        start = end + 1;
    }

    const SealCheck whole = CheckSeals(log, kKey);
    Require(whole.intact && whole.lines == ends.size());

    const std::size_t cutAt = log.size() * cut / 255;
    std::size_t wholeLines = 0;
    while (wholeLines < ends.size() && ends[wholeLines] < cutAt)
        ++wholeLines;
    const SealCheck shortened = CheckSeals(std::string_view(log).substr(0, cutAt), kKey);
    Require(shortened.intact && shortened.lines == wholeLines);

    const std::size_t edited = at % log.size();
    std::size_t line = 1; // the line the edited byte is in, its line end counted with it
    while (ends[line - 1] < edited)
        ++line;
    log[edited] = static_cast<char>(log[edited] ^ flip);
    const SealCheck damaged = CheckSeals(log, kKey);
    Require(!(damaged.intact && damaged.lines >= line));
    return 0;
}
