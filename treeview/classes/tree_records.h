// The records a tree and its nodes share: a named colour entry, a named icon entry and a named
// connector-picture set.
#pragma once

#include <qx/com/bstr.h>
#include <qx/com/variant.h>

// Colour slots in the order the data and the properties use them.
enum TreeColor { kDefaultText, kDefaultBg, kSelectedText, kSelectedBg, kHotText, kHotBg, kColorCount };

// Icon slots: leaf default, leaf selected, branch default, branch selected.
enum TreeIcon { kLeafDefault, kLeafSelected, kBranchDefault, kBranchSelected, kIconCount };

// The data's element names of the colour and icon slots, in slot order.
inline constexpr const char16_t* kColorElements[kColorCount] = {
    u"DEFAULTTEXTCOLOR", u"DEFAULTBGCOLOR",       u"SELECTEDTEXTCOLOR",
    u"SELECTEDBGCOLOR",  u"HOTTRACKINGTEXTCOLOR", u"HOTTRACKINGBGCOLOR"};
inline constexpr const char16_t* kIconElements[kIconCount] = {u"LEAFDEFAULTICON", u"LEAFSELECTEDICON",
                                                              u"BRANCHDEFAULTICON", u"BRANCHSELECTEDICON"};

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
