// Tables: the grid of the HTML table model, column widths (automatic and fixed layout), row heights,
// separated and collapsed borders.
#include "layouter.h"

#include <algorithm>
#include <cstdint>
#include <numeric>

namespace qx::html::layout {

namespace {

constexpr int kMaxColSpan = 1000;
constexpr int kMaxRowSpan = 65534;

enum class Rounding { Floor, Nearest };

using Wide = __int128; // products of two subpixel quantities

// Shares `amount` among the entries in proportion to their weights (equally when they weigh
// nothing), the remainder to the last.
template <typename T>
std::vector<T> Distribute(T amount, const std::vector<T>& weights, Rounding rounding) {
    std::vector<T> shares(weights.size(), 0);
    if (weights.empty() || amount <= 0)
        return shares;
    std::int64_t total = std::accumulate(weights.begin(), weights.end(), std::int64_t{0});
    auto weight = [&](std::size_t i) -> std::int64_t { return total > 0 ? weights[i] : 1; };
    std::int64_t sum = total > 0 ? total : static_cast<std::int64_t>(weights.size());
    std::int64_t given = 0;
    std::int64_t cumulative = 0;
    for (std::size_t i = 0; i + 1 < weights.size(); ++i) {
        cumulative += weight(i);
        // Wide products: widths in subpixels times weights in subpixels.
        Wide share = rounding == Rounding::Floor
                         ? Wide{weight(i)} * amount / sum
                         : (Wide{cumulative} * amount * 2 + sum) / (Wide{sum} * 2) - given;
        shares[i] = static_cast<T>(share);
        given += share;
    }
    shares.back() = static_cast<T>(amount - given);
    return shares;
}

std::vector<int> EqualShares(int amount, std::size_t count) {
    return Distribute(amount, std::vector<int>(count, 0), Rounding::Floor);
}

std::int64_t SpanSum(const std::vector<std::int64_t>& values, int first, int count) {
    return std::accumulate(values.begin() + first, values.begin() + first + count, std::int64_t{0});
}

std::vector<std::int64_t> Slice(const std::vector<std::int64_t>& values, int first, int count) {
    return {values.begin() + first, values.begin() + first + count};
}

// The columns a spanning cell covers: their minimum and preferred widths, and which have a pixel width.
struct SpannedColumns {
    std::vector<std::int64_t> min;
    std::vector<std::int64_t> pref;
    std::vector<bool> fixed;
};

// Widths for the columns a spanning cell covers that add up to `target` (at least their minimums).
// Up to the sum of the fixed columns' preferred widths (the others at their minimums) the fixed
// columns grow from minimum towards preferred in proportion to that room; up to the sum of all
// preferred widths the other columns do the same; past it the columns without a pixel width take
// the rest in proportion to their preferred widths (equally when those are all 0), and only when
// every column has one do they take it in proportion to theirs. Shares are floored, the last
// growing column takes the remainder.
std::vector<std::int64_t> SpanSizes(std::int64_t target, const SpannedColumns& columns) {
    const std::size_t n = columns.min.size();
    int minGuess = 0, specifiedGuess = 0, maxGuess = 0, fixedRoom = 0, autoRoom = 0, autoMax = 0,
        fixedMax = 0;
    bool anyAuto = false;
    for (std::size_t i = 0; i < n; ++i) {
        std::int64_t low = columns.min[i];
        std::int64_t high = std::max(columns.pref[i], low);
        minGuess += low;
        maxGuess += high;
        if (columns.fixed[i]) {
            specifiedGuess += high;
            fixedRoom += high - low;
            fixedMax += high;
        } else {
            specifiedGuess += low;
            autoRoom += high - low;
            autoMax += high;
            anyAuto = true;
        }
    }
    std::vector<std::int64_t> sizes(n);
    // Gives each column picked by `grows` its base plus its weight's share of `amount`.
    auto grow = [&](std::int64_t amount, auto base, auto grows, auto weight, std::int64_t totalWeight) {
        int count = 0;
        for (std::size_t i = 0; i < n; ++i)
            count += grows(i) ? 1 : 0;
        std::int64_t left = amount;
        std::size_t last = n;
        for (std::size_t i = 0; i < n; ++i) {
            sizes[i] = base(i);
            if (!grows(i))
                continue;
            std::int64_t share = totalWeight > 0
                                     ? static_cast<std::int64_t>(Wide{amount} * weight(i) / totalWeight)
                                     : amount / count;
            sizes[i] += share;
            left -= share;
            last = i;
        }
        if (last < n)
            sizes[last] += left;
    };
    auto low = [&](std::size_t i) { return columns.min[i]; };
    auto high = [&](std::size_t i) { return std::max(columns.pref[i], columns.min[i]); };
    auto room = [&](std::size_t i) { return high(i) - low(i); };
    auto isFixed = [&](std::size_t i) { return static_cast<bool>(columns.fixed[i]); };
    auto isAuto = [&](std::size_t i) { return !columns.fixed[i]; };
    if (target <= minGuess)
        std::copy(columns.min.begin(), columns.min.end(), sizes.begin());
    else if (target <= specifiedGuess)
        grow(target - minGuess, low, isFixed, room, fixedRoom);
    else if (target <= maxGuess)
        grow(
            target - specifiedGuess, [&](std::size_t i) { return isFixed(i) ? high(i) : low(i); }, isAuto,
            room, autoRoom);
    else if (anyAuto)
        grow(target - maxGuess, high, isAuto, high, autoMax);
    else
        grow(target - maxGuess, high, isFixed, high, fixedMax);
    return sizes;
}

// Column widths and row heights are kept in 64ths of a pixel while cells share out their needs;
// the boxes are snapped to whole pixels at their edges.
constexpr int kSubpixels = 64;

int RoundSubpixels(std::int64_t value) {
    return static_cast<int>((value + kSubpixels / 2) / kSubpixels);
}

// A box over the columns (rows) between two fractional places, less the spacing after the last: it
// starts at its rounded place but is as wide (tall) as its own length rounded, so two boxes of one
// fractional length are always equally wide, wherever they start.
int SnappedLength(std::int64_t from, std::int64_t to, int spacing) {
    return RoundSubpixels(to - from - std::int64_t{spacing} * kSubpixels);
}

// What SpreadOverRows needs to know of each row.
struct RowSizing {
    std::vector<std::int64_t> height; // in kSubpixels
    std::vector<bool> constrained;    // a height of its own (the TR's or a single-row cell's)
    std::vector<bool> startsSpan;     // a row-spanning cell starts in it
};

// Adds `deficit` to the `span` rows from `first` that a row-spanning cell covers: equally over the
// rows after the first in which another row-spanning cell starts; else in proportion to their heights
// over the rows without a height of their own that have some; else over every row that has some;
// else all to the last row. Shares are floored, the last row that grows takes the remainder.
void SpreadOverRows(std::int64_t deficit, std::size_t first, std::size_t span, RowSizing& rows) {
    std::vector<std::size_t> growing;
    for (std::size_t r = first + 1; r < first + span; ++r)
        if (rows.startsSpan[r])
            growing.push_back(r);
    bool equally = !growing.empty();
    for (bool freeOnly : {true, false}) {
        if (!growing.empty())
            break;
        for (std::size_t r = first; r < first + span; ++r)
            if (rows.height[r] > 0 && !(freeOnly && rows.constrained[r]))
                growing.push_back(r);
    }
    if (growing.empty())
        growing.push_back(first + span - 1);
    std::int64_t weights = 0;
    for (std::size_t r : growing)
        weights += equally ? 1 : rows.height[r];
    std::int64_t left = deficit;
    for (std::size_t r : growing) {
        std::int64_t share =
            weights > 0 ? static_cast<std::int64_t>(Wide{deficit} * (equally ? 1 : rows.height[r]) / weights)
                        : 0;
        rows.height[r] += share;
        left -= share;
    }
    rows.height[growing.back()] += left;
}

} // namespace

namespace {

// Box widths COL elements of the first COLGROUP give, by column.
std::vector<std::optional<int>> ColumnElementWidths(const dom::Node* table) {
    std::vector<std::optional<int>> widths;
    for (const dom::Node* group = table->firstChild; group; group = group->next) {
        if (!group->Is(u"colgroup"))
            continue;
        for (const dom::Node* col = group->firstChild; col; col = col->next) {
            if (!col->Is(u"col"))
                continue;
            int span = std::clamp(NumberAttribute(*col, u"span").value_or(1), 1, kMaxColSpan);
            std::optional<int> width = PixelLength(col->AttributeValue(u"width"));
            for (int i = 0; i < span; ++i)
                widths.push_back(width && *width >= 0 ? width : std::nullopt);
        }
        break;
    }
    return widths;
}

} // namespace

TableGrid& Layouter::Grid(const dom::Node* table) {
    auto found = grids_.find(table);
    if (found != grids_.end())
        return *found->second;
    auto grid = std::make_unique<TableGrid>();
    std::vector<std::vector<bool>> taken; // slots covered, by row
    auto addRow = [&](const dom::Node* tr) {
        if (Style(tr).display == Display::None)
            return;
        int r = static_cast<int>(grid->rows.size());
        grid->rows.push_back(tr);
        taken.resize(std::max<std::size_t>(taken.size(), r + 1));
        int column = 0;
        for (const dom::Node* c = tr->firstChild; c; c = c->next) {
            if (!(c->Is(u"td") || c->Is(u"th")) || Style(c).display == Display::None)
                continue;
            while (column < static_cast<int>(taken[r].size()) && taken[r][column])
                ++column;
            GridCell cell;
            cell.node = c;
            cell.row = r;
            cell.column = column;
            cell.colSpan = std::clamp(NumberAttribute(*c, u"colspan").value_or(1), 1, kMaxColSpan);
            cell.rowSpan = std::clamp(NumberAttribute(*c, u"rowspan").value_or(1), 1, kMaxRowSpan);
            taken.resize(std::max<std::size_t>(taken.size(), r + cell.rowSpan));
            for (int y = r; y < r + cell.rowSpan; ++y) {
                if (taken[y].size() < static_cast<std::size_t>(column + cell.colSpan))
                    taken[y].resize(column + cell.colSpan, false);
                for (int x = column; x < column + cell.colSpan; ++x)
                    taken[y][x] = true;
            }
            grid->columns = std::max(grid->columns, column + cell.colSpan);
            column += cell.colSpan;
            grid->cells.push_back(cell);
        }
    };
    for (const dom::Node* c = table->firstChild; c; c = c->next) {
        if (c->Is(u"tr"))
            addRow(c);
        else if ((c->Is(u"tbody") || c->Is(u"thead") || c->Is(u"tfoot")) && Style(c).display != Display::None)
            for (const dom::Node* tr = c->firstChild; tr; tr = tr->next)
                if (tr->Is(u"tr"))
                    addRow(tr);
    }
    int rows = static_cast<int>(grid->rows.size());
    for (GridCell& cell : grid->cells)
        cell.rowSpan = std::min(cell.rowSpan, rows - cell.row);
    // A column no cell starts in is only ever spanned: it takes no width and no spacing of its own,
    // so the columns are counted again over the ones cells start in.
    std::vector<int> before(grid->columns + 1, 0); // columns cells start in, before each column
    {
        std::vector<bool> starts(grid->columns, false);
        for (const GridCell& cell : grid->cells)
            starts[cell.column] = true;
        std::size_t described = ColumnElementWidths(table).size(); // COL elements make columns too
        for (std::size_t c = 0; c < described && c < starts.size(); ++c)
            starts[c] = true;
        for (int c = 0; c < grid->columns; ++c)
            before[c + 1] = before[c] + (starts[c] ? 1 : 0);
    }
    for (GridCell& cell : grid->cells) {
        int first = before[cell.column];
        cell.sourceColSpan = cell.colSpan;
        cell.colSpan = before[cell.column + cell.colSpan] - first;
        cell.column = first;
    }
    grid->columns = before[grid->columns];

    const ElementStyle& st = Style(table);
    int b = 0;
    if (table->FindAttribute(u"border"))
        b = std::max(0, NumberAttribute(*table, u"border").value_or(1)); // empty or no number: 1
    grid->padding = std::max(0, NumberAttribute(*table, u"cellpadding").value_or(1));
    grid->spacing = std::max(0, NumberAttribute(*table, u"cellspacing").value_or(2));
    grid->fixed = st.fixedTable;
    if (st.collapse) {
        grid->spacing = 0;
        if (b >= 1) { // cells edge to edge, one shared line between them
            grid->border[0] = grid->border[3] = 1;
            grid->cellBorder = 1;
            grid->cellExtra = 1;
        }
    } else {
        for (int side = 0; side < 4; ++side)
            grid->border[side] = st.borderNone[side] ? 0 : std::max(b, st.border[side]);
        grid->cellBorder = b >= 1 ? 1 : 0;
        grid->cellExtra = 2 * grid->cellBorder;
    }
    return *grids_.emplace(table, std::move(grid)).first->second;
}

Intrinsic Layouter::TableIntrinsic(const dom::Node* table) {
    TableGrid& g = Grid(table);
    if (!g.measured) {
        g.measured = true;
        int n = g.columns;
        int inner = 2 * g.padding + g.cellExtra;
        g.colMin.assign(n, 0);
        g.colPref.assign(n, 0);
        g.colFixed.assign(n, false);
        std::vector<std::int64_t> colMax(n, 0);
        for (GridCell& cell : g.cells) {
            Intrinsic content = ChildrenIntrinsic(cell.node);
            cell.min = content.min + inner;
            cell.max = std::max(content.max + inner, cell.min);
            if (std::optional<int> width = Style(cell.node).width)
                cell.preferred = std::max(*width + inner, cell.min);
            if (cell.sourceColSpan != 1)
                continue;
            int c = cell.column;
            g.colMin[c] = std::max(g.colMin[c], std::int64_t{cell.min} * kSubpixels);
            colMax[c] = std::max(colMax[c], std::int64_t{cell.max} * kSubpixels);
            if (cell.preferred) {
                std::int64_t preferred = std::int64_t{*cell.preferred} * kSubpixels;
                g.colPref[c] = g.colFixed[c] ? std::max(g.colPref[c], preferred) : preferred;
                g.colFixed[c] = true;
            }
        }
        std::vector<std::optional<int>> colElements = ColumnElementWidths(table);
        for (int c = 0; c < n; ++c) {
            if (!g.colFixed[c] && c < static_cast<int>(colElements.size()) && colElements[c]) {
                g.colPref[c] = std::int64_t{*colElements[c]} * kSubpixels;
                g.colFixed[c] = true;
            }
            if (!g.colFixed[c])
                g.colPref[c] = colMax[c];
            g.colPref[c] = std::max(g.colPref[c], g.colMin[c]);
        }
        // Spanning cells, narrower spans first (as the grid had them), then from the left, widen the
        // columns they cover where they need more.
        std::vector<const GridCell*> spanning;
        for (const GridCell& cell : g.cells)
            if (cell.sourceColSpan > 1 && cell.column + cell.colSpan <= n)
                spanning.push_back(&cell);
        std::stable_sort(spanning.begin(), spanning.end(), [](const GridCell* a, const GridCell* b) {
            return a->sourceColSpan != b->sourceColSpan ? a->sourceColSpan < b->sourceColSpan
                                                        : a->column < b->column;
        });
        for (const GridCell* cell : spanning) {
            std::int64_t gaps = std::int64_t{cell->colSpan - 1} * g.spacing * kSubpixels;
            SpannedColumns spanned{Slice(g.colMin, cell->column, cell->colSpan),
                                   Slice(g.colPref, cell->column, cell->colSpan),
                                   {}};
            for (int i = 0; i < cell->colSpan; ++i)
                spanned.fixed.push_back(g.colFixed[cell->column + i]);
            std::int64_t minTarget = std::int64_t{cell->min} * kSubpixels - gaps;
            if (minTarget > SpanSum(g.colMin, cell->column, cell->colSpan)) {
                std::vector<std::int64_t> sizes = SpanSizes(minTarget, spanned);
                std::copy(sizes.begin(), sizes.end(), g.colMin.begin() + cell->column);
            }
            std::int64_t prefTarget = std::int64_t{cell->preferred.value_or(cell->max)} * kSubpixels - gaps;
            if (prefTarget > SpanSum(g.colPref, cell->column, cell->colSpan)) {
                std::vector<std::int64_t> sizes = SpanSizes(prefTarget, spanned);
                std::copy(sizes.begin(), sizes.end(), g.colPref.begin() + cell->column);
            }
            for (int i = 0; i < cell->colSpan; ++i)
                g.colPref[cell->column + i] =
                    std::max(g.colPref[cell->column + i], g.colMin[cell->column + i]);
        }
    }
    int frame = g.border[1] + g.border[3] + (g.columns + 1) * g.spacing;
    Intrinsic result{
        frame + RoundSubpixels(std::accumulate(g.colMin.begin(), g.colMin.end(), std::int64_t{0})),
        frame + RoundSubpixels(std::accumulate(g.colPref.begin(), g.colPref.end(), std::int64_t{0}))};
    if (std::optional<int> width = Style(table).width)
        result.min = result.max = std::max(*width, result.min);
    return result;
}

int Layouter::TableSameFrom(const dom::Node* table) {
    const ElementStyle& st = Style(table);
    TableGrid& g = Grid(table);
    if (st.width || st.widthPct || g.fixed || !g.measured)
        return 0;
    // Automatic layout without a table width gives every column its preferred width once they fit.
    std::int64_t preferred = std::accumulate(g.colPref.begin(), g.colPref.end(), std::int64_t{0});
    return g.border[1] + g.border[3] + (g.columns + 1) * g.spacing +
           static_cast<int>((preferred + kSubpixels - 1) / kSubpixels);
}

namespace {

// Column widths in kSubpixels; `avail` is in kSubpixels too.
std::vector<std::int64_t> AutomaticWidths(const TableGrid& g, std::optional<int> tableWidth,
                                          std::int64_t avail) {
    std::int64_t sumMin = std::accumulate(g.colMin.begin(), g.colMin.end(), std::int64_t{0});
    std::int64_t sumPref = std::accumulate(g.colPref.begin(), g.colPref.end(), std::int64_t{0});
    std::vector<std::int64_t> widths = g.colPref;
    if (sumPref <= avail) {
        if (!tableWidth)
            return widths; // the table shrinks to fit
        std::vector<std::int64_t> autoWeights(widths.size(), 0);
        bool anyAuto = false;
        for (std::size_t c = 0; c < widths.size(); ++c) {
            if (!g.colFixed[c]) {
                autoWeights[c] = g.colPref[c];
                anyAuto = true;
            }
        }
        std::vector<std::int64_t> shares;
        if (anyAuto) {
            std::vector<int> columns;
            std::vector<std::int64_t> weights;
            for (std::size_t c = 0; c < widths.size(); ++c)
                if (!g.colFixed[c]) {
                    columns.push_back(static_cast<int>(c));
                    weights.push_back(autoWeights[c]);
                }
            std::vector<std::int64_t> part = Distribute(avail - sumPref, weights, Rounding::Nearest);
            for (std::size_t i = 0; i < columns.size(); ++i)
                widths[columns[i]] += part[i];
        } else {
            shares = Distribute(avail - sumPref, g.colPref, Rounding::Nearest);
            for (std::size_t c = 0; c < widths.size(); ++c)
                widths[c] += shares[c];
        }
        return widths;
    }
    if (sumMin <= avail) {
        std::vector<std::int64_t> room(widths.size());
        for (std::size_t c = 0; c < widths.size(); ++c)
            room[c] = g.colPref[c] - g.colMin[c];
        std::vector<std::int64_t> shares = Distribute(avail - sumMin, room, Rounding::Floor);
        for (std::size_t c = 0; c < widths.size(); ++c)
            widths[c] = g.colMin[c] + shares[c];
        return widths;
    }
    return g.colMin; // the table grows
}

std::vector<int> FixedWidths(const dom::Node* table, const TableGrid& g, std::optional<int> tableWidth,
                             int avail) {
    std::vector<std::optional<int>> given = ColumnElementWidths(table);
    bool fromColumns = std::any_of(given.begin(), given.end(), [](const auto& w) { return w.has_value(); });
    int n = std::max<int>(g.columns, fromColumns ? static_cast<int>(given.size()) : 0);
    given.resize(n);
    if (!fromColumns) {
        given.assign(n, std::nullopt);
        int inner = 2 * g.padding + g.cellExtra;
        for (const GridCell& cell : g.cells) {
            if (cell.row != 0)
                continue;
            std::optional<int> width = PixelLength(cell.node->AttributeValue(u"width"));
            if (!width || *width < 0)
                continue;
            std::vector<int> parts = EqualShares(*width + inner, cell.colSpan);
            for (int i = 0; i < cell.colSpan && cell.column + i < n; ++i)
                given[cell.column + i] = parts[i];
        }
    }
    std::vector<int> widths(n, 0);
    int specified = 0;
    std::vector<int> leftOver;
    for (int c = 0; c < n; ++c) {
        if (given[c]) {
            widths[c] = *given[c];
            specified += *given[c];
        } else {
            leftOver.push_back(c);
        }
    }
    if (!leftOver.empty() && tableWidth && avail > specified) {
        std::vector<int> shares = EqualShares(avail - specified, leftOver.size());
        for (std::size_t i = 0; i < leftOver.size(); ++i)
            widths[leftOver[i]] = shares[i];
    }
    int total = std::accumulate(widths.begin(), widths.end(), 0);
    if (tableWidth && avail > total) {
        std::vector<int> shares = Distribute(avail - total, widths, Rounding::Nearest);
        for (int c = 0; c < n; ++c)
            widths[c] += shares[c];
    }
    return widths;
}

} // namespace

int Layouter::LayoutTable(const dom::Node* table, int parentBox, int x, int y, int containerWidth) {
    TableIntrinsic(table);
    TableGrid& g = Grid(table);
    const ElementStyle& st = Style(table);
    std::optional<int> tableWidth = st.width;
    if (!tableWidth && st.widthPct)
        tableWidth = static_cast<int>(*st.widthPct * containerWidth / 100);
    int s = g.spacing;
    int p = g.padding;
    int avail = tableWidth.value_or(containerWidth) - g.border[1] - g.border[3] - (g.columns + 1) * s;
    std::vector<std::int64_t> widths; // in kSubpixels
    if (g.fixed) {
        for (int width : FixedWidths(table, g, tableWidth, avail))
            widths.push_back(std::int64_t{width} * kSubpixels);
    } else {
        widths = AutomaticWidths(g, tableWidth, std::int64_t{avail} * kSubpixels);
    }
    int n = static_cast<int>(widths.size());
    std::vector<int> colX(n + 1, x + g.border[3] + s);
    std::vector<std::int64_t> colAt(n + 1, 0);
    {
        std::int64_t left = 0;
        for (int c = 1; c <= n; ++c) {
            left += widths[c - 1] + std::int64_t{s} * kSubpixels;
            colAt[c] = left;
            colX[c] = x + g.border[3] + s + RoundSubpixels(left);
        }
    }

    int tableBox = NewBox(table, parentBox);
    model_.boxes[tableBox].percentBase = containerWidth;
    std::copy(std::begin(g.border), std::end(g.border), model_.boxes[tableBox].borderWidth);

    // Row groups and rows get boxes in source order; each cell's content is laid out at its final
    // width from y = 0 and moved into place once the row heights are known.
    struct Placed {
        const GridCell* cell;
        int box;
        int contentHeight;
    };
    std::vector<Placed> placed;
    std::vector<int> rowBoxes(g.rows.size(), -1);
    std::unordered_map<const dom::Node*, int> sectionBoxes;
    const int cb = g.cellBorder;
    const bool collapsed = g.cellExtra == 1;
    std::size_t next = 0;
    for (std::size_t r = 0; r < g.rows.size(); ++r) {
        const dom::Node* tr = g.rows[r];
        int parent = tableBox;
        if (tr->parent != table) {
            auto [it, added] = sectionBoxes.emplace(tr->parent, -1);
            if (added)
                it->second = NewBox(tr->parent, tableBox);
            parent = it->second;
        }
        rowBoxes[r] = NewBox(tr, parent);
        for (; next < g.cells.size() && g.cells[next].row == static_cast<int>(r); ++next) {
            const GridCell& cell = g.cells[next];
            int box = NewBox(cell.node, rowBoxes[r]);
            Box& b = model_.boxes[box];
            b.borderWidth[0] = b.borderWidth[3] = cb;
            b.borderWidth[1] = b.borderWidth[2] = collapsed ? 0 : cb;
            int last = std::min(cell.column + cell.colSpan, n);
            int width = SnappedLength(colAt[cell.column], colAt[last], s);
            int contentWidth = std::max(0, width - 2 * p - g.cellExtra);
            int height = LayoutChildren(cell.node, box, colX[cell.column] + cb + p, cb + p, contentWidth,
                                        centerDepth_ > 0);
            model_.boxes[box].border = {colX[cell.column], 0, width, 0};
            model_.boxes[box].end = model_.boxes.size();
            placed.push_back({&cell, box, height});
        }
        model_.boxes[rowBoxes[r]].end = model_.boxes.size();
        if (parent != tableBox)
            model_.boxes[parent].end = model_.boxes.size();
    }

    // Row heights, in 64ths of a pixel while row-spanning cells share out their need.
    std::size_t rows = g.rows.size();
    RowSizing sizing{std::vector<std::int64_t>(rows, 0), std::vector<bool>(rows, false),
                     std::vector<bool>(rows, false)};
    std::vector<std::int64_t>& rowHeight = sizing.height;
    auto need = [&](const Placed& pc) {
        return std::max(pc.contentHeight + 2 * p + g.cellExtra, Style(pc.cell->node).height.value_or(0));
    };
    for (std::size_t r = 0; r < rows; ++r) {
        std::optional<int> height = Style(g.rows[r]).height;
        rowHeight[r] = height.value_or(0) * kSubpixels;
        sizing.constrained[r] = height.has_value();
    }
    std::vector<const Placed*> spanning;
    for (const Placed& pc : placed) {
        if (pc.cell->rowSpan > 1) {
            spanning.push_back(&pc);
            sizing.startsSpan[pc.cell->row] = true;
            continue;
        }
        rowHeight[pc.cell->row] = std::max<std::int64_t>(rowHeight[pc.cell->row], need(pc) * kSubpixels);
        if (Style(pc.cell->node).height)
            sizing.constrained[pc.cell->row] = true;
    }
    // Row-spanning cells in the order of the row they end in (a span cut at the last row ends there),
    // the shorter span first, then in source order.
    std::stable_sort(spanning.begin(), spanning.end(), [](const Placed* a, const Placed* b) {
        int aEnd = a->cell->row + a->cell->rowSpan, bEnd = b->cell->row + b->cell->rowSpan;
        return aEnd != bEnd ? aEnd < bEnd : a->cell->rowSpan < b->cell->rowSpan;
    });
    for (const Placed* pc : spanning) {
        std::size_t first = pc->cell->row;
        std::size_t span = pc->cell->rowSpan;
        std::int64_t deficit =
            std::int64_t{need(*pc) - (pc->cell->rowSpan - 1) * s} * kSubpixels -
            std::accumulate(rowHeight.begin() + first, rowHeight.begin() + first + span, std::int64_t{0});
        if (deficit > 0)
            SpreadOverRows(deficit, first, span, sizing);
    }
    std::int64_t rowsTotal = std::accumulate(rowHeight.begin(), rowHeight.end(), std::int64_t{0});
    int natural = g.border[0] + g.border[2] + RoundSubpixels(rowsTotal) + static_cast<int>(rows + 1) * s;
    if (st.height && *st.height > natural && rows > 0) {
        std::vector<int> shares = EqualShares(*st.height - natural, rows);
        for (std::size_t r = 0; r < rows; ++r)
            rowHeight[r] += std::int64_t{shares[r]} * kSubpixels;
    }
    // Rows start at fractional places rounded to the nearest pixel; a box is its own height rounded.
    std::vector<int> rowY(rows + 1, y + g.border[0] + s);
    std::vector<std::int64_t> rowAt(rows + 1, 0);
    {
        std::int64_t top = 0;
        for (std::size_t r = 1; r <= rows; ++r) {
            top += rowHeight[r - 1] + std::int64_t{s} * kSubpixels;
            rowAt[r] = top;
            rowY[r] = y + g.border[0] + s + RoundSubpixels(top);
        }
    }

    // Cells into place, their content by vAlign (middle unless said).
    std::vector<Rect> rowUnion(rows);
    std::vector<bool> rowHasCell(rows, false);
    for (const Placed& pc : placed) {
        const GridCell& cell = *pc.cell;
        int height = SnappedLength(rowAt[cell.row], rowAt[cell.row + cell.rowSpan], s);
        Box& b = model_.boxes[pc.box];
        b.border.top = rowY[cell.row];
        b.border.height = height;
        const std::u16string& own = Style(cell.node).vAlign;
        const std::u16string& align = own.empty() ? Style(g.rows[cell.row]).vAlign : own;
        int room = height - 2 * p - g.cellExtra - pc.contentHeight;
        int dy = align == u"top" || align == u"baseline" ? 0 : align == u"bottom" ? room : room / 2;
        Shift(pc.box + 1, 0, rowY[cell.row] + std::max(0, dy), static_cast<int>(b.end));
        ShiftTexts(b, 0, rowY[cell.row] + std::max(0, dy));
        model_.boxes[tableBox].cells.push_back(pc.box);
        if (cell.rowSpan == 1) {
            const Rect& c = model_.boxes[pc.box].border;
            rowUnion[cell.row] = rowHasCell[cell.row] ? Union(rowUnion[cell.row], c) : c;
            rowHasCell[cell.row] = true;
        }
    }
    Box& tableBoxRef = model_.boxes[tableBox];
    tableBoxRef.border = {x, y, g.border[1] + g.border[3] + colX[n] - colX[0] + s, 0};
    tableBoxRef.border.height = std::max(natural, rowY[rows] - y + g.border[2]);
    for (std::size_t r = 0; r < rows; ++r) {
        Box& rb = model_.boxes[rowBoxes[r]];
        int height = SnappedLength(rowAt[r], rowAt[r + 1], s);
        rb.border = rowHasCell[r] ? Rect{rowUnion[r].left, rowY[r], rowUnion[r].width, height}
                                  : Rect{colX[0], rowY[r], 0, height};
    }
    for (auto& [section, box] : sectionBoxes) {
        Rect u{};
        bool any = false;
        for (std::size_t r = 0; r < rows; ++r) {
            if (g.rows[r]->parent != section)
                continue;
            const Rect& rr = model_.boxes[rowBoxes[r]].border;
            u = any ? Union(u, rr) : rr;
            any = true;
        }
        model_.boxes[box].border = u;
    }
    model_.boxes[tableBox].end = model_.boxes.size();
    return model_.boxes[tableBox].border.height;
}

} // namespace qx::html::layout
