// The charset of a page: code pages of charset labels, and the charset a page names for itself
// in a META tag.
#pragma once

#include <oleauto.h>

#include <string>
#include <string_view>

// The code page of a charset label (any case, blanks around it ignored); 0 for a label the
// converter does not know or the system cannot convert.
UINT CodePageOfCharset(std::string_view label);

// The charset named by the page's first <meta charset> or <meta http-equiv="Content-Type">
// before its body; "" when there is none.
std::string MetaCharset(std::string_view html);
