// The type library written into Quorle's component file: QUORLELib as the interfaces declare it.
#include "convert_interfaces.h"

const qx::com::LibraryDesc& qx::com::GeneratedTypeLibrary() {
    return quorle::kQuorleLibrary;
}
