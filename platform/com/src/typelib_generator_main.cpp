// Writes the type library that GeneratedTypeLibrary() describes to the file named by argv[1].
#include "qx/com/type_library.h"

#include <cstdio>
#include <fstream>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.tlb\n", argv[0]);
        return 2;
    }
    const qx::com::LibraryDesc& library = qx::com::GeneratedTypeLibrary();
    // A declaration its registration refused (members out of vtable order) would describe wrong
    // vtable offsets: no library is written from it.
    for (UINT i = 0; i < library.interfaceCount; ++i)
        if (!library.interfaces[i] ||
            qx::com::FindDispInterface(*library.interfaces[i]->iid) != library.interfaces[i]) {
            std::fprintf(stderr, "interface %u of the library is not registered\n", i);
            return 1;
        }
    std::vector<BYTE> bytes;
    HRESULT hr = qx::com::WriteTypeLibrary(library, bytes);
    if (FAILED(hr)) {
        std::fprintf(stderr, "the library description is inconsistent (0x%08X)\n", static_cast<unsigned>(hr));
        return 1;
    }
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
