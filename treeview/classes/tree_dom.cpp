// Helpers over the page's element interfaces and the XML DOM.
#include "tree_dom.h"

#include <memory>
#include <qx/com/dispatch.h>

namespace treedom {

std::u16string Upper(std::u16string_view text) {
    std::u16string result(text);
    for (char16_t& c : result)
        if (c >= u'a' && c <= u'z')
            c = static_cast<char16_t>(c - u'a' + u'A');
    return result;
}

static HRESULT MemberId(IDispatch* target, const OLECHAR* name, DISPID& id) {
    if (!target)
        return E_POINTER;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    return target->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
}

HRESULT GetMember(IDispatch* target, const OLECHAR* name, VARIANT* value) {
    DISPID id = DISPID_UNKNOWN;
    TREE_CHECK(MemberId(target, name, id));
    return qx::com::InvokeByDispid(target, id, DISPATCH_PROPERTYGET, nullptr, 0, value);
}

HRESULT PutMember(IDispatch* target, const OLECHAR* name, const VARIANT& value) {
    DISPID id = DISPID_UNKNOWN;
    TREE_CHECK(MemberId(target, name, id));
    return qx::com::InvokeByDispid(target, id, DISPATCH_PROPERTYPUT, &value, 1, nullptr);
}

HRESULT StyleOf(IHTMLElement* element, ComPtr<IHTMLStyle>& style) {
    if (!element)
        return E_POINTER;
    ComPtr<IDispatch> dispatch;
    TREE_CHECK(element->get_style(&dispatch));
    if (!dispatch)
        return E_FAIL;
    return dispatch.As(std::addressof(style));
}

HRESULT AppendStyleText(IHTMLElement* element, std::u16string_view text) {
    ComPtr<IHTMLStyle> style;
    TREE_CHECK(StyleOf(element, style));
    Bstr current;
    TREE_CHECK(style->get_cssText(&current));
    std::u16string combined(current.View());
    if (!combined.empty() && combined.back() != u';')
        combined += u"; ";
    combined += text;
    return style->put_cssText(Bstr(combined));
}

HRESULT SetAttribute(IHTMLElement* element, const OLECHAR* name, const VARIANT& value, LONG flags) {
    if (!element)
        return E_POINTER;
    return element->setAttribute(Bstr(name), value, flags);
}

HRESULT CreateElement(IHTMLDocument2* document, const OLECHAR* tag, ComPtr<IHTMLElement>& element) {
    if (!document)
        return E_POINTER;
    ComPtr<IDispatch> made;
    TREE_CHECK(document->createElement(Bstr(tag), &made));
    if (!made)
        return E_FAIL;
    return made.As(std::addressof(element));
}

HRESULT InsertAdjacent(IHTMLElement* anchor, const OLECHAR* where, IHTMLElement* element) {
    ComPtr<IHTMLElement2> anchor2 = ComPtr<IHTMLElement2>::QueryFrom(anchor);
    if (!anchor2 || !element)
        return E_POINTER;
    ComPtr<IDispatch> inserted;
    return anchor2->insertAdjacentElement(Bstr(where), element, &inserted);
}

HRESULT RemoveNode(IHTMLElement* element) {
    ComPtr<IHTMLDOMNode> node = ComPtr<IHTMLDOMNode>::QueryFrom(element);
    if (!node)
        return E_POINTER;
    ComPtr<IDispatch> removed;
    return node->removeNode(VARIANT_TRUE, &removed);
}

HRESULT ChildDivs(IHTMLElement* element, std::vector<ComPtr<IHTMLElement>>& divs) {
    divs.clear();
    if (!element)
        return E_POINTER;
    ComPtr<IDispatch> childrenDispatch;
    TREE_CHECK(element->get_children(&childrenDispatch));
    ComPtr<IHTMLElementCollection> children =
        ComPtr<IHTMLElementCollection>::QueryFrom(childrenDispatch.Get());
    if (!children)
        return E_FAIL;
    ComPtr<IDispatch> tagsDispatch;
    TREE_CHECK(children->tags(Variant(u"DIV"), &tagsDispatch));
    ComPtr<IHTMLElementCollection> tags = ComPtr<IHTMLElementCollection>::QueryFrom(tagsDispatch.Get());
    if (!tags)
        return E_FAIL;
    LONG length = 0;
    TREE_CHECK(tags->get_length(&length));
    for (LONG i = 0; i < length; ++i) {
        ComPtr<IDispatch> item;
        TREE_CHECK(tags->item(Variant(i), Variant(), &item));
        ComPtr<IHTMLElement> div = ComPtr<IHTMLElement>::QueryFrom(item.Get());
        if (div)
            divs.push_back(div);
    }
    return S_OK;
}

bool SameObject(IUnknown* a, IUnknown* b) {
    return a && b && qx::com::IsSameObject(a, b);
}

LONG PageTop(IHTMLElement* element) {
    LONG top = 0;
    ComPtr<IHTMLElement> current(element);
    for (int guard = 0; current && guard < 10000; ++guard) {
        LONG offset = 0;
        if (FAILED(current->get_offsetTop(&offset)))
            break;
        top += offset;
        ComPtr<IDispatch> parent;
        if (FAILED(current->get_offsetParent(&parent)) || !parent)
            break;
        current = ComPtr<IHTMLElement>::QueryFrom(parent.Get());
    }
    return top;
}

ComPtr<IXMLDOMNode> ChildNode(IXMLDOMNode* node, const OLECHAR* name) {
    ComPtr<IXMLDOMNode> child;
    if (!node)
        return child;
    ComPtr<IDispatch> found;
    if (SUCCEEDED(node->selectSingleNode(Bstr(name), &found)) && found)
        child = ComPtr<IXMLDOMNode>::QueryFrom(found.Get());
    return child;
}

bool ChildText(IXMLDOMNode* node, const OLECHAR* name, Bstr& text) {
    ComPtr<IXMLDOMNode> child = ChildNode(node, name);
    if (!child)
        return false;
    text.Reset();
    return SUCCEEDED(child->get_text(&text));
}

HRESULT ElementChildren(IXMLDOMNode* node, std::vector<ComPtr<IXMLDOMNode>>& children) {
    children.clear();
    if (!node)
        return E_POINTER;
    ComPtr<IDispatch> listDispatch;
    TREE_CHECK(node->get_childNodes(&listDispatch));
    ComPtr<IXMLDOMNodeList> list = ComPtr<IXMLDOMNodeList>::QueryFrom(listDispatch.Get());
    if (!list)
        return E_FAIL;
    LONG length = 0;
    TREE_CHECK(list->get_length(&length));
    for (LONG i = 0; i < length; ++i) {
        ComPtr<IDispatch> item;
        TREE_CHECK(list->get_item(i, &item));
        ComPtr<IXMLDOMNode> child = ComPtr<IXMLDOMNode>::QueryFrom(item.Get());
        LONG type = 0;
        if (child && SUCCEEDED(child->get_nodeType(&type)) && type == 1)
            children.push_back(child);
    }
    return S_OK;
}

std::u16string UpperName(IXMLDOMNode* node) {
    Bstr name;
    if (!node || FAILED(node->get_nodeName(&name)))
        return {};
    return Upper(name.View());
}

HRESULT AppendTextElement(IXMLDOMDocument* document, IXMLDOMNode* parent, std::u16string_view name,
                          std::u16string_view text) {
    ComPtr<IDispatch> made;
    TREE_CHECK(document->createElement(Bstr(name), &made));
    ComPtr<IXMLDOMNode> element = ComPtr<IXMLDOMNode>::QueryFrom(made.Get());
    if (!element)
        return E_FAIL;
    TREE_CHECK(element->put_text(Bstr(text)));
    ComPtr<IDispatch> appended;
    return parent->appendChild(element.Get(), &appended);
}

} // namespace treedom
