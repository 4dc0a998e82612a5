#include "mime_tokenizer.h"

#include <cstring>
#include <ostream>

std::ostream* g_pMimeTokenTrace = nullptr;

namespace {

bool IsBlankOrControl(unsigned char c) {
    return c <= ' ' || c == 127;
}

const char* TypeName(int type) {
    switch (type) {
    case MIME_TOKEN_ERROR:
        return "error";
    case MIME_TOKEN_NULL:
        return "null";
    case MIME_TOKEN_SPECIAL:
        return "special";
    case MIME_TOKEN_ATOM:
        return "atom";
    case MIME_TOKEN_COMMENT:
        return "comment";
    case MIME_TOKEN_QUOTED_STRING:
        return "quoted string";
    case MIME_TOKEN_DOMAIN_LITERAL:
        return "domain literal";
    case MIME_TOKEN_TSPECIAL:
        return "tspecial";
    case MIME_TOKEN_TOKEN:
        return "token";
    default:
        return "unknown";
    }
}

} // namespace

void MimeTokenizer::Restart() {
    m_nextStart = 0;
    Next();
}

int MimeTokenizer::Next() {
    m_type = MIME_TOKEN_NULL;
    m_tokenLength = 0;
    const char* d = m_text.data();
    size_t n = m_text.length();
    size_t pos = m_nextStart;
    while (pos < n && IsBlankOrControl(static_cast<unsigned char>(d[pos])))
        ++pos;
    m_tokenStart = pos;
    m_nextStart = pos;
    if (pos >= n) {
        m_token.clear();
    } else {
        ReadToken();
    }
    Trace();
    return m_type;
}

// Returns the position just after the closing delimiter, or npos when the text ends first. A
// backslash escapes the byte after it; an escape at the very end leaves the text unterminated.
size_t MimeTokenizer::ScanDelimited(size_t pos, char open, char close, bool nests) const {
    const char* d = m_text.data();
    size_t n = m_text.length();
    int depth = 1;
    for (size_t i = pos + 1; i < n; ++i) {
        char c = d[i];
        if (c == '\\') {
            if (i + 1 >= n)
                return MimeString::npos;
            ++i;
        } else if (c == close) {
            if (--depth == 0)
                return i + 1;
        } else if (nests && c == open) {
            ++depth;
        }
    }
    return MimeString::npos;
}

void MimeTokenizer::ReadToken() {
    const char* d = m_text.data();
    size_t n = m_text.length();
    size_t pos = m_nextStart;
    unsigned char c = static_cast<unsigned char>(d[pos]);
    size_t end;
    int type;
    if (c == '"' || c == '(' || c == '[') {
        if (c == '"') {
            end = ScanDelimited(pos, '"', '"', false);
            type = MIME_TOKEN_QUOTED_STRING;
        } else if (c == '(') {
            end = ScanDelimited(pos, '(', ')', true);
            type = MIME_TOKEN_COMMENT;
        } else {
            end = ScanDelimited(pos, '[', ']', false);
            type = MIME_TOKEN_DOMAIN_LITERAL;
        }
        if (end == MimeString::npos) {
            m_type = MIME_TOKEN_ERROR;
            m_token.clear();
            m_tokenLength = 0;
            m_nextStart = n;
            return;
        }
    } else if (IsSpecial(c)) {
        end = pos + 1;
        type = SpecialType();
    } else {
        end = pos + 1;
        while (end < n) {
            unsigned char b = static_cast<unsigned char>(d[end]);
            if (IsBlankOrControl(b) || b == '"' || b == '(' || b == '[' || IsSpecial(b))
                break;
            ++end;
        }
        type = WordType();
    }
    m_type = type;
    m_tokenStart = pos;
    m_tokenLength = end - pos;
    m_token.assign(m_text, pos, m_tokenLength);
    m_nextStart = end;
}

void MimeTokenizer::StripDelimiters() {
    if (m_token.length() < 2)
        return;
    char close;
    switch (m_type) {
    case MIME_TOKEN_COMMENT:
        close = ')';
        break;
    case MIME_TOKEN_QUOTED_STRING:
        close = '"';
        break;
    case MIME_TOKEN_DOMAIN_LITERAL:
        close = ']';
        break;
    default:
        return;
    }
    m_token.erase(0, 1);
    if (!m_token.empty() && m_token[m_token.length() - 1] == close)
        m_token.erase(m_token.length() - 1, 1);
}

void MimeTokenizer::Trace() const {
    if (g_pMimeTokenTrace == nullptr)
        return;
    const char* name = TypeName(m_type);
    std::ostream& out = *g_pMimeTokenTrace;
    out << name;
    for (size_t i = std::strlen(name); i < 15; ++i)
        out << ' ';
    out << m_token << '\n';
}

Rfc822Tokenizer::Rfc822Tokenizer(const MimeString& text) : MimeTokenizer(text) {
    Next();
}

Rfc822Tokenizer::Rfc822Tokenizer(const char* text) : MimeTokenizer(MimeString(text)) {
    Next();
}

bool Rfc822Tokenizer::IsSpecial(unsigned char c) const {
    switch (c) {
    case ')':
    case ',':
    case '.':
    case ':':
    case ';':
    case '<':
    case '>':
    case '@':
    case '\\':
    case ']':
        return true;
    default:
        return false;
    }
}

MimeHeaderTokenizer::MimeHeaderTokenizer(const MimeString& text) : MimeTokenizer(text) {
    Next();
}

MimeHeaderTokenizer::MimeHeaderTokenizer(const char* text) : MimeTokenizer(MimeString(text)) {
    Next();
}

bool MimeHeaderTokenizer::IsSpecial(unsigned char c) const {
    switch (c) {
    case ')':
    case ',':
    case '/':
    case ':':
    case ';':
    case '<':
    case '=':
    case '>':
    case '?':
    case '@':
    case '\\':
    case ']':
        return true;
    default:
        return false;
    }
}

void MimeTokenSpan::SetFirst(const MimeTokenizer& tokenizer) {
    m_text = tokenizer.Text();
    m_start = tokenizer.TokenStart();
    int type = tokenizer.Type();
    m_length = (type >= MIME_TOKEN_SPECIAL && type <= MIME_TOKEN_TOKEN) ? tokenizer.TokenLength() : 0;
    m_spanText.assign(m_text, m_start, m_length);
}

void MimeTokenSpan::ExtendTo(const MimeTokenizer& tokenizer) {
    size_t end = tokenizer.TokenStart();
    m_length = end > m_start ? end - m_start : 0;
    m_spanText.assign(m_text, m_start, m_length);
}
