// Tamsel.TreeNodeBehavior: one node of a tree, on its DIV inside the tree's container: its
// connector, icon and text elements, its state, its script members and its mouse events. The
// tree's root is one too, with the container as its element and no elements of its own.
#pragma once

#include "mshtml.h"
#include "msxml.h"
#include "node_event_sink.h"
#include "tamsel_ids.h"
#include "tree_records.h"

#include <qx/com/comptr.h>
#include <qx/com/dispatch.h>
#include <qx/com/error_info.h>
#include <qx/com/object.h>

#include <string>
#include <vector>

class CTreeViewBehavior;

// Where a new node goes against the node it is placed by.
enum NodePlace { kPlaceAfter = 0, kPlaceBefore = 1, kPlaceChild = 2 };

class CTreeNodeBehavior : public qx::com::ObjectRoot,
                          public qx::com::DispatchImpl<ITreeNodeBehavior>,
                          public IElementBehavior,
                          public qx::com::SupportErrorInfoImpl<ITreeNodeBehavior> {
public:
    QX_BEGIN_INTERFACES(CTreeNodeBehavior)
    QX_INTERFACE_ENTRY(ITreeNodeBehavior)
    QX_INTERFACE_ENTRY2(IDispatch, ITreeNodeBehavior)
    QX_INTERFACE_ENTRY(IElementBehavior)
    QX_INTERFACE_ENTRY(ISupportErrorInfo)
    QX_END_INTERFACES()

    void FinalRelease();

    QX_OVERRIDES_ITreeNodeBehavior;
    QX_OVERRIDES_IElementBehavior;

    // --- used by the tree ---
    HRESULT AddChildNode(IXMLDOMNode* xml, int where, CTreeNodeBehavior** made);
    // Builds a node for every NODE reached through NODES elements below `parent`.
    // `anchor` is the node the next one is placed against; placed after it, each new node becomes
    // the anchor, so that the nodes keep the data's order.
    HRESULT AddNodesUnder(IXMLDOMNode* parent, int where, CTreeNodeBehavior*& anchor,
                          qx::com::ComPtr<IHTMLElement>& last);
    HRESULT AddXmlNode(IXMLDOMNode* xml, int where, CTreeNodeBehavior*& anchor,
                       qx::com::ComPtr<IHTMLElement>& last);
    HRESULT DetachSubtree();
    HRESULT SelectNode();
    HRESULT UpdateIcon();
    HRESULT UpdateHeritageIcon();
    HRESULT UpdateColors();
    HRESULT RefreshIndent();
    HRESULT RefreshSubtreeIndent();
    HRESULT RefreshSubtreeIcons();
    HRESULT RefreshLeafState();
    HRESULT ToggleExpand();
    HRESULT ExportNode(IXMLDOMDocument* document, IXMLDOMNode** node);
    void OnEvent(NodePart part, DISPID id, VARIANT* result);
    void DisconnectSinks();
    CTreeNodeBehavior* ParentNodeOf();
    std::vector<CTreeNodeBehavior*> ChildNodesOf();
    CTreeNodeBehavior* SiblingOf(bool next);
    bool IsRoot() const { return depth_ == 0; }
    IDispatch* ElementDispatch() const;

    CTreeViewBehavior* tree_ = nullptr;
    qx::com::ComPtr<IHTMLElement> element_;
    qx::com::ComPtr<IHTMLElement2> element2_;
    qx::com::Bstr key_;
    LONG depth_ = 0;
    LONG isLeaf_ = 1;
    LONG expanded_ = 0;
    LONG hot_ = 0;
    qx::com::Bstr value_;
    qx::com::Bstr sortType_{u"NORMAL"};
    ColorEntry colors_;
    IconEntry icons_;
    LONG cookie_ = 0;

private:
    using Bstr = qx::com::Bstr;
    HRESULT CreateNodeElement(CTreeNodeBehavior** made);
    HRESULT ApplyXmlValues(IXMLDOMNode* xml);
    HRESULT ApplyXmlStructure(IXMLDOMNode* xml);
    HRESULT ConnectSinks();
    HRESULT IndentSourcesFor(std::vector<qx::com::Variant>& sources);
    HRESULT InsertNodes(const VARIANT& insert, int where, VARIANT* result);
    HRESULT SetDisplayOfChildren(UINT displayId);
    HRESULT ScrollContainerTo(LONG top);
    LONG TopInContainer(IHTMLElement* element);
    HRESULT SetSortType(const std::u16string& text);
    HRESULT RebuildIndents(LONG depth);
    HRESULT GetColor(int slot, VARIANT* value);
    HRESULT PutColor(int slot, VARIANT value);
    HRESULT GetIcon(int slot, BSTR* path);
    HRESULT PutIcon(int slot, BSTR path);
    HRESULT ElementResult(IHTMLElement* element, VARIANT* result);
    HRESULT Usable() const;
    HRESULT Changeable() const;

    qx::com::ComPtr<IElementBehaviorSite> site_;
    qx::com::ComPtr<IHTMLElement> text_, icon_, heritage_;
    std::vector<qx::com::ComPtr<IHTMLElement>> indents_;
    std::vector<qx::com::Variant> indentSources_;
    std::vector<qx::com::ComPtr<CNodeEventSink>> sinks_;
};
