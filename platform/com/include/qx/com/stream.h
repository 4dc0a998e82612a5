// Memory streams beyond CreateStreamOnHGlobal: one made from bytes, and the bytes of one.
#pragma once

#include "objidl.h"

#include <vector>

namespace qx::com {

// A memory stream holding a copy of the bytes, positioned at the start.
HRESULT CreateMemoryStream(const void* data, std::size_t size, IStream** out);
// Every byte of a stream made by CreateStreamOnHGlobal or CreateMemoryStream (independent of
// its seek position); E_INVALIDARG for any other stream.
HRESULT GetMemoryStreamBytes(IStream* stream, std::vector<BYTE>& bytes);

} // namespace qx::com
