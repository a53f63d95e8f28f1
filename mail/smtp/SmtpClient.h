#pragma once
// Delivers one built TMailMessage in a plain SMTP dialogue (HELO, MAIL FROM, RCPT TO, DATA;
// no extensions, no closing command) through a TSocketTalk. Results are Boolean; why a call
// failed is kept in LastFailure().
#include <QObject>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "mail/smtp/SmtpFailure.h"
#include "mail/smtp/SocketTalk.h"

namespace ruzo {

class TMailMessage;

// Data: the message data is about to go out; the line is its size in bytes (decimal digits),
// counted before transparency dots. The data itself is never passed.
enum class TDialogueSide : std::uint8_t { Client, Server, Data };
// One command line sent or one reply line received, without its line end; the end-of-data
// line is passed as ".".
using TDialogueEvent = std::function<void(TDialogueSide side, std::string_view line)>;

class TSMTPClient : public QObject {
public:
    static constexpr int DefaultPort = 25;
    static constexpr int DefaultPacketSize = 102400;

    explicit TSMTPClient(QObject* owner = nullptr);
    ~TSMTPClient() override;  // closes the connection at once, without a closing command

    std::string Host;     // host name or numeric dotted address
    int Port = DefaultPort;
    int PacketSize = DefaultPacketSize;  // chunk size of the message data; 0 sends it unchunked
    TMailMessage* MailMessage = nullptr;  // not owned
    std::string Name;     // starts the refusal texts, as «Name: No recipients to send message»
    TDialogueEvent OnDialogue;

    int TimeOut() const { return FTalk->TimeOut(); }
    void SetTimeOut(int seconds) { FTalk->SetTimeOut(seconds); }
    const TProgressEvent& OnProgress() const { return FTalk->OnProgress; }
    void SetOnProgress(TProgressEvent handler) { FTalk->OnProgress = std::move(handler); }

    // Connects, awaits the greeting and sends HELO; true when the session is open. An open
    // that fails at once raises ESocketError.
    bool OpenSession();
    // Delivers MailMessage to all its To, Cc and Bcc addresses.
    bool SendMailMessage();
    // One MAIL FROM to end-of-data transaction for the comma-text recipient list.
    bool DeliverTo(const std::string& from, const std::string& recipients);

    bool SessionOpen() const { return FSessionOpen; }
    // Why the last call that returned false failed.
    const TSmtpFailure& LastFailure() const { return FFailure; }
    TSocketTalk& Conversation() { return *FTalk; }

    // Notification handlers of the conversation.
    void TalkReply(TSocketTalk& sender, std::uint8_t kind, std::string_view data, bool& success);
    void TalkError(TSocketTalk& sender, std::uint8_t kind, std::uint8_t error);
    void TalkReceive(TSocketTalk& sender, std::uint8_t kind, std::string_view data, bool& success);
    void TalkDisconnect(TSocketTalk& sender);

private:
    bool Refuse(std::string_view reason);
    bool Succeeded(TSmtpStep step);
    bool Exchange(const std::string& command, std::uint8_t kind, TSmtpStep step);
    bool SendData();
    void Observe(TDialogueSide side, std::string_view line) const;

    bool FSessionOpen = false;
    TSmtpFailure FFailure;
    std::unique_ptr<TSocketTalk> FTalk;
};

}  // namespace ruzo
