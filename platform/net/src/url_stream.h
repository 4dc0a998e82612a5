// The stream that a blocking URL open hands out.
#pragma once

#include "byte_source.h"
#include "objidl.h"
#include "urlmon.h"

namespace qx::net {

// Takes the source; the callback, when given, hears OnProgress as the body is read.
IStream* MakeBlockingStream(std::unique_ptr<ByteSource> source, IBindStatusCallback* callback);

} // namespace qx::net
