#include "temp_files.h"

#include <fileapi.h>

std::string GetTempDirectory(TempPathForm form) {
    char path[MAX_PATH + 1] = {};
    DWORD length = GetTempPathA(MAX_PATH, path);
    if (length == 0 || length > MAX_PATH)
        return std::string();
    if (form == TempPathForm::Short) {
        char shortPath[MAX_PATH + 1] = {};
        DWORD shortLength = GetShortPathNameA(path, shortPath, MAX_PATH);
        if (shortLength > 0 && shortLength <= MAX_PATH)
            return std::string(shortPath, shortLength);
    }
    return std::string(path, length);
}

std::string MakeTempFileName(TempPathForm form) {
    std::string folder = GetTempDirectory(form);
    if (folder.empty())
        return std::string();
    char name[MAX_PATH + 1] = {};
    // A failed call leaves the folder's name in the buffer on some systems: never hand that out.
    if (GetTempFileNameA(folder.c_str(), "mht_", 0, name) == 0)
        return std::string();
    return std::string(name);
}
