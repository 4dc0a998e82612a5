// ContactIn of a book of 500 to 5,000 contacts and one ContactOut into it: both should grow
// linearly with the book (the import reads each card once; the export reads and rewrites the
// file once).
#include <benchmark/benchmark.h>

#include "kestrum_interfaces.h"

#include <objbase_activation.h>
#include <qx/com/bstr.h>
#include <qx/win32/registry.h>
#include <qx/xml/xml_dom.h>
#include <unistd.h>
#include <winmodule.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

// A temporary registry where the component file is registered (the address book comes from the
// name WAB32.DLL), a ContactIO, and a book of `n` cards.
struct Bench {
    fs::path dir;
    std::string book;
    HMODULE component = nullptr;
    qx::com::ComPtr<IContactIO> io;
    explicit Bench(int n) {
        dir = fs::temp_directory_path() /
              ("contact-io-bench-" + std::to_string(::getpid()) + "-" + std::to_string(n));
        fs::create_directories(dir / "registry");
        qx::registry::SetRootForTesting(dir / "registry");
        CoInitialize(nullptr);
        qx::xml::RegisterXmlDomClass();
        component = LoadLibraryA(QX_KESTRUM_COMPONENT);
        auto registerServer = reinterpret_cast<HRESULT (*)()>(GetProcAddress(component, "DllRegisterServer"));
        if (registerServer)
            registerServer();
        CoCreateInstance(CLSID_ContactIO, nullptr, CLSCTX_INPROC_SERVER, IID_IContactIO,
                         reinterpret_cast<void**>(&io));
        book = (dir / "book.wab").string();
        std::ofstream out(book, std::ios::binary);
        for (int i = 0; i < n; ++i)
            out << "BEGIN:VCARD\r\nVERSION:4.0\r\nKIND:individual\r\nUID:urn:uuid:00000000-0000-4000-8000-"
                << 100000000000 + i << "\r\nFN:김철수 " << i << "\r\nN:김;철수;;;\r\nEMAIL:kim" << i
                << "@example.com\r\nTEL;TYPE=cell:010-1234-5678\r\nADR;TYPE=home:;;세종대로 "
                   "1;종로구;서울;03154;대한민국\r\n"
                   "NOTE:첫 줄\\n둘째 줄\r\nEND:VCARD\r\n";
    }
    ~Bench() {
        io = nullptr;
        if (component)
            FreeLibrary(component);
        qx::xml::RevokeXmlDomClass();
        CoUninitialize();
        fs::remove_all(dir);
    }
};

// The object of the run; null (the run skipped) when it was not created.
IContactIO* ContactIO(Bench& bench, benchmark::State& state) {
    if (!bench.io)
        state.SkipWithError("ContactIO was not created");
    return bench.io.Get();
}

// Both runs over the sizes of book, expected linear.
void Sizes(benchmark::internal::Benchmark* b) {
    b->Arg(500)->Arg(1000)->Arg(2000)->Arg(5000)->Complexity(benchmark::oN)->Unit(benchmark::kMillisecond);
}

void BM_ContactIn(benchmark::State& state) {
    Bench bench(static_cast<int>(state.range(0)));
    IContactIO* io = ContactIO(bench, state);
    if (!io)
        return;
    const qx::com::Bstr file = qx::com::Bstr::FromUtf8(bench.book);
    for (auto _ : state) {
        qx::com::Bstr result;
        io->ContactIn(file, &result);
        if (result.Get() == nullptr || result.Get()[0] != 0)
            state.SkipWithError("ContactIn failed");
    }
    state.SetComplexityN(state.range(0));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ContactIn)->Apply(Sizes);

void BM_ContactOut(benchmark::State& state) {
    Bench bench(static_cast<int>(state.range(0)));
    IContactIO* io = ContactIO(bench, state);
    if (!io)
        return;
    const std::string original = bench.book + ".original";
    fs::copy_file(bench.book, original);
    qx::com::ComPtr<IXMLDOMDocument> doc;
    CoCreateInstance(CLSID_DOMDocument, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument,
                     reinterpret_cast<void**>(&doc));
    VARIANT_BOOL loaded = VARIANT_FALSE;
    doc->loadXML(
        qx::com::Bstr::FromUtf8("<OUT><DISPLAY_NAME>새 연락처</DISPLAY_NAME><EMAIL_ADDRESS>new@example.com"
                                "</EMAIL_ADDRESS><COMMENT>메모</COMMENT></OUT>"),
        &loaded);
    qx::com::ComPtr<IDispatch> data;
    doc->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&data));
    const qx::com::Bstr file = qx::com::Bstr::FromUtf8(bench.book);
    for (auto _ : state) {
        state.PauseTiming();
        fs::copy_file(original, bench.book, fs::copy_options::overwrite_existing);
        VARIANT_BOOL opened = VARIANT_FALSE;
        io->OpenWABFile(file, ContactOut, &opened);
        state.ResumeTiming();
        qx::com::Bstr result;
        if (io->ContactOut(data, &result) != S_OK)
            state.SkipWithError("ContactOut failed");
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ContactOut)->Apply(Sizes);

} // namespace

BENCHMARK_MAIN();
