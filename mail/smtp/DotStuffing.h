#pragma once
// RFC 5321 4.5.2 transparency for the message data, applied piece by piece so the data is never
// copied whole: every line that begins with "." gets one more "." in front, the first line
// included, and the data ends with the line «.».
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace ruzo {

class TDotStuffer {
public:
    // Appends the wire form of the leading bytes of `source` to `out` until `out` holds
    // `limit` bytes or `source` is used up; returns how many bytes of `source` it took. Any
    // LF ends a line, so a bare LF followed by "." is stuffed too.
    std::size_t Put(std::string_view source, std::string& out, std::size_t limit);
    // Wire bytes that Put would produce for `source`, advancing the same state.
    std::uint64_t Measure(std::string_view source);
    // The end-of-data line for the data put so far: «.» CR LF, preceded by CR LF unless the
    // data is empty or already ends with CR LF.
    std::string_view EndOfData() const;

    // Wire length of these pieces sent as one data text, end-of-data line included.
    static std::uint64_t WireLength(std::span<const std::string_view> pieces);

private:
    void NoteTail(std::string_view copied);

    bool FAtLineStart = true;
    bool FEmpty = true;
    bool FEndsWithCrLf = false;
    char FLastByte = 0;
};

}  // namespace ruzo
