// Throughput of the body codecs on 64 MiB, and the growth of the decoders on inputs that
// make them reconsider earlier bytes (these must stay linear).
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cstring>
#include <random>
#include <string>

#include "mail/Encoders.h"
#include "mail/MimeText.h"

namespace {

constexpr std::size_t kBodySize = 64u << 20;

const std::string& RandomBytes() {
    static const std::string bytes = [] {
        std::mt19937_64 random(42);
        std::string s(kBodySize, '\0');
        for (std::size_t i = 0; i + 8 <= s.size(); i += 8) {
            const std::uint64_t v = random();
            std::memcpy(&s[i], &v, 8);
        }
        return s;
    }();
    return bytes;
}

// Windows-31J text as the message bodies are: double-byte characters, some ASCII, CR LF
// every 40 characters or so.
const std::string& JapaneseText() {
    static const std::string text = [] {
        std::mt19937 random(7);
        std::string s;
        s.reserve(kBodySize);
        while (s.size() < kBodySize) {
            for (int i = 0; i < 40; ++i) {
                if (random() % 5 == 0) {
                    s += static_cast<char>(0x20 + random() % 0x5F);
                } else {
                    s += static_cast<char>(0x82 + random() % 7);
                    s += static_cast<char>(0x40 + random() % 0xBC);
                }
            }
            s += "\r\n";
        }
        s.resize(kBodySize);
        return s;
    }();
    return text;
}

void BM_EncodeBase64Stream(benchmark::State& state) {
    ruzo::TMemoryStream source, dest;
    source.assign(RandomBytes());
    ruzo::EncodeBase64Stream(dest, source);  // dest keeps this capacity for the timed runs
    for (auto _ : state) benchmark::DoNotOptimize(ruzo::EncodeBase64Stream(dest, source));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * source.size()));
}
BENCHMARK(BM_EncodeBase64Stream)->Unit(benchmark::kMillisecond);

// A base64 body decoded the way a part decodes it: line by line, each trimmed.
void BM_DecodeBase64Body(benchmark::State& state) {
    ruzo::TMemoryStream source, encoded;
    source.assign(RandomBytes());
    ruzo::EncodeBase64Stream(encoded, source);
    const std::string_view text = encoded.view();
    std::string decoded, line;
    auto decode = [&] {
        decoded.clear();
        for (std::size_t position = 0; position != std::string::npos;) {
            ruzo::TakeLine(text, line, position);
            ruzo::DecodeBase64Chunk(ruzo::TrimBlanks(line), decoded);
        }
    };
    decode();  // the untimed first pass grows `decoded` to its size
    for (auto _ : state) {
        decode();
        benchmark::DoNotOptimize(decoded.data());
    }
    if (decoded != source.bytes()) state.SkipWithError("decoded bytes differ");
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * decoded.size()));
}
BENCHMARK(BM_DecodeBase64Body)->Unit(benchmark::kMillisecond);

const std::string& BodyFor(int kind) { return kind == 0 ? JapaneseText() : RandomBytes(); }
void BodyKinds(benchmark::internal::Benchmark* b) { b->ArgName("random")->Arg(0)->Arg(1); }

void BM_EncodeQPText(benchmark::State& state) {
    const std::string& body = BodyFor(static_cast<int>(state.range(0)));
    state.SetLabel(state.range(0) ? "random bytes" : "Japanese text");
    benchmark::DoNotOptimize(ruzo::EncodeQPText(body, false));  // brings the heap to size
    for (auto _ : state) benchmark::DoNotOptimize(ruzo::EncodeQPText(body, false));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * body.size()));
}
BENCHMARK(BM_EncodeQPText)->Apply(BodyKinds)->Unit(benchmark::kMillisecond);

// Reported per decoded byte, so the figure compares with the encoder's.
void BM_DecodeQPText(benchmark::State& state) {
    const std::string& body = BodyFor(static_cast<int>(state.range(0)));
    state.SetLabel(state.range(0) ? "random bytes" : "Japanese text");
    const std::string encoded = ruzo::EncodeQPText(body, false);
    std::string decoded;
    // Two untimed runs: the loop holds the old result while building the new one.
    for (int run = 0; run < 2; ++run) decoded = ruzo::DecodeQPText(encoded);
    for (auto _ : state) {
        decoded = ruzo::DecodeQPText(encoded);
        benchmark::DoNotOptimize(decoded.data());
    }
    if (decoded != body) state.SkipWithError("decoded bytes differ");
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * body.size()));
}
BENCHMARK(BM_DecodeQPText)->Apply(BodyKinds)->Unit(benchmark::kMillisecond);

std::string Repeat(std::string_view unit, std::size_t size) {
    std::string s;
    s.reserve(size + unit.size());
    while (s.size() < size) s.append(unit);
    return s;
}

// Every soft break sends the decoder back over the "=" bytes before it.
void BM_DecodeQPTextRescans(benchmark::State& state) {
    const auto size = static_cast<std::size_t>(state.range(0));
    const std::string text = Repeat("x==\r\n\r\n=4=\r\n1", size);
    for (auto _ : state) benchmark::DoNotOptimize(ruzo::DecodeQPText(text));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_DecodeQPTextRescans)
    ->RangeMultiplier(4)
    ->Range(1 << 20, 16 << 20)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

// Many words, each with the passed-over "?=" of an opening escape.
void BM_DecodeHeaderWords(benchmark::State& state) {
    const std::string text =
        Repeat("=?ISO-2022-JP?Q?=1B=24B=24=3F=1B=28B?= ", static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(ruzo::DecodeHeaderWords(text));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_DecodeHeaderWords)
    ->RangeMultiplier(4)
    ->Range(1 << 20, 16 << 20)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

}  // namespace

int main(int argc, char** argv) {
    // Results of 64 MiB and more lie above glibc's mmap threshold, so every iteration would
    // get fresh pages from the kernel and time their first touch (very slow on some virtual
    // machines) rather than the codec. Serving everything from the heap, which keeps what is
    // freed, lets iterations reuse memory; bench/base64-vs-coreutils.sh shows the first touch.
    mallopt(M_MMAP_MAX, 0);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
