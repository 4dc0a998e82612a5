#include "mime_string.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <functional>
#include <istream>
#include <ostream>
#include <stdexcept>

// One shared byte buffer. refs is plain: strings never cross threads (see the header).
struct MimeString::Buffer {
    size_t capacity;
    char* bytes;
    LONG refs;
};

namespace {

std::atomic<DWORD> g_nextStringId{1};

const size_t kMinimumCapacity = 16;

size_t Clamp(size_t value, size_t limit) {
    return value < limit ? value : limit;
}

unsigned char LowerAscii(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c;
}

unsigned char UpperAscii(unsigned char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 32) : c;
}

bool IsTrimSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

struct ByteSet {
    bool member[256] = {};
    ByteSet(const char* set, size_t n) {
        for (size_t i = 0; i < n; ++i)
            member[static_cast<unsigned char>(set[i])] = true;
    }
    bool Has(char c) const { return member[static_cast<unsigned char>(c)]; }
};

} // namespace

MimeString::Buffer* MimeString::NewBuffer(size_t needed) {
    if (needed > kMaxSize)
        throw std::length_error("MimeString too long");
    size_t capacity = kMinimumCapacity;
    while (capacity < needed + 1) {
        if (capacity > (static_cast<size_t>(-1) >> 1)) {
            capacity = needed + 1;
            break;
        }
        capacity <<= 1;
    }
    std::unique_ptr<char[]> bytes(new char[capacity]);
    Buffer* buffer = new Buffer{capacity, bytes.get(), 1};
    bytes.release();
    buffer->bytes[0] = '\0';
    return buffer;
}

void MimeString::Release(Buffer* buffer) {
    if (buffer != nullptr && --buffer->refs == 0) {
        delete[] buffer->bytes;
        delete buffer;
    }
}

void MimeString::Adopt(Buffer* buffer, size_t start, size_t length) {
    ++buffer->refs;
    Release(m_buffer);
    m_buffer = buffer;
    m_start = start;
    m_length = length;
}

MimeString::MimeString() : m_buffer(NewBuffer(0)), m_start(0), m_length(0), m_objectId(g_nextStringId++) {}

MimeString::MimeString(const MimeString& other)
    : m_buffer(other.m_buffer), m_start(other.m_start), m_length(other.m_length),
      m_objectId(g_nextStringId++) {
    ++m_buffer->refs;
}

MimeString::MimeString(const MimeString& source, size_t pos, size_t count) : MimeString() {
    assign(source, pos, count);
}

MimeString::MimeString(const char* text) : MimeString() {
    if (text != nullptr)
        assign(text, std::strlen(text));
}

MimeString::MimeString(const char* bytes, size_t count) : MimeString() {
    assign(bytes, count);
}

MimeString::MimeString(size_t count, char ch) : MimeString() {
    assign(count, ch);
}

MimeString::MimeString(std::string_view bytes) : MimeString() {
    assign(bytes.data(), bytes.size());
}

MimeString::~MimeString() {
    Release(m_buffer);
}

MimeString& MimeString::operator=(const MimeString& other) {
    return assign(other);
}

MimeString& MimeString::operator=(const char* text) {
    return assign(text);
}

MimeString& MimeString::operator=(char ch) {
    return assign(1, ch);
}

MimeString& MimeString::assign(const MimeString& other) {
    if (this != &other)
        Adopt(other.m_buffer, other.m_start, other.m_length);
    return *this;
}

MimeString& MimeString::assign(const MimeString& source, size_t pos, size_t count) {
    pos = Clamp(pos, source.m_length);
    count = Clamp(count, source.m_length - pos);
    if (count == 0) {
        // An empty piece never keeps a larger buffer alive.
        Buffer* fresh = NewBuffer(0);
        Release(m_buffer);
        m_buffer = fresh;
        m_start = 0;
        m_length = 0;
        return *this;
    }
    Adopt(source.m_buffer, source.m_start + pos, count);
    return *this;
}

MimeString& MimeString::assign(const char* text) {
    return assign(text, text ? std::strlen(text) : 0);
}

MimeString& MimeString::assign(const char* bytes, size_t count) {
    if (bytes == nullptr)
        count = 0;
    ReplaceBytes(0, m_length, bytes, count);
    return *this;
}

MimeString& MimeString::assign(size_t count, char ch) {
    ReplaceFill(0, m_length, count, ch);
    return *this;
}

MimeString& MimeString::append(const MimeString& other) {
    return replace(m_length, 0, other);
}

MimeString& MimeString::append(const MimeString& source, size_t pos, size_t count) {
    return replace(m_length, 0, source, pos, count);
}

MimeString& MimeString::append(const char* text) {
    return append(text, text ? std::strlen(text) : 0);
}

MimeString& MimeString::append(const char* bytes, size_t count) {
    ReplaceBytes(m_length, 0, bytes, bytes ? count : 0);
    return *this;
}

MimeString& MimeString::append(size_t count, char ch) {
    ReplaceFill(m_length, 0, count, ch);
    return *this;
}

MimeString& MimeString::insert(size_t pos, const MimeString& other) {
    return replace(pos, 0, other);
}

MimeString& MimeString::insert(size_t pos, const MimeString& source, size_t srcPos, size_t count) {
    return replace(pos, 0, source, srcPos, count);
}

MimeString& MimeString::insert(size_t pos, const char* text) {
    return replace(pos, 0, text);
}

MimeString& MimeString::insert(size_t pos, const char* bytes, size_t count) {
    return replace(pos, 0, bytes, count);
}

MimeString& MimeString::insert(size_t pos, size_t count, char ch) {
    return replace(pos, 0, count, ch);
}

MimeString& MimeString::replace(size_t pos, size_t count, const MimeString& other) {
    return replace(pos, count, other, 0, npos);
}

MimeString& MimeString::replace(size_t pos, size_t count, const MimeString& source, size_t srcPos,
                                size_t srcCount) {
    // Hold the source's buffer: it may be this string's own buffer.
    MimeString keep(source);
    srcPos = Clamp(srcPos, keep.m_length);
    srcCount = Clamp(srcCount, keep.m_length - srcPos);
    ReplaceBytes(pos, count, keep.data() + srcPos, srcCount);
    return *this;
}

MimeString& MimeString::replace(size_t pos, size_t count, const char* text) {
    return replace(pos, count, text, text ? std::strlen(text) : 0);
}

MimeString& MimeString::replace(size_t pos, size_t count, const char* bytes, size_t n) {
    ReplaceBytes(pos, count, bytes, bytes ? n : 0);
    return *this;
}

MimeString& MimeString::replace(size_t pos, size_t count, size_t n, char ch) {
    ReplaceFill(pos, count, n, ch);
    return *this;
}

MimeString& MimeString::erase(size_t pos, size_t count) {
    ReplaceBytes(pos, count, nullptr, 0);
    return *this;
}

void MimeString::clear() {
    ReplaceBytes(0, m_length, nullptr, 0);
}

bool MimeString::PointsInside(const char* p) const {
    std::less<const char*> less;
    return p != nullptr && !less(p, m_buffer->bytes) && less(p, m_buffer->bytes + m_buffer->capacity);
}

void MimeString::ReplaceBytes(size_t pos, size_t count, const char* bytes, size_t n) {
    if (n != 0 && PointsInside(bytes)) {
        // The source lies in the buffer that is about to change.
        std::string copy(bytes, n);
        ReplaceBytes(pos, count, copy.data(), n);
        return;
    }
    pos = Clamp(pos, m_length);
    count = Clamp(count, m_length - pos);
    size_t kept = m_length - count;
    if (n > kMaxSize - kept)
        throw std::length_error("MimeString too long");
    size_t newLength = kept + n;
    size_t tail = m_length - pos - count;
    if (m_buffer->refs == 1 && m_start + newLength + 1 <= m_buffer->capacity) {
        char* d = m_buffer->bytes + m_start;
        if (tail != 0)
            std::memmove(d + pos + n, d + pos + count, tail);
        if (n != 0)
            std::memcpy(d + pos, bytes, n);
        m_length = newLength;
        d[m_length] = '\0';
        return;
    }
    Buffer* fresh = NewBuffer(newLength);
    const char* d = data();
    if (pos != 0)
        std::memcpy(fresh->bytes, d, pos);
    if (n != 0)
        std::memcpy(fresh->bytes + pos, bytes, n);
    if (tail != 0)
        std::memcpy(fresh->bytes + pos + n, d + pos + count, tail);
    fresh->bytes[newLength] = '\0';
    Release(m_buffer);
    m_buffer = fresh;
    m_start = 0;
    m_length = newLength;
}

void MimeString::ReplaceFill(size_t pos, size_t count, size_t n, char ch) {
    pos = Clamp(pos, m_length);
    count = Clamp(count, m_length - pos);
    if (n > kMaxSize - (m_length - count))
        throw std::length_error("MimeString too long");
    // Open a gap of n bytes, then fill it.
    ReplaceBytes(pos, count, nullptr, 0);
    if (n == 0)
        return;
    size_t tail = m_length - pos;
    MakeOwn(m_length + n);
    char* d = m_buffer->bytes + m_start;
    if (tail != 0)
        std::memmove(d + pos + n, d + pos, tail);
    std::memset(d + pos, static_cast<unsigned char>(ch), n);
    m_length += n;
    d[m_length] = '\0';
}

// Makes the buffer unshared and able to hold needed bytes plus a NUL after them.
void MimeString::MakeOwn(size_t needed) {
    if (m_buffer->refs == 1 && m_start + needed + 1 <= m_buffer->capacity)
        return;
    Buffer* fresh = NewBuffer(std::max(needed, m_length));
    if (m_length != 0)
        std::memcpy(fresh->bytes, data(), m_length);
    fresh->bytes[m_length] = '\0';
    Release(m_buffer);
    m_buffer = fresh;
    m_start = 0;
}

size_t MimeString::capacity() const {
    return m_buffer->capacity - m_start - 1;
}

char MimeString::operator[](size_t pos) const {
    return pos < m_length ? m_buffer->bytes[m_start + pos] : '\0';
}

const char* MimeString::data() const {
    return m_buffer->bytes + m_start;
}

char* MimeString::WritableData() {
    MakeOwn(m_length);
    char* d = m_buffer->bytes + m_start;
    d[m_length] = '\0';
    return d;
}

const char* MimeString::c_str() {
    if (m_start + m_length < m_buffer->capacity && m_buffer->bytes[m_start + m_length] == '\0')
        return data();
    return WritableData();
}

void MimeString::reserve(size_t n) {
    if (m_buffer->refs != 1 || m_buffer->capacity - m_start < n + 1) {
        Buffer* fresh = NewBuffer(std::max(n, m_length));
        if (m_length != 0)
            std::memcpy(fresh->bytes, data(), m_length);
        fresh->bytes[m_length] = '\0';
        Release(m_buffer);
        m_buffer = fresh;
        m_start = 0;
    }
}

void MimeString::resize(size_t n, char ch) {
    if (n <= m_length) {
        if (n == 0) {
            clear();
            return;
        }
        m_length = n;
        return;
    }
    append(n - m_length, ch);
}

size_t MimeString::copy(char* dest, size_t count, size_t pos) const {
    pos = Clamp(pos, m_length);
    count = Clamp(count, m_length - pos);
    if (count != 0)
        std::memcpy(dest, data() + pos, count);
    return count;
}

void MimeString::swap(MimeString& other) noexcept {
    std::swap(m_buffer, other.m_buffer);
    std::swap(m_start, other.m_start);
    std::swap(m_length, other.m_length);
}

size_t MimeString::find(const MimeString& needle, size_t pos) const {
    return find(needle.data(), pos, needle.m_length);
}

size_t MimeString::find(const char* needle, size_t pos) const {
    return find(needle, pos, needle ? std::strlen(needle) : 0);
}

size_t MimeString::find(const char* needle, size_t pos, size_t n) const {
    size_t found = view().find(std::string_view(needle ? needle : "", n), pos);
    return found == std::string_view::npos ? npos : found;
}

size_t MimeString::find(char ch, size_t pos) const {
    if (pos >= m_length)
        return npos;
    const void* hit = std::memchr(data() + pos, static_cast<unsigned char>(ch), m_length - pos);
    return hit ? static_cast<size_t>(static_cast<const char*>(hit) - data()) : npos;
}

size_t MimeString::rfind(const MimeString& needle, size_t pos) const {
    return rfind(needle.data(), pos, needle.m_length);
}

size_t MimeString::rfind(const char* needle, size_t pos) const {
    return rfind(needle, pos, needle ? std::strlen(needle) : 0);
}

size_t MimeString::rfind(const char* needle, size_t pos, size_t n) const {
    size_t found = view().rfind(std::string_view(needle ? needle : "", n), pos);
    return found == std::string_view::npos ? npos : found;
}

size_t MimeString::rfind(char ch, size_t pos) const {
    size_t found = view().rfind(ch, pos);
    return found == std::string_view::npos ? npos : found;
}

size_t MimeString::find_first_of(const MimeString& set, size_t pos) const {
    ByteSet bytes(set.data(), set.m_length);
    for (size_t i = pos; i < m_length; ++i)
        if (bytes.Has(data()[i]))
            return i;
    return npos;
}

size_t MimeString::find_first_of(const char* set, size_t pos) const {
    return find_first_of(MimeString(set), pos);
}

size_t MimeString::find_last_of(const MimeString& set, size_t pos) const {
    if (m_length == 0)
        return npos;
    ByteSet bytes(set.data(), set.m_length);
    for (size_t i = Clamp(pos, m_length - 1) + 1; i-- > 0;)
        if (bytes.Has(data()[i]))
            return i;
    return npos;
}

size_t MimeString::find_last_of(const char* set, size_t pos) const {
    return find_last_of(MimeString(set), pos);
}

size_t MimeString::find_first_not_of(const MimeString& set, size_t pos) const {
    ByteSet bytes(set.data(), set.m_length);
    for (size_t i = pos; i < m_length; ++i)
        if (!bytes.Has(data()[i]))
            return i;
    return npos;
}

size_t MimeString::find_first_not_of(const char* set, size_t pos) const {
    return find_first_not_of(MimeString(set), pos);
}

size_t MimeString::find_last_not_of(const MimeString& set, size_t pos) const {
    if (m_length == 0)
        return npos;
    ByteSet bytes(set.data(), set.m_length);
    for (size_t i = Clamp(pos, m_length - 1) + 1; i-- > 0;)
        if (!bytes.Has(data()[i]))
            return i;
    return npos;
}

size_t MimeString::find_last_not_of(const char* set, size_t pos) const {
    return find_last_not_of(MimeString(set), pos);
}

MimeString MimeString::substr(size_t pos, size_t count) const {
    return MimeString(*this, pos, count);
}

namespace {

int CompareUnsigned(std::string_view a, std::string_view b) {
    size_t n = std::min(a.size(), b.size());
    int r = n ? std::memcmp(a.data(), b.data(), n) : 0;
    if (r != 0)
        return r;
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

std::string_view Piece(std::string_view v, size_t pos, size_t count) {
    pos = Clamp(pos, v.size());
    return v.substr(pos, Clamp(count, v.size() - pos));
}

} // namespace

int MimeString::compare(const MimeString& other) const {
    return CompareUnsigned(view(), other.view());
}

int MimeString::compare(const char* text) const {
    return CompareUnsigned(view(), text ? text : "");
}

int MimeString::compare(size_t pos, size_t count, const MimeString& other) const {
    return CompareUnsigned(Piece(view(), pos, count), other.view());
}

int MimeString::compare(size_t pos, size_t count, const MimeString& other, size_t otherPos,
                        size_t otherCount) const {
    return CompareUnsigned(Piece(view(), pos, count), Piece(other.view(), otherPos, otherCount));
}

int MimeString::compare(size_t pos, size_t count, const char* text) const {
    return CompareUnsigned(Piece(view(), pos, count), text ? text : "");
}

void MimeString::ConvertToLowerCase() {
    char* d = WritableData();
    for (size_t i = 0; i < m_length; ++i)
        d[i] = static_cast<char>(LowerAscii(static_cast<unsigned char>(d[i])));
}

void MimeString::ConvertToUpperCase() {
    char* d = WritableData();
    for (size_t i = 0; i < m_length; ++i)
        d[i] = static_cast<char>(UpperAscii(static_cast<unsigned char>(d[i])));
}

void MimeString::Trim() {
    const char* d = data();
    size_t begin = 0;
    while (begin < m_length && IsTrimSpace(d[begin]))
        ++begin;
    size_t end = m_length;
    while (end > begin && IsTrimSpace(d[end - 1]))
        --end;
    if (begin == end) {
        clear();
        return;
    }
    m_start += begin;
    m_length = end - begin;
}

MimeString operator+(const MimeString& a, const MimeString& b) {
    MimeString r;
    r.reserve(a.length() + b.length());
    r.append(a).append(b);
    return r;
}

MimeString operator+(const char* a, const MimeString& b) {
    return MimeString(a) + b;
}

MimeString operator+(char a, const MimeString& b) {
    return MimeString(1, a) + b;
}

MimeString operator+(const MimeString& a, const char* b) {
    return a + MimeString(b);
}

MimeString operator+(const MimeString& a, char b) {
    return a + MimeString(1, b);
}

int MimeSignedCompare(std::string_view a, std::string_view b) {
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        signed char x = static_cast<signed char>(a[i]);
        signed char y = static_cast<signed char>(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

namespace {
std::string_view V(const char* text) {
    return text ? std::string_view(text) : std::string_view();
}
} // namespace

bool operator==(const MimeString& a, const MimeString& b) {
    return a.view() == b.view();
}
bool operator==(const MimeString& a, const char* b) {
    return a.view() == V(b);
}
bool operator==(const char* a, const MimeString& b) {
    return V(a) == b.view();
}
bool operator!=(const MimeString& a, const MimeString& b) {
    return !(a == b);
}
bool operator!=(const MimeString& a, const char* b) {
    return !(a == b);
}
bool operator!=(const char* a, const MimeString& b) {
    return !(a == b);
}
bool operator<(const MimeString& a, const MimeString& b) {
    return MimeSignedCompare(a.view(), b.view()) < 0;
}
bool operator<(const MimeString& a, const char* b) {
    return MimeSignedCompare(a.view(), V(b)) < 0;
}
bool operator<(const char* a, const MimeString& b) {
    return MimeSignedCompare(V(a), b.view()) < 0;
}
bool operator>(const MimeString& a, const MimeString& b) {
    return MimeSignedCompare(a.view(), b.view()) > 0;
}
bool operator>(const MimeString& a, const char* b) {
    return MimeSignedCompare(a.view(), V(b)) > 0;
}
bool operator>(const char* a, const MimeString& b) {
    return MimeSignedCompare(V(a), b.view()) > 0;
}
bool operator<=(const MimeString& a, const MimeString& b) {
    return !(a > b);
}
bool operator<=(const MimeString& a, const char* b) {
    return !(a > b);
}
bool operator<=(const char* a, const MimeString& b) {
    return !(a > b);
}
bool operator>=(const MimeString& a, const MimeString& b) {
    return !(a < b);
}
bool operator>=(const MimeString& a, const char* b) {
    return !(a < b);
}
bool operator>=(const char* a, const MimeString& b) {
    return !(a < b);
}

namespace {

int CompareNoCase(std::string_view a, std::string_view b) {
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        unsigned char x = LowerAscii(static_cast<unsigned char>(a[i]));
        unsigned char y = LowerAscii(static_cast<unsigned char>(b[i]));
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

} // namespace

int MimeCompareNoCase(const MimeString& a, const MimeString& b) {
    return CompareNoCase(a.view(), b.view());
}

int MimeCompareNoCase(const MimeString& a, const char* b) {
    return CompareNoCase(a.view(), V(b));
}

int MimeCompareNoCase(const MimeString& a, const MimeString& b, size_t n) {
    return CompareNoCase(a.view().substr(0, Clamp(n, a.length())), b.view().substr(0, Clamp(n, b.length())));
}

bool MimeEqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && CompareNoCase(a, b) == 0;
}

std::ostream& operator<<(std::ostream& out, const MimeString& text) {
    return out.write(text.data(), static_cast<std::streamsize>(text.length()));
}

std::istream& getline(std::istream& in, MimeString& line, char delimiter) {
    std::string bytes;
    std::getline(in, bytes, delimiter);
    line.assign(bytes.data(), bytes.size());
    return in;
}

size_t MimeCopyToBuffer(const MimeString& text, char* buffer, size_t bufferSize) {
    if (buffer == nullptr || bufferSize == 0)
        return 0;
    size_t n = text.copy(buffer, bufferSize - 1);
    buffer[n] = '\0';
    return n;
}

std::unique_ptr<char[]> MimeNewCString(const MimeString& text) {
    std::unique_ptr<char[]> copy(new char[text.length() + 1]);
    text.copy(copy.get(), text.length());
    copy[text.length()] = '\0';
    return copy;
}
