// The node behaviour: attachment to its DIV, its place among the tree's nodes, and its script
// properties.
#include "tree_node_behavior.h"

#include "tree_dom.h"
#include "tree_view_behavior.h"

using qx::com::Bstr;
using qx::com::ComPtr;
using qx::com::Variant;

void CTreeNodeBehavior::FinalRelease() {
    DisconnectSinks();
    if (tree_ && !key_.Empty() && key_ != u"ROOTNODE")
        tree_->ForgetNode(key_.ToUtf8(), this);
    indentSources_.clear();
}

STDMETHODIMP CTreeNodeBehavior::Init(IElementBehaviorSite* pBehaviorSite) {
    if (!pBehaviorSite)
        return E_INVALIDARG;
    site_ = pBehaviorSite;
    return S_OK;
}

STDMETHODIMP CTreeNodeBehavior::Notify(LONG lEvent, VARIANT*) {
    if (lEvent != 0)
        return S_OK;
    if (!site_)
        return E_UNEXPECTED;
    TREE_CHECK(site_->GetElement(&element_));
    TREE_CHECK(element_.As(std::addressof(element2_)));
    Variant id;
    TREE_CHECK(treedom::GetMember(element_, u"uniqueID", &id));
    if (id.vt != VT_BSTR)
        return E_FAIL;
    key_ = Bstr(id.bstrVal);
    // A node made by a factory of no tree enters no map.
    if (tree_)
        tree_->EnterNode(key_.ToUtf8(), this);
    return S_OK;
}

STDMETHODIMP CTreeNodeBehavior::Detach() {
    DisconnectSinks();
    if (tree_ && tree_->selected_ == this)
        tree_->selected_ = nullptr;
    site_ = nullptr;
    element_ = nullptr;
    element2_ = nullptr;
    text_ = nullptr;
    icon_ = nullptr;
    heritage_ = nullptr;
    indents_.clear();
    return S_OK;
}

HRESULT CTreeNodeBehavior::Usable() const {
    return tree_ ? S_OK : E_UNEXPECTED;
}

// Structure changes wait until a build that runs page script in between has finished.
HRESULT CTreeNodeBehavior::Changeable() const {
    TREE_CHECK(Usable());
    return tree_->Building() ? E_UNEXPECTED : S_OK;
}

IDispatch* CTreeNodeBehavior::ElementDispatch() const {
    return element_ ? static_cast<IDispatch*>(element_.Get()) : nullptr;
}

CTreeNodeBehavior* CTreeNodeBehavior::ParentNodeOf() {
    if (!tree_ || !element_ || IsRoot())
        return nullptr;
    ComPtr<IDispatch> parent;
    if (FAILED(element_->get_parentElement(&parent)) || !parent)
        return nullptr;
    return tree_->NodeOf(ComPtr<IHTMLElement>::QueryFrom(parent.Get()));
}

std::vector<CTreeNodeBehavior*> CTreeNodeBehavior::ChildNodesOf() {
    std::vector<CTreeNodeBehavior*> nodes;
    std::vector<ComPtr<IHTMLElement>> divs;
    if (!tree_ || FAILED(treedom::ChildDivs(element_, divs)))
        return nodes;
    for (const ComPtr<IHTMLElement>& div : divs)
        if (CTreeNodeBehavior* node = tree_->NodeOf(div))
            if (node != this)
                nodes.push_back(node);
    return nodes;
}

// The neighbouring element when it is a node ("NODE" as its id).
CTreeNodeBehavior* CTreeNodeBehavior::SiblingOf(bool next) {
    if (!tree_ || !element_ || IsRoot())
        return nullptr;
    ComPtr<IHTMLDOMNode> current = ComPtr<IHTMLDOMNode>::QueryFrom(element_.Get());
    while (current) {
        ComPtr<IDispatch> sibling;
        if (FAILED(next ? current->get_nextSibling(&sibling) : current->get_previousSibling(&sibling)) ||
            !sibling)
            return nullptr;
        current = ComPtr<IHTMLDOMNode>::QueryFrom(sibling.Get());
        LONG type = 0;
        if (!current || FAILED(current->get_nodeType(&type)))
            return nullptr;
        if (type != 1)
            continue;
        ComPtr<IHTMLElement> element = ComPtr<IHTMLElement>::QueryFrom(sibling.Get());
        Bstr id;
        if (!element || FAILED(element->get_id(&id)) || id != u"NODE")
            return nullptr;
        return tree_->NodeOf(element);
    }
    return nullptr;
}

HRESULT CTreeNodeBehavior::ElementResult(IHTMLElement* element, VARIANT* result) {
    if (!result)
        return E_POINTER;
    VariantInit(result);
    if (!element)
        return S_OK;
    result->vt = VT_DISPATCH;
    return element->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&result->pdispVal));
}

STDMETHODIMP CTreeNodeBehavior::get_textItem(VARIANT* pVal) {
    TREE_CHECK(Usable());
    return ElementResult(text_, pVal);
}

STDMETHODIMP CTreeNodeBehavior::get_iconItem(VARIANT* pVal) {
    TREE_CHECK(Usable());
    return ElementResult(icon_, pVal);
}

STDMETHODIMP CTreeNodeBehavior::get_value(BSTR* pVal) {
    TREE_CHECK(Usable());
    return value_.CopyTo(pVal);
}

// The SPAN is sized to its text: its old size is cleared first, or it would keep it.
STDMETHODIMP CTreeNodeBehavior::put_value(BSTR newVal) {
    TREE_CHECK(Usable());
    value_ = Bstr(newVal);
    if (!text_)
        return S_OK;
    ComPtr<IHTMLStyle> style;
    TREE_CHECK(treedom::StyleOf(text_, style));
    TREE_CHECK(style->put_width(Variant(u"")));
    TREE_CHECK(style->put_height(Variant(u"")));
    TREE_CHECK(text_->put_innerText(value_.Get() ? value_.Get() : Bstr(u"").Get()));
    LONG width = 0, height = 0;
    TREE_CHECK(text_->get_offsetWidth(&width));
    TREE_CHECK(text_->get_offsetHeight(&height));
    TREE_CHECK(style->put_posWidth(static_cast<float>(width)));
    return style->put_posHeight(static_cast<float>(height));
}

STDMETHODIMP CTreeNodeBehavior::get_childNodes(VARIANT* pVal) {
    TREE_CHECK(Usable());
    if (!pVal)
        return E_POINTER;
    VariantInit(pVal);
    if (!element_)
        return E_UNEXPECTED;
    ComPtr<IDispatch> childrenDispatch;
    TREE_CHECK(element_->get_children(&childrenDispatch));
    ComPtr<IHTMLElementCollection> children =
        ComPtr<IHTMLElementCollection>::QueryFrom(childrenDispatch.Get());
    if (!children)
        return E_FAIL;
    pVal->vt = VT_DISPATCH;
    return children->tags(Variant(u"DIV"), &pVal->pdispVal);
}

STDMETHODIMP CTreeNodeBehavior::get_parentNode(VARIANT* pVal) {
    TREE_CHECK(Usable());
    CTreeNodeBehavior* parent = ParentNodeOf();
    return ElementResult(parent ? parent->element_.Get() : nullptr, pVal);
}

STDMETHODIMP CTreeNodeBehavior::get_nextSiblingNode(VARIANT* pVal) {
    TREE_CHECK(Usable());
    CTreeNodeBehavior* sibling = SiblingOf(true);
    return ElementResult(sibling ? sibling->element_.Get() : nullptr, pVal);
}

STDMETHODIMP CTreeNodeBehavior::get_prevSiblingNode(VARIANT* pVal) {
    TREE_CHECK(Usable());
    CTreeNodeBehavior* sibling = SiblingOf(false);
    return ElementResult(sibling ? sibling->element_.Get() : nullptr, pVal);
}

STDMETHODIMP CTreeNodeBehavior::get_firstChildNode(VARIANT* pVal) {
    TREE_CHECK(Usable());
    std::vector<ComPtr<IHTMLElement>> divs;
    TREE_CHECK(treedom::ChildDivs(element_, divs));
    return ElementResult(divs.empty() ? nullptr : divs.front().Get(), pVal);
}

STDMETHODIMP CTreeNodeBehavior::get_lastChildNode(VARIANT* pVal) {
    TREE_CHECK(Usable());
    std::vector<ComPtr<IHTMLElement>> divs;
    TREE_CHECK(treedom::ChildDivs(element_, divs));
    return ElementResult(divs.empty() ? nullptr : divs.back().Get(), pVal);
}

STDMETHODIMP CTreeNodeBehavior::get_expandState(LONG* pVal) {
    TREE_CHECK(Usable());
    if (!pVal)
        return E_POINTER;
    if (isLeaf_)
        expanded_ = 0;
    *pVal = expanded_;
    return S_OK;
}

STDMETHODIMP CTreeNodeBehavior::put_expandState(LONG newVal) {
    TREE_CHECK(Usable());
    if (isLeaf_)
        return S_OK;
    expanded_ = newVal;
    if (newVal == 1)
        TREE_CHECK(SetDisplayOfChildren(kStrDisplayBlock));
    else if (newVal == 0)
        TREE_CHECK(SetDisplayOfChildren(kStrDisplayNone));
    return tree_->dataReady_ && !IsRoot() ? UpdateHeritageIcon() : S_OK;
}

STDMETHODIMP CTreeNodeBehavior::get_isLeaf(LONG* pVal) {
    TREE_CHECK(Usable());
    if (!pVal)
        return E_POINTER;
    *pVal = isLeaf_;
    return S_OK;
}

STDMETHODIMP CTreeNodeBehavior::get_depth(LONG* pVal) {
    TREE_CHECK(Usable());
    if (!pVal)
        return E_POINTER;
    *pVal = depth_;
    return S_OK;
}

STDMETHODIMP CTreeNodeBehavior::get_sortType(BSTR* pVal) {
    TREE_CHECK(Usable());
    return sortType_.CopyTo(pVal);
}

HRESULT CTreeNodeBehavior::SetSortType(const std::u16string& text) {
    if (text == u"ASCENDING" || text == u"DESCENDING" || text == u"NORMAL")
        sortType_ = Bstr(text);
    for (CTreeNodeBehavior* child : ChildNodesOf())
        TREE_CHECK(child->SetSortType(text));
    return S_OK;
}

STDMETHODIMP CTreeNodeBehavior::put_sortType(BSTR newVal) {
    TREE_CHECK(Usable());
    return SetSortType(treedom::Upper(Bstr(newVal).View()));
}

HRESULT CTreeNodeBehavior::GetIcon(int slot, BSTR* path) {
    TREE_CHECK(Usable());
    return icons_.paths[slot].CopyTo(path);
}

HRESULT CTreeNodeBehavior::PutIcon(int slot, BSTR path) {
    TREE_CHECK(Usable());
    icons_.paths[slot] = Bstr(path);
    return UpdateIcon();
}

STDMETHODIMP CTreeNodeBehavior::get_leafDefaultIcon(BSTR* pVal) {
    return GetIcon(kLeafDefault, pVal);
}
STDMETHODIMP CTreeNodeBehavior::put_leafDefaultIcon(BSTR newVal) {
    return PutIcon(kLeafDefault, newVal);
}
STDMETHODIMP CTreeNodeBehavior::get_leafSelectedIcon(BSTR* pVal) {
    return GetIcon(kLeafSelected, pVal);
}
STDMETHODIMP CTreeNodeBehavior::put_leafSelectedIcon(BSTR newVal) {
    return PutIcon(kLeafSelected, newVal);
}
STDMETHODIMP CTreeNodeBehavior::get_branchDefaultIcon(BSTR* pVal) {
    return GetIcon(kBranchDefault, pVal);
}
STDMETHODIMP CTreeNodeBehavior::put_branchDefaultIcon(BSTR newVal) {
    return PutIcon(kBranchDefault, newVal);
}
STDMETHODIMP CTreeNodeBehavior::get_branchSelectedIcon(BSTR* pVal) {
    return GetIcon(kBranchSelected, pVal);
}
STDMETHODIMP CTreeNodeBehavior::put_branchSelectedIcon(BSTR newVal) {
    return PutIcon(kBranchSelected, newVal);
}

HRESULT CTreeNodeBehavior::GetColor(int slot, VARIANT* value) {
    TREE_CHECK(Usable());
    if (!value)
        return E_POINTER;
    VariantInit(value);
    return VariantCopy(value, &colors_.colors[slot]);
}

HRESULT CTreeNodeBehavior::PutColor(int slot, VARIANT value) {
    TREE_CHECK(Usable());
    Variant copy;
    const HRESULT hr = VariantCopyInd(&copy, &value);
    colors_.colors[slot] = SUCCEEDED(hr) ? copy : Variant::Error(hr);
    return S_OK;
}

STDMETHODIMP CTreeNodeBehavior::get_defaultTextColor(VARIANT* pVal) {
    return GetColor(kDefaultText, pVal);
}
STDMETHODIMP CTreeNodeBehavior::put_defaultTextColor(VARIANT newVal) {
    return PutColor(kDefaultText, newVal);
}
STDMETHODIMP CTreeNodeBehavior::get_defaultBgColor(VARIANT* pVal) {
    return GetColor(kDefaultBg, pVal);
}
STDMETHODIMP CTreeNodeBehavior::put_defaultBgColor(VARIANT newVal) {
    return PutColor(kDefaultBg, newVal);
}
STDMETHODIMP CTreeNodeBehavior::get_selectedTextColor(VARIANT* pVal) {
    return GetColor(kSelectedText, pVal);
}
STDMETHODIMP CTreeNodeBehavior::put_selectedTextColor(VARIANT newVal) {
    return PutColor(kSelectedText, newVal);
}
STDMETHODIMP CTreeNodeBehavior::get_selectedBgColor(VARIANT* pVal) {
    return GetColor(kSelectedBg, pVal);
}
STDMETHODIMP CTreeNodeBehavior::put_selectedBgColor(VARIANT newVal) {
    return PutColor(kSelectedBg, newVal);
}
STDMETHODIMP CTreeNodeBehavior::get_hotTrackingTextColor(VARIANT* pVal) {
    return GetColor(kHotText, pVal);
}
STDMETHODIMP CTreeNodeBehavior::put_hotTrackingTextColor(VARIANT newVal) {
    return PutColor(kHotText, newVal);
}
STDMETHODIMP CTreeNodeBehavior::get_hotTrackingBgColor(VARIANT* pVal) {
    return GetColor(kHotBg, pVal);
}
STDMETHODIMP CTreeNodeBehavior::put_hotTrackingBgColor(VARIANT newVal) {
    return PutColor(kHotBg, newVal);
}

STDMETHODIMP CTreeNodeBehavior::get_fullPath(BSTR* pVal) {
    TREE_CHECK(Usable());
    if (!pVal)
        return E_POINTER;
    std::u16string path;
    for (CTreeNodeBehavior* node = this; node && !node->IsRoot(); node = node->ParentNodeOf())
        path = u"/" + std::u16string(node->value_.View()) + path;
    return Bstr(path).CopyTo(pVal);
}

STDMETHODIMP CTreeNodeBehavior::get_xmlObject(VARIANT* pVal) {
    TREE_CHECK(Usable());
    if (!pVal)
        return E_POINTER;
    VariantInit(pVal);
    ComPtr<IXMLDOMNode> node;
    TREE_CHECK(ExportNode(tree_->xml_, &node));
    pVal->vt = VT_DISPATCH;
    return node->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&pVal->pdispVal));
}

STDMETHODIMP CTreeNodeBehavior::get_siblingOrder(LONG* pVal) {
    TREE_CHECK(Usable());
    if (!pVal)
        return E_POINTER;
    *pVal = 0;
    CTreeNodeBehavior* parent = ParentNodeOf();
    if (!parent)
        return S_OK;
    const std::vector<CTreeNodeBehavior*> siblings = parent->ChildNodesOf();
    for (size_t i = 0; i < siblings.size(); ++i)
        if (siblings[i] == this)
            *pVal = static_cast<LONG>(i + 1);
    return S_OK;
}
