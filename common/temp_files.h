// The temporary folder and uniquely named "mht_" files in it.
#pragma once

#include <string>

enum class TempPathForm {
    AsReported, // the folder as the system reports it (the script utilities)
    Short,      // its short 8.3 form (the converter)
};

// The temporary folder with its trailing separator, at most 260 bytes.
std::string GetTempDirectory(TempPathForm form);

// The full path of a new, empty "mht_XXXX.tmp" file that the caller owns; "" when none could be made.
std::string MakeTempFileName(TempPathForm form);
