#pragma once
// Windows-31J to ISO-2022-JP (RFC 1468) in the form mail readers decode: JIS X 0208 together
// with the NEC special characters (row 13) and the NEC-selected IBM extensions (rows 89-92).
#include <optional>
#include <string>
#include <string_view>

namespace klv {

// The text in ISO-2022-JP, ending in ASCII; nullopt when a character has no such form (the
// user-defined area, bytes that are not valid Windows-31J). IBM extensions (lead bytes
// 0xFA-0xFC) go as their twin with the same character among the codes above; half-width
// katakana become full-width, a voiced or semi-voiced mark combining with the kana before it.
std::optional<std::string> Iso2022JpFromWindows31J(std::string_view text);

}  // namespace klv
