#include "base64.h"

#include "downloads.h"

#include <fileapi.h>
#include <handleapi.h>

#include <algorithm>
#include <vector>

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// One table lookup per character keeps decoding fast; built once at compile time.
struct DecodeTable {
    signed char value[256];
    constexpr DecodeTable() : value() {
        for (int i = 0; i < 256; ++i)
            value[i] = -2;
        for (int i = 0; i < 64; ++i)
            value[static_cast<unsigned char>(kAlphabet[i])] = static_cast<signed char>(i);
        value[static_cast<unsigned char>('=')] = -1;
    }
};
constexpr DecodeTable kDecodeTable;

} // namespace

void AppendBase64(std::string& out, const void* bytes, size_t length) {
    const unsigned char* in = static_cast<const unsigned char*>(bytes);
    if (in == nullptr || length == 0)
        return;
    const size_t at = out.size();
    out.resize(at + (length + 2) / 3 * 4);
    char* dest = out.data() + at;
    size_t i = 0;
    for (; i + 3 <= length; i += 3) {
        unsigned b0 = in[i], b1 = in[i + 1], b2 = in[i + 2];
        *dest++ = kAlphabet[b0 >> 2];
        *dest++ = kAlphabet[((b0 & 3) << 4) | (b1 >> 4)];
        *dest++ = kAlphabet[((b1 & 0x0F) << 2) | (b2 >> 6)];
        *dest++ = kAlphabet[b2 & 0x3F];
    }
    size_t rest = length - i;
    if (rest == 1) {
        unsigned b0 = in[i];
        *dest++ = kAlphabet[b0 >> 2];
        *dest++ = kAlphabet[(b0 & 3) << 4];
        *dest++ = '=';
        *dest++ = '=';
    } else if (rest == 2) {
        unsigned b0 = in[i], b1 = in[i + 1];
        *dest++ = kAlphabet[b0 >> 2];
        *dest++ = kAlphabet[((b0 & 3) << 4) | (b1 >> 4)];
        *dest++ = kAlphabet[(b1 & 0x0F) << 2];
        *dest++ = '=';
    }
}

const std::string& Base64Encoder::Encode(const void* bytes, size_t length) {
    m_result.clear();
    AppendBase64(m_result, bytes, length);
    return m_result;
}

const std::string& Base64Encoder::EncodeUrl(const char* url) {
    m_result = DownloadUrlToBase64(url);
    return m_result;
}

int Base64Decoder::CharValue(unsigned char ch) {
    return kDecodeTable.value[ch];
}

size_t Base64Decoder::Decode(const char* text, size_t textLength, unsigned char* out, size_t outSize) const {
    if (text == nullptr || out == nullptr)
        return 0;
    size_t written = 0;
    int group[4];
    int filled = 0;
    auto put = [&](unsigned value) {
        if (written >= outSize)
            return false;
        out[written++] = static_cast<unsigned char>(value);
        return true;
    };
    const signed char* table = kDecodeTable.value;
    for (size_t i = 0; i < textLength; ++i) {
        // Fast path: four alphabet characters in a row make three bytes at once.
        while (filled == 0 && i + 4 <= textLength && outSize - written >= 3) {
            int a = table[static_cast<unsigned char>(text[i])];
            int b = table[static_cast<unsigned char>(text[i + 1])];
            int c = table[static_cast<unsigned char>(text[i + 2])];
            int d = table[static_cast<unsigned char>(text[i + 3])];
            if ((a | b | c | d) < 0)
                break;
            unsigned bits = static_cast<unsigned>(a) << 18 | static_cast<unsigned>(b) << 12 |
                            static_cast<unsigned>(c) << 6 | static_cast<unsigned>(d);
            out[written] = static_cast<unsigned char>(bits >> 16);
            out[written + 1] = static_cast<unsigned char>(bits >> 8);
            out[written + 2] = static_cast<unsigned char>(bits);
            written += 3;
            i += 4;
        }
        if (i >= textLength)
            break;
        int v = table[static_cast<unsigned char>(text[i])];
        if (v == -2)
            continue;
        group[filled++] = v;
        if (filled < 4) {
            // A padding value in the first place, or in the second, ends the text: the first is a
            // stray "=" with nothing before it, the second is the "x===" form that yields one byte.
            if (v == -1 && filled == 1)
                return written;
            if (v == -1 && filled == 2) {
                put(static_cast<unsigned>(group[0]) << 2);
                return written;
            }
            continue;
        }
        filled = 0;
        unsigned v0 = static_cast<unsigned>(group[0]), v1 = static_cast<unsigned>(group[1]);
        if (group[2] == -1) {
            // "xx==" (or "xx=y"): one byte, and a padded group ends decoding.
            put((v0 << 2) | (v1 >> 4));
            return written;
        }
        unsigned v2 = static_cast<unsigned>(group[2]);
        if (group[3] == -1) {
            if (put((v0 << 2) | (v1 >> 4)))
                put(((v1 & 0x0F) << 4) | (v2 >> 2));
            return written;
        }
        unsigned v3 = static_cast<unsigned>(group[3]);
        if (!put((v0 << 2) | (v1 >> 4)) || !put(((v1 & 0x0F) << 4) | (v2 >> 2)) || !put(((v2 & 3) << 6) | v3))
            return written;
    }
    return written;
}

long long Base64Decoder::DecodeToFile(const std::string& text, const char* path) const {
    std::vector<unsigned char> buffer(text.size());
    size_t count = Decode(text, buffer.data(), buffer.size());

    HANDLE file = CreateFileA(path ? path : "", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return -1;
    // WriteFile takes a 32-bit count: larger outputs go in pieces.
    size_t done = 0;
    bool ok = true;
    while (ok && done < count) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(count - done, 0x40000000));
        DWORD wrote = 0;
        ok = WriteFile(file, buffer.data() + done, chunk, &wrote, nullptr) && wrote == chunk;
        done += wrote;
    }
    if (!CloseHandle(file))
        ok = false;
    return ok ? static_cast<long long>(done) : -1;
}
