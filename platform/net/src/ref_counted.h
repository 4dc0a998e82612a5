// Reference counting of the URL objects.
#pragma once

#include <atomic>

#include "wintypes.h"

namespace qx::net {

class RefCount {
public:
    ULONG Add() { return ++count_; }
    // True when the last reference went.
    ULONG Drop() { return --count_; }

private:
    std::atomic<ULONG> count_{1};
};

} // namespace qx::net
