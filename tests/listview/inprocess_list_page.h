// A list view page in this process, without a window: the document, its script and behaviours,
// Orrin's factory made through the loaded component file and handed to the page's script as
// `factory`, and an XML document (synchronous) as `xml`. The fuzz target and the benchmark drive the list
// view through it. The caller holds the apartment.
#pragma once

#include "msxml.h"
#include "objbase.h"
#include "objbase_activation.h"
#include "qx/com/bstr.h"
#include "qx/com/comptr.h"
#include "qx/com/variant.h"
#include "qx/html/behaviors/page_behaviors.h"
#include "qx/html/dom/html_document.h"
#include "qx/html/script/page_script.h"
#include "qx/module/loader.h"
#include "qx/xml/xml_dom.h"

#include <memory>
#include <string>

namespace orrin_test {

// {F8E93A35-2D04-4E2C-A04D-87947594C674}: Orrin.ComCtrlFactory.
inline constexpr CLSID kComCtrlFactory = {
    0xF8E93A35, 0x2D04, 0x4E2C, {0xA0, 0x4D, 0x87, 0x94, 0x75, 0x94, 0xC6, 0x74}};

class InProcessListPage {
public:
    explicit InProcessListPage(const std::string& component) {
        qx::xml::RegisterXmlDomClass();
        module_ = qx::module::LoadModule(component);
    }
    ~InProcessListPage() {
        Close();
        factory_ = nullptr;
        if (module_)
            qx::module::FreeModule(module_);
        qx::xml::RevokeXmlDomClass();
    }
    InProcessListPage(const InProcessListPage&) = delete;
    InProcessListPage& operator=(const InProcessListPage&) = delete;

    // Opens the page (its scripts run) with `factory` defined; false when anything fails.
    bool Open(const std::string& html) {
        Close();
        if (!module_ || (!factory_ && FAILED(MakeFactory())))
            return false;
        if (FAILED(qx::html::dom::ParseHtmlDocumentObject(qx::com::Utf8ToUtf16(html), &document_)))
            return false;
        qx::html::script::PageScriptOptions scriptOptions;
        scriptOptions.report = [this](const std::string& report) { errors_ += report; };
        if (FAILED(qx::html::script::PageScript::Open(document_.Get(), scriptOptions, &script_)) ||
            FAILED(script_->Engine().DefineValue("factory", qx::com::Variant(factory_.Get()))) ||
            FAILED(MakeXml()) || FAILED(script_->Engine().DefineValue("xml", qx::com::Variant(xml_.Get()))) ||
            FAILED(qx::html::behaviors::PageBehaviors::Open(document_.Get(), {}, &behaviors_)))
            return false;
        script_->RunScripts();
        return true;
    }
    // Runs script in the page; what it left in the global `said`, as text.
    std::string Run(const std::string& source) {
        if (!script_)
            return {};
        script_->Execute("var said = ''; " + source, "run");
        qx::com::Variant said;
        script_->Engine().GetGlobal(u"said", &said);
        if (FAILED(said.ChangeType(VT_BSTR)))
            return {};
        return qx::com::Utf16ToUtf8({said.bstrVal, SysStringLen(said.bstrVal)});
    }
    const std::string& Errors() const { return errors_; }
    // The page's document, for what the test reads of it directly.
    qx::html::dom::DomPtr Dom() const {
        auto access = qx::com::ComPtr<IHtmlNodeAccess>::QueryFrom(document_.Get());
        return access ? access->AccessDocument() : nullptr;
    }
    // Lets the page's behaviours go, its document and script staying.
    void CloseBehaviors() { behaviors_.reset(); }
    void Close() {
        behaviors_.reset();
        script_.reset();
        document_ = nullptr;
        xml_ = nullptr;
    }

private:
    HRESULT MakeFactory() {
        using GetClassObject = HRESULT (*)(REFCLSID, REFIID, void**);
        const auto get =
            reinterpret_cast<GetClassObject>(qx::module::FindExport(module_, "DllGetClassObject"));
        qx::com::ComPtr<IClassFactory> classFactory;
        HRESULT hr =
            get ? get(kComCtrlFactory, IID_IClassFactory, reinterpret_cast<void**>(&classFactory)) : E_FAIL;
        if (SUCCEEDED(hr))
            hr = classFactory->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(&factory_));
        return hr;
    }

    HRESULT MakeXml() {
        xml_ = nullptr;
        CLSID parser = {};
        HRESULT hr = CLSIDFromProgID(u"Microsoft.XMLDOM", &parser);
        qx::com::ComPtr<IXMLDOMDocument> document;
        if (SUCCEEDED(hr))
            hr = CoCreateInstance(parser, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument,
                                  reinterpret_cast<void**>(&document));
        if (SUCCEEDED(hr))
            hr = document->put_async(VARIANT_FALSE);
        if (SUCCEEDED(hr))
            hr = document->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&xml_));
        return hr;
    }

    HMODULE module_ = nullptr;
    qx::com::ComPtr<IDispatch> xml_;
    qx::com::ComPtr<IDispatch> factory_;
    qx::com::ComPtr<IHTMLDocument2> document_;
    std::unique_ptr<qx::html::script::PageScript> script_;
    std::unique_ptr<qx::html::behaviors::PageBehaviors> behaviors_;
    std::string errors_;
};

} // namespace orrin_test
