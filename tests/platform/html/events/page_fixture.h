// A parsed page with its events and layout, and a sink that records what it is told.
#pragma once

#include <gtest/gtest.h>
#include <oleauto.h>
#include <qx/com/bstr.h>
#include <qx/com/comptr.h>
#include <qx/com/variant.h>
#include <qx/html/dom/html_document.h>
#include <qx/html/events/page_events.h>
#include <qx/html/layout/document_geometry.h>

#include <functional>
#include <string>
#include <vector>

namespace qx::test {

// A dispatch sink answering IDispatch and, when given, one event interface. Each Invoke appends
// "NAME:DISPID" to the log, runs `during` and writes `answer` into the result.
class RecordingSink final : public IDispatch {
public:
    RecordingSink(std::string name, std::vector<std::string>& log, IID eventInterface = IID_NULL)
        : name_(std::move(name)), log_(log), iid_(eventInterface) {}

    com::Variant answer;                // what Invoke puts in the result (VT_EMPTY: nothing)
    HRESULT invokeResult = S_OK;        // what Invoke returns
    std::function<void(DISPID)> during; // runs inside the call
    ULONG Refs() const { return refs_; }

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
            (!IsEqualIID(iid_, IID_NULL) && IsEqualIID(riid, iid_))) {
            *ppv = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override { return --refs_; } // lives on the test's stack
    STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                        UINT*) override {
        EXPECT_EQ(flags, DISPATCH_METHOD);
        EXPECT_EQ(params ? params->cArgs : 1u, 0u);
        log_.push_back(name_ + ":" + std::to_string(id));
        if (during)
            during(id);
        if (result && answer.vt != VT_EMPTY)
            VariantCopy(result, &answer);
        return invokeResult;
    }

private:
    std::string name_;
    std::vector<std::string>& log_;
    IID iid_;
    ULONG refs_ = 0;
};

class PageFixture : public ::testing::Test {
protected:
    void Load(std::u16string_view html) {
        ASSERT_EQ(html::dom::ParseHtmlDocumentObject(html, &document_), S_OK);
        dom_ = com::ComPtr<IHtmlNodeAccess>::QueryFrom(document_.Get())->AccessDocument();
        events_ = html::events::PageEvents::Of(dom_);
        layout_ = &html::layout::AttachLayout(*dom_);
    }
    void TearDown() override {
        if (events_)
            events_->Clear();
        if (dom_)
            dom_->events.reset();
    }

    com::ComPtr<IDispatch> Element(std::u16string_view id) {
        com::ComPtr<IHTMLDocument3> d3 = com::ComPtr<IHTMLDocument3>::QueryFrom(document_.Get());
        com::ComPtr<IDispatch> element;
        EXPECT_EQ(d3->getElementById(com::Bstr(id).Get(), &element), S_OK);
        return element;
    }
    html::dom::Node* NodeOf(IUnknown* object) {
        return com::ComPtr<IHtmlNodeAccess>::QueryFrom(object)->AccessNode();
    }
    // Advises sink on the object's point for iid; the cookie, 0 when refused.
    DWORD Advise(IUnknown* object, REFIID iid, IDispatch* sink, HRESULT expected = S_OK) {
        com::ComPtr<IConnectionPointContainer> container =
            com::ComPtr<IConnectionPointContainer>::QueryFrom(object);
        EXPECT_TRUE(container);
        if (!container)
            return 0;
        com::ComPtr<IConnectionPoint> point;
        EXPECT_EQ(container->FindConnectionPoint(iid, &point), S_OK);
        DWORD cookie = 0;
        if (point) {
            EXPECT_EQ(point->Advise(sink, &cookie), expected);
        }
        return cookie;
    }
    HRESULT Unadvise(IUnknown* object, REFIID iid, DWORD cookie) {
        com::ComPtr<IConnectionPointContainer> container =
            com::ComPtr<IConnectionPointContainer>::QueryFrom(object);
        com::ComPtr<IConnectionPoint> point;
        const HRESULT hr = container ? container->FindConnectionPoint(iid, &point) : E_NOINTERFACE;
        return FAILED(hr) ? hr : point->Unadvise(cookie);
    }
    // Fires an event at an element as fireEvent does; false when it was cancelled.
    bool Fire(IDispatch* element, std::u16string_view name) {
        com::ComPtr<IHTMLElement3> e3 = com::ComPtr<IHTMLElement3>::QueryFrom(element);
        VARIANT_BOOL delivered = VARIANT_FALSE;
        EXPECT_EQ(e3->fireEvent(com::Bstr(name).Get(), nullptr, &delivered), S_OK);
        return delivered != VARIANT_FALSE;
    }

    com::ComPtr<IHTMLDocument2> document_;
    html::dom::DomPtr dom_;
    std::shared_ptr<html::events::PageEvents> events_;
    html::layout::PageLayout* layout_ = nullptr;
};

} // namespace qx::test
