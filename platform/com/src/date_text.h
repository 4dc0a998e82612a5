// Internal: DATE values to calendar parts and to and from their text form.
#pragma once

#include <string>
#include <string_view>

namespace qx::com::detail {

struct DateParts {
    int year;
    unsigned month, day, dayOfWeek, hour, minute, second, millisecond;
    long long serialDay; // whole days from 30 December 1899 after rounding to the second
};

// False outside 1 January 100 .. 31 December 9999.
bool DateToParts(double date, DateParts& parts);
// Empty when the date is out of range.
std::u16string FormatDate(double date);
bool ParseDate(std::u16string_view text, double& out);

} // namespace qx::com::detail
