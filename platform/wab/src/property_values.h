// The property values an entry of the book answers GetProps and table rows with.
#pragma once

#include "book.h"

#include <memory>

namespace qx::wab {

// The values of `tags` (all of them for null: PR_ENTRYID once the card is saved, PR_OBJECT_TYPE
// and the card's properties) in one block from AllocateBlock; asked tags the card lacks are
// PT_ERROR values and the result MAPI_W_ERRORS_RETURNED.
HRESULT BuildValues(const std::shared_ptr<Book>& book, const Card& card, const SPropTagArray* tags,
                    ULONG* count, LPSPropValue* values);

} // namespace qx::wab
