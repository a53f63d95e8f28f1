// DecodeBase64Chunk and DecodeUULine on arbitrary bytes, and the base64 round trip: the encoded
// lines, decoded one by one without their CR LF, give back the input.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/FuzzCheck.h"
#include "mail/Encoders.h"
#include "mail/MemoryStream.h"
#include "support/Exceptions.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    std::string out = "kept";
    const std::size_t written = ruzo::DecodeBase64Chunk(text, out);
    FUZZ_CHECK(written <= size / 4 * 3 && out.size() == 4 + written && out.starts_with("kept"));

    std::array<std::uint8_t, 45> buffer{};
    try {
        const int declared = ruzo::DecodeUULine(text, buffer);
        FUZZ_CHECK(declared >= 0 && declared <= 63);
    } catch (const klv::Exception&) {
        // a byte outside the uu alphabet
    }

    ruzo::TMemoryStream source;
    source.assign(std::string(text));
    ruzo::TMemoryStream encoded;
    ruzo::EncodeBase64Stream(encoded, source);
    const std::string_view lines = encoded.view();
    std::string decoded;
    for (std::size_t start = 0; start < lines.size();) {
        const std::size_t end = lines.find("\r\n", start);
        FUZZ_CHECK(end != std::string_view::npos && end - start <= 76);
        ruzo::DecodeBase64Chunk(lines.substr(start, end - start), decoded);
        start = end + 2;
    }
    FUZZ_CHECK(decoded == text);
    return 0;
}
