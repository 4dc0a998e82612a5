// Elements as the styles see them, their three style objects, the sheets of STYLE and LINK
// elements and the document's list of sheets.
#include "element_styles.h"

#include "dom_objects.h"
#include "qx/html/css/style_objects.h"
#include "qx/html/css/style_sheet.h"
#include "qx/html/dom/node_styles.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace qx::html::dom {

using SheetPtr = std::shared_ptr<css::StyleSheet>;

struct NodeStyle {
    css::DeclarationBlock runtime;
    // A STYLE or LINK element's sheet and the text (STYLE) or address (LINK) it was read from.
    SheetPtr sheet;
    std::u16string sheetSource;
    // The document node: the sheets script made, each placed in front of the sheet it was put before
    // (none: last), and its STYLE and LINK elements in tree order as last gathered.
    struct Made {
        SheetPtr sheet;
        std::weak_ptr<css::StyleSheet> before;
    };
    std::vector<Made> made;
    std::vector<Node*> sheetElements;
    std::uint64_t sheetElementsVersion = ~std::uint64_t{0};

    ~NodeStyle() {
        if (sheet)
            sheet->owningElement = nullptr; // a sheet script still holds outlives its element
    }
};

void NodeStyleDeleter::operator()(NodeStyle* style) const {
    delete style;
}

const css::DeclarationBlock* RuntimeStyleOf(const Node& element) {
    return element.style ? &element.style->runtime : nullptr;
}

namespace {

NodeStyle& StyleOf(Node* node) {
    if (!node->style)
        node->style.reset(new NodeStyle);
    return *node->style;
}

// A LINK whose rel names a style sheet ("stylesheet", in any case, among other words).
bool IsStyleSheetLink(const Node* n) {
    if (!n->Is(u"link"))
        return false;
    std::u16string_view rel = n->AttributeValue(u"rel");
    while (!rel.empty()) {
        const std::size_t end = std::min(rel.find_first_of(u" \t\r\n"), rel.size());
        if (EqualsNoCase(rel.substr(0, end), u"stylesheet"))
            return true;
        rel.remove_prefix(std::min(end + 1, rel.size()));
    }
    return false;
}

std::u16string TextOf(const Node* element) {
    std::u16string text;
    for (const Node* c = element->firstChild; c; c = c->next)
        if (c->type == NodeType::Text)
            text += c->text;
    return text;
}

// The element's attributes that the sheet shows, read again whenever the sheet is.
void ReadSheetSource(css::StyleSheet& sheet, const Node* element, bool isStyle, std::u16string_view source) {
    if (isStyle) {
        sheet.SetCssText(source);
    } else {
        sheet.SetCssText(u""); // a linked sheet's content is not loaded
        sheet.href = source;
    }
    sheet.title = element->AttributeValue(u"title");
    sheet.media = element->AttributeValue(u"media");
}

std::vector<SheetPtr> AllSheets(const DomPtr& dom);

} // namespace

class ElementStyleOwner final : public css::StyleOwner {
public:
    ElementStyleOwner(DomPtr dom, Node* node, IUnknown* object)
        : dom_(std::move(dom)), node_(node), object_(object) {}

    void AddOwnerRef() override {
        if (object_)
            object_->AddRef();
        else
            dom_->tree.Hold(node_);
    }
    void ReleaseOwnerRef() override {
        if (object_)
            object_->Release();
        else
            dom_->tree.Release(node_);
    }
    std::u16string TagName() const override { return UpperAscii(node_->name); }
    std::optional<std::u16string> Attribute(std::u16string_view name) const override {
        const dom::Attribute* a = node_->FindAttribute(name);
        return a ? std::optional<std::u16string>(a->value) : std::nullopt;
    }
    // The parent's owner lives in this one, made again when the element moved.
    StyleOwner* ParentElement() const override {
        Node* parent = node_->parent;
        if (!parent || !parent->IsElement())
            return nullptr;
        if (!parent_ || parent_->node_ != parent)
            parent_ = std::make_unique<ElementStyleOwner>(dom_, parent, nullptr);
        return parent_.get();
    }
    // An empty style leaves no `style` attribute behind.
    void SetStyleAttribute(std::u16string_view text) override {
        if (text.empty())
            node_->RemoveAttribute(u"style");
        else
            node_->SetAttribute(u"style", text);
    }
    css::DeclarationBlock& RuntimeStyle() override { return StyleOf(node_).runtime; }
    // The tree does not see runtime styles; layout compares the content version.
    void RuntimeStyleChanged() override { dom_->tree.TouchContent(); }
    void DocumentStyleSheets(std::vector<SheetPtr>& sheets) const override { sheets = AllSheets(dom_); }
    std::optional<double> PercentWidthBase() override {
        if (!dom_->geometry)
            return std::nullopt;
        const std::optional<LONG> base = dom_->geometry->PercentWidthBase(node_);
        return base ? std::optional<double>(*base) : std::nullopt;
    }

private:
    DomPtr dom_;
    Node* node_;
    IUnknown* object_;
    mutable std::unique_ptr<ElementStyleOwner> parent_;
};

void ElementStyleOwnerDeleter::operator()(ElementStyleOwner* owner) const {
    delete owner;
}

namespace {

// The STYLE and LINK sheets of the document in tree order. The elements are gathered again after
// a change of the tree's shape or text (which a node must go through to be freed); their sheets
// are brought up to date on every call, so a LINK's rel or href counts at once.
std::vector<SheetPtr> ElementSheets(const DomPtr& dom) {
    Node* document = dom->tree.Document();
    NodeStyle& styles = StyleOf(document);
    if (styles.sheetElementsVersion != dom->tree.Version()) {
        styles.sheetElements.clear();
        for (Node* n = document->firstChild; n; n = NextInTree(n, document))
            if (n->Is(u"style") || n->Is(u"link"))
                styles.sheetElements.push_back(n);
        styles.sheetElementsVersion = dom->tree.Version();
    }
    std::vector<SheetPtr> sheets;
    for (Node* n : styles.sheetElements)
        if (SheetPtr sheet = ElementSheet(dom, n))
            sheets.push_back(std::move(sheet));
    return sheets;
}

// The element sheets with the ones script made in their places.
std::vector<SheetPtr> AllSheets(const DomPtr& dom) {
    std::vector<SheetPtr> sheets = ElementSheets(dom);
    for (const NodeStyle::Made& made : StyleOf(dom->tree.Document()).made) {
        const SheetPtr before = made.before.lock();
        sheets.insert(before ? std::find(sheets.begin(), sheets.end(), before) : sheets.end(), made.sheet);
    }
    return sheets;
}

// What document.styleSheets reads: the document's sheets, asked again on every call.
class DocumentSheetSource final : public css::StyleSheetSource {
public:
    explicit DocumentSheetSource(DomPtr dom) : dom_(std::move(dom)) {}
    void AddSourceRef() override { ++refs_; }
    void ReleaseSourceRef() override {
        if (--refs_ == 0)
            delete this;
    }
    void StyleSheets(std::vector<SheetPtr>& sheets) override { sheets = AllSheets(dom_); }

private:
    DomPtr dom_;
    long refs_ = 0;
};

} // namespace

SheetPtr ElementSheet(const DomPtr& dom, Node* element) {
    const bool isStyle = element->Is(u"style");
    if (!isStyle && !IsStyleSheetLink(element))
        return nullptr;
    NodeStyle& styles = StyleOf(element);
    std::u16string source = isStyle ? TextOf(element) : std::u16string(element->AttributeValue(u"href"));
    if (!styles.sheet) {
        styles.sheet = std::make_shared<css::StyleSheet>();
        std::weak_ptr<DomDocument> weak = dom;
        styles.sheet->owningElement = [weak, element](IDispatch** out) -> HRESULT {
            const DomPtr owner = weak.lock();
            return owner ? NodeObjectOf(owner, element, out) : S_OK;
        };
        ReadSheetSource(*styles.sheet, element, isStyle, source);
        styles.sheetSource = std::move(source);
    } else if (source != styles.sheetSource) {
        ReadSheetSource(*styles.sheet, element, isStyle, source);
        styles.sheetSource = std::move(source);
    }
    styles.sheet->id = element->AttributeValue(u"id");
    return styles.sheet;
}

ElementStyleOwnerPtr MakeElementStyleOwner(const DomPtr& dom, Node* element, IUnknown* object) {
    return ElementStyleOwnerPtr(new ElementStyleOwner(dom, element, object));
}

HRESULT ElementStyleObject(ElementStyleOwner& owner, ElementStyleKind kind, IDispatch** out) {
    switch (kind) {
    case ElementStyleKind::Inline:
        return css::CreateInlineStyle(owner, out);
    case ElementStyleKind::Runtime:
        return css::CreateRuntimeStyle(owner, out);
    case ElementStyleKind::Current:
        break;
    }
    return css::CreateCurrentStyle(owner, out);
}

HRESULT ElementStyleSheet(const DomPtr& dom, Node* element, IDispatch** out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    const SheetPtr sheet = ElementSheet(dom, element);
    return sheet ? css::GetStyleSheetObject(sheet, out) : S_OK;
}

HRESULT DocumentStyleSheets(const DomPtr& dom, IDispatch** out) {
    auto* source = new DocumentSheetSource(dom);
    source->AddSourceRef();
    const HRESULT hr = css::CreateStyleSheetsCollection(*source, out);
    source->ReleaseSourceRef();
    return hr;
}

HRESULT CreateDocumentStyleSheet(const DomPtr& dom, BSTR url, LONG index, IDispatch** out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    const std::vector<SheetPtr> sheets = AllSheets(dom);
    auto sheet = std::make_shared<css::StyleSheet>();
    sheet->href = ViewOf(url); // what the address holds is not loaded
    NodeStyle::Made made{sheet, {}};
    if (index >= 0 && static_cast<std::size_t>(index) < sheets.size())
        made.before = sheets[static_cast<std::size_t>(index)];
    StyleOf(dom->tree.Document()).made.push_back(std::move(made));
    return css::GetStyleSheetObject(sheet, out);
}

} // namespace qx::html::dom
