// A card of the book as the address book sees it: its MAPI properties, read from and written to
// vCard lines. Texts are kept as UTF-8 with "\n" line breaks.
#pragma once

#include "vcard_text.h"
#include "wabapi.h"

#include <string>
#include <vector>

namespace qx::wab {

struct Property {
    ULONG tag = 0;
    LONG number = 0;                  // PT_SHORT, PT_LONG, PT_BOOLEAN
    std::string text;                 // PT_STRING8
    std::vector<std::string> texts;   // PT_MV_STRING8
    std::vector<unsigned char> bytes; // PT_BINARY
};

// Whether a property of this type can be kept in a card.
bool IsStorableType(ULONG type);
// Whether the property carries nothing (an empty text, list or binary): such values are not
// written and read back as absent.
bool IsEmptyValue(const Property& property);

struct Card {
    unsigned serial = 0; // the session's number of the card, inside entry ids
    ULONG objectType = MAPI_MAILUSER;
    std::string uid; // UID value, as written or made for the session
    bool uidFromFile = false;
    std::string raw; // the card's bytes as read; empty once it must be written from its properties
    std::vector<std::string> memberLines; // MEMBER lines of a group, as read
    std::vector<std::string> keptLines;   // lines no property was read from, as read
    std::vector<Property> properties;     // at most one per property id

    const Property* Find(ULONG tag) const;
};

// The card a block of the file describes.
Card CardFromLines(const RawCard& raw);
// The card's text: its bytes as read when unchanged, else a vCard 4.0 of its properties.
std::string CardText(const Card& card);
// A fresh "urn:uuid:" identifier.
std::string NewUid();

} // namespace qx::wab
