// Packing and unpacking a form page whose images and cells grow together: the time per byte
// should stay flat from the smallest size to a page of 1 MB with 10 MB of images. Each direction
// is also measured alone on the smallest and the largest site (argument 1 is the 1.4 MB page).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "mht_packer.h"
#include "mht_unpacker.h"

namespace {

namespace fs = std::filesystem;

struct Site {
    fs::path dir;
    std::string html;
    size_t bytes = 0;
};

// scale 1 = 10 images of 1 MB and a 1 MB page of table cells.
Site MakeSite(double scale) {
    Site site;
    site.dir = fs::temp_directory_path() / ("quorle-bench-" + std::to_string(::getpid()) + "-" +
                                            std::to_string(static_cast<int>(scale * 1000)));
    fs::create_directories(site.dir / "temp");
    setenv("QX_TEMP_DIR", (site.dir / "temp").c_str(), 1);
    const size_t imageSize = static_cast<size_t>(scale * (1u << 20));
    std::string html = "<html><body><table background=\"bg0.gif\">";
    for (int i = 0; i < 10; ++i) {
        std::string image(imageSize, '\0');
        for (size_t j = 0; j < image.size(); ++j)
            image[j] = static_cast<char>(j * 31 + i);
        std::ofstream(site.dir / ("img" + std::to_string(i) + ".gif"), std::ios::binary) << image;
        html += "<tr><td><img src=\"img" + std::to_string(i) + ".gif\"></td></tr>";
        site.bytes += image.size();
    }
    std::ofstream(site.dir / "bg0.gif", std::ios::binary) << std::string(1024, 'b');
    while (html.size() < static_cast<size_t>(scale * (1u << 20)))
        html += "<tr><td class=\"FIELD\">cell</td><td>value</td></tr>";
    html += "</table></body></html>";
    site.bytes += html.size();
    site.html = html;
    return site;
}

std::string Pack(const Site& site) {
    PackInput input;
    input.html = site.html;
    input.pathBase = "file://" + (site.dir / "form.htm").string();
    return PackHtml(input);
}

void Unpack(const std::string& mht) {
    std::string html;
    ResourceRecords records;
    UnpackMht(mht, html, records);
    DeleteResourceFiles(records);
    benchmark::DoNotOptimize(html.data());
}

void BM_PackAndUnpack(benchmark::State& state) {
    Site site = MakeSite(static_cast<double>(state.range(0)) / 8.0);
    for (auto _ : state)
        Unpack(Pack(site));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * site.bytes));
    fs::remove_all(site.dir);
}

// Each direction alone, over the same page and images.
void BM_Pack(benchmark::State& state) {
    Site site = MakeSite(static_cast<double>(state.range(0)) / 8.0);
    for (auto _ : state)
        benchmark::DoNotOptimize(Pack(site).data());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * site.bytes));
    fs::remove_all(site.dir);
}

void BM_Unpack(benchmark::State& state) {
    Site site = MakeSite(static_cast<double>(state.range(0)) / 8.0);
    const std::string mht = Pack(site);
    for (auto _ : state)
        Unpack(mht);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * site.bytes));
    fs::remove_all(site.dir);
}

BENCHMARK(BM_PackAndUnpack)->Arg(1)->Arg(2)->Arg(4)->Arg(8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Pack)->Arg(1)->Arg(8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Unpack)->Arg(1)->Arg(8)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
