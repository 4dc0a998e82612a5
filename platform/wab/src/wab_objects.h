// The objects WABOpen hands out: the WAB object (memory), the address book, its one container
// (the personal address book), contents tables and entries (mail users, distribution lists).
#pragma once

#include "book.h"

#include <qx/com/object.h>

#include <memory>

namespace qx::wab {

// Makes the address book and WAB object of an open book.
HRESULT CreateBookObjects(std::shared_ptr<Book> book, LPADRBOOK* addrBook, LPWABOBJECT* wabObject);

} // namespace qx::wab
