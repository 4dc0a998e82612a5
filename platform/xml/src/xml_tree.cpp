#include "xml_tree.h"

#include <cstring>

namespace qx::xml {

XmlTree::XmlTree() : doc(xmlNewDoc(BAD_CAST "1.0")) {}

XmlTree::XmlTree(xmlDocPtr parsed) : doc(parsed) {}

XmlTree::~XmlTree() {
    // Orphans first: their strings may live in the document's dictionary.
    for (xmlNodePtr node : orphans) {
        if (node->type == XML_ATTRIBUTE_NODE)
            xmlFreeProp(reinterpret_cast<xmlAttrPtr>(node));
        else
            xmlFreeNode(node);
    }
    if (doc)
        xmlFreeDoc(doc);
}

void XmlTree::Detach(xmlNodePtr node) {
    if (orphans.erase(node))
        return;
    xmlUnlinkNode(node);
}

void LinkChild(xmlNodePtr parent, xmlNodePtr child, xmlNodePtr before) {
    child->parent = parent;
    if (child->doc != parent->doc)
        xmlSetTreeDoc(child, parent->doc);
    if (!before) {
        child->prev = parent->last;
        child->next = nullptr;
        if (parent->last)
            parent->last->next = child;
        else
            parent->children = child;
        parent->last = child;
        return;
    }
    child->next = before;
    child->prev = before->prev;
    if (before->prev)
        before->prev->next = child;
    else
        parent->children = child;
    before->prev = child;
}

void LinkAttribute(xmlNodePtr element, xmlAttrPtr attribute) {
    attribute->parent = element;
    attribute->next = nullptr;
    attribute->prev = nullptr;
    if (attribute->doc != element->doc)
        xmlSetTreeDoc(reinterpret_cast<xmlNodePtr>(attribute), element->doc);
    if (!element->properties) {
        element->properties = attribute;
        return;
    }
    xmlAttrPtr last = element->properties;
    while (last->next)
        last = last->next;
    last->next = attribute;
    attribute->prev = last;
}

bool IsAncestorOrSelf(xmlNodePtr ancestor, xmlNodePtr node) {
    for (xmlNodePtr n = node; n; n = n->parent)
        if (n == ancestor)
            return true;
    return false;
}

std::string QualifiedName(xmlNodePtr node) {
    std::string name;
    // Only elements and attributes have a namespace: other kinds (the document type above all)
    // keep something else where a node keeps it.
    const bool named = node->type == XML_ELEMENT_NODE || node->type == XML_ATTRIBUTE_NODE;
    if (named && node->ns && node->ns->prefix) {
        name = reinterpret_cast<const char*>(node->ns->prefix);
        name += ':';
    }
    if (node->name)
        name += reinterpret_cast<const char*>(node->name);
    return name;
}

xmlAttrPtr FindAttribute(xmlNodePtr element, const std::string& qualifiedName) {
    if (!element || element->type != XML_ELEMENT_NODE)
        return nullptr;
    for (xmlAttrPtr a = element->properties; a; a = a->next)
        if (QualifiedName(reinterpret_cast<xmlNodePtr>(a)) == qualifiedName)
            return a;
    return nullptr;
}

namespace {

void AppendDescendantText(xmlNodePtr node, std::string& out, int depth) {
    for (xmlNodePtr c = node->children; c; c = c->next) {
        if (c->type == XML_TEXT_NODE || c->type == XML_CDATA_SECTION_NODE) {
            if (c->content)
                out += reinterpret_cast<const char*>(c->content);
        } else if (c->type == XML_ELEMENT_NODE && depth < 10000) {
            AppendDescendantText(c, out, depth + 1);
        }
    }
}

} // namespace

std::string NodeText(xmlNodePtr node) {
    std::string out;
    switch (node->type) {
    case XML_ELEMENT_NODE:
    case XML_DOCUMENT_NODE:
    case XML_DOCUMENT_FRAG_NODE:
    case XML_ATTRIBUTE_NODE:
        AppendDescendantText(node, out, 0);
        break;
    case XML_TEXT_NODE:
    case XML_CDATA_SECTION_NODE:
    case XML_COMMENT_NODE:
    case XML_PI_NODE:
        if (node->content)
            out = reinterpret_cast<const char*>(node->content);
        break;
    default:
        break; // the document type and its declarations hold no text of their own
    }
    return out;
}

void SetNodeText(XmlTree& tree, xmlNodePtr node, const std::string& text) {
    if (node->type == XML_ELEMENT_NODE) {
        while (node->children)
            tree.Orphan(node->children);
        if (!text.empty()) {
            xmlNodePtr t = xmlNewDocTextLen(node->doc, BAD_CAST text.data(), static_cast<int>(text.size()));
            LinkChild(node, t, nullptr);
        }
        return;
    }
    if (node->type == XML_ATTRIBUTE_NODE) {
        // Attribute children are never handed out, so freeing them is safe; the value is taken as
        // it is, without reading entity references in it.
        xmlFreeNodeList(node->children);
        node->children = node->last = nullptr;
        xmlNodePtr t = xmlNewDocTextLen(node->doc, BAD_CAST text.data(), static_cast<int>(text.size()));
        LinkChild(node, t, nullptr);
        return;
    }
    xmlNodeSetContentLen(node, BAD_CAST text.data(), static_cast<int>(text.size()));
}

} // namespace qx::xml
