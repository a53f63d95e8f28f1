#include "support/TextRoutines.h"

#include "support/Mbcs.h"

namespace klv {

namespace {

constexpr std::string_view kFullWidthSpace = "\x81\x40";

bool IsBlankByte(char c) { return static_cast<unsigned char>(c) <= 0x20; }

std::string_view TrimView(std::string_view text) {
    std::size_t first = 0;
    while (first < text.size() && IsBlankByte(text[first])) ++first;
    std::size_t last = text.size();
    while (last > first && IsBlankByte(text[last - 1])) --last;
    return text.substr(first, last - first);
}

}  // namespace

std::string Trim(std::string_view text) { return std::string(TrimView(text)); }

std::string FullTrim(std::string_view text) {
    std::string_view r = TrimView(text);
    while (r.starts_with(kFullWidthSpace)) r = TrimView(r.substr(kFullWidthSpace.size()));
    // One forward pass finds where the last character that is neither a blank nor a
    // full-width space ends. Trimming from the end one character at a time would give the
    // same result, but asking EndsWithText again after each cut rescans the text each time.
    std::size_t end = 0;
    for (std::size_t i = 0; i < r.size();) {
        std::size_t n = CharLength(r, i);
        if (!(n == 1 && IsBlankByte(r[i])) && r.substr(i, n) != kFullWidthSpace) end = i + n;
        i += n;
    }
    return std::string(r.substr(0, end));
}

bool IsBlank(std::string_view text) { return FullTrim(text).empty(); }

bool EndsWithText(std::string_view suffix, std::string_view text) {
    if (text.size() < suffix.size()) return false;
    std::size_t start = text.size() - suffix.size();
    std::size_t i = 0;
    while (i < start) i += CharLength(text, i);
    if (i != start) return false;
    return text.substr(start) == suffix;
}

std::string QuotedText(std::string_view text, bool addSeparator, bool doTrim) {
    std::string_view source = doTrim ? TrimView(text) : text;
    std::string r;
    r.reserve(source.size() + 4);
    r += '"';
    for (char c : source) {
        if (c == '"') r += '"';
        r += c;
    }
    r += '"';
    if (addSeparator) r += ", ";
    return r;
}

}  // namespace klv
