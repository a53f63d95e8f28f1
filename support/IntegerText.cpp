#include "support/IntegerText.h"

#include "support/Codec.h"
#include "support/Exceptions.h"

namespace klv {

namespace {

int DigitValue(char c, int base) {
    int v = -1;
    if (c >= '0' && c <= '9') v = c - '0';
    else if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
    return v < base ? v : -1;
}

// Consumes a hexadecimal prefix at pos and returns 16, or returns 10.
int ReadBase(std::string_view text, std::size_t& pos) {
    auto isX = [](char c) { return c == 'x' || c == 'X'; };
    if (pos < text.size() && (text[pos] == '$' || isX(text[pos]))) {
        ++pos;
        return 16;
    }
    if (pos + 1 < text.size() && text[pos] == '0' && isX(text[pos + 1])) {
        pos += 2;
        return 16;
    }
    return 10;
}

}  // namespace

std::optional<std::int32_t> TryStrToInt(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size() && text[pos] == ' ') ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) negative = text[pos++] == '-';
    int base = ReadBase(text, pos);
    if (pos == text.size()) return std::nullopt;

    const std::int64_t limit = negative ? std::int64_t{1} << 31 : (std::int64_t{1} << 31) - 1;
    std::int64_t magnitude = 0;
    for (; pos < text.size(); ++pos) {
        int digit = DigitValue(text[pos], base);
        if (digit < 0) return std::nullopt;
        magnitude = magnitude * base + digit;
        if (magnitude > limit) return std::nullopt;
    }
    return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

std::int32_t StrToInt(std::string_view text) {
    if (auto value = TryStrToInt(text)) return *value;
    throw EConvertError("'" + DisplayFromWindows31J(text) + "' は整数ではありません");
}

}  // namespace klv
