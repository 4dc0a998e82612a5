#include <cstring>

#include "mime_codecs.h"

namespace {

const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
const size_t kGroupsPerLine = 19; // 76 characters

enum : signed char { kSkip = -1, kBad = -2, kPad = -3 };

struct DecodeTable {
    signed char value[256];
    DecodeTable() {
        for (int i = 0; i < 256; ++i)
            value[i] = kBad;
        for (int i = 0; i < 64; ++i)
            value[static_cast<unsigned char>(kAlphabet[i])] = static_cast<signed char>(i);
        value[static_cast<unsigned char>(' ')] = kSkip;
        value[static_cast<unsigned char>('\t')] = kSkip;
        value[static_cast<unsigned char>('\r')] = kSkip;
        value[static_cast<unsigned char>('\n')] = kSkip;
        value[static_cast<unsigned char>('=')] = kPad;
    }
};

const DecodeTable kDecode;

} // namespace

int EncodeBase64(const MimeString& in, MimeString& out) {
    const unsigned char* src = reinterpret_cast<const unsigned char*>(in.data());
    size_t n = in.length();
    size_t groups = n / 3;
    size_t rest = n % 3;
    size_t size = groups * 4 + groups / kGroupsPerLine + (rest ? 4 : 0) + 1;
    MimeString result;
    result.resize(size);
    char* d = result.WritableData();
    size_t inLine = 0;
    for (size_t g = 0; g < groups; ++g, src += 3) {
        unsigned v = (unsigned(src[0]) << 16) | (unsigned(src[1]) << 8) | src[2];
        d[0] = kAlphabet[v >> 18];
        d[1] = kAlphabet[(v >> 12) & 63];
        d[2] = kAlphabet[(v >> 6) & 63];
        d[3] = kAlphabet[v & 63];
        d += 4;
        if (++inLine == kGroupsPerLine) {
            *d++ = '\n';
            inLine = 0;
        }
    }
    if (rest == 1) {
        unsigned v = unsigned(src[0]) << 16;
        d[0] = kAlphabet[v >> 18];
        d[1] = kAlphabet[(v >> 12) & 63];
        d[2] = '=';
        d[3] = '=';
        d += 4;
    } else if (rest == 2) {
        unsigned v = (unsigned(src[0]) << 16) | (unsigned(src[1]) << 8);
        d[0] = kAlphabet[v >> 18];
        d[1] = kAlphabet[(v >> 12) & 63];
        d[2] = kAlphabet[(v >> 6) & 63];
        d[3] = '=';
        d += 4;
    }
    *d = '\n';
    out = result;
    return 0;
}

int DecodeBase64(const MimeString& in, MimeString& out) {
    const unsigned char* src = reinterpret_cast<const unsigned char*>(in.data());
    size_t n = in.length();
    MimeString result;
    result.resize((n / 4 + 1) * 3);
    char* d = result.WritableData();
    char* start = d;
    int status = 0;
    unsigned bits = 0;
    int have = 0;
    for (size_t i = 0; i < n; ++i) {
        signed char v = kDecode.value[src[i]];
        if (v >= 0) {
            bits = (bits << 6) | static_cast<unsigned>(v);
            if (++have == 4) {
                d[0] = static_cast<char>(bits >> 16);
                d[1] = static_cast<char>(bits >> 8);
                d[2] = static_cast<char>(bits);
                d += 3;
                bits = 0;
                have = 0;
            }
        } else if (v == kPad) {
            if (have == 3) {
                d[0] = static_cast<char>(bits >> 10);
                d[1] = static_cast<char>(bits >> 2);
                d += 2;
            } else if (have == 2) {
                d[0] = static_cast<char>(bits >> 4);
                d += 1;
            }
            have = 0;
            break;
        } else if (v == kBad) {
            status = -1;
        }
    }
    result.resize(static_cast<size_t>(d - start));
    out = result;
    return status;
}
