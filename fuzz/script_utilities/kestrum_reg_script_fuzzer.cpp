// Key paths from page script: RegScript must answer S_OK for any hive index and any text, never
// reach a key the text does not name exactly, and never delete the seeded keys it was not asked
// to delete.
#include "reg_script.h"

#include <qx/win32/registry.h>
#include <qx/win32/ui_driver.h>
#include <winreg.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

qx::win32::MessageBoxRecorder g_boxes;

void Seed() {
    for (const char16_t* path : {u"Software\\Seed\\A", u"Software\\Seed\\B\\C", u"Software\\Classes\\Seed"}) {
        HKEY key = nullptr;
        if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            nullptr) == ERROR_SUCCESS)
            RegCloseKey(key);
    }
}

bool Exists(const char16_t* path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

void Prepare() {
    static bool done = false;
    if (done)
        return;
    done = true;
    char pattern[] = "/tmp/kestrum-reg-fuzz-XXXXXX";
    if (!mkdtemp(pattern))
        std::abort();
    qx::registry::SetRootForTesting(pattern);
    qx::win32::SetUiDriver(&g_boxes);
    Seed();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Prepare();
    if (size < 2)
        return 0;
    // Byte 0: the hive index (signed, so indexes below 0 and past the table appear); byte 1: the
    // operation; the rest: the key path in UTF-16LE.
    const LONG hive = static_cast<int8_t>(data[0]);
    const int operation = data[1] % 4;
    std::u16string path;
    for (size_t i = 2; i + 1 < size; i += 2)
        path += static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    BSTR text = SysAllocStringLen(path.data(), static_cast<UINT>(path.size()));

    qx::com::ObjectPtr<CRegScript> reg;
    if (FAILED(qx::com::CreateObject<CRegScript>(reg)))
        std::abort();
    HRESULT hr = S_OK;
    VARIANT list;
    VariantInit(&list);
    BSTR value = nullptr;
    switch (operation) {
    case 0:
        hr = reg->OpenKey(hive, text);
        if (SUCCEEDED(hr))
            hr = reg->GetEnumListKey(text, &list);
        break;
    case 1:
        hr = reg->GetEnumListKey(text, &list);
        break;
    case 2:
        hr = reg->ReadValue(hive, text, &value);
        break;
    default:
        hr = reg->DeleteRegKey(hive, text);
        break;
    }
    if (hr != S_OK)
        std::abort();
    if (list.vt != VT_EMPTY && list.vt != VT_DISPATCH)
        std::abort();
    VariantClear(&list);
    SysFreeString(value);
    SysFreeString(text);
    // A hive is never deleted, whatever was asked.
    if (!Exists(u"Software") && operation != 3)
        std::abort();
    if (operation == 3)
        Seed();
    g_boxes.Clear();
    return 0;
}
