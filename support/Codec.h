#pragma once
// Conversion between UTF-8 (Qt texts, the terminal) and Windows-31J (the texts of definition
// files and mails), through the C library's iconv. Nothing is dropped or replaced silently.
#include <string>
#include <string_view>

namespace klv {

// Raises EEncodingError naming the first character that has no Windows-31J form (the
// character and its U+XXXX) or the first byte that is not UTF-8. The JIS characters that
// also have a second Unicode form (〜 U+301C beside ～ U+FF5E, − U+2212 beside －, and
// ¢ £ ¬ ‖ —) take the Windows-31J code of their twin; ¥ and ‾ have no form (0x5C and 0x7E
// are the backslash and the tilde).
std::string Windows31JFromUtf8(std::string_view utf8);
// Raises EEncodingError naming the first bytes that are not a Windows-31J character.
std::string Utf8FromWindows31J(std::string_view text);
// For messages that quote bytes from a file: never fails; each byte or two-byte sequence that
// is not a Windows-31J character shows as U+FFFD.
std::string DisplayFromWindows31J(std::string_view text);

}  // namespace klv
