// DecodeBody on arbitrary bodies under each transfer encoding, and the round trips: a body
// encoded as base64, quoted-printable or left unencoded decodes to itself, and a uuencoded
// body, which comes out re-encoded as base64 (an empty one is left as it is), decodes from that form to the same bytes.
#include <cstdint>
#include <string>

#include <fuzzer/FuzzedDataProvider.h>

#include "fuzz/FuzzCheck.h"
#include "mail/MailPart.h"
#include "support/Exceptions.h"

namespace {

std::string DecodedFrom(const std::string& encoding, std::string body) {
    ruzo::TMailPart part;
    part.SetFieldValue("Content-Transfer-Encoding", encoding);
    part.FEncodedBody.assign(std::move(body));
    FUZZ_CHECK(part.DecodeBody());
    return part.FDecodedBody.bytes();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string encoding = input.PickValueInArray(
        {"base64", "quoted-printable", "7bit", "uucode", "8bit", "binary", "BASE64", ""});
    const auto kind = input.PickValueInArray(
        {ruzo::etBase64, ruzo::etQuotedPrintable, ruzo::etNoEncoding});
    const std::string body = input.ConsumeRemainingBytesAsString();

    ruzo::TMailPart part;
    part.SetFieldValue("Content-Transfer-Encoding", encoding);
    part.FEncodedBody.assign(body);
    try {
        part.DecodeBody();
    } catch (const klv::Exception&) {
        FUZZ_CHECK(encoding == "uucode");
        return 0;
    }
    if (encoding == "uucode" && !body.empty()) {
        FUZZ_CHECK(part.GetFieldValue("Content-Transfer-Encoding") == "base64");
        FUZZ_CHECK(DecodedFrom("base64", part.FEncodedBody.bytes()) == part.FDecodedBody.bytes());
    }

    ruzo::TMailPart source;
    source.FDecodedBody.assign(body);
    source.EncodeBody(kind);
    FUZZ_CHECK(DecodedFrom(source.GetFieldValue("Content-Transfer-Encoding"),
                           source.FEncodedBody.bytes()) == body);
    return 0;
}
