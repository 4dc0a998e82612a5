// The keys of design mode: typing, deleting, Enter, caret moves, and the window messages behind
// them and the mouse.
#include "edit_tree.h"
#include "range_edits.h"
#include "session_state.h"
#include "tree_places.h"

#include "winuser_input.h"
#include "winuser_message.h"
#include "winuser_window.h"

namespace qx::html::editing {

namespace {

constexpr char16_t kNbsp = u'\u00a0';

bool IsSpaceOrNbsp(char16_t c) {
    return c == u' ' || c == kNbsp || c == u'\t' || c == u'\r' || c == u'\n';
}

dom::Node* ChildAt(dom::Node* element, std::size_t index) {
    dom::Node* child = element->firstChild;
    for (std::size_t i = 0; child && i < index; ++i)
        child = child->next;
    return child;
}

// A caret between the rows of a table (or anywhere text cannot go) goes to its gap's caret place.
TextPoint TypablePlace(DocumentText& text, TextPoint place) {
    if (place.node && place.node->IsElement() &&
        (IsTableStructure(place.node) || dom::IsVoidElement(place.node->name) ||
         IsControlElement(place.node) || place.node->Is(u"ul") || place.node->Is(u"ol"))) {
        const TextStream& stream = text.Stream();
        place = stream.Caret(stream.GapOf(place));
    }
    return place;
}

// Takes out a text node left empty and the inline elements it leaves empty.
void DropEmpty(dom::NodeTree& tree, dom::Node* node) {
    while (node && node->parent && !IsBlockElement(node) && !node->firstChild &&
           (node->type == dom::NodeType::Text ? node->text.empty()
                                              : !IsControlElement(node) && !node->Is(u"br"))) {
        dom::Node* parent = node->parent;
        tree.Remove(node);
        node = parent;
    }
}

// The length of the stream unit at `offset` of a text node (a collapsed run of spaces is one unit).
std::size_t CharUnitLength(const dom::Node* text, std::size_t offset) {
    const std::u16string& s = text->text;
    if (offset >= s.size())
        return 0;
    auto space = [](char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\f'; };
    if (!space(s[offset]))
        return 1;
    std::size_t end = offset;
    while (end < s.size() && space(s[end]))
        ++end;
    return end - offset;
}

dom::Node* CellOf(dom::Node* node) {
    for (dom::Node* n = node; n; n = n->parent)
        if (n->Is(u"td") || n->Is(u"th") || n->Is(u"caption") || n->Is(u"body"))
            return n;
    return nullptr;
}

bool HasText(const dom::Node* block) {
    for (const dom::Node* n = block->firstChild; n; n = dom::NextInTree(n, block))
        if ((n->type == dom::NodeType::Text && !n->text.empty()) ||
            (n->IsElement() && (IsControlElement(n) || n->Is(u"br"))))
            return true;
    return false;
}

// Joins the lines on both sides of the block break that is unit `index`: the line after it goes to
// the end of the line before it. Breaks between cells, or at a table, stay.
bool JoinAtBreak(DocumentText& text, std::size_t index) {
    const TextStream& stream = text.Stream();
    if (index == 0 || index + 1 >= stream.Size())
        return false;
    dom::Node* leftNode = stream.At(index - 1).node;
    dom::Node* rightNode = stream.At(index + 1).node;
    if (!leftNode || !rightNode || CellOf(leftNode) != CellOf(rightNode))
        return false;
    dom::Node* leftBlock = BlockOf(leftNode);
    dom::Node* rightBlock = BlockOf(rightNode);
    if (!leftBlock || !rightBlock || leftBlock == rightBlock || IsTableStructure(leftBlock) ||
        IsTableStructure(rightBlock) || leftBlock->Is(u"hr") || rightBlock->Is(u"hr"))
        return false;
    dom::NodeTree& tree = text.Dom().tree;
    // What moves: the right block's content, or the inline line of a container.
    std::vector<dom::Node*> moving;
    if (IsContainerBlock(rightBlock) || dom::IsInclusiveAncestor(rightBlock, leftBlock)) {
        for (dom::Node* n = ChildBelow(rightBlock, rightNode); n && !IsBlockElement(n); n = n->next)
            moving.push_back(n);
    } else {
        for (dom::Node* n = rightBlock->firstChild; n; n = n->next)
            moving.push_back(n);
    }
    // Where it goes: the end of the left block, or after the left line of a container.
    dom::Node* parent = leftBlock;
    dom::Node* before = nullptr;
    if (IsContainerBlock(leftBlock) || dom::IsInclusiveAncestor(leftBlock, rightBlock)) {
        dom::Node* last = ChildBelow(leftBlock, leftNode);
        while (last->next && !IsBlockElement(last->next))
            last = last->next;
        before = last->next;
    }
    dom::Node* emptied = moving.empty() ? nullptr : moving.front()->parent;
    for (dom::Node* n : moving)
        tree.Insert(parent, n, before);
    // A block left empty goes, and the lists or quotes it leaves empty with it.
    while (emptied && !emptied->firstChild && !IsContainerBlock(emptied) && emptied->parent) {
        dom::Node* up = emptied->parent;
        tree.Remove(emptied);
        emptied = up;
    }
    return true;
}

// After a deletion across lines: what is left of the last line joins the first, as if the break
// between them had gone too; a line left empty keeps an NBSP so that it still shows.
void JoinCutBlocks(dom::NodeTree& tree, dom::Node* first, dom::Node* last) {
    dom::Node* body = tree.Body();
    auto usable = [&](dom::Node* b) {
        return b && dom::IsInclusiveAncestor(body, b) && !IsContainerBlock(b) && !IsTableStructure(b);
    };
    if (usable(first) && usable(last) && first != last && CellOf(first) == CellOf(last) &&
        !dom::IsInclusiveAncestor(first, last) && !dom::IsInclusiveAncestor(last, first)) {
        while (dom::Node* child = last->firstChild)
            tree.Insert(first, child, nullptr);
        dom::Node* emptied = last;
        while (emptied && !emptied->firstChild && !IsContainerBlock(emptied) && emptied->parent) {
            dom::Node* up = emptied->parent;
            tree.Remove(emptied);
            emptied = up;
        }
    }
    if (usable(first) && !HasText(first)) {
        tree.RemoveChildren(first);
        tree.Insert(first, tree.CreateText(u"\u00a0"), nullptr);
    }
}

} // namespace

bool EditingSession::DeleteSelection() {
    switch (text_.Type()) {
    case SelectionType::Control: {
        const std::vector<dom::Node*> chosen = text_.Controls();
        for (dom::Node* element : chosen)
            if (element->parent)
                dom_->tree.Remove(element);
        const TextPoint caret = text_.Selected().start;
        text_.SelectText(caret, caret);
        return true;
    }
    case SelectionType::Text: {
        LiveRange range(text_);
        range = text_.Selected();
        dom::Node* startBlock = range.start.node ? BlockOf(range.start.node) : nullptr;
        dom::Node* endBlock = range.end.node ? BlockOf(range.end.node) : nullptr;
        DeleteContents(text_, range);
        JoinCutBlocks(dom_->tree, startBlock, endBlock);
        text_.SelectText(range.start, range.start);
        return true;
    }
    case SelectionType::None:
        return false;
    }
    return false;
}

void EditingSession::InsertTextAtCaret(std::u16string_view typed) {
    if (typed.empty() || !dom_->tree.Body())
        return;
    dom::NodeTree& tree = dom_->tree;
    TextPoint caret = TypablePlace(text_, text_.Selected().start);
    if (!caret.node)
        caret = {dom_->tree.Body(), dom_->tree.Body()->ChildCount()};
    const std::size_t gap = text_.Stream().GapOf(caret);
    // The text node the characters go into, and where.
    dom::Node* target = nullptr;
    std::size_t offset = 0;
    if (caret.node->type == dom::NodeType::Text) {
        target = caret.node;
        offset = std::min(caret.offset, target->text.size());
    } else {
        dom::Node* after = ChildAt(caret.node, caret.offset);
        dom::Node* before = after ? after->previous : caret.node->lastChild;
        if (before && before->type == dom::NodeType::Text) {
            target = before;
            offset = before->text.size();
        } else if (after && after->type == dom::NodeType::Text) {
            target = after;
        } else {
            target = tree.CreateText(u"");
            tree.Insert(caret.node, target, after);
        }
    }
    // An empty line's placeholder (a lone NBSP) gives way to what is typed.
    if (target->text == u"\u00a0" && target->parent && !target->previous && !target->next &&
        IsBlockElement(target->parent)) {
        text_.ReplaceText(target, 0, 1, u"");
        offset = 0;
    }
    // Formats waiting at this caret wrap the new text.
    if (!state_->pending.empty() && state_->pendingGap == gap) {
        const auto [parent, before] = BreakAt(text_, {target, offset});
        dom::Node* outer = nullptr;
        dom::Node* inner = nullptr;
        for (const State::PendingFormat& format : state_->pending) {
            dom::Node* element = tree.CreateElement(format.tag);
            if (!format.attribute.empty())
                element->SetAttribute(format.attribute, format.value);
            if (inner)
                tree.Insert(inner, element, nullptr);
            else
                outer = element;
            inner = element;
        }
        target = tree.CreateText(u"");
        tree.Insert(inner, target, nullptr);
        tree.Insert(parent, outer, before);
        offset = 0;
    }
    state_->pending.clear();
    // Spaces that the page would collapse are typed as NBSP; an NBSP typed at a line's end turns
    // back into a space once something follows it.
    std::u16string text(typed);
    char16_t previous = offset > 0 ? target->text[offset - 1] : (target->previous ? u'x' : u' ');
    if (previous == kNbsp && offset >= 2 && !IsSpaceOrNbsp(target->text[offset - 2]) && text[0] != u' ') {
        text_.ReplaceText(target, offset - 1, 1, u" ");
    }
    for (char16_t& c : text) {
        if (c == u' ' && IsSpaceOrNbsp(previous))
            c = kNbsp;
        previous = c;
    }
    if (text.back() == u' ' && offset >= target->text.size() && !target->next)
        text.back() = kNbsp;
    text_.ReplaceText(target, offset, 0, text);
    const TextPoint after{target, offset + text.size()};
    text_.SelectText(after, after);
    state_->anchor.start = state_->anchor.end = after;
    state_->focus.start = state_->focus.end = after;
}

void EditingSession::TypeText(std::u16string_view typed) {
    const dom::NodeTree::KeepRemoved keep(dom_->tree);
    if (typed.empty() || !dom_->tree.Body())
        return;
    BeginChange(text_.Type() == SelectionType::None);
    DeleteSelection();
    InsertTextAtCaret(typed);
    state_->typing = true;
    Changed();
}

void EditingSession::Backspace() {
    DeleteUnit(true);
}

void EditingSession::DeleteForward() {
    DeleteUnit(false);
}

void EditingSession::DeleteUnit(bool backward) {
    const dom::NodeTree::KeepRemoved keep(dom_->tree);
    if (!dom_->tree.Body())
        return;
    if (text_.Type() != SelectionType::None) {
        BeginChange();
        DeleteSelection();
        Changed();
        return;
    }
    const TextPoint caret = TypablePlace(text_, text_.Selected().start);
    const TextStream& stream = text_.Stream();
    const std::size_t gap = stream.GapOf(caret);
    if (backward ? gap == 0 : gap >= stream.Size())
        return;
    const std::size_t index = backward ? gap - 1 : gap; // the unit that goes
    const Unit unit = stream.At(index);
    dom::Node* block = caret.node ? BlockOf(caret.node) : nullptr;
    BeginChange();
    if (block && !IsContainerBlock(block) && !IsTableStructure(block) && !HasText(block) &&
        CellOf(block) == CellOf(unit.node)) {
        // An empty line goes instead.
        dom_->tree.Remove(block);
        SelectGaps(text_, gap, gap);
    } else {
        if (unit.kind == UnitKind::BlockBreak) {
            JoinAtBreak(text_, index);
        } else if (unit.node->type == dom::NodeType::Text) {
            text_.ReplaceText(unit.node, unit.offset, CharUnitLength(unit.node, unit.offset), u"");
            DropEmpty(dom_->tree, unit.node);
        } else {
            dom_->tree.Remove(unit.node);
        }
        SelectGaps(text_, index, index);
    }
    Changed();
}

void EditingSession::Enter(bool lineBreak) {
    const dom::NodeTree::KeepRemoved keep(dom_->tree);
    dom::Node* body = dom_->tree.Body();
    if (!body)
        return;
    BeginChange();
    DeleteSelection();
    state_->pending.clear();
    dom::NodeTree& tree = dom_->tree;
    TextPoint caret = TypablePlace(text_, text_.Selected().start);
    if (!caret.node)
        caret = {body, body->ChildCount()};
    // The parent and the child the break goes before (a text node is split).
    auto [parent, before] = BreakAt(text_, caret);
    if (lineBreak || parent->Is(u"pre")) {
        dom::Node* br = tree.CreateElement(u"br");
        tree.Insert(parent, br, before);
        const TextPoint after{parent, IndexInParent(br) + 1};
        SetCaret(after);
        Changed();
        return;
    }
    dom::Node* block = BlockOf(parent);
    if (!block || IsTableStructure(block))
        return;
    if (IsContainerBlock(block)) {
        // A line directly in BODY or a cell becomes a P first.
        dom::Node* lineNode = before ? before : (parent == block ? block->lastChild : parent);
        if (parent == block && before && IsBlockElement(before))
            lineNode = before->previous;
        if (!lineNode || IsBlockElement(lineNode)) {
            // A block inside an inline element (a table in a FONT): the inline element is split
            // before it, so that the text before the caret is a line of its own.
            dom::Node* top = before && before->parent != block ? ChildBelow(block, before) : nullptr;
            dom::Node* rest = top ? SplitBefore(tree, parent, before, top) : before;
            if (top && rest != top) {
                // That line becomes a P and the new line follows it.
                std::vector<dom::Node*> line;
                for (dom::Node* n = rest->previous; n && !IsBlockElement(n); n = n->previous)
                    line.insert(line.begin(), n);
                parent = WrapSiblings(tree, line, u"p");
            } else {
                // The new P goes among the block's own children, before the one holding the caret.
                parent = tree.CreateElement(u"p");
                tree.Insert(block, parent, rest);
            }
            before = nullptr;
        } else {
            dom::Node* p = WrapLine(tree, ChildBelow(block, lineNode));
            if (parent == block)
                parent = p;
        }
        block = parent == block ? nullptr : BlockOf(parent);
        if (!block)
            return;
    }
    dom::Node* const oldNext = block->next;
    dom::Node* split = SplitBefore(tree, parent, before, block);
    dom::Node* fresh = nullptr;
    dom::Node* caretBlock = nullptr;
    const bool heading =
        block->name.size() == 2 && block->name[0] == u'h' && block->name[1] >= u'1' && block->name[1] <= u'6';
    if (split == block) {
        // At the start: an empty line above, the caret stays.
        fresh = tree.Clone(block, false);
        tree.Insert(block->parent, fresh, block);
        caretBlock = block;
    } else if (split == oldNext) {
        // At the end: a new line after (a heading is followed by a paragraph).
        fresh = tree.CreateElement(heading ? std::u16string_view(u"p") : std::u16string_view(block->name));
        if (!heading)
            fresh->attributes = block->attributes;
        tree.Insert(block->parent, fresh, block->next);
        caretBlock = fresh;
    } else {
        caretBlock = split;
    }
    for (dom::Node* b : {block, caretBlock, fresh})
        if (b && !HasText(b) && !b->firstChild)
            tree.Insert(b, tree.CreateText(u"\u00a0"), nullptr);
    dom::Node* first = caretBlock;
    while (first->firstChild && !(first->firstChild->IsElement() && IsControlElement(first->firstChild)))
        first = first->firstChild;
    SetCaret(first->type == dom::NodeType::Text ? TextPoint{first, 0} : TextPoint{caretBlock, 0});
    Changed();
}

void EditingSession::MoveCaret(Motion motion, bool extend) {
    state_->typing = false;
    state_->pending.clear();
    const TextStream& stream = text_.Stream();
    if (text_.Type() == SelectionType::Control) {
        dom::Node* element = text_.Controls().front();
        const std::size_t at = stream.GapOf({element->parent, IndexInParent(element)});
        const bool back = motion == Motion::Left || motion == Motion::Up || motion == Motion::Home;
        const std::size_t gap = back ? at : std::min(at + 1, stream.Size());
        SelectGaps(text_, gap, gap);
        SetCaret(text_.Selected().start);
        return;
    }
    auto [from, to] = SelectionGaps(text_);
    std::size_t anchor = stream.GapOf(state_->anchor.start), focus = stream.GapOf(state_->focus.start);
    if (std::min(anchor, focus) != from || std::max(anchor, focus) != to) {
        anchor = from;
        focus = to;
    }
    const bool back = motion == Motion::Left || motion == Motion::Up;
    if (!extend && from != to && (motion == Motion::Left || motion == Motion::Right)) {
        const std::size_t gap = back ? from : to;
        SelectGaps(text_, gap, gap);
        SetCaret(text_.Selected().start);
        return;
    }
    auto lineStart = [&](std::size_t g) {
        while (g > 0 && !stream.IsBreak(g - 1))
            --g;
        return g;
    };
    auto lineEnd = [&](std::size_t g) {
        while (g < stream.Size() && !stream.IsBreak(g))
            ++g;
        return g;
    };
    std::size_t gap = focus;
    const std::size_t column = focus - lineStart(focus);
    switch (motion) {
    case Motion::Left:
        gap = focus > 0 ? focus - 1 : 0;
        break;
    case Motion::Right:
        gap = std::min(focus + 1, stream.Size());
        break;
    case Motion::Home:
        gap = lineStart(focus);
        break;
    case Motion::End:
        gap = lineEnd(focus);
        break;
    case Motion::Up:
        if (const std::size_t start = lineStart(focus); start == 0) {
            gap = 0;
        } else {
            const std::size_t above = lineStart(start - 1);
            gap = above + std::min(column, start - 1 - above);
        }
        break;
    case Motion::Down:
        if (const std::size_t end = lineEnd(focus); end >= stream.Size()) {
            gap = stream.Size();
        } else {
            const std::size_t below = end + 1;
            gap = below + std::min(column, lineEnd(below) - below);
        }
        break;
    }
    if (!extend) {
        SelectGaps(text_, gap, gap);
        SetCaret(text_.Selected().start);
        return;
    }
    const TextPoint anchorPlace = anchor <= gap ? stream.Right(anchor) : stream.Left(anchor);
    const TextPoint focusPlace = anchor <= gap ? stream.Left(gap) : stream.Right(gap);
    SelectRange(anchorPlace, focusPlace);
}

bool EditingSession::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    const dom::NodeTree::KeepRemoved keep(dom_->tree);
    const LONG x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
    switch (message) {
    case WM_LBUTTONDOWN:
        MouseDown(x, y, (wParam & MK_SHIFT) != 0, (wParam & MK_CONTROL) != 0);
        return true;
    case WM_LBUTTONDBLCLK:
        SelectWordAt(x, y);
        return true;
    case WM_MOUSEMOVE:
        if (!(wParam & MK_LBUTTON) || !state_->pressed)
            return false;
        MouseMove(x, y);
        return true;
    case WM_LBUTTONUP:
        MouseUp(x, y);
        return true;
    case WM_CHAR: {
        const auto c = static_cast<char16_t>(wParam);
        if ((c < 0x20 && c != u'\t') || c == 0x7f)
            return c == u'\r' || c == u'\b'; // Enter and Backspace came as keys
        TypeText(std::u16string_view(&c, 1));
        return true;
    }
    case WM_KEYDOWN: {
        const bool shift = GetKeyState(VK_SHIFT) < 0, ctrl = GetKeyState(VK_CONTROL) < 0;
        if (ctrl) {
            static constexpr std::pair<WPARAM, EditCommand> kShortcuts[] = {
                {'A', EditCommand::SelectAll}, {'C', EditCommand::Copy}, {'X', EditCommand::Cut},
                {'V', EditCommand::Paste},     {'Z', EditCommand::Undo}, {'Y', EditCommand::Redo}};
            for (const auto& [key, command] : kShortcuts)
                if (wParam == key) {
                    Exec(command);
                    return true;
                }
        }
        switch (wParam) {
        case VK_BACK:
            Backspace();
            return true;
        case VK_DELETE:
            DeleteForward();
            return true;
        case VK_RETURN:
            Enter(shift);
            return true;
        case VK_LEFT:
            MoveCaret(Motion::Left, shift);
            return true;
        case VK_RIGHT:
            MoveCaret(Motion::Right, shift);
            return true;
        case VK_UP:
            MoveCaret(Motion::Up, shift);
            return true;
        case VK_DOWN:
            MoveCaret(Motion::Down, shift);
            return true;
        case VK_HOME:
            MoveCaret(Motion::Home, shift);
            return true;
        case VK_END:
            MoveCaret(Motion::End, shift);
            return true;
        default:
            return false;
        }
    }
    default:
        return false;
    }
}

} // namespace qx::html::editing
