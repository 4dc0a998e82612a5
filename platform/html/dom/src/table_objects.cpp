// Tables, their sections, rows and cells: the editing members (insertRow, insertCell, deleteRow,
// deleteCell, moveRow), the live rows and cells, spans and indexes.
#include "element_object.h"
#include "table_structure.h"
#include "tag_members.h"

#include <cstdio>

namespace qx::html::dom {

namespace {

constexpr std::u16string_view kTableSource = u"htmlfile";

HRESULT Fail(IDispatch** out) {
    if (out)
        *out = nullptr;
    return com::ReportError(IID_IHTMLTable, kTableSource, u"Invalid argument.", E_INVALIDARG);
}

// Inserts a new row at index of the rows of `container` (a table or a section): -1 or the count
// appends; past the count fails.
HRESULT InsertRowAt(const DomPtr& dom, Node* container, LONG index, IDispatch** row) {
    if (!row)
        return E_POINTER;
    *row = nullptr;
    const std::vector<Node*> rows = TableRows(container);
    const auto count = static_cast<LONG>(rows.size());
    if (index < -1 || index > count)
        return Fail(row);
    Node* tr = dom->tree.CreateElement(u"tr");
    if (count == 0) {
        Node* section = container;
        if (container->Is(u"table")) {
            section = nullptr;
            for (Node* c = container->lastChild; c && !section; c = c->previous)
                if (c->Is(u"tbody"))
                    section = c;
            if (!section) {
                section = dom->tree.CreateElement(u"tbody");
                dom->tree.Insert(container, section, nullptr);
            }
        }
        dom->tree.Insert(section, tr, nullptr);
    } else if (index == -1 || index == count) {
        dom->tree.Insert(rows.back()->parent, tr, rows.back()->next);
    } else {
        dom->tree.Insert(rows[index]->parent, tr, rows[index]);
    }
    return ReturnObject(dom, tr, row);
}

HRESULT DeleteRowAt(const DomPtr& dom, Node* container, LONG index) {
    const std::vector<Node*> rows = TableRows(container);
    const auto count = static_cast<LONG>(rows.size());
    if (index == -1 && count)
        index = count - 1;
    if (index < 0 || index >= count)
        return Fail(nullptr);
    dom->tree.Remove(rows[index]);
    return S_OK;
}

class CTable : public ElementObject<IHTMLTable, IHTMLTable2> {
public:
    QX_BEGIN_INTERFACES(CTable)
    QX_HTML_ELEMENT_ENTRIES
    QX_INTERFACE_ENTRY(IHTMLTable)
    QX_INTERFACE_ENTRY(IHTMLTable2)
    QX_END_INTERFACES()

    QX_LONG_ATTRIBUTE(cols, u"cols", 0)
    QX_TEXT_ATTRIBUTE(frame, u"frame")
    QX_TEXT_ATTRIBUTE(rules, u"rules")
    QX_TEXT_ATTRIBUTE(background, u"background")
    QX_COLOUR_ATTRIBUTE(borderColor, u"borderColor")
    QX_COLOUR_ATTRIBUTE(borderColorLight, u"borderColorLight")
    QX_COLOUR_ATTRIBUTE(borderColorDark, u"borderColorDark")
    QX_TEXT_ATTRIBUTE(align, u"align")
    QX_LENGTH_ATTRIBUTE(height, u"height")
    // Nothing is bound to data: there is nothing to refresh.
    STDMETHODIMP refresh() override { return S_OK; }
    STDMETHODIMP get_caption(IDispatch** p) override {
        return ReturnObject(this->dom_, Section(u"caption"), p);
    }
    STDMETHODIMP createCaption(IDispatch** p) override {
        return CreateSection(u"caption", this->node_->firstChild, p);
    }
    STDMETHODIMP deleteCaption() override { return DeleteSection(u"caption"); }

    STDMETHODIMP put_border(VARIANT v) override { return PutVariantAttribute(this->node_, u"border", v); }
    STDMETHODIMP get_border(VARIANT* p) override {
        return ReturnVariantText(this->node_->AttributeValue(u"border"), p);
    }
    STDMETHODIMP put_cellSpacing(VARIANT v) override {
        return PutVariantAttribute(this->node_, u"cellSpacing", v);
    }
    STDMETHODIMP get_cellSpacing(VARIANT* p) override {
        return ReturnVariantText(this->node_->AttributeValue(u"cellSpacing"), p);
    }
    STDMETHODIMP put_cellPadding(VARIANT v) override {
        return PutVariantAttribute(this->node_, u"cellPadding", v);
    }
    STDMETHODIMP get_cellPadding(VARIANT* p) override {
        return ReturnVariantText(this->node_->AttributeValue(u"cellPadding"), p);
    }
    STDMETHODIMP put_bgColor(VARIANT v) override { return PutVariantAttribute(this->node_, u"bgColor", v); }
    STDMETHODIMP get_bgColor(VARIANT* p) override {
        return ReturnVariantText(ColourValue(this->node_, u"bgColor"), p);
    }
    STDMETHODIMP get_rows(IDispatch** p) override {
        return MakeElementCollection(this->dom_, this->node_, {CollectionScope::Kind::TableRows, {}, {}}, p);
    }
    STDMETHODIMP put_width(VARIANT v) override { return PutVariantAttribute(this->node_, u"width", v); }
    STDMETHODIMP get_width(VARIANT* p) override {
        return ReturnVariantText(this->node_->AttributeValue(u"width"), p);
    }
    STDMETHODIMP get_tHead(IDispatch** p) override { return ReturnObject(this->dom_, Section(u"thead"), p); }
    STDMETHODIMP get_tFoot(IDispatch** p) override { return ReturnObject(this->dom_, Section(u"tfoot"), p); }
    STDMETHODIMP get_tBodies(IDispatch** p) override {
        return MakeElementCollection(this->dom_, this->node_, {CollectionScope::Kind::Children, u"tbody", {}},
                                     p);
    }
    STDMETHODIMP createTHead(IDispatch** p) override {
        return CreateSection(u"thead", this->node_->firstChild, p);
    }
    STDMETHODIMP deleteTHead() override { return DeleteSection(u"thead"); }
    STDMETHODIMP createTFoot(IDispatch** p) override { return CreateSection(u"tfoot", nullptr, p); }
    STDMETHODIMP deleteTFoot() override { return DeleteSection(u"tfoot"); }
    STDMETHODIMP insertRow(LONG index, IDispatch** p) override {
        return InsertRowAt(this->dom_, this->node_, index, p);
    }
    STDMETHODIMP deleteRow(LONG index) override { return DeleteRowAt(this->dom_, this->node_, index); }

    STDMETHODIMP get_cells(IDispatch** p) override {
        return MakeElementCollection(this->dom_, this->node_, {CollectionScope::Kind::TableCells, {}, {}}, p);
    }
    // Moves the row at indexFrom to indexTo of the rows left without it (-1: the end).
    STDMETHODIMP moveRow(LONG indexFrom, LONG indexTo, IDispatch** p) override {
        if (!p)
            return E_POINTER;
        *p = nullptr;
        std::vector<Node*> rows = TableRows(this->node_);
        const auto count = static_cast<LONG>(rows.size());
        if (indexFrom < 0 || indexFrom >= count || indexTo < -1 || indexTo >= count)
            return Fail(p);
        Node* row = rows[indexFrom];
        rows.erase(rows.begin() + indexFrom);
        if (rows.empty() || indexTo == -1 || indexTo == static_cast<LONG>(rows.size())) {
            Node* last = rows.empty() ? nullptr : rows.back();
            if (last)
                this->dom_->tree.Insert(last->parent, row, last->next);
        } else {
            this->dom_->tree.Insert(rows[indexTo]->parent, row, rows[indexTo]);
        }
        return ReturnObject(this->dom_, row, p);
    }

private:
    Node* Section(std::u16string_view tag) const {
        for (Node* c = this->node_->firstChild; c; c = c->next)
            if (c->Is(tag))
                return c;
        return nullptr;
    }
    HRESULT CreateSection(std::u16string_view tag, Node* before, IDispatch** p) {
        Node* section = Section(tag);
        if (!section) {
            section = this->dom_->tree.CreateElement(tag);
            this->dom_->tree.Insert(this->node_, section, before);
        }
        return ReturnObject(this->dom_, section, p);
    }
    HRESULT DeleteSection(std::u16string_view tag) {
        if (Node* section = Section(tag))
            this->dom_->tree.Remove(section);
        return S_OK;
    }
};

class CTableSection : public ElementObject<IHTMLTableSection> {
public:
    QX_BEGIN_INTERFACES(CTableSection)
    QX_HTML_ELEMENT_ENTRIES
    QX_INTERFACE_ENTRY(IHTMLTableSection)
    QX_END_INTERFACES()

    QX_TEXT_ATTRIBUTE(align, u"align")
    QX_TEXT_ATTRIBUTE(vAlign, u"vAlign")

    STDMETHODIMP put_bgColor(VARIANT v) override { return PutVariantAttribute(this->node_, u"bgColor", v); }
    STDMETHODIMP get_bgColor(VARIANT* p) override {
        return ReturnVariantText(ColourValue(this->node_, u"bgColor"), p);
    }
    STDMETHODIMP get_rows(IDispatch** p) override {
        return MakeElementCollection(this->dom_, this->node_, {CollectionScope::Kind::TableRows, {}, {}}, p);
    }
    STDMETHODIMP insertRow(LONG index, IDispatch** p) override {
        return InsertRowAt(this->dom_, this->node_, index, p);
    }
    STDMETHODIMP deleteRow(LONG index) override { return DeleteRowAt(this->dom_, this->node_, index); }
};

class CTableRow : public ElementObject<IHTMLTableRow, IHTMLTableRow2> {
public:
    QX_BEGIN_INTERFACES(CTableRow)
    QX_HTML_ELEMENT_ENTRIES
    QX_INTERFACE_ENTRY(IHTMLTableRow)
    QX_INTERFACE_ENTRY(IHTMLTableRow2)
    QX_END_INTERFACES()

    QX_TEXT_ATTRIBUTE(align, u"align")
    QX_TEXT_ATTRIBUTE(vAlign, u"vAlign")
    QX_COLOUR_ATTRIBUTE(borderColor, u"borderColor")
    QX_COLOUR_ATTRIBUTE(borderColorLight, u"borderColorLight")
    QX_COLOUR_ATTRIBUTE(borderColorDark, u"borderColorDark")
    QX_LENGTH_ATTRIBUTE(height, u"height")

    STDMETHODIMP put_bgColor(VARIANT v) override { return PutVariantAttribute(this->node_, u"bgColor", v); }
    STDMETHODIMP get_bgColor(VARIANT* p) override {
        return ReturnVariantText(ColourValue(this->node_, u"bgColor"), p);
    }
    STDMETHODIMP get_rowIndex(LONG* p) override {
        Node* table = TableOfRow(this->node_);
        return ReturnLong(table ? IndexIn(TableRows(table), this->node_) : -1, p);
    }
    STDMETHODIMP get_sectionRowIndex(LONG* p) override {
        return ReturnLong(this->node_->parent ? IndexIn(TableRows(this->node_->parent), this->node_) : -1, p);
    }
    STDMETHODIMP get_cells(IDispatch** p) override {
        return MakeElementCollection(this->dom_, this->node_, {CollectionScope::Kind::RowCells, {}, {}}, p);
    }
    STDMETHODIMP insertCell(LONG index, IDispatch** p) override {
        if (!p)
            return E_POINTER;
        *p = nullptr;
        const std::vector<Node*> cells = RowCells(this->node_);
        const auto count = static_cast<LONG>(cells.size());
        if (index < -1 || index > count)
            return Fail(p);
        Node* td = this->dom_->tree.CreateElement(u"td");
        Node* before =
            (index == -1 || index == count) ? (count ? cells.back()->next : nullptr) : cells[index];
        this->dom_->tree.Insert(this->node_, td, before);
        return ReturnObject(this->dom_, td, p);
    }
    STDMETHODIMP deleteCell(LONG index) override {
        const std::vector<Node*> cells = RowCells(this->node_);
        const auto count = static_cast<LONG>(cells.size());
        if (index == -1 && count)
            index = count - 1;
        if (index < 0 || index >= count)
            return Fail(nullptr);
        this->dom_->tree.Remove(cells[index]);
        return S_OK;
    }
};

class CTableCell : public ElementObject<IHTMLTableCell> {
public:
    QX_BEGIN_INTERFACES(CTableCell)
    QX_HTML_ELEMENT_ENTRIES
    QX_INTERFACE_ENTRY(IHTMLTableCell)
    QX_END_INTERFACES()

    QX_TEXT_ATTRIBUTE(align, u"align")
    QX_TEXT_ATTRIBUTE(vAlign, u"vAlign")
    QX_TEXT_ATTRIBUTE(background, u"background")
    QX_COLOUR_ATTRIBUTE(borderColor, u"borderColor")
    QX_COLOUR_ATTRIBUTE(borderColorLight, u"borderColorLight")
    QX_COLOUR_ATTRIBUTE(borderColorDark, u"borderColorDark")
    QX_LENGTH_ATTRIBUTE(width, u"width")
    QX_LENGTH_ATTRIBUTE(height, u"height")

    STDMETHODIMP put_rowSpan(LONG v) override { return PutSpan(u"rowSpan", v); }
    STDMETHODIMP get_rowSpan(LONG* p) override { return ReturnLong(Span(u"rowSpan"), p); }
    STDMETHODIMP put_colSpan(LONG v) override { return PutSpan(u"colSpan", v); }
    STDMETHODIMP get_colSpan(LONG* p) override { return ReturnLong(Span(u"colSpan"), p); }
    STDMETHODIMP put_bgColor(VARIANT v) override { return PutVariantAttribute(this->node_, u"bgColor", v); }
    STDMETHODIMP get_bgColor(VARIANT* p) override {
        return ReturnVariantText(ColourValue(this->node_, u"bgColor"), p);
    }
    STDMETHODIMP put_noWrap(VARIANT_BOOL v) override {
        if (v == VARIANT_FALSE) {
            this->node_->RemoveAttribute(u"noWrap");
        } else if (!this->node_->FindAttribute(u"noWrap")) {
            this->node_->attributes.push_back(Attribute{u"noWrap", u"", AttributeQuote::Bare});
            this->dom_->tree.Touch();
        }
        return S_OK;
    }
    STDMETHODIMP get_noWrap(VARIANT_BOOL* p) override {
        if (!p)
            return E_POINTER;
        *p = this->node_->FindAttribute(u"noWrap") ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }
    STDMETHODIMP get_cellIndex(LONG* p) override {
        return ReturnLong(this->node_->parent && this->node_->parent->Is(u"tr")
                              ? IndexIn(RowCells(this->node_->parent), this->node_)
                              : -1,
                          p);
    }

private:
    long Span(std::u16string_view name) const { return std::max(1L, IntegerAttribute(this->node_, name, 1)); }
    HRESULT PutSpan(std::u16string_view name, LONG value) {
        if (value < 1)
            return com::ReportError(IID_IHTMLTableCell, kTableSource, u"Invalid argument.", E_INVALIDARG);
        this->node_->SetAttribute(name, Decimal(value));
        return S_OK;
    }
};

} // namespace

HRESULT CreateTablePartObject(const DomPtr& dom, Node* node, IDispatch** out) {
    if (node->Is(u"table"))
        return MakeNodeObject<CTable>(dom, node, out);
    if (IsSection(node))
        return MakeNodeObject<CTableSection>(dom, node, out);
    if (node->Is(u"tr"))
        return MakeNodeObject<CTableRow>(dom, node, out);
    if (IsCell(node))
        return MakeNodeObject<CTableCell>(dom, node, out);
    return S_FALSE;
}

} // namespace qx::html::dom
