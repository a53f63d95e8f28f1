// Servers that break the dialogue's order or send bytes a terminal must not see raw.
#include <gtest/gtest.h>

#include <chrono>
#include <ostream>
#include <string>
#include <vector>

#include "FakeSmtpServer.h"
#include "mail/smtp/SmtpFailure.h"
#include "mail/smtp/SocketTalk.h"

namespace {

using namespace std::chrono_literals;
using namespace smtptest;
using ruzo::TSocketTalk;
using ruzo::TWaitEnd;
namespace kind = ruzo::TalkKind;

// --- a reply before our text has gone out ---------------------------------------------------

struct EarlyCase {
    const char* name;
    friend void PrintTo(const EarlyCase& row, std::ostream* os) { *os << row.name; }
    Script afterFirstLine;  // what the server does once the data's first line has arrived
    const char* replyLine;
};

class EarlyReply : public testing::TestWithParam<EarlyCase> {};

// A server that answers the data before its end cannot have taken the message: the reply
// must not count as success, and the rest of the data is not sent.
TEST_P(EarlyReply, IsNeverASuccessAndStopsTheData) {
    EnsureApplication();
    TSocketTalk talk;
    talk.SetTimeUnit(50ms);
    talk.SetTimeOut(20);
    talk.OnReply = [](TSocketTalk& sender, std::uint8_t k, std::string_view, bool& ok) {
        if (ruzo::IsSuccessReply(k, sender.Reply().LastLine())) ok = true;
    };
    FakeSmtpServer server(Script{S("220 ready\r\n")} + GetParam().afterFirstLine);
    talk.ExpectReply(kind::Greeting);
    talk.OpenAddress("127.0.0.1", server.Port());
    talk.WaitReply();
    ASSERT_TRUE(talk.ReplyOK());

    // Chunked, so the server gets its turn between the chunks.
    const std::string data = "first line\r\n" + std::string(16 << 20, 'd');
    const std::vector<std::string_view> pieces{data};
    talk.SetPacketSize(64 * 1024);
    talk.TalkData(pieces, kind::EndOfData);
    talk.WaitReply();

    EXPECT_FALSE(talk.ReplyOK());
    EXPECT_EQ(talk.WaitEnd(), TWaitEnd::EarlyReply);
    EXPECT_LT(server.Received().size(), data.size());
    const ruzo::TSmtpFailure failure = ruzo::FailureOfWait(ruzo::TSmtpStep::EndOfData, talk);
    EXPECT_EQ(failure.Cause, ruzo::TSmtpCause::ServerReply);
    EXPECT_EQ(failure.ReplyLine, GetParam().replyLine);
    EXPECT_EQ(failure.Describe(), std::string("end of data: ") + GetParam().replyLine +
                                      " (before all of our text was sent)");
}

INSTANTIATE_TEST_SUITE_P(
    Table, EarlyReply,
    testing::Values(EarlyCase{"QueuedAndStillReading", {C(), S("250 queued\r\n")}, "250 queued"},
                    EarlyCase{"QueuedThenClosed", {C(), S("250 queued\r\n"), X()}, "250 queued"},
                    EarlyCase{"TooBigThenClosed", {C(), S("552 too big\r\n"), X()}, "552 too big"}),
    [](const auto& info) { return std::string(info.param.name); });

// --- server text on standard error ----------------------------------------------------------

struct EscapeCase {
    const char* name;
    friend void PrintTo(const EscapeCase& row, std::ostream* os) { *os << row.name; }
    std::string in;
    std::string out;
};

class Escaping : public testing::TestWithParam<EscapeCase> {};

TEST_P(Escaping, LeavesOnlyPrintableAscii) {
    EXPECT_EQ(ruzo::EscapeControls(GetParam().in), GetParam().out);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Escaping,
    testing::Values(
        EscapeCase{"PlainAsciiUnchanged", "550 5.1.1 <a@b> no such user", "550 5.1.1 <a@b> no such user"},
        EscapeCase{"LineEndsAndTab", "a\r\n\tb", "a\\r\\n\\tb"},
        EscapeCase{"NulEscAndDel", std::string("\0\x1b[2J\x7f", 6), "\\x00\\x1B[2J\\x7F"},
        // Raw, 0x9B is a CSI to an 8-bit terminal; encoded, U+009B is one to others.
        EscapeCase{"EightBitCsiRawAndEncoded", "\x9b" "31m \xc2\x9b" "31m", "\\x9B31m \\xC2\\x9B31m"},
        // Standard error is UTF-8: a stray 0xFF must not reach it raw.
        EscapeCase{"InvalidUtf8", "\xff\xfe ok", "\\xFF\\xFE ok"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
