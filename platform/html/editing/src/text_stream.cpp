// The text stream: one walk over BODY in tree order numbers every node (opening and closing) and
// lays out the units text ranges count, the way the page shows its text.
#include "qx/html/editing/text_stream.h"

#include "tree_places.h"

#include <algorithm>
#include <limits>

namespace qx::html::editing {

namespace {

bool IsOneOf(std::u16string_view tag, std::initializer_list<std::u16string_view> tags) {
    return std::find(tags.begin(), tags.end(), tag) != tags.end();
}

// Elements whose boundaries break the text into lines of their own.
bool IsBlock(std::u16string_view tag) {
    return IsOneOf(tag, {u"address", u"blockquote", u"caption",   u"center", u"dd",    u"dir",     u"div",
                         u"dl",      u"dt",         u"fieldset",  u"form",   u"h1",    u"h2",      u"h3",
                         u"h4",      u"h5",         u"h6",        u"hr",     u"li",    u"listing", u"menu",
                         u"ol",      u"p",          u"plaintext", u"pre",    u"table", u"tbody",   u"td",
                         u"tfoot",   u"th",         u"thead",     u"tr",     u"ul",    u"xmp"});
}

// Elements that stand in the text as one unit, their content not being text of the page.
bool IsObject(const dom::Node* element) {
    if (element->Is(u"input"))
        return !dom::EqualsNoCase(element->AttributeValue(u"type"), u"hidden");
    return IsOneOf(element->name,
                   {u"applet", u"button", u"embed", u"iframe", u"img", u"object", u"select", u"textarea"});
}

// Content that is no text of the page at all.
bool IsSkipped(const dom::Node* node) {
    if (node->type == dom::NodeType::Comment)
        return true;
    return node->IsElement() && IsOneOf(node->name, {u"head", u"noscript", u"script", u"style", u"title",
                                                     u"xml", u"noframes", u"template"});
}

bool KeepsWhiteSpace(std::u16string_view tag) {
    return IsOneOf(tag, {u"pre", u"listing", u"xmp", u"plaintext"});
}

bool IsCollapsible(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

const dom::Node* ChildAt(const dom::Node* parent, std::size_t index) {
    const dom::Node* c = parent->firstChild;
    for (; c && index; --index)
        c = c->next;
    return c;
}

} // namespace

struct TextStream::Builder {
    explicit Builder(TextStream& s) : stream(s) {}
    TextStream& stream;
    std::uint64_t sequence = 0;
    int keepWhiteSpace = 0;
    bool hasContent = false; // a unit has been laid out
    bool atLineStart = true; // nothing but breaks since the last line began
    bool breakPending = false;
    Key breakKey;
    bool spacePending = false; // collapsed white space waiting for the next unit
    Unit space;
    Key spaceKey;

    void Emit(const Unit& unit, Key key) {
        stream.units_.push_back(unit);
        stream.keys_.push_back(key);
    }
    // What comes before a unit of content: the block break or the collapsed space waiting.
    void BeforeContent() {
        if (breakPending && hasContent)
            Emit(Unit{nullptr, 0, UnitKind::BlockBreak, 0}, breakKey);
        else if (spacePending && !breakPending)
            Emit(space, spaceKey);
        breakPending = false;
        spacePending = false;
        hasContent = true;
    }
    void BlockEdge(Key key) {
        if (!breakPending) {
            breakPending = true;
            breakKey = key;
        }
        spacePending = false;
        atLineStart = true;
    }
    void Text(const dom::Node* node, std::uint64_t open) {
        const std::u16string& text = node->text;
        dom::Node* mutableNode = const_cast<dom::Node*>(node);
        for (std::size_t i = 0; i < text.size(); ++i) {
            const char16_t c = text[i];
            const Key key{open, 2 * i + 2};
            const auto offset = static_cast<std::uint32_t>(i);
            if (keepWhiteSpace) {
                if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                    continue;
                BeforeContent();
                if (c == u'\n' || c == u'\r') {
                    Emit(Unit{mutableNode, offset, UnitKind::LineBreak, 0}, key);
                    atLineStart = true;
                } else {
                    Emit(Unit{mutableNode, offset, UnitKind::Char, c == 0xA0 ? u' ' : c}, key);
                    atLineStart = false;
                }
            } else if (IsCollapsible(c)) {
                if (!atLineStart && !spacePending && !breakPending) {
                    spacePending = true;
                    space = Unit{mutableNode, offset, UnitKind::Char, u' '};
                    spaceKey = key;
                }
            } else {
                BeforeContent();
                Emit(Unit{mutableNode, offset, UnitKind::Char, c == 0xA0 ? u' ' : c}, key);
                atLineStart = false;
            }
        }
    }
    void Element(dom::Node* element, UnitKind kind, std::uint64_t open) {
        spacePending = spacePending && kind == UnitKind::Object; // white space before a BR is dropped
        BeforeContent();
        Emit(Unit{element, 0, kind, 0}, Key{open, 1});
        atLineStart = kind == UnitKind::LineBreak;
    }
};

void TextStream::Build(dom::Node* scope) {
    scope_ = scope;
    units_.clear();
    keys_.clear();
    numbers_.clear();
    if (!scope)
        return;
    Builder b(*this);
    numbers_[scope].first = b.sequence++;
    // Tree order without recursion: enter a node, its children, then leave it.
    auto enter = [&](dom::Node* n) {
        const std::uint64_t open = b.sequence++;
        numbers_[n].first = open;
        if (IsSkipped(n))
            return false;
        if (n->type == dom::NodeType::Text) {
            b.Text(n, open);
            return false;
        }
        if (!n->IsElement())
            return false;
        if (n->name == u"br") {
            b.Element(n, UnitKind::LineBreak, open);
            return false;
        }
        if (IsObject(n)) {
            b.Element(n, UnitKind::Object, open);
            return false;
        }
        if (IsBlock(n->name))
            b.BlockEdge(Key{open, 1});
        if (KeepsWhiteSpace(n->name))
            ++b.keepWhiteSpace;
        return true;
    };
    auto leave = [&](dom::Node* n) {
        const std::uint64_t close = b.sequence++;
        numbers_[n].second = close;
        if (n->IsElement() && !IsSkipped(n) && !IsObject(n)) {
            if (IsBlock(n->name))
                b.BlockEdge(Key{close, 1});
            if (KeepsWhiteSpace(n->name))
                --b.keepWhiteSpace;
        }
    };
    dom::Node* n = scope->firstChild;
    while (n) {
        if (enter(n) && n->firstChild) {
            n = n->firstChild;
            continue;
        }
        leave(n);
        while (!n->next && n->parent != scope) {
            n = n->parent;
            leave(n);
        }
        n = n->next;
    }
    numbers_[scope].second = b.sequence++;
}

TextStream::Key TextStream::KeyOf(const TextPoint& point) const {
    const dom::Node* node = point.node;
    if (!node || !scope_)
        return {};
    auto found = numbers_.find(node);
    if (found != numbers_.end()) {
        if (node->type == dom::NodeType::Text)
            return {found->second.first, 2 * std::min(point.offset, node->text.size()) + 1};
        if (const dom::Node* child = ChildAt(node, point.offset)) {
            auto c = numbers_.find(child);
            // Children of objects and of skipped elements have no numbers: the place is the element's.
            return c != numbers_.end() ? Key{c->second.first, 0} : Key{found->second.first, 1};
        }
        return {found->second.second, 0};
    }
    // Inside an object or skipped content: where that element stands.
    for (const dom::Node* a = node->parent; a; a = a->parent) {
        auto ancestor = numbers_.find(a);
        if (ancestor != numbers_.end())
            return {ancestor->second.first, 1};
    }
    // Outside the scope: before it or after it.
    if (dom::IsInclusiveAncestor(node, scope_)) {
        const dom::Node* child = scope_;
        while (child->parent != node)
            child = child->parent;
        if (point.offset > IndexInParent(child))
            return {std::numeric_limits<std::uint64_t>::max(), 0};
    }
    return {};
}

std::size_t TextStream::GapOf(const TextPoint& point) const {
    return static_cast<std::size_t>(std::lower_bound(keys_.begin(), keys_.end(), KeyOf(point)) -
                                    keys_.begin());
}

TextPoint TextStream::Before(std::size_t index) const {
    const Unit& u = units_[index];
    if (u.kind == UnitKind::BlockBreak)
        return index > 0 ? After(index - 1) : TextPoint{scope_, 0};
    if (u.node->type == dom::NodeType::Text)
        return {u.node, u.offset};
    return {u.node->parent, IndexInParent(u.node)};
}

TextPoint TextStream::After(std::size_t index) const {
    const Unit& u = units_[index];
    if (u.kind == UnitKind::BlockBreak)
        return index + 1 < units_.size() ? Before(index + 1) : TextPoint{scope_, scope_->ChildCount()};
    if (u.node->type == dom::NodeType::Text)
        return {u.node, u.offset + std::size_t{1}};
    return {u.node->parent, IndexInParent(u.node) + 1};
}

TextPoint TextStream::Left(std::size_t gap) const {
    if (!scope_)
        return {};
    return gap == 0 ? TextPoint{scope_, 0} : After(std::min(gap, units_.size()) - 1);
}

TextPoint TextStream::Right(std::size_t gap) const {
    if (!scope_)
        return {};
    return gap < units_.size() ? Before(gap) : TextPoint{scope_, scope_->ChildCount()};
}

TextPoint TextStream::Caret(std::size_t gap) const {
    gap = std::min(gap, units_.size());
    if (gap == 0 || IsBreak(gap - 1))
        return gap < units_.size() ? Right(gap) : Left(gap);
    return Left(gap);
}

std::u16string TextStream::Text(std::size_t from, std::size_t to) const {
    std::u16string text;
    for (std::size_t i = from; i < std::min(to, units_.size()); ++i) {
        if (units_[i].kind == UnitKind::Char)
            text += units_[i].ch;
        else if (IsBreak(i))
            text += u"\r\n";
    }
    return text;
}

} // namespace qx::html::editing
