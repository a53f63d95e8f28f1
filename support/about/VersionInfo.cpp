#include "support/about/VersionInfo.h"

#include <fcntl.h>
#include <gelf.h>
#include <libelf.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstring>
#include <memory>
#include <optional>
#include <string_view>

#include "support/Exceptions.h"
#include "support/StringList.h"
#include "support/TextRoutines.h"

namespace klv {

namespace {

constexpr std::array<const char*, kVersionKeyCount> kKeyNames = {
    "Comments",     "CompanyName",      "FileDescription", "FileVersion",
    "InternalName", "LegalCopyright",   "LegalTrademarks", "OriginalFilename",
    "PrivateBuild", "ProductName",      "ProductVersion",  "SpecialBuild",
};

struct FileCloser {
    int fd;
    ~FileCloser() {
        if (fd >= 0) ::close(fd);
    }
};
struct ElfEnder {
    void operator()(Elf* elf) const { elf_end(elf); }
};

// The bytes of the version section; empty when the file cannot be read, is not ELF, or has
// no such section.
std::string ReadVersionSection(const std::string& fileName) {
    static const bool libelfReady = elf_version(EV_CURRENT) != EV_NONE;
    if (!libelfReady) return {};
    // Non-blocking, so a FIFO in place of the file cannot hang the open.
    FileCloser file{::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)};
    struct stat status;
    if (file.fd < 0 || ::fstat(file.fd, &status) != 0 || !S_ISREG(status.st_mode)) return {};
    // Mapped rather than read, which would copy a whole file that is not ELF.
    std::unique_ptr<Elf, ElfEnder> elf(elf_begin(file.fd, ELF_C_READ_MMAP, nullptr));
    std::size_t namesIndex = 0;
    if (!elf || elf_kind(elf.get()) != ELF_K_ELF || elf_getshdrstrndx(elf.get(), &namesIndex) != 0)
        return {};
    for (Elf_Scn* scn = elf_nextscn(elf.get(), nullptr); scn; scn = elf_nextscn(elf.get(), scn)) {
        GElf_Shdr header;
        if (!gelf_getshdr(scn, &header) || header.sh_type == SHT_NOBITS) continue;
        const char* name = elf_strptr(elf.get(), namesIndex, header.sh_name);
        if (!name || std::strcmp(name, kVersionSectionName) != 0) continue;
        std::string bytes;
        for (Elf_Data* data = elf_getdata(scn, nullptr); data; data = elf_getdata(scn, data))
            if (data->d_buf) bytes.append(static_cast<const char*>(data->d_buf), data->d_size);
        return bytes;
    }
    return {};
}

// The value stored under path (letter case ignored, as version paths are), or nullopt.
std::optional<std::string_view> QueryValue(std::string_view block, std::string_view path) {
    auto next = [&block]() {
        std::size_t end = block.find('\0');
        std::string_view item = block.substr(0, end);
        block = end == std::string_view::npos ? std::string_view() : block.substr(end + 1);
        return item;
    };
    while (!block.empty()) {
        std::string_view entryPath = next();
        if (entryPath.empty()) break;
        std::string_view value = next();
        if (CompareTextNoCase(entryPath, path) == 0) return value;
    }
    return std::nullopt;
}

bool IsHexDigits(std::string_view text) {
    return text.find_first_not_of("0123456789ABCDEFabcdef") == std::string_view::npos;
}

}  // namespace

const char* VersionKeyName(std::size_t key) {
    if (key >= kVersionKeyCount) throw ERangeError("バージョン情報のキーの番号が範囲外です");
    return kKeyNames[key];
}

void ReadVersionInfo(const std::string& fileName, std::size_t key, std::string& value) {
    const char* keyName = VersionKeyName(key);
    const std::string block = ReadVersionSection(fileName);
    if (block.empty()) return;
    // The first translation entry names the language and code page of the strings.
    std::string_view entry = QueryValue(block, "\\VarFileInfo\\Translation").value_or("");
    entry = entry.substr(0, 8);
    if (entry.size() < 8 || !IsHexDigits(entry)) throw Exception("情報の取得に失敗しました");
    std::string path = "\\StringFileInfo\\" + std::string(entry) + "\\" + keyName;
    std::optional<std::string_view> answer = QueryValue(block, path);
    if (answer && !answer->empty()) value = Trim(*answer);
}

}  // namespace klv
