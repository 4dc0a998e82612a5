// The two header tokenizers: Rfc822Tokenizer (addresses, message ids, Received fields) and
// MimeHeaderTokenizer (media types, parameters, dispositions). Small value objects created on
// the stack by the parsers; they read their text one token at a time and never past its end.
#pragma once

#include <iosfwd>

#include "mime_string.h"

enum MimeTokenType : int {
    MIME_TOKEN_ERROR = -1,         // unterminated quoted string, comment or domain literal
    MIME_TOKEN_NULL = 0,           // end of the text
    MIME_TOKEN_SPECIAL = 1,        // RFC 822 special: ) , . : ; < > @ \ ]
    MIME_TOKEN_ATOM = 2,           // RFC 822 atom
    MIME_TOKEN_COMMENT = 3,        // ( ... ) with nesting
    MIME_TOKEN_QUOTED_STRING = 4,  // " ... "
    MIME_TOKEN_DOMAIN_LITERAL = 5, // [ ... ]
    MIME_TOKEN_TSPECIAL = 6,       // MIME tspecial: ) , / : ; < = > ? @ \ ]
    MIME_TOKEN_TOKEN = 7,          // MIME token
};

// When set, every token read is written to this stream (kind name padded to 15 columns, the
// token text, a line feed). Null by default.
extern std::ostream* g_pMimeTokenTrace;

class MimeTokenizer {
public:
    virtual ~MimeTokenizer() = default;

    // The current token's text, delimiters included.
    const MimeString& Token() const { return m_token; }
    int Type() const { return m_type; }
    size_t TokenStart() const { return m_tokenStart; }
    size_t TokenLength() const { return m_tokenLength; }
    const MimeString& Text() const { return m_text; }

    // Searches from the start of the text again and reads the first token.
    void Restart();
    // Reads the next token and returns its kind.
    int Next();
    // For a comment, quoted string or domain literal: removes the opening delimiter from the
    // token text, and the closing one when the text ends with it.
    void StripDelimiters();

protected:
    explicit MimeTokenizer(const MimeString& text) : m_text(text) {}
    // Reads one token at m_nextStart (the caller has skipped blanks and controls).
    void ReadToken();
    virtual bool IsSpecial(unsigned char c) const = 0;
    virtual int SpecialType() const = 0;
    virtual int WordType() const = 0;

private:
    size_t ScanDelimited(size_t pos, char open, char close, bool nests) const;
    void Trace() const;

    MimeString m_text;
    MimeString m_token;
    size_t m_tokenStart = 0;
    size_t m_tokenLength = 0;
    size_t m_nextStart = 0;
    int m_type = MIME_TOKEN_ERROR;
};

class Rfc822Tokenizer : public MimeTokenizer {
public:
    explicit Rfc822Tokenizer(const MimeString& text);
    explicit Rfc822Tokenizer(const char* text);

protected:
    bool IsSpecial(unsigned char c) const override;
    int SpecialType() const override { return MIME_TOKEN_SPECIAL; }
    int WordType() const override { return MIME_TOKEN_ATOM; }
};

class MimeHeaderTokenizer : public MimeTokenizer {
public:
    explicit MimeHeaderTokenizer(const MimeString& text);
    explicit MimeHeaderTokenizer(const char* text);

protected:
    bool IsSpecial(unsigned char c) const override;
    int SpecialType() const override { return MIME_TOKEN_TSPECIAL; }
    int WordType() const override { return MIME_TOKEN_TOKEN; }
};

// Cuts out the source text between two token positions of one tokenizer.
class MimeTokenSpan {
public:
    // The span starts at the tokenizer's current token (at its start with length 0 for the
    // null and error kinds).
    void SetFirst(const MimeTokenizer& tokenizer);
    // The span's text becomes the source text from its start up to (not including) the
    // tokenizer's current token start.
    void ExtendTo(const MimeTokenizer& tokenizer);
    const MimeString& Text() const { return m_spanText; }
    size_t Start() const { return m_start; }
    size_t Length() const { return m_length; }

private:
    MimeString m_text;
    MimeString m_spanText;
    size_t m_start = 0;
    size_t m_length = 0;
};
