// The frame of a property sheet as an in-memory extended dialog template: a tab control over the
// pages' area and the OK, Cancel and Apply buttons under it.
#pragma once

#include <string>
#include <vector>

#include "wintypes.h"

namespace qx::win32::commctrl {

struct SheetFrame {
    std::u16string caption;
    DWORD style = 0;
    short pageWidth = 0; // dialog units: the largest page
    short pageHeight = 0;
    bool applyButton = true;
};

// WORD-aligned template bytes, ready for CreateDialogIndirectParam.
std::vector<WORD> BuildSheetTemplate(const SheetFrame& frame);

} // namespace qx::win32::commctrl
