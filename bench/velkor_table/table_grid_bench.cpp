// The table engine on a 50 x 50 table of IMG cells: the boundary arrays and a whole-height scan,
// a keyboard column step, FixTableSizes, a fix and unfix of the table's layout, and the fix of ten
// such tables. Each reports the relayouts one operation causes ("relayouts"), which must stay a
// small constant, never one per cell.
#include "table_editor.h"

#include <benchmark/benchmark.h>
#include <mshtml.h>
#include <qx/com/comptr.h>
#include <qx/html/dom/html_document.h>
#include <qx/html/layout/document_geometry.h>
#include <qx/html/layout/page_layout.h>
#include <qx/win32/ui_driver.h>
#include <winuser_window.h>

#include <memory>
#include <string>
#include <vector>

using qx::com::ComPtr;

namespace {

class Owner : public TableEditorOwner {
public:
    SHORT OwnerStartMode() const override { return 1; }
    bool OwnerKeysFree() const override { return true; }
    bool OwnerCaretAnywhere() const override { return true; }
    bool TakeKeyIgnore() override { return false; }
    void NotifyElementKey(LONG, LONG, LONG) override {}
    void NotifyControlChange(IDispatch*) override {}
};

std::u16string Tables(int count) {
    std::u16string page = u"<html><body style=\"margin:10px\">";
    for (int t = 0; t < count; ++t) {
        page += u"<table id=t" + std::u16string(1, static_cast<char16_t>(u'0' + t)) +
                u" border=1 cellpadding=1 cellspacing=2>";
        for (int r = 0; r < 50; ++r) {
            page += u"<tr>";
            for (int c = 0; c < 50; ++c)
                page += u"<td><img width=12 height=10></td>";
            page += u"</tr>";
        }
        page += u"</table>";
    }
    return page + u"</body></html>";
}

struct Form {
    explicit Form(int tables) {
        static qx::win32::MessageBoxRecorder boxes;
        qx::win32::SetUiDriver(&boxes);
        static HWND window = [] {
            WNDCLASSEXW wc{};
            wc.cbSize = sizeof wc;
            wc.lpfnWndProc = DefWindowProcW;
            wc.lpszClassName = u"qx.bench.TableView";
            RegisterClassExW(&wc);
            return CreateWindowExW(0, u"qx.bench.TableView", u"", WS_POPUP, 0, 0, 1024, 768, nullptr, nullptr,
                                   nullptr, nullptr);
        }();
        qx::html::dom::ParseHtmlDocumentObject(Tables(tables), &document);
        dom = ComPtr<IHtmlNodeAccess>::QueryFrom(document.Get())->AccessDocument();
        layout = &qx::html::layout::AttachLayout(*dom);
        dom->viewWindow = window;
        editor = std::make_unique<CTableEditor>(owner);
        editor->Attach(document.Get());
        for (int t = 0; t < tables; ++t) {
            ComPtr<IDispatch> object;
            qx::html::dom::NodeObjectOf(
                dom, dom->tree.ElementById(u"t" + std::u16string(1, static_cast<char16_t>(u'0' + t))),
                &object);
            this->tables.push_back(ComPtr<IHTMLElement>::QueryFrom(object.Get()));
        }
        auto cells = ComPtr<IHTMLTable2>::QueryFrom(this->tables[0].Get());
        ComPtr<IDispatch> all, first;
        cells->get_cells(&all);
        ComPtr<IHTMLElementCollection>::QueryFrom(all.Get())->item(qx::com::Variant(0L), qx::com::Variant(),
                                                                   &first);
        editor->startCell = ComPtr<IHTMLElement>::QueryFrom(first.Get());
        editor->startTable = this->tables[0];
    }
    ~Form() { editor.reset(); }

    Owner owner;
    ComPtr<IHTMLDocument2> document;
    qx::html::dom::DomPtr dom;
    qx::html::layout::PageLayout* layout = nullptr;
    std::unique_ptr<CTableEditor> editor;
    std::vector<ComPtr<IHTMLElement>> tables;
};

template <typename Operation>
void Measure(benchmark::State& state, Form& form, Operation operation) {
    std::uint64_t layouts = 0, runs = 0;
    for (auto _ : state) {
        const std::uint64_t before = form.layout->LayoutCount();
        operation();
        layouts += form.layout->LayoutCount() - before;
        ++runs;
    }
    state.counters["relayouts"] = runs ? static_cast<double>(layouts) / static_cast<double>(runs) : 0;
}

void BoundaryArraysAndScan(benchmark::State& state) {
    Form form(1);
    const PageRect cell = form.editor->GetElementPageRect(form.editor->startCell.Get());
    Measure(state, form, [&] {
        form.editor->BuildBoundaryArrays(form.tables[0].Get());
        form.editor->ScanColumnCells(1, cell.Right(), cell.top, cell.Bottom());
    });
}
BENCHMARK(BoundaryArraysAndScan)->Unit(benchmark::kMillisecond);

void KeyboardColumnStep(benchmark::State& state) {
    Form form(1);
    int direction = 1;
    Measure(state, form, [&] {
        form.editor->ApplyBorderDrag(kHitRight, direction);
        direction = -direction;
    });
}
BENCHMARK(KeyboardColumnStep)->Unit(benchmark::kMillisecond);

void FixSizesAndLayout(benchmark::State& state) {
    Form form(1);
    Measure(state, form, [&] {
        form.editor->FixTableSizes(form.tables[0].Get());
        form.editor->FixTableLayout(form.tables[0].Get(), 1);
        form.editor->FixTableLayout(form.tables[0].Get(), 0);
    });
}
BENCHMARK(FixSizesAndLayout)->Unit(benchmark::kMillisecond);

void FixTenTables(benchmark::State& state) {
    Form form(10);
    std::uint64_t layouts = 0, runs = 0;
    for (auto _ : state) {
        const std::uint64_t before = form.layout->LayoutCount();
        for (const auto& table : form.tables)
            form.editor->FixTableLayout(table.Get(), 1);
        layouts += form.layout->LayoutCount() - before;
        ++runs;
        state.PauseTiming();
        for (const auto& table : form.tables)
            form.editor->FixTableLayout(table.Get(), 0);
        state.ResumeTiming();
    }
    state.counters["relayouts"] = static_cast<double>(layouts) / static_cast<double>(runs);
}
BENCHMARK(FixTenTables)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
