// Loading the LISTVIEWDATA vocabulary: a data value resolved to XML nodes, and each node built
// into a header cell or a row next to an anchor.
#include "head_behavior.h"
#include "list_dom.h"
#include "list_view_behavior.h"
#include "row_behavior.h"

#include <qx/net/url_text.h>

namespace orrin {

using qx::com::Bstr;
using qx::com::ComPtr;
using qx::com::Variant;

namespace {

constexpr int kDataAttributes = 15;

HRESULT SelectNodes(IXMLDOMNode* node, const Bstr& path, ComPtr<IXMLDOMNodeList>& nodes) {
    ComPtr<IDispatch> found;
    HRESULT hr = node->selectNodes(path, &found);
    if (FAILED(hr))
        return hr;
    nodes = ComPtr<IXMLDOMNodeList>::QueryFrom(found.Get());
    return nodes ? S_OK : E_NOINTERFACE;
}

bool IsTrueText(const std::optional<std::u16string>& text) {
    return text && UpperAsciiLetters(*text) == u"TRUE";
}

} // namespace

HRESULT CListViewBehavior::LoadHeaders(const VARIANT& data, IHTMLElement* anchor, const OLECHAR* where) {
    return LoadData(data, DataPart::Headers, Anchor{anchor, nullptr}, where, true);
}

HRESULT CListViewBehavior::LoadRows(const VARIANT& data, CRowBehavior* anchor, const OLECHAR* where) {
    if (!anchor)
        return E_POINTER;
    return LoadData(data, DataPart::Rows, Anchor{anchor->Element(), anchor}, where, true);
}

// island: an HTML element's data island may be followed (once: an island that is itself an
// element loads nothing).
HRESULT CListViewBehavior::LoadData(const VARIANT& data, DataPart part, const Anchor& anchor,
                                    const OLECHAR* where, bool island) {
    const bool headers = part == DataPart::Headers;
    const Bstr path = LoadText(headers ? kTextHeaderPath : kTextRowPath);
    const VARIANT& value = data.vt == (VT_BYREF | VT_VARIANT) && data.pvarVal ? *data.pvarVal : data;
    if (value.vt == VT_BSTR) {
        if (!m_document || !m_xml)
            return E_POINTER;
        ComPtr<IDispatch> location;
        HRESULT hr = m_document->get_location(&location);
        auto href = ComPtr<IHTMLLocation>::QueryFrom(location.Get());
        Bstr base;
        if (SUCCEEDED(hr) && href)
            hr = href->get_href(&base);
        if (FAILED(hr))
            return hr;
        const std::string combined = qx::net::CombineUrl(
            base.ToUtf8(),
            Bstr(std::u16string_view(value.bstrVal ? value.bstrVal : u"", SysStringLen(value.bstrVal)))
                .ToUtf8(),
            0);
        VARIANT_BOOL loaded = VARIANT_FALSE;
        hr = m_xml->load(Variant(Bstr::FromUtf8(combined).View()), &loaded);
        if (FAILED(hr))
            return hr;
        ComPtr<IXMLDOMNodeList> nodes;
        hr = SelectNodes(m_xml.Get(), path, nodes);
        return FAILED(hr) ? hr : InsertNodeList(nodes.Get(), part, anchor, where);
    }
    if (value.vt != VT_DISPATCH || !value.pdispVal)
        return S_OK;
    IDispatch* object = value.pdispVal;
    if (auto document = ComPtr<IXMLDOMDocument>::QueryFrom(object)) {
        ComPtr<IXMLDOMNodeList> nodes;
        HRESULT hr = SelectNodes(document.Get(), path, nodes);
        return FAILED(hr) ? hr : InsertNodeList(nodes.Get(), part, anchor, where);
    }
    if (auto list = ComPtr<IXMLDOMNodeList>::QueryFrom(object)) {
        LONG length = 0;
        HRESULT hr = list->get_length(&length);
        if (FAILED(hr) || length == 0)
            return hr;
        ComPtr<IDispatch> first;
        hr = list->nextNode(&first);
        list->reset();
        auto firstNode = ComPtr<IXMLDOMNode>::QueryFrom(first.Get());
        Bstr name;
        if (FAILED(hr) || !firstNode || FAILED(hr = firstNode->get_nodeName(&name)))
            return hr;
        const std::u16string upper = UpperAsciiLetters(name.View());
        if (upper == LoadText(headers ? kTextHeaderItem : kTextRowItem).View())
            return InsertNodeList(list.Get(), part, anchor, where);
        if (upper != LoadText(headers ? kTextHeaderList : kTextRowList).View())
            return S_OK;
        ComPtr<IXMLDOMNodeList> items;
        hr = SelectNodes(firstNode.Get(), LoadText(headers ? kTextHeaderItem : kTextRowItem), items);
        return FAILED(hr) ? hr : InsertNodeList(items.Get(), part, anchor, where);
    }
    if (auto node = ComPtr<IXMLDOMNode>::QueryFrom(object))
        return BuildOne(node.Get(), part, anchor, where);
    if (auto element = ComPtr<IHTMLElement>::QueryFrom(object)) {
        if (!island)
            return S_OK;
        Variant islandData;
        if (FAILED(GetExpandoProperty(element.Get(), u"XMLDocument", &islandData)))
            return S_OK;
        // An element where the island should be is no data.
        if (islandData.vt == VT_DISPATCH && ComPtr<IHTMLElement>::QueryFrom(islandData.pdispVal))
            return S_OK;
        return LoadData(islandData, part, anchor, kAfterEnd, false);
    }
    return S_OK;
}

HRESULT CListViewBehavior::InsertNodeList(IXMLDOMNodeList* nodes, DataPart part, const Anchor& anchor,
                                          const OLECHAR* where) {
    LONG count = 0;
    HRESULT hr = nodes->get_length(&count);
    if (FAILED(hr))
        return hr;
    const std::u16string_view position(where);
    if (position == kAfterEnd) {
        for (LONG i = count - 1; i >= 0; --i) {
            ComPtr<IDispatch> item;
            hr = nodes->get_item(i, &item);
            auto node = ComPtr<IXMLDOMNode>::QueryFrom(item.Get());
            if (SUCCEEDED(hr))
                hr = BuildOne(node.Get(), part, anchor, where);
            if (FAILED(hr))
                return hr;
        }
    } else if (position == kBeforeBegin) {
        for (LONG i = 0; i < count; ++i) {
            ComPtr<IDispatch> item;
            hr = nodes->get_item(i, &item);
            auto node = ComPtr<IXMLDOMNode>::QueryFrom(item.Get());
            if (SUCCEEDED(hr))
                hr = BuildOne(node.Get(), part, anchor, where);
            if (FAILED(hr))
                return hr;
        }
    }
    return S_OK;
}

HRESULT CListViewBehavior::BuildOne(IXMLDOMNode* node, DataPart part, const Anchor& anchor,
                                    const OLECHAR* where) {
    if (part == DataPart::Headers)
        return BuildHeaderCell(node, anchor.element, where);
    return BuildRow(node, anchor.row, where, nullptr);
}

HRESULT CListViewBehavior::BuildHeaderCell(IXMLDOMNode* node, IHTMLElement* anchor, const OLECHAR* where) {
    ComPtr<IHTMLElement> cell;
    HRESULT hr = CreateElementAt(m_document.Get(), u"TD", anchor, where, cell);
    if (FAILED(hr))
        return hr;
    LONG cookie = 0;
    hr = AttachPart(cell.Get(), kTextHeaderUrl, &cookie);
    if (FAILED(hr))
        return hr;
    CHeadBehavior* header = FindHeader(cell.Get());
    if (!header)
        return E_POINTER;
    if (node) {
        ComPtr<IDispatch> style;
        hr = StyleOf(cell.Get(), style);
        if (FAILED(hr))
            return hr;
        if (auto type = ChildText(node, u"TYPE"); type && !type->empty())
            header->put_type(Bstr(*type));
        if (auto text = ChildText(node, u"STYLE"); text && !text->empty()) {
            Variant current;
            hr = GetNamedProperty(style.Get(), u"cssText", &current);
            if (FAILED(hr))
                return hr;
            std::u16string cssText(current.vt == VT_BSTR && current.bstrVal ? current.bstrVal : u"",
                                   current.vt == VT_BSTR ? SysStringLen(current.bstrVal) : 0);
            hr = PutNamedProperty(style.Get(), u"cssText", Variant(cssText + u";" + *text));
            if (FAILED(hr))
                return hr;
        }
        if (auto name = ChildText(node, u"NAME")) {
            hr = header->put_name(Bstr(name->empty() ? u" " : *name));
            if (FAILED(hr))
                return hr;
        }
        if (IsTrueText(ChildText(node, u"SORTABLE")))
            header->put_sortable(1);
        if (auto sortType = ChildText(node, u"SORT_TYPE"))
            header->put_sortType(Bstr(UpperAsciiLetters(*sortType)));
        if (auto maxSize = ChildText(node, u"MAXSIZE"); maxSize && !maxSize->empty())
            if (auto value = ReadListNumber(*maxSize))
                header->put_maxSize(*value);
        if (auto width = ChildText(node, u"WIDTH")) {
            const auto value = ReadListNumber(*width);
            if (value && header->MaxSize() >= *value) {
                hr = PutNamedProperty(style.Get(), u"width", Variant(*value));
                auto tableCell = ComPtr<IHTMLTableCell>::QueryFrom(cell.Get());
                if (SUCCEEDED(hr))
                    hr = tableCell ? tableCell->put_width(Variant(*width)) : E_NOINTERFACE;
                if (FAILED(hr))
                    return hr;
            }
        }
        if (IsTrueText(ChildText(node, u"RESIZIBLE")))
            header->put_resizible(1);
        if (auto minSize = ChildText(node, u"MINSIZE"); minSize && !minSize->empty())
            if (auto value = ReadListNumber(*minSize))
                header->put_minSize(*value);
        if (auto tooltip = ChildText(node, u"TOOLTIP")) {
            hr = cell->put_title(Bstr(*tooltip));
            if (FAILED(hr))
                return hr;
        }
    }
    auto cellDispatch = ComPtr<IDispatch>::QueryFrom(cell.Get());
    FireScriptEvent(u"onHeaderInsert", cellDispatch.Get());
    return S_OK;
}

HRESULT CListViewBehavior::BuildRow(IXMLDOMNode* node, CRowBehavior* anchor, const OLECHAR* where,
                                    IDispatch** made) {
    if (!anchor)
        return E_POINTER;
    ComPtr<IHTMLElement> row;
    HRESULT hr = CreateElementAt(m_document.Get(), u"TR", anchor->Element(), where, row);
    if (FAILED(hr))
        return hr;
    LONG cookie = 0;
    hr = AttachPart(row.Get(), kTextRowUrl, &cookie);
    if (FAILED(hr))
        return hr;
    CRowBehavior* rowObject = FindRow(row.Get());
    if (!rowObject)
        return S_OK;
    ComPtr<IXMLDOMNodeList> cells;
    if (node) {
        hr = SelectNodes(node, LoadText(kTextCell), cells);
        if (FAILED(hr))
            return hr;
    }
    for (LONG column = 0, columns = anchor->ColumnCount(); column < columns; ++column) {
        ComPtr<IHTMLElement> cell;
        hr = CreateElementAt(m_document.Get(), u"TD", row.Get(), u"beforeEnd", cell);
        auto tableCell = ComPtr<IHTMLTableCell>::QueryFrom(cell.Get());
        if (SUCCEEDED(hr))
            hr = tableCell ? tableCell->put_noWrap(VARIANT_TRUE) : E_NOINTERFACE;
        if (FAILED(hr))
            return hr;
        ComPtr<IXMLDOMNode> cellNode;
        if (cells) {
            ComPtr<IDispatch> next;
            cells->nextNode(&next);
            cellNode = ComPtr<IXMLDOMNode>::QueryFrom(next.Get());
        }
        const auto value = ChildText(cellNode.Get(), u"VALUE");
        hr = cell->put_innerText(Bstr(value && !value->empty() ? *value : u" "));
        if (FAILED(hr))
            return hr;
        if (!cellNode)
            continue;
        if (auto tooltip = ChildText(cellNode.Get(), u"TOLLTIP")) {
            hr = cell->put_title(Bstr(*tooltip));
            if (FAILED(hr))
                return hr;
        }
        for (int n = 1; n <= kDataAttributes; ++n) {
            const std::u16string name = u"DATA" + qx::com::Utf8ToUtf16(std::to_string(n));
            const auto data = ChildText(cellNode.Get(), name.c_str());
            if (!data)
                break;
            hr = cell->setAttribute(Bstr(name), Variant(*data), 1);
            if (FAILED(hr))
                return hr;
        }
    }
    auto rowDispatch = ComPtr<IDispatch>::QueryFrom(row.Get());
    if (made) {
        hr = static_cast<IRowBehavior*>(rowObject)->QueryInterface(IID_IDispatch,
                                                                   reinterpret_cast<void**>(made));
        if (FAILED(hr))
            return hr;
    }
    FireScriptEvent(u"onRowInsert", rowDispatch.Get());
    return S_OK;
}

} // namespace orrin
