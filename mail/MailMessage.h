#pragma once
// The MIME message that is composed and sent: a part whose header block holds the message
// fields and whose encoded body is the transmitted body. It keeps the text slots, the
// attachments and the multipart containers of its current structure, and restructures the
// part tree as content is added (Rebuild.cpp).
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "mail/MailDates.h"
#include "mail/MailPart.h"
#include "mail/Recipients.h"

namespace ruzo {

// What is about to be added when the parts are restructured.
enum TPartAdding { paText, paAttachment, paEmbedded };

// The web address after "Ruzo 1.10" in the X-Mailer field.
inline constexpr std::string_view kMailerName = "Ruzo 1.10 https://tarvelle.example/";

class TMailMessage : public TMailPart {
public:
    explicit TMailMessage(TMailEnvironment environment = {});
    ~TMailMessage() override;

    const std::string& Charset() const { return FCharset; }
    void SetCharset(std::string charset) { FCharset = std::move(charset); }
    TEncodingType TextEncoding() const { return FTextEncoding; }
    void SetTextEncoding(TEncodingType encoding) { FTextEncoding = encoding; }

    // Frees the part tree and empties the header, the bodies, the slots and the lists; the
    // charset, the text encoding and the recipient list objects stay.
    void ClearMessage();

    void PutFrom(std::string_view name, std::string_view address);  // empty address: removed
    void PutSubject(std::string_view subject);                      // empty subject: removed
    void PutDate(std::chrono::local_seconds when);
    // «<yyyymmddhhnnss.H1.H2@domain>»; an IPv6 address is written as a domain literal
    // «[IPv6:…]» (RFC 5321 4.1.3) so the identifier stays valid.
    void PutMessageId(std::string_view domain);
    // The address of entry `index` (0-based) of an address field: the text between its angle
    // brackets, or without them its characters outside quotes and spaces.
    std::string GetHeaderAddress(std::string_view fieldName, int index) const;
    std::string GetFromAddress() const { return GetHeaderAddress("From", 0); }

    // The text body (line breaks normalised to CR LF), refilled in place when set again.
    void PutTextPlain(std::string_view text);
    void PutTextHTML(std::string_view text);

    // Reads the whole file, then attaches it; a file error leaves the message unchanged.
    // An empty content type is looked up by the file name's extension. `name`, when given, is
    // written into the name and filename parameters in place of the file name without its
    // directory (for a name already in the message's charset).
    void AttachDiskFile(const std::string& fileName, std::string_view contentType,
                        TEncodingType encoding, bool embedded, std::string_view name = {});
    // Attaches the whole stream, whatever its position.
    void AttachStream(const TMemoryStream& stream, std::string_view fileName,
                      std::string_view contentType, TEncodingType encoding, bool embedded);

    // Writes the multipart body when the message is a container, then sets its
    // Content-Length and clears NeedRebuild; does nothing while NeedRebuild is false.
    void RebuildMessage();

    TMailRecipients ToList;
    TMailRecipients CcList;
    TMailRecipients BccList;
    // The transmitted body no longer matches the parts.
    bool NeedRebuild = false;
    // Stored for callers; nothing here raises it.
    std::function<void(const void* sender, std::int64_t total, std::int64_t current)> OnProgress;

    // The current structure, read by tests and by the rebuild. Each may be the message itself.
    klv::StringList FTextPlain;
    klv::StringList FTextHTML;
    std::vector<TMailPart*> FAttachments;  // in order of addition; not owning
    TMailPart* FTextPlainPart = nullptr;
    TMailPart* FTextHTMLPart = nullptr;
    TMailPart* FMixedContainer = nullptr;
    TMailPart* FRelatedContainer = nullptr;
    TMailPart* FAlternativeContainer = nullptr;
    TMailPart* FTextContainer = nullptr;  // innermost container of the last restructure

private:
    enum class TContainerKind { mixed, related, alternative };

    void SetTextPart(std::string_view text, TMailPart*& slot, std::string_view mediaType);
    void AttachBytes(std::string bytes, std::string_view fileName, std::string_view contentType,
                     TEncodingType encoding, bool embedded, std::string_view name);
    // A new part of this message, appended to parent's sub-parts.
    TMailPart* NewChildPart(TMailPart& parent);

    // Rebuild.cpp
    void RestructureParts(TPartAdding adding);
    void MoveOutSinglePart();
    TMailPart* MakeContainer(TContainerKind kind, TMailPart* parent);
    void PlaceTextPart(TMailPart* part, TMailPart* container, std::string_view mediaType);
    void PlaceAttachment(TMailPart* part, TMailPart* mixed, TMailPart* related);
    void AdoptChild(std::unique_ptr<TMailPart> part, TMailPart& container);
    std::unique_ptr<TMailPart> TakePart(TMailPart* part);
    void WriteParts(const TMailPart& container);

    TMailEnvironment FEnvironment;
    std::string FCharset = "iso-8859-1";
    TEncodingType FTextEncoding = etQuotedPrintable;
    int FNameCounter = 0;
    // Parts of this message outside the tree while a restructure moves them.
    std::vector<std::unique_ptr<TMailPart>> FLooseParts;
};

}  // namespace ruzo
