// The generator's input: Kestrum's type library, written at build time into kestrum.tlb.
#include "kestrum_typelib.h"

const qx::com::LibraryDesc& qx::com::GeneratedTypeLibrary() {
    return kestrum::kKestrumLibrary;
}
