// IHTMLTxtRange: a live range of the document's text. Counting, comparing and searching go by the
// gaps of the text stream; the ends stay places in the tree.
#include "range_edits.h"
#include "range_objects.h"
#include "tree_places.h"

#include "oleauto.h"
#include "qx/com/bstr.h"
#include "qx/com/comptr.h"
#include "qx/com/object.h"
#include "qx/com/union_dispatch.h"

#include <algorithm>
#include <memory>

namespace qx::html::editing {

namespace {

// Where a caret at a place rests: places between the blocks of BODY or the parts of a table, where no
// caret can be, go to the caret place of their gap (the first cell for the start of a page that starts
// with a table); the end of BODY stays, as the old browser's editor kept a line after a last table.
TextPoint CaretPlace(const TextStream& stream, const TextPoint& point) {
    static constexpr std::u16string_view kTags[] = {u"html",  u"body",  u"table", u"tbody",
                                                    u"thead", u"tfoot", u"tr"};
    const dom::Node* node = point.node;
    if (!node || !node->IsElement() || stream.Size() == 0 ||
        std::find(std::begin(kTags), std::end(kTags), node->name) == std::end(kTags) ||
        (node == stream.Scope() && point.offset >= node->ChildCount()))
        return point;
    return stream.Caret(stream.GapOf(point));
}

std::u16string_view ViewOf(BSTR text) {
    return {text ? text : u"", SysStringLen(text)};
}

HRESULT ReturnText(std::u16string_view text, BSTR* out) {
    if (!out)
        return E_POINTER;
    *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out || text.empty() ? S_OK : E_OUTOFMEMORY;
}

HRESULT ReturnBool(bool value, VARIANT_BOOL* out) {
    if (!out)
        return E_POINTER;
    *out = value ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

// "StartToEnd" and the like: which end of this range and which of the other.
bool ParseHow(std::u16string_view how, bool* thisStart, bool* otherStart) {
    static constexpr std::u16string_view kNames[] = {u"StartToStart", u"StartToEnd", u"EndToStart",
                                                     u"EndToEnd"};
    for (int i = 0; i < 4; ++i) {
        if (dom::EqualsNoCase(how, kNames[i])) {
            *thisStart = i < 2;
            *otherStart = i % 2 == 0;
            return true;
        }
    }
    return false;
}

class CTextRange : public com::ObjectRoot,
                   public com::UnionDispatchImpl<IHTMLTxtRange>,
                   public ITextRangeAccess {
public:
    QX_BEGIN_INTERFACES(CTextRange)
    QX_INTERFACE_ENTRY(IHTMLTxtRange)
    QX_INTERFACE_ENTRY(IDispatchEx)
    QX_INTERFACE_ENTRY2(IDispatch, IDispatchEx)
    QX_INTERFACE_ENTRY(ITextRangeAccess)
    QX_END_INTERFACES()

    void Start(dom::DomPtr dom, DocumentText& text, const TextPoint& start, const TextPoint& end) {
        dom_ = std::move(dom);
        range_ = std::make_unique<LiveRange>(text);
        range_->start = start;
        range_->end = end;
    }
    void FinalRelease() { range_.reset(); }

    LiveRange& STDMETHODCALLTYPE AccessRange() override { return *range_; }

    STDMETHODIMP get_htmlText(BSTR* p) override { return ReturnText(RangeHtml(*range_), p); }
    STDMETHODIMP get_text(BSTR* p) override {
        const TextStream& stream = Text().Stream();
        return ReturnText(stream.Text(stream.GapOf(range_->start), stream.GapOf(range_->end)), p);
    }
    STDMETHODIMP put_text(BSTR v) override { return PutText(Text(), *range_, ViewOf(v)); }
    // The element that holds the range's text whole; for a collapsed range the element its caret
    // place is in.
    STDMETHODIMP parentElement(IDispatch** p) override {
        if (!p)
            return E_POINTER;
        *p = nullptr;
        const TextStream& stream = Text().Stream();
        const std::size_t from = stream.GapOf(range_->start), to = stream.GapOf(range_->end);
        dom::Node* a = CaretPlace(stream, range_->start).node;
        dom::Node* b = a;
        if (from < to) {
            a = stream.Right(from).node;
            b = stream.Left(to).node;
        }
        dom::Node* parent = a;
        while (parent && !dom::IsInclusiveAncestor(parent, b))
            parent = parent->parent;
        while (parent && !parent->IsElement())
            parent = parent->parent;
        return dom::NodeObjectOf(dom_, parent, p);
    }
    STDMETHODIMP duplicate(IDispatch** p) override {
        return CreateTextRangeObject(dom_, range_->start, range_->end, p);
    }
    STDMETHODIMP inRange(IDispatch* other, VARIANT_BOOL* p) override {
        LiveRange* o = Other(other);
        if (!o)
            return ReturnBool(false, p);
        const TextStream& s = Text().Stream();
        return ReturnBool(
            s.GapOf(o->start) >= s.GapOf(range_->start) && s.GapOf(o->end) <= s.GapOf(range_->end), p);
    }
    STDMETHODIMP isEqual(IDispatch* other, VARIANT_BOOL* p) override {
        LiveRange* o = Other(other);
        if (!o)
            return ReturnBool(false, p);
        const TextStream& s = Text().Stream();
        return ReturnBool(
            s.GapOf(o->start) == s.GapOf(range_->start) && s.GapOf(o->end) == s.GapOf(range_->end), p);
    }
    STDMETHODIMP collapse(VARIANT_BOOL toStart) override {
        const TextPoint caret = CaretPlace(Text().Stream(), toStart ? range_->start : range_->end);
        range_->start = range_->end = caret;
        return S_OK;
    }
    STDMETHODIMP expand(BSTR unitName, VARIANT_BOOL* p) override {
        MoveUnit unit;
        if (!ParseMoveUnit(ViewOf(unitName), &unit))
            return E_INVALIDARG;
        const TextStream& stream = Text().Stream();
        std::size_t from = stream.GapOf(range_->start), to = stream.GapOf(range_->end);
        const bool changed = ExpandGaps(stream, &from, &to, unit);
        if (changed)
            SetGaps(stream, from, to);
        return ReturnBool(changed, p);
    }
    // The range collapses to its start and moves from there.
    STDMETHODIMP move(BSTR unitName, LONG count, LONG* p) override {
        MoveUnit unit;
        if (!ParseMoveUnit(ViewOf(unitName), &unit))
            return E_INVALIDARG;
        const TextStream& stream = Text().Stream();
        long moved = 0;
        const std::size_t gap = MoveGap(stream, stream.GapOf(range_->start), unit, count, &moved);
        SetGaps(stream, gap, gap);
        return ReturnLong(moved, p);
    }
    STDMETHODIMP moveStart(BSTR unitName, LONG count, LONG* p) override {
        return MoveEnd(unitName, count, true, p);
    }
    STDMETHODIMP moveEnd(BSTR unitName, LONG count, LONG* p) override {
        return MoveEnd(unitName, count, false, p);
    }
    STDMETHODIMP select() override {
        const TextStream& stream = Text().Stream();
        if (stream.GapOf(range_->start) >= stream.GapOf(range_->end))
            range_->start = range_->end = CaretPlace(stream, range_->start);
        Text().SelectText(range_->start, range_->end);
        return S_OK;
    }
    STDMETHODIMP pasteHTML(BSTR html) override { return PasteHtml(Text(), *range_, ViewOf(html)); }
    STDMETHODIMP moveToElementText(IDispatch* element) override {
        dom::Node* node = NodeOf(element, dom_);
        dom::Node* body = dom_->tree.Body();
        if (!node || !node->IsElement() || !body || !dom::IsInclusiveAncestor(body, node))
            return E_INVALIDARG;
        if (node != body && (dom::IsVoidElement(node->name) || IsControlElement(node))) {
            const std::size_t index = IndexInParent(node);
            range_->start = {node->parent, index};
            range_->end = {node->parent, index + 1};
        } else {
            range_->start = {node, 0};
            range_->end = {node, node->ChildCount()};
        }
        return S_OK;
    }
    STDMETHODIMP setEndPoint(BSTR how, IDispatch* source) override {
        bool thisStart = false, otherStart = false;
        LiveRange* o = Other(source);
        if (!ParseHow(ViewOf(how), &thisStart, &otherStart) || !o)
            return E_INVALIDARG;
        const TextPoint point = otherStart ? o->start : o->end;
        (thisStart ? range_->start : range_->end) = point;
        if (ComparePoints(range_->start, range_->end) > 0)
            (thisStart ? range_->end : range_->start) = point;
        return S_OK;
    }
    STDMETHODIMP compareEndPoints(BSTR how, IDispatch* source, LONG* p) override {
        bool thisStart = false, otherStart = false;
        LiveRange* o = Other(source);
        if (!ParseHow(ViewOf(how), &thisStart, &otherStart) || !o)
            return E_INVALIDARG;
        const TextStream& stream = Text().Stream();
        const std::size_t mine = stream.GapOf(thisStart ? range_->start : range_->end);
        const std::size_t theirs = stream.GapOf(otherStart ? o->start : o->end);
        return ReturnLong(mine < theirs ? -1 : (mine > theirs ? 1 : 0), p);
    }
    // A collapsed range searches from where it is to the end of the text (back to the start for a
    // negative count); any other searches within itself. `count` limits the characters searched.
    STDMETHODIMP findText(BSTR what, LONG count, LONG flags, VARIANT_BOOL* p) override {
        if (!p)
            return E_POINTER;
        const TextStream& stream = Text().Stream();
        const std::size_t from = stream.GapOf(range_->start), to = stream.GapOf(range_->end);
        const bool backward = count < 0;
        const std::size_t reach =
            count < 0 ? std::size_t(-static_cast<long long>(count)) : std::size_t(count);
        std::size_t lo = from, hi = to;
        if (from == to) {
            lo = backward ? 0 : from;
            hi = backward ? from : stream.Size();
        }
        if (count != 0 && hi - lo > reach) {
            if (backward)
                lo = hi - reach;
            else
                hi = lo + reach;
        }
        std::size_t matchFrom = 0, matchTo = 0;
        const bool found = FindInStream(stream, lo, hi, ViewOf(what), flags, backward, &matchFrom, &matchTo);
        if (found)
            SetGaps(stream, matchFrom, matchTo);
        return ReturnBool(found, p);
    }
    // Through the layout's hit test: the caret a click at the point would place.
    STDMETHODIMP moveToPoint(LONG x, LONG y) override {
        const TextPoint point = dom_->geometry ? dom_->geometry->TextPointFromPoint(x, y) : TextPoint{};
        if (!point.node)
            return E_INVALIDARG;
        range_->start = range_->end = point;
        return S_OK;
    }

private:
    DocumentText& Text() { return range_->Text(); }
    static HRESULT ReturnLong(long value, LONG* p) {
        if (!p)
            return E_POINTER;
        *p = static_cast<LONG>(value);
        return S_OK;
    }
    LiveRange* Other(IDispatch* other) {
        com::ComPtr<ITextRangeAccess> access = com::ComPtr<ITextRangeAccess>::QueryFrom(other);
        if (!access || &access->AccessRange().Text() != &Text())
            return nullptr;
        return &access->AccessRange();
    }
    void SetGaps(const TextStream& stream, std::size_t from, std::size_t to) {
        if (from >= to) {
            range_->start = range_->end = stream.Caret(from);
            return;
        }
        range_->start = stream.Right(from);
        range_->end = stream.Left(to);
    }
    HRESULT MoveEnd(BSTR unitName, LONG count, bool start, LONG* p) {
        MoveUnit unit;
        if (!ParseMoveUnit(ViewOf(unitName), &unit))
            return E_INVALIDARG;
        const TextStream& stream = Text().Stream();
        std::size_t from = stream.GapOf(range_->start), to = stream.GapOf(range_->end);
        long moved = 0;
        if (start) {
            from = MoveGap(stream, from, unit, count, &moved);
            if (from >= to) {
                SetGaps(stream, from, from);
            } else {
                range_->start = stream.Right(from);
            }
        } else {
            to = MoveGap(stream, to, unit, count, &moved);
            if (to <= from)
                SetGaps(stream, to, to);
            else
                range_->end = stream.Left(to);
        }
        return ReturnLong(moved, p);
    }

    dom::DomPtr dom_;
    std::unique_ptr<LiveRange> range_;
};

} // namespace

HRESULT CreateTextRangeObject(const dom::DomPtr& dom, const TextPoint& start, const TextPoint& end,
                              IDispatch** out) {
    DocumentText* text = TextOf(dom);
    if (!text)
        return out ? (*out = nullptr, E_NOTIMPL) : E_POINTER;
    return MakeRangeObject<CTextRange>(out, dom, *text, start, end);
}

dom::Node* NodeOf(IDispatch* object, const dom::DomPtr& dom) {
    com::ComPtr<IHtmlNodeAccess> access = com::ComPtr<IHtmlNodeAccess>::QueryFrom(object);
    if (!access || access->AccessDocument().get() != dom.get())
        return nullptr;
    return access->AccessNode();
}

} // namespace qx::html::editing
