// Base64 coding of the helper library without line breaks, with coreutils' base64 on the same
// buffer in the same run for comparison.
#include "base64.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

std::string RandomBytes(size_t n) {
    std::mt19937_64 rng(42);
    std::string s(n, '\0');
    for (auto& c : s)
        c = static_cast<char>(rng());
    return s;
}

void Encode(benchmark::State& state) {
    const std::string bytes = RandomBytes(static_cast<size_t>(state.range(0)));
    Base64Encoder encoder;
    for (auto _ : state)
        benchmark::DoNotOptimize(encoder.Encode(bytes.data(), bytes.size()).data());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}

void Decode(benchmark::State& state) {
    const std::string bytes = RandomBytes(static_cast<size_t>(state.range(0)));
    Base64Encoder encoder;
    const std::string text = encoder.Encode(bytes.data(), bytes.size());
    std::vector<unsigned char> out(Base64Decoder::MaxDecodedSize(text.size()));
    Base64Decoder decoder;
    for (auto _ : state)
        benchmark::DoNotOptimize(decoder.Decode(text, out.data(), out.size()));
    // Measured in decoded bytes, as the encoder is.
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}

// coreutils on a file of the same size (process start included, so only large sizes compare).
void CoreutilsEncode(benchmark::State& state) {
    const std::string path = "/tmp/qx_base64_bench_" + std::to_string(::getpid());
    std::ofstream(path, std::ios::binary) << RandomBytes(static_cast<size_t>(state.range(0)));
    const std::string command = "base64 -w0 '" + path + "' > /dev/null";
    for (auto _ : state)
        if (std::system(command.c_str()) != 0)
            state.SkipWithError("coreutils base64 failed");
    std::remove(path.c_str());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}

} // namespace

BENCHMARK(Encode)->Arg(8190)->Arg(1 << 20)->Arg(64 << 20);
BENCHMARK(Decode)->Arg(8190)->Arg(1 << 20)->Arg(64 << 20);
BENCHMARK(CoreutilsEncode)->Arg(64 << 20)->Iterations(3)->UseRealTime();
BENCHMARK_MAIN();
