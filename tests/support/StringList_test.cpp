#include "support/StringList.h"

#include <gtest/gtest.h>

namespace {

using klv::SplitCommaText;
using Items = std::vector<std::string>;

struct CommaCase {
    const char* name;
    std::string text;
    Items items;
};

class CommaTextRead : public testing::TestWithParam<CommaCase> {};

TEST_P(CommaTextRead, SplitsIntoItems) {
    EXPECT_EQ(SplitCommaText(GetParam().text), GetParam().items);
}

INSTANTIATE_TEST_SUITE_P(
    Table, CommaTextRead,
    testing::Values(
        CommaCase{"BlankEndsPlainItem", "Taro Yamada", {"Taro", "Yamada"}},
        CommaCase{"AdjacentCommas", "a,,b", {"a", "", "b"}},
        CommaCase{"FinalComma", "a,", {"a", ""}},
        CommaCase{"CommaThenBlank", "a, ", {"a"}},
        CommaCase{"LeadingComma", ",a", {"", "a"}},
        CommaCase{"TwoQuotes", "\"\"", {""}},
        CommaCase{"Empty", "", {}},
        CommaCase{"QuotedNameThenAngles", "\"Taro Y\"<a@b.c>", {"Taro Y", "<a@b.c>"}},
        CommaCase{"DoubledQuote", "\"a\"\"b\",c", {"a\"b", "c"}},
        CommaCase{"UnclosedQuoteRunsToEnd", "x,\"abc", {"x", "abc"}},
        CommaCase{"NulEndsText", std::string("a,b\0,c", 6), {"a", "b"}},
        // 0x83 0x5C is one character: its second byte is not a separator of any kind.
        CommaCase{"DoubleByteSteppedWhole", "\"\x83\x5C\",\x95\x5C", {"\x83\x5C", "\x95\x5C"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CommaTextWrite, QuotesOnlyWhereNeeded) {
    EXPECT_EQ(klv::JoinCommaText({}), "");
    EXPECT_EQ(klv::JoinCommaText({""}), "\"\"");
    EXPECT_EQ(klv::JoinCommaText({"a", "", "b"}), "a,,b");
    EXPECT_EQ(klv::JoinCommaText({"Taro<a>", "\x8E\x52\x93\x63 \x91\xBE\x98\x59<b>", "<c>"}),
              "Taro<a>,\"\x8E\x52\x93\x63 \x91\xBE\x98\x59<b>\",<c>");
    EXPECT_EQ(klv::JoinCommaText({"a\"b", "c,d", "e\tf"}), "\"a\"\"b\",\"c,d\",\"e\tf\"");
}

TEST(CommaTextWrite, ReadsBackWhatItWrote) {
    Items items{"plain", "with blank", "quote\"inside", "comma,inside", ""};
    // The empty last item leaves a final comma, which reads back as an empty item.
    EXPECT_EQ(SplitCommaText(klv::JoinCommaText(items)), items);
}

TEST(StringListSorted, CaseInsensitiveOrderWithoutDuplicates) {
    klv::StringList list;
    list.setSorted(true, true);
    for (const char* s : {"b", "A", "a", "c", "B"}) list.add(s);
    EXPECT_EQ(list.items(), (Items{"A", "b", "c"}));
}

TEST(StringListNameValue, SplitsAtFirstEquals) {
    klv::StringList list{"a=b=x", "plain", "=addr"};
    EXPECT_EQ(list.name(0), "a");
    EXPECT_EQ(list.valueFromIndex(0), "b=x");
    EXPECT_EQ(list.name(1), "");
    EXPECT_EQ(list.valueFromIndex(1), "");
    EXPECT_EQ(list.name(2), "");
    EXPECT_EQ(list.valueFromIndex(2), "addr");
}

}  // namespace
