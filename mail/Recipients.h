#pragma once
// One address field of a message ("To", "Cc" or "Bcc") seen as parallel lists of display
// names and addresses. The field in the message's header block is the only stored form; the
// lists are a cache of it, re-read whenever the length of the header text has changed.
#include <cstddef>
#include <string>
#include <string_view>

#include "support/StringList.h"

namespace ruzo {

class TMailMessage;

// The display name as it goes between the double quotes of an address field: unchanged when
// plain, else one encoded word. A name holding a double quote or a backslash is always encoded,
// so no raw quote can end the quoted name early and shift the address.
std::string DisplayNameWord(std::string_view name, std::string_view charset);

class TMailRecipients {
public:
    TMailRecipients(TMailMessage& message, std::string headerName);
    TMailRecipients(const TMailRecipients&) = delete;
    TMailRecipients& operator=(const TMailRecipients&) = delete;

    // Appends one recipient (an empty name means none) and rewrites the field.
    void AddNameAddress(std::string_view name, std::string_view address);
    int Count();
    // The addresses as comma text, quoted where needed, for the envelope.
    std::string GetAddressList();
    // The display names (decoded, '' for none) and addresses as the field reads now.
    const klv::StringList& Names();
    const klv::StringList& Addresses();

private:
    void ReadHeader();
    void WriteHeader();
    void CloseEntry(const std::string& beforeAngle, const std::string& inAngle, bool sawAngle);

    TMailMessage& FMessage;
    std::string FHeaderName;
    klv::StringList FNames;
    klv::StringList FAddresses;
    long long FParsedLength = -1;
};

}  // namespace ruzo
