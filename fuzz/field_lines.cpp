// The field-line routines on arbitrary lines, and FoldHeaderText: the folded text is the
// input (its line breaks as CR LF, trailing ones dropped) in which some spaces became
// CR LF TAB and CR LF TAB was put after some "," or ";", and nothing else changed.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>

#include "fuzz/FuzzCheck.h"
#include "mail/FieldLines.h"
#include "mail/HeaderFold.h"
#include "support/StringList.h"

namespace {

std::string Normalized(std::string_view text) {
    std::string lines;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            lines += "\r\n";
        } else {
            lines += text[i];
        }
    }
    while (lines.ends_with("\r\n")) lines.resize(lines.size() - 2);
    if (!lines.empty()) lines += "\r\n";
    return lines;
}

// Whether folded can be read as original with folds in it. A fold is ambiguous next to a
// space after "," or ";", so every reading is followed (their number stays tiny).
bool OnlyFoldsAdded(std::string_view original, std::string_view folded) {
    constexpr std::string_view kFold = "\r\n\t";
    // at[j]: the positions in original that folded[0, j) can stand for.
    std::vector<std::vector<std::size_t>> at(folded.size() + 1);
    at[0] = {0};
    for (std::size_t j = 0; j < folded.size(); ++j) {
        for (std::size_t i : at[j]) {
            auto reach = [&](std::size_t ni, std::size_t nj) {
                auto& next = at[nj];
                for (std::size_t k : next)
                    if (k == ni) return;
                next.push_back(ni);
            };
            if (i < original.size() && folded[j] == original[i]) reach(i + 1, j + 1);
            if (folded.substr(j, 3) == kFold) {
                if (i < original.size() && original[i] == ' ') reach(i + 1, j + 3);
                // Right after the "," or ";" itself, so no two folds follow each other.
                const bool afterSeparator = i > 0 && j > 0 && folded[j - 1] == original[i - 1] &&
                                            (original[i - 1] == ',' || original[i - 1] == ';');
                if (afterSeparator) reach(i, j + 3);
            }
        }
        at[j].clear();
        at[j].shrink_to_fit();
    }
    for (std::size_t i : at[folded.size()])
        if (i == original.size()) return true;
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string param = input.ConsumeRandomLengthString(16);
    const std::string value = input.ConsumeRandomLengthString(64);
    const std::string text = input.ConsumeRemainingBytesAsString();

    klv::StringList lines;
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        lines.add(text.substr(start, end - start));
        start = end + 1;
    }
    FUZZ_CHECK(ruzo::FindFieldLine(lines, param, 0) < static_cast<int>(lines.size()));
    for (const std::string& line : lines) {
        ruzo::FieldLineValue(line);
        ruzo::FieldLineParam(line, param);
        ruzo::FieldLineValue(ruzo::ReplaceFieldLineValue(line, value));
        ruzo::FieldLineParam(ruzo::ReplaceFieldLineParam(line, param, value), param);
    }

    const std::string folded = ruzo::FoldHeaderText(text);
    FUZZ_CHECK(OnlyFoldsAdded(Normalized(text), folded));
    return 0;
}
