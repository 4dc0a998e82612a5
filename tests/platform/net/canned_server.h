// The loopback web server with the answers the download tests ask for, by path.
#pragma once

#include "loopback_http_server.h"

#include <chrono>
#include <string>

namespace qxtest {

// Pattern bytes of a body position, so that a large body can be checked byte by byte.
inline char PatternByte(std::size_t i) {
    return static_cast<char>((i * 131 + i / 7) & 0xFF);
}

inline std::string PatternBody(std::size_t size) {
    std::string body(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        body[i] = PatternByte(i);
    return body;
}

inline std::string NulBody() {
    return std::string("head\0middle\0\0tail", 18);
}

class CannedServer : public LoopbackHttpServer {
public:
    static constexpr std::size_t kLargeSize = 24u << 20;

    // "/large" (kLargeSize pattern bytes) only when asked: it takes a while to make.
    explicit CannedServer(bool withLarge = false) {
        using namespace std::chrono_literals;
        Serve("/fixed", Reply(200, "fixed length body\n"));
        HttpResponse chunked = Reply(200, "first second third");
        chunked.chunked = true;
        chunked.pieceSize = 6;
        chunked.pause = 10ms;
        Serve("/chunked", chunked);
        Serve("/nul", Reply(200, NulBody()));
        HttpResponse redirect = Reply(302, "");
        redirect.location = "/fixed";
        Serve("/redirect", redirect);
        HttpResponse loop = Reply(302, "");
        loop.location = "/loop";
        Serve("/loop", loop);
        // Content-Length 1000, ten bytes, then the connection drops.
        HttpResponse early = Reply(200, "only ten b" + std::string(990, '-'));
        early.closeAfter = 10;
        Serve("/early", early);
        HttpResponse slow = Reply(200, PatternBody(20000));
        slow.pieceSize = 1000;
        slow.pause = 5ms;
        Serve("/slow", slow);
        // The head promises ten bytes that never come.
        HttpResponse silent = Reply(200, std::string(10, 's'));
        silent.closeAfter = 0;
        silent.hold = 1500ms;
        Serve("/silent", silent);
        Serve("/empty", Reply(200, ""));
        Serve("/error", Reply(500, "oops"));
        if (withLarge)
            Serve("/large", Reply(200, PatternBody(kLargeSize)));
    }
};

} // namespace qxtest
