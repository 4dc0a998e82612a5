// Building nodes: one node's elements and state from its data, and the insertion of nodes from
// an address, a document, a data island, an XML node or a node list.
#include "ansi_text.h"
#include "tree_dom.h"
#include "tree_node_behavior.h"
#include "tree_view_behavior.h"
#include "tree_view_factory.h"

#include "winuser_message.h"

using qx::com::Bstr;
using qx::com::ComPtr;
using qx::com::Variant;

namespace {

// Counts a build in progress on the tree for as long as it lives.
class BuildScope {
public:
    explicit BuildScope(CTreeViewBehavior* tree) : tree_(tree) { ++tree_->buildDepth_; }
    ~BuildScope() { --tree_->buildDepth_; }
    BuildScope(const BuildScope&) = delete;
    BuildScope& operator=(const BuildScope&) = delete;

private:
    CTreeViewBehavior* tree_;
    ComPtr<ITreeViewBehavior> hold_{tree_};
};

HRESULT SetStyleText(IHTMLElement* element, const char16_t* cursor, bool alignMiddle) {
    ComPtr<IHTMLStyle> style;
    TREE_CHECK(treedom::StyleOf(element, style));
    TREE_CHECK(style->put_cursor(Bstr(cursor)));
    return alignMiddle ? treedom::SetAttribute(element, u"align", Variant(u"absmiddle")) : S_OK;
}

} // namespace

HRESULT CTreeNodeBehavior::CreateNodeElement(CTreeNodeBehavior** made) {
    ComPtr<IHTMLElement> div;
    TREE_CHECK(treedom::CreateElement(tree_->document_, u"DIV", div));
    ComPtr<IHTMLElement2> div2;
    TREE_CHECK(div.As(std::addressof(div2)));
    Variant factory(static_cast<IUnknown*>(tree_->factoryUnknown_.Get()));
    LONG cookie = 0;
    TREE_CHECK(div2->addBehavior(Bstr(u"BLANK#TreeNode"), &factory, &cookie));
    TREE_CHECK(div->put_id(Bstr(u"NODE")));
    CTreeNodeBehavior* node = tree_->NodeOf(div);
    if (!node)
        return E_FAIL;
    node->cookie_ = cookie;
    static_cast<ITreeNodeBehavior*>(node)->AddRef();
    *made = node;
    return S_OK;
}

HRESULT CTreeNodeBehavior::AddChildNode(IXMLDOMNode* xml, int where, CTreeNodeBehavior** made) {
    if (made)
        *made = nullptr;
    TREE_CHECK(Usable());
    if (where < kPlaceAfter || where > kPlaceChild || (where != kPlaceChild && IsRoot()))
        return E_INVALIDARG;
    const LONG depth = where == kPlaceChild ? depth_ + 1 : depth_;
    if (depth > kMaxTreeDepth)
        return E_INVALIDARG;
    // Page script may run in between (async pumping, selection events): keep the tree, this node
    // and the new one alive along the way.
    BuildScope scope(tree_);
    CTreeViewBehavior* tree = tree_;
    ComPtr<ITreeNodeBehavior> holdThis(this);
    CTreeNodeBehavior* rawNode = nullptr;
    TREE_CHECK(CreateNodeElement(&rawNode));
    ComPtr<ITreeNodeBehavior> holdNode = ComPtr<ITreeNodeBehavior>::Attach(rawNode);
    CTreeNodeBehavior* node = rawNode;

    static const char16_t* const kWhere[] = {u"afterEnd", u"beforeBegin", u"beforeEnd"};
    TREE_CHECK(treedom::InsertAdjacent(element_, kWhere[where], node->element_));
    node->depth_ = depth;

    TREE_CHECK(treedom::CreateElement(tree->document_, u"SPAN", node->text_));
    TREE_CHECK(treedom::InsertAdjacent(node->element_, u"afterBegin", node->text_));
    TREE_CHECK(treedom::CreateElement(tree->document_, u"IMG", node->icon_));
    TREE_CHECK(treedom::InsertAdjacent(node->element_, u"afterBegin", node->icon_));
    TREE_CHECK(treedom::CreateElement(tree->document_, u"IMG", node->heritage_));
    TREE_CHECK(treedom::InsertAdjacent(node->element_, u"afterBegin", node->heritage_));

    node->expanded_ = 0;
    node->isLeaf_ = 1;
    TREE_CHECK(node->put_value(Bstr(u"")));
    node->colors_ = tree->defaultColors_;
    TREE_CHECK(node->UpdateColors());
    node->icons_ = tree->defaultIcons_;
    if (tree->dataReady_)
        TREE_CHECK(node->UpdateIcon());
    node->sortType_ = sortType_;

    for (LONG i = 1; i < depth; ++i) {
        ComPtr<IHTMLElement> indent;
        TREE_CHECK(treedom::CreateElement(tree->document_, u"IMG", indent));
        TREE_CHECK(treedom::SetAttribute(indent, u"src", Variant(tree->activeHeritage_.blank.View())));
        TREE_CHECK(treedom::SetAttribute(indent, u"align", Variant(u"absmiddle")));
        TREE_CHECK(treedom::InsertAdjacent(node->element_, u"afterBegin", indent));
        node->indents_.insert(node->indents_.begin(), indent);
    }
    node->indentSources_.assign(node->indents_.size(), Variant(tree->activeHeritage_.blank.View()));

    if (xml)
        TREE_CHECK(node->ApplyXmlValues(xml));
    if (tree->dataReady_) {
        TREE_CHECK(node->RefreshIndent());
        if (CTreeNodeBehavior* previous = node->SiblingOf(false))
            TREE_CHECK(previous->RefreshIndent());
    }
    if (xml)
        TREE_CHECK(node->ApplyXmlStructure(xml));
    if (!node->tree_ || !node->element_)
        return E_UNEXPECTED;
    if (tree->dataReady_)
        TREE_CHECK(node->UpdateIcon());
    TREE_CHECK(node->UpdateColors());

    TREE_CHECK(SetStyleText(node->text_, u"hand", false));
    LONG width = 0, height = 0;
    TREE_CHECK(node->text_->get_offsetWidth(&width));
    TREE_CHECK(node->text_->get_offsetHeight(&height));
    ComPtr<IHTMLStyle> textStyle;
    TREE_CHECK(treedom::StyleOf(node->text_, textStyle));
    TREE_CHECK(textStyle->put_posWidth(static_cast<float>(width)));
    TREE_CHECK(textStyle->put_posHeight(static_cast<float>(height)));
    TREE_CHECK(SetStyleText(node->icon_, u"hand", true));
    TREE_CHECK(SetStyleText(node->heritage_, u"hand", true));

    if (tree->dataReady_) {
        TREE_CHECK(node->UpdateHeritageIcon());
        if (CTreeNodeBehavior* previous = node->SiblingOf(false))
            TREE_CHECK(previous->UpdateHeritageIcon());
    }
    CTreeNodeBehavior* parent = node->ParentNodeOf();
    ComPtr<IHTMLStyle> divStyle;
    TREE_CHECK(treedom::StyleOf(node->element_, divStyle));
    TREE_CHECK(divStyle->put_display(
        Bstr(tree->LoadText(parent && parent->expanded_ ? kStrDisplayBlock : kStrDisplayNone))));
    if (depth_ == 1)
        TREE_CHECK(UpdateHeritageIcon());
    TREE_CHECK(node->ConnectSinks());

    if (tree->async_ == 1) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (!tree_)
            return E_UNEXPECTED;
    }
    if (made)
        *made = node;
    return S_OK;
}

HRESULT CTreeNodeBehavior::AddXmlNode(IXMLDOMNode* xml, int where, CTreeNodeBehavior*& anchor,
                                      ComPtr<IHTMLElement>& last) {
    CTreeNodeBehavior* made = nullptr;
    TREE_CHECK(anchor->AddChildNode(xml, where, &made));
    last = made->element_;
    if (where == kPlaceAfter)
        anchor = made;
    return S_OK;
}

HRESULT CTreeNodeBehavior::AddNodesUnder(IXMLDOMNode* parent, int where, CTreeNodeBehavior*& anchor,
                                         ComPtr<IHTMLElement>& last) {
    std::vector<ComPtr<IXMLDOMNode>> children;
    TREE_CHECK(treedom::ElementChildren(parent, children));
    for (const ComPtr<IXMLDOMNode>& child : children) {
        const std::u16string name = treedom::UpperName(child);
        if (name == u"NODE")
            TREE_CHECK(AddXmlNode(child, where, anchor, last));
        else if (name == u"NODES")
            TREE_CHECK(AddNodesUnder(child, where, anchor, last));
    }
    return S_OK;
}

HRESULT CTreeNodeBehavior::ApplyXmlValues(IXMLDOMNode* xml) {
    Bstr text;
    if (treedom::ChildText(xml, u"VALUE", text))
        TREE_CHECK(put_value(text));
    if (treedom::ChildText(xml, u"SETTEXTCOLORBYNAME", text)) {
        const std::u16string name = treedom::Upper(text.View());
        for (const ColorEntry& entry : tree_->colorTable_)
            if (entry.name == name)
                colors_ = entry;
    }
    for (int i = 0; i < kColorCount; ++i)
        if (treedom::ChildText(xml, kColorElements[i], text))
            colors_.colors[i] = Variant(text.View());
    if (treedom::ChildText(xml, u"SETNODEICONBYNAME", text)) {
        const std::u16string name = treedom::Upper(text.View());
        for (const IconEntry& entry : tree_->iconTable_)
            if (entry.name == name)
                icons_ = entry;
    }
    for (int i = 0; i < kIconCount; ++i)
        if (treedom::ChildText(xml, kIconElements[i], text))
            icons_.paths[i] = text;
    if (treedom::ChildText(xml, u"STYLE", text))
        TREE_CHECK(treedom::AppendStyleText(element_, treedom::Upper(text.View())));
    for (int n = 1; n <= 15; ++n) {
        const std::u16string name = u"DATA" + qx::com::Utf8ToUtf16(std::to_string(n));
        if (treedom::ChildText(xml, name.c_str(), text))
            treedom::SetAttribute(element_, name.c_str(), Variant(text.View()), 1);
    }
    return S_OK;
}

HRESULT CTreeNodeBehavior::ApplyXmlStructure(IXMLDOMNode* xml) {
    if (ComPtr<IXMLDOMNode> nodes = treedom::ChildNode(xml, u"NODES")) {
        CTreeNodeBehavior* anchor = this;
        ComPtr<IHTMLElement> last;
        TREE_CHECK(AddNodesUnder(nodes, kPlaceChild, anchor, last));
        if (!ChildNodesOf().empty()) {
            isLeaf_ = 0;
            expanded_ = 0;
        }
    }
    Bstr text;
    if (treedom::ChildText(xml, u"EXPANDED", text))
        TREE_CHECK(put_expandState(treedom::Upper(text.View()) == u"TRUE" ? 1 : 0));
    if (treedom::ChildText(xml, u"ISLEAF", text)) {
        isLeaf_ = treedom::Upper(text.View()) == u"TRUE" ? 1 : 0;
        if (isLeaf_)
            expanded_ = 0;
    }
    if (treedom::ChildNode(xml, u"SELECT"))
        TREE_CHECK(SelectNode());
    return S_OK;
}

HRESULT CTreeNodeBehavior::InsertNodes(const VARIANT& insert, int where, VARIANT* result) {
    if (!result)
        return E_POINTER;
    VariantInit(result);
    TREE_CHECK(Changeable());
    if (IsRoot() && where != kPlaceChild)
        return S_OK;
    Variant value;
    TREE_CHECK(VariantCopyInd(&value, &insert));
    CTreeViewBehavior* tree = tree_;
    ComPtr<ITreeNodeBehavior> holdThis(this);
    CTreeNodeBehavior* anchor = this;
    ComPtr<IHTMLElement> last;
    ComPtr<IXMLDOMNode> walked; // a whole document, walked with the data-ready flag off
    if (value.vt == VT_BSTR) {
        if (treedom::Upper({value.bstrVal, SysStringLen(value.bstrVal)}) == u"EMPTY") {
            TREE_CHECK(AddXmlNode(nullptr, where, anchor, last));
            return ElementResult(last, result);
        }
        std::string address;
        TREE_CHECK(tree->ResolveUrl(value.bstrVal, address));
        Bstr wide = Bstr::Attach(AnsiToBstr(address));
        VARIANT_BOOL loaded = VARIANT_FALSE;
        if (FAILED(tree->xml_->load(Variant(wide.View()), &loaded)) || loaded != VARIANT_TRUE)
            return E_INVALIDARG;
        walked = ComPtr<IXMLDOMNode>::QueryFrom(tree->xml_.Get());
    } else if (value.vt == VT_DISPATCH || value.vt == VT_UNKNOWN) {
        IUnknown* object = value.punkVal;
        if (!object)
            return E_INVALIDARG;
        if (ComPtr<IXMLDOMDocument> document = ComPtr<IXMLDOMDocument>::QueryFrom(object)) {
            walked = ComPtr<IXMLDOMNode>::QueryFrom(document.Get());
        } else if (ComPtr<IHTMLElement> island = ComPtr<IHTMLElement>::QueryFrom(object)) {
            Variant xmlDocument;
            if (FAILED(treedom::GetMember(island, u"XMLDocument", &xmlDocument)) ||
                xmlDocument.vt != VT_DISPATCH || !ComPtr<IXMLDOMDocument>::QueryFrom(xmlDocument.pdispVal))
                return E_INVALIDARG;
            walked = ComPtr<IXMLDOMNode>::QueryFrom(xmlDocument.pdispVal);
        } else if (ComPtr<IXMLDOMNode> node = ComPtr<IXMLDOMNode>::QueryFrom(object)) {
            const std::u16string name = treedom::UpperName(node);
            if (name == u"NODE")
                TREE_CHECK(AddXmlNode(node, where, anchor, last));
            else if (name == u"NODES")
                TREE_CHECK(AddNodesUnder(node, where, anchor, last));
        } else if (ComPtr<IXMLDOMNodeList> list = ComPtr<IXMLDOMNodeList>::QueryFrom(object)) {
            LONG length = 0;
            TREE_CHECK(list->get_length(&length));
            for (LONG i = 0; i < length; ++i) {
                ComPtr<IDispatch> item;
                TREE_CHECK(list->get_item(i, &item));
                ComPtr<IXMLDOMNode> node = ComPtr<IXMLDOMNode>::QueryFrom(item.Get());
                const std::u16string name = treedom::UpperName(node);
                if (name == u"NODE")
                    TREE_CHECK(AddXmlNode(node, where, anchor, last));
                else if (name == u"NODES")
                    TREE_CHECK(AddNodesUnder(node, where, anchor, last));
            }
        } else {
            return E_INVALIDARG;
        }
    } else {
        return E_INVALIDARG;
    }
    if (walked) {
        tree->dataReady_ = 0;
        const HRESULT hr = AddNodesUnder(walked, where, anchor, last);
        tree->dataReady_ = 1;
        if (tree_) {
            RefreshSubtreeIndent();
            RefreshSubtreeIcons();
        }
        TREE_CHECK(hr);
    }
    if (where == kPlaceChild && tree_)
        TREE_CHECK(RefreshLeafState());
    return ElementResult(last, result);
}

STDMETHODIMP CTreeNodeBehavior::insertBefore(VARIANT insert, VARIANT* pNewElement) {
    return InsertNodes(insert, kPlaceBefore, pNewElement);
}

STDMETHODIMP CTreeNodeBehavior::insertAfter(VARIANT insert, VARIANT* pNewElement) {
    return InsertNodes(insert, kPlaceAfter, pNewElement);
}

STDMETHODIMP CTreeNodeBehavior::insertChild(VARIANT insert, VARIANT* pNewElement) {
    return InsertNodes(insert, kPlaceChild, pNewElement);
}
