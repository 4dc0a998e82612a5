// The pieces of the socket HTTP client that read untrusted text: splitting a URL into host,
// port and path, and collecting a response with a bounded header block and body.
#pragma once

#include <cstddef>
#include <string>

struct HttpUrlParts {
    std::string host;
    int port = 80;
    std::string path = "/";
};

// "http://host[:port][/path]" (the scheme may be left out); false for an empty host or a port
// that is not a number from 1 to 65535.
bool SplitHttpUrl(const std::string& url, HttpUrlParts& parts);

class HttpResponseReader {
public:
    static const size_t kMaxHeaderBytes = 64 * 1024;

    // bodyLimit: the most body bytes kept, whatever the server announces.
    explicit HttpResponseReader(size_t bodyLimit) : m_bodyLimit(bodyLimit) {}
    virtual ~HttpResponseReader() = default;

    // Takes the next bytes from the connection; false when no more are wanted (the body is
    // complete, the limit is reached, or the header block is malformed or too long).
    bool Feed(const char* data, size_t length);

    bool HeaderComplete() const { return m_headerDone; }
    bool Failed() const { return m_failed; }
    int Status() const { return m_status; }
    // -1 when the response has no "content-length".
    long long ContentLength() const { return m_contentLength; }
    const std::string& Header() const { return m_header; }
    const std::string& Body() const { return m_body; }

private:
    void ParseHeader();
    bool BodyFull() const;

    size_t m_bodyLimit;
    std::string m_header;
    std::string m_body;
    bool m_headerDone = false;
    bool m_failed = false;
    int m_status = 0;
    long long m_contentLength = -1;
};
