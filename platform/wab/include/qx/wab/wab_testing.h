// Test entry points of the address-book library, found by name in libqxwab.so. The components
// never call them.
#pragma once

#include "wintypes.h"

extern "C" {
// The next GetContentsTable fails.
using PFN_WABTestFailNextContentsTable = void (*)();
// The n-th OpenEntry of a mail user from now (1 is the next one) fails; 0 cancels.
using PFN_WABTestFailMailUserOpen = void (*)(ULONG n);
// The next SaveChanges fails.
using PFN_WABTestFailNextSave = void (*)();
// The buffers AllocateBuffer and AllocateMore gave that are not freed yet.
using PFN_WABTestOutstandingBuffers = LONG (*)();
}
