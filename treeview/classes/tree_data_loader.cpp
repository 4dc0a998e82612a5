// Loading a tree from data in the TREEVIEWDATA vocabulary: the data source, the colour, icon and
// connector sections, the container's style and data attributes, and the top-level nodes.
#include "ansi_text.h"
#include "tree_dom.h"
#include "tree_node_behavior.h"
#include "tree_view_behavior.h"

using qx::com::Bstr;
using qx::com::ComPtr;
using qx::com::Variant;

namespace {

const char16_t* const kIconFiles[kIconCount] = {u"leafDefault.gif", u"leafSelected.gif", u"branchDefault.gif",
                                                u"branchSelected.gif"};

// The fourteen connector pictures of a set: element name, file name of a set fetched from a base
// address, and where each goes (-2 blank, -1 vertical line, else the slot).
struct HeritagePicture {
    const char16_t* element;
    const char16_t* file;
    int slot;
};
const HeritagePicture kHeritagePictures[] = {
    {u"BLANKICON", u"blank.gif", -2},        {u"VERTICALLINEICON", u"vertical.gif", -1},
    {u"PNODEICON", u"pnode.gif", 0},         {u"PLASTNODEICON", u"plastnode.gif", 1},
    {u"PROOTNODEICON", u"prootnode.gif", 2}, {u"PFIRSTROOTNODEICON", u"pfirstrootnode.gif", 3},
    {u"MNODEICON", u"mnode.gif", 4},         {u"MLASTNODEICON", u"mlastnode.gif", 5},
    {u"MROOTNODEICON", u"mrootnode.gif", 6}, {u"MFIRSTROOTNODEICON", u"mfirstrootnode.gif", 7},
    {u"NODEICON", u"node.gif", 8},           {u"LASTNODEICON", u"lastnode.gif", 9},
    {u"ROOTNODEICON", u"rootnode.gif", 10},  {u"FIRSTROOTNODEICON", u"firstrootnode.gif", 11},
};

Bstr& HeritageSlot(HeritageSet& set, int slot) {
    return slot == -2 ? set.blank : slot == -1 ? set.vertLine : set.slots[slot];
}

std::vector<ComPtr<IXMLDOMNode>> Sections(IXMLDOMNode* data, const char16_t* name) {
    std::vector<ComPtr<IXMLDOMNode>> sections;
    std::vector<ComPtr<IXMLDOMNode>> children;
    if (SUCCEEDED(treedom::ElementChildren(data, children)))
        for (const ComPtr<IXMLDOMNode>& child : children) {
            Bstr childName;
            if (SUCCEEDED(child->get_nodeName(&childName)) && childName == name)
                sections.push_back(child);
        }
    return sections;
}

} // namespace

bool CTreeViewBehavior::DownloadFlag(IXMLDOMNode* element) {
    ComPtr<IXMLDOMElement> xmlElement = ComPtr<IXMLDOMElement>::QueryFrom(element);
    Variant value;
    if (!xmlElement || FAILED(xmlElement->getAttribute(Bstr(u"NODOWNLOAD"), &value)) || value.vt != VT_BSTR)
        return true;
    return treedom::Upper({value.bstrVal, SysStringLen(value.bstrVal)}) != u"TRUE";
}

HRESULT CTreeViewBehavior::LoadDataSource(const VARIANT& source) {
    Variant value;
    TREE_CHECK(VariantCopyInd(&value, &source));
    if (value.vt == VT_BSTR) {
        std::string address;
        TREE_CHECK(ResolveUrl(value.bstrVal, address));
        Bstr wide = Bstr::Attach(AnsiToBstr(address));
        VARIANT_BOOL loaded = VARIANT_FALSE;
        if (FAILED(xml_->load(Variant(wide.View()), &loaded)) || loaded != VARIANT_TRUE)
            return E_INVALIDARG;
        return LoadDocumentData(xml_);
    }
    if (value.vt != VT_DISPATCH && value.vt != VT_UNKNOWN)
        return E_INVALIDARG;
    IUnknown* object = value.punkVal;
    if (!object)
        return E_INVALIDARG;
    if (ComPtr<IXMLDOMDocument> document = ComPtr<IXMLDOMDocument>::QueryFrom(object))
        return LoadDocumentData(document);
    if (ComPtr<IHTMLElement> island = ComPtr<IHTMLElement>::QueryFrom(object)) {
        Variant xmlDocument;
        if (FAILED(treedom::GetMember(island, u"XMLDocument", &xmlDocument)) || xmlDocument.vt != VT_DISPATCH)
            return S_OK;
        ComPtr<IXMLDOMDocument> document = ComPtr<IXMLDOMDocument>::QueryFrom(xmlDocument.pdispVal);
        return document ? LoadDocumentData(document) : S_OK;
    }
    if (ComPtr<IXMLDOMNode> node = ComPtr<IXMLDOMNode>::QueryFrom(object))
        return treedom::UpperName(node) == u"TREEVIEWDATA" ? LoadTreeData(node) : S_OK;
    if (ComPtr<IXMLDOMNodeList> list = ComPtr<IXMLDOMNodeList>::QueryFrom(object)) {
        LONG length = 0;
        TREE_CHECK(list->get_length(&length));
        for (LONG i = 0; i < length; ++i) {
            ComPtr<IDispatch> item;
            TREE_CHECK(list->get_item(i, &item));
            ComPtr<IXMLDOMNode> node = ComPtr<IXMLDOMNode>::QueryFrom(item.Get());
            if (node && treedom::UpperName(node) == u"TREEVIEWDATA")
                TREE_CHECK(LoadTreeData(node));
        }
        return S_OK;
    }
    return E_INVALIDARG;
}

HRESULT CTreeViewBehavior::LoadDocumentData(IDispatch* document) {
    ComPtr<IXMLDOMNode> node = ComPtr<IXMLDOMNode>::QueryFrom(document);
    ComPtr<IXMLDOMNode> data = treedom::ChildNode(node, u"TREEVIEWDATA");
    return data ? LoadTreeData(data) : S_OK;
}

HRESULT CTreeViewBehavior::LoadTreeData(IXMLDOMNode* data) {
    if (!root_ || !element_)
        return E_UNEXPECTED;
    colorTable_.clear();
    iconTable_.clear();
    heritageSets_.clear();
    LoadColorSections(data);
    LoadNodeIconSections(data);
    LoadHeritageSections(data);
    Bstr text;
    if (treedom::ChildText(data, u"STYLE", text))
        TREE_CHECK(treedom::AppendStyleText(element_, treedom::Upper(text.View())));
    for (int n = 1; n <= 15; ++n) {
        const std::u16string name = u"DATA" + qx::com::Utf8ToUtf16(std::to_string(n));
        if (treedom::ChildText(data, name.c_str(), text))
            treedom::SetAttribute(element_, name.c_str(), Variant(text.View()), 1);
    }
    // The old nodes go first; the root is set up again with no selection.
    ComPtr<ITreeNodeBehavior> root(root_);
    for (CTreeNodeBehavior* node : root_->ChildNodesOf())
        TREE_CHECK(node->DetachSubtree());
    InitRootNode();
    selected_ = nullptr;
    std::vector<ComPtr<IXMLDOMNode>> children;
    TREE_CHECK(treedom::ElementChildren(data, children));
    CTreeNodeBehavior* anchor = root_;
    ComPtr<IHTMLElement> last;
    for (const ComPtr<IXMLDOMNode>& child : children) {
        const std::u16string name = treedom::UpperName(child);
        if (name == u"NODE")
            TREE_CHECK(root_->AddXmlNode(child, kPlaceChild, anchor, last));
        else if (name == u"NODES")
            TREE_CHECK(root_->AddNodesUnder(child, kPlaceChild, anchor, last));
    }
    return S_OK;
}

void CTreeViewBehavior::LoadColorSections(IXMLDOMNode* data) {
    for (const ComPtr<IXMLDOMNode>& section : Sections(data, u"TEXTCOLOR")) {
        ColorEntry entry = builtInColors_;
        Bstr text;
        for (int i = 0; i < kColorCount; ++i)
            if (treedom::ChildText(section, kColorElements[i], text))
                entry.colors[i] = Variant(text.View());
        if (treedom::ChildText(section, u"NAME", text)) {
            entry.name = text;
            colorTable_.push_back(entry);
        }
        if (treedom::ChildNode(section, u"DEFAULT"))
            defaultColors_ = entry;
    }
}

void CTreeViewBehavior::LoadNodeIconSections(IXMLDOMNode* data) {
    for (const ComPtr<IXMLDOMNode>& section : Sections(data, u"NODEICONIMAGE")) {
        IconEntry entry = builtInIcons_;
        Bstr text;
        if (ComPtr<IXMLDOMNode> base = treedom::ChildNode(section, u"SETNODEICONBYCOMMONNAME")) {
            const bool download = DownloadFlag(base);
            base->get_text(&text);
            for (int i = 0; i < kIconCount; ++i)
                entry.paths[i] = DownloadIcon(Bstr(std::u16string(text.View()) + kIconFiles[i]), download);
        }
        for (int i = 0; i < kIconCount; ++i)
            if (ComPtr<IXMLDOMNode> picture = treedom::ChildNode(section, kIconElements[i])) {
                picture->get_text(&text);
                entry.paths[i] = DownloadIcon(text, DownloadFlag(picture));
            }
        if (treedom::ChildText(section, u"NAME", text)) {
            entry.name = text;
            iconTable_.push_back(entry);
        }
        if (treedom::ChildNode(section, u"DEFAULT"))
            defaultIcons_ = entry;
    }
}

void CTreeViewBehavior::LoadHeritageSections(IXMLDOMNode* data) {
    for (const ComPtr<IXMLDOMNode>& section : Sections(data, u"HERITAGEICONIMAGE")) {
        HeritageSet set = builtInHeritage_;
        Bstr text;
        if (ComPtr<IXMLDOMNode> base = treedom::ChildNode(section, u"SETHERITAGEICONBYCOMMONNAME")) {
            const bool download = DownloadFlag(base);
            base->get_text(&text);
            for (const HeritagePicture& picture : kHeritagePictures)
                HeritageSlot(set, picture.slot) =
                    DownloadIcon(Bstr(std::u16string(text.View()) + picture.file), download);
        }
        for (const HeritagePicture& picture : kHeritagePictures)
            if (ComPtr<IXMLDOMNode> element = treedom::ChildNode(section, picture.element)) {
                element->get_text(&text);
                HeritageSlot(set, picture.slot) = DownloadIcon(text, DownloadFlag(element));
            }
        if (treedom::ChildText(section, u"NAME", text)) {
            set.name = text;
            heritageSets_.push_back(set);
        }
        if (treedom::ChildNode(section, u"DEFAULT"))
            activeHeritage_ = set;
    }
}

// --- export ---

namespace {

// The text of a colour, or false when it has none (VT_ERROR, an object without a text).
bool ColorText(const VARIANT& color, Bstr& text) {
    Variant copy;
    if (FAILED(VariantChangeType(&copy, &color, 0, VT_BSTR)) || copy.vt != VT_BSTR)
        return false;
    text = Bstr(copy.bstrVal);
    return true;
}

HRESULT NewElement(IXMLDOMDocument* document, const char16_t* name, ComPtr<IXMLDOMNode>& element) {
    ComPtr<IDispatch> made;
    TREE_CHECK(document->createElement(Bstr(name), &made));
    element = ComPtr<IXMLDOMNode>::QueryFrom(made.Get());
    return element ? S_OK : E_FAIL;
}

HRESULT Append(IXMLDOMNode* parent, IXMLDOMNode* child) {
    ComPtr<IDispatch> appended;
    return parent->appendChild(child, &appended);
}

// The DATA1 ... DATA15 attributes of an element that hold a string, as elements of `parent`.
HRESULT ExportDataAttributes(IXMLDOMDocument* document, IHTMLElement* element, IXMLDOMNode* parent) {
    for (int n = 1; n <= 15; ++n) {
        const std::u16string name = u"DATA" + qx::com::Utf8ToUtf16(std::to_string(n));
        Variant value;
        if (SUCCEEDED(element->getAttribute(Bstr(name), 1, &value)) && value.vt == VT_BSTR)
            TREE_CHECK(treedom::AppendTextElement(document, parent, name,
                                                  {value.bstrVal, SysStringLen(value.bstrVal)}));
    }
    return S_OK;
}

HRESULT ExportColors(IXMLDOMDocument* document, const ColorEntry& colors, IXMLDOMNode* parent, bool hot) {
    static const int kExported[] = {kDefaultText, kDefaultBg, kHotText, kHotBg, kSelectedText, kSelectedBg};
    static const int kNodeExported[] = {kDefaultText, kDefaultBg, kSelectedText, kSelectedBg};
    const int* slots = hot ? kExported : kNodeExported;
    const int count = hot ? 6 : 4;
    for (int i = 0; i < count; ++i) {
        Bstr text;
        if (ColorText(colors.colors[slots[i]], text))
            TREE_CHECK(treedom::AppendTextElement(document, parent, kColorElements[slots[i]], text.View()));
    }
    return S_OK;
}

} // namespace

HRESULT CTreeViewBehavior::ExportTree(VARIANT* result) {
    ComPtr<IXMLDOMNode> data;
    TREE_CHECK(NewElement(xml_, u"TREEVIEWDATA", data));
    for (const ColorEntry& entry : colorTable_) {
        if (entry.name == u"BASE")
            continue;
        ComPtr<IXMLDOMNode> section;
        TREE_CHECK(NewElement(xml_, u"TEXTCOLOR", section));
        TREE_CHECK(treedom::AppendTextElement(xml_, section, u"NAME", entry.name.View()));
        TREE_CHECK(ExportColors(xml_, entry, section, true));
        TREE_CHECK(Append(data, section));
    }
    for (const IconEntry& entry : iconTable_) {
        if (entry.name == u"BASE")
            continue;
        ComPtr<IXMLDOMNode> section;
        TREE_CHECK(NewElement(xml_, u"NODEICONIMAGE", section));
        TREE_CHECK(treedom::AppendTextElement(xml_, section, u"NAME", entry.name.View()));
        for (int i = 0; i < kIconCount; ++i)
            TREE_CHECK(treedom::AppendTextElement(xml_, section, kIconElements[i], entry.paths[i].View()));
        TREE_CHECK(Append(data, section));
    }
    for (HeritageSet& set : heritageSets_) {
        if (set.name == u"BASE")
            continue;
        ComPtr<IXMLDOMNode> section;
        TREE_CHECK(NewElement(xml_, u"HERITAGEICONIMAGE", section));
        TREE_CHECK(treedom::AppendTextElement(xml_, section, u"NAME", set.name.View()));
        for (const HeritagePicture& picture : kHeritagePictures)
            TREE_CHECK(treedom::AppendTextElement(xml_, section, picture.element,
                                                  HeritageSlot(set, picture.slot).View()));
        TREE_CHECK(Append(data, section));
    }
    if (element_)
        TREE_CHECK(ExportDataAttributes(xml_, element_, data));
    ComPtr<IXMLDOMNode> nodes;
    TREE_CHECK(NewElement(xml_, u"NODES", nodes));
    if (root_)
        for (CTreeNodeBehavior* node : root_->ChildNodesOf()) {
            ComPtr<IXMLDOMNode> exported;
            TREE_CHECK(node->ExportNode(xml_, &exported));
            TREE_CHECK(Append(nodes, exported));
        }
    TREE_CHECK(Append(data, nodes));
    result->vt = VT_DISPATCH;
    return data->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&result->pdispVal));
}

HRESULT CTreeNodeBehavior::ExportNode(IXMLDOMDocument* document, IXMLDOMNode** out) {
    *out = nullptr;
    ComPtr<IXMLDOMNode> node;
    TREE_CHECK(NewElement(document, u"NODE", node));
    TREE_CHECK(treedom::AppendTextElement(document, node, u"VALUE", value_.View()));
    TREE_CHECK(treedom::AppendTextElement(document, node, u"EXPANDED", expanded_ ? u"TRUE" : u"FALSE"));
    TREE_CHECK(treedom::AppendTextElement(document, node, u"ISLEAF", isLeaf_ ? u"TRUE" : u"FALSE"));
    TREE_CHECK(ExportColors(document, colors_, node, false));
    for (int i = 0; i < kIconCount; ++i)
        TREE_CHECK(treedom::AppendTextElement(document, node, kIconElements[i], icons_.paths[i].View()));
    if (!icons_.name.Empty() && icons_.name != u"BASE")
        TREE_CHECK(treedom::AppendTextElement(document, node, u"SETNODEICONBYNAME", icons_.name.View()));
    if (tree_ && tree_->selected_ == this)
        TREE_CHECK(treedom::AppendTextElement(document, node, u"SELECT", u""));
    if (element_)
        TREE_CHECK(ExportDataAttributes(document, element_, node));
    const std::vector<CTreeNodeBehavior*> children = ChildNodesOf();
    if (!children.empty()) {
        ComPtr<IXMLDOMNode> nodes;
        TREE_CHECK(NewElement(document, u"NODES", nodes));
        for (CTreeNodeBehavior* child : children) {
            ComPtr<IXMLDOMNode> exported;
            TREE_CHECK(child->ExportNode(document, &exported));
            TREE_CHECK(Append(nodes, exported));
        }
        TREE_CHECK(Append(node, nodes));
    }
    *out = node.Detach();
    return S_OK;
}
