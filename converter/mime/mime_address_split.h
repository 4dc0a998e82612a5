// Cuts the text of an address or mailbox list into the texts of its addresses.
#pragma once

#include "mime_string.h"

#include <vector>

struct MimeAddressText {
    MimeString text;
    bool isGroup;
};

// An address ends at a "," outside angle brackets and, when groups are allowed,
// outside a group; a ":" outside brackets makes the address a group that runs
// to the next ";". Empty address texts are left out.
std::vector<MimeAddressText> SplitMimeAddresses(const MimeString& text, bool allowGroups);
