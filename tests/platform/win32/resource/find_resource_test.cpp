#include "resource_test_support.h"
#include "winerror.h"
#include "winresource.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using qx::resource::testing::ModuleTest;
using qx::resource::testing::Source;

std::string DataFile(const std::string& name) {
    std::ifstream in(std::string(QX_TEST_MANIFEST_DIR) + "/data/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Bytes(HMODULE module, HRSRC found) {
    HGLOBAL loaded = LoadResource(module, found);
    const void* data = LockResource(loaded);
    DWORD size = SizeofResource(module, found);
    return data == nullptr ? std::string("<null>") : std::string(static_cast<const char*>(data), size);
}

struct Lookup {
    const char* label;
    LPCSTR type;
    LPCSTR name;
    std::string expected;
};

class FindResourceTest : public ModuleTest {};

TEST_P(FindResourceTest, FindsEveryKindByIdOrNameInTheLanguageOrder) {
    const std::string bitmapFile = DataFile("toolbox.bmp");
    const Lookup cases[] = {
        {"registry script", "REGISTRY", MAKEINTRESOURCEA(101), DataFile("convert.rgs")},
        {"type names ignore case", "registry", MAKEINTRESOURCEA(101), DataFile("convert.rgs")},
        {"#number is the id", "REGISTRY", "#101", DataFile("convert.rgs")},
        {"only neutral", "REGISTRY", MAKEINTRESOURCEA(102), DataFile("neutral.rgs")},
        {"type library", "TYPELIB", MAKEINTRESOURCEA(1), DataFile("sample.tlb")},
        {"page", RT_HTML, MAKEINTRESOURCEA(102), DataFile("toolbar.htm")},
        {"named page", RT_HTML, "toolbar.gif", DataFile("toolbar.gif")},
        {"names ignore case", RT_HTML, "TOOLBAR.GIF", DataFile("toolbar.gif")},
        {"neutral before another language", RT_HTML, MAKEINTRESOURCEA(103), DataFile("neutral.htm")},
        {"any language last", RT_HTML, MAKEINTRESOURCEA(104), DataFile("english.htm")},
        {"Korean before neutral", RT_HTML, MAKEINTRESOURCEA(105), DataFile("korean.htm")},
        {"dialog template", RT_DIALOG, MAKEINTRESOURCEA(201), DataFile("dialog.qxd")},
        {"bitmap without its file header", RT_BITMAP, MAKEINTRESOURCEA(101), bitmapFile.substr(14)},
    };
    for (const auto& c : cases) {
        HRSRC found = FindResourceA(module_, c.name, c.type);
        ASSERT_NE(found, nullptr) << c.label << " error " << GetLastError();
        EXPECT_EQ(Bytes(module_, found), c.expected) << c.label;
    }
}

TEST_P(FindResourceTest, WideNamesFindTheSame) {
    HRSRC wide = FindResourceW(module_, u"toolbar.gif", MAKEINTRESOURCEW(23));
    EXPECT_EQ(wide, FindResourceA(module_, "toolbar.gif", RT_HTML));
    EXPECT_EQ(FindResourceW(module_, MAKEINTRESOURCEW(101), u"REGISTRY"),
              FindResourceA(module_, MAKEINTRESOURCEA(101), "REGISTRY"));
    EXPECT_EQ(FindResourceExW(module_, MAKEINTRESOURCEW(23), MAKEINTRESOURCEW(103), 1033),
              FindResourceExA(module_, RT_HTML, MAKEINTRESOURCEA(103), 1033));
    EXPECT_NE(wide, nullptr);
}

TEST_P(FindResourceTest, ExplicitLanguageMatchesExactly) {
    HRSRC english = FindResourceExA(module_, RT_HTML, MAKEINTRESOURCEA(103), 1033);
    ASSERT_NE(english, nullptr);
    EXPECT_EQ(Bytes(module_, english), DataFile("english.htm"));
    HRSRC neutral =
        FindResourceExA(module_, RT_HTML, MAKEINTRESOURCEA(103), MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL));
    ASSERT_NE(neutral, nullptr);
    EXPECT_EQ(Bytes(module_, neutral), DataFile("neutral.htm")) << "neutral asks for the usual order";
    HRSRC korean = FindResourceExA(module_, RT_HTML, MAKEINTRESOURCEA(105), 1042);
    EXPECT_EQ(Bytes(module_, korean), DataFile("korean.htm"));
}

TEST_P(FindResourceTest, MissingOnesAreNullWithTheirError) {
    struct Miss {
        const char* label;
        LPCSTR type;
        LPCSTR name;
        WORD language;
        DWORD error;
    } cases[] = {
        {"unknown type", "NOSUCHTYPE", MAKEINTRESOURCEA(1), 0, ERROR_RESOURCE_TYPE_NOT_FOUND},
        {"unknown numeric type", MAKEINTRESOURCEA(77), MAKEINTRESOURCEA(1), 0, ERROR_RESOURCE_TYPE_NOT_FOUND},
        {"unknown id", RT_HTML, MAKEINTRESOURCEA(999), 0, ERROR_RESOURCE_NAME_NOT_FOUND},
        {"unknown name", RT_HTML, "missing.gif", 0, ERROR_RESOURCE_NAME_NOT_FOUND},
        {"id is not a name", RT_HTML, "102", 0, ERROR_RESOURCE_NAME_NOT_FOUND},
        {"missing language", RT_HTML, MAKEINTRESOURCEA(103), 1042, ERROR_RESOURCE_LANG_NOT_FOUND},
        {"language of nothing", RT_HTML, MAKEINTRESOURCEA(999), 1033, ERROR_RESOURCE_NAME_NOT_FOUND},
        {"null name", RT_HTML, nullptr, 0, ERROR_RESOURCE_NAME_NOT_FOUND},
    };
    for (const auto& c : cases) {
        SetLastError(0);
        EXPECT_EQ(FindResourceExA(module_, c.type, c.name, c.language), nullptr) << c.label;
        EXPECT_EQ(GetLastError(), c.error) << c.label;
    }
}

TEST_P(FindResourceTest, IconGroupNamesItsImages) {
    HRSRC group = FindResourceA(module_, MAKEINTRESOURCEA(1), RT_GROUP_ICON);
    ASSERT_NE(group, nullptr);
    std::string dir = Bytes(module_, group);
    ASSERT_EQ(dir.size(), 6u + 2 * 14u);
    auto word = [&](std::size_t at) {
        return static_cast<unsigned>(static_cast<unsigned char>(dir[at]) |
                                     (static_cast<unsigned char>(dir[at + 1]) << 8));
    };
    EXPECT_EQ(word(0), 0u);
    EXPECT_EQ(word(2), 1u);
    EXPECT_EQ(word(4), 2u);
    std::string file = DataFile("app.ico");
    for (unsigned i = 0; i < 2; ++i) {
        std::size_t entry = 6 + 14 * i;
        EXPECT_EQ(dir.substr(entry, 12), file.substr(6 + 16 * i, 12)) << "width to size as in the file";
        HRSRC image = FindResourceA(module_, MAKEINTRESOURCEA(word(entry + 12)), RT_ICON);
        ASSERT_NE(image, nullptr);
        std::size_t offset = static_cast<unsigned char>(file[6 + 16 * i + 12]);
        std::size_t size = static_cast<unsigned char>(file[6 + 16 * i + 8]);
        EXPECT_EQ(Bytes(module_, image), file.substr(offset, size));
    }
}

TEST_P(FindResourceTest, HandlesOfOtherModulesAreRefused) {
    HRSRC found = FindResourceA(module_, MAKEINTRESOURCEA(101), "REGISTRY");
    ASSERT_NE(found, nullptr);
    HMODULE other = LoadLibraryA(QX_TEST_MODULE_B);
    ASSERT_NE(other, nullptr);
    SetLastError(0);
    EXPECT_EQ(LoadResource(other, found), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(SizeofResource(other, found), 0u);
    EXPECT_EQ(SizeofResource(module_, nullptr), 0u);
    int local = 0;
    SetLastError(0);
    EXPECT_EQ(FindResourceA(reinterpret_cast<HMODULE>(&local), MAKEINTRESOURCEA(101), "REGISTRY"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    FreeLibrary(other);
}

BOOL CollectNames(HMODULE, LPCSTR, LPSTR name, LONG_PTR param) {
    auto* names = reinterpret_cast<std::vector<std::string>*>(param);
    names->push_back(IS_INTRESOURCE(name) ? "#" + std::to_string(reinterpret_cast<ULONG_PTR>(name)) : name);
    return names->size() < 100;
}

BOOL StopAtSecond(HMODULE, LPCSTR, LPSTR, LONG_PTR param) {
    return ++*reinterpret_cast<int*>(param) < 2;
}

TEST_P(FindResourceTest, EnumeratesNamesOfAType) {
    std::vector<std::string> names;
    EXPECT_TRUE(EnumResourceNamesA(module_, RT_HTML, CollectNames, reinterpret_cast<LONG_PTR>(&names)));
    EXPECT_EQ(names, (std::vector<std::string>{"#102", "#103", "#104", "#105", "TOOLBAR.GIF"}));
    int seen = 0;
    EXPECT_FALSE(EnumResourceNamesA(module_, RT_HTML, StopAtSecond, reinterpret_cast<LONG_PTR>(&seen)));
    EXPECT_EQ(seen, 2);
    SetLastError(0);
    EXPECT_FALSE(EnumResourceNamesA(module_, "NOSUCHTYPE", CollectNames, reinterpret_cast<LONG_PTR>(&names)));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_TYPE_NOT_FOUND));
}

BOOL CollectWideNames(HMODULE, LPCWSTR type, LPWSTR name, LONG_PTR param) {
    auto* names = reinterpret_cast<std::vector<std::string>*>(param);
    std::string text = IS_INTRESOURCE(type) ? "" : "typed:";
    if (IS_INTRESOURCE(name)) {
        text += "#" + std::to_string(reinterpret_cast<ULONG_PTR>(name));
    } else {
        for (const WCHAR* p = name; *p != 0; ++p)
            text += static_cast<char>(*p);
    }
    names->push_back(text);
    return TRUE;
}

BOOL StopAtSecondWide(HMODULE, LPCWSTR, LPWSTR, LONG_PTR param) {
    return ++*reinterpret_cast<int*>(param) < 2;
}

// The W form lists the same names, the type handed back as it was given; its failures are the A
// form's.
TEST_P(FindResourceTest, WideEnumerationMatchesTheAnsiOne) {
    std::vector<std::string> names;
    EXPECT_TRUE(EnumResourceNamesW(module_, MAKEINTRESOURCEW(23), CollectWideNames,
                                   reinterpret_cast<LONG_PTR>(&names)));
    EXPECT_EQ(names, (std::vector<std::string>{"#102", "#103", "#104", "#105", "TOOLBAR.GIF"}));
    names.clear();
    EXPECT_TRUE(
        EnumResourceNamesW(module_, u"REGISTRY", CollectWideNames, reinterpret_cast<LONG_PTR>(&names)));
    std::vector<std::string> ansi;
    EXPECT_TRUE(EnumResourceNamesA(module_, "REGISTRY", CollectNames, reinterpret_cast<LONG_PTR>(&ansi)));
    ASSERT_FALSE(names.empty());
    ASSERT_EQ(names.size(), ansi.size());
    for (std::size_t i = 0; i < names.size(); ++i)
        EXPECT_EQ(names[i], "typed:" + ansi[i]);
    int seen = 0;
    EXPECT_FALSE(EnumResourceNamesW(module_, MAKEINTRESOURCEW(23), StopAtSecondWide,
                                    reinterpret_cast<LONG_PTR>(&seen)));
    EXPECT_EQ(seen, 2);
    const struct {
        const char* what;
        BOOL ansi;
        DWORD ansiError;
        BOOL wide;
        DWORD wideError;
    } failures[] = {
        {"no such type", EnumResourceNamesA(module_, "NOSUCHTYPE", CollectNames, 0), GetLastError(),
         EnumResourceNamesW(module_, u"NOSUCHTYPE", CollectWideNames, 0), GetLastError()},
        {"no callback", EnumResourceNamesA(module_, RT_HTML, nullptr, 0), GetLastError(),
         EnumResourceNamesW(module_, MAKEINTRESOURCEW(23), nullptr, 0), GetLastError()},
    };
    for (const auto& f : failures) {
        EXPECT_FALSE(f.ansi) << f.what;
        EXPECT_FALSE(f.wide) << f.what;
        EXPECT_EQ(f.ansiError, f.wideError) << f.what;
    }
    EXPECT_EQ(failures[0].wideError, static_cast<DWORD>(ERROR_RESOURCE_TYPE_NOT_FOUND));
    EXPECT_EQ(failures[1].wideError, static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

INSTANTIATE_TEST_SUITE_P(Modules, FindResourceTest, ::testing::Values(Source::Loaded, Source::Static),
                         qx::resource::testing::SourceName);

TEST(ExecutableResources, TheNullModuleIsThisProgram) {
    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(102), RT_HTML);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(Bytes(nullptr, found), DataFile("toolbar.htm"));
}

} // namespace
