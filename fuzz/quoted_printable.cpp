// DecodeQPText on arbitrary bytes never grows the text, and both encoding modes decode back
// to the input.
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/FuzzCheck.h"
#include "mail/Encoders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    FUZZ_CHECK(ruzo::DecodeQPText(text).size() <= text.size());
    FUZZ_CHECK(ruzo::DecodeQPText(ruzo::EncodeQPText(text, false)) == text);
    FUZZ_CHECK(ruzo::DecodeQPText(ruzo::EncodeQPText(text, true)) == text);
    return 0;
}
