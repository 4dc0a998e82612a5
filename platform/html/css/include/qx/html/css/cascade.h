// An element's current style: for each property, the runtime style over the inline style over the
// rules of the enabled style sheets (important declarations first, then specificity, then the later
// rule), then the tag's defaults, then the parent's value for the properties that inherit, then the
// property's initial value. Values come as currentStyle gives them: colours "#rrggbb", font weights
// as numbers ("700"), a shorthand put together from its longhands.
#pragma once

#include "qx/html/css/properties.h"

#include <string>

namespace qx::html::css {

class StyleOwner;

std::u16string CurrentValue(StyleOwner& element, Prop p);
// The tag's default for a property ("" when the tag has none); tag in upper case.
std::u16string_view TagDefault(std::u16string_view tag, Prop p);
// The value a property has where nothing sets it.
std::u16string_view InitialValue(Prop p);

} // namespace qx::html::css
