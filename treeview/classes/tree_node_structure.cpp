// What a node does to the tree: selection, expansion, removal and moves, its pictures and
// colours, and its mouse events.
#include "tree_dom.h"
#include "tree_node_behavior.h"
#include "tree_view_behavior.h"

#include <algorithm>
#include <memory>

using qx::com::Bstr;
using qx::com::ComPtr;
using qx::com::Variant;

// --- pictures and colours ---

HRESULT CTreeNodeBehavior::UpdateIcon() {
    if (!icon_ || !tree_)
        return S_OK;
    const bool selected = tree_->selected_ && treedom::SameObject(tree_->selected_->element_, element_);
    const int slot =
        isLeaf_ ? (selected ? kLeafSelected : kLeafDefault) : (selected ? kBranchSelected : kBranchDefault);
    return treedom::SetAttribute(icon_, u"src", Variant(icons_.paths[slot].View()));
}

HRESULT CTreeNodeBehavior::UpdateHeritageIcon() {
    if (!heritage_ || !tree_)
        return S_OK;
    CTreeNodeBehavior* parent = ParentNodeOf();
    if (!parent)
        return S_OK;
    std::vector<ComPtr<IHTMLElement>> siblings;
    TREE_CHECK(treedom::ChildDivs(parent->element_, siblings));
    const size_t count = siblings.size();
    size_t order = 0;
    for (size_t i = 0; i < count; ++i)
        if (treedom::SameObject(siblings[i], element_))
            order = i + 1;
    if (isLeaf_)
        expanded_ = 0;
    int position = order == count ? 1 : 0;
    if (depth_ == 1) {
        if (count > 1 && order == 1)
            position = 3;
        else if (count == 1)
            position = 2;
    }
    const int slot = 8 * (isLeaf_ ? 1 : 0) + 4 * (expanded_ && !isLeaf_ ? 1 : 0) + position;
    return treedom::SetAttribute(heritage_, u"src", Variant(tree_->activeHeritage_.slots[slot].View()));
}

HRESULT CTreeNodeBehavior::UpdateColors() {
    if (!text_ || !tree_)
        return S_OK;
    int text = kDefaultText, background = kDefaultBg;
    if (tree_->hotTracking_ == 1 && hot_) {
        text = kHotText;
        background = kHotBg;
    } else if (tree_->selected_ == this) {
        text = kSelectedText;
        background = kSelectedBg;
    }
    ComPtr<IHTMLStyle> style;
    TREE_CHECK(treedom::StyleOf(text_, style));
    // A colour that failed to copy (VT_ERROR) or was never given has nothing to show.
    if (colors_.colors[text].vt != VT_ERROR && colors_.colors[text].vt != VT_EMPTY)
        style->put_color(colors_.colors[text]);
    if (colors_.colors[background].vt != VT_ERROR && colors_.colors[background].vt != VT_EMPTY)
        style->put_backgroundColor(colors_.colors[background]);
    return S_OK;
}

// Entry 0 is this node's own column for its children; then the columns above it.
HRESULT CTreeNodeBehavior::IndentSourcesFor(std::vector<Variant>& sources) {
    sources.clear();
    if (IsRoot())
        return S_OK;
    const bool last = SiblingOf(true) == nullptr;
    sources.push_back(
        Variant(last ? tree_->activeHeritage_.blank.View() : tree_->activeHeritage_.vertLine.View()));
    sources.insert(sources.end(), indentSources_.begin(), indentSources_.end());
    return S_OK;
}

HRESULT CTreeNodeBehavior::RefreshIndent() {
    if (!tree_)
        return S_OK;
    if (!IsRoot()) {
        CTreeNodeBehavior* parent = ParentNodeOf();
        if (!parent)
            return S_OK;
        std::vector<Variant> sources;
        TREE_CHECK(parent->IndentSourcesFor(sources));
        // The indent next to the connector (the last one) is the parent's column, entry 0.
        const size_t count = indents_.size();
        for (size_t i = 0; i < count && i < sources.size(); ++i)
            TREE_CHECK(treedom::SetAttribute(indents_[count - 1 - i], u"src", sources[i]));
        sources.resize(count);
        indentSources_ = std::move(sources);
    }
    return RefreshSubtreeIndent();
}

HRESULT CTreeNodeBehavior::RefreshSubtreeIndent() {
    for (CTreeNodeBehavior* child : ChildNodesOf())
        TREE_CHECK(child->RefreshIndent());
    return S_OK;
}

HRESULT CTreeNodeBehavior::RefreshSubtreeIcons() {
    if (!IsRoot()) {
        TREE_CHECK(UpdateIcon());
        TREE_CHECK(UpdateHeritageIcon());
    }
    for (CTreeNodeBehavior* child : ChildNodesOf())
        TREE_CHECK(child->RefreshSubtreeIcons());
    return S_OK;
}

HRESULT CTreeNodeBehavior::RefreshLeafState() {
    if (!tree_)
        return S_OK;
    const bool hasChildren = !ChildNodesOf().empty();
    if (!hasChildren && !isLeaf_) {
        isLeaf_ = 1;
        expanded_ = 0;
    } else if (hasChildren && isLeaf_) {
        isLeaf_ = 0;
        expanded_ = 0;
    }
    if (depth_ > 0 && tree_->dataReady_) {
        TREE_CHECK(UpdateIcon());
        TREE_CHECK(UpdateHeritageIcon());
    }
    return S_OK;
}

HRESULT CTreeNodeBehavior::SetDisplayOfChildren(UINT displayId) {
    const Bstr display(tree_->LoadText(displayId));
    std::vector<ComPtr<IHTMLElement>> divs;
    TREE_CHECK(treedom::ChildDivs(element_, divs));
    for (const ComPtr<IHTMLElement>& div : divs) {
        ComPtr<IHTMLStyle> style;
        TREE_CHECK(treedom::StyleOf(div, style));
        TREE_CHECK(style->put_display(display));
    }
    return S_OK;
}

// --- selection and expansion ---

HRESULT CTreeNodeBehavior::SelectNode() {
    if (!tree_ || IsRoot())
        return S_OK;
    CTreeViewBehavior* tree = tree_;
    if (tree->selected_ == this)
        return S_OK;
    ComPtr<ITreeViewBehavior> holdTree(tree);
    ComPtr<ITreeNodeBehavior> holdThis(this);
    ComPtr<ITreeNodeBehavior> previous(tree->selected_);
    tree->FireScriptEvent(kStrSelChanging, this);
    if (!tree_)
        return S_OK;
    tree->selected_ = this;
    TREE_CHECK(UpdateIcon());
    TREE_CHECK(UpdateColors());
    tree->FireScriptEvent(kStrSelChanged, this);
    if (previous && previous.Get() != static_cast<ITreeNodeBehavior*>(tree->selected_)) {
        CTreeNodeBehavior* old = static_cast<CTreeNodeBehavior*>(previous.Get());
        TREE_CHECK(old->UpdateColors());
        TREE_CHECK(old->UpdateIcon());
    }
    return S_OK;
}

LONG CTreeNodeBehavior::TopInContainer(IHTMLElement* element) {
    return treedom::PageTop(element) - treedom::PageTop(tree_->element_);
}

HRESULT CTreeNodeBehavior::ScrollContainerTo(LONG top) {
    return tree_->element2_ ? tree_->element2_->put_scrollTop(top) : E_UNEXPECTED;
}

HRESULT CTreeNodeBehavior::ToggleExpand() {
    if (!tree_ || isLeaf_ || IsRoot())
        return S_OK;
    CTreeViewBehavior* tree = tree_;
    ComPtr<ITreeViewBehavior> holdTree(tree);
    ComPtr<ITreeNodeBehavior> holdThis(this);
    if (expanded_) {
        tree->FireScriptEvent(kStrNodeCollapsing, this);
        if (!tree_ || !element_)
            return S_OK;
        expanded_ = 0;
        TREE_CHECK(SetDisplayOfChildren(kStrDisplayNone));
        TREE_CHECK(UpdateHeritageIcon());
        tree->FireScriptEvent(kStrNodeCollapsed, this);
        if (tree_ && element_ && tree->selected_ && tree->selected_ != this && tree->selected_->element_) {
            VARIANT_BOOL inside = VARIANT_FALSE;
            if (SUCCEEDED(element_->contains(tree->selected_->element_, &inside)) && inside)
                TREE_CHECK(SelectNode());
        }
        return S_OK;
    }
    tree->FireScriptEvent(kStrNodeExpanding, this);
    if (!tree_ || !element_)
        return S_OK;
    expanded_ = 1;
    if (ChildNodesOf().empty())
        tree->FireScriptEvent(kStrRequestData, this);
    if (!tree_ || !element_)
        return S_OK;
    TREE_CHECK(SetDisplayOfChildren(kStrDisplayBlock));
    TREE_CHECK(UpdateHeritageIcon());
    tree->FireScriptEvent(kStrNodeExpanded, this);
    if (!tree_ || !element_)
        return S_OK;
    // Scroll the last visible descendant into view.
    CTreeNodeBehavior* last = nullptr;
    for (CTreeNodeBehavior* node = this;;) {
        const std::vector<CTreeNodeBehavior*> children = node->ChildNodesOf();
        if (children.empty())
            break;
        last = children.back();
        if (last->isLeaf_ || !last->expanded_)
            break;
        node = last;
    }
    if (!last || !last->icon_)
        return S_OK;
    LONG height = 0, iconHeight = 0, scrollTop = 0;
    TREE_CHECK(tree->element_->get_offsetHeight(&height));
    TREE_CHECK(last->icon_->get_offsetHeight(&iconHeight));
    TREE_CHECK(tree->element2_->get_scrollTop(&scrollTop));
    const LONG lastTop = TopInContainer(last->element_);
    if (scrollTop + height < lastTop + iconHeight + 6)
        scrollTop = std::min(TopInContainer(element_), lastTop + iconHeight - height + 6);
    return ScrollContainerTo(scrollTop);
}

STDMETHODIMP CTreeNodeBehavior::select(VARIANT* pSelected) {
    TREE_CHECK(Usable());
    if (!pSelected)
        return E_POINTER;
    VariantInit(pSelected);
    ComPtr<ITreeViewBehavior> holdTree(tree_);
    CTreeViewBehavior* tree = tree_;
    TREE_CHECK(SelectNode());
    return tree->get_selectedNode(pSelected);
}

STDMETHODIMP CTreeNodeBehavior::moveDisplayCenter() {
    TREE_CHECK(Usable());
    if (IsRoot() || !icon_)
        return S_OK;
    LONG iconHeight = 0, height = 0;
    TREE_CHECK(icon_->get_offsetHeight(&iconHeight));
    TREE_CHECK(tree_->element_->get_offsetHeight(&height));
    return ScrollContainerTo(TopInContainer(element_) + iconHeight - height / 2 + 6);
}

// --- removal ---

HRESULT CTreeNodeBehavior::DetachSubtree() {
    ComPtr<ITreeNodeBehavior> holdThis(this);
    for (CTreeNodeBehavior* child : ChildNodesOf())
        TREE_CHECK(child->DetachSubtree());
    DisconnectSinks();
    for (const ComPtr<IHTMLElement>& indent : indents_)
        TREE_CHECK(treedom::RemoveNode(indent));
    indents_.clear();
    for (ComPtr<IHTMLElement>* part :
         {std::addressof(text_), std::addressof(icon_), std::addressof(heritage_)})
        if (*part) {
            TREE_CHECK(treedom::RemoveNode(*part));
            *part = nullptr;
        }
    if (tree_ && tree_->selected_ == this)
        tree_->selected_ = nullptr;
    ComPtr<IHTMLElement> element = element_;
    ComPtr<IHTMLElement2> element2 = element2_;
    if (element)
        TREE_CHECK(treedom::RemoveNode(element));
    if (element2 && cookie_) {
        VARIANT_BOOL removed = VARIANT_FALSE;
        TREE_CHECK(element2->removeBehavior(cookie_, &removed));
    }
    return S_OK;
}

STDMETHODIMP CTreeNodeBehavior::remove() {
    TREE_CHECK(Changeable());
    // Removing the behaviour releases this node: it is kept until the method ends.
    ComPtr<ITreeNodeBehavior> holdThis(this);
    CTreeViewBehavior* tree = tree_;
    ComPtr<ITreeViewBehavior> holdTree(tree);
    if (IsRoot()) {
        for (CTreeNodeBehavior* child : ChildNodesOf())
            TREE_CHECK(child->DetachSubtree());
        return S_OK;
    }
    CTreeNodeBehavior* previous = SiblingOf(false);
    CTreeNodeBehavior* next = SiblingOf(true);
    CTreeNodeBehavior* parent = ParentNodeOf();
    ComPtr<ITreeNodeBehavior> holdPrevious(previous), holdNext(next), holdParent(parent);
    if (previous) {
        TREE_CHECK(previous->SelectNode());
    } else if (parent && !parent->IsRoot()) {
        TREE_CHECK(parent->SelectNode());
    } else if (CTreeNodeBehavior* old = tree->selected_) {
        ComPtr<ITreeNodeBehavior> holdOld(old);
        tree->selected_ = nullptr;
        TREE_CHECK(old->UpdateColors());
        TREE_CHECK(old->UpdateIcon());
    }
    if (!tree_ || !element_)
        return S_OK;
    TREE_CHECK(DetachSubtree());
    if (previous && previous->tree_) {
        TREE_CHECK(previous->UpdateHeritageIcon());
        TREE_CHECK(previous->RefreshIndent());
    } else if (next && next->tree_) {
        TREE_CHECK(next->UpdateHeritageIcon());
    }
    return parent && parent->tree_ ? parent->RefreshLeafState() : S_OK;
}

// --- moving ---

STDMETHODIMP CTreeNodeBehavior::move(VARIANT baseNode, BSTR where) {
    TREE_CHECK(Changeable());
    Variant base;
    TREE_CHECK(VariantCopyInd(&base, &baseNode));
    if (base.vt != VT_DISPATCH || !base.pdispVal || IsRoot())
        return S_OK;
    ComPtr<IHTMLElement> baseElement = ComPtr<IHTMLElement>::QueryFrom(base.pdispVal);
    CTreeNodeBehavior* target = tree_->NodeOf(baseElement);
    if (!target || target == this)
        return S_OK;
    VARIANT_BOOL inside = VARIANT_FALSE;
    if (SUCCEEDED(element_->contains(baseElement, &inside)) && inside)
        return S_OK;
    const std::u16string place = treedom::Upper(Bstr(where).View());
    const char16_t* adjacent = nullptr;
    LONG depth = 0;
    if (place == u"AFTER" || place == u"BEFORE") {
        if (target->IsRoot())
            return S_OK;
        adjacent = place == u"AFTER" ? u"afterEnd" : u"beforeBegin";
        depth = target->depth_;
    } else if (place == u"CHILD") {
        adjacent = u"beforeEnd";
        depth = target->depth_ + 1;
    } else {
        return S_OK;
    }
    ComPtr<ITreeNodeBehavior> holdThis(this), holdTarget(target);
    CTreeNodeBehavior* oldParent = ParentNodeOf();
    CTreeNodeBehavior* oldPrevious = SiblingOf(false);
    CTreeNodeBehavior* oldNext = SiblingOf(true);
    ComPtr<ITreeNodeBehavior> holdOldParent(oldParent), holdOldPrevious(oldPrevious), holdOldNext(oldNext);

    // Where the DIV was, to put it back when the new place refuses it.
    ComPtr<IHTMLDOMNode> domNode = ComPtr<IHTMLDOMNode>::QueryFrom(element_.Get());
    ComPtr<IDispatch> oldParentNode, oldNextNode;
    TREE_CHECK(domNode->get_parentNode(&oldParentNode));
    TREE_CHECK(domNode->get_nextSibling(&oldNextNode));
    ComPtr<IHTMLDOMNode> oldParentDom = ComPtr<IHTMLDOMNode>::QueryFrom(oldParentNode.Get());
    if (!oldParentDom)
        return S_OK;

    for (const ComPtr<IHTMLElement>& indent : indents_)
        TREE_CHECK(treedom::RemoveNode(indent));
    indents_.clear();
    indentSources_.clear();
    ComPtr<IDispatch> removed;
    TREE_CHECK(oldParentDom->removeChild(element_, &removed));
    HRESULT hr = treedom::InsertAdjacent(target->element_, adjacent, element_);
    if (FAILED(hr)) {
        ComPtr<IDispatch> back;
        oldParentDom->insertBefore(element_, oldNextNode ? Variant(oldNextNode.Get()) : Variant::Null(),
                                   &back);
        depth = depth_;
    }
    TREE_CHECK(RebuildIndents(depth));

    CTreeNodeBehavior* newParent = ParentNodeOf();
    CTreeNodeBehavior* newPrevious = SiblingOf(false);
    for (CTreeNodeBehavior* node : {oldParent, newParent})
        if (node)
            TREE_CHECK(node->RefreshLeafState());
    for (CTreeNodeBehavior* node : {oldPrevious, oldNext, newPrevious, target})
        if (node && !node->IsRoot() && node->tree_) {
            TREE_CHECK(node->UpdateHeritageIcon());
            TREE_CHECK(node->UpdateIcon());
            TREE_CHECK(node->RefreshIndent());
        }
    if (newParent) {
        ComPtr<IHTMLStyle> style;
        TREE_CHECK(treedom::StyleOf(element_, style));
        TREE_CHECK(style->put_display(
            Bstr(tree_->LoadText(newParent->expanded_ ? kStrDisplayBlock : kStrDisplayNone))));
    }
    TREE_CHECK(RefreshIndent());
    TREE_CHECK(RefreshSubtreeIcons());
    return hr;
}

// Gives this node the depth and the indent IMGs of its place, and its descendants theirs.
HRESULT CTreeNodeBehavior::RebuildIndents(LONG depth) {
    for (const ComPtr<IHTMLElement>& indent : indents_)
        TREE_CHECK(treedom::RemoveNode(indent));
    indents_.clear();
    depth_ = depth;
    for (LONG i = 1; i < depth; ++i) {
        ComPtr<IHTMLElement> indent;
        TREE_CHECK(treedom::CreateElement(tree_->document_, u"IMG", indent));
        TREE_CHECK(treedom::SetAttribute(indent, u"src", Variant(tree_->activeHeritage_.blank.View())));
        TREE_CHECK(treedom::SetAttribute(indent, u"align", Variant(u"absmiddle")));
        TREE_CHECK(treedom::InsertAdjacent(element_, u"afterBegin", indent));
        indents_.insert(indents_.begin(), indent);
    }
    indentSources_.assign(indents_.size(), Variant(tree_->activeHeritage_.blank.View()));
    for (CTreeNodeBehavior* child : ChildNodesOf())
        TREE_CHECK(child->RebuildIndents(depth + 1));
    return S_OK;
}

// --- events ---

HRESULT CTreeNodeBehavior::ConnectSinks() {
    if (!sinks_.empty())
        return S_OK;
    struct Part {
        IHTMLElement* element;
        NodePart part;
        const IID* source;
    };
    const Part parts[] = {{text_, NodePart::Text, &DIID_HTMLElementEvents},
                          {icon_, NodePart::Icon, &DIID_HTMLImgEvents},
                          {heritage_, NodePart::Heritage, &DIID_HTMLImgEvents}};
    for (const Part& part : parts) {
        ComPtr<IConnectionPointContainer> container =
            ComPtr<IConnectionPointContainer>::QueryFrom(part.element);
        if (!container)
            return E_NOINTERFACE;
        ComPtr<IConnectionPoint> point;
        TREE_CHECK(container->FindConnectionPoint(*part.source, &point));
        ComPtr<IDispatch> made;
        TREE_CHECK(
            qx::com::CreateInstance<CNodeEventSink>(nullptr, IID_IDispatch, reinterpret_cast<void**>(&made)));
        ComPtr<CNodeEventSink> sink(static_cast<CNodeEventSink*>(made.Get()));
        sink->node_ = this;
        sink->part_ = part.part;
        sink->source_ = *part.source;
        TREE_CHECK(point->Advise(made, &sink->cookie_));
        sink->point_ = point;
        sinks_.push_back(sink);
    }
    return S_OK;
}

void CTreeNodeBehavior::DisconnectSinks() {
    std::vector<ComPtr<CNodeEventSink>> sinks;
    sinks.swap(sinks_);
    for (const ComPtr<CNodeEventSink>& sink : sinks) {
        sink->node_ = nullptr;
        if (sink->point_)
            sink->point_->Unadvise(sink->cookie_);
        sink->point_ = nullptr;
    }
}

void CTreeNodeBehavior::OnEvent(NodePart part, DISPID id, VARIANT* result) {
    constexpr DISPID kClick = -600, kDblClick = -601;
    constexpr DISPID kMouseOver = static_cast<DISPID>(0x80010008),
                     kMouseOut = static_cast<DISPID>(0x80010009);
    constexpr DISPID kSelectStart = static_cast<DISPID>(0x8001000C);
    if (id == kSelectStart) {
        // No text selection on a node.
        if (result) {
            result->vt = VT_BOOL;
            result->boolVal = VARIANT_FALSE;
        }
        return;
    }
    if (!tree_ || !tree_->enable_ || !element_)
        return;
    CTreeViewBehavior* tree = tree_;
    ComPtr<ITreeViewBehavior> holdTree(tree);
    if (part == NodePart::Heritage) {
        if (id == kClick) {
            tree->FireScriptEvent(kStrHeritageIconClick, this);
            ToggleExpand();
        }
        return;
    }
    switch (id) {
    case kClick:
        SelectNode();
        if (tree_)
            tree->FireScriptEvent(kStrNodeClick, this);
        break;
    case kDblClick:
        tree->FireScriptEvent(kStrNodeDblClick, this);
        ToggleExpand();
        break;
    case kMouseOver:
        hot_ = 1;
        UpdateColors();
        break;
    case kMouseOut:
        hot_ = 0;
        UpdateColors();
        break;
    default:
        break;
    }
}
