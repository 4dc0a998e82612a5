#include "mime_names.h"

namespace {

struct NameEntry {
    const char* recognised;
    int number;
};

// Names written for the numbers 0.. (index = number).
const char* const kTypeNames[] = {"",      "Unknown", "Text",  "Multipart", "Message", "Application",
                                  "Image", "Audio",   "Video", "Model"};

const NameEntry kTypes[] = {
    {"text", 2},  {"multipart", 3}, {"message", 4}, {"application", 5},
    {"image", 6}, {"audio", 7},     {"video", 8},   {"model", 9},
};

const char* const kSubtypeNames[] = {
    "",
    "Unknown",
    "Plain",
    "Richtext",
    "Enriched",
    "HTML",
    "Mixed",
    "Alternative",
    "Digest",
    "Parallel",
    "Rfc822",
    "Partial",
    "External-body",
    "Postscript",
    "Octet-stream",
    "jpeg",
    "gif",
    "basic",
    "mpeg",
    "signed",
    "encrypted",
    "rfc822-headers",
    "report",
    "delivery-status",
    "related",
    "appledouble",
    "applefile",
};

const NameEntry kSubtypes[] = {
    {"plain", 2},
    {"richtext", 3},
    {"enriched", 4},
    {"html", 5},
    {"mixed", 6},
    {"alternative", 7},
    {"digest", 8},
    {"parallel", 9},
    {"rfc822", 10},
    {"partial", 11},
    {"external-body", 12},
    {"postscript", 13},
    {"octet-stream", 14},
    {"jpeg", 15},
    {"jpg", 15},
    {"gif", 16},
    {"basic", 17},
    {"mpeg", 18},
    {"signed", 19},
    {"encrypted", 20},
    {"rfc822-headers", 21},
    {"report", 22},
    {"delivery-status", 23},
    {"related", 24},
    {"appledouble", 25},
    {"applefile", 26},
};

const char* const kCteNames[] = {nullptr, nullptr, "7bit", "8bit", "binary", "quoted-printable", "base64"};

const NameEntry kCtes[] = {
    {"7bit", 2}, {"8bit", 3}, {"binary", 4}, {"quoted-printable", 5}, {"base64", 6},
};

template <size_t N>
int Lookup(const MimeString& text, const NameEntry (&table)[N]) {
    for (const NameEntry& entry : table)
        if (MimeCompareNoCase(text, entry.recognised) == 0)
            return entry.number;
    return 1;
}

template <size_t N>
void WriteName(int number, const char* const (&names)[N], MimeString& out) {
    if (number >= 0 && static_cast<size_t>(number) < N)
        out = names[number];
    else
        out = "Unknown";
}

} // namespace

int TypeStrToEnum(const MimeString& text) {
    return text.empty() ? 0 : Lookup(text, kTypes);
}

void TypeEnumToStr(int type, MimeString& out) {
    WriteName(type, kTypeNames, out);
}

int SubtypeStrToEnum(const MimeString& text) {
    return text.empty() ? 0 : Lookup(text, kSubtypes);
}

void SubtypeEnumToStr(int subtype, MimeString& out) {
    WriteName(subtype, kSubtypeNames, out);
}

int CteStrToEnum(const MimeString& text) {
    return text.empty() ? 1 : Lookup(text, kCtes);
}

void CteEnumToStr(int cte, MimeString& out) {
    if (cte >= 2 && cte <= 6)
        out = kCteNames[cte];
}
