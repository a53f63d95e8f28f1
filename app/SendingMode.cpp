#include "app/SendingMode.h"

#include <iostream>
#include <memory>

#include "app/Arguments.h"
#include "maildef/MailData.h"

namespace tvl {

namespace {

using ruzo::TSmtpCause;

bool IsTemporaryReply(const std::string& line) { return !line.empty() && line[0] == '4'; }

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
