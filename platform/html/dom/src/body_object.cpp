// BODY: its margins and its text range (the editing piece makes it).
#include "element_object.h"
#include "tag_members.h"

namespace qx::html::dom {

namespace {

class CBodyElement : public ElementObject<IHTMLBodyElement> {
public:
    QX_BEGIN_INTERFACES(CBodyElement)
    QX_HTML_ELEMENT_ENTRIES
    QX_INTERFACE_ENTRY(IHTMLBodyElement)
    QX_END_INTERFACES()

    QX_VARIANT_ATTRIBUTE(leftMargin, u"leftMargin")
    QX_VARIANT_ATTRIBUTE(topMargin, u"topMargin")
    QX_VARIANT_ATTRIBUTE(rightMargin, u"rightMargin")
    QX_VARIANT_ATTRIBUTE(bottomMargin, u"bottomMargin")

    STDMETHODIMP createTextRange(IDispatch** range) override {
        if (!range)
            return E_POINTER;
        *range = nullptr;
        return this->dom_->editing ? this->dom_->editing->CreateTextRange(this->dom_, this->node_, range)
                                   : E_NOTIMPL;
    }
};

} // namespace

HRESULT CreateBodyObject(const DomPtr& dom, Node* node, IDispatch** out) {
    if (!node->Is(u"body"))
        return S_FALSE;
    return MakeNodeObject<CBodyElement>(dom, node, out);
}

} // namespace qx::html::dom
