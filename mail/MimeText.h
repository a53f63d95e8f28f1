#pragma once
// Small text routines of the MIME code. "Blank" here means the space 0x20 only.
#include <cstddef>
#include <string>
#include <string_view>

namespace ruzo {

std::string_view TrimBlanks(std::string_view text);
std::string_view TrimLeadingBlanks(std::string_view text);
// Leading spaces removed, then cut to its last `width` bytes or filled on the left with `fill`
// until it is at least `width` long.
std::string LeftPad(std::string_view text, std::size_t width, std::string_view fill);
// Takes the line at `position` (0-based) up to and including its CR LF. `position` moves past
// it, or becomes npos once the text is used up (also when it ends exactly with CR LF).
void TakeLine(std::string_view text, std::string& line, std::size_t& position);

}  // namespace ruzo
