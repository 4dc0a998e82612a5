// Moving nodes in the tree: a move that would cut a subtree off (into itself, before a node of
// another parent, from another tree) is refused and changes nothing; no node is ever lost, so every
// node made is freed.
#include <gtest/gtest.h>
#include <qx/html/dom/html_parser.h>
#include <qx/html/dom/serializer.h>
#include <qx/win32/codepage.h>

#include <cctype>
#include <string>

namespace {

using namespace qx::html::dom;
using qx::win32::WideToUtf8;

constexpr std::u16string_view kPage = u"<div id=a><p id=b><span id=c>x</span></p><i id=d></i></div>";

struct MoveCase {
    const char* name;
    const char16_t* parent; // ids; "text" is the text in C
    const char16_t* child;
    const char16_t* before; // null: at the end
    bool moved;
    const char* body;
};

const MoveCase kMoves[] = {
    {"to the end", u"a", u"b", nullptr, true, "<DIV id=a><I id=d></I><P id=b><SPAN id=c>x</SPAN></P></DIV>"},
    {"before a sibling", u"a", u"d", u"b", true,
     "<DIV id=a><I id=d></I><P id=b><SPAN id=c>x</SPAN></P></DIV>"},
    {"into another parent", u"d", u"c", nullptr, true,
     "<DIV id=a><P id=b></P><I id=d><SPAN id=c>x</SPAN></I></DIV>"},
    {"before itself stays", u"a", u"d", u"d", true,
     "<DIV id=a><P id=b><SPAN id=c>x</SPAN></P><I id=d></I></DIV>"},
    {"into its own child", u"c", u"b", nullptr, false,
     "<DIV id=a><P id=b><SPAN id=c>x</SPAN></P><I id=d></I></DIV>"},
    {"into itself", u"b", u"b", nullptr, false,
     "<DIV id=a><P id=b><SPAN id=c>x</SPAN></P><I id=d></I></DIV>"},
    {"an ancestor below its grandchild", u"c", u"a", nullptr, false,
     "<DIV id=a><P id=b><SPAN id=c>x</SPAN></P><I id=d></I></DIV>"},
    {"before a node of another parent", u"a", u"d", u"c", false,
     "<DIV id=a><P id=b><SPAN id=c>x</SPAN></P><I id=d></I></DIV>"},
    {"below a text", u"text", u"d", nullptr, false,
     "<DIV id=a><P id=b><SPAN id=c>x</SPAN></P><I id=d></I></DIV>"},
};

Node* Find(NodeTree& tree, const char16_t* id) {
    if (!id)
        return nullptr;
    if (std::u16string_view(id) == u"text")
        return tree.ElementById(u"c")->firstChild;
    return tree.ElementById(id);
}

class MoveTest : public testing::TestWithParam<MoveCase> {};

TEST_P(MoveTest, MovesOrRefusesWithoutLosingNodes) {
    const MoveCase& c = GetParam();
    NodeTree tree;
    ASSERT_EQ(ParseHtmlDocument(tree, kPage), ParseError::None);
    const std::size_t live = tree.LiveNodeCount();
    EXPECT_EQ(tree.Insert(Find(tree, c.parent), Find(tree, c.child), Find(tree, c.before)), c.moved);
    EXPECT_EQ(WideToUtf8(InnerHtml(tree.Body())), c.body);
    EXPECT_EQ(tree.LiveNodeCount(), live);
    EXPECT_EQ(tree.ReachableNodeCount(), live);
    // Taking the page's content away frees every node of it.
    tree.RemoveChildren(tree.Body());
    EXPECT_EQ(tree.LiveNodeCount(), tree.ReachableNodeCount());
    EXPECT_EQ(tree.LiveNodeCount(), live - 5);
}

INSTANTIATE_TEST_SUITE_P(NodeTree, MoveTest, testing::ValuesIn(kMoves), [](const auto& info) {
    std::string name;
    for (const char* p = info.param.name; *p; ++p)
        name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
    return name;
});

TEST(NodeTreeTest, RefusesANodeOfAnotherTree) {
    NodeTree tree, other;
    ASSERT_EQ(ParseHtmlDocument(tree, kPage), ParseError::None);
    Node* stranger = other.CreateElement(u"b");
    EXPECT_FALSE(tree.Insert(tree.Body(), stranger, nullptr));
    EXPECT_FALSE(other.Insert(stranger, tree.Body(), nullptr));
    EXPECT_EQ(stranger->parent, nullptr);
    EXPECT_EQ(tree.LiveNodeCount(), tree.ReachableNodeCount());
    EXPECT_EQ(other.LiveNodeCount(), other.ReachableNodeCount());
}

TEST(NodeTreeTest, AHeldOrphanLivesUntilReleased) {
    NodeTree tree;
    ASSERT_EQ(ParseHtmlDocument(tree, kPage), ParseError::None);
    const std::size_t live = tree.LiveNodeCount();
    Node* p = tree.ElementById(u"b");
    tree.Hold(p->firstChild);
    tree.Remove(p);
    EXPECT_EQ(tree.LiveNodeCount(), live);
    EXPECT_EQ(tree.ReachableNodeCount(), live);
    tree.Release(p->firstChild);
    EXPECT_EQ(tree.LiveNodeCount(), live - 3);
    EXPECT_EQ(tree.ReachableNodeCount(), live - 3);
}

TEST(NodeTreeTest, NodesTakenOutStayUntilTheLastKeepRemovedGoes) {
    NodeTree tree;
    ASSERT_EQ(ParseHtmlDocument(tree, kPage), ParseError::None);
    const std::size_t live = tree.LiveNodeCount();
    Node* p = tree.ElementById(u"b");
    Node* i = tree.ElementById(u"d");
    {
        const NodeTree::KeepRemoved outer(tree);
        {
            const NodeTree::KeepRemoved inner(tree);
            tree.Remove(p);
            tree.Remove(i);
        }
        // Still there after the inner one: P (with its SPAN and text) and I are orphans.
        EXPECT_EQ(tree.LiveNodeCount(), live);
        EXPECT_EQ(tree.ReachableNodeCount(), live);
        EXPECT_EQ(p->parent, nullptr);
        // One goes back into the page, the other below an orphan that is freed with it.
        EXPECT_TRUE(tree.Insert(tree.Body(), i, nullptr));
        EXPECT_TRUE(tree.Insert(p, tree.CreateElement(u"u"), nullptr));
    }
    EXPECT_EQ(WideToUtf8(InnerHtml(tree.Body())), "<DIV id=a></DIV><I id=d></I>");
    EXPECT_EQ(tree.LiveNodeCount(), live - 3);
    EXPECT_EQ(tree.ReachableNodeCount(), live - 3);
}

} // namespace
