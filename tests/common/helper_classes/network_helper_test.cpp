#include "network_helper.h"
#include "raw_tcp_server.h"

#include <loopback_http_server.h>
#include <objbase_activation.h>
#include <qx/win32/ui_driver.h>
#include <qx/xmlhttp/xmlhttp.h>
#include <winuser_msgbox.h>

#include <gtest/gtest.h>

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string Url(int port, const std::string& path) {
    return "http://127.0.0.1:" + std::to_string(port) + path;
}

TEST(NetworkHelper, StartsWinsockAndNamesTheHost) {
    NetworkHelper helper;
    EXPECT_TRUE(helper.Started());
    char name[512] = {};
    ASSERT_EQ(gethostname(name, sizeof name), 0);
    EXPECT_EQ(helper.GetLocalHostName(), name);
    std::string address = helper.GetLocalAddress();
    int a, b, c, d;
    char tail;
    EXPECT_EQ(std::sscanf(address.c_str(), "%d.%d.%d.%d%c", &a, &b, &c, &d, &tail), 4) << address;
}

TEST(NetworkHelper, FailedStartShowsTheBox) {
    qx::win32::MessageBoxRecorder recorder;
    auto* previous = qx::win32::SetUiDriver(&recorder);
    {
        NetworkHelper helper(MAKEWORD(0, 0)); // no such version
        EXPECT_FALSE(helper.Started());
    }
    qx::win32::SetUiDriver(previous);
    auto calls = recorder.Calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].text, "이 시스템에는 Winsock ver 2.0 이 설치되어 있지 않습니다.");
    EXPECT_EQ(calls[0].owner, nullptr);
    EXPECT_EQ(calls[0].type, MB_OK);
}

TEST(NetworkHelper, DownloadToFile) {
    qxtest::LoopbackHttpServer server;
    std::string body(20000, '\0');
    for (size_t i = 0; i < body.size(); ++i)
        body[i] = static_cast<char>(i * 7);
    qxtest::HttpResponse response;
    response.body = body;
    response.pieceSize = 1000;
    server.Serve("/file.bin", response);
    qxtest::HttpResponse missing;
    missing.status = 404;
    missing.body = "nope";
    server.Serve("/missing", missing);

    std::string path = "/tmp/qx-helper-classes-download-" + std::to_string(getpid());
    std::remove(path.c_str());
    NetworkHelper helper;
    ASSERT_TRUE(helper.DownloadToFile(server.Url("/file.bin").c_str(), path.c_str()));
    EXPECT_EQ(ReadFile(path), body); // NUL bytes and all
    // The file is made new: an existing one is not overwritten.
    EXPECT_FALSE(helper.DownloadToFile(server.Url("/file.bin").c_str(), path.c_str()));
    EXPECT_EQ(ReadFile(path), body);
    std::remove(path.c_str());
    EXPECT_FALSE(helper.DownloadToFile(server.Url("/missing").c_str(), path.c_str()));
    EXPECT_NE(access(path.c_str(), F_OK), 0);
}

TEST(NetworkHelper, XmlHttpRequestGivesTheResponseText) {
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    ASSERT_TRUE(SUCCEEDED(qx::xmlhttp::RegisterXmlHttpClass()));
    qxtest::LoopbackHttpServer server;
    qxtest::HttpResponse page;
    page.body = "\xED\x95\x9C <b>page</b>";
    page.contentType = "text/html; charset=utf-8";
    server.Serve("/page", page);
    NetworkHelper helper;
    EXPECT_EQ(helper.XmlHttpRequest(server.Url("/page").c_str()), "\xC7\xD1 <b>page</b>"); // ANSI text
    EXPECT_EQ(helper.XmlHttpRequest("http://127.0.0.1:1/"), "");
    qx::xmlhttp::RevokeXmlHttpClass();
    EXPECT_EQ(helper.XmlHttpRequest(server.Url("/page").c_str()), "");
    CoUninitialize();
}

TEST(NetworkHelper, SocketClientSendsTheRequestAndReadsTheBody) {
    RawTcpServer server(
        "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nCONTENT-LENGTH: 5\r\n\r\nhello and more", false);
    NetworkHelper helper;
    EXPECT_EQ(helper.SocketHttpRequest(Url(server.Port(), "/form/post.asp"), "POST", "a=1&b=2"), "hello");
    std::string request = server.LastRequest();
    EXPECT_EQ(request, "POST /form/post.asp HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: 7\r\n"
                       "Connection: close\r\n\r\na=1&b=2");
}

TEST(NetworkHelper, SocketClientAgainstTheLoopbackServer) {
    qxtest::LoopbackHttpServer server;
    qxtest::HttpResponse response;
    response.body = std::string(30000, 'q');
    response.pieceSize = 777;
    server.Serve("/page", response);
    NetworkHelper helper;
    EXPECT_EQ(helper.SocketHttpRequest(server.Url("/page"), "GET", ""), response.body);
    EXPECT_EQ(server.RequestCount("/page"), 1);
}

TEST(NetworkHelper, SocketClientReadsNoMoreThanItsLimit) {
    NetworkHelper helper;
    helper.SetResponseLimit(100000);
    {
        // An endless body without a length.
        RawTcpServer server("HTTP/1.1 200 OK\r\n\r\n", true);
        std::string body = helper.SocketHttpRequest(Url(server.Port(), "/"), "GET", "");
        EXPECT_EQ(body.size(), 100000u);
    }
    {
        // A huge announced length followed by an endless body.
        RawTcpServer server("HTTP/1.1 200 OK\r\nContent-Length: 99999999999999999999\r\n\r\n", true);
        std::string body = helper.SocketHttpRequest(Url(server.Port(), "/"), "GET", "");
        EXPECT_EQ(body.size(), 100000u);
    }
    {
        // An endless header block.
        RawTcpServer server("HTTP/1.1 200 OK\r\nX: ", true);
        EXPECT_EQ(helper.SocketHttpRequest(Url(server.Port(), "/"), "GET", ""), "");
    }
}

TEST(NetworkHelper, SocketClientGivesUpOnASilentServer) {
    RawTcpServer server("", false); // answers nothing and closes
    NetworkHelper helper;
    helper.SetTimeout(2000);
    EXPECT_EQ(helper.SocketHttpRequest(Url(server.Port(), "/"), "GET", ""), "");
}

TEST(NetworkHelper, SocketClientErrorTexts) {
    NetworkHelper helper;
    const std::string invalid[] = {"http://",
                                   "http://:80/x",
                                   "http://host.invalid./",
                                   "http://127.0.0.1:0/",
                                   "http://127.0.0.1:99999/",
                                   "http://127.0.0.1:8x/"};
    for (const auto& url : invalid)
        EXPECT_EQ(helper.SocketHttpRequest(url, "GET", ""), "invalid host name") << url;
    EXPECT_EQ(helper.SocketHttpRequest(Url(UnusedPort(), "/"), "GET", ""), "Can't connect");
}

// The hardware addresses the system lists for its interfaces, loopback and all-zero ones left out.
std::vector<std::string> SysfsAddresses() {
    std::vector<std::string> addresses;
    DIR* dir = opendir("/sys/class/net");
    if (dir == nullptr)
        return addresses;
    while (dirent* e = readdir(dir)) {
        std::string name = e->d_name;
        if (name == "." || name == "..")
            continue;
        std::string text = ReadFile("/sys/class/net/" + name + "/address");
        text.erase(std::remove(text.begin(), text.end(), '\n'), text.end());
        if (text.size() != 17 || text == "00:00:00:00:00:00")
            continue;
        text.erase(std::remove(text.begin(), text.end(), ':'), text.end());
        addresses.push_back(text);
    }
    closedir(dir);
    std::sort(addresses.begin(), addresses.end());
    return addresses;
}

TEST(NetworkHelper, AdapterAddressesAreTheInterfacesHardwareAddresses) {
    NetworkHelper helper;
    auto addresses = helper.GetAdapterAddresses();
    std::sort(addresses.begin(), addresses.end());
    EXPECT_EQ(addresses, SysfsAddresses());
    for (const auto& a : addresses)
        EXPECT_EQ(a.find_first_not_of("0123456789abcdef"), std::string::npos) << a;
}

} // namespace
