#include "support/FileIO.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <ostream>
#include <random>

#include "support/Exceptions.h"
#include "tests/support/ScratchDir.h"

namespace {

using testutil::ScratchDir;

std::string Message(const std::string& path, int error, const char* ending) {
    return "ファイル \"" + path + "\". " + std::strerror(error) + ending;
}

// Places that cannot be opened or created even by root: the path and the reason.
struct BadPlace {
    const char* name;
    std::function<std::string(const ScratchDir&)> prepare;
    int error;
};

const BadPlace kBadPlaces[] = {
    {"MissingFolder", [](const ScratchDir& d) { return d.path("no-such-folder/f.txt"); }, ENOENT},
    {"Directory",
     [](const ScratchDir& d) {
         std::filesystem::create_directory(d.path("dir"));
         return d.path("dir");
     },
     EISDIR},
    {"BelowRegularFile",
     [](const ScratchDir& d) { return d.write("plain", "x") + "/f.txt"; }, ENOTDIR},
};

void PrintTo(const BadPlace& c, std::ostream* os) { *os << c.name; }

class UnusablePath : public testing::TestWithParam<BadPlace> {};

TEST_P(UnusablePath, ReadRaisesOpenError) {
    ScratchDir dir;
    std::string path = GetParam().prepare(dir);
    try {
        klv::ReadWholeFile(path);
        ADD_FAILURE() << "read " << path;
    } catch (const klv::EFOpenError& e) {
        EXPECT_EQ(std::string(e.what()), Message(path, GetParam().error, " は開けません"));
    }
}

TEST_P(UnusablePath, WriteRaisesCreateError) {
    ScratchDir dir;
    std::string path = GetParam().prepare(dir);
    try {
        klv::WriteWholeFile(path, "data");
        ADD_FAILURE() << "wrote " << path;
    } catch (const klv::EFCreateError& e) {
        EXPECT_EQ(std::string(e.what()), Message(path, GetParam().error, " を作成できません"));
    }
}

INSTANTIATE_TEST_SUITE_P(Table, UnusablePath, testing::ValuesIn(kBadPlaces),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ReadWholeFile, MissingFileNamesItsFullPath) {
    ScratchDir dir;
    std::string full = dir.path("missing.def");
    try {
        klv::ReadWholeFile(dir.path("sub/../missing.def"));
        ADD_FAILURE();
    } catch (const klv::EFOpenError& e) {
        EXPECT_EQ(std::string(e.what()), Message(full, ENOENT, " は開けません"));
    }
}

TEST(ReadWholeFile, ReturnsEveryByte) {
    ScratchDir dir;
    std::string bytes("a\r\n\0\x81\x40\xFF\r", 8);
    bytes += std::string(200000, 'z');
    EXPECT_EQ(klv::ReadWholeFile(dir.write("f", bytes)), bytes);
    EXPECT_EQ(klv::ReadWholeFile(dir.write("empty", "")), "");
}

// Lengths at the edges of the read loop's 64 KiB block, and one long enough to be held in
// 2 MiB pages.
struct FileLength {
    const char* name;
    std::size_t length;
};

void PrintTo(const FileLength& row, std::ostream* os) { *os << row.name; }

class ReadWholeFileLength : public testing::TestWithParam<FileLength> {};

TEST_P(ReadWholeFileLength, ReturnsEveryByte) {
    ScratchDir dir;
    std::string bytes(GetParam().length, '\0');
    std::mt19937 random(static_cast<unsigned>(GetParam().length));
    for (char& c : bytes) c = static_cast<char>(random());
    const std::string read = klv::ReadWholeFile(dir.write("f", bytes));
    ASSERT_EQ(read.size(), bytes.size());
    EXPECT_TRUE(read == bytes) << "first difference at "
                               << std::mismatch(read.begin(), read.end(), bytes.begin()).first -
                                      read.begin();
}

INSTANTIATE_TEST_SUITE_P(Table, ReadWholeFileLength,
                         testing::Values(FileLength{"OneByteShortOfABlock", 65535},
                                         FileLength{"OneBlock", 65536},
                                         FileLength{"OneBytePastABlock", 65537},
                                         FileLength{"SeveralHugePages", (9u << 20) + 3}),
                         [](const auto& info) { return std::string(info.param.name); });

// The size a file reports is only where reading starts: /proc files report 0.
TEST(ReadWholeFile, ReadsToTheEndOfAFileThatReportsNoSize) {
    std::ifstream in("/proc/version", std::ios::binary);
    const std::string expected(std::istreambuf_iterator<char>(in), {});
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(klv::ReadWholeFile("/proc/version"), expected);
}

TEST(WriteWholeFile, CreatesAndTruncates) {
    ScratchDir dir;
    klv::WriteWholeFile(dir.path("new"), std::string("a\0b", 3));
    EXPECT_EQ(dir.read("new"), std::string("a\0b", 3));
    dir.write("old", "a much longer earlier content");
    klv::WriteWholeFile(dir.path("old"), "short");
    EXPECT_EQ(dir.read("old"), "short");
}

// Another instance holding the file keeps it from being read, and from being overwritten.
TEST(FileLocks, FileHeldByWriterStaysIntact) {
    ScratchDir dir;
    std::string path = dir.write("held", "original");
    int fd = ::open(path.c_str(), O_RDWR);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    EXPECT_THROW(klv::ReadWholeFile(path), klv::EFOpenError);
    try {
        klv::WriteWholeFile(path, "replacement");
        ADD_FAILURE() << "wrote a held file";
    } catch (const klv::EFCreateError& e) {
        EXPECT_EQ(std::string(e.what()), Message(path, EWOULDBLOCK, " を作成できません"));
    }
    ::close(fd);
    EXPECT_EQ(dir.read("held"), "original");
}

}  // namespace
