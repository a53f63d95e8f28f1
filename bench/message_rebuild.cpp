// Attaching a large file and rebuilding the message: time, and the peak of live heap bytes
// during one composition as a multiple of the file size. The design holds three forms of the
// content (decoded, base64-encoded, the rebuilt message body), so about 1 + 2 x 78/57 = 3.7.
#include <benchmark/benchmark.h>

#include <malloc.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <new>
#include <random>
#include <string>

#include "mail/MailMessage.h"

namespace {

std::atomic<std::size_t> gLive{0};
std::atomic<std::size_t> gPeak{0};

void* Counted(void* block) {
    if (!block) throw std::bad_alloc();
    std::size_t live = gLive += malloc_usable_size(block);
    std::size_t peak = gPeak.load();
    while (live > peak && !gPeak.compare_exchange_weak(peak, live)) {
    }
    return block;
}

void Release(void* block) {
    if (!block) return;
    gLive -= malloc_usable_size(block);
    std::free(block);
}

}  // namespace

void* operator new(std::size_t size) { return Counted(std::malloc(size)); }
void* operator new[](std::size_t size) { return Counted(std::malloc(size)); }
void operator delete(void* block) noexcept { Release(block); }
void operator delete[](void* block) noexcept { Release(block); }
void operator delete(void* block, std::size_t) noexcept { Release(block); }
void operator delete[](void* block, std::size_t) noexcept { Release(block); }

namespace {

std::filesystem::path MakeFile(std::size_t size) {
    auto path = std::filesystem::temp_directory_path() /
                ("tarvelle-bench-" + std::to_string(::getpid()) + "-" + std::to_string(size) +
                 ".bin");
    std::mt19937 random(7);
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(size));
    return path;
}

void Compose(const std::string& file, bool textFirst) {
    ruzo::TMailMessage message;
    message.SetCharset("ISO-2022-JP");
    message.SetTextEncoding(ruzo::et7Bit);
    if (textFirst) message.PutTextPlain("Report attached.\r\n");
    message.AttachDiskFile(file, "", ruzo::etBase64, false);
    if (!textFirst) message.PutTextPlain("Report attached.\r\n");
    message.RebuildMessage();
    benchmark::DoNotOptimize(message.FEncodedBody.size());
}

void BM_AttachAndRebuild(benchmark::State& state) {
    const std::size_t size = static_cast<std::size_t>(state.range(0)) << 20;
    const bool textFirst = state.range(1) != 0;
    const std::filesystem::path file = MakeFile(size);
    double worst = 0;
    for (auto _ : state) {
        std::size_t baseline = gLive.load();
        gPeak = baseline;
        Compose(file, textFirst);
        worst = std::max(worst, static_cast<double>(gPeak.load() - baseline) / size);
    }
    std::filesystem::remove(file);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
    state.counters["peak_x_file"] = worst;
    state.SetLabel(textFirst ? "text then file" : "file then text");
}

BENCHMARK(BM_AttachAndRebuild)
    ->ArgNames({"MiB", "textFirst"})
    ->Args({16, 1})
    ->Args({64, 1})
    ->Args({64, 0})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
