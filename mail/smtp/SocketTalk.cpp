#include "mail/smtp/SocketTalk.h"

#include <arpa/inet.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QHostAddress>
#include <QHostInfo>
#include <QTcpSocket>
#include <algorithm>
#include <exception>

#include "mail/smtp/DotStuffing.h"
#include "support/Exceptions.h"

namespace ruzo {

namespace {

// Block size for data sent without PacketSize, so it is still stuffed piece by piece.
constexpr std::size_t UnchunkedBlock = 64 * 1024;
// Qt queues every write; beyond this many queued bytes we let the socket drain first.
constexpr std::size_t MinWriteBound = 64 * 1024;
// How long one drain wait may block, the retry period of a socket that takes no data.
constexpr int DrainWaitMs = 10;

void CheckPort(int port) {
    if (port < 1 || port > 65535)
        throw klv::ESocketError("ソケットエラー：ポート番号 " + std::to_string(port) +
                                " は 1～65535 の範囲外です");
}

}  // namespace

TSocketTalk::TSocketTalk(QObject* owner) : QObject(owner), FSocket(std::make_unique<QTcpSocket>()) {
    FTimer.setSingleShot(true);
    FDeadline.setSingleShot(true);
    connect(&FTimer, &QTimer::timeout, this, [this] { TimeOutExpired(); });
    // The per-piece timer fires first when nothing arrives, so the deadline only ends a
    // reply that keeps dripping without completing.
    connect(&FDeadline, &QTimer::timeout, this, [this] { TimeOutExpired(TWaitEnd::ReplyTooSlow); });
    connect(FSocket.get(), &QTcpSocket::connected, this, &TSocketTalk::SocketConnected);
    connect(FSocket.get(), &QTcpSocket::readyRead, this, &TSocketTalk::SocketRead);
    connect(FSocket.get(), &QTcpSocket::disconnected, this, &TSocketTalk::SocketDisconnect);
    connect(FSocket.get(), &QTcpSocket::errorOccurred, this, &TSocketTalk::SocketError);
}

TSocketTalk::~TSocketTalk() {
    FSocket->disconnect(this);
    FSocket->abort();
}

// --- waits ---------------------------------------------------------------------------------

void TSocketTalk::CheckTimeOut() const {
    if (FTimeOut < 0 || FTimeOut > MaxTimeOut)
        throw klv::ERangeError("タイムアウト " + std::to_string(FTimeOut) + " 秒は 0～" +
                               std::to_string(MaxTimeOut) + " 秒の範囲外です");
}

int TSocketTalk::TimerInterval() const {
    return static_cast<int>(FTimeOut * FTimeUnit.count());
}

// Setting the interval a timer already has must not restart it.
void TSocketTalk::SetTimerInterval() {
    if (FTimer.interval() != TimerInterval()) FTimer.setInterval(TimerInterval());
}

// Enabling a running timer changes nothing, and TimeOut 0 never starts one (an interval of 0
// would fire at once).
void TSocketTalk::EnableTimer() {
    if (FTimeOut > 0 && !FTimer.isActive()) FTimer.start();
}

void TSocketTalk::StartDeadline() {
    if (FTimeOut > 0 && !FDeadline.isActive()) FDeadline.start(2 * TimerInterval());
}

void TSocketTalk::PrepareWait(std::uint8_t kind) {
    CheckTimeOut();
    FTalkKind = kind;
    FReply.Clear();
    SetTimerInterval();
    FLastError = NoError;
    FWaiting = true;
    FReplyOK = false;
    FWaitEnd = TWaitEnd::None;
    FErrorText.clear();
}

void TSocketTalk::EndWait(TWaitEnd how) {
    FTimer.stop();
    FDeadline.stop();
    if (FWaiting || how != TWaitEnd::Reply) FWaitEnd = how;
    FWaiting = false;
    if (how != TWaitEnd::Reply) FReplyOK = false;
}

void TSocketTalk::ExpectReply(std::uint8_t kind) {
    PrepareWait(kind);
    EnableTimer();
    StartDeadline();
}

void TSocketTalk::Talk(std::string_view text, std::uint8_t kind) {
    PrepareWait(kind);
    SendPieces(std::span<const std::string_view>(&text, 1), nullptr);
    FPacketSize = 0;
}

void TSocketTalk::TalkData(std::span<const std::string_view> pieces, std::uint8_t kind) {
    PrepareWait(kind);
    TDotStuffer stuffer;
    SendPieces(pieces, &stuffer);
    FPacketSize = 0;
}

void TSocketTalk::WaitReply() {
    CheckTimeOut();
    SetTimerInterval();
    if (FWaiting) StartDeadline();
    while (FWaiting && !FReplyOK) {
        EnableTimer();
        // Blocks until something happens, so a wait does not spin a core.
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    FTimer.stop();
    FDeadline.stop();
}

void TSocketTalk::CancelWait() {
    // A wait that has already ended (the owner cancels from its error handler) keeps the
    // record of how it ended.
    if (FWaiting) FWaitEnd = TWaitEnd::Cancelled;
    FTimer.stop();
    FDeadline.stop();
    FWaiting = false;
    FReplyOK = false;
    FLastError = NoError;
    FTalkKind = TalkKind::None;
}

// --- socket --------------------------------------------------------------------------------

void TSocketTalk::Open(const QString& host, int port) {
    {
        // A connection attempt still under way from an earlier open is dropped silently.
        const QSignalBlocker quiet(FSocket.get());
        FSocket->abort();
    }
    FConnected = false;
    FSocket->connectToHost(host, static_cast<quint16>(port));
}

void TSocketTalk::OpenHost(const std::string& host, int port) {
    try {
        CheckPort(port);
    } catch (...) {
        CancelWait();
        throw;
    }
    Open(QString::fromStdString(host), port);
}

void TSocketTalk::OpenAddress(const std::string& address, int port) {
    // inet_aton reads the dotted forms a numeric host may take (fewer parts, hex, octal).
    in_addr parsed{};
    try {
        CheckPort(port);
        if (inet_aton(address.c_str(), &parsed) == 0)
            throw klv::ESocketError("ソケットエラー：アドレス «" + address + "» は正しくありません");
    } catch (...) {
        CancelWait();
        throw;
    }
    Open(QHostAddress(ntohl(parsed.s_addr)).toString(), port);
}

bool TSocketTalk::Active() const { return FSocket->state() == QAbstractSocket::ConnectedState; }

std::string TSocketTalk::LocalAddress() const {
    return FSocket->localAddress().toString().toStdString();
}

std::string TSocketTalk::LocalHostName() { return QHostInfo::localHostName().toStdString(); }

// --- sending -------------------------------------------------------------------------------

void TSocketTalk::SendPieces(std::span<const std::string_view> pieces, TDotStuffer* stuffer) {
    FSending = true;
    const struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{FSending};
    std::uint64_t total = 0;
    if (stuffer) {
        total = TDotStuffer::WireLength(pieces);
    } else {
        for (std::string_view piece : pieces) total += piece.size();
    }
    const bool chunked = FPacketSize > 0 && total > static_cast<std::uint64_t>(FPacketSize);
    if (chunked) Progress(total, 0);

    std::string chunk;
    std::size_t piece = 0;
    std::size_t offset = 0;
    std::uint64_t sent = 0;
    bool ended = false;
    while (!ended) {
        if (chunked) QCoreApplication::processEvents();
        // Once the wait has ended (an early reply, a cancel), nobody awaits the rest.
        if (!FWaiting) return;
        if (!Active()) {
            // Closed before or during the send: the wait that follows fails at once.
            EndWait(TWaitEnd::Disconnected);
            return;
        }
        // Read afresh for every chunk, as a handler may have changed it.
        const std::size_t limit = FPacketSize > 0 ? FPacketSize : UnchunkedBlock;
        chunk.clear();
        while (piece < pieces.size() && chunk.size() < limit) {
            const std::string_view rest = pieces[piece].substr(offset);
            if (stuffer) {
                offset += stuffer->Put(rest, chunk, limit);
            } else {
                const std::size_t n = std::min(rest.size(), limit - chunk.size());
                chunk.append(rest.substr(0, n));
                offset += n;
            }
            if (offset == pieces[piece].size()) {
                ++piece;
                offset = 0;
            }
        }
        ended = piece == pieces.size();
        // The end-of-data line leaves with the data's end, so no small write trails it.
        if (ended && stuffer) chunk.append(stuffer->EndOfData());
        if (!WriteAll(chunk, std::max(limit, MinWriteBound))) return;
        sent += chunk.size();
        if (chunked) Progress(total, sent);
    }
    if (chunked) Progress(total, total);
}

// Hands all bytes to the socket. Qt takes any amount into its buffer, so "cannot take data
// now" means more than `bound` bytes are still queued: drain before adding more.
bool TSocketTalk::WriteAll(std::string_view bytes, std::size_t bound) {
    QDeadlineTimer stall(QDeadlineTimer::Forever);
    if (FTimeOut > 0) stall.setRemainingTime(TimerInterval());
    std::size_t done = 0;
    while (done < bytes.size()) {
        while (Active() && static_cast<std::size_t>(FSocket->bytesToWrite()) > bound) {
            const qint64 queued = FSocket->bytesToWrite();
            FSocket->waitForBytesWritten(DrainWaitMs);
            if (FSocket->bytesToWrite() < queued) {
                if (FTimeOut > 0) stall.setRemainingTime(TimerInterval());
            } else if (stall.hasExpired()) {
                // A peer that takes nothing for a whole time-out would hold us here for ever.
                TimeOutExpired();
                return false;
            }
        }
        if (!Active()) {
            if (FWaiting) EndWait(TWaitEnd::Disconnected);
            return false;
        }
        const qint64 taken = FSocket->write(bytes.data() + done, bytes.size() - done);
        if (taken < 0) {
            if (FWaiting) {
                FErrorKind = TErrorEvent::eeSend;
                FErrorText = FSocket->errorString().toStdString();
                FLastError = static_cast<std::uint8_t>(FErrorKind);
                EndWait(TWaitEnd::SocketError);
            }
            return false;
        }
        done += taken;
        FSocket->flush();
    }
    return true;
}

void TSocketTalk::Progress(std::int64_t total, std::int64_t current) {
    if (OnProgress) OnProgress(parent() ? parent() : this, total, current);
}

// --- notifications -------------------------------------------------------------------------

// Qt ends the program when an exception leaves a handler; a throwing notification ends the
// wait as failed instead.
template <class F> void TSocketTalk::Guarded(F&& handler) noexcept {
    try {
        handler();
    } catch (const std::exception& e) {
        FErrorText = e.what();
        EndWait(TWaitEnd::Aborted);
    } catch (...) {
        FErrorText = "unknown exception";
        EndWait(TWaitEnd::Aborted);
    }
}

void TSocketTalk::SocketConnected() {
    FConnected = true;
    // Commands and the end-of-data line are small writes; Nagle's algorithm would hold them
    // back until the peer's delayed ACK. Only a connected socket takes the option.
    FSocket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
}

void TSocketTalk::SocketRead() {
    Guarded([this] {
        const QByteArray bytes = FSocket->readAll();
        if (bytes.isEmpty()) return;
        const std::string_view data(bytes.constData(), bytes.size());
        const bool open = FReply.State() == TReplyState::Incomplete;
        const TReplyState state = FReply.Feed(data);
        FLastError = NoError;
        FTimer.stop();
        if (OnReceive) OnReceive(*this, FTalkKind, data, FReplyOK);
        if (!open) return;  // bytes after a finished reply belong to no reply
        if (state == TReplyState::Incomplete) {
            if (FWaiting) EnableTimer();  // every piece restarts the full time-out
            return;
        }
        if (state == TReplyState::Broken) {
            if (FWaiting) EndWait(TWaitEnd::ReplyTooLong);
            return;
        }
        // RFC 5321 4.1.1.4: the reply to the data follows its end. A reply that completes while
        // some of our text is still unsent answers none of it, so it is never a success.
        const bool early = FSending || FSocket->bytesToWrite() > 0;
        EndWait(early ? TWaitEnd::EarlyReply : TWaitEnd::Reply);
        if (OnReply) OnReply(*this, FTalkKind, FReply.Text(), FReplyOK);
        if (early) FReplyOK = false;
        FTalkKind = TalkKind::None;
    });
}

void TSocketTalk::SocketDisconnect() {
    Guarded([this] {
        // The owner hears of it before our state is reset.
        if (OnDisconnect) OnDisconnect(*this);
        FTimer.stop();
        FDeadline.stop();
        if (FWaiting) FWaitEnd = TWaitEnd::Disconnected;
        FWaiting = false;
        FTalkKind = TalkKind::None;
        FPacketSize = 0;
    });
}

void TSocketTalk::SocketError(QAbstractSocket::SocketError error) {
    // A peer's close is reported as an error too; it is a disconnect, which follows.
    if (error == QAbstractSocket::RemoteHostClosedError) return;
    // So is the end of our own bounded drain wait; the stall time-out covers a stuck peer.
    if (error == QAbstractSocket::SocketTimeoutError && FSending) return;
    Guarded([this, error] {
        FErrorKind = ErrorKindOf(error);
        FErrorText = FSocket->errorString().toStdString();
        FLastError = static_cast<std::uint8_t>(FErrorKind);
        EndWait(TWaitEnd::SocketError);
        if (OnError) OnError(*this, FTalkKind, FLastError);
        FTalkKind = TalkKind::None;
    });
}

void TSocketTalk::TimeOutExpired(TWaitEnd how) {
    Guarded([this, how] {
        FLastError = TimeOutError;
        EndWait(how);
        if (OnError) OnError(*this, FTalkKind, FLastError);
        FTalkKind = TalkKind::None;
    });
}

TErrorEvent TSocketTalk::ErrorKindOf(QAbstractSocket::SocketError error) const {
    if (error == QAbstractSocket::HostNotFoundError) return TErrorEvent::eeLookup;
    if (!FConnected) return TErrorEvent::eeConnect;
    return FSending ? TErrorEvent::eeSend : TErrorEvent::eeReceive;
}

}  // namespace ruzo
