#include "mail/smtp/SmtpFailure.h"

namespace ruzo {

std::string EscapeControls(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (char ch : text) {
        auto c = static_cast<unsigned char>(ch);
        if (c == '\r') out += "\\r";
        else if (c == '\n') out += "\\n";
        else if (c == '\t') out += "\\t";
        else if (c < 0x20 || c >= 0x7F) out += {'\\', 'x', kHex[c >> 4], kHex[c & 15]};
        else out += ch;
    }
    return out;
}

std::string_view StepName(TSmtpStep step) {
    switch (step) {
        case TSmtpStep::None: return "";
        case TSmtpStep::Greeting: return "greeting";
        case TSmtpStep::Helo: return "HELO";
        case TSmtpStep::MailFrom: return "MAIL FROM";
        case TSmtpStep::RcptTo: return "RCPT TO";
        case TSmtpStep::Data: return "DATA";
        case TSmtpStep::EndOfData: return "end of data";
    }
    return "";
}

std::string_view ErrorKindName(TErrorEvent kind) {
    switch (kind) {
        case TErrorEvent::eeGeneral: return "socket";
        case TErrorEvent::eeSend: return "send";
        case TErrorEvent::eeReceive: return "receive";
        case TErrorEvent::eeConnect: return "connect";
        case TErrorEvent::eeDisconnect: return "disconnect";
        case TErrorEvent::eeAccept: return "accept";
        case TErrorEvent::eeLookup: return "lookup";
    }
    return "socket";
}

std::string TSmtpFailure::Describe() const {
    std::string cause;
    switch (Cause) {
        case TSmtpCause::None: return "";
        case TSmtpCause::Refusal: return Text;
        case TSmtpCause::ServerReply:
            cause = EscapeControls(ReplyLine);
            if (!Text.empty()) cause += " (" + Text + ")";
            break;
        case TSmtpCause::TimeOut: cause = "no complete reply within the time-out"; break;
        case TSmtpCause::SocketError:
            cause = std::string(ErrorKindName(SocketErrorKind)) + " error: " + Text;
            break;
        case TSmtpCause::Disconnected: cause = "the server closed the connection"; break;
        case TSmtpCause::ReplyTooLong: cause = "the server's reply is longer than 64 KiB"; break;
        case TSmtpCause::ReplyTooSlow:
            cause = "the server's reply did not complete within twice the time-out";
            break;
        case TSmtpCause::Aborted: cause = "aborted: " + Text; break;
    }
    return Step == TSmtpStep::None ? cause : std::string(StepName(Step)) + ": " + cause;
}

TSmtpFailure FailureOfWait(TSmtpStep step, const TSocketTalk& talk) {
    TSmtpFailure failure;
    failure.Step = step;
    // A complete reply that was not accepted, early cancel at 5xx included.
    if (talk.Reply().Complete()) {
        failure.Cause = TSmtpCause::ServerReply;
        failure.ReplyLine = talk.Reply().LastLine();
        if (talk.WaitEnd() == TWaitEnd::EarlyReply) failure.Text = "before all of our text was sent";
        return failure;
    }
    switch (talk.WaitEnd()) {
        case TWaitEnd::TimeOut: failure.Cause = TSmtpCause::TimeOut; break;
        case TWaitEnd::SocketError:
            failure.Cause = TSmtpCause::SocketError;
            failure.SocketErrorKind = talk.SocketErrorKind();
            failure.Text = talk.ErrorText();
            break;
        case TWaitEnd::ReplyTooLong: failure.Cause = TSmtpCause::ReplyTooLong; break;
        case TWaitEnd::ReplyTooSlow: failure.Cause = TSmtpCause::ReplyTooSlow; break;
        case TWaitEnd::Aborted:
            failure.Cause = TSmtpCause::Aborted;
            failure.Text = talk.ErrorText();
            break;
        case TWaitEnd::Cancelled:
            failure.Cause = TSmtpCause::Aborted;
            failure.Text = "wait cancelled";
            break;
        case TWaitEnd::None:
        case TWaitEnd::Reply:
        case TWaitEnd::EarlyReply:
        case TWaitEnd::Disconnected: failure.Cause = TSmtpCause::Disconnected; break;
    }
    return failure;
}

}  // namespace ruzo
