#include "property_values.h"

#include "entry_ids.h"
#include "mapi_buffers.h"
#include "prop_convert.h"

#include <cstring>

namespace qx::wab {
namespace {

// Properties every entry answers besides its own.
void ComputedProperties(const std::shared_ptr<Book>& book, const Card& card, std::vector<Property>& out) {
    if (card.serial != 0) {
        Property id;
        id.tag = PR_ENTRYID;
        id.bytes.resize(kEntryIdSize);
        LPENTRYID raw = nullptr;
        ULONG size = 0;
        if (SUCCEEDED(MakeEntryId(book->Token(), card.serial, nullptr, &size, &raw))) {
            std::memcpy(id.bytes.data(), raw, size);
            FreeBlock(raw);
            out.push_back(std::move(id));
        }
    }
    Property type;
    type.tag = PR_OBJECT_TYPE;
    type.number = static_cast<LONG>(card.objectType);
    out.push_back(type);
}

} // namespace

HRESULT BuildValues(const std::shared_ptr<Book>& book, const Card& card, const SPropTagArray* tags,
                    ULONG* count, LPSPropValue* values) {
    if (count == nullptr || values == nullptr) {
        return MAPI_E_INVALID_PARAMETER;
    }
    *count = 0;
    *values = nullptr;
    std::vector<Property> all;
    ComputedProperties(book, card, all);
    all.insert(all.end(), card.properties.begin(), card.properties.end());
    std::vector<const Property*> chosen;
    std::vector<ULONG> missing; // tags to answer with PT_ERROR, by position
    bool errors = false;
    if (tags == nullptr) {
        for (const Property& p : all) {
            chosen.push_back(&p);
        }
    } else {
        if (tags->cValues == 0) {
            return MAPI_E_INVALID_PARAMETER;
        }
        for (ULONG i = 0; i < tags->cValues; ++i) {
            ULONG tag = tags->aulPropTag[i];
            const Property* found = nullptr;
            for (const Property& p : all) {
                if (p.tag == tag || (PROP_TYPE(tag) == PT_UNSPECIFIED && PROP_ID(p.tag) == PROP_ID(tag))) {
                    found = &p;
                    break;
                }
            }
            chosen.push_back(found);
            missing.push_back(tag);
            errors = errors || found == nullptr;
        }
    }
    ULONG n = static_cast<ULONG>(chosen.size());
    LPVOID block = nullptr;
    HRESULT hr = AllocateBlock(static_cast<ULONG>(sizeof(SPropValue)) * (n ? n : 1), &block);
    if (FAILED(hr)) {
        return hr;
    }
    auto* out = static_cast<LPSPropValue>(block);
    for (ULONG i = 0; i < n; ++i) {
        if (chosen[i] == nullptr) {
            out[i].ulPropTag = CHANGE_PROP_TYPE(missing[i], PT_ERROR);
            out[i].dwAlignPad = 0;
            out[i].Value.err = MAPI_E_NOT_FOUND;
            continue;
        }
        hr = FillValue(*chosen[i], block, out[i]);
        if (FAILED(hr)) {
            FreeBlock(block);
            return hr;
        }
    }
    *count = n;
    *values = out;
    return errors ? MAPI_W_ERRORS_RETURNED : S_OK;
}

} // namespace qx::wab
