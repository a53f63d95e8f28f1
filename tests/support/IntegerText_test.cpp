#include "support/IntegerText.h"

#include <gtest/gtest.h>

#include <ostream>

#include "support/Exceptions.h"

namespace {

struct IntCase {
    const char* name;
    std::string text;
    std::optional<std::int32_t> value;
};

void PrintTo(const IntCase& c, std::ostream* os) { *os << c.name; }

class TryStrToIntTable : public testing::TestWithParam<IntCase> {};

TEST_P(TryStrToIntTable, ReadsWholeTextOrNothing) {
    EXPECT_EQ(klv::TryStrToInt(GetParam().text), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Table, TryStrToIntTable,
    testing::Values(
        IntCase{"Decimal", "25", 25},
        IntCase{"LeadingSpaces", "   25", 25},
        IntCase{"LeadingZeros", "007", 7},
        IntCase{"Plus", "+7", 7},
        IntCase{"Minus", "-7", -7},
        IntCase{"DollarHex", "$1F", 31},
        IntCase{"XHex", "x1f", 31},
        IntCase{"UpperXHex", "X1F", 31},
        IntCase{"ZeroXHex", "0x1F", 31},
        IntCase{"ZeroUpperXHex", "0Xff", 255},
        IntCase{"SignedHex", "-$10", -16},
        IntCase{"Zero", "0", 0},
        IntCase{"Largest", "2147483647", 2147483647},
        IntCase{"Smallest", "-2147483648", INT32_MIN},
        IntCase{"LargestHex", "$7FFFFFFF", 2147483647},
        IntCase{"Empty", "", std::nullopt},
        IntCase{"SpacesOnly", "  ", std::nullopt},
        IntCase{"TrailingSpace", "25 ", std::nullopt},
        IntCase{"LeadingTab", "\t25", std::nullopt},
        IntCase{"SpaceAfterSign", "- 5", std::nullopt},
        IntCase{"Word", "mail", std::nullopt},
        IntCase{"TrailingLetter", "12a", std::nullopt},
        IntCase{"SignOnly", "-", std::nullopt},
        IntCase{"PrefixOnly", "$", std::nullopt},
        IntCase{"ZeroXOnly", "0x", std::nullopt},
        IntCase{"HexDigitInDecimal", "1F", std::nullopt},
        IntCase{"NotHexDigit", "$1G", std::nullopt},
        IntCase{"Fraction", "1.5", std::nullopt},
        IntCase{"AboveRange", "2147483648", std::nullopt},
        IntCase{"BelowRange", "-2147483649", std::nullopt},
        IntCase{"HexAboveRange", "$80000000", std::nullopt},
        IntCase{"FarAboveRange", "99999999999999999999", std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(StrToInt, ErrorQuotesTheTextFromWindows31J) {
    EXPECT_EQ(klv::StrToInt(" -12"), -12);
    struct {
        std::string text;
        std::string message;
    } cases[] = {
        {"mail.example.jp", "'mail.example.jp' は整数ではありません"},
        {"", "'' は整数ではありません"},
        {"\x83\x7A\x83\x58\x83\x67", "'ホスト' は整数ではありません"},
        {"\x81", "'\xEF\xBF\xBD' は整数ではありません"},
    };
    for (const auto& c : cases) {
        try {
            klv::StrToInt(c.text);
            ADD_FAILURE() << "no error for " << c.text;
        } catch (const klv::EConvertError& e) {
            EXPECT_EQ(std::string(e.what()), c.message);
        }
    }
}

}  // namespace
