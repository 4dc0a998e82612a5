#include "contact_card.h"

#include "base64_bytes.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>

namespace qx::wab {
namespace {

constexpr ULONG String8(ULONG id) {
    return PROP_TAG(PT_STRING8, id);
}

// A line we write from properties: its head, the empty components before the first field, the
// fields (property ids) and the empty components after them.
struct OutputLine {
    const char* head;
    int leadingEmpty;
    std::array<ULONG, 5> ids; // 0 ends the list
    int trailingEmpty;
};

// In the order of their first field.
constexpr OutputLine kOutputLines[] = {
    {"N", 0, {0x3A11, 0x3A06, 0x3A44, 0x3A45}, 1},
    {"NICKNAME", 0, {0x3A4F}, 0},
    {"EMAIL", 0, {0x3003}, 0},
    {"ADR;TYPE=home", 2, {0x3A5D, 0x3A59, 0x3A5C, 0x3A5B, 0x3A5A}, 0},
    {"TEL;TYPE=home,voice", 0, {0x3A09}, 0},
    {"TEL;TYPE=home,fax", 0, {0x3A25}, 0},
    {"TEL;TYPE=cell", 0, {0x3A1C}, 0},
    {"URL;TYPE=home", 0, {0x3A50}, 0},
    {"ADR;TYPE=work", 2, {0x3A29, 0x3A27, 0x3A28, 0x3A2A, 0x3A26}, 0},
    {"ORG", 0, {0x3A16, 0x3A18}, 0},
    {"TITLE", 0, {0x3A17}, 0},
    {"TEL;TYPE=work,voice", 0, {0x3A08}, 0},
    {"TEL;TYPE=work,fax", 0, {0x3A24}, 0},
    {"TEL;TYPE=pager", 0, {0x3A21}, 0},
    {"RELATED;TYPE=spouse;VALUE=text", 0, {0x3A48}, 0},
    {"NOTE", 0, {0x3004}, 0},
};

// Whether the tag is written by a standard line (FN included).
bool IsStandardTag(ULONG tag) {
    if (tag == PR_DISPLAY_NAME) {
        return true;
    }
    for (const OutputLine& line : kOutputLines) {
        for (ULONG id : line.ids) {
            if (id != 0 && String8(id) == tag) {
                return true;
            }
        }
    }
    return false;
}

bool IsComputed(ULONG tag) {
    return PROP_ID(tag) == PROP_ID(PR_ENTRYID) || PROP_ID(tag) == PROP_ID(PR_OBJECT_TYPE);
}

struct Candidate {
    int preference = 101;
    std::string text;
};

// Offers a field's value; the lowest preference wins, the first among equals.
void Offer(std::map<ULONG, Candidate>& found, ULONG id, std::string text, int preference, bool& used) {
    if (text.empty()) {
        return;
    }
    used = true;
    auto it = found.find(id);
    if (it == found.end() || preference < it->second.preference) {
        found[id] = Candidate{preference, std::move(text)};
    }
}

void OfferComponents(std::map<ULONG, Candidate>& found, const ContentLine& line, std::size_t first,
                     std::initializer_list<ULONG> ids, bool& used) {
    std::vector<std::string> parts = SplitUnescaped(line.value, ';');
    std::size_t i = first;
    for (ULONG id : ids) {
        if (i < parts.size()) {
            Offer(found, id, UnescapeText(parts[i]), Preference(line), used);
        }
        ++i;
    }
}

ULONG TelephoneField(const ContentLine& line) {
    auto has = [&](const char* type) { return HasParameterValue(line, "TYPE", type); };
    if (has("fax")) {
        return has("work") ? 0x3A24 : 0x3A25;
    }
    if (has("cell")) {
        return 0x3A1C;
    }
    if (has("pager")) {
        return 0x3A21;
    }
    return has("work") ? 0x3A08 : 0x3A09;
}

bool HasType(const ContentLine& line) {
    return std::any_of(line.parameters.begin(), line.parameters.end(),
                       [](const Parameter& p) { return p.name == "TYPE"; });
}

// Reads a standard line's fields; false when the line gives none.
bool ReadStandardLine(std::map<ULONG, Candidate>& found, const ContentLine& line) {
    bool used = false;
    const std::string& n = line.name;
    int preference = Preference(line);
    if (n == "N") {
        OfferComponents(found, line, 0, {0x3A11, 0x3A06, 0x3A44, 0x3A45}, used);
    } else if (n == "FN") {
        Offer(found, 0x3001, UnescapeText(line.value), preference, used);
    } else if (n == "NICKNAME") {
        Offer(found, 0x3A4F, UnescapeText(line.value), preference, used);
    } else if (n == "EMAIL") {
        Offer(found, 0x3003, UnescapeText(line.value), preference, used);
    } else if (n == "TITLE") {
        Offer(found, 0x3A17, UnescapeText(line.value), preference, used);
    } else if (n == "NOTE") {
        Offer(found, 0x3004, UnescapeText(line.value), preference, used);
    } else if (n == "ADR") {
        if (HasParameterValue(line, "TYPE", "home")) {
            OfferComponents(found, line, 2, {0x3A5D, 0x3A59, 0x3A5C, 0x3A5B, 0x3A5A}, used);
        } else {
            OfferComponents(found, line, 2, {0x3A29, 0x3A27, 0x3A28, 0x3A2A, 0x3A26}, used);
        }
    } else if (n == "TEL") {
        Offer(found, TelephoneField(line), UnescapeText(line.value), preference, used);
    } else if (n == "URL") {
        if (!HasType(line) || HasParameterValue(line, "TYPE", "home")) {
            Offer(found, 0x3A50, UnescapeText(line.value), preference, used);
        }
    } else if (n == "ORG") {
        OfferComponents(found, line, 0, {0x3A16, 0x3A18}, used);
    } else if (n == "RELATED") {
        if (HasParameterValue(line, "TYPE", "spouse")) {
            Offer(found, 0x3A48, UnescapeText(line.value), preference, used);
        }
    }
    return used;
}

// The tag of an "X-MAPI-<8 hex digits>" name; 0 for any other name.
ULONG ExtraTag(const std::string& name) {
    constexpr std::string_view prefix = "X-MAPI-";
    if (name.size() != prefix.size() + 8 || !name.starts_with(prefix)) {
        return 0;
    }
    ULONG tag = 0;
    for (char c : std::string_view(name).substr(prefix.size())) {
        int digit = (c >= '0' && c <= '9') ? c - '0' : (c >= 'A' && c <= 'F') ? c - 'A' + 10 : -1;
        if (digit < 0) {
            return 0;
        }
        tag = tag << 4 | static_cast<ULONG>(digit);
    }
    return tag;
}

bool ParseNumber(const std::string& text, LONG low, LONG high, LONG& number) {
    if (text.empty()) {
        return false;
    }
    errno = 0;
    char* end = nullptr;
    long long n = std::strtoll(text.c_str(), &end, 10);
    if (errno != 0 || *end != 0 || n < low || n > high || std::isspace(static_cast<unsigned char>(text[0]))) {
        return false;
    }
    number = static_cast<LONG>(n);
    return true;
}

// The property an X-MAPI line carries; false when its value does not fit its type.
bool DecodeExtra(ULONG tag, const std::string& value, Property& property) {
    property.tag = tag;
    switch (PROP_TYPE(tag)) {
    case PT_STRING8:
        property.text = UnescapeText(value);
        return true;
    case PT_SHORT:
        return ParseNumber(value, -32768, 32767, property.number);
    case PT_LONG:
        return ParseNumber(value, INT32_MIN, INT32_MAX, property.number);
    case PT_BOOLEAN:
        if (value == "TRUE" || value == "FALSE") {
            property.number = value == "TRUE";
            return true;
        }
        return false;
    case PT_BINARY:
        if (auto bytes = DecodeBase64(value)) {
            property.bytes = std::move(*bytes);
            return true;
        }
        return false;
    case PT_MV_STRING8:
        for (const std::string& piece : SplitUnescaped(value, ',')) {
            property.texts.push_back(UnescapeText(piece));
        }
        return true;
    default:
        return false;
    }
}

std::string EncodeExtra(const Property& property) {
    switch (PROP_TYPE(property.tag)) {
    case PT_STRING8:
        return EscapeText(property.text);
    case PT_SHORT:
    case PT_LONG:
        return std::to_string(property.number);
    case PT_BOOLEAN:
        return property.number ? "TRUE" : "FALSE";
    case PT_BINARY:
        return EncodeBase64(property.bytes);
    case PT_MV_STRING8: {
        std::string text;
        for (std::size_t i = 0; i < property.texts.size(); ++i) {
            text += (i ? "," : "") + EscapeText(property.texts[i]);
        }
        return text;
    }
    default:
        return std::string();
    }
}

std::string TextOf(const Card& card, ULONG id) {
    const Property* p = card.Find(String8(id));
    return p ? p->text : std::string();
}

} // namespace

bool IsStorableType(ULONG type) {
    return type == PT_STRING8 || type == PT_SHORT || type == PT_LONG || type == PT_BOOLEAN ||
           type == PT_BINARY || type == PT_MV_STRING8;
}

bool IsEmptyValue(const Property& property) {
    switch (PROP_TYPE(property.tag)) {
    case PT_STRING8:
        return property.text.empty();
    case PT_BINARY:
        return property.bytes.empty();
    case PT_MV_STRING8:
        return property.texts.empty() || (property.texts.size() == 1 && property.texts[0].empty());
    default:
        return false;
    }
}

const Property* Card::Find(ULONG tag) const {
    for (const Property& p : properties) {
        if (p.tag == tag) {
            return &p;
        }
    }
    return nullptr;
}

Card CardFromLines(const RawCard& raw) {
    Card card;
    card.raw = raw.raw;
    std::map<ULONG, Candidate> found;
    std::vector<Property> extras;
    for (const ContentLine& line : raw.lines) {
        const std::string& n = line.name;
        if (n == "VERSION") {
            continue;
        }
        if (n == "KIND") {
            card.objectType = UnescapeText(line.value) == "group" || UnescapeText(line.value) == "GROUP"
                                  ? MAPI_DISTLIST
                                  : MAPI_MAILUSER;
            continue;
        }
        if (n == "UID" && card.uid.empty() && !line.value.empty()) {
            card.uid = line.value;
            card.uidFromFile = true;
            continue;
        }
        if (n == "MEMBER") {
            card.memberLines.push_back(line.unfolded);
            continue;
        }
        if (ReadStandardLine(found, line)) {
            continue;
        }
        ULONG tag = ExtraTag(n);
        Property extra;
        if (tag != 0 && IsStorableType(PROP_TYPE(tag)) && !IsComputed(tag) && !found.count(PROP_ID(tag)) &&
            DecodeExtra(tag, line.value, extra) && !IsEmptyValue(extra)) {
            extras.push_back(std::move(extra));
            continue;
        }
        card.keptLines.push_back(line.unfolded);
    }
    for (auto& [id, candidate] : found) {
        Property p;
        p.tag = String8(id);
        p.text = std::move(candidate.text);
        card.properties.push_back(std::move(p));
    }
    // A standard property hides an X-MAPI one of the same id; the first of a tag wins.
    for (Property& extra : extras) {
        bool hidden = std::any_of(card.properties.begin(), card.properties.end(),
                                  [&](const Property& p) { return PROP_ID(p.tag) == PROP_ID(extra.tag); });
        if (!hidden) {
            card.properties.push_back(std::move(extra));
        }
    }
    if (card.uid.empty()) {
        card.uid = NewUid();
    }
    return card;
}

std::string CardText(const Card& card) {
    if (!card.raw.empty()) {
        return card.raw.back() == '\n' ? card.raw : card.raw + "\r\n";
    }
    std::string text = "BEGIN:VCARD\r\nVERSION:4.0\r\n";
    text += card.objectType == MAPI_DISTLIST ? "KIND:group\r\n" : "KIND:individual\r\n";
    for (const std::string& member : card.memberLines) {
        text += FoldLine(member);
    }
    text += FoldLine("UID:" + card.uid);
    text += FoldLine("FN:" + EscapeText(TextOf(card, 0x3001)));
    for (const OutputLine& out : kOutputLines) {
        std::string value(static_cast<std::size_t>(out.leadingEmpty), ';');
        bool any = false;
        bool first = true;
        for (ULONG id : out.ids) {
            if (id == 0) {
                break;
            }
            std::string field = TextOf(card, id);
            any = any || !field.empty();
            value += (first ? "" : ";") + EscapeText(field);
            first = false;
        }
        value.append(static_cast<std::size_t>(out.trailingEmpty), ';');
        if (any) {
            text += FoldLine(std::string(out.head) + ":" + value);
        }
    }
    std::vector<const Property*> extras;
    for (const Property& p : card.properties) {
        if (!IsStandardTag(p.tag) && !IsEmptyValue(p)) {
            extras.push_back(&p);
        }
    }
    std::sort(extras.begin(), extras.end(),
              [](const Property* a, const Property* b) { return a->tag < b->tag; });
    for (const Property* p : extras) {
        char name[32];
        std::snprintf(name, sizeof(name), "X-MAPI-%08X:", static_cast<unsigned>(p->tag));
        text += FoldLine(name + EncodeExtra(*p));
    }
    for (const std::string& kept : card.keptLines) {
        text += FoldLine(kept);
    }
    text += "END:VCARD\r\n";
    return text;
}

std::string NewUid() {
    static thread_local std::mt19937_64 generator{std::random_device{}()};
    std::uniform_int_distribution<unsigned long long> any;
    unsigned long long high = any(generator);
    unsigned long long low = any(generator);
    high = (high & ~0xF000ull) | 0x4000ull;                       // version 4
    low = (low & ~0xC000000000000000ull) | 0x8000000000000000ull; // variant 1
    char text[64];
    std::snprintf(text, sizeof(text), "urn:uuid:%08llx-%04llx-%04llx-%04llx-%012llx", high >> 32,
                  (high >> 16) & 0xFFFF, high & 0xFFFF, low >> 48, low & 0xFFFFFFFFFFFFull);
    return text;
}

} // namespace qx::wab
