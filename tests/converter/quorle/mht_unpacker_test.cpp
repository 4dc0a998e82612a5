#include "mht_unpacker.h"

#include <gtest/gtest.h>

#include "base64.h"
#include "mht_packer.h"
#include "quorle_test_env.h"

namespace {

using quorle_test::QuorleTest;
using quorle_test::ReadFile;

std::string B64(const std::string& bytes) {
    Base64Encoder encoder;
    return encoder.Encode(bytes.data(), bytes.size());
}

// A two-part document in the shape other writers use.
std::string Document(const std::string& typeLine, const std::string& html, const std::string& imageLocation,
                     const std::string& boundaryParam = "boundary=\"B1\"") {
    return "MIME-Version: 1.0\r\nContent-Type: multipart/related; " + boundaryParam +
           "\r\n\r\n--B1\r\nContent-Type: " + typeLine + "\r\nContent-Transfer-Encoding: base64\r\n\r\n" +
           B64(html) +
           "\r\n--B1\r\nContent-Type: image/gif\r\nContent-Transfer-Encoding: base64\r\nContent-Location: " +
           imageLocation + "\r\n\r\n" + B64("GIF89a") + "\r\n--B1--\r\n";
}

TEST_F(QuorleTest, PackedFormLoadsBackAndPacksToTheSameReferences) {
    PackInput input;
    input.html = FormHtml();
    input.pathBase = "file://c:/form/form.htm";
    const std::string mht = PackHtml(input);

    std::string html;
    ResourceRecords records;
    ASSERT_TRUE(UnpackMht(mht, html, records));
    ASSERT_EQ(records.size(), 5u);
    const std::pair<const char*, const char*> expected[] = {{"images/logo.gif", "images/logo.gif"},
                                                            {"images/stamp.png", "images/stamp.png"},
                                                            {"form.css", "form.css"},
                                                            {"form.js", "form.js"},
                                                            {"images/cell.gif", "images/cell.gif"}};
    for (size_t i = 0; i < records.size(); ++i) {
        EXPECT_EQ(records[i].urlText, expected[i].first);
        EXPECT_EQ(ReadFile(records[i].tempPath), ReadFile(FormDir() / expected[i].second));
        EXPECT_NE(html.find("\"file://" + records[i].tempPath + "\""), std::string::npos);
    }
    EXPECT_EQ(html.find("\"images/logo.gif\""), std::string::npos);

    // Packing the loaded page again restores the reference texts and the locations.
    PackInput again;
    again.html = html;
    again.pathBase = "file://c:/other/form.htm";
    again.loaded = &records;
    const std::string repacked = PackHtml(again);
    std::string restored;
    ResourceRecords second;
    ASSERT_TRUE(UnpackMht(repacked, restored, second));
    EXPECT_NE(repacked.find("Content-Location: file:///c:/form/images/logo.gif\r\n"), std::string::npos);
    PackInput plain;
    plain.html = FormHtml();
    ASSERT_EQ(second.size(), 5u);
    DeleteResourceFiles(second);
    // The first load's files go at the next load.
    const std::string firstFile = records[0].tempPath;
    ASSERT_TRUE(UnpackMht(mht, html, records));
    EXPECT_FALSE(quorle_test::fs::exists(firstFile));
    DeleteResourceFiles(records);
    EXPECT_EQ(TempFileCount(), 0u);
}

TEST_F(QuorleTest, ContentTypeWithParametersAndUnquotedBoundary) {
    const char* const params[] = {"boundary=\"B1\"", "boundary=B1", "boundary=B1; type=\"text/html\""};
    for (const char* param : params) {
        std::string html;
        ResourceRecords records;
        ASSERT_TRUE(UnpackMht(
            Document("text/html; charset=\"euc-kr\"", "<img src=\"a.gif\">", "http://h/a.gif", param), html,
            records))
            << param;
        ASSERT_EQ(records.size(), 1u);
        EXPECT_EQ(html, "<img src=\"file://" + records[0].tempPath + "\">");
        DeleteResourceFiles(records);
    }
}

TEST_F(QuorleTest, ReferenceTakesTheRecordThatEndsWithIt) {
    const std::string mht = "MIME-Version: 1.0\r\nContent-Type: multipart/related; boundary=\"B1\"\r\n\r\n"
                            "--B1\r\nContent-Type: image/gif\r\nContent-Transfer-Encoding: "
                            "base64\r\nContent-Location: http://h/ba.gif\r\n\r\n" +
                            B64("BA") +
                            "\r\n--B1\r\nContent-Type: image/gif\r\nContent-Transfer-Encoding: "
                            "base64\r\nContent-Location: http://h/a.gif\r\n\r\n" +
                            B64("A") +
                            "\r\n--B1\r\nContent-Type: text/html\r\nContent-Transfer-Encoding: 8bit\r\n\r\n"
                            "<p>a.gif</p><img src=\"../a.gif\"><img src=\"ba.gif\">\r\n--B1--\r\n";
    std::string html;
    ResourceRecords records;
    ASSERT_TRUE(UnpackMht(mht, html, records));
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(html, "<p>a.gif</p><img src=\"file://" + records[1].tempPath + "\"><img src=\"file://" +
                        records[0].tempPath + "\">");
    EXPECT_EQ(ReadFile(records[1].tempPath), "A");
    DeleteResourceFiles(records);
}

TEST_F(QuorleTest, BadInputGivesThePartsThatDecode) {
    const std::string good = Document("text/html", "<img src=a.gif>", "a.gif");
    struct Case {
        std::string mht;
        bool html;
        size_t records;
    };
    const Case cases[] = {
        {good.substr(0, good.find("--B1", 60) + 30), false, 0}, // truncated inside the page
        {good.substr(0, good.rfind("--B1--")), true, 0},        // no closing delimiter: last part skipped
        {Document("text/html", "<p>", "a.gif", "charset=x"), false,
         0}, // no boundary: single part, no encoding
        {"MIME-Version: 1.0\r\nContent-Type: multipart/related; boundary=\"B1\"\r\n\r\n--B1\r\n"
         "Content-Type: image/gif\r\nContent-Transfer-Encoding: base64\r\nContent-Location: x.gif\r\n\r\n"
         "!!!!\r\n--B1\r\nContent-Type: image/gif\r\nContent-Transfer-Encoding: x-unknown\r\n\r\nzz\r\n"
         "--B1\r\nContent-Type: text/html\r\nContent-Transfer-Encoding: 7bit\r\n\r\n<p>ok</p>\r\n--B1--\r\n",
         true, 0},
        {"", false, 0},
        {"MIME-Version: 1.0\r\n\r\n", false, 0},
    };
    for (const Case& c : cases) {
        std::string html = "unchanged";
        ResourceRecords records;
        EXPECT_EQ(UnpackMht(c.mht, html, records), c.html) << c.mht;
        EXPECT_EQ(records.size(), c.records) << c.mht;
        if (!c.html) {
            EXPECT_EQ(html, "unchanged");
        }
        DeleteResourceFiles(records);
        EXPECT_EQ(TempFileCount(), 0u) << c.mht; // parts that decode to nothing leave no file
    }
}

TEST_F(QuorleTest, SinglePartAndLineFeedDocuments) {
    std::string html;
    ResourceRecords records;
    ASSERT_TRUE(UnpackMht("MIME-Version: 1.0\nContent-Transfer-Encoding: base64\n\n" + B64("<p>hi</p>"), html,
                          records));
    EXPECT_EQ(html, "<p>hi</p>");
    ASSERT_TRUE(UnpackMht(
        "MIME-Version: 1.0\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\n<p a=3D1>=\r\nx</p>", html,
        records));
    EXPECT_EQ(html, "<p a=1>x</p>\n");
}

TEST(MhtHeaders, BoundaryForms) {
    EXPECT_EQ(MhtBoundary("Content-Type: Multipart/related;\r\n  boundary=\"Boundary-=_x\""), "Boundary-=_x");
    EXPECT_EQ(MhtBoundary("Content-Type: multipart/related; boundary=abc; type=x"), "abc");
    EXPECT_EQ(MhtBoundary("Content-Type: multipart/related; BOUNDARY = \"q r\""), "q r");
    EXPECT_EQ(MhtBoundary("Content-Type: multipart/related"), "");
    EXPECT_EQ(MhtHeaderValue("A: 1\r\ncontent-location: x y\r\n", "Content-Location"), "x y");
}

} // namespace
