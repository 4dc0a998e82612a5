// The list view's markup: the container's look, the header and body frames with their tables,
// the columns of the body, and the frames' sizes.
#include "frame_event_sink.h"
#include "list_dom.h"
#include "list_view_behavior.h"

namespace orrin {

using qx::com::Bstr;
using qx::com::ComPtr;
using qx::com::Variant;

namespace {

// A style length ("300px", "300") as an integer.
LONG StyleLength(IDispatch* style, const OLECHAR* name) {
    Variant value;
    if (FAILED(GetNamedProperty(style, name, &value)) || FAILED(value.ChangeType(VT_BSTR)))
        return 0;
    return ReadListNumber({value.bstrVal ? value.bstrVal : u"", SysStringLen(value.bstrVal)}).value_or(0);
}

// The frame tables' look: grey with a raised border and no spacing.
HRESULT StyleFrameTable(IHTMLTable* table) {
    HRESULT hr = table->put_bgColor(Variant(LoadText(kTextTableBackground).View()));
    if (SUCCEEDED(hr))
        hr = table->put_borderColorDark(Variant(LoadText(kTextBorderDark).View()));
    if (SUCCEEDED(hr))
        hr = table->put_borderColorLight(Variant(LoadText(kTextBorderLight).View()));
    if (SUCCEEDED(hr))
        hr = table->put_border(Variant(u"1"));
    if (SUCCEEDED(hr))
        hr = table->put_cellSpacing(Variant(u"0"));
    return hr;
}

} // namespace

HRESULT CListViewBehavior::AttachElement() {
    if (!m_site)
        return E_POINTER;
    HRESULT hr = m_site->GetElement(&m_element);
    if (FAILED(hr))
        return hr;
    hr = StyleOf(m_element.Get(), m_containerStyle);
    if (FAILED(hr))
        return hr;
    Variant border;
    hr = GetNamedProperty(m_containerStyle.Get(), u"border", &border);
    if (FAILED(hr))
        return hr;
    if (border.vt != VT_BSTR || SysStringLen(border.bstrVal) == 0) {
        hr =
            PutNamedProperty(m_containerStyle.Get(), u"border", Variant(LoadText(kTextDefaultBorder).View()));
        if (FAILED(hr))
            return hr;
    }
    m_element2 = ComPtr<IHTMLElement2>::QueryFrom(m_element.Get());
    ComPtr<IDispatch> document;
    hr = m_element->get_document(&document);
    if (FAILED(hr))
        return hr;
    m_document = ComPtr<IHTMLDocument2>::QueryFrom(document.Get());
    if (!m_document || !m_element2)
        return E_NOINTERFACE;
    hr = BuildFrames();
    return FAILED(hr) ? hr : AdviseSinks();
}

HRESULT CListViewBehavior::BuildFrames() {
    LONG width = 0;
    HRESULT hr = m_element->get_offsetWidth(&width);
    if (FAILED(hr))
        return hr;
    if (width == 0)
        width = StyleLength(m_containerStyle.Get(), u"width");
    ComPtr<IDispatch> runtimeStyle;
    hr = RuntimeStyleOf(m_element2.Get(), runtimeStyle);
    if (SUCCEEDED(hr))
        hr = PutNamedProperty(runtimeStyle.Get(), u"width", Variant(static_cast<LONG>(width + 4)));
    if (SUCCEEDED(hr))
        hr = BuildFrame(false, width);
    if (SUCCEEDED(hr))
        hr = BuildFrame(true, width);
    return hr;
}

// One frame: a DIV at the end of the container holding a fixed-layout TABLE of the given width.
HRESULT CListViewBehavior::BuildFrame(bool body, LONG width) {
    ComPtr<IHTMLElement> div;
    HRESULT hr = CreateElementAt(m_document.Get(), u"DIV", m_element.Get(), u"beforeEnd", div);
    if (FAILED(hr))
        return hr;
    auto div2 = ComPtr<IHTMLElement2>::QueryFrom(div.Get());
    ComPtr<IDispatch> divRuntimeStyle;
    hr = RuntimeStyleOf(div2.Get(), divRuntimeStyle);
    if (FAILED(hr))
        return hr;
    (body ? m_bodyDiv : m_headerDiv) = div;
    (body ? m_bodyDiv2 : m_headerDiv2) = div2;
    (body ? m_bodyRuntimeStyle : m_headerRuntimeStyle) = divRuntimeStyle;

    ComPtr<IHTMLElement> tableElement;
    hr = CreateElementAt(m_document.Get(), u"TABLE", div.Get(), u"beforeEnd", tableElement);
    if (FAILED(hr))
        return hr;
    ComPtr<IDispatch> tableStyle;
    hr = StyleOf(tableElement.Get(), tableStyle);
    if (SUCCEEDED(hr))
        hr = PutNamedProperty(tableStyle.Get(), u"width", Variant(width));
    Variant text;
    if (SUCCEEDED(hr))
        hr = GetNamedProperty(tableStyle.Get(), u"cssText", &text);
    if (FAILED(hr))
        return hr;
    const Bstr fixed = LoadText(body ? kTextBodyTableStyle : kTextHeaderTableStyle);
    std::u16string styleText;
    if (text.vt == VT_BSTR && SysStringLen(text.bstrVal) > 0)
        styleText = std::u16string(text.bstrVal, SysStringLen(text.bstrVal)) + u";";
    styleText += fixed.View();
    hr = PutNamedProperty(tableStyle.Get(), u"cssText", Variant(styleText));
    auto table = ComPtr<IHTMLTable>::QueryFrom(tableElement.Get());
    if (SUCCEEDED(hr))
        hr = table ? StyleFrameTable(table.Get()) : E_NOINTERFACE;
    if (FAILED(hr))
        return hr;
    if (!body)
        return m_headers->SetTable(table.Get(), m_document.Get());
    hr = m_rows->SetTable(table.Get(), m_document.Get());
    if (FAILED(hr))
        return hr;
    return CreateElementAt(m_document.Get(), u"COLGROUP", tableElement.Get(), u"afterBegin", m_colGroup);
}

HRESULT CListViewBehavior::AdviseSinks() {
    m_bodySink = ComPtr<CFrameEventSink>::Attach(new CFrameEventSink(this, CFrameEventSink::Frame::Body));
    m_headerSink = ComPtr<CFrameEventSink>::Attach(new CFrameEventSink(this, CFrameEventSink::Frame::Header));
    HRESULT hr = m_bodySink->Advise(m_bodyDiv.Get(), &m_bodyCookie);
    return FAILED(hr) ? hr : m_headerSink->Advise(m_headerDiv.Get(), &m_headerCookie);
}

void CListViewBehavior::UnadviseSinks() {
    if (m_bodySink) {
        m_bodySink->Forget();
        if (m_bodyCookie)
            CFrameEventSink::Unadvise(m_bodyDiv.Get(), CFrameEventSink::Frame::Body, m_bodyCookie);
        m_bodySink = nullptr;
        m_bodyCookie = 0;
    }
    if (m_headerSink) {
        m_headerSink->Forget();
        if (m_headerCookie)
            CFrameEventSink::Unadvise(m_headerDiv.Get(), CFrameEventSink::Frame::Header, m_headerCookie);
        m_headerSink = nullptr;
        m_headerCookie = 0;
    }
}

HRESULT CListViewBehavior::BuildColumns() {
    if (!m_colGroup || !m_containerStyle)
        return E_POINTER;
    auto groupNode = ComPtr<IHTMLDOMNode>::QueryFrom(m_colGroup.Get());
    ComPtr<IDispatch> children;
    HRESULT hr = m_colGroup->get_children(&children);
    auto childList = ComPtr<IHTMLElementCollection>::QueryFrom(children.Get());
    LONG count = 0;
    if (SUCCEEDED(hr) && childList)
        hr = childList->get_length(&count);
    if (FAILED(hr) || !groupNode)
        return FAILED(hr) ? hr : E_NOINTERFACE;
    for (LONG i = 0; i < count; ++i) {
        ComPtr<IDispatch> first;
        hr = groupNode->get_firstChild(&first);
        auto firstNode = ComPtr<IHTMLDOMNode>::QueryFrom(first.Get());
        if (FAILED(hr) || !firstNode)
            break;
        ComPtr<IDispatch> removed;
        hr = firstNode->removeNode(VARIANT_TRUE, &removed);
        if (FAILED(hr))
            return hr;
    }
    for (LONG i = 0, headers = HeaderCount(); i < headers; ++i) {
        ComPtr<IHTMLElement> col;
        hr = CreateElementAt(m_document.Get(), u"COL", m_colGroup.Get(), u"beforeEnd", col);
        if (FAILED(hr))
            return hr;
        ComPtr<IHTMLElement> headerCell;
        hr = m_headers->CellAt(i, headerCell);
        auto cell = ComPtr<IHTMLTableCell>::QueryFrom(headerCell.Get());
        auto column = ComPtr<IHTMLTableCol>::QueryFrom(col.Get());
        if (FAILED(hr) || !cell || !column)
            return FAILED(hr) ? hr : E_NOINTERFACE;
        Variant width;
        hr = cell->get_width(&width);
        if (SUCCEEDED(hr))
            hr = column->put_width(width);
        if (FAILED(hr))
            return hr;
    }
    hr = PutNamedProperty(m_containerStyle.Get(), u"overflow", Variant(u"hidden"));
    if (SUCCEEDED(hr))
        hr = ResizeFrames();
    if (SUCCEEDED(hr))
        hr = PutNamedProperty(m_headerRuntimeStyle.Get(), u"overflow", Variant(u"hidden"));
    if (FAILED(hr))
        return hr;
    if (!m_scrollbarVisible)
        return PutNamedProperty(m_bodyRuntimeStyle.Get(), u"overflow", Variant(u"hidden"));
    hr = PutNamedProperty(m_bodyRuntimeStyle.Get(), u"overflow", Variant(u"auto"));
    if (SUCCEEDED(hr))
        ResetScrollPositions();
    return hr;
}

// The header row back at the start of the body's scroll, both frames at their left edge.
void CListViewBehavior::ResetScrollPositions() {
    if (!m_scrollbarVisible || !m_bodyDiv2 || !m_headerDiv2 || !m_rows || m_rows->Count() == 0)
        return;
    LONG width = 0;
    m_headerDiv2->put_scrollLeft(0);
    if (m_element && SUCCEEDED(m_element->get_offsetWidth(&width)))
        PutNamedProperty(m_headerRuntimeStyle.Get(), u"width", Variant(static_cast<LONG>(width + 4)));
    m_bodyDiv2->put_scrollLeft(0);
}

HRESULT CListViewBehavior::ResizeFrames() {
    LONG width = 0;
    HRESULT hr = m_element2->get_clientWidth(&width);
    if (FAILED(hr))
        return hr;
    if (width == 0)
        width = StyleLength(m_containerStyle.Get(), u"width");
    hr = PutNamedProperty(m_headerRuntimeStyle.Get(), u"width", Variant(width));
    if (SUCCEEDED(hr))
        hr = PutNamedProperty(m_bodyRuntimeStyle.Get(), u"width", Variant(width));
    LONG height = 0;
    if (SUCCEEDED(hr))
        hr = m_element2->get_clientHeight(&height);
    if (FAILED(hr))
        return hr;
    if (height == 0)
        height = StyleLength(m_containerStyle.Get(), u"height");
    LONG headerHeight = 0;
    hr = m_headerDiv2->get_clientHeight(&headerHeight);
    if (FAILED(hr))
        return hr;
    return PutNamedProperty(m_bodyRuntimeStyle.Get(), u"height",
                            Variant(static_cast<LONG>(height - headerHeight)));
}

} // namespace orrin
