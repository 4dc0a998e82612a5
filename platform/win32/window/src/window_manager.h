// The window system's side of the message queues (qx/win32/message_queue.h).
#pragma once

#include "wintypes.h"

namespace qx::win32::window {

struct Store;

// Installs the manager over the store (once, when the store is made).
void InstallWindowManager(Store& store);

} // namespace qx::win32::window
