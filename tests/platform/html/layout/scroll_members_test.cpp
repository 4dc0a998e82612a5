// The scroll members, client rectangles, componentFromPoint, scrollIntoView and
// document.elementFromPoint as page script and components reach them through the element objects;
// hit tests and text points inside a scrolled container; the box picture.
#include "layout_fixture.h"

#include "qx/com/bstr.h"
#include "qx/com/comptr.h"
#include "qx/com/variant.h"
#include "qx/html/dom/html_document.h"
#include "qx/html/layout/document_geometry.h"

namespace qx::html::layout::testing {
namespace {

// Body margins 10 / 10. A scroll container (100 x 50 padding box, 1 px border) holding a 300 x 200
// block; below it a span that wraps into two lines in a 60 px wide div; the page 2000 px tall.
constexpr const char16_t* kPage =
    u"<html><body leftmargin=10 topmargin=10>"
    u"<div id=box style=\"overflow: auto; width: 100px; height: 50px; border: 1px solid\">"
    u"<div id=big style=\"width: 300px; height: 200px\"><span id=deep>inner words</span></div></div>"
    u"<div id=narrow style=\"width: 60px\"><span id=two>aaaa bbbb</span></div>"
    u"<div id=tall style=\"height: 2000px\"></div></body></html>";

using ClientRect = Rect;

struct Document {
    Document() : dom(std::make_shared<dom::DomDocument>()) {
        EXPECT_EQ(dom::ParseHtmlDocument(dom->tree, kPage), dom::ParseError::None);
        layout = &AttachLayout(*dom);
    }
    template <typename Itf>
    com::ComPtr<Itf> Object(std::u16string_view id, REFIID iid) {
        com::ComPtr<IDispatch> object;
        dom::Node* node = id.empty() ? dom->tree.Body() : dom->tree.ElementById(id);
        EXPECT_EQ(dom::NodeObjectOf(dom, node, &object), S_OK);
        com::ComPtr<Itf> itf;
        EXPECT_EQ(object->QueryInterface(iid, reinterpret_cast<void**>(&itf)), S_OK);
        return itf;
    }
    com::ComPtr<IHTMLElement2> Element2(std::u16string_view id) {
        return Object<IHTMLElement2>(id, IID_IHTMLElement2);
    }
    LONG Read(std::u16string_view id, HRESULT (STDMETHODCALLTYPE IHTMLElement2::*get)(LONG*)) {
        LONG value = -1;
        EXPECT_EQ((Element2(id).Get()->*get)(&value), S_OK);
        return value;
    }
    ClientRect Bounding(std::u16string_view id) {
        com::ComPtr<IDispatch> object;
        EXPECT_EQ(Element2(id)->getBoundingClientRect(&object), S_OK);
        return Sides(object.Get());
    }
    static ClientRect Sides(IDispatch* object) {
        com::ComPtr<IHTMLRect> rect;
        EXPECT_EQ(object->QueryInterface(IID_IHTMLRect, reinterpret_cast<void**>(&rect)), S_OK);
        dom::ClientRect r;
        rect->get_left(&r.left);
        rect->get_top(&r.top);
        rect->get_right(&r.right);
        rect->get_bottom(&r.bottom);
        return {r.left, r.top, r.right - r.left, r.bottom - r.top};
    }
    const dom::Node* FromPoint(LONG x, LONG y) {
        com::ComPtr<IDispatch> document, hit;
        com::ComPtr<IHTMLDocument2> document2;
        EXPECT_EQ(dom::DocumentObjectOf(dom, &document2), S_OK);
        EXPECT_EQ(document2->elementFromPoint(x, y, &hit), S_OK);
        if (!hit)
            return nullptr;
        com::ComPtr<IHtmlNodeAccess> access;
        EXPECT_EQ(hit->QueryInterface(IID_IHtmlNodeAccess, reinterpret_cast<void**>(&access)), S_OK);
        return access->AccessNode();
    }
    std::u16string Component(std::u16string_view id, LONG x, LONG y) {
        com::Bstr part;
        EXPECT_EQ(Element2(id)->componentFromPoint(x, y, &part), S_OK);
        return std::u16string(part.View());
    }

    dom::DomPtr dom;
    PageLayout* layout = nullptr;
};

TEST(ScrollMembers, ScrollPositionsClampWhenPutAndRead) {
    Document d;
    auto box = d.Element2(u"box");
    EXPECT_EQ(d.Read(u"box", &IHTMLElement2::get_scrollWidth), 300);
    EXPECT_EQ(d.Read(u"box", &IHTMLElement2::get_scrollHeight), 200);
    EXPECT_EQ(d.Read(u"box", &IHTMLElement2::get_clientWidth), 84); // less the vertical bar
    struct {
        LONG put;
        LONG want;
    } tops[] = {{30, 30}, {-5, 0}, {1000, 200 - 34}};
    for (const auto& t : tops) {
        EXPECT_EQ(box->put_scrollTop(t.put), S_OK);
        EXPECT_EQ(d.Read(u"box", &IHTMLElement2::get_scrollTop), t.want) << t.put;
    }
    EXPECT_EQ(box->put_scrollLeft(500), S_OK);
    EXPECT_EQ(d.Read(u"box", &IHTMLElement2::get_scrollLeft), 300 - 84);
    // The page scrolls through BODY; the content shrinking clamps what was put.
    EXPECT_EQ(d.Element2(u"")->put_scrollTop(100), S_OK);
    EXPECT_EQ(d.Read(u"", &IHTMLElement2::get_scrollTop), 100);
    d.dom->tree.ElementById(u"tall")->SetAttribute(u"style", u"height: 700px");
    EXPECT_EQ(d.Read(u"", &IHTMLElement2::get_scrollTop),
              d.Read(u"", &IHTMLElement2::get_scrollHeight) - 768);
    // An element that does not scroll keeps 0.
    EXPECT_EQ(d.Element2(u"narrow")->put_scrollTop(10), S_OK);
    EXPECT_EQ(d.Read(u"narrow", &IHTMLElement2::get_scrollTop), 0);
}

TEST(ScrollMembers, RectanglesAreInClientCoordinates) {
    Document d;
    ClientRect big = d.Bounding(u"big");
    EXPECT_EQ(big.left, 11);
    EXPECT_EQ(big.top, 11);
    EXPECT_EQ(big.width, 300);
    d.Element2(u"box")->put_scrollTop(20);
    d.Element2(u"box")->put_scrollLeft(5);
    d.Element2(u"")->put_scrollTop(7);
    big = d.Bounding(u"big");
    EXPECT_EQ(big.left, 11 - 5);
    EXPECT_EQ(big.top, 11 - 20 - 7);
    EXPECT_EQ(d.Bounding(u"box").top, 10 - 7); // the container moves with the page only

    // A span wrapped into two lines gives two rectangles.
    com::ComPtr<IDispatch> list;
    ASSERT_EQ(d.Element2(u"two")->getClientRects(&list), S_OK);
    com::ComPtr<IHTMLRectCollection> rects;
    ASSERT_EQ(list->QueryInterface(IID_IHTMLRectCollection, reinterpret_cast<void**>(&rects)), S_OK);
    LONG length = 0;
    ASSERT_EQ(rects->get_length(&length), S_OK);
    ASSERT_EQ(length, 2);
    com::Variant index(LONG{1}), item;
    ASSERT_EQ(rects->item(&index, &item), S_OK);
    ClientRect second = Document::Sides(item.pdispVal);
    EXPECT_EQ(second.left, 10);
    EXPECT_EQ(second.top, 10 + 52 + 16 - 7);
    EXPECT_EQ(second.width, 28);
    com::Variant past(LONG{2}), none;
    EXPECT_EQ(rects->item(&past, &none), E_INVALIDARG);
    EXPECT_EQ(rects->item(nullptr, &none), E_INVALIDARG);
}

TEST(ScrollMembers, HitTestsFollowTheContainersScroll) {
    Document d;
    EXPECT_EQ(d.FromPoint(20, 15), d.dom->tree.ElementById(u"deep"));
    d.Element2(u"box")->put_scrollTop(30);
    EXPECT_EQ(d.FromPoint(20, 15), d.dom->tree.ElementById(u"big")) << "the text scrolled up and away";
    EXPECT_EQ(d.FromPoint(20, 70), d.dom->tree.ElementById(u"two")) << "the container clips its content";
    EXPECT_EQ(d.FromPoint(-1, 5), nullptr);
    // The same page point after the page scrolls.
    d.Element2(u"")->put_scrollTop(12);
    EXPECT_EQ(d.FromPoint(20, 70 - 12), d.dom->tree.ElementById(u"two"));
}

TEST(ScrollMembers, ComponentsOfAContainer) {
    Document d;
    d.Element2(u"box")->put_scrollTop(0);
    struct {
        LONG x, y;
        const char16_t* want;
    } cases[] = {{20, 20, u""},
                 {9, 20, u"outside"},
                 {200, 20, u"outside"},
                 {10, 10, u""}, // the border
                 {100, 12, u"scrollbarUp"},
                 {100, 30, u"scrollbarDown"},
                 {20, 50, u"scrollbarLeft"},
                 {100, 50, u"scrollbarSizeBox"}};
    for (const auto& c : cases)
        EXPECT_EQ(d.Component(u"box", c.x, c.y), c.want) << c.x << "," << c.y;
    EXPECT_EQ(d.Component(u"", 1015, 5), u"scrollbarUp") << "BODY answers for the page";
}

TEST(ScrollMembers, ScrollIntoViewMovesEveryViewAround) {
    Document d;
    auto deep = d.Object<IHTMLElement>(u"tall", IID_IHTMLElement);
    EXPECT_EQ(deep->scrollIntoView(com::Variant(true)), S_OK);
    EXPECT_EQ(d.Read(u"", &IHTMLElement2::get_scrollTop), 10 + 52 + 32);
    EXPECT_EQ(d.Object<IHTMLElement>(u"two", IID_IHTMLElement)->scrollIntoView(com::Variant(false)), S_OK);
    EXPECT_EQ(d.Read(u"", &IHTMLElement2::get_scrollTop), 0) << "its bottom would go above the view's";
    // Inside the container: the container scrolls, then the page.
    d.dom->tree.ElementById(u"big")->SetAttribute(u"style",
                                                  u"width: 300px; height: 200px; padding-top: 150px");
    EXPECT_EQ(d.Object<IHTMLElement>(u"deep", IID_IHTMLElement)->scrollIntoView(com::Variant::Missing()),
              S_OK);
    EXPECT_EQ(d.Read(u"box", &IHTMLElement2::get_scrollTop), 150);
    EXPECT_EQ(d.Bounding(u"deep").top, 11 - d.Read(u"", &IHTMLElement2::get_scrollTop));
    EXPECT_EQ(d.Object<IHTMLElement>(u"deep", IID_IHTMLElement)->scrollIntoView(com::Variant(u"maybe")),
              E_INVALIDARG);
}

TEST(ScrollMembers, PointsInTheText) {
    Page page(u"<html><body leftmargin=10 topmargin=10><div style=\"width: 60px\">aaaa bbbb</div>"
              u"<p id=p>x\xd55cy</p></body></html>");
    const dom::Node* first = page.tree.Body()->firstChild->firstChild;
    const dom::Node* second = page.Element(u"p")->firstChild;
    struct {
        int x, y;
        const dom::Node* text;
        std::size_t offset;
    } cases[] = {{10, 12, first, 0},  {13, 12, first, 0},  {14, 12, first, 1},  {38, 12, first, 4},
                 {18, 28, first, 6},  {500, 28, first, 9}, {17, 44, second, 1}, {23, 44, second, 1},
                 {24, 44, second, 2}, {5, 5, first, 0},    {-1, 5, nullptr, 0}};
    for (const auto& c : cases) {
        TextPoint at = page.layout->TextFromPoint(c.x, c.y);
        EXPECT_EQ(at.node, c.text) << c.x << "," << c.y;
        if (c.text) {
            EXPECT_EQ(at.offset, c.offset) << c.x << "," << c.y;
        }
    }
}

TEST(BoxPicture, OutlinesEveryBox) {
    Page page(u"<html><body leftmargin=10 topmargin=10><div style=\"width: 20px; height: "
              u"5px\"></div></body></html>");
    page.layout->SetViewport(40, 30);
    std::string pbm = page.layout->Picture();
    ASSERT_EQ(pbm.rfind("P4\n40 30\n", 0), 0u);
    const std::string bits = pbm.substr(9);
    ASSERT_EQ(bits.size(), 5u * 30);
    auto black = [&](int x, int y) { return (bits[y * 5 + x / 8] & (0x80 >> (x % 8))) != 0; };
    EXPECT_TRUE(black(10, 10));
    EXPECT_TRUE(black(29, 14));
    EXPECT_FALSE(black(15, 12)) << "inside the box";
    EXPECT_TRUE(black(0, 0)) << "BODY's box";
}

} // namespace
} // namespace qx::html::layout::testing
