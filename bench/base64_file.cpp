// Encodes one file with EncodeBase64Stream and writes the lines to standard output, so that
// bench/base64-vs-coreutils.sh can run it beside `base64 -w 76` on the same file. Timings go
// to standard error: the first encoding (into fresh memory, so it includes the first touch
// of every page of the destination) and the best of three more into the same, reused
// destination (the encoder alone). With --no-huge-pages the process has no transparent huge
// pages, so the fresh destination is touched 4 KiB at a time.
#include <sys/prctl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <string_view>

#include "mail/Encoders.h"

namespace {

double SecondsToEncode(ruzo::TMemoryStream& dest, const ruzo::TMemoryStream& source) {
    const auto start = std::chrono::steady_clock::now();
    ruzo::EncodeBase64Stream(dest, source);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    const bool smallPages = argc == 3 && std::string_view(argv[2]) == "--no-huge-pages";
    if (argc != 2 && !smallPages) {
        std::fprintf(stderr, "usage: %s FILE [--no-huge-pages]  (run by bench/base64-vs-coreutils.sh)\n",
                     argv[0]);
        return argc == 1 ? 0 : 2;
    }
    if (smallPages && ::prctl(PR_SET_THP_DISABLE, 1, 0, 0, 0) != 0) {
        std::perror("prctl(PR_SET_THP_DISABLE)");
        return 1;
    }
    std::ifstream file(argv[1], std::ios::binary | std::ios::ate);
    std::string bytes(file ? static_cast<std::size_t>(file.tellg()) : 0, '\0');
    if (!file || !file.seekg(0).read(bytes.data(), static_cast<std::streamsize>(bytes.size()))) {
        std::fprintf(stderr, "%s: cannot read %s\n", argv[0], argv[1]);
        return 1;
    }
    ruzo::TMemoryStream source, dest;
    source.assign(std::move(bytes));

    const double cold = SecondsToEncode(dest, source);
    double warm = SecondsToEncode(dest, source);
    for (int run = 0; run < 2; ++run) warm = std::min(warm, SecondsToEncode(dest, source));

    if (std::fwrite(dest.bytes().data(), 1, dest.size(), stdout) != dest.size()) return 1;
    std::fprintf(stderr, "encode_cold_seconds=%.4f\nencode_warm_seconds=%.4f\n", cold, warm);
    return 0;
}
