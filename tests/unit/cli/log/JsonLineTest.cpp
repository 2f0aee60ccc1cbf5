#include "cli/log/JsonLine.h"

#include <gtest/gtest.h>

#include <regex>

namespace {

using namespace std::chrono;

TEST(JsonLine, WritesEachKindOfValueInOrder)
{
    JsonLine answers;
    answers.Add("Dir1", "C:\\Tags").Add("Options", 3);
    JsonLine line;
    line.Add("event", "file-copied")
        .Add("to", std::string("C:\\x"))
        .Add("bytes", UINT64_MAX)
        .Add("error", -5)
        .Add("replaced", false)
        .Add("done", true)
        .AddNull("old")
        .AddObject("answers", answers)
        .AddObject("empty", JsonLine())
        .AddRaw("list", "[1,2]");
    EXPECT_EQ(
        "{\"event\":\"file-copied\",\"to\":\"C:\\\\x\",\"bytes\":18446744073709551615,\"error\":-5,"
        "\"replaced\":false,\"done\":true,\"old\":null,\"answers\":{\"Dir1\":\"C:\\\\Tags\",\"Options\":3},"
        "\"empty\":{},\"list\":[1,2]}",
        line.Text());
    EXPECT_EQ(line.Text(), std::string(line.Body()) + "}");
}

// The exact bytes, on POSIX and under Wine alike: the system code page is Windows-1252 on both.
TEST(JsonLine, EscapesAndConvertsTexts)
{
    const struct {
        std::string text;
        std::string json;
    } cases[] = {
        { "", "\"\"" },
        { "say \"hi\"", "\"say \\\"hi\\\"\"" },
        { "C:\\a\\b", "\"C:\\\\a\\\\b\"" },
        { "\b\f\n\r\t", "\"\\b\\f\\n\\r\\t\"" },
        { std::string("\0\x01\x1F", 3), "\"\\u0000\\u0001\\u001f\"" },
        { "/\x7F", "\"/\x7F\"" },
        { "caf\xE9", "\"caf\xC3\xA9\"" },
        { "\x80\x81\x9F\xA0\xFF", "\"\xE2\x82\xAC\xC2\x81\xC5\xB8\xC2\xA0\xC3\xBF\"" },
        // Plain runs, escapes and converted bytes in one text, in either order.
        { "C:\\Tags\\\"caf\xE9\"", "\"C:\\\\Tags\\\\\\\"caf\xC3\xA9\\\"\"" },
        { "\xE9t\xE9\n", "\"\xC3\xA9t\xC3\xA9\\n\"" },
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.json, JsonString(c.text));
        EXPECT_EQ("{" + c.json + ":" + c.json + "}", JsonLine().Add(c.text, c.text).Text());
    }
}

TEST(JsonLine, TimestampsAreUtcWithMilliseconds)
{
    const sys_days day = 2026y / December / 8;
    EXPECT_EQ("2026-12-08T11:24:07.123Z", UtcTimestamp(day + 11h + 24min + 7s + 123ms));
    EXPECT_EQ("2024-02-29T00:00:00.000Z", UtcTimestamp(sys_days { 2024y / February / 29 }));
    // Below a millisecond is cut, never rounded up into the next second.
    EXPECT_EQ("1999-12-31T23:59:59.999Z", UtcTimestamp(sys_days { 2000y / January / 1 } - 1us));
    EXPECT_EQ("1969-12-31T23:59:59.999Z", UtcTimestamp(system_clock::time_point {} - 1ms));

    const std::string event = JsonLine::Event("start").Text();
    EXPECT_TRUE(std::regex_match(
        event, std::regex(R"(\{"event":"start","time":"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z"\})")))
        << event;
}

} // namespace
