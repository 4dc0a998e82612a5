// Compaction speed on multi-megabyte scripts, and the memory the pipeline holds while it streams.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "compactor/compact_file.h"
#include "compactor/compactor.h"
#include "compactor/script_files.h"

namespace {

// A stretch of ordinary form-page script: comments, indentation, strings of both kinds, operators.
constexpr std::string_view kScriptUnit = R"js(
/*
 * Totals of the expense table.
 */
function lineTotal ( row ) {
    var quantity = + row.quantity || 0 ,   // typed by the user
        price    = + row.price    || 0 ;
    if ( quantity === 0 ) {
        return 0 ;
    }
    else {
        return Math.round ( quantity * price * 100 ) / 100 ;
    }
}

var MESSAGES = {
    required : "Please fill in this field." ,
    phone    : 'Please enter a phone number such as "02-1234-5678".' ,
    order    : "The last day can't come before the first day."
};

function footer ( rows ) {
    var net = 0 , count = 0 ;
    for ( var i = 0 ; i < rows.length ; i++ ) {
        net += lineTotal ( rows [ i ] ) ;
        count++ ;
    }
    return count + " line(s): " +
           net.toFixed ( 2 ) + " " + 'KRW' ;
}
)js";

// One piece of input as the program reads it.
std::string makePiece() {
    std::string piece;
    while (piece.size() + kScriptUnit.size() <= compactor::kPieceSize)
        piece += kScriptUnit;
    return piece;
}

// Streams `megabytes` of script through the pipeline without ever holding the whole text.
void BM_CompactStream(benchmark::State& state) {
    const std::string piece = makePiece();
    const size_t total = static_cast<size_t>(state.range(0)) << 20;
    size_t held = 0;
    size_t largestOutput = 0;
    for (auto _ : state) {
        compactor::Compactor compactor;
        std::string out;
        for (size_t fed = 0; fed < total; fed += piece.size()) {
            out.clear();
            compactor.Put(piece, out);
            held = std::max(held, compactor.HeldCharacters());
            largestOutput = std::max(largestOutput, out.capacity());
            benchmark::DoNotOptimize(out.data());
        }
        compactor.Finish(out);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(total));
    // Both stay the same whatever the input size: memory does not grow with the file.
    state.counters["held_chars"] = static_cast<double>(held);
    state.counters["output_buffer"] = static_cast<double>(largestOutput);
}
BENCHMARK(BM_CompactStream)->Arg(4)->Arg(16)->Arg(64)->Unit(benchmark::kMillisecond);

// The program's road: a file on disk compacted into another file.
void BM_CompactFile(benchmark::State& state) {
    const std::filesystem::path dir = std::filesystem::temp_directory_path();
    const std::filesystem::path in = dir / "tersor-bench-in.js";
    const std::filesystem::path out = dir / "tersor-bench-out.js";
    const size_t total = static_cast<size_t>(state.range(0)) << 20;
    {
        const std::string piece = makePiece();
        std::ofstream file(in, std::ios::binary);
        for (size_t written = 0; written < total; written += piece.size())
            file << piece;
    }
    const auto size = static_cast<int64_t>(std::filesystem::file_size(in));
    for (auto _ : state) {
        compactor::InputFile input;
        compactor::OutputFile output;
        if (!input.Open(in.c_str()) || !output.Create(out.c_str())) {
            state.SkipWithError("cannot open the benchmark files");
            break;
        }
        if (compactor::compactFile(input, output) != compactor::CompactFileResult::Compacted) {
            state.SkipWithError("compaction failed");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * size);
    std::filesystem::remove(in);
    std::filesystem::remove(out);
}
BENCHMARK(BM_CompactFile)->Arg(16)->Unit(benchmark::kMillisecond);

// The worst case for the passes: a script of nothing but operators, quotes and white space.
void BM_CompactDense(benchmark::State& state) {
    std::string piece;
    while (piece.size() < compactor::kPieceSize)
        piece += "a = b + +c ;\n'x' + \"y\\\"z\" ;\t/*c*/ d -\n-e //q\n{ }\n";
    const size_t total = static_cast<size_t>(state.range(0)) << 20;
    for (auto _ : state) {
        compactor::Compactor compactor;
        std::string out;
        for (size_t fed = 0; fed < total; fed += piece.size()) {
            out.clear();
            compactor.Put(piece, out);
            benchmark::DoNotOptimize(out.data());
        }
        compactor.Finish(out);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(total));
}
BENCHMARK(BM_CompactDense)->Arg(16)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
