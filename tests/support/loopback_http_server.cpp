#include "loopback_http_server.h"

#include <cctype>
#include <cstdlib>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace qxtest {

namespace {

bool SendAll(int fd, const std::string& data) {
    size_t done = 0;
    while (done < data.size()) {
        ssize_t n = ::send(fd, data.data() + done, data.size() - done, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

std::string Reason(int status) {
    switch (status) {
    case 200:
        return "OK";
    case 301:
        return "Moved Permanently";
    case 302:
        return "Found";
    case 404:
        return "Not Found";
    case 500:
        return "Internal Server Error";
    default:
        return "Status";
    }
}

} // namespace

LoopbackHttpServer::LoopbackHttpServer() {
    listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
    if (listener_ < 0)
        throw std::runtime_error("socket");
    int one = 1;
    ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener_, 16) != 0)
        throw std::runtime_error("bind/listen");
    socklen_t length = sizeof address;
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Run(); });
}

LoopbackHttpServer::~LoopbackHttpServer() {
    stopping_ = true;
    thread_.join();
    ::close(listener_);
}

void LoopbackHttpServer::Serve(const std::string& path, HttpResponse response) {
    std::lock_guard<std::mutex> guard(lock_);
    responses_[path] = std::move(response);
}

std::string LoopbackHttpServer::Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

int LoopbackHttpServer::RequestCount(const std::string& path) const {
    std::lock_guard<std::mutex> guard(lock_);
    auto it = requests_.find(path);
    return it == requests_.end() ? 0 : it->second;
}

std::string LoopbackHttpServer::LastRequestLine() const {
    std::lock_guard<std::mutex> guard(lock_);
    return lastRequestLine_;
}

void LoopbackHttpServer::Run() {
    while (!stopping_) {
        pollfd waiting{listener_, POLLIN, 0};
        if (::poll(&waiting, 1, 50) <= 0)
            continue;
        int connection = ::accept(listener_, nullptr, nullptr);
        if (connection < 0)
            continue;
        Answer(connection);
        ::close(connection);
    }
}

namespace {

// Appends what arrives within 2 s; false when nothing does or the peer has closed.
bool ReceiveSome(int connection, std::string& into) {
    char buffer[4096];
    pollfd readable{connection, POLLIN, 0};
    if (::poll(&readable, 1, 2000) <= 0)
        return false;
    const ssize_t n = ::recv(connection, buffer, sizeof buffer, 0);
    if (n <= 0)
        return false;
    into.append(buffer, static_cast<size_t>(n));
    return true;
}

} // namespace

std::string LoopbackHttpServer::LastRequestHead() const {
    std::lock_guard<std::mutex> guard(lock_);
    return lastRequestHead_;
}

std::string LoopbackHttpServer::LastRequestBody() const {
    std::lock_guard<std::mutex> guard(lock_);
    return lastRequestBody_;
}

void LoopbackHttpServer::Answer(int connection) {
    // Read the request head (bounded), then answer by its path.
    std::string request;
    while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536)
        if (!ReceiveSome(connection, request))
            return;
    // A body (a POST's) follows the head: as many bytes as its Content-Length says (bounded).
    const size_t headEnd = request.find("\r\n\r\n");
    std::string head = headEnd == std::string::npos ? request : request.substr(0, headEnd + 2);
    std::string body = headEnd == std::string::npos ? std::string() : request.substr(headEnd + 4);
    size_t expected = 0;
    std::string lowerHead = head;
    for (char& c : lowerHead)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (size_t at = lowerHead.find("\r\ncontent-length:"); at != std::string::npos)
        expected = std::min<size_t>(std::strtoul(head.c_str() + at + 17, nullptr, 10), 1 << 24);
    while (body.size() < expected)
        if (!ReceiveSome(connection, body))
            return;
    size_t pathStart = request.find(' ');
    size_t pathEnd = pathStart == std::string::npos ? pathStart : request.find(' ', pathStart + 1);
    std::string path =
        pathEnd == std::string::npos ? "/" : request.substr(pathStart + 1, pathEnd - pathStart - 1);

    HttpResponse response;
    {
        std::lock_guard<std::mutex> guard(lock_);
        ++requests_[path];
        lastRequestLine_ = request.substr(0, request.find("\r\n"));
        lastRequestHead_ = head;
        lastRequestBody_ = body;
        auto it = responses_.find(path);
        if (it == responses_.end()) {
            response.status = 404;
            response.body = "not found";
        } else {
            response = it->second;
        }
    }

    head = "HTTP/1.1 " + std::to_string(response.status) + " " + Reason(response.status) + "\r\n";
    head += "Content-Type: " + response.contentType + "\r\nConnection: close\r\n";
    if (!response.location.empty())
        head += "Location: " + response.location + "\r\n";
    if (response.chunked)
        head += "Transfer-Encoding: chunked\r\n";
    else
        head += "Content-Length: " + std::to_string(response.body.size()) + "\r\n";
    head += "\r\n";
    if (!SendAll(connection, head))
        return;

    size_t limit = std::min(response.closeAfter, response.body.size());
    size_t piece = response.pieceSize ? response.pieceSize : std::max<size_t>(limit, 1);
    for (size_t at = 0; at < limit; at += piece) {
        std::string part = response.body.substr(at, std::min(piece, limit - at));
        if (response.chunked) {
            char size[32];
            std::snprintf(size, sizeof size, "%zx\r\n", part.size());
            part = size + part + "\r\n";
        }
        if (!SendAll(connection, part))
            return;
        if (response.pause.count() > 0)
            std::this_thread::sleep_for(response.pause);
    }
    if (response.chunked && limit == response.body.size())
        SendAll(connection, "0\r\n\r\n");
    const auto until = std::chrono::steady_clock::now() + response.hold;
    while (!stopping_ && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

} // namespace qxtest
