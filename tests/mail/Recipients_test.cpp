#include "mail/Recipients.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "mail/Encoders.h"
#include "mail/MailMessage.h"

namespace {

using ruzo::TMailMessage;
using Strings = std::vector<std::string>;

struct ReadRow {
    const char* name;
    const char* value;
    Strings names;
    Strings addresses;
};

void PrintTo(const ReadRow& row, std::ostream* os) { *os << row.name; }

class RecipientsReadTest : public testing::TestWithParam<ReadRow> {};

TEST_P(RecipientsReadTest, SplitsFieldIntoNamesAndAddresses) {
    TMailMessage message;
    message.FHeaderLines.add(std::string("To: ") + GetParam().value);
    EXPECT_EQ(message.ToList.Count(), static_cast<int>(GetParam().addresses.size()));
    EXPECT_EQ(message.ToList.Names().items(), GetParam().names);
    EXPECT_EQ(message.ToList.Addresses().items(), GetParam().addresses);
}

INSTANTIATE_TEST_SUITE_P(
    Values, RecipientsReadTest,
    testing::Values(
        ReadRow{"QuotedName", R"("Recipient Name" <a1@example.com>)", {"Recipient Name"},
                {"a1@example.com"}},
        ReadRow{"BareName", "Recipient Name <a1@example.com>", {"Recipient Name"},
                {"a1@example.com"}},
        ReadRow{"AngleOnly", "<a1@example.com>", {""}, {"a1@example.com"}},
        ReadRow{"AddressOnly", "a1@example.com", {""}, {"a1@example.com"}},
        ReadRow{"CommaInsideQuotes", R"("Office, Main" <a1@x>, <a2@x>)", {"Office, Main", ""},
                {"a1@x", "a2@x"}},
        ReadRow{"EncodedName", R"("=?ISO-2022-JP?Q?=83e=83X=83g?=" <a1@x>)",
                {"\x83\x65\x83\x58\x83\x67"}, {"a1@x"}},
        ReadRow{"TrailingSeparator", "a1@x,", {"", ""}, {"a1@x", ""}},
        ReadRow{"SemicolonEndsValue", "<a1@x>; <a2@x>", {""}, {"a1@x"}},
        ReadRow{"SemicolonInsideQuotes", R"("Dept; HQ" <a1@x>)", {"Dept; HQ"}, {"a1@x"}},
        ReadRow{"QuotedTextInsideAnglesDropped", R"(<a1"junk"@x>)", {""}, {"a1@x"}},
        ReadRow{"Empty", "", {}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RecipientsWrite, RendersEntriesIntoField) {
    TMailMessage message;
    message.ToList.AddNameAddress("", "a1@x");
    EXPECT_EQ(message.GetFieldValue("To"), "<a1@x>");
    EXPECT_EQ(message.ToList.Count(), 1);

    TMailMessage named;
    named.ToList.AddNameAddress("N1", "a1@x");
    named.ToList.AddNameAddress("  N2  ", "  a2@x ");
    // Stored as given until the field is read again.
    EXPECT_EQ(named.ToList.Names()[1], "  N2  ");
    named.CcList.AddNameAddress("", "c1@x");
    EXPECT_EQ(named.FHeaderLines.items(),
              (Strings{R"(To: "N1" <a1@x>, "N2" <a2@x>)", "Cc: <c1@x>"}));
    EXPECT_EQ(named.ToList.Names()[1], "N2");
    EXPECT_EQ(named.ToList.GetAddressList(), "a1@x,a2@x");
}

TEST(RecipientsWrite, NonAsciiNameBecomesEncodedWord) {
    TMailMessage message;
    message.SetCharset("ISO-2022-JP");
    message.ToList.AddNameAddress("\x83\x65\x83\x58\x83\x67", "a1@x");
    EXPECT_EQ(message.GetFieldValue("To"), R"("=?ISO-2022-JP?Q?=83e=83X=83g?=" <a1@x>)");
}

TEST(RecipientsCount, MissingFieldAndClearedMessageAreEmpty) {
    TMailMessage message;
    EXPECT_EQ(message.BccList.Count(), 0);
    EXPECT_EQ(message.BccList.GetAddressList(), "");
    message.ToList.AddNameAddress("N", "a1@x");
    message.ToList.AddNameAddress("", "a2@x");
    ASSERT_EQ(message.ToList.Count(), 2);
    message.ClearMessage();
    EXPECT_EQ(message.ToList.Count(), 0);
    message.ToList.AddNameAddress("", "a3@x");
    EXPECT_EQ(message.GetFieldValue("To"), "<a3@x>");
}

TEST(RecipientsAddressList, QuotesAddressesThatNeedIt) {
    TMailMessage message;
    message.FHeaderLines.add("To: <a\tb@x>, <plain@x>");
    EXPECT_EQ(message.ToList.GetAddressList(), "\"a\tb@x\",plain@x");
    TMailMessage empty;
    empty.FHeaderLines.add("To: <>");
    EXPECT_EQ(empty.ToList.GetAddressList(), "\"\"");
}

// Names that would end a quoted display name early, or split the list, must read back whole
// with the right address next to them.
struct NameRow {
    const char* label;
    const char* name;
};

void PrintTo(const NameRow& row, std::ostream* os) { *os << row.label; }

class RecipientsRoundTripTest : public testing::TestWithParam<NameRow> {};

TEST_P(RecipientsRoundTripTest, NameAndAddressesSurviveRereading) {
    TMailMessage message;
    message.SetCharset("ISO-2022-JP");
    message.ToList.AddNameAddress(GetParam().name, "a1@example.com");
    message.ToList.AddNameAddress("Second", "a2@example.com");
    message.PutFrom(GetParam().name, "a0@example.com");
    message.PutSubject("force a re-read");

    EXPECT_EQ(message.ToList.Names().items(), (Strings{GetParam().name, "Second"}));
    EXPECT_EQ(message.ToList.GetAddressList(), "a1@example.com,a2@example.com");
    EXPECT_EQ(message.GetHeaderAddress("To", 1), "a2@example.com");
    EXPECT_EQ(message.GetFromAddress(), "a0@example.com");
    std::string from = message.GetFieldValue("From");
    EXPECT_EQ(std::count(from.begin(), from.end(), '"'), 2) << from;
    EXPECT_EQ(ruzo::DecodeHeaderWords(from.substr(1, from.rfind('"') - 1)), GetParam().name);
}

INSTANTIATE_TEST_SUITE_P(
    Names, RecipientsRoundTripTest,
    testing::Values(NameRow{"DoubleQuote", R"(Taro "T" Yamada)"},
                    NameRow{"LoneQuote", R"(a"b)"},
                    NameRow{"Backslash", R"(C:\Users\taro)"},
                    NameRow{"Comma", "Yamada, Taro"},
                    NameRow{"Semicolon", "Dept; HQ"},
                    NameRow{"AngleBrackets", "<boss>"},
                    NameRow{"Japanese", "\x8e\x52\x93\x63 \x91\xbe\x98\x59"}),
    [](const auto& info) { return std::string(info.param.label); });

}  // namespace
