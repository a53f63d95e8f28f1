// Comma text: splitting arbitrary bytes never fails, and a list of items (any bytes but NUL,
// which ends a line of a definition file) joined and split again gives the same items.
#include <cstdint>
#include <string>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>

#include "fuzz/FuzzCheck.h"
#include "support/StringList.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string text = input.ConsumeRandomLengthString();
    const std::vector<std::string> split = klv::SplitCommaText(text);
    FUZZ_CHECK(klv::SplitCommaText(klv::JoinCommaText(split)) == split);

    std::vector<std::string> items;
    while (input.remaining_bytes() > 0 && items.size() < 16) {
        std::string item = input.ConsumeRandomLengthString();
        if (item.find('\0') != std::string::npos) continue;
        items.push_back(std::move(item));
    }
    FUZZ_CHECK(klv::SplitCommaText(klv::JoinCommaText(items)) == items);
    return 0;
}
