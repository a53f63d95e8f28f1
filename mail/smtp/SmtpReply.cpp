#include "mail/smtp/SmtpReply.h"

#include <cstring>

namespace ruzo {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool StartsWithCode(std::string_view line) {
    return line.size() >= 3 && IsDigit(line[0]) && IsDigit(line[1]) && IsDigit(line[2]);
}

std::string_view WithoutLineEnd(std::string_view line) {
    if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

}  // namespace

TReplyState TReplyReader::Feed(std::string_view piece) {
    if (FState != TReplyState::Incomplete) return FState;
    // Only the new bytes are searched for line ends, so a reply dripped byte by byte is still
    // read in linear time.
    std::size_t scan = FText.size();
    FText.append(piece);
    while (const void* found = std::memchr(FText.data() + scan, '\n', FText.size() - scan)) {
        const std::size_t end = static_cast<const char*>(found) - FText.data() + 1;
        if (end > MaxReplyBytes) break;
        const std::string_view line(FText.data() + FLineStart, end - FLineStart);
        if (!IsContinuationLine(line)) {
            FText.resize(end);
            FLastLineEnd = end;
            FState = TReplyState::Complete;
            return FState;
        }
        FLineStart = scan = end;
    }
    if (FText.size() > MaxReplyBytes) FState = TReplyState::Broken;
    return FState;
}

void TReplyReader::Clear() {
    FText.clear();
    FLineStart = FLastLineEnd = 0;
    FState = TReplyState::Incomplete;
}

std::string_view TReplyReader::LastLine() const {
    if (!Complete()) return {};
    return WithoutLineEnd(std::string_view(FText).substr(FLineStart, FLastLineEnd - FLineStart));
}

int TReplyReader::Code() const { return ReplyCode(LastLine()); }

int ReplyCode(std::string_view line) {
    if (!StartsWithCode(line)) return 0;
    return (line[0] - '0') * 100 + (line[1] - '0') * 10 + (line[2] - '0');
}

bool IsContinuationLine(std::string_view line) {
    return line.size() >= 4 && StartsWithCode(line) && line[3] == '-';
}

std::string_view SuccessCode(std::uint8_t kind) {
    switch (kind) {
        case TalkKind::Greeting: return "220";
        case TalkKind::Helo:
        case TalkKind::MailFrom:
        case TalkKind::RcptTo:
        case TalkKind::EndOfData: return "250";
        case TalkKind::Data: return "354";
        default: return {};
    }
}

bool IsSuccessReply(std::uint8_t kind, std::string_view lastLine) {
    const std::string_view code = SuccessCode(kind);
    return !code.empty() && lastLine.substr(0, 3) == code;
}

bool CancelsWait(const TReplyReader& reply) { return reply.Complete() && reply.Code() >= 500; }

}  // namespace ruzo
