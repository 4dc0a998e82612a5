// Boyer-Moore-Horspool search for a fixed byte pattern, prepared once and run
// over many texts.
#pragma once

#include "mime_string.h"

#include <cstddef>
#include <memory>

class BoyerMooreSearch {
public:
    explicit BoyerMooreSearch(const char* pattern = nullptr);
    explicit BoyerMooreSearch(const MimeString& pattern);
    BoyerMooreSearch(const BoyerMooreSearch& other);
    BoyerMooreSearch& operator=(const BoyerMooreSearch& other);
    ~BoyerMooreSearch();

    // Prepares a new pattern. A text pattern ends at its first NUL; a MimeString
    // pattern keeps every byte, NULs included.
    void Assign(const char* pattern);
    void Assign(const MimeString& pattern);

    // Position of the first occurrence at or after start, or -1 (also when start
    // is not below the text's length). An empty pattern is found at start.
    long long FindIn(const MimeString& text, size_t start = 0) const;

    size_t PatternLength() const { return m_patternLength; }

private:
    void Prepare(const char* bytes, size_t count);

    size_t m_patternLength = 0;
    std::unique_ptr<unsigned char[]> m_pattern;
    // Shifts are full-width: a pattern of 256 bytes or more needs shifts beyond 8
    // bits, and a shift cut to 8 bits could become 0 and never advance.
    size_t m_shift[256];
};
