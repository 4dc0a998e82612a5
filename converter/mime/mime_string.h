// MimeString: the byte string in which every text of the MIME library is kept. Bytes, not
// characters (ANSI text, NUL bytes allowed). Copies and substrings share one buffer record and
// differ only in start offset and length; a buffer is written in place only while a single
// string refers to it, otherwise the writer takes its own copy first.
//
// The buffer's reference count is a plain integer: a message and all of its strings are built,
// parsed and composed on one thread at a time and are never shared between threads. Only the
// object-id counter is process-wide, and that one is atomic.
#pragma once

#include <cstddef>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>

#include "wintypes.h"

class MimeString {
public:
    static constexpr size_t npos = static_cast<size_t>(-1);
    static constexpr size_t kMaxSize = static_cast<size_t>(-2);

    MimeString();
    MimeString(const MimeString& other);
    MimeString(const MimeString& source, size_t pos, size_t count = npos);
    MimeString(const char* text); // NOLINT: implicit like a standard string; null is empty
    MimeString(const char* bytes, size_t count);
    MimeString(size_t count, char ch);
    explicit MimeString(std::string_view bytes);
    virtual ~MimeString();

    virtual const char* ClassName() const { return "MimeString"; }

    MimeString& operator=(const MimeString& other);
    MimeString& operator=(const char* text);
    MimeString& operator=(char ch);

    MimeString& assign(const MimeString& other);
    MimeString& assign(const MimeString& source, size_t pos, size_t count);
    MimeString& assign(const char* text);
    MimeString& assign(const char* bytes, size_t count);
    MimeString& assign(size_t count, char ch);

    MimeString& append(const MimeString& other);
    MimeString& append(const MimeString& source, size_t pos, size_t count);
    MimeString& append(const char* text);
    MimeString& append(const char* bytes, size_t count);
    MimeString& append(size_t count, char ch);
    MimeString& operator+=(const MimeString& other) { return append(other); }
    MimeString& operator+=(const char* text) { return append(text); }
    MimeString& operator+=(char ch) { return append(1, ch); }

    MimeString& insert(size_t pos, const MimeString& other);
    MimeString& insert(size_t pos, const MimeString& source, size_t srcPos, size_t count);
    MimeString& insert(size_t pos, const char* text);
    MimeString& insert(size_t pos, const char* bytes, size_t count);
    MimeString& insert(size_t pos, size_t count, char ch);

    MimeString& replace(size_t pos, size_t count, const MimeString& other);
    MimeString& replace(size_t pos, size_t count, const MimeString& source, size_t srcPos, size_t srcCount);
    MimeString& replace(size_t pos, size_t count, const char* text);
    MimeString& replace(size_t pos, size_t count, const char* bytes, size_t n);
    MimeString& replace(size_t pos, size_t count, size_t n, char ch);

    MimeString& erase(size_t pos = 0, size_t count = npos);
    void clear();

    size_t length() const { return m_length; }
    size_t size() const { return m_length; }
    bool empty() const { return m_length == 0; }
    size_t capacity() const;
    size_t max_size() const { return kMaxSize; }

    // A position at or past the end reads as a NUL byte.
    char operator[](size_t pos) const;
    // The bytes, not terminated (a substring is a view into a longer buffer).
    const char* data() const;
    // Gives the string its own buffer when it is shared, stores a NUL after the last byte and
    // returns the bytes for writing.
    char* WritableData();
    // NUL-terminated bytes; takes an own buffer first when the view is not already terminated.
    const char* c_str();
    std::string_view view() const { return std::string_view(data(), m_length); }
    std::string ToStdString() const { return std::string(data(), m_length); }

    void reserve(size_t n);
    void resize(size_t n, char ch = '\0');
    size_t copy(char* dest, size_t count, size_t pos = 0) const;
    void swap(MimeString& other) noexcept;

    size_t find(const MimeString& needle, size_t pos = 0) const;
    size_t find(const char* needle, size_t pos = 0) const;
    size_t find(const char* needle, size_t pos, size_t n) const;
    size_t find(char ch, size_t pos = 0) const;
    size_t rfind(const MimeString& needle, size_t pos = npos) const;
    size_t rfind(const char* needle, size_t pos = npos) const;
    size_t rfind(const char* needle, size_t pos, size_t n) const;
    size_t rfind(char ch, size_t pos = npos) const;
    size_t find_first_of(const MimeString& set, size_t pos = 0) const;
    size_t find_first_of(const char* set, size_t pos = 0) const;
    size_t find_last_of(const MimeString& set, size_t pos = npos) const;
    size_t find_last_of(const char* set, size_t pos = npos) const;
    size_t find_first_not_of(const MimeString& set, size_t pos = 0) const;
    size_t find_first_not_of(const char* set, size_t pos = 0) const;
    size_t find_last_not_of(const MimeString& set, size_t pos = npos) const;
    size_t find_last_not_of(const char* set, size_t pos = npos) const;

    MimeString substr(size_t pos = 0, size_t count = npos) const;

    // Byte-wise comparison of unsigned bytes over the whole length, embedded NULs included;
    // when one is a prefix of the other the shorter is the smaller. <0, 0 or >0.
    int compare(const MimeString& other) const;
    int compare(const char* text) const;
    int compare(size_t pos, size_t count, const MimeString& other) const;
    int compare(size_t pos, size_t count, const MimeString& other, size_t otherPos, size_t otherCount) const;
    int compare(size_t pos, size_t count, const char* text) const;

    void ConvertToLowerCase();
    void ConvertToUpperCase();
    // Removes leading and trailing space, tab, CR, LF, vertical tab and form feed.
    void Trim();

private:
    struct Buffer;

    static Buffer* NewBuffer(size_t needed);
    static void Release(Buffer* buffer);
    void Adopt(Buffer* buffer, size_t start, size_t length);
    void ReplaceBytes(size_t pos, size_t count, const char* bytes, size_t n);
    void ReplaceFill(size_t pos, size_t count, size_t n, char ch);
    void MakeOwn(size_t needed);
    bool PointsInside(const char* p) const;

    Buffer* m_buffer;
    size_t m_start;
    size_t m_length;
    DWORD m_objectId;
};

MimeString operator+(const MimeString& a, const MimeString& b);
MimeString operator+(const char* a, const MimeString& b);
MimeString operator+(char a, const MimeString& b);
MimeString operator+(const MimeString& a, const char* b);
MimeString operator+(const MimeString& a, char b);

// The relational operators compare bytes as signed 8-bit values up to the shorter length and
// then by length (so 0x80 sorts before 'A').
int MimeSignedCompare(std::string_view a, std::string_view b);
bool operator==(const MimeString& a, const MimeString& b);
bool operator==(const MimeString& a, const char* b);
bool operator==(const char* a, const MimeString& b);
bool operator!=(const MimeString& a, const MimeString& b);
bool operator!=(const MimeString& a, const char* b);
bool operator!=(const char* a, const MimeString& b);
bool operator<(const MimeString& a, const MimeString& b);
bool operator<(const MimeString& a, const char* b);
bool operator<(const char* a, const MimeString& b);
bool operator>(const MimeString& a, const MimeString& b);
bool operator>(const MimeString& a, const char* b);
bool operator>(const char* a, const MimeString& b);
bool operator<=(const MimeString& a, const MimeString& b);
bool operator<=(const MimeString& a, const char* b);
bool operator<=(const char* a, const MimeString& b);
bool operator>=(const MimeString& a, const MimeString& b);
bool operator>=(const MimeString& a, const char* b);
bool operator>=(const char* a, const MimeString& b);

// Case-insensitive comparison (ASCII lower-case mapping of each byte, then by length).
int MimeCompareNoCase(const MimeString& a, const MimeString& b);
int MimeCompareNoCase(const MimeString& a, const char* b);
// The same over at most n bytes of each.
int MimeCompareNoCase(const MimeString& a, const MimeString& b, size_t n);
bool MimeEqualsNoCase(std::string_view a, std::string_view b);

std::ostream& operator<<(std::ostream& out, const MimeString& text);
std::istream& getline(std::istream& in, MimeString& line, char delimiter = '\n');

// Copies the string into a caller buffer of bufferSize bytes with a terminating NUL (cut when
// it does not fit); returns the number of bytes copied without the NUL.
size_t MimeCopyToBuffer(const MimeString& text, char* buffer, size_t bufferSize);
// A NUL-terminated heap copy.
std::unique_ptr<char[]> MimeNewCString(const MimeString& text);
