// Network chores: the local address and host name, downloads to a file, a small HTTP client
// over a TCP socket, and the hardware addresses of the network adapters. Winsock is started
// for the helper's lifetime.
#pragma once

#include <wintypes.h>

#include <string>
#include <vector>

class NetworkHelper {
public:
    static const size_t kDefaultResponseLimit = 4 * 1024 * 1024;
    static const DWORD kDefaultTimeout = 30000; // milliseconds without data before a read gives up

    // Starts Winsock (version 2.2 unless another is asked for); a box tells when it cannot.
    explicit NetworkHelper(WORD version = MAKEWORD(2, 2));
    virtual ~NetworkHelper();

    bool Started() const { return m_started; }

    // The first address of the local host name as "%d.%d.%d.%d"; "" when there is none.
    std::string GetLocalAddress() const;
    // The local host name; "" when it cannot be read.
    std::string GetLocalHostName() const;

    // Reads the URL into a new file (the call fails when the file exists); false when nothing
    // could be opened, the file not created, or a write came short.
    bool DownloadToFile(const char* url, const char* path) const;

    // Sends "<method> <path> HTTP/1.1" with Host and Content-Length headers and the body, and
    // gives the response body (at most the content-length and at most the response limit).
    // Errors give the texts "invalid host name" and "Can't connect".
    std::string SocketHttpRequest(const std::string& url, const std::string& method,
                                  const std::string& body) const;
    void SetResponseLimit(size_t bytes) { m_responseLimit = bytes; }
    void SetTimeout(DWORD milliseconds) { m_timeout = milliseconds; }

    // The response text of a GET through the XML HTTP request class ("" when it fails); the
    // calling thread must be in an apartment.
    std::string XmlHttpRequest(const char* url) const;

    // The hardware address of each network adapter as "%02x%02x%02x%02x%02x%02x".
    std::vector<std::string> GetAdapterAddresses() const;

private:
    bool m_started = false;
    size_t m_responseLimit = kDefaultResponseLimit;
    DWORD m_timeout = kDefaultTimeout;
};
