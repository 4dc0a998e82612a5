// Replays files (or every file below folders) through a libFuzzer entry point, so that the
// seed corpus of every fuzz target runs under the sanitizers in the ordinary test build.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

bool replayFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", path.c_str());
        return false;
    }
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    return true;
}

} // namespace

int main(int argc, char** argv) {
    // The empty input is always worth a run.
    LLVMFuzzerTestOneInput(nullptr, 0);
    size_t count = 1;
    bool ok = true;
    for (int i = 1; i < argc; ++i) {
        std::filesystem::path root(argv[i]);
        std::error_code ec;
        if (std::filesystem::is_directory(root, ec)) {
            std::vector<std::filesystem::path> files;
            for (const auto& entry : std::filesystem::recursive_directory_iterator(root))
                if (entry.is_regular_file())
                    files.push_back(entry.path());
            std::sort(files.begin(), files.end());
            for (const auto& file : files) {
                ok = replayFile(file) && ok;
                ++count;
            }
        } else if (std::filesystem::exists(root, ec)) {
            ok = replayFile(root) && ok;
            ++count;
        } else {
            std::fprintf(stderr, "no such corpus: %s\n", argv[i]);
            ok = false;
        }
    }
    std::printf("replayed %zu inputs\n", count);
    return ok ? 0 : 1;
}
