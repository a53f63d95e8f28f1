// DecodeHeaderWords on arbitrary field text, and the round trip of EncodeHeaderWord: a text
// that gets encoded decodes to itself; one left plain, with no "=?" in it, decodes to itself
// trimmed of spaces.
#include <cstdint>
#include <string>
#include <string_view>

#include <fuzzer/FuzzedDataProvider.h>

#include "fuzz/FuzzCheck.h"
#include "mail/Encoders.h"
#include "mail/MimeText.h"
#include "support/Exceptions.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view whole(reinterpret_cast<const char*>(data), size);
    try {
        FUZZ_CHECK(ruzo::DecodeHeaderWords(whole).size() <= whole.size());
    } catch (const klv::Exception&) {
        // A "U" word holding a byte outside the uu alphabet raises its format error.
    }

    FuzzedDataProvider input(data, size);
    const std::string charset = input.PickValueInArray({"ISO-2022-JP", "UTF-8", "shift_jis"});
    const std::string text = input.ConsumeRemainingBytesAsString();
    const std::string word = ruzo::EncodeHeaderWord(text, charset);
    if (word != text) {
        FUZZ_CHECK(ruzo::DecodeHeaderWords(word) == text);
    } else if (text.find("=?") == std::string::npos) {
        FUZZ_CHECK(ruzo::DecodeHeaderWords(word) == ruzo::TrimBlanks(text));
    }
    return 0;
}
