#include "script_host.h"

#include <objbase.h>
#include <objbase_activation.h>
#include <qx/com/bstr.h>
#include <qx/com/error_info.h>
#include <winreg.h>

#include <cstdio>
#include <string>
#include <vector>

namespace qx::host {
namespace {

std::u16string ClassText(const CLSID& clsid) {
    WCHAR text[40] = {};
    StringFromGUID2(clsid, text, 40);
    return text;
}

// The component file the registry names for the class, "" when none.
std::u16string ServerFile(const CLSID& clsid) {
    const std::u16string key = u"CLSID\\" + ClassText(clsid) + u"\\InprocServer32";
    HKEY handle = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_QUERY_VALUE, &handle) != ERROR_SUCCESS)
        return {};
    std::vector<WCHAR> buffer(1024, u'\0');
    DWORD size = static_cast<DWORD>((buffer.size() - 1) * sizeof(WCHAR));
    DWORD type = 0;
    std::u16string file;
    if (RegQueryValueExW(handle, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size) ==
            ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ))
        file = buffer.data();
    RegCloseKey(handle);
    return file;
}

std::u16string Hex(HRESULT hr) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hr));
    return com::Utf8ToUtf16(text);
}

// Why CoCreateInstance of a class failed, in the words a script's author needs.
std::u16string Reason(HRESULT hr, const CLSID& clsid) {
    const std::u16string klass = u"class " + ClassText(clsid);
    switch (hr) {
    case REGDB_E_CLASSNOTREG:
        return u"its " + klass + u" is not registered";
    case CO_E_DLLNOTFOUND:
        return u"the file of its " + klass + u", \"" + ServerFile(clsid) +
               u"\", is missing or cannot be loaded";
    case CO_E_ERRORINDLL:
        return u"the file of its " + klass + u", \"" + ServerFile(clsid) + u"\", is no component file";
    case CLASS_E_CLASSNOTAVAILABLE:
        return u"the file \"" + ServerFile(clsid) + u"\" does not hold its " + klass;
    case E_NOINTERFACE:
        return u"its " + klass + u" offers no script interface";
    default:
        return u"its " + klass + u" refused to create an object (" + Hex(hr) + u")";
    }
}

HRESULT Fail(std::u16string_view progId, const std::u16string& reason, HRESULT hr) {
    const std::u16string text =
        u"Automation server can't create object \"" + std::u16string(progId) + u"\": " + reason;
    return com::ReportError(IID_NULL, u"ActiveXObject", text, hr);
}

} // namespace

HRESULT ActivateByProgId(std::u16string_view progId, IDispatch** object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (progId.empty() || progId.find(u'\0') != std::u16string_view::npos)
        return Fail(progId, u"that is no ProgID", CO_E_CLASSSTRING);
    const std::u16string name(progId);
    CLSID clsid{};
    HRESULT hr = CLSIDFromProgID(name.c_str(), &clsid);
    if (FAILED(hr))
        return Fail(progId, u"the ProgID is not registered", hr);
    // As a script engine asks: an in-process server, else a local one.
    hr = CoCreateInstance(clsid, nullptr, CLSCTX_SERVER, IID_IDispatch, reinterpret_cast<void**>(object));
    if (FAILED(hr))
        return Fail(progId, Reason(hr, clsid), hr);
    return hr;
}

} // namespace qx::host
