// Property values between the book's cards and the SPropValue structures of the interface.
#pragma once

#include "contact_card.h"

namespace qx::wab {

// Text values are refused past this size, so that every card line stays within the reader's limit.
inline constexpr std::size_t kMaxValueBytes = 96u * 1024u;

// Fills `out` with the property; its texts and bytes go in blocks linked to `parent`.
HRESULT FillValue(const Property& property, LPVOID parent, SPropValue& out);
// The card property of an interface value; the failure's code otherwise (for a problem array).
SCODE ReadValue(const SPropValue& in, Property& out);

} // namespace qx::wab
