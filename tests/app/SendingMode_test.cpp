#include "app/SendingMode.h"

#include <gtest/gtest.h>

#include "app/Arguments.h"
#include "app/FatalError.h"

namespace {

using ruzo::TSmtpCause;
using ruzo::TSmtpFailure;
using ruzo::TSmtpStep;

struct ExitCase {
    const char* name;
    TSmtpFailure failure;
    int code;
};

TSmtpFailure Failure(TSmtpStep step, TSmtpCause cause, std::string reply = {}) {
    TSmtpFailure f;
    f.Step = step;
    f.Cause = cause;
    f.ReplyLine = std::move(reply);
    return f;
}

class ExitCodes : public testing::TestWithParam<ExitCase> {};

TEST_P(ExitCodes, TellPermanentFromTemporary) {
    EXPECT_EQ(tvl::ExitCodeFor(GetParam().failure), GetParam().code);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ExitCodes,
    testing::Values(
        ExitCase{"Delivered", {}, 0},
        ExitCase{"Refused550", Failure(TSmtpStep::RcptTo, TSmtpCause::ServerReply, "550 no"), 2},
        ExitCase{"Unexpected251", Failure(TSmtpStep::RcptTo, TSmtpCause::ServerReply, "251 fwd"), 2},
        ExitCase{"GarbageLine", Failure(TSmtpStep::Helo, TSmtpCause::ServerReply, "hello?"), 2},
        ExitCase{"Deferred451", Failure(TSmtpStep::MailFrom, TSmtpCause::ServerReply, "451 later"), 3},
        ExitCase{"NoRecipients", Failure(TSmtpStep::None, TSmtpCause::Refusal), 2},
        ExitCase{"ReplyTooLong", Failure(TSmtpStep::Greeting, TSmtpCause::ReplyTooLong), 2},
        ExitCase{"ReplyTooSlow", Failure(TSmtpStep::Data, TSmtpCause::ReplyTooSlow), 2},
        ExitCase{"TimeOut", Failure(TSmtpStep::EndOfData, TSmtpCause::TimeOut), 3},
        ExitCase{"ConnectionRefused", Failure(TSmtpStep::Greeting, TSmtpCause::SocketError), 3},
        ExitCase{"ConnectionLost", Failure(TSmtpStep::Data, TSmtpCause::Disconnected), 3}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FatalError, NamesKindModuleAndMessageWithAFinalDot) {
    const void* where = reinterpret_cast<const void*>(0x1234);
    EXPECT_EQ(tvl::FatalErrorText("EFOpenError", "tarvelle", where, "ファイル \"/x\". No such file は開けません"),
              "EFOpenError がモジュール tarvelle の 0x1234 で発生しました。\r\n"
              "ファイル \"/x\". No such file は開けません.\r\n");
    EXPECT_EQ(tvl::FatalErrorText("EConvertError", "t", where, "done."),
              "EConvertError がモジュール t の 0x1234 で発生しました。\r\ndone.\r\n");
}

TEST(Arguments, BlankCountsFullWidthSpaces) {
    for (const char* blank : {"", " ", " \t ", "\u3000", " \u3000 \u3000"})
        EXPECT_TRUE(tvl::IsBlankArgument(blank)) << blank;
    for (const char* text : {"a", "\u3000a\u3000", "./--help", "\u00A5"})  // ¥ has no Windows-31J form
        EXPECT_FALSE(tvl::IsBlankArgument(text)) << text;
}

}  // namespace
