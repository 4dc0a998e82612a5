// What the session puts into the page: the clipboard's content, links, images and tables; and
// what it puts on the clipboard.
#include "edit_tree.h"
#include "range_edits.h"
#include "session_state.h"
#include "tree_places.h"

#include "qx/html/dom/serializer.h"
#include "qx/html/editing/clipboard_html.h"

#include "winbase_global.h"
#include "winuser_clipboard.h"

#include <algorithm>
#include <cstring>

namespace qx::html::editing {

namespace {

// The HTML of an element made for the purpose, written by the serializer (so values are escaped
// as everywhere else).
std::u16string ElementHtml(dom::NodeTree& tree, std::u16string_view tag, std::u16string_view attribute,
                           std::u16string_view value, std::u16string_view text) {
    dom::Node* element = tree.CreateElement(tag);
    tree.Hold(element);
    if (!attribute.empty())
        element->SetAttribute(attribute, value);
    if (!text.empty())
        tree.Insert(element, tree.CreateText(text), nullptr);
    std::u16string html = dom::OuterHtml(element);
    tree.Release(element);
    return html;
}

// Attribute text as the caller wrote it, without what would end or open a tag.
std::u16string AttributeText(std::u16string_view text) {
    std::u16string out;
    for (char16_t c : text)
        if (c != u'<' && c != u'>')
            out.push_back(c);
    return out;
}

bool PutBlock(UINT format, const void* data, std::size_t size) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!block)
        return false;
    std::memcpy(GlobalLock(block), data, size);
    GlobalUnlock(block);
    if (!SetClipboardData(format, block)) {
        GlobalFree(block);
        return false;
    }
    return true;
}

std::string ReadBlock(HANDLE block) {
    const void* data = block ? GlobalLock(block) : nullptr;
    if (!data)
        return {};
    std::string bytes(static_cast<const char*>(data), GlobalSize(block));
    GlobalUnlock(block);
    return bytes;
}

// Whether HTML starts a block anywhere (a P, a table, a list, ...).
bool HoldsBlocks(std::u16string_view html) {
    static constexpr std::u16string_view kBlocks[] = {
        u"p",  u"div", u"h1", u"h2",  u"h3",    u"h4",         u"h5",      u"h6",     u"ul",   u"ol", u"li",
        u"dl", u"dt",  u"dd", u"pre", u"table", u"blockquote", u"address", u"center", u"form", u"hr"};
    for (std::size_t at = html.find(u'<'); at != std::u16string_view::npos; at = html.find(u'<', at + 1)) {
        std::u16string name;
        for (std::size_t i = at + 1; i < html.size() && name.size() < 12; ++i) {
            char16_t c = html[i];
            if (c >= u'A' && c <= u'Z')
                c = static_cast<char16_t>(c - u'A' + u'a');
            if (!((c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9')))
                break;
            name.push_back(c);
        }
        if (std::find(std::begin(kBlocks), std::end(kBlocks), name) != std::end(kBlocks))
            return true;
    }
    return false;
}

// The node just before a place between an element's children.
dom::Node* NodeBefore(const TextPoint& place) {
    if (!place.node || !place.node->IsElement() || place.offset == 0)
        return nullptr;
    dom::Node* child = place.node->firstChild;
    for (std::size_t i = 1; child && i < place.offset; ++i)
        child = child->next;
    return child;
}

// Closes the clipboard when the scope ends.
struct OpenedClipboard {
    bool opened = OpenClipboard(nullptr) != FALSE;
    ~OpenedClipboard() {
        if (opened)
            CloseClipboard();
    }
};

} // namespace

HRESULT EditingSession::Copy() {
    std::u16string html, plain;
    if (text_.Type() == SelectionType::Control) {
        for (dom::Node* element : text_.Controls())
            dom::AppendOuterHtml(element, html);
    } else {
        const auto [from, to] = SelectionGaps(text_);
        if (from == to)
            return static_cast<HRESULT>(0x80040101);
        LiveRange range(text_);
        range.start = text_.Stream().Right(from);
        range.end = text_.Stream().Left(to);
        html = RangeHtml(range);
        plain = text_.Stream().Text(from, to);
    }
    OpenedClipboard clipboard;
    if (!clipboard.opened || !EmptyClipboard())
        return E_ACCESSDENIED;
    plain.push_back(0);
    const std::string cfHtml = MakeClipboardHtml(html) + '\0';
    if (!PutBlock(CF_UNICODETEXT, plain.data(), plain.size() * sizeof(char16_t)) ||
        !PutBlock(RegisterClipboardFormatW(kHtmlClipboardFormat), cfHtml.data(), cfHtml.size()))
        return E_OUTOFMEMORY;
    return S_OK;
}

HRESULT EditingSession::Paste() {
    std::optional<std::u16string> html;
    std::u16string plain;
    {
        OpenedClipboard clipboard;
        if (!clipboard.opened)
            return E_ACCESSDENIED;
        if (HANDLE block = GetClipboardData(RegisterClipboardFormatW(kHtmlClipboardFormat)))
            html = ClipboardHtmlFragment(ReadBlock(block));
        if (!html) {
            const std::string bytes = ReadBlock(GetClipboardData(CF_UNICODETEXT));
            for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
                char16_t c = 0;
                std::memcpy(&c, bytes.data() + i, 2);
                if (c == 0)
                    break;
                plain.push_back(c);
            }
        }
    }
    if (!html && plain.empty())
        return S_OK;
    BeginChange();
    DeleteSelection();
    HRESULT hr = S_OK;
    if (html) {
        hr = PasteHtmlAtSelection(*html);
    } else {
        LiveRange range(text_);
        range.start = range.end = text_.Selected().start;
        hr = PutText(text_, range, plain);
        if (SUCCEEDED(hr))
            SetCaret(range.start);
    }
    Changed();
    return hr;
}

HRESULT EditingSession::PasteHtmlAtSelection(std::u16string_view html) {
    const dom::NodeTree::KeepRemoved keep(dom_->tree);
    TextPoint caret = text_.Selected().start;
    if (!caret.node ||
        (caret.node->IsElement() && (IsTableStructure(caret.node) || dom::IsVoidElement(caret.node->name)))) {
        const TextStream& stream = text_.Stream();
        caret = stream.Caret(caret.node ? stream.GapOf(caret) : stream.Size());
    }
    if (!caret.node)
        caret = {dom_->tree.Body(), dom_->tree.Body()->ChildCount()};
    // Blocks do not go inside a paragraph: it is split at the caret and they go between its halves
    // (a half left empty goes).
    dom::Node* block = BlockOf(caret.node);
    std::vector<dom::Node*> halves;
    if (block && !IsContainerBlock(block) && !IsTableStructure(block) && HoldsBlocks(html)) {
        if (block->firstChild && block->firstChild == block->lastChild &&
            block->firstChild->type == dom::NodeType::Text && block->firstChild->text == u"\u00a0") {
            // An empty line's placeholder goes with the line.
            dom_->tree.Remove(block->firstChild);
            caret = {block, 0};
        }
        const auto [parent, before] = BreakAt(text_, caret);
        dom::Node* const oldNext = block->next;
        dom::Node* after = SplitBefore(dom_->tree, parent, before, block);
        halves = {block};
        if (after != block && after != oldNext)
            halves.push_back(after);
        caret = {block->parent, IndexInParent(block) + (after == block ? 0 : 1)};
    }
    LiveRange range(text_);
    range.start = range.end = caret;
    const HRESULT hr = PasteHtml(text_, range, html);
    for (dom::Node* half : halves)
        if (half->parent && !half->firstChild)
            dom_->tree.Remove(half);
    if (SUCCEEDED(hr))
        SetCaret(range.start);
    return hr;
}

HRESULT EditingSession::CreateLink(std::u16string_view url) {
    const dom::NodeTree::KeepRemoved keep(dom_->tree);
    if (url.empty())
        return E_INVALIDARG;
    if (Status(EditCommand::Hyperlink) == CommandStatus::Disabled)
        return static_cast<HRESULT>(0x80040101);
    dom::NodeTree& tree = dom_->tree;
    BeginChange();
    if (text_.Type() == SelectionType::Control) {
        dom::Node* image = text_.Controls().front();
        if (image->parent && image->parent->Is(u"a"))
            image->parent->SetAttribute(u"href", url);
        else
            WrapSiblings(tree, {image}, u"a")->SetAttribute(u"href", url);
        Changed();
        return S_OK;
    }
    auto [from, to] = SelectionGaps(text_);
    if (from == to) {
        for (dom::Node* n = text_.Selected().start.node; n && !n->Is(u"body"); n = n->parent)
            if (n->Is(u"a")) {
                n->SetAttribute(u"href", url);
                Changed();
                return S_OK;
            }
        const HRESULT hr = PasteHtmlAtSelection(ElementHtml(tree, u"a", u"href", url, url));
        Changed();
        return hr;
    }
    RemoveInline([](const dom::Node* e) { return e->Is(u"a"); });
    for (const std::vector<dom::Node*>& run : CoveredRuns(IsolateLeaves(text_, from, to)))
        WrapSiblings(tree, run, u"a")->SetAttribute(u"href", url);
    SelectGaps(text_, from, to);
    Changed();
    return S_OK;
}

HRESULT EditingSession::InsertImage(std::u16string_view url) {
    const dom::NodeTree::KeepRemoved keep(dom_->tree);
    if (url.empty())
        return E_INVALIDARG;
    if (Status(EditCommand::Image) == CommandStatus::Disabled)
        return static_cast<HRESULT>(0x80040101);
    BeginChange();
    DeleteSelection();
    const HRESULT hr = PasteHtmlAtSelection(ElementHtml(dom_->tree, u"img", u"src", url, {}));
    if (SUCCEEDED(hr)) {
        // The new image is the node before the caret; it is selected as the old control did.
        dom::Node* image = NodeBefore(text_.Selected().start);
        if (image && image->Is(u"img"))
            text_.SelectControls({image});
    }
    Changed();
    return hr;
}

HRESULT EditingSession::InsertTable(const TableSpec& table) {
    const dom::NodeTree::KeepRemoved keep(dom_->tree);
    constexpr long kMostCells = 10000;
    if (table.rows < 1 || table.columns < 1 || table.rows > kMostCells || table.columns > kMostCells ||
        table.rows * table.columns > kMostCells)
        return E_INVALIDARG;
    if (Status(EditCommand::InsertTable) == CommandStatus::Disabled)
        return static_cast<HRESULT>(0x80040101);
    auto startTag = [](std::u16string_view tag, std::u16string_view attributes) {
        std::u16string out = u"<" + std::u16string(tag);
        if (const std::u16string text = AttributeText(attributes); !text.empty())
            out += u" " + text;
        return out + u">";
    };
    std::u16string html = startTag(u"TABLE", table.tableAttributes);
    if (!table.caption.empty())
        html += ElementHtml(dom_->tree, u"caption", {}, {}, table.caption);
    html += u"<TBODY>";
    const std::u16string cell = startTag(u"TD", table.cellAttributes) + u"</TD>";
    for (long r = 0; r < table.rows; ++r) {
        html += u"<TR>";
        for (long c = 0; c < table.columns; ++c)
            html += cell;
        html += u"</TR>";
    }
    html += u"</TBODY></TABLE>";
    BeginChange();
    DeleteSelection();
    const HRESULT hr = PasteHtmlAtSelection(html);
    if (SUCCEEDED(hr)) {
        // The caret goes into the first cell of the new table (the node before the caret).
        dom::Node* before = NodeBefore(text_.Selected().start);
        for (dom::Node* n = before; n && before && before->Is(u"table"); n = dom::NextInTree(n, before))
            if (n->Is(u"td")) {
                SetCaret({n, 0});
                break;
            }
    }
    Changed();
    return hr;
}

} // namespace qx::html::editing
