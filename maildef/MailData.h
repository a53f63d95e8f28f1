#pragma once
// One mail definition: recipients, sender, subject, body, SMTP server and the file to attach,
// with the definition file that stores it. All texts are Windows-31J byte strings, kept as
// they are read or set.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "mail/MailMessage.h"
#include "mail/smtp/SmtpClient.h"
#include "support/StringList.h"

namespace tvl {

class TMailData {
public:
    // Recipient entries are stored as name + "=" + address; reading one splits it at its
    // first "=", so a name holding "=" does not come back whole. Indexes are 0-based.
    void AddTo(std::string_view name, std::string_view address);
    void AddCc(std::string_view name, std::string_view address);
    std::size_t ToCount() const { return FToList.size(); }
    std::size_t CcCount() const { return FCcList.size(); }
    std::string ToName(std::size_t index) const;
    std::string CcName(std::size_t index) const;
    // An entry without "=" (a bare item in a hand-written file) is all address.
    std::string ToAddress(std::size_t index) const;
    std::string CcAddress(std::size_t index) const;
    void ClearTo() { FToList.clear(); }
    void ClearCc() { FCcList.clear(); }
    void ClearBody() { FBodyLines.clear(); }

    // Takes the path, unchanged, only when a file that is not a directory exists there.
    void SetAttachment(const std::string& path);
    const std::string& AttachFile() const { return FAttachFile; }

    // Reads a definition file. Raises klv::EFOpenError (the record unchanged) or, for an
    // SMTP= line without a usable port, klv::EConvertError: the load stops at that line, with
    // the server already taken from it.
    void LoadDefinition(const std::string& path);
    // Writes the definition file anew. Raises klv::EFCreateError; an existing file that
    // cannot be opened is left as it was.
    void SaveDefinition(const std::string& path) const;

    // Composes the message and delivers it to FSMTPServer:FSMTPPort; true when the server
    // accepted it. Why a delivery failed is in LastFailure(). Exceptions (an unreadable
    // attachment, a socket that cannot be opened at once) pass through after the message and
    // the client are released. The record itself is not changed.
    bool SendMail();
    // The message SendMail transmits, composed and rebuilt; its Message-ID is left to the
    // delivery, which names the connection's local address in it. Raises what SendMail
    // raises for an unreadable attachment.
    std::unique_ptr<ruzo::TMailMessage> ComposeMessage() const;
    const ruzo::TSmtpFailure& LastFailure() const { return FLastFailure; }

    // Observers and time-out of the next sends: progress of the message data, each command
    // and reply line of the dialogue, the reply time-out in seconds (0 waits without limit).
    ruzo::TProgressEvent OnProgress;
    ruzo::TDialogueEvent OnDialogue;
    int SendTimeOut = 60;
    // Test seam: the length of one time-out unit (a second outside tests).
    std::chrono::milliseconds SendTimeUnit{1000};

    // Read and written directly by the window and the sender.
    std::string FSMTPServer;
    std::int32_t FSMTPPort = 0;
    std::string FSubject;
    std::string FFromName;
    std::string FFromAddress;
    klv::StringList FBodyLines;  // one item a line, without line breaks

private:
    void ReadLines(std::string_view text);
    void ReadSMTPLine(std::string_view value);
    static void ReadRecipients(std::string_view value, klv::StringList& list);
    void ReadFromLine(std::string_view value);
    static std::string EntryAddress(const klv::StringList& list, std::size_t index);
    static std::string RecipientsText(const klv::StringList& list);

    klv::StringList FToList;
    klv::StringList FCcList;
    std::string FAttachFile;
    ruzo::TSmtpFailure FLastFailure;
};

}  // namespace tvl
