#pragma once
// General text routines on Windows-31J byte strings that know the full-width space (0x81 0x40).
// "Blanks" are the bytes 0x00-0x20; full-width spaces are never taken for blanks.
#include <string>
#include <string_view>

namespace klv {

// The text without blanks at either end.
std::string Trim(std::string_view text);
// The text without blanks and full-width spaces, in any mix, at either end.
std::string FullTrim(std::string_view text);
bool IsBlank(std::string_view text);
// Whether text ends with suffix, compared byte for byte; false when the suffix would start on
// the second byte of a double-byte character (characters counted from the start of text).
bool EndsWithText(std::string_view suffix, std::string_view text);
// The text (trimmed of blanks when doTrim) in double quotes, inner double quotes doubled;
// followed by ", " when addSeparator.
std::string QuotedText(std::string_view text, bool addSeparator, bool doTrim);

}  // namespace klv
