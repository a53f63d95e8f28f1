// The definition file reader on arbitrary bytes. A record that loads is saved and loaded again:
// the server, port, subject and body come back as they were (unless a body line is itself a
// key line, which the format cannot tell apart), and saving the reloaded record writes the
// same file.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "fuzz/FuzzCheck.h"
#include "maildef/MailData.h"
#include "support/Exceptions.h"
#include "support/FileIO.h"

namespace {

std::string g_dir;

std::string PathOf(const char* name) { return g_dir + "/" + name; }

void WriteBytes(const std::string& path, const uint8_t* data, size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

bool StartsWithKey(std::string_view line) {
    for (std::string_view key : {"SMTP=", "TO=", "CC=", "FROM=", "SUBJECT=", "BODYTEXT="})
        if (line.starts_with(key)) return true;
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // In memory where possible: rewriting a truncated file on disk waits for a flush, which
    // slows a run down a hundredfold.
    const char* base = std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
    std::string pattern = std::string(base) + "/fuzz-definition-XXXXXX";
    const char* dir = mkdtemp(pattern.data());
    if (!dir) std::abort();
    g_dir = dir;
    std::atexit([] { std::filesystem::remove_all(g_dir); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    WriteBytes(PathOf("in.def"), data, size);
    tvl::TMailData loaded;
    try {
        loaded.LoadDefinition(PathOf("in.def"));
    } catch (const klv::EConvertError&) {
        return 0;  // an SMTP= line without a usable port
    }
    loaded.SaveDefinition(PathOf("first.def"));
    tvl::TMailData again;
    again.LoadDefinition(PathOf("first.def"));
    again.SaveDefinition(PathOf("second.def"));
    FUZZ_CHECK(klv::ReadWholeFile(PathOf("first.def")) ==
               klv::ReadWholeFile(PathOf("second.def")));

    FUZZ_CHECK(again.FSMTPServer == loaded.FSMTPServer);
    FUZZ_CHECK(again.FSMTPPort == loaded.FSMTPPort);
    FUZZ_CHECK(again.FSubject == loaded.FSubject);
    FUZZ_CHECK(again.ToCount() == loaded.ToCount() && again.CcCount() == loaded.CcCount());
    for (const std::string& line : loaded.FBodyLines)
        if (StartsWithKey(line)) return 0;
    FUZZ_CHECK(again.FBodyLines == loaded.FBodyLines);
    return 0;
}
