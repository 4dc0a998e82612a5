// Tamsel loading big trees in a laid-out page: 5,000 nodes as 50 branches of 100 leaves and as
// chains 10 levels deep, and expanding a branch of 1,000 children.
#include "mshtml.h"
#include "objbase_activation.h"
#include "qx/com/bstr.h"
#include "qx/com/variant.h"
#include "qx/html/behaviors/page_behaviors.h"
#include "qx/html/dom/html_document.h"
#include "qx/html/layout/document_geometry.h"
#include "qx/html/script/page_script.h"
#include "qx/module/loader.h"
#include "qx/xml/xml_dom.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

// {35609FBF-EE92-472F-B72A-599B70D21F9E}: Tamsel.TreeViewFactory.
constexpr CLSID kFactoryClass = {
    0x35609FBF, 0xEE92, 0x472F, {0xB7, 0x2A, 0x59, 0x9B, 0x70, 0xD2, 0x1F, 0x9E}};
using GetClassObjectFunction = HRESULT (*)(REFCLSID, REFIID, void**);

HRESULT Invoke(IDispatch* target, const OLECHAR* name, WORD flags, VARIANT* argument, VARIANT* result) {
    DISPID id = 0;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    if (FAILED(target->GetIDsOfNames(IID_NULL, names, 1, 0, &id)))
        return E_FAIL;
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{argument, flags == DISPATCH_PROPERTYPUT ? &named : nullptr, argument ? 1u : 0u,
                      flags == DISPATCH_PROPERTYPUT ? 1u : 0u};
    return target->Invoke(id, IID_NULL, 0, flags, &params, result, nullptr, nullptr);
}

// One page with a tree in a 240 x 160 DIV.
class TreePage {
public:
    TreePage() {
        static HMODULE component = qx::module::LoadModule(QX_TAMSEL_COMPONENT);
        const auto getClassObject =
            reinterpret_cast<GetClassObjectFunction>(qx::module::FindExport(component, "DllGetClassObject"));
        qx::com::ComPtr<IClassFactory> classFactory;
        getClassObject(kFactoryClass, IID_IClassFactory, reinterpret_cast<void**>(&classFactory));
        classFactory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(&factory_));
        qx::html::dom::ParseHtmlDocumentObject(
            u"<div id=t style=\"position: absolute; width: 240px; height: 160px\"></div>", &document_);
        qx::com::ComPtr<IHtmlNodeAccess> access;
        document_->QueryInterface(IID_IHtmlNodeAccess, reinterpret_cast<void**>(&access));
        qx::html::layout::AttachLayout(*access->AccessDocument());
        // The page's script brings the elements' events, which the nodes connect to.
        qx::html::script::PageScript::Open(document_.Get(), {}, &script_);
        qx::html::behaviors::PageBehaviors::Open(document_.Get(), {}, &behaviors_);
        qx::com::ComPtr<IHTMLDocument3> document3;
        document3 = qx::com::ComPtr<IHTMLDocument3>::QueryFrom(document_.Get());
        document3->getElementById(qx::com::Bstr(u"t"), &tree_);
        qx::com::ComPtr<IHTMLElement2> tree2 = qx::com::ComPtr<IHTMLElement2>::QueryFrom(tree_.Get());
        qx::com::Variant factoryArgument(factory_.Get());
        LONG cookie = 0;
        tree2->addBehavior(qx::com::Bstr(u"#f#TreeView"), &factoryArgument, &cookie);
    }
    HRESULT Load(const std::string& xml) {
        qx::com::ComPtr<IXMLDOMDocument> data;
        qx::xml::CreateDOMDocument(nullptr, IID_IXMLDOMDocument, reinterpret_cast<void**>(&data));
        VARIANT_BOOL loaded = VARIANT_FALSE;
        data->loadXML(qx::com::Bstr::FromUtf8(xml), &loaded);
        qx::com::Variant argument(static_cast<IDispatch*>(data.Get()));
        return Invoke(tree_, u"dataSource", DISPATCH_PROPERTYPUT, &argument, nullptr);
    }
    IDispatch* Tree() const { return tree_.Get(); }

private:
    qx::com::ComPtr<IUnknown> factory_;
    qx::com::ComPtr<IHTMLDocument2> document_;
    std::unique_ptr<qx::html::script::PageScript> script_;
    std::unique_ptr<qx::html::behaviors::PageBehaviors> behaviors_;
    qx::com::ComPtr<IDispatch> tree_;
};

std::string Leaves(int count, const std::string& prefix) {
    std::string xml;
    for (int i = 0; i < count; ++i)
        xml += "<NODE><VALUE>" + prefix + std::to_string(i) + "</VALUE></NODE>";
    return xml;
}

std::string WideData() {
    std::string xml = "<TREEVIEWDATA>";
    for (int i = 0; i < 50; ++i)
        xml += "<NODE><VALUE>branch " + std::to_string(i) + "</VALUE><NODES>" + Leaves(100, "leaf ") +
               "</NODES></NODE>";
    return xml + "</TREEVIEWDATA>";
}

std::string DeepData() {
    std::string xml = "<TREEVIEWDATA>";
    for (int chain = 0; chain < 500; ++chain) {
        for (int level = 0; level < 10; ++level)
            xml += "<NODE><VALUE>n" + std::to_string(level) + "</VALUE><NODES>";
        for (int level = 0; level < 10; ++level)
            xml += "</NODES></NODE>";
    }
    return xml + "</TREEVIEWDATA>";
}

void Run(benchmark::State& state, const std::string& xml) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    qx::xml::RegisterXmlDomClass();
    for (auto _ : state) {
        TreePage page;
        if (FAILED(page.Load(xml)))
            state.SkipWithError(
                ("the load failed: " + std::to_string(static_cast<unsigned>(page.Load(xml)))).c_str());
    }
    qx::xml::RevokeXmlDomClass();
    CoUninitialize();
}

void BM_Load50x100(benchmark::State& state) {
    Run(state, WideData());
}
BENCHMARK(BM_Load50x100)->Unit(benchmark::kMillisecond);

void BM_Load10Deep(benchmark::State& state) {
    Run(state, DeepData());
}
BENCHMARK(BM_Load10Deep)->Unit(benchmark::kMillisecond);

void BM_ExpandThousandChildren(benchmark::State& state) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    qx::xml::RegisterXmlDomClass();
    const std::string xml = "<TREEVIEWDATA><NODE><VALUE>big</VALUE><NODES>" + Leaves(1000, "child ") +
                            "</NODES></NODE></TREEVIEWDATA>";
    for (auto _ : state) {
        state.PauseTiming();
        TreePage page;
        page.Load(xml);
        qx::com::Variant root;
        Invoke(page.Tree(), u"rootNode", DISPATCH_PROPERTYGET, nullptr, &root);
        qx::com::Variant first;
        Invoke(root.pdispVal, u"firstChildNode", DISPATCH_PROPERTYGET, nullptr, &first);
        qx::com::Variant expanded(LONG{1});
        state.ResumeTiming();
        Invoke(first.pdispVal, u"expandState", DISPATCH_PROPERTYPUT, &expanded, nullptr);
        LONG height = 0;
        qx::com::ComPtr<IHTMLElement>::QueryFrom(first.pdispVal)->get_offsetHeight(&height);
        benchmark::DoNotOptimize(height);
    }
    qx::xml::RevokeXmlDomClass();
    CoUninitialize();
}
BENCHMARK(BM_ExpandThousandChildren)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
