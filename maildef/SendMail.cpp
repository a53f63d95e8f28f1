// Composing and sending a mail definition: one message and one SMTP client per call, filled in
// a fixed order, released on every way out.
#include <chrono>
#include <memory>

#include "mail/MailDates.h"
#include "mail/MailMessage.h"
#include "maildef/MailCharset.h"
#include "maildef/MailData.h"

namespace tvl {

namespace {

void FillMessage(ruzo::TMailMessage& message, const TMailData& data, const TMailTexts& texts,
                 const std::string& attachFile) {
    message.ClearMessage();
    message.SetTextEncoding(texts.TextEncoding);
    message.SetCharset(texts.Charset);
    message.PutTextPlain(texts.Body);
    message.PutFrom(texts.FromName, data.FFromAddress);
    for (std::size_t i = 0; i < data.ToCount(); ++i)
        message.ToList.AddNameAddress(texts.ToNames[i], data.ToAddress(i));
    for (std::size_t i = 0; i < data.CcCount(); ++i)
        message.CcList.AddNameAddress(texts.CcNames[i], data.CcAddress(i));
    message.PutSubject(texts.Subject);
    message.PutDate(ruzo::LocalNow());
    if (!attachFile.empty())
        message.AttachDiskFile(attachFile, "", ruzo::etBase64, false, texts.AttachmentName);
}

}  // namespace

std::unique_ptr<ruzo::TMailMessage> TMailData::ComposeMessage() const {
    auto message = std::make_unique<ruzo::TMailMessage>();
    FillMessage(*message, *this, ConvertForMail(*this, FAttachFile), FAttachFile);
    if (message->NeedRebuild) message->RebuildMessage();
    return message;
}

bool TMailData::SendMail() {
    FLastFailure = {};
    // Composed before anything connects, so the server never waits on the rebuild.
    auto message = ComposeMessage();
    auto client = std::make_unique<ruzo::TSMTPClient>();
    client->Name = "SMTP";
    client->MailMessage = message.get();
    client->SetTimeOut(SendTimeOut);
    client->Conversation().SetTimeUnit(SendTimeUnit);
    client->SetOnProgress(OnProgress);
    client->OnDialogue = OnDialogue;

    client->Host = FSMTPServer;
    client->Port = FSMTPPort;
    try {
        client->OpenSession();
    } catch (...) {
        FLastFailure = client->LastFailure();
        throw;
    }
    bool delivered = client->SendMailMessage();
    FLastFailure = client->LastFailure();
    // The client goes first: it refers to the message.
    client.reset();
    return delivered;
}

}  // namespace tvl
