// Loading from files in several encodings, saving, and the bounds of loading.
#include "dom_test_util.h"

#include "test_texts.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

using namespace xmltest;
using qxtest::Iconv;

namespace {

class DomFiles : public ::testing::Test {
protected:
    void SetUp() override {
        // A folder of its own, so that runs from other build trees at the same time never meet.
        std::string pattern = (std::filesystem::path(::testing::TempDir()) / "qx_xml_XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::string Write(const std::string& name, const std::string& bytes) {
        std::ofstream(dir / name, std::ios::binary) << bytes;
        return (dir / name).string();
    }
    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    bool Load(IDispatch* doc, const std::string& path) {
        Variant ok = Call(doc, u"load", {Variant(std::u16string(path.begin(), path.end()))});
        return ok.vt == VT_BOOL && ok.boolVal == VARIANT_TRUE;
    }
    std::filesystem::path dir;
};

// "한글 똠방각하 뷁": 똠 (8C 63) and 뷁 (94 EE) are UHC bytes beyond EUC-KR.
const std::string kKoreanUtf8 = "\xED\x95\x9C\xEA\xB8\x80 \xEB\x98\xA0\xEB\xB0\xA9\xEA\xB0\x81\xED\x95\x98 "
                                "\xEB\xB7\x81";
const std::u16string kKoreanWide = u"\uD55C\uAE00 \uB620\uBC29\uAC01\uD558 \uBDC1";

TEST_F(DomFiles, EncodingsLoadToTheSameText) {
    struct Row {
        const char* name;
        std::string bytes;
    };
    const std::string body = "<IN><NAME a=\"" + kKoreanUtf8 + "\">" + kKoreanUtf8 + "</NAME></IN>";
    const std::string utf16Doc = "<?xml version=\"1.0\" encoding=\"UTF-16\"?>" + body;
    const Row rows[] = {
        {"utf8", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>" + body},
        {"utf8-nodecl", body},
        {"utf8-bom", "\xEF\xBB\xBF" + body},
        {"utf16le", "\xFF\xFE" + Iconv(utf16Doc, "UTF-16LE")},
        {"utf16be", "\xFE\xFF" + Iconv(utf16Doc, "UTF-16BE")},
        {"euc-kr", Iconv("<?xml version=\"1.0\" encoding=\"EUC-KR\"?>" + body, "CP949")},
        {"ks_c", Iconv("<?xml version=\"1.0\" encoding=\"ks_c_5601-1987\"?>" + body, "CP949")},
    };
    // The UHC bytes are really there.
    EXPECT_NE(rows[5].bytes.find("\x8C\x63"), std::string::npos);
    for (const Row& r : rows) {
        ComPtr<IDispatch> doc = NewDocument();
        ASSERT_TRUE(Load(doc.Get(), Write(r.name, r.bytes))) << r.name;
        Variant name = Call(doc.Get(), u"selectSingleNode", {Variant(u"IN/NAME")});
        EXPECT_EQ(Text(Get(Obj(name), u"text")), kKoreanWide) << r.name;
        EXPECT_EQ(Text(Call(Obj(name), u"getAttribute", {Variant(u"a")})), kKoreanWide) << r.name;
    }
}

TEST_F(DomFiles, SaveWritesTheDeclaredEncoding) {
    struct Row {
        const char16_t* decl;
        std::string expectedPrefix;
        std::string (*encode)(const std::string&);
    };
    const Row rows[] = {
        {u"", "", [](const std::string& s) { return s; }},
        {u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>", "", [](const std::string& s) { return s; }},
        {u"<?xml version=\"1.0\" encoding=\"euc-kr\"?>", "",
         [](const std::string& s) { return Iconv(s, "CP949"); }},
        {u"<?xml version=\"1.0\" encoding=\"UTF-16\"?>", "\xFF\xFE",
         [](const std::string& s) { return Iconv(s, "UTF-16LE"); }},
    };
    int i = 0;
    for (const Row& r : rows) {
        ComPtr<IDispatch> doc = NewDocument();
        ASSERT_TRUE(LoadXml(doc.Get(), std::u16string(r.decl) + u"<IN><N>" + kKoreanWide + u"</N></IN>"));
        std::string path = (dir / ("out" + std::to_string(i++))).string();
        HRESULT hr = S_OK;
        Call(doc.Get(), u"save", {Variant(std::u16string(path.begin(), path.end()))}, &hr);
        ASSERT_EQ(hr, S_OK);
        std::string declUtf8;
        for (const char16_t* p = r.decl; *p; ++p)
            declUtf8 += static_cast<char>(*p);
        std::string expected = r.expectedPrefix + r.encode((declUtf8.empty() ? "" : declUtf8 + "\r\n") +
                                                           "<IN><N>" + kKoreanUtf8 + "</N></IN>\r\n");
        EXPECT_EQ(Read(path), expected) << i;
        ComPtr<IDispatch> back = NewDocument();
        ASSERT_TRUE(Load(back.Get(), path));
        EXPECT_EQ(Text(Get(back.Get(), u"xml")), Text(Get(doc.Get(), u"xml")));
    }
}

TEST_F(DomFiles, SaveKeepsCharactersTheCodePageLacks) {
    ComPtr<IDispatch> doc = NewDocument();
    ASSERT_TRUE(LoadXml(doc.Get(), u"<?xml version=\"1.0\" encoding=\"euc-kr\"?><a>\u0E01\U0001F600</a>"));
    std::string path = (dir / "th.xml").string();
    Call(doc.Get(), u"save", {Variant(std::u16string(path.begin(), path.end()))});
    EXPECT_EQ(Read(path), "<?xml version=\"1.0\" encoding=\"euc-kr\"?>\r\n<a>&#3585;&#128512;</a>\r\n");
    ComPtr<IDispatch> back = NewDocument();
    ASSERT_TRUE(Load(back.Get(), path));
    EXPECT_EQ(Text(Get(Obj(Get(back.Get(), u"documentElement")), u"text")), u"\u0E01\U0001F600");
}

TEST_F(DomFiles, FailedLoadsLeaveAnEmptyDocumentAndAParseError) {
    struct Row {
        const char* name;
        std::string bytes;
        LONG line;
    };
    const Row rows[] = {
        {"mismatch", "<a>\n<b></c></a>", 2},
        {"unclosed", "<a><b>", 1},
        {"empty", "", 0},
        {"two-roots", "<a/><b/>", 1},
        {"bad-char", "<a>\x01</a>", 1},
        {"undeclared-entity", "<a>&nbsp;</a>", 1},
        {"unknown-encoding", "<?xml version=\"1.0\" encoding=\"x-unheard-of\"?><a/>", 1},
        {"text-only", "just text", 1},
    };
    for (const Row& r : rows) {
        ComPtr<IDispatch> doc = NewDocument();
        ASSERT_TRUE(LoadXml(doc.Get(), u"<old/>"));
        EXPECT_FALSE(Load(doc.Get(), Write(r.name, r.bytes))) << r.name;
        EXPECT_EQ(Obj(Get(doc.Get(), u"documentElement")), nullptr) << r.name;
        EXPECT_EQ(Text(Get(doc.Get(), u"xml")), u"") << r.name;
        Variant error = Get(doc.Get(), u"parseError");
        EXPECT_NE(Get(Obj(error), u"errorCode").lVal, 0) << r.name;
        std::u16string reason = Text(Get(Obj(error), u"reason"));
        EXPECT_GT(reason.size(), 2u) << r.name;
        EXPECT_EQ(reason.substr(reason.size() - 2), u"\r\n") << r.name;
        if (r.line) {
            EXPECT_EQ(Get(Obj(error), u"line").lVal, r.line) << r.name;
        }
    }
    // A later good load clears the error.
    ComPtr<IDispatch> doc = NewDocument();
    EXPECT_FALSE(LoadXml(doc.Get(), u"<a>"));
    EXPECT_NE(Get(Obj(Get(doc.Get(), u"parseError")), u"errorCode").lVal, 0);
    EXPECT_TRUE(LoadXml(doc.Get(), u"<a/>"));
    EXPECT_EQ(Get(Obj(Get(doc.Get(), u"parseError")), u"errorCode").lVal, 0);
}

TEST_F(DomFiles, MissingFilesAndRefusedSchemes) {
    ComPtr<IDispatch> doc = NewDocument();
    EXPECT_FALSE(Load(doc.Get(), (dir / "missing.xml").string()));
    Variant error = Get(doc.Get(), u"parseError");
    EXPECT_NE(Get(Obj(error), u"errorCode").lVal, 0);
    EXPECT_EQ(Text(Get(Obj(error), u"reason")), u"The system cannot locate the object specified.\r\n");
    EXPECT_FALSE(Load(doc.Get(), "ftp://example.invalid/a.xml"));
    EXPECT_EQ(Text(Get(Obj(Get(doc.Get(), u"parseError")), u"reason")), u"Access is denied.\r\n");
    // file: URLs go through the URL streams.
    std::string path = Write("u.xml", "<a>u</a>");
    EXPECT_TRUE(Load(doc.Get(), "file://" + path));
    EXPECT_EQ(Text(Get(Obj(Get(doc.Get(), u"documentElement")), u"text")), u"u");
}

TEST_F(DomFiles, EntityDeclarationsAndExternalDefinitionsAreRefused) {
    const std::string bomb = "<?xml version=\"1.0\"?>" + qxtest::kBillionLaughs;
    std::string secret = Write("secret.txt", "secret");
    const std::string external = "<!DOCTYPE a [<!ENTITY x SYSTEM \"file://" + secret + "\">]><a>&x;</a>";
    const std::string externalDtd =
        "<!DOCTYPE a SYSTEM \"file://" + Write("a.dtd", "<!ENTITY y \"why\">") + "\"><a>&y;</a>";
    for (const std::string& text : {bomb, external, externalDtd}) {
        ComPtr<IDispatch> doc = NewDocument();
        EXPECT_FALSE(Load(doc.Get(), Write("e.xml", text)));
        EXPECT_EQ(Obj(Get(doc.Get(), u"documentElement")), nullptr);
        EXPECT_NE(Get(Obj(Get(doc.Get(), u"parseError")), u"errorCode").lVal, 0);
    }
    // A document type without entities loads and is written back.
    ComPtr<IDispatch> doc = NewDocument();
    ASSERT_TRUE(LoadXml(doc.Get(), u"<!DOCTYPE a><a/>"));
    EXPECT_EQ(Text(Get(doc.Get(), u"xml")), u"<!DOCTYPE a>\r\n<a/>\r\n");
}

TEST_F(DomFiles, OversizedAndDeepDocumentsFailCleanly) {
    {
        std::ofstream out(dir / "big.xml", std::ios::binary);
        out << "<a>";
        std::string chunk(1 << 20, 'x');
        for (int i = 0; i < 100; ++i)
            out << chunk;
        out << "</a>";
    }
    ComPtr<IDispatch> doc = NewDocument();
    EXPECT_FALSE(Load(doc.Get(), (dir / "big.xml").string()));
    EXPECT_NE(Get(Obj(Get(doc.Get(), u"parseError")), u"errorCode").lVal, 0);
    EXPECT_EQ(Obj(Get(doc.Get(), u"documentElement")), nullptr);

    std::u16string deep;
    for (int i = 0; i < 5000; ++i)
        deep += u"<d>";
    for (int i = 0; i < 5000; ++i)
        deep += u"</d>";
    EXPECT_FALSE(LoadXml(doc.Get(), deep));
    EXPECT_NE(Get(Obj(Get(doc.Get(), u"parseError")), u"errorCode").lVal, 0);

    // A deep tree built by hand serialises without recursion.
    ComPtr<IDispatch> built = NewDocument();
    Variant parent = Call(built.Get(), u"createElement", {Variant(u"d")});
    Call(built.Get(), u"appendChild", {parent});
    for (int i = 0; i < 20000; ++i) {
        Variant child = Call(built.Get(), u"createElement", {Variant(u"d")});
        Call(Obj(parent), u"appendChild", {child});
        parent = child;
    }
    std::u16string x = Text(Get(built.Get(), u"xml"));
    EXPECT_EQ(x.size(), 20000 * 7 + 4 + 2u);
}

} // namespace
