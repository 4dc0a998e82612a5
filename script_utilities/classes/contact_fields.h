// The thirty contact fields ContactIO moves, in the order of the contact documents, and the text
// a property value shows in them.
#pragma once

#include <wabapi.h>

#include <string>

struct ContactField {
    const char* name; // the element name, PR_<name>
    ULONG propTag;
};

const ContactField* ContactFields();
inline constexpr int kContactFieldCount = 30;

// Integer types as "%d", 8-bit strings as they are, binary values "Binary data", multi-valued
// strings joined with CR LF, anything else "Unrecognized or undisplayable data".
std::string PropValueToString(const SPropValue& value);
