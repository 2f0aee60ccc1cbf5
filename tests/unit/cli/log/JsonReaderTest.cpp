#include "cli/log/JsonReader.h"
#include "cli/log/JsonLine.h"

#include "platform/win32.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace {

// The field "a" of a line as a text, or "<refused>" when the line does not parse.
std::string TextOfA(std::string_view line)
{
    JsonObject object;
    if (!object.Parse(line))
        return "<refused>";
    return object.Text("a").value_or("<not a text>");
}

bool Parses(std::string_view line)
{
    JsonObject object;
    return object.Parse(line);
}

// The round trip below needs a code page with a character for every byte. The POSIX subset's is
// always Windows-1252; under Wine it follows the locale.
bool SystemCodePageIs1252()
{
    return GetACP() == 1252;
}

TEST(JsonReader, DecodesEveryEscapeToUtf8)
{
    EXPECT_EQ("\" \\ / \b \f \n \r \t", TextOfA(R"({"a":"\" \\ \/ \b \f \n \r \t"})"));
    EXPECT_EQ("caf\xC3\xA9 \xC3\x89 A", TextOfA(R"({"a":"caf\u00e9 \u00C9 \u0041"})"));
    EXPECT_EQ(
        "\xDF\xBF \xE0\xA0\x80 \xE2\x82\xAC \xEF\xBF\xBF", TextOfA(R"({"a":"\u07ff \u0800 \u20ac \uffff"})"));
    EXPECT_EQ("\xF0\x9F\x98\x80", TextOfA(R"({"a":"\ud83d\ude00"})"));
    EXPECT_EQ("\xF0\x90\x80\x80\xF4\x8F\xBF\xBF", TextOfA(R"({"a":"\uD800\uDC00\udbff\udfff"})"));
    EXPECT_EQ(std::string("x\0y", 3), TextOfA(R"({"a":"x\u0000y"})"));
    // Bytes above ASCII and DEL pass as they are.
    EXPECT_EQ("\xC3\xA9\x7F", TextOfA("{\"a\":\"\xC3\xA9\x7F\"}"));

    JsonObject object;
    ASSERT_TRUE(object.Parse(R"({"k\u00e9y\n":"v"})"));
    EXPECT_EQ("v", object.Text("k\xC3\xA9y\n"));
}

TEST(JsonReader, RefusesBrokenStrings)
{
    for (const char* line : {
             R"({"a":"\ud83d"})", // a lone high surrogate
             R"({"a":"\ud83dx"})",
             R"({"a":"\ud83d\n"})",
             R"({"a":"\ud83d\ud83d"})",
             R"({"a":"\ud83d\u0041"})",
             R"({"a":"\ude00"})", // a lone low surrogate
             R"({"a":"\ude00\ud83d"})", // reversed
             R"({"a":"\u12"})",
             R"({"a":"\u12G4"})",
             R"({"a":"\u 123"})",
             R"({"a":"\x41"})",
             R"({"a":"\U00e9"})",
             R"({"a":"\'"})",
             R"({"a":"\0"})",
             R"({"a":"\a"})",
             R"({"a":"open)",
             R"({"a":"open\"})",
             R"({"a":"open\)",
             R"({"a":"\u00e)",
             R"({"a":"\ud83d\u)",
         })
        EXPECT_EQ("<refused>", TextOfA(line)) << line;
    // Control characters must be escaped, the blanks between tokens included.
    for (const char raw : { '\x01', '\x1F', '\n', '\r', '\t', '\0' })
        EXPECT_EQ("<refused>", TextOfA(std::string("{\"a\":\"x") + raw + "y\"}")) << int(raw);
    EXPECT_EQ("<refused>", TextOfA(std::string("{\"a\x01\":\"x\"}")));
}

TEST(JsonReader, AcceptsOnlyOneWholeObject)
{
    EXPECT_TRUE(Parses("{}"));
    EXPECT_TRUE(Parses(" \t\r\n{ \"a\" :\t1 ,\r\n\"b\" : [ ] , \"c\" : { } }\r\n "));
    const std::string refused[] = {
        "",
        "   ",
        "[]",
        "\"a\"",
        "1",
        "null",
        "{",
        "}",
        "{\"a\":1",
        "{\"a\":1}x",
        "{\"a\":1} {}",
        "{\"a\":1},",
        "{\"a\":1}}",
        "{\"a\"}",
        "{\"a\":}",
        "{\"a\" 1}",
        "{\"a\":1,}",
        "{,\"a\":1}",
        "{\"a\":1 \"b\":2}",
        "{'a':1}",
        "{a:1}",
        "{1:1}",
        "{\"a\":tru}",
        "{\"a\":True}",
        "{\"a\":truex}",
        "{\"a\":nul}",
        "{\"a\":undefined}",
        "\f{}",
        "{}\v",
        std::string("{}\0", 3),
        std::string("{\"a\":1}\0{\"b\":2}", 15),
    };
    for (const std::string& line : refused)
        EXPECT_FALSE(Parses(line)) << line;
}

TEST(JsonReader, GivesEachFieldOnlyAsItsOwnKind)
{
    JsonObject object;
    ASSERT_TRUE(object.Parse(
        R"({"text":"12","number":12,"yes":true,"no":false,"none":null,"list":[1],"object":{"text":"x"}})"));
    EXPECT_EQ("12", object.Text("text"));
    EXPECT_EQ(std::nullopt, object.Integer("text"));
    EXPECT_EQ(12, object.Integer("number"));
    EXPECT_EQ(std::nullopt, object.Text("number"));
    EXPECT_EQ(std::nullopt, object.Boolean("number"));
    EXPECT_EQ(true, object.Boolean("yes"));
    EXPECT_EQ(false, object.Boolean("no"));
    EXPECT_EQ(std::nullopt, object.Text("yes"));
    EXPECT_TRUE(object.IsNull("none"));
    EXPECT_TRUE(object.Has("none"));
    EXPECT_EQ(std::nullopt, object.Text("none"));
    EXPECT_FALSE(object.IsNull("text"));
    EXPECT_FALSE(object.IsNull("missing"));
    EXPECT_FALSE(object.Has("missing"));
    EXPECT_FALSE(object.Has("Text")) << "keys are matched exactly";
    for (const char* key : { "missing", "list", "object" }) {
        EXPECT_EQ(std::nullopt, object.Text(key)) << key;
        EXPECT_EQ(std::nullopt, object.Integer(key)) << key;
        EXPECT_EQ(std::nullopt, object.Boolean(key)) << key;
    }
    EXPECT_TRUE(object.Has("list"));
    EXPECT_FALSE(object.Has("x")) << "a nested object's fields are not the line's";

    ASSERT_TRUE(object.Parse(R"({"other":1})"));
    EXPECT_FALSE(object.Has("text")) << "a parse starts afresh";
}

TEST(JsonReader, ChecksNestedValuesAndBoundsTheirDepth)
{
    JsonObject object;
    ASSERT_TRUE(object.Parse(R"({"a":[1,"]}",{"b":[true,null,-1.5e3]},[],{}],"c":{"d":"{["},"e":"after"})"));
    EXPECT_EQ("after", object.Text("e")) << "the fields after a nested value are read";
    for (const char* line : {
             R"({"a":[1,]})",
             R"({"a":[1 2]})",
             R"({"a":[,1]})",
             R"({"a":[})",
             R"({"a":{]})",
             R"({"a":[1})",
             R"({"a":{"b"}})",
             R"({"a":{"b":1,}})",
             R"({"a":{b:1}})",
             R"({"a":["\x"]})",
             R"({"a":[01]})",
             R"({"a":[tru]})",
             R"({"a":[1]]})",
         })
        EXPECT_FALSE(Parses(line)) << line;

    const auto nested = [](std::size_t depth, bool objects) {
        std::string line = "{\"a\":";
        for (std::size_t i = 0; i < depth; ++i)
            line += objects ? "{\"k\":" : "[";
        line += "1";
        for (std::size_t i = 0; i < depth; ++i)
            line += objects ? "}" : "]";
        return line + "}";
    };
    EXPECT_TRUE(Parses(nested(64, false)));
    EXPECT_TRUE(Parses(nested(64, true)));
    EXPECT_FALSE(Parses(nested(100, false)));
    EXPECT_FALSE(Parses(nested(100, true)));
    // A hostile line is refused long before the stack runs out.
    EXPECT_FALSE(Parses("{\"a\":" + std::string(1'000'000, '[')));
    EXPECT_FALSE(Parses(nested(1'000'000, false)));
}

TEST(JsonReader, ReadsWholeNumbersThatFitAndRefusesMalformedOnes)
{
    const auto integer = [](const std::string& number) -> std::optional<std::int64_t> {
        JsonObject object;
        if (!object.Parse("{\"n\":" + number + "}")) {
            ADD_FAILURE() << number << " refused";
            return std::nullopt;
        }
        return object.Integer("n");
    };
    EXPECT_EQ(12, integer("12"));
    EXPECT_EQ(-3, integer("-3"));
    EXPECT_EQ(0, integer("0"));
    EXPECT_EQ(0, integer("-0"));
    EXPECT_EQ(INT64_MAX, integer("9223372036854775807"));
    EXPECT_EQ(INT64_MIN, integer("-9223372036854775808"));
    // Valid JSON numbers that are no int64.
    for (const char* number : { "9223372036854775808", "-9223372036854775809", "18446744073709551616", "1.5",
             "1.0", "1e3", "1E+2", "-0.0e-0" })
        EXPECT_EQ(std::nullopt, integer(number)) << number;

    for (const char* number : { "01", "-01", "00", "-", "+1", "1.", ".5", "1e", "1e+", "1.e3", "0x10", "- 1",
             "1-", "Infinity", "NaN" })
        EXPECT_FALSE(Parses(std::string("{\"n\":") + number + "}")) << number;
}

TEST(JsonReader, ReadsBackEveryTextTheLogWrites)
{
    if (!SystemCodePageIs1252())
        GTEST_SKIP() << "the system code page is not Windows-1252";
    std::string all;
    for (int byte = 0x01; byte <= 0xFF; ++byte)
        all += static_cast<char>(byte);
    std::vector<std::string> texts { all, "", "C:\\Program Files\\caf\xE9\\\"x\"",
        "\x80\x81\x8D\x8F\x90\x9D" };
    for (int byte = 0x01; byte <= 0xFF; ++byte)
        texts.push_back(std::string(1, static_cast<char>(byte)) + "\\" + static_cast<char>(byte));

    for (const std::string& text : texts) {
        const std::string line = JsonLine::Event("file-copied").Add(text, text).Add("after", text).Text();
        JsonObject object;
        ASSERT_TRUE(object.Parse(line)) << line;
        EXPECT_EQ("file-copied", object.Text("event"));
        const std::optional<std::string> utf8 = object.Text(SystemTextToUtf8(text));
        ASSERT_TRUE(utf8) << line;
        EXPECT_EQ(SystemTextToUtf8(text), *utf8);
        EXPECT_EQ(text, Utf8ToSystemText(*utf8)) << line;
        EXPECT_EQ(text, Utf8ToSystemText(object.Text("after").value_or("<none>"))) << line;
    }
}

TEST(JsonReader, SystemTextHasEveryCharacterOrNone)
{
    EXPECT_EQ("", Utf8ToSystemText(""));
    EXPECT_EQ(std::string("C:\\x\0y", 6), Utf8ToSystemText(std::string("C:\\x\0y", 6)));
    if (SystemCodePageIs1252()) {
        EXPECT_EQ("caf\xE9 \x80 \xFF", Utf8ToSystemText("caf\xC3\xA9 \xE2\x82\xAC \xC3\xBF"));
        // Characters Windows-1252 lacks are refused, never replaced by '?' or a look-alike.
        for (const char* missing : {
                 "\xE4\xB8\xAD", // U+4E2D
                 "\xF0\x9F\x98\x80", // U+1F600, a surrogate pair in UTF-16
                 "\xC4\x80", // U+0100, 'A' with a macron, which best fit would make "A"
                 "\xE2\x80\x90", // U+2010, a hyphen, which best fit would make "-"
             })
            EXPECT_EQ(std::nullopt, Utf8ToSystemText(std::string("ok ") + missing)) << missing;
        // A C1 control other than the five that Windows-1252 leaves undefined.
        EXPECT_EQ(std::nullopt, Utf8ToSystemText("\xC2\x80"));
    }
    for (const std::string invalid : {
             "\xC0\x80", // overlong NUL
             "\xC1\xBF", "\xE0\x80\x80", "\xF0\x80\x80\x80",
             "\x80", // a lone continuation byte
             "a\xBF",
             "\xC3", // cut short
             "\xE2\x82", "\xE2\x82x", "\xF0\x9F\x98",
             "\xED\xA0\x80", // an encoded surrogate
             "\xED\xBF\xBF",
             "\xF4\x90\x80\x80", // beyond U+10FFFF
             "\xF5\x80\x80\x80", "\xFF",
             "caf\xE9", // Windows-1252, not UTF-8
         })
        EXPECT_EQ(std::nullopt, Utf8ToSystemText(invalid)) << invalid;
}

// Tools differ on a name given twice (the first, the last, or an error), so a line read one way
// here could show a person another: such a line is none, whatever the depth, however spelt.
TEST(JsonReader, RefusesAFieldGivenTwice)
{
    JsonObject object;
    for (const auto& [line, twice] : std::vector<std::pair<std::string, std::string>> {
             { R"({"to":"C:\\a","to":"C:\\b"})", "to" },
             { R"({"to":"C:\\a","x":1,"to":"C:\\a"})", "to" }, // even with the same value
             { R"({"to":1,"t\u006f":2})", "to" }, // the same name escaped
             { R"({"":1,"":2})", "" },
             { R"({"a":{"b":1,"b":2}})", "b" },
             { R"({"a":[{"c":{"d":1,"d":1}}]})", "d" },
         }) {
        EXPECT_FALSE(object.Parse(line)) << line;
        EXPECT_EQ(twice, object.Twice()) << line;
        EXPECT_TRUE(object.Keys().empty()) << line;
    }
    // Names only differ by case, or are the same in different objects: no twice.
    ASSERT_TRUE(object.Parse(R"({"to":1,"To":2,"a":{"to":3},"b":[{"to":4},{"to":5}]})"));
    EXPECT_EQ(std::nullopt, object.Twice());
    EXPECT_EQ(1, object.Integer("to"));
    EXPECT_FALSE(object.Parse(R"({"a":)"));
    EXPECT_EQ(std::nullopt, object.Twice()) << "refused for another reason";
}

// The answers of a log's start come in the answers file's order, which the reader keeps.
TEST(JsonReader, KeepsTheFieldsOrderAndNestedText)
{
    JsonObject object;
    ASSERT_TRUE(object.Parse(R"({"z":1,"a":{"b":[1,{}]},"m":null})"));
    std::vector<std::string> keys;
    for (const std::string* key : object.Keys())
        keys.push_back(*key);
    EXPECT_EQ((std::vector<std::string> { "z", "a", "m" }), keys);
    ASSERT_TRUE(object.Parse(R"({"n": {"b" : [1,{}]} ,"t":"x"})"));
    EXPECT_EQ(R"({"b" : [1,{}]})", object.Nested("n"));
    EXPECT_EQ(std::nullopt, object.Nested("t"));
    EXPECT_EQ(2u, object.Keys().size());
    EXPECT_FALSE(object.Parse(R"({"q":1,)"));
    EXPECT_TRUE(object.Keys().empty());
}

} // namespace
