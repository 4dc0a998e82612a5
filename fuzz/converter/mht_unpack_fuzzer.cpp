// The unpacker's scanning of MHT text: any input, with its parts written to a private
// temporary folder that is emptied again after each run.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "mht_unpacker.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::filesystem::path temp = [] {
        const auto dir =
            std::filesystem::temp_directory_path() / ("mht-unpack-fuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        std::filesystem::permissions(dir, std::filesystem::perms::owner_all);
        setenv("QX_TEMP_DIR", dir.c_str(), 1);
        return dir;
    }();
    std::string html;
    ResourceRecords records;
    UnpackMht(std::string(reinterpret_cast<const char*>(data), size), html, records);
    DeleteResourceFiles(records);
    if (!std::filesystem::is_empty(temp))
        abort(); // a part left a file behind
    return 0;
}
