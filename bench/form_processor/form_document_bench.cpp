// The steps every form document gets in the editor, on forms of 2,500 to 20,000 cells (20,000
// cells with 2,000 fields is about 1 MB): the field scan, the marker test and the preparation, each
// linear in the form's size.
#include "form_document.h"

#include <benchmark/benchmark.h>
#include <qx/com/comptr.h>
#include <qx/html/dom/html_document.h>

#include <string>

namespace {

using qx::com::ComPtr;

// A marked form table of `cells` cells, every tenth a field, about 50 bytes a cell.
std::u16string FormPage(int cells) {
    std::u16string page = u"<html><head><style title=voform_style>TD{color:red}</style></head>"
                          u"<body dovrel><table border=1><tbody>";
    for (int i = 0; i < cells; ++i) {
        if (i % 10 == 0)
            page += u"<tr>";
        const std::u16string number(std::u16string(u"c") + static_cast<char16_t>(u'0' + i % 10));
        if (i % 10 == 0)
            page += u"<td class=FIELD id=f" + number + u" free>value " + number + u"</td>";
        else
            page += u"<td class=cell free>text of a cell in the form " + number + u"</td>";
        if (i % 10 == 9)
            page += u"</tr>";
    }
    return page + u"</tbody></table></body></html>";
}

// Every step on forms of 2,500 to 20,000 cells, fitted to a linear cost.
void FormSizes(benchmark::internal::Benchmark* benchmark) {
    benchmark->Arg(2500)
        ->Arg(5000)
        ->Arg(10000)
        ->Arg(20000)
        ->Unit(benchmark::kMillisecond)
        ->Complexity(benchmark::oN);
}

ComPtr<IHTMLDocument2> Parsed(benchmark::State& state) {
    ComPtr<IHTMLDocument2> document;
    if (FAILED(qx::html::dom::ParseHtmlDocumentObject(FormPage(static_cast<int>(state.range(0))), &document)))
        state.SkipWithError("the form does not parse");
    return document;
}

void ScanFields(benchmark::State& state) {
    ComPtr<IHTMLDocument2> document = Parsed(state);
    qx::com::ObjectPtr<CqxFormFields> fields;
    qx::com::CreateObject<CqxFormFields>(fields);
    LONG count = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(count = ScanFormFields(document.Get(), *fields.Get()));
    if (count != state.range(0) / 10)
        state.SkipWithError("the scan missed fields");
    state.SetComplexityN(state.range(0));
}
BENCHMARK(ScanFields)->Apply(FormSizes);

void MarkerTest(benchmark::State& state) {
    ComPtr<IHTMLDocument2> document = Parsed(state);
    for (auto _ : state)
        benchmark::DoNotOptimize(PassesMarkerTest(document.Get(), 1));
    state.SetComplexityN(state.range(0));
}
BENCHMARK(MarkerTest)->Apply(FormSizes);

void Preparation(benchmark::State& state) {
    ComPtr<IHTMLDocument2> document = Parsed(state);
    for (auto _ : state)
        PrepareFormDocument(document.Get());
    state.SetComplexityN(state.range(0));
}
BENCHMARK(Preparation)->Apply(FormSizes);

} // namespace

BENCHMARK_MAIN();
