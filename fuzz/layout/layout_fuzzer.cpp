// Image headers and pages from the network: an even first byte reads the rest as an image header,
// an odd one as a page (bytes as Latin-1) laid out in a viewport the second byte sizes, with every
// element's metrics read, points probed, then changed a few times, each relayout agreeing with a
// fresh one. Nothing may crash, hang or give a negative size.
#include "qx/html/dom/html_parser.h"
#include "qx/html/layout/image_header.h"
#include "qx/html/layout/page_layout.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

using namespace qx::html;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2 || size > 16 * 1024)
        return 0;
    std::string_view rest(reinterpret_cast<const char*>(data) + 2, size - 2);
    if (data[0] % 2 == 0) {
        if (auto image = layout::ReadImageHeader(rest); image && (image->width <= 0 || image->height <= 0))
            std::abort();
        return 0;
    }
    dom::NodeTree tree;
    std::u16string html(rest.begin(), rest.end());
    for (char16_t& c : html)
        c = static_cast<unsigned char>(c);
    if (dom::ParseHtmlDocument(tree, html) != dom::ParseError::None)
        return 0;
    layout::LayoutHooks hooks;
    hooks.readImage = [](std::u16string_view) -> std::optional<std::string> { return std::nullopt; };
    layout::PageLayout page(tree, hooks);
    page.SetViewport(64 + data[1] * 4, 48 + data[1] * 3);
    for (const dom::Node* n = tree.Document(); n; n = dom::NextInTree(n, tree.Document())) {
        if (!n->IsElement())
            continue;
        layout::ElementMetrics m = page.Metrics(n);
        if (m.offsetWidth < 0 || m.offsetHeight < 0 || m.clientWidth < 0 || m.scrollLeft < 0)
            std::abort();
    }
    for (int y = -1; y < 900; y += 37)
        for (int x = -1; x < 1100; x += 53) {
            page.ElementFromPoint(x, y);
            page.TextFromPoint(x, y);
        }
    // Changes the bytes pick, each relaid out incrementally: the result must be what a layout made
    // afresh gives.
    std::vector<dom::Node*> elements;
    for (dom::Node* n = tree.Document(); n; n = dom::NextInTree(n, tree.Document()))
        if (n->IsElement())
            elements.push_back(n);
    for (std::size_t i = 2; i < std::min<std::size_t>(size, 12) && !elements.empty(); ++i) {
        dom::Node* e = elements[data[i] % elements.size()];
        if (data[i] & 1)
            e->SetAttribute(u"width", data[i] & 2 ? u"37" : u"");
        else if (dom::Node* leaf = e->firstChild; leaf && !leaf->firstChild) {
            elements.erase(std::remove(elements.begin(), elements.end(), leaf), elements.end());
            tree.Remove(leaf);
        } else {
            tree.Insert(e, tree.CreateText(u"more text"), nullptr);
        }
        page.SetScroll(e, data[i], data[i]);
        page.ScrollIntoView(e, data[i] & 4);
        layout::PageLayout fresh(tree, hooks);
        fresh.SetViewport(64 + data[1] * 4, 48 + data[1] * 3);
        if (page.Dump() != fresh.Dump())
            std::abort();
    }
    page.Picture();
    return 0;
}
