#include <gtest/gtest.h>

#include <random>

#include "mail/Encoders.h"
#include "mail/MimeText.h"

namespace {

using ruzo::DecodeBase64Chunk;
using ruzo::TMemoryStream;

std::string Encode(std::string bytes) {
    TMemoryStream source, dest;
    source.assign(std::move(bytes));
    const std::size_t size = ruzo::EncodeBase64Stream(dest, source);
    EXPECT_EQ(size, dest.size());
    return dest.bytes();
}

// Body lines as a part's decoder reads them: each line with its CR LF, trimmed of spaces.
std::string DecodeLines(std::string_view text) {
    std::string bytes, line;
    for (std::size_t position = 0; position != std::string::npos;) {
        ruzo::TakeLine(text, line, position);
        DecodeBase64Chunk(ruzo::TrimBlanks(line), bytes);
    }
    return bytes;
}

struct CodeCase {
    const char* name;
    std::string bytes;
    std::string text;
};
void PrintTo(const CodeCase& c, std::ostream* os) { *os << c.name; }
const auto kCaseName = [](const auto& info) { return std::string(info.param.name); };

const std::string kLineOfA = [] {
    std::string s;
    for (int i = 0; i < 19; ++i) s += "YWFh";
    return s + "\r\n";
}();

class Base64Encode : public testing::TestWithParam<CodeCase> {};
TEST_P(Base64Encode, WritesCrLfLines) { EXPECT_EQ(Encode(GetParam().bytes), GetParam().text); }
INSTANTIATE_TEST_SUITE_P(
    Table, Base64Encode,
    testing::Values(CodeCase{"Empty", "", ""},
                    CodeCase{"OneByte", "\xFF", "/w==\r\n"},
                    CodeCase{"TwoBytes", "fo", "Zm8=\r\n"},
                    CodeCase{"ThreeBytes", "abc", "YWJj\r\n"},
                    CodeCase{"SixBytes", "foobar", "Zm9vYmFy\r\n"},
                    CodeCase{"FullLineNoEmptyLast", std::string(57, 'a'), kLineOfA},
                    CodeCase{"FullLinePlusOne", std::string(58, 'a'), kLineOfA + "YQ==\r\n"},
                    CodeCase{"TwoFullLines", std::string(114, 'a'), kLineOfA + kLineOfA}),
    kCaseName);

TEST(Base64Encode, ReplacesDestAndMayReadItself) {
    TMemoryStream stream;
    stream.assign("abc");
    EXPECT_EQ(ruzo::EncodeBase64Stream(stream, stream), 6u);
    EXPECT_EQ(stream.bytes(), "YWJj\r\n");
    TMemoryStream empty;
    EXPECT_EQ(ruzo::EncodeBase64Stream(stream, empty), 0u);
    EXPECT_TRUE(stream.empty());
}

class Base64Decode : public testing::TestWithParam<CodeCase> {};
TEST_P(Base64Decode, AppendsWholeGroups) {
    std::string out = "pre";
    const std::size_t written = DecodeBase64Chunk(GetParam().text, out);
    EXPECT_EQ(out, "pre" + GetParam().bytes);
    EXPECT_EQ(written, GetParam().bytes.size());
}
INSTANTIATE_TEST_SUITE_P(
    Table, Base64Decode,
    testing::Values(CodeCase{"Empty", "", ""},
                    CodeCase{"Group", "abc", "YWJj"},
                    CodeCase{"TwoPads", "a", "YQ=="},
                    CodeCase{"OnePad", "ab", "YWI="},
                    CodeCase{"CrLfIsAnIncompleteGroup", "abc", "YWJj\r\n"},
                    CodeCase{"IncompleteGroupDropped", "abc", "YWJjZA"},
                    CodeCase{"PadFirstYieldsNothing", "abc", "=AAAYWJj"},
                    CodeCase{"PaddedGroupsMidText", "aab", "YQ==YWI="},
                    CodeCase{"UrlSafeLettersAreNotAlphabet", std::string("\0\0\0", 3), "-_-_"}),
    kCaseName);

TEST(Base64Decode, AnyBytesStayInsideTheGroups) {
    std::mt19937 random(3);
    for (int round = 0; round < 2000; ++round) {
        std::string text(random() % 40, '\0');
        for (char& c : text) c = static_cast<char>(random());
        std::string out;
        const std::size_t written = DecodeBase64Chunk(text, out);
        ASSERT_LE(written, text.size() / 4 * 3);
        ASSERT_EQ(out.size(), written);
    }
}

TEST(Base64RoundTrip, LinesDecodeToTheSameBytes) {
    std::mt19937 random(1);
    for (std::size_t size : {1u, 2u, 56u, 57u, 58u, 2279u, 2280u, 2281u, 100000u}) {
        std::string bytes(size, '\0');
        for (char& c : bytes) c = static_cast<char>(random());
        const std::string text = Encode(bytes);
        ASSERT_EQ(DecodeLines(text), bytes) << "size " << size;
        // Every line but the last holds 76 characters; all end in CR LF.
        std::string line;
        for (std::size_t position = 0; position != std::string::npos;) {
            ruzo::TakeLine(text, line, position);
            ASSERT_TRUE(line.ends_with("\r\n")) << "size " << size;
            if (position != std::string::npos) {
                ASSERT_EQ(line.size(), 78u) << "size " << size;
            }
            ASSERT_LE(line.size(), 78u);
        }
    }
}

TEST(Base64Decode, LongUnbrokenLine) {
    std::mt19937 random(2);
    std::string bytes(3 << 18, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    std::string text = Encode(bytes);
    std::erase(text, '\r');
    std::erase(text, '\n');
    std::string out;
    EXPECT_EQ(DecodeBase64Chunk(text, out), bytes.size());
    EXPECT_EQ(out, bytes);
}

}  // namespace
