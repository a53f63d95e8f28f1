// Loading a definition whose body is 10 MiB in 100 000 lines of Windows-31J text.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "maildef/MailData.h"

namespace {

constexpr std::size_t kLines = 100000;
constexpr std::size_t kBodyBytes = 10 * 1024 * 1024;

std::string WriteDefinition() {
    std::string path = (std::filesystem::temp_directory_path() /
                        ("tarvelle-bench-" + std::to_string(::getpid()) + ".def"))
                           .string();
    // A line of kanji, kana and ASCII, cut to the length that makes 100 000 lines 10 MiB.
    std::string unit = "\x96\x7B\x93\xFA\x82\xCC\x8F\xF3\x91\xD4 status=OK, \x95\x5C\x8E\xA6 ";
    std::string line;
    while (line.size() < kBodyBytes / kLines) line += unit;
    line.resize(kBodyBytes / kLines - 2);

    std::ofstream out(path, std::ios::binary);
    out << "SMTP=mail.example.jp:25\r\nTO=Taro<a@example.jp>\r\nCC=\r\n"
           "FROM=\"Report\"<r@example.jp>\r\nSUBJECT=daily\r\nBODYTEXT=\r\n";
    for (std::size_t i = 0; i < kLines; ++i) out << line << "\r\n";
    return path;
}

void BM_LoadDefinition(benchmark::State& state) {
    std::string path = WriteDefinition();
    for (auto _ : state) {
        tvl::TMailData data;
        data.LoadDefinition(path);
        if (data.FBodyLines.size() != kLines) state.SkipWithError("body lines lost");
        benchmark::DoNotOptimize(data);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBodyBytes));
    std::filesystem::remove(path);
}

BENCHMARK(BM_LoadDefinition)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
