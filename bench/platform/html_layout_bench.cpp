// Layout of a form: 2,000 cells in nested tables laid out whole (target 5 ms), and laid out again
// after one cell's width changes (target 1 ms).
#include <benchmark/benchmark.h>
#include <qx/html/dom/html_parser.h>
#include <qx/html/layout/page_layout.h>

#include <string>

namespace {

using namespace qx::html;

// An outer table of 20 rows, each row's cell holding a table of 10 rows x 10 cells with text and
// inputs: 2,000 inner cells.
std::u16string NestedForm() {
    std::u16string page = u"<html><body><table border=1 cellpadding=1 cellspacing=0 width=900>";
    int n = 0;
    for (int outer = 0; outer < 20; ++outer) {
        page += u"<tr><td><table border=1 cellpadding=2 cellspacing=0 style=\"border-collapse: collapse\">";
        for (int row = 0; row < 10; ++row) {
            page += u"<tr>";
            for (int cell = 0; cell < 10; ++cell, ++n) {
                std::u16string id;
                for (char c : std::to_string(n))
                    id.push_back(static_cast<char16_t>(c));
                page += u"<td id=c" + id + u" width=60>Field " + id + u" <input size=4></td>";
            }
            page += u"</tr>";
        }
        page += u"</table></td></tr>";
    }
    return page + u"</table></body></html>";
}

void LayoutForm(benchmark::State& state) {
    dom::NodeTree tree;
    dom::ParseHtmlDocument(tree, NestedForm());
    layout::PageLayout page(tree);
    const dom::Node* cell = tree.ElementById(u"c1000");
    for (auto _ : state) {
        page.Invalidate();
        benchmark::DoNotOptimize(page.Metrics(cell).offsetLeft);
    }
}
BENCHMARK(LayoutForm)->Unit(benchmark::kMillisecond);

void RelayoutAfterOneWidth(benchmark::State& state) {
    dom::NodeTree tree;
    dom::ParseHtmlDocument(tree, NestedForm());
    layout::PageLayout page(tree);
    dom::Node* cell = tree.ElementById(u"c1000");
    int width = 60;
    for (auto _ : state) {
        width = width == 60 ? 70 : 60;
        cell->SetAttribute(u"width", width == 60 ? u"60" : u"70");
        benchmark::DoNotOptimize(page.Metrics(cell).offsetWidth);
    }
}
BENCHMARK(RelayoutAfterOneWidth)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
