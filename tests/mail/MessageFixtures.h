#pragma once
// Shared by the message tests: a fixed clock and a scripted generator, and a readable picture
// of a part tree and of byte strings.
#include <chrono>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "mail/MailMessage.h"

namespace ruzo_test {

// 9 December 2026 16:22:00 local time, nine hours east of UTC; the generator returns `draws`
// in order and then counts up from 0x100.
inline ruzo::TMailEnvironment FixedEnvironment(std::vector<std::uint32_t> draws = {}) {
    using namespace std::chrono;
    auto queue = std::make_shared<std::deque<std::uint32_t>>(draws.begin(), draws.end());
    auto next = std::make_shared<std::uint32_t>(0x100);
    ruzo::TMailEnvironment environment;
    environment.localNow = [] {
        return local_days{year{2026} / 12 / 9} + hours{16} + minutes{22} + seconds{0};
    };
    environment.zoneMinutes = [] { return 540; };
    environment.random32 = [queue, next] {
        if (queue->empty()) return (*next)++;
        std::uint32_t value = queue->front();
        queue->pop_front();
        return value;
    };
    return environment;
}

// «multipart/mixed(text/plain, application/pdf)»: media types, children in wire order.
inline std::string Describe(const ruzo::TMailPart& part) {
    std::string text = part.GetMediaType();
    if (part.FSubParts.empty()) return text;
    text += '(';
    for (std::size_t i = 0; i < part.FSubParts.size(); ++i) {
        if (i > 0) text += ", ";
        text += Describe(*part.FSubParts.Parts(i));
    }
    return text + ')';
}

// Bytes with CR, LF and other control bytes visible, so a failure shows where texts differ.
inline std::string Visible(const std::string& bytes) {
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n\n";
        } else if (c < 0x20 || c >= 0x7F) {
            out += "\\x";
            out += hex[c >> 4];
            out += hex[c & 15];
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

// A message built by a list of steps, as one row of the structures table:
//   T plain text, t empty plain text, H HTML text, A attachment (reportN.pdf),
//   z empty attachment (emptyN.bin), E embedded picture (picN.png), R rebuild.
// The message is rebuilt at the end.
struct StructureRow {
    const char* name;
    const char* steps;
    const char* structure;  // as Describe gives it
};

inline void PrintTo(const StructureRow& row, std::ostream* os) { *os << row.name; }

inline const std::vector<StructureRow>& StructureRows() {
    static const std::vector<StructureRow> rows{
        {"OneText", "T", "text/plain"},
        {"OneAttachment", "A", "application/pdf"},
        {"TextThenAttachment", "TA", "multipart/mixed(text/plain, application/pdf)"},
        {"AttachmentThenText", "AT", "multipart/mixed(application/pdf, text/plain)"},
        {"TwoAttachments", "AA", "multipart/mixed(application/pdf, application/pdf)"},
        {"TextAttachmentRebuildAttachment", "TARA",
         "multipart/mixed(text/plain, application/pdf, application/pdf)"},
        {"TextThenEmbedded", "TE", "multipart/related(text/plain, image/png)"},
        {"EmbeddedOnly", "E", "multipart/related(image/png)"},
        {"EmbeddedThenAttachment", "EA",
         "multipart/mixed(multipart/related(image/png), application/pdf)"},
        {"TextEmbeddedAttachment", "TEA",
         "multipart/mixed(multipart/related(text/plain, image/png), application/pdf)"},
        {"PlainAndHtml", "TH", "multipart/alternative(text/plain, text/html)"},
        {"PlainHtmlAttachment", "THA",
         "multipart/mixed(multipart/alternative(text/plain, text/html), application/pdf)"},
        {"PlainHtmlEmbeddedAttachment", "THEA",
         "multipart/mixed(multipart/related(multipart/alternative(text/plain, text/html), "
         "image/png), application/pdf)"},
        {"EmptyTextThenAttachment", "tA", "multipart/mixed(text/plain, application/pdf)"},
        {"AttachmentThenEmptyText", "At", "multipart/mixed(application/pdf, text/plain)"},
        {"EmptyAttachmentThenText", "zT", "multipart/mixed(application/octet-stream, text/plain)"},
        {"TextThenEmptyAttachment", "Tz", "multipart/mixed(text/plain, application/octet-stream)"},
    };
    return rows;
}

inline const std::string kPlainText = "Plain text.\r\nSecond line =41 =\r\nend\r\n";
inline const std::string kHtmlText = "<p>HTML</p>\r\n";

// Binary content that differs per attachment number.
inline std::string AttachmentBytes(int number) {
    std::string bytes;
    for (int i = 0; i < 60 + number; ++i) bytes += static_cast<char>((i * 37 + number) & 0xFF);
    return bytes;
}

// Builds the row's message; returns the content that went in, by file name for attachments
// and by media type for texts.
inline std::map<std::string, std::string> Compose(ruzo::TMailMessage& message, const char* steps) {
    std::map<std::string, std::string> contents;
    int number = 0;
    for (const char* step = steps; *step; ++step) {
        ruzo::TMemoryStream stream;
        std::string name;
        switch (*step) {
        case 'T':
        case 't': {
            std::string text = *step == 'T' ? kPlainText : "";
            message.PutTextPlain(text);
            contents["text/plain"] = text;
            break;
        }
        case 'H':
            message.PutTextHTML(kHtmlText);
            contents["text/html"] = kHtmlText;
            break;
        case 'A':
        case 'E':
            name = (*step == 'A' ? "report" : "pic") + std::to_string(number) +
                   (*step == 'A' ? ".pdf" : ".png");
            stream.write(AttachmentBytes(number++));
            message.AttachStream(stream, name, "", ruzo::etBase64, *step == 'E');
            contents[name] = stream.bytes();
            break;
        case 'z':
            name = "empty" + std::to_string(number++) + ".bin";
            message.AttachStream(stream, name, "", ruzo::etBase64, false);
            contents[name] = "";
            break;
        case 'R':
            message.RebuildMessage();
            break;
        }
    }
    message.RebuildMessage();
    return contents;
}

}  // namespace ruzo_test
