#include "node_edit.h"

#include "winerror.h"

namespace qx::xml {
namespace {

bool CanHoldChildren(xmlNodePtr n) {
    return n->type == XML_ELEMENT_NODE || n->type == XML_DOCUMENT_NODE || n->type == XML_DOCUMENT_FRAG_NODE;
}

bool CanBeChild(xmlNodePtr parent, xmlNodePtr child) {
    switch (child->type) {
    case XML_ELEMENT_NODE:
    case XML_COMMENT_NODE:
    case XML_PI_NODE:
        return true;
    case XML_TEXT_NODE:
    case XML_CDATA_SECTION_NODE:
        return parent->type != XML_DOCUMENT_NODE;
    default:
        return false;
    }
}

} // namespace

xmlNodePtr CloneInto(XmlTree& tree, xmlNodePtr node, bool deep) {
    xmlNodePtr copy = nullptr;
    if (node->type == XML_ATTRIBUTE_NODE) {
        copy = reinterpret_cast<xmlNodePtr>(xmlCopyProp(nullptr, reinterpret_cast<xmlAttrPtr>(node)));
    } else if (node->type == XML_DTD_NODE) {
        // A document type is copied with its declarations (the node copy leaves it out); the copy
        // belongs to the document but is linked nowhere.
        copy = reinterpret_cast<xmlNodePtr>(xmlCopyDtd(reinterpret_cast<xmlDtdPtr>(node)));
        if (copy) {
            copy->doc = tree.doc;
            tree.Adopt(copy);
        }
        return copy;
    } else
        copy = xmlDocCopyNode(node, tree.doc, deep ? 1 : 2);
    if (copy) {
        if (copy->doc != tree.doc)
            xmlSetTreeDoc(copy, tree.doc);
        tree.Adopt(copy);
    }
    return copy;
}

HRESULT ChildOf(xmlNodePtr parent, IDispatch* child, xmlNodePtr* node) {
    xmlNodePtr n = nullptr;
    TreePtr t;
    if (!child || !UnwrapNode(child, &n, &t))
        return E_INVALIDARG;
    if (n->parent != parent || n->type == XML_ATTRIBUTE_NODE)
        return E_INVALIDARG;
    *node = n;
    return S_OK;
}

HRESULT InsertChild(const TreePtr& tree, xmlNodePtr parent, IDispatch* newChild, xmlNodePtr before,
                    xmlNodePtr* inserted) {
    xmlNodePtr child = nullptr;
    TreePtr childTree;
    if (!newChild || !UnwrapNode(newChild, &child, &childTree))
        return E_INVALIDARG;
    if (!CanHoldChildren(parent) || !CanBeChild(parent, child))
        return E_FAIL;
    if (childTree.get() == tree.get() && IsAncestorOrSelf(child, parent))
        return E_FAIL; // a node cannot go below itself
    if (parent->type == XML_DOCUMENT_NODE && child->type == XML_ELEMENT_NODE) {
        xmlNodePtr root = xmlDocGetRootElement(reinterpret_cast<xmlDocPtr>(parent));
        if (root && root != child)
            return E_FAIL; // one document element only
    }
    if (before == child)
        return *inserted = child, S_OK;
    if (childTree.get() != tree.get()) {
        child = CloneInto(*tree, child, true);
        if (!child)
            return E_OUTOFMEMORY;
    }
    tree->Detach(child);
    LinkChild(parent, child, before);
    *inserted = child;
    return S_OK;
}

} // namespace qx::xml
