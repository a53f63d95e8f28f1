#include "support/Codec.h"

#include <gtest/gtest.h>

#include <ostream>

#include "support/Exceptions.h"

namespace {

struct PairCase {
    const char* name;
    std::string utf8;
    std::string windows31j;
};

void PrintTo(const PairCase& c, std::ostream* os) { *os << c.name; }

class BothWays : public testing::TestWithParam<PairCase> {};

TEST_P(BothWays, ConvertsExactly) {
    EXPECT_EQ(klv::Windows31JFromUtf8(GetParam().utf8), GetParam().windows31j);
    EXPECT_EQ(klv::Utf8FromWindows31J(GetParam().windows31j), GetParam().utf8);
    EXPECT_EQ(klv::DisplayFromWindows31J(GetParam().windows31j), GetParam().utf8);
}

INSTANTIATE_TEST_SUITE_P(
    Table, BothWays,
    testing::Values(
        PairCase{"Empty", "", ""},
        // 0x5C and 0x7E are backslash and tilde in Windows-31J, not yen and overline.
        PairCase{"AsciiWithBackslashTildeAndNul", std::string("a\\~\0\r\n", 6),
                 std::string("a\\~\0\r\n", 6)},
        PairCase{"Kanji", "山田 太郎", "\x8E\x52\x93\x63 \x91\xBE\x98\x59"},
        PairCase{"HalfWidthKatakana", "ｱｲ", "\xB1\xB2"},
        PairCase{"FullWidthSpaceAndTilde", "　～", "\x81\x40\x81\x60"},
        PairCase{"NecSpecial", "①㈱", "\x87\x40\x87\x8A"},
        PairCase{"IbmExtension", "髙﨑", "\xFB\xFC\xFA\xB1"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Windows31JFromUtf8, KeepsJisCharactersThatReadBackAsTheirWindowsTwin) {
    EXPECT_EQ(klv::Windows31JFromUtf8("〜−‖—¢£¬"),
              "\x81\x60\x81\x7C\x81\x61\x81\x5C\x81\x91\x81\x92\x81\xCA");
}

struct ErrorCase {
    const char* name;
    std::string input;
    std::string message;
};

void PrintTo(const ErrorCase& c, std::ostream* os) { *os << c.name; }

class NoWindows31JForm : public testing::TestWithParam<ErrorCase> {};

TEST_P(NoWindows31JForm, NamesTheCharacter) {
    try {
        klv::Windows31JFromUtf8(GetParam().input);
        ADD_FAILURE() << "converted";
    } catch (const klv::EEncodingError& e) {
        EXPECT_EQ(std::string(e.what()), GetParam().message);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, NoWindows31JForm,
    testing::Values(
        ErrorCase{"Accented", "café", "文字「é」(U+00E9) は Windows-31J で表せません"},
        ErrorCase{"Euro", "100€", "文字「€」(U+20AC) は Windows-31J で表せません"},
        ErrorCase{"Emoji", "あ😀", "文字「😀」(U+1F600) は Windows-31J で表せません"},
        // The C library would write these as the backslash and the tilde.
        ErrorCase{"Yen", "¥100", "文字「¥」(U+00A5) は Windows-31J で表せません"},
        ErrorCase{"Overline", "a‾", "文字「‾」(U+203E) は Windows-31J で表せません"},
        // ... and would drop this one.
        ErrorCase{"TagCharacter", "a\xF3\xA0\x80\x81z",
                  "文字「\xF3\xA0\x80\x81」(U+E0001) は Windows-31J で表せません"},
        ErrorCase{"FirstOfSeveral", "〜¥é", "文字「¥」(U+00A5) は Windows-31J で表せません"},
        ErrorCase{"CutOffSequence", "ab\xE3\x81", "UTF-8 として正しくないバイト 0xE3 があります"},
        ErrorCase{"LoneContinuation", "a\x80", "UTF-8 として正しくないバイト 0x80 があります"},
        ErrorCase{"Overlong", "\xC0\xAF", "UTF-8 として正しくないバイト 0xC0 があります"},
        ErrorCase{"Surrogate", "\xED\xA0\x80", "UTF-8 として正しくないバイト 0xED があります"},
        ErrorCase{"Windows31JGivenAsUtf8", "\x82\xA0",
                  "UTF-8 として正しくないバイト 0x82 があります"}),
    [](const auto& info) { return std::string(info.param.name); });

struct BadBytesCase {
    const char* name;
    std::string windows31j;
    std::string bytesNamed;  // in the strict error
    std::string display;
};

void PrintTo(const BadBytesCase& c, std::ostream* os) { *os << c.name; }

class NotWindows31J : public testing::TestWithParam<BadBytesCase> {};

TEST_P(NotWindows31J, StrictRaisesAndDisplayReplaces) {
    const auto& c = GetParam();
    try {
        klv::Utf8FromWindows31J(c.windows31j);
        ADD_FAILURE() << "converted";
    } catch (const klv::EEncodingError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Windows-31J として正しくないバイト " + c.bytesNamed + " があります");
    }
    EXPECT_EQ(klv::DisplayFromWindows31J(c.windows31j), c.display);
}

INSTANTIATE_TEST_SUITE_P(
    Table, NotWindows31J,
    testing::Values(
        // A lead byte with a bad second byte goes alone, so the byte after it still shows.
        BadBytesCase{"BadSecondByte", "\x81 x", "0x81", "\xEF\xBF\xBD x"},
        BadBytesCase{"UnassignedPair", "a\x85\x40z", "0x85 0x40", "a\xEF\xBF\xBDz"},
        BadBytesCase{"UnusedSingleByte", "\x82\xA0\xFF", "0xFF", "あ\xEF\xBF\xBD"},
        BadBytesCase{"CutOffAtEnd", "ab\x81", "0x81", "ab\xEF\xBF\xBD"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
