// The tree behaviour: construction, attachment to its container, the node map, script events
// and the tree-wide properties.
#include "tree_view_behavior.h"

#include "server_module.h"
#include "tree_dom.h"
#include "tree_node_behavior.h"
#include "tree_view_factory.h"

#include <memory>
#include <qx/com/bstr.h>
#include <qx/com/variant.h>

#include "objbase_activation.h"
#include "winmodule.h"
#include "winresource.h"

using qx::com::Bstr;
using qx::com::ComPtr;
using qx::com::Variant;

HRESULT CTreeViewBehavior::FinalConstruct() {
    HRESULT hr = CoCreateInstance(CLSID_DOMDocument, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument,
                                  reinterpret_cast<void**>(&xml_));
    if (FAILED(hr))
        return hr;
    xml_->put_async(VARIANT_FALSE);
    ComPtr<IElementBehaviorFactory> factory;
    hr = qx::com::CreateInstance<CTreeViewFactory>(nullptr, IID_IElementBehaviorFactory,
                                                   reinterpret_cast<void**>(&factory));
    if (FAILED(hr))
        return hr;
    factory_ = static_cast<CTreeViewFactory*>(factory.Get());
    factory_->tree_ = this;
    factory.As(std::addressof(factoryUnknown_));
    ComPtr<ITreeNodeBehavior> root;
    hr = qx::com::CreateInstance<CTreeNodeBehavior>(nullptr, IID_ITreeNodeBehavior,
                                                    reinterpret_cast<void**>(&root));
    if (FAILED(hr))
        return hr;
    root_ = static_cast<CTreeNodeBehavior*>(root.Get());
    root.As(std::addressof(rootUnknown_));
    // The root answers as the invisible top of the tree before content ready gives it its element.
    InitRootNode();
    return S_OK;
}

// Every node still mapped loses its tree: it answers E_UNEXPECTED from then on.
void CTreeViewBehavior::ReleaseNodes() {
    for (auto& [key, node] : nodes_)
        node->tree_ = nullptr;
    nodes_.clear();
    selected_ = nullptr;
    if (root_) {
        root_->tree_ = nullptr;
        root_->element_ = nullptr;
        root_->element2_ = nullptr;
    }
}

void CTreeViewBehavior::FinalRelease() {
    ReleaseNodes();
    if (factory_)
        factory_->tree_ = nullptr;
    factory_ = nullptr;
    factoryUnknown_ = nullptr;
    root_ = nullptr;
    rootUnknown_ = nullptr;
    xml_ = nullptr;
    colorTable_.clear();
    iconTable_.clear();
    heritageSets_.clear();
}

STDMETHODIMP CTreeViewBehavior::Init(IElementBehaviorSite* pBehaviorSite) {
    if (!pBehaviorSite)
        return E_INVALIDARG;
    site_ = pBehaviorSite;
    siteOM_ = ComPtr<IElementBehaviorSiteOM>::QueryFrom(pBehaviorSite);
    return S_OK;
}

STDMETHODIMP CTreeViewBehavior::Notify(LONG lEvent, VARIANT*) {
    if (lEvent != 0)
        return S_OK;
    if (!site_)
        return E_UNEXPECTED;
    TREE_CHECK(site_->GetElement(&element_));
    if (!element_)
        return E_FAIL;
    TREE_CHECK(element_.As(std::addressof(element2_)));
    ComPtr<IDispatch> document;
    TREE_CHECK(element_->get_document(&document));
    document_ = ComPtr<IHTMLDocument2>::QueryFrom(document.Get());
    if (!document_)
        return E_NOINTERFACE;
    TREE_CHECK(StyleContainer());
    char path[1024] = {};
    GetModuleFileNameA(_Module.GetModuleInstance(), path, sizeof(path));
    modulePath_ = Bstr::FromUtf8(path);
    SetUpBuiltIns();
    InitRootNode();
    return S_OK;
}

STDMETHODIMP CTreeViewBehavior::Detach() {
    ReleaseNodes();
    site_ = nullptr;
    siteOM_ = nullptr;
    element_ = nullptr;
    element2_ = nullptr;
    document_ = nullptr;
    return S_OK;
}

HRESULT CTreeViewBehavior::StyleContainer() {
    ComPtr<IHTMLStyle> style;
    TREE_CHECK(treedom::StyleOf(element_, style));
    TREE_CHECK(style->put_textAlign(Bstr(u"left")));
    TREE_CHECK(style->put_overflow(Bstr(u"auto")));
    ComPtr<IHTMLDivElement> div = ComPtr<IHTMLDivElement>::QueryFrom(element_.Get());
    if (!div)
        return E_NOINTERFACE;
    return div->put_noWrap(VARIANT_TRUE);
}

void CTreeViewBehavior::SetUpBuiltIns() {
    builtInColors_.name = Bstr(u"BASE");
    const char16_t* colors[kColorCount] = {u"black", u"white", u"white", u"blue", u"white", u"gray"};
    for (int i = 0; i < kColorCount; ++i)
        builtInColors_.colors[i] = Variant(colors[i]);
    defaultColors_ = builtInColors_;

    builtInIcons_.name = Bstr(u"BASE");
    const char* icons[kIconCount] = {"LEAFDEFAULTICON", "LEAFSELECTEDICON", "BRANCHDEFAULTICON",
                                     "BRANCHSELECTEDICON"};
    for (int i = 0; i < kIconCount; ++i)
        builtInIcons_.paths[i] = ExtractIconResource(icons[i]);
    defaultIcons_ = builtInIcons_;

    builtInHeritage_.name = Bstr(u"BASE");
    builtInHeritage_.vertLine = ExtractIconResource("VERTLINEICON");
    builtInHeritage_.blank = ExtractIconResource("BLANKICON");
    for (int leaf = 0; leaf < 2; ++leaf)
        for (int expanded = 0; expanded < 2; ++expanded)
            for (int position = 0; position < 4; ++position) {
                const std::string name = "HeritageIcon" + std::to_string(leaf) + std::to_string(expanded) +
                                         std::to_string(position);
                builtInHeritage_.slots[8 * leaf + 4 * expanded + position] =
                    ExtractIconResource(name.c_str());
            }
    activeHeritage_ = builtInHeritage_;
}

void CTreeViewBehavior::InitRootNode() {
    root_->tree_ = this;
    root_->element_ = element_;
    root_->element2_ = element2_;
    root_->depth_ = 0;
    root_->expanded_ = 1;
    root_->isLeaf_ = 0;
    root_->key_ = Bstr(u"ROOTNODE");
    root_->sortType_ = Bstr(u"NORMAL");
}

CTreeNodeBehavior* CTreeViewBehavior::NodeOf(IHTMLElement* element) {
    if (!element)
        return nullptr;
    if (treedom::SameObject(element, element_))
        return root_;
    Variant id;
    if (FAILED(treedom::GetMember(element, u"uniqueID", &id)) || id.vt != VT_BSTR)
        return nullptr;
    const auto found = nodes_.find(qx::com::Utf16ToUtf8({id.bstrVal, SysStringLen(id.bstrVal)}));
    return found == nodes_.end() ? nullptr : found->second;
}

void CTreeViewBehavior::EnterNode(const std::string& key, CTreeNodeBehavior* node) {
    nodes_[key] = node;
}

void CTreeViewBehavior::ForgetNode(const std::string& key, CTreeNodeBehavior* node) {
    const auto found = nodes_.find(key);
    if (found != nodes_.end() && found->second == node)
        nodes_.erase(found);
    if (selected_ == node)
        selected_ = nullptr;
}

std::u16string CTreeViewBehavior::LoadText(UINT id) const {
    WCHAR text[256] = {};
    const int length = LoadStringW(_Module.GetResourceInstance(), id, text, 256);
    return std::u16string(reinterpret_cast<const char16_t*>(text), length > 0 ? length : 0);
}

void CTreeViewBehavior::FireScriptEvent(UINT id, CTreeNodeBehavior* node) {
    if (!siteOM_ || !node)
        return;
    const std::u16string name = LoadText(id);
    if (name.empty())
        return;
    // Handlers may release the site: keep what this call uses.
    ComPtr<IElementBehaviorSiteOM> siteOM = siteOM_;
    LONG cookie = 0;
    if (FAILED(siteOM->RegisterEvent(const_cast<LPOLESTR>(reinterpret_cast<const OLECHAR*>(name.c_str())), 0,
                                     &cookie)))
        return;
    ComPtr<IHTMLEventObj> event;
    if (FAILED(siteOM->CreateEventObject(&event)) || !event)
        return;
    ComPtr<IHTMLEventObj2> event2 = event.As<IHTMLEventObj2>();
    if (!event2)
        return;
    event2->setAttribute(Bstr(u"param"), Variant(node->ElementDispatch()), 0);
    event2->setAttribute(Bstr(u"type"), Variant(name), 0);
    siteOM->FireEvent(cookie, event);
}

// --- ITreeViewBehavior: properties ---

STDMETHODIMP CTreeViewBehavior::get_dataSource(VARIANT* pVal) {
    if (!pVal)
        return E_POINTER;
    VariantInit(pVal);
    pVal->vt = VT_DISPATCH;
    return xml_->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&pVal->pdispVal));
}

STDMETHODIMP CTreeViewBehavior::put_dataSource(VARIANT newVal) {
    if (!root_ || !root_->tree_ || Building())
        return E_UNEXPECTED;
    ComPtr<IUnknown> hold(rootUnknown_);
    dataReady_ = 0;
    ++buildDepth_;
    const HRESULT hr = LoadDataSource(newVal);
    --buildDepth_;
    dataReady_ = 1;
    // The whole tree is redrawn whatever the load did, so that what it built is complete.
    if (root_ && root_->tree_) {
        root_->RefreshSubtreeIndent();
        root_->RefreshSubtreeIcons();
    }
    return hr;
}

STDMETHODIMP CTreeViewBehavior::get_rootNode(VARIANT* pVal) {
    if (!pVal)
        return E_POINTER;
    VariantInit(pVal);
    pVal->vt = VT_DISPATCH;
    return static_cast<ITreeNodeBehavior*>(root_)->QueryInterface(IID_IDispatch,
                                                                  reinterpret_cast<void**>(&pVal->pdispVal));
}

STDMETHODIMP CTreeViewBehavior::get_selectedNode(VARIANT* pVal) {
    if (!pVal)
        return E_POINTER;
    VariantInit(pVal);
    if (selected_ && selected_->element_) {
        pVal->vt = VT_DISPATCH;
        return selected_->element_->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&pVal->pdispVal));
    }
    return S_OK;
}

static HRESULT GetFlag(LONG value, LONG* pVal) {
    if (!pVal)
        return E_POINTER;
    *pVal = value;
    return S_OK;
}

STDMETHODIMP CTreeViewBehavior::get_Enable(LONG* pVal) {
    return GetFlag(enable_, pVal);
}
STDMETHODIMP CTreeViewBehavior::put_Enable(LONG newVal) {
    enable_ = newVal != 0;
    return S_OK;
}
STDMETHODIMP CTreeViewBehavior::get_hotTracking(LONG* pVal) {
    return GetFlag(hotTracking_, pVal);
}
STDMETHODIMP CTreeViewBehavior::put_hotTracking(LONG newVal) {
    hotTracking_ = newVal != 0;
    return S_OK;
}
STDMETHODIMP CTreeViewBehavior::get_multiSelectAble(LONG* pVal) {
    return GetFlag(multiSelectAble_, pVal);
}
STDMETHODIMP CTreeViewBehavior::put_multiSelectAble(LONG newVal) {
    multiSelectAble_ = newVal != 0;
    return S_OK;
}
STDMETHODIMP CTreeViewBehavior::get_async(LONG* pVal) {
    return GetFlag(async_, pVal);
}
STDMETHODIMP CTreeViewBehavior::put_async(LONG newVal) {
    async_ = newVal;
    return S_OK;
}

STDMETHODIMP CTreeViewBehavior::get_sortType(BSTR* pVal) {
    return sortType_.CopyTo(pVal);
}

STDMETHODIMP CTreeViewBehavior::put_sortType(BSTR newVal) {
    const Bstr text(newVal);
    if (text == u"ASCENDING" || text == u"DESCENDING" || text == u"NORMAL")
        sortType_ = text;
    return S_OK;
}

STDMETHODIMP CTreeViewBehavior::get_leafDefaultIcon(BSTR* pVal) {
    return defaultIcons_.paths[kLeafDefault].CopyTo(pVal);
}
STDMETHODIMP CTreeViewBehavior::put_leafDefaultIcon(BSTR newVal) {
    defaultIcons_.paths[kLeafDefault] = Bstr(newVal);
    return S_OK;
}
STDMETHODIMP CTreeViewBehavior::get_leafSelectedIcon(BSTR* pVal) {
    return defaultIcons_.paths[kLeafSelected].CopyTo(pVal);
}
STDMETHODIMP CTreeViewBehavior::put_leafSelectedIcon(BSTR newVal) {
    defaultIcons_.paths[kLeafSelected] = Bstr(newVal);
    return S_OK;
}
STDMETHODIMP CTreeViewBehavior::get_branchDefaultIcon(BSTR* pVal) {
    return defaultIcons_.paths[kBranchDefault].CopyTo(pVal);
}
STDMETHODIMP CTreeViewBehavior::put_branchDefaultIcon(BSTR newVal) {
    defaultIcons_.paths[kBranchDefault] = Bstr(newVal);
    return S_OK;
}
STDMETHODIMP CTreeViewBehavior::get_branchSelectedIcon(BSTR* pVal) {
    return defaultIcons_.paths[kBranchSelected].CopyTo(pVal);
}
STDMETHODIMP CTreeViewBehavior::put_branchSelectedIcon(BSTR newVal) {
    defaultIcons_.paths[kBranchSelected] = Bstr(newVal);
    return S_OK;
}

HRESULT CTreeViewBehavior::GetColor(const ColorEntry& entry, int slot, VARIANT* value) {
    if (!value)
        return E_POINTER;
    VariantInit(value);
    return VariantCopy(value, &entry.colors[slot]);
}

// A colour that cannot be copied is kept as VT_ERROR with the failure; the put still succeeds.
void CTreeViewBehavior::PutColor(ColorEntry& entry, int slot, const VARIANT& value) {
    Variant copy;
    const HRESULT hr = VariantCopyInd(&copy, &value);
    entry.colors[slot] = SUCCEEDED(hr) ? copy : Variant::Error(hr);
}

STDMETHODIMP CTreeViewBehavior::get_defaultTextColor(VARIANT* pVal) {
    return GetColor(defaultColors_, kDefaultText, pVal);
}
STDMETHODIMP CTreeViewBehavior::put_defaultTextColor(VARIANT newVal) {
    PutColor(defaultColors_, kDefaultText, newVal);
    return S_OK;
}
STDMETHODIMP CTreeViewBehavior::get_defaultBgColor(VARIANT* pVal) {
    return GetColor(defaultColors_, kDefaultBg, pVal);
}
STDMETHODIMP CTreeViewBehavior::put_defaultBgColor(VARIANT newVal) {
    PutColor(defaultColors_, kDefaultBg, newVal);
    return S_OK;
}
STDMETHODIMP CTreeViewBehavior::get_selectedTextColor(VARIANT* pVal) {
    return GetColor(defaultColors_, kSelectedText, pVal);
}
STDMETHODIMP CTreeViewBehavior::put_selectedTextColor(VARIANT newVal) {
    PutColor(defaultColors_, kSelectedText, newVal);
    return S_OK;
}
STDMETHODIMP CTreeViewBehavior::get_selectedBgColor(VARIANT* pVal) {
    return GetColor(defaultColors_, kSelectedBg, pVal);
}
STDMETHODIMP CTreeViewBehavior::put_selectedBgColor(VARIANT newVal) {
    PutColor(defaultColors_, kSelectedBg, newVal);
    return S_OK;
}
STDMETHODIMP CTreeViewBehavior::get_hotTrackingTextColor(VARIANT* pVal) {
    return GetColor(defaultColors_, kHotText, pVal);
}
STDMETHODIMP CTreeViewBehavior::put_hotTrackingTextColor(VARIANT newVal) {
    PutColor(defaultColors_, kHotText, newVal);
    return S_OK;
}
STDMETHODIMP CTreeViewBehavior::get_hotTrackingBgColor(VARIANT* pVal) {
    return GetColor(defaultColors_, kHotBg, pVal);
}
STDMETHODIMP CTreeViewBehavior::put_hotTrackingBgColor(VARIANT newVal) {
    PutColor(defaultColors_, kHotBg, newVal);
    return S_OK;
}

STDMETHODIMP CTreeViewBehavior::applyAllNodeFromInfo(BSTR, LONG*) {
    return S_OK;
}

STDMETHODIMP CTreeViewBehavior::get_xmlObject(VARIANT* pVal) {
    if (!pVal)
        return E_POINTER;
    VariantInit(pVal);
    return ExportTree(pVal);
}

STDMETHODIMP CTreeViewBehavior::unSelect(VARIANT* pSelected) {
    if (!pSelected)
        return E_POINTER;
    VariantInit(pSelected);
    if (!selected_)
        return S_OK;
    ComPtr<ITreeNodeBehavior> node(selected_);
    TREE_CHECK(get_selectedNode(pSelected));
    selected_ = nullptr;
    return node.Get() ? static_cast<CTreeNodeBehavior*>(node.Get())->SelectNode() : S_OK;
}
