// The small pieces most tag interfaces are made of: members that read and write one attribute as
// text, a number, a flag, a colour or a length.
#pragma once

#include "element_object.h"

namespace qx::html::dom {

// A VARIANT result holding text (VT_BSTR).
HRESULT ReturnVariantText(std::u16string_view text, VARIANT* out);
// Writes the value's text (numbers in decimal) into the attribute.
HRESULT PutVariantAttribute(Node* node, std::u16string_view name, const VARIANT& value);
// A length (`width`, `height`): as PutVariantAttribute, but an empty value drops the attribute.
HRESULT PutLengthAttribute(Node* node, std::u16string_view name, const VARIANT& value);
// A colour attribute as it reads: "#rrggbb" in lower case for a hexadecimal colour or one of the
// sixteen named ones, the value as written for anything else, and "" when absent.
std::u16string ColourValue(const Node* node, std::u16string_view name);
// A flag attribute (`checked`, `disabled`): present or absent, written bare.
void SetFlag(NodeTree& tree, Node* node, std::u16string_view name, bool on);
// Replaces the element's children with one text node (none for empty text).
HRESULT ReplaceText(NodeTree& tree, Node* element, std::u16string_view text);
// The FORM around a node, null when none.
Node* FormOf(Node* node);

// Members over one attribute, for an element object's node.
inline HRESULT GetTextAttribute(const Node* node, std::u16string_view name, BSTR* out) {
    return ReturnText(node->AttributeValue(name), out);
}
inline HRESULT PutTextAttribute(Node* node, std::u16string_view name, BSTR value) {
    node->SetAttribute(name, ViewOf(value));
    return S_OK;
}
inline HRESULT GetFlagAttribute(const Node* node, std::u16string_view name, VARIANT_BOOL* out) {
    return ReturnBool(node->FindAttribute(name) != nullptr, out);
}
inline HRESULT PutFlagAttribute(NodeTree& tree, Node* node, std::u16string_view name, VARIANT_BOOL on) {
    SetFlag(tree, node, name, on != VARIANT_FALSE);
    return S_OK;
}
inline HRESULT GetVariantAttribute(const Node* node, std::u16string_view name, VARIANT* out) {
    return ReturnVariantText(node->AttributeValue(name), out);
}

} // namespace qx::html::dom

// One line per member of a tag interface that reads and writes one attribute, in an element class.
#define QX_TEXT_ATTRIBUTE(Member, attribute)                                                                 \
    STDMETHODIMP put_##Member(BSTR v) override {                                                             \
        return PutTextAttribute(this->node_, attribute, v);                                                  \
    }                                                                                                        \
    STDMETHODIMP get_##Member(BSTR* p) override {                                                            \
        return GetTextAttribute(this->node_, attribute, p);                                                  \
    }
#define QX_VARIANT_ATTRIBUTE(Member, attribute)                                                              \
    STDMETHODIMP put_##Member(VARIANT v) override {                                                          \
        return PutVariantAttribute(this->node_, attribute, v);                                               \
    }                                                                                                        \
    STDMETHODIMP get_##Member(VARIANT* p) override {                                                         \
        return GetVariantAttribute(this->node_, attribute, p);                                               \
    }
#define QX_LENGTH_ATTRIBUTE(Member, attribute)                                                               \
    STDMETHODIMP put_##Member(VARIANT v) override {                                                          \
        return PutLengthAttribute(this->node_, attribute, v);                                                \
    }                                                                                                        \
    STDMETHODIMP get_##Member(VARIANT* p) override {                                                         \
        return GetVariantAttribute(this->node_, attribute, p);                                               \
    }
#define QX_COLOUR_ATTRIBUTE(Member, attribute)                                                               \
    STDMETHODIMP put_##Member(VARIANT v) override {                                                          \
        return PutVariantAttribute(this->node_, attribute, v);                                               \
    }                                                                                                        \
    STDMETHODIMP get_##Member(VARIANT* p) override {                                                         \
        return ReturnVariantText(ColourValue(this->node_, attribute), p);                                    \
    }
#define QX_FLAG_ATTRIBUTE(Member, attribute)                                                                 \
    STDMETHODIMP put_##Member(VARIANT_BOOL v) override {                                                     \
        return PutFlagAttribute(this->dom_->tree, this->node_, attribute, v);                                \
    }                                                                                                        \
    STDMETHODIMP get_##Member(VARIANT_BOOL* p) override {                                                    \
        return GetFlagAttribute(this->node_, attribute, p);                                                  \
    }
// A whole number; `fallback` when absent or not a number.
#define QX_LONG_ATTRIBUTE(Member, attribute, fallback)                                                       \
    STDMETHODIMP put_##Member(LONG v) override {                                                             \
        this->node_->SetAttribute(attribute, Decimal(v));                                                    \
        return S_OK;                                                                                         \
    }                                                                                                        \
    STDMETHODIMP get_##Member(LONG* p) override {                                                            \
        return ReturnLong(IntegerAttribute(this->node_, attribute, fallback), p);                            \
    }
