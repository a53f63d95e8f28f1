#include "support/Iso2022Jp.h"

#include <gtest/gtest.h>

namespace {

struct JisCase {
    const char* name;
    std::string windows31j;
    std::string iso2022jp;
};

const std::string J = "\x1B$B";
const std::string A = "\x1B(B";

class ToIso2022Jp : public testing::TestWithParam<JisCase> {};

TEST_P(ToIso2022Jp, ConvertsAsMailReadersDecode) {
    auto converted = klv::Iso2022JpFromWindows31J(GetParam().windows31j);
    ASSERT_TRUE(converted.has_value());
    EXPECT_EQ(*converted, GetParam().iso2022jp);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ToIso2022Jp,
    testing::Values(
        JisCase{"AsciiUnchanged", "Report 1/2 =?x?=", "Report 1/2 =?x?="},
        JisCase{"Empty", "", ""},
        JisCase{"Hiragana", "\x82\xA0", J + "\x24\x22" + A},
        JisCase{"WaveDashAndMinus", "\x81\x60\x81\x7C", J + "\x21\x41\x21\x5D" + A},
        JisCase{"NecRow13", "\x87\x40\x87\x8A", J + "\x2D\x21\x2D\x6A" + A},
        JisCase{"NecSelectedIbmRow89", "\xED\x95", J + "\x79\x75" + A},
        // IBM extensions go as their first twin in JIS order: 髙 to row 89, Ⅰ to row 13,
        // ￢ to row 2, ㈱ to row 13.
        JisCase{"IbmKanjiTwin", "\xFB\xFC", J + "\x7C\x62" + A},
        JisCase{"IbmRomanNumeralTwin", "\xFA\x4A", J + "\x2D\x35" + A},
        JisCase{"IbmNotSignTwin", "\xFA\x54", J + "\x22\x4C" + A},
        JisCase{"IbmCompanyTwin", "\xFA\x58", J + "\x2D\x6A" + A},
        JisCase{"HalfWidthKana", "\xB1\xB2", J + "\x25\x22\x25\x24" + A},
        JisCase{"VoicedKanaCombine", "\xB6\xDE\xCA\xDF\xB3\xDE", J + "\x25\x2C\x25\x51\x25\x74" + A},
        JisCase{"MarkWithoutCombinedForm", "\xB1\xDE\xDF", J + "\x25\x22\x21\x2B\x21\x2C" + A},
        JisCase{"ModesSwitchAndEndInAscii", "a\x82\xA0" "b", "a" + J + "\x24\x22" + A + "b"}),
    [](const auto& info) { return std::string(info.param.name); });

struct NoFormCase {
    const char* name;
    std::string windows31j;
};

class NoIso2022JpForm : public testing::TestWithParam<NoFormCase> {};

TEST_P(NoIso2022JpForm, IsRefusedWhole) {
    EXPECT_FALSE(klv::Iso2022JpFromWindows31J(GetParam().windows31j).has_value());
}

INSTANTIATE_TEST_SUITE_P(Table, NoIso2022JpForm,
                         testing::Values(NoFormCase{"UserDefinedArea", "ab\xF0\x40"},
                                         NoFormCase{"LoneLeadByteAtEnd", "ab\x82"},
                                         NoFormCase{"UndefinedRow9", "\x85\x40"},
                                         NoFormCase{"ByteA0", "\xA0"},
                                         NoFormCase{"Byte80", "\x80"},
                                         NoFormCase{"ByteFD", "\xFD"}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
