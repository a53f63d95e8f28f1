#pragma once
// Folding of a header block for transmission (RFC 5322 2.2.3: a field may be broken before
// white space; the continuation line starts with TAB).
#include <string>
#include <string_view>

namespace ruzo {

// Every line break of text becomes CR LF and trailing ones are dropped; each line longer than
// 72 bytes is broken at its rightmost space, "," or ";" at or before byte 72 that lies outside
// double quotes and apostrophes and after the field name's ": " (after byte 35 on a line that
// starts with TAB). A space is replaced by the fold, a "," or ";" ends its line. A line with no
// such place stays whole. Every line of the result ends with CR LF; empty text gives ''.
std::string FoldHeaderText(std::string_view text);

}  // namespace ruzo
