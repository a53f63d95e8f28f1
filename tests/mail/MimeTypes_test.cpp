#include "mail/MimeTypes.h"

#include <gtest/gtest.h>

namespace {

struct TypeCase {
    const char* name;
    std::string fileName;
    std::string type;
};
void PrintTo(const TypeCase& c, std::ostream* os) { *os << c.name; }

class ContentTypeForFile : public testing::TestWithParam<TypeCase> {};

TEST_P(ContentTypeForFile, ByExtensionOnly) {
    EXPECT_EQ(ruzo::ContentTypeForFile(GetParam().fileName), GetParam().type);
}

constexpr const char* kOctets = "application/octet-stream";

INSTANTIATE_TEST_SUITE_P(
    Table, ContentTypeForFile,
    testing::Values(
        TypeCase{"Text", "/home/taro/report.txt", "text/plain"},
        TypeCase{"ExtensionCaseIgnored", "PHOTO.JPG", "image/jpeg"},
        TypeCase{"LastDotDecides", "backup.tar.gz", "application/gzip"},
        TypeCase{"JapaneseName", "\xE5\xA0\xB1\xE5\x91\x8A.pdf", "application/pdf"},
        // The database knows these whole names; without an extension they stay octets.
        TypeCase{"WholeNameNotMatched", "Makefile", kOctets},
        TypeCase{"WholeNamePrefixNotMatched", "README.xyz", kOctets},
        TypeCase{"DotInFolderOnly", "/tmp/v1.2/Makefile", kOctets},
        TypeCase{"UnregisteredExtension", "data.qqzzx", kOctets},
        TypeCase{"FinalDot", "name.", kOctets}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ExtensionForContentType, PreferredSuffixWithDot) {
    EXPECT_EQ(ruzo::ExtensionForContentType("text/plain"), ".txt");
    EXPECT_EQ(ruzo::ExtensionForContentType("image/jpeg"), ".jpg");
    EXPECT_EQ(ruzo::ExtensionForContentType("no/such-type"), "");
    EXPECT_EQ(ruzo::ExtensionForContentType("inode/directory"), "");
}

}  // namespace
