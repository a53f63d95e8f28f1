// The mail definition file: Windows-31J text lines "KEY=value", CR LF at the end of every line.
//   SMTP=server:port   TO=/CC= comma text of name<address> items   FROM="name"<address>
//   SUBJECT=text       BODYTEXT=   followed by the body lines
#include <string>
#include <vector>

#include "maildef/Addresses.h"
#include "maildef/MailData.h"
#include "support/FileIO.h"
#include "support/IntegerText.h"
#include "support/TextRoutines.h"

namespace tvl {

namespace {

constexpr std::string_view kCrLf = "\r\n";

// Calls take(line) for each line. A line ends at CR LF, CR or LF (so LF CR is two line ends);
// a break at the very end adds no empty line, and a NUL ends the text.
template <typename Take>
void ForEachLine(std::string_view text, Take take) {
    text = text.substr(0, text.find('\0'));
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            take(text.substr(start));
            return;
        }
        take(text.substr(start, end - start));
        start = end + (text.compare(end, 2, kCrLf) == 0 ? 2 : 1);
    }
}

// The FROM= address as the second comma-text item: «<address>» as it is, or in quotes when
// it holds a blank, a comma or a quote, which would otherwise split it into more items, and a
// FROM= line of more than two items does not load.
std::string FromAddressItem(std::string_view address) {
    std::string item = EncloseInAngles(address);
    std::string joined = klv::JoinCommaText({item});
    return joined == item ? item : "," + joined;
}

void AppendLine(std::string& out, std::string_view key, std::string_view value) {
    out += key;
    out += value;
    out += kCrLf;
}

}  // namespace

void TMailData::LoadDefinition(const std::string& path) {
    std::string text = klv::ReadWholeFile(path);
    FBodyLines.clear();
    ReadLines(text);
}

void TMailData::ReadLines(std::string_view text) {
    bool inBody = false;
    ForEachLine(text, [&](std::string_view line) {
        // Keys match byte for byte at the start of the line, "=" included.
        auto eq = line.find('=');
        bool hasEquals = eq != std::string_view::npos;
        std::string_view key = hasEquals ? line.substr(0, eq + 1) : std::string_view();
        std::string_view value = hasEquals ? line.substr(eq + 1) : line;
        bool isKey = true;
        if (key == "SMTP=") ReadSMTPLine(value);
        else if (key == "TO=") ReadRecipients(value, FToList);
        else if (key == "CC=") ReadRecipients(value, FCcList);
        else if (key == "FROM=") ReadFromLine(value);
        else if (key == "SUBJECT=") FSubject = value;
        else isKey = key == "BODYTEXT=";

        if (isKey) inBody = key == "BODYTEXT=";
        else if (inBody) FBodyLines.add(std::string(line));
    });
}

void TMailData::ReadSMTPLine(std::string_view value) {
    auto colon = value.find(':');
    std::string_view port = value;
    if (colon == std::string_view::npos) {
        FSMTPServer.clear();
    } else {
        FSMTPServer = value.substr(0, colon);
        port = value.substr(colon + 1);
    }
    FSMTPPort = klv::StrToInt(port);
}

void TMailData::ReadRecipients(std::string_view value, klv::StringList& list) {
    list.clear();
    for (std::string& item : klv::SplitCommaText(value)) {
        // name<address> becomes the entry name=address.
        std::string entry;
        entry.reserve(item.size());
        for (char c : item) {
            if (c == '<') entry += '=';
            else if (c != '>') entry += c;
        }
        list.add(std::move(entry));
    }
}

void TMailData::ReadFromLine(std::string_view value) {
    auto items = klv::SplitCommaText(value);
    if (items.size() != 2) return;
    FFromName = std::move(items[0]);
    FFromAddress = StripAngles(items[1]);
}

std::string TMailData::RecipientsText(const klv::StringList& list) {
    std::vector<std::string> items;
    items.reserve(list.size());
    for (std::size_t i = 0; i < list.size(); ++i)
        items.push_back(list.name(i) + EncloseInAngles(EntryAddress(list, i)));
    return klv::JoinCommaText(items);
}

void TMailData::SaveDefinition(const std::string& path) const {
    std::size_t bodySize = 0;
    for (const std::string& line : FBodyLines) bodySize += line.size() + kCrLf.size();
    std::string out;
    out.reserve(bodySize + 512);
    AppendLine(out, "SMTP=", FSMTPServer + ":" + std::to_string(FSMTPPort));
    AppendLine(out, "TO=", RecipientsText(FToList));
    AppendLine(out, "CC=", RecipientsText(FCcList));
    AppendLine(out, "FROM=",
               klv::QuotedText(FFromName, false, true) + FromAddressItem(FFromAddress));
    AppendLine(out, "SUBJECT=", FSubject);
    AppendLine(out, "BODYTEXT=", "");
    for (const std::string& line : FBodyLines) AppendLine(out, "", line);
    klv::WriteWholeFile(path, out);
}

}  // namespace tvl
