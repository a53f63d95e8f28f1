// Recipient fields. An arbitrary To field is read through the recipient list and
// GetHeaderAddress without failing; a list written by AddNameAddress reads back the names
// (trimmed) and addresses it was given.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>

#include "fuzz/FuzzCheck.h"
#include "mail/MailMessage.h"
#include "mail/MimeText.h"
#include "support/Exceptions.h"

namespace {

// Addresses as a mail address can be written without quoting.
std::string SafeAddress(FuzzedDataProvider& input) {
    static constexpr std::string_view kChars =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.-_+@";
    std::string address = input.ConsumeRandomLengthString(64);
    for (char& c : address) c = kChars[static_cast<unsigned char>(c) % kChars.size()];
    return address.empty() ? "a@b" : address;
}

void ReadArbitraryField(std::string_view value) {
    ruzo::TMailMessage message;
    message.SetFieldValue("To", value);
    const int count = message.ToList.Count();
    for (int i = 0; i <= count; ++i) message.GetHeaderAddress("To", i);
    message.ToList.GetAddressList();
    try {
        FUZZ_CHECK(message.ToList.Names().size() == static_cast<std::size_t>(count));
    } catch (const klv::Exception&) {
        // A "U" word holding a byte outside the uu alphabet raises its format error.
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ReadArbitraryField(std::string_view(reinterpret_cast<const char*>(data), size));

    FuzzedDataProvider input(data, size);
    ruzo::TMailMessage message;
    message.SetCharset("ISO-2022-JP");
    std::vector<std::string> names, addresses;
    const int count = input.ConsumeIntegralInRange(1, 5);
    for (int i = 0; i < count; ++i) {
        std::string name = input.ConsumeRandomLengthString(64);
        // A plain name that spells an encoded word is decoded when read, as any reader would.
        if (name.find("=?") != std::string::npos) name.clear();
        names.emplace_back(ruzo::TrimBlanks(name));
        addresses.push_back(SafeAddress(input));
        message.ToList.AddNameAddress(name, addresses.back());
    }
    // A second message with the same header reads the field itself, not the writer's lists.
    ruzo::TMailMessage reader;
    reader.FHeaderLines = message.FHeaderLines;
    FUZZ_CHECK(reader.ToList.Count() == count);
    for (int i = 0; i < count; ++i) {
        const auto k = static_cast<std::size_t>(i);
        FUZZ_CHECK(reader.ToList.Names()[k] == names[k]);
        FUZZ_CHECK(reader.ToList.Addresses()[k] == addresses[k]);
        FUZZ_CHECK(reader.GetHeaderAddress("To", i) == addresses[k]);
    }
    return 0;
}
