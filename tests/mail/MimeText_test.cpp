#include "mail/MimeText.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

using ruzo::LeftPad;
using ruzo::TrimBlanks;
using ruzo::TrimLeadingBlanks;

TEST(TrimBlanks, SpacesOnly) {
    EXPECT_EQ(TrimBlanks("  a b  "), "a b");
    EXPECT_EQ(TrimBlanks(" \ta\r\n "), "\ta\r\n");
    EXPECT_EQ(TrimBlanks("    "), "");
    EXPECT_EQ(TrimBlanks(""), "");
    EXPECT_EQ(TrimLeadingBlanks("  a  "), "a  ");
    EXPECT_EQ(TrimLeadingBlanks("   "), "");
}

struct PadCase {
    const char* name;
    std::string text;
    std::size_t width;
    std::string fill;
    std::string out;
};
void PrintTo(const PadCase& c, std::ostream* os) { *os << c.name; }

class LeftPadTable : public testing::TestWithParam<PadCase> {};
TEST_P(LeftPadTable, PadsOrCuts) {
    const PadCase& c = GetParam();
    EXPECT_EQ(LeftPad(c.text, c.width, c.fill), c.out);
}
INSTANTIATE_TEST_SUITE_P(
    Table, LeftPadTable,
    testing::Values(PadCase{"LeadingSpaceDropped", " 5", 2, "0", "05"},
                    PadCase{"LongerCutToLastChars", "12345", 2, "0", "45"},
                    PadCase{"ExactWidthKept", "ab", 2, "0", "ab"},
                    PadCase{"WholeFillCopies", "7", 4, "ab", "abab7"},
                    PadCase{"BlankTextAllFill", "  ", 3, "0", "000"},
                    PadCase{"ZeroWidth", "9", 0, "0", ""}),
    [](const auto& info) { return std::string(info.param.name); });

using Steps = std::vector<std::pair<std::string, std::size_t>>;
constexpr std::size_t kEnd = std::string::npos;

// Every (line, position) that TakeLine gives, called as the MIME code calls it.
Steps TakeAll(std::string_view text) {
    Steps steps;
    std::string line;
    std::size_t position = 0;
    do {
        ruzo::TakeLine(text, line, position);
        steps.emplace_back(line, position);
    } while (position != kEnd && steps.size() < 100);
    return steps;
}

TEST(TakeLine, LinesIncludeTheirCrLf) {
    EXPECT_EQ(TakeAll("ab\r\ncd"), (Steps{{"ab\r\n", 4}, {"cd", kEnd}}));
    EXPECT_EQ(TakeAll("ab\r\n"), (Steps{{"ab\r\n", kEnd}}));
    EXPECT_EQ(TakeAll(""), (Steps{{"", kEnd}}));
    EXPECT_EQ(TakeAll("a\rb\nc\r\n\r\n"), (Steps{{"a\rb\nc\r\n", 7}, {"\r\n", kEnd}}));
    EXPECT_EQ(TakeAll("\r\r\nx"), (Steps{{"\r\r\n", 3}, {"x", kEnd}}));
}

}  // namespace
