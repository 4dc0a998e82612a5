#include "mht_packer.h"

#include <gtest/gtest.h>

#include "loopback_http_server.h"
#include "mht_unpacker.h"
#include "quorle_test_env.h"

namespace {

using quorle_test::QuorleTest;
using quorle_test::ReadFile;
using quorle_test::WriteFile;

const char kGolden[] = QX_SOURCE_DIR "/tests/converter/quorle/golden/form.mht";

std::string PackForm(const std::string& html, const std::string& pathBase, const std::string& subject = "") {
    PackInput input;
    input.html = html;
    input.pathBase = pathBase;
    input.subject = subject;
    return PackHtml(input);
}

std::string RunPython(const std::string& args) {
    return quorle_test::CommandOutput(
        "/usr/bin/python3 " QX_SOURCE_DIR "/tests/converter/quorle/check_mht.py " + args);
}

TEST(MhtBaseDirectory, Table) {
    const std::pair<const char*, const char*> cases[] = {
        {"http://host/dir/page.htm", "http://host/dir/"},
        {"HTTP://host/dir/page.htm", "http://host/dir/"},
        {"file://c:\\test.html", "c:/"},
        {"file://c:/doc/form.htm", "c:/doc/"},
        {"file:///c:/doc/form.htm", "c:/doc/"},
        {"https://host/a/b/page.htm", "https://host/a/b/"},
        {"file:///home/user/forms/form.htm", "/home/user/forms/"},
        {"http://host", "http://"},
    };
    for (const auto& [pathBase, base] : cases)
        EXPECT_EQ(MhtBaseDirectory(pathBase), base) << pathBase;
}

TEST_F(QuorleTest, GoldenMhtOfTheBundledForm) {
    const std::string mht = PackForm(FormHtml(), "file://c:/form/form.htm", "Leave request");
    if (getenv("QX_UPDATE_GOLDEN") != nullptr)
        WriteFile(kGolden, mht);
    EXPECT_EQ(mht, ReadFile(kGolden));
    // CR LF everywhere, and a 39-character boundary seeded by the clock.
    for (size_t i = 0; i < mht.size(); ++i) {
        if (mht[i] == '\n') {
            ASSERT_TRUE(i > 0 && mht[i - 1] == '\r') << i;
        }
    }
    EXPECT_NE(mht.find("boundary=\"Boundary-=_"), std::string::npos);
    EXPECT_NE(mht.find("Date: Tue, 8 Dec 2026 19:30:00 +0900 (KST)\r\n"), std::string::npos);
}

TEST_F(QuorleTest, PythonEmailReadsEveryPartByteExact) {
    const std::string mht = PackForm(FormHtml(), "file://c:/form/form.htm");
    const auto file = root_ / "form.mht";
    WriteFile(file, mht);
    const auto dir = FormDir().string();
    const std::string args =
        file.string() + " " + dir + "/form.htm" + " file:///c:/form/images/logo.gif=" + dir +
        "/images/logo.gif" + " file:///c:/form/images/stamp.png=" + dir + "/images/stamp.png" +
        " file:///c:/form/form.css=" + dir + "/form.css" + " file:///c:/form/form.js=" + dir + "/form.js" +
        " file:///c:/form/images/cell.gif=" + dir + "/images/cell.gif";
    EXPECT_EQ(RunPython(args), "ok\n");
}

// Attribute values as browsers read them: a single-quoted value holding a blank, a ">" inside an
// earlier quoted value, a bare value after a quoted one. Python finds every image byte-exact.
TEST_F(QuorleTest, QuotedValuesWithBlanksAndBracketsPackEveryImage) {
    WriteFile(FormDir() / "my pic.png", "PNG bytes of my pic");
    WriteFile(FormDir() / "cell pic.gif", "GIF bytes of a cell");
    const std::string html = "<p title=\"<img src=not-an-image.gif>\">x</p>\n"
                             "<img src='my pic.png' alt=\"mine\">\n"
                             "<img alt=\"a > b\" src=\"images/logo.gif\">\n"
                             "<img alt='1 > 0' width=3 src=images/stamp.png>\n"
                             "<table><tr><td title=\"x>y\" background='cell pic.gif'>c</td></tr></table>\n";
    const std::string mht = PackForm(html, "file://c:/form/page.htm");
    const auto file = root_ / "page.mht";
    WriteFile(file, mht);
    WriteFile(root_ / "page.htm", html);
    const auto dir = FormDir().string();
    EXPECT_EQ(RunPython("'" + file.string() + "' '" + (root_ / "page.htm").string() + "'" +
                        " 'file:///c:/form/my%20pic.png=" + dir + "/my pic.png'" +
                        " 'file:///c:/form/images/logo.gif=" + dir + "/images/logo.gif'" +
                        " 'file:///c:/form/images/stamp.png=" + dir + "/images/stamp.png'" +
                        " 'file:///c:/form/cell%20pic.gif=" + dir + "/cell pic.gif'"),
              "ok\n");

    // Loaded again, each of those references points at its part's file.
    std::string loaded;
    ResourceRecords records;
    ASSERT_TRUE(UnpackMht(mht, loaded, records));
    ASSERT_EQ(records.size(), 4u);
    for (const ResourceRecord& record : records)
        EXPECT_NE(loaded.find("file://" + record.tempPath), std::string::npos) << record.location;
    DeleteResourceFiles(records);
}

TEST_F(QuorleTest, PageServedOverHttpKeepsItsLocations) {
    qxtest::LoopbackHttpServer server;
    server.Serve("/forms/a.gif", qxtest::Reply(200, "GIF89a-bytes"));
    const std::string mht =
        PackForm("<img src=\"a.gif\"><img src=\"missing.gif\">", server.Url("/forms/page.htm"));
    EXPECT_NE(mht.find("Content-Location: " + server.Url("/forms/a.gif") + "\r\n"), std::string::npos);
    EXPECT_EQ(mht.find("missing.gif\r\n"), std::string::npos); // unreachable: no part
}

TEST_F(QuorleTest, DefaultsAndHeaderSafety) {
    EXPECT_EQ(PackForm("", "file://c:/form/form.htm"), "");
    std::string mht = PackForm("<p>x</p>", "");
    EXPECT_NE(mht.find("Subject: HTML to Mime-HTML\r\n"), std::string::npos);
    EXPECT_NE(mht.find("Content-Location: file://c:\\test.html\r\n"), std::string::npos);
    EXPECT_EQ(std::count(mht.begin(), mht.end(), '-') > 0, true);

    mht = PackForm("<p>x</p>", "file://c:/form/form.htm\r\nX-Injected: 1", "a\r\nBcc: victim");
    EXPECT_NE(mht.find("Subject: a  Bcc: victim\r\n"), std::string::npos);
    EXPECT_EQ(mht.find("\r\nX-Injected"), std::string::npos);
    EXPECT_EQ(mht.find("\r\nBcc"), std::string::npos);
}

TEST_F(QuorleTest, ImagePartsAreNamedByTheirExtension) {
    WriteFile(FormDir() / "noext", "GIF89a");
    WriteFile(FormDir() / "p.jpg", "JFIF");
    const std::string mht =
        PackForm("<img src=noext><img src=p.jpg><img src=images/stamp.png>", "file://c:/form/x.htm");
    EXPECT_NE(mht.find("Content-Type: Image/Unknown\r\nContent-Transfer-Encoding: base64\r\n"
                       "Content-Location: file:///c:/form/noext\r\n"),
              std::string::npos);
    EXPECT_NE(mht.find("Content-Type: Image/jpeg\r\n"), std::string::npos);
    EXPECT_NE(mht.find("Content-Type: Image/Unknown\r\nContent-Transfer-Encoding: base64\r\n"
                       "Content-Location: file:///c:/form/images/stamp.png\r\n"),
              std::string::npos);
}

TEST_F(QuorleTest, LargeImageIsPackedWhole) {
    std::string big(50u << 20, '\0');
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<char>(i * 7 + (i >> 12));
    WriteFile(FormDir() / "big.gif", big);
    const std::string mht = PackForm("<img src=big.gif>", "file://c:/form/x.htm");
    EXPECT_GT(mht.size(), big.size() * 4 / 3);
}

} // namespace
