#include "base64_bytes.h"

namespace qx::wab {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int Digit(char c) {
    if (c >= 'A' && c <= 'Z') {
        return c - 'A';
    }
    if (c >= 'a' && c <= 'z') {
        return c - 'a' + 26;
    }
    if (c >= '0' && c <= '9') {
        return c - '0' + 52;
    }
    return c == '+' ? 62 : c == '/' ? 63 : -1;
}

} // namespace

std::string EncodeBase64(const std::vector<unsigned char>& bytes) {
    std::string text;
    text.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        unsigned n = bytes[i] << 16;
        if (i + 1 < bytes.size()) {
            n |= bytes[i + 1] << 8;
        }
        if (i + 2 < bytes.size()) {
            n |= bytes[i + 2];
        }
        text += kAlphabet[(n >> 18) & 63];
        text += kAlphabet[(n >> 12) & 63];
        text += i + 1 < bytes.size() ? kAlphabet[(n >> 6) & 63] : '=';
        text += i + 2 < bytes.size() ? kAlphabet[n & 63] : '=';
    }
    return text;
}

std::optional<std::vector<unsigned char>> DecodeBase64(std::string_view text) {
    if (text.size() % 4 != 0) {
        return std::nullopt;
    }
    std::vector<unsigned char> bytes;
    bytes.reserve(text.size() / 4 * 3);
    for (std::size_t i = 0; i < text.size(); i += 4) {
        bool last = i + 4 == text.size();
        int d[4];
        for (int k = 0; k < 4; ++k) {
            d[k] = Digit(text[i + k]);
        }
        int padding = (text[i + 3] == '=') + (text[i + 2] == '=' && text[i + 3] == '=');
        if (d[0] < 0 || d[1] < 0 || (padding > 0 && !last) || (padding < 2 && d[2] < 0) ||
            (padding < 1 && d[3] < 0)) {
            return std::nullopt;
        }
        unsigned n = (d[0] << 18) | (d[1] << 12) | ((padding < 2 ? d[2] : 0) << 6) | (padding < 1 ? d[3] : 0);
        bytes.push_back(static_cast<unsigned char>(n >> 16));
        if (padding < 2) {
            bytes.push_back(static_cast<unsigned char>(n >> 8));
        }
        if (padding < 1) {
            bytes.push_back(static_cast<unsigned char>(n));
        }
    }
    return bytes;
}

} // namespace qx::wab
