// A small HTTP/1.1 server on 127.0.0.1 for tests: each path answers with a canned response that
// can be sent in pieces with pauses, chunked, or cut off early. It serves one connection at a
// time and stops when destroyed.
#pragma once

#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <string>
#include <thread>

namespace qxtest {

struct HttpResponse {
    int status = 200;
    std::string body;
    std::string contentType = "application/octet-stream";
    bool chunked = false;                  // Transfer-Encoding: chunked, one chunk per piece
    size_t pieceSize = 0;                  // 0: the whole response in one write
    std::chrono::milliseconds pause{0};    // between pieces
    size_t closeAfter = std::string::npos; // body bytes sent before the connection is dropped
    std::string location;                  // for redirects
    // After what was sent, the connection stays open and silent this long (less when the server
    // stops), so that a client's stall timeout can be seen.
    std::chrono::milliseconds hold{0};
};

// A plain response with the given status and body.
inline HttpResponse Reply(int status, std::string body) {
    HttpResponse response;
    response.status = status;
    response.body = std::move(body);
    return response;
}

class LoopbackHttpServer {
public:
    LoopbackHttpServer();
    ~LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    void Serve(const std::string& path, HttpResponse response);
    // "http://127.0.0.1:<port><path>"
    std::string Url(const std::string& path) const;
    int RequestCount(const std::string& path) const;
    // The request line of the last request, as it came ("GET /a%20b HTTP/1.1").
    std::string LastRequestLine() const;
    // The last request's head (request line and header lines, each ending in CR LF) and body.
    std::string LastRequestHead() const;
    std::string LastRequestBody() const;

private:
    void Run();
    void Answer(int connection);

    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    mutable std::mutex lock_;
    std::map<std::string, HttpResponse> responses_;
    std::map<std::string, int> requests_;
    std::string lastRequestLine_;
    std::string lastRequestHead_;
    std::string lastRequestBody_;
    std::thread thread_;
};

} // namespace qxtest
