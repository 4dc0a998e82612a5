#include "mime_binhex.h"

#include "mime_binhex_crc.h"

#include <algorithm>
#include <cstring>

namespace {

const char kAlphabet[] = "!\"#$%&'()*+,-012345689@ABCDEFGHIJKLMNPQRSTUVXYZ[`abcdefhijklmpqr";
const char kIntroduction[] = "(This file must be converted with BinHex 4.0)";
const char kIntroductionPrefix[] = "(This file must be converted with BinHex";
const BYTE kRunMarker = 0x90;
const size_t kMaxName = 63;
// The first line holds the opening ":" as its first character, so every line,
// the first one included, is 64 characters wide as in the published format's
// own files; the closing ":" takes its place in the last line the same way.
const size_t kLineWidth = 64;

struct DecodeTable {
    signed char values[256];
    DecodeTable() {
        std::memset(values, -1, sizeof(values));
        for (int i = 0; i < 64; ++i) {
            values[static_cast<unsigned char>(kAlphabet[i])] = static_cast<signed char>(i);
        }
    }
};

void AppendLong(MimeString& out, DWORD value) {
    const char bytes[4] = {static_cast<char>(value >> 24), static_cast<char>(value >> 16),
                           static_cast<char>(value >> 8), static_cast<char>(value)};
    out.append(bytes, 4);
}

void AppendCrc(MimeString& out, const BYTE* bytes, size_t count) {
    const WORD crc = BinHexCrc(0, bytes, count);
    const char crcBytes[2] = {static_cast<char>(crc >> 8), static_cast<char>(crc)};
    out.append(crcBytes, 2);
}

void AppendWithCrc(MimeString& out, const MimeString& section) {
    out.append(section.data(), section.length());
    AppendCrc(out, reinterpret_cast<const BYTE*>(section.data()), section.length());
}

// Runs of 3 to 255 equal bytes become byte, 0x90, count; the byte 0x90 itself
// is 0x90, 0.
MimeString RunLengthEncode(const MimeString& stream) {
    const BYTE* in = reinterpret_cast<const BYTE*>(stream.data());
    const size_t length = stream.length();
    MimeString out;
    out.reserve(length + length / 8 + 16);
    size_t pos = 0;
    while (pos < length) {
        const BYTE value = in[pos];
        size_t run = 1;
        while (pos + run < length && in[pos + run] == value && run < 255) {
            ++run;
        }
        const char literal[2] = {static_cast<char>(value), 0};
        const size_t literalLength = value == kRunMarker ? 2 : 1;
        out.append(literal, literalLength);
        if (run == 2) {
            out.append(literal, literalLength);
        } else if (run >= 3) {
            const char marker[2] = {static_cast<char>(kRunMarker), static_cast<char>(run)};
            out.append(marker, 2);
        }
        pos += run;
    }
    return out;
}

// Every 3 bytes give 4 characters; a last group of 1 or 2 bytes gives 2 or 3.
MimeString SixBitEncode(const MimeString& bytes) {
    const BYTE* in = reinterpret_cast<const BYTE*>(bytes.data());
    const size_t length = bytes.length();
    MimeString out;
    out.reserve(length / 3 * 4 + 4);
    for (size_t i = 0; i < length; i += 3) {
        const size_t group = std::min<size_t>(3, length - i);
        const unsigned b0 = in[i];
        const unsigned b1 = group > 1 ? in[i + 1] : 0;
        const unsigned b2 = group > 2 ? in[i + 2] : 0;
        char chars[4] = {kAlphabet[b0 >> 2], kAlphabet[((b0 << 4) | (b1 >> 4)) & 0x3F],
                         kAlphabet[((b1 << 2) | (b2 >> 6)) & 0x3F], kAlphabet[b2 & 0x3F]};
        out.append(chars, group + 1);
    }
    return out;
}

// Size of the stream once its runs are expanded; false when a run marker has no
// byte before it, is the last byte, or carries the count 1.
bool ExpandedLength(const BYTE* in, size_t length, unsigned long long& expanded) {
    expanded = 0;
    bool havePrevious = false;
    for (size_t i = 0; i < length; ++i) {
        if (in[i] != kRunMarker) {
            ++expanded;
            havePrevious = true;
            continue;
        }
        if (i + 1 >= length) {
            return false;
        }
        const BYTE count = in[++i];
        if (count == 0) {
            ++expanded;
            havePrevious = true;
        } else if (count == 1 || !havePrevious) {
            return false;
        } else {
            expanded += count - 1u;
        }
    }
    return true;
}

void RunLengthExpand(const BYTE* in, size_t length, MimeString& out) {
    BYTE previous = 0;
    for (size_t i = 0; i < length; ++i) {
        if (in[i] != kRunMarker) {
            previous = in[i];
            out.append(1, static_cast<char>(previous));
        } else if (in[++i] == 0) {
            previous = kRunMarker;
            out.append(1, static_cast<char>(previous));
        } else {
            out.append(in[i] - 1u, static_cast<char>(previous));
        }
    }
}

DWORD ReadLong(const BYTE* p) {
    return (static_cast<DWORD>(p[0]) << 24) | (static_cast<DWORD>(p[1]) << 16) |
           (static_cast<DWORD>(p[2]) << 8) | p[3];
}

WORD ReadWord(const BYTE* p) {
    return static_cast<WORD>((p[0] << 8) | p[1]);
}

} // namespace

BinHexCodec::BinHexCodec() {
    Initialize();
}

void BinHexCodec::Initialize() {
    std::memset(m_fileName, 0, sizeof(m_fileName));
    std::memset(m_fileType, 0, sizeof(m_fileType));
    std::memset(m_fileCreator, 0, sizeof(m_fileCreator));
    m_flag1 = 0;
    m_flag2 = 0;
    m_dataFork = MimeString();
    m_resourceFork = MimeString();
    m_binHexChars = MimeString();
}

void BinHexCodec::SetFileName(const char* name) {
    std::memset(m_fileName, 0, sizeof(m_fileName));
    if (name != nullptr) {
        std::memcpy(m_fileName, name, std::min(std::strlen(name), kMaxName));
    }
}

void BinHexCodec::SetFileType(const BYTE type[4]) {
    if (type != nullptr) {
        std::memcpy(m_fileType, type, sizeof(m_fileType));
    }
}

void BinHexCodec::SetFileCreator(const BYTE creator[4]) {
    if (creator != nullptr) {
        std::memcpy(m_fileCreator, creator, sizeof(m_fileCreator));
    }
}

void BinHexCodec::Encode() {
    const size_t nameLength = std::strlen(m_fileName);
    MimeString header;
    header.append(1, static_cast<char>(nameLength));
    header.append(m_fileName, nameLength);
    header.append(1, '\0');
    header.append(reinterpret_cast<const char*>(m_fileType), 4);
    header.append(reinterpret_cast<const char*>(m_fileCreator), 4);
    header.append(1, static_cast<char>(m_flag1));
    header.append(1, static_cast<char>(m_flag2));
    AppendLong(header, static_cast<DWORD>(m_dataFork.length()));
    AppendLong(header, static_cast<DWORD>(m_resourceFork.length()));

    MimeString stream;
    stream.reserve(header.length() + m_dataFork.length() + m_resourceFork.length() + 6);
    AppendWithCrc(stream, header);
    AppendWithCrc(stream, m_dataFork);
    AppendWithCrc(stream, m_resourceFork);

    const MimeString chars = SixBitEncode(RunLengthEncode(stream));

    MimeString text(kIntroduction);
    text.append("\n");
    text.reserve(text.length() + chars.length() + chars.length() / kLineWidth + 8);
    size_t column = 0;
    auto put = [&](const char* bytes, size_t count) {
        while (count != 0) {
            if (column == kLineWidth) {
                text.append("\n");
                column = 0;
            }
            const size_t piece = std::min(count, kLineWidth - column);
            text.append(bytes, piece);
            bytes += piece;
            count -= piece;
            column += piece;
        }
    };
    put(":", 1);
    put(chars.data(), chars.length());
    put(":", 1);
    text.append("\n");
    m_binHexChars = text;
}

int BinHexCodec::Decode() {
    const MimeString source = m_binHexChars;
    Initialize();
    m_binHexChars = source;

    const char* text = source.data();
    const size_t length = source.length();
    const char* textEnd = text + length;
    const char* prefixEnd = kIntroductionPrefix + sizeof(kIntroductionPrefix) - 1;
    const char* found = std::search(text, textEnd, kIntroductionPrefix, prefixEnd);
    if (found == textEnd) {
        return -1;
    }
    const char* colon = std::find(found, textEnd, ':');
    if (colon == textEnd) {
        return -1;
    }

    static const DecodeTable table;
    MimeString packed;
    packed.reserve(static_cast<size_t>(textEnd - colon) / 4 * 3 + 3);
    unsigned bits = 0;
    int bitCount = 0;
    for (const char* p = colon + 1; p != textEnd && *p != ':'; ++p) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (c == '\0' || c == '\t' || c == '\n' || c == '\r' || c == ' ') {
            continue;
        }
        const int value = table.values[c];
        if (value < 0) {
            return -1;
        }
        bits = ((bits << 6) | static_cast<unsigned>(value)) & 0xFFFFFF;
        bitCount += 6;
        if (bitCount >= 8) {
            bitCount -= 8;
            packed.append(1, static_cast<char>(bits >> bitCount));
        }
    }

    const BYTE* packedBytes = reinterpret_cast<const BYTE*>(packed.data());
    unsigned long long expandedLength = 0;
    if (!ExpandedLength(packedBytes, packed.length(), expandedLength) || expandedLength > 0xFFFFFFFEull) {
        return -1;
    }
    MimeString stream;
    stream.reserve(static_cast<size_t>(expandedLength));
    RunLengthExpand(packedBytes, packed.length(), stream);
    if (stream.length() != expandedLength) {
        return -1; // the buffer could not grow
    }

    const BYTE* in = reinterpret_cast<const BYTE*>(stream.data());
    const size_t total = stream.length();
    if (total < 1) {
        return -1;
    }
    const size_t nameLength = in[0];
    if (nameLength > kMaxName) {
        return -1;
    }
    // name length, name, version, type, creator, two flags, two fork lengths, CRC
    const size_t headerLength = 1 + nameLength + 1 + 4 + 4 + 1 + 1 + 4 + 4;
    if (total < headerLength + 2) {
        std::memcpy(m_fileName, in + 1, std::min(nameLength, total - 1));
        return -1;
    }
    std::memcpy(m_fileName, in + 1, nameLength);
    const BYTE* p = in + 1 + nameLength + 1;
    std::memcpy(m_fileType, p, 4);
    std::memcpy(m_fileCreator, p + 4, 4);
    m_flag1 = p[8];
    m_flag2 = p[9];
    const DWORD dataLength = ReadLong(p + 10);
    const DWORD resourceLength = ReadLong(p + 14);
    if (ReadWord(in + headerLength) != BinHexCrc(0, in, headerLength)) {
        return -1;
    }

    size_t pos = headerLength + 2;
    // Each fork and its CRC must lie inside what remains before any of it is
    // copied.
    if (dataLength > total - pos || total - pos - dataLength < 2) {
        return -1;
    }
    m_dataFork = MimeString(reinterpret_cast<const char*>(in + pos), dataLength);
    if (ReadWord(in + pos + dataLength) != BinHexCrc(0, in + pos, dataLength)) {
        return -1;
    }
    pos += dataLength + 2;
    if (resourceLength > total - pos || total - pos - resourceLength < 2) {
        return -1;
    }
    m_resourceFork = MimeString(reinterpret_cast<const char*>(in + pos), resourceLength);
    if (ReadWord(in + pos + resourceLength) != BinHexCrc(0, in + pos, resourceLength)) {
        return -1;
    }
    return 0;
}
