// The registry file: its exact text, its round trip, and damaged files.
#include "registry_file.h"
#include "registry_test_support.h"
#include "shlwapi_registry.h"

#include <string>

using namespace qx::registry::detail;
using namespace qx::registry::testing;

namespace {

TEST(RegistryFileTest, WritesTheDocumentedTextByteForByte) {
    Tree tree;
    Key* software = tree.AddSubkey(tree.Root(Hive::LocalMachine), u"Software");
    Key* classes = tree.AddSubkey(software, u"Classes");
    classes->values[FoldName(u"")] = Value{u"", REG_SZ, Bytes(std::u16string(u"Q\u00E9\"\\\n\0", 6))};
    classes->values[FoldName(u"Flags")] = Value{u"Flags", REG_DWORD, {0x2A, 0, 0, 0x80}};
    classes->values[FoldName(u"Blob")] = Value{u"Blob", REG_BINARY, {0x00, 0xFF}};
    classes->values[FoldName(u"Odd")] = Value{u"Odd", REG_SZ, {0x41}};
    classes->values[FoldName(u"X")] = Value{u"X", 0x99, {}};
    tree.AddSubkey(tree.Root(Hive::CurrentUser), u"\uD55C\uAE00 \U0001F600 \xD800");
    const std::string expected = "QXFORMS-REGISTRY 1\n"
                                 "next-serial 19\n"
                                 "hive HKEY_LOCAL_MACHINE\n"
                                 "key 16 \"Software\"\n"
                                 "key 17 \"Software\" \"Classes\"\n"
                                 "value \"\" sz text \"Q\xC3\xA9\\\"\\\\\\u000A\\u0000\"\n"
                                 "value \"Blob\" binary hex \"00ff\"\n"
                                 "value \"Flags\" dword dword 0x8000002A\n"
                                 "value \"Odd\" sz hex \"41\"\n"
                                 "value \"X\" 0x00000099 hex \"\"\n"
                                 "hive HKEY_CURRENT_USER\n"
                                 "key 18 \"\xED\x95\x9C\xEA\xB8\x80 \xF0\x9F\x98\x80 \\uD800\"\n"
                                 "hive HKEY_USERS\n"
                                 "hive HKEY_CURRENT_CONFIG\n"
                                 "end\n";
    EXPECT_EQ(SerializeTree(tree), expected);
    ParsedTree parsed = ParseTree(expected);
    ASSERT_TRUE(parsed.tree) << parsed.line << ": " << parsed.error;
    EXPECT_TRUE(parsed.tree->SameAs(tree));
    EXPECT_EQ(SerializeTree(*parsed.tree), expected);
}

TEST(RegistryFileTest, ReadsHandEditedFilesWithCommentsAndCrLf) {
    const std::string text =
        "QXFORMS-REGISTRY 1\r\n# edited by hand\r\n\r\nnext-serial 20\r\nhive HKEY_USERS\r\n"
        "key 19 \"S-1-5\"\r\nvalue \"n\" sz text \"caf\\u00e9\"\r\nend\r\n\r\n";
    ParsedTree parsed = ParseTree(text);
    ASSERT_TRUE(parsed.tree) << parsed.error;
    const Key* key = parsed.tree->Root(Hive::Users)->FindSubkey(u"s-1-5");
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->serial, 19u);
    EXPECT_EQ(key->FindValue(u"N")->data, Bytes(u"caf\u00E9"));
}

// Text from U+00A0 up is written as UTF-8, runs of it and whole surrogate pairs alike; controls,
// C1 characters and lone surrogates as escapes. It reads back unit for unit.
TEST(RegistryFileTest, QuotedTextMixesUtf8AndEscapes) {
    const struct {
        const char* name;
        std::u16string text;
        std::string quoted;
    } cases[] = {
        {"run of Hangul and an emoji", u"\uD55C\uAE00\U0001F600",
         "\"\xED\x95\x9C\xEA\xB8\x80\xF0\x9F\x98\x80\""},
        {"edges of the written ranges", u"\u00A0\u009F\uFFFF\U0010FFFF",
         "\"\xC2\xA0\\u009F\xEF\xBF\xBF\xF4\x8F\xBF\xBF\""},
        {"lone surrogates between characters", u"\u00E9\xDC00\u00E9\xD800",
         "\"\xC3\xA9\\uDC00\xC3\xA9\\uD800\""},
        {"reversed pair", u"\xDC00\xD800x", "\"\\uDC00\\uD800x\""},
    };
    for (const auto& c : cases) {
        Tree tree;
        Key* key = tree.AddSubkey(tree.Root(Hive::Users), u"K");
        key->values[FoldName(c.text)] = Value{c.text, REG_NONE, {}};
        const std::string text = SerializeTree(tree);
        EXPECT_NE(text.find("value " + c.quoted + " none hex \"\"\n"), std::string::npos) << c.name << "\n"
                                                                                          << text;
        ParsedTree parsed = ParseTree(text);
        ASSERT_TRUE(parsed.tree) << c.name << ": " << parsed.error;
        EXPECT_TRUE(parsed.tree->SameAs(tree)) << c.name;
    }
}

struct DamagedCase {
    const char* name;
    std::string body; // after the header line
    std::size_t line;
};

TEST(RegistryFileTest, DamagedFilesAreRecognisedWithTheirLine) {
    const std::string header = "QXFORMS-REGISTRY 1\nnext-serial 100\n";
    const DamagedCase cases[] = {
        {"cut off before end", "hive HKEY_LOCAL_MACHINE\nkey 16 \"A\"\n", 4},
        {"text after end", "end\nhive HKEY_USERS\n", 4},
        {"key before its parent", "hive HKEY_LOCAL_MACHINE\nkey 16 \"A\" \"B\"\nend\n", 4},
        {"key twice, other case", "hive HKEY_LOCAL_MACHINE\nkey 16 \"A\"\nkey 17 \"a\"\nend\n", 5},
        {"serial twice", "hive HKEY_LOCAL_MACHINE\nkey 16 \"A\"\nkey 16 \"B\"\nend\n", 5},
        {"serial beyond next-serial", "hive HKEY_LOCAL_MACHINE\nkey 100 \"A\"\nend\n", 4},
        {"serial of a hive root", "hive HKEY_LOCAL_MACHINE\nkey 2 \"A\"\nend\n", 4},
        {"value twice", "hive HKEY_USERS\nvalue \"v\" none hex \"\"\nvalue \"V\" none hex \"\"\nend\n", 5},
        {"value before any hive", "value \"v\" none hex \"\"\nend\n", 3},
        {"hive twice", "hive HKEY_USERS\nhive HKEY_USERS\nend\n", 4},
        {"unknown hive", "hive HKEY_DYN_DATA\nend\n", 3},
        {"unknown line", "hive HKEY_USERS\nkeys 16 \"A\"\nend\n", 4},
        {"bad escape", "hive HKEY_USERS\nkey 16 \"a\\q\"\nend\n", 4},
        {"short unicode escape", "hive HKEY_USERS\nkey 16 \"a\\u12\"\nend\n", 4},
        {"unterminated quote", "hive HKEY_USERS\nkey 16 \"abc\nend\n", 4},
        {"overlong UTF-8", "hive HKEY_USERS\nkey 16 \"\xC0\xAF\"\nend\n", 4},
        {"UTF-8 surrogate", "hive HKEY_USERS\nkey 16 \"\xED\xA0\x80\"\nend\n", 4},
        {"cut UTF-8", "hive HKEY_USERS\nkey 16 \"\xE3\x81\"\nend\n", 4},
        {"UTF-8 beyond U+10FFFF", "hive HKEY_USERS\nkey 16 \"\xF4\x90\x80\x80\"\nend\n", 4},
        {"stray continuation after a character", "hive HKEY_USERS\nkey 16 \"\xEA\xB0\x80\x80\"\nend\n", 4},
        {"UTF-8 cut by ASCII", "hive HKEY_USERS\nkey 16 \"\xEA\xB0x\"\nend\n", 4},
        {"raw control byte", "hive HKEY_USERS\nkey 16 \"a\tb\x01\"\nend\n", 4},
        {"backslash in key name", "hive HKEY_USERS\nkey 16 \"a\\\\b\"\nend\n", 4},
        {"empty key name", "hive HKEY_USERS\nkey 16 \"\"\nend\n", 4},
        {"key name of 256 units", "hive HKEY_USERS\nkey 16 \"" + std::string(256, 'k') + "\"\nend\n", 4},
        {"odd hex", "hive HKEY_USERS\nvalue \"v\" binary hex \"abc\"\nend\n", 4},
        {"hex digit", "hive HKEY_USERS\nvalue \"v\" binary hex \"zz\"\nend\n", 4},
        {"dword too wide", "hive HKEY_USERS\nvalue \"v\" dword dword 0x123456789\nend\n", 4},
        {"dword without 0x", "hive HKEY_USERS\nvalue \"v\" dword dword 42\nend\n", 4},
        {"unknown type", "hive HKEY_USERS\nvalue \"v\" string text \"x\"\nend\n", 4},
        {"text form unquoted", "hive HKEY_USERS\nvalue \"v\" sz text x\nend\n", 4},
        {"missing data", "hive HKEY_USERS\nvalue \"v\" sz text\nend\n", 4},
        {"byte beyond ASCII outside quotes", "hive HKEY_USERS\nkey 16 \xEA\xB0\x80\nend\n", 4},
        {"serial not a number", "hive HKEY_USERS\nkey 1x \"a\"\nend\n", 4},
        {"serial overflowing", "hive HKEY_USERS\nkey 99999999999999999999 \"a\"\nend\n", 4},
    };
    for (const auto& c : cases) {
        ParsedTree parsed = ParseTree(header + c.body);
        EXPECT_FALSE(parsed.tree) << c.name;
        EXPECT_EQ(parsed.line, c.line) << c.name << ": " << parsed.error;
        EXPECT_FALSE(parsed.error.empty()) << c.name;
    }
    const std::pair<const char*, std::string> headers[] = {
        {"empty file", ""},
        {"another file", "[HKEY_LOCAL_MACHINE]\nend\n"},
        {"newer version", "QXFORMS-REGISTRY 2\nnext-serial 16\nend\n"},
        {"version zero", "QXFORMS-REGISTRY 0\nnext-serial 16\nend\n"},
        {"next-serial twice", "QXFORMS-REGISTRY 1\nnext-serial 16\nnext-serial 17\nend\n"},
        {"next-serial after a hive",
         "QXFORMS-REGISTRY 1\nnext-serial 16\nhive HKEY_USERS\nnext-serial 17\nend\n"},
        {"hive before next-serial", "QXFORMS-REGISTRY 1\nhive HKEY_USERS\nend\n"},
        {"binary junk", std::string("\0\xFF\xFE\x01", 4)},
    };
    for (const auto& [name, text] : headers)
        EXPECT_FALSE(ParseTree(text).tree) << name;
}

TEST(RegistryFileTest, EveryCutOfARealFileIsDamaged) {
    Tree tree;
    Key* key = tree.AddSubkey(tree.Root(Hive::LocalMachine), u"Software");
    key->values[FoldName(u"v")] = Value{u"v", REG_SZ, Bytes(std::u16string(u"x\0", 2))};
    tree.AddSubkey(key, u"Classes");
    const std::string text = SerializeTree(tree);
    for (std::size_t length = 0; length + 1 < text.size(); ++length)
        EXPECT_FALSE(ParseTree(text.substr(0, length)).tree) << length;
    EXPECT_TRUE(ParseTree(text.substr(0, text.size() - 1)).tree); // only the last line break is missing
}

class DamagedRegistryTest : public RegistryTest {};

TEST_F(DamagedRegistryTest, IsReportedOnceAndNeverReplaced) {
    std::filesystem::create_directories(registryDir_);
    const std::string damaged = "QXFORMS-REGISTRY 1\nnext-serial 16\nhive HKEY_LOCAL_MACHINE\nkey 16 \"Soft";
    WriteFile(RegistryFile(), damaged);
    ::testing::internal::CaptureStderr();
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, KEY_READ, &key), ERROR_REGISTRY_CORRUPT);
    EXPECT_EQ(
        RegCreateKeyExA(HKEY_CURRENT_USER, "New", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
        ERROR_REGISTRY_CORRUPT);
    EXPECT_EQ(RegSetValueExA(HKEY_CURRENT_USER, "v", 0, REG_NONE, nullptr, 0), ERROR_REGISTRY_CORRUPT);
    EXPECT_EQ(SHDeleteKeyA(HKEY_LOCAL_MACHINE, "Software"), ERROR_REGISTRY_CORRUPT);
    qx::registry::Transaction transaction;
    EXPECT_EQ(transaction.Status(), ERROR_REGISTRY_CORRUPT);
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("is damaged (line 4: unterminated quoted text)"), std::string::npos) << err;
    EXPECT_EQ(err.find("damaged"), err.rfind("damaged")) << "reported more than once: " << err;
    EXPECT_EQ(ReadFile(RegistryFile()), damaged);

    // Repaired by its owner, the registry works again.
    WriteFile(RegistryFile(),
              "QXFORMS-REGISTRY 1\nnext-serial 17\nhive HKEY_LOCAL_MACHINE\nkey 16 \"Software\"\nend\n");
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, KEY_READ, &key), ERROR_SUCCESS);
    RegCloseKey(key);
}

TEST_F(DamagedRegistryTest, AFileThatCannotBeReadIsAnError) {
    std::filesystem::create_directories(RegistryFile()); // a directory where the file should be
    ::testing::internal::CaptureStderr();
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "x", 0, KEY_READ, &key), ERROR_REGISTRY_IO_FAILED);
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("cannot read"), std::string::npos);
}

} // namespace
