#pragma once
// Windows-31J (code page 932) character stepping: texts are byte strings in which a lead byte
// 0x81-0x9F or 0xE0-0xFC starts a two-byte character.
#include <cstddef>
#include <string_view>

namespace klv {

constexpr bool IsLeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

constexpr bool IsTrailByte(unsigned char c) {
    return c >= 0x40 && c <= 0xFC && c != 0x7F;
}

// Length in bytes (1 or 2) of the character that starts at byte i. A lead byte without a
// valid second byte counts alone, so a quote or line end after it is never swallowed.
constexpr std::size_t CharLength(std::string_view text, std::size_t i) {
    if (IsLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() &&
        IsTrailByte(static_cast<unsigned char>(text[i + 1])))
        return 2;
    return 1;
}

}  // namespace klv
