// The calling thread's last-error code. GetLastError and SetLastError are defined with the
// error codes, in one slot per thread that every library of a component shares.
#pragma once

#include "winerror.h"
