// A small HTTP server on 127.0.0.1 for the download tests: one thread per connection, one
// request per connection, answers chosen by path.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace qxtest {

// Pattern bytes of a body position, so that a large body can be checked without keeping it.
inline char PatternByte(std::size_t i) {
    return static_cast<char>((i * 131 + i / 7) & 0xFF);
}

inline std::string NulBody() {
    return std::string("head\0middle\0\0tail", 18);
}

class LoopbackServer {
public:
    static constexpr std::size_t kLargeSize = 24u << 20;

    LoopbackServer() {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = 0;
        ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(listener_, 16);
        socklen_t length = sizeof address;
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        acceptor_ = std::thread([this] { Accept(); });
    }

    ~LoopbackServer() {
        stopping_ = true;
        ::shutdown(listener_, SHUT_RDWR);
        acceptor_.join();
        ::close(listener_);
        std::vector<std::thread> workers;
        {
            std::lock_guard guard(lock_);
            workers.swap(workers_);
        }
        for (auto& worker : workers) {
            worker.join();
        }
    }

    std::string Url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }
    int Requests() const { return requests_; }
    std::string LastRequestLine() {
        std::lock_guard guard(lock_);
        return lastLine_;
    }

private:
    void Accept() {
        for (;;) {
            pollfd p{listener_, POLLIN, 0};
            if (::poll(&p, 1, 100) <= 0) {
                if (stopping_) {
                    return;
                }
                continue;
            }
            int fd = ::accept(listener_, nullptr, nullptr);
            if (fd < 0) {
                return;
            }
            std::lock_guard guard(lock_);
            workers_.emplace_back([this, fd] { Serve(fd); });
        }
    }

    static void Send(int fd, const std::string& text) {
        std::size_t at = 0;
        while (at < text.size()) {
            ssize_t n = ::send(fd, text.data() + at, text.size() - at, MSG_NOSIGNAL);
            if (n <= 0) {
                return;
            }
            at += static_cast<std::size_t>(n);
        }
    }

    static std::string Head(const std::string& status, const std::string& fields) {
        return "HTTP/1.1 " + status + "\r\nConnection: close\r\n" + fields + "\r\n";
    }

    void Serve(int fd) {
        std::string request;
        char buffer[4096];
        while (request.find("\r\n\r\n") == std::string::npos) {
            ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
            if (n <= 0) {
                ::close(fd);
                return;
            }
            request.append(buffer, static_cast<std::size_t>(n));
        }
        ++requests_;
        std::string line = request.substr(0, request.find("\r\n"));
        {
            std::lock_guard guard(lock_);
            lastLine_ = line;
        }
        std::string path = line.substr(line.find(' ') + 1);
        path = path.substr(0, path.find(' '));
        Answer(fd, path);
        ::shutdown(fd, SHUT_WR);
        ::close(fd);
    }

    void Answer(int fd, const std::string& path) {
        using namespace std::chrono_literals;
        if (path == "/fixed") {
            std::string body = "fixed length body\n";
            Send(fd, Head("200 OK", "Content-Length: " + std::to_string(body.size()) + "\r\n") + body);
        } else if (path == "/chunked") {
            Send(fd, Head("200 OK", "Transfer-Encoding: chunked\r\n"));
            for (const char* piece : {"first ", "second ", "third"}) {
                std::string text(piece);
                char size[16];
                std::snprintf(size, sizeof size, "%zx\r\n", text.size());
                Send(fd, size + text + "\r\n");
                std::this_thread::sleep_for(10ms);
            }
            Send(fd, "0\r\n\r\n");
        } else if (path == "/nul") {
            std::string body = NulBody();
            Send(fd, Head("200 OK", "Content-Length: " + std::to_string(body.size()) + "\r\n") + body);
        } else if (path == "/redirect") {
            Send(fd, Head("302 Found", "Location: /fixed\r\nContent-Length: 0\r\n"));
        } else if (path == "/loop") {
            Send(fd, Head("302 Found", "Location: /loop\r\nContent-Length: 0\r\n"));
        } else if (path == "/early") {
            Send(fd, Head("200 OK", "Content-Length: 1000\r\n") + "only ten b");
        } else if (path == "/slow") {
            std::string body;
            for (int i = 0; i < 20000; ++i) {
                body += PatternByte(static_cast<std::size_t>(i));
            }
            Send(fd, Head("200 OK", "Content-Length: 20000\r\n"));
            for (std::size_t at = 0; at < body.size(); at += 1000) {
                Send(fd, body.substr(at, 1000));
                std::this_thread::sleep_for(5ms);
            }
        } else if (path == "/large") {
            Send(fd, Head("200 OK", "Content-Length: " + std::to_string(kLargeSize) + "\r\n"));
            std::string block(64 * 1024, '\0');
            for (std::size_t at = 0; at < kLargeSize; at += block.size()) {
                for (std::size_t i = 0; i < block.size(); ++i) {
                    block[i] = PatternByte(at + i);
                }
                Send(fd, block);
            }
        } else if (path == "/silent") {
            Send(fd, Head("200 OK", "Content-Length: 10\r\n"));
            for (int i = 0; i < 30 && !stopping_; ++i) {
                std::this_thread::sleep_for(50ms);
            }
        } else if (path == "/empty") {
            Send(fd, Head("200 OK", "Content-Length: 0\r\n"));
        } else if (path == "/error") {
            Send(fd, Head("500 Internal Server Error", "Content-Length: 4\r\n") + "oops");
        } else {
            Send(fd, Head("404 Not Found", "Content-Length: 9\r\n") + "not found");
        }
    }

    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::atomic<int> requests_{0};
    std::thread acceptor_;
    std::mutex lock_;
    std::vector<std::thread> workers_;
    std::string lastLine_;
};

} // namespace qxtest
