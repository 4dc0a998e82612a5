// A converter that logs every call the control makes and forwards it to a real Quorle object:
// registered in this process under its own class and named by "Quorle.Convert" in the test
// registry, so that the control makes it instead of the real one.
#pragma once

#include "convert_interfaces.h"

#include <qx/com/bstr.h>
#include <qx/com/comptr.h>
#include <qx/com/dispatch.h>
#include <qx/com/object.h>

#include <string>
#include <vector>

namespace velkor_test {

QX_DEFINE_GUID(CLSID_SpyConvert, "{5B2C4D8E-7A11-4C55-9E3D-2F6A0B1C9D47}");

class SpyConvert : public qx::com::ObjectRoot,
                   public qx::com::DispatchImpl<IConvert>,
                   public IConnectionPointContainer {
public:
    QX_BEGIN_INTERFACES(SpyConvert)
    QX_INTERFACE_ENTRY(IConvert)
    QX_INTERFACE_ENTRY2(IDispatch, IConvert)
    QX_INTERFACE_ENTRY(IConnectionPointContainer)
    QX_END_INTERFACES()
    static constexpr bool kAggregatable = false;

    // Every call of every spy, in order: "IsMHTML <text>", "sync -1", "mhtData=", "filterIn", ...
    static std::vector<std::string>& Log() {
        static std::vector<std::string> log;
        return log;
    }

    HRESULT FinalConstruct() {
        return CoCreateInstance(CLSID_Convert, nullptr, CLSCTX_INPROC_SERVER, IID_IConvert,
                                reinterpret_cast<void**>(&real_));
    }

    static HRESULT Create(IUnknown* outer, REFIID riid, void** ppv) {
        if (outer)
            return CLASS_E_NOAGGREGATION;
        qx::com::ObjectPtr<SpyConvert> spy;
        HRESULT hr = qx::com::CreateObject<SpyConvert>(spy);
        return FAILED(hr) ? hr : spy->QueryInterface(riid, ppv);
    }

    STDMETHODIMP filterIn(VARIANT_BOOL* pVal) override {
        Log().push_back("filterIn");
        return real_->filterIn(pVal);
    }
    STDMETHODIMP filterOut(BSTR pathBase, VARIANT_BOOL* pVal) override {
        Log().push_back("filterOut " + qx::com::Bstr(pathBase).ToUtf8());
        return real_->filterOut(pathBase, pVal);
    }
    STDMETHODIMP IsMHTML(BSTR bstrText, VARIANT_BOOL* pVal) override {
        Log().push_back("IsMHTML " + qx::com::Bstr(bstrText).ToUtf8());
        return real_->IsMHTML(bstrText, pVal);
    }
    STDMETHODIMP get_htmlData(BSTR* pVal) override {
        Log().push_back("htmlData");
        return real_->get_htmlData(pVal);
    }
    STDMETHODIMP put_htmlData(BSTR newVal) override {
        Log().push_back("htmlData=");
        return real_->put_htmlData(newVal);
    }
    STDMETHODIMP get_mhtData(BSTR* pVal) override {
        Log().push_back("mhtData");
        return real_->get_mhtData(pVal);
    }
    STDMETHODIMP put_mhtData(BSTR newVal) override {
        Log().push_back("mhtData=");
        return real_->put_mhtData(newVal);
    }
    STDMETHODIMP DownloadURL(BSTR htmURL, BSTR* htmlData) override {
        return real_->DownloadURL(htmURL, htmlData);
    }
    STDMETHODIMP ViewMhtInBrowser() override { return real_->ViewMhtInBrowser(); }
    STDMETHODIMP SetDocumentDisp(IDispatch* pDocumentDisp) override {
        return real_->SetDocumentDisp(pDocumentDisp);
    }
    STDMETHODIMP FireEvent2(LONG evtType, LONG nType) override { return real_->FireEvent2(evtType, nType); }
    STDMETHODIMP get_sync(VARIANT_BOOL* pVal) override { return real_->get_sync(pVal); }
    STDMETHODIMP put_sync(VARIANT_BOOL newVal) override {
        Log().push_back("sync " + std::to_string(newVal));
        return real_->put_sync(newVal);
    }
    STDMETHODIMP put_Subject(BSTR newVal) override {
        Log().push_back("Subject " + qx::com::Bstr(newVal).ToUtf8());
        return real_->put_Subject(newVal);
    }

    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** ppEnum) override {
        return Container()->EnumConnectionPoints(ppEnum);
    }
    STDMETHODIMP FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) override {
        return Container()->FindConnectionPoint(riid, ppCP);
    }

private:
    qx::com::ComPtr<IConnectionPointContainer> Container() {
        return qx::com::ComPtr<IConnectionPointContainer>::QueryFrom(real_.Get());
    }
    qx::com::ComPtr<IConvert> real_;
};

} // namespace velkor_test
