// WABOpen: opens the book file the parameters name.
#include "book.h"
#include "wab_objects.h"

#include <qx/win32/file_paths.h>

#include <cstddef>

extern "C" [[gnu::visibility("default")]] HRESULT WABOpen(LPADRBOOK* lppAdrBook, LPWABOBJECT* lppWABObject,
                                                          LPWAB_PARAM lpWP, DWORD) {
    if (lppAdrBook == nullptr || lppWABObject == nullptr) {
        return MAPI_E_INVALID_PARAMETER;
    }
    *lppAdrBook = nullptr;
    *lppWABObject = nullptr;
    // Only the members the caller's size covers are read.
    constexpr std::size_t kNameEnd = offsetof(WAB_PARAM, szFileName) + sizeof(LPSTR);
    if (lpWP == nullptr || lpWP->cbSize < kNameEnd || lpWP->szFileName == nullptr) {
        return MAPI_E_NOT_FOUND;
    }
    std::string path = qx::win32::OsPathFromAnsi(lpWP->szFileName);
    if (path.empty()) {
        return MAPI_E_NOT_FOUND;
    }
    std::shared_ptr<qx::wab::Book> book;
    HRESULT hr = qx::wab::Book::Open(path, book);
    if (FAILED(hr)) {
        return hr;
    }
    return qx::wab::CreateBookObjects(std::move(book), lppAdrBook, lppWABObject);
}
