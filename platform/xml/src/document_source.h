// Reading what load() is given: a local path (through the file API), a file:, res: or http(s): URL
// (through the platform's URL streams), or an IStream. Other URL schemes are refused.
#pragma once

#include "oaidl.h"

#include <cstddef>
#include <string>

namespace qx::xml {

// S_OK with the bytes; a failure HRESULT when the source cannot be read. At most `limit` + 1 bytes
// are read, so the caller can tell that a source is too large.
HRESULT ReadSourceText(const std::u16string& source, std::size_t limit, std::string* bytes);
HRESULT ReadSourceStream(IUnknown* stream, std::size_t limit, std::string* bytes);

// Writes bytes to a local path (created or replaced).
HRESULT WriteFileBytes(const std::u16string& path, const std::string& bytes);

} // namespace qx::xml
