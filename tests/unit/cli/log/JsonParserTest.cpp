// Log lines checked by a JSON parser that is not ours: Python's json module reads every line, and
// Python's own Windows-1252 codec says what each text should have become.
#include "cli/log/JsonLine.h"

#include "TempFolder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// Each case line is "HEX<TAB>JSON". The five bytes Windows-1252 leaves undefined become the C1
// control of the same number, as Windows converts them.
const char* const checker = R"(import codecs, json, sys
codecs.register_error('c1', lambda e: (chr(e.object[e.start]), e.start + 1))
checked = 0
for number, raw in enumerate(open(sys.argv[1], 'rb'), 1):
    hexText, line = raw.rstrip(b'\n').split(b'\t', 1)
    expected = bytes.fromhex(hexText.decode()).decode('cp1252', 'c1')
    try:
        value = json.loads(line.decode('utf-8'))
    except ValueError as error:
        print('line %d: %s' % (number, error))
        continue
    if value != {'text': expected, expected: 'key'}:
        got = value.get('text', '')
        at = next((i for i, (a, b) in enumerate(zip(got, expected)) if a != b), min(len(got), len(expected)))
        print('line %d: character %d is %r, not %r' % (number, at, got[at:at + 1], expected[at:at + 1]))
    checked += 1
print('checked %d' % checked)
)";

std::string Hex(const std::string& bytes)
{
    std::string hex;
    char digits[3];
    for (const char byte : bytes) {
        std::snprintf(digits, sizeof digits, "%02x", static_cast<unsigned char>(byte));
        hex += digits;
    }
    return hex;
}

TEST(JsonLineParsedByPython, EveryTextComesBackAsItsUnicode)
{
    std::vector<std::string> texts = { "", "say \"hi\"", "C:\\Program Files\\Tags\\", "\\\"\\\"",
        "\"\\u0041\"", "caf\xE9 \x80 5\x80", "\x93quoted\x94 \x96 \x85",
        "Stra\xDF"
        "e \xC4\xD6\xDC\xFF",
        "tab\there\r\nnext line", "/\x7F/" };
    std::string all;
    for (int value = 0; value < 256; ++value) {
        texts.push_back(std::string(1, static_cast<char>(value)));
        texts.push_back("a" + std::string(1, static_cast<char>(value)) + "\\");
        all += static_cast<char>(value);
    }
    texts.push_back(all);

    TempFolder folder;
    std::string cases;
    for (const std::string& text : texts)
        cases += Hex(text) + "\t" + JsonLine().Add("text", text).Add(text, "key").Text() + "\n";
    folder.Write("cases.txt", cases);
    folder.Write("check.py", checker);

    const std::string command = "python3 '" + folder.Host("check.py").string() + "' '"
        + folder.Host("cases.txt").string() + "' > '" + folder.Host("out.txt").string() + "' 2>&1";
    EXPECT_EQ(0, std::system(command.c_str())) << folder.Read("out.txt");
    EXPECT_EQ("checked " + std::to_string(texts.size()) + "\n", folder.Read("out.txt"));
}

} // namespace
