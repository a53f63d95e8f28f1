#include "mail/smtp/SmtpClient.h"

#include <array>
#include <string>

#include "mail/MailDates.h"
#include "mail/MailMessage.h"
#include "support/Exceptions.h"
#include "support/StringList.h"

namespace ruzo {

namespace {

std::string_view WithoutCrLf(std::string_view line) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
    return line;
}

}  // namespace

TSMTPClient::TSMTPClient(QObject* owner) : QObject(owner), FTalk(std::make_unique<TSocketTalk>(this)) {
    FTalk->OnReply = [this](TSocketTalk& s, std::uint8_t k, std::string_view d, bool& ok) {
        TalkReply(s, k, d, ok);
    };
    FTalk->OnError = [this](TSocketTalk& s, std::uint8_t k, std::uint8_t e) { TalkError(s, k, e); };
    FTalk->OnReceive = [this](TSocketTalk& s, std::uint8_t k, std::string_view d, bool& ok) {
        TalkReceive(s, k, d, ok);
    };
    FTalk->OnDisconnect = [this](TSocketTalk& s) { TalkDisconnect(s); };
}

TSMTPClient::~TSMTPClient() = default;

bool TSMTPClient::OpenSession() {
    FFailure = {};
    if (FSessionOpen || FTalk->Active()) return Refuse(": Session already open");
    if (Host.empty()) return Refuse(": Host unassigned");
    FTalk->ExpectReply(TalkKind::Greeting);
    try {
        if (IsNumericHost(Host)) {
            FTalk->OpenAddress(Host, Port);
        } else {
            FTalk->OpenHost(Host, Port);
        }
    } catch (const klv::ESocketError& e) {
        FFailure = {TSmtpStep::Greeting, TSmtpCause::SocketError, {}, TErrorEvent::eeConnect, e.what()};
        throw;
    }
    FTalk->WaitReply();
    FSessionOpen = Succeeded(TSmtpStep::Greeting) &&
                   Exchange("HELO " + TSocketTalk::LocalHostName() + "\r\n", TalkKind::Helo,
                            TSmtpStep::Helo);
    return FSessionOpen;
}

bool TSMTPClient::SendMailMessage() {
    if (!MailMessage) return Refuse(": MailMessage unassigned");
    std::string recipients;
    for (TMailRecipients* list : {&MailMessage->ToList, &MailMessage->CcList, &MailMessage->BccList}) {
        if (list->Count() == 0) continue;
        if (!recipients.empty()) recipients += ',';
        recipients += list->GetAddressList();
    }
    return DeliverTo(MailMessage->GetFromAddress(), recipients);
}

bool TSMTPClient::DeliverTo(const std::string& from, const std::string& recipients) {
    if (!FSessionOpen || !FTalk->Active()) {
        // Keep what closed or never opened the session: it says more than "no session".
        if (!FFailure.Failed()) Refuse(": No session open");
        return false;
    }
    if (!MailMessage) return Refuse(": MailMessage unassigned");
    if (MailMessage->NeedRebuild) return Refuse(": MailMessage need rebuild");
    klv::StringList list;
    list.setSorted(true, true);
    for (std::string& entry : klv::SplitCommaText(recipients)) list.add(std::move(entry));
    if (list.empty()) return Refuse(": No recipients to send message");

    FFailure = {};
    if (!Exchange("MAIL FROM: <" + from + ">\r\n", TalkKind::MailFrom, TSmtpStep::MailFrom))
        return false;
    for (const std::string& recipient : list) {
        if (!Exchange("RCPT TO: <" + recipient + ">\r\n", TalkKind::RcptTo, TSmtpStep::RcptTo))
            return false;
    }
    MailMessage->PutMessageId(FTalk->LocalAddress());
    // Bcc addresses got their RCPT TO; the field itself stays off the wire and comes back
    // afterwards, whatever the outcome. The saved lines keep the new Message-ID.
    const klv::StringList saved = MailMessage->FHeaderLines;
    MailMessage->SetFieldValue("Bcc", "");
    const struct Restore {
        TMailMessage& message;
        const klv::StringList& lines;
        ~Restore() { message.FHeaderLines = lines; }
    } restore{*MailMessage, saved};
    return Exchange("DATA\r\n", TalkKind::Data, TSmtpStep::Data) && SendData();
}

bool TSMTPClient::SendData() {
    // The header block and the stored body go out as they are, never joined into one copy.
    const std::string header = MailMessage->GetHeaderText();
    const std::array<std::string_view, 2> pieces{header, MailMessage->FEncodedBody.view()};
    const std::size_t size = header.size() + pieces[1].size();
    if (OnDialogue) Observe(TDialogueSide::Data, std::to_string(size));
    FTalk->SetPacketSize(PacketSize);
    FTalk->TalkData(pieces, TalkKind::EndOfData);
    Observe(TDialogueSide::Client, ".");
    FTalk->WaitReply();
    return Succeeded(TSmtpStep::EndOfData);
}

bool TSMTPClient::Exchange(const std::string& command, std::uint8_t kind, TSmtpStep step) {
    Observe(TDialogueSide::Client, WithoutCrLf(command));
    FTalk->Talk(command, kind);
    FTalk->WaitReply();
    return Succeeded(step);
}

bool TSMTPClient::Succeeded(TSmtpStep step) {
    if (FTalk->ReplyOK()) return true;
    FFailure = FailureOfWait(step, *FTalk);
    return false;
}

bool TSMTPClient::Refuse(std::string_view reason) {
    FFailure = {};
    FFailure.Cause = TSmtpCause::Refusal;
    FFailure.Text = Name + std::string(reason);
    return false;
}

void TSMTPClient::Observe(TDialogueSide side, std::string_view line) const {
    if (OnDialogue) OnDialogue(side, line);
}

void TSMTPClient::TalkReply(TSocketTalk& sender, std::uint8_t kind, std::string_view data,
                            bool& success) {
    if (OnDialogue) {
        while (!data.empty()) {
            const std::size_t lf = data.find('\n');
            const std::string_view line = data.substr(0, lf == std::string_view::npos ? lf : lf + 1);
            Observe(TDialogueSide::Server, WithoutCrLf(line));
            data.remove_prefix(line.size());
        }
    }
    if (IsSuccessReply(kind, sender.Reply().LastLine())) success = true;
}

void TSMTPClient::TalkError(TSocketTalk& sender, std::uint8_t, std::uint8_t) { sender.CancelWait(); }

void TSMTPClient::TalkReceive(TSocketTalk& sender, std::uint8_t, std::string_view, bool& success) {
    if (CancelsWait(sender.Reply())) {
        success = false;
        sender.CancelWait();
    }
}

void TSMTPClient::TalkDisconnect(TSocketTalk&) {
    FSessionOpen = false;
    // Outside a wait nothing else would tell why the session is gone.
    if (!FFailure.Failed()) FFailure.Cause = TSmtpCause::Disconnected;
}

}  // namespace ruzo
