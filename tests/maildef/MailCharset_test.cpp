#include "maildef/MailCharset.h"

#include <gtest/gtest.h>

#include "maildef/MailData.h"

namespace {

const std::string J = "\x1B$B";
const std::string A = "\x1B(B";
const std::string kAa = "\x82\xA0";   // あ in Windows-31J
const std::string kGaiji = "\xF0\x40";  // the first user-defined character

tvl::TMailData Sample() {
    tvl::TMailData data;
    data.FSubject = "Re " + kAa;
    data.FFromName = kAa;
    data.AddTo(kAa, "to@example.jp");
    data.AddCc("", "cc@example.jp");
    data.FBodyLines.add(kAa);
    data.FBodyLines.add("plain");
    return data;
}

TEST(MailCharset, Iso2022JpWhenEveryTextHasAForm) {
    auto texts = tvl::ConvertForMail(Sample(), "/tmp/\xE3\x81\x82.txt");  // あ.txt in UTF-8
    EXPECT_EQ(texts.Charset, "ISO-2022-JP");
    EXPECT_EQ(texts.TextEncoding, ruzo::et7Bit);
    const std::string aa = J + "\x24\x22" + A;
    EXPECT_EQ(texts.Body, aa + "\r\nplain\r\n");
    EXPECT_EQ(texts.Subject, "Re " + aa);
    EXPECT_EQ(texts.FromName, aa);
    EXPECT_EQ(texts.ToNames, std::vector<std::string>{aa});
    EXPECT_EQ(texts.CcNames, std::vector<std::string>{""});
    EXPECT_EQ(texts.AttachmentName, aa + ".txt");
}

TEST(MailCharset, LongConvertedLineGoesQuotedPrintable) {
    tvl::TMailData data = Sample();
    std::string line;
    for (int i = 0; i < 499; ++i) line += kAa;  // 998 octets, +3 +3 for the escapes
    data.FBodyLines.add(line);
    auto texts = tvl::ConvertForMail(data, "");
    EXPECT_EQ(texts.Charset, "ISO-2022-JP");
    EXPECT_EQ(texts.TextEncoding, ruzo::etQuotedPrintable);
}

TEST(MailCharset, AnyTextWithoutAFormSendsAllInUtf8) {
    struct Case {
        const char* name;
        void (*spoil)(tvl::TMailData&);
        std::string attachment;
    };
    const Case cases[] = {
        {"Subject", [](tvl::TMailData& d) { d.FSubject += kGaiji; }, ""},
        {"BodyLine", [](tvl::TMailData& d) { d.FBodyLines.add("\x85\x40"); }, ""},
        {"CcName", [](tvl::TMailData& d) { d.AddCc(kGaiji, "x@example.jp"); }, ""},
        {"AttachmentName", [](tvl::TMailData&) {}, "/tmp/\xC2\xA5.txt"},  // ¥ has no form
    };
    for (const Case& c : cases) {
        tvl::TMailData data = Sample();
        c.spoil(data);
        auto texts = tvl::ConvertForMail(data, c.attachment);
        EXPECT_EQ(texts.Charset, "UTF-8") << c.name;
        EXPECT_EQ(texts.TextEncoding, ruzo::etBase64) << c.name;
        EXPECT_EQ(texts.FromName, "\xE3\x81\x82") << c.name;  // あ, converted all the same
        EXPECT_EQ(texts.Body.substr(0, 5), "\xE3\x81\x82\r\n") << c.name;
    }
    tvl::TMailData data = Sample();
    data.FSubject = kGaiji + "\x85\x40";
    auto texts = tvl::ConvertForMail(data, "");
    EXPECT_EQ(texts.Subject, "\xEE\x80\x80\xEF\xBF\xBD")
        << "a user-defined character arrives exactly; an undefined pair shows as one U+FFFD";
}

}  // namespace
