#include "manifest_text.h"

#include <algorithm>
#include <stdexcept>

namespace respack {

std::u16string Utf8ToUtf16(const std::string& s) {
    std::u16string out;
    for (std::size_t i = 0; i < s.size();) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        std::size_t extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : 9;
        if (extra == 9) {
            throw std::runtime_error("text is not UTF-8");
        }
        char32_t cp = extra == 0 ? c : (c & (0x3F >> extra));
        for (std::size_t k = 1; k <= extra; ++k) {
            if (i + k >= s.size() || (static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) {
                throw std::runtime_error("text is not UTF-8");
            }
            cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
        }
        i += extra + 1;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
    }
    return out;
}

std::vector<Token> Tokenize(const std::string& line) {
    std::vector<Token> tokens;
    std::size_t i = 0;
    while (i < line.size()) {
        char c = line[i];
        if (c == ' ' || c == '\t' || c == '\r') {
            ++i;
            continue;
        }
        if (c == '#') {
            break;
        }
        Token t;
        if (c == '"') {
            t.quoted = true;
            ++i;
            bool closed = false;
            while (i < line.size()) {
                char d = line[i++];
                if (d == '"') {
                    closed = true;
                    break;
                }
                if (d == '\\' && i < line.size()) {
                    char e = line[i++];
                    switch (e) {
                    case 'n':
                        t.text.push_back('\n');
                        break;
                    case 'r':
                        t.text.push_back('\r');
                        break;
                    case 't':
                        t.text.push_back('\t');
                        break;
                    case '\\':
                    case '"':
                        t.text.push_back(e);
                        break;
                    default:
                        throw std::runtime_error(std::string("unknown escape \\") + e);
                    }
                    continue;
                }
                t.text.push_back(d);
            }
            if (!closed) {
                throw std::runtime_error("unterminated string");
            }
        } else {
            while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') {
                t.text.push_back(line[i++]);
            }
        }
        tokens.push_back(std::move(t));
    }
    return tokens;
}

unsigned long Number(const Token& t, unsigned long max, const char* what) {
    if (t.quoted || t.text.empty() ||
        !std::all_of(t.text.begin(), t.text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        if (t.text.size() > 2 && t.text[0] == '0' && (t.text[1] == 'x' || t.text[1] == 'X')) {
            std::size_t used = 0;
            unsigned long v = std::stoul(t.text.substr(2), &used, 16);
            if (used == t.text.size() - 2 && v <= max) {
                return v;
            }
        }
        throw std::runtime_error(std::string("bad ") + what + " '" + t.text + "'");
    }
    unsigned long v = std::stoul(t.text);
    if (v > max) {
        throw std::runtime_error(std::string(what) + " out of range: " + t.text);
    }
    return v;
}

} // namespace respack
