#include "mail/FieldLines.h"

#include <gtest/gtest.h>

#include "mail/MailPart.h"

namespace {

using Lines = std::vector<std::string>;

std::unique_ptr<ruzo::TMailPart> PartWith(const Lines& lines) {
    auto part = std::make_unique<ruzo::TMailPart>();
    for (const std::string& line : lines) part->FHeaderLines.add(line);
    return part;
}

// --- reading values -------------------------------------------------------------------------

struct ValueCase {
    const char* name;
    Lines lines;
    std::string field;
    std::string value;
};
void PrintTo(const ValueCase& c, std::ostream* os) { *os << c.name; }

class FieldValueRead : public testing::TestWithParam<ValueCase> {};

TEST_P(FieldValueRead, GetFieldValue) {
    const ValueCase& c = GetParam();
    EXPECT_EQ(PartWith(c.lines)->GetFieldValue(c.field), c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FieldValueRead,
    testing::Values(
        ValueCase{"NameCaseIgnored", {"Subject: x"}, "subject", "x"},
        ValueCase{"SpaceBeforeColonIsAnotherName", {"Subject : x"}, "Subject", ""},
        ValueCase{"FirstOfTwo", {"Bcc: a", "Bcc: b"}, "Bcc", "a"},
        ValueCase{"EndsAtSemicolon", {"Content-Type: text/plain; charset=\"x\""}, "Content-Type",
                  "text/plain"},
        ValueCase{"UnmatchedQuoteMarksRemoved", {"X: 'abc\""}, "X", "abc"},
        ValueCase{"QuotedSemicolonBelongsToValue", {"From: \"a;b\" <c>"}, "From",
                  "\"a;b\" <c>"},
        ValueCase{"LaterColonTaken", {"Date: 12:30"}, "Date", "12:30"},
        ValueCase{"Absent", {"To: a"}, "Cc", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FieldLineValue, LineWithoutColonHasNoValue) {
    EXPECT_EQ(ruzo::FieldLineValue("no colon; p=1"), "");
    EXPECT_EQ(ruzo::FieldLineValue("X:  \"quoted\" "), "quoted");
}

// --- reading parameters ---------------------------------------------------------------------

struct ParamCase {
    const char* name;
    std::string line;
    std::string param;
    std::string value;
};
void PrintTo(const ParamCase& c, std::ostream* os) { *os << c.name; }

class FieldParamRead : public testing::TestWithParam<ParamCase> {};

TEST_P(FieldParamRead, GetFieldParam) {
    const ParamCase& c = GetParam();
    EXPECT_EQ(PartWith({c.line})->GetFieldParam("X", c.param), c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FieldParamRead,
    testing::Values(
        ParamCase{"NameCaseAndSpacingIgnored", "X: multipart/mixed;  BOUNDARY = \"b1\"",
                  "boundary", "b1"},
        ParamCase{"QuotedSemicolon", "X: text/plain; name=\"a;b\"", "name", "a;b"},
        ParamCase{"QuotedEquals", "X: text/plain; name=\"a=b\"; c=d", "name", "a=b"},
        ParamCase{"SecondOfSeveral", "X: v; a=1; b=2; c=3", "b", "2"},
        ParamCase{"ValuePartIsNoParameter", "X: a=b; c=d", "a", ""},
        ParamCase{"TwiceIsJoined", "X: v; p=1; p=2", "p", "12"},
        ParamCase{"Absent", "X: text/plain; charset=x", "name", ""},
        ParamCase{"ApostrophesRemoved", "X: v; name='a b'", "name", "a b"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FieldLineParam, LineWithoutColonHasNoParameters) {
    EXPECT_EQ(ruzo::FieldLineParam("abc; p=1", "p"), "");
}

// --- rewriting ------------------------------------------------------------------------------

struct SetCase {
    const char* name;
    Lines before;
    std::string field;
    std::string param;  // empty: SetFieldValue
    std::string value;
    Lines after;
};
void PrintTo(const SetCase& c, std::ostream* os) { *os << c.name; }

class FieldRewrite : public testing::TestWithParam<SetCase> {};

TEST_P(FieldRewrite, SetsInPlaceOrAppends) {
    const SetCase& c = GetParam();
    auto part = PartWith(c.before);
    if (c.param.empty()) {
        part->SetFieldValue(c.field, c.value);
    } else {
        part->SetFieldParam(c.field, c.param, c.value);
    }
    EXPECT_EQ(part->FHeaderLines.items(), c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Values, FieldRewrite,
    testing::Values(
        SetCase{"TrimmedAndAppended", {"To: a"}, "Subject", "", "  Hi  ", {"To: a", "Subject: Hi"}},
        SetCase{"ReplacedWhereItStands", {"Subject: Hi", "To: a"}, "subject", "", "Ho",
                {"Subject: Ho", "To: a"}},
        SetCase{"ParametersKept", {"Content-Type: multipart/mixed; boundary=\"b1\""},
                "Content-Type", "", "text/plain", {"Content-Type: text/plain; boundary=\"b1\""}},
        SetCase{"QuotedOldValueReplacedWhole", {"From: \"a;b\" <c>; p=1"}, "From", "", "d",
                {"From: d; p=1"}},
        SetCase{"EmptyDeletesFirstOnly", {"Bcc: a", "To: t", "Bcc: b"}, "Bcc", "", "",
                {"To: t", "Bcc: b"}},
        SetCase{"EmptyWithoutFieldChangesNothing", {"To: t"}, "Bcc", "", "", {"To: t"}}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Params, FieldRewrite,
    testing::Values(
        SetCase{"Appended", {"Content-Type: text/plain"}, "Content-Type", "charset",
                "\"ISO-2022-JP\"", {"Content-Type: text/plain; charset=\"ISO-2022-JP\""}},
        SetCase{"ReplacedAmongOthers",
                {"Content-Type: text/plain; charset=us-ascii; format=flowed"}, "Content-Type",
                "charset", " \"ISO-2022-JP\" ",
                {"Content-Type: text/plain; charset=\"ISO-2022-JP\"; format=flowed"}},
        // The old value runs from the "=" to the ";", its spaces included.
        SetCase{"NameMatchedWithoutCaseAndSpaces",
                {"Content-Type: multipart/mixed;  BOUNDARY = \"b1\""}, "Content-Type",
                "boundary", "\"b2\"", {"Content-Type: multipart/mixed;  BOUNDARY =\"b2\""}},
        SetCase{"QuotedSemicolonInOldValue", {"Content-Type: a; name=\"x;y\"; z=1"},
                "Content-Type", "name", "\"n\"", {"Content-Type: a; name=\"n\"; z=1"}},
        SetCase{"FinalSemicolonNotDoubled", {"Content-Type: text/plain;"}, "Content-Type",
                "charset", "x", {"Content-Type: text/plain; charset=x"}},
        SetCase{"EmptyValueKeepsParameter", {"X: v; p=1"}, "X", "p", "", {"X: v; p="}},
        SetCase{"FieldCreatedWithoutValue", {}, "Content-Disposition", "filename", "\"a.txt\"",
                {"Content-Disposition:; filename=\"a.txt\""}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FieldRewrite, ParameterBeforeValueThenValue) {
    ruzo::TMailPart part;
    part.SetFieldParam("Content-Disposition", "filename", "\"a.txt\"");
    part.SetFieldValue("Content-Disposition", "attachment");
    EXPECT_EQ(part.FHeaderLines.items(),
              Lines{"Content-Disposition: attachment; filename=\"a.txt\""});
    EXPECT_EQ(part.GetFieldValue("Content-Disposition"), "attachment");
    EXPECT_EQ(part.GetFieldParam("Content-Disposition", "filename"), "a.txt");
}

TEST(FieldRewrite, LineWithoutColon) {
    EXPECT_EQ(ruzo::ReplaceFieldLineValue("abc", "v"), "abc");
    EXPECT_EQ(ruzo::ReplaceFieldLineParam("abc", "p", "v"), "abc; p=v");
}

// --- finding and the Content-Type shortcuts -------------------------------------------------

TEST(FindFieldLine, CountsOccurrencesOfAPrefix) {
    klv::StringList lines{"Content-Type: a", "X-Content: b", "content-id: c", "Content"};
    EXPECT_EQ(ruzo::FindFieldLine(lines, "Content-", 0), 0);
    EXPECT_EQ(ruzo::FindFieldLine(lines, "Content-", 1), 2);
    EXPECT_EQ(ruzo::FindFieldLine(lines, "Content-", 2), -1);
    EXPECT_EQ(ruzo::FindFieldLine(klv::StringList{}, "X:", 0), -1);
}

TEST(ContentTypeField, MediaTypeLowerCaseAndBoundary) {
    auto part = PartWith({"Content-Type: Multipart/MIXED; boundary=\"=_B1\""});
    EXPECT_EQ(part->GetMediaType(), "multipart/mixed");
    EXPECT_EQ(part->GetBoundaryParam(), "=_B1");
}

}  // namespace
