// Tamsel's type library: its name and identifier; the interfaces and coclasses join with the
// classes.
#include "tamsel_ids.h"

#include "qx/com/type_library.h"

namespace {

const qx::com::LibraryDesc kLibrary = {
    &LIBID_TAMSELLib, u"TAMSELLib", u"Tamsel 1.0 Type Library", 1, 0, nullptr, 0};

} // namespace

const qx::com::LibraryDesc& qx::com::GeneratedTypeLibrary() {
    return kLibrary;
}
