#include "mail/smtp/DotStuffing.h"

#include <algorithm>
#include <cstring>

namespace ruzo {

std::size_t TDotStuffer::Put(std::string_view source, std::string& out, std::size_t limit) {
    std::size_t taken = 0;
    while (taken < source.size() && out.size() < limit) {
        if (FAtLineStart && source[taken] == '.') {
            // The extra dot may end this chunk; the source dot then opens the next one.
            out.push_back('.');
            FAtLineStart = false;
            continue;
        }
        const std::size_t room = std::min(limit - out.size(), source.size() - taken);
        const char* start = source.data() + taken;
        const void* lf = std::memchr(start, '\n', room);
        const std::size_t run = lf ? static_cast<const char*>(lf) - start + 1 : room;
        out.append(start, run);
        NoteTail(std::string_view(start, run));
        FAtLineStart = lf != nullptr;
        taken += run;
    }
    return taken;
}

std::uint64_t TDotStuffer::Measure(std::string_view source) {
    if (source.empty()) return 0;
    std::uint64_t dots = FAtLineStart && source.front() == '.';
    const char* p = source.data();
    const char* end = p + source.size();
    while (const void* lf = std::memchr(p, '\n', end - p)) {
        p = static_cast<const char*>(lf) + 1;
        if (p < end && *p == '.') ++dots;
    }
    FAtLineStart = source.back() == '\n';
    NoteTail(source);
    return source.size() + dots;
}

std::string_view TDotStuffer::EndOfData() const {
    return FEmpty || FEndsWithCrLf ? std::string_view(".\r\n") : std::string_view("\r\n.\r\n");
}

std::uint64_t TDotStuffer::WireLength(std::span<const std::string_view> pieces) {
    TDotStuffer stuffer;
    std::uint64_t length = 0;
    for (std::string_view piece : pieces) length += stuffer.Measure(piece);
    return length + stuffer.EndOfData().size();
}

void TDotStuffer::NoteTail(std::string_view copied) {
    if (copied.empty()) return;
    const char before = copied.size() >= 2 ? copied[copied.size() - 2] : FLastByte;
    FLastByte = copied.back();
    FEndsWithCrLf = before == '\r' && FLastByte == '\n';
    FEmpty = false;
}

}  // namespace ruzo
