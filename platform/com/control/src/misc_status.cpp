// A class's MiscStatus as its registration gives it: "CLSID\{...}\MiscStatus\<aspect>", else the
// MiscStatus value itself, each a decimal number.
#include "qx/com/control/control_base.h"

#include <objbase.h>
#include <winreg.h>

#include <string>

namespace qx::com::control {
namespace {

bool ReadDecimal(const std::u16string& key, DWORD* value) {
    WCHAR text[64] = {};
    LONG size = sizeof text;
    if (RegQueryValueW(HKEY_CLASSES_ROOT, key.c_str(), text, &size) != ERROR_SUCCESS)
        return false;
    unsigned long long number = 0;
    std::size_t i = 0;
    for (; i < 63 && text[i] >= u'0' && text[i] <= u'9' && number <= 0xFFFFFFFFull; ++i)
        number = number * 10 + static_cast<unsigned>(text[i] - u'0');
    if (i == 0 || number > 0xFFFFFFFFull)
        return false;
    *value = static_cast<DWORD>(number);
    return true;
}

} // namespace

HRESULT ControlBase::MiscStatus(DWORD aspect, DWORD* status) const {
    if (!status)
        return E_POINTER;
    *status = 0;
    WCHAR clsid[40] = {};
    StringFromGUID2(ClassId(), clsid, 40);
    const std::u16string key = u"CLSID\\" + std::u16string(clsid) + u"\\MiscStatus";
    const std::string digits = std::to_string(aspect);
    if (ReadDecimal(key + u"\\" + std::u16string(digits.begin(), digits.end()), status) ||
        ReadDecimal(key, status))
        return S_OK;
    // No MiscStatus registered: no special status.
    return S_OK;
}

} // namespace qx::com::control
