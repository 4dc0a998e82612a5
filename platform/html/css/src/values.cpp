#include "qx/html/css/values.h"

#include "qx/html/css/colors.h"
#include "text.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace qx::html::css {
namespace {

constexpr std::u16string_view kUnits = u"px pt pc in cm mm em ex %";
constexpr std::size_t kMaxNumberLength = 32;

} // namespace

std::optional<Length> ParseLength(std::u16string_view text) {
    text = detail::Trim(text);
    std::size_t i = 0;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+'))
        ++i;
    bool digits = false, dot = false;
    for (; i < text.size(); ++i) {
        if (detail::IsDigit(text[i]))
            digits = true;
        else if (text[i] == u'.' && !dot)
            dot = true;
        else
            break;
    }
    if (!digits || i > kMaxNumberLength)
        return std::nullopt;
    std::string number;
    for (std::size_t k = 0; k < i; ++k)
        number.push_back(static_cast<char>(text[k]));
    Length length;
    length.number = std::strtod(number.c_str(), nullptr);
    length.unit = detail::ToLower(text.substr(i));
    if (!length.unit.empty() && !detail::InWordList(kUnits, length.unit))
        return std::nullopt;
    return length;
}

std::u16string FormatNumber(double number) {
    if (!std::isfinite(number))
        number = 0;
    char buffer[512]; // the longest double in fixed notation fits
    std::snprintf(buffer, sizeof buffer, "%.4f", number);
    std::string text = buffer;
    while (text.back() == '0')
        text.pop_back();
    if (text.back() == '.')
        text.pop_back();
    if (text == "-0")
        text = "0";
    return detail::FromAscii(text);
}

std::optional<std::u16string> CanonicalValue(const PropertyInfo& property, std::u16string_view value) {
    std::u16string text = detail::CollapseSpaces(value);
    if (text.empty())
        return std::nullopt;
    if (detail::EqualsNoCase(text, u"inherit"))
        return std::u16string(u"inherit");
    switch (property.kind) {
    case ValueKind::Text:
    case ValueKind::Shorthand:
        return text;
    case ValueKind::Keyword:
        if (!property.keywords.empty() && !detail::InWordList(property.keywords, text))
            return std::nullopt;
        return detail::ToLower(text);
    case ValueKind::Color:
        if (!IsColorValue(text))
            return std::nullopt;
        return CanonicalColorValue(text);
    case ValueKind::Number: {
        if (detail::InWordList(property.keywords, text))
            return detail::ToLower(text);
        auto length = ParseLength(text);
        if (!length || !length->unit.empty() || length->number != std::trunc(length->number) ||
            std::fabs(length->number) > std::numeric_limits<int>::max())
            return std::nullopt;
        return FormatNumber(length->number);
    }
    case ValueKind::Length: {
        if (detail::InWordList(property.keywords, text))
            return detail::ToLower(text);
        auto length = ParseLength(text);
        if (!length)
            return std::nullopt;
        if (length->unit.empty() && property.id != Prop::lineHeight)
            length->unit = u"px";
        return FormatNumber(length->number) + length->unit;
    }
    }
    return std::nullopt;
}

long ToPixels(std::u16string_view value) {
    auto length = ParseLength(value);
    if (!length)
        return 0;
    double perUnit = 1;
    const std::u16string& u = length->unit;
    if (u == u"pt")
        perUnit = 96.0 / 72;
    else if (u == u"pc")
        perUnit = 16;
    else if (u == u"in")
        perUnit = 96;
    else if (u == u"cm")
        perUnit = 96 / 2.54;
    else if (u == u"mm")
        perUnit = 96 / 25.4;
    else if (u == u"em")
        perUnit = 16;
    else if (u == u"ex")
        perUnit = 8;
    else if (u == u"%")
        return 0;
    double pixels = length->number * perUnit + (length->number < 0 ? -1e-9 : 1e-9);
    if (std::fabs(pixels) >= static_cast<double>(std::numeric_limits<long>::max() / 2))
        return 0;
    // Pixels and points round as layout rounds them; the other units truncate.
    if (u.empty() || u == u"px" || u == u"pt")
        return std::lround(pixels);
    return static_cast<long>(std::trunc(pixels));
}

double PosValue(std::u16string_view value) {
    auto length = ParseLength(value);
    return length ? length->number : 0;
}

std::u16string WithPosValue(std::u16string_view old, double number) {
    auto length = ParseLength(old);
    std::u16string unit = length && !length->unit.empty() ? length->unit : u"px";
    return FormatNumber(number) + unit;
}

} // namespace qx::html::css
