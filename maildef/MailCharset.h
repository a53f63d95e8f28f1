#pragma once
// The charset a definition goes out in. Definition texts are Windows-31J; mail readers expect
// ISO-2022-JP, and UTF-8 where a text holds a character ISO-2022-JP cannot carry.
#include <string>
#include <vector>

#include "mail/MailPart.h"

namespace tvl {

class TMailData;

// Every text that the message is given, converted for one charset. Addresses stay as they are.
struct TMailTexts {
    std::string Charset;                // "ISO-2022-JP" or "UTF-8"
    ruzo::TEncodingType TextEncoding;   // et7Bit, or etQuotedPrintable / etBase64 (see below)
    std::string Body;                   // each line followed by CR LF
    std::string Subject;
    std::string FromName;
    std::vector<std::string> ToNames;
    std::vector<std::string> CcNames;
    std::string AttachmentName;         // the attachment's file name, without its folder
};

// ISO-2022-JP when every text has a form in it: body lines converted one by one (each ends in
// ASCII), "7bit", or quoted-printable where a converted line exceeds 998 octets (RFC 5322
// 2.1.1). Otherwise the whole message in UTF-8 and base64, invalid bytes shown as U+FFFD.
// `attachmentName` comes from the command line in UTF-8.
TMailTexts ConvertForMail(const TMailData& data, const std::string& attachmentName);

}  // namespace tvl
