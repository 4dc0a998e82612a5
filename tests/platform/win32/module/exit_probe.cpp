// Loads the modules named on the command line in order, loads the first once more and frees it
// once, then ends the process with every module still loaded.
#include "winmodule.h"

#include <cstdio>

int main(int argc, char** argv) {
    HMODULE first = nullptr;
    for (int i = 1; i < argc; ++i) {
        HMODULE module = LoadLibraryA(argv[i]);
        if (module == nullptr) {
            std::fprintf(stderr, "cannot load %s\n", argv[i]);
            return 1;
        }
        first = first != nullptr ? first : module;
    }
    if (first != nullptr && (LoadLibraryA(argv[1]) != first || !FreeLibrary(first))) {
        return 1;
    }
    return 0;
}
