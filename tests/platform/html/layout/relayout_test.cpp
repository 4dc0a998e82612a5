// A relayout after a change redoes only what the change reaches: after each mutation the table
// engine makes, and after random ones, the page reads exactly as a layout made from scratch.
#include "layout_fixture.h"

#include "qx/com/bstr.h"
#include "qx/com/comptr.h"
#include "qx/com/variant.h"
#include "qx/html/dom/html_document.h"

#include <functional>
#include <random>

namespace qx::html::layout::testing {
namespace {

// An outer table of cells holding tables, text, a scroll container and a positioned box.
std::u16string NestedPage() {
    std::u16string page = u"<html><body><table id=outer border=1 cellpadding=1 cellspacing=0>";
    for (int r = 0; r < 3; ++r) {
        page += u"<tr>";
        for (int c = 0; c < 2; ++c) {
            std::u16string id = u"t" + std::u16string(1, u'0' + r) + std::u16string(1, u'0' + c);
            page += u"<td id=o" + id.substr(1) + u"><table id=" + id + u" border=1 cellpadding=2><tr>";
            for (int k = 0; k < 3; ++k)
                page += u"<td id=" + id + std::u16string(1, u'a' + k) + u" width=" +
                        std::u16string(1, u'3' + k) + u"0>x y</td>";
            page +=
                u"</tr></table><p>Some words to wrap <span id=s" + id.substr(1) + u">here</span></p></td>";
        }
        page += u"</tr>";
    }
    return page + u"</table><div id=box style=\"overflow: auto; width: 100px; height: 40px\">"
                  u"<div id=inner style=\"height: 90px\">scrolled</div></div>"
                  u"<div id=abs style=\"position: absolute; left: 5px; top: 7px\"><span>over</span></div>"
                  u"<center><table id=mid><tr><td id=m1>centred</td></tr></table></center></body></html>";
}

struct Fixture {
    Fixture() : dom(std::make_shared<dom::DomDocument>()) {
        EXPECT_EQ(dom::ParseHtmlDocument(dom->tree, NestedPage()), dom::ParseError::None);
        layout = std::make_unique<PageLayout>(dom->tree);
    }
    // The incremental layout reads as one made afresh.
    void ExpectAsFresh(const char* after) {
        PageLayout fresh(dom->tree);
        fresh.SetViewport(width, height);
        EXPECT_EQ(layout->Dump(), fresh.Dump()) << "after " << after;
        for (const dom::Node* n = dom->tree.Body(); n; n = dom::NextInTree(n, dom->tree.Body())) {
            if (n->IsElement()) {
                EXPECT_EQ(layout->PercentWidthBase(n), fresh.PercentWidthBase(n)) << "after " << after;
            }
        }
    }
    template <typename Itf>
    com::ComPtr<Itf> Object(std::u16string_view id, REFIID iid) {
        com::ComPtr<IDispatch> object;
        EXPECT_EQ(dom::NodeObjectOf(dom, dom->tree.ElementById(id), &object), S_OK);
        com::ComPtr<Itf> itf;
        EXPECT_EQ(object->QueryInterface(iid, reinterpret_cast<void**>(&itf)), S_OK);
        return itf;
    }
    HRESULT Set(std::u16string_view id, const char16_t* name, const VARIANT& value) {
        return Object<IHTMLElement>(id, IID_IHTMLElement)->setAttribute(com::Bstr(name), value, 1);
    }

    void SetViewport(int w, int h) {
        width = w;
        height = h;
        layout->SetViewport(w, h);
    }

    dom::DomPtr dom;
    std::unique_ptr<PageLayout> layout;
    int width = 1024, height = 768;
};

struct Mutation {
    const char* name;
    std::function<void(Fixture&)> apply;
};

TEST(Relayout, EachTableEngineMutationReadsAsAFreshLayout) {
    const Mutation mutations[] = {
        {"a width as VT_I4", [](Fixture& f) { f.Set(u"t11b", u"width", com::Variant(LONG{75})); }},
        {"a width as \"\"", [](Fixture& f) { f.Set(u"t11b", u"width", com::Variant(u"")); }},
        {"a height as VT_I4", [](Fixture& f) { f.Set(u"t01a", u"height", com::Variant(LONG{50})); }},
        {"a table width", [](Fixture& f) { f.Set(u"t20", u"width", com::Variant(LONG{300})); }},
        {"insertRow",
         [](Fixture& f) {
             com::ComPtr<IDispatch> row;
             f.Object<IHTMLTable>(u"t00", IID_IHTMLTable)->insertRow(-1, &row);
         }},
        {"insertCell",
         [](Fixture& f) {
             com::ComPtr<IDispatch> row;
             f.Object<IHTMLTable>(u"t10", IID_IHTMLTable)->insertRow(0, &row);
             com::ComPtr<IHTMLTableRow> tr;
             row->QueryInterface(IID_IHTMLTableRow, reinterpret_cast<void**>(&tr));
             com::ComPtr<IDispatch> cell;
             tr->insertCell(-1, &cell);
             com::ComPtr<IHTMLElement> td;
             cell->QueryInterface(IID_IHTMLElement, reinterpret_cast<void**>(&td));
             td->setAttribute(com::Bstr(u"width"), com::Variant(LONG{90}), 1);
             td->put_id(com::Bstr(u"new"));
         }},
        {"deleteCell",
         [](Fixture& f) {
             com::ComPtr<IHTMLElement> c(f.Object<IHTMLElement>(u"t21c", IID_IHTMLElement));
             com::ComPtr<IDispatch> parent;
             c->get_parentElement(&parent);
             com::ComPtr<IHTMLTableRow> tr;
             parent->QueryInterface(IID_IHTMLTableRow, reinterpret_cast<void**>(&tr));
             tr->deleteCell(0);
         }},
        {"colSpan put",
         [](Fixture& f) { f.Object<IHTMLTableCell>(u"new", IID_IHTMLTableCell)->put_colSpan(2); }},
        {"rowSpan put",
         [](Fixture& f) { f.Object<IHTMLTableCell>(u"t00a", IID_IHTMLTableCell)->put_rowSpan(2); }},
        {"COLGROUP insertion",
         [](Fixture& f) {
             dom::Node* table = f.dom->tree.ElementById(u"mid");
             dom::Node* group = f.dom->tree.CreateElement(u"colgroup");
             dom::Node* col = f.dom->tree.CreateElement(u"col");
             col->SetAttribute(u"width", u"120");
             f.dom->tree.Insert(group, col, nullptr);
             f.dom->tree.Insert(table, group, table->firstChild);
         }},
        {"innerText",
         [](Fixture& f) {
             f.Object<IHTMLElement>(u"t00a", IID_IHTMLElement)
                 ->put_innerText(com::Bstr(u"a much longer text"));
         }},
        {"tableLayout fixed",
         [](Fixture& f) { f.Set(u"t00", u"style", com::Variant(u"table-layout: fixed")); }},
        {"tableLayout back", [](Fixture& f) { f.Set(u"t00", u"style", com::Variant(u"")); }},
        {"innerText of a span",
         [](Fixture& f) {
             f.Object<IHTMLElement>(u"s10", IID_IHTMLElement)->put_innerText(com::Bstr(u"x"));
         }},
        {"the scroll container's content",
         [](Fixture& f) { f.Set(u"inner", u"style", com::Variant(u"height: 10px; width: 300px")); }},
        {"the centred cell", [](Fixture& f) { f.Set(u"m1", u"width", com::Variant(LONG{400})); }},
        {"display none", [](Fixture& f) { f.Set(u"o00", u"style", com::Variant(u"display: none")); }},
        {"a viewport", [](Fixture& f) { f.SetViewport(500, 300); }},
        {"a runtime style's invalidation", [](Fixture& f) { f.layout->Invalidate(); }},
    };
    Fixture f;
    f.ExpectAsFresh("loading");
    for (const Mutation& m : mutations) {
        std::string before = f.layout->Dump();
        m.apply(f);
        if (std::string(m.name) != "a runtime style's invalidation") {
            EXPECT_NE(f.layout->Dump(), before) << m.name << " changed nothing";
        }
        f.ExpectAsFresh(m.name);
    }
}

// Random attribute puts, insertions and removals over the nested page; a failing seed is printed.
TEST(Relayout, RandomMutationsReadAsAFreshLayout) {
    const char16_t* widths[] = {u"", u"10", u"45", u"120", u"30%", u"7px"};
    const char16_t* styles[] = {u"",
                                u"padding: 3px",
                                u"border: 2px solid",
                                u"display: none",
                                u"font-size: 18px",
                                u"white-space: nowrap",
                                u"width: 60px"};
    // The small window makes the page scroll, so that each layout is laid out again narrower for
    // the bar and the blocks that keep their boxes across the two rounds are checked too.
    const std::pair<int, int> windows[] = {{1024, 768}, {1024, 768}, {500, 160}, {500, 160}};
    const unsigned seeds[] = {1u, 2u, 3u, static_cast<unsigned>(std::random_device{}())};
    for (std::size_t run = 0; run < std::size(seeds); ++run) {
        const unsigned seed = seeds[run];
        SCOPED_TRACE("seed " + std::to_string(seed));
        Fixture f;
        f.SetViewport(windows[run].first, windows[run].second);
        std::mt19937 random(seed);
        std::vector<dom::Node*> elements;
        for (dom::Node* n = f.dom->tree.Body(); n; n = dom::NextInTree(n, f.dom->tree.Body()))
            if (n->IsElement())
                elements.push_back(n);
        for (int step = 0; step < 40; ++step) {
            dom::Node* e = elements[random() % elements.size()];
            switch (random() % 4) {
            case 0:
                e->SetAttribute(u"width", widths[random() % std::size(widths)]);
                break;
            case 1:
                e->SetAttribute(u"style", styles[random() % std::size(styles)]);
                break;
            case 2:
                f.dom->tree.Insert(e, f.dom->tree.CreateText(u"new words "), e->firstChild);
                break;
            default:
                if (e->parent && e->parent->IsElement() && e != f.dom->tree.Body())
                    f.dom->tree.Insert(e->parent, f.dom->tree.CreateElement(u"br"), e);
                break;
            }
            if (random() % 3 == 0)
                f.layout->Metrics(e);
            if (step % 5 == 4)
                f.ExpectAsFresh("a random step");
        }
        f.ExpectAsFresh("the last step");
    }
}

} // namespace
} // namespace qx::html::layout::testing

namespace qx::html::layout::testing {
namespace {

TEST(Relayout, LayoutCountGrowsOncePerChangedRead) {
    Page page(u"<html><body><table id=t><tr><td id=a>a</td></tr></table></body></html>");
    const struct {
        std::function<void(Page&)> step;
        std::uint64_t count; // after the step and a read
    } steps[] = {
        {[](Page&) {}, 1},
        {[](Page&) {}, 1},
        {[](Page& p) { p.tree.ElementById(u"a")->SetAttribute(u"width", u"40"); }, 2},
        {[](Page& p) {
             p.tree.ElementById(u"a")->SetAttribute(u"height", u"9");
             p.tree.ElementById(u"t")->SetAttribute(u"width", u"90");
         },
         3},
        {[](Page& p) { p.layout->SetScroll(p.tree.Body(), 0, 5); }, 3},
        {[](Page& p) { p.layout->Invalidate(); }, 4},
    };
    for (const auto& s : steps) {
        s.step(page);
        page.Metrics(u"a");
        page.Metrics(u"t");
        EXPECT_EQ(page.layout->LayoutCount(), s.count);
    }
}

} // namespace
} // namespace qx::html::layout::testing
