#pragma once
// The command line: arguments are UTF-8, as the locale gives them.
#include <string>

namespace tvl {

// Blank as the definition format counts it: nothing left once blanks and full-width spaces
// (U+3000) are removed at both ends.
bool IsBlankArgument(const std::string& utf8);

// The usage text: argument form, definition keys, exit codes.
std::string UsageText(const std::string& programName);
std::string VersionText();

}  // namespace tvl
