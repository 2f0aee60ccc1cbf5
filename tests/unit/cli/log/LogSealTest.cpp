#include "cli/log/LogSeal.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::string kKey(32, '\x5a');

std::vector<std::string> Sealed(const std::vector<std::string>& lines, const std::string& key = kKey)
{
    LineSealer sealer(key);
    std::vector<std::string> out = lines;
    for (std::string& line : out)
        sealer.Seal(line);
    return out;
}

std::string Joined(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

const std::vector<std::string> kLines { R"({"event":"start","command":"install","answers":{"Dir1":"C:\\a"}})",
    R"({"event":"folder-created","path":"C:\\CFusion\\CustomTags"})",
    R"({"event":"file-copied","to":"C:\\CFusion\\CustomTags\\a.cfm","bytes":3})",
    R"({"event":"value-written","key":"HKEY_LOCAL_MACHINE\\SOFTWARE\\x","name":"","old":null,"new":"1"})",
    R"({"event":"end","exit":0})" };

TEST(LogSeal, ASealedLogVerifiesAndStaysJsonObjects)
{
    const std::vector<std::string> lines = Sealed(kLines);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].back(), '}');
        EXPECT_EQ(Unsealed(lines[i]), kLines[i].substr(0, kLines[i].size() - 1));
        EXPECT_NE(lines[i].find(R"(,"mac":")"), std::string::npos);
    }
    const SealCheck check = CheckSeals(Joined(lines), kKey);
    EXPECT_TRUE(check.intact) << check.reason;
    EXPECT_EQ(check.lines, lines.size());
    // Line ends converted on the way (a log copied through a Windows tool) change no line.
    std::string crlf;
    for (const std::string& line : lines)
        crlf += line + "\r\n";
    EXPECT_TRUE(CheckSeals(crlf, kKey).intact);
}

TEST(LogSeal, EveryChangeOfALineIsFoundAtThatLine)
{
    const std::vector<std::string> lines = Sealed(kLines);
    for (std::size_t i = 0; i < lines.size(); ++i)
        for (std::size_t at = 0; at < lines[i].size(); ++at) {
            std::vector<std::string> edited = lines;
            edited[i][at] = static_cast<char>(edited[i][at] ^ 0x01);
            const SealCheck check = CheckSeals(Joined(edited), kKey);
            ASSERT_FALSE(check.intact) << "line " << i << " byte " << at;
            EXPECT_EQ(check.badLine, i + 1);
            EXPECT_EQ(check.lines, i);
        }
}

TEST(LogSeal, LinesInsertedRemovedOrMovedBreakTheChain)
{
    const std::vector<std::string> lines = Sealed(kLines);
    std::vector<std::string> removed = lines;
    removed.erase(removed.begin() + 2);
    EXPECT_EQ(CheckSeals(Joined(removed), kKey).badLine, 3u);

    std::vector<std::string> repeated = lines;
    repeated.insert(repeated.begin() + 3, lines[2]); // a real line, copied
    EXPECT_EQ(CheckSeals(Joined(repeated), kKey).badLine, 4u);

    std::vector<std::string> swapped = lines;
    std::swap(swapped[1], swapped[2]);
    EXPECT_EQ(CheckSeals(Joined(swapped), kKey).badLine, 2u);

    std::vector<std::string> headless(lines.begin() + 1, lines.end());
    EXPECT_EQ(CheckSeals(Joined(headless), kKey).badLine, 1u);

    // A line of another log of the same machine, at the same place, belongs to another chain.
    std::vector<std::string> other = kLines;
    other[0] = R"({"event":"start","command":"install","answers":{"Dir1":"C:\\b"}})";
    std::vector<std::string> spliced = lines;
    spliced[1] = Sealed(other)[1];
    EXPECT_EQ(CheckSeals(Joined(spliced), kKey).badLine, 2u);
}

TEST(LogSeal, AnotherKeyOrNoCodeIsRefusedAtTheFirstLine)
{
    const SealCheck other = CheckSeals(Joined(Sealed(kLines, std::string(32, '\x5b'))), kKey);
    EXPECT_FALSE(other.intact);
    EXPECT_EQ(other.badLine, 1u);
    EXPECT_NE(other.reason.find("another machine"), std::string::npos);

    const SealCheck plain = CheckSeals(Joined(kLines), kKey);
    EXPECT_FALSE(plain.intact);
    EXPECT_EQ(plain.badLine, 1u);
    // A code field whose digits are not hex, or one that is not the last field.
    std::vector<std::string> lines = Sealed(kLines);
    lines[1][lines[1].size() - 3] = 'G';
    EXPECT_EQ(CheckSeals(Joined(lines), kKey).badLine, 2u);
    lines = Sealed(kLines);
    lines[2].insert(lines[2].size() - 1, R"(,"x":1)");
    EXPECT_EQ(CheckSeals(Joined(lines), kKey).badLine, 3u);
}

TEST(LogSeal, ALogCutAnywhereVerifiesUpToItsLastWholeLine)
{
    const std::string text = Joined(Sealed(kLines));
    std::size_t whole = 0;
    for (std::size_t cut = 0; cut <= text.size(); ++cut) {
        if (cut > 0 && text[cut - 1] == '\n')
            ++whole;
        const SealCheck check = CheckSeals(text.substr(0, cut), kKey);
        ASSERT_TRUE(check.intact) << "cut at " << cut << ": " << check.reason;
        EXPECT_EQ(check.lines, whole);
    }
}

// An editor or PowerShell may save a log with a byte order mark first: it was never sealed, so it
// is nothing at the start, and a change of the line anywhere else.
TEST(LogSeal, AByteOrderMarkIsNothingOnlyAtTheStart)
{
    const std::string bom = "\xEF\xBB\xBF";
    const std::string text = Joined(Sealed(kLines));
    const SealCheck marked = CheckSeals(bom + text, kKey);
    EXPECT_TRUE(marked.intact) << marked.reason;
    EXPECT_EQ(marked.lines, kLines.size());
    EXPECT_EQ(CheckSeals(bom + bom + text, kKey).badLine, 1u);
    std::vector<std::string> lines = Sealed(kLines);
    lines[1].insert(0, bom);
    EXPECT_EQ(CheckSeals(Joined(lines), kKey).badLine, 2u);
    EXPECT_EQ(WithoutByteOrderMark(bom.substr(0, 2) + "{}"), bom.substr(0, 2) + "{}"); // no mark
    EXPECT_EQ(WithoutByteOrderMark(bom), "");
}

// A writer puts the suffix between a line's body and its brace: the same line as Seal makes, and
// the sealer's buffer reused line after line changes no line written before.
TEST(LogSeal, TheSuffixOfABodyIsTheCodeSealGives)
{
    LineSealer sealer(kKey);
    std::string text;
    for (const std::string& line : kLines) {
        const std::string_view body(line.data(), line.size() - 1);
        const std::string_view suffix = sealer.Suffix(body);
        EXPECT_EQ(suffix.size(), kSealSuffixSize);
        text.append(body).append(suffix).append("}\n");
    }
    EXPECT_EQ(text, Joined(Sealed(kLines)));
    EXPECT_TRUE(CheckSeals(text, kKey).intact);
}

} // namespace
