#include "behavior_style.h"

#include "qx/html/css/cascade.h"
#include "qx/html/css/style_owner.h"

#include <optional>

namespace qx::html::behaviors {
namespace {

bool IsSpace(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\f';
}

std::u16string_view Trim(std::u16string_view text) {
    while (!text.empty() && IsSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

// What the cascade reads of an element; this use never writes a style back.
class NodeStyle final : public css::StyleOwner {
public:
    NodeStyle(const dom::Node& node, const std::vector<std::shared_ptr<css::StyleSheet>>& sheets)
        : node_(node), sheets_(sheets) {}

    void AddOwnerRef() override {}
    void ReleaseOwnerRef() override {}
    std::u16string TagName() const override { return dom::UpperAscii(node_.name); }
    std::optional<std::u16string> Attribute(std::u16string_view name) const override {
        const dom::Attribute* a = node_.FindAttribute(name);
        return a ? std::optional<std::u16string>(a->value) : std::nullopt;
    }
    css::StyleOwner* ParentElement() const override {
        if (!parent_ && node_.parent && node_.parent->IsElement())
            parent_ = std::make_unique<NodeStyle>(*node_.parent, sheets_);
        return parent_.get();
    }
    void SetStyleAttribute(std::u16string_view) override {}
    css::DeclarationBlock& RuntimeStyle() override { return runtime_; }
    void DocumentStyleSheets(std::vector<std::shared_ptr<css::StyleSheet>>& sheets) const override {
        sheets = sheets_;
    }

private:
    const dom::Node& node_;
    const std::vector<std::shared_ptr<css::StyleSheet>>& sheets_;
    mutable std::unique_ptr<NodeStyle> parent_;
    css::DeclarationBlock runtime_; // runtime styles belong to the element's style object
};

} // namespace

std::vector<std::u16string> BehaviorUrls(std::u16string_view value) {
    std::vector<std::u16string> urls;
    value = Trim(value);
    while (!value.empty() && urls.size() < kMaxStyleUrls) {
        if (value.size() < 4 || !dom::EqualsNoCase(value.substr(0, 4), u"url("))
            break;
        const std::size_t close = value.find(u')');
        if (close == std::u16string_view::npos)
            break;
        std::u16string_view url = Trim(value.substr(4, close - 4));
        if (url.size() >= 2 && (url.front() == u'"' || url.front() == u'\'') && url.back() == url.front())
            url = url.substr(1, url.size() - 2);
        if (!url.empty())
            urls.emplace_back(url);
        value = Trim(value.substr(close + 1));
        if (!value.empty() && value.front() == u',')
            value = Trim(value.substr(1));
    }
    return urls;
}

BehaviorUrl ParseBehaviorUrl(std::u16string_view url) {
    BehaviorUrl parsed;
    const std::size_t last = url.rfind(u'#');
    if (last != std::u16string_view::npos)
        parsed.name = url.substr(last + 1);
    if (url.empty() || url.front() != u'#')
        return parsed;
    const std::u16string_view rest = url.substr(1);
    const std::u16string_view id = rest.substr(0, rest.find(u'#'));
    if (id.empty())
        return parsed;
    if (dom::EqualsNoCase(id, u"default") && rest.size() > id.size()) {
        parsed.kind = BehaviorUrl::Kind::Default;
        return parsed;
    }
    parsed.kind = BehaviorUrl::Kind::Object;
    parsed.objectId = id;
    if (rest.size() == id.size())
        parsed.name.clear();
    return parsed;
}

StyleBehaviors::StyleBehaviors(const dom::NodeTree& tree) {
    const dom::Node* document = tree.Document();
    for (const dom::Node* n = document->firstChild; n; n = dom::NextInTree(n, document)) {
        if (!n->Is(u"style"))
            continue;
        std::u16string text;
        for (const dom::Node* c = n->firstChild; c; c = c->next)
            if (c->type == dom::NodeType::Text)
                text += c->text;
        auto sheet = std::make_shared<css::StyleSheet>();
        sheet->SetCssText(text);
        for (const auto& rule : sheet->Rules())
            anyRule_ = anyRule_ || rule->style->Find(css::Prop::behavior);
        sheets_.push_back(std::move(sheet));
    }
}

std::u16string StyleBehaviors::ValueOf(const dom::Node& element) const {
    // Most elements have neither a rule nor an inline declaration: no cascade for them.
    if (!anyRule_) {
        const std::u16string_view style = element.AttributeValue(u"style");
        bool mentioned = false;
        for (std::size_t i = 0; !mentioned && i + 8 <= style.size(); ++i)
            mentioned = dom::EqualsNoCase(style.substr(i, 8), u"behavior");
        if (!mentioned)
            return {};
    }
    NodeStyle owner(element, sheets_);
    return css::CurrentValue(owner, css::Prop::behavior);
}

} // namespace qx::html::behaviors
