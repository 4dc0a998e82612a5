// How a table's parts hang together: its rows in order (its own and its sections'), a row's cells,
// and the table or section a row belongs to.
#pragma once

#include "qx/html/dom/node_tree.h"

#include <vector>

namespace qx::html::dom {

inline bool IsSection(const Node* n) {
    return n->Is(u"thead") || n->Is(u"tbody") || n->Is(u"tfoot");
}
inline bool IsCell(const Node* n) {
    return n->Is(u"td") || n->Is(u"th");
}

// The rows of a table or of a section, in document order.
inline std::vector<Node*> TableRows(Node* tableOrSection) {
    std::vector<Node*> rows;
    for (Node* c = tableOrSection->firstChild; c; c = c->next) {
        if (c->Is(u"tr"))
            rows.push_back(c);
        else if (tableOrSection->Is(u"table") && IsSection(c))
            for (Node* r = c->firstChild; r; r = r->next)
                if (r->Is(u"tr"))
                    rows.push_back(r);
    }
    return rows;
}

inline std::vector<Node*> RowCells(Node* row) {
    std::vector<Node*> cells;
    for (Node* c = row->firstChild; c; c = c->next)
        if (IsCell(c))
            cells.push_back(c);
    return cells;
}

// The table a row belongs to (through its section or directly); null for a row outside one.
inline Node* TableOfRow(Node* row) {
    Node* parent = row->parent;
    if (parent && IsSection(parent))
        parent = parent->parent;
    return parent && parent->Is(u"table") ? parent : nullptr;
}

// The position of node in list; -1 when absent.
inline long IndexIn(const std::vector<Node*>& list, const Node* node) {
    for (std::size_t i = 0; i < list.size(); ++i)
        if (list[i] == node)
            return static_cast<long>(i);
    return -1;
}

} // namespace qx::html::dom
