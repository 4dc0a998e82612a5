#include "html_references.h"

#include "html_tags.h"
#include "string_helpers.h"

namespace {

struct Collector {
    const char* tag;
    const char* attribute;
    ReferenceKind kind;
};

const Collector kCollectors[] = {
    {"img", "src", ReferenceKind::Image},
    {"link", "href", ReferenceKind::StyleSheet},
    {"script", "src", ReferenceKind::Script},
    {"body", "background", ReferenceKind::Background},
    {"table", "background", ReferenceKind::Background},
    {"td", "background", ReferenceKind::Background},
};

// A value counts when something other than blanks stands inside its quotes.
bool IsBlankValue(std::string_view value, char quote) {
    if (quote == '\'' && value.size() >= 2)
        value = value.substr(1, value.size() - 2);
    return value.find_first_not_of(' ') == std::string_view::npos;
}

} // namespace

void CollectAllReferences(std::string_view html, HtmlReferences (&lists)[kReferenceKinds]) {
    for (HtmlReferences& list : lists)
        list.clear();
    HtmlTagReader reader(html);
    HtmlStartTag tag;
    while (reader.Next(tag)) {
        for (const Collector& collector : kCollectors) {
            if (!EqualsNoCase(tag.name, collector.tag))
                continue;
            const HtmlAttribute* attribute = tag.Find(collector.attribute);
            if (attribute == nullptr || !attribute->hasValue)
                break;
            const std::string_view value = html.substr(attribute->valueStart, attribute->valueLength);
            if (IsBlankValue(value, attribute->quote))
                break;
            HtmlReference ref;
            ref.text.assign(value);
            ref.valueStart = attribute->valueStart;
            ref.valueLength = attribute->valueLength;
            lists[static_cast<int>(collector.kind)].push_back(std::move(ref));
            break;
        }
    }
}

HtmlReferences CollectReferences(std::string_view html, ReferenceKind kind) {
    HtmlReferences lists[kReferenceKinds];
    CollectAllReferences(html, lists);
    return std::move(lists[static_cast<int>(kind)]);
}
