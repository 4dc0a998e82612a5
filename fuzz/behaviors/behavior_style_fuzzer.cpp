// A page's `behavior` styles: the bytes are a page (UTF-8) after an OBJECT whose object is a
// factory making a behaviour for every name; its inline styles and STYLE sheets are applied, the
// document becomes ready, the content is replaced and the page closes. Whatever the styles say,
// every behaviour attached is detached by the end.
#include "mshtml.h"
#include "objbase_activation.h"
#include "qx/com/bstr.h"
#include "qx/com/object.h"
#include "qx/html/behaviors/page_behaviors.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

long g_attached = 0;

class CBehavior : public qx::com::ObjectRoot, public IElementBehavior {
public:
    QX_BEGIN_INTERFACES(CBehavior)
    QX_INTERFACE_ENTRY(IElementBehavior)
    QX_END_INTERFACES()
    STDMETHODIMP Init(IElementBehaviorSite*) override {
        ++g_attached;
        return S_OK;
    }
    STDMETHODIMP Notify(LONG, VARIANT*) override { return S_OK; }
    STDMETHODIMP Detach() override {
        --g_attached;
        return S_OK;
    }
};

class CFactory : public qx::com::ObjectRoot, public IElementBehaviorFactory {
public:
    QX_BEGIN_INTERFACES(CFactory)
    QX_INTERFACE_ENTRY(IElementBehaviorFactory)
    QX_END_INTERFACES()
    STDMETHODIMP FindBehavior(BSTR, BSTR, IElementBehaviorSite*, IElementBehavior** behavior) override {
        qx::com::ObjectPtr<CBehavior> made;
        const HRESULT hr = qx::com::CreateObject<CBehavior>(made);
        return FAILED(hr) ? hr
                          : made->QueryInterface(IID_IElementBehavior, reinterpret_cast<void**>(behavior));
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    {
        const std::string page =
            "<object id=o></object>" + std::string(reinterpret_cast<const char*>(data), size);
        qx::com::ComPtr<IHTMLDocument2> document;
        if (SUCCEEDED(qx::html::dom::ParseHtmlDocumentObject(qx::com::Utf8ToUtf16(page), &document))) {
            qx::com::ObjectPtr<CFactory> factory;
            qx::com::CreateObject<CFactory>(factory);
            qx::html::behaviors::PageBehaviorOptions options;
            options.objectOf = [&](IHTMLElement*, IUnknown** object) {
                return factory->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(object));
            };
            options.hostFactory = factory.Get();
            std::unique_ptr<qx::html::behaviors::PageBehaviors> behaviors;
            if (SUCCEEDED(qx::html::behaviors::PageBehaviors::Open(document.Get(), options, &behaviors))) {
                behaviors->ApplyStyles();
                behaviors->DocumentReady();
                behaviors->ApplyStyles();
                qx::com::ComPtr<IDispatch> body;
                if (SUCCEEDED(document->get_body(&body)) && body)
                    if (auto element = qx::com::ComPtr<IHTMLElement>::QueryFrom(body.Get()))
                        element->put_innerHTML(qx::com::Bstr(u""));
            }
        }
    }
    CoUninitialize();
    if (g_attached != 0)
        std::abort();
    return 0;
}
