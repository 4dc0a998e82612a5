// The A forms beside the W forms: the same checks and results, with names and string data in
// code page 949 (glibc iconv is the reference) and every size counted in its bytes.
#include "registry_test_support.h"
#include "shlwapi_registry.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

using namespace qx::registry::testing;

namespace {

const std::u16string kKorean = u"\uC591\uC2DD \uCC98\uB9AC\uAE30"; // 5 Hangul syllables and a space

class RegistryAnsiFormsTest : public RegistryTest {
protected:
    HKEY CreateW(HKEY parent, const char16_t* path) {
        HKEY key = nullptr;
        EXPECT_EQ(RegCreateKeyExW(parent, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        return key;
    }
    void SetW(HKEY key, const std::u16string& name, DWORD type, const std::vector<BYTE>& data) {
        ASSERT_EQ(RegSetValueExW(key, name.c_str(), 0, type, data.data(), static_cast<DWORD>(data.size())),
                  ERROR_SUCCESS);
    }
};

std::vector<BYTE> AsBytes(const std::string& text) {
    return std::vector<BYTE>(text.begin(), text.end());
}

struct DataCase {
    const char* name;
    DWORD type;
    std::u16string text;     // string types: their UTF-16 form
    std::vector<BYTE> other; // other types: their bytes
};

const DataCase kDataCases[] = {
    {"sz", REG_SZ, std::u16string(u"\uC591\uC2DD form\0", 8), {}},
    {"expand_sz", REG_EXPAND_SZ, std::u16string(u"%TEMP%\\\uCC98\uB9AC\0", 10), {}},
    {"multi_sz", REG_MULTI_SZ, std::u16string(u"\uC591\0b\0\uAE30\uAE30\0\0", 8), {}},
    {"sz without terminator", REG_SZ, u"\uC591x", {}},
    {"empty sz", REG_SZ, u"", {}},
    {"binary", REG_BINARY, u"", {0xB0, 0xA1, 0x00, 0xFF}},
    {"dword", REG_DWORD, u"", {1, 0, 0, 0}},
};

std::vector<BYTE> WideData(const DataCase& c) {
    return c.type == REG_BINARY || c.type == REG_DWORD ? c.other : Bytes(c.text);
}
std::vector<BYTE> AnsiData(const DataCase& c) {
    return c.type == REG_BINARY || c.type == REG_DWORD ? c.other : AsBytes(Cp949(c.text));
}

// A value written by the W form reads back through RegQueryValueExA and RegEnumValueA as code page
// bytes, with size queries, short buffers and exact buffers all in those bytes.
TEST_F(RegistryAnsiFormsTest, QueryAndEnumerateGiveCodePageDataAndSizes) {
    for (const auto& c : kDataCases) {
        SCOPED_TRACE(c.name);
        HKEY key = CreateW(HKEY_CURRENT_USER, u"Data");
        SetW(key, kKorean, c.type, WideData(c));
        const std::string name = Cp949(kKorean);
        const std::vector<BYTE> expected = AnsiData(c);
        const DWORD need = static_cast<DWORD>(expected.size());

        // RegQueryValueExA: size query, one byte short, exact.
        DWORD type = 0, size = 0;
        ASSERT_EQ(RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size), ERROR_SUCCESS);
        EXPECT_EQ(size, need);
        EXPECT_EQ(type, c.type);
        std::vector<BYTE> buffer(need + 8, 0xCC);
        if (need > 0) {
            size = need - 1;
            type = 0;
            EXPECT_EQ(RegQueryValueExA(key, name.c_str(), nullptr, &type, buffer.data(), &size),
                      ERROR_MORE_DATA);
            EXPECT_EQ(size, need);
            EXPECT_EQ(type, c.type);
            EXPECT_EQ(buffer[0], 0xCC); // nothing written
        }
        size = need;
        ASSERT_EQ(RegQueryValueExA(key, name.c_str(), nullptr, nullptr, buffer.data(), &size), ERROR_SUCCESS);
        EXPECT_EQ(std::vector<BYTE>(buffer.begin(), buffer.begin() + size), expected);
        EXPECT_EQ(buffer[need], 0xCC);

        // RegEnumValueA: the same data, the name in code page bytes.
        char nameBuffer[64];
        DWORD length = sizeof nameBuffer;
        size = 0;
        ASSERT_EQ(RegEnumValueA(key, 0, nameBuffer, &length, nullptr, &type, nullptr, &size), ERROR_SUCCESS);
        EXPECT_EQ(std::string(nameBuffer, length), name);
        EXPECT_EQ(size, need);
        length = sizeof nameBuffer;
        size = need + 8;
        std::fill(buffer.begin(), buffer.end(), 0xCC);
        ASSERT_EQ(RegEnumValueA(key, 0, nameBuffer, &length, nullptr, &type, buffer.data(), &size),
                  ERROR_SUCCESS);
        EXPECT_EQ(std::vector<BYTE>(buffer.begin(), buffer.begin() + size), expected);

        // RegQueryInfoKeyA counts the same bytes.
        DWORD maxName = 0, maxData = 0;
        ASSERT_EQ(RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                   &maxName, &maxData, nullptr, nullptr),
                  ERROR_SUCCESS);
        EXPECT_EQ(maxName, name.size());
        EXPECT_EQ(maxData, need);
        RegCloseKey(key);
        ASSERT_EQ(SHDeleteKeyW(HKEY_CURRENT_USER, u"Data"), ERROR_SUCCESS);
    }
}

// RegSetValueExA converts string data, NULs inside REG_MULTI_SZ included, and keeps the rest.
TEST_F(RegistryAnsiFormsTest, SetConvertsStringDataOnly) {
    for (const auto& c : kDataCases) {
        SCOPED_TRACE(c.name);
        HKEY key = CreateW(HKEY_CURRENT_USER, u"Set");
        const std::vector<BYTE> ansi = AnsiData(c);
        ASSERT_EQ(RegSetValueExA(key, Cp949(kKorean).c_str(), 0, c.type, ansi.data(),
                                 static_cast<DWORD>(ansi.size())),
                  ERROR_SUCCESS);
        BYTE buffer[64];
        DWORD type = 0, size = sizeof buffer;
        ASSERT_EQ(RegQueryValueExW(key, kKorean.c_str(), nullptr, &type, buffer, &size), ERROR_SUCCESS);
        EXPECT_EQ(type, c.type);
        EXPECT_EQ(std::vector<BYTE>(buffer, buffer + size), WideData(c));
        RegCloseKey(key);
    }
}

// Names cross in code page bytes: a buffer that holds the name but not its NUL is too small, and
// ERROR_MORE_DATA leaves the length and the type as they were.
TEST_F(RegistryAnsiFormsTest, EnumeratedNamesAreCountedInCodePageBytes) {
    HKEY key = CreateW(HKEY_CURRENT_USER, u"Names");
    RegCloseKey(CreateW(key, kKorean.c_str()));
    SetW(key, kKorean, REG_SZ, Bytes(u"x"));
    const std::string name = Cp949(kKorean);
    ASSERT_EQ(name.size(), 11u);
    struct Case {
        const char* what;
        DWORD offered;
        LONG rc;
        DWORD lengthAfter;
    } cases[] = {
        {"one short of the NUL", 11, ERROR_MORE_DATA, 11},
        {"room for name only in UTF-16 units", 7, ERROR_MORE_DATA, 7},
        {"exact", 12, ERROR_SUCCESS, 11},
        {"roomy", 64, ERROR_SUCCESS, 11},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        char buffer[64];
        std::memset(buffer, 0x7F, sizeof buffer);
        DWORD length = c.offered;
        EXPECT_EQ(RegEnumKeyExA(key, 0, buffer, &length, nullptr, nullptr, nullptr, nullptr), c.rc);
        EXPECT_EQ(length, c.lengthAfter);
        if (c.rc == ERROR_SUCCESS) {
            EXPECT_EQ(std::string(buffer, length + 1), name + '\0');
        } else {
            EXPECT_EQ(buffer[0], 0x7F);
        }
        length = c.offered;
        DWORD type = 0xDEAD;
        EXPECT_EQ(RegEnumValueA(key, 0, buffer, &length, nullptr, &type, nullptr, nullptr), c.rc);
        EXPECT_EQ(length, c.lengthAfter);
        EXPECT_EQ(type, c.rc == ERROR_SUCCESS ? REG_SZ : 0xDEADu);
    }
    RegCloseKey(key);
}

// A value name with a NUL inside (only a registry file can hold one) comes out whole, its length
// counting past the NUL.
TEST_F(RegistryAnsiFormsTest, NulInsideAValueNameSurvivesEnumeration) {
    std::filesystem::create_directories(registryDir_);
    WriteFile(RegistryFile(), "QXFORMS-REGISTRY 1\nnext-serial 20\nhive HKEY_CURRENT_USER\nkey 16 \"Nul\"\n"
                              "value \"a\\u0000\\uC591\" sz text \"v\\u0000\"\nend\n");
    Reopen();
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Nul", 0, KEY_READ, &key), ERROR_SUCCESS);
    char name[16];
    DWORD length = sizeof name;
    BYTE data[8];
    DWORD size = sizeof data;
    ASSERT_EQ(RegEnumValueA(key, 0, name, &length, nullptr, nullptr, data, &size), ERROR_SUCCESS);
    EXPECT_EQ(std::string(name, length), std::string("a\0", 2) + Cp949(u"\uC591"));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(data), size), std::string("v\0", 2));
    WCHAR wide[16];
    length = 16;
    ASSERT_EQ(RegEnumValueW(key, 0, wide, &length, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(std::u16string(wide, length), std::u16string(u"a\0\uC591", 3));
    RegCloseKey(key);
}

// Each check gives the A form the result it gives the W form.
TEST_F(RegistryAnsiFormsTest, ArgumentChecksMatchTheWideForms) {
    HKEY key = CreateW(HKEY_CURRENT_USER, u"Checks");
    SetW(key, u"v", REG_SZ, Bytes(std::u16string(u"text\0", 5)));
    DWORD reserved = 0, length = 8, size = 8, type = 0;
    char name[8];
    WCHAR wname[8];
    BYTE data[8];
    HKEY out = nullptr;
    struct Case {
        const char* what;
        LONG ansi;
        LONG wide;
    } cases[] = {
        {"open without a result", RegOpenKeyExA(key, "x", 0, KEY_READ, nullptr),
         RegOpenKeyExW(key, u"x", 0, KEY_READ, nullptr)},
        {"open short form without a result", RegOpenKeyA(key, "x", nullptr), RegOpenKeyW(key, u"x", nullptr)},
        {"create short form without a result", RegCreateKeyA(key, "x", nullptr),
         RegCreateKeyW(key, u"x", nullptr)},
        {"open a missing key", RegOpenKeyExA(key, "missing", 0, KEY_READ, &out),
         RegOpenKeyExW(key, u"missing", 0, KEY_READ, &out)},
        {"bad path", RegOpenKeyExA(key, "\\x", 0, KEY_READ, &out),
         RegOpenKeyExW(key, u"\\x", 0, KEY_READ, &out)},
        {"query with reserved", RegQueryValueExA(key, "v", &reserved, nullptr, nullptr, nullptr),
         RegQueryValueExW(key, u"v", &reserved, nullptr, nullptr, nullptr)},
        {"query data without size", RegQueryValueExA(key, "v", nullptr, &type, data, nullptr),
         RegQueryValueExW(key, u"v", nullptr, &type, data, nullptr)},
        {"query a missing value", RegQueryValueExA(key, "nope", nullptr, nullptr, nullptr, &size),
         RegQueryValueExW(key, u"nope", nullptr, nullptr, nullptr, &size)},
        {"set from null data", RegSetValueExA(key, "n", 0, REG_SZ, nullptr, 4),
         RegSetValueExW(key, u"n", 0, REG_SZ, nullptr, 4)},
        {"set short form of another type", RegSetValueA(key, "s", REG_DWORD, "x", 0),
         RegSetValueW(key, u"s", REG_DWORD, u"x", 0)},
        {"set short form from null", RegSetValueA(key, "s", REG_SZ, nullptr, 0),
         RegSetValueW(key, u"s", REG_SZ, nullptr, 0)},
        {"query short form data without size", RegQueryValueA(key, nullptr, name, nullptr),
         RegQueryValueW(key, nullptr, wname, nullptr)},
        {"delete a null subkey", RegDeleteKeyA(key, nullptr), RegDeleteKeyW(key, nullptr)},
        {"delete a missing value", RegDeleteValueA(key, "nope"), RegDeleteValueW(key, u"nope")},
        {"enumerate keys without a name",
         RegEnumKeyExA(key, 0, nullptr, &length, nullptr, nullptr, nullptr, nullptr),
         RegEnumKeyExW(key, 0, nullptr, &length, nullptr, nullptr, nullptr, nullptr)},
        {"enumerate keys without a length",
         RegEnumKeyExA(key, 0, name, nullptr, nullptr, nullptr, nullptr, nullptr),
         RegEnumKeyExW(key, 0, wname, nullptr, nullptr, nullptr, nullptr, nullptr)},
        {"enumerate keys with reserved",
         RegEnumKeyExA(key, 0, name, &length, &reserved, nullptr, nullptr, nullptr),
         RegEnumKeyExW(key, 0, wname, &length, &reserved, nullptr, nullptr, nullptr)},
        {"enumerate keys past the end",
         RegEnumKeyExA(key, 5, name, &length, nullptr, nullptr, nullptr, nullptr),
         RegEnumKeyExW(key, 5, wname, &length, nullptr, nullptr, nullptr, nullptr)},
        {"enumerate values without a name",
         RegEnumValueA(key, 0, nullptr, &length, nullptr, nullptr, nullptr, nullptr),
         RegEnumValueW(key, 0, nullptr, &length, nullptr, nullptr, nullptr, nullptr)},
        {"enumerate values, data without size",
         RegEnumValueA(key, 0, name, &length, nullptr, nullptr, data, nullptr),
         RegEnumValueW(key, 0, wname, &length, nullptr, nullptr, data, nullptr)},
        {"enumerate values past the end",
         RegEnumValueA(key, 1, name, &length, nullptr, nullptr, nullptr, nullptr),
         RegEnumValueW(key, 1, wname, &length, nullptr, nullptr, nullptr, nullptr)},
        {"info with reserved",
         RegQueryInfoKeyA(key, nullptr, nullptr, &reserved, nullptr, nullptr, nullptr, nullptr, nullptr,
                          nullptr, nullptr, nullptr),
         RegQueryInfoKeyW(key, nullptr, nullptr, &reserved, nullptr, nullptr, nullptr, nullptr, nullptr,
                          nullptr, nullptr, nullptr)},
        {"bad handle",
         RegQueryValueExA(reinterpret_cast<HKEY>(0x77), "v", nullptr, nullptr, nullptr, nullptr),
         RegQueryValueExW(reinterpret_cast<HKEY>(0x77), u"v", nullptr, nullptr, nullptr, nullptr)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.ansi, c.wide) << c.what;
    EXPECT_EQ(cases[0].ansi, ERROR_INVALID_PARAMETER);
    EXPECT_EQ(cases[8].ansi, ERROR_NOACCESS);
    RegCloseKey(key);
}

// RegQueryValueA hands out the default value as code page text with its NUL, sizes in its bytes.
TEST_F(RegistryAnsiFormsTest, ShortFormQueryCountsCodePageBytes) {
    HKEY key = CreateW(HKEY_CURRENT_USER, u"Short");
    ASSERT_EQ(RegSetValueW(key, u"Sub", REG_SZ, kKorean.c_str(), 0), ERROR_SUCCESS);
    const std::string expected = Cp949(kKorean) + '\0';
    const LONG need = static_cast<LONG>(expected.size());
    struct Case {
        const char* what;
        bool buffer;
        LONG offered;
        LONG rc;
    } cases[] = {
        {"size query", false, 0, ERROR_SUCCESS},
        {"too small for the UTF-16 form but not the code page text", true, need, ERROR_SUCCESS},
        {"one short", true, need - 1, ERROR_MORE_DATA},
        {"negative size", true, -5, ERROR_MORE_DATA},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        char text[64];
        std::memset(text, 0x7F, sizeof text);
        LONG size = c.offered;
        EXPECT_EQ(RegQueryValueA(key, "Sub", c.buffer ? text : nullptr, &size), c.rc);
        EXPECT_EQ(size, need);
        if (c.rc == ERROR_SUCCESS && c.buffer) {
            EXPECT_EQ(std::string(text, size), expected);
        }
        if (c.rc == ERROR_MORE_DATA) {
            EXPECT_EQ(text[0], 0x7F);
        }
    }
    ASSERT_EQ(RegSetValueA(key, "Ansi", REG_SZ, Cp949(kKorean).c_str(), 0), ERROR_SUCCESS);
    WCHAR wide[32];
    LONG size = sizeof wide;
    ASSERT_EQ(RegQueryValueW(key, u"Ansi", wide, &size), ERROR_SUCCESS);
    EXPECT_EQ(std::u16string(wide, size / 2), kKorean + u'\0');
    RegCloseKey(key);
}

// Data of any size reaches the A forms whole; beyond a value's bound it is refused.
TEST_F(RegistryAnsiFormsTest, LargeDataAndTheBound) {
    HKEY key = CreateW(HKEY_CURRENT_USER, u"Large");
    const std::string text = std::string(300000, 'x') + '\0';
    ASSERT_EQ(RegSetValueExA(key, "big", 0, REG_SZ, reinterpret_cast<const BYTE*>(text.data()),
                             static_cast<DWORD>(text.size())),
              ERROR_SUCCESS);
    std::vector<BYTE> buffer(text.size());
    DWORD size = static_cast<DWORD>(buffer.size());
    ASSERT_EQ(RegQueryValueExA(key, "big", nullptr, nullptr, buffer.data(), &size), ERROR_SUCCESS);
    EXPECT_EQ(std::string(buffer.begin(), buffer.begin() + size), text);
    // 600000 code page bytes make 1200000 bytes of UTF-16: more than one value holds.
    const std::string tooBig(600000, 'y');
    EXPECT_EQ(RegSetValueExA(key, "huge", 0, REG_SZ, reinterpret_cast<const BYTE*>(tooBig.data()),
                             static_cast<DWORD>(tooBig.size())),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegQueryValueExA(key, "huge", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
    RegCloseKey(key);
}

// While another thread keeps changing a value's length, every A read is one whole version of it.
TEST_F(RegistryAnsiFormsTest, ReadsStayWholeWhileTheValueChanges) {
    HKEY key = CreateW(HKEY_CURRENT_USER, u"Moving");
    const std::vector<std::u16string> versions = {u"a", std::u16string(2000, u'\uC591'), u"bb",
                                                  std::u16string(5000, u'c')};
    SetW(key, u"v", REG_SZ, Bytes(versions[0]));
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        for (int i = 0; i < 150 && !stop; ++i) {
            const std::vector<BYTE> bytes = Bytes(versions[i % versions.size()]);
            RegSetValueExW(key, u"v", 0, REG_SZ, bytes.data(), static_cast<DWORD>(bytes.size()));
        }
    });
    std::vector<std::string> allowed;
    for (const auto& v : versions)
        allowed.push_back(Cp949(v));
    for (int i = 0; i < 150; ++i) {
        std::vector<BYTE> buffer(20000);
        DWORD size = static_cast<DWORD>(buffer.size());
        ASSERT_EQ(RegQueryValueExA(key, "v", nullptr, nullptr, buffer.data(), &size), ERROR_SUCCESS);
        const std::string got(buffer.begin(), buffer.begin() + size);
        EXPECT_NE(std::find(allowed.begin(), allowed.end(), got), allowed.end()) << got.size();
        char name[4];
        DWORD length = sizeof name;
        size = static_cast<DWORD>(buffer.size());
        ASSERT_EQ(RegEnumValueA(key, 0, name, &length, nullptr, nullptr, buffer.data(), &size),
                  ERROR_SUCCESS);
        EXPECT_NE(
            std::find(allowed.begin(), allowed.end(), std::string(buffer.begin(), buffer.begin() + size)),
            allowed.end());
    }
    stop = true;
    writer.join();
    RegCloseKey(key);
}

} // namespace
