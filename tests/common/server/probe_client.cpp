// A second program: creates a test-component class by ProgID (or by "{CLSID}") through the
// registry and prints "<hresult> <Kind>", exit status 0 when it was created.
#include "probe_interfaces.h"

#include "objbase.h"
#include "objbase_activation.h"
#include "qx/com/bstr.h"
#include "qx/com/comptr.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2)
        return 2;
    CoInitialize(nullptr);
    const std::u16string name = qx::com::Utf8ToUtf16(argv[1]);
    CLSID clsid{};
    HRESULT hr = name.starts_with(u"{") ? CLSIDFromString(name.c_str(), &clsid)
                                        : CLSIDFromProgID(name.c_str(), &clsid);
    std::string kind;
    if (SUCCEEDED(hr)) {
        qx::com::ComPtr<IProbe> probe;
        hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IProbe,
                              reinterpret_cast<void**>(&probe));
        if (SUCCEEDED(hr)) {
            qx::com::Bstr text;
            hr = probe->get_Kind(&text);
            kind = text.ToUtf8();
        }
    }
    std::printf("0x%08lX %s\n", static_cast<unsigned long>(static_cast<ULONG>(hr)), kind.c_str());
    CoUninitialize();
    return SUCCEEDED(hr) ? 0 : 1;
}
