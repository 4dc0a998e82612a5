// File names and patterns from page script through MiscFunc.GetFileSize, which finds them with
// FindFirstFileA: any UTF-16 input gives S_OK with a size or S_FALSE with the size untouched,
// inside a drive root of its own that holds a few files and a folder.
#include "misc_func.h"

#include <fileapi.h>
#include <qx/win32/file_paths.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

// The drive root: c:\w holds a.txt (5 bytes), b.bin (0 bytes), the folder sub and a Korean name.
bool PrepareDrives() {
    char pattern[] = "/tmp/kestrum-file-size-fuzz-XXXXXX";
    if (!mkdtemp(pattern))
        return false;
    const std::filesystem::path root = pattern;
    std::filesystem::create_directories(root / "c" / "w" / "sub");
    auto write = [&](const char* name, const char* text) {
        if (FILE* f = std::fopen((root / "c" / "w" / name).c_str(), "wb")) {
            std::fputs(text, f);
            std::fclose(f);
        }
    };
    write("a.txt", "12345");
    write("b.bin", "");
    write("\xED\x95\x9C.txt", "x");
    qx::win32::SetDriveRoot(root.string());
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool prepared = PrepareDrives();
    if (!prepared)
        std::abort();
    std::u16string input;
    for (size_t i = 0; i + 1 < size; i += 2)
        input += static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    // Relative names stay inside the drive's folder.
    const std::u16string path = u"c:\\w\\" + input;
    BSTR text = SysAllocStringLen(path.data(), static_cast<UINT>(path.size()));

    qx::com::ObjectPtr<CMiscFunc> misc;
    if (FAILED(qx::com::CreateObject<CMiscFunc>(misc)))
        std::abort();
    LONG fileSize = -77;
    const HRESULT hr = misc->GetFileSize(text, &fileSize);
    if (hr == S_FALSE ? fileSize != -77 : hr != S_OK || fileSize < -1)
        std::abort();
    SysFreeString(text);
    return 0;
}
