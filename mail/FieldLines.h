#pragma once
// Reading and rewriting single header field lines «Name: value; param=value; ...». A line
// holds no line break. Double quotes protect ":", ";" and "=" inside them; no routine fails
// on any text (a line without a colon has an empty value and no parameters).
#include <string>
#include <string_view>

#include "support/StringList.h"

namespace ruzo {

// 0-based index of the occurrence-th item (0 = first) that starts with key, ASCII letter case
// ignored; -1 when there are fewer matches. Callers pass «Name:» or a bare prefix like
// «Content-».
int FindFieldLine(const klv::StringList& lines, std::string_view key, int occurrence);

// The text between the first ":" and the next ";" (both outside quotes), trimmed of spaces,
// with one pair of surrounding double quotes removed.
std::string FieldLineValue(std::string_view line);
// The line with its value replaced by one space and the trimmed value; the parameters stay.
std::string ReplaceFieldLineValue(std::string_view line, std::string_view value);

// The value of the parameter named param (name compared trimmed, ASCII case ignored), trimmed,
// with one pair of surrounding double quotes removed; '' when absent.
std::string FieldLineParam(std::string_view line, std::string_view param);
// The line with that parameter's value replaced by the trimmed value, or with «; param=value»
// appended when it has no such parameter. The value is written as given, quotes included.
std::string ReplaceFieldLineParam(std::string_view line, std::string_view param,
                                  std::string_view value);

}  // namespace ruzo
