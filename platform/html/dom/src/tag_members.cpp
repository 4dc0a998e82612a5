#include "tag_members.h"

namespace qx::html::dom {

HRESULT ReturnVariantText(std::u16string_view text, VARIANT* out) {
    if (!out)
        return E_POINTER;
    VariantInit(out);
    out->vt = VT_BSTR;
    out->bstrVal = com::Bstr(text).Detach();
    return S_OK;
}

HRESULT PutVariantAttribute(Node* node, std::u16string_view name, const VARIANT& value) {
    std::u16string text;
    const HRESULT hr = AttributeText(value, &text);
    if (SUCCEEDED(hr))
        node->SetAttribute(name, text);
    return hr;
}

HRESULT PutLengthAttribute(Node* node, std::u16string_view name, const VARIANT& value) {
    std::u16string text;
    const HRESULT hr = AttributeText(value, &text);
    if (FAILED(hr))
        return hr;
    if (text.empty())
        node->RemoveAttribute(name);
    else
        node->SetAttribute(name, text);
    return S_OK;
}

std::u16string ColourValue(const Node* node, std::u16string_view name) {
    static constexpr std::pair<std::u16string_view, std::u16string_view> kNames[] = {
        {u"black", u"#000000"},  {u"silver", u"#c0c0c0"}, {u"gray", u"#808080"},   {u"white", u"#ffffff"},
        {u"maroon", u"#800000"}, {u"red", u"#ff0000"},    {u"purple", u"#800080"}, {u"fuchsia", u"#ff00ff"},
        {u"green", u"#008000"},  {u"lime", u"#00ff00"},   {u"olive", u"#808000"},  {u"yellow", u"#ffff00"},
        {u"navy", u"#000080"},   {u"blue", u"#0000ff"},   {u"teal", u"#008080"},   {u"aqua", u"#00ffff"}};
    const std::u16string value = LowerAscii(node->AttributeValue(name));
    for (const auto& [colour, hex] : kNames)
        if (value == colour)
            return std::u16string(hex);
    std::u16string_view digits = value;
    if (!digits.empty() && digits.front() == u'#')
        digits.remove_prefix(1);
    const bool hex = digits.size() == 6 && std::all_of(digits.begin(), digits.end(), [](char16_t c) {
                         return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f');
                     });
    return hex ? u"#" + std::u16string(digits) : value;
}

void SetFlag(NodeTree& tree, Node* node, std::u16string_view name, bool on) {
    if (!on) {
        node->RemoveAttribute(name);
    } else if (!node->FindAttribute(name)) {
        node->attributes.push_back(Attribute{std::u16string(name), u"", AttributeQuote::Bare});
        tree.Touch();
    }
}

HRESULT ReplaceText(NodeTree& tree, Node* element, std::u16string_view text) {
    tree.RemoveChildren(element);
    if (!text.empty())
        tree.Insert(element, tree.CreateText(text), nullptr);
    return S_OK;
}

Node* FormOf(Node* node) {
    Node* n = node->parent;
    while (n && !n->Is(u"form"))
        n = n->parent;
    return n;
}

} // namespace qx::html::dom
