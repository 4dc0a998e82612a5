// The Reg* functions seen from outside: keys, values, sizes, enumeration, deletion, handles.
#include "registry_test_support.h"
#include "shlwapi_registry.h"

#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <thread>
#include <vector>

using namespace qx::registry::testing;

namespace {

class RegistryApiTest : public RegistryTest {
protected:
    HKEY Create(HKEY parent, const char* path, REGSAM access = KEY_ALL_ACCESS) {
        HKEY key = nullptr;
        EXPECT_EQ(RegCreateKeyExA(parent, path, 0, nullptr, 0, access, nullptr, &key, nullptr), ERROR_SUCCESS)
            << path;
        return key;
    }
    void SetText(HKEY key, const char* name, const char* text) {
        ASSERT_EQ(RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                                 static_cast<DWORD>(std::strlen(text) + 1)),
                  ERROR_SUCCESS);
    }
    std::vector<std::u16string> SubkeyNames(HKEY key) {
        std::vector<std::u16string> names;
        for (DWORD i = 0;; ++i) {
            WCHAR name[256];
            DWORD length = 256;
            const LONG rc = RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr);
            if (rc == ERROR_NO_MORE_ITEMS)
                break;
            EXPECT_EQ(rc, ERROR_SUCCESS);
            if (rc != ERROR_SUCCESS)
                break;
            names.emplace_back(name, length);
        }
        return names;
    }
};

TEST_F(RegistryApiTest, CreateReportsNewThenExistingAndOpenIgnoresCase) {
    HKEY key = nullptr;
    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\Tessel\\Forms", 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\tessel\\FORMS", 0, nullptr, 0, KEY_READ, nullptr,
                              &key, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    RegCloseKey(key);
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "software\\TESSEL\\forms\\", 0, KEY_READ, &key),
              ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);

    HKEY software = Create(HKEY_CURRENT_USER, "Software");
    EXPECT_EQ(SubkeyNames(software), std::vector<std::u16string>{u"Tessel"}); // the first spelling stays
    RegCloseKey(software);
}

struct PathCase {
    const char* name;
    HKEY parent;
    std::u16string path;
    LONG open;
    LONG create;
};

TEST_F(RegistryApiTest, PathAndHandleErrors) {
    const std::u16string longName(256, u'x');
    const PathCase cases[] = {
        {"missing key", HKEY_CURRENT_USER, u"NoSuchKey", ERROR_FILE_NOT_FOUND, ERROR_SUCCESS},
        {"leading backslash", HKEY_CURRENT_USER, u"\\Software", ERROR_BAD_PATHNAME, ERROR_BAD_PATHNAME},
        {"empty middle name", HKEY_CURRENT_USER, u"a\\\\b", ERROR_BAD_PATHNAME, ERROR_BAD_PATHNAME},
        {"name of 256 units", HKEY_CURRENT_USER, longName, ERROR_FILE_NOT_FOUND, ERROR_INVALID_PARAMETER},
        {"unknown handle", reinterpret_cast<HKEY>(0x4242), u"x", ERROR_INVALID_HANDLE, ERROR_INVALID_HANDLE},
        {"performance data", HKEY_PERFORMANCE_DATA, u"x", ERROR_INVALID_HANDLE, ERROR_INVALID_HANDLE},
    };
    for (const auto& c : cases) {
        HKEY key = reinterpret_cast<HKEY>(1);
        EXPECT_EQ(RegOpenKeyExW(c.parent, c.path.c_str(), 0, KEY_READ, &key), c.open) << c.name;
        if (c.open != ERROR_SUCCESS) {
            EXPECT_EQ(key, nullptr) << c.name;
        }
        EXPECT_EQ(RegCreateKeyExW(c.parent, c.path.c_str(), 0, nullptr, 0, KEY_READ, nullptr, &key, nullptr),
                  c.create)
            << c.name;
        if (c.create == ERROR_SUCCESS)
            RegCloseKey(key);
    }
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "x", 0, KEY_READ, nullptr), ERROR_INVALID_PARAMETER);
    const std::u16string deep = [] {
        std::u16string path;
        for (int i = 0; i < 513; ++i)
            path += u"k\\";
        return path;
    }();
    HKEY key = nullptr;
    EXPECT_EQ(
        RegCreateKeyExW(HKEY_CURRENT_USER, deep.c_str(), 0, nullptr, 0, KEY_READ, nullptr, &key, nullptr),
        ERROR_INVALID_PARAMETER);
}

struct ValueCase {
    const char* name;
    DWORD type;
    std::vector<BYTE> data;
};

TEST_F(RegistryApiTest, EveryValueTypeComesBackByteForByteAlsoFromTheFile) {
    const ValueCase cases[] = {
        {"sz", REG_SZ, Bytes(std::u16string(u"Convert Class\0", 14))},
        {"expand_sz", REG_EXPAND_SZ, Bytes(std::u16string(u"%TEMP%\\x\0", 9))},
        {"multi_sz", REG_MULTI_SZ, Bytes(std::u16string(u"a\0b\0\0", 5))},
        {"sz without terminator", REG_SZ, Bytes(u"abc")},
        {"sz of odd length", REG_SZ, {0x41, 0x00, 0x42}},
        {"sz with quotes and controls", REG_SZ, Bytes(std::u16string(u"\"\\\n\t\x7f\xd800\U0001F600\0", 10))},
        {"binary", REG_BINARY, {0x00, 0xFF, 0x10, 0x0A, 0x22}},
        {"empty binary", REG_BINARY, {}},
        {"dword", REG_DWORD, {0x51, 0x01, 0x02, 0x00}},
        {"dword of 3 bytes", REG_DWORD, {1, 2, 3}},
        {"big-endian dword", REG_DWORD_BIG_ENDIAN, {0, 0, 1, 2}},
        {"qword", REG_QWORD, {1, 2, 3, 4, 5, 6, 7, 8}},
        {"none", REG_NONE, {7}},
        {"unnamed type", 0x12345, {9, 9}},
    };
    HKEY key = Create(HKEY_LOCAL_MACHINE, "Software\\Values");
    for (const auto& c : cases) {
        const std::u16string name(c.name, c.name + std::strlen(c.name));
        ASSERT_EQ(
            RegSetValueExW(key, name.c_str(), 0, c.type, c.data.data(), static_cast<DWORD>(c.data.size())),
            ERROR_SUCCESS)
            << c.name;
    }
    RegCloseKey(key);
    for (int pass = 0; pass < 2; ++pass) {
        if (pass == 1)
            Reopen();
        key = Create(HKEY_LOCAL_MACHINE, "Software\\Values", KEY_READ);
        for (const auto& c : cases) {
            DWORD type = 0;
            BYTE buffer[64];
            DWORD size = sizeof buffer;
            // The A form changes string data only; everything else comes through as it is.
            ASSERT_EQ(RegQueryValueExA(key, c.name, nullptr, &type, buffer, &size), ERROR_SUCCESS) << c.name;
            if (c.type != REG_SZ && c.type != REG_EXPAND_SZ && c.type != REG_MULTI_SZ) {
                EXPECT_EQ(std::vector<BYTE>(buffer, buffer + size), c.data) << c.name;
            }
            std::u16string name(c.name, c.name + std::strlen(c.name));
            size = sizeof buffer;
            ASSERT_EQ(RegQueryValueExW(key, name.c_str(), nullptr, &type, buffer, &size), ERROR_SUCCESS)
                << c.name;
            EXPECT_EQ(type, c.type) << c.name;
            EXPECT_EQ(std::vector<BYTE>(buffer, buffer + size), c.data) << c.name << " pass " << pass;
        }
        RegCloseKey(key);
    }
}

TEST_F(RegistryApiTest, QueryValueSizesAndMoreData) {
    HKEY key = Create(HKEY_CURRENT_USER, "Sizes");
    SetText(key, "Path", "C:\\Program Files\\Tessel");
    const DWORD expected = 24;
    const DWORD expectedWide = 48;
    struct Case {
        const char* name;
        bool wide;
        bool withBuffer;
        DWORD offered;
        LONG rc;
        DWORD reported;
    } cases[] = {
        {"A size query", false, false, 0, ERROR_SUCCESS, expected},
        {"A buffer too small", false, true, expected - 1, ERROR_MORE_DATA, expected},
        {"A buffer of zero", false, true, 0, ERROR_MORE_DATA, expected},
        {"A exact buffer", false, true, expected, ERROR_SUCCESS, expected},
        {"A larger buffer", false, true, 100, ERROR_SUCCESS, expected},
        {"W size query", true, false, 0, ERROR_SUCCESS, expectedWide},
        {"W buffer too small", true, true, expectedWide - 1, ERROR_MORE_DATA, expectedWide},
        {"W exact buffer", true, true, expectedWide, ERROR_SUCCESS, expectedWide},
    };
    for (const auto& c : cases) {
        BYTE buffer[128];
        std::memset(buffer, 0xCC, sizeof buffer);
        DWORD size = c.offered;
        DWORD type = 0;
        const LONG rc =
            c.wide ? RegQueryValueExW(key, u"path", nullptr, &type, c.withBuffer ? buffer : nullptr, &size)
                   : RegQueryValueExA(key, "PATH", nullptr, &type, c.withBuffer ? buffer : nullptr, &size);
        EXPECT_EQ(rc, c.rc) << c.name;
        EXPECT_EQ(size, c.reported) << c.name;
        EXPECT_EQ(type, REG_SZ) << c.name;
        if (rc == ERROR_SUCCESS && c.withBuffer && !c.wide) {
            EXPECT_STREQ(reinterpret_cast<char*>(buffer), "C:\\Program Files\\Tessel") << c.name;
        }
        if (rc == ERROR_MORE_DATA) {
            EXPECT_EQ(buffer[0], 0xCC) << c.name; // nothing written
        }
    }
    BYTE buffer[4];
    EXPECT_EQ(RegQueryValueExA(key, "Path", nullptr, nullptr, buffer, nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegQueryValueExA(key, "Path", nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    DWORD size = 4;
    EXPECT_EQ(RegQueryValueExA(key, "Missing", nullptr, nullptr, buffer, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegQueryValueExA(key, nullptr, nullptr, nullptr, buffer, &size), ERROR_FILE_NOT_FOUND);
    SetText(key, "", "default");
    size = 0;
    EXPECT_EQ(RegQueryValueExA(key, nullptr, nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 8u);
    RegCloseKey(key);
}

TEST_F(RegistryApiTest, AnsiFormsCrossCodePage949BothWays) {
    const std::u16string korean = u"\uC591\uC2DD \uCC98\uB9AC\uAE30"; // "form processor" in Korean
    const std::string ansi = Cp949(korean);
    ASSERT_EQ(ansi.size(), 11u);
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, ansi.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, ansi.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(ansi.c_str()),
                             static_cast<DWORD>(ansi.size() + 1)),
              ERROR_SUCCESS);
    // The W form sees UTF-16, terminator included.
    BYTE wide[64];
    DWORD size = sizeof wide;
    ASSERT_EQ(RegQueryValueExW(key, korean.c_str(), nullptr, nullptr, wide, &size), ERROR_SUCCESS);
    EXPECT_EQ(std::vector<BYTE>(wide, wide + size), Bytes(korean + u'\0'));
    // The A form gives code page 949 back, and its size query counts those bytes.
    size = 0;
    ASSERT_EQ(RegQueryValueExA(key, ansi.c_str(), nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, ansi.size() + 1);
    char text[64];
    size = sizeof text;
    ASSERT_EQ(RegQueryValueExA(key, ansi.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(std::string(text, size), ansi + '\0');
    // Names too: enumerated as UTF-16 and as code page 949.
    EXPECT_EQ(SubkeyNames(HKEY_CURRENT_USER), std::vector<std::u16string>{korean});
    char name[64];
    DWORD length = static_cast<DWORD>(ansi.size()); // one short: no room for the terminator
    EXPECT_EQ(RegEnumKeyExA(HKEY_CURRENT_USER, 0, name, &length, nullptr, nullptr, nullptr, nullptr),
              ERROR_MORE_DATA);
    length = sizeof name;
    ASSERT_EQ(RegEnumKeyExA(HKEY_CURRENT_USER, 0, name, &length, nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(std::string(name, length), ansi);
    DWORD maxName = 0, maxValueName = 0, maxData = 0;
    ASSERT_EQ(RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                               &maxValueName, &maxData, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(maxValueName, ansi.size());
    EXPECT_EQ(maxData, ansi.size() + 1);
    ASSERT_EQ(RegQueryInfoKeyA(HKEY_CURRENT_USER, nullptr, nullptr, nullptr, nullptr, &maxName, nullptr,
                               nullptr, nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(maxName, ansi.size());
    ASSERT_EQ(RegQueryInfoKeyW(HKEY_CURRENT_USER, nullptr, nullptr, nullptr, nullptr, &maxName, nullptr,
                               nullptr, nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(maxName, korean.size());
    // A character code page 949 lacks comes out of the A form as '?'.
    const std::u16string greekAndThai = u"\u0E01x";
    ASSERT_EQ(RegSetValueExW(key, u"thai", 0, REG_SZ, Bytes(greekAndThai + u'\0').data(), 6), ERROR_SUCCESS);
    size = sizeof text;
    ASSERT_EQ(RegQueryValueExA(key, "thai", nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(std::string(text, size), std::string("?x\0", 3));
    RegCloseKey(key);
}

TEST_F(RegistryApiTest, NamesMatchWithoutCaseAndKeepTheirFirstSpelling) {
    HKEY key = Create(HKEY_CURRENT_USER, "Case");
    SetText(key, "ThreadingModel", "Apartment");
    SetText(key, "THREADINGMODEL", "Both");
    ASSERT_EQ(RegSetValueExW(key, u"\u00C9t\u00E9", 0, REG_SZ, Bytes(u"x").data(), 2), ERROR_SUCCESS);
    WCHAR name[64];
    DWORD length = 64;
    BYTE data[64];
    DWORD size = sizeof data;
    ASSERT_EQ(RegEnumValueW(key, 0, name, &length, nullptr, nullptr, data, &size), ERROR_SUCCESS);
    EXPECT_EQ(std::u16string(name, length), u"ThreadingModel");
    EXPECT_EQ(std::string(reinterpret_cast<char*>(data), size), std::string("B\0o\0t\0h\0\0\0", 10));
    size = sizeof data;
    EXPECT_EQ(RegQueryValueExW(key, u"\u00E9T\u00C9", nullptr, nullptr, data, &size), ERROR_SUCCESS);
    DWORD values = 0;
    RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                     nullptr, nullptr);
    EXPECT_EQ(values, 2u);
    RegCloseKey(key);
}

TEST_F(RegistryApiTest, EnumerationIsSortedWithoutCaseAndEndsWithNoMoreItems) {
    HKEY key = Create(HKEY_CURRENT_USER, "Order");
    for (const char* name : {"b", "A", "c", "_x", "10", "9", "Ab"})
        RegCloseKey(Create(key, name));
    const std::vector<std::u16string> expected = {u"10", u"9", u"A", u"Ab", u"b", u"c", u"_x"};
    EXPECT_EQ(SubkeyNames(key), expected);
    for (const char* name : {"zeta", "Alpha", "", "beta"})
        SetText(key, name, name);
    std::vector<std::string> values;
    for (DWORD i = 0;; ++i) {
        char name[32];
        DWORD length = sizeof name;
        const LONG rc = RegEnumValueA(key, i, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_NO_MORE_ITEMS)
            break;
        ASSERT_EQ(rc, ERROR_SUCCESS);
        values.emplace_back(name, length);
    }
    EXPECT_EQ(values, (std::vector<std::string>{"", "Alpha", "beta", "zeta"}));
    // Going back to an earlier index after a change still gives the right entry.
    RegCloseKey(Create(key, "0"));
    EXPECT_EQ(SubkeyNames(key).front(), u"0");

    char name[4];
    DWORD length = 4;
    EXPECT_EQ(RegEnumValueA(key, 1, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
    BYTE data[2];
    DWORD size = sizeof data;
    char roomy[32];
    length = sizeof roomy;
    EXPECT_EQ(RegEnumValueA(key, 2, roomy, &length, nullptr, nullptr, data, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 5u);
    WCHAR wide[8];
    DWORD wideLength = 8;
    EXPECT_EQ(RegEnumKeyExW(key, 99, wide, &wideLength, nullptr, nullptr, nullptr, nullptr),
              ERROR_NO_MORE_ITEMS);
    RegCloseKey(key);
}

TEST_F(RegistryApiTest, DeletionRules) {
    RegCloseKey(Create(HKEY_CURRENT_USER, "Tree\\Branch\\Leaf"));
    HKEY key = Create(HKEY_CURRENT_USER, "Tree");
    SetText(key, "v", "1");
    struct Case {
        const char* name;
        LONG (*action)(HKEY);
        LONG rc;
    } cases[] = {
        {"key with subkeys", [](HKEY k) { return RegDeleteKeyA(k, "Branch"); }, ERROR_ACCESS_DENIED},
        {"missing key", [](HKEY k) { return RegDeleteKeyA(k, "Nope"); }, ERROR_FILE_NOT_FOUND},
        {"null name", [](HKEY k) { return RegDeleteKeyW(k, nullptr); }, ERROR_INVALID_PARAMETER},
        {"leaf", [](HKEY k) { return RegDeleteKeyA(k, "branch\\LEAF"); }, ERROR_SUCCESS},
        {"leaf again", [](HKEY k) { return RegDeleteKeyA(k, "Branch\\Leaf"); }, ERROR_FILE_NOT_FOUND},
        {"value", [](HKEY k) { return RegDeleteValueA(k, "V"); }, ERROR_SUCCESS},
        {"value again", [](HKEY k) { return RegDeleteValueW(k, u"v"); }, ERROR_FILE_NOT_FOUND},
        {"hive root", [](HKEY) { return RegDeleteKeyA(HKEY_CURRENT_USER, ""); }, ERROR_ACCESS_DENIED},
        {"hive root by SHDeleteKey", [](HKEY) { return SHDeleteKeyA(HKEY_CURRENT_USER, nullptr); },
         ERROR_ACCESS_DENIED},
        {"classes root", [](HKEY) { return SHDeleteKeyW(HKEY_CLASSES_ROOT, u""); }, ERROR_ACCESS_DENIED},
        {"SHDeleteKey of a missing key", [](HKEY k) { return SHDeleteKeyA(k, "Nope"); },
         ERROR_FILE_NOT_FOUND},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.action(key), c.rc) << c.name;
    RegCloseKey(Create(key, "Branch\\Leaf2\\Deeper"));
    EXPECT_EQ(SHDeleteKeyA(HKEY_CURRENT_USER, "TREE"), ERROR_SUCCESS);
    HKEY gone = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Tree", 0, KEY_READ, &gone), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);

    // RegDeleteKey with an empty name deletes the key its handle names.
    key = Create(HKEY_CURRENT_USER, "Self");
    EXPECT_EQ(RegDeleteKeyA(key, ""), ERROR_SUCCESS);
    EXPECT_EQ(SubkeyNames(HKEY_CURRENT_USER).size(), 0u);
    RegCloseKey(key);
}

TEST_F(RegistryApiTest, HandleOfDeletedKeyGivesKeyDeleted) {
    HKEY key = Create(HKEY_CURRENT_USER, "Doomed\\Inner");
    HKEY inner = Create(key, "Deepest");
    ASSERT_EQ(SHDeleteKeyA(HKEY_CURRENT_USER, "Doomed"), ERROR_SUCCESS);
    RegCloseKey(Create(HKEY_CURRENT_USER, "Doomed\\Inner")); // a new key of the same name is another key
    BYTE data[8];
    DWORD size = sizeof data;
    WCHAR name[8];
    DWORD length = 8;
    HKEY sub = nullptr;
    EXPECT_EQ(RegQueryValueExA(key, "x", nullptr, nullptr, data, &size), ERROR_KEY_DELETED);
    EXPECT_EQ(RegSetValueExA(key, "x", 0, REG_BINARY, data, 1), ERROR_KEY_DELETED);
    EXPECT_EQ(RegDeleteValueA(key, "x"), ERROR_KEY_DELETED);
    EXPECT_EQ(RegEnumKeyExW(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_KEY_DELETED);
    EXPECT_EQ(RegEnumValueW(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_KEY_DELETED);
    EXPECT_EQ(RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                               nullptr, nullptr, nullptr),
              ERROR_KEY_DELETED);
    EXPECT_EQ(RegCreateKeyExA(key, "new", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sub, nullptr),
              ERROR_KEY_DELETED);
    EXPECT_EQ(RegOpenKeyExA(inner, "", 0, KEY_READ, &sub), ERROR_KEY_DELETED);
    EXPECT_EQ(RegDeleteKeyA(inner, ""), ERROR_KEY_DELETED);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(inner), ERROR_SUCCESS);
}

TEST_F(RegistryApiTest, ClassesRootIsLocalMachineSoftwareClasses) {
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, "CLSID", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    WCHAR name[64];
    DWORD length = 64;
    EXPECT_EQ(RegEnumKeyExW(HKEY_CLASSES_ROOT, 0, name, &length, nullptr, nullptr, nullptr, nullptr),
              ERROR_NO_MORE_ITEMS);
    key = Create(HKEY_CLASSES_ROOT, "Quorle.Convert\\CLSID");
    SetText(key, "", "{241828DA-76FC-412D-8FFC-099704F25959}");
    RegCloseKey(key);
    key = Create(HKEY_LOCAL_MACHINE, "Software\\Classes\\Quorle.Convert\\CLSID", KEY_READ);
    char text[64];
    DWORD size = sizeof text;
    ASSERT_EQ(RegQueryValueExA(key, "", nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size),
              ERROR_SUCCESS);
    EXPECT_STREQ(text, "{241828DA-76FC-412D-8FFC-099704F25959}");
    RegCloseKey(key);
    RegCloseKey(Create(HKEY_LOCAL_MACHINE, "SOFTWARE\\CLASSES\\Kestrum.Calendar"));
    EXPECT_EQ(SubkeyNames(HKEY_CLASSES_ROOT),
              (std::vector<std::u16string>{u"Kestrum.Calendar", u"Quorle.Convert"}));
    // A handle on the classes root itself follows the key even when it is made again.
    HKEY root = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, nullptr, 0, KEY_ALL_ACCESS, &root), ERROR_SUCCESS);
    ASSERT_EQ(SHDeleteKeyA(HKEY_LOCAL_MACHINE, "Software"), ERROR_SUCCESS);
    EXPECT_EQ(SubkeyNames(root).size(), 0u);
    SetText(root, "Note", "made again");
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Classes", 0, KEY_READ, &key), ERROR_SUCCESS);
    RegCloseKey(key);
    RegCloseKey(root);
}

TEST_F(RegistryApiTest, QueryInfoCountsAndLengths) {
    HKEY key = Create(HKEY_CURRENT_USER, "Info");
    RegCloseKey(Create(key, "short"));
    RegCloseKey(Create(key, "a much longer name"));
    SetText(key, "n", "twelve chars");
    SetText(key, "longest name", "x");
    DWORD subKeys = 9, maxSub = 9, maxClass = 9, values = 9, maxValueName = 9, maxValue = 9, security = 9;
    FILETIME time{1, 1};
    WCHAR cls[4] = u"zz";
    DWORD clsLength = 4;
    ASSERT_EQ(RegQueryInfoKeyW(key, cls, &clsLength, nullptr, &subKeys, &maxSub, &maxClass, &values,
                               &maxValueName, &maxValue, &security, &time),
              ERROR_SUCCESS);
    EXPECT_EQ(subKeys, 2u);
    EXPECT_EQ(maxSub, 18u);
    EXPECT_EQ(values, 2u);
    EXPECT_EQ(maxValueName, 12u);
    EXPECT_EQ(maxValue, 26u);
    EXPECT_EQ(maxClass, 0u);
    EXPECT_EQ(clsLength, 0u);
    EXPECT_EQ(cls[0], u'\0');
    ASSERT_EQ(RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                               &maxValue, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(maxValue, 13u);
    DWORD reserved = 0;
    EXPECT_EQ(RegQueryInfoKeyA(key, nullptr, nullptr, &reserved, nullptr, nullptr, nullptr, nullptr, nullptr,
                               nullptr, nullptr, nullptr),
              ERROR_INVALID_PARAMETER);
    RegCloseKey(key);
}

TEST_F(RegistryApiTest, HandlesKeepTheRightsTheyWereOpenedWith) {
    RegCloseKey(Create(HKEY_CURRENT_USER, "Rights\\Sub"));
    HKEY readOnly = Create(HKEY_CURRENT_USER, "Rights", KEY_READ);
    HKEY setOnly = Create(HKEY_CURRENT_USER, "Rights", KEY_SET_VALUE);
    BYTE data[4] = {1, 2, 3, 4};
    DWORD size = sizeof data;
    char name[8];
    DWORD length = sizeof name;
    EXPECT_EQ(RegSetValueExA(readOnly, "v", 0, REG_BINARY, data, 4), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteValueA(readOnly, "v"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegSetValueExA(setOnly, "v", 0, REG_BINARY, data, 4), ERROR_SUCCESS);
    EXPECT_EQ(RegQueryValueExA(setOnly, "v", nullptr, nullptr, data, &size), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegEnumKeyExA(setOnly, 0, name, &length, nullptr, nullptr, nullptr, nullptr),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegQueryValueExA(readOnly, "v", nullptr, nullptr, data, &size), ERROR_SUCCESS);
    EXPECT_EQ(RegEnumKeyExA(readOnly, 0, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(setOnly, "v", 0, REG_BINARY, nullptr, 4), ERROR_NOACCESS);
    RegCloseKey(readOnly);
    RegCloseKey(setOnly);
}

TEST_F(RegistryApiTest, ShortFormsOfOpenCreateAndDefaultValues) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Short\\Form", &key), ERROR_SUCCESS);
    HKEY same = nullptr;
    EXPECT_EQ(RegOpenKeyA(key, "", &same), ERROR_SUCCESS);
    EXPECT_EQ(same, key);
    EXPECT_EQ(RegSetValueA(HKEY_CURRENT_USER, "Short\\Form\\Default", REG_SZ, "text", 0), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueA(HKEY_CURRENT_USER, "Short", REG_DWORD, "text", 0), ERROR_INVALID_PARAMETER);
    char text[16];
    LONG size = sizeof text;
    ASSERT_EQ(RegQueryValueA(key, "Default", text, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 5);
    EXPECT_STREQ(text, "text");
    size = sizeof text;
    ASSERT_EQ(RegQueryValueA(HKEY_CURRENT_USER, "Short", text, &size), ERROR_SUCCESS); // never set: empty
    EXPECT_EQ(size, 1);
    EXPECT_STREQ(text, "");
    size = 2;
    EXPECT_EQ(RegQueryValueA(key, "Default", text, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 5);
    EXPECT_EQ(RegQueryValueA(key, "Missing", text, &size), ERROR_FILE_NOT_FOUND);
    WCHAR wide[16];
    size = sizeof wide;
    ASSERT_EQ(RegQueryValueW(key, u"Default", wide, &size), ERROR_SUCCESS);
    EXPECT_EQ(std::u16string(wide), u"text");
    EXPECT_EQ(RegOpenKeyW(HKEY_CURRENT_USER, u"short\\form", &same), ERROR_SUCCESS);
    RegCloseKey(same);
    RegCloseKey(key);
}

TEST_F(RegistryApiTest, TransactionWritesOnceOrNotAtAll) {
    {
        qx::registry::Transaction transaction;
        ASSERT_EQ(transaction.Status(), ERROR_SUCCESS);
        RegCloseKey(Create(HKEY_CURRENT_USER, "Batch\\One"));
        RegCloseKey(Create(HKEY_CURRENT_USER, "Batch\\Two"));
        EXPECT_FALSE(std::filesystem::exists(RegistryFile())); // nothing written before Commit
        EXPECT_EQ(transaction.Commit(), ERROR_SUCCESS);
    }
    const std::string committed = ReadFile(RegistryFile());
    HKEY kept = nullptr;
    {
        qx::registry::Transaction transaction;
        kept = Create(HKEY_CURRENT_USER, "Batch\\Three");
        ASSERT_EQ(SHDeleteKeyA(HKEY_CURRENT_USER, "Batch\\One"), ERROR_SUCCESS);
    } // dropped
    EXPECT_EQ(ReadFile(RegistryFile()), committed);
    EXPECT_EQ(SubkeyNames(Create(HKEY_CURRENT_USER, "Batch")), (std::vector<std::u16string>{u"One", u"Two"}));
    EXPECT_EQ(RegSetValueExA(kept, "x", 0, REG_NONE, nullptr, 0), ERROR_KEY_DELETED);
    RegCloseKey(kept);
    {
        qx::registry::Transaction outer;
        {
            qx::registry::Transaction inner;
            RegCloseKey(Create(HKEY_CURRENT_USER, "Batch\\Four"));
        } // an inner transaction dropped dooms the outer one
        EXPECT_EQ(outer.Commit(), ERROR_CANCELLED);
    }
    EXPECT_EQ(ReadFile(RegistryFile()), committed);
}

TEST_F(RegistryApiTest, OtherThreadsWaitForATransactionAndSeeItWhole) {
    std::atomic<bool> inside{false};
    std::atomic<int> seen{-1};
    std::thread reader;
    {
        qx::registry::Transaction transaction;
        RegCloseKey(Create(HKEY_CURRENT_USER, "Whole\\A"));
        reader = std::thread([&] {
            inside = true;
            HKEY key = nullptr;
            if (RegOpenKeyExA(HKEY_CURRENT_USER, "Whole", 0, KEY_READ, &key) == ERROR_SUCCESS) {
                DWORD count = 0;
                RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr,
                                 nullptr, nullptr, nullptr);
                seen = static_cast<int>(count);
                RegCloseKey(key);
            }
        });
        while (!inside)
            std::this_thread::yield();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        RegCloseKey(Create(HKEY_CURRENT_USER, "Whole\\B"));
        EXPECT_EQ(seen.load(), -1);
        ASSERT_EQ(transaction.Commit(), ERROR_SUCCESS);
    }
    reader.join();
    EXPECT_EQ(seen.load(), 2);
}

TEST_F(RegistryApiTest, ConcurrentThreadsLoseNoValue) {
    constexpr int kThreads = 4;
    constexpr int kEach = 15;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([t] {
            HKEY key = nullptr;
            RegCreateKeyExA(HKEY_CURRENT_USER, "Threads", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            nullptr);
            for (int i = 0; i < kEach; ++i) {
                const DWORD v = static_cast<DWORD>(t * 100 + i);
                const std::string name = "t" + std::to_string(t) + "-" + std::to_string(i);
                RegSetValueExA(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), 4);
            }
            RegCloseKey(key);
        });
    for (auto& thread : threads)
        thread.join();
    Reopen();
    HKEY key = Create(HKEY_CURRENT_USER, "Threads", KEY_READ);
    DWORD values = 0;
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                     nullptr, nullptr);
    EXPECT_EQ(values, static_cast<DWORD>(kThreads * kEach));
    RegCloseKey(key);
}

} // namespace

namespace {

// Sets or clears an environment variable for one scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name))
            old_ = old;
        value ? setenv(name, value, 1) : unsetenv(name);
    }
    ~ScopedEnv() { old_ ? setenv(name_, old_->c_str(), 1) : unsetenv(name_); }

private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(RegistryDirectoryTest, ComesFromTheEnvironmentInItsOrder) {
    struct Case {
        const char* dir;
        const char* xdg;
        const char* home;
        const char* expected;
    } cases[] = {
        {"/srv/reg", "/data", "/home/u", "/srv/reg"},
        {"", "/data", "/home/u", "/data/qxforms/registry"},
        {nullptr, "/data", "/home/u", "/data/qxforms/registry"},
        {nullptr, "relative/data", "/home/u", "/home/u/.local/share/qxforms/registry"},
        {nullptr, "", "/home/u", "/home/u/.local/share/qxforms/registry"},
        {nullptr, nullptr, "/home/u", "/home/u/.local/share/qxforms/registry"},
    };
    for (const auto& c : cases) {
        ScopedEnv dir("QX_REGISTRY_DIR", c.dir);
        ScopedEnv xdg("XDG_DATA_HOME", c.xdg);
        ScopedEnv home("HOME", c.home);
        EXPECT_EQ(qx::registry::DefaultRegistryDirectory(), std::filesystem::path(c.expected)) << c.expected;
    }
}

} // namespace
