#include "maildef/Addresses.h"

#include <gtest/gtest.h>

#include <ostream>

namespace {

struct AddressCase {
    const char* name;
    std::string address;
    bool valid;
};

void PrintTo(const AddressCase& c, std::ostream* os) { *os << c.name; }

class MailAddressTable : public testing::TestWithParam<AddressCase> {};

TEST_P(MailAddressTable, Checks) {
    EXPECT_EQ(tvl::IsValidMailAddress(GetParam().address), GetParam().valid);
}

INSTANTIATE_TEST_SUITE_P(
    Table, MailAddressTable,
    testing::Values(
        AddressCase{"Plain", "taro.yamada@example.co.jp", true},
        AddressCase{"ShortestAccepted", "@a.b", true},
        AddressCase{"EmptyLocalPart", "@example.jp", true},
        AddressCase{"LocalPartDotsAnywhere", ".a..b.@example.jp", true},
        AddressCase{"LocalPartMarks", "!#$%&'*+-/=?^_`{|}~@example.jp", true},
        AddressCase{"DomainStartsWithHyphen", "a@-example.jp", true},
        AddressCase{"DomainEndsWithHyphen", "a@example.jp-", true},
        AddressCase{"TwoCharacters", "@a", false},
        AddressCase{"NoAt", "example.jp", false},
        AddressCase{"EndsWithAt", "taro@", false},
        AddressCase{"BlankInLocalPart", "taro yamada@example.jp", false},
        AddressCase{"DoubleByteInLocalPart", "\x91\xBE\x98\x59@example.jp", false},
        AddressCase{"DelInLocalPart", "a\x7F@example.jp", false},
        AddressCase{"DomainWithoutDot", "a@localhost", false},
        AddressCase{"DomainStartsWithDot", "a@.example.jp", false},
        AddressCase{"DomainEndsWithDot", "a@example.jp.", false},
        AddressCase{"DomainWithTwoDots", "a@example..jp", false},
        AddressCase{"DomainWithUnderscore", "a@ex_ample.jp", false},
        AddressCase{"DomainWithBlank", "a@example.jp ", false},
        AddressCase{"SecondAtLandsInDomain", "a@b@example.jp", false}),
    [](const auto& info) { return std::string(info.param.name); });

// The local part takes 0x21, 0x23-0x27, 0x2A-0x2B, 0x2D-0x39, 0x3D, 0x3F, 0x41-0x5A and
// 0x5E-0x7E, and no other byte.
TEST(MailAddress, LocalPartTakesExactlyTheAllowedBytes) {
    auto allowed = [](int c) {
        return c == 0x21 || (c >= 0x23 && c <= 0x27) || c == 0x2A || c == 0x2B ||
               (c >= 0x2D && c <= 0x39) || c == 0x3D || c == 0x3F || (c >= 0x41 && c <= 0x5A) ||
               (c >= 0x5E && c <= 0x7E);
    };
    int accepted = 0;
    for (int c = 0; c < 256; ++c) {
        std::string address = std::string(1, static_cast<char>(c)) + "@a.b";
        bool valid = tvl::IsValidMailAddress(address);
        EXPECT_EQ(valid, allowed(c)) << "byte " << c;
        accepted += valid;
    }
    EXPECT_EQ(accepted, 82);
}

TEST(Angles, EncloseAndStrip) {
    EXPECT_EQ(tvl::EncloseInAngles("a@b.c"), "<a@b.c>");
    EXPECT_EQ(tvl::EncloseInAngles(""), "<>");
    EXPECT_EQ(tvl::StripAngles("a@b.c"), "a@b.c");
    EXPECT_EQ(tvl::StripAngles("<>><<"), "");
    EXPECT_EQ(tvl::StripAngles("<a<b>c>"), "abc");
}

TEST(MailAddressErrorText, WithAndWithoutLabel) {
    EXPECT_EQ(tvl::MailAddressErrorText("「From メールアドレス」"),
              "「From メールアドレス」に入力されたメールアドレスが正しくありません。");
    EXPECT_EQ(tvl::MailAddressErrorText(""), "入力されたメールアドレスが正しくありません。");
}

}  // namespace
