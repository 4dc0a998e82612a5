// What activation needs from the rest of the platform, set up once per process: the type-library
// loader reads TYPELIB 1 of a component file, and "oleaut32.dll" answers LoadLibrary with
// UnRegisterTypeLib among its exports, as a server module looks it up by name.
#include "apartment.h"

#include "oleauto.h"
#include "qx/com/bstr.h"
#include "qx/com/type_library.h"
#include "qx/module/loader.h"
#include "qx/resource/file_resources.h"

#include <mutex>

namespace qx::activation {
namespace {

HRESULT ReadTypeLibResource(LPCOLESTR path, std::vector<BYTE>& bytes) {
    if (!path)
        return E_INVALIDARG;
    DWORD error = 0;
    auto file = resource::FileResources::Open(com::Utf16ToUtf8(path), &error);
    if (!file)
        return TYPE_E_CANTLOADLIBRARY;
    auto data =
        file->Read(resource::ResourceId{0, u"TYPELIB"}, resource::ResourceId::FromNumber(1), 0, &error);
    if (!data)
        return TYPE_E_CANTLOADLIBRARY;
    bytes.assign(reinterpret_cast<const BYTE*>(data->data()),
                 reinterpret_cast<const BYTE*>(data->data()) + data->size());
    return S_OK;
}

HRESULT UnRegisterTypeLibExport(REFGUID libID, WORD wVerMajor, WORD wVerMinor, LCID lcid, SYSKIND syskind) {
    return UnRegisterTypeLib(libID, wVerMajor, wVerMinor, lcid, syskind);
}

} // namespace

void EnsureSystemServices() {
    static std::once_flag once;
    std::call_once(once, [] {
        com::SetTypeLibResourceLoader(&ReadTypeLibResource);
        module::StaticModuleInfo oleAut;
        oleAut.path = "oleaut32.dll";
        oleAut.exports.push_back({"UnRegisterTypeLib", reinterpret_cast<void*>(&UnRegisterTypeLibExport)});
        module::RegisterStaticModule(std::move(oleAut));
    });
}

namespace {
// In the shared platform library this runs when the library loads.
const bool g_servicesReady = (EnsureSystemServices(), true);
} // namespace

} // namespace qx::activation
