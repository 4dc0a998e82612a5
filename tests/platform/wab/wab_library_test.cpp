// libqxwab.so through WABOpen, as a caller of the address book sees it: text at the interface,
// property types kept across a save and a fresh open, what a save does to the file, entry ids,
// tables and buffers.
#include <qx/com/comptr.h>
#include <qx/wab/wab_testing.h>
#include <qx/win32/codepage.h>
#include <wabapi.h>
#include <winmodule.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;
using qx::com::ComPtr;

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

class WabLibrary : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/qx-wab-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        module_ = LoadLibraryA("wab32.dll"); // the loader's name for the library, case ignored
        ASSERT_NE(module_, nullptr);
        open_ = reinterpret_cast<LPWABOPEN>(GetProcAddress(module_, "WABOpen"));
        outstanding_ = reinterpret_cast<PFN_WABTestOutstandingBuffers>(
            GetProcAddress(module_, "WABTestOutstandingBuffers"));
        ASSERT_NE(open_, nullptr);
        ASSERT_NE(outstanding_, nullptr);
    }
    void TearDown() override {
        book_ = nullptr;
        wab_ = nullptr;
        EXPECT_EQ(outstanding_(), 0) << "every buffer is freed";
        FreeLibrary(module_);
        fs::remove_all(dir_);
    }
    HRESULT Open(const fs::path& file) {
        book_ = nullptr;
        wab_ = nullptr;
        std::string name = file.string();
        WAB_PARAM wp{};
        wp.cbSize = sizeof(wp);
        wp.szFileName = name.data();
        return open_(&book_, &wab_, &wp, 0);
    }
    ComPtr<IABContainer> Pab() {
        ULONG size = 0;
        LPENTRYID id = nullptr;
        EXPECT_EQ(book_->GetPAB(&size, &id), S_OK);
        ULONG type = 0;
        ComPtr<IUnknown> unknown;
        EXPECT_EQ(book_->OpenEntry(size, id, nullptr, 0, &type, &unknown), S_OK);
        wab_->FreeBuffer(id);
        EXPECT_EQ(type, ULONG(MAPI_ABCONT));
        ComPtr<IABContainer> pab;
        unknown->QueryInterface(IID_IABContainer, reinterpret_cast<void**>(&pab));
        return pab;
    }
    // A new entry with the values; the problems' codes by index (S_OK for none).
    std::vector<SCODE> Create(std::vector<SPropValue> values, ComPtr<IMAPIProp>& entry) {
        EXPECT_EQ(Pab()->CreateEntry(0, nullptr, 8, &entry), S_OK);
        LPSPropProblemArray problems = nullptr;
        EXPECT_EQ(entry->SetProps(static_cast<ULONG>(values.size()), values.data(), &problems), S_OK);
        std::vector<SCODE> codes(values.size(), S_OK);
        for (ULONG i = 0; problems && i < problems->cProblem; ++i)
            codes[problems->aProblem[i].ulIndex] = problems->aProblem[i].scode;
        wab_->FreeBuffer(problems);
        return codes;
    }
    // Every mail user's properties, read through a fresh open of the file.
    std::vector<std::vector<SPropValue>> ReadAll(const fs::path& file, std::vector<LPSPropValue>& buffers) {
        EXPECT_EQ(Open(file), S_OK);
        ComPtr<IMAPITable> table;
        EXPECT_EQ(Pab()->GetContentsTable(0, &table), S_OK);
        std::vector<std::vector<SPropValue>> out;
        for (;;) {
            LPSRowSet rows = nullptr;
            EXPECT_EQ(table->QueryRows(1, 0, &rows), S_OK);
            if (rows->cRows == 0) {
                wab_->FreeBuffer(rows);
                break;
            }
            const SPropValue& id = rows->aRow[0].lpProps[0];
            ULONG type = 0;
            ComPtr<IUnknown> unknown;
            EXPECT_EQ(book_->OpenEntry(id.Value.bin.cb, reinterpret_cast<LPENTRYID>(id.Value.bin.lpb),
                                       nullptr, 0, &type, &unknown),
                      S_OK);
            wab_->FreeBuffer(rows->aRow[0].lpProps);
            wab_->FreeBuffer(rows);
            ComPtr<IMAPIProp> prop;
            unknown->QueryInterface(IID_IMAPIProp, reinterpret_cast<void**>(&prop));
            ULONG count = 0;
            LPSPropValue values = nullptr;
            EXPECT_EQ(prop->GetProps(nullptr, 0, &count, &values), S_OK);
            buffers.push_back(values);
            out.emplace_back(values, values + count);
        }
        return out;
    }
    void Free(std::vector<LPSPropValue>& buffers) {
        for (LPSPropValue b : buffers)
            wab_->FreeBuffer(b);
        buffers.clear();
    }
    static SPropValue Text(ULONG tag, const char* text) {
        SPropValue v{};
        v.ulPropTag = tag;
        v.Value.lpszA = const_cast<LPSTR>(text);
        return v;
    }
    static const SPropValue* Find(const std::vector<SPropValue>& values, ULONG tag) {
        for (const SPropValue& v : values)
            if (v.ulPropTag == tag)
                return &v;
        return nullptr;
    }

    fs::path dir_;
    HMODULE module_ = nullptr;
    LPWABOPEN open_ = nullptr;
    PFN_WABTestOutstandingBuffers outstanding_ = nullptr;
    ComPtr<IAddrBook> book_;
    ComPtr<IWABObject> wab_;
};

TEST_F(WabLibrary, TextIsCodePage949AtTheInterfaceAndUtf8InTheFile) {
    const struct {
        const char* api;  // set
        SCODE problem;    // SetProps' answer for it
        const char* file; // the FN line's value
        const char* back; // GetProps after a fresh open
    } cases[] = {
        {"\xB1\xE8", S_OK, "\xEA\xB9\x80", "\xB1\xE8"},              // 김, in KS X 1001
        {"\x8C\x63", S_OK, "\xEB\x98\xA0", "\x8C\x63"},              // 똠, outside it but in code page 949
        {"a\rb\nc\r\nd", S_OK, "a\\nb\\nc\\nd", "a\r\nb\r\nc\r\nd"}, // every line break comes back CR LF
        {"\xB1", MAPI_E_INVALID_PARAMETER, "", nullptr},             // a lone lead byte
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const fs::path file = dir_ / "text.wab";
        fs::remove(file);
        ASSERT_EQ(Open(file), S_OK);
        ComPtr<IMAPIProp> entry;
        EXPECT_EQ(Create({Text(PR_DISPLAY_NAME, c.api)}, entry), std::vector<SCODE>{c.problem});
        ASSERT_EQ(entry->SaveChanges(FORCE_SAVE), S_OK);
        EXPECT_NE(ReadFile(file).find(std::string("\r\nFN:") + c.file + "\r\n"), std::string::npos)
            << ReadFile(file);
        std::vector<LPSPropValue> buffers;
        auto all = ReadAll(file, buffers);
        ASSERT_EQ(all.size(), 1u);
        const SPropValue* name = Find(all[0], PR_DISPLAY_NAME);
        if (c.back) {
            ASSERT_NE(name, nullptr);
            EXPECT_STREQ(name->Value.lpszA, c.back);
        } else {
            EXPECT_EQ(name, nullptr) << "nothing was stored";
        }
        Free(buffers);
    }
    // A character of the file that code page 949 lacks reads as "?".
    std::ofstream(dir_ / "other.vcf", std::ios::binary)
        << "BEGIN:VCARD\r\nFN:x\xC3\xBF\xF0\x9F\x98\x80y\r\nEND:VCARD\r\n";
    std::vector<LPSPropValue> buffers;
    auto all = ReadAll(dir_ / "other.vcf", buffers);
    ASSERT_EQ(all.size(), 1u);
    EXPECT_STREQ(Find(all[0], PR_DISPLAY_NAME)->Value.lpszA, "x??y");
    Free(buffers);
}

TEST_F(WabLibrary, EveryStorableTypeSurvivesASaveAndAFreshOpen) {
    const fs::path file = dir_ / "types.wab";
    ASSERT_EQ(Open(file), S_OK);
    BYTE bytes[] = {0, 1, 2, 0xFF};
    LPSTR list[] = {const_cast<LPSTR>("a,b"), const_cast<LPSTR>("\xB1\xE8"), const_cast<LPSTR>("")};
    std::vector<SPropValue> values(8);
    values[0].ulPropTag = PROP_TAG(PT_SHORT, 0x8001);
    values[0].Value.i = -32768;
    values[1].ulPropTag = PROP_TAG(PT_LONG, 0x8002);
    values[1].Value.l = 2147483647;
    values[2].ulPropTag = PROP_TAG(PT_BOOLEAN, 0x8003);
    values[2].Value.b = 1;
    values[3].ulPropTag = PROP_TAG(PT_BINARY, 0x8004);
    values[3].Value.bin = {sizeof bytes, bytes};
    values[4].ulPropTag = PROP_TAG(PT_MV_STRING8, 0x8005);
    values[4].Value.MVszA = {3, list};
    values[5].ulPropTag = PROP_TAG(0x0005, 0x8006); // PT_DOUBLE
    values[6] = Text(PR_ENTRYID, "computed");
    const std::string tooBig(96 * 1024 + 1, 'x');
    values[7] = Text(PR_OFFICE_LOCATION, tooBig.c_str());
    ComPtr<IMAPIProp> entry;
    EXPECT_EQ(Create(values, entry), (std::vector<SCODE>{S_OK, S_OK, S_OK, S_OK, S_OK, MAPI_E_NO_SUPPORT,
                                                         MAPI_E_COMPUTED, MAPI_E_TOO_BIG}));
    ASSERT_EQ(entry->SaveChanges(FORCE_SAVE), S_OK);
    const std::string text = ReadFile(file);
    for (const char* line :
         {"X-MAPI-80010002:-32768\r\n", "X-MAPI-80020003:2147483647\r\n", "X-MAPI-8003000B:TRUE\r\n",
          "X-MAPI-80040102:AAEC/w==\r\n", "X-MAPI-8005101E:a\\,b,\xEA\xB9\x80,\r\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line << text;

    std::vector<LPSPropValue> buffers;
    auto all = ReadAll(file, buffers);
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(Find(all[0], values[0].ulPropTag)->Value.i, -32768);
    EXPECT_EQ(Find(all[0], values[1].ulPropTag)->Value.l, 2147483647);
    EXPECT_EQ(Find(all[0], values[2].ulPropTag)->Value.b, 1);
    const SPropValue* bin = Find(all[0], values[3].ulPropTag);
    ASSERT_EQ(bin->Value.bin.cb, sizeof bytes);
    EXPECT_EQ(std::memcmp(bin->Value.bin.lpb, bytes, sizeof bytes), 0);
    const SPropValue* mv = Find(all[0], values[4].ulPropTag);
    ASSERT_EQ(mv->Value.MVszA.cValues, 3u);
    EXPECT_STREQ(mv->Value.MVszA.lppszA[0], "a,b");
    EXPECT_STREQ(mv->Value.MVszA.lppszA[1], "\xB1\xE8");
    EXPECT_STREQ(mv->Value.MVszA.lppszA[2], "");
    EXPECT_EQ(Find(all[0], PR_OBJECT_TYPE)->Value.l, MAPI_MAILUSER);
    EXPECT_EQ(Find(all[0], PR_OFFICE_LOCATION), nullptr);
    Free(buffers);
}

TEST_F(WabLibrary, SavingKeepsTheFileModeAndNeverOverwritesACorruptFile) {
    const fs::path file = dir_ / "mode.wab";
    const std::string first = "BEGIN:VCARD\nFN:Theirs\nX-OTHER;A=\"b:c\":kept\nEND:VCARD\n";
    std::ofstream(file, std::ios::binary) << first;
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_EQ(Open(file), S_OK);
    ComPtr<IMAPIProp> entry;
    Create({Text(PR_DISPLAY_NAME, "Ours")}, entry);
    ASSERT_EQ(entry->SaveChanges(FORCE_SAVE), S_OK);
    EXPECT_TRUE(ReadFile(file).starts_with(first)) << "their card stays byte for byte";
    EXPECT_EQ(fs::status(file).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    // Another process corrupts the file between our open and our save.
    ComPtr<IMAPIProp> second;
    Create({Text(PR_DISPLAY_NAME, "Later")}, second);
    std::ofstream(file, std::ios::binary | std::ios::trunc) << "BEGIN:VCARD\r\n";
    EXPECT_EQ(second->SaveChanges(FORCE_SAVE), MAPI_E_CALL_FAILED);
    EXPECT_EQ(ReadFile(file), "BEGIN:VCARD\r\n");
    EXPECT_EQ(Open(file), MAPI_E_CORRUPT_DATA);

    // A new book is private to its user; a missing folder is no book.
    const fs::path fresh = dir_ / "fresh.wab";
    ASSERT_EQ(Open(fresh), S_OK);
    EXPECT_FALSE(fs::exists(fresh)) << "made at the first save";
    Create({Text(PR_DISPLAY_NAME, "New")}, entry);
    ASSERT_EQ(entry->SaveChanges(FORCE_SAVE), S_OK);
    EXPECT_EQ(fs::status(fresh).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(Open(dir_ / "missing" / "book.wab"), MAPI_E_NOT_FOUND);
    EXPECT_EQ(book_.Get(), nullptr);
}

TEST_F(WabLibrary, EntryIdsOpenOnlyInTheirBookAndTablesEndWithNoRows) {
    const fs::path file = dir_ / "ids.wab";
    std::ofstream(file, std::ios::binary)
        << "BEGIN:VCARD\r\nFN:A\r\nEND:VCARD\r\nBEGIN:VCARD\r\nKIND:group\r\nFN:G\r\nEND:VCARD\r\n";
    ASSERT_EQ(Open(file), S_OK);
    ComPtr<IMAPITable> table;
    ASSERT_EQ(Pab()->GetContentsTable(0, &table), S_OK);
    SizedSPropTagArray<3> columns = {3, {PR_DISPLAY_NAME, PR_ENTRYID, PROP_TAG(PT_STRING8, 0x3A11)}};
    ASSERT_EQ(table->SetColumns(reinterpret_cast<LPSPropTagArray>(&columns), 0), S_OK);
    LPSRowSet rows = nullptr;
    ASSERT_EQ(table->QueryRows(10, 0, &rows), S_OK);
    ASSERT_EQ(rows->cRows, 2u);
    EXPECT_STREQ(rows->aRow[1].lpProps[0].Value.lpszA, "G");
    EXPECT_EQ(rows->aRow[0].lpProps[2].ulPropTag, PROP_TAG(PT_ERROR, 0x3A11)) << "a missing column";
    std::vector<BYTE> id(rows->aRow[0].lpProps[1].Value.bin.lpb,
                         rows->aRow[0].lpProps[1].Value.bin.lpb + rows->aRow[0].lpProps[1].Value.bin.cb);
    std::vector<BYTE> groupId(rows->aRow[1].lpProps[1].Value.bin.lpb,
                              rows->aRow[1].lpProps[1].Value.bin.lpb + rows->aRow[1].lpProps[1].Value.bin.cb);
    for (ULONG i = 0; i < rows->cRows; ++i)
        wab_->FreeBuffer(rows->aRow[i].lpProps);
    wab_->FreeBuffer(rows);
    LPSRowSet none = nullptr;
    ASSERT_EQ(table->QueryRows(1, 0, &none), S_OK);
    EXPECT_EQ(none->cRows, 0u);
    wab_->FreeBuffer(none);

    ULONG type = 0;
    ComPtr<IUnknown> unknown;
    EXPECT_EQ(book_->OpenEntry(ULONG(groupId.size()), reinterpret_cast<LPENTRYID>(groupId.data()), nullptr, 0,
                               &type, &unknown),
              S_OK);
    EXPECT_EQ(type, ULONG(MAPI_DISTLIST));
    std::vector<BYTE> damaged = id;
    damaged.back() ^= 1;
    std::vector<BYTE> shorter(id.begin(), id.end() - 1);
    ComPtr<IAddrBook> first = book_;
    ASSERT_EQ(Open(file), S_OK); // another book object of the same file
    const struct {
        IAddrBook* book;
        std::vector<BYTE> id;
        HRESULT hr;
    } cases[] = {
        {first.Get(), id, S_OK},
        {book_.Get(), id, MAPI_E_NOT_FOUND},
        {first.Get(), damaged, MAPI_E_NOT_FOUND},
        {first.Get(), shorter, MAPI_E_NOT_FOUND},
    };
    for (const auto& c : cases) {
        unknown = nullptr;
        std::vector<BYTE> bytes = c.id;
        EXPECT_EQ(c.book->OpenEntry(ULONG(bytes.size()), reinterpret_cast<LPENTRYID>(bytes.data()), nullptr,
                                    0, &type, &unknown),
                  c.hr);
    }
}

TEST_F(WabLibrary, BuffersLinkedToABlockGoWithIt) {
    ASSERT_EQ(Open(dir_ / "buffers.wab"), S_OK);
    LPVOID root = nullptr, more = nullptr, other = nullptr;
    ASSERT_EQ(wab_->AllocateBuffer(16, &root), S_OK);
    ASSERT_EQ(wab_->AllocateMore(32, root, &more), S_OK);
    ASSERT_EQ(wab_->AllocateMore(8, root, &other), S_OK);
    EXPECT_EQ(outstanding_(), 3);
    EXPECT_EQ(wab_->AllocateMore(8, more, &other), MAPI_E_INVALID_PARAMETER) << "only a root takes more";
    EXPECT_EQ(wab_->FreeBuffer(root), S_OK);
    EXPECT_EQ(outstanding_(), 0);
    EXPECT_EQ(wab_->FreeBuffer(nullptr), S_OK);
}

TEST_F(WabLibrary, TheParametersAreReadOnlyAsFarAsTheirSize) {
    std::string name = (dir_ / "sized.wab").string();
    const struct {
        ULONG cbSize;
        LPSTR file;
        HRESULT hr;
    } cases[] = {
        {sizeof(WAB_PARAM), name.data(), S_OK},
        {offsetof(WAB_PARAM, szFileName) + sizeof(LPSTR), name.data(), S_OK}, // the name and nothing after it
        {offsetof(WAB_PARAM, szFileName), name.data(), MAPI_E_NOT_FOUND},     // the name is beyond the size
        {sizeof(WAB_PARAM), nullptr, MAPI_E_NOT_FOUND},
    };
    for (const auto& c : cases) {
        WAB_PARAM wp{};
        wp.cbSize = c.cbSize;
        wp.szFileName = c.file;
        ComPtr<IAddrBook> book;
        ComPtr<IWABObject> wab;
        EXPECT_EQ(open_(&book, &wab, &wp, 0), c.hr) << c.cbSize;
        EXPECT_EQ(book.Get() != nullptr, c.hr == S_OK);
    }
    EXPECT_EQ(open_(&book_, &wab_, nullptr, 0), MAPI_E_NOT_FOUND);
}

} // namespace
