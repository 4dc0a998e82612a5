// The COM objects of the selection and ranges: IHTMLTxtRange, IHTMLControlRange and
// IHTMLSelectionObject over a document's editing state.
#pragma once

#include "mshtml_editing.h"
#include "qx/com/object.h"
#include "qx/html/editing/document_text.h"

#include <utility>
#include <vector>

// How a range reaches another range of its document (compareEndPoints, setEndPoint, inRange).
QX_DECLARE_INTERFACE(ITextRangeAccess, "{B86A0DAB-8A34-4CDB-97AC-E9C79F46731B}");
struct ITextRangeAccess : IUnknown {
    virtual qx::html::editing::LiveRange& STDMETHODCALLTYPE AccessRange() = 0;

protected:
    ~ITextRangeAccess() = default;
};

namespace qx::html::editing {

// The document's editing state; null when none was attached.
DocumentText* TextOf(const dom::DomPtr& dom);
// The node behind an object of this document; null for anything else.
dom::Node* NodeOf(IDispatch* object, const dom::DomPtr& dom);
HRESULT CreateTextRangeObject(const dom::DomPtr& dom, const TextPoint& start, const TextPoint& end,
                              IDispatch** out);
HRESULT CreateControlRangeObject(const dom::DomPtr& dom, const std::vector<dom::Node*>& elements,
                                 IDispatch** out);
HRESULT CreateSelectionObject(const dom::DomPtr& dom, IDispatch** out);
// A new object of class T, started with the arguments, as IDispatch.
template <typename T, typename... Args>
HRESULT MakeRangeObject(IDispatch** out, Args&&... args) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    com::ObjectPtr<T> object;
    const HRESULT hr = com::CreateObject<T>(object);
    if (FAILED(hr))
        return hr;
    object->Start(std::forward<Args>(args)...);
    return object->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(out));
}

// Elements a control range takes: embedded objects, tables, lines and positioned elements.
bool IsControlElement(const dom::Node* element);

} // namespace qx::html::editing
