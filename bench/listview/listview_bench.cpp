// A list view of 5,000 rows of 5 columns: loading them from an XML document, a Shift-click from
// the first row to the last (which selects every row), and rows.removeAll(). Each should stay
// well under a second in the release build.
#include "../../tests/listview/inprocess_list_page.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

namespace {

constexpr int kRows = 5000;

std::string ListData() {
    std::string xml = "<LISTVIEWDATA><HEADERS>";
    for (int c = 0; c < 5; ++c)
        xml += "<HEADER><NAME>H" + std::to_string(c) + "</NAME><WIDTH>80</WIDTH></HEADER>";
    xml += "</HEADERS><ROWS>";
    for (int r = 0; r < kRows; ++r) {
        xml += "<ROW>";
        for (int c = 0; c < 5; ++c)
            xml += "<CELL><VALUE>r" + std::to_string(r) + "c" + std::to_string(c) + "</VALUE></CELL>";
        xml += "</ROW>";
    }
    return xml + "</ROWS></LISTVIEWDATA>";
}

// One page with its list view and the data parsed, for every benchmark.
struct ListBench {
    orrin_test::InProcessListPage page{QX_ORRIN_COMPONENT};
    ListBench() {
        page.Open("<html><body><div id=lv style='width:400px;height:300px'></div></body></html>");
        page.Run("var lv = document.getElementById('lv'); lv.addBehavior('#f#LISTVIEW', factory);\n"
                 "xml.loadXML('" +
                 ListData() +
                 "');\nfunction click(el, shift) { var helper = document.createElement('SPAN');\n"
                 "helper.onclick = function (e) { e.setAttribute('shiftKey', shift); el.fireEvent('onclick', "
                 "e); };\n"
                 "helper.click(); }");
    }
};

// False (and the benchmark stopped with an error) when the page did not do what was timed.
bool Check(benchmark::State& state, const std::string& said, const std::string& expected,
           const std::string& errors) {
    if (said == expected)
        return true;
    state.SkipWithError(("the page said " + said + ", not " + expected + " " + errors).c_str());
    return false;
}

// Runs `prepare`, then times `timed`, whose page must say `expected`; the time of `timed` alone
// is the iteration's.
void TimeSteps(benchmark::State& state, const std::string& prepare, const std::string& timed,
               const std::string& expected) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    {
        ListBench bench;
        for (auto _ : state) {
            bench.page.Run(prepare);
            const auto start = std::chrono::steady_clock::now();
            const std::string said = bench.page.Run("try { " + timed + " } catch (e) { said = e.message; }");
            state.SetIterationTime(
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
            if (!Check(state, said, expected, bench.page.Errors()))
                break;
        }
    }
    CoUninitialize();
}

void BM_Load5000Rows(benchmark::State& state) {
    TimeSteps(state, "lv.rows.removeAll();", "lv.dataSource = xml; said = lv.totalRowCount;",
              std::to_string(kRows));
}

void BM_ShiftClickSelectsAll(benchmark::State& state) {
    TimeSteps(state, "if (!lv.totalRowCount) lv.dataSource = xml; click(lv.cell(0, 0), false);",
              "click(lv.cell(" + std::to_string(kRows - 1) + ", 0), true); said = lv.multiSelects.length;",
              std::to_string(kRows));
}

void BM_RemoveAll5000Rows(benchmark::State& state) {
    TimeSteps(state, "lv.dataSource = xml;", "lv.rows.removeAll(); said = lv.totalRowCount;", "0");
}

BENCHMARK(BM_Load5000Rows)->Unit(benchmark::kMillisecond)->Iterations(3)->UseManualTime();
BENCHMARK(BM_ShiftClickSelectsAll)->Unit(benchmark::kMillisecond)->Iterations(3)->UseManualTime();
BENCHMARK(BM_RemoveAll5000Rows)->Unit(benchmark::kMillisecond)->Iterations(3)->UseManualTime();

} // namespace

BENCHMARK_MAIN();
