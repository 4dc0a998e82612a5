// The memory the address book hands out: a block from AllocateBuffer owns the blocks that
// AllocateMore links to it, and FreeBuffer of the first frees them all.
#pragma once

#include "wabapi.h"

namespace qx::wab {

HRESULT AllocateBlock(ULONG size, LPVOID* buffer);
HRESULT AllocateLinked(ULONG size, LPVOID parent, LPVOID* buffer);
// Frees a block from AllocateBlock and its linked blocks; null is accepted.
HRESULT FreeBlock(LPVOID buffer);

// A copy of the bytes in a block linked to `parent`; null when memory runs out.
char* CopyLinked(LPVOID parent, const void* bytes, ULONG size, bool terminate);

} // namespace qx::wab
