#pragma once
// Why a delivery failed: the step, and the server's reply line, the socket error, a time-out
// or the client's own refusal. The client raises nothing; callers print this record and pick
// their exit code from it.
#include <cstdint>
#include <string>
#include <string_view>

#include "mail/smtp/SocketTalk.h"

namespace ruzo {

enum class TSmtpStep : std::uint8_t { None, Greeting, Helo, MailFrom, RcptTo, Data, EndOfData };

enum class TSmtpCause : std::uint8_t {
    None,          // nothing failed
    Refusal,       // the client refused before sending anything; Text says why
    ServerReply,   // ReplyLine holds the server's final reply line
    TimeOut,       // no complete reply in time (time-outs are no socket error kind here)
    SocketError,   // SocketErrorKind, with Qt's description in Text
    Disconnected,  // the server closed the connection
    ReplyTooLong,  // the reply outgrew 64 KiB
    ReplyTooSlow,  // a reply kept dripping without completing within twice the time-out
    Aborted,       // a notification handler failed; Text holds its message
};

struct TSmtpFailure {
    TSmtpStep Step = TSmtpStep::None;
    TSmtpCause Cause = TSmtpCause::None;
    std::string ReplyLine;
    TErrorEvent SocketErrorKind = TErrorEvent::eeGeneral;
    std::string Text;

    bool Failed() const { return Cause != TSmtpCause::None; }
    // One line for a person, e.g. «RCPT TO: the server replied "550 no such user"».
    std::string Describe() const;
};

// Server text made safe for a terminal and for UTF-8 output: control bytes as \r, \n, \t or
// \xNN, and so every byte outside printable ASCII (RFC 5321 replies are ASCII; a raw 0x9B
// would be a terminal's CSI, a raw 0xFF no UTF-8).
std::string EscapeControls(std::string_view text);
std::string_view StepName(TSmtpStep step);          // "greeting", "HELO", ... "end of data"
std::string_view ErrorKindName(TErrorEvent kind);   // "lookup", "connect", ...
// The failure of the wait that `talk` has just ended at `step`.
TSmtpFailure FailureOfWait(TSmtpStep step, const TSocketTalk& talk);

}  // namespace ruzo
