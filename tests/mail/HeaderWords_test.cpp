#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "mail/Encoders.h"
#include "support/Exceptions.h"

namespace {

using ruzo::DecodeHeaderWords;
using ruzo::EncodeHeaderWord;

struct WordCase {
    const char* name;
    std::string in;
    std::string out;
};
void PrintTo(const WordCase& c, std::ostream* os) { *os << c.name; }
const auto kCaseName = [](const auto& info) { return std::string(info.param.name); };

class HeaderWordEncode : public testing::TestWithParam<WordCase> {};
TEST_P(HeaderWordEncode, EncodesWholeTextOrNothing) {
    EXPECT_EQ(EncodeHeaderWord(GetParam().in, "ISO-2022-JP"), GetParam().out);
}
INSTANTIATE_TEST_SUITE_P(
    Table, HeaderWordEncode,
    testing::Values(
        WordCase{"PlainAsciiUnchanged", "Hello world", "Hello world"},
        WordCase{"DelDoesNotCount", "a\x7F?=", "a\x7F?="},
        WordCase{"HighBytes", "\x82\xA0 A", "=?ISO-2022-JP?Q?=82=A0=20A?="},
        WordCase{"TabEncodesWholeText", "a b\tc", "=?ISO-2022-JP?Q?a=20b=09c?="},
        WordCase{"Iso2022JpQuestionMarkEscaped", "\x1B$B$?\x1B(B?",
                 "=?ISO-2022-JP?Q?=1B=24B=24=3F=1B=28B=3F?="},
        WordCase{"LongTextStaysOneWord", std::string(100, '\x82'), [] {
                     std::string s = "=?ISO-2022-JP?Q?";
                     for (int i = 0; i < 100; ++i) s += "=82";
                     return s + "?=";
                 }()}),
    kCaseName);

TEST(HeaderWordEncode, CharsetOnlyLabelsTheWord) {
    EXPECT_EQ(EncodeHeaderWord("Hello world", "x"), "Hello world");
    EXPECT_EQ(EncodeHeaderWord("\x82\xA0", "Shift_JIS"), "=?Shift_JIS?Q?=82=A0?=");
}

class HeaderWordDecode : public testing::TestWithParam<WordCase> {};
TEST_P(HeaderWordDecode, Decodes) { EXPECT_EQ(DecodeHeaderWords(GetParam().in), GetParam().out); }
INSTANTIATE_TEST_SUITE_P(
    Table, HeaderWordDecode,
    testing::Values(
        WordCase{"QWithUnderscore", "=?x?Q?a_b=3Dc?=", "a b=c"},
        WordCase{"BWord", "=?x?B?YWJj?=", "abc"},
        WordCase{"LowerCaseKindAndPassedOverEnd", "=?x?q?=41?=", "A"},
        WordCase{"LowerCaseB", "=?x?b?YWJj?=", "abc"},
        WordCase{"SeveralWordsAndText", "Re: =?x?Q?=41?= and =?x?Q?=42?=", "Re: A and B"},
        WordCase{"SpaceBetweenWordsKept", "=?x?Q?A?= =?x?Q?B?=", "A B"},
        WordCase{"WordInsideText", "ab=?x?Q?c?=de", "abcde"},
        WordCase{"OnlyTrimmed", "  plain  text ", "plain  text"},
        WordCase{"UnknownKindReadAsQ", "=?x?X?=41?=", "A"},
        // Without a kind letter the first two characters are still skipped.
        WordCase{"NoKindReadAsQ", "=?x?=41?=", "1"},
        WordCase{"UWord", "=?x?U?#86)C?=", "abc"},
        WordCase{"ULyingCount", "=?x?U?M86)C?=", "abc"},
        WordCase{"BCutAtZeroByte", "=?x?B?YQBi?=", "a"},
        WordCase{"QKeepsZeroByte", "=?x?Q?a=00b?=", std::string("a\0b", 3)},
        WordCase{"NoEndMarkStops", "=?x?Q?=41?= then =?x?Q?abc", "A then =?x?Q?abc"},
        WordCase{"NoCharsetEndStops", "a =?xyz", "a =?xyz"},
        // Decoded text is final: a name that spells an encoded word arrives as written.
        WordCase{"DecodedWordNotReadAgain", "=?x?Q?=3D=3Fx=3FQ=3FA=3F=3D?=", "=?x?Q?A?="},
        WordCase{"DecodedEqualsDoesNotOpenWord", "=?x?Q?a=3D?=?x?Q?B?=", "a=?x?Q?B?="}),
    kCaseName);

TEST(HeaderWordDecode, UWordOutsideAlphabetRaises) {
    try {
        DecodeHeaderWords("=?x?U?#a?=");
        FAIL() << "no exception";
    } catch (const klv::Exception& e) {
        EXPECT_STREQ(e.what(), "UUCODE message format error");
    }
}

// Fragments of words in any order: decoding stays inside the text (the sanitizer build checks
// the reads) and never yields more than it was given, as every decoded word is shorter than
// its encoded form.
TEST(HeaderWordDecode, AnyFragmentsDecodeSafely) {
    const std::vector<std::string> pieces = {"=?", "?=", "?", "=", "x", "Q?", "b?", "U?", "M",
                                             "=41", "YQ==", " ", "_", "\r\n", "86)C"};
    std::mt19937 random(9);
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        for (std::size_t n = random() % 16; n > 0; --n) text += pieces[random() % pieces.size()];
        try {
            ASSERT_LE(DecodeHeaderWords(text).size(), text.size()) << testing::PrintToString(text);
        } catch (const klv::Exception&) {
            // A U word with a character outside the uu alphabet.
        }
    }
}

TEST(HeaderWordRoundTrip, EncodedTextComesBackWhole) {
    std::mt19937 random(5);
    for (int round = 0; round < 300; ++round) {
        std::string text(1 + random() % 80, '\0');
        // Half printable ASCII, so "?", "=", "_" and spaces sit among the encoded bytes.
        for (char& c : text)
            c = static_cast<char>(random() % 2 ? 0x20 + random() % 0x5F : random() % 256);
        text[random() % text.size()] = '\x82';
        ASSERT_EQ(DecodeHeaderWords(EncodeHeaderWord(text, "ISO-2022-JP")), text)
            << testing::PrintToString(text);
    }
}

}  // namespace
