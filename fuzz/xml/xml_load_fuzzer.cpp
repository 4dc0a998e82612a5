// Document bytes through load (encoding detection, code pages) and the same bytes as text through
// loadXML; whatever loads is walked whole (every node's children and attributes, from the document
// and its document type down), queried, serialised, cloned and edited. A node reached by two roads
// must be one object.
#include "msxml.h"
#include "objbase.h"
#include "oleauto.h"
#include "qx/com/bstr.h"
#include "qx/com/comptr.h"
#include "qx/com/variant.h"
#include "qx/xml/xml_dom.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

using qx::com::Bstr;
using qx::com::ComPtr;
using qx::com::Variant;

// Bounds that keep one input quick: nodes visited, and nodes whose text is built.
constexpr int kMaxNodes = 2048;
constexpr int kMaxSerialised = 256;

IUnknown* Identity(IUnknown* object) {
    if (!object)
        return nullptr;
    ComPtr<IUnknown> unknown;
    if (FAILED(object->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown))))
        std::abort();
    return unknown.Get(); // the caller holds the object
}

void RequireSame(IUnknown* one, IUnknown* other) {
    if (Identity(one) != Identity(other))
        std::abort();
}

void ReadNode(IXMLDOMNode* node, bool serialise) {
    Bstr name;
    node->get_nodeName(name.ReleaseAndGetAddressOf());
    Variant value;
    node->get_nodeValue(&value);
    LONG type = 0;
    node->get_nodeType(&type);
    Bstr typeString;
    node->get_nodeTypeString(typeString.ReleaseAndGetAddressOf());
    VARIANT_BOOL has = VARIANT_FALSE;
    node->hasChildNodes(&has);
    if (!serialise)
        return;
    Bstr text;
    node->get_text(text.ReleaseAndGetAddressOf());
    Bstr xml;
    node->get_xml(xml.ReleaseAndGetAddressOf());
}

void ReadAttributes(IXMLDOMNode* node, bool serialise) {
    ComPtr<IDispatch> mapObject;
    if (FAILED(node->get_attributes(&mapObject)) || !mapObject)
        return;
    ComPtr<IXMLDOMNamedNodeMap> map = mapObject.As<IXMLDOMNamedNodeMap>();
    if (!map)
        std::abort();
    LONG length = 0;
    map->get_length(&length);
    for (LONG i = 0; i < length && i < 64; ++i) {
        ComPtr<IDispatch> item;
        map->get_item(i, &item);
        ComPtr<IXMLDOMNode> attribute = item.As<IXMLDOMNode>();
        if (!attribute)
            std::abort();
        ReadNode(attribute.Get(), serialise);
        Bstr name;
        attribute->get_nodeName(name.ReleaseAndGetAddressOf());
        ComPtr<IDispatch> byName;
        map->getNamedItem(name.Get(), &byName);
        // Two attributes of one name cannot be; the first of that name is this one.
        if (byName && i == 0)
            RequireSame(byName.Get(), item.Get());
    }
}

// Every node from the document down, the document type among the document's children.
void Walk(IXMLDOMDocument* doc) {
    std::vector<ComPtr<IXMLDOMNode>> pending;
    pending.push_back(ComPtr<IXMLDOMNode>(static_cast<IXMLDOMNode*>(doc)));
    int visited = 0;
    while (!pending.empty() && visited < kMaxNodes) {
        ComPtr<IXMLDOMNode> node = std::move(pending.back());
        pending.pop_back();
        const bool serialise = visited++ < kMaxSerialised;
        ReadNode(node.Get(), serialise);
        ReadAttributes(node.Get(), serialise);
        ComPtr<IDispatch> listObject;
        if (FAILED(node->get_childNodes(&listObject)) || !listObject)
            continue;
        ComPtr<IXMLDOMNodeList> list = listObject.As<IXMLDOMNodeList>();
        LONG length = 0;
        list->get_length(&length);
        ComPtr<IDispatch> first;
        node->get_firstChild(&first);
        ComPtr<IDispatch> last;
        node->get_lastChild(&last);
        std::vector<ComPtr<IXMLDOMNode>> children;
        for (LONG i = 0; i < length; ++i) {
            ComPtr<IDispatch> item;
            if (FAILED(list->get_item(i, &item)) || !item)
                std::abort();
            ComPtr<IXMLDOMNode> child = item.As<IXMLDOMNode>();
            if (!child)
                std::abort();
            ComPtr<IDispatch> parent;
            child->get_parentNode(&parent);
            RequireSame(parent.Get(), node.Get());
            if (i == 0)
                RequireSame(item.Get(), first.Get());
            if (i == length - 1)
                RequireSame(item.Get(), last.Get());
            children.push_back(std::move(child));
        }
        for (auto c = children.rbegin(); c != children.rend(); ++c)
            pending.push_back(std::move(*c));
    }
}

void Exercise(IXMLDOMDocument* doc) {
    Walk(doc);
    ComPtr<IDispatch> list;
    if (SUCCEEDED(doc->selectNodes(Bstr(u"//*[@*]|//text()|//comment()|//processing-instruction()").Get(),
                                   &list)) &&
        list) {
        ComPtr<IXMLDOMNodeList> nodes = list.As<IXMLDOMNodeList>();
        LONG length = 0;
        nodes->get_length(&length);
        for (LONG i = 0; i < length && i < 64; ++i) {
            ComPtr<IDispatch> item;
            nodes->get_item(i, &item);
            if (ComPtr<IXMLDOMNode> node = item.As<IXMLDOMNode>()) {
                Bstr name;
                node->get_nodeName(name.ReleaseAndGetAddressOf());
                Bstr nodeXml;
                node->get_xml(nodeXml.ReleaseAndGetAddressOf());
                ComPtr<IDispatch> copy;
                node->cloneNode(VARIANT_TRUE, &copy);
                if (copy && Identity(copy.Get()) == Identity(item.Get()))
                    std::abort();
            }
        }
    }
    ComPtr<IDispatch> root;
    doc->get_documentElement(&root);
    if (ComPtr<IXMLDOMNode> node = root.As<IXMLDOMNode>()) {
        ComPtr<IDispatch> removed;
        doc->removeChild(root.Get(), &removed);
        if (removed)
            RequireSame(removed.Get(), root.Get());
        ComPtr<IDispatch> back;
        doc->appendChild(removed.Get(), &back);
        ComPtr<IDispatch> again;
        doc->get_documentElement(&again);
        if (again)
            RequireSame(again.Get(), root.Get());
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ComPtr<IXMLDOMDocument> doc;
    if (FAILED(qx::xml::CreateDOMDocument(nullptr, IID_IXMLDOMDocument, reinterpret_cast<void**>(&doc))))
        return 0;
    doc->put_async(VARIANT_FALSE);

    ComPtr<IStream> stream;
    if (SUCCEEDED(CreateStreamOnHGlobal(nullptr, TRUE, &stream))) {
        ULONG written = 0;
        stream->Write(data, static_cast<ULONG>(size), &written);
        LARGE_INTEGER zero{};
        stream->Seek(zero, STREAM_SEEK_SET, nullptr);
        qx::com::Variant source(static_cast<IUnknown*>(stream.Get()));
        VARIANT_BOOL ok = VARIANT_FALSE;
        doc->load(source, &ok);
        Exercise(doc.Get());
    }

    Bstr text = Bstr::FromUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
    VARIANT_BOOL ok = VARIANT_FALSE;
    doc->loadXML(text.Get(), &ok);
    Exercise(doc.Get());
    return 0;
}
