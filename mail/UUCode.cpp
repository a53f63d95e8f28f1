#include "mail/Encoders.h"
#include "support/Exceptions.h"

namespace ruzo {
namespace {

// A full line carries 45 bytes in 60 data characters after its count character.
constexpr std::size_t kLineData = 60;

}  // namespace

int UUCharValue(unsigned char c) {
    // "`" stands for 0 and "!" .. "_" for 1 .. 63; old encoders wrote a space for 0.
    if (c == '`' || c == ' ') return 0;
    if (c >= '!' && c <= '_') return c - ' ';
    throw klv::Exception("UUCODE message format error");
}

int DecodeUULine(std::string_view line, std::array<std::uint8_t, 45>& buffer) {
    if (line.empty()) return 0;
    const int declared = UUCharValue(static_cast<unsigned char>(line[0]));
    const std::string_view data = line.substr(1);
    // A full count reads exactly its 60 characters (fewer when the line is shorter); any
    // other count reads the whole line, of which only the first 60 characters fit the buffer.
    const std::string_view read = declared == 45 ? data.substr(0, kLineData) : data;
    std::array<int, kLineData> values{};
    for (std::size_t i = 0; i < read.size(); ++i) {
        const int v = UUCharValue(static_cast<unsigned char>(read[i]));
        if (i < kLineData) values[i] = v;
    }
    // Four 6-bit values make three bytes; missing values are zero bits.
    for (std::size_t g = 0; g < kLineData / 4; ++g) {
        const int* v = &values[g * 4];
        const unsigned bits = (unsigned(v[0]) << 18) | (unsigned(v[1]) << 12) |
                              (unsigned(v[2]) << 6) | unsigned(v[3]);
        buffer[g * 3] = static_cast<std::uint8_t>(bits >> 16);
        buffer[g * 3 + 1] = static_cast<std::uint8_t>(bits >> 8);
        buffer[g * 3 + 2] = static_cast<std::uint8_t>(bits);
    }
    return declared;
}

}  // namespace ruzo
