// The example page end to end, opened as pagehost opens it: a person clicks, double-clicks, hovers,
// drags, types and scrolls through the UI driver at the boxes the layout reports, and the page's
// log, its two exports and the pictures of the saved page are checked.
#include "../platform/html/chromium_runner.h"
#include "page_window.h"
#include "tree_page.h"

#include <gtest/gtest.h>

#include <regex>

namespace {

using qx::html::dom::Node;
using tamseltest::TreePage;

class TreeExample : public TreePage {
protected:
    void SetUp() override {
        TreePage::SetUp();
        window_ = std::make_unique<qxtest::PageWindow>();
    }
    void TearDown() override {
        window_.reset();
        TreePage::TearDown();
    }
    static std::filesystem::path Example() {
        return std::filesystem::path(QX_SOURCE_DIR) / "examples/treeview";
    }

    // The DIV of the node whose text is `text`.
    Node* NodeDiv(std::u16string_view text) const {
        Node* tree = window_->ById(u"tree");
        for (Node* n = tree; n; n = qx::html::dom::NextInTree(n, tree))
            if (n->Is(u"span") && qx::html::dom::InnerText(n) == text && n->parent && n->parent->Is(u"div"))
                return n->parent;
        return nullptr;
    }
    // The `index`th child of a node's DIV with this tag.
    static Node* Part(Node* div, std::u16string_view tag, int index = 0) {
        for (Node* c = div ? div->firstChild : nullptr; c; c = c->next)
            if (c->Is(tag) && index-- == 0)
                return c;
        return nullptr;
    }
    Node* TextOf(std::u16string_view text) const { return Part(NodeDiv(text), u"span"); }
    // The plus or minus box: the IMG after the indents of a node at this depth.
    Node* ConnectorOf(std::u16string_view text, int depth) const {
        return Part(NodeDiv(text), u"img", depth - 1);
    }
    std::string Style(Node* node, const char16_t* name) const {
        qx::com::ComPtr<IDispatch> object = window_->Object(node);
        qx::com::Variant style = qxtest::PageWindow::Get(object.Get(), u"style");
        return qxtest::PageWindow::GetText(style.vt == VT_DISPATCH ? style.pdispVal : nullptr, name);
    }
    std::string Value(std::u16string_view id) const {
        return qxtest::PageWindow::GetText(window_->Object(window_->ById(id)).Get(), u"value");
    }

    // The log's text (innerText gives CR LF between lines) as lines ending in LF.
    static std::string Lines(const std::string& text) {
        std::string lines;
        for (char c : text)
            if (c != '\r')
                lines += c;
        return lines + "\n";
    }

    std::unique_ptr<qxtest::PageWindow> window_;
};

TEST_F(TreeExample, APersonUsesTheTreeAndTheLogTellsIt) {
    ASSERT_TRUE(window_->Open(Example() / "tree.htm"));
    Node* tree = window_->ById(u"tree");
    ASSERT_NE(TextOf(u"Sales"), nullptr);

    window_->Click(TextOf(u"Sales"));        // selects it
    window_->Click(TextOf(u"Sales"));        // a click on the selected node
    window_->Click(ConnectorOf(u"Lazy", 2)); // expands the lazy branch, which asks for its children
    ASSERT_NE(TextOf(u"Later 1"), nullptr);
    window_->DoubleClick(TextOf(u"Lazy")); // collapses the expanded branch
    EXPECT_EQ(Style(NodeDiv(u"Later 1"), u"display"), "none");

    window_->MoveTo(window_->Center(TextOf(u"Support")));
    const std::string hot =
        Style(TextOf(u"Support"), u"color") + " " + Style(TextOf(u"Support"), u"backgroundColor");
    window_->MoveTo({900, 700});
    const std::string cold =
        Style(TextOf(u"Support"), u"color") + " " + Style(TextOf(u"Support"), u"backgroundColor");
    EXPECT_EQ(hot, "white gray");
    EXPECT_EQ(cold, "black white");

    // A drag across a text selects no text.
    const qx::html::dom::ClientRect finance = window_->Box(TextOf(u"Finance"));
    window_->Drag({finance.left + 1, (finance.top + finance.bottom) / 2},
                  {finance.right - 1, (finance.top + finance.bottom) / 2});
    qx::com::ComPtr<IDispatch> selection;
    ASSERT_NE(window_->Dom()->editing, nullptr);
    window_->Dom()->editing->Selection(window_->Dom(), &selection);
    EXPECT_EQ(qxtest::PageWindow::GetText(selection.Get(), u"type"), "None");

    window_->Key(VK_DOWN);   // the next node: Lazy
    window_->Key(VK_DELETE); // removed; its previous sibling is selected
    EXPECT_EQ(NodeDiv(u"Lazy"), nullptr);

    // Two branches open make the tree taller than its box; script scrolls it (our browser has no
    // scroll-bar input) and the pointer, not moved, is then over another node.
    window_->Click(ConnectorOf(u"Sales", 2));
    window_->Click(ConnectorOf(u"Research", 2));
    const POINT at = window_->Center(TextOf(u"Research"));
    qx::com::ComPtr<IHTMLElement2> box =
        qx::com::ComPtr<IHTMLElement2>::QueryFrom(window_->Object(tree).Get());
    ASSERT_TRUE(box);
    box->put_scrollTop(64);
    window_->Pump();
    LONG scrolled = 0;
    box->get_scrollTop(&scrolled);
    EXPECT_EQ(scrolled, 64);
    window_->Click(at);

    // Disabled, the tree hears no click.
    EXPECT_EQ(window_->Put(tree, u"Enable", qx::com::Variant(LONG(0))), S_OK);
    const std::string before = window_->Text(u"log");
    window_->Click(TextOf(u"Support"));
    EXPECT_EQ(window_->Text(u"log"), before);
    EXPECT_EQ(window_->Put(tree, u"Enable", qx::com::Variant(LONG(1))), S_OK);

    window_->Click(window_->ById(u"exportButton"));
    const std::string exported = Value(u"first");
    window_->Click(window_->ById(u"reimportButton"));
    EXPECT_EQ(Value(u"second"), exported);
    EXPECT_EQ(exported.find("<VALUE>Lazy</VALUE>"), std::string::npos); // deleted
    EXPECT_NE(exported.find("<VALUE>Board</VALUE>"), std::string::npos);

    const std::string expected =
        Read(std::filesystem::path(QX_SOURCE_DIR) / "tests/treeview/data/tree_example.log");
    EXPECT_EQ(Lines(window_->Text(u"log")), expected) << window_->Text(u"log");

    // Every picture of the saved page is a GIF in the temporary folder.
    const std::string saved = window_->Saved();
    std::size_t pictures = 0;
    const std::regex source("<IMG[^>]* src=\"file://([^\"]+)\"");
    for (auto m = std::sregex_iterator(saved.begin(), saved.end(), source); m != std::sregex_iterator();
         ++m, ++pictures) {
        SCOPED_TRACE((*m)[1].str());
        EXPECT_TRUE(tamseltest::LooksLikeGif(Read((*m)[1].str())));
    }
    EXPECT_GT(pictures, 40u);

    // Chromium opening the saved page loads every picture.
    const std::string chromium = qx::test::Chromium();
    if (chromium.empty())
        GTEST_SKIP() << "chromium is not installed: the saved page was not opened in it";
    Write("saved.htm", saved +
                           "<script>window.addEventListener('load', function () { var all = document.images, "
                           "bad = 0; for (var i = 0; i < all.length; i++) if (!all[i].complete || "
                           "all[i].naturalWidth == 0) bad++; document.body.setAttribute('data-images', "
                           "all.length + ' ' + bad); });</script>");
    const std::string dom = qx::test::DumpDom(chromium, dir_ / "saved.htm", dir_ / "profile");
    std::smatch images;
    ASSERT_TRUE(std::regex_search(dom, images, std::regex("data-images=\"([0-9]+) ([0-9]+)\"")))
        << dom.substr(0, 2000);
    EXPECT_EQ(std::stoul(images[1].str()), pictures);
    EXPECT_EQ(images[2].str(), "0");
}

} // namespace
