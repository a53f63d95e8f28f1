#include "mail/MailMessage.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "MessageFixtures.h"
#include "support/Exceptions.h"

namespace {

using ruzo::TMailMessage;
using ruzo_test::FixedEnvironment;
using ruzo_test::Visible;
using Strings = std::vector<std::string>;

const std::string kSjisName = "\x83\x65\x83\x58\x83\x67";  // three katakana in Windows-31J

// The settings of the sending road.
class JapaneseMessage : public TMailMessage {
public:
    explicit JapaneseMessage(ruzo::TMailEnvironment environment = FixedEnvironment())
        : TMailMessage(std::move(environment)) {
        SetCharset("ISO-2022-JP");
        SetTextEncoding(ruzo::et7Bit);
    }
};

TEST(MailMessage, NewMessageIsEmptyWithDefaults) {
    TMailMessage message;
    EXPECT_EQ(message.Charset(), "iso-8859-1");
    EXPECT_EQ(message.TextEncoding(), ruzo::etQuotedPrintable);
    EXPECT_TRUE(message.FHeaderLines.empty());
    EXPECT_TRUE(message.FEncodedBody.empty());
    EXPECT_FALSE(message.NeedRebuild);
    EXPECT_EQ(message.FMessage, &message);
}

TEST(MailMessage, PutFromWritesNameAndAddressOrRemovesField) {
    JapaneseMessage message;
    message.PutFrom("", "a0@x");
    EXPECT_EQ(message.FHeaderLines.items(), Strings{"From: <a0@x>"});
    message.PutFrom("Sender Name", "a0@x");
    EXPECT_EQ(message.FHeaderLines.items(), Strings{R"(From: "Sender Name" <a0@x>)"});
    message.PutFrom(kSjisName, "a0@x");
    EXPECT_EQ(message.FHeaderLines.items(),
              Strings{R"(From: "=?ISO-2022-JP?Q?=83e=83X=83g?=" <a0@x>)"});
    message.PutFrom("Sender Name", "");
    EXPECT_TRUE(message.FHeaderLines.empty());
}

TEST(MailMessage, PutSubjectEncodesOnlyWhenNeeded) {
    JapaneseMessage message;
    message.PutSubject("Weekly report");
    EXPECT_EQ(message.GetFieldValue("Subject"), "Weekly report");
    message.PutSubject(kSjisName);
    EXPECT_EQ(message.FHeaderLines.items(), Strings{"Subject: =?ISO-2022-JP?Q?=83e=83X=83g?="});
    message.PutSubject("");
    EXPECT_TRUE(message.FHeaderLines.empty());
}

TEST(MailMessage, PutDateUsesTheZoneOfTheEnvironment) {
    JapaneseMessage message;
    using namespace std::chrono;
    message.PutDate(local_days{year{2026} / 12 / 9} + hours{16} + minutes{22});
    EXPECT_EQ(message.GetFieldValue("Date"), "Wed, 09 Dec 2026 16:22:00 +0900");
}

TEST(MailMessage, PutMessageIdReplacesOneFieldInPlace) {
    JapaneseMessage message(FixedEnvironment({0x4F2A91C, 0x1B7E03, 0, 0xFFFFFFFF}));
    message.PutMessageId("192.0.2.1");
    message.PutSubject("after");
    ASSERT_EQ(message.FHeaderLines[0], "Message-ID: <20261209162200.4F2A91C.1B7E03@192.0.2.1>");
    message.PutMessageId("192.0.2.1");
    EXPECT_EQ(message.FHeaderLines.items(),
              (Strings{"Message-ID: <20261209162200.0.FFFFFFFF@192.0.2.1>", "Subject: after"}));
}

TEST(MailMessage, PutMessageIdWritesIpv6AsDomainLiteral) {
    JapaneseMessage message(FixedEnvironment({1, 2, 3, 4}));
    message.PutMessageId("::1");
    EXPECT_EQ(message.GetFieldValue("Message-ID"), "<20261209162200.1.2@[IPv6:::1]>");
    message.PutMessageId("[IPv6:2001:db8::5]");
    EXPECT_EQ(message.GetFieldValue("Message-ID"), "<20261209162200.3.4@[IPv6:2001:db8::5]>");
}

struct AddressRow {
    const char* name;
    const char* field;  // nullptr: no field
    int index;
    const char* address;
};

void PrintTo(const AddressRow& row, std::ostream* os) { *os << row.name; }

class HeaderAddressTest : public testing::TestWithParam<AddressRow> {};

TEST_P(HeaderAddressTest, TakesTheEntrysAddress) {
    TMailMessage message;
    if (GetParam().field) message.FHeaderLines.add(std::string("From: ") + GetParam().field);
    EXPECT_EQ(message.GetHeaderAddress("From", GetParam().index), GetParam().address);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, HeaderAddressTest,
    testing::Values(AddressRow{"QuotedName", R"("Sender" <a0@x>)", 0, "a0@x"},
                    AddressRow{"AngleOnly", "<a0@x>", 0, "a0@x"},
                    AddressRow{"BareAddress", "a0@x", 0, "a0@x"},
                    AddressRow{"NoField", nullptr, 0, ""},
                    AddressRow{"SecondEntryPastQuotedComma", R"("A, B" <a1@x>, c2@x)", 1, "c2@x"},
                    AddressRow{"IndexPastLastEntry", "<a1@x>", 1, ""},
                    AddressRow{"EncodedNameWithQuotes", R"("=?x?Q?=22?=" <a0@x>)", 0, "a0@x"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MailMessage, PutTextPlainMakesTheMessageItsTextPart) {
    JapaneseMessage message;
    message.ClearMessage();
    message.PutTextPlain("Hello.\r\n");
    EXPECT_EQ(message.FHeaderLines.items(),
              (Strings{"Mime-Version: 1.0", "X-Mailer: Ruzo 1.10 https://tarvelle.example/",
                       "Content-Transfer-Encoding: 7bit",
                       R"(Content-Type: text/plain; charset="ISO-2022-JP")",
                       "Content-Disposition: inline", "Content-Length: 8"}));
    EXPECT_EQ(message.FEncodedBody.bytes(), "Hello.\r\n");
    EXPECT_EQ(message.FTextPlainPart, &message);
    EXPECT_TRUE(message.NeedRebuild);

    // Set again: the same part, refilled in place.
    message.PutSubject("s");
    message.PutTextPlain("");
    EXPECT_EQ(message.FHeaderLines[5], "Content-Length: 0");
    EXPECT_EQ(message.FHeaderLines[6], "Subject: s");
    EXPECT_TRUE(message.FEncodedBody.empty());
    EXPECT_TRUE(message.FSubParts.empty());
}

struct BreakRow {
    const char* name;
    std::string text;
    std::string stored;
};

void PrintTo(const BreakRow& row, std::ostream* os) { *os << row.name; }

class LineBreakTest : public testing::TestWithParam<BreakRow> {};

TEST_P(LineBreakTest, TextIsStoredWithCrLf) {
    JapaneseMessage message;
    message.PutTextPlain(GetParam().text);
    EXPECT_EQ(message.FEncodedBody.bytes(), GetParam().stored)
        << Visible(message.FEncodedBody.bytes());
}

INSTANTIATE_TEST_SUITE_P(
    Breaks, LineBreakTest,
    testing::Values(BreakRow{"CrLfKept", "a\r\nb\r\n", "a\r\nb\r\n"},
                    BreakRow{"LoneLf", "a\nb\n", "a\r\nb\r\n"},
                    BreakRow{"LoneCr", "a\rb", "a\r\nb"},
                    BreakRow{"LfCrIsTwoBreaks", "a\n\rb", "a\r\n\r\nb"},
                    BreakRow{"DoubleByteKeptWhole", "\x83\x5c\n\x95\x5c", "\x83\x5c\r\n\x95\x5c"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MailMessage, ClearMessageKeepsSettingsAndEmptiesEverythingElse) {
    JapaneseMessage message;
    message.PutTextPlain("text");
    message.ToList.AddNameAddress("", "a1@x");
    ruzo::TMemoryStream data;
    data.write("abc");
    message.AttachStream(data, "a.bin", "", ruzo::etBase64, false);
    ASSERT_FALSE(message.FSubParts.empty());

    message.ClearMessage();
    EXPECT_EQ(message.Charset(), "ISO-2022-JP");
    EXPECT_EQ(message.TextEncoding(), ruzo::et7Bit);
    EXPECT_EQ(message.ToList.Count(), 0);
    EXPECT_TRUE(message.FHeaderLines.empty());
    EXPECT_TRUE(message.FSubParts.empty());
    EXPECT_TRUE(message.FAttachments.empty());
    EXPECT_EQ(message.FTextPlainPart, nullptr);
    EXPECT_EQ(message.FMixedContainer, nullptr);
    EXPECT_FALSE(message.NeedRebuild);
    // Usable again from scratch.
    message.PutTextPlain("again");
    EXPECT_EQ(message.FTextPlainPart, &message);
}

TEST(MailMessage, AttachDiskFileErrorLeavesMessageUnchanged) {
    JapaneseMessage message;
    message.PutTextPlain("text");
    message.RebuildMessage();
    Strings before = message.FHeaderLines.items();
    std::string missing = (std::filesystem::temp_directory_path() / "tarvelle-no-such-file.bin");
    EXPECT_THROW(message.AttachDiskFile(missing, "", ruzo::etBase64, false), klv::EFOpenError);
    EXPECT_EQ(message.FHeaderLines.items(), before);
    EXPECT_EQ(message.FTextPlainPart, &message);
    EXPECT_FALSE(message.NeedRebuild);
}

TEST(MailMessage, AttachDiskFileTakesTypeFromPathAndNameAsGiven) {
    auto path = std::filesystem::temp_directory_path() /
                ("tarvelle-attach-" + std::to_string(::getpid()) + ".pdf");
    std::ofstream(path, std::ios::binary) << "%PDF";
    JapaneseMessage message;
    message.AttachDiskFile(path, "", ruzo::etBase64, false, "\x1b$B%F%9%H\x1b(B.pdf");
    std::filesystem::remove(path);
    EXPECT_EQ(message.GetFieldValue("Content-Type"), "application/pdf");
    EXPECT_EQ(message.GetFieldParam("Content-Type", "name"),
              "=?ISO-2022-JP?Q?=1B=24B=25F=259=25H=1B=28B=2Epdf?=");
    EXPECT_EQ(message.GetFieldParam("Content-Disposition", "filename"),
              message.GetFieldParam("Content-Type", "name"));
    EXPECT_EQ(message.FDecodedBody.bytes(), "%PDF");
}

TEST(MailMessage, AttachmentHeaderLinesInTheirOrder) {
    JapaneseMessage message;
    ruzo::TMemoryStream data;
    data.write("Hello");
    data.seek(3);  // the whole stream is taken, whatever its position
    message.AttachStream(data, "/tmp/dir/data.bin", "", ruzo::etBase64, false);
    message.RebuildMessage();
    EXPECT_EQ(message.FHeaderLines.items(),
              (Strings{"Mime-Version: 1.0", "X-Mailer: Ruzo 1.10 https://tarvelle.example/",
                       "Content-Transfer-Encoding: base64",
                       R"(Content-Type: application/octet-stream; name="data.bin")",
                       R"(Content-Disposition: attachment; filename="data.bin")",
                       "Content-Length: 10"}));
    EXPECT_EQ(message.FEncodedBody.bytes(), "SGVsbG8=\r\n");

    JapaneseMessage embedded;
    embedded.AttachStream(data, "pic.png", "", ruzo::etNoEncoding, true);
    const ruzo::TMailPart& part = *embedded.FSubParts.Parts(0);
    EXPECT_EQ(part.FHeaderLines.items(),
              (Strings{R"(Content-Type: image/png; name="pic.png")",
                       R"(Content-Disposition: inline; filename="pic.png")", "Content-Length: 5",
                       "Content-ID: <pic.png>"}));
}

TEST(MailMessage, FileNameWithQuoteIsEncodedInParameters) {
    JapaneseMessage message;
    ruzo::TMemoryStream data;
    data.write("x");
    message.AttachStream(data, R"(say "hi".txt)", "text/plain", ruzo::etBase64, false);
    EXPECT_EQ(message.GetFieldParam("Content-Type", "name"),
              "=?ISO-2022-JP?Q?say=20=22hi=22=2Etxt?=");
    EXPECT_EQ(message.GetFieldValue("Content-Disposition"), "attachment");
}

}  // namespace
