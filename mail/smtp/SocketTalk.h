#pragma once
// A send-and-wait conversation over a TCP client socket, run on the application's event loop:
// send a text, then wait until the peer's reply is complete, the time-out passes, the socket
// fails or the connection closes. Replies are assembled by TReplyReader; judging them is left
// to the owner through the notifications.
#include <QAbstractSocket>
#include <QObject>
#include <QTimer>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "mail/smtp/SmtpReply.h"

class QTcpSocket;

namespace ruzo {

class TDotStuffer;

// The kinds of socket failure, in the order of the values that FLastError carries.
enum class TErrorEvent : std::uint8_t {
    eeGeneral, eeSend, eeReceive, eeConnect, eeDisconnect, eeAccept, eeLookup
};

// How the last wait ended. Kept apart from FLastError, whose value 6 means both a time-out
// and a failed name lookup.
enum class TWaitEnd : std::uint8_t {
    None,          // no wait has ended since the last one was prepared
    Reply,         // a complete reply arrived; FReplyOK holds its judgement
    EarlyReply,    // a complete reply arrived before all of our text was sent; never a success
    Cancelled,     // the owner called CancelWait
    TimeOut,       // no complete reply in time, or the peer stopped taking data
    SocketError,   // see SocketErrorKind() and ErrorText()
    Disconnected,  // the connection closed, or was not open for a send
    ReplyTooLong,  // the reply outgrew TReplyReader::MaxReplyBytes
    ReplyTooSlow,  // pieces kept coming, but no complete reply within twice the time-out
    Aborted,       // a notification handler threw; ErrorText() holds its message
};

// Raised while a long text goes out in chunks: Total and Current count bytes on the wire.
using TProgressEvent = std::function<void(QObject* sender, std::int64_t total, std::int64_t current)>;

class TSocketTalk : public QObject {
public:
    using TTalkReplyEvent = std::function<void(TSocketTalk& sender, std::uint8_t kind,
                                               std::string_view data, bool& success)>;
    using TTalkErrorEvent =
        std::function<void(TSocketTalk& sender, std::uint8_t kind, std::uint8_t error)>;
    using TNotifyEvent = std::function<void(TSocketTalk& sender)>;

    static constexpr std::uint8_t NoError = 7;
    static constexpr std::uint8_t TimeOutError = 6;
    // Largest TimeOut in seconds: twice it, in milliseconds, must fit a timer interval.
    static constexpr int MaxTimeOut = 1073741;

    explicit TSocketTalk(QObject* owner = nullptr);
    ~TSocketTalk() override;  // closes an open connection at once, without notifications

    // Reply time-out in seconds; 0 waits without limit. Values outside 0..MaxTimeOut are
    // refused with ERangeError when a wait is prepared or started.
    int TimeOut() const { return FTimeOut; }
    void SetTimeOut(int seconds) { FTimeOut = seconds; }
    // Test seam: the length of one TimeOut unit (one second in production).
    void SetTimeUnit(std::chrono::milliseconds unit) { FTimeUnit = unit; }
    // Chunk size for the next send only; 0 sends without progress notifications.
    int PacketSize() const { return FPacketSize; }
    void SetPacketSize(int bytes) { FPacketSize = bytes; }

    // Prepares the wait for a reply that answers no text of ours (the greeting): the time-out
    // starts now, so lookup, connecting and the greeting share it. Open the socket next.
    void ExpectReply(std::uint8_t kind);
    // Sends `text` whole, or in PacketSize chunks with progress, and prepares the wait for
    // its reply; the time-out starts in WaitReply.
    void Talk(std::string_view text, std::uint8_t kind);
    // Sends the pieces as one message data text with transparency applied and the end-of-data
    // line in the same write as the data's end; otherwise as Talk.
    void TalkData(std::span<const std::string_view> pieces, std::uint8_t kind);
    // Keeps the application's events flowing until the prepared wait has ended; a reply that
    // is not complete twice the time-out after its wait began ends it too.
    void WaitReply();
    // Ends a wait as failed; meant for the owner's handlers.
    void CancelWait();

    // Starts lookup and connection in the background; outcomes arrive as notifications. A
    // port outside 1-65535 or an address that does not parse raises ESocketError at once.
    void OpenHost(const std::string& host, int port);
    void OpenAddress(const std::string& address, int port);
    bool Active() const;
    std::string LocalAddress() const;  // numeric address of our end of the connection
    static std::string LocalHostName();
    QTcpSocket& Socket() { return *FSocket; }

    bool Waiting() const { return FWaiting; }
    bool ReplyOK() const { return FReplyOK; }
    std::uint8_t LastError() const { return FLastError; }
    std::uint8_t TalkKind() const { return FTalkKind; }
    const TReplyReader& Reply() const { return FReply; }
    TWaitEnd WaitEnd() const { return FWaitEnd; }
    TErrorEvent SocketErrorKind() const { return FErrorKind; }
    const std::string& ErrorText() const { return FErrorText; }

    // Notification slots, assigned by the owner. Progress names the owner as its sender.
    TProgressEvent OnProgress;
    TTalkReplyEvent OnReply;    // once per complete reply: judges it through `success`
    TTalkErrorEvent OnError;    // socket error or time-out
    TTalkReplyEvent OnReceive;  // every piece received, before the completion test
    TNotifyEvent OnDisconnect;

private:
    void CheckTimeOut() const;
    int TimerInterval() const;
    void SetTimerInterval();
    void EnableTimer();
    void StartDeadline();
    void PrepareWait(std::uint8_t kind);
    void EndWait(TWaitEnd how);
    void Open(const QString& host, int port);

    void SendPieces(std::span<const std::string_view> pieces, TDotStuffer* stuffer);
    bool WriteAll(std::string_view bytes, std::size_t bound);
    void Progress(std::int64_t total, std::int64_t current);

    void SocketConnected();
    void SocketRead();
    void SocketDisconnect();
    void SocketError(QAbstractSocket::SocketError error);
    void TimeOutExpired(TWaitEnd how = TWaitEnd::TimeOut);
    TErrorEvent ErrorKindOf(QAbstractSocket::SocketError error) const;
    template <class F> void Guarded(F&& handler) noexcept;

    int FTimeOut = 60;
    std::chrono::milliseconds FTimeUnit{1000};
    int FPacketSize = 0;
    std::uint8_t FLastError = NoError;
    std::uint8_t FTalkKind = TalkKind::None;
    bool FWaiting = false;
    bool FReplyOK = false;
    bool FConnected = false;  // the connection was established since the last open
    bool FSending = false;    // a text is going out, so a socket error is a send error
    TReplyReader FReply;
    TWaitEnd FWaitEnd = TWaitEnd::None;
    TErrorEvent FErrorKind = TErrorEvent::eeGeneral;
    std::string FErrorText;
    QTimer FTimer;     // per-piece time-out
    QTimer FDeadline;  // bound on the whole wait, against a reply dripped for ever
    // Declared last so it goes first: its close must not reach the timers.
    std::unique_ptr<QTcpSocket> FSocket;
};

}  // namespace ruzo
