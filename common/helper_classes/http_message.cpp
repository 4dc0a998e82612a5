#include "http_message.h"

#include "string_helpers.h"

#include <cstring>

bool SplitHttpUrl(const std::string& url, HttpUrlParts& parts) {
    parts = HttpUrlParts();
    std::string rest = url;
    if (FindNoCase(rest, "http://", 0) == 0)
        rest = rest.substr(7);
    size_t slash = rest.find('/');
    std::string authority = rest.substr(0, slash);
    if (slash != std::string::npos)
        parts.path = rest.substr(slash);
    size_t colon = authority.find(':');
    parts.host = authority.substr(0, colon);
    if (parts.host.empty())
        return false;
    if (colon != std::string::npos) {
        std::string port = authority.substr(colon + 1);
        if (port.empty() || port.size() > 5)
            return false;
        int value = 0;
        for (char ch : port) {
            if (ch < '0' || ch > '9')
                return false;
            value = value * 10 + (ch - '0');
        }
        if (value < 1 || value > 65535)
            return false;
        parts.port = value;
    }
    return true;
}

bool HttpResponseReader::BodyFull() const {
    if (m_body.size() >= m_bodyLimit)
        return true;
    return m_contentLength >= 0 && static_cast<long long>(m_body.size()) >= m_contentLength;
}

void HttpResponseReader::ParseHeader() {
    // "HTTP/1.x nnn reason"
    if (m_header.compare(0, 5, "HTTP/") != 0) {
        m_failed = true;
        return;
    }
    size_t space = m_header.find(' ');
    if (space == std::string::npos || space + 4 > m_header.size()) {
        m_failed = true;
        return;
    }
    int status = 0;
    for (size_t i = space + 1; i < space + 4; ++i) {
        char ch = m_header[i];
        if (ch < '0' || ch > '9') {
            m_failed = true;
            return;
        }
        status = status * 10 + (ch - '0');
    }
    m_status = status;
    // The announced length: the digits after "content-length:" at the start of a line.
    long found = FindNoCase(m_header, "\r\ncontent-length:", 0);
    if (found < 0)
        return;
    size_t at = static_cast<size_t>(found) + std::strlen("\r\ncontent-length:");
    while (at < m_header.size() && (m_header[at] == ' ' || m_header[at] == '\t'))
        ++at;
    long long length = 0;
    bool digits = false;
    while (at < m_header.size() && m_header[at] >= '0' && m_header[at] <= '9') {
        digits = true;
        // A length beyond what anyone would keep counts as "more than the limit".
        if (length < (1LL << 50))
            length = length * 10 + (m_header[at] - '0');
        ++at;
    }
    if (digits)
        m_contentLength = length;
}

bool HttpResponseReader::Feed(const char* data, size_t length) {
    if (m_failed)
        return false;
    size_t used = 0;
    if (!m_headerDone) {
        // Only as much as can finish the header block is taken into it.
        size_t before = m_header.size();
        size_t room = kMaxHeaderBytes - before;
        size_t take = length < room ? length : room;
        m_header.append(data, take);
        size_t searchFrom = before >= 3 ? before - 3 : 0;
        size_t end = m_header.find("\r\n\r\n", searchFrom);
        if (end == std::string::npos) {
            if (m_header.size() >= kMaxHeaderBytes)
                m_failed = true;
            return !m_failed;
        }
        used = end + 4 - before;
        m_header.resize(end + 2);
        m_headerDone = true;
        ParseHeader();
        if (m_failed)
            return false;
    }
    if (BodyFull())
        return false;
    size_t wanted = m_bodyLimit - m_body.size();
    if (m_contentLength >= 0 && static_cast<unsigned long long>(m_contentLength) - m_body.size() < wanted)
        wanted = static_cast<size_t>(m_contentLength - static_cast<long long>(m_body.size()));
    size_t available = length - used;
    m_body.append(data + used, available < wanted ? available : wanted);
    return !BodyFull();
}
