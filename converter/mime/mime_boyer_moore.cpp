#include "mime_boyer_moore.h"

#include <cstring>

BoyerMooreSearch::BoyerMooreSearch(const char* pattern) {
    Assign(pattern);
}

BoyerMooreSearch::BoyerMooreSearch(const MimeString& pattern) {
    Assign(pattern);
}

BoyerMooreSearch::BoyerMooreSearch(const BoyerMooreSearch& other) {
    Prepare(reinterpret_cast<const char*>(other.m_pattern.get()), other.m_patternLength);
}

BoyerMooreSearch& BoyerMooreSearch::operator=(const BoyerMooreSearch& other) {
    if (this != &other) {
        Prepare(reinterpret_cast<const char*>(other.m_pattern.get()), other.m_patternLength);
    }
    return *this;
}

BoyerMooreSearch::~BoyerMooreSearch() = default;

void BoyerMooreSearch::Assign(const char* pattern) {
    Prepare(pattern, pattern != nullptr ? std::strlen(pattern) : 0);
}

void BoyerMooreSearch::Assign(const MimeString& pattern) {
    Prepare(pattern.data(), pattern.length());
}

void BoyerMooreSearch::Prepare(const char* bytes, size_t count) {
    // The copy keeps a terminating NUL so that the pattern can still be read as
    // text.
    std::unique_ptr<unsigned char[]> copy(new unsigned char[count + 1]);
    if (count != 0) {
        std::memcpy(copy.get(), bytes, count);
    }
    copy[count] = 0;
    m_pattern = std::move(copy);
    m_patternLength = count;

    for (size_t& shift : m_shift) {
        shift = count;
    }
    for (size_t i = 0; i + 1 < count; ++i) {
        m_shift[m_pattern[i]] = count - 1 - i;
    }
}

long long BoyerMooreSearch::FindIn(const MimeString& text, size_t start) const {
    const size_t textLength = text.length();
    if (start >= textLength) {
        return -1;
    }
    if (m_patternLength == 0) {
        return static_cast<long long>(start);
    }
    const unsigned char* base = reinterpret_cast<const unsigned char*>(text.data()) + start;
    const size_t available = textLength - start;
    const size_t last = m_patternLength - 1;

    // k is the text position under the pattern's last byte, relative to start.
    for (size_t k = last; k < available; k += m_shift[base[k]]) {
        size_t i = last;
        size_t j = k;
        while (base[j] == m_pattern[i]) {
            if (i == 0) {
                return static_cast<long long>(start + j);
            }
            --i;
            --j;
        }
    }
    return -1;
}
