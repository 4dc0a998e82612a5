// Proxy objects and the copies of values that cross to another thread with a call.
#include "marshal_proxy.h"

#include "oleauto.h"
#include "qx/com/dispatch_decl.h"
#include "winerror.h"

#include <atomic>
#include <cstring>
#include <string>
#include <vector>

namespace qx::com::detail {

// Answered only by this module's proxies; never leaves the process.
QX_DEFINE_GUID(IID_QxProxyFacet, "{6B1D3C52-8E0A-4F1B-9A2D-51C7E40F2A93}");

namespace {

class ProxyGroup;

// One interface of a proxy; all facets of one proxy share its reference count and identity.
class ProxyFacet final : public IDispatch {
public:
    ProxyFacet(ProxyGroup* group, const IID& iid) : group_(group), iid_(iid) {}
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP GetTypeInfoCount(UINT* pctinfo) override;
    STDMETHODIMP GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) override;
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid,
                               DISPID* rgDispId) override;
    STDMETHODIMP Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS* pDispParams,
                        VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) override;

    // The pointer handed out for this facet's interface.
    void* Pointer() { return front_.vtable ? static_cast<void*>(&front_) : static_cast<IDispatch*>(this); }

    ProxyGroup* group_;
    IID iid_;
    DualFront front_{nullptr, nullptr, nullptr};

private:
    // The owner-side interface that this facet's dispatch calls go to.
    IDispatch* Target(const std::shared_ptr<Stub>& stub) const;
};

class ProxyGroup {
public:
    explicit ProxyGroup(std::shared_ptr<Stub> stub) : stub_(std::move(stub)) {}
    ~ProxyGroup() {
        ReleaseStubRef(stub_);
        for (ProxyFacet* f : facets_)
            delete f;
    }
    ULONG AddRef() { return ++refs_; }
    ULONG Release() {
        ULONG left = --refs_;
        if (left == 0)
            delete this;
        return left;
    }
    // A facet for riid, made when missing; null when riid cannot be had.
    ProxyFacet* Facet(REFIID riid) {
        {
            std::lock_guard guard(lock_);
            for (ProxyFacet* f : facets_)
                if (IsEqualIID(f->iid_, riid))
                    return f;
        }
        if (!IsEqualIID(riid, IID_IUnknown) && !StubKnows(riid)) {
            if (!ProxyableInterface(riid))
                return nullptr;
            HRESULT hr = CallOnOwner(
                stub_, [&](IUnknown*) { return StubInterface(stub_, riid) ? S_OK : E_NOINTERFACE; });
            if (FAILED(hr))
                return nullptr;
        }
        std::lock_guard guard(lock_);
        for (ProxyFacet* f : facets_)
            if (IsEqualIID(f->iid_, riid))
                return f;
        auto* facet = new ProxyFacet(this, riid);
        const DispInterface* decl = FindDispInterface(riid);
        if (decl && decl->dual) {
            facet->front_ = DualFront{DualVtable(*decl), facet, decl};
        }
        facets_.push_back(facet);
        return facet;
    }
    const std::shared_ptr<Stub>& stub() const { return stub_; }

private:
    // Interfaces asked when the object was marshalled need no call to its thread.
    bool StubKnows(REFIID riid) const {
        std::lock_guard guard(ApartmentLock());
        return stub_->interfaces.count(riid) != 0;
    }

public:
private:
    std::atomic<ULONG> refs_{1};
    std::shared_ptr<Stub> stub_;
    std::mutex lock_;
    std::vector<ProxyFacet*> facets_;
};

STDMETHODIMP ProxyFacet::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (IsEqualIID(riid, IID_QxProxyFacet)) {
        AddRef();
        *ppv = this;
        return S_OK;
    }
    ProxyFacet* f = group_->Facet(riid);
    if (!f)
        return E_NOINTERFACE;
    f->AddRef();
    *ppv = f->Pointer();
    return S_OK;
}

STDMETHODIMP_(ULONG) ProxyFacet::AddRef() {
    return group_->AddRef();
}

STDMETHODIMP_(ULONG) ProxyFacet::Release() {
    return group_->Release();
}

IDispatch* ProxyFacet::Target(const std::shared_ptr<Stub>& stub) const {
    const IID& iid = IsEqualIID(iid_, IID_IUnknown) ? IID_IDispatch : iid_;
    return static_cast<IDispatch*>(StubInterface(stub, iid));
}

STDMETHODIMP ProxyFacet::GetTypeInfoCount(UINT* pctinfo) {
    if (!pctinfo)
        return E_POINTER;
    const auto& stub = group_->stub();
    UINT count = 0;
    HRESULT hr = CallOnOwner(stub, [&](IUnknown*) {
        IDispatch* target = Target(stub);
        return target ? target->GetTypeInfoCount(&count) : E_NOINTERFACE;
    });
    *pctinfo = count;
    return hr;
}

// Type information is immutable and counts its references atomically: it crosses as it is.
STDMETHODIMP ProxyFacet::GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) {
    if (!ppTInfo)
        return E_POINTER;
    *ppTInfo = nullptr;
    const auto& stub = group_->stub();
    return CallOnOwner(stub, [&](IUnknown*) {
        IDispatch* target = Target(stub);
        return target ? target->GetTypeInfo(iTInfo, lcid, ppTInfo) : E_NOINTERFACE;
    });
}

STDMETHODIMP ProxyFacet::GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid,
                                       DISPID* rgDispId) {
    if (cNames && (!rgszNames || !rgDispId))
        return E_INVALIDARG;
    std::vector<std::u16string> names;
    for (UINT i = 0; i < cNames; ++i)
        names.emplace_back(rgszNames[i] ? rgszNames[i] : u"");
    IID iid = riid;
    std::vector<DISPID> ids(cNames, DISPID_UNKNOWN);
    const auto& stub = group_->stub();
    HRESULT hr = CallOnOwner(stub, [&](IUnknown*) {
        IDispatch* target = Target(stub);
        if (!target)
            return E_NOINTERFACE;
        std::vector<LPOLESTR> texts;
        for (auto& n : names)
            texts.push_back(n.data());
        return target->GetIDsOfNames(iid, texts.data(), cNames, lcid, ids.data());
    });
    for (UINT i = 0; i < cNames; ++i)
        rgDispId[i] = ids[i];
    return hr;
}

// The pointee of a by-reference value as a value of its own (the owner's storage for it).
struct RefSlot {
    VARIANT value;
    DECIMAL dec;
};

void* SlotAddress(RefSlot& slot, VARTYPE vt) {
    if (vt == VT_VARIANT)
        return &slot.value;
    if (vt == VT_DECIMAL)
        return &slot.dec;
    return &slot.value.llVal;
}

std::size_t ValueSize(VARTYPE vt) {
    if (vt & VT_ARRAY)
        return sizeof(SAFEARRAY*);
    switch (vt) {
    case VT_I1:
    case VT_UI1:
        return 1;
    case VT_I2:
    case VT_UI2:
    case VT_BOOL:
        return 2;
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_ERROR:
    case VT_R4:
        return 4;
    case VT_I8:
    case VT_UI8:
    case VT_R8:
    case VT_DATE:
    case VT_CY:
        return 8;
    case VT_BSTR:
    case VT_DISPATCH:
    case VT_UNKNOWN:
        return sizeof(void*);
    case VT_DECIMAL:
        return sizeof(DECIMAL);
    default:
        return 0;
    }
}

void ClearAll(std::vector<VARIANT>& values) {
    for (VARIANT& v : values)
        VariantClear(&v);
}

void ClearException(EXCEPINFO& e) {
    SysFreeString(e.bstrSource);
    SysFreeString(e.bstrDescription);
    SysFreeString(e.bstrHelpFile);
    std::memset(&e, 0, sizeof e);
}

STDMETHODIMP ProxyFacet::Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                                DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo,
                                UINT* puArgErr) {
    if (pDispParams &&
        ((pDispParams->cArgs && !pDispParams->rgvarg) || pDispParams->cNamedArgs > pDispParams->cArgs ||
         (pDispParams->cNamedArgs && !pDispParams->rgdispidNamedArgs)))
        return E_INVALIDARG;
    const auto& stub = group_->stub();
    const UINT count = pDispParams ? pDispParams->cArgs : 0;
    // The arguments as they cross: by-reference ones as plain values, written back afterwards.
    std::vector<VARIANT> args(count);
    for (VARIANT& v : args)
        VariantInit(&v);
    std::vector<VARTYPE> refTypes(count, VT_EMPTY);
    for (UINT i = 0; i < count; ++i) {
        const VARIANT& src = pDispParams->rgvarg[i];
        HRESULT hr = S_OK;
        if (src.vt & VT_BYREF) {
            refTypes[i] = src.vt & ~VT_BYREF;
            if (!src.byref || ValueSize(refTypes[i]) == 0) {
                hr = refTypes[i] == VT_VARIANT && src.pvarVal ? S_OK : DISP_E_BADVARTYPE;
            }
        }
        if (SUCCEEDED(hr))
            hr = CopyForTransit(src, args[i]);
        if (FAILED(hr)) {
            ClearAll(args);
            if (puArgErr)
                *puArgErr = i;
            return hr;
        }
    }
    std::vector<DISPID> named;
    if (pDispParams)
        named.assign(pDispParams->rgdispidNamedArgs,
                     pDispParams->rgdispidNamedArgs + pDispParams->cNamedArgs);
    IID iid = riid;
    VARIANT result;
    VariantInit(&result);
    EXCEPINFO excep{};
    UINT argErr = 0;

    HRESULT hr = CallOnOwner(stub, [&](IUnknown*) -> HRESULT {
        IDispatch* target = Target(stub);
        if (!target)
            return E_NOINTERFACE;
        std::vector<RefSlot> slots(count);
        std::vector<VARIANT> passed(count);
        for (UINT i = 0; i < count; ++i) {
            VariantInit(&slots[i].value);
            if (refTypes[i] == VT_EMPTY) {
                passed[i] = args[i];
                continue;
            }
            slots[i].value = args[i];
            if (refTypes[i] == VT_DECIMAL)
                slots[i].dec = args[i].decVal;
            passed[i].vt = VT_BYREF | refTypes[i];
            passed[i].byref = SlotAddress(slots[i], refTypes[i]);
        }
        VARIANT ownResult;
        VariantInit(&ownResult);
        EXCEPINFO ownExcep{};
        DISPPARAMS dp{passed.data(), named.empty() ? nullptr : named.data(), count,
                      static_cast<UINT>(named.size())};
        HRESULT call =
            target->Invoke(dispIdMember, iid, lcid, wFlags, pDispParams ? &dp : nullptr,
                           pVarResult ? &ownResult : nullptr, pExcepInfo ? &ownExcep : nullptr, &argErr);
        // What comes back is copied for the caller's thread, here where it is valid.
        for (UINT i = 0; i < count; ++i) {
            if (refTypes[i] == VT_EMPTY)
                continue; // the caller's copy stays ours to free
            VARIANT now;
            VariantInit(&now);
            if (refTypes[i] == VT_VARIANT) {
                now = slots[i].value;
            } else {
                now.vt = refTypes[i];
                std::memcpy(&now.llVal, SlotAddress(slots[i], refTypes[i]), ValueSize(refTypes[i]));
                if (refTypes[i] == VT_DECIMAL) {
                    now.decVal = slots[i].dec;
                    now.vt = VT_DECIMAL;
                }
            }
            VariantInit(&args[i]);
            HRESULT copied = CopyForTransit(now, args[i]);
            VariantClear(&now);
            if (FAILED(copied) && SUCCEEDED(call))
                call = copied;
        }
        if (pVarResult) {
            HRESULT copied = CopyForTransit(ownResult, result);
            VariantClear(&ownResult);
            if (FAILED(copied) && SUCCEEDED(call))
                call = copied;
        }
        if (pExcepInfo && ownExcep.pfnDeferredFillIn) {
            ownExcep.pfnDeferredFillIn(&ownExcep);
            ownExcep.pfnDeferredFillIn = nullptr;
        }
        excep = ownExcep;
        return call;
    });

    if (hr == RPC_E_DISCONNECTED) {
        // Nothing came back to write: the copies are ours to free.
        ClearAll(args);
        VariantClear(&result);
        ClearException(excep);
        return hr;
    }
    for (UINT i = 0; i < count; ++i) {
        if (refTypes[i] == VT_EMPTY) {
            VariantClear(&args[i]);
            continue;
        }
        VARIANT& ref = pDispParams->rgvarg[i];
        if (refTypes[i] == VT_VARIANT) {
            VariantClear(ref.pvarVal);
            *ref.pvarVal = args[i];
            continue;
        }
        VARIANT old;
        VariantInit(&old);
        old.vt = refTypes[i];
        if (refTypes[i] == VT_DECIMAL) {
            old.decVal = *ref.pdecVal;
            old.vt = VT_DECIMAL;
        } else {
            std::memcpy(&old.llVal, ref.byref, ValueSize(refTypes[i]));
        }
        VariantClear(&old);
        if (refTypes[i] == VT_DECIMAL)
            *ref.pdecVal = args[i].decVal;
        else
            std::memcpy(ref.byref, &args[i].llVal, ValueSize(refTypes[i]));
    }
    if (pVarResult) {
        VariantClear(pVarResult);
        *pVarResult = result;
    }
    if (pExcepInfo)
        *pExcepInfo = excep;
    else
        ClearException(excep);
    if (puArgErr)
        *puArgErr = argErr;
    return hr;
}

HRESULT CopyArrayForTransit(SAFEARRAY* source, SAFEARRAY** copy, int depth);

HRESULT CopyValue(const VARIANT& source, VARIANT& copy, int depth) {
    VariantInit(&copy);
    if (depth > 32)
        return DISP_E_BADVARTYPE;
    VARIANT plain;
    VariantInit(&plain);
    if (source.vt & VT_BYREF) {
        VARTYPE vt = source.vt & ~VT_BYREF;
        if (!source.byref)
            return E_INVALIDARG;
        if (vt == VT_VARIANT)
            return CopyValue(*source.pvarVal, copy, depth + 1);
        if (ValueSize(vt) == 0)
            return DISP_E_BADVARTYPE;
        if (vt == VT_DECIMAL) {
            plain.decVal = *source.pdecVal;
        } else {
            std::memcpy(&plain.llVal, source.byref, ValueSize(vt));
        }
        plain.vt = vt;
        return CopyValue(plain, copy, depth + 1);
    }
    VARTYPE vt = source.vt;
    if (vt & VT_ARRAY) {
        copy.vt = vt;
        copy.parray = nullptr;
        return source.parray ? CopyArrayForTransit(source.parray, &copy.parray, depth) : S_OK;
    }
    switch (vt) {
    case VT_EMPTY:
    case VT_NULL:
        copy.vt = vt;
        return S_OK;
    case VT_BSTR:
        copy.vt = VT_BSTR;
        copy.bstrVal = nullptr;
        if (source.bstrVal) {
            copy.bstrVal = SysAllocStringByteLen(reinterpret_cast<LPCSTR>(source.bstrVal),
                                                 SysStringByteLen(source.bstrVal));
            if (!copy.bstrVal) {
                copy.vt = VT_EMPTY;
                return E_OUTOFMEMORY;
            }
        }
        return S_OK;
    case VT_DISPATCH:
    case VT_UNKNOWN: {
        copy.vt = vt;
        copy.punkVal = nullptr;
        IUnknown* p = source.punkVal;
        if (!p)
            return S_OK;
        if (auto existing = StubOfProxy(p)) {
            p->AddRef(); // a proxy works from any thread
            copy.punkVal = p;
            return S_OK;
        }
        std::shared_ptr<Stub> stub = CreateStub(p);
        if (!stub) {
            // Outside a single-threaded apartment the object is not bound to a thread.
            p->AddRef();
            copy.punkVal = p;
            return S_OK;
        }
        {
            // The stub learns the interface here, on its own thread.
            if (!StubInterface(stub, vt == VT_DISPATCH ? IID_IDispatch : IID_IUnknown)) {
                ReleaseStubRef(stub);
                copy.vt = VT_EMPTY;
                return E_NOINTERFACE;
            }
        }
        HRESULT hr = CreateProxy(std::move(stub), vt == VT_DISPATCH ? IID_IDispatch : IID_IUnknown,
                                 reinterpret_cast<void**>(&copy.punkVal));
        if (FAILED(hr))
            copy.vt = VT_EMPTY;
        return hr;
    }
    default:
        if (ValueSize(vt) == 0)
            return DISP_E_BADVARTYPE;
        copy = source;
        return S_OK;
    }
}

HRESULT CopyArrayForTransit(SAFEARRAY* source, SAFEARRAY** copy, int depth) {
    VARTYPE element = VT_EMPTY;
    HRESULT hr = SafeArrayGetVartype(source, &element);
    if (FAILED(hr))
        return hr;
    hr = SafeArrayCopy(source, copy);
    if (FAILED(hr))
        return hr;
    if (element != VT_VARIANT && element != VT_DISPATCH && element != VT_UNKNOWN)
        return S_OK;
    ULONG total = 1;
    for (USHORT d = 0; d < (*copy)->cDims; ++d)
        total *= (*copy)->rgsabound[d].cElements;
    void* data = nullptr;
    if (FAILED(SafeArrayAccessData(*copy, &data)))
        return S_OK;
    for (ULONG i = 0; i < total && SUCCEEDED(hr); ++i) {
        VARIANT item;
        VariantInit(&item);
        VARIANT crossed;
        if (element == VT_VARIANT) {
            VARIANT& slot = static_cast<VARIANT*>(data)[i];
            hr = CopyValue(slot, crossed, depth + 1);
            VariantClear(&slot);
            slot = SUCCEEDED(hr) ? crossed : item;
        } else {
            IUnknown*& slot = static_cast<IUnknown**>(data)[i];
            item.vt = element;
            item.punkVal = slot;
            hr = CopyValue(item, crossed, depth + 1);
            VariantClear(&item);
            slot = SUCCEEDED(hr) ? crossed.punkVal : nullptr;
        }
    }
    SafeArrayUnaccessData(*copy);
    if (FAILED(hr)) {
        SafeArrayDestroy(*copy);
        *copy = nullptr;
    }
    return hr;
}

} // namespace

bool ProxyableInterface(REFIID riid) {
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch))
        return true;
    const DispInterface* decl = FindDispInterface(riid);
    return decl && (!decl->dual || DualVtable(*decl));
}

HRESULT CreateProxy(std::shared_ptr<Stub> stub, REFIID riid, void** ppv) {
    *ppv = nullptr;
    {
        std::lock_guard guard(ApartmentLock());
        if (!stub->object) {
            --stub->refs; // disconnected: nothing left to release
            return CO_E_OBJNOTCONNECTED;
        }
    }
    auto* group = new ProxyGroup(std::move(stub));
    ProxyFacet* facet = group->Facet(riid);
    if (!facet) {
        group->Release();
        return E_NOINTERFACE;
    }
    *ppv = facet->Pointer();
    return S_OK;
}

std::shared_ptr<Stub> StubOfProxy(IUnknown* unknown) {
    IUnknown* facet = nullptr;
    if (!unknown || FAILED(unknown->QueryInterface(IID_QxProxyFacet, reinterpret_cast<void**>(&facet))) ||
        !facet)
        return nullptr;
    std::shared_ptr<Stub> stub = static_cast<ProxyFacet*>(static_cast<IDispatch*>(facet))->group_->stub();
    facet->Release();
    return stub;
}

HRESULT CopyForTransit(const VARIANT& source, VARIANT& copy) {
    return CopyValue(source, copy, 0);
}

} // namespace qx::com::detail
