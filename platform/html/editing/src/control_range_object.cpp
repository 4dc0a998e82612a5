// IHTMLControlRange: elements chosen as objects (an image, a table, a field), held while listed.
#include "range_objects.h"

#include "qx/com/object.h"
#include "qx/com/union_dispatch.h"

#include <algorithm>

namespace qx::html::editing {

namespace {

class CControlRange : public com::ObjectRoot, public com::UnionDispatchImpl<IHTMLControlRange> {
public:
    QX_BEGIN_INTERFACES(CControlRange)
    QX_INTERFACE_ENTRY(IHTMLControlRange)
    QX_INTERFACE_ENTRY(IDispatchEx)
    QX_INTERFACE_ENTRY2(IDispatch, IDispatchEx)
    QX_END_INTERFACES()

    void Start(dom::DomPtr dom, const std::vector<dom::Node*>& elements) {
        dom_ = std::move(dom);
        for (dom::Node* e : elements)
            Add(e);
    }
    void FinalRelease() {
        for (dom::Node* e : elements_)
            dom_->tree.Release(e);
        elements_.clear();
    }

    STDMETHODIMP select() override {
        DocumentText* text = TextOf(dom_);
        if (!text)
            return E_NOTIMPL;
        if (elements_.empty())
            text->Empty();
        else
            text->SelectControls(elements_);
        return S_OK;
    }
    STDMETHODIMP add(IDispatch* item) override {
        dom::Node* node = NodeOf(item, dom_);
        if (!node || !node->IsElement() || !IsControlElement(node) ||
            std::find(elements_.begin(), elements_.end(), node) != elements_.end())
            return E_INVALIDARG;
        Add(node);
        return S_OK;
    }
    STDMETHODIMP remove(LONG index) override {
        if (index < 0 || static_cast<std::size_t>(index) >= elements_.size())
            return E_INVALIDARG;
        dom::Node* node = elements_[index];
        elements_.erase(elements_.begin() + index);
        dom_->tree.Release(node);
        return S_OK;
    }
    STDMETHODIMP item(LONG index, IDispatch** p) override {
        if (!p)
            return E_POINTER;
        *p = nullptr;
        if (index < 0 || static_cast<std::size_t>(index) >= elements_.size())
            return E_INVALIDARG;
        return dom::NodeObjectOf(dom_, elements_[index], p);
    }
    // The innermost element holding every element of the range, itself when it is the only one.
    STDMETHODIMP commonParentElement(IDispatch** p) override {
        if (!p)
            return E_POINTER;
        *p = nullptr;
        if (elements_.empty())
            return S_OK;
        dom::Node* common = elements_.front();
        for (dom::Node* e : elements_)
            while (common && !dom::IsInclusiveAncestor(common, e))
                common = common->parent;
        while (common && !common->IsElement())
            common = common->parent;
        return dom::NodeObjectOf(dom_, common, p);
    }
    STDMETHODIMP get_length(LONG* p) override {
        if (!p)
            return E_POINTER;
        *p = static_cast<LONG>(elements_.size());
        return S_OK;
    }

private:
    void Add(dom::Node* node) {
        dom_->tree.Hold(node);
        elements_.push_back(node);
    }

    dom::DomPtr dom_;
    std::vector<dom::Node*> elements_;
};

} // namespace

bool IsControlElement(const dom::Node* element) {
    static constexpr std::u16string_view kTags[] = {u"applet", u"button", u"embed",    u"hr",
                                                    u"iframe", u"img",    u"input",    u"object",
                                                    u"select", u"table",  u"textarea", u"marquee"};
    if (std::find(std::begin(kTags), std::end(kTags), element->name) != std::end(kTags))
        return true;
    // Absolutely positioned elements are chosen whole, as the old browser's editor did.
    const std::u16string style = dom::LowerAscii(element->AttributeValue(u"style"));
    return style.find(u"position:absolute") != std::u16string::npos ||
           style.find(u"position: absolute") != std::u16string::npos;
}

HRESULT CreateControlRangeObject(const dom::DomPtr& dom, const std::vector<dom::Node*>& elements,
                                 IDispatch** out) {
    return MakeRangeObject<CControlRange>(out, dom, elements);
}

} // namespace qx::html::editing
