// The records a tree and its nodes share: a named colour entry, a named icon entry and a named
// connector-picture set.
#pragma once

#include <qx/com/bstr.h>
#include <qx/com/variant.h>

// Colour slots in the order the data and the properties use them.
enum TreeColor { kDefaultText, kDefaultBg, kSelectedText, kSelectedBg, kHotText, kHotBg, kColorCount };

// Icon slots: leaf default, leaf selected, branch default, branch selected.
enum TreeIcon { kLeafDefault, kLeafSelected, kBranchDefault, kBranchSelected, kIconCount };

struct ColorEntry {
    qx::com::Bstr name;
    qx::com::Variant colors[kColorCount];
};

struct IconEntry {
    qx::com::Bstr name;
    qx::com::Bstr paths[kIconCount];
};

// Connector pictures; slot = 8 x leaf + 4 x expanded + position.
struct HeritageSet {
    qx::com::Bstr name;
    qx::com::Bstr blank;
    qx::com::Bstr vertLine;
    qx::com::Bstr slots[16];
};
