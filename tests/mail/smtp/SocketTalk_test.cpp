#include "mail/smtp/SocketTalk.h"

#include <gtest/gtest.h>

#include <ostream>

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <stdexcept>
#include <utility>

#include "FakeSmtpServer.h"
#include "mail/smtp/DotStuffing.h"
#include "support/Exceptions.h"

namespace {

using namespace std::chrono_literals;
using namespace smtptest;
using ruzo::TSocketTalk;
using ruzo::TWaitEnd;
namespace kind = ruzo::TalkKind;
using ProgressLog = std::vector<std::pair<std::int64_t, std::int64_t>>;

class Conversation : public testing::Test {
protected:
    Conversation() {
        EnsureApplication();
        // 20 units of 50 ms: one second per piece unless a test sets its own.
        talk.SetTimeUnit(50ms);
        talk.SetTimeOut(20);
        talk.OnReply = [this](TSocketTalk& sender, std::uint8_t k, std::string_view data, bool& ok) {
            replies.emplace_back(data);
            if (ruzo::IsSuccessReply(k, sender.Reply().LastLine())) ok = true;
        };
        talk.OnError = [this](TSocketTalk&, std::uint8_t k, std::uint8_t error) {
            errors.emplace_back(k, error);
        };
        talk.OnProgress = [this](QObject* sender, std::int64_t total, std::int64_t current) {
            EXPECT_EQ(sender, &owner);
            progress.emplace_back(total, current);
        };
    }

    void Greet(FakeSmtpServer& server) {
        talk.ExpectReply(kind::Greeting);
        talk.OpenAddress("127.0.0.1", server.Port());
        talk.WaitReply();
    }

    QObject owner;
    TSocketTalk talk{&owner};
    std::vector<std::string> replies;
    std::vector<std::pair<int, int>> errors;
    ProgressLog progress;
};

// --- how a greeting wait ends ----------------------------------------------------------------

struct EndCase {
    const char* name;
    friend void PrintTo(const EndCase& row, std::ostream* os) { *os << row.name; }
    Script script;
    TWaitEnd end;
    bool ok;
};

class GreetingWait : public Conversation, public testing::WithParamInterface<EndCase> {};

TEST_P(GreetingWait, EndsAsExpected) {
    talk.SetTimeOut(4);  // 200 ms
    FakeSmtpServer server(GetParam().script);
    Greet(server);
    EXPECT_EQ(talk.WaitEnd(), GetParam().end);
    EXPECT_EQ(talk.ReplyOK(), GetParam().ok);
    EXPECT_FALSE(talk.Waiting());
}

INSTANTIATE_TEST_SUITE_P(
    Table, GreetingWait,
    testing::Values(
        EndCase{"Accepted", {S("220 ready\r\n")}, TWaitEnd::Reply, true},
        EndCase{"Refused", {S("554 go away\r\n")}, TWaitEnd::Reply, false},
        // A line without a code ends the wait at once instead of running into the time-out.
        EndCase{"GarbageLine", {S("hello\r\n"), W(1000), S("220 late\r\n")}, TWaitEnd::Reply,
                false},
        EndCase{"Silent", {W(1000)}, TWaitEnd::TimeOut, false},
        EndCase{"PeerCloses", {S("220-wait"), X()}, TWaitEnd::Disconnected, false},
        EndCase{"ReplyTooLong",
                {S(std::string(ruzo::TReplyReader::MaxReplyBytes + 10, 'x')), W(1000)},
                TWaitEnd::ReplyTooLong, false}),
    [](const auto& info) { return std::string(info.param.name); });

// --- reply pieces -------------------------------------------------------------------------

struct PiecesCase {
    const char* name;
    friend void PrintTo(const PiecesCase& row, std::ostream* os) { *os << row.name; }
    Script greeting;
    std::string reply;
};

class ReplyPieces : public Conversation, public testing::WithParamInterface<PiecesCase> {};

// The whole greeting is one reply however it arrives, and the next exchange stays in step.
TEST_P(ReplyPieces, GreetingCompletesAndNextReplyStaysInStep) {
    FakeSmtpServer server(GetParam().greeting + Script{C(), S("250 hello\r\n")});
    Greet(server);
    EXPECT_TRUE(talk.ReplyOK());
    talk.Talk("HELO me\r\n", kind::Helo);
    talk.WaitReply();
    EXPECT_TRUE(talk.ReplyOK());
    EXPECT_EQ(replies, (std::vector<std::string>{GetParam().reply, "250 hello\r\n"}));
    EXPECT_EQ(server.Received(), "HELO me\r\n");
}

INSTANTIATE_TEST_SUITE_P(
    Table, ReplyPieces,
    testing::Values(
        PiecesCase{"MultiLineOnePiece", {S("220-a\r\n220-b\r\n220 c\r\n")},
                   "220-a\r\n220-b\r\n220 c\r\n"},
        PiecesCase{"MultiLineLineByLine", {S("220-a\r\n"), W(30), S("220-b\r\n"), W(30), S("220 c\r\n")},
                   "220-a\r\n220-b\r\n220 c\r\n"},
        PiecesCase{"SplitMidLine", {S("220 rea"), W(30), S("dy\r\n")}, "220 ready\r\n"},
        PiecesCase{"LfOnly", {S("220-a\n"), W(30), S("220 b\n")}, "220-a\n220 b\n"},
        PiecesCase{"ByteByByte", Drip("220-x\r\n220 y\r\n", 5), "220-x\r\n220 y\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

// --- time-outs ----------------------------------------------------------------------------

TEST_F(Conversation, TimeOutOfOneSecondFiresWhileOtherEventsFlow) {
    talk.SetTimeUnit(1000ms);
    talk.SetTimeOut(1);
    FakeSmtpServer server({S("220 ready\r\n"), C(), W(5000)});
    Greet(server);
    ASSERT_TRUE(talk.ReplyOK());
    // Other events keep coming during the wait; they must not restart the time-out.
    QTimer busy;
    busy.start(10);
    QElapsedTimer clock;
    clock.start();
    talk.Talk("NOOP\r\n", kind::Helo);
    talk.WaitReply();
    EXPECT_EQ(talk.WaitEnd(), TWaitEnd::TimeOut);
    EXPECT_EQ(talk.LastError(), TSocketTalk::TimeOutError);
    EXPECT_FALSE(talk.ReplyOK());
    EXPECT_EQ(errors, (std::vector<std::pair<int, int>>{{kind::Helo, 6}}));
    // The per-piece time-out, not the bound of twice the time-out, ended it.
    EXPECT_LT(clock.elapsed(), 1800);
}

TEST_F(Conversation, TimeOutZeroWaitsForTheReply) {
    talk.SetTimeUnit(10ms);
    talk.SetTimeOut(0);
    FakeSmtpServer server({W(200), S("220 late\r\n")});
    Greet(server);
    EXPECT_EQ(talk.WaitEnd(), TWaitEnd::Reply);
    EXPECT_TRUE(talk.ReplyOK());
}

TEST_F(Conversation, EveryPieceRestartsTheTimeOut) {
    talk.SetTimeUnit(100ms);
    talk.SetTimeOut(4);  // 400 ms a piece, 800 ms for the whole reply
    // 13 bytes 40 ms apart: longer than one time-out, shorter than two.
    FakeSmtpServer server(Drip("250 dripped\r\n", 40));
    Greet(server);
    EXPECT_EQ(talk.WaitEnd(), TWaitEnd::Reply);
    EXPECT_EQ(replies, std::vector<std::string>{"250 dripped\r\n"});
}

TEST_F(Conversation, EndlessDrippedReplyFailsAfterTwiceTheTimeOut) {
    talk.SetTimeUnit(100ms);
    talk.SetTimeOut(4);
    Script endless;
    for (int i = 0; i < 60; ++i) endless = endless + Script{S("220-more\r\n"), W(100)};
    FakeSmtpServer server(endless);
    Greet(server);
    EXPECT_EQ(talk.WaitEnd(), TWaitEnd::ReplyTooSlow);
    EXPECT_LT(server.StepsDone(), endless.size());  // the server was still dripping
}

// --- sending ------------------------------------------------------------------------------

TEST_F(Conversation, ChunkedTextReportsProgressOverBytesHandedToTheSocket) {
    const std::string text = std::string(248, 'a') + "\r\n";
    FakeSmtpServer server({S("220 ready\r\n"), C(), S("250 ok\r\n"), C(), S("250 ok\r\n")});
    Greet(server);
    talk.SetPacketSize(100);
    talk.Talk(text, kind::Helo);
    EXPECT_EQ(talk.PacketSize(), 0);
    talk.WaitReply();
    EXPECT_TRUE(talk.ReplyOK());
    EXPECT_EQ(progress, (ProgressLog{{250, 0}, {250, 100}, {250, 200}, {250, 250}, {250, 250}}));

    // A text no longer than the packet size goes whole, without progress.
    progress.clear();
    talk.SetPacketSize(100);
    talk.Talk(std::string(98, 'b') + "\r\n", kind::Helo);
    talk.WaitReply();
    EXPECT_TRUE(talk.ReplyOK());
    EXPECT_TRUE(progress.empty());
    EXPECT_EQ(server.Received(), text + std::string(98, 'b') + "\r\n");
}

// 250 wire bytes, end line included: the end line leaves with the last chunk of data, so the
// sequence is the same as for any 250-byte text.
TEST_F(Conversation, DataIsStuffedAcrossPiecesAndEndsInTheLastChunk) {
    const std::string header = "Subject: dots\r\n\r\n";
    std::string body = ".first\r\n.\r\n";
    body += std::string(250 - 3 - 2 - header.size() - body.size() - 2, 'z') + "\r\n";
    const std::vector<std::string_view> pieces{header, body};
    ASSERT_EQ(ruzo::TDotStuffer::WireLength(pieces), 250u);

    FakeSmtpServer server({S("220 ready\r\n"), D(), S("250 queued\r\n")});
    Greet(server);
    talk.SetPacketSize(100);
    talk.TalkData(pieces, kind::EndOfData);
    talk.WaitReply();
    EXPECT_TRUE(talk.ReplyOK());
    EXPECT_EQ(progress, (ProgressLog{{250, 0}, {250, 100}, {250, 200}, {250, 250}, {250, 250}}));
    EXPECT_EQ(server.Received(), header + "." + body.substr(0, 8) + "." + body.substr(8) + ".\r\n");
}

TEST_F(Conversation, PeerClosingDuringChunkedSendEndsSendAndWait) {
    FakeSmtpServer server({S("220 ready\r\n"), C(), X()});
    Greet(server);
    const std::string data = "first line\r\n" + std::string(32 << 20, 'd');
    const std::vector<std::string_view> pieces{data};
    talk.SetPacketSize(64 * 1024);
    talk.TalkData(pieces, kind::EndOfData);
    talk.WaitReply();
    EXPECT_FALSE(talk.ReplyOK());
    EXPECT_TRUE(talk.WaitEnd() == TWaitEnd::Disconnected || talk.WaitEnd() == TWaitEnd::SocketError)
        << static_cast<int>(talk.WaitEnd());
    ASSERT_FALSE(progress.empty());
    EXPECT_LT(progress.back().second, progress.back().first);
}

TEST_F(Conversation, PeerThatStopsTakingDataTimesOutTheSend) {
    talk.SetTimeOut(4);  // 200 ms
    FakeSmtpServer server({S("220 ready\r\n"), H()});
    Greet(server);
    const std::string data(64 << 20, 'd');
    const std::vector<std::string_view> pieces{data};
    talk.SetPacketSize(64 * 1024);
    talk.TalkData(pieces, kind::EndOfData);
    EXPECT_EQ(talk.WaitEnd(), TWaitEnd::TimeOut);
    EXPECT_EQ(talk.LastError(), TSocketTalk::TimeOutError);
    EXPECT_LT(progress.back().second, progress.back().first);
    talk.WaitReply();  // returns at once
    EXPECT_FALSE(talk.ReplyOK());
}

TEST_F(Conversation, PeerCloseWhileWaitingIsADisconnectHeardBeforeStateReset) {
    FakeSmtpServer server({S("220 ready\r\n"), C(), X()});
    Greet(server);
    bool waitingWhenTold = false;
    talk.OnDisconnect = [&](TSocketTalk& sender) { waitingWhenTold = sender.Waiting(); };
    talk.Talk("HELO me\r\n", kind::Helo);
    talk.WaitReply();
    EXPECT_EQ(talk.WaitEnd(), TWaitEnd::Disconnected);
    EXPECT_TRUE(waitingWhenTold);
    EXPECT_FALSE(talk.ReplyOK());
    EXPECT_TRUE(errors.empty());  // a close is not an error
    EXPECT_FALSE(talk.Active());
}

TEST_F(Conversation, ConnectedSocketHasLowDelay) {
    FakeSmtpServer server({S("220 ready\r\n")});
    Greet(server);
    ASSERT_TRUE(talk.ReplyOK());
    EXPECT_EQ(talk.Socket().socketOption(QAbstractSocket::LowDelayOption).toInt(), 1);
}

// --- failures -----------------------------------------------------------------------------

TEST_F(Conversation, RefusedConnectionIsAConnectError) {
    quint16 port;
    {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
        port = probe.serverPort();
    }
    talk.ExpectReply(kind::Greeting);
    talk.OpenAddress("127.0.0.1", port);
    talk.WaitReply();
    EXPECT_EQ(talk.WaitEnd(), TWaitEnd::SocketError);
    EXPECT_EQ(talk.SocketErrorKind(), ruzo::TErrorEvent::eeConnect);
    EXPECT_EQ(talk.LastError(), 3);
    EXPECT_FALSE(talk.ErrorText().empty());
    EXPECT_EQ(errors, (std::vector<std::pair<int, int>>{{kind::Greeting, 3}}));
}

TEST_F(Conversation, ImmediateOpenFailuresRaiseSocketErrorNamingTheCause) {
    const std::pair<int, const char*> badPorts[] = {{0, "0"}, {65536, "65536"}, {-25, "-25"}};
    for (const auto& [port, text] : badPorts) {
        talk.ExpectReply(kind::Greeting);
        try {
            talk.OpenHost("localhost", port);
            ADD_FAILURE() << "port " << port << " accepted";
        } catch (const klv::ESocketError& e) {
            EXPECT_NE(std::string(e.what()).find(text), std::string::npos) << e.what();
        }
        EXPECT_FALSE(talk.Waiting());
    }
    talk.ExpectReply(kind::Greeting);
    EXPECT_THROW(talk.OpenAddress("1.2.3.4.5", 25), klv::ESocketError);
    EXPECT_FALSE(talk.Waiting());
}

TEST_F(Conversation, NegativeTimeOutIsRefused) {
    talk.SetTimeOut(-1);
    EXPECT_THROW(talk.ExpectReply(kind::Greeting), klv::ERangeError);
    EXPECT_THROW(talk.WaitReply(), klv::ERangeError);
}

TEST_F(Conversation, ThrowingHandlerEndsWaitAsFailed) {
    talk.OnReply = [](TSocketTalk&, std::uint8_t, std::string_view, bool&) {
        throw std::runtime_error("judge failed");
    };
    FakeSmtpServer server({S("220 ready\r\n")});
    Greet(server);
    EXPECT_EQ(talk.WaitEnd(), TWaitEnd::Aborted);
    EXPECT_EQ(talk.ErrorText(), "judge failed");
    EXPECT_FALSE(talk.ReplyOK());
}

}  // namespace
