#include <gtest/gtest.h>

#include "mail/Encoders.h"
#include "support/Exceptions.h"

namespace {

using Buffer = std::array<std::uint8_t, 45>;
using ruzo::DecodeUULine;
using ruzo::UUCharValue;

// The line a uuencoder writes for up to 45 bytes: count character, then 6-bit groups.
std::string UULine(std::string_view bytes) {
    auto put = [](unsigned v) { return static_cast<char>(v ? 0x20 + v : '`'); };
    std::string line(1, put(static_cast<unsigned>(bytes.size())));
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        unsigned bits = 0;
        for (std::size_t j = i; j < i + 3; ++j)
            bits = bits << 8 | (j < bytes.size() ? static_cast<unsigned char>(bytes[j]) : 0u);
        for (int shift = 18; shift >= 0; shift -= 6) line += put(bits >> shift & 63);
    }
    return line;
}

std::string Bytes(const Buffer& buffer, std::size_t n = 45) {
    return std::string(reinterpret_cast<const char*>(buffer.data()), n);
}

std::string Padded(std::string_view bytes) {
    std::string s(bytes);
    s.resize(45, '\0');
    return s;
}

void ExpectFormatError(std::string_view line) {
    Buffer buffer{};
    try {
        DecodeUULine(line, buffer);
        ADD_FAILURE() << "no exception for " << testing::PrintToString(std::string(line));
    } catch (const klv::Exception& e) {
        EXPECT_STREQ(e.what(), "UUCODE message format error");
    }
}

TEST(UUCharValue, AlphabetAndSpace) {
    EXPECT_EQ(UUCharValue(' '), 0);
    EXPECT_EQ(UUCharValue('`'), 0);
    EXPECT_EQ(UUCharValue('!'), 1);
    EXPECT_EQ(UUCharValue('A'), 33);
    EXPECT_EQ(UUCharValue('_'), 63);
    for (unsigned char c : {'a', '~', '\x7F', '\0', '\x1F', '\x80'}) {
        EXPECT_THROW(UUCharValue(c), klv::Exception) << int(c);
    }
}

TEST(DecodeUULine, ShortAndFullLines) {
    Buffer buffer{};
    EXPECT_EQ(DecodeUULine("#86)C", buffer), 3);
    EXPECT_EQ(Bytes(buffer), Padded("abc"));

    std::string full(45, '\0');
    for (std::size_t i = 0; i < full.size(); ++i) full[i] = static_cast<char>(i * 37 + 5);
    ASSERT_EQ(UULine(full).size(), 61u);
    EXPECT_EQ(DecodeUULine(UULine(full), buffer), 45);
    EXPECT_EQ(Bytes(buffer), full);
}

TEST(DecodeUULine, EmptyLineWritesNothing) {
    Buffer buffer;
    buffer.fill(0xAA);
    EXPECT_EQ(DecodeUULine("", buffer), 0);
    EXPECT_EQ(Bytes(buffer), std::string(45, '\xAA'));
}

// Lines whose count and length disagree: nothing is read or written outside the line and
// the 45-byte buffer (the sanitizer build checks the reads), and the declared count is
// returned for the caller to bound.
TEST(DecodeUULine, CountAndLengthDisagree) {
    const std::string abc = UULine("abc").substr(1);  // "86)C"
    Buffer buffer{};

    EXPECT_EQ(DecodeUULine("M" + abc, buffer), 45);  // claims 45, carries 3
    EXPECT_EQ(Bytes(buffer), Padded("abc"));

    EXPECT_EQ(DecodeUULine("_" + abc, buffer), 63);  // claims more than any line holds
    EXPECT_EQ(Bytes(buffer), Padded("abc"));

    const std::string body = UULine(std::string(45, 'z')).substr(1);
    // A count of 45 reads exactly 60 characters; what follows is not read at all.
    EXPECT_EQ(DecodeUULine("M" + body + "garbage~~", buffer), 45);
    EXPECT_EQ(Bytes(buffer), std::string(45, 'z'));

    // Any other count reads the whole line; only its first 60 characters fit the buffer.
    std::string overlong = "#" + body + body + body;
    EXPECT_EQ(DecodeUULine(overlong, buffer), 3);
    EXPECT_EQ(Bytes(buffer), std::string(45, 'z'));
    ExpectFormatError(overlong + "a");
}

TEST(DecodeUULine, CharacterOutsideAlphabetRaises) {
    ExpectFormatError("a86)C");
    ExpectFormatError("#86)c");
}

}  // namespace
