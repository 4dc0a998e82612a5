// DATE values: days since 30 December 1899 with the time of day as the fraction; for a date before
// that day the fraction still counts forward from midnight (-1.25 is 29 December 1899, 6:00 AM).
//
// Text form (one invariant form, whatever the LCID): "M/D/YYYY h:mm:ss AM" — the date alone when
// the time is midnight, the time alone when the date is 30 December 1899. Parsing accepts
// "M/D/Y" (a year of one or two digits: 0-29 are 2000-2029, 30-99 are 1930-1999; of three or four
// digits: that year), "YYYY-MM-DD", each optionally
// followed by a time "h:mm" or "h:mm:ss" with an optional AM/PM, or a time alone.
#include "date_text.h"
#include "oleauto.h"

#include <cmath>
#include <cstdio>
#include <string>

namespace {

constexpr double kMinDate = -657434.0;        // 1 January 100
constexpr double kMaxDate = 2958465.99999999; // 31 December 9999, 23:59:59

long long DaysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

void CivilFromDays(long long z, int& y, unsigned& m, unsigned& d) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long yy = static_cast<long long>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = static_cast<int>(yy + (m <= 2));
}

const long long kEpoch = DaysFromCivil(1899, 12, 30);

bool IsLeap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

unsigned DaysInMonth(int y, unsigned m) {
    static constexpr unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

bool MakeDate(int year, unsigned month, unsigned day, long seconds, double& out) {
    if (year < 100 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month))
        return false;
    if (seconds < 0 || seconds >= 86400)
        return false;
    long long serial = DaysFromCivil(year, month, day) - kEpoch;
    double frac = seconds / 86400.0;
    out = serial >= 0 ? static_cast<double>(serial) + frac : static_cast<double>(serial) - frac;
    return true;
}

} // namespace

namespace qx::com::detail {

bool DateToParts(double date, DateParts& parts) {
    if (!(date >= kMinDate && date <= kMaxDate + 1e-9))
        return false;
    double whole = std::trunc(date);
    double frac = std::fabs(date - whole);
    long long day = static_cast<long long>(whole);
    long long secs = std::llround(frac * 86400.0);
    if (secs >= 86400) {
        // Rounding up to midnight moves to the next day, except past the last one there is.
        if (day >= static_cast<long long>(kMaxDate)) {
            secs = 86399;
        } else {
            secs = 0;
            ++day;
        }
    }
    int y;
    unsigned m, d;
    CivilFromDays(day + kEpoch, y, m, d);
    parts.year = y;
    parts.month = m;
    parts.day = d;
    parts.dayOfWeek = static_cast<unsigned>(((day + kEpoch) % 7 + 7 + 4) % 7); // 1970-01-01 was a Thursday
    parts.hour = static_cast<unsigned>(secs / 3600);
    parts.minute = static_cast<unsigned>(secs / 60 % 60);
    parts.second = static_cast<unsigned>(secs % 60);
    parts.millisecond = 0;
    parts.serialDay = day;
    return true;
}

std::u16string FormatDate(double date) {
    DateParts p;
    if (!DateToParts(date, p))
        return {};
    char buffer[64];
    std::string text;
    bool hasTime = p.hour || p.minute || p.second;
    if (p.serialDay != 0 || !hasTime) {
        std::snprintf(buffer, sizeof buffer, "%u/%u/%d", p.month, p.day, p.year);
        text = buffer;
    }
    if (hasTime) {
        unsigned h12 = p.hour % 12 == 0 ? 12 : p.hour % 12;
        std::snprintf(buffer, sizeof buffer, "%u:%02u:%02u %s", h12, p.minute, p.second,
                      p.hour < 12 ? "AM" : "PM");
        if (!text.empty())
            text += ' ';
        text += buffer;
    }
    return std::u16string(text.begin(), text.end());
}

bool ParseDate(std::u16string_view text, double& out) {
    std::size_t pos = 0;
    auto skipSpaces = [&] {
        while (pos < text.size() && (text[pos] == u' ' || text[pos] == u'\t'))
            ++pos;
    };
    auto number = [&](int maxDigits, long& value, int& digits) {
        value = 0;
        digits = 0;
        while (pos < text.size() && text[pos] >= u'0' && text[pos] <= u'9' && digits < maxDigits) {
            value = value * 10 + (text[pos] - u'0');
            ++pos;
            ++digits;
        }
        return digits > 0 && !(pos < text.size() && text[pos] >= u'0' && text[pos] <= u'9');
    };
    skipSpaces();
    std::size_t start = pos;
    long a = 0, b = 0, c = 0;
    int da = 0, db = 0, dc = 0;
    int year = 1899;
    unsigned month = 12, day = 30;
    bool haveDate = false;
    if (number(4, a, da) && pos < text.size() && (text[pos] == u'/' || text[pos] == u'-')) {
        char16_t sep = text[pos++];
        if (!number(4, b, db) || pos >= text.size() || text[pos] != sep)
            return false;
        ++pos;
        if (!number(4, c, dc))
            return false;
        if (sep == u'-') { // YYYY-MM-DD
            if (da != 4)
                return false;
            year = static_cast<int>(a), month = static_cast<unsigned>(b), day = static_cast<unsigned>(c);
        } else { // M/D/Y
            if (da > 2 || db > 2)
                return false;
            month = static_cast<unsigned>(a), day = static_cast<unsigned>(b);
            year = static_cast<int>(dc <= 2 ? (c < 30 ? 2000 + c : 1900 + c) : c);
        }
        haveDate = true;
        skipSpaces();
    } else {
        pos = start;
    }
    long seconds = 0;
    if (pos < text.size()) {
        long h = 0, mi = 0, s = 0;
        int dh = 0, dm = 0, ds = 0;
        if (!number(2, h, dh) || pos >= text.size() || text[pos] != u':')
            return false;
        ++pos;
        if (!number(2, mi, dm) || dm != 2)
            return false;
        if (pos < text.size() && text[pos] == u':') {
            ++pos;
            if (!number(2, s, ds) || ds != 2)
                return false;
        }
        skipSpaces();
        if (pos + 2 <= text.size()) {
            char16_t x = text[pos] | 0x20, y = text[pos + 1] | 0x20;
            if ((x == u'a' || x == u'p') && y == u'm') {
                if (h < 1 || h > 12)
                    return false;
                h = h % 12 + (x == u'p' ? 12 : 0);
                pos += 2;
                skipSpaces();
            }
        }
        if (h > 23 || mi > 59 || s > 59)
            return false;
        seconds = h * 3600 + mi * 60 + s;
    } else if (!haveDate) {
        return false;
    }
    if (pos != text.size())
        return false;
    return MakeDate(year, month, day, seconds, out);
}

} // namespace qx::com::detail

INT SystemTimeToVariantTime(const SYSTEMTIME* st, DOUBLE* pvtime) {
    if (!st || !pvtime)
        return FALSE;
    if (st->wHour > 23 || st->wMinute > 59 || st->wSecond > 59)
        return FALSE;
    double value = 0;
    if (!MakeDate(st->wYear, st->wMonth, st->wDay, st->wHour * 3600L + st->wMinute * 60L + st->wSecond,
                  value))
        return FALSE;
    *pvtime = value;
    return TRUE;
}

INT VariantTimeToSystemTime(DOUBLE vtime, SYSTEMTIME* st) {
    qx::com::detail::DateParts p;
    if (!st || !qx::com::detail::DateToParts(vtime, p))
        return FALSE;
    st->wYear = static_cast<WORD>(p.year);
    st->wMonth = static_cast<WORD>(p.month);
    st->wDay = static_cast<WORD>(p.day);
    st->wDayOfWeek = static_cast<WORD>(p.dayOfWeek);
    st->wHour = static_cast<WORD>(p.hour);
    st->wMinute = static_cast<WORD>(p.minute);
    st->wSecond = static_cast<WORD>(p.second);
    st->wMilliseconds = 0;
    return TRUE;
}

HRESULT VarDateFromStr(LPCOLESTR strIn, LCID, ULONG, DATE* pdateOut) {
    if (!strIn || !pdateOut)
        return E_INVALIDARG;
    std::u16string_view text(strIn);
    double value = 0;
    if (!qx::com::detail::ParseDate(text, value))
        return DISP_E_TYPEMISMATCH;
    *pdateOut = value;
    return S_OK;
}

HRESULT VarBstrFromDate(DATE dateIn, LCID, ULONG, BSTR* pbstrOut) {
    if (!pbstrOut)
        return E_INVALIDARG;
    std::u16string text = qx::com::detail::FormatDate(dateIn);
    if (text.empty())
        return DISP_E_OVERFLOW;
    *pbstrOut = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *pbstrOut ? S_OK : E_OUTOFMEMORY;
}
