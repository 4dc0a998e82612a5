// A control's property map read from a stream (IPersistStreamInit::Load): whatever loads must
// save back to the bytes it was read from, and damaged input must fail without harm.
#include "objbase.h"
#include "oleauto.h"
#include "qx/com/control/persistence.h"
#include "qx/com/variant.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

using namespace qx::com;
using namespace qx::com::control;

constexpr GUID kClsid = {0x1e2d3c4b, 0x5a69, 0x4788, {0x97, 0xa6, 0xb5, 0xc4, 0xd3, 0xe2, 0xf1, 0x00}};
constexpr PropertyEntry kMap[] = {{u"_cx", 0, VT_UI4},   {u"_cy", 0, VT_UI4},   {u"Text", 1, VT_BSTR},
                                  {u"Number", 2, VT_I4}, {u"Flag", 3, VT_BOOL}, {u"Real", 4, VT_R8}};

// Four properties kept as VARIANTs, reached by DISPID.
class CFuzzControl : public ObjectRoot,
                     public ControlImpl<CFuzzControl>,
                     public IDispatch,
                     public PersistStreamInitImpl<CFuzzControl> {
public:
    QX_BEGIN_INTERFACES(CFuzzControl)
    QX_INTERFACE_ENTRY(IDispatch)
    QX_INTERFACE_ENTRY(IPersistStreamInit)
    QX_END_INTERFACES()

    const CLSID& ClassId() const override { return kClsid; }
    std::span<const PropertyEntry> PropertyMap() const override { return kMap; }
    bool WindowOnly() const override { return false; }

    STDMETHODIMP GetTypeInfoCount(UINT* n) override { return n ? (*n = 0, S_OK) : E_POINTER; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return DISP_E_BADINDEX; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return DISP_E_UNKNOWNNAME; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                        UINT*) override {
        if (id < 1 || id > 4)
            return DISP_E_MEMBERNOTFOUND;
        Variant& value = values_[id - 1];
        if (flags & DISPATCH_PROPERTYPUT) {
            if (!params || params->cArgs != 1)
                return DISP_E_BADPARAMCOUNT;
            return VariantChangeType(&value, &params->rgvarg[0], 0, kMap[id + 1].vt);
        }
        if (!result)
            return E_POINTER;
        if (value.vt == VT_EMPTY)
            return VariantChangeType(result, &value, 0, kMap[id + 1].vt);
        return VariantCopy(result, &value);
    }

private:
    Variant values_[4];
};

std::vector<unsigned char> Contents(IStream* stream) {
    STATSTG stat{};
    stream->Stat(&stat, STATFLAG_NONAME);
    std::vector<unsigned char> bytes(static_cast<std::size_t>(stat.cbSize.QuadPart));
    LARGE_INTEGER zero{};
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    ULONG read = 0;
    if (!bytes.empty())
        stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read);
    return bytes;
}

// Loads bytes into a new control and saves it; false when the load failed.
bool LoadAndSave(const void* data, std::size_t size, std::vector<unsigned char>* saved) {
    ObjectPtr<CFuzzControl> control;
    if (FAILED(CreateObject(control)))
        std::abort();
    ComPtr<IStream> in, out;
    CreateStreamOnHGlobal(nullptr, TRUE, &in);
    CreateStreamOnHGlobal(nullptr, TRUE, &out);
    ULONG written = 0;
    if (size)
        in->Write(data, static_cast<ULONG>(size), &written);
    LARGE_INTEGER zero{};
    in->Seek(zero, STREAM_SEEK_SET, nullptr);
    ComPtr<IPersistStreamInit> persist =
        ComPtr<IPersistStreamInit>::QueryFrom(static_cast<IDispatch*>(control.Get()));
    if (FAILED(persist->Load(in.Get())))
        return false;
    if (FAILED(persist->Save(out.Get(), TRUE)))
        std::abort();
    *saved = Contents(out.Get());
    ULARGE_INTEGER sizeMax{};
    if (FAILED(persist->GetSizeMax(&sizeMax)) || sizeMax.QuadPart != saved->size())
        std::abort();
    return true;
}

} // namespace

// What loads saves in the map's own types; that saved form loads and saves to itself.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<unsigned char> first, second;
    if (!LoadAndSave(data, size, &first))
        return 0;
    if (!LoadAndSave(first.data(), first.size(), &second) || second != first)
        std::abort();
    return 0;
}
