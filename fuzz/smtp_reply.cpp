// The SMTP reply reader on arbitrary server bytes cut into arbitrary pieces: the outcome does
// not depend on the cuts, the reply never exceeds its cap, a complete reply ends with its
// only final line, and the judgement of the reply agrees with its code.
#include <cstdint>
#include <string>
#include <string_view>

#include <fuzzer/FuzzedDataProvider.h>

#include "fuzz/FuzzCheck.h"
#include "mail/smtp/SmtpReply.h"

namespace {

using ruzo::TReplyReader;
using ruzo::TReplyState;

void CheckShape(const TReplyReader& reply) {
    FUZZ_CHECK(reply.Text().size() <= TReplyReader::MaxReplyBytes ||
               reply.State() == TReplyState::Broken);
    if (!reply.Complete()) {
        FUZZ_CHECK(reply.LastLine().empty() && reply.Code() == 0);
        return;
    }
    const std::string_view text = reply.Text();
    FUZZ_CHECK(text.size() <= TReplyReader::MaxReplyBytes && text.ends_with('\n'));
    // Every line before the last is a continuation line; the last one is not.
    std::size_t start = 0;
    for (std::size_t end = text.find('\n'); end + 1 < text.size(); end = text.find('\n', start)) {
        FUZZ_CHECK(ruzo::IsContinuationLine(text.substr(start, end + 1 - start)));
        start = end + 1;
    }
    const std::string_view last = reply.LastLine();
    FUZZ_CHECK(text.substr(start).starts_with(last) && !ruzo::IsContinuationLine(last));
    FUZZ_CHECK(reply.Code() == ruzo::ReplyCode(last));
    for (std::uint8_t kind = 0; kind < 16; ++kind) {
        const bool success = ruzo::IsSuccessReply(kind, last);
        FUZZ_CHECK(!success || std::to_string(reply.Code()) == ruzo::SuccessCode(kind));
    }
    FUZZ_CHECK(ruzo::CancelsWait(reply) == (reply.Code() >= 500));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    // Long runs test the cap without a megabyte-sized input: the bytes may be repeated.
    const int repeat = input.ConsumeBool() ? input.ConsumeIntegralInRange(1, 200000) : 1;
    const std::string cuts = input.ConsumeRandomLengthString(256);
    const std::string unit = input.ConsumeRemainingBytesAsString();
    std::string bytes;
    for (int i = 0; i < repeat && bytes.size() <= 2 * TReplyReader::MaxReplyBytes; ++i)
        bytes += unit;

    TReplyReader whole;
    whole.Feed(bytes);
    CheckShape(whole);

    TReplyReader pieces;
    std::size_t at = 0;
    for (std::size_t k = 0; at < bytes.size(); ++k) {
        const std::size_t n = k < cuts.size() ? static_cast<unsigned char>(cuts[k]) : 4096;
        const TReplyState state = pieces.Feed(std::string_view(bytes).substr(at, n));
        FUZZ_CHECK(state == pieces.State());
        at += n;
    }
    CheckShape(pieces);
    FUZZ_CHECK(pieces.State() == whole.State());
    if (whole.Complete()) FUZZ_CHECK(pieces.Text() == whole.Text());

    pieces.Clear();
    FUZZ_CHECK(pieces.State() == TReplyState::Incomplete && pieces.Text().empty());
    return 0;
}
