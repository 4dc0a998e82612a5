// Character formats: bold, italic, underline, fonts and colours on the selected text, their state,
// and taking formats off.
#include "edit_tree.h"
#include "session_state.h"

#include <algorithm>
#include <cwctype>

namespace qx::html::editing {

namespace {

bool IsHex(char16_t c) {
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f');
}

// "#rrggbb" in lower case for a hex colour with or without "#"; other names as they are, lower case.
std::u16string NormalColour(std::u16string_view colour) {
    std::u16string c = dom::LowerAscii(colour);
    const std::u16string_view digits = !c.empty() && c[0] == u'#' ? std::u16string_view(c).substr(1) : c;
    if (digits.size() == 6 && std::all_of(digits.begin(), digits.end(), IsHex))
        return u"#" + std::u16string(digits);
    return c;
}

// The value of a CSS property in a style attribute's text ("" when absent).
std::u16string StyleValue(const dom::Node* element, std::u16string_view property) {
    const dom::Attribute* style = element->FindAttribute(u"style");
    if (!style)
        return {};
    const std::u16string text = dom::LowerAscii(style->value);
    std::size_t at = 0;
    while ((at = text.find(property, at)) != std::u16string::npos) {
        const bool startsWord = at == 0 || text[at - 1] == u';' || text[at - 1] == u' ';
        std::size_t colon = at + property.size();
        while (colon < text.size() && text[colon] == u' ')
            ++colon;
        if (startsWord && colon < text.size() && text[colon] == u':') {
            std::size_t from = colon + 1, to = text.find(u';', from);
            if (to == std::u16string::npos)
                to = text.size();
            while (from < to && text[from] == u' ')
                ++from;
            while (to > from && text[to - 1] == u' ')
                --to;
            return text.substr(from, to - from);
        }
        at += property.size();
    }
    return {};
}

// The nearest FONT above a node with the attribute, its value; "" without one.
std::u16string FontAttribute(dom::Node* node, std::u16string_view attribute) {
    for (dom::Node* n = node; n; n = n->parent)
        if (n->Is(u"font"))
            if (const dom::Attribute* a = n->FindAttribute(attribute))
                return a->value;
    return {};
}

std::u16string ReadFace(dom::Node* node) {
    return FontAttribute(node, u"face");
}

std::u16string ReadSize(dom::Node* node) {
    return FontAttribute(node, u"size");
}

std::u16string ReadColour(dom::Node* node) {
    const std::u16string colour = FontAttribute(node, u"color");
    return colour.empty() ? u"#000000" : NormalColour(colour);
}

std::u16string ReadBackColour(dom::Node* node) {
    for (dom::Node* n = node; n && !n->Is(u"body"); n = n->parent)
        if (n->IsElement())
            if (std::u16string value = StyleValue(n, u"background-color"); !value.empty())
                return NormalColour(value);
    return {};
}

bool MatchesAny(const dom::Node* n, std::initializer_list<std::u16string_view> tags) {
    return n->IsElement() && std::find(tags.begin(), tags.end(), n->name) != tags.end();
}

bool HasAncestor(dom::Node* node, std::initializer_list<std::u16string_view> tags) {
    for (dom::Node* n = node; n && !n->Is(u"body"); n = n->parent)
        if (MatchesAny(n, tags))
            return true;
    return false;
}

// Whether two tags make the same format (B and STRONG are both bold).
bool SameFormat(std::u16string_view a, std::u16string_view b) {
    auto kind = [](std::u16string_view t) { return t == u"strong" ? u"b" : (t == u"em" ? u"i" : t); };
    return kind(a) == kind(b);
}

// Takes the attribute off the FONTs inside the nodes (a FONT left bare goes).
void ClearFontAttribute(dom::NodeTree& tree, const std::vector<dom::Node*>& nodes,
                        std::u16string_view attribute) {
    for (dom::Node* top : nodes) {
        std::vector<dom::Node*> bare;
        for (dom::Node* n = top; n; n = dom::NextInTree(n, top))
            if (n->Is(u"font") && n->RemoveAttribute(attribute) && n->attributes.empty())
                bare.push_back(n);
        for (dom::Node* n : bare)
            if (n != top)
                Unwrap(tree, n);
    }
}

} // namespace

std::vector<dom::Node*> EditingSession::SelectedNodes() {
    std::vector<dom::Node*> nodes;
    switch (text_.Type()) {
    case SelectionType::Control:
        return text_.Controls();
    case SelectionType::Text: {
        const auto [from, to] = SelectionGaps(text_);
        const TextStream& stream = text_.Stream();
        for (std::size_t i = from; i < to; ++i)
            if (dom::Node* n = stream.At(i).node; n && (nodes.empty() || nodes.back() != n))
                nodes.push_back(n);
        return nodes;
    }
    case SelectionType::None:
        if (dom::Node* n = text_.Selected().start.node)
            nodes.push_back(n);
        return nodes;
    }
    return nodes;
}

bool EditingSession::AllInside(std::initializer_list<std::u16string_view> tags) {
    const std::vector<dom::Node*> nodes = SelectedNodes();
    if (text_.Type() == SelectionType::None)
        for (const State::PendingFormat& p : state_->pending)
            if (p.attribute.empty() && std::find(tags.begin(), tags.end(), p.tag) != tags.end())
                return true;
    return !nodes.empty() &&
           std::all_of(nodes.begin(), nodes.end(), [&](dom::Node* n) { return HasAncestor(n, tags); });
}

bool EditingSession::AnyInside(std::initializer_list<std::u16string_view> tags) {
    const std::vector<dom::Node*> nodes = SelectedNodes();
    return std::any_of(nodes.begin(), nodes.end(), [&](dom::Node* n) { return HasAncestor(n, tags); });
}

std::optional<std::u16string> EditingSession::CommonValue(std::u16string (*read)(dom::Node* leaf)) {
    if (text_.Type() == SelectionType::Control)
        return std::nullopt;
    const std::vector<dom::Node*> nodes = SelectedNodes();
    if (nodes.empty())
        return std::nullopt;
    const std::u16string first = read(nodes.front());
    for (dom::Node* n : nodes)
        if (read(n) != first)
            return std::nullopt;
    return first;
}

std::optional<std::u16string> EditingSession::FontName() {
    return CommonValue(ReadFace);
}

std::optional<long> EditingSession::FontSize() {
    const std::optional<std::u16string> size = CommonValue(ReadSize);
    if (!size)
        return std::nullopt;
    long value = 3;
    if (!size->empty()) {
        const bool relative = (*size)[0] == u'+' || (*size)[0] == u'-';
        long number = 0;
        for (char16_t c : std::u16string_view(*size).substr(relative ? 1 : 0))
            if (c >= u'0' && c <= u'9')
                number = std::min(number * 10 + (c - u'0'), 100L);
        value = relative ? ((*size)[0] == u'+' ? 3 + number : 3 - number) : number;
    }
    return std::clamp(value, 1L, 7L);
}

std::optional<std::u16string> EditingSession::ForeColor() {
    return CommonValue(ReadColour);
}

std::optional<std::u16string> EditingSession::BackColor() {
    return CommonValue(ReadBackColour);
}

HRESULT EditingSession::ToggleInline(std::u16string_view tag) {
    const auto [from, to] = SelectionGaps(text_);
    if (from == to) {
        // A caret: the format waits for what is typed next.
        auto& pending = state_->pending;
        auto it = std::find_if(pending.begin(), pending.end(), [&](const State::PendingFormat& p) {
            return p.attribute.empty() && SameFormat(p.tag, tag);
        });
        if (it != pending.end())
            pending.erase(it);
        else
            pending.push_back({std::u16string(tag), {}, {}});
        state_->pendingGap = from;
        Changed();
        return S_OK;
    }
    const bool on = tag == u"strong" ? AllInside({u"b", u"strong"})
                    : tag == u"em"   ? AllInside({u"i", u"em"})
                                     : AllInside({u"u"});
    BeginChange();
    if (on) {
        if (tag == u"strong")
            RemoveInline([](const dom::Node* e) { return e->Is(u"b") || e->Is(u"strong"); });
        else if (tag == u"em")
            RemoveInline([](const dom::Node* e) { return e->Is(u"i") || e->Is(u"em"); });
        else
            RemoveInline([](const dom::Node* e) { return e->Is(u"u"); });
    } else {
        dom::NodeTree& tree = dom_->tree;
        for (const std::vector<dom::Node*>& run : CoveredRuns(IsolateLeaves(text_, from, to))) {
            WrapSiblings(tree, run, tag);
        }
        SelectGaps(text_, from, to);
    }
    Changed();
    return S_OK;
}

void EditingSession::RemoveInline(bool (*matches)(const dom::Node* element)) {
    const auto [from, to] = SelectionGaps(text_);
    if (from == to) {
        state_->pending.clear();
        return;
    }
    dom::NodeTree& tree = dom_->tree;
    const std::vector<dom::Node*> leaves = IsolateLeaves(text_, from, to);
    auto matchingAbove = [&](dom::Node* leaf) -> dom::Node* {
        for (dom::Node* a = leaf->parent; a && !IsBlockElement(a); a = a->parent)
            if (matches(a))
                return a;
        return nullptr;
    };
    // One element at a time: its part holding selected leaves is cut out and unwrapped; the
    // elements left are found again each round, since cutting clones elements.
    for (std::size_t guard = 0; guard < 100000; ++guard) {
        dom::Node* element = nullptr;
        for (dom::Node* leaf : leaves)
            if ((element = matchingAbove(leaf)) != nullptr)
                break;
        if (!element)
            break;
        dom::Node *first = nullptr, *last = nullptr;
        for (dom::Node* leaf : leaves)
            if (dom::IsInclusiveAncestor(element, leaf)) {
                first = first ? first : leaf;
                last = leaf;
            }
        dom::Node* parent = element->parent;
        SplitBefore(tree, last->parent, last->next, element);
        SplitBefore(tree, first->parent, first, element);
        if (dom::Node* piece = ChildBelow(parent, first); piece && matches(piece))
            Unwrap(tree, piece);
        else
            break;
    }
    SelectGaps(text_, from, to);
}

HRESULT EditingSession::ApplyFont(std::u16string_view attribute, std::u16string_view value) {
    const dom::NodeTree::KeepRemoved keep(dom_->tree);
    if (text_.Type() == SelectionType::Control)
        return static_cast<HRESULT>(0x80040101);
    const auto [from, to] = SelectionGaps(text_);
    if (from == to) {
        auto& pending = state_->pending;
        std::erase_if(pending, [&](const State::PendingFormat& p) { return p.attribute == attribute; });
        pending.push_back({u"font", std::u16string(attribute), std::u16string(value)});
        state_->pendingGap = from;
        Changed();
        return S_OK;
    }
    BeginChange();
    dom::NodeTree& tree = dom_->tree;
    for (const std::vector<dom::Node*>& run : CoveredRuns(IsolateLeaves(text_, from, to))) {
        ClearFontAttribute(tree, run, attribute);
        dom::Node* parent = run.front()->parent;
        dom::Node* font = nullptr;
        if (run.size() == 1 && run.front()->Is(u"font"))
            font = run.front();
        else if (parent->Is(u"font") && run.front() == parent->firstChild && run.back() == parent->lastChild)
            font = parent;
        else
            font = WrapSiblings(tree, run, u"font");
        font->SetAttribute(attribute, value);
    }
    SelectGaps(text_, from, to);
    Changed();
    return S_OK;
}

HRESULT EditingSession::SetFontName(std::u16string_view name) {
    if (name.empty())
        return E_INVALIDARG;
    return ApplyFont(u"face", name);
}

HRESULT EditingSession::SetFontSize(long size) {
    if (size < 1 || size > 7)
        return E_INVALIDARG;
    const std::u16string text(1, static_cast<char16_t>(u'0' + size));
    return ApplyFont(u"size", text);
}

HRESULT EditingSession::SetForeColor(std::u16string_view colour) {
    if (colour.empty())
        return E_INVALIDARG;
    return ApplyFont(u"color", NormalColour(colour));
}

HRESULT EditingSession::SetBackColor(std::u16string_view colour) {
    if (colour.empty())
        return E_INVALIDARG;
    std::u16string style = u"BACKGROUND-COLOR: ";
    for (char16_t c : NormalColour(colour))
        if (c != u';' && c != u'"')
            style.push_back(c);
    return ApplyFont(u"style", style);
}

} // namespace qx::html::editing
