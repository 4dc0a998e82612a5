// Speed of the MIME library on MHT-sized input: base64 coding with line breaks, and parse and
// compose of a multipart/related message with base64 parts, over sizes up to 16 MB to show that
// the time grows linearly.
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "mime_codecs.h"
#include "mime_mechanism.h"
#include "mime_media_type.h"
#include "mime_message.h"

namespace {

const size_t kPartSize = 192 * 1024;

MimeString RandomBytes(size_t n) {
    std::mt19937 generator(7);
    std::string bytes(n, '\0');
    for (char& c : bytes)
        c = static_cast<char>(generator() & 0xFF);
    return MimeString(bytes);
}

// Base64 texts of parts that together encode about totalBytes of data.
std::vector<MimeString> EncodedParts(size_t totalBytes) {
    std::vector<MimeString> parts;
    MimeString data = RandomBytes(kPartSize);
    MimeString encoded;
    EncodeBase64(data, encoded);
    for (size_t done = 0; done < totalBytes; done += kPartSize)
        parts.push_back(encoded);
    return parts;
}

MimeString ComposeMessage(const std::vector<MimeString>& parts) {
    MimeMessage message;
    MimeHeaders& headers = message.Headers();
    headers.MimeVersion().FromString("1.0");
    MimeMediaType& type = headers.ContentType();
    type.SetType(MIME_TYPE_MULTIPART);
    type.SetSubtypeStr("related");
    type.SetBoundary("Boundary-=_abcdefghijklmnopqrstuvwxyzAB");
    headers.Subject().FromString("HTML to Mime-HTML");
    size_t index = 0;
    for (const MimeString& body : parts) {
        auto part = std::make_unique<MimeBodyPart>();
        MimeMediaType& partType = part->Headers().ContentType();
        partType.SetType(MIME_TYPE_IMAGE);
        partType.SetSubtype(MIME_SUBTYPE_GIF);
        part->Headers().ContentTransferEncoding().SetAsEnum(MIME_CTE_BASE64);
        part->Headers().ContentLocation().FromString(
            ("file://c:/image" + std::to_string(index++) + ".gif").c_str());
        part->Body().FromString(body);
        message.Body().AddBodyPart(std::move(part));
    }
    message.Compose();
    return message.AsString();
}

void BM_EncodeBase64(benchmark::State& state) {
    MimeString data = RandomBytes(static_cast<size_t>(state.range(0)));
    MimeString out;
    for (auto _ : state) {
        EncodeBase64(data, out);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_EncodeBase64)->RangeMultiplier(4)->Range(1 << 16, 1 << 24)->Complexity(benchmark::oN);

void BM_DecodeBase64(benchmark::State& state) {
    MimeString encoded;
    EncodeBase64(RandomBytes(static_cast<size_t>(state.range(0))), encoded);
    MimeString out;
    for (auto _ : state) {
        DecodeBase64(encoded, out);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_DecodeBase64)->RangeMultiplier(4)->Range(1 << 16, 1 << 24)->Complexity(benchmark::oN);

void BM_ComposeMultipart(benchmark::State& state) {
    std::vector<MimeString> parts = EncodedParts(static_cast<size_t>(state.range(0)));
    size_t length = 0;
    for (auto _ : state) {
        MimeString text = ComposeMessage(parts);
        length = text.length();
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * length));
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ComposeMultipart)->RangeMultiplier(4)->Range(1 << 20, 10 << 20)->Complexity(benchmark::oN);

void BM_ParseMultipart(benchmark::State& state) {
    MimeString text = ComposeMessage(EncodedParts(static_cast<size_t>(state.range(0))));
    for (auto _ : state) {
        MimeMessage message(text, nullptr);
        message.Parse();
        benchmark::DoNotOptimize(message.Body().NumBodyParts());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.length()));
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ParseMultipart)->RangeMultiplier(4)->Range(1 << 20, 10 << 20)->Complexity(benchmark::oN);

// The whole road of an MHT document: encode every resource, compose, parse, decode every part.
void BM_MhtRoundTrip(benchmark::State& state) {
    size_t total = static_cast<size_t>(state.range(0));
    MimeString data = RandomBytes(kPartSize);
    for (auto _ : state) {
        std::vector<MimeString> parts;
        for (size_t done = 0; done < total; done += kPartSize) {
            MimeString encoded;
            EncodeBase64(data, encoded);
            parts.push_back(encoded);
        }
        MimeMessage message(ComposeMessage(parts), nullptr);
        message.Parse();
        MimeString decoded;
        for (size_t i = 0; i < message.Body().NumBodyParts(); ++i)
            DecodeBase64(message.Body().BodyPartAt(i).Body().AsString(), decoded);
        benchmark::DoNotOptimize(decoded.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_MhtRoundTrip)->RangeMultiplier(4)->Range(1 << 20, 10 << 20)->Complexity(benchmark::oN);

} // namespace

BENCHMARK_MAIN();
