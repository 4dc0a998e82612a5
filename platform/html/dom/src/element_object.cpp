// Element, text and comment objects, and the one-object-per-node rule.
#include "element_object.h"

#include "oleauto.h"
#include "qx/com/error_info.h"
#include "qx/html/dom/serializer.h"

#include <string>

namespace qx::html::dom {

namespace {

class CElement : public ElementObject<> {
public:
    QX_BEGIN_INTERFACES(CElement)
    QX_HTML_ELEMENT_ENTRIES
    QX_END_INTERFACES()
};

// Texts and comments: nodes only.
class CCharacterNode : public NodeObject<IHTMLDOMNode, IHTMLDOMNode2> {
public:
    QX_BEGIN_INTERFACES(CCharacterNode)
    QX_INTERFACE_ENTRY(IHTMLDOMNode)
    QX_INTERFACE_ENTRY(IHTMLDOMNode2)
    QX_INTERFACE_ENTRY(IDispatchEx)
    QX_INTERFACE_ENTRY2(IDispatch, IDispatchEx)
    QX_INTERFACE_ENTRY(IHtmlNodeAccess)
    QX_END_INTERFACES()
};

} // namespace

HRESULT NodeObjectOf(const DomPtr& dom, Node* node, IDispatch** object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (!node)
        return S_OK;
    if (node->type == NodeType::Document) {
        com::ComPtr<IHTMLDocument2> document;
        const HRESULT hr = DocumentObjectOf(dom, &document);
        *object = document.Detach();
        return hr;
    }
    if (node->object) {
        *object = static_cast<IDispatch*>(node->object);
        (*object)->AddRef();
        return S_OK;
    }
    if (node->IsElement()) {
        HRESULT hr = CreateTablePartObject(dom, node, object);
        if (hr == S_FALSE)
            hr = CreateFormFieldObject(dom, node, object);
        if (hr == S_FALSE)
            hr = CreateObjectElementObject(dom, node, object);
        if (hr == S_FALSE)
            hr = CreateStyleElementObject(dom, node, object);
        if (hr == S_FALSE)
            hr = CreateBodyObject(dom, node, object);
        if (hr == S_FALSE)
            hr = CreateTagElementObject(dom, node, object);
        if (hr != S_FALSE)
            return hr;
        return MakeNodeObject<CElement>(dom, node, object);
    }
    com::ObjectPtr<CCharacterNode> character;
    const HRESULT hr = com::CreateObject<CCharacterNode>(character);
    if (FAILED(hr))
        return hr;
    character->Attach(dom, node);
    return character->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(object));
}

} // namespace qx::html::dom
