// Orrin.ListViewBehavior: turns a container element into a list view: a header frame and a body
// frame (each a DIV holding a TABLE), the header and row objects found through its registry, the
// collections, the XML document its data is read with, and the script events it fires.
#pragma once

#include "behavior_base.h"
#include "com_ctrl_factory.h"
#include "element_registry.h"
#include "frame_event_sink.h"
#include "header_collection.h"
#include "multi_sel_coll.h"
#include "orrin_ids.h"
#include "row_collection.h"

#include <msxml.h>
#include <qx/com/dispatch.h>
#include <qx/com/error_info.h>
#include <qx/com/object.h>

namespace orrin {

// Where new headers or rows go, next to an anchor element.
inline constexpr const OLECHAR* kAfterEnd = u"afterEnd";
inline constexpr const OLECHAR* kBeforeBegin = u"beforeBegin";
// The data value of one blank header or row.
inline constexpr const OLECHAR* kEmptyData = u"EMPTY";
inline bool IsEmptyData(const VARIANT& data) {
    return data.vt == VT_BSTR &&
           std::u16string_view(data.bstrVal ? data.bstrVal : u"", SysStringLen(data.bstrVal)) ==
               std::u16string_view(kEmptyData);
}

class CListViewBehavior : public qx::com::ObjectRoot,
                          public qx::com::DispatchImpl<IListViewBehavior>,
                          public BehaviorBase,
                          public qx::com::SupportErrorInfoImpl<IListViewBehavior> {
public:
    QX_BEGIN_INTERFACES(CListViewBehavior)
    QX_INTERFACE_ENTRY(IListViewBehavior)
    QX_INTERFACE_ENTRY2(IDispatch, IListViewBehavior)
    QX_INTERFACE_ENTRY(IElementBehavior)
    QX_INTERFACE_ENTRY(ISupportErrorInfo)
    QX_END_INTERFACES()

    HRESULT FinalConstruct();
    void FinalRelease();

    QX_OVERRIDES_IListViewBehavior;

    STDMETHODIMP Init(IElementBehaviorSite* pBehaviorSite) override;
    STDMETHODIMP Detach() override;
    HRESULT OnContentReady() override { return S_OK; }
    HRESULT AttachElement() override;

    // The registry of header and row objects.
    void Register(const std::optional<std::u16string>& key, BehaviorBase* object) {
        m_registry.Add(key, object);
    }
    void Unregister(const std::optional<std::u16string>& key) { m_registry.Remove(key); }
    BehaviorBase* Find(IUnknown* element) const;
    CHeadBehavior* FindHeader(IUnknown* element) const;
    CRowBehavior* FindRow(IUnknown* element) const;

    CHeaderCollection* Headers() const { return m_headers.Get(); }
    CRowCollection* Rows() const { return m_rows.Get(); }
    CMultiSelColl* Selection() const { return m_selection.Get(); }
    LONG HeaderCount();
    IXMLDOMDocument* XmlDocument() const { return m_xml.Get(); }
    void ClearSelectedHeader() { m_curSelHeader = nullptr; }

    // Fires a script event at the container; with an object (and the flag) the event carries it
    // as "result" and its name as "type". False when any step failed.
    bool FireScriptEvent(const OLECHAR* name, IDispatch* object, bool withAttributes = true);
    bool FireScriptEvent(UINT nameId, IDispatch* object, bool withAttributes = true);

    // Loading (list_view_loading.cpp): data resolved to XML nodes and built next to an anchor.
    HRESULT LoadHeaders(const VARIANT& data, IHTMLElement* anchor, const OLECHAR* where);
    HRESULT LoadRows(const VARIANT& data, CRowBehavior* anchor, const OLECHAR* where);
    HRESULT BuildHeaderCell(IXMLDOMNode* node, IHTMLElement* anchor, const OLECHAR* where);
    HRESULT BuildRow(IXMLDOMNode* node, CRowBehavior* anchor, const OLECHAR* where, IDispatch** made);
    // Attaches a header or row behaviour through the private factory; gives the cookie.
    HRESULT AttachPart(IHTMLElement* element, UINT urlId, LONG* cookie);

    // The columns and frames (list_view_frames.cpp).
    HRESULT BuildColumns();
    void ResetScrollPositions();

    // Pointer handlers of the frame sinks (list_view_events.cpp).
    HRESULT OnBodyScroll();
    HRESULT OnBodyCellClick(bool twice);
    HRESULT OnBodyHover(bool over);
    HRESULT OnBodySelectStart();
    HRESULT OnHeaderClick();
    HRESULT OnHeaderDoubleClick();

private:
    enum class DataPart { Headers, Rows };
    struct Anchor {
        IHTMLElement* element;
        CRowBehavior* row; // rows only
    };
    HRESULT LoadData(const VARIANT& data, DataPart part, const Anchor& anchor, const OLECHAR* where,
                     bool island);
    HRESULT InsertNodeList(IXMLDOMNodeList* nodes, DataPart part, const Anchor& anchor, const OLECHAR* where);
    HRESULT BuildOne(IXMLDOMNode* node, DataPart part, const Anchor& anchor, const OLECHAR* where);

    HRESULT BuildFrames();
    HRESULT BuildFrame(bool body, LONG width);
    HRESULT ResizeFrames();
    HRESULT AdviseSinks();
    void UnadviseSinks();
    void ReleaseParts();
    HRESULT WindowEvent(qx::com::ComPtr<IHTMLEventObj>& event);
    HRESULT EventCell(qx::com::ComPtr<IHTMLElement>& cell, qx::com::ComPtr<IHTMLEventObj>& event,
                      bool stopAtDiv);
    bool Attached() const { return m_site && m_siteOM; }

    qx::com::ComPtr<IElementBehaviorSiteOM> m_siteOM;
    qx::com::ComPtr<IDispatch> m_containerStyle;
    qx::com::ComPtr<IHTMLElement> m_headerDiv;
    qx::com::ComPtr<IHTMLElement2> m_headerDiv2;
    qx::com::ComPtr<IDispatch> m_headerRuntimeStyle;
    qx::com::ComPtr<IHTMLElement> m_bodyDiv;
    qx::com::ComPtr<IHTMLElement2> m_bodyDiv2;
    qx::com::ComPtr<IDispatch> m_bodyRuntimeStyle;
    qx::com::ComPtr<IHTMLElement> m_colGroup;
    LONG m_containerWidth = 0;
    qx::com::ComPtr<IHTMLElement> m_curSelHeader;
    qx::com::ComPtr<IXMLDOMDocument> m_xml;
    qx::com::ObjectPtr<CComCtrlFactory> m_factory;
    qx::com::ObjectPtr<CHeaderCollection> m_headers;
    qx::com::ObjectPtr<CRowCollection> m_rows;
    qx::com::ObjectPtr<CMultiSelColl> m_selection;
    LONG m_scrollbarVisible = 1;
    KeyedList<BehaviorBase> m_registry;
    qx::com::ComPtr<CFrameEventSink> m_bodySink;
    qx::com::ComPtr<CFrameEventSink> m_headerSink;
    DWORD m_bodyCookie = 0;
    DWORD m_headerCookie = 0;
};

} // namespace orrin
