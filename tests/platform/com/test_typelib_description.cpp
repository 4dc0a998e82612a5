// The library the build-time generator writes for the tests.
#include "test_interfaces.h"

const qx::com::LibraryDesc& qx::com::GeneratedTypeLibrary() {
    return kTallyLibrary;
}
