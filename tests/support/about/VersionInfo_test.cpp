#include "support/about/VersionInfo.h"

#include <fcntl.h>
#include <gelf.h>
#include <gtest/gtest.h>
#include <libelf.h>
#include <unistd.h>

#include "support/Exceptions.h"
#include "tests/support/ScratchDir.h"

namespace klv {
namespace {

using namespace std::string_literals;

// Writes a small relocatable ELF file with one section of the given name and bytes.
std::string WriteElf(const testutil::ScratchDir& dir, const std::string& sectionName,
                     const std::string& bytes) {
    const std::string path = dir.path("file.o");
    EXPECT_NE(elf_version(EV_CURRENT), EV_NONE);
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
    EXPECT_GE(fd, 0);
    Elf* elf = elf_begin(fd, ELF_C_WRITE, nullptr);
    Elf64_Ehdr* ehdr = elf64_newehdr(elf);
    ehdr->e_ident[EI_DATA] = ELFDATA2LSB;
    ehdr->e_machine = EM_X86_64;
    ehdr->e_type = ET_REL;
    ehdr->e_version = EV_CURRENT;

    std::string names = "\0.shstrtab\0"s + sectionName + '\0';
    auto addSection = [elf](std::string& content, Elf64_Word nameOffset, Elf64_Word type) {
        Elf_Scn* scn = elf_newscn(elf);
        Elf_Data* data = elf_newdata(scn);
        data->d_buf = content.data();
        data->d_size = content.size();
        data->d_type = ELF_T_BYTE;
        data->d_align = 1;
        data->d_version = EV_CURRENT;
        Elf64_Shdr* shdr = elf64_getshdr(scn);
        shdr->sh_name = nameOffset;
        shdr->sh_type = type;
        return scn;
    };
    std::string content = bytes;
    addSection(content, 11, SHT_PROGBITS);
    ehdr->e_shstrndx = elf_ndxscn(addSection(names, 1, SHT_STRTAB));
    EXPECT_GE(elf_update(elf, ELF_C_WRITE), 0) << elf_errmsg(-1);
    elf_end(elf);
    ::close(fd);
    return path;
}

std::string Record(const std::string& path, const std::string& value) {
    return path + '\0' + value + '\0';
}

const std::string kTranslation = Record("\\VarFileInfo\\Translation", "0411FDE9");

struct OwnKeyCase {
    const char* name;
    std::size_t key;
    const char* expected;
};
void PrintTo(const OwnKeyCase& c, std::ostream* os) { *os << c.name; }

class OwnVersionBlock : public testing::TestWithParam<OwnKeyCase> {};

TEST_P(OwnVersionBlock, ReadsTheKey) {
    std::string value = "unchanged";
    ReadVersionInfo(kOwnProgramFile, GetParam().key, value);
    EXPECT_EQ(value, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, OwnVersionBlock,
    testing::Values(OwnKeyCase{"CompanyName", 1, "Tarvelle Project"},
                    OwnKeyCase{"FileVersion", 3, "1.1.0.0"},
                    OwnKeyCase{"LegalCopyright", 5, "Copyright (C) 2026 Tarvelle Project"},
                    OwnKeyCase{"ProductName", 9, "簡易メール送信ツール - タルヴェル"},
                    OwnKeyCase{"EmptyKeepsValue", 6, "unchanged"}),
    [](const testing::TestParamInfo<OwnKeyCase>& info) { return std::string(info.param.name); });

TEST(ReadVersionInfo, KeyNamesFollowTheTable) {
    EXPECT_STREQ(VersionKeyName(0), "Comments");
    EXPECT_STREQ(VersionKeyName(11), "SpecialBuild");
    std::string value = "unchanged";
    EXPECT_THROW(ReadVersionInfo(kOwnProgramFile, kVersionKeyCount, value), ERangeError);
}

TEST(ReadVersionInfo, FilesWithoutABlockLeaveTheValue) {
    testutil::ScratchDir dir;
    const std::string candidates[] = {
        dir.write("plain.txt", "FileVersion=9.9.9.9\n"),
        dir.path("missing"),
        WriteElf(dir, ".data", kTranslation + Record("\\StringFileInfo\\0411FDE9\\FileVersion",
                                                     "9.9.9.9")),
    };
    for (const std::string& path : candidates) {
        std::string value = "unchanged";
        ReadVersionInfo(path, 3, value);
        EXPECT_EQ(value, "unchanged") << path;
    }
    testutil::ScratchDir emptySection;
    std::string value = "unchanged";
    ReadVersionInfo(WriteElf(emptySection, kVersionSectionName, ""), 3, value);
    EXPECT_EQ(value, "unchanged") << "an empty section is no block";
}

struct BlockCase {
    const char* name;
    std::string block;
    const char* expected;  // nullptr: raises the failure text
};
void PrintTo(const BlockCase& c, std::ostream* os) { *os << c.name; }

class WrittenBlock : public testing::TestWithParam<BlockCase> {};

TEST_P(WrittenBlock, ReadsFileVersion) {
    testutil::ScratchDir dir;
    const std::string path = WriteElf(dir, kVersionSectionName, GetParam().block);
    std::string value = "unchanged";
    if (!GetParam().expected) {
        try {
            ReadVersionInfo(path, 3, value);
            ADD_FAILURE() << "no exception";
        } catch (const Exception& e) {
            EXPECT_STREQ(e.what(), "情報の取得に失敗しました");
        }
        EXPECT_EQ(value, "unchanged");
        return;
    }
    ReadVersionInfo(path, 3, value);
    EXPECT_EQ(value, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WrittenBlock,
    testing::Values(
        BlockCase{"NoTranslation", Record("\\StringFileInfo\\0411FDE9\\FileVersion", "2.0.0.0"),
                  nullptr},
        BlockCase{"EmptyTranslation",
                  Record("\\VarFileInfo\\Translation", "") +
                      Record("\\StringFileInfo\\0411FDE9\\FileVersion", "2.0.0.0"),
                  nullptr},
        BlockCase{"ShortTranslation", Record("\\VarFileInfo\\Translation", "0411"), nullptr},
        BlockCase{"TrimsBlanksAndControls",
                  kTranslation + Record("\\StringFileInfo\\0411FDE9\\FileVersion", " \t2.0.0.0\r\n"),
                  "2.0.0.0"},
        BlockCase{"FirstTranslationWins",
                  Record("\\VarFileInfo\\Translation", "040904B00411FDE9") +
                      Record("\\StringFileInfo\\0411FDE9\\FileVersion", "2.0.0.0") +
                      Record("\\StringFileInfo\\040904B0\\FileVersion", "3.0.0.0"),
                  "3.0.0.0"},
        BlockCase{"PathsIgnoreLetterCase",
                  Record("\\VARFILEINFO\\translation", "0411fde9") +
                      Record("\\StringFileInfo\\0411FDE9\\fileversion", "2.0.0.0"),
                  "2.0.0.0"},
        BlockCase{"OtherLanguageOnlyKeepsValue",
                  kTranslation + Record("\\StringFileInfo\\040904B0\\FileVersion", "2.0.0.0"),
                  "unchanged"},
        BlockCase{"TruncatedRecordKeepsValue",
                  kTranslation + "\\StringFileInfo\\0411FDE9\\FileVersion", "unchanged"}),
    [](const testing::TestParamInfo<BlockCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace klv
