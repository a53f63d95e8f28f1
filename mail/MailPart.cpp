#include "mail/MailPart.h"

#include <algorithm>
#include <array>

#include "mail/Encoders.h"
#include "mail/FieldLines.h"
#include "mail/HeaderFold.h"
#include "mail/MimeText.h"

namespace ruzo {
namespace {

constexpr std::string_view kTransferEncoding = "Content-Transfer-Encoding";

std::string FieldKey(std::string_view name) {
    std::string key(name);
    key += ':';
    return key;
}

const std::string* FirstField(const klv::StringList& lines, std::string_view name) {
    int k = FindFieldLine(lines, FieldKey(name), 0);
    return k < 0 ? nullptr : &lines[static_cast<std::size_t>(k)];
}

// The first field of that name; a new field «Name: » is appended when there is none.
std::string& FieldOrNew(klv::StringList& lines, std::string_view name) {
    int k = FindFieldLine(lines, FieldKey(name), 0);
    if (k >= 0) return lines[static_cast<std::size_t>(k)];
    lines.add(std::string(name) + ": ");
    return lines[lines.size() - 1];
}

bool IsQuoteMark(char c) { return c == '"' || c == '\''; }

// Field values may be wrapped in double quotes or apostrophes, not necessarily a matching pair.
std::string WithoutOuterQuotes(std::string_view value) {
    if (value.size() > 2 && IsQuoteMark(value.front()) && IsQuoteMark(value.back())) {
        value = value.substr(1, value.size() - 2);
    }
    return std::string(value);
}

// The data of one body line: its CR LF is no part of a base64 group or of uuencoded data.
std::string_view LineData(std::string_view line) {
    if (line.ends_with("\r\n")) line.remove_suffix(2);
    return TrimBlanks(line);
}

}  // namespace

TMailPartList::~TMailPartList() { clear(); }

TMailPart* TMailPartList::add(std::unique_ptr<TMailPart> part) {
    parts_.push_back(std::move(part));
    return parts_.back().get();
}

std::unique_ptr<TMailPart> TMailPartList::take(std::size_t index) {
    std::unique_ptr<TMailPart> part = std::move(parts_[index]);
    parts_.erase(parts_.begin() + static_cast<std::ptrdiff_t>(index));
    return part;
}

int TMailPartList::indexOf(const TMailPart* part) const {
    auto found = std::find_if(parts_.begin(), parts_.end(),
                              [part](const auto& owned) { return owned.get() == part; });
    return found == parts_.end() ? -1 : static_cast<int>(found - parts_.begin());
}

void TMailPartList::clear() {
    for (auto& part : parts_) part.reset();
    parts_.clear();
}

TMailPart::~TMailPart() = default;

std::string TMailPart::GetFieldValue(std::string_view name) const {
    const std::string* line = FirstField(FHeaderLines, name);
    return line ? WithoutOuterQuotes(TrimBlanks(FieldLineValue(*line))) : std::string();
}

std::string TMailPart::GetFieldParam(std::string_view name, std::string_view param) const {
    const std::string* line = FirstField(FHeaderLines, name);
    return line ? WithoutOuterQuotes(TrimBlanks(FieldLineParam(*line, param))) : std::string();
}

void TMailPart::SetFieldValue(std::string_view name, std::string_view value) {
    if (value.empty()) {
        int k = FindFieldLine(FHeaderLines, FieldKey(name), 0);
        if (k >= 0) FHeaderLines.remove(static_cast<std::size_t>(k));
        return;
    }
    std::string& line = FieldOrNew(FHeaderLines, name);
    line = ReplaceFieldLineValue(line, value);
}

void TMailPart::SetFieldParam(std::string_view name, std::string_view param,
                              std::string_view value) {
    std::string& line = FieldOrNew(FHeaderLines, name);
    line = ReplaceFieldLineParam(line, param, value);
}

std::string TMailPart::GetMediaType() const {
    std::string type = GetFieldValue("Content-Type");
    for (char& c : type) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return type;
}

std::string TMailPart::GetBoundaryParam() const {
    return GetFieldParam("Content-Type", "boundary");
}

std::string TMailPart::GetHeaderText() const {
    std::string block;
    for (const std::string& line : FHeaderLines) {
        block += line;
        block += "\r\n";
    }
    std::string header = FoldHeaderText(block);
    header += "\r\n";
    return header;
}

std::string TMailPart::GetFullText() const {
    std::string text = GetHeaderText();
    text.reserve(text.size() + FEncodedBody.size());
    text += FEncodedBody.view();
    return text;
}

bool TMailPart::DecodeBody() {
    if (FDecodeDone) return true;
    FDecodeDone = true;
    if (FEncodedBody.empty()) return true;

    const std::string encoding = GetFieldValue(kTransferEncoding);
    const std::string_view body = FEncodedBody.view();
    FDecodedBody.clear();
    std::string line;
    std::size_t position = 0;
    if (encoding == "quoted-printable" || encoding == "7bit") {
        FDecodedBody.assign(DecodeQPText(body));
    } else if (encoding == "base64") {
        std::string decoded;
        decoded.reserve(body.size() / 4 * 3);
        while (position != std::string_view::npos) {
            TakeLine(body, line, position);
            DecodeBase64Chunk(LineData(line), decoded);
        }
        FDecodedBody.assign(std::move(decoded));
    } else if (encoding == "uucode") {
        // Written line by line, so that a format error leaves what came before it.
        std::array<std::uint8_t, 45> bytes{};
        while (position != std::string_view::npos) {
            TakeLine(body, line, position);
            std::size_t count =
                std::min<std::size_t>(DecodeUULine(LineData(line), bytes), bytes.size());
            FDecodedBody.write({reinterpret_cast<const char*>(bytes.data()), count});
        }
        FDecodedBody.seek(0);
        EncodeAsBase64();
    } else {
        FDecodedBody.assign(std::string(body));
    }
    return true;
}

void TMailPart::EncodeBody(TEncodingType kind) {
    switch (kind) {
    case etBase64:
        EncodeAsBase64();
        break;
    case etQuotedPrintable:
        EncodeAsQuotedPrintable();
        break;
    case etNoEncoding:
        FEncodedBody.assign(FDecodedBody.bytes());
        SetFieldValue(kTransferEncoding, "");
        break;
    case et7Bit:
        FEncodedBody.assign(FDecodedBody.bytes());
        SetFieldValue(kTransferEncoding, "7bit");
        break;
    }
}

void TMailPart::EncodeAsQuotedPrintable() {
    FEncodedBody.clear();
    SetFieldValue(kTransferEncoding, "quoted-printable");
    if (!FDecodedBody.empty()) FEncodedBody.assign(EncodeQPText(FDecodedBody.view(), false));
}

void TMailPart::EncodeAsBase64() {
    EncodeBase64Stream(FEncodedBody, FDecodedBody);
    SetFieldValue(kTransferEncoding, "base64");
}

std::unique_ptr<TMailPart> TMailPart::DetachFromParent() {
    // The message itself is never found here: its creator owns it, no part list does.
    if (FParentPart == nullptr) return nullptr;
    int index = FParentPart->FSubParts.indexOf(this);
    if (index < 0) return nullptr;
    std::unique_ptr<TMailPart> self = FParentPart->FSubParts.take(static_cast<std::size_t>(index));
    FParentPart = nullptr;
    return self;
}

}  // namespace ruzo
