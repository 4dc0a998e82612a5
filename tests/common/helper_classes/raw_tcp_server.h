// A one-connection-at-a-time TCP server on 127.0.0.1 for the socket client's tests: it reads a
// request (header block and the announced body), keeps it, and answers as told: a fixed
// text, or the text followed by bytes for as long as the client reads.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <thread>

class RawTcpServer {
public:
    RawTcpServer(std::string response, bool endless);
    ~RawTcpServer();
    int Port() const { return port_; }
    std::string LastRequest() const;
    // Bytes sent after the fixed text, in the last connection.
    size_t EndlessBytesSent() const { return endlessSent_; }

private:
    void Run();

    std::string response_;
    bool endless_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::atomic<size_t> endlessSent_{0};
    mutable std::mutex lock_;
    std::string request_;
    std::thread thread_;
};

// A port on 127.0.0.1 where nothing listens.
int UnusedPort();
