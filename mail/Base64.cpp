#include <array>
#include <cstring>

#include "mail/Encoders.h"

namespace ruzo {
namespace {

// RFC 2045 6.8: 76 characters (57 source bytes) to a line; lines end in CR LF here.
constexpr std::size_t kLineBytes = 57;
constexpr std::size_t kLineChars = 76;
constexpr std::size_t kBlockLines = 40;
constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Two output characters for every 12-bit value: a group of three bytes takes two look-ups.
constexpr auto kPairs = [] {
    std::array<std::array<char, 2>, 4096> pairs{};
    for (std::size_t v = 0; v < pairs.size(); ++v)
        pairs[v] = {kAlphabet[v >> 6], kAlphabet[v & 63]};
    return pairs;
}();

constexpr unsigned char kPad = 64;
constexpr unsigned char kOther = 128;
constexpr auto kValues = [] {
    std::array<unsigned char, 256> values{};
    values.fill(kOther);
    for (unsigned char v = 0; v < 64; ++v) values[static_cast<unsigned char>(kAlphabet[v])] = v;
    values['='] = kPad;
    return values;
}();

inline char* PutGroup(char* out, const unsigned char* in) {
    const unsigned bits = (unsigned{in[0]} << 16) | (unsigned{in[1]} << 8) | in[2];
    std::memcpy(out, kPairs[bits >> 12].data(), 2);
    std::memcpy(out + 2, kPairs[bits & 0xFFF].data(), 2);
    return out + 4;
}

std::size_t EncodedSize(std::size_t n) {
    const std::size_t rest = n % kLineBytes;
    return n / kLineBytes * (kLineChars + 2) + (rest ? (rest + 2) / 3 * 4 + 2 : 0);
}

}  // namespace

std::size_t EncodeBase64Stream(TMemoryStream& dest, const TMemoryStream& source) {
    if (&dest == &source) {
        TMemoryStream encoded;
        EncodeBase64Stream(encoded, source);
        dest = std::move(encoded);
        return dest.size();
    }
    const auto* in = reinterpret_cast<const unsigned char*>(source.bytes().data());
    const unsigned char* const end = in + source.size();
    dest.clear();
    dest.reserve(EncodedSize(source.size()));
    // Whole lines are encoded a block of 40 at a time and appended to dest's reserved
    // buffer; a reused dest keeps its capacity.
    char block[kBlockLines * (kLineChars + 2)];
    while (end - in >= static_cast<std::ptrdiff_t>(kLineBytes)) {
        char* out = block;
        for (std::size_t line = 0;
             line < kBlockLines && end - in >= static_cast<std::ptrdiff_t>(kLineBytes);
             ++line, in += kLineBytes) {
            for (std::size_t g = 0; g < kLineBytes; g += 3) out = PutGroup(out, in + g);
            *out++ = '\r';
            *out++ = '\n';
        }
        dest.write(std::string_view(block, static_cast<std::size_t>(out - block)));
    }
    if (in != end) {
        char* out = block;
        for (; end - in >= 3; in += 3) out = PutGroup(out, in);
        if (end - in == 2) {
            const unsigned bits = (unsigned{in[0]} << 8) | in[1];
            *out++ = kAlphabet[bits >> 10];
            *out++ = kAlphabet[(bits >> 4) & 63];
            *out++ = kAlphabet[(bits << 2) & 63];
            *out++ = '=';
        } else if (end - in == 1) {
            *out++ = kAlphabet[in[0] >> 2];
            *out++ = kAlphabet[(in[0] << 4) & 63];
            *out++ = '=';
            *out++ = '=';
        }
        *out++ = '\r';
        *out++ = '\n';
        dest.write(std::string_view(block, static_cast<std::size_t>(out - block)));
    }
    return dest.size();
}

std::size_t DecodeBase64Chunk(std::string_view text, std::string& out) {
    const std::size_t start = out.size();
    out.resize(start + text.size() / 4 * 3);
    char* o = out.data() + start;
    const auto* in = reinterpret_cast<const unsigned char*>(text.data());
    // Groups are positional: every character takes a place, and a trailing partial group
    // (such as the CR LF of a body line) is dropped.
    for (std::size_t i = 0; i + 4 <= text.size(); i += 4) {
        unsigned char g[4] = {kValues[in[i]], kValues[in[i + 1]], kValues[in[i + 2]],
                              kValues[in[i + 3]]};
        int count = 3;
        if ((g[0] | g[1] | g[2] | g[3]) >= 64) {
            // A pad or a character outside the alphabet stands for the value 0.
            count = g[0] == kPad ? 0 : g[2] == kPad ? 1 : g[3] == kPad ? 2 : 3;
            for (auto& v : g) v = v < 64 ? v : 0;
        }
        const char bytes[3] = {static_cast<char>((g[0] << 2) | (g[1] >> 4)),
                               static_cast<char>((g[1] << 4) | (g[2] >> 2)),
                               static_cast<char>((g[2] << 6) | g[3])};
        std::memcpy(o, bytes, 3);
        o += count;
    }
    const auto written = static_cast<std::size_t>(o - (out.data() + start));
    out.resize(start + written);
    return written;
}

}  // namespace ruzo
