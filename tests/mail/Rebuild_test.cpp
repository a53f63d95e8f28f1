#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "MessageFixtures.h"
#include "mail/MailMessage.h"

namespace {

using ruzo::TMailMessage;
using ruzo::TMailPart;
using ruzo_test::FixedEnvironment;
using ruzo_test::Visible;
using Strings = std::vector<std::string>;

std::string Lines(const Strings& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

class SendingRoadMessage : public TMailMessage {
public:
    explicit SendingRoadMessage(ruzo::TMailEnvironment environment = FixedEnvironment())
        : TMailMessage(std::move(environment)) {
        ClearMessage();
        SetTextEncoding(ruzo::et7Bit);
        SetCharset("ISO-2022-JP");
    }
};

class WorkedExample : public testing::Test {
protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("tarvelle-rebuild-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir_);
        std::ofstream(dir_ / "data.bin", std::ios::binary) << "Hello";
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    // The sending road's calls, in its order.
    void Compose(TMailMessage& message, bool attach) {
        using namespace std::chrono;
        message.PutTextPlain("Hello.\r\nSee the attached file.\r\n");
        message.PutFrom("Sender Name", "a0@example.com");
        message.ToList.AddNameAddress("Recipient Name", "a1@example.com");
        message.PutSubject("Report");
        message.PutDate(local_days{year{2026} / 12 / 9} + hours{16} + minutes{22});
        if (attach) message.AttachDiskFile(dir_ / "data.bin", "", ruzo::etBase64, false);
        if (message.NeedRebuild) message.RebuildMessage();
        message.PutMessageId("192.0.2.1");
    }

    std::filesystem::path dir_;
};

TEST_F(WorkedExample, TextAndAttachmentByteForByte) {
    SendingRoadMessage message(FixedEnvironment({0x0A1B2C3D, 0x4F2A91C, 0x1B7E03}));
    Compose(message, true);

    const Strings header{
        "Mime-Version: 1.0",
        "X-Mailer: Ruzo 1.10 https://tarvelle.example/",
        R"(From: "Sender Name" <a0@example.com>)",
        R"(To: "Recipient Name" <a1@example.com>)",
        "Subject: Report",
        "Date: Wed, 09 Dec 2026 16:22:00 +0900",
        R"(Content-Type: multipart/mixed; boundary="boundary0A1B2C3D_mixed")",
        "Content-Length: 474",
        "Message-ID: <20261209162200.4F2A91C.1B7E03@192.0.2.1>",
    };
    const std::string body = Lines({
        "This is a multipart message in mime format.",
        "",
        "--boundary0A1B2C3D_mixed",
        "Content-Transfer-Encoding: 7bit",
        R"(Content-Type: text/plain; charset="ISO-2022-JP")",
        "Content-Disposition: inline",
        "Content-Length: 32",
        "",
        "Hello.",
        "See the attached file.",
        "",
        "--boundary0A1B2C3D_mixed",
        "Content-Transfer-Encoding: base64",
        R"(Content-Type: application/octet-stream; name="data.bin")",
        R"(Content-Disposition: attachment; filename="data.bin")",
        "Content-Length: 10",
        "",
        "SGVsbG8=",
        "",
        "--boundary0A1B2C3D_mixed--",
    });
    EXPECT_EQ(message.FHeaderLines.items(), header);
    EXPECT_EQ(body.size(), 474u);
    EXPECT_EQ(message.FEncodedBody.bytes(), body) << Visible(message.FEncodedBody.bytes());
    EXPECT_EQ(message.GetFullText(), Lines(header) + "\r\n" + body);
    EXPECT_FALSE(message.NeedRebuild);
}

TEST_F(WorkedExample, WithoutAttachmentStaysSinglePart) {
    SendingRoadMessage message(FixedEnvironment({0x4F2A91C, 0x1B7E03}));
    Compose(message, false);
    EXPECT_EQ(message.FHeaderLines.items(),
              (Strings{"Mime-Version: 1.0", "X-Mailer: Ruzo 1.10 https://tarvelle.example/",
                       "Content-Transfer-Encoding: 7bit",
                       R"(Content-Type: text/plain; charset="ISO-2022-JP")",
                       "Content-Disposition: inline", "Content-Length: 32",
                       R"(From: "Sender Name" <a0@example.com>)",
                       R"(To: "Recipient Name" <a1@example.com>)", "Subject: Report",
                       "Date: Wed, 09 Dec 2026 16:22:00 +0900",
                       "Message-ID: <20261209162200.4F2A91C.1B7E03@192.0.2.1>"}));
    EXPECT_EQ(message.FEncodedBody.bytes(), "Hello.\r\nSee the attached file.\r\n");
}

// Every part's boundary line uses its parent's current boundary, every leaf's Content-Length
// counts its encoded body, and a nested container has nothing but its Content-Type.
void ExpectConsistentTree(const TMailPart& container) {
    std::string boundary = container.GetBoundaryParam();
    for (const auto& sub : container.FSubParts) {
        EXPECT_EQ(sub->FParentBoundary, boundary);
        EXPECT_EQ(sub->FParentPart, &container);
        if (sub->FSubParts.empty()) {
            EXPECT_EQ(sub->GetFieldValue("Content-Length"),
                      std::to_string(sub->FEncodedBody.size()));
        } else {
            ASSERT_EQ(sub->FHeaderLines.size(), 1u) << ruzo_test::Describe(*sub);
            EXPECT_TRUE(sub->FHeaderLines[0].starts_with("Content-Type: multipart/"));
            ExpectConsistentTree(*sub);
        }
    }
}

class StructureTest : public testing::TestWithParam<ruzo_test::StructureRow> {};

TEST_P(StructureTest, ContentGivesItsContainers) {
    SendingRoadMessage message;
    ruzo_test::Compose(message, GetParam().steps);
    EXPECT_EQ(ruzo_test::Describe(message), GetParam().structure);
    EXPECT_EQ(message.GetFieldValue("Content-Length"),
              std::to_string(message.FEncodedBody.size()));
    ExpectConsistentTree(message);
    bool multipart = !message.FSubParts.empty();
    EXPECT_EQ(message.FEncodedBody.view().starts_with("This is a multipart message"), multipart);
}

INSTANTIATE_TEST_SUITE_P(Rows, StructureTest, testing::ValuesIn(ruzo_test::StructureRows()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Rebuild, SecondAttachmentRenewsTheBoundary) {
    SendingRoadMessage message(FixedEnvironment({0x11111111, 0x22222222}));
    ruzo_test::Compose(message, "TA");
    std::string first = message.GetBoundaryParam();
    ASSERT_EQ(first, "boundary11111111_mixed");
    ruzo_test::Compose(message, "A");
    EXPECT_EQ(message.GetBoundaryParam(), "boundary22222222_mixed");
    const std::string body = message.FEncodedBody.bytes();
    EXPECT_EQ(body.find(first), std::string::npos) << "the earlier body must be discarded";
    std::size_t lines = 0;
    for (std::size_t at = body.find("\r\n--boundary22222222_mixed"); at != std::string::npos;
         at = body.find("\r\n--boundary22222222_mixed", at + 1))
        ++lines;
    EXPECT_EQ(lines, 4u);  // three parts and the closing line
    EXPECT_TRUE(body.ends_with("\r\n--boundary22222222_mixed--\r\n"));
}

TEST(Rebuild, SingleAttachmentCarriesItsFieldsWithoutPreamble) {
    SendingRoadMessage message;
    ruzo_test::Compose(message, "A");
    EXPECT_EQ(message.GetFieldValue("Content-Disposition"), "attachment");
    EXPECT_EQ(message.GetFieldParam("Content-Disposition", "filename"), "report0.pdf");
    EXPECT_EQ(message.GetFieldParam("Content-Type", "name"), "report0.pdf");
    EXPECT_EQ(message.GetFieldValue("Content-Transfer-Encoding"), "base64");
    EXPECT_FALSE(message.FEncodedBody.view().starts_with("This is"));
}

TEST(Rebuild, NamelessAttachmentGetsAMadeUpName) {
    SendingRoadMessage message;
    ruzo::TMemoryStream data;
    data.write("%PDF");
    message.AttachStream(data, "", "application/pdf", ruzo::etBase64, false);
    EXPECT_EQ(message.GetFieldParam("Content-Type", "name"), "");
    message.PutTextPlain("text");
    message.RebuildMessage();
    ASSERT_EQ(message.FAttachments.size(), 1u);
    const TMailPart& part = *message.FAttachments[0];
    EXPECT_EQ(part.GetFieldParam("Content-Type", "name"), "file_0.pdf");
    EXPECT_EQ(part.GetFieldParam("Content-Disposition", "filename"), "file_0.pdf");
}

TEST(Rebuild, EmbeddedPartSitsInRelatedWithItsId) {
    SendingRoadMessage message;
    ruzo_test::Compose(message, "TEA");
    const TMailPart& related = *message.FSubParts.Parts(0);
    ASSERT_EQ(message.FRelatedContainer, &related);
    const TMailPart& picture = *related.FSubParts.Parts(1);
    EXPECT_EQ(picture.GetFieldValue("Content-ID"), "<pic0.png>");
    EXPECT_EQ(picture.GetFieldValue("Content-Disposition"), "inline");
    EXPECT_EQ(message.FSubParts.Parts(1)->GetFieldValue("Content-Disposition"), "attachment");
}

TEST(Rebuild, DoesNothingWhenNotNeeded) {
    SendingRoadMessage message;
    ruzo_test::Compose(message, "TA");
    ASSERT_FALSE(message.NeedRebuild);
    Strings header = message.FHeaderLines.items();
    std::string body = message.FEncodedBody.bytes();
    message.FSubParts.Parts(0)->FEncodedBody.assign("changed");
    message.RebuildMessage();
    EXPECT_EQ(message.FHeaderLines.items(), header);
    EXPECT_EQ(message.FEncodedBody.bytes(), body);
}

// A text sent as 7bit must arrive as given after attachments force it to be re-encoded.
struct BodyRow {
    const char* name;
    std::string text;
};

void PrintTo(const BodyRow& row, std::ostream* os) { *os << row.name; }

class TextSurvivesRestructureTest : public testing::TestWithParam<BodyRow> {};

TEST_P(TextSurvivesRestructureTest, BytesUnchangedAfterAttachments) {
    SendingRoadMessage message;
    message.PutTextPlain(GetParam().text);
    ruzo_test::Compose(message, "ARA");
    const TMailPart& text = *message.FTextPlainPart;
    EXPECT_EQ(text.FEncodedBody.bytes(), GetParam().text) << Visible(text.FEncodedBody.bytes());
    EXPECT_EQ(text.GetFieldValue("Content-Length"), std::to_string(GetParam().text.size()));
    EXPECT_NE(message.FEncodedBody.bytes().find("\r\n\r\n" + GetParam().text + "\r\n--"),
              std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Bodies, TextSurvivesRestructureTest,
    testing::Values(BodyRow{"HexEscapeLookalike", "count=12 and =41\r\n"},
                    BodyRow{"ControlEscapeLookalike", "=0B=0D=0A\r\n"},
                    BodyRow{"LineEndingInEquals", "first line=\r\nsecond line\r\n"},
                    BodyRow{"FinalEquals", "a=b="},
                    // ISO-2022-JP: JIS row 0x3D characters are written with "=" bytes.
                    BodyRow{"Iso2022JpWithEqualsBytes",
                            "\x1b$B=P=q=i=\"\x1b(B=3D\r\n\x1b$B$3$s$K$A$O\x1b(B\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
