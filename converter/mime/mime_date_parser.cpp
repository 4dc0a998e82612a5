#include <cstring>
#include <string_view>

#include "mime_date_time.h"

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

bool EqualsNoCase(std::string_view a, const char* b) {
    size_t n = std::strlen(b);
    if (a.size() != n)
        return false;
    for (size_t i = 0; i < n; ++i)
        if (Lower(a[i]) != Lower(b[i]))
            return false;
    return true;
}

class DateScanner {
public:
    explicit DateScanner(std::string_view text) : m_text(text) {}

    bool AtEnd() const { return m_pos >= m_text.size(); }
    char Peek() const { return AtEnd() ? '\0' : m_text[m_pos]; }
    void Advance(size_t n = 1) { m_pos = n < m_text.size() - m_pos ? m_pos + n : m_text.size(); }
    size_t Position() const { return m_pos; }
    std::string_view Rest() const { return m_text.substr(m_pos); }

    // Skips bytes (a comment as a whole) until one that the predicate accepts.
    template <typename Predicate>
    bool SkipTo(Predicate accept) {
        while (!AtEnd()) {
            char c = m_text[m_pos];
            if (accept(c))
                return true;
            if (c == '(')
                m_pos = CommentEnd(m_pos);
            else
                ++m_pos;
        }
        return false;
    }

    // One or two digits.
    bool ReadNumber(size_t maxDigits, int* value) {
        size_t digits = 0;
        int v = 0;
        while (digits < maxDigits && !AtEnd() && IsDigit(m_text[m_pos])) {
            v = v * 10 + (m_text[m_pos] - '0');
            ++m_pos;
            ++digits;
        }
        *value = v;
        return digits > 0;
    }

    // Just after the ")" that balances the "(" at pos (the end of the text when none does).
    size_t CommentEnd(size_t pos) const {
        int depth = 0;
        for (size_t i = pos; i < m_text.size(); ++i) {
            char c = m_text[i];
            if (c == '\\') {
                ++i;
            } else if (c == '(') {
                ++depth;
            } else if (c == ')' && --depth == 0) {
                return i + 1;
            }
        }
        return m_text.size();
    }

private:
    std::string_view m_text;
    size_t m_pos = 0;
};

bool ZoneByName(std::string_view word, LONG* zone) {
    struct Named {
        const char* name;
        LONG minutes;
    };
    static const Named kNames[] = {{"UT", 0},     {"GMT", 0},    {"EST", -300}, {"EDT", -240}, {"CST", -360},
                                   {"CDT", -300}, {"MST", -420}, {"MDT", -360}, {"PST", -480}, {"PDT", -420}};
    for (const Named& named : kNames) {
        if (EqualsNoCase(word, named.name)) {
            *zone = named.minutes;
            return true;
        }
    }
    if (word.size() != 1)
        return false;
    char c = word[0];
    if (c == 'Z') {
        *zone = 0;
        return true;
    }
    if (c >= 'A' && c <= 'I') {
        *zone = -60 * (c - 'A' + 1);
        return true;
    }
    if (c >= 'K' && c <= 'M') {
        *zone = -60 * (c - 'K' + 10);
        return true;
    }
    if (c >= 'N' && c <= 'Y') {
        *zone = 60 * (c - 'N' + 1);
        return true;
    }
    return false;
}

int Fail(MimeBrokenDownTime* out, LONG* zone, char* zoneName, size_t zoneNameSize) {
    *out = MimeBrokenDownTime();
    *zone = 0;
    if (zoneName != nullptr && zoneNameSize != 0)
        zoneName[0] = '\0';
    return -1;
}

} // namespace

int ParseRfc822Date(const MimeString& text, MimeBrokenDownTime* out, LONG* zone, char* zoneName,
                    size_t zoneNameSize) {
    std::string_view all = text.view();
    size_t nul = all.find('\0');
    DateScanner s(nul == std::string_view::npos ? all : all.substr(0, nul));
    if (zoneName != nullptr && zoneNameSize != 0)
        zoneName[0] = '\0';

    int day = 0;
    if (!s.SkipTo(IsDigit) || !s.ReadNumber(2, &day) || day < 1 || day > 31)
        return Fail(out, zone, zoneName, zoneNameSize);

    auto monthLetter = [](char c) { return (c >= 'A' && c <= 'S') || (c >= 'a' && c <= 's'); };
    if (!s.SkipTo(monthLetter))
        return Fail(out, zone, zoneName, zoneNameSize);
    static const char* const kMonths[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                          "jul", "aug", "sep", "oct", "nov", "dec"};
    std::string_view word = s.Rest().substr(0, 3);
    int month = -1;
    for (int i = 0; i < 12; ++i)
        if (EqualsNoCase(word, kMonths[i]))
            month = i;
    if (month < 0)
        return Fail(out, zone, zoneName, zoneNameSize);
    s.Advance(3);

    int year = 0;
    if (!s.SkipTo(IsDigit) || !s.ReadNumber(4, &year))
        return Fail(out, zone, zoneName, zoneNameSize);
    if (year < 1900)
        year += 1900;

    int hour = 0;
    int minute = 0;
    int second = 0;
    if (!s.SkipTo(IsDigit) || !s.ReadNumber(2, &hour) || hour > 23)
        return Fail(out, zone, zoneName, zoneNameSize);
    if (!s.SkipTo([](char c) { return c == ':'; }))
        return Fail(out, zone, zoneName, zoneNameSize);
    s.Advance();
    if (!s.SkipTo(IsDigit) || !s.ReadNumber(2, &minute) || minute > 59)
        return Fail(out, zone, zoneName, zoneNameSize);
    auto zoneStart = [](char c) { return c == '+' || c == '-' || IsLetter(c); };
    s.SkipTo([&](char c) { return c == ':' || zoneStart(c); });
    if (s.Peek() == ':') {
        s.Advance();
        if (!s.SkipTo(IsDigit) || !s.ReadNumber(2, &second) || second > 59)
            return Fail(out, zone, zoneName, zoneNameSize);
        s.SkipTo(zoneStart);
    }
    if (s.AtEnd())
        return Fail(out, zone, zoneName, zoneNameSize);

    LONG offset = 0;
    char c = s.Peek();
    if (c == '+' || c == '-') {
        std::string_view digits = s.Rest().substr(1, 4);
        if (digits.size() != 4 || !IsDigit(digits[0]) || !IsDigit(digits[1]) || !IsDigit(digits[2]) ||
            !IsDigit(digits[3]))
            return Fail(out, zone, zoneName, zoneNameSize);
        LONG hh = (digits[0] - '0') * 10 + (digits[1] - '0');
        LONG mm = (digits[2] - '0') * 10 + (digits[3] - '0');
        offset = (c == '-' ? -1 : 1) * (hh * 60 + mm);
        s.Advance(5);
    } else {
        size_t length = 0;
        std::string_view rest = s.Rest();
        while (length < rest.size() && IsLetter(rest[length]))
            ++length;
        if (!ZoneByName(rest.substr(0, length), &offset))
            return Fail(out, zone, zoneName, zoneNameSize);
        s.Advance(length);
    }

    s.SkipTo([](char ch) { return ch != ' ' && ch != '\t' && ch != '\r' && ch != '\n'; });
    if (s.Peek() == '(' && zoneName != nullptr && zoneNameSize != 0) {
        std::string_view rest = s.Rest();
        size_t end = s.CommentEnd(s.Position()) - s.Position();
        std::string_view inner = rest.substr(1, end >= 2 && rest[end - 1] == ')' ? end - 2 : end - 1);
        size_t copied = inner.size() < zoneNameSize - 1 ? inner.size() : zoneNameSize - 1;
        std::memcpy(zoneName, inner.data(), copied);
        zoneName[copied] = '\0';
    }

    MimeBrokenDownTime result;
    result.tm_year = year - 1900;
    result.tm_mon = month;
    result.tm_mday = day;
    result.tm_hour = hour;
    result.tm_min = minute;
    result.tm_sec = second;
    LONGLONG jdn = DateToJdn(year, month + 1, day);
    result.tm_wday = static_cast<int>((jdn + 1) % 7);
    result.tm_yday = static_cast<int>(jdn - DateToJdn(year, 1, 1));
    *out = result;
    *zone = offset;
    return 0;
}
