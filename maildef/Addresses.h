#pragma once
// Mail address checks and angle brackets for Windows-31J texts.
#include <string>
#include <string_view>

namespace tvl {

std::string EncloseInAngles(std::string_view text);
// The text with every "<" and every ">" removed.
std::string StripAngles(std::string_view text);

// Letters, digits, "-" and "."; at least one "." with something before it; no "..", no "."
// at the end. No limit on label or total length.
bool IsValidDomain(std::string_view domain);
// local@domain, tested as given (callers trim first): split at the first "@"; the local part
// may be empty and may hold dots anywhere, but only the printable ASCII characters outside
// the specials ()<>[]:;@\," and the blank.
bool IsValidMailAddress(std::string_view text);

// The message for a refused address, prefixed with label + "に" when label is not empty.
// UTF-8 in and out.
std::string MailAddressErrorText(std::string_view label);

}  // namespace tvl
