#include "mail/smtp/SmtpClient.h"

#include <gtest/gtest.h>

#include <ostream>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTcpServer>
#include <chrono>

#include "../MessageFixtures.h"
#include "FakeSmtpServer.h"
#include "mail/MailMessage.h"
#include "support/Exceptions.h"

namespace {

using namespace std::chrono_literals;
using namespace smtptest;
using ruzo::TSMTPClient;
using ruzo::TSmtpCause;
using ruzo::TSmtpStep;
using ruzo_test::Visible;
using Lines = std::vector<std::string>;

constexpr const char* kFrom = "from@example.com";

// A server that accepts everything: greeting, HELO, MAIL FROM, `recipients` RCPT TO, DATA.
Script Accepting(int recipients) {
    Script script{S("220 fake ready\r\n"), C(), S("250 hello\r\n"), C(), S("250 sender ok\r\n")};
    for (int i = 0; i < recipients; ++i) script = script + Script{C(), S("250 rcpt ok\r\n")};
    return script + Script{C(), S("354 go ahead\r\n"), D(), S("250 queued\r\n")};
}

class Delivery : public testing::Test {
protected:
    Delivery() {
        EnsureApplication();
        client.Conversation().SetTimeUnit(50ms);
        client.SetTimeOut(20);
        client.Host = "127.0.0.1";
        client.Name = "SMTPClient";
        client.MailMessage = &message;
        client.OnDialogue = [this](ruzo::TDialogueSide side, std::string_view line) {
            static constexpr const char* kPrefix[] = {"C: ", "S: ", "D: "};
            trace.push_back(kPrefix[static_cast<int>(side)] + std::string(line));
        };
        message.ClearMessage();
        message.SetTextEncoding(ruzo::et7Bit);
        message.SetCharset("ISO-2022-JP");
        message.PutFrom("", kFrom);
        message.PutSubject("Test");
        message.PutDate(std::chrono::local_days{std::chrono::year{2026} / 12 / 9});
    }

    // Body and one To address; rebuilt, ready to send.
    void Compose(const std::string& body, const char* to = "to@example.com") {
        message.PutTextPlain(body);
        if (to) message.ToList.AddNameAddress("", to);
        if (message.NeedRebuild) message.RebuildMessage();
    }

    bool Open(FakeSmtpServer& server) {
        client.Port = server.Port();
        return client.OpenSession();
    }

    // The client's bytes up to DATA for a delivery to these recipients.
    static std::string Envelope(const Lines& recipients) {
        std::string bytes = Helo() + "MAIL FROM: <" + kFrom + ">\r\n";
        for (const std::string& r : recipients) bytes += "RCPT TO: <" + r + ">\r\n";
        return bytes + "DATA\r\n";
    }
    static std::string Helo() { return "HELO " + ruzo::TSocketTalk::LocalHostName() + "\r\n"; }

    ruzo::TMailMessage message{ruzo_test::FixedEnvironment()};
    TSMTPClient client;
    Lines trace;
};

// --- the whole dialogue -------------------------------------------------------------------

TEST_F(Delivery, FullDialogueByteForByte) {
    Compose(".first\r\n.\r\n.\r\nmiddle.\r\n..\r\nlast");
    ASSERT_EQ(message.FEncodedBody.view(), ".first\r\n.\r\n.\r\nmiddle.\r\n..\r\nlast");
    FakeSmtpServer server(Accepting(1));
    ASSERT_TRUE(Open(server));
    ASSERT_TRUE(client.SendMailMessage()) << client.LastFailure().Describe();

    const std::string header = message.GetHeaderText();
    EXPECT_NE(message.GetFieldValue("Message-ID").find("127.0.0.1"), std::string::npos);
    EXPECT_EQ(Visible(server.Received()),
              Visible(Envelope({"to@example.com"}) + header +
                      "..first\r\n..\r\n..\r\nmiddle.\r\n...\r\nlast\r\n.\r\n"));
    EXPECT_EQ(trace, (Lines{"S: 220 fake ready", "C: " + Helo().substr(0, Helo().size() - 2),
                            "S: 250 hello", "C: MAIL FROM: <from@example.com>", "S: 250 sender ok",
                            "C: RCPT TO: <to@example.com>", "S: 250 rcpt ok", "C: DATA",
                            "S: 354 go ahead",
                            "D: " + std::to_string(header.size() + message.FEncodedBody.size()),
                            "C: .", "S: 250 queued"}));
    EXPECT_FALSE(client.LastFailure().Failed());
}

TEST_F(Delivery, DataEndingWithCrLfGetsOnlyTheEndLine) {
    Compose("one line\r\n");
    ASSERT_EQ(message.FEncodedBody.view(), "one line\r\n");
    FakeSmtpServer server(Accepting(1));
    ASSERT_TRUE(Open(server));
    ASSERT_TRUE(client.SendMailMessage()) << client.LastFailure().Describe();
    EXPECT_EQ(Visible(server.Received()),
              Visible(Envelope({"to@example.com"}) + message.GetHeaderText() + "one line\r\n.\r\n"));
}

// However the server cuts or ends its reply lines, the client's bytes are the same.
struct ReplyStyleCase {
    const char* name;
    friend void PrintTo(const ReplyStyleCase& row, std::ostream* os) { *os << row.name; }
    Script script;
};

class ReplyStyle : public Delivery, public testing::WithParamInterface<ReplyStyleCase> {};

TEST_P(ReplyStyle, Delivers) {
    Compose("body\r\n");
    FakeSmtpServer server(GetParam().script);
    ASSERT_TRUE(Open(server)) << client.LastFailure().Describe();
    ASSERT_TRUE(client.SendMailMessage()) << client.LastFailure().Describe();
    EXPECT_EQ(Visible(server.Received()),
              Visible(Envelope({"to@example.com"}) + message.GetHeaderText() + "body\r\n.\r\n"));
}

INSTANTIATE_TEST_SUITE_P(
    Table, ReplyStyle,
    testing::Values(
        ReplyStyleCase{"MultiLineInOnePiece",
                       {S("220-fake\r\n220-ready\r\n220 go\r\n"), C(),
                        S("250-hello\r\n250-SIZE 1000\r\n250 HELP\r\n"), C(), S("250 ok\r\n"), C(),
                        S("250 ok\r\n"), C(), S("354 go\r\n"), D(), S("250-a\r\n250 queued\r\n")}},
        ReplyStyleCase{"MultiLineLineByLine",
                       {S("220-fake\r\n"), W(20), S("220 ready\r\n"), C(), S("250-hello\r\n"),
                        W(20), S("250 HELP\r\n"), C(), S("250 ok\r\n"), C(), S("250 ok\r\n"), C(),
                        S("354-go\r\n"), W(20), S("354 ahead\r\n"), D(), S("250 queued\r\n")}},
        ReplyStyleCase{"SplitMidLine",
                       {S("22"), W(20), S("0 ready\r\n"), C(), S("250 hel"), W(20), S("lo\r\n"),
                        C(), S("250 ok\r"), W(20), S("\n"), C(), S("250 ok\r\n"), C(),
                        S("354 go\r\n"), D(), S("250 queued\r\n")}},
        ReplyStyleCase{"LfOnly",
                       {S("220-fake\n220 ready\n"), C(), S("250 hello\n"), C(), S("250 ok\n"), C(),
                        S("250 ok\n"), C(), S("354 go\n"), D(), S("250 queued\n")}},
        ReplyStyleCase{"DrippedByteByByte",
                       Drip("220 ready\r\n", 5) + Script{C()} + Drip("250-hello\r\n250 ok\r\n", 5) +
                           Script{C(), S("250 ok\r\n"), C(), S("250 ok\r\n"), C()} +
                           Drip("354 go\r\n", 5) + Script{D()} + Drip("250 queued\r\n", 5)}),
    [](const auto& info) { return std::string(info.param.name); });

// --- failures at each step ----------------------------------------------------------------

struct FailureCase {
    const char* name;
    friend void PrintTo(const FailureCase& row, std::ostream* os) { *os << row.name; }
    Script script;
    bool opens;
    int commandsSent;  // of HELO, MAIL FROM, RCPT TO, DATA; 5 with the data
    TSmtpStep step;
    TSmtpCause cause;
    const char* replyLine;
};

class FailedStep : public Delivery, public testing::WithParamInterface<FailureCase> {};

TEST_P(FailedStep, StopsThereAndSaysWhy) {
    const FailureCase& c = GetParam();
    client.SetTimeOut(4);  // 200 ms
    Compose("body\r\n");
    FakeSmtpServer server(c.script);
    EXPECT_EQ(Open(server), c.opens);
    EXPECT_FALSE(client.SendMailMessage());

    const std::string all = Envelope({"to@example.com"}) + message.GetHeaderText() + "body\r\n.\r\n";
    std::size_t end = 0;
    for (int i = 0; i < c.commandsSent; ++i) end = i < 4 ? all.find('\n', end) + 1 : all.size();
    EXPECT_EQ(Visible(server.Received()), Visible(all.substr(0, end)));

    const ruzo::TSmtpFailure& failure = client.LastFailure();
    EXPECT_EQ(failure.Step, c.step) << failure.Describe();
    EXPECT_EQ(failure.Cause, c.cause) << failure.Describe();
    EXPECT_EQ(failure.ReplyLine, c.replyLine);
}

const Script kGreeted{S("220 ready\r\n"), C(), S("250 hello\r\n")};

INSTANTIATE_TEST_SUITE_P(
    Table, FailedStep,
    testing::Values(
        FailureCase{"Greeting554", {S("554 not here\r\n"), W(500)}, false, 0, TSmtpStep::Greeting,
                    TSmtpCause::ServerReply, "554 not here"},
        FailureCase{"GreetingMultiLine554", {S("554-not\r\n554 here\r\n"), W(500)}, false, 0,
                    TSmtpStep::Greeting, TSmtpCause::ServerReply, "554 here"},
        FailureCase{"NoGreeting", {W(1000)}, false, 0, TSmtpStep::Greeting, TSmtpCause::TimeOut, ""},
        FailureCase{"HeloRefused", {S("220 ready\r\n"), C(), S("501 bad name\r\n")}, false, 1,
                    TSmtpStep::Helo, TSmtpCause::ServerReply, "501 bad name"},
        FailureCase{"MailFromGarbage", kGreeted + Script{C(), S("what?\r\n"), W(1000)}, true, 2,
                    TSmtpStep::MailFrom, TSmtpCause::ServerReply, "what?"},
        FailureCase{"MailFromTimeOut", kGreeted + Script{C(), W(1000)}, true, 2,
                    TSmtpStep::MailFrom, TSmtpCause::TimeOut, ""},
        FailureCase{"ServerClosesAfterMailFrom", kGreeted + Script{C(), X()}, true, 2,
                    TSmtpStep::MailFrom, TSmtpCause::Disconnected, ""},
        FailureCase{"Rcpt251", kGreeted + Script{C(), S("250 ok\r\n"), C(), S("251 forwarded\r\n")},
                    true, 3, TSmtpStep::RcptTo, TSmtpCause::ServerReply, "251 forwarded"},
        FailureCase{"DataRefused",
                    kGreeted + Script{C(), S("250 ok\r\n"), C(), S("250 ok\r\n"), C(),
                                      S("554 no data\r\n")},
                    true, 4, TSmtpStep::Data, TSmtpCause::ServerReply, "554 no data"},
        FailureCase{"EndOfDataRefused",
                    kGreeted + Script{C(), S("250 ok\r\n"), C(), S("250 ok\r\n"), C(),
                                      S("354 go\r\n"), D(), S("552 too big\r\n")},
                    true, 5, TSmtpStep::EndOfData, TSmtpCause::ServerReply, "552 too big"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Delivery, ServerClosingAfterHeloEndsSessionAndNothingIsSent) {
    Compose("body\r\n");
    FakeSmtpServer server({S("220 ready\r\n"), C(), S("250 hello\r\n"), X()});
    ASSERT_TRUE(Open(server));
    const QDeadlineTimer bound(5000);
    while (client.SessionOpen() && !bound.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    EXPECT_FALSE(client.SessionOpen());
    EXPECT_FALSE(client.SendMailMessage());
    EXPECT_EQ(server.Received(), Helo());
    EXPECT_EQ(client.LastFailure().Cause, TSmtpCause::Disconnected);
}

TEST_F(Delivery, RefusedConnectionIsKeptAsTheReasonOfTheFailedSend) {
    quint16 port;
    {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
        port = probe.serverPort();
    }
    Compose("body\r\n");
    client.Port = port;
    EXPECT_FALSE(client.OpenSession());
    EXPECT_FALSE(client.SendMailMessage());
    const ruzo::TSmtpFailure& failure = client.LastFailure();
    EXPECT_EQ(failure.Step, TSmtpStep::Greeting);
    EXPECT_EQ(failure.Cause, TSmtpCause::SocketError);
    EXPECT_EQ(failure.SocketErrorKind, ruzo::TErrorEvent::eeConnect);
    EXPECT_NE(failure.Describe().find("greeting: connect error: "), std::string::npos)
        << failure.Describe();
}

TEST_F(Delivery, PortOutOfRangeRaisesSocketError) {
    client.Port = 0;
    EXPECT_THROW(client.OpenSession(), klv::ESocketError);
    EXPECT_FALSE(client.SessionOpen());
}

TEST_F(Delivery, OpenSessionTwiceRefusesTheSecondCall) {
    FakeSmtpServer server(Accepting(1));
    ASSERT_TRUE(Open(server));
    EXPECT_FALSE(client.OpenSession());
    EXPECT_TRUE(client.SessionOpen());
    EXPECT_EQ(server.Received(), Helo());
    EXPECT_EQ(client.LastFailure().Cause, TSmtpCause::Refusal);
}

// --- refusals before anything is sent -----------------------------------------------------

TEST_F(Delivery, RefusalsSendNothing) {
    FakeSmtpServer server(Accepting(1));
    ASSERT_TRUE(Open(server));
    auto expectRefused = [&](bool result, const std::string& text) {
        EXPECT_FALSE(result);
        EXPECT_EQ(client.LastFailure().Cause, TSmtpCause::Refusal);
        EXPECT_EQ(client.LastFailure().Describe(), text);
    };
    Compose("body\r\n", nullptr);
    expectRefused(client.SendMailMessage(), "SMTPClient: No recipients to send message");
    message.NeedRebuild = true;
    expectRefused(client.DeliverTo(kFrom, "to@example.com"), "SMTPClient: MailMessage need rebuild");
    client.MailMessage = nullptr;
    expectRefused(client.SendMailMessage(), "SMTPClient: MailMessage unassigned");
    expectRefused(client.DeliverTo(kFrom, "to@example.com"), "SMTPClient: MailMessage unassigned");
    EXPECT_EQ(server.Received(), Helo());
    EXPECT_TRUE(client.SessionOpen());
}

// --- the envelope -------------------------------------------------------------------------

struct EnvelopeCase {
    const char* name;
    friend void PrintTo(const EnvelopeCase& row, std::ostream* os) { *os << row.name; }
    Lines to, cc, bcc;
    Lines rcpt;  // RCPT TO addresses in order
};

class EnvelopeOf : public Delivery, public testing::WithParamInterface<EnvelopeCase> {};

TEST_P(EnvelopeOf, SortedCaseInsensitiveWithoutDuplicatesBccOffTheWire) {
    const EnvelopeCase& c = GetParam();
    message.PutTextPlain("body\r\n");
    for (const std::string& a : c.to) message.ToList.AddNameAddress("", a);
    for (const std::string& a : c.cc) message.CcList.AddNameAddress("", a);
    for (const std::string& a : c.bcc) message.BccList.AddNameAddress("", a);
    if (message.NeedRebuild) message.RebuildMessage();
    const std::string bccBefore = message.GetFieldValue("Bcc");

    FakeSmtpServer server(Accepting(static_cast<int>(c.rcpt.size())));
    ASSERT_TRUE(Open(server));
    ASSERT_TRUE(client.SendMailMessage()) << client.LastFailure().Describe();

    EXPECT_EQ(message.GetFieldValue("Bcc"), bccBefore);  // back after the send
    message.SetFieldValue("Bcc", "");
    EXPECT_EQ(Visible(server.Received()),
              Visible(Envelope(c.rcpt) + message.GetHeaderText() + "body\r\n.\r\n"));
    EXPECT_EQ(server.Received().find("Bcc:"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Table, EnvelopeOf,
    testing::Values(EnvelopeCase{"ToCcBcc", {"b"}, {"A"}, {"a"}, {"A", "b"}},
                    EnvelopeCase{"OnlyBcc", {}, {}, {"x@example.com", "w@example.com"},
                                 {"w@example.com", "x@example.com"}},
                    EnvelopeCase{"DuplicateAcrossLists", {"Z@example.com", "y@example.com"},
                                 {"z@example.com"}, {"Y@EXAMPLE.COM"},
                                 {"y@example.com", "Z@example.com"}}),
    [](const auto& info) { return std::string(info.param.name); });

// --- progress -----------------------------------------------------------------------------

TEST_F(Delivery, ProgressCountsWireBytesOfTheData) {
    Compose(std::string(300, 'p') + "\r\n.\r\n");
    client.PacketSize = 100;
    std::vector<std::pair<std::int64_t, std::int64_t>> progress;
    client.SetOnProgress([&](QObject* sender, std::int64_t total, std::int64_t current) {
        EXPECT_EQ(sender, &client);
        progress.emplace_back(total, current);
    });
    FakeSmtpServer server(Accepting(1));
    ASSERT_TRUE(Open(server));
    EXPECT_TRUE(progress.empty());  // commands go whole
    ASSERT_TRUE(client.SendMailMessage()) << client.LastFailure().Describe();

    const std::string& received = server.Received();
    const auto total = static_cast<std::int64_t>(received.size() - received.find("DATA\r\n") - 6);
    ASSERT_GE(progress.size(), 4u);
    EXPECT_EQ(progress.front(), std::make_pair(total, std::int64_t{0}));
    for (std::size_t i = 1; i + 2 < progress.size(); ++i)
        EXPECT_EQ(progress[i].second, static_cast<std::int64_t>(100 * i));
    EXPECT_EQ(progress[progress.size() - 2], std::make_pair(total, total));
    EXPECT_EQ(progress.back(), std::make_pair(total, total));
    EXPECT_EQ(client.Conversation().PacketSize(), 0);
}

}  // namespace
