// How the unpacker reads documents of other writers: header syntax, the page among the parts,
// the page's charset, cid: references and line breaks.
#include <gtest/gtest.h>
#include <qx/win32/codepage.h>

#include "base64.h"
#include "convert.h"
#include "convert_dispatch.h"
#include "mht_document.h"
#include "mht_unpacker.h"
#include "quorle_test_env.h"

namespace {

using namespace quorle_test;

std::string B64(const std::string& bytes) {
    Base64Encoder encoder;
    return encoder.Encode(bytes.data(), bytes.size());
}

struct Part {
    std::string headers; // each line with its CR LF
    std::string body;
};

// A multipart document of the parts; top is the rest of the top header block.
std::string Document(const std::string& top, const std::vector<Part>& parts,
                     const std::string& boundary = "B") {
    std::string text = "MIME-Version: 1.0\r\nContent-Type: multipart/related; boundary=\"" + boundary + "\"" +
                       top + "\r\n\r\n";
    for (const Part& part : parts)
        text += "--" + boundary + "\r\n" + part.headers + "\r\n" + part.body + "\r\n";
    return text + "--" + boundary + "--\r\n";
}

Part Html(const std::string& html, const std::string& extra = "") {
    return {"Content-Type: text/html\r\n" + extra, html};
}

Part Image(const std::string& name, const std::string& bytes) {
    return {"Content-Type: image/gif\r\nContent-Transfer-Encoding: base64\r\nContent-Location: " + name +
                "\r\n",
            B64(bytes)};
}

TEST(MhtHeaderSyntax, Table) {
    struct Case {
        const char* header;
        const char* name;
        const char* value;
    };
    const Case cases[] = {
        {"Content-Type:text/html\r\n", "Content-Type", "text/html"},
        {"CONTENT-TYPE: \t text/html \r\n", "Content-Type", "text/html"},
        {"Content-Type : text/html\r\n", "Content-Type", "text/html"},
        {"X-Content-Type: a\r\nContent-Type: b\r\n", "Content-Type", "b"},
        {"Subject: Content-Type: a\r\n", "Content-Type", ""},
        {"Content-Type: multipart/related;\r\n\tboundary=x\r\n", "Content-Type",
         "multipart/related;\tboundary=x"},
        {"Content-Type: text/html\nContent-ID: <a@b>\n", "Content-ID", "<a@b>"},
        {"A: 1\r\n", "Content-Location", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MhtHeaderValue(c.header, c.name), c.value) << c.header;
    EXPECT_EQ(MhtLocationValue("Content-Location: http://h/a/\r\n  b/c.png\r\nX: 1\r\n"),
              "http://h/a/b/c.png");
}

TEST(MhtMediaTypes, Table) {
    struct Case {
        const char* value;
        const char* type;
        const char* parameter;
        const char* parameterValue;
    };
    const Case cases[] = {
        {"Text/HTML; Charset=\"UTF-8\"", "text/html", "charset", "UTF-8"},
        {"multipart/related; boundary=\"a;b\\\"c\"; type=text/html", "multipart/related", "boundary",
         "a;b\"c"},
        {"multipart/related; type=text/html; boundary=----=_NextPart_000_01", "multipart/related", "boundary",
         "----=_NextPart_000_01"},
        {"multipart/related; start=\"<root@x>\"", "multipart/related", "start", "<root@x>"},
        {"text/plain", "text/plain", "charset", ""},
        {"", "", "boundary", ""},
    };
    for (const Case& c : cases) {
        const MhtMediaType media = ParseMhtMediaType(c.value);
        EXPECT_EQ(media.type, c.type) << c.value;
        EXPECT_EQ(media.Parameter(c.parameter), c.parameterValue) << c.value;
    }
    EXPECT_EQ(MhtBareId(" <a@b> "), "a@b");
}

// Which part is the page: its text, or "" when the document holds none.
std::string PageOf(const std::string& mht) {
    std::string html;
    ResourceRecords records;
    if (!UnpackMht(mht, html, records))
        html.clear();
    DeleteResourceFiles(records);
    return html;
}

TEST_F(QuorleTest, ThePageIsTheRootPart) {
    const std::string nested =
        "Content-Type: multipart/alternative; boundary=\"A\"\r\n\r\n--A\r\n"
        "Content-Type: text/plain\r\n\r\nplain\r\n--A\r\nContent-Type: text/html\r\n\r\n"
        "alternative\r\n--A--";
    struct Case {
        std::string mht;
        const char* page;
    };
    const Case cases[] = {
        {Document("", {Html("first"), Html("frame")}), "first"},
        {Document("; start=\"<p2>\"", {Html("first"), Html("second", "Content-ID: <p2>\r\n")}), "second"},
        {Document("; start=\"<none>\"", {Html("first"), Html("second")}), "first"},
        {Document("", {{nested, ""}, Html("later")}), "alternative"},
        {Document("", {Image("a.gif", "GIF"), Html("after an image")}), "after an image"},
        {Document("",
                  {{"Content-Type: text/html\r\nContent-Disposition: attachment; filename=a.htm\r\n", "att"},
                   Html("page")}),
         "page"},
        {Document("", {{"Content-Type: text/html\r\nContent-Disposition: attachment\r\n", "att"}}), ""},
        {Document(
             "", {{"Content-Type: text/html; charset=utf-8\r\nContent-Transfer-Encoding: 8bit\r\n", "8bit"}}),
         "8bit"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PageOf(c.mht), c.page) << c.mht;

    // Multiparts nested deeper than the reader goes are kept whole: no page is found in them.
    std::string deep = "Content-Type: text/html\r\n\r\ndeep";
    for (int level = 0; level < kMhtMaxNesting + 1; ++level) {
        const std::string b = "L" + std::to_string(level);
        deep = "Content-Type: multipart/mixed; boundary=\"" + b + "\"\r\n\r\n--" + b + "\r\n" + deep +
               "\r\n--" + b + "--";
    }
    EXPECT_EQ(PageOf("MIME-Version: 1.0\r\n" + deep), "");
}

TEST_F(QuorleTest, LineBreaksAreReadAsWritten) {
    // A CR LF document whose first header line is longer than 100 characters.
    const std::string crlf =
        "Subject: " + std::string(150, 's') + "\r\n" + Document("", {Html("<p>\r\nx</p>")});
    EXPECT_EQ(PageOf(crlf), "<p>\r\nx</p>");

    // A document with LF alone keeps the bytes of its parts.
    const std::string lf = "MIME-Version: 1.0\nContent-Type: multipart/related; boundary=B\n\n--B\n"
                           "Content-Type: text/html\n\n<p>\nx</p>\n--B\nContent-Type: text/plain\n"
                           "Content-Location: a.txt\n\nline\r\nline\n--B--\n";
    std::string html;
    ResourceRecords records;
    ASSERT_TRUE(UnpackMht(lf, html, records));
    EXPECT_EQ(html, "<p>\nx</p>");
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(ReadFile(records[0].tempPath), "line\r\nline");
    DeleteResourceFiles(records);
}

TEST_F(QuorleTest, CidReferencesPointAtTheirParts) {
    const std::string mht = Document(
        "",
        {Html("<img src=\"cid:a%40b\"><img src=\"CID:c@d\"><img src=\"cid:none@x\">"),
         {"Content-Type: image/gif\r\nContent-Transfer-Encoding: base64\r\nContent-ID: <a@b>\r\n", B64("AB")},
         {"Content-Type: image/gif\r\nContent-Transfer-Encoding: base64\r\nContent-ID:<c@d>\r\n",
          B64("CD")}});
    std::string html;
    ResourceRecords records;
    ASSERT_TRUE(UnpackMht(mht, html, records));
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(html, "<img src=\"file://" + records[0].tempPath + "\"><img src=\"file://" +
                        records[1].tempPath + "\"><img src=\"cid:none@x\">");
    EXPECT_EQ(records[0].contentId, "a@b");
    EXPECT_EQ(records[0].urlText, "cid:a%40b");
    EXPECT_EQ(ReadFile(records[1].tempPath), "CD");
    DeleteResourceFiles(records);
}

class PageCharsetTest : public SyncConvertTest {
protected:
    // The page text filterIn gives for a document whose HTML part has these bytes.
    std::u16string Load(const std::string& top, const std::string& typeLine, const std::string& html) {
        const std::string mht = Document(
            top, {{"Content-Type: " + typeLine + "\r\nContent-Transfer-Encoding: base64\r\n", B64(html)}});
        Put(disp_.Get(), u"mhtData", Variant(qx::win32::AnsiToWide(mht).c_str()));
        EXPECT_TRUE(CallBool(disp_.Get(), u"filterIn"));
        return GetText(disp_.Get(), u"htmlData");
    }
};

TEST_F(PageCharsetTest, ThePageIsDecodedByItsCharset) {
    const std::string utf8 = "\xED\x95\x9C\xEA\xB8\x80 \xC3\xA9"; // 한글 é in UTF-8
    const std::string cp949 = "\xC7\xD1\xB1\xDB";                 // 한글 in code page 949
    const std::u16string korean = u"\uD55C\uAE00";
    const std::string utf8Meta = "<meta charset=\"utf-8\">";
    const std::string own = "\r\nFrom: Dovrel MHT Component";
    struct Case {
        std::string top, type, html;
        std::u16string text;
    };
    const Case cases[] = {
        {"", "text/html; charset=\"utf-8\"", utf8, korean + u" \u00E9"},
        {"", "text/html", utf8Meta + utf8, u"<meta charset=\"utf-8\">" + korean + u" \u00E9"},
        {"", "text/html", "<meta http-equiv='Content-Type' content='text/html; charset=UTF-8'>" + utf8,
         u"<meta http-equiv='Content-Type' content='text/html; charset=UTF-8'>" + korean + u" \u00E9"},
        // Bytes that are not UTF-8 under a META that says so: the ANSI code page, as before.
        {"", "text/html", utf8Meta + cp949, u"<meta charset=\"utf-8\">" + korean},
        // The packer's own documents hold their page in the ANSI code page whatever the META says.
        {own, "Text/HTML", "<meta charset=\"iso-8859-1\">" + cp949,
         u"<meta charset=\"iso-8859-1\">" + korean},
        {"", "text/html; charset=ks_c_5601-1987", cp949, korean},
        {"", "text/html; charset=euc-kr", cp949, korean},
        {"", "text/html", cp949, korean},
        {"", "text/html; charset=x-unknown", "<meta charset=euc-kr>" + cp949,
         u"<meta charset=euc-kr>" + korean},
        {"", "text/html; charset=iso-8859-1", "caf\xE9", u"caf\u00E9"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Load(c.top, c.type, c.html), c.text) << c.type << " " << c.html;
}

} // namespace
