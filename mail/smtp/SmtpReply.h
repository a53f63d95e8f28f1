#pragma once
// Reading and judging SMTP replies without a socket: bytes go in, in whatever pieces the
// network delivers them, and the reader tells whether the reply is still incomplete, complete
// or broken.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace ruzo {

// Kinds of the awaited reply, as the client hands them to the conversation; 0 is "nothing
// awaited" and never counts as success.
namespace TalkKind {
constexpr std::uint8_t None = 0;
constexpr std::uint8_t Greeting = 1;
constexpr std::uint8_t Helo = 9;
constexpr std::uint8_t MailFrom = 10;
constexpr std::uint8_t RcptTo = 11;
constexpr std::uint8_t Data = 12;
constexpr std::uint8_t EndOfData = 13;
}  // namespace TalkKind

enum class TReplyState : std::uint8_t { Incomplete, Complete, Broken };

// RFC 5321 4.2.1: a reply is complete with its first line that is not a continuation line
// ("ddd-"). Lines end in CR LF or in a lone LF. A reply longer than MaxReplyBytes is broken,
// however it was cut into pieces.
class TReplyReader {
public:
    static constexpr std::size_t MaxReplyBytes = 64 * 1024;

    // Adds the next piece. Once the reply is complete or broken, further bytes are not part
    // of it and are dropped; so are bytes after the final line in the same piece.
    TReplyState Feed(std::string_view piece);
    void Clear();

    TReplyState State() const { return FState; }
    bool Complete() const { return FState == TReplyState::Complete; }
    // The reply up to and including the line end of its final line.
    const std::string& Text() const { return FText; }
    // The final line without its line end; empty until the reply is complete.
    std::string_view LastLine() const;
    // The reply code of the final line (see ReplyCode); 0 until the reply is complete.
    int Code() const;

private:
    std::string FText;
    std::size_t FLineStart = 0;  // 0-based start of the first line not yet ended
    std::size_t FLastLineEnd = 0;
    TReplyState FState = TReplyState::Incomplete;
};

// The value of the first three bytes when they are decimal digits, else 0.
int ReplyCode(std::string_view line);
// True for «ddd-...», a line that another line of the same reply follows.
bool IsContinuationLine(std::string_view line);
// The code that counts as success for a reply kind; empty for kinds that never succeed.
std::string_view SuccessCode(std::uint8_t kind);
// The exact comparison of the final line's first three bytes with the kind's success code
// (so 251 to RCPT TO is a failure).
bool IsSuccessReply(std::uint8_t kind, std::string_view lastLine);
// A complete reply with a code of 500 or above ends the wait early as a failure.
bool CancelsWait(const TReplyReader& reply);

}  // namespace ruzo
