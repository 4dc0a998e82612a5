#include "qx/html/dom/serializer.h"

#include "qx/html/css/declarations.h"

#include <algorithm>
#include <array>

namespace qx::html::dom {

namespace {

bool IsSafeUnquoted(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'-' ||
           c == u'_' || c == u'.' || c == u'#' || (c >= 0x80 && c != 0xA0);
}

void AppendEscaped(std::u16string_view text, bool inAttribute, std::u16string& out) {
    for (char16_t c : text) {
        switch (c) {
        case u'&':
            out += u"&amp;";
            break;
        case u'<':
            out += u"&lt;";
            break;
        case u'>':
            out += u"&gt;";
            break;
        case 0xA0:
            out += u"&nbsp;";
            break;
        case u'"':
            out += inAttribute ? u"&quot;" : u"\"";
            break;
        default:
            out += c;
        }
    }
}

// The style attribute is written as the old browser kept it: "COLOR: red; WIDTH: 10px".
void AppendAttribute(const Attribute& a, std::u16string& out) {
    out += u' ';
    out += a.name;
    if (a.quote == AttributeQuote::Bare && a.value.empty())
        return;
    out += u'=';
    const std::u16string canonical =
        EqualsNoCase(a.name, u"style") ? css::CanonicalStyleText(a.value) : std::u16string();
    const std::u16string_view value =
        EqualsNoCase(a.name, u"style") ? std::u16string_view(canonical) : a.value;
    if (a.quote != AttributeQuote::Double && !value.empty() &&
        std::all_of(value.begin(), value.end(), IsSafeUnquoted) &&
        (a.quote == AttributeQuote::Unquoted || a.quote == AttributeQuote::Bare)) {
        out += value;
        return;
    }
    if (a.quote == AttributeQuote::Single && value.find(u'\'') == std::u16string_view::npos) {
        // No double quote can end a single-quoted value, so it stays as it is.
        out += u'\'';
        for (char16_t c : value) {
            if (c == u'"')
                out += c;
            else
                AppendEscaped(std::u16string_view(&c, 1), true, out);
        }
        out += u'\'';
        return;
    }
    out += u'"';
    AppendEscaped(value, true, out);
    out += u'"';
}

void AppendOpen(const Node* n, std::u16string& out) {
    out += u'<';
    out += UpperAscii(n->name);
    for (const Attribute& a : n->attributes)
        AppendAttribute(a, out);
    out += u'>';
}

void AppendClose(const Node* n, std::u16string& out) {
    if (n->type != NodeType::Element || IsVoidElement(n->name))
        return;
    out += u"</";
    out += UpperAscii(n->name);
    out += u'>';
}

void AppendLeaf(const Node* n, std::u16string& out) {
    if (n->type == NodeType::Text) {
        if (n->parent && n->parent->IsElement() && IsRawTextElement(n->parent->name))
            out += n->text;
        else
            AppendEscaped(n->text, false, out);
    } else if (n->type == NodeType::Comment) {
        out += u"<!--";
        out += n->text;
        out += u"-->";
    }
}

// Writes the children of root (and root itself when `withRoot`) without recursion.
void AppendTree(const Node* root, bool withRoot, std::u16string& out) {
    if (withRoot && root->type != NodeType::Document) {
        if (root->type != NodeType::Element) {
            AppendLeaf(root, out);
            return;
        }
        AppendOpen(root, out);
    }
    const Node* n = root->firstChild;
    while (n) {
        if (n->type == NodeType::Element) {
            AppendOpen(n, out);
            if (n->firstChild) {
                n = n->firstChild;
                continue;
            }
            AppendClose(n, out);
        } else {
            AppendLeaf(n, out);
        }
        while (n != root && !n->next) {
            n = n->parent;
            if (n != root)
                AppendClose(n, out);
        }
        n = (n == root) ? nullptr : n->next;
    }
    if (withRoot)
        AppendClose(root, out);
}

bool IsBlock(std::u16string_view tag) {
    static constexpr std::u16string_view kBlocks[] = {
        u"p",  u"div",   u"h1",  u"h2",         u"h3",      u"h4",     u"h5", u"h6", u"ul", u"ol",   u"li",
        u"tr", u"table", u"pre", u"blockquote", u"address", u"center", u"dl", u"dt", u"dd", u"form", u"hr"};
    return std::find(std::begin(kBlocks), std::end(kBlocks), tag) != std::end(kBlocks);
}

} // namespace

void AppendOuterHtml(const Node* node, std::u16string& out) {
    AppendTree(node, true, out);
}
void AppendInnerHtml(const Node* node, std::u16string& out) {
    AppendTree(node, false, out);
}

void AppendStartTag(const Node* element, std::u16string& out) {
    AppendOpen(element, out);
}

void AppendEndTag(const Node* element, std::u16string& out) {
    AppendClose(element, out);
}

void AppendTextPart(const Node* text, std::u16string_view part, std::u16string& out) {
    if (text->parent && text->parent->IsElement() && IsRawTextElement(text->parent->name))
        out += part;
    else
        AppendEscaped(part, false, out);
}

std::u16string OuterHtml(const Node* node) {
    std::u16string out;
    AppendOuterHtml(node, out);
    return out;
}

std::u16string InnerHtml(const Node* node) {
    std::u16string out;
    AppendInnerHtml(node, out);
    return out;
}

std::u16string DocumentHtml(const NodeTree& tree) {
    std::u16string out = tree.doctype;
    AppendInnerHtml(tree.Document(), out);
    return out;
}

std::u16string InnerText(const Node* node) {
    if (node->type == NodeType::Text)
        return node->text;
    std::u16string out;
    auto breakLine = [&out] {
        if (!out.empty() && out.back() != u'\n')
            out += u"\r\n";
    };
    for (const Node* n = node->firstChild; n; n = NextInTree(n, node)) {
        if (n->type == NodeType::Text &&
            !(n->parent->IsElement() &&
              (n->parent->Is(u"script") || n->parent->Is(u"style") || n->parent->Is(u"xml")))) {
            out += n->text;
        } else if (n->Is(u"br")) {
            out += u"\r\n";
        } else if (n->IsElement() && IsBlock(n->name)) {
            breakLine();
        } else if (n->Is(u"td") || n->Is(u"th")) {
            if (n->previous)
                out += u'\t';
        }
    }
    return out;
}

std::u16string TextContent(const Node* node) {
    if (node->type != NodeType::Element && node->type != NodeType::Document)
        return node->text;
    std::u16string out;
    for (const Node* n = node->firstChild; n; n = NextInTree(n, node))
        if (n->type == NodeType::Text)
            out += n->text;
    return out;
}

} // namespace qx::html::dom
