#include <gtest/gtest.h>

#include <random>

#include "mail/Encoders.h"

namespace {

using ruzo::DecodeQPText;
using ruzo::EncodeQPText;

struct QPCase {
    const char* name;
    std::string in;
    std::string out;
};
void PrintTo(const QPCase& c, std::ostream* os) { *os << c.name; }
const auto kCaseName = [](const auto& info) { return std::string(info.param.name); };

std::string Letters(std::size_t n) { return std::string(n, 'a'); }

class QPHeaderEncode : public testing::TestWithParam<QPCase> {};
TEST_P(QPHeaderEncode, Escapes) { EXPECT_EQ(EncodeQPText(GetParam().in, true), GetParam().out); }
INSTANTIATE_TEST_SUITE_P(
    Table, QPHeaderEncode,
    testing::Values(
        QPCase{"UnderscoreQuoteQuestionSpace", "a_b \"c\"?", "a=5Fb=20=22c=22=3F"},
        QPCase{"WordSafeCharactersKept", "Az09!*+-/", "Az09!*+-/"},
        QPCase{"ControlsAndSeparators", "\t\r\n=,;:'\\()", "=09=0D=0A=3D=2C=3B=3A=27=5C=28=29"},
        // た が せ in ISO-2022-JP: "?" "," ";" must not reach the word unescaped.
        QPCase{"Iso2022JpText", "\x1B$B$?$,$;\x1B(B", "=1B=24B=24=3F=24=2C=24=3B=1B=28B"},
        QPCase{"HighBytesUpperHex", "\x82\xA0\x05", "=82=A0=05"},
        QPCase{"NoBreaksInLongText", std::string(40, '\x82') + Letters(80),
               [] {
                   std::string s;
                   for (int i = 0; i < 40; ++i) s += "=82";
                   return s + Letters(80);
               }()}),
    kCaseName);

class QPBodyEncode : public testing::TestWithParam<QPCase> {};
TEST_P(QPBodyEncode, EscapesAndBreaks) {
    EXPECT_EQ(EncodeQPText(GetParam().in, false), GetParam().out);
}
INSTANTIATE_TEST_SUITE_P(
    Table, QPBodyEncode,
    testing::Values(
        QPCase{"Empty", "", ""},
        QPCase{"EqualsEscaped", "a=b", "a=3Db"},
        QPCase{"DelTabSpaceControlsCopied", "\x7F\t a \x01\r\n", "\x7F\t a \x01\r\n"},
        QPCase{"HundredLetters", Letters(100), Letters(72) + "=\r\n" + Letters(28)},
        QPCase{"SeventyTwoThenCrLf", Letters(72) + "\r\n", Letters(72) + "=\r\n\r\n"},
        QPCase{"EscapeNeverSplit", Letters(71) + "\xFF" + "b", Letters(71) + "=FF=\r\nb"},
        // The LF of a hard break counts as the first character of the next line.
        QPCase{"LfCountsOnNextLine", "x\r\n" + Letters(72), "x\r\n" + Letters(71) + "=\r\na"},
        QPCase{"SoftBreakMayEndText", Letters(72), Letters(72) + "=\r\n"}),
    kCaseName);

class QPDecode : public testing::TestWithParam<QPCase> {};
TEST_P(QPDecode, Decodes) { EXPECT_EQ(DecodeQPText(GetParam().in), GetParam().out); }
INSTANTIATE_TEST_SUITE_P(
    Table, QPDecode,
    testing::Values(
        QPCase{"Empty", "", ""},
        QPCase{"Escape", "a=3Db", "a=b"},
        QPCase{"LowerCaseHexKept", "=3d", "=3d"},
        QPCase{"TwoEscapes", "=41=42", "AB"},
        QPCase{"DecodedEqualsNotReadAgain", "=3D41", "=41"},
        QPCase{"SoftBreakCrLf", "abc=\r\ndef", "abcdef"},
        QPCase{"SoftBreakLfCr", "abc=\n\rdef", "abcdef"},
        QPCase{"EqualsLoneCr", "abc=\rdef", "abcdef"},
        QPCase{"EqualsLoneLf", "abc=\ndef", "abcdef"},
        QPCase{"FinalEqualsRemoved", "abc=", "abc"},
        QPCase{"EqualsSecondToLastKept", "ab=4", "ab=4"},
        QPCase{"TwoFinalEqualsKept", "a==", "a=="},
        QPCase{"InvalidEscapeKept", "=G1=4x", "=G1=4x"},
        QPCase{"TrailingSpacesKept", "a  \r\nb", "a  \r\nb"},
        QPCase{"EscapeSplitBySoftBreak", "=4=\r\n1", "A"},
        QPCase{"EqualsBeforeSoftBreakMeetsDigits", "==\r\n41", "A"},
        QPCase{"TwoSoftBreaksInARow", "x==\r\n\r\ny", "xy"},
        // Our encoder writes this when "=41" meets the line limit; it must stay "=41".
        QPCase{"DecodedEqualsBeforeSoftBreakIsFinal", "=3D=\r\n41", "=41"},
        QPCase{"DecodedDigitNotJoined", "==34=\r\n1", "=41"}),
    kCaseName);

// The decoder as a series of edits on a copy, resuming the search for "=" where each edit
// leaves off; decoded bytes end the region that may be searched again.
std::string DecodeByEdits(std::string s) {
    std::size_t resume = 0;
    std::size_t decodedEnd = 0;
    auto hex = [](char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); };
    for (;;) {
        const std::size_t p = s.find('=', resume);
        if (p == std::string::npos) break;
        if (p + 1 == s.size()) {
            s.erase(p);
            break;
        }
        if (p + 2 == s.size()) break;
        const char c1 = s[p + 1], c2 = s[p + 2];
        if (hex(c1) && hex(c2)) {
            s.replace(p, 3, 1, static_cast<char>(std::stoi(s.substr(p + 1, 2), nullptr, 16)));
            resume = decodedEnd = p + 1;
        } else if ((c1 == '\r' && c2 == '\n') || (c1 == '\n' && c2 == '\r')) {
            s.erase(p, 3);
            resume = std::max(p < 2 ? 0 : p - 2, decodedEnd);
        } else if (c1 == '\r' || c1 == '\n') {
            s.erase(p, 2);
            resume = std::max(p < 1 ? 0 : p - 1, decodedEnd);
        } else {
            resume = p + 1;
        }
    }
    return s;
}

TEST(QPDecode, OnePassAgreesWithEditsOnACopy) {
    std::mt19937 random(7);
    const std::string alphabet = "==\r\n3DA4dx";
    for (int round = 0; round < 50000; ++round) {
        std::string text(random() % 15, ' ');
        for (char& c : text) c = alphabet[random() % alphabet.size()];
        ASSERT_EQ(DecodeQPText(text), DecodeByEdits(text)) << testing::PrintToString(text);
    }
}

TEST(QPRoundTrip, BothModesGiveBackTheBytes) {
    std::mt19937 random(11);
    // "=", CR and LF often, so escapes and breaks meet the line limit in every way.
    const std::string frequent = "==\r\n41 a";
    for (std::size_t size : {0u, 1u, 71u, 72u, 73u, 500u, 5000u}) {
        for (int round = 0; round < 20; ++round) {
            std::string bytes(size, '\0');
            for (char& c : bytes)
                c = random() % 2 ? frequent[random() % frequent.size()]
                                 : static_cast<char>(random());
            ASSERT_EQ(DecodeQPText(EncodeQPText(bytes, false)), bytes) << "body, size " << size;
            ASSERT_EQ(DecodeQPText(EncodeQPText(bytes, true)), bytes) << "header, size " << size;
        }
    }
}

}  // namespace
