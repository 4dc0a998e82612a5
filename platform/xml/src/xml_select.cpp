#include "xml_select.h"

#include "winerror.h"

#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>

namespace qx::xml {
namespace {
void SilentStructured(void*, xmlErrorPtr) {}
} // namespace

HRESULT SelectNodes(xmlNodePtr context, const std::string& query, std::vector<xmlNodePtr>& result) {
    result.clear();
    if (query.empty() || query.size() > 4096)
        return E_FAIL;
    xmlDocPtr doc = context->doc;
    if (!doc)
        return E_FAIL;
    xmlXPathContextPtr ctx = xmlXPathNewContext(doc);
    if (!ctx)
        return E_OUTOFMEMORY;
    ctx->error = SilentStructured;
    xmlSetStructuredErrorFunc(nullptr, SilentStructured);
    // A detached node is queried through its own subtree: the context node is enough for that.
    ctx->node = context;
    xmlXPathObjectPtr value = xmlXPathEvalExpression(BAD_CAST query.c_str(), ctx);
    HRESULT hr = S_OK;
    if (!value || value->type != XPATH_NODESET) {
        hr = E_FAIL;
    } else if (value->nodesetval) {
        for (int i = 0; i < value->nodesetval->nodeNr; ++i) {
            xmlNodePtr n = value->nodesetval->nodeTab[i];
            // Namespace nodes are copies owned by the result; text inside attributes is never handed out.
            if (!n || n->type == XML_NAMESPACE_DECL || (n->parent && n->parent->type == XML_ATTRIBUTE_NODE))
                continue;
            result.push_back(n);
        }
    }
    if (value)
        xmlXPathFreeObject(value);
    xmlXPathFreeContext(ctx);
    return hr;
}

std::vector<xmlNodePtr> ElementsByTagName(xmlNodePtr node, const std::string& name) {
    std::vector<xmlNodePtr> out;
    std::vector<xmlNodePtr> pending;
    for (xmlNodePtr c = node->last; c; c = c->prev)
        pending.push_back(c);
    while (!pending.empty()) {
        xmlNodePtr n = pending.back();
        pending.pop_back();
        if (n->type != XML_ELEMENT_NODE)
            continue;
        if (name == "*" || QualifiedName(n) == name)
            out.push_back(n);
        for (xmlNodePtr c = n->last; c; c = c->prev)
            pending.push_back(c);
    }
    return out;
}

} // namespace qx::xml
