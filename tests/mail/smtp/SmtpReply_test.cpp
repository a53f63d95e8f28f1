#include "mail/smtp/SmtpReply.h"

#include <gtest/gtest.h>

#include <ostream>

#include <string>
#include <vector>

namespace {

using ruzo::TReplyReader;
using ruzo::TReplyState;

struct ReplyCase {
    const char* name;
    friend void PrintTo(const ReplyCase& row, std::ostream* os) { *os << row.name; }
    std::vector<std::string> pieces;
    TReplyState state;
    std::string lastLine;  // when complete
    std::string text;      // when complete: the reply as kept
};

std::string Joined(const std::vector<std::string>& pieces) {
    std::string all;
    for (const std::string& p : pieces) all += p;
    return all;
}

// Continuation lines of `total` bytes in all.
std::string ContinuationBytes(std::size_t total) {
    std::string lines;
    while (lines.size() + 8 <= total) lines += "250-abc\n";
    lines.append(total - lines.size(), 'x');
    return lines;
}

class ReplyReading : public testing::TestWithParam<ReplyCase> {
protected:
    void Expect(const TReplyReader& reader) const {
        const ReplyCase& c = GetParam();
        EXPECT_EQ(reader.State(), c.state);
        if (c.state == TReplyState::Complete) {
            EXPECT_EQ(reader.LastLine(), c.lastLine);
            EXPECT_EQ(reader.Text(), c.text);
        } else {
            EXPECT_EQ(reader.LastLine(), "");
        }
    }
};

// However the network cuts the bytes, the reader comes to the same result.
TEST_P(ReplyReading, SameResultForEveryCut) {
    const ReplyCase& c = GetParam();
    {
        SCOPED_TRACE("pieces as given");
        TReplyReader reader;
        for (const std::string& p : c.pieces) reader.Feed(p);
        Expect(reader);
    }
    {
        SCOPED_TRACE("one piece");
        TReplyReader reader;
        reader.Feed(Joined(c.pieces));
        Expect(reader);
    }
    {
        SCOPED_TRACE("byte by byte");
        TReplyReader reader;
        for (char b : Joined(c.pieces)) reader.Feed(std::string(1, b));
        Expect(reader);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, ReplyReading,
    testing::Values(
        ReplyCase{"OneLine", {"220 ready\r\n"}, TReplyState::Complete, "220 ready", "220 ready\r\n"},
        ReplyCase{"MultiLineInOnePiece", {"250-a\r\n250-b\r\n250 c\r\n"}, TReplyState::Complete,
                  "250 c", "250-a\r\n250-b\r\n250 c\r\n"},
        ReplyCase{"MultiLineLineByLine", {"220-a\r\n", "220 b\r\n"}, TReplyState::Complete,
                  "220 b", "220-a\r\n220 b\r\n"},
        ReplyCase{"SplitMidLine", {"250 o", "k\r\n"}, TReplyState::Complete, "250 ok",
                  "250 ok\r\n"},
        ReplyCase{"SplitInsideLineEnd", {"250 ok\r", "\n"}, TReplyState::Complete, "250 ok",
                  "250 ok\r\n"},
        ReplyCase{"LfOnly", {"250-a\n", "250 b\n"}, TReplyState::Complete, "250 b",
                  "250-a\n250 b\n"},
        ReplyCase{"GarbageLineEndsReply", {"hello there\r\n"}, TReplyState::Complete,
                  "hello there", "hello there\r\n"},
        ReplyCase{"CodeOnly", {"250\r\n"}, TReplyState::Complete, "250", "250\r\n"},
        ReplyCase{"EmptyContinuation", {"250-\r\n", "250 x\r\n"}, TReplyState::Complete,
                  "250 x", "250-\r\n250 x\r\n"},
        ReplyCase{"ShortCodeWithDashIsFinal", {"25-x\r\n"}, TReplyState::Complete, "25-x",
                  "25-x\r\n"},
        ReplyCase{"ZeroCodeContinues", {"000-a\r\n", "000 b\r\n"}, TReplyState::Complete,
                  "000 b", "000-a\r\n000 b\r\n"},
        ReplyCase{"BytesAfterFinalLineDropped", {"250 ok\r\n354 go\r\n"},
                  TReplyState::Complete, "250 ok", "250 ok\r\n"},
        ReplyCase{"OnlyContinuation", {"250-a\r\n250-b\r\n"}, TReplyState::Incomplete, "", ""},
        ReplyCase{"NoLineEnd", {"250 ok"}, TReplyState::Incomplete, "", ""},
        ReplyCase{"FinalLineEndsAtLimit",
                  {ContinuationBytes(TReplyReader::MaxReplyBytes - 8), "250 end\n"},
                  TReplyState::Complete, "250 end",
                  ContinuationBytes(TReplyReader::MaxReplyBytes - 8) + "250 end\n"},
        ReplyCase{"FinalLineEndsPastLimit",
                  {ContinuationBytes(TReplyReader::MaxReplyBytes - 7), "250 end\n"},
                  TReplyState::Broken, "", ""},
        ReplyCase{"EndlessContinuation", {ContinuationBytes(TReplyReader::MaxReplyBytes + 1)},
                  TReplyState::Broken, "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReplyReader, ClearStartsAFreshReply) {
    TReplyReader reader;
    reader.Feed("354 go\r\n");
    reader.Clear();
    EXPECT_EQ(reader.Feed("250-a\r\n"), TReplyState::Incomplete);
    EXPECT_EQ(reader.Feed("250 b\r\n"), TReplyState::Complete);
    EXPECT_EQ(reader.Code(), 250);
    EXPECT_EQ(reader.Text(), "250-a\r\n250 b\r\n");
}

struct JudgeCase {
    const char* name;
    friend void PrintTo(const JudgeCase& row, std::ostream* os) { *os << row.name; }
    std::uint8_t kind;
    const char* lastLine;
    bool success;
};

class ReplyJudgement : public testing::TestWithParam<JudgeCase> {};

TEST_P(ReplyJudgement, ComparesTheKindsCodeExactly) {
    EXPECT_EQ(ruzo::IsSuccessReply(GetParam().kind, GetParam().lastLine), GetParam().success);
}

namespace kind = ruzo::TalkKind;
INSTANTIATE_TEST_SUITE_P(
    Table, ReplyJudgement,
    testing::Values(JudgeCase{"Greeting220", kind::Greeting, "220 ready", true},
                    JudgeCase{"Greeting554", kind::Greeting, "554 go away", false},
                    JudgeCase{"Greeting250", kind::Greeting, "250 ok", false},
                    JudgeCase{"Helo250", kind::Helo, "250 hello", true},
                    JudgeCase{"MailFrom250", kind::MailFrom, "250 ok", true},
                    JudgeCase{"Rcpt250", kind::RcptTo, "250 ok", true},
                    JudgeCase{"Rcpt251IsFailure", kind::RcptTo, "251 forwarded", false},
                    JudgeCase{"Data354", kind::Data, "354 go", true},
                    JudgeCase{"Data250", kind::Data, "250 ok", false},
                    JudgeCase{"EndOfData250", kind::EndOfData, "250 queued", true},
                    JudgeCase{"CodeOnly", kind::Helo, "250", true},
                    JudgeCase{"ShortLine", kind::Helo, "25", false},
                    JudgeCase{"NothingAwaited", kind::None, "250 ok", false},
                    JudgeCase{"UnknownKind", 2, "250 ok", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReplyJudgement, CancelsWaitOnCompleteErrorReplyOnly) {
    auto cancels = [](const std::string& bytes) {
        TReplyReader reader;
        reader.Feed(bytes);
        return ruzo::CancelsWait(reader);
    };
    EXPECT_TRUE(cancels("554 no\r\n"));
    EXPECT_TRUE(cancels("500-a\r\n500 b\r\n"));
    EXPECT_FALSE(cancels("499 later\r\n"));
    EXPECT_FALSE(cancels("554-more to come\r\n"));
    EXPECT_FALSE(cancels("554 no"));
    EXPECT_FALSE(cancels("garbage\r\n"));  // code 0: it fails by its judgement instead
}

}  // namespace
