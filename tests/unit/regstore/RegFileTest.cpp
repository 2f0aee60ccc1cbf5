#include "RegStoreTestHelpers.h"

#include "platform/posix/registry/RegFile.h"

#include <fstream>
#include <sstream>

using namespace posix;

namespace {

std::string ReadHostFile(const char* path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string Written(const RegistryTree& tree)
{
    std::string text;
    std::string error;
    EXPECT_TRUE(WriteRegFile(tree, text, error)) << error;
    return text;
}

} // namespace

TEST(RegFile, ServerRegRoundTripsInRegeditsOwnForm)
{
    const std::string source = ReadHostFile(SERVER_REG);
    RegistryTree tree = Parsed(source);
    const std::string cfx
        = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Allaire\\ColdFusion\\CurrentVersion\\CustomTags\\CFX_Existing";
    EXPECT_EQ(std::string("Formats dates as \"dd mmm yyyy\"") + '\0', ValueAt(tree, cfx, "Description").data);
    EXPECT_EQ(std::string("C:\\CFusion\\CustomTags\\cfx_existing.dll") + '\0',
        ValueAt(tree, cfx, "LibraryPath").data);

    // The keys every machine has come first; the rest is the file as regedit exported it.
    const std::string text = Written(tree);
    EXPECT_EQ("REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software]\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE]\r\n"
            + source.substr(10),
        text);
    RegistryTree again = Parsed(text);
    ExpectSameKey(tree.Top(), again.Top(), "");
    EXPECT_EQ(text, Written(again));
}

TEST(RegFile, EveryKindOfValueRoundTrips)
{
    const std::string key = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Kinds";
    RegistryTree tree = Parsed("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Kinds]\n"
                               "@=\"default\"\n"
                               "\"Say \\\"hi\\\"\"=\"C:\\\\dir\\\\ \\\"q\\\"\"\n"
                               "\"Empty\"=\"\"\n"
                               "\"Number\"=dword:0000001f\n"
                               "\"Bytes\"=hex:01,FF\n"
                               "\"Expand\"=hex(2):25,00,\\\n"
                               "   41,00\n"
                               "\"None\"=hex(0):\n");
    EXPECT_EQ(std::string("default\0", 8), ValueAt(tree, key, "").data);
    EXPECT_EQ(std::string("C:\\dir\\ \"q\"\0", 12), ValueAt(tree, key, "Say \"hi\"").data);
    EXPECT_EQ(std::string("\0", 1), ValueAt(tree, key, "Empty").data);
    EXPECT_EQ(std::string("\x1f\0\0\0", 4), ValueAt(tree, key, "Number").data);
    EXPECT_EQ(REG_DWORD, ValueAt(tree, key, "Number").type);
    EXPECT_EQ("\x01\xff", ValueAt(tree, key, "Bytes").data);
    EXPECT_EQ(REG_EXPAND_SZ, ValueAt(tree, key, "Expand").type);
    EXPECT_EQ(std::string("%\0A\0", 4), ValueAt(tree, key, "Expand").data);
    EXPECT_EQ(REG_NONE, ValueAt(tree, key, "None").type);

    // What has no text form goes out as hex and comes back the same.
    RegistryKey& kinds = *tree.Find({ "HKEY_LOCAL_MACHINE", "SOFTWARE", "Kinds" });
    kinds.SetValue("NoTerminator", REG_SZ, "abc");
    kinds.SetValue("InnerZero", REG_SZ, std::string("a\0b\0", 4));
    kinds.SetValue("LineBreak", REG_SZ, std::string("a\r\nb\0", 5));
    kinds.SetValue("ShortDword", REG_DWORD, "\x01\x02");
    kinds.SetValue("Long", REG_BINARY, std::string(100, '\x5a'));
    kinds.SetValue("Odd type", 0x20000, "x");
    tree.Create({ "HKEY_USERS", "Empty", "Child" });
    const std::string text = Written(tree);
    for (const char* line : { "\r\n@=\"default\"\r\n", "\r\n\"Number\"=dword:0000001f\r\n",
             "\r\n\"NoTerminator\"=hex(1):61,62,63\r\n", "\r\n\"Odd type\"=hex(20000):78\r\n",
             "\r\n[HKEY_USERS\\Empty]\r\n\r\n[HKEY_USERS\\Empty\\Child]\r\n" })
        EXPECT_NE(std::string::npos, text.find(line)) << line;
    for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1))
        ASSERT_EQ('\r', text[at - 1]) << "a bare line feed at " << at;
    ExpectSameKey(tree.Top(), Parsed(text).Top(), "");

    kinds.SetValue("Two\nlines", REG_SZ, "x");
    std::string unused;
    std::string error;
    EXPECT_FALSE(WriteRegFile(tree, unused, error));
    EXPECT_NE(std::string::npos, error.find("line break")) << error;
}

TEST(RegFile, DeletionLinesRemoveKeysAndValuesWhateverTheirCase)
{
    RegistryTree tree = Parsed("REGEDIT4\r\n\r\n"
                               "[HKEY_LOCAL_MACHINE\\SOFTWARE\\A\\Gone\\Deeper]\r\n"
                               "[HKEY_LOCAL_MACHINE\\SOFTWARE\\A\\Kept]\r\n"
                               "\"v\"=\"1\"\r\n\"w\"=\"2\"\r\n"
                               "\"V\"=-\r\n"
                               "[-hkey_local_machine\\software\\a\\gone]\r\n"
                               "\"ignored\"=\"under a removed key\"\r\n");
    EXPECT_EQ(nullptr, tree.Find({ "HKEY_LOCAL_MACHINE", "SOFTWARE", "A", "Gone" }));
    const RegistryKey* kept = tree.Find({ "HKEY_LOCAL_MACHINE", "SOFTWARE", "A", "Kept" });
    ASSERT_NE(nullptr, kept);
    ASSERT_EQ(1u, kept->values.size());
    EXPECT_EQ("w", kept->values[0].name);
}

TEST(RegFile, MalformedTextsAreRefusedWithTheirLine)
{
    const std::string head = "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\K]\n";
    const std::pair<std::string, std::string> cases[] = {
        { "Windows Registry Editor Version 5.00\r\n", "line 1: " },
        { "REGEDIT4\n\n\"x\"=\"1\"\n", "line 3: a value before" },
        { "REGEDIT4\n[HKEY_NOWHERE\\A]\n", "line 2: unknown root" },
        { "REGEDIT4\n[HKEY_LOCAL_MACHINE\\A\n", "line 2: a key line must end" },
        { head + "\"x\"=\"unterminated\n", "line 4: quoted text without" },
        { head + "\"x\"=\"tab\\t\"\n", "line 4: unknown escape" },
        { head + "\"x\"=\"a\" trailing\n", "line 4: unexpected text" },
        { head + "\"x\" \"1\"\n", "line 4: expected '='" },
        { head + "\"x\"=dword:123456789\n", "line 4: dword:" },
        { head + "\"x\"=hex:01,,02\n", "line 4: bad hex byte" },
        { head + "\"x\"=hex(z):01\n", "line 4: hex(N)" },
        { head + "\"x\"=hex:01,\\\n  02,\\\n  zz\n", "line 6: bad hex byte 'zz'" },
        { head + "\"x\"=hex:01,\\\n", "line 4: hex data continued past the end" },
        { head + "\"x\"=text\n", "line 4: unknown value data" },
    };
    for (const auto& [text, expected] : cases) {
        RegistryTree tree;
        std::string error;
        EXPECT_FALSE(ParseRegFile(text, tree, error)) << text;
        EXPECT_EQ(0u, error.find(expected)) << text << "gave: " << error;
    }
}
