#include "mail/HeaderFold.h"

#include <gtest/gtest.h>

namespace {

std::string Words(int n) {
    std::string text;
    for (int i = 0; i < n; ++i) text += i == 0 ? "word" : " word";
    return text;
}

struct FoldCase {
    const char* name;
    std::string text;
    std::string folded;
};
void PrintTo(const FoldCase& c, std::ostream* os) { *os << c.name; }

class HeaderFold : public testing::TestWithParam<FoldCase> {};

TEST_P(HeaderFold, FoldsAsTransmitted) {
    EXPECT_EQ(ruzo::FoldHeaderText(GetParam().text), GetParam().folded);
}

const std::string k72 = "Subject: " + std::string(63, 'a');

INSTANTIATE_TEST_SUITE_P(
    Table, HeaderFold,
    testing::Values(
        FoldCase{"Empty", "", ""},
        FoldCase{"SeventyTwoKept", k72 + "\r\n", k72 + "\r\n"},
        FoldCase{"LineBreaksUnifiedTrailingDropped", "A: 1\nB: 2\rC: 3\r\n\r\n\n",
                 "A: 1\r\nB: 2\r\nC: 3\r\n"},
        FoldCase{"SpaceGivesWayToFold",
                 "Subject: " + std::string(30, 'a') + " " + std::string(33, 'b'),
                 "Subject: " + std::string(30, 'a') + "\r\n\t" + std::string(33, 'b') + "\r\n"},
        // The rightmost places before column 72 are inside the quoted display name.
        FoldCase{"RightmostOutsideQuotes",
                 "To: taro@example.jp, hanako@example.jp, \"Yamada Taro, Suzuki Hanako, Sato "
                 "Jiro\" <group@example.jp>",
                 "To: taro@example.jp, hanako@example.jp,\r\n"
                 "\t\"Yamada Taro, Suzuki Hanako, Sato Jiro\" <group@example.jp>\r\n"},
        FoldCase{"ApostrophesQuoteToo",
                 "Subject: " + std::string(50, 'x') + " 'y z'" + std::string(20, 'w'),
                 "Subject: " + std::string(50, 'x') + "\r\n\t'y z'" + std::string(20, 'w') +
                     "\r\n"},
        FoldCase{"SemicolonEndsItsLine",
                 "X: " + std::string(40, 'a') + ";" + std::string(40, 'b'),
                 "X: " + std::string(40, 'a') + ";\r\n\t" + std::string(40, 'b') + "\r\n"},
        FoldCase{"RemainderFoldedAgain", "Subject: " + Words(30),
                 "Subject: " + Words(12) + "\r\n\t" + Words(14) + "\r\n\t" + Words(4) + "\r\n"},
        // The space after the field name is no place to break.
        FoldCase{"LongEncodedWordWhole",
                 "Subject: =?ISO-2022-JP?Q?=1B=24B" + std::string(78, 'A') + "=1B=28B?=\r\n",
                 "Subject: =?ISO-2022-JP?Q?=1B=24B" + std::string(78, 'A') + "=1B=28B?=\r\n"},
        FoldCase{"ContinuationBreaksOnlyFrom36",
                 "\t" + std::string(30, 'a') + " " + std::string(50, 'b'),
                 "\t" + std::string(30, 'a') + " " + std::string(50, 'b') + "\r\n"},
        FoldCase{"ContinuationBreakAfter36",
                 "\t" + std::string(40, 'a') + " " + std::string(40, 'b'),
                 "\t" + std::string(40, 'a') + "\r\n\t" + std::string(40, 'b') + "\r\n"},
        FoldCase{"OnlyLongLinesTouched",
                 "From: a\r\nSubject: " + std::string(30, 'a') + " " + std::string(33, 'b') +
                     "\r\nTo: b",
                 "From: a\r\nSubject: " + std::string(30, 'a') + "\r\n\t" +
                     std::string(33, 'b') + "\r\nTo: b\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
