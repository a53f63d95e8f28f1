#include "app/SendingMode.h"

#include <charconv>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>

#include "app/Arguments.h"
#include "mail/MailMessage.h"
#include "mail/smtp/SmtpClient.h"
#include "maildef/MailData.h"
#include "support/Exceptions.h"

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

// The message as the delivery would hand it over after DATA, before transparency dots: the
// same composition, a Message-ID naming no connection, the Bcc field off as on the wire.
void DumpMessage(const TMailData& data, std::ostream& out) {
    const std::unique_ptr<ruzo::TMailMessage> message = data.ComposeMessage();
    message->PutMessageId("localhost");
    message->SetFieldValue("Bcc", "");
    const std::string header = message->GetHeaderText();
    const std::string_view body = message->FEncodedBody.view();
    out.write(header.data(), static_cast<std::streamsize>(header.size()));
    out.write(body.data(), static_cast<std::streamsize>(body.size()));
    out.flush();
    if (!out) throw klv::EStreamError("メッセージを標準出力に書き込めません。");
}

// One line of the verbose dialogue. What the server says is escaped (it may hold terminal
// controls); the client's lines are printable already but go through the same escaping.
std::string DialogueLine(ruzo::TDialogueSide side, std::string_view line) {
    switch (side) {
        case ruzo::TDialogueSide::Client: return "C: " + ruzo::EscapeControls(line);
        case ruzo::TDialogueSide::Server: return "S: " + ruzo::EscapeControls(line);
        case ruzo::TDialogueSide::Data: return "C: <message data: " + std::string(line) + " bytes>";
    }
    return {};
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

TExitCode RunSendingMode(const TCommandLine& command, std::ostream& dumpOut) {
    auto data = std::make_unique<TMailData>();
    data->LoadDefinition(command.Definition);
    ApplyTestTimeOut(*data);
    if (!IsBlankArgument(command.Attachment)) {
        data->SetAttachment(command.Attachment);
        if (data->AttachFile().empty())
            std::cerr << "警告: 添付ファイル \"" << command.Attachment
                      << "\" が見つからないため、添付せずに送信します。\n";
    }
    if (command.Mode == TRunMode::Dump) {
        DumpMessage(*data, dumpOut);
        return ecDelivered;
    }
    if (command.Verbose) {
        data->OnDialogue = [](ruzo::TDialogueSide side, std::string_view line) {
            std::cerr << DialogueLine(side, line) + "\n";
        };
    }
    if (data->SendMail()) return ecDelivered;
    const ruzo::TSmtpFailure& failure = data->LastFailure();
    std::cerr << "送信に失敗しました。" << failure.Describe() << "\n";
    return failure.Failed() ? ExitCodeFor(failure) : ecRefused;
}

}  // namespace tvl
