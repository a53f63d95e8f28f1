// Reading an attachment whole with ReadWholeFile, from the page cache into fresh memory, as
// the sending mode does once per run: every iteration pays the first touch of its pages.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "support/FileIO.h"

namespace {

std::filesystem::path MakeFile(std::size_t size) {
    auto path = std::filesystem::temp_directory_path() /
                ("tarvelle-bench-read-" + std::to_string(::getpid()) + ".bin");
    std::mt19937 random(11);
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(size));
    return path;
}

void BM_ReadWholeFile(benchmark::State& state) {
    const std::size_t size = static_cast<std::size_t>(state.range(0)) << 20;
    const std::filesystem::path file = MakeFile(size);
    for (auto _ : state) {
        const std::string bytes = klv::ReadWholeFile(file.string());
        if (bytes.size() != size) state.SkipWithError("short read");
        benchmark::DoNotOptimize(bytes.data());
    }
    std::filesystem::remove(file);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}
BENCHMARK(BM_ReadWholeFile)->ArgName("MiB")->Arg(1)->Arg(16)->Arg(64)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    // A fixed mmap threshold keeps glibc from raising it after the first free, so buffers of
    // every size here come fresh from the kernel rather than from the heap's reused memory.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
