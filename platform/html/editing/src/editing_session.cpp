// The editing session: its selection, undo and redo, and the command table behind Exec and Status.
#include "edit_tree.h"
#include "range_edits.h"
#include "session_state.h"
#include "tree_places.h"

#include "qx/html/dom/html_parser.h"
#include "qx/html/dom/serializer.h"
#include "qx/html/events/page_events.h"

#include "winuser_clipboard.h"

namespace qx::html::editing {

namespace {

constexpr HRESULT kCommandDisabled = static_cast<HRESULT>(0x80040101); // OLECMDERR_E_DISABLED

// BODY's elements in tree order (what a snapshot counts selected elements by).
std::vector<dom::Node*> ElementsOf(dom::Node* body) {
    std::vector<dom::Node*> elements;
    for (dom::Node* n = body ? dom::NextInTree(body, body) : nullptr; n; n = dom::NextInTree(n, body))
        if (n->IsElement())
            elements.push_back(n);
    return elements;
}

} // namespace

std::pair<std::size_t, std::size_t> SelectionGaps(DocumentText& text) {
    const TextStream& stream = text.Stream();
    std::size_t from = stream.GapOf(text.Selected().start), to = stream.GapOf(text.Selected().end);
    if (from > to)
        std::swap(from, to);
    return {from, to};
}

void SelectGaps(DocumentText& text, std::size_t from, std::size_t to) {
    const TextStream& stream = text.Stream();
    from = std::min(from, stream.Size());
    to = std::min(to, stream.Size());
    if (from >= to) {
        const TextPoint caret = stream.Caret(to);
        text.SelectText(caret, caret);
    } else {
        text.SelectText(stream.Right(from), stream.Left(to));
    }
}

EditingSession::EditingSession(const dom::DomPtr& document)
    : dom_(document), text_(AttachEditing(*document)), state_(std::make_unique<State>(text_)) {}

EditingSession::~EditingSession() = default;

void EditingSession::Changed() {
    if (displayChanged_)
        displayChanged_();
}

bool EditingSession::FireAt(dom::Node* node, std::u16string_view type) {
    // Without the page's events nothing can listen, and the session makes none of its own (they
    // would hold the document for good).
    const auto events = std::dynamic_pointer_cast<events::PageEvents>(dom_->events);
    if (!node || !events)
        return true;
    events::EventInit init;
    init.type = std::u16string(type);
    return events->Dispatch(node, init);
}

void EditingSession::SetCaret(const TextPoint& place) {
    SelectRange(place, place);
}

void EditingSession::SelectRange(const TextPoint& start, const TextPoint& end) {
    if (!start.node || !end.node)
        return;
    state_->typing = false;
    state_->pending.clear();
    if (ComparePoints(start, end) <= 0)
        text_.SelectText(start, end);
    else
        text_.SelectText(end, start);
    state_->anchor.start = state_->anchor.end = start;
    state_->focus.start = state_->focus.end = end;
    Changed();
}

void EditingSession::SelectElement(dom::Node* element) {
    if (!element || !IsControlElement(element) || !dom::IsInclusiveAncestor(dom_->tree.Body(), element))
        return;
    state_->typing = false;
    state_->pending.clear();
    text_.SelectControls({element});
    Changed();
}

// ---- undo and redo

namespace {

EditSnapshot TakeSnapshot(DocumentText& text) {
    EditSnapshot snapshot;
    dom::Node* body = text.Dom().tree.Body();
    if (!body)
        return snapshot;
    snapshot.html = dom::InnerHtml(body);
    if (text.Type() == SelectionType::Control) {
        const std::vector<dom::Node*> elements = ElementsOf(body);
        for (dom::Node* e : text.Controls()) {
            auto it = std::find(elements.begin(), elements.end(), e);
            if (it != elements.end())
                snapshot.controls.push_back(static_cast<std::size_t>(it - elements.begin()));
        }
    }
    std::tie(snapshot.from, snapshot.to) = SelectionGaps(text);
    return snapshot;
}

void RestoreSnapshot(DocumentText& text, const EditSnapshot& snapshot) {
    dom::NodeTree& tree = text.Dom().tree;
    dom::Node* body = tree.Body();
    if (!body)
        return;
    std::vector<dom::Node*> nodes;
    if (dom::ParseHtmlFragment(tree, snapshot.html, u"body", nodes) != dom::ParseError::None)
        return;
    text.Empty();
    tree.RemoveChildren(body);
    for (dom::Node* n : nodes)
        tree.Insert(body, n, nullptr);
    SelectGaps(text, snapshot.from, snapshot.to);
    if (!snapshot.controls.empty()) {
        const std::vector<dom::Node*> elements = ElementsOf(body);
        std::vector<dom::Node*> chosen;
        for (std::size_t i : snapshot.controls)
            if (i < elements.size())
                chosen.push_back(elements[i]);
        text.SelectControls(chosen);
    }
}

} // namespace

void EditingSession::BeginChange(bool typing) {
    if (typing && state_->typing)
        return;
    state_->typing = typing;
    state_->redo.clear();
    state_->undo.push_back(TakeSnapshot(text_));
    if (state_->undo.size() > kUndoDepth)
        state_->undo.erase(state_->undo.begin());
}

bool EditingSession::CanUndo() const {
    return !state_->undo.empty();
}

bool EditingSession::CanRedo() const {
    return !state_->redo.empty();
}

HRESULT EditingSession::UndoStep(bool redo) {
    auto& from = redo ? state_->redo : state_->undo;
    auto& to = redo ? state_->undo : state_->redo;
    if (from.empty())
        return kCommandDisabled;
    to.push_back(TakeSnapshot(text_));
    const EditSnapshot snapshot = std::move(from.back());
    from.pop_back();
    state_->typing = false;
    state_->pending.clear();
    RestoreSnapshot(text_, snapshot);
    Changed();
    return S_OK;
}

// ---- the command table

CommandStatus EditingSession::Status(EditCommand command) {
    const SelectionType type = text_.Type();
    const bool hasBody = dom_->tree.Body() != nullptr;
    const bool editable = hasBody && (type != SelectionType::None || text_.Selected().start.node);
    const CommandStatus onText = type == SelectionType::Control ? CommandStatus::Disabled
                                 : editable                     ? CommandStatus::Enabled
                                                                : CommandStatus::Disabled;
    auto latchedIf = [&](bool latched) {
        return onText == CommandStatus::Enabled && latched ? CommandStatus::Latched : onText;
    };
    auto ninchedUnless = [&](bool single) {
        return onText == CommandStatus::Enabled && !single ? CommandStatus::Ninched : onText;
    };
    switch (command) {
    case EditCommand::Bold:
        return latchedIf(AllInside({u"b", u"strong"}));
    case EditCommand::Italic:
        return latchedIf(AllInside({u"i", u"em"}));
    case EditCommand::Underline:
        return latchedIf(AllInside({u"u"}));
    case EditCommand::Copy:
    case EditCommand::Cut:
    case EditCommand::Delete:
        return type == SelectionType::None ? CommandStatus::Disabled : CommandStatus::Enabled;
    case EditCommand::Paste: {
        const bool available = IsClipboardFormatAvailable(CF_UNICODETEXT) ||
                               IsClipboardFormatAvailable(RegisterClipboardFormatW(kHtmlClipboardFormat));
        return editable && available ? CommandStatus::Enabled : CommandStatus::Disabled;
    }
    case EditCommand::SelectAll:
        return hasBody ? CommandStatus::Enabled : CommandStatus::Disabled;
    case EditCommand::RemoveFormat:
        return type == SelectionType::Text ? CommandStatus::Enabled : CommandStatus::Disabled;
    case EditCommand::FontName:
        return ninchedUnless(FontName().has_value());
    case EditCommand::FontSize:
        return ninchedUnless(FontSize().has_value());
    case EditCommand::ForeColor:
        return ninchedUnless(ForeColor().has_value());
    case EditCommand::BackColor:
        return ninchedUnless(BackColor().has_value());
    case EditCommand::BlockFormat:
        return ninchedUnless(BlockFormat().has_value());
    case EditCommand::JustifyLeft:
        return AlignStatus(u"left");
    case EditCommand::JustifyCenter:
        return AlignStatus(u"center");
    case EditCommand::JustifyRight:
        return AlignStatus(u"right");
    case EditCommand::Indent:
        return onText;
    case EditCommand::Outdent:
        return onText == CommandStatus::Enabled && AllInside({u"blockquote", u"ol", u"ul", u"dir", u"menu"})
                   ? CommandStatus::Enabled
                   : CommandStatus::Disabled;
    case EditCommand::OrderedList:
        return ListStatus(u"ol");
    case EditCommand::UnorderedList:
        return ListStatus(u"ul");
    case EditCommand::Hyperlink:
        return type == SelectionType::Control &&
                       !(text_.Controls().size() == 1 && text_.Controls()[0]->Is(u"img"))
                   ? CommandStatus::Disabled
                   : (editable ? CommandStatus::Enabled : CommandStatus::Disabled);
    case EditCommand::Unlink:
        return type != SelectionType::Control && editable && AnyInside({u"a"}) ? CommandStatus::Enabled
                                                                               : CommandStatus::Disabled;
    case EditCommand::Image:
    case EditCommand::InsertTable:
        return editable ? CommandStatus::Enabled : CommandStatus::Disabled;
    case EditCommand::Undo:
        return CanUndo() ? CommandStatus::Enabled : CommandStatus::Disabled;
    case EditCommand::Redo:
        return CanRedo() ? CommandStatus::Enabled : CommandStatus::Disabled;
    }
    return CommandStatus::NotSupported;
}

HRESULT EditingSession::Exec(EditCommand command) {
    // Every command that changes the tree keeps what its steps take out until it ends, since later
    // steps still hold pointers to nodes an earlier one may have removed.
    const dom::NodeTree::KeepRemoved keep(dom_->tree);
    const CommandStatus status = Status(command);
    if (status == CommandStatus::NotSupported)
        return E_NOTIMPL;
    switch (command) {
    case EditCommand::FontName:
    case EditCommand::FontSize:
    case EditCommand::ForeColor:
    case EditCommand::BackColor:
    case EditCommand::BlockFormat:
    case EditCommand::Hyperlink:
    case EditCommand::Image:
    case EditCommand::InsertTable:
        return E_INVALIDARG;
    default:
        break;
    }
    if (status == CommandStatus::Disabled)
        return kCommandDisabled;
    switch (command) {
    case EditCommand::Bold:
        return ToggleInline(u"strong");
    case EditCommand::Italic:
        return ToggleInline(u"em");
    case EditCommand::Underline:
        return ToggleInline(u"u");
    case EditCommand::Copy:
        return Copy();
    case EditCommand::Cut: {
        const HRESULT hr = Copy();
        if (FAILED(hr))
            return hr;
        DeleteSelection();
        Changed();
        return S_OK;
    }
    case EditCommand::Delete:
        DeleteSelection();
        Changed();
        return S_OK;
    case EditCommand::Paste:
        return Paste();
    case EditCommand::SelectAll:
        state_->typing = false;
        SelectGaps(text_, 0, text_.Stream().Size());
        if (text_.Stream().Size() == 0)
            text_.SelectText({dom_->tree.Body(), 0}, {dom_->tree.Body(), dom_->tree.Body()->ChildCount()});
        state_->anchor.start = state_->anchor.end = text_.Selected().start;
        state_->focus.start = state_->focus.end = text_.Selected().end;
        Changed();
        return S_OK;
    case EditCommand::RemoveFormat:
        BeginChange();
        RemoveInline([](const dom::Node* e) {
            static constexpr std::u16string_view kInline[] = {u"b",    u"strong", u"i",     u"em",     u"u",
                                                              u"font", u"span",   u"s",     u"strike", u"sub",
                                                              u"sup",  u"big",    u"small", u"tt"};
            return std::find(std::begin(kInline), std::end(kInline), e->name) != std::end(kInline);
        });
        Changed();
        return S_OK;
    case EditCommand::JustifyLeft:
        return Align(u"left");
    case EditCommand::JustifyCenter:
        return Align(u"center");
    case EditCommand::JustifyRight:
        return Align(u"right");
    case EditCommand::Indent:
        return IndentBlocks(true);
    case EditCommand::Outdent:
        return IndentBlocks(false);
    case EditCommand::OrderedList:
        return MakeList(u"ol");
    case EditCommand::UnorderedList:
        return MakeList(u"ul");
    case EditCommand::Unlink:
        BeginChange();
        RemoveInline([](const dom::Node* e) { return e->Is(u"a"); });
        Changed();
        return S_OK;
    case EditCommand::Undo:
        return UndoStep(false);
    case EditCommand::Redo:
        return UndoStep(true);
    default:
        return E_INVALIDARG;
    }
}

} // namespace qx::html::editing
