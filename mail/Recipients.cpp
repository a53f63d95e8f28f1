#include "mail/Recipients.h"

#include "mail/Encoders.h"
#include "mail/MailMessage.h"
#include "mail/MimeText.h"

namespace ruzo {

namespace {

// Length of the header lines joined with CR LF after each, without building that text.
long long HeaderTextLength(const klv::StringList& lines) {
    long long length = 0;
    for (const std::string& line : lines) length += static_cast<long long>(line.size()) + 2;
    return length;
}

bool IsSeparator(char c) { return c == ',' || c == ';'; }

}  // namespace

std::string DisplayNameWord(std::string_view name, std::string_view charset) {
    if (name.find_first_of("\"\\") == std::string_view::npos)
        return EncodeHeaderWord(name, charset);
    // Header-mode quoted-printable escapes the quote and the backslash (RFC 2047 5(3)).
    std::string word = "=?";
    word += charset;
    word += "?Q?";
    word += EncodeQPText(name, true);
    word += "?=";
    return word;
}

TMailRecipients::TMailRecipients(TMailMessage& message, std::string headerName)
    : FMessage(message), FHeaderName(std::move(headerName)) {}

void TMailRecipients::AddNameAddress(std::string_view name, std::string_view address) {
    ReadHeader();
    FNames.add(std::string(name));
    FAddresses.add(std::string(address));
    WriteHeader();
}

int TMailRecipients::Count() {
    ReadHeader();
    return static_cast<int>(FAddresses.size());
}

std::string TMailRecipients::GetAddressList() {
    ReadHeader();
    return klv::JoinCommaText(FAddresses.items());
}

const klv::StringList& TMailRecipients::Names() {
    ReadHeader();
    return FNames;
}

const klv::StringList& TMailRecipients::Addresses() {
    ReadHeader();
    return FAddresses;
}

void TMailRecipients::ReadHeader() {
    long long length = HeaderTextLength(FMessage.FHeaderLines);
    if (length == FParsedLength) return;
    FParsedLength = length;
    FNames.clear();
    FAddresses.clear();

    std::string value(TrimBlanks(FMessage.GetFieldValue(FHeaderName)));
    std::string beforeAngle, inAngle;
    bool inQuote = false;
    bool sawAngle = false;
    for (char c : value) {
        if (c == '"') {
            inQuote = !inQuote;
            continue;
        }
        if (!inQuote && IsSeparator(c)) {
            CloseEntry(beforeAngle, inAngle, sawAngle);
            beforeAngle.clear();
            inAngle.clear();
            sawAngle = false;
        }
        if (!sawAngle) {
            if (inQuote || std::string_view(",;<>").find(c) == std::string_view::npos)
                beforeAngle += c;
        } else if (!inQuote && std::string_view(" ,;<>").find(c) == std::string_view::npos) {
            inAngle += c;
        }
        if (c == '<' && !inQuote) sawAngle = true;
    }
    if (!value.empty()) CloseEntry(beforeAngle, inAngle, sawAngle);
}

void TMailRecipients::CloseEntry(const std::string& beforeAngle, const std::string& inAngle,
                                 bool sawAngle) {
    if (!sawAngle) {
        FNames.add("");
        FAddresses.add(std::string(TrimBlanks(beforeAngle)));
    } else {
        FNames.add(DecodeHeaderWords(TrimBlanks(beforeAngle)));
        FAddresses.add(std::string(TrimBlanks(inAngle)));
    }
}

void TMailRecipients::WriteHeader() {
    std::string value;
    for (std::size_t i = 0; i < FAddresses.size(); ++i) {
        std::string_view name = TrimBlanks(FNames[i]);
        if (!name.empty()) {
            value += '"';
            value += DisplayNameWord(name, FMessage.Charset());
            value += "\" ";
        }
        value += '<';
        value += TrimBlanks(FAddresses[i]);
        value += '>';
        if (i + 1 < FAddresses.size()) value += ", ";
    }
    // An empty value removes the field.
    FMessage.SetFieldValue(FHeaderName, value);
    FParsedLength = HeaderTextLength(FMessage.FHeaderLines);
}

}  // namespace ruzo
