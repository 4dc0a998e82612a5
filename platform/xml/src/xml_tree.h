// A parsed document and the nodes that belong to it. Nodes taken out of the tree (or created and
// not yet inserted) are kept as orphans and freed with the tree, so a node object handed to a caller
// never points at freed memory.
#pragma once

#include <libxml/tree.h>

#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>

struct IDispatch;

namespace qx::xml {

struct XmlTree {
    XmlTree(); // an empty document
    explicit XmlTree(xmlDocPtr parsed);
    XmlTree(const XmlTree&) = delete;
    XmlTree& operator=(const XmlTree&) = delete;
    ~XmlTree();

    xmlDocPtr doc = nullptr;
    std::unordered_set<xmlNodePtr> orphans;
    // The one node object of each node that has a live one, so that asking twice for a node gives
    // the same object. No reference is held: an object takes its entry out when it dies, and it
    // holds the tree, so no entry outlives its node. A document and its nodes are used by one
    // thread at a time, as the tree itself is.
    std::unordered_map<xmlNodePtr, IDispatch*> nodeObjects;
    // The XML declaration the document had, as version/encoding/standalone; none when empty.
    bool hasDeclaration = false;
    std::string declVersion = "1.0";
    std::string declEncoding;   // as written, empty when not declared
    std::string declStandalone; // "yes"/"no", empty when not declared
    // Whether whitespace-only text was kept when loading; `text` trims its ends otherwise.
    bool preserveWhiteSpace = false;

    void Adopt(xmlNodePtr node) { orphans.insert(node); }
    // Takes the node out of wherever it is (its parent or the orphans); it belongs to no one after.
    void Detach(xmlNodePtr node);
    // Takes the node out of its parent and keeps it as an orphan.
    void Orphan(xmlNodePtr node) {
        Detach(node);
        Adopt(node);
    }
};

using TreePtr = std::shared_ptr<XmlTree>;

// Links a detached node as a child of parent, before `before` (null: at the end). Never merges
// adjacent text nodes (the caller may hold either of them).
void LinkChild(xmlNodePtr parent, xmlNodePtr child, xmlNodePtr before);
// Links a detached attribute into an element's attribute list, at the end.
void LinkAttribute(xmlNodePtr element, xmlAttrPtr attribute);

// Whether node is ancestor or the node itself.
bool IsAncestorOrSelf(xmlNodePtr ancestor, xmlNodePtr node);

// The qualified name of an element or attribute ("p:name" with a prefix).
std::string QualifiedName(xmlNodePtr node);
xmlAttrPtr FindAttribute(xmlNodePtr element, const std::string& qualifiedName);

// The text of a node and its descendants (element, document) or its own content (others).
std::string NodeText(xmlNodePtr node);
// Replaces the content of an element (all children become orphans) with one text node, or the
// value of any other node.
void SetNodeText(XmlTree& tree, xmlNodePtr node, const std::string& text);

} // namespace qx::xml
