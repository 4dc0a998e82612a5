// RegScript and RegEnumList through IDispatch by name, against the platform's registry.
#include "dispatch_caller.h"
#include "reg_script.h"

#include <qx/win32/registry.h>
#include <qx/win32/ui_driver.h>
#include <winreg.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>
#include <unistd.h>
#include <winuser_msgbox.h>

using kestrum_test::CallByName;
using kestrum_test::NumberOf;
using kestrum_test::TextOf;
using qx::com::Variant;

namespace fs = std::filesystem;

namespace {

class RegScriptTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/kestrum-reg-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        qx::registry::SetRootForTesting(dir_);
        previousDriver_ = qx::win32::SetUiDriver(&boxes_);
        reg_ = kestrum_test::MakeObject<CRegScript>();
    }
    void TearDown() override {
        reg_ = nullptr;
        qx::win32::SetUiDriver(previousDriver_);
        qx::registry::SetRootForTesting(dir_ / "unused");
        fs::remove_all(dir_);
    }
    static void MakeKey(HKEY root, const char16_t* path) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }
    static void SetValue(HKEY root, const char16_t* path, DWORD type, const void* data, DWORD size) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExW(key, u"", 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
        RegCloseKey(key);
    }
    static void SetText(HKEY root, const char16_t* path, const std::u16string& text) {
        SetValue(root, path, REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * 2));
    }
    static bool KeyExists(HKEY root, const char16_t* path) {
        HKEY key = nullptr;
        if (RegOpenKeyExW(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
            return false;
        RegCloseKey(key);
        return true;
    }
    // The names GetEnumListKey gives, read back through Count and Item by name.
    std::vector<std::u16string> List(const char16_t* key) {
        auto got = CallByName(reg_.Get(), u"GetEnumListKey", {Variant(key)});
        EXPECT_EQ(got.hr, S_OK);
        EXPECT_EQ(got.value.vt, VT_DISPATCH);
        std::vector<std::u16string> names;
        if (got.value.vt != VT_DISPATCH)
            return names;
        IDispatch* list = got.value.pdispVal;
        const LONG count = NumberOf(CallByName(list, u"Count", {}, DISPATCH_PROPERTYGET).value);
        for (LONG i = 0; i < count; ++i)
            names.push_back(TextOf(CallByName(list, u"Item", {Variant(i)}, DISPATCH_PROPERTYGET).value));
        return names;
    }
    std::u16string Read(LONG hive, const char16_t* key) {
        auto got = CallByName(reg_.Get(), u"ReadValue", {Variant(hive), Variant(key)});
        EXPECT_EQ(got.hr, S_OK);
        return TextOf(got.value);
    }

    fs::path dir_;
    qx::win32::MessageBoxRecorder boxes_;
    qx::win32::UiDriver* previousDriver_ = nullptr;
    qx::com::ComPtr<IDispatch> reg_;
};

using Names = std::vector<std::u16string>;

TEST_F(RegScriptTest, ListsSubkeysOfTheMachineHiveRightAfterCreation) {
    for (const char16_t* k : {u"Software\\Zeta", u"Software\\alpha", u"Software\\Beta\\Inner",
                              u"Software\\_x", u"Software\\\uD55C\uAE00"})
        MakeKey(HKEY_LOCAL_MACHINE, k);
    // Sorted by the upper-cased name, as the registry enumerates.
    EXPECT_EQ(List(u"Software"), (Names{u"alpha", u"Beta", u"Zeta", u"_x", u"\uD55C\uAE00"}));
    EXPECT_EQ(List(u"Software\\Beta"), (Names{u"Inner"}));
    EXPECT_EQ(List(u"Software\\Beta\\Inner"), Names{});
    EXPECT_TRUE(boxes_.Calls().empty());
}

TEST_F(RegScriptTest, OpenKeyChoosesTheHiveAndCloseEmptiesLaterLists) {
    MakeKey(HKEY_CURRENT_USER, u"Software\\App\\One");
    MakeKey(HKEY_CURRENT_USER, u"Software\\App\\Two");
    MakeKey(HKEY_CLASSES_ROOT, u"Kestrum.Test\\CLSID");
    EXPECT_EQ(CallByName(reg_.Get(), u"OpenKey", {Variant(LONG(1)), Variant(u"Software")}).hr, S_OK);
    EXPECT_EQ(List(u"App"), (Names{u"One", u"Two"}));
    CallByName(reg_.Get(), u"OpenKey", {Variant(LONG(0)), Variant(u"Kestrum.Test")});
    EXPECT_EQ(List(u""), (Names{u"CLSID"}));
    EXPECT_EQ(CallByName(reg_.Get(), u"Close").hr, S_OK);
    EXPECT_EQ(List(u"App"), Names{});
    EXPECT_EQ(List(u""), Names{});
    CallByName(reg_.Get(), u"OpenKey", {Variant(LONG(1)), Variant(u"NoSuchKey")});
    EXPECT_EQ(List(u""), Names{});
}

TEST_F(RegScriptTest, BadHiveIndexesAndNamesOpenNothing) {
    MakeKey(HKEY_LOCAL_MACHINE, u"Software\\Parent\\Child");
    SetText(HKEY_LOCAL_MACHINE, u"Software\\Parent", u"parent value");
    for (LONG hive : {LONG(-1), LONG(5), LONG(0x7FFFFFFF), LONG(-2147483647 - 1)}) {
        CallByName(reg_.Get(), u"OpenKey", {Variant(hive), Variant(u"Software\\Parent")});
        EXPECT_EQ(List(u""), Names{}) << hive;
        EXPECT_EQ(Read(hive, u"Software\\Parent"), u"") << hive;
    }
    // An embedded NUL or a character outside code page 949 must not reach the parent key.
    const std::u16string withNul(u"Software\\Parent\0\\Child", 22);
    const char16_t* unmappable = u"Software\\Parent\\\U0001F600";
    for (const std::u16string& name :
         {withNul, std::u16string(unmappable), std::u16string(u"Software\\Parent\u0E01")}) {
        CallByName(reg_.Get(), u"OpenKey", {Variant(LONG(2)), Variant(name)});
        EXPECT_EQ(List(u""), Names{});
        qx::com::Variant nameVariant(name);
        EXPECT_EQ(TextOf(CallByName(reg_.Get(), u"ReadValue", {Variant(LONG(2)), nameVariant}).value), u"");
        CallByName(reg_.Get(), u"OpenKey", {Variant(LONG(2)), Variant(u"Software")});
        EXPECT_EQ(List(name.c_str()).size(), 0u);
        CallByName(reg_.Get(), u"DeleteRegKey", {Variant(LONG(2)), nameVariant});
        EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, u"Software\\Parent\\Child"));
    }
    EXPECT_EQ(Read(2, u"Software\\Parent"), u"parent value");
}

TEST_F(RegScriptTest, ItemOutsideTheListIsInvalid) {
    MakeKey(HKEY_LOCAL_MACHINE, u"Software\\L\\A");
    auto got = CallByName(reg_.Get(), u"GetEnumListKey", {Variant(u"Software\\L")});
    ASSERT_EQ(got.value.vt, VT_DISPATCH);
    IDispatch* list = got.value.pdispVal;
    EXPECT_EQ(NumberOf(CallByName(list, u"count", {}, DISPATCH_PROPERTYGET).value), 1);
    EXPECT_EQ(CallByName(list, u"Item", {Variant(LONG(1))}, DISPATCH_PROPERTYGET).hr, E_INVALIDARG);
    EXPECT_EQ(CallByName(list, u"Item", {Variant(LONG(-1))}, DISPATCH_PROPERTYGET).hr, E_INVALIDARG);
    // Item is the default member.
    VARIANT index;
    VariantInit(&index);
    index.vt = VT_I4;
    index.lVal = 0;
    DISPPARAMS params{&index, nullptr, 1, 0};
    Variant value;
    EXPECT_EQ(
        list->Invoke(DISPID_VALUE, IID_NULL, 0, DISPATCH_PROPERTYGET, &params, &value, nullptr, nullptr),
        S_OK);
    EXPECT_EQ(TextOf(value), u"A");
    qx::com::ComPtr<IRegEnumList> typed;
    ASSERT_EQ(list->QueryInterface(IID_IRegEnumList, reinterpret_cast<void**>(&typed)), S_OK);
    EXPECT_EQ(typed->get_Item(0, nullptr), E_POINTER);
}

TEST_F(RegScriptTest, LongKeyNamesDoNotEndTheListEarly) {
    const std::u16string longName(255, u'k');
    const std::u16string longKorean(255, u'\uD55C'); // 510 bytes in code page 949
    const std::u16string name200(200, u'm');
    for (const std::u16string& n :
         {std::u16string(u"a"), longName, longKorean, name200, std::u16string(u"z")})
        MakeKey(HKEY_LOCAL_MACHINE, (u"Software\\Long\\" + n).c_str());
    EXPECT_EQ(List(u"Software\\Long"), (Names{u"a", longName, name200, u"z", longKorean}));
    EXPECT_TRUE(boxes_.Calls().empty());
}

TEST_F(RegScriptTest, ReadsTheDefaultValueOfEveryType) {
    const std::u16string longText = std::u16string(150, u'x') + u"\uD55C\uAE00" + std::u16string(300, u'y');
    SetText(HKEY_CURRENT_USER, u"V\\Text", u"hello \uD55C\uAE00");
    SetText(HKEY_CURRENT_USER, u"V\\Long", longText);
    SetText(HKEY_CURRENT_USER, u"V\\Empty", u"");
    const std::u16string expand(u"%TEMP%\\x");
    SetValue(HKEY_CURRENT_USER, u"V\\Expand", REG_EXPAND_SZ, expand.c_str(),
             static_cast<DWORD>((expand.size() + 1) * 2));
    const char16_t multi[] = u"first\0second\0";
    SetValue(HKEY_CURRENT_USER, u"V\\Multi", REG_MULTI_SZ, multi, sizeof(multi));
    const DWORD dword = 0x00636241; // "Abc" in its little-endian bytes, then a zero byte
    SetValue(HKEY_CURRENT_USER, u"V\\Dword", REG_DWORD, &dword, 4);
    const unsigned char binary[] = {'b', 'i', 'n', 0, 'x'};
    SetValue(HKEY_CURRENT_USER, u"V\\Binary", REG_BINARY, binary, sizeof(binary));
    const unsigned char unterminated[] = {'n', 'o', 'n', 'u', 'l'};
    SetValue(HKEY_CURRENT_USER, u"V\\Open", REG_BINARY, unterminated, sizeof(unterminated));
    const std::string bigBinary(5000, 'q');
    SetValue(HKEY_CURRENT_USER, u"V\\Big", REG_BINARY, bigBinary.data(),
             static_cast<DWORD>(bigBinary.size()));
    MakeKey(HKEY_CURRENT_USER, u"V\\NoValue");

    static const struct {
        const char16_t* key;
        std::u16string want;
    } kCases[] = {
        {u"V\\Text", u"hello \uD55C\uAE00"},
        {u"V\\Long", longText},
        {u"V\\Empty", u""},
        {u"V\\Expand", u"%TEMP%\\x"},
        {u"V\\Multi", u"first"},
        {u"V\\Dword", u"Abc"},
        {u"V\\Binary", u"bin"},
        {u"V\\Open", u"nonul"},
        {u"V\\Big", std::u16string(5000, u'q')},
        {u"V\\NoValue", u""},
        {u"NoSuchKey", u""},
    };
    for (const auto& c : kCases)
        EXPECT_EQ(Read(1, c.key), c.want) << qx::com::Bstr(c.key).ToUtf8();
}

TEST_F(RegScriptTest, DeletesWholeSubtreesButNeverAHive) {
    MakeKey(HKEY_CURRENT_USER, u"Software\\Gone\\A\\B\\C");
    MakeKey(HKEY_CURRENT_USER, u"Software\\Gone\\D");
    SetText(HKEY_CURRENT_USER, u"Software\\Gone\\A\\B", u"v");
    MakeKey(HKEY_CURRENT_USER, u"Software\\Gone2");
    MakeKey(HKEY_CURRENT_USER, u"Software\\Kept");
    MakeKey(HKEY_CLASSES_ROOT, u"Kestrum.Kept");
    EXPECT_EQ(CallByName(reg_.Get(), u"DeleteRegKey", {Variant(LONG(1)), Variant(u"Software\\Gone")}).hr,
              S_OK);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, u"Software\\Gone"));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, u"Software\\Gone2"));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, u"Software\\Kept"));
    // A missing key is no failure that script sees.
    EXPECT_EQ(CallByName(reg_.Get(), u"DeleteRegKey", {Variant(LONG(1)), Variant(u"Software\\Gone")}).hr,
              S_OK);
    for (const char16_t* path : {u"", u"\\", u"\\\\"}) {
        for (LONG hive = 0; hive <= 4; ++hive)
            EXPECT_EQ(CallByName(reg_.Get(), u"DeleteRegKey", {Variant(hive), Variant(path)}).hr, S_OK);
        EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, u"Kestrum.Kept")) << qx::com::Bstr(path).ToUtf8();
    }
    VARIANT nullText;
    VariantInit(&nullText);
    nullText.vt = VT_BSTR;
    nullText.bstrVal = nullptr;
    EXPECT_EQ(CallByName(reg_.Get(), u"DeleteRegKey", {Variant(LONG(1)), Variant(nullText)}).hr, S_OK);
    EXPECT_EQ(CallByName(reg_.Get(), u"DeleteRegKey", {Variant(LONG(9)), Variant(u"Software\\Kept")}).hr,
              S_OK);
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, u"Software\\Kept"));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, u"Kestrum.Kept"));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, u"Software\\Classes"));
}

// Another thread deletes the last subkey while the list is read: the enumeration stops where the
// registry says there is no more, shows the error in a box captioned with the system's text for
// it, and gives the names read so far.
TEST_F(RegScriptTest, EnumerationCutShortShowsTheSystemErrorBox) {
    constexpr int kKeys = 200;
    Names all;
    for (int i = 0; i < kKeys; ++i) {
        const std::u16string name = u"k" + qx::com::Utf8ToUtf16(std::to_string(1000 + i));
        MakeKey(HKEY_LOCAL_MACHINE, (u"Software\\Race\\" + name).c_str());
        all.push_back(name);
    }
    std::vector<qx::win32::MessageBoxCall> boxes;
    Names got;
    for (int attempt = 0; attempt < 400 && boxes.empty(); ++attempt) {
        MakeKey(HKEY_LOCAL_MACHINE, u"Software\\Race\\zz");
        boxes_.Clear();
        std::atomic<bool> go{false};
        std::thread deleter([&go, attempt] {
            while (!go.load())
                std::this_thread::yield();
            std::this_thread::sleep_for(std::chrono::microseconds(attempt % 40 * 25));
            RegDeleteKeyW(HKEY_LOCAL_MACHINE, u"Software\\Race\\zz");
        });
        go = true;
        got = List(u"Software\\Race");
        deleter.join();
        boxes = boxes_.Calls();
    }
    ASSERT_EQ(boxes.size(), 1u) << "the deletion never fell inside an enumeration";
    const qx::win32::MessageBoxCall& box = boxes[0];
    EXPECT_EQ(box.ansiText, "259 RegEnumKeyEx\nC:\\Projects\\Kestrum\\RegistryEx 939");
    EXPECT_TRUE(box.captionGiven);
    EXPECT_EQ(box.ansiCaption, "No more data is available.\r\n");
    EXPECT_EQ(box.type, static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
    EXPECT_EQ(box.owner, nullptr);
    // The names before the gap, in order, with nothing made up for the missing one.
    ASSERT_LE(got.size(), all.size());
    EXPECT_TRUE(std::equal(got.begin(), got.end(), all.begin()));
}

} // namespace
