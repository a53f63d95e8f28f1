#include "mail/MailMessage.h"

#include <chrono>

#include "mail/Encoders.h"
#include "mail/MimeText.h"
#include "mail/MimeTypes.h"
#include "support/FileIO.h"
#include "support/Mbcs.h"

namespace ruzo {

namespace {

// CR LF stays; a lone CR and a lone LF each become CR LF (RFC 5322 2.3). Stepping by
// character keeps the second byte of a Windows-31J character from being read on its own.
std::string NormalizeLineBreaks(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        std::size_t length = klv::CharLength(text, i);
        char c = text[i];
        if (length == 2) {
            out.append(text, i, 2);
        } else if (c == '\r' || c == '\n') {
            out += "\r\n";
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++length;
        } else {
            out += c;
        }
        i += length;
    }
    return out;
}

// Lines as given, split at CR LF, CR or LF.
klv::StringList SplitLines(std::string_view text) {
    klv::StringList lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = text.size();
        lines.add(std::string(text.substr(start, end - start)));
        start = end;
        if (start < text.size() && text[start] == '\r') ++start;
        if (start < text.size() && text[start] == '\n') ++start;
    }
    return lines;
}

std::string BaseName(std::string_view fileName) {
    std::size_t slash = fileName.find_last_of('/');
    return std::string(slash == std::string_view::npos ? fileName : fileName.substr(slash + 1));
}

std::string Quoted(std::string_view text) {
    std::string quoted = "\"";
    quoted += text;
    quoted += '"';
    return quoted;
}

void AppendDigits(std::string& out, long long value, std::size_t width) {
    out += LeftPad(std::to_string(value), width, "0");
}

}  // namespace

TMailMessage::TMailMessage(TMailEnvironment environment)
    : ToList(*this, "To"),
      CcList(*this, "Cc"),
      BccList(*this, "Bcc"),
      FEnvironment(std::move(environment)) {
    FMessage = this;
}

TMailMessage::~TMailMessage() = default;

void TMailMessage::ClearMessage() {
    FSubParts.clear();
    FHeaderLines.clear();
    FEncodedBody.clear();
    FDecodedBody.clear();
    FAttachments.clear();
    FTextPlain.clear();
    FTextHTML.clear();
    FTextPlainPart = FTextHTMLPart = nullptr;
    FMixedContainer = FRelatedContainer = FAlternativeContainer = FTextContainer = nullptr;
    NeedRebuild = false;
    FNameCounter = 0;
}

void TMailMessage::PutFrom(std::string_view name, std::string_view address) {
    if (address.empty()) {
        SetFieldValue("From", "");
        return;
    }
    std::string value;
    if (!name.empty()) value = Quoted(DisplayNameWord(name, FCharset)) + " ";
    value += '<';
    value += address;
    value += '>';
    SetFieldValue("From", value);
}

void TMailMessage::PutSubject(std::string_view subject) {
    SetFieldValue("Subject", EncodeHeaderWord(subject, FCharset));
}

void TMailMessage::PutDate(std::chrono::local_seconds when) {
    SetFieldValue("Date", MailDateText(when, FEnvironment.zoneMinutes()));
}

void TMailMessage::PutMessageId(std::string_view domain) {
    using namespace std::chrono;
    local_seconds now = FEnvironment.localNow();
    local_days day = floor<days>(now);
    year_month_day date{day};
    hh_mm_ss clock{now - day};
    std::string id = "<";
    AppendDigits(id, static_cast<int>(date.year()), 4);
    AppendDigits(id, static_cast<unsigned>(date.month()), 2);
    AppendDigits(id, static_cast<unsigned>(date.day()), 2);
    AppendDigits(id, clock.hours().count(), 2);
    AppendDigits(id, clock.minutes().count(), 2);
    AppendDigits(id, clock.seconds().count(), 2);
    std::uint32_t first = FEnvironment.random32();
    std::uint32_t second = FEnvironment.random32();
    id += "." + UpperHex(first) + "." + UpperHex(second) + "@";
    if (domain.find(':') != std::string_view::npos && !domain.starts_with('['))
        id += "[IPv6:" + std::string(domain) + "]";
    else
        id += domain;
    id += '>';
    SetFieldValue("Message-ID", id);
}

std::string TMailMessage::GetHeaderAddress(std::string_view fieldName, int index) const {
    std::string value(TrimBlanks(GetFieldValue(fieldName)));
    std::string address;
    int entry = 0;
    bool inQuote = false;
    for (char c : value) {
        if (c == '"') {
            inQuote = !inQuote;
            continue;
        }
        if (!inQuote && (c == ',' || c == ';')) ++entry;
        if (entry > index) break;
        if (entry < index) continue;
        if (!inQuote && std::string_view(" ,;<>").find(c) == std::string_view::npos) address += c;
        if (!inQuote && c == '<') address.clear();
        if (!inQuote && c == '>') break;
    }
    return std::string(TrimBlanks(address));
}

void TMailMessage::PutTextPlain(std::string_view text) {
    SetTextPart(text, FTextPlainPart, "text/plain");
    FTextPlain = SplitLines(text);
}

void TMailMessage::PutTextHTML(std::string_view text) {
    SetTextPart(text, FTextHTMLPart, "text/html");
    FTextHTML = SplitLines(text);
}

void TMailMessage::SetTextPart(std::string_view text, TMailPart*& slot,
                               std::string_view mediaType) {
    if (!slot) RestructureParts(paText);
    std::string normalized = NormalizeLineBreaks(text);
    if (!slot) slot = FTextContainer ? NewChildPart(*FTextContainer) : this;
    TMailPart& part = *slot;
    // The text as given is the decoded body: decoding the 7bit form again would read
    // «=41» or a line ending in "=" as quoted-printable and change the text.
    part.FDecodedBody.assign(std::move(normalized));
    part.FDecodeDone = true;
    part.EncodeBody(FTextEncoding);
    part.SetFieldValue("Content-Type", mediaType);
    part.SetFieldParam("Content-Type", "charset", Quoted(FCharset));
    part.SetFieldValue("Content-Disposition", "inline");
    part.SetFieldValue("Content-Length", std::to_string(part.FEncodedBody.size()));
    NeedRebuild = true;
}

void TMailMessage::AttachDiskFile(const std::string& fileName, std::string_view contentType,
                                  TEncodingType encoding, bool embedded, std::string_view name) {
    AttachBytes(klv::ReadWholeFile(fileName), fileName, contentType, encoding, embedded, name);
}

void TMailMessage::AttachStream(const TMemoryStream& stream, std::string_view fileName,
                                std::string_view contentType, TEncodingType encoding,
                                bool embedded) {
    AttachBytes(stream.bytes(), fileName, contentType, encoding, embedded, {});
}

void TMailMessage::AttachBytes(std::string bytes, std::string_view fileName,
                               std::string_view contentType, TEncodingType encoding,
                               bool embedded, std::string_view name) {
    RestructureParts(embedded ? paEmbedded : paAttachment);
    TMailPart* container = embedded ? FRelatedContainer : FMixedContainer;
    TMailPart& part = container ? *NewChildPart(*container) : *this;
    part.FDecodedBody.assign(std::move(bytes));
    part.EncodeBody(encoding);
    part.SetFieldValue("Content-Type",
                       contentType.empty() ? ContentTypeForFile(fileName) : std::string(contentType));
    std::string baseName = BaseName(fileName);
    std::string quotedName = Quoted(DisplayNameWord(name.empty() ? baseName : name, FCharset));
    part.SetFieldParam("Content-Type", "name", quotedName);
    part.SetFieldParam("Content-Disposition", "filename", quotedName);
    part.SetFieldValue("Content-Length", std::to_string(part.FEncodedBody.size()));
    part.FRelatedPart = embedded;
    if (embedded) {
        part.SetFieldValue("Content-Disposition", "inline");
        part.SetFieldValue("Content-ID", "<" + baseName + ">");
    } else {
        part.SetFieldValue("Content-Disposition", "attachment");
    }
    FAttachments.push_back(&part);
    NeedRebuild = true;
}

TMailPart* TMailMessage::NewChildPart(TMailPart& parent) {
    auto part = std::make_unique<TMailPart>();
    part->FMessage = this;
    part->FParentPart = &parent;
    part->FParentBoundary = parent.GetBoundaryParam();
    return parent.FSubParts.add(std::move(part));
}

}  // namespace ruzo
