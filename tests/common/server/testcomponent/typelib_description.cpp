#include "probe_interfaces.h"

const qx::com::LibraryDesc& qx::com::GeneratedTypeLibrary() {
    return kProbeLibrary;
}
