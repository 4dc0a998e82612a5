// Sizes of replaced elements: images, form controls, plug-ins.
#include "layouter.h"
#include "qx/html/layout/image_header.h"

#include <qx/win32/codepage.h>

#include <algorithm>
#include <fstream>

namespace qx::html::layout {
namespace {

constexpr std::size_t kHeaderBytes = 256 * 1024;
constexpr int kMissingImageSide = 16;

// Absolute paths and file: URLs, read from disk.
std::optional<std::string> ReadLocalImage(std::u16string_view source) {
    std::string path = qx::win32::WideToUtf8(source);
    if (path.rfind("file:///", 0) == 0)
        path.erase(0, 7);
    else if (path.rfind("file:", 0) == 0)
        path.erase(0, 5);
    if (path.empty() || path.front() != '/')
        return std::nullopt;
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return std::nullopt;
    std::string bytes(kHeaderBytes, '\0');
    file.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(file.gcount()));
    return bytes;
}

int WidestOption(const dom::Node* select, int font) {
    int widest = 0;
    for (const dom::Node* n = NextInTree(select, select); n; n = NextInTree(n, select))
        if (n->Is(u"option"))
            for (const dom::Node* t = n->firstChild; t; t = t->next)
                if (t->type == dom::NodeType::Text)
                    widest = std::max(widest, TextWidth(t->text, font));
    return widest;
}

int TextContentWidth(const dom::Node* element, int font) {
    int width = 0;
    for (const dom::Node* n = NextInTree(element, element); n; n = NextInTree(n, element))
        if (n->type == dom::NodeType::Text)
            width += TextWidth(n->text, font);
    return width;
}

} // namespace

Rect Layouter::ReplacedSize(const dom::Node* element) {
    auto found = replaced_.find(element);
    if (found != replaced_.end())
        return found->second;
    const ElementStyle& st = Style(element);
    int font = Font(element);
    int line = LineHeight(font);
    const std::u16string& tag = element->name;
    Rect size;
    if (tag == u"img" || (tag == u"input" && EqualsNoCase(element->AttributeValue(u"type"), u"image"))) {
        std::optional<ImageSize> own;
        if (!st.width || !st.height) {
            std::u16string_view source = element->AttributeValue(u"src");
            auto known = imageSizes_.find(std::u16string(source));
            if (known != imageSizes_.end()) {
                own = known->second;
            } else {
                std::optional<std::string> bytes =
                    hooks_.readImage ? hooks_.readImage(source) : ReadLocalImage(source);
                if (bytes)
                    own = ReadImageHeader(*bytes);
                if (own)
                    imageSizes_.emplace(source, *own);
            }
        }
        size.width = st.width.value_or(own ? own->width : kMissingImageSide);
        size.height = st.height.value_or(own ? own->height : kMissingImageSide);
    } else if (tag == u"input") {
        std::u16string type = LowerAscii(element->AttributeValue(u"type"));
        if (type == u"checkbox" || type == u"radio") {
            size = {0, 0, 13, 13};
        } else if (type == u"button" || type == u"submit" || type == u"reset") {
            std::u16string_view fallback = type == u"submit"  ? u"Submit Query"
                                           : type == u"reset" ? u"Reset"
                                                              : u"";
            size = {0, 0, TextWidth(element->AttributeValue(u"value", fallback), font) + 16, line + 6};
        } else {
            int chars = NumberAttribute(*element, u"size").value_or(20);
            size = {0, 0, std::clamp(chars, 1, 10000) * 7 + 6, line + 6};
        }
    } else if (tag == u"select") {
        int rows = std::clamp(NumberAttribute(*element, u"size").value_or(1), 1, 10000);
        size = {0, 0, WidestOption(element, font) + 24, rows > 1 ? rows * line + 6 : line + 6};
    } else if (tag == u"textarea") {
        int cols = std::clamp(NumberAttribute(*element, u"cols").value_or(20), 1, 10000);
        int rows = std::clamp(NumberAttribute(*element, u"rows").value_or(2), 1, 10000);
        size = {0, 0, cols * 7 + 20, rows * line + 6};
    } else if (tag == u"button") {
        size = {0, 0, TextContentWidth(element, font) + 16, line + 6};
    } else { // object, embed
        size = {0, 0, st.width.value_or(0), st.height.value_or(0)};
    }
    // A pixel width or height in the inline style sizes the control's box.
    if (tag != u"img" && tag != u"object" && tag != u"embed") {
        if (st.width)
            size.width = *st.width;
        if (st.height)
            size.height = *st.height;
    }
    replaced_.emplace(element, size);
    return size;
}

} // namespace qx::html::layout
