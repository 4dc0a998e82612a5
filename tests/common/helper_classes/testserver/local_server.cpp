// A local server that records its command-line switch in the file named by
// QX_HELPER_CLASSES_SERVER_LOG; 0 for /RegServer and /UnRegServer, 3 for anything else.
#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    const char* path = std::getenv("QX_HELPER_CLASSES_SERVER_LOG");
    if (path == nullptr)
        return 4;
    FILE* f = std::fopen(path, "a");
    if (f == nullptr)
        return 4;
    std::fprintf(f, "%d", argc);
    for (int i = 1; i < argc; ++i)
        std::fprintf(f, " [%s]", argv[i]);
    std::fprintf(f, "\n");
    std::fclose(f);
    if (argc == 2 && (std::strcmp(argv[1], "/RegServer") == 0 || std::strcmp(argv[1], "/UnRegServer") == 0))
        return 0;
    return 3;
}
