// IHTMLSelectionObject (document.selection) and the editing state behind a document's selection.
#include "range_edits.h"
#include "range_objects.h"

#include "qx/com/object.h"
#include "qx/com/union_dispatch.h"

namespace qx::html::editing {

namespace {

class CSelection : public com::ObjectRoot, public com::UnionDispatchImpl<IHTMLSelectionObject> {
public:
    QX_BEGIN_INTERFACES(CSelection)
    QX_INTERFACE_ENTRY(IHTMLSelectionObject)
    QX_INTERFACE_ENTRY(IDispatchEx)
    QX_INTERFACE_ENTRY2(IDispatch, IDispatchEx)
    QX_END_INTERFACES()

    void Start(dom::DomPtr dom, DocumentText& text) {
        dom_ = std::move(dom);
        text_ = &text;
    }

    // A control range for a control selection; otherwise a text range over the selection (the
    // caret at the start of the page when nothing was ever selected).
    STDMETHODIMP createRange(IDispatch** p) override {
        if (!p)
            return E_POINTER;
        *p = nullptr;
        if (text_->Type() == SelectionType::Control)
            return CreateControlRangeObject(dom_, text_->Controls(), p);
        const LiveRange& selected = text_->Selected();
        if (!selected.start.node) {
            const TextPoint caret = text_->Stream().Caret(0);
            return CreateTextRangeObject(dom_, caret, caret, p);
        }
        return CreateTextRangeObject(dom_, selected.start, selected.end, p);
    }
    STDMETHODIMP empty() override {
        text_->Empty();
        return S_OK;
    }
    // Deletes what is selected: the text, or the chosen elements.
    STDMETHODIMP clear() override {
        if (text_->Type() == SelectionType::Control) {
            const std::vector<dom::Node*> elements = text_->Controls();
            for (dom::Node* e : elements)
                dom_->tree.Hold(e);
            text_->Empty();
            for (dom::Node* e : elements) {
                dom_->tree.Remove(e);
                dom_->tree.Release(e);
            }
            return S_OK;
        }
        if (text_->Type() == SelectionType::Text) {
            LiveRange range(text_->Selected());
            DeleteContents(*text_, range);
            text_->SelectText(range.start, range.end);
        }
        return S_OK;
    }
    STDMETHODIMP get_type(BSTR* p) override {
        if (!p)
            return E_POINTER;
        static constexpr const char16_t* kNames[] = {u"None", u"Text", u"Control"};
        *p = SysAllocString(kNames[static_cast<int>(text_->Type())]);
        return *p ? S_OK : E_OUTOFMEMORY;
    }

private:
    dom::DomPtr dom_;
    DocumentText* text_ = nullptr;
};

// The document's side of the seam the element and document objects call.
class DocumentEditingState final : public dom::DocumentEditing {
public:
    explicit DocumentEditingState(dom::DomDocument& dom) : text(dom) {}

    HRESULT Selection(const dom::DomPtr& dom, IDispatch** selection) override {
        return CreateSelectionObject(dom, selection);
    }
    // The range covers the element's whole content, as moveToElementText puts it.
    HRESULT CreateTextRange(const dom::DomPtr& dom, dom::Node* element, IDispatch** range) override {
        if (!dom::IsInclusiveAncestor(dom->tree.Document(), element))
            return E_INVALIDARG; // a BODY out of the page has no text to range over
        return CreateTextRangeObject(dom, {element, 0}, {element, element->ChildCount()}, range);
    }

    DocumentText text;
};

} // namespace

DocumentText* TextOf(const dom::DomPtr& dom) {
    return dom ? EditingOf(*dom) : nullptr;
}

DocumentText* EditingOf(dom::DomDocument& document) {
    auto* state = dynamic_cast<DocumentEditingState*>(document.editing.get());
    return state ? &state->text : nullptr;
}

DocumentText& AttachEditing(dom::DomDocument& document) {
    if (DocumentText* text = EditingOf(document))
        return *text;
    auto state = std::make_shared<DocumentEditingState>(document);
    DocumentText& text = state->text;
    document.editing = std::move(state);
    return text;
}

HRESULT CreateSelectionObject(const dom::DomPtr& dom, IDispatch** out) {
    DocumentText* text = TextOf(dom);
    if (!text)
        return out ? (*out = nullptr, E_NOTIMPL) : E_POINTER;
    return MakeRangeObject<CSelection>(out, dom, *text);
}

} // namespace qx::html::editing
