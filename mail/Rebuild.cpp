// Restructuring the part tree as content is added, and writing the multipart body.
#include <algorithm>
#include <cassert>

#include "mail/FieldLines.h"
#include "mail/MailMessage.h"
#include "mail/MimeTypes.h"

namespace ruzo {

namespace {

constexpr std::string_view kPreamble = "This is a multipart message in mime format.\r\n";

// Walks the sub-parts of `container` as they go on the wire, handing each piece to `out`; one
// walk measures the body, a second writes it.
template <class Out>
void EmitParts(const TMailPart& container, Out& out) {
    for (const auto& sub : container.FSubParts) {
        out("\r\n--");
        out(sub->FParentBoundary);
        out("\r\n");
        for (const std::string& line : sub->FHeaderLines) {
            if (line.empty()) continue;
            out(line);
            out("\r\n");
        }
        out("\r\n");
        if (!sub->FSubParts.empty())
            EmitParts(*sub, out);
        else
            out(sub->FEncodedBody.view());
    }
    if (!container.FSubParts.empty()) {
        out("\r\n--");
        out(container.FSubParts.Parts(0)->FParentBoundary);
        out("--\r\n");
    }
}

}  // namespace

void TMailMessage::RestructureParts(TPartAdding adding) {
    NeedRebuild = true;
    FNameCounter = 0;
    int texts = adding == paText ? 1 : 0;
    int attachments = adding == paAttachment ? 1 : 0;
    int embedded = adding == paEmbedded ? 1 : 0;
    texts += (FTextPlainPart ? 1 : 0) + (FTextHTMLPart ? 1 : 0);
    for (const TMailPart* part : FAttachments) ++(part->FRelatedPart ? embedded : attachments);

    MoveOutSinglePart();
    for (std::string_view field : {"Content-Type", "Content-Transfer-Encoding",
                                   "Content-Disposition", "Content-ID", "Content-Length"})
        SetFieldValue(field, "");
    SetFieldValue("Mime-Version", "1.0");
    SetFieldValue("X-Mailer", kMailerName);

    TMailPart* mixed = nullptr;
    TMailPart* related = nullptr;
    TMailPart* alternative = nullptr;
    FTextContainer = nullptr;
    if (attachments > 1 || (attachments > 0 && (texts > 0 || embedded > 0)))
        FTextContainer = mixed = MakeContainer(TContainerKind::mixed, nullptr);
    if (embedded > 0) FTextContainer = related = MakeContainer(TContainerKind::related, mixed);
    if (texts > 1)
        FTextContainer = alternative =
            MakeContainer(TContainerKind::alternative, FTextContainer);

    if (FTextPlainPart) PlaceTextPart(FTextPlainPart, FTextContainer, "text/plain");
    if (FTextHTMLPart) PlaceTextPart(FTextHTMLPart, FTextContainer, "text/html");
    for (TMailPart* part : FAttachments) PlaceAttachment(part, mixed, related);

    // The old containers are empty now; free them innermost first, so each is still inside
    // its parent when it is taken out.
    for (TMailPart* old : {FAlternativeContainer, FRelatedContainer, FMixedContainer})
        if (old && old != this) TakePart(old).reset();
    assert(FLooseParts.empty());
    FMixedContainer = mixed;
    FRelatedContainer = related;
    FAlternativeContainer = alternative;
}

// A single-part message carries its content itself; before it becomes a container that
// content moves into a part of its own, together with its Content- fields. Empty content moves
// too: leaving the message in a text slot would make it a sub-part of itself.
void TMailMessage::MoveOutSinglePart() {
    auto self = std::find(FAttachments.begin(), FAttachments.end(), this);
    bool ownAttachment = self != FAttachments.end();
    if (ownAttachment) FAttachments.erase(self);
    if (FEncodedBody.empty() && FTextPlainPart != this && FTextHTMLPart != this && !ownAttachment)
        return;

    auto moved = std::make_unique<TMailPart>();
    TMailPart* part = moved.get();
    part->FMessage = this;
    part->FEncodedBody = std::move(FEncodedBody);
    part->FDecodedBody = std::move(FDecodedBody);
    FEncodedBody.clear();
    FDecodedBody.clear();
    // The decoded body is the content as given; decoding the encoded form again could alter it.
    part->FDecodeDone = true;
    for (int k = 0;; ++k) {
        int index = FindFieldLine(FHeaderLines, "Content-", k);
        if (index < 0) break;
        part->FHeaderLines.add(FHeaderLines[static_cast<std::size_t>(index)]);
    }

    if (FTextPlainPart == this) {
        FTextPlainPart = part;
    } else if (FTextHTMLPart == this) {
        FTextHTMLPart = part;
    } else if (FMixedContainer == this) {
        FMixedContainer = part;
    } else if (FRelatedContainer == this) {
        FRelatedContainer = part;
    } else if (FAlternativeContainer == this) {
        FAlternativeContainer = part;
    } else if (!FSubParts.empty()) {
        return;  // an old rebuilt multipart body: freed with `moved`
    } else {
        FAttachments.push_back(part);
    }
    FLooseParts.push_back(std::move(moved));
}

TMailPart* TMailMessage::MakeContainer(TContainerKind kind, TMailPart* parent) {
    std::string_view type = "multipart/mixed";
    std::string_view suffix = "_mixed";
    if (kind == TContainerKind::related) {
        type = "multipart/related";
        suffix = "_related";
    } else if (kind == TContainerKind::alternative) {
        type = "multipart/alternative";
        suffix = "_alternative";
    }
    TMailPart* container = parent ? NewChildPart(*parent) : this;
    container->SetFieldValue("Content-Type", type);
    container->SetFieldParam("Content-Type", "boundary",
                             "\"" + NewBoundary(FEnvironment.random32()) + std::string(suffix) +
                                 "\"");
    return container;
}

void TMailMessage::PlaceTextPart(TMailPart* part, TMailPart* container,
                                 std::string_view mediaType) {
    std::unique_ptr<TMailPart> owned = TakePart(part);
    part->SetFieldValue("Content-Type", mediaType);
    part->SetFieldValue("Content-Disposition", "inline");
    part->DecodeBody();
    part->EncodeBody(FTextEncoding);
    part->SetFieldValue("Content-Length", std::to_string(part->FEncodedBody.size()));
    part->FSubParts.clear();
    AdoptChild(std::move(owned), *container);
}

void TMailMessage::PlaceAttachment(TMailPart* part, TMailPart* mixed, TMailPart* related) {
    std::unique_ptr<TMailPart> owned = TakePart(part);
    if (part->GetFieldValue("Content-Type").empty())
        part->SetFieldValue("Content-Type", "application/octet-stream");
    if (part->GetFieldParam("Content-Type", "name").empty()) {
        std::string extension = ExtensionForContentType(part->GetFieldValue("Content-Type"));
        part->SetFieldParam("Content-Type", "name",
                            "\"file_" + std::to_string(FNameCounter) + extension + "\"");
        ++FNameCounter;
    }
    std::string name = part->GetFieldParam("Content-Type", "name");
    if (part->GetFieldParam("Content-Disposition", "filename").empty())
        part->SetFieldParam("Content-Disposition", "filename", "\"" + name + "\"");
    if (part->FRelatedPart) {
        if (part->GetFieldValue("Content-ID").empty()) part->SetFieldValue("Content-ID", name);
        part->SetFieldValue("Content-Disposition", "inline");
        AdoptChild(std::move(owned), *related);
    } else {
        part->SetFieldValue("Content-Disposition", "attachment");
        AdoptChild(std::move(owned), *mixed);
    }
}

void TMailMessage::AdoptChild(std::unique_ptr<TMailPart> part, TMailPart& container) {
    part->FParentPart = &container;
    part->FParentBoundary = container.GetBoundaryParam();
    container.FSubParts.add(std::move(part));
}

// The part out of the tree or out of the loose parts, for the caller to place or free.
std::unique_ptr<TMailPart> TMailMessage::TakePart(TMailPart* part) {
    if (std::unique_ptr<TMailPart> detached = part->DetachFromParent()) return detached;
    auto loose = std::find_if(FLooseParts.begin(), FLooseParts.end(),
                              [part](const auto& owned) { return owned.get() == part; });
    assert(loose != FLooseParts.end());
    std::unique_ptr<TMailPart> owned = std::move(*loose);
    FLooseParts.erase(loose);
    return owned;
}

void TMailMessage::RebuildMessage() {
    if (!NeedRebuild) return;
    if (!FSubParts.empty()) {
        std::size_t size = kPreamble.size();
        auto measure = [&size](std::string_view piece) { size += piece.size(); };
        EmitParts(*this, measure);
        FEncodedBody.clear();
        FEncodedBody.reserve(size);
        FEncodedBody.write(kPreamble);
        WriteParts(*this);
    }
    SetFieldValue("Content-Length", std::to_string(FEncodedBody.size()));
    NeedRebuild = false;
}

void TMailMessage::WriteParts(const TMailPart& container) {
    auto append = [this](std::string_view piece) { FEncodedBody.write(piece); };
    EmitParts(container, append);
}

}  // namespace ruzo
