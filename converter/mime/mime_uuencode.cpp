#include "mime_uuencode.h"

#include <cstdio>
#include <cstring>

namespace {

const size_t kBytesPerLine = 45;
const size_t kMaxFileName = 256;
const size_t kMaxDecodedFileName = 255;

// A 6-bit value as a character: 0 is written as a backquote so that no line
// ends in spaces.
char EncodeSixBits(unsigned value) {
    value &= 0x3F;
    return value == 0 ? '`' : static_cast<char>(value + 32);
}

unsigned DecodeSixBits(unsigned char c) {
    return (c - 32u) & 0x3F;
}

bool IsLineEnd(unsigned char c) {
    return c == '\r' || c == '\n';
}

bool IsWhiteSpace(unsigned char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// Position after the line end at or after pos (LF, CR or CR LF), or the text's
// length.
size_t SkipToNextLine(const unsigned char* text, size_t length, size_t pos) {
    while (pos < length && !IsLineEnd(text[pos])) {
        ++pos;
    }
    if (pos < length && text[pos] == '\r') {
        ++pos;
        if (pos < length && text[pos] == '\n') {
            ++pos;
        }
    } else if (pos < length) {
        ++pos;
    }
    return pos;
}

// Position of "begin " at the start of the text or right after a CR or LF, or
// length.
size_t FindBegin(const unsigned char* text, size_t length) {
    static const char kBegin[] = "begin ";
    const size_t beginLength = sizeof(kBegin) - 1;
    for (size_t pos = 0; pos + beginLength <= length; ++pos) {
        if ((pos == 0 || IsLineEnd(text[pos - 1])) && std::memcmp(text + pos, kBegin, beginLength) == 0) {
            return pos;
        }
    }
    return length;
}

} // namespace

UuencodeCodec::UuencodeCodec() : m_fileMode(0644) {
    m_fileName[0] = '\0';
}

void UuencodeCodec::SetFileName(const char* name) {
    size_t length = name != nullptr ? std::strlen(name) : 0;
    if (length > kMaxFileName) {
        length = kMaxFileName;
    }
    if (length != 0) {
        std::memcpy(m_fileName, name, length);
    }
    m_fileName[length] = '\0';
}

void UuencodeCodec::Encode() {
    const unsigned char* in = reinterpret_cast<const unsigned char*>(m_binaryChars.data());
    const size_t inLength = m_binaryChars.length();

    char beginLine[32 + kMaxFileName];
    std::snprintf(beginLine, sizeof(beginLine), "begin %o %s\n", static_cast<unsigned>(m_fileMode),
                  m_fileName);

    MimeString out(beginLine);
    out.reserve(out.length() + (inLength + kBytesPerLine - 1) / kBytesPerLine * 62 + 8);

    for (size_t lineStart = 0; lineStart < inLength; lineStart += kBytesPerLine) {
        size_t lineBytes = inLength - lineStart;
        if (lineBytes > kBytesPerLine) {
            lineBytes = kBytesPerLine;
        }
        char line[1 + kBytesPerLine / 3 * 4 + 1];
        size_t used = 0;
        line[used++] = EncodeSixBits(static_cast<unsigned>(lineBytes));
        for (size_t i = 0; i < lineBytes; i += 3) {
            const size_t group = lineBytes - i < 3 ? lineBytes - i : 3;
            const unsigned b0 = in[lineStart + i];
            const unsigned b1 = group > 1 ? in[lineStart + i + 1] : 0;
            const unsigned b2 = group > 2 ? in[lineStart + i + 2] : 0;
            line[used++] = EncodeSixBits(b0 >> 2);
            line[used++] = EncodeSixBits((b0 << 4) | (b1 >> 4));
            // A short last group still fills four characters, padded with backquotes.
            line[used++] = group > 1 ? EncodeSixBits((b1 << 2) | (b2 >> 6)) : '`';
            line[used++] = group > 2 ? EncodeSixBits(b2) : '`';
        }
        line[used++] = '\n';
        out.append(line, used);
    }
    out.append("`\nend\n");
    m_asciiChars = out;
}

int UuencodeCodec::Decode() {
    const unsigned char* text = reinterpret_cast<const unsigned char*>(m_asciiChars.data());
    const size_t length = m_asciiChars.length();
    m_binaryChars = MimeString();

    size_t pos = FindBegin(text, length);
    if (pos == length) {
        return -1;
    }
    pos += 6;
    while (pos < length && IsWhiteSpace(text[pos])) {
        ++pos;
    }
    unsigned mode = 0;
    while (pos < length && text[pos] >= '0' && text[pos] <= '7') {
        mode = ((mode << 3) | (text[pos] - '0')) & 0xFFFF;
        ++pos;
    }
    m_fileMode = static_cast<WORD>(mode);
    while (pos < length && (text[pos] == ' ' || text[pos] == '\t')) {
        ++pos;
    }
    size_t nameLength = 0;
    while (pos < length && !IsWhiteSpace(text[pos]) && nameLength < kMaxDecodedFileName) {
        m_fileName[nameLength++] = static_cast<char>(text[pos++]);
    }
    m_fileName[nameLength] = '\0';
    pos = SkipToNextLine(text, length, pos);

    MimeString out;
    bool sawEndOfData = false;
    while (pos < length) {
        // Blank lines are passed over; a space is not skipped here, since it is the
        // old encoders' character for a count of 0.
        if (IsLineEnd(text[pos]) || text[pos] == '\t') {
            ++pos;
            continue;
        }
        const size_t count = DecodeSixBits(text[pos++]);
        if (count == 0) {
            sawEndOfData = true;
            pos = SkipToNextLine(text, length, pos);
            break;
        }
        size_t lineEnd = pos;
        while (lineEnd < length && !IsLineEnd(text[lineEnd])) {
            ++lineEnd;
        }
        // A count that claims more than the line holds yields only the bytes
        // present.
        unsigned char bytes[64];
        size_t produced = 0;
        size_t at = pos;
        while (produced < count && at + 1 < lineEnd) {
            const size_t available = lineEnd - at < 4 ? lineEnd - at : 4;
            const unsigned c0 = DecodeSixBits(text[at]);
            const unsigned c1 = DecodeSixBits(text[at + 1]);
            const unsigned c2 = available > 2 ? DecodeSixBits(text[at + 2]) : 0;
            const unsigned c3 = available > 3 ? DecodeSixBits(text[at + 3]) : 0;
            const unsigned char group[3] = {static_cast<unsigned char>((c0 << 2) | (c1 >> 4)),
                                            static_cast<unsigned char>((c1 << 4) | (c2 >> 2)),
                                            static_cast<unsigned char>((c2 << 6) | c3)};
            const size_t groupBytes = available - 1;
            for (size_t g = 0; g < groupBytes && produced < count; ++g) {
                bytes[produced++] = group[g];
            }
            at += available;
        }
        out.append(reinterpret_cast<const char*>(bytes), produced);
        pos = SkipToNextLine(text, length, lineEnd);
    }
    m_binaryChars = out;

    if (!sawEndOfData) {
        return -1;
    }
    while (pos < length && IsLineEnd(text[pos])) {
        ++pos;
    }
    if (length - pos >= 3 && std::memcmp(text + pos, "end", 3) == 0) {
        return 0;
    }
    return -1;
}
