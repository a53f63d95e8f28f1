#include "app/SendingMode.h"

#include <charconv>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>

#include "app/Arguments.h"
#include "maildef/MailData.h"

namespace tvl {

namespace {

using ruzo::TSmtpCause;

bool IsTemporaryReply(const std::string& line) { return !line.empty() && line[0] == '4'; }

// Test seam: TARVELLE_TEST_TIMEOUT_MS (1 to 60000) shortens the reply time-out so tests of a
// stalling server end quickly; any other value keeps the default.
void ApplyTestTimeOut(TMailData& data) {
    const char* text = std::getenv("TARVELLE_TEST_TIMEOUT_MS");
    if (!text) return;
    const char* end = text + std::strlen(text);
    int ms = 0;
    const auto [last, error] = std::from_chars(text, end, ms);
    if (error != std::errc() || last != end || ms < 1 || ms > 60000) return;
    data.SendTimeOut = 1;
    data.SendTimeUnit = std::chrono::milliseconds(ms);
}

}  // namespace

TExitCode ExitCodeFor(const ruzo::TSmtpFailure& failure) {
    switch (failure.Cause) {
        case TSmtpCause::None: return ecDelivered;
        case TSmtpCause::ServerReply:
            return IsTemporaryReply(failure.ReplyLine) ? ecTemporary : ecRefused;
        case TSmtpCause::TimeOut:
        case TSmtpCause::SocketError:
        case TSmtpCause::Disconnected: return ecTemporary;
        case TSmtpCause::Refusal:
        case TSmtpCause::ReplyTooLong:
        case TSmtpCause::ReplyTooSlow:
        case TSmtpCause::Aborted: return ecRefused;
    }
    return ecRefused;
}

TExitCode RunSendingMode(const std::string& definition, const std::string& attachment) {
    auto data = std::make_unique<TMailData>();
    data->LoadDefinition(definition);
    ApplyTestTimeOut(*data);
    if (!IsBlankArgument(attachment)) {
        data->SetAttachment(attachment);
        if (data->AttachFile().empty())
            std::cerr << "警告: 添付ファイル \"" << attachment
                      << "\" が見つからないため、添付せずに送信します。\n";
    }
    if (data->SendMail()) return ecDelivered;
    const ruzo::TSmtpFailure& failure = data->LastFailure();
    std::cerr << "送信に失敗しました。" << failure.Describe() << "\n";
    return failure.Failed() ? ExitCodeFor(failure) : ecRefused;
}

}  // namespace tvl
