// The check that keeps a dual declaration in vtable order: member i of the table must be the
// function at slot 7 + i (after IUnknown's three and IDispatch's four), or a proxy built from the
// table, and the type library's vtable offsets, would call the wrong function.
#include "dispatch_slots.h"

#include "qx/com/bstr.h"

#include <cstdio>

namespace qx::com {

namespace {

constexpr int kFirstSlot = 7;

std::string NameOf(const char16_t* name) {
    return name ? Utf16ToUtf8(name) : std::string("(unnamed)");
}

} // namespace

bool DualSlotsInOrder(const DispInterface& decl, UINT* misplaced) {
    if (!decl.dual)
        return true;
    for (UINT i = 0; i < decl.memberCount; ++i) {
        // A member written without the Disp* helpers carries no slot to compare.
        if (!decl.members[i].vtableSlot)
            continue;
        if (decl.members[i].vtableSlot() != kFirstSlot + static_cast<int>(i)) {
            if (misplaced)
                *misplaced = i;
            return false;
        }
    }
    return true;
}

namespace detail {

bool RefuseMisplacedSlots(const DispInterface& decl) {
    UINT i = 0;
    if (DualSlotsInOrder(decl, &i))
        return false;
    const DispMember& m = decl.members[i];
    int slot = m.vtableSlot();
    std::fprintf(stderr,
                 "dispatch declaration %s refused: member %u (%s) is the function at vtable slot %d, "
                 "not slot %d; list the members in vtable order\n",
                 NameOf(decl.name).c_str(), i, NameOf(m.name).c_str(), slot,
                 kFirstSlot + static_cast<int>(i));
    return true;
}

} // namespace detail

} // namespace qx::com
