#include "shell_object.h"

#include "host_shell.h"

#include <qx/activation/platform_class.h>
#include <qx/com/bstr.h>
#include <qx/com/dispatch.h>
#include <qx/com/object.h>

#include <filesystem>
#include <iterator>
#include <system_error>

namespace qx::host {
namespace {

HRESULT FromError(const std::error_code& ec) {
    return ec.value() == static_cast<int>(std::errc::no_such_file_or_directory) ||
                   ec.value() == static_cast<int>(std::errc::not_a_directory)
               ? HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND)
           : ec.value() == static_cast<int>(std::errc::permission_denied) ? E_ACCESSDENIED
                                                                          : E_FAIL;
}

class CHostShell : public com::ObjectRoot, public com::DispatchImpl<IHostShell> {
public:
    static constexpr bool kAggregatable = false;
    QX_BEGIN_INTERFACES(CHostShell)
    QX_INTERFACE_ENTRY(IHostShell)
    QX_INTERFACE_ENTRY2(IDispatch, IHostShell)
    QX_END_INTERFACES()

    STDMETHODIMP get_CurrentDirectory(BSTR* pVal) override {
        if (!pVal)
            return E_POINTER;
        *pVal = nullptr;
        std::error_code ec;
        const std::filesystem::path current = std::filesystem::current_path(ec);
        if (ec)
            return FromError(ec);
        return com::Bstr::FromUtf8(current.string()).CopyTo(pVal);
    }
    STDMETHODIMP put_CurrentDirectory(BSTR newVal) override {
        const std::string path =
            com::Utf16ToUtf8(std::u16string_view(newVal ? newVal : u"", SysStringLen(newVal)));
        if (path.empty())
            return E_INVALIDARG;
        std::error_code ec;
        std::filesystem::current_path(path, ec);
        return ec ? FromError(ec) : S_OK;
    }
};

HRESULT CreateHostShell(IUnknown* outer, REFIID riid, void** ppv) {
    return com::CreateInstance<CHostShell>(outer, riid, ppv);
}

HRESULT GetHostShellClassObject(REFIID riid, void** ppv) {
    return com::CreateClassFactory(&CreateHostShell, riid, ppv);
}

constexpr activation::PlatformClassName kNames[] = {{&CLSID_HostShell, u"WScript.Shell"}};

activation::PlatformClassRegistration& Registration() {
    static activation::PlatformClassRegistration registration(kNames, std::size(kNames),
                                                              GetHostShellClassObject);
    return registration;
}

} // namespace

HRESULT RegisterShellClass() {
    return Registration().Register();
}

void RevokeShellClass() {
    Registration().Revoke();
}

} // namespace qx::host
