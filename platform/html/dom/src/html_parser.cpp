// The parser: gumbo builds its tree from UTF-8 in an arena, and it is copied into ours without
// recursion, with the limits checked on the way.
#include "qx/html/dom/html_parser.h"

#include "charset.h"
#include "parse_arena.h"
#include "qx/win32/codepage.h"
#include "utf8_text.h"

#include <gumbo.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <map>
#include <unordered_set>

namespace qx::html::dom {

namespace {

std::u16string Wide(const char* text, std::size_t length) {
    std::u16string out;
    AppendUtf8AsWide(out, std::string_view(text, length));
    return out;
}

void AppendWide(std::u16string& out, const char* text) {
    if (text)
        AppendUtf8AsWide(out, std::string_view(text, std::strlen(text)));
}

bool StartsWithNoCase(std::string_view text, std::size_t at, std::string_view prefix) {
    if (text.size() - at < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[at + i])) != prefix[i])
            return false;
    return true;
}

std::size_t FindNoCase(std::string_view text, std::size_t from, std::string_view needle) {
    for (std::size_t at = text.find('<', from); at != std::string_view::npos; at = text.find('<', at + 1))
        if (StartsWithNoCase(text, at, needle))
            return at;
    return std::string_view::npos;
}

// The end of a start tag that begins at `at` (the position after its '>'), quotes respected.
std::size_t EndOfTag(std::string_view text, std::size_t at) {
    char quote = 0;
    for (std::size_t i = at + 1; i < text.size(); ++i) {
        const char c = text[i];
        if (quote) {
            if (c == quote)
                quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '>') {
            return i + 1;
        }
    }
    return std::string_view::npos;
}

bool TagNameEndsAt(std::string_view text, std::size_t at) {
    if (at >= text.size())
        return true;
    const char c = text[at];
    return c == '>' || c == '/' || c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

// XML data islands: their content is cut out before gumbo sees it (it would parse it as HTML) and
// comes back as one text node, found by the offset of the island's start tag in the text parsed.
struct Prepared {
    std::string_view source;
    std::string edited; // the source without the islands' content, when there are islands
    std::map<std::size_t, std::u16string> islands;
    std::u16string doctype;

    std::string_view Text() const { return islands.empty() ? source : std::string_view(edited); }
};

Prepared Prepare(std::string_view source, bool document) {
    Prepared out;
    out.source = source;
    std::size_t at = 0;
    if (document) {
        std::size_t start = 0;
        while (start < source.size() && std::isspace(static_cast<unsigned char>(source[start])))
            ++start;
        if (StartsWithNoCase(source, start, "<!doctype")) {
            std::size_t end = source.find('>', start);
            if (end != std::string_view::npos) {
                ++end;
                while (end < source.size() && std::isspace(static_cast<unsigned char>(source[end])))
                    ++end;
                out.doctype = win32::Utf8ToWide(source.substr(start, end - start));
            }
        }
    }
    static constexpr std::string_view kRawBlocks[] = {"script", "style", "textarea",
                                                      "title",  "xmp",   "plaintext"};
    // Until the first island the text is the source itself; from there on it is copied.
    std::size_t copied = 0;
    while (at < source.size()) {
        const std::size_t lt = source.find('<', at);
        if (lt == std::string_view::npos)
            break;
        std::size_t skipTo = std::string_view::npos;
        if (source.compare(lt, 4, "<!--") == 0) {
            const std::size_t end = source.find("-->", lt + 4);
            skipTo = end == std::string_view::npos ? source.size() : end + 3;
        } else if (StartsWithNoCase(source, lt, "<xml") && TagNameEndsAt(source, lt + 4)) {
            const std::size_t contentStart = EndOfTag(source, lt);
            const std::size_t close = contentStart == std::string_view::npos
                                          ? contentStart
                                          : FindNoCase(source, contentStart, "</xml");
            if (close != std::string_view::npos) {
                out.edited.append(source.substr(copied, contentStart - copied));
                out.islands.emplace(out.edited.size() - (contentStart - lt),
                                    win32::Utf8ToWide(source.substr(contentStart, close - contentStart)));
                at = close;
                copied = at;
                continue;
            }
        } else {
            for (std::string_view raw : kRawBlocks) {
                if (source.size() - lt > raw.size() && StartsWithNoCase(source, lt + 1, raw) &&
                    TagNameEndsAt(source, lt + 1 + raw.size())) {
                    const std::size_t close =
                        FindNoCase(source, lt + 1, std::string("</") + std::string(raw));
                    skipTo = close == std::string_view::npos ? source.size() : close + 2;
                    break;
                }
            }
        }
        at = skipTo == std::string_view::npos ? lt + 1 : skipTo;
    }
    if (!out.islands.empty())
        out.edited.append(source.substr(std::min(copied, source.size())));
    return out;
}

// How deep the source plainly nests (stopping once past `bound`): start tags less end tags, leaving
// out void elements and those a sibling closes. gumbo takes time in the square of the nesting, so a
// document far past the limit is refused before it is parsed.
long EstimatedDepth(std::string_view text, long bound) {
    static const std::unordered_set<std::string_view> kFlat = {
        "p",        "li",      "td",    "th",       "tr",    "option", "optgroup", "dt",    "dd",
        "tbody",    "thead",   "tfoot", "colgroup", "area",  "base",   "br",       "col",   "embed",
        "hr",       "img",     "input", "link",     "meta",  "param",  "source",   "track", "wbr",
        "basefont", "bgsound", "frame", "keygen",   "image", "isindex"};
    constexpr std::size_t kLongestFlat = 8;
    long depth = 0;
    long deepest = 0;
    for (std::size_t at = text.find('<'); at != std::string_view::npos; at = text.find('<', at + 1)) {
        std::size_t start = at + 1;
        const bool closing = start < text.size() && text[start] == '/';
        if (closing)
            ++start;
        std::size_t end = start;
        while (end < text.size() && std::isalnum(static_cast<unsigned char>(text[end])))
            ++end;
        if (end == start)
            continue;
        if (end - start <= kLongestFlat) {
            char name[kLongestFlat];
            for (std::size_t i = start; i < end; ++i)
                name[i - start] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[i])));
            if (kFlat.contains(std::string_view(name, end - start)))
                continue;
        }
        depth += closing ? -1 : 1;
        if (depth < 0)
            depth = 0;
        deepest = std::max(deepest, depth);
        if (deepest > bound)
            break;
    }
    return deepest;
}

// The tree's names of gumbo's known tags, made once.
const std::u16string& KnownTagName(GumboTag tag) {
    static const auto kNames = [] {
        std::array<std::u16string, GUMBO_TAG_UNKNOWN> names;
        for (int t = 0; t < GUMBO_TAG_UNKNOWN; ++t)
            names[t] = Wide(gumbo_normalized_tagname(static_cast<GumboTag>(t)),
                            std::strlen(gumbo_normalized_tagname(static_cast<GumboTag>(t))));
        return names;
    }();
    return kNames[tag];
}

std::u16string TagName(const GumboElement& element) {
    if (element.tag < GUMBO_TAG_UNKNOWN)
        return KnownTagName(element.tag);
    GumboStringPiece piece = element.original_tag;
    gumbo_tag_from_original_text(&piece);
    return LowerAscii(Wide(piece.data, piece.length));
}

AttributeQuote QuoteOf(const GumboAttribute& attribute) {
    // gumbo gives a bare attribute's name as its original value.
    if (attribute.original_value.length == 0 || attribute.original_value.data == attribute.original_name.data)
        return AttributeQuote::Bare;
    switch (attribute.original_value.data[0]) {
    case '"':
        return AttributeQuote::Double;
    case '\'':
        return AttributeQuote::Single;
    default:
        return AttributeQuote::Unquoted;
    }
}

// Copies gumbo's children of `from` below `into`, depth first, without recursion.
ParseError Copy(NodeTree& tree, const GumboVector& from, Node* into, const Prepared& prepared,
                const ParseLimits& limits) {
    struct Frame {
        const GumboVector* children;
        unsigned index;
        Node* parent;
    };
    std::vector<Frame> stack{{&from, 0, into}};
    while (!stack.empty()) {
        Frame& frame = stack.back();
        if (frame.index >= frame.children->length) {
            stack.pop_back();
            continue;
        }
        const auto* g = static_cast<const GumboNode*>(frame.children->data[frame.index++]);
        Node* parent = frame.parent;
        switch (g->type) {
        case GUMBO_NODE_TEXT:
        case GUMBO_NODE_WHITESPACE:
        case GUMBO_NODE_CDATA: {
            // Text fostered out of a table can land beside other text: browsers hold it as one node.
            Node* last = parent->lastChild;
            if (!last || last->type != NodeType::Text)
                last = tree.AppendNew(parent, NodeType::Text);
            AppendWide(last->text, g->v.text.text);
            break;
        }
        case GUMBO_NODE_COMMENT: {
            Node* comment = tree.AppendNew(parent, NodeType::Comment);
            AppendWide(comment->text, g->v.text.text);
            break;
        }
        case GUMBO_NODE_ELEMENT:
        case GUMBO_NODE_TEMPLATE: {
            const GumboElement& e = g->v.element;
            if (e.attributes.length > limits.maxAttributes)
                return ParseError::TooManyAttributes;
            if (static_cast<int>(stack.size()) > limits.maxDepth)
                return ParseError::TooDeep;
            Node* element = tree.AppendNew(parent, NodeType::Element);
            element->name = TagName(e);
            element->attributes.resize(e.attributes.length);
            for (unsigned i = 0; i < e.attributes.length; ++i) {
                const auto* a = static_cast<const GumboAttribute*>(e.attributes.data[i]);
                Attribute& to = element->attributes[i];
                if (a->original_name.length)
                    AppendUtf8AsWide(to.name,
                                     std::string_view(a->original_name.data, a->original_name.length));
                else
                    AppendWide(to.name, a->name);
                AppendWide(to.value, a->value);
                to.quote = QuoteOf(*a);
            }
            auto island = prepared.islands.end();
            if (element->name == u"xml" && e.original_tag.length)
                island = prepared.islands.find(e.start_pos.offset);
            if (island != prepared.islands.end()) {
                if (!island->second.empty())
                    tree.AppendNew(element, NodeType::Text)->text = island->second;
            } else if (e.children.length) {
                stack.push_back(Frame{&e.children, 0, element});
            }
            break;
        }
        case GUMBO_NODE_DOCUMENT:
            break;
        }
    }
    return ParseError::None;
}

ParseError ParseInto(NodeTree& tree, const Prepared& prepared, GumboTag context, Node* into,
                     const ParseLimits& limits) {
    const long bound = 4L * limits.maxDepth + 64;
    if (EstimatedDepth(prepared.Text(), bound) > bound)
        return ParseError::TooDeep;
    ParseArena arena; // gumbo's tree goes with it, never freed node by node
    GumboOptions options = kGumboDefaultOptions;
    options.allocator = &ParseArena::AllocateFor;
    options.deallocator = &ParseArena::FreeFor;
    options.userdata = &arena;
    options.max_errors = 0;
    options.fragment_context = context;
    GumboOutput* output = gumbo_parse_with_options(&options, prepared.Text().data(), prepared.Text().size());
    if (!output)
        return ParseError::None;
    if (context == GUMBO_TAG_LAST)
        return Copy(tree, output->document->v.document.children, into, prepared, limits);
    return Copy(tree, output->root->v.element.children, into, prepared, limits);
}

} // namespace

std::u16string_view DescribeParseError(ParseError error) {
    switch (error) {
    case ParseError::None:
        return u"";
    case ParseError::TooLarge:
        return u"the document is larger than the limit";
    case ParseError::TooDeep:
        return u"the document nests elements deeper than the limit";
    case ParseError::TooManyAttributes:
        return u"an element has more attributes than the limit";
    }
    return u"";
}

namespace {

ParseError ParseUtf8Document(NodeTree& tree, std::string_view utf8, const ParseLimits& limits) {
    if (utf8.size() > limits.maxBytes)
        return ParseError::TooLarge;
    const Prepared prepared = Prepare(utf8, true);
    const ParseError error = ParseInto(tree, prepared, GUMBO_TAG_LAST, tree.Document(), limits);
    if (error != ParseError::None) {
        tree.RemoveChildren(tree.Document());
        return error;
    }
    tree.doctype = prepared.doctype;
    tree.Touch();
    return ParseError::None;
}

} // namespace

ParseError ParseHtmlDocument(NodeTree& tree, std::u16string_view text, const ParseLimits& limits) {
    return ParseUtf8Document(tree, win32::WideToUtf8(text), limits);
}

ParseError LoadHtmlDocument(NodeTree& tree, const DocumentBytes& source, const ParseLimits& limits) {
    if (source.bytes.size() > limits.maxBytes)
        return ParseError::TooLarge;
    DecodedDocument decoded = DecodeDocumentBytes(source);
    const ParseError error = decoded.utf8.data() ? ParseUtf8Document(tree, decoded.utf8, limits)
                                                 : ParseHtmlDocument(tree, decoded.text, limits);
    if (error == ParseError::None)
        tree.charset = decoded.charset;
    return error;
}

ParseError ParseHtmlFragment(NodeTree& tree, std::u16string_view html, std::u16string_view contextTag,
                             std::vector<Node*>& nodes, const ParseLimits& limits) {
    nodes.clear();
    const std::string utf8 = win32::WideToUtf8(html);
    if (utf8.size() > limits.maxBytes)
        return ParseError::TooLarge;
    // The parse lands below a scratch element whose children then become orphans.
    Node* holder = tree.CreateElement(u"div");
    tree.Hold(holder);
    ParseError error = ParseError::None;
    const std::u16string context = LowerAscii(contextTag);
    if (IsRawTextElement(context)) {
        if (!html.empty())
            tree.AppendNew(holder, NodeType::Text)->text = html;
    } else {
        const std::string contextUtf8 = win32::WideToUtf8(context);
        GumboTag tag = gumbo_tagn_enum(contextUtf8.data(), static_cast<unsigned>(contextUtf8.size()));
        if (tag == GUMBO_TAG_LAST || tag == GUMBO_TAG_HTML || tag == GUMBO_TAG_UNKNOWN)
            tag = GUMBO_TAG_BODY;
        error = ParseInto(tree, Prepare(utf8, false), tag, holder, limits);
    }
    if (error == ParseError::None) {
        while (Node* c = holder->firstChild) {
            nodes.push_back(c);
            tree.Orphan(c);
        }
    }
    tree.Release(holder);
    return error;
}

} // namespace qx::html::dom
