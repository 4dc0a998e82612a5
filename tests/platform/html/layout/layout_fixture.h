// Pages parsed into a tree with a layout over it, and elements found by id.
#pragma once

#include "qx/html/dom/html_parser.h"
#include "qx/html/layout/page_layout.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace qx::html::layout::testing {

struct Page {
    explicit Page(std::u16string_view html) {
        EXPECT_EQ(dom::ParseHtmlDocument(tree, html), dom::ParseError::None);
        layout = std::make_unique<PageLayout>(tree);
    }
    const dom::Node* Element(std::u16string_view id) {
        const dom::Node* node = tree.ElementById(id);
        EXPECT_NE(node, nullptr) << "no element with this id";
        return node;
    }
    ElementMetrics Metrics(std::u16string_view id) { return layout->Metrics(Element(id)); }

    dom::NodeTree tree;
    std::unique_ptr<PageLayout> layout;
};

} // namespace qx::html::layout::testing
