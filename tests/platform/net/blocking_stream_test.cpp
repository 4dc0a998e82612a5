// URLOpenBlockingStreamA over a loopback web server, local files and packed resources.
#include "canned_server.h"
#include "qx/net/transfer_limits.h"
#include "qx/win32/codepage.h"
#include "qx/win32/file_paths.h"
#include "stream_surface.h"
#include "urlmon.h"
#include "winerror.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

struct Download {
    HRESULT open = E_FAIL;
    HRESULT last = E_FAIL; // result of the read that ended the loop
    std::string body;
    std::vector<ULONG> reads;
};

// Reads as the helper library does: fixed-size requests until S_FALSE or a failure.
Download Fetch(const std::string& url, ULONG size = 8190) {
    Download d;
    IStream* stream = nullptr;
    d.open = URLOpenBlockingStreamA(nullptr, url.c_str(), &stream, 0, nullptr);
    if (FAILED(d.open)) {
        EXPECT_EQ(stream, nullptr);
        return d;
    }
    std::string buffer(size, '\0');
    for (int guard = 0; guard < 1000000; ++guard) {
        ULONG got = 0;
        d.last = stream->Read(buffer.data(), size, &got);
        if (FAILED(d.last)) {
            break;
        }
        d.reads.push_back(got);
        d.body.append(buffer.data(), got);
        if (d.last == S_FALSE) {
            break;
        }
    }
    stream->Release();
    return d;
}

TEST(BlockingHttp, BodiesArriveExactlyAsSent) {
    qxtest::CannedServer server;
    struct Case {
        const char* path;
        std::string body;
    };
    const Case cases[] = {
        {"/fixed", "fixed length body\n"},
        {"/chunked", "first second third"},
        {"/nul", qxtest::NulBody()},
        {"/redirect", "fixed length body\n"},
        {"/empty", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        Download d = Fetch(server.Url(c.path));
        EXPECT_EQ(d.open, S_OK);
        EXPECT_EQ(d.last, S_FALSE);
        EXPECT_EQ(d.body, c.body);
    }
}

TEST(BlockingHttp, FailuresAreReportedAtOpen) {
    qxtest::CannedServer server;
    EXPECT_EQ(Fetch(server.Url("/missing")).open, INET_E_RESOURCE_NOT_FOUND);
    EXPECT_EQ(Fetch(server.Url("/error")).open, INET_E_DOWNLOAD_FAILURE);
    EXPECT_EQ(Fetch(server.Url("/loop")).open, INET_E_REDIRECT_FAILED);
    // A port that nobody listens on.
    int port = 0;
    {
        qxtest::CannedServer gone;
        port = std::stoi(gone.Url("").substr(std::string("http://127.0.0.1:").size()));
    }
    EXPECT_EQ(Fetch("http://127.0.0.1:" + std::to_string(port) + "/").open, INET_E_CANNOT_CONNECT);
}

TEST(BlockingHttp, EarlyCloseGivesTheBytesThenTheFailure) {
    qxtest::CannedServer server;
    Download d = Fetch(server.Url("/early"));
    EXPECT_EQ(d.open, S_OK);
    EXPECT_EQ(d.body, "only ten b");
    EXPECT_EQ(d.last, INET_E_DOWNLOAD_FAILURE);
}

TEST(BlockingHttp, ShortPiecesFillWholeReads) {
    qxtest::CannedServer server;
    Download d = Fetch(server.Url("/slow"));
    ASSERT_EQ(d.open, S_OK);
    ASSERT_EQ(d.body.size(), 20000u);
    for (std::size_t i = 0; i < d.body.size(); ++i) {
        ASSERT_EQ(d.body[i], qxtest::PatternByte(i)) << i;
    }
    // 8190 + 8190 + 3620: every read but the last is full.
    EXPECT_EQ(d.reads, (std::vector<ULONG>{8190, 8190, 3620}));
}

TEST(BlockingHttp, LargeBodyIsStreamed) {
    qxtest::CannedServer server(true);
    IStream* stream = nullptr;
    ASSERT_EQ(URLOpenBlockingStreamA(nullptr, server.Url("/large").c_str(), &stream, 0, nullptr), S_OK);
    std::string buffer(100000, '\0');
    std::size_t total = 0;
    HRESULT hr = S_OK;
    while (hr == S_OK) {
        ULONG got = 0;
        hr = stream->Read(buffer.data(), static_cast<ULONG>(buffer.size()), &got);
        for (ULONG i = 0; i < got; ++i) {
            ASSERT_EQ(buffer[i], qxtest::PatternByte(total + i));
        }
        total += got;
    }
    stream->Release();
    EXPECT_EQ(hr, S_FALSE);
    EXPECT_EQ(total, qxtest::CannedServer::kLargeSize);
}

TEST(BlockingHttp, SilentServerTimesOut) {
    qxtest::CannedServer server;
    qx::net::TransferLimits saved = qx::net::GetTransferLimits();
    qx::net::TransferLimits quick = saved;
    quick.connect = std::chrono::milliseconds(200);
    quick.stall = std::chrono::milliseconds(200);
    qx::net::SetTransferLimits(quick);
    Download d = Fetch(server.Url("/silent"));
    qx::net::SetTransferLimits(saved);
    EXPECT_EQ(d.open, INET_E_CONNECTION_TIMEOUT);
}

TEST(BlockingHttp, UnsafeBytesAreEscapedOnceOnTheWire) {
    qxtest::CannedServer server;
    Fetch(server.Url("/a%20b c.gif#frag"));
    EXPECT_EQ(server.LastRequestLine(), "GET /a%20b%20c.gif HTTP/1.1");
    const std::pair<std::string, std::string> cases[] = {
        {"/100%zz", "/100%25zz"},
        {"/cut%4", "/cut%254"},
        {"/end%", "/end%25"},
        {"/kept%4a%4A", "/kept%4a%4A"},
        {"/\xC7\xD1.htm", "/%C7%D1.htm"},
        {"/q\"<x>\\^`{|}", "/q%22%3Cx%3E%5C%5E%60%7B%7C%7D"},
        {"/tab\there?a=b c", "/tab%09here?a=b%20c"},
    };
    for (const auto& [path, wire] : cases) {
        Fetch(server.Url(path));
        EXPECT_EQ(server.LastRequestLine(), "GET " + wire + " HTTP/1.1") << path;
    }
}

TEST(BlockingHttp, TheStreamAnswersAsACOMObjectAndSeeksOnlyWhereItIs) {
    qxtest::CannedServer server;
    IStream* stream = nullptr;
    ASSERT_EQ(URLOpenBlockingStreamA(nullptr, server.Url("/fixed").c_str(), &stream, 0, nullptr), S_OK);
    qxtest::ExpectReadOnlyStreamSurface(stream, 18);
    char head[4];
    ULONG got = 0;
    ASSERT_EQ(stream->Read(head, sizeof head, &got), S_OK);
    ASSERT_EQ(got, 4u);
    const struct {
        const char* name;
        LONGLONG move;
        DWORD origin;
        HRESULT hr;
    } seeks[] = {
        {"nowhere from here", 0, STREAM_SEEK_CUR, S_OK},
        {"to where it is", 4, STREAM_SEEK_SET, S_OK},
        {"back to the start", 0, STREAM_SEEK_SET, STG_E_INVALIDFUNCTION},
        {"ahead", 1, STREAM_SEEK_CUR, STG_E_INVALIDFUNCTION},
        {"from the end", 0, STREAM_SEEK_END, STG_E_INVALIDFUNCTION},
    };
    for (const auto& s : seeks) {
        LARGE_INTEGER move;
        move.QuadPart = s.move;
        ULARGE_INTEGER where{};
        EXPECT_EQ(stream->Seek(move, s.origin, &where), s.hr) << s.name;
        if (s.hr == S_OK) {
            EXPECT_EQ(where.QuadPart, 4u) << s.name;
        }
    }
    EXPECT_EQ(stream->CopyTo(nullptr, ULARGE_INTEGER{}, nullptr, nullptr), STG_E_INVALIDPOINTER);
    EXPECT_EQ(stream->Release(), 0u);
}

class BlockingFile : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = std::filesystem::temp_directory_path() / ("qxnet-" + std::to_string(::getpid()));
        std::filesystem::create_directories(root_ / "c" / "my docs");
        qx::win32::SetDriveRoot(root_.string());
    }
    void TearDown() override {
        qx::win32::SetDriveRoot("");
        std::filesystem::remove_all(root_);
    }
    void Write(const std::filesystem::path& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    std::filesystem::path root_;
};

TEST_F(BlockingFile, FileUrlsAndPlainPaths) {
    std::string body(20000, 'x');
    body[100] = '\0';
    Write(root_ / "c" / "my docs" / "a b.htm", body);
    // "한글.htm": the URL carries the CP949 bytes, the disk name is UTF-8.
    std::string korean = "\xc7\xd1\xb1\xdb.htm";
    Write(root_ / "c" / qx::win32::AnsiToUtf8(korean), "korean");
    Write(root_ / "c" / "a%20b.gif", "literal percent");
    Write(root_ / "plain.txt", "linux path");
    std::string linuxPath = (root_ / "plain.txt").string();
    struct Case {
        std::string url;
        std::string body;
    };
    const Case cases[] = {
        {"file:///c:/my%20docs/a%20b.htm", body},
        {"file://c:/my%20docs/a%20b.htm", body},
        {"file://c:\\my docs\\a b.htm", body},
        {"c:/my docs/a b.htm", body},
        {"C:\\my docs\\a b.htm", body},
        {"file:///c:/" + korean, "korean"},
        {"file:///c:/%C7%D1%B1%DB.htm", "korean"},
        {"c:/a%20b.gif", "literal percent"},
        {"file:///c:/a%2520b.gif", "literal percent"},
        {linuxPath, "linux path"},
        {"file://" + linuxPath, "linux path"},
        {"file://localhost" + linuxPath, "linux path"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        Download d = Fetch(c.url);
        EXPECT_EQ(d.open, S_OK);
        EXPECT_EQ(d.last, S_FALSE);
        EXPECT_EQ(d.body, c.body);
    }
    EXPECT_EQ(Fetch("file:///c:/my%20docs/a%20b.htm").reads, (std::vector<ULONG>{8190, 8190, 3620}));
}

TEST_F(BlockingFile, ReadSizesAtTheEnd) {
    Write(root_ / "c" / "8191.bin", std::string(8191, 'q'));
    Write(root_ / "c" / "8190.bin", std::string(8190, 'q'));
    Write(root_ / "c" / "empty.bin", "");
    EXPECT_EQ(Fetch("c:/8191.bin").reads, (std::vector<ULONG>{8190, 1}));
    EXPECT_EQ(Fetch("c:/8190.bin").reads, (std::vector<ULONG>{8190}));
    EXPECT_EQ(Fetch("c:/empty.bin").reads, (std::vector<ULONG>{0}));
    // Small reads as the tree view makes them end with S_FALSE too.
    EXPECT_EQ(Fetch("c:/8191.bin", 256).body.size(), 8191u);
}

TEST_F(BlockingFile, Failures) {
    const std::pair<std::string, HRESULT> cases[] = {
        {"c:/missing.htm", INET_E_RESOURCE_NOT_FOUND},
        {"file:///c:/", INET_E_RESOURCE_NOT_FOUND},
        {"file://otherhost/share/x.htm", INET_E_RESOURCE_NOT_FOUND},
        {"gopher://host/x", INET_E_UNKNOWN_PROTOCOL},
        {"relative.htm", INET_E_INVALID_URL},
        {"", INET_E_INVALID_URL},
        {"http:///nohost", INET_E_INVALID_URL},
    };
    for (const auto& [url, hr] : cases) {
        SCOPED_TRACE(url);
        EXPECT_EQ(Fetch(url).open, hr);
    }
    IStream* stream = nullptr;
    EXPECT_EQ(URLOpenBlockingStreamA(nullptr, nullptr, &stream, 0, nullptr), E_INVALIDARG);
    EXPECT_EQ(URLOpenBlockingStreamA(nullptr, "c:/x", nullptr, 0, nullptr), E_POINTER);
}

TEST_F(BlockingFile, WideUrls) {
    Write(root_ / "c" / qx::win32::AnsiToUtf8("\xc7\xd1.htm"), "wide");
    IStream* stream = nullptr;
    ASSERT_EQ(URLOpenBlockingStreamW(nullptr, u"file:///c:/\uD55C.htm", &stream, 0, nullptr), S_OK);
    char buffer[16] = {};
    ULONG got = 0;
    EXPECT_EQ(stream->Read(buffer, sizeof buffer, &got), S_FALSE);
    EXPECT_EQ(std::string(buffer, got), "wide");
    stream->Release();
}

#ifdef QX_TEST_RESOURCE_MODULE
std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(BlockingResource, ResourcesOfAModuleThatIsNotLoaded) {
    std::string module = QX_TEST_RESOURCE_MODULE;
    std::string data = std::string(QX_SOURCE_DIR) + "/tests/platform/win32/module/testlib/data/";
    std::string toolbar = ReadFile(data + "toolbar.htm");
    std::string gif = ReadFile(data + "toolbar.gif");
    ASSERT_FALSE(toolbar.empty());
    const std::pair<std::string, std::string> cases[] = {
        {"res://" + module + "/102", toolbar},         {"res://" + module + "/23/102", toolbar},
        {"res://" + module + "/%2323/102", toolbar},   {"res://" + module + "/toolbar.gif", gif},
        {"res://" + module + "/HTML/toolbar.gif", ""},
    };
    for (const auto& [url, body] : cases) {
        SCOPED_TRACE(url);
        Download d = Fetch(url);
        if (body.empty()) {
            EXPECT_EQ(d.open, INET_E_RESOURCE_NOT_FOUND);
            continue;
        }
        EXPECT_EQ(d.open, S_OK);
        EXPECT_EQ(d.body, body);
    }
    EXPECT_EQ(Fetch("res://" + module + "/999").open, INET_E_RESOURCE_NOT_FOUND);
    EXPECT_EQ(Fetch("res:///no/such/module.so/102").open, INET_E_RESOURCE_NOT_FOUND);
}
#endif

} // namespace
