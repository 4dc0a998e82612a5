#include <winsock2.h>

#include <loopback_http_server.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

class Started : public ::testing::Test {
protected:
    void SetUp() override {
        WSADATA data;
        ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
    }
    void TearDown() override { WSACleanup(); }
};

TEST(Winsock, VersionNegotiation) {
    struct Case {
        WORD requested;
        int result;
        WORD version;
    };
    const Case cases[] = {
        {MAKEWORD(2, 2), 0, MAKEWORD(2, 2)}, {MAKEWORD(1, 1), 0, MAKEWORD(1, 1)},
        {MAKEWORD(2, 0), 0, MAKEWORD(2, 0)}, {MAKEWORD(3, 0), 0, MAKEWORD(2, 2)},
        {MAKEWORD(2, 5), 0, MAKEWORD(2, 2)}, {MAKEWORD(0, 9), WSAVERNOTSUPPORTED, MAKEWORD(2, 2)},
    };
    for (const auto& c : cases) {
        WSADATA data;
        EXPECT_EQ(WSAStartup(c.requested, &data), c.result);
        EXPECT_EQ(data.wVersion, c.version);
        EXPECT_EQ(data.wHighVersion, MAKEWORD(2, 2));
        if (c.result == 0) {
            EXPECT_EQ(WSACleanup(), 0);
        }
    }
    EXPECT_EQ(WSAStartup(MAKEWORD(2, 2), nullptr), WSAEFAULT);
}

TEST(Winsock, CallsBeforeStartupFail) {
    EXPECT_EQ(WSACleanup(), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSANOTINITIALISED);
    EXPECT_EQ(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP), INVALID_SOCKET);
    EXPECT_EQ(WSAGetLastError(), WSANOTINITIALISED);
    char name[64];
    EXPECT_EQ(gethostname(name, static_cast<int>(sizeof name)), SOCKET_ERROR);
}

TEST(Winsock, AddressesAndByteOrder) {
    EXPECT_EQ(htons(0x1234), 0x3412);
    EXPECT_EQ(ntohs(htons(80)), 80);
    EXPECT_EQ(htonl(0x01020304u), 0x04030201u);
    ULONG a = inet_addr("127.0.0.1");
    const unsigned char* b = reinterpret_cast<const unsigned char*>(&a);
    EXPECT_EQ(b[0], 127);
    EXPECT_EQ(b[3], 1);
    in_addr in;
    in.s_addr = inet_addr("10.20.30.40");
    EXPECT_STREQ(inet_ntoa(in), "10.20.30.40");
    for (const char* bad : {"", "1.2.3", "1.2.3.256", "a.b.c.d", "1.2.3.4.5", "1..2.3", "localhost"})
        EXPECT_EQ(inet_addr(bad), INADDR_NONE) << bad;
    EXPECT_EQ(inet_addr(nullptr), INADDR_NONE);
}

TEST_F(Started, HostNames) {
    char name[512];
    ASSERT_EQ(gethostname(name, static_cast<int>(sizeof name)), 0);
    EXPECT_GT(std::strlen(name), 0u);
    char tiny[1];
    EXPECT_EQ(gethostname(tiny, static_cast<int>(sizeof tiny)), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAEFAULT);
    hostent* local = gethostbyname("localhost");
    ASSERT_NE(local, nullptr);
    EXPECT_EQ(local->h_addrtype, AF_INET);
    EXPECT_EQ(local->h_length, 4);
    ASSERT_NE(local->h_addr_list[0], nullptr);
    EXPECT_EQ(static_cast<unsigned char>(local->h_addr_list[0][0]), 127);
    EXPECT_EQ(gethostbyname("no-such-host.invalid."), nullptr);
    EXPECT_EQ(WSAGetLastError(), WSAHOST_NOT_FOUND);
}

TEST_F(Started, TalksToALoopbackServer) {
    qxtest::LoopbackHttpServer server;
    qxtest::HttpResponse response;
    response.body = "socket body";
    server.Serve("/x", response);
    std::string url = server.Url("/x");
    int port = std::stoi(url.substr(url.rfind(':') + 1));

    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    ASSERT_NE(s, INVALID_SOCKET);
    sockaddr_in to = {};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<USHORT>(port));
    to.sin_addr.s_addr = inet_addr("127.0.0.1");
    ASSERT_EQ(connect(s, reinterpret_cast<sockaddr*>(&to), sizeof to), 0);
    std::string request = "GET /x HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n";
    ASSERT_EQ(send(s, request.data(), static_cast<int>(request.size()), 0), static_cast<int>(request.size()));
    std::string reply;
    char buffer[256];
    int n;
    while ((n = recv(s, buffer, sizeof buffer, 0)) > 0)
        reply.append(buffer, static_cast<size_t>(n));
    EXPECT_EQ(n, 0);
    EXPECT_EQ(reply.compare(0, 12, "HTTP/1.1 200"), 0) << reply;
    EXPECT_EQ(reply.substr(reply.size() - 11), "socket body");
    EXPECT_EQ(closesocket(s), 0);
    EXPECT_EQ(closesocket(s), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAENOTSOCK);
}

TEST_F(Started, ConnectionRefusedAndBadArguments) {
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    ASSERT_NE(s, INVALID_SOCKET);
    sockaddr_in to = {};
    to.sin_family = AF_INET;
    to.sin_port = htons(1); // nothing listens on the loopback's port 1
    to.sin_addr.s_addr = inet_addr("127.0.0.1");
    EXPECT_EQ(connect(s, reinterpret_cast<sockaddr*>(&to), sizeof to), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAECONNREFUSED);
    EXPECT_EQ(connect(s, reinterpret_cast<sockaddr*>(&to), 4), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAEFAULT);
    closesocket(s);
    EXPECT_EQ(socket(23, SOCK_STREAM, 0), INVALID_SOCKET);
    EXPECT_EQ(WSAGetLastError(), WSAEAFNOSUPPORT);
    EXPECT_EQ(send(s, nullptr, 5, 0), SOCKET_ERROR);
}

} // namespace
