// Error information: one IErrorInfo per thread, and the error object that CreateErrorInfo makes.
#include "qx/com/error_info.h"
#include "qx/com/bstr.h"
#include "qx/com/object.h"

#include <mutex>

namespace {

using qx::com::Bstr;

class ErrorObject : public qx::com::ObjectRoot, public IErrorInfo, public ICreateErrorInfo {
public:
    QX_BEGIN_INTERFACES(ErrorObject)
    QX_INTERFACE_ENTRY(IErrorInfo)
    QX_INTERFACE_ENTRY(ICreateErrorInfo)
    QX_END_INTERFACES()

    STDMETHODIMP GetGUID(GUID* pGUID) override {
        if (!pGUID)
            return E_INVALIDARG;
        std::lock_guard lock(mutex_);
        *pGUID = guid_;
        return S_OK;
    }
    STDMETHODIMP GetSource(BSTR* p) override { return Get(source_, p); }
    STDMETHODIMP GetDescription(BSTR* p) override { return Get(description_, p); }
    STDMETHODIMP GetHelpFile(BSTR* p) override { return Get(helpFile_, p); }
    STDMETHODIMP GetHelpContext(DWORD* p) override {
        if (!p)
            return E_INVALIDARG;
        std::lock_guard lock(mutex_);
        *p = helpContext_;
        return S_OK;
    }

    STDMETHODIMP SetGUID(REFGUID rguid) override {
        std::lock_guard lock(mutex_);
        guid_ = rguid;
        return S_OK;
    }
    STDMETHODIMP SetSource(LPOLESTR s) override { return Set(source_, s); }
    STDMETHODIMP SetDescription(LPOLESTR s) override { return Set(description_, s); }
    STDMETHODIMP SetHelpFile(LPOLESTR s) override { return Set(helpFile_, s); }
    STDMETHODIMP SetHelpContext(DWORD context) override {
        std::lock_guard lock(mutex_);
        helpContext_ = context;
        return S_OK;
    }

private:
    HRESULT Get(const Bstr& field, BSTR* out) {
        if (!out)
            return E_INVALIDARG;
        std::lock_guard lock(mutex_);
        return field.CopyTo(out);
    }
    HRESULT Set(Bstr& field, LPOLESTR text) {
        Bstr copy(text);
        if (text && !copy.Get())
            return E_OUTOFMEMORY;
        std::lock_guard lock(mutex_);
        field = std::move(copy);
        return S_OK;
    }

    std::mutex mutex_;
    GUID guid_{};
    Bstr source_, description_, helpFile_;
    DWORD helpContext_ = 0;
};

thread_local qx::com::ComPtr<IErrorInfo> t_errorInfo;

} // namespace

HRESULT CreateErrorInfo(ICreateErrorInfo** pperrinfo) {
    if (!pperrinfo)
        return E_INVALIDARG;
    *pperrinfo = nullptr;
    qx::com::ObjectPtr<ErrorObject> object;
    HRESULT hr = qx::com::CreateObject<ErrorObject>(object);
    if (FAILED(hr))
        return hr;
    return object->QueryInterface(IID_ICreateErrorInfo, reinterpret_cast<void**>(pperrinfo));
}

HRESULT SetErrorInfo(ULONG, IErrorInfo* perrinfo) {
    t_errorInfo = perrinfo;
    return S_OK;
}

// Hands over this thread's error information and clears it; S_FALSE when there is none.
HRESULT GetErrorInfo(ULONG, IErrorInfo** pperrinfo) {
    if (!pperrinfo)
        return E_INVALIDARG;
    *pperrinfo = t_errorInfo.Detach();
    return *pperrinfo ? S_OK : S_FALSE;
}

namespace qx::com {

HRESULT ReportError(REFIID iid, std::u16string_view source, std::u16string_view description, HRESULT hr,
                    std::u16string_view helpFile, DWORD helpContext) {
    ComPtr<ICreateErrorInfo> create;
    if (FAILED(CreateErrorInfo(&create)))
        return hr;
    Bstr src(source), desc(description), help(helpFile);
    create->SetGUID(iid);
    create->SetSource(src.Get() ? src.Get() : const_cast<LPOLESTR>(u""));
    create->SetDescription(desc.Get() ? desc.Get() : const_cast<LPOLESTR>(u""));
    if (!helpFile.empty())
        create->SetHelpFile(help.Get());
    create->SetHelpContext(helpContext);
    ComPtr<IErrorInfo> info = create.As<IErrorInfo>();
    SetErrorInfo(0, info.Get());
    return hr;
}

} // namespace qx::com
