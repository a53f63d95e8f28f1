#include "mail/HeaderFold.h"

#include <algorithm>
#include <vector>

namespace ruzo {
namespace {

constexpr std::size_t kFoldWidth = 72;
constexpr std::size_t kContinuationLow = 35;  // lowest break index on a line starting with TAB

// CR LF, a lone CR and a lone LF all become CR LF; breaks at the very end are dropped.
std::string WithCrLfBreaks(std::string_view text) {
    std::string lines;
    lines.reserve(text.size() + text.size() / 32);
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            lines += "\r\n";
        } else {
            lines += c;
        }
    }
    while (lines.ends_with("\r\n")) lines.resize(lines.size() - 2);
    return lines;
}

// For each byte: whether a quote opened further right is still open there, reading the line
// from its end as the break search does. A remainder after a break ends where the line ends,
// so the same answers hold for it.
std::vector<bool> QuotedFromEnd(std::string_view line) {
    std::vector<bool> quoted(line.size());
    char open = 0;
    for (std::size_t i = line.size(); i-- > 0;) {
        char c = line[i];
        quoted[i] = open != 0;
        if (open == 0 && (c == '"' || c == '\'')) {
            open = c;
        } else if (c == open) {
            open = 0;
        }
    }
    return quoted;
}

void FoldLine(std::string_view line, std::string& out) {
    std::size_t start = 0;
    if (line.size() > kFoldWidth) {
        std::vector<bool> quoted = QuotedFromEnd(line);
        std::size_t colon = line.find(": ");
        while (line.size() - start > kFoldWidth) {
            std::size_t low = kContinuationLow;
            if (line[start] != '\t') {
                if (colon != std::string_view::npos && colon < start) {
                    colon = line.find(": ", start);
                }
                low = colon == std::string_view::npos ? 1 : colon - start + 2;
            }
            std::size_t brk = std::string_view::npos;
            for (std::size_t j = kFoldWidth; j-- > low;) {
                char c = line[start + j];
                if ((c == ' ' || c == ',' || c == ';') && !quoted[start + j]) {
                    brk = j;
                    break;
                }
            }
            if (brk == std::string_view::npos) break;
            // A space gives way to the fold; a "," or ";" stays at the end of its line.
            out += line.substr(start, line[start + brk] == ' ' ? brk : brk + 1);
            out += "\r\n\t";
            start += brk + 1;
        }
    }
    out += line.substr(start);
    out += "\r\n";
}

}  // namespace

std::string FoldHeaderText(std::string_view text) {
    std::string lines = WithCrLfBreaks(text);
    std::string folded;
    folded.reserve(lines.size() + lines.size() / 16 + 2);
    std::string_view rest = lines;
    while (!rest.empty()) {
        std::size_t eol = rest.find("\r\n");
        FoldLine(rest.substr(0, eol), folded);
        rest = eol == std::string_view::npos ? std::string_view() : rest.substr(eol + 2);
    }
    return folded;
}

}  // namespace ruzo
