#include "raw_tcp_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace {

int Listen(int& port) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t len = sizeof a;
    getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    port = ntohs(a.sin_port);
    return fd;
}

} // namespace

RawTcpServer::RawTcpServer(std::string response, bool endless)
    : response_(std::move(response)), endless_(endless) {
    listener_ = Listen(port_);
    listen(listener_, 4);
    thread_ = std::thread([this] { Run(); });
}

RawTcpServer::~RawTcpServer() {
    stopping_ = true;
    shutdown(listener_, SHUT_RDWR);
    thread_.join();
    close(listener_);
}

std::string RawTcpServer::LastRequest() const {
    std::lock_guard guard(lock_);
    return request_;
}

void RawTcpServer::Run() {
    while (!stopping_) {
        pollfd p{listener_, POLLIN, 0};
        if (poll(&p, 1, 100) <= 0)
            continue;
        int c = accept(listener_, nullptr, nullptr);
        if (c < 0)
            continue;
        std::string request;
        char buffer[4096];
        size_t wanted = std::string::npos;
        while (request.size() < wanted) {
            ssize_t n = recv(c, buffer, sizeof buffer, 0);
            if (n <= 0)
                break;
            request.append(buffer, static_cast<size_t>(n));
            size_t end = request.find("\r\n\r\n");
            if (end != std::string::npos && wanted == std::string::npos) {
                size_t at = request.find("Content-Length: ");
                size_t body =
                    at == std::string::npos ? 0 : std::strtoul(request.c_str() + at + 16, nullptr, 10);
                wanted = end + 4 + body;
            }
        }
        {
            std::lock_guard guard(lock_);
            request_ = request;
        }
        send(c, response_.data(), response_.size(), MSG_NOSIGNAL);
        endlessSent_ = 0;
        if (endless_) {
            std::string filler(65536, 'x');
            while (!stopping_) {
                ssize_t n = send(c, filler.data(), filler.size(), MSG_NOSIGNAL);
                if (n <= 0)
                    break;
                endlessSent_ += static_cast<size_t>(n);
            }
        }
        close(c);
    }
}

int UnusedPort() {
    int port = 0;
    int fd = Listen(port);
    close(fd); // bound but never listening, then closed: connections are refused
    return port;
}
