#include "maildef/MailCharset.h"

#include <filesystem>
#include <optional>

#include "maildef/MailData.h"
#include "support/Codec.h"
#include "support/Exceptions.h"
#include "support/Iso2022Jp.h"

namespace tvl {

namespace {

constexpr std::size_t kMaxLineOctets = 998;

// One conversion of Windows-31J texts, and whether every text had a form in it.
class Converter {
public:
    explicit Converter(bool iso2022jp) : iso2022jp_(iso2022jp) {}

    std::string operator()(const std::string& windows31j) {
        if (!iso2022jp_) return klv::DisplayFromWindows31J(windows31j);
        auto converted = klv::Iso2022JpFromWindows31J(windows31j);
        if (!converted) {
            complete_ = false;
            return {};
        }
        return std::move(*converted);
    }

    bool complete() const { return complete_; }

private:
    bool iso2022jp_;
    bool complete_ = true;
};

// The attachment name in Windows-31J, or nullopt when it has no such form.
std::optional<std::string> Windows31JName(const std::string& utf8) {
    try {
        return klv::Windows31JFromUtf8(utf8);
    } catch (const klv::EEncodingError&) {
        return std::nullopt;
    }
}

// Converts every text; nullopt when ISO-2022-JP was asked for and a text has no form in it.
std::optional<TMailTexts> Convert(const TMailData& data, const std::string& attachmentName,
                                  bool iso2022jp) {
    Converter convert(iso2022jp);
    TMailTexts texts;
    texts.Charset = iso2022jp ? "ISO-2022-JP" : "UTF-8";
    texts.TextEncoding = iso2022jp ? ruzo::et7Bit : ruzo::etBase64;
    for (const std::string& line : data.FBodyLines) {
        std::string converted = convert(line);
        if (iso2022jp && converted.size() > kMaxLineOctets)
            texts.TextEncoding = ruzo::etQuotedPrintable;
        texts.Body += converted;
        texts.Body += "\r\n";
    }
    texts.Subject = convert(data.FSubject);
    texts.FromName = convert(data.FFromName);
    for (std::size_t i = 0; i < data.ToCount(); ++i) texts.ToNames.push_back(convert(data.ToName(i)));
    for (std::size_t i = 0; i < data.CcCount(); ++i) texts.CcNames.push_back(convert(data.CcName(i)));
    std::string name = std::filesystem::path(attachmentName).filename().string();
    if (iso2022jp) {
        auto windows31j = Windows31JName(name);
        texts.AttachmentName = windows31j ? convert(*windows31j) : std::string();
        if (!windows31j) return std::nullopt;
    } else {
        texts.AttachmentName = name;
    }
    if (!convert.complete()) return std::nullopt;
    return texts;
}

}  // namespace

TMailTexts ConvertForMail(const TMailData& data, const std::string& attachmentName) {
    if (auto texts = Convert(data, attachmentName, true)) return std::move(*texts);
    return *Convert(data, attachmentName, false);
}

}  // namespace tvl
