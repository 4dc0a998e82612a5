// Paragraph formats: block formats, alignment, indenting and lists.
#include "edit_tree.h"
#include "session_state.h"

#include <algorithm>
#include <array>

namespace qx::html::editing {

namespace {

struct BlockFormatName {
    std::u16string_view name;
    std::u16string_view tag;
};

// The names the old control listed, in its order, with the element each makes.
constexpr std::array<BlockFormatName, 16> kBlockFormats{{{u"Normal", u"p"},
                                                         {u"Formatted", u"pre"},
                                                         {u"Heading 1", u"h1"},
                                                         {u"Heading 2", u"h2"},
                                                         {u"Heading 3", u"h3"},
                                                         {u"Heading 4", u"h4"},
                                                         {u"Heading 5", u"h5"},
                                                         {u"Heading 6", u"h6"},
                                                         {u"Address", u"address"},
                                                         {u"Numbered List", u"ol"},
                                                         {u"Bulleted List", u"ul"},
                                                         {u"Directory List", u"dir"},
                                                         {u"Menu List", u"menu"},
                                                         {u"Definition Term", u"dt"},
                                                         {u"Definition", u"dd"},
                                                         {u"Paragraph", u"p"}}};

bool IsList(const dom::Node* n) {
    return n && (n->Is(u"ol") || n->Is(u"ul") || n->Is(u"dir") || n->Is(u"menu"));
}

// The block format name of the line a node is on.
std::u16string FormatNameOf(dom::Node* node) {
    dom::Node* block = BlockOf(node);
    if (block && block->Is(u"li") && IsList(block->parent))
        block = block->parent;
    for (const BlockFormatName& f : kBlockFormats)
        if (block && block->name == f.tag)
            return std::u16string(f.name);
    return u"Normal";
}

std::u16string AlignOf(dom::Node* node) {
    dom::Node* block = BlockOf(node);
    const dom::Attribute* align = block ? block->FindAttribute(u"align") : nullptr;
    const std::u16string value = align ? dom::LowerAscii(align->value) : std::u16string();
    return value.empty() ? u"left" : value;
}

// Takes a node out of the element `outer` it is a child of: the element is split around it and
// the node's own part unwrapped.
void LiftOut(dom::NodeTree& tree, dom::Node* node) {
    dom::Node* outer = node->parent;
    SplitBefore(tree, outer, node->next, outer);
    SplitBefore(tree, node->parent, node, node->parent);
    Unwrap(tree, node->parent);
}

// A list item leaves its list as a P (a nested list's item goes to the list around it).
dom::Node* ListItemOut(dom::NodeTree& tree, dom::Node* item) {
    dom::Node* list = item->parent;
    const bool nested = IsList(list->parent);
    LiftOut(tree, item);
    return nested ? item : Rename(tree, item, u"p");
}

} // namespace

const std::vector<std::u16string>& EditingSession::BlockFormatNames() {
    static const std::vector<std::u16string> names = [] {
        std::vector<std::u16string> list;
        for (const BlockFormatName& f : kBlockFormats)
            list.emplace_back(f.name);
        return list;
    }();
    return names;
}

std::optional<std::u16string> EditingSession::BlockFormat() {
    return CommonValue(FormatNameOf);
}

HRESULT EditingSession::SetBlockFormat(std::u16string_view name) {
    const dom::NodeTree::KeepRemoved keep(dom_->tree);
    const std::u16string wanted = dom::LowerAscii(name);
    auto format = std::find_if(kBlockFormats.begin(), kBlockFormats.end(),
                               [&](const BlockFormatName& f) { return dom::LowerAscii(f.name) == wanted; });
    if (format == kBlockFormats.end())
        return E_INVALIDARG;
    if (text_.Type() == SelectionType::Control)
        return static_cast<HRESULT>(0x80040101);
    if (format->tag == u"ol" || format->tag == u"ul" || format->tag == u"dir" || format->tag == u"menu") {
        if (ListStatus(format->tag) == CommandStatus::Latched)
            return S_OK;
        return MakeList(format->tag);
    }
    BeginChange();
    const auto [from, to] = SelectionGaps(text_);
    dom::NodeTree& tree = dom_->tree;
    for (dom::Node* block : BlocksOf(text_, from, to)) {
        // A block an earlier step of this loop took out of the page (a list emptied by moving its
        // items out) is left alone.
        if (!block->parent)
            continue;
        if (block->Is(u"li") && IsList(block->parent))
            block = ListItemOut(tree, block);
        if (block->parent && block->name != format->tag)
            Rename(tree, block, format->tag);
    }
    SelectGaps(text_, from, to);
    Changed();
    return S_OK;
}

CommandStatus EditingSession::AlignStatus(std::u16string_view how) {
    if (text_.Type() == SelectionType::Control || !dom_->tree.Body())
        return CommandStatus::Disabled;
    const std::vector<dom::Node*> nodes = SelectedNodes();
    if (nodes.empty())
        return CommandStatus::Disabled;
    return std::all_of(nodes.begin(), nodes.end(), [&](dom::Node* n) { return AlignOf(n) == how; })
               ? CommandStatus::Latched
               : CommandStatus::Enabled;
}

HRESULT EditingSession::Align(std::u16string_view how) {
    BeginChange();
    const auto [from, to] = SelectionGaps(text_);
    for (dom::Node* block : BlocksOf(text_, from, to)) {
        if (how == u"left")
            block->RemoveAttribute(u"align");
        else
            block->SetAttribute(u"align", how);
    }
    SelectGaps(text_, from, to);
    Changed();
    return S_OK;
}

CommandStatus EditingSession::ListStatus(std::u16string_view tag) {
    if (text_.Type() == SelectionType::Control || !dom_->tree.Body())
        return CommandStatus::Disabled;
    const std::vector<dom::Node*> nodes = SelectedNodes();
    if (nodes.empty())
        return CommandStatus::Disabled;
    return std::all_of(nodes.begin(), nodes.end(),
                       [&](dom::Node* n) {
                           dom::Node* block = BlockOf(n);
                           return block && block->Is(u"li") && block->parent && block->parent->name == tag;
                       })
               ? CommandStatus::Latched
               : CommandStatus::Enabled;
}

HRESULT EditingSession::MakeList(std::u16string_view tag) {
    const bool on = ListStatus(tag) == CommandStatus::Latched;
    BeginChange();
    const auto [from, to] = SelectionGaps(text_);
    dom::NodeTree& tree = dom_->tree;
    const std::vector<dom::Node*> blocks = BlocksOf(text_, from, to);
    if (on) {
        for (dom::Node* block : blocks)
            if (block->Is(u"li") && block->parent && block->parent->name == tag)
                ListItemOut(tree, block);
    } else {
        std::vector<dom::Node*> loose;
        for (dom::Node* block : blocks) {
            // A list renamed for an item of it in an earlier round is out of the page (its content
            // went into the renamed one).
            if (!block->parent)
                continue;
            if (block->Is(u"li") && IsList(block->parent)) {
                if (block->parent->name != tag)
                    Rename(tree, block->parent, tag);
            } else {
                loose.push_back(block);
            }
        }
        for (const std::vector<dom::Node*>& run : SiblingRuns(loose)) {
            dom::Node* list = WrapSiblings(tree, run, tag);
            for (dom::Node* block : run)
                if (block->parent == list)
                    Rename(tree, block, u"li");
        }
    }
    SelectGaps(text_, from, to);
    Changed();
    return S_OK;
}

HRESULT EditingSession::IndentBlocks(bool in) {
    BeginChange();
    const auto [from, to] = SelectionGaps(text_);
    dom::NodeTree& tree = dom_->tree;
    const std::vector<dom::Node*> blocks = BlocksOf(text_, from, to);
    if (in) {
        // Paragraphs go into a BLOCKQUOTE; list items into a list of their own inside their list.
        for (const std::vector<dom::Node*>& run : SiblingRuns(blocks)) {
            dom::Node* parent = run.front()->parent;
            WrapSiblings(tree, run,
                         run.front()->Is(u"li") && IsList(parent) ? std::u16string_view(parent->name)
                                                                  : std::u16string_view(u"blockquote"));
        }
    } else {
        for (dom::Node* block : blocks) {
            if (block->Is(u"li") && IsList(block->parent)) {
                ListItemOut(tree, block);
                continue;
            }
            for (dom::Node* n = block; n && n->parent && !n->Is(u"td") && !n->Is(u"th") && !n->Is(u"body");
                 n = n->parent) {
                if (n->parent->Is(u"blockquote")) {
                    LiftOut(tree, n);
                    break;
                }
            }
        }
    }
    SelectGaps(text_, from, to);
    Changed();
    return S_OK;
}

} // namespace qx::html::editing
