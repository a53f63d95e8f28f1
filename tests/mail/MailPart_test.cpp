#include "mail/MailPart.h"

#include <gtest/gtest.h>

#include <random>

#include "mail/FieldLines.h"
#include "support/Exceptions.h"

namespace {

using ruzo::TMailPart;
using namespace std::string_literals;

constexpr const char* kCte = "Content-Transfer-Encoding";

// --- the text on the wire -------------------------------------------------------------------

TEST(GetFullText, FoldedHeaderEmptyLineThenBodyAsIs) {
    TMailPart part;
    part.SetFieldValue("Subject", "x");
    EXPECT_EQ(part.GetFullText(), "Subject: x\r\n\r\n");

    part.FEncodedBody.assign("abc");
    EXPECT_EQ(part.GetFullText(), "Subject: x\r\n\r\nabc");

    // Only the header block is folded; body lines of any length go out unchanged.
    const std::string longBody(100, 'b');
    part.SetFieldValue("To", std::string(40, 'a') + ", " + std::string(40, 'c'));
    part.FEncodedBody.assign(longBody);
    const std::string header =
        "Subject: x\r\nTo: " + std::string(40, 'a') + ",\r\n\t" + std::string(40, 'c') + "\r\n\r\n";
    EXPECT_EQ(part.GetHeaderText(), header);
    EXPECT_EQ(part.GetFullText(), header + longBody);
}

// --- decoding -------------------------------------------------------------------------------

struct DecodeCase {
    const char* name;
    const char* encoding;  // nullptr: no Content-Transfer-Encoding field
    std::string encoded;
    std::string decoded;
};
void PrintTo(const DecodeCase& c, std::ostream* os) { *os << c.name; }

class DecodeBody : public testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeBody, ByTransferEncoding) {
    const DecodeCase& c = GetParam();
    TMailPart part;
    if (c.encoding) part.SetFieldValue(kCte, c.encoding);
    part.FEncodedBody.assign(c.encoded);
    EXPECT_TRUE(part.DecodeBody());
    EXPECT_EQ(part.FDecodedBody.bytes(), c.decoded);
    EXPECT_TRUE(part.FDecodeDone);
}

INSTANTIATE_TEST_SUITE_P(
    Table, DecodeBody,
    testing::Values(
        // "7bit" goes through quoted-printable decoding, as it always has here.
        DecodeCase{"SevenBit", "7bit", "a=41", "aA"},
        DecodeCase{"QuotedPrintable", "quoted-printable", "abc=\r\ndef=3D=3d=", "abcdef==3d"},
        // A NUL is an ordinary byte of the body, not its end.
        DecodeCase{"QuotedPrintableNul", "quoted-printable", "a\0=41b"s, "a\0Ab"s},
        DecodeCase{"Base64Lines", "base64", "YWJj\r\nZGVm\r\nZw==\r\n", "abcdefg"},
        DecodeCase{"Base64BlanksAroundLines", "base64", "  YWJj  \r\nZGVm", "abcdef"},
        DecodeCase{"Base64WrongCaseCopied", "Base64", "YWJj\r\n", "YWJj\r\n"},
        DecodeCase{"QuotedPrintableWrongCaseCopied", "Quoted-Printable", "a=41", "a=41"},
        DecodeCase{"EightBitCopied", "8bit", "a=41\x82\xA0", "a=41\x82\xA0"},
        DecodeCase{"NoFieldCopied", nullptr, "a=41", "a=41"},
        DecodeCase{"Uucode", "uucode", "#86)C\r\n`\r\n", "abc"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DecodeBodyOnce, LaterChangesOfTheEncodedBodyAreNotReflected) {
    TMailPart part;
    part.SetFieldValue(kCte, "7bit");
    part.FEncodedBody.assign("a=41");
    part.DecodeBody();
    part.FEncodedBody.assign("changed");
    EXPECT_TRUE(part.DecodeBody());
    EXPECT_EQ(part.FDecodedBody.bytes(), "aA");
}

TEST(DecodeBodyOnce, EmptyEncodedBodyKeepsTheDecodedBody) {
    TMailPart part;
    part.SetFieldValue(kCte, "base64");
    part.FDecodedBody.assign("kept");
    part.DecodeBody();
    EXPECT_EQ(part.FDecodedBody.bytes(), "kept");
    EXPECT_TRUE(part.FDecodeDone);
}

TEST(DecodeBodyUucode, ReencodedAsBase64) {
    TMailPart part;
    part.SetFieldValue(kCte, "uucode");
    part.FEncodedBody.assign("#86)C\r\n");
    part.DecodeBody();
    EXPECT_EQ(part.FDecodedBody.bytes(), "abc");
    EXPECT_EQ(part.FEncodedBody.bytes(), "YWJj\r\n");
    EXPECT_EQ(part.GetFieldValue(kCte), "base64");
}

TEST(DecodeBodyUucode, FormatErrorKeepsEarlierLines) {
    TMailPart part;
    part.SetFieldValue(kCte, "uucode");
    part.FEncodedBody.assign("#86)C\r\n#abcd\r\n#86)C\r\n");
    try {
        part.DecodeBody();
        FAIL() << "no format error";
    } catch (const klv::Exception& e) {
        EXPECT_STREQ(e.what(), "UUCODE message format error");
    }
    EXPECT_TRUE(part.FDecodeDone);
    EXPECT_EQ(part.FDecodedBody.bytes(), "abc");
    EXPECT_EQ(part.GetFieldValue(kCte), "uucode");
}

// --- encoding -------------------------------------------------------------------------------

struct EncodeCase {
    const char* name;
    ruzo::TEncodingType kind;
    std::string decoded;
    std::string encoded;
    std::string encoding;  // '' : the field is absent afterwards
};
void PrintTo(const EncodeCase& c, std::ostream* os) { *os << c.name; }

class EncodeBody : public testing::TestWithParam<EncodeCase> {};

TEST_P(EncodeBody, ReplacesEncodedBodyAndField) {
    const EncodeCase& c = GetParam();
    TMailPart part;
    part.SetFieldValue("Content-Type", "text/plain");
    part.SetFieldValue(kCte, "stale");
    part.SetFieldValue("Content-Length", "5");
    part.FEncodedBody.assign("stale");
    part.FDecodedBody.assign(c.decoded);

    part.EncodeBody(c.kind);

    EXPECT_EQ(part.FEncodedBody.bytes(), c.encoded);
    EXPECT_EQ(part.GetFieldValue(kCte), c.encoding);
    EXPECT_EQ(part.FDecodedBody.bytes(), c.decoded);
    EXPECT_FALSE(part.FDecodeDone);
    // The field keeps its place; Content-Length is the caller's business.
    EXPECT_EQ(part.GetFieldValue("Content-Length"), "5");
    if (!c.encoding.empty()) {
        EXPECT_EQ(ruzo::FindFieldLine(part.FHeaderLines, kCte, 0), 1);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, EncodeBody,
    testing::Values(
        // 7bit sends the bytes as given, long lines and bytes above 0x7F included.
        EncodeCase{"SevenBitCopies", ruzo::et7Bit, "\x1B$B$?\x1B(B=41\x82\xA0",
                   "\x1B$B$?\x1B(B=41\x82\xA0", "7bit"},
        EncodeCase{"NoEncodingRemovesField", ruzo::etNoEncoding, "a=b\r\n", "a=b\r\n", ""},
        EncodeCase{"QuotedPrintable", ruzo::etQuotedPrintable, "a=b\x82", "a=3Db=82",
                   "quoted-printable"},
        EncodeCase{"QuotedPrintableEmpty", ruzo::etQuotedPrintable, "", "", "quoted-printable"},
        EncodeCase{"Base64", ruzo::etBase64, "abc\xFF", "YWJj/w==\r\n", "base64"},
        EncodeCase{"Base64Empty", ruzo::etBase64, "", "", "base64"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(EncodeBodyKind, UnknownKindChangesNothing) {
    TMailPart part;
    part.FDecodedBody.assign("abc");
    part.FEncodedBody.assign("old");
    part.EncodeBody(static_cast<ruzo::TEncodingType>(7));
    EXPECT_EQ(part.FEncodedBody.bytes(), "old");
    EXPECT_TRUE(part.FHeaderLines.empty());
}

// EncodeAsBase64, then DecodeBody on a fresh part with the same header and encoded body.
class Base64RoundTrip : public testing::TestWithParam<std::size_t> {};

TEST_P(Base64RoundTrip, GivesBackTheSameBytes) {
    std::mt19937 random(static_cast<std::mt19937::result_type>(GetParam()));
    std::string data(GetParam(), '\0');
    for (char& c : data) c = static_cast<char>(random() & 0xFF);

    TMailPart sender;
    sender.SetFieldValue("Content-Type", "application/octet-stream");
    sender.FDecodedBody.assign(data);
    sender.EncodeAsBase64();

    TMailPart receiver;
    for (const std::string& line : sender.FHeaderLines) receiver.FHeaderLines.add(line);
    receiver.FEncodedBody.assign(sender.FEncodedBody.bytes());
    receiver.DecodeBody();
    EXPECT_EQ(receiver.FDecodedBody.size(), data.size());
    EXPECT_TRUE(receiver.FDecodedBody.bytes() == data);
}

INSTANTIATE_TEST_SUITE_P(Sizes, Base64RoundTrip,
                         testing::Values(0, 1, 2, 3, 56, 57, 58, 2279, 2280, 2281, 100'003));

// --- the part tree --------------------------------------------------------------------------

// Records the order in which parts are destroyed (its own entry comes before its children's,
// which the base destructor frees).
class TracedPart : public TMailPart {
public:
    TracedPart(std::vector<std::string>& log, std::string name)
        : log_(log), name_(std::move(name)) {}
    ~TracedPart() override { log_.push_back(name_); }

private:
    std::vector<std::string>& log_;
    std::string name_;
};

TMailPart* AddChild(TMailPart& parent, std::unique_ptr<TMailPart> child) {
    child->FParentPart = &parent;
    child->FParentBoundary = parent.GetBoundaryParam();
    return parent.FSubParts.add(std::move(child));
}

TEST(PartTree, DestroyFreesEveryChildOnceInOrder) {
    std::vector<std::string> log;
    {
        TracedPart root(log, "root");
        TMailPart* inner = AddChild(root, std::make_unique<TracedPart>(log, "0"));
        AddChild(*inner, std::make_unique<TracedPart>(log, "0.0"));
        AddChild(root, std::make_unique<TracedPart>(log, "1"));
    }
    EXPECT_EQ(log, (std::vector<std::string>{"root", "0", "0.0", "1"}));
}

TEST(PartTree, DetachHandsThePartBack) {
    TMailPart parent;
    parent.SetFieldParam("Content-Type", "boundary", "\"b1\"");
    TMailPart* first = AddChild(parent, std::make_unique<TMailPart>());
    TMailPart* second = AddChild(parent, std::make_unique<TMailPart>());

    std::unique_ptr<TMailPart> detached = first->DetachFromParent();
    ASSERT_EQ(detached.get(), first);
    EXPECT_EQ(first->FParentPart, nullptr);
    EXPECT_EQ(first->FParentBoundary, "b1");
    ASSERT_EQ(parent.FSubParts.size(), 1u);
    EXPECT_EQ(parent.FSubParts.Parts(0), second);

    EXPECT_EQ(first->DetachFromParent(), nullptr);  // no parent any more
}

TEST(PartTree, DetachFromAParentThatDoesNotListThePart) {
    TMailPart parent;
    TMailPart stray;
    stray.FParentPart = &parent;
    EXPECT_EQ(stray.DetachFromParent(), nullptr);
    EXPECT_EQ(stray.FParentPart, &parent);
}

}  // namespace
