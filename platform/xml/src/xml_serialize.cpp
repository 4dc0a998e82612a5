#include "xml_serialize.h"

#include <libxml/valid.h>

#include <vector>

namespace qx::xml {
namespace {

const char* Str(const xmlChar* s) {
    return s ? reinterpret_cast<const char*>(s) : "";
}

void EscapeText(std::string& out, const char* s) {
    for (; *s; ++s) {
        switch (*s) {
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '&':
            out += "&amp;";
            break;
        default:
            out += *s;
            break;
        }
    }
}

void EscapeAttribute(std::string& out, const char* s) {
    for (; *s; ++s) {
        switch (*s) {
        case '<':
            out += "&lt;";
            break;
        case '&':
            out += "&amp;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += *s;
            break;
        }
    }
}

void WriteAttribute(std::string& out, xmlAttrPtr a) {
    out += QualifiedName(reinterpret_cast<xmlNodePtr>(a));
    out += "=\"";
    EscapeAttribute(out, NodeText(reinterpret_cast<xmlNodePtr>(a)).c_str());
    out += '"';
}

void WriteStartTag(std::string& out, xmlNodePtr e) {
    out += '<';
    out += QualifiedName(e);
    for (xmlNsPtr ns = e->nsDef; ns; ns = ns->next) {
        out += ns->prefix ? " xmlns:" : " xmlns";
        out += Str(ns->prefix);
        out += "=\"";
        EscapeAttribute(out, Str(ns->href));
        out += '"';
    }
    for (xmlAttrPtr a = e->properties; a; a = a->next) {
        out += ' ';
        WriteAttribute(out, a);
    }
    out += e->children ? ">" : "/>";
}

// The declarations of the internal subset (element types, attribute lists, notations, comments,
// processing instructions) as the parser's own writer gives each, so saving keeps them.
void WriteInternalSubset(std::string& out, xmlDtdPtr dtd) {
    if (!dtd->children && !dtd->notations)
        return;
    xmlBufferPtr buffer = xmlBufferCreate();
    if (!buffer)
        return;
    out += " [";
    for (xmlNodePtr d = dtd->children; d; d = d->next) {
        xmlBufferEmpty(buffer);
        if (xmlNodeDump(buffer, dtd->doc, d, 0, 0) < 0)
            continue;
        std::string text(reinterpret_cast<const char*>(xmlBufferContent(buffer)),
                         static_cast<std::size_t>(xmlBufferLength(buffer)));
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
            text.pop_back();
        out += text;
    }
    // Notations are kept in a table of their own, not among the declarations.
    if (dtd->notations) {
        xmlBufferEmpty(buffer);
        xmlDumpNotationTable(buffer, static_cast<xmlNotationTablePtr>(dtd->notations));
        for (const xmlChar* c = xmlBufferContent(buffer); c && *c; ++c)
            if (*c != '\n' && *c != '\r')
                out += static_cast<char>(*c);
    }
    out += ']';
    xmlBufferFree(buffer);
}

// Writes a leaf (anything but an element with children or a document).
void WriteLeaf(std::string& out, xmlNodePtr n) {
    switch (n->type) {
    case XML_ELEMENT_NODE:
        WriteStartTag(out, n);
        break;
    case XML_TEXT_NODE:
        EscapeText(out, Str(n->content));
        break;
    case XML_CDATA_SECTION_NODE:
        out += "<![CDATA[";
        out += Str(n->content);
        out += "]]>";
        break;
    case XML_COMMENT_NODE:
        out += "<!--";
        out += Str(n->content);
        out += "-->";
        break;
    case XML_PI_NODE:
        out += "<?";
        out += Str(n->name);
        if (n->content && *n->content) {
            out += ' ';
            out += Str(n->content);
        }
        out += "?>";
        break;
    case XML_ATTRIBUTE_NODE:
        WriteAttribute(out, reinterpret_cast<xmlAttrPtr>(n));
        break;
    case XML_DTD_NODE: {
        auto* dtd = reinterpret_cast<xmlDtdPtr>(n);
        out += "<!DOCTYPE ";
        out += Str(dtd->name);
        if (dtd->ExternalID) {
            out += " PUBLIC \"";
            out += Str(dtd->ExternalID);
            out += "\" \"";
            out += Str(dtd->SystemID);
            out += '"';
        } else if (dtd->SystemID) {
            out += " SYSTEM \"";
            out += Str(dtd->SystemID);
            out += '"';
        }
        WriteInternalSubset(out, dtd);
        out += '>';
        break;
    }
    default:
        break;
    }
}

// An element subtree, without recursion (trees built by script may be deeper than parsed ones).
void WriteSubtree(std::string& out, xmlNodePtr top) {
    if (top->type != XML_ELEMENT_NODE || !top->children) {
        WriteLeaf(out, top);
        return;
    }
    xmlNodePtr n = top;
    while (true) {
        if (n->type == XML_ELEMENT_NODE && n->children) {
            WriteStartTag(out, n);
            n = n->children;
            continue;
        }
        WriteLeaf(out, n);
        // climb, closing elements, to the next sibling
        while (n != top && !n->next) {
            n = n->parent;
            out += "</";
            out += QualifiedName(n);
            out += '>';
        }
        if (n == top)
            return;
        n = n->next;
    }
}

} // namespace

std::string SerializeNode(const XmlTree& tree, xmlNodePtr node) {
    std::string out;
    if (node->type != XML_DOCUMENT_NODE) {
        WriteSubtree(out, node);
        return out;
    }
    if (tree.hasDeclaration) {
        out += "<?xml version=\"" + tree.declVersion + '"';
        if (!tree.declEncoding.empty())
            out += " encoding=\"" + tree.declEncoding + '"';
        if (!tree.declStandalone.empty())
            out += " standalone=\"" + tree.declStandalone + '"';
        out += "?>\r\n";
    }
    for (xmlNodePtr c = node->children; c; c = c->next) {
        WriteSubtree(out, c);
        out += "\r\n";
    }
    return out;
}

} // namespace qx::xml
