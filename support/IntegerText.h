#pragma once
// Reading 32-bit integers from text: leading spaces (0x20), an optional sign, then decimal
// digits, or hexadecimal digits after a prefix "$", "x" or "0x" (x in either case), and
// nothing after the digits.
#include <cstdint>
#include <optional>
#include <string_view>

namespace klv {

// nullopt when the text is not such an integer or lies outside the 32-bit signed range.
std::optional<std::int32_t> TryStrToInt(std::string_view text);
// As TryStrToInt, raising EConvertError "'<text>' は整数ではありません" with the text shown
// from Windows-31J.
std::int32_t StrToInt(std::string_view text);

}  // namespace klv
