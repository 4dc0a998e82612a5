// HTML on the clipboard: the "HTML Format" text, a header of byte offsets ("Version:0.9",
// "StartHTML:", "EndHTML:", "StartFragment:", "EndFragment:") before a UTF-8 page whose fragment
// sits between <!--StartFragment--> and <!--EndFragment-->.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qx::html::editing {

// The clipboard bytes for an HTML fragment.
std::string MakeClipboardHtml(std::u16string_view fragment);
// The fragment of clipboard bytes: by the header's offsets when they are sound, else between the
// fragment comments; nothing when neither is there.
std::optional<std::u16string> ClipboardHtmlFragment(std::string_view bytes);

} // namespace qx::html::editing
