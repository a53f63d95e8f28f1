#include "support/Codec.h"

#include <iconv.h>

#include <cerrno>
#include <cstdio>

#include "support/Exceptions.h"
#include "support/Mbcs.h"

namespace klv {

namespace {

constexpr const char* kWindows31J = "CP932";
constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

class Converter {
public:
    // growth: the most output bytes one input byte can give.
    Converter(const char* to, const char* from, std::size_t growth)
        : cd_(iconv_open(to, from)), growth_(growth) {
        if (cd_ == reinterpret_cast<iconv_t>(-1))
            throw EEncodingError(std::string("文字コード変換 ") + from + " → " + to +
                                 " を利用できません");
    }
    ~Converter() { iconv_close(cd_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts in from pos on, appending to out, until the input is used up (returns 0) or
    // a sequence cannot be converted (returns EILSEQ, or EINVAL for one cut off at the end);
    // pos is then at that sequence.
    int Convert(std::string_view in, std::size_t& pos, std::string& out) {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        while (pos < in.size()) {
            std::size_t used = out.size();
            out.resize(used + (in.size() - pos) * growth_ + 16);
            char* inp = const_cast<char*>(in.data() + pos);
            std::size_t inLeft = in.size() - pos;
            char* outp = out.data() + used;
            std::size_t outLeft = out.size() - used;
            std::size_t rc = iconv(cd_, &inp, &inLeft, &outp, &outLeft);
            int error = rc == static_cast<std::size_t>(-1) ? errno : 0;
            pos = in.size() - inLeft;
            out.resize(out.size() - outLeft);
            if (error != 0 && error != E2BIG) return error;
        }
        return 0;
    }

private:
    iconv_t cd_;
    std::size_t growth_;
};

// A UTF-8 character never needs more bytes in Windows-31J; a half-width katakana byte
// becomes three bytes of UTF-8.
Converter ToWindows31J() { return Converter(kWindows31J, "UTF-8", 1); }
Converter FromWindows31J() { return Converter("UTF-8", kWindows31J, 3); }

// Length of the well-formed UTF-8 sequence at pos (RFC 3629: no overlong forms, no
// surrogates, nothing above U+10FFFF), 0 when there is none; its code point in cp.
std::size_t DecodeUtf8(std::string_view s, std::size_t pos, char32_t& cp) {
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    unsigned char b = byte(pos);
    std::size_t n;
    char32_t min;
    if (b < 0x80) {
        cp = b;
        return 1;
    } else if (b >= 0xC2 && b <= 0xDF) {
        n = 2, min = 0x80, cp = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
        n = 3, min = 0x800, cp = b & 0x0F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        n = 4, min = 0x10000, cp = b & 0x07;
    } else {
        return 0;
    }
    if (pos + n > s.size()) return 0;
    for (std::size_t i = 1; i < n; ++i) {
        if ((byte(pos + i) & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (byte(pos + i) & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return n;
}

std::string HexBytes(std::string_view bytes) {
    std::string r;
    for (unsigned char c : bytes) {
        char buf[8];
        std::snprintf(buf, sizeof buf, "%s0x%02X", r.empty() ? "" : " ", c);
        r += buf;
    }
    return r;
}

[[noreturn]] void ThrowNoWindows31JForm(std::string_view character, char32_t cp) {
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(cp));
    throw EEncodingError("文字「" + std::string(character) + "」(" + code +
                         ") は Windows-31J で表せません");
}

// JIS X 0208 characters that Windows-31J reads back under another code point (〜 as ～,
// ¢ as ￠, ...): the bytes written are that same JIS character, so they are kept. Other
// characters that do not come back, such as ¥ written as the backslash 0x5C or the tag
// characters the C library drops, have no Windows-31J form.
bool IsJisVariant(char32_t cp) {
    switch (cp) {
        case 0x00A2: case 0x00A3: case 0x00AC: case 0x2014: case 0x2016: case 0x2212:
        case 0x301C:
            return true;
        default:
            return false;
    }
}

void CheckUtf8(std::string_view utf8) {
    char32_t cp;
    for (std::size_t pos = 0; pos < utf8.size();) {
        std::size_t n = DecodeUtf8(utf8, pos, cp);
        if (n == 0)
            throw EEncodingError("UTF-8 として正しくないバイト " + HexBytes(utf8.substr(pos, 1)) +
                                 " があります");
        pos += n;
    }
}

// The C library maps a few characters one way only; finds the first one that would not be
// the same character once read back.
void CheckReadsBack(std::string_view utf8) {
    Converter to = ToWindows31J(), back = FromWindows31J();
    char32_t cp;
    for (std::size_t pos = 0; pos < utf8.size();) {
        std::size_t n = DecodeUtf8(utf8, pos, cp);
        std::string_view character = utf8.substr(pos, n);
        pos += n;
        if (cp < 0x80 || IsJisVariant(cp)) continue;
        std::string bytes, again;
        std::size_t p1 = 0, p2 = 0;
        if (to.Convert(character, p1, bytes) != 0 || back.Convert(bytes, p2, again) != 0 ||
            again != character)
            ThrowNoWindows31JForm(character, cp);
    }
}

}  // namespace

std::string Windows31JFromUtf8(std::string_view utf8) {
    CheckUtf8(utf8);
    std::string out;
    std::size_t pos = 0;
    if (ToWindows31J().Convert(utf8, pos, out) != 0) {
        CheckReadsBack(utf8.substr(0, pos));  // a character before it may not come back either
        char32_t cp;
        std::size_t n = DecodeUtf8(utf8, pos, cp);
        ThrowNoWindows31JForm(utf8.substr(pos, n), cp);
    }
    std::string back;
    std::size_t backPos = 0;
    if (FromWindows31J().Convert(out, backPos, back) != 0 || back != utf8)
        CheckReadsBack(utf8);
    return out;
}

std::string Utf8FromWindows31J(std::string_view text) {
    std::string out;
    std::size_t pos = 0;
    if (FromWindows31J().Convert(text, pos, out) != 0)
        throw EEncodingError("Windows-31J として正しくないバイト " +
                             HexBytes(text.substr(pos, CharLength(text, pos))) + " があります");
    return out;
}

std::string DisplayFromWindows31J(std::string_view text) {
    Converter converter = FromWindows31J();
    std::string out;
    std::size_t pos = 0;
    while (converter.Convert(text, pos, out) != 0) {
        out += kReplacement;
        pos += CharLength(text, pos);
    }
    return out;
}

}  // namespace klv
