#include "base64.h"
#include "downloads.h"

#include <loopback_http_server.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace {

using namespace std::string_literals;
namespace fs = std::filesystem;

std::string Base64Of(const std::string& bytes) {
    Base64Encoder encoder;
    return encoder.Encode(bytes.data(), bytes.size());
}

std::string RandomBytes(size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    std::string s(n, '\0');
    for (auto& c : s)
        c = static_cast<char>(rng() & 0xFF);
    return s;
}

struct BodyCase {
    const char* name;
    qxtest::HttpResponse response;
};

TEST(Downloads, HttpBodiesArriveWholeHoweverTheyAreSent) {
    qxtest::LoopbackHttpServer server;
    const std::string text(20000, 'x');
    const std::string binary = RandomBytes(8191 * 3 + 5, 7);
    std::vector<BodyCase> cases;
    cases.push_back({"/fixed", qxtest::Reply(200, text)});
    {
        qxtest::HttpResponse r = qxtest::Reply(200, text);
        r.chunked = true;
        r.pieceSize = 777;
        cases.push_back({"/chunked", r});
    }
    {
        qxtest::HttpResponse r = qxtest::Reply(200, text);
        r.pieceSize = 1001; // short reads: the pieces arrive with pauses between them
        r.pause = std::chrono::milliseconds(2);
        cases.push_back({"/trickle", r});
    }
    for (auto& c : cases)
        server.Serve(c.name, c.response);
    for (auto& c : cases) {
        EXPECT_EQ(DownloadUrlToString(server.Url(c.name).c_str()), text) << c.name;
        EXPECT_EQ(DownloadUrlToBase64(server.Url(c.name).c_str()), Base64Of(text)) << c.name;
    }

    qxtest::HttpResponse trickle = qxtest::Reply(200, binary);
    trickle.pieceSize = 1000;
    trickle.pause = std::chrono::milliseconds(1);
    server.Serve("/binary", trickle);
    // Short reads leave remainders that are carried into the next read: one clean base64 text.
    std::string encoded = DownloadUrlToBase64(server.Url("/binary").c_str());
    EXPECT_EQ(encoded, Base64Of(binary));
    size_t padding = encoded.find('=');
    EXPECT_TRUE(padding == std::string::npos || padding >= encoded.size() - 2) << "'=' inside the text";
}

TEST(Downloads, ANulByteEndsOnlyTheTextOfItsBlock) {
    qxtest::LoopbackHttpServer server;
    // Block 1 (8190 bytes) holds a NUL at 100; block 2 is plain.
    std::string body = std::string(100, 'a') + '\0' + std::string(8089, 'b') + std::string(50, 'c');
    ASSERT_EQ(body.size(), 8240u);
    server.Serve("/nul", qxtest::Reply(200, body));
    EXPECT_EQ(DownloadUrlToString(server.Url("/nul").c_str()), std::string(100, 'a') + std::string(50, 'c'));
    EXPECT_EQ(DownloadUrlToBase64(server.Url("/nul").c_str()), Base64Of(body));
}

TEST(Downloads, DocumentsArriveWithEveryByte) {
    qxtest::LoopbackHttpServer server;
    std::string body = std::string(100, 'a') + '\0' + std::string(8089, 'b') + std::string(50, 'c');
    body += RandomBytes(20000, 5);
    server.Serve("/doc.mht", qxtest::Reply(200, body));
    EXPECT_EQ(DownloadUrlToBytes(server.Url("/doc.mht").c_str()), body);
    EXPECT_EQ(DownloadUrlToBytes(server.Url("/missing").c_str()), "");

    // Appended to a text being written, and reported when nothing could be read.
    std::string text = "head:";
    EXPECT_TRUE(DownloadUrlToBase64(server.Url("/doc.mht").c_str(), text));
    EXPECT_EQ(text, "head:" + Base64Of(body));
    EXPECT_FALSE(DownloadUrlToBase64(server.Url("/missing").c_str(), text));
    EXPECT_EQ(text, "head:" + Base64Of(body));

    // The length of a local file is known without reading it; a remote one is not asked.
    fs::path file = fs::temp_directory_path() / ("dl-length-" + std::to_string(::getpid()));
    std::ofstream(file, std::ios::binary) << body;
    EXPECT_EQ(LocalUrlLength(("file://" + file.string()).c_str()), body.size());
    EXPECT_EQ(LocalUrlLength(file.c_str()), body.size());
    EXPECT_EQ(LocalUrlLength("file:///no/such/file"), 0u);
    const int requests = server.RequestCount("/doc.mht");
    EXPECT_EQ(LocalUrlLength(server.Url("/doc.mht").c_str()), 0u);
    EXPECT_EQ(server.RequestCount("/doc.mht"), requests);
    fs::remove(file);
}

TEST(Downloads, FailuresGiveEmptyText) {
    qxtest::LoopbackHttpServer server;
    EXPECT_EQ(DownloadUrlToString(server.Url("/missing").c_str()), "");
    EXPECT_EQ(DownloadUrlToBase64(server.Url("/missing").c_str()), "");
    // Three attempts, one after the other, for a URL that cannot be opened.
    EXPECT_EQ(server.RequestCount("/missing"), 6);
    EXPECT_EQ(DownloadUrlToString(nullptr), "");
    EXPECT_EQ(DownloadUrlToString("file:///no/such/file.css"), "");
}

TEST(Downloads, ServerClosingEarlyKeepsWhatArrivedOrNothing) {
    qxtest::LoopbackHttpServer server;
    qxtest::HttpResponse cut = qxtest::Reply(200, std::string(30000, 'z'));
    cut.closeAfter = 10000;
    server.Serve("/cut", cut);
    std::string got = DownloadUrlToString(server.Url("/cut").c_str());
    // A truncated body is a failed transfer: never more than arrived, never garbage.
    EXPECT_LE(got.size(), 10000u);
    EXPECT_EQ(got, std::string(got.size(), 'z'));
}

TEST(Downloads, FileUrlsWithSpacesAndKoreanNames) {
    fs::path dir = fs::temp_directory_path() / ("dl-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string content = RandomBytes(8191, 3);
    // "한글 파일.css" on disk in UTF-8; the URL carries the name in code page 949.
    fs::path file = dir / "\xED\x95\x9C\xEA\xB8\x80 \xED\x8C\x8C\xEC\x9D\xBC.css";
    std::ofstream(file, std::ios::binary) << content;
    const std::string ansiName = "\xC7\xD1\xB1\xDB%20\xC6\xC4\xC0\xCF.css";
    std::string url = "file://" + dir.string() + "/" + ansiName;
    EXPECT_EQ(DownloadUrlToBase64(url.c_str()), Base64Of(content));

    fs::path spaced = dir / "a b.txt";
    std::ofstream(spaced, std::ios::binary) << "style text";
    EXPECT_EQ(DownloadUrlToString(("file://" + dir.string() + "/a%20b.txt").c_str()), "style text");
    EXPECT_EQ(DownloadUrlToString(spaced.c_str()), "style text"); // a plain local path
    fs::remove_all(dir);
}

} // namespace
