// Window-system declarations the controls' headers rely on.
#pragma once

#include "wintypes.h"
#include "winuser_message.h"

struct NMHDR {
    HWND hwndFrom;
    UINT_PTR idFrom;
    UINT code;
};
using LPNMHDR = NMHDR*;
