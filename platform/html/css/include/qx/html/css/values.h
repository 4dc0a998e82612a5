// Property values: checking and writing a longhand's value the way the browser keeps it, and the
// numeric views of lengths (`pixelWidth`, `posWidth`).
#pragma once

#include "qx/html/css/properties.h"

#include <optional>
#include <string>
#include <string_view>

namespace qx::html::css {

struct Length {
    double number = 0;
    std::u16string unit; // lower case: px, pt, pc, in, cm, mm, em, ex, %; empty for a bare number
};

// "12.5pt" -> {12.5, "pt"}; nothing for text that is no number with a known unit.
std::optional<Length> ParseLength(std::u16string_view text);
// The value as the browser keeps it for a longhand, or nothing when the property refuses it:
// keywords in lower case, a bare number given a "px" (a whole number for z-index, unchanged for
// line-height), colours in their canonical form, text as written with its spaces collapsed.
std::optional<std::u16string> CanonicalValue(const PropertyInfo& property, std::u16string_view value);
// The value in whole pixels as layout takes it: pixels and points (4/3 pixel) rounded to the
// nearest, other units truncated at 96 pixels to the inch and an em of 16 pixels; 0 for keywords,
// percentages and text that is no length.
long ToPixels(std::u16string_view value);
// The number of a length in its own unit; 0 for what is no length.
double PosValue(std::u16string_view value);
// The value with this number in place of the old one, keeping the old value's unit ("px" when it
// had none).
std::u16string WithPosValue(std::u16string_view old, double number);
// A number as the browser writes it: no exponent, no trailing zeros ("2.5", "-3", "0.125").
std::u16string FormatNumber(double number);

} // namespace qx::html::css
