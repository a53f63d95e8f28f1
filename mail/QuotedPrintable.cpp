#include <array>

#include "mail/Encoders.h"

namespace ruzo {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";
// Soft break once a body line has this many counted characters (escapes count 3).
constexpr int kBodyLineLimit = 72;

// RFC 2047 5(3): the only characters a Q-encoded word in a phrase may carry unescaped. Any
// other one ("?", "=", "_", or the "$?" and "$," of ISO-2022-JP text) could end the word or
// be taken for a break point by a folding reader.
constexpr bool IsHeaderSafe(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
           c == '!' || c == '*' || c == '+' || c == '-' || c == '/';
}

constexpr bool IsBodyEscaped(unsigned char c) { return c > 0x7F || c == '='; }

char* PutEscape(char* out, unsigned char c) {
    out[0] = '=';
    out[1] = kHexDigits[c >> 4];
    out[2] = kHexDigits[c & 0x0F];
    return out + 3;
}

std::string EncodeHeaderMode(std::string_view text) {
    std::size_t escapes = 0;
    for (unsigned char c : text) escapes += !IsHeaderSafe(c);
    std::string result(text.size() + 2 * escapes, '\0');
    char* out = result.data();
    for (unsigned char c : text) {
        if (IsHeaderSafe(c)) {
            *out++ = static_cast<char>(c);
        } else {
            out = PutEscape(out, c);
        }
    }
    return result;
}

std::string EncodeBodyMode(std::string_view text) {
    std::size_t escapes = 0;
    for (unsigned char c : text) escapes += IsBodyEscaped(c);
    // Each soft break follows at least kBodyLineLimit counted characters, and every output
    // byte of the escaped text counts once, so this bound is never exceeded.
    const std::size_t escaped = text.size() + 2 * escapes;
    std::string result(escaped + 3 * (escaped / kBodyLineLimit), '\0');
    char* out = result.data();
    int counter = 0;
    for (unsigned char c : text) {
        if (IsBodyEscaped(c)) {
            out = PutEscape(out, c);
            counter += 3;
        } else {
            *out++ = static_cast<char>(c);
            counter = c == '\r' ? 0 : counter + 1;
        }
        if (counter >= kBodyLineLimit) {
            out[0] = '=';
            out[1] = '\r';
            out[2] = '\n';
            out += 3;
            counter = 0;
        }
    }
    result.resize(static_cast<std::size_t>(out - result.data()));
    return result;
}

// Value of an upper-case hexadecimal digit, or -1; lower case is not a digit here.
constexpr auto kHexValues = [] {
    std::array<signed char, 256> values{};
    values.fill(-1);
    for (int i = 0; i < 16; ++i)
        values[static_cast<unsigned char>(kHexDigits[i])] = static_cast<signed char>(i);
    return values;
}();

int EscapeValue(char c1, char c2) {
    const int high = kHexValues[static_cast<unsigned char>(c1)];
    const int low = kHexValues[static_cast<unsigned char>(c2)];
    return (high | low) < 0 ? -1 : high * 16 + low;
}

// The decoder is a stack machine over its output: every "=" is examined once the two bytes
// after it are in place. Removing a break lets the (at most two) bytes before it meet new
// neighbours, so an "=" among them is examined again; that joins an escape split by a soft
// break. Decoded bytes and everything before them are final (out[0, fixed)): reading a
// decoded "=" again would turn the text "=41" into "A" whenever a soft break falls right
// after its "=3D". The output is never longer than the text, so it is sized once.
class QPDecoder {
public:
    explicit QPDecoder(std::string_view text) : text_(text), out_(text.size(), '\0') {}

    std::string Run() {
        while (in_ < text_.size()) {
            if (!HasOpenEscape()) CopyRegular();
            if (in_ < text_.size()) Push(text_[in_++]);
        }
        Finish();
        out_.resize(size_);
        return std::move(out_);
    }

private:
    bool Open(std::size_t k) const { return k >= fixed_ && out_[k] == '='; }
    bool HasOpenEscape() const {
        return (size_ >= 1 && Open(size_ - 1)) || (size_ >= 2 && Open(size_ - 2));
    }

    // Plain bytes, whole escapes and CR LF soft breaks, while nothing behind can change.
    // Works on locals: stores through char* could alias the members and force reloads.
    void CopyRegular() {
        const char* const text = text_.data();
        const std::size_t n = text_.size();
        char* const out = out_.data();
        std::size_t in = in_, size = size_, fixed = fixed_;
        while (in < n) {
            const char c = text[in];
            if (c != '=') {
                out[size++] = c;
                ++in;
                continue;
            }
            if (in + 2 >= n) break;
            const int value = EscapeValue(text[in + 1], text[in + 2]);
            if (value >= 0) {
                out[size++] = static_cast<char>(value);
                fixed = size;
            } else if (text[in + 1] != '\r' || text[in + 2] != '\n') {
                break;
            }
            in += 3;
        }
        in_ = in;
        size_ = size;
        fixed_ = fixed;
    }

    void Push(char c) {
        out_[size_++] = c;
        if (size_ < 3 || !Open(size_ - 3)) return;
        const std::size_t q = size_ - 3;
        const char c1 = out_[q + 1];
        const char c2 = out_[q + 2];
        const int value = EscapeValue(c1, c2);
        if (value >= 0) {
            out_[q] = static_cast<char>(value);
            size_ = fixed_ = q + 1;
        } else if ((c1 == '\r' && c2 == '\n') || (c1 == '\n' && c2 == '\r')) {
            size_ = q;
        } else if (c1 == '\r' || c1 == '\n') {
            out_[q] = c2;
            size_ = q + 1;
        }
    }

    // An "=" left without two bytes after it: one in the last position goes, one in the
    // second-to-last stays (and keeps a following "=" with it).
    void Finish() {
        const bool secondLast = size_ >= 2 && Open(size_ - 2);
        if (!secondLast && size_ >= 1 && Open(size_ - 1)) --size_;
    }

    std::string_view text_;
    std::string out_;
    std::size_t size_ = 0;   // bytes of out_ in use
    std::size_t fixed_ = 0;  // out_[0, fixed_) is final
    std::size_t in_ = 0;     // next byte of text_
};

}  // namespace

std::string EncodeQPText(std::string_view text, bool headerMode) {
    return headerMode ? EncodeHeaderMode(text) : EncodeBodyMode(text);
}

std::string DecodeQPText(std::string_view text) { return QPDecoder(text).Run(); }

}  // namespace ruzo
