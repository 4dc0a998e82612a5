// Tamsel's data loading: the bytes are the text of an XML data island handed to a tree through
// `dataSource`; the tree is then exported and the export loaded again. Whatever the data says,
// the page closes with every node gone.
#include "mshtml.h"
#include "objbase_activation.h"
#include "qx/com/bstr.h"
#include "qx/com/variant.h"
#include "qx/html/behaviors/page_behaviors.h"
#include "qx/html/dom/html_document.h"
#include "qx/html/script/page_script.h"
#include "qx/module/loader.h"
#include "qx/xml/xml_dom.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

// {35609FBF-EE92-472F-B72A-599B70D21F9E}: Tamsel.TreeViewFactory.
constexpr CLSID kFactoryClass = {
    0x35609FBF, 0xEE92, 0x472F, {0xB7, 0x2A, 0x59, 0x9B, 0x70, 0xD2, 0x1F, 0x9E}};

using GetClassObjectFunction = HRESULT (*)(REFCLSID, REFIID, void**);

qx::com::ComPtr<IClassFactory> FactoryClass() {
    static HMODULE component = qx::module::LoadModule(QX_TAMSEL_COMPONENT);
    qx::com::ComPtr<IClassFactory> classFactory;
    if (!component)
        abort();
    const auto function =
        reinterpret_cast<GetClassObjectFunction>(qx::module::FindExport(component, "DllGetClassObject"));
    if (!function ||
        FAILED(function(kFactoryClass, IID_IClassFactory, reinterpret_cast<void**>(&classFactory))))
        abort();
    return classFactory;
}

HRESULT Put(IDispatch* target, const OLECHAR* name, const VARIANT& value) {
    DISPID id = 0;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    if (FAILED(target->GetIDsOfNames(IID_NULL, names, 1, 0, &id)))
        return E_FAIL;
    DISPID named = DISPID_PROPERTYPUT;
    VARIANT arg = value;
    DISPPARAMS params{&arg, &named, 1, 1};
    return target->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr, nullptr);
}

HRESULT Get(IDispatch* target, const OLECHAR* name, VARIANT* value) {
    DISPID id = 0;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    if (FAILED(target->GetIDsOfNames(IID_NULL, names, 1, 0, &id)))
        return E_FAIL;
    DISPPARAMS params{};
    return target->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYGET, &params, value, nullptr, nullptr);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    qx::xml::RegisterXmlDomClass();
    {
        const std::string page = "<div id=t></div><xml id=island>" +
                                 std::string(reinterpret_cast<const char*>(data), size) + "</xml>";
        qx::com::ComPtr<IHTMLDocument2> document;
        if (SUCCEEDED(qx::html::dom::ParseHtmlDocumentObject(qx::com::Utf8ToUtf16(page), &document))) {
            // The page's script brings the elements' events, which the nodes connect to.
            std::unique_ptr<qx::html::script::PageScript> script;
            qx::html::script::PageScript::Open(document.Get(), {}, &script);
            std::unique_ptr<qx::html::behaviors::PageBehaviors> behaviors;
            qx::html::behaviors::PageBehaviors::Open(document.Get(), {}, &behaviors);
            qx::com::ComPtr<IUnknown> factory;
            FactoryClass()->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(&factory));
            qx::com::ComPtr<IHTMLDocument3> document3;
            document3 = qx::com::ComPtr<IHTMLDocument3>::QueryFrom(document.Get());
            qx::com::ComPtr<IDispatch> tree, island;
            if (document3 && factory) {
                document3->getElementById(qx::com::Bstr(u"t"), &tree);
                document3->getElementById(qx::com::Bstr(u"island"), &island);
            }
            qx::com::ComPtr<IHTMLElement2> tree2 = qx::com::ComPtr<IHTMLElement2>::QueryFrom(tree.Get());
            if (tree2 && island) {
                qx::com::Variant factoryArgument(factory.Get());
                LONG cookie = 0;
                tree2->addBehavior(qx::com::Bstr(u"#f#TreeView"), &factoryArgument, &cookie);
                Put(tree, u"dataSource", qx::com::Variant(island.Get()));
                qx::com::Variant exported;
                if (SUCCEEDED(Get(tree, u"xmlObject", &exported)) && exported.vt == VT_DISPATCH) {
                    Put(tree, u"dataSource", exported);
                    qx::com::Variant again;
                    Get(tree, u"xmlObject", &again);
                }
            }
        }
    }
    qx::xml::RevokeXmlDomClass();
    CoUninitialize();
    return 0;
}
