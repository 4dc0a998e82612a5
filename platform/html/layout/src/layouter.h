// One layout pass: block and inline flow (flow.cpp), tables (table.cpp), replaced elements
// (replaced.cpp). Styles, fonts and intrinsic widths are read once per pass.
#pragma once

#include "box_model.h"
#include "qx/html/dom/node_styles.h"
#include "qx/html/layout/image_header.h"

#include <cstdint>
#include <memory_resource>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace qx::html::layout {

// A table's grid of cells and the inputs read from the table, made once a pass.
struct GridCell {
    const dom::Node* node = nullptr;
    int row = 0;
    int column = 0;
    int rowSpan = 1;
    int colSpan = 1;       // columns cells start in that it covers
    int sourceColSpan = 1; // as the grid had it, counting columns no cell starts in
    int min = 0;
    int max = 0;
    std::optional<int> preferred; // from a pixel width
};

struct TableGrid {
    std::vector<const dom::Node*> rows;
    std::vector<GridCell> cells; // in source order
    int columns = 0;
    // Inputs read from the table.
    int border[4] = {}; // the table's outer border: top, right, bottom, left
    int cellBorder = 0; // one side of a cell
    int cellExtra = 0;  // both sides of a cell together
    int padding = 1;
    int spacing = 2;
    bool fixed = false;
    bool measured = false;
    std::vector<std::int64_t> colMin; // in 64ths of a pixel
    std::vector<std::int64_t> colPref;
    std::vector<bool> colFixed;
};

// Lays pages out, keeping what it read (styles, fonts, intrinsic widths, table grids, replaced
// sizes) and the boxes it made from one layout to the next: after a change it forgets only what the
// change can reach (the changed nodes' subtrees and their ancestors' measurements), and a block-level
// element that neither changed nor sits below a change is moved, not laid out again, when it gets
// the width it had.
class Layouter {
public:
    Layouter(const LayoutHooks& hooks, PageLayout::Model& model) : hooks_(hooks), model_(model) {}

    // What the next layout may keep: nothing, or all but what these changes reach.
    void ForgetAll();
    void Forget(const std::vector<const dom::Node*>& changed);

    // Room for a page of this many elements.
    void Reserve(std::size_t elements) {
        styles_.reserve(elements);
        fonts_.reserve(elements);
        blockLevel_.reserve(elements);
        model_.index.reserve(elements);
        model_.boxes.reserve(elements);
    }
    // Lays the page out for a client size.
    void LayoutPage(const dom::Node* html, const dom::Node* body, int clientWidth, int clientHeight);

    const ElementStyle& Style(const dom::Node* element);
    int Font(const dom::Node* element); // inherited font size in px

    // A block-level element placed at (x, y) within a containing block of `width`; returns the
    // height it takes with its margins. `extent` grows to the right edge it reaches.
    int LayoutBlockLevel(const dom::Node* element, int parentBox, int x, int y, int width);
    // The children of a block container laid out from (x, y) in `width`; returns their height.
    int LayoutChildren(const dom::Node* container, int parentBox, int x, int y, int width, bool center);
    // The widths the content of a block container needs: unwrapped and wrapped at every chance.
    Intrinsic ChildrenIntrinsic(const dom::Node* container);
    Intrinsic BlockIntrinsic(const dom::Node* element);

    int LayoutTable(const dom::Node* table, int parentBox, int x, int y, int containerWidth);
    Intrinsic TableIntrinsic(const dom::Node* table);
    // The narrowest container in which a table without a width of its own takes its preferred
    // widths, so that any wider one lays it out alike; 0 when its layout follows the container.
    int TableSameFrom(const dom::Node* table);

    // Replaced elements' box sizes.
    Rect ReplacedSize(const dom::Node* element);

    bool IsBlockLevel(const dom::Node* node);
    int NewBox(const dom::Node* element, int parent);
    // Moves the boxes [firstBox, end) (end -1: to the last box).
    void Shift(int firstBox, int dx, int dy, int end = -1);
    // Moves the text placed with one box as its innermost element.
    void ShiftTexts(Box& box, int dx, int dy);
    void SetBorders(Box& box, const ElementStyle& style);

    PageLayout::Model& Model() { return model_; }
    const css::DeclarationBlock* Runtime(const dom::Node* element) const {
        return hooks_.runtimeStyle ? hooks_.runtimeStyle(*element) : dom::RuntimeStyleOf(*element);
    }

private:
    struct Item;
    void CollectInline(const dom::Node* node, std::vector<Item>& items, int parentBox, bool measuring,
                       bool noWrap, bool pre);
    int PlaceInline(std::vector<Item>& items, int x, int y, int width, bool center);
    Intrinsic ItemsIntrinsic(const std::vector<Item>& items);
    void LayoutAbsolute(const dom::Node* element, int parentBox);
    int LayoutBlockBox(const dom::Node* element, int box, int x, int y, int contentWidth);
    TableGrid& Grid(const dom::Node* table);
    int LayoutBlockLevelAfresh(const dom::Node* element, int parentBox, int x, int y, int width);
    // Moves the boxes the last layout made for an element it may keep; nothing when it may not.
    std::optional<int> Reuse(const dom::Node* element, int parentBox, int x, int y, int width);
    bool BelowChange(const dom::Node* element) const;

    const LayoutHooks& hooks_;
    PageLayout::Model& model_;
    // What is read of each element lives in a pool: a full relayout forgets it all and reads it
    // again, which then takes no trips to the heap.
    std::pmr::unsynchronized_pool_resource pool_;
    template <typename T>
    using NodeMap = std::pmr::unordered_map<const dom::Node*, T>;
    NodeMap<ElementStyle> styles_{&pool_};
    NodeMap<int> fonts_{&pool_};
    NodeMap<Intrinsic> intrinsic_{&pool_};
    NodeMap<bool> blockLevel_{&pool_};
    NodeMap<std::unique_ptr<TableGrid>> grids_{&pool_};
    NodeMap<Rect> replaced_{&pool_};
    // The sizes of the pictures read so far, by address: a relayout does not read the files
    // again. Only pictures that were read are kept, so one that arrives later is still seen.
    std::unordered_map<std::u16string, ImageSize> imageSizes_;
    std::vector<std::pair<const dom::Node*, int>> pendingAbsolutes_; // element, parent box
    int centerDepth_ = 0;
    // The boxes of the layout before this one, and what has changed since it.
    std::vector<Box> previous_;
    bool mayReuse_ = false;
    std::unordered_set<const dom::Node*> changed_;   // the nodes the changes named
    std::unordered_set<const dom::Node*> changedUp_; // and their ancestors
};

// Lays a document out into the layouter's model, for the model's viewport.
void BuildModel(const dom::NodeTree& tree, Layouter& layouter, PageLayout::Model& model);

} // namespace qx::html::layout
