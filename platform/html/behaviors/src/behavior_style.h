// The `behavior` style: the URLs a value lists, what each URL points at, and the value an element
// has from its inline style and the page's STYLE sheets.
#pragma once

#include "qx/html/css/style_sheet.h"
#include "qx/html/dom/node_tree.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qx::html::behaviors {

// A value lists at most this many URLs; the rest are not read.
inline constexpr std::size_t kMaxStyleUrls = 32;

// The URLs of a value: "url(#tvf#TreeView) url('x.htc')" gives "#tvf#TreeView" and "x.htc".
// Reading stops at the first item that is no url(...).
std::vector<std::u16string> BehaviorUrls(std::u16string_view value);

// "#id#name" and "#id" name an OBJECT element, "#default#name" a registered class; anything else
// is a file. The behaviour's name is what follows the last "#" ("" when there is none).
struct BehaviorUrl {
    enum class Kind { Object, Default, File };
    Kind kind = Kind::File;
    std::u16string objectId;
    std::u16string name;
};
BehaviorUrl ParseBehaviorUrl(std::u16string_view url);

// Elements' `behavior` values from their inline style over the rules of the document's STYLE
// elements, with the sheets read once when made.
class StyleBehaviors {
public:
    explicit StyleBehaviors(const dom::NodeTree& tree);
    std::u16string ValueOf(const dom::Node& element) const;

private:
    std::vector<std::shared_ptr<css::StyleSheet>> sheets_;
    bool anyRule_ = false; // whether any rule sets `behavior`
};

} // namespace qx::html::behaviors
