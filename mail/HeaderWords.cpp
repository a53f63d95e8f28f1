#include <algorithm>

#include "mail/Encoders.h"
#include "mail/MimeText.h"

namespace ruzo {
namespace {

constexpr auto npos = std::string_view::npos;

std::string_view UpToZero(std::string_view bytes) { return bytes.substr(0, bytes.find('\0')); }

std::string DecodeWordText(char kind, std::string_view encoded) {
    switch (kind) {
        case 'B': {
            std::string bytes;
            DecodeBase64Chunk(encoded, bytes);
            bytes.resize(UpToZero(bytes).size());
            return bytes;
        }
        case 'U': {
            std::array<std::uint8_t, 45> buffer{};
            const int declared = DecodeUULine(encoded, buffer);
            const std::string_view bytes(reinterpret_cast<const char*>(buffer.data()),
                                         static_cast<std::size_t>(std::clamp(declared, 0, 45)));
            return std::string(UpToZero(bytes));
        }
        default: {
            // RFC 2047 4.2: "_" stands for the space in Q-encoded text.
            std::string text(encoded);
            std::replace(text.begin(), text.end(), '_', ' ');
            return DecodeQPText(text);
        }
    }
}

}  // namespace

std::string EncodeHeaderWord(std::string_view text, std::string_view charset) {
    const bool plain = std::none_of(text.begin(), text.end(), [](char ch) {
        const auto c = static_cast<unsigned char>(ch);
        return c > 0x7F || c < 0x20;
    });
    if (plain) return std::string(text);
    std::string word = "=?";
    word.append(charset).append("?Q?").append(EncodeQPText(text, true)).append("?=");
    return word;
}

// Words are read left to right as =?charset?kind?text?=, and scanning resumes after each
// decoded word: decoded text is never read as a word again (RFC 2047 6.1), so a name that
// itself spells "=?...?=" arrives as written.
std::string DecodeHeaderWords(std::string_view text) {
    const std::string_view p = TrimBlanks(text);
    std::string result;
    result.reserve(p.size());
    std::size_t done = 0;
    for (;;) {
        const std::size_t s = p.find("=?", done);
        if (s == npos) break;
        const std::size_t q = p.find('?', s + 2);  // ends the charset name, which is ignored
        if (q == npos) break;
        std::size_t e = p.find("?=", q + 1);
        if (e == npos) break;
        // "=?x?Q?=1B..." holds a "?=" made of the kind's "?" and an opening escape; the word
        // then ends at the next "?" that is followed by "=".
        const std::size_t r = p.find('?', e + 1);
        if (r != npos && r + 1 < p.size() && p[r + 1] == '=') e = r;

        const std::string_view w = p.substr(q + 1, e - q - 1);
        char kind = 'Q';
        if (w.size() >= 2 && w[1] == '?') {
            const char k = w[0] >= 'a' && w[0] <= 'z' ? static_cast<char>(w[0] - 'a' + 'A') : w[0];
            if (k == 'B' || k == 'Q' || k == 'U') kind = k;
        }
        result.append(p.substr(done, s - done));
        result.append(DecodeWordText(kind, w.size() >= 2 ? w.substr(2) : std::string_view()));
        done = e + 2;
    }
    result.append(p.substr(done));
    return result;
}

}  // namespace ruzo
