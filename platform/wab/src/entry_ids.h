// Entry ids of a book: 4 zero flag bytes, the book's token and the card's session number
// (0 for the personal address book container).
#pragma once

#include "wabapi.h"

namespace qx::wab {

inline constexpr ULONG kEntryIdSize = 16;

// A new block (free with FreeBlock) or one linked to `parent`.
HRESULT MakeEntryId(unsigned long long token, unsigned serial, LPVOID parent, ULONG* size, LPENTRYID* id);
// The card number in an id of the book with `token`; false for any other bytes.
bool ReadEntryId(unsigned long long token, ULONG size, const ENTRYID* id, unsigned& serial);

} // namespace qx::wab
