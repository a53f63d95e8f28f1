#include "support/TextRoutines.h"

#include <gtest/gtest.h>

#include <ostream>

namespace {

const std::string FW = "\x81\x40";  // full-width space

struct TrimCase {
    const char* name;
    std::string text;
    std::string trimmed;
};

void PrintTo(const TrimCase& c, std::ostream* os) { *os << c.name; }

class FullTrimTable : public testing::TestWithParam<TrimCase> {};

TEST_P(FullTrimTable, TrimsBlanksAndFullWidthSpaces) {
    EXPECT_EQ(klv::FullTrim(GetParam().text), GetParam().trimmed);
    EXPECT_EQ(klv::IsBlank(GetParam().text), GetParam().trimmed.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Table, FullTrimTable,
    testing::Values(
        TrimCase{"Empty", "", ""},
        TrimCase{"BlanksAndTabs", " \t  ", ""},
        TrimCase{"ControlBytesAndNul", std::string("\0\x01 a\x1F\0", 6), "a"},
        TrimCase{"OneFullWidthSpace", FW, ""},
        TrimCase{"BlanksAndFullWidthMixed", " " + FW + "\t" + FW + FW + " ", ""},
        TrimCase{"LetterBetweenFullWidth", FW + "a" + FW, "a"},
        TrimCase{"InnerSpacesKept", FW + " a" + FW + " b\t" + FW, "a" + FW + " b"},
        TrimCase{"AfterDoubleByteCharacter", "\x8A\xBF" + FW + " ", "\x8A\xBF"},
        // 0x82 0x81 is one character; the 0x40 after it is "@", not half of a space.
        TrimCase{"PairStraddlingTwoCharacters", "\x82\x81\x40 ", "\x82\x81\x40"},
        TrimCase{"HalfWidthKatakanaBeforeSpace", "\xB1" + FW, "\xB1"}),
    [](const auto& info) { return std::string(info.param.name); });

struct EndsCase {
    const char* name;
    std::string suffix;
    std::string text;
    bool ends;
};

void PrintTo(const EndsCase& c, std::ostream* os) { *os << c.name; }

class EndsWithTextTable : public testing::TestWithParam<EndsCase> {};

TEST_P(EndsWithTextTable, MatchesWholeCharactersOnly) {
    EXPECT_EQ(klv::EndsWithText(GetParam().suffix, GetParam().text), GetParam().ends);
}

INSTANTIATE_TEST_SUITE_P(
    Table, EndsWithTextTable,
    testing::Values(
        EndsCase{"SuffixLongerThanText", "abc", "bc", false},
        EndsCase{"WholeText", "abc", "abc", true},
        EndsCase{"EmptySuffix", "", "abc", true},
        EndsCase{"CaseSensitive", "C", "abc", false},
        EndsCase{"FullWidthSpaceAtEnd", FW, "a" + FW, true},
        EndsCase{"StartsOnSecondByte", FW, "\x82\x81\x40", false},
        EndsCase{"AfterDoubleByteCharacter", FW, "\x82\xA0" + FW, true}),
    [](const auto& info) { return std::string(info.param.name); });

struct QuoteCase {
    const char* name;
    std::string text;
    bool addSeparator;
    bool doTrim;
    std::string quoted;
};

void PrintTo(const QuoteCase& c, std::ostream* os) { *os << c.name; }

class QuotedTextTable : public testing::TestWithParam<QuoteCase> {};

TEST_P(QuotedTextTable, Quotes) {
    const auto& c = GetParam();
    EXPECT_EQ(klv::QuotedText(c.text, c.addSeparator, c.doTrim), c.quoted);
}

INSTANTIATE_TEST_SUITE_P(
    Table, QuotedTextTable,
    testing::Values(
        QuoteCase{"Name", "Taro", false, true, "\"Taro\""},
        QuoteCase{"InnerQuoteDoubled", "Taro \"T\"", false, true, "\"Taro \"\"T\"\"\""},
        QuoteCase{"Separator", "Taro", true, true, "\"Taro\", "},
        QuoteCase{"Trimmed", " \tTaro  ", false, true, "\"Taro\""},
        QuoteCase{"Untrimmed", " Taro ", false, false, "\" Taro \""},
        QuoteCase{"FullWidthSpaceIsNotTrimmed", FW + "Taro", false, true, "\"" + FW + "Taro\""},
        QuoteCase{"Empty", "", false, true, "\"\""}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
