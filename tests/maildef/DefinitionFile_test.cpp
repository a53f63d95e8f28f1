#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <ostream>

#include "maildef/MailData.h"
#include "support/Codec.h"
#include "support/Exceptions.h"
#include "support/FileIO.h"
#include "tests/support/ScratchDir.h"

namespace {

using testutil::ScratchDir;
using namespace std::string_literals;

std::string W(const std::string& utf8) { return klv::Windows31JFromUtf8(utf8); }

// The record as text, fields left at their initial values omitted: entries as [name|address],
// body lines as [line].
std::string Describe(const tvl::TMailData& d) {
    std::string smtp = d.FSMTPServer + ":" + std::to_string(d.FSMTPPort);
    std::string to, cc, body;
    for (std::size_t i = 0; i < d.ToCount(); ++i)
        to += "[" + d.ToName(i) + "|" + d.ToAddress(i) + "]";
    for (std::size_t i = 0; i < d.CcCount(); ++i)
        cc += "[" + d.CcName(i) + "|" + d.CcAddress(i) + "]";
    std::string from = "[" + d.FFromName + "|" + d.FFromAddress + "]";
    for (const std::string& line : d.FBodyLines) body += "[" + line + "]";
    std::string r;
    auto field = [&r](const char* key, const std::string& value, const char* initial) {
        if (value == initial) return;
        if (!r.empty()) r += "; ";
        r += std::string(key) + " " + value;
    };
    field("smtp", smtp, ":0");
    field("to", to, "");
    field("cc", cc, "");
    field("from", from, "[|]");
    field("subject", d.FSubject, "");
    field("body", body, "");
    return r;
}

std::string Load(const std::string& bytes) {
    ScratchDir dir;
    tvl::TMailData data;
    data.LoadDefinition(dir.write("mail.def", bytes));
    return Describe(data);
}

struct LoadCase {
    const char* name;
    std::string file;
    std::string fields;
};

void PrintTo(const LoadCase& c, std::ostream* os) { *os << testing::PrintToString(c.file); }

class LoadTable : public testing::TestWithParam<LoadCase> {};

TEST_P(LoadTable, ReadsRecord) { EXPECT_EQ(Load(GetParam().file), GetParam().fields); }

const char* const kBodyOfThree = "subject s; body [l1][][l3]";

INSTANTIATE_TEST_SUITE_P(
    LineEnds, LoadTable,
    testing::Values(
        LoadCase{"CrLf", "SUBJECT=s\r\nBODYTEXT=\r\nl1\r\n\r\nl3\r\n", kBodyOfThree},
        LoadCase{"LfOnly", "SUBJECT=s\nBODYTEXT=\nl1\n\nl3\n", kBodyOfThree},
        LoadCase{"CrOnly", "SUBJECT=s\rBODYTEXT=\rl1\r\rl3\r", kBodyOfThree},
        LoadCase{"NoFinalBreak", "SUBJECT=s\r\nBODYTEXT=\r\nl1\r\n\r\nl3", kBodyOfThree},
        LoadCase{"LfCrIsTwoLineEnds", "SUBJECT=s\nBODYTEXT=\nl1\n\rl3", kBodyOfThree},
        LoadCase{"NulEndsText", "SUBJECT=a\0b\r\nTO=x<y>\r\n"s, "subject a"},
        LoadCase{"EmptyFile", "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Keys, LoadTable,
    testing::Values(
        LoadCase{"OnlyExactKeysAtLineStart",
                 " TO=a<b>\r\nto=a<b>\r\nTO =a<b>\r\nSubject=x\r\nSUBJECT\r\nFROM:\"a\"<b>\r\n",
                 ""},
        LoadCase{"ValueKeepsLaterEquals", "SUBJECT= a=b =?x?= \r\n", "subject  a=b =?x?= "},
        LoadCase{"LaterLineOverrides", "SUBJECT=one\r\nSUBJECT=two\r\nTO=a<b>,c<d>\r\nTO=e<f>\r\n",
                 "to [e|f]; subject two"},
        LoadCase{"ToItems",
                 "TO=Taro<a@x.jp>,\"Hanako Sato<b@x.jp>\",<c@x.jp>\r\nCC=\"x, y<d@x.jp>\"\r\n",
                 "to [Taro|a@x.jp][Hanako Sato|b@x.jp][|c@x.jp]; cc [x, y|d@x.jp]"},
        LoadCase{"BareItemIsAddress", "CC=d@x.jp\r\n", "cc [|d@x.jp]"},
        LoadCase{"EmptyListReplacesEarlierOne", "TO=a<b>\r\nTO=\r\n", ""},
        LoadCase{"AnglesInNameDoNotSurvive", "TO=a<b<c>\r\n", "to [a|b=c]"},
        LoadCase{"DoubleByteNameWithBackslashByte",
                 "TO=\"\x95\x5C \x8E\xA6<a@x.jp>\"\r\n", "to [\x95\x5C \x8E\xA6|a@x.jp]"},
        LoadCase{"FromQuotedName", "FROM=\"Taro Y\"<t@x.jp>\r\n", "from [Taro Y|t@x.jp]"},
        LoadCase{"FromBlankBeforeAddress", "FROM=\"Taro\" <t@x.jp>\r\n", "from [Taro|t@x.jp]"},
        LoadCase{"FromEmptyName", "FROM=\"\"<t@x.jp>\r\n", "from [|t@x.jp]"},
        LoadCase{"FromUnquotedNameIgnored", "FROM=\"A\"<a@x.jp>\r\nFROM=Taro<t@x.jp>\r\n",
                 "from [A|a@x.jp]"},
        LoadCase{"FromThreeItemsIgnored", "FROM=\"A\"<a@x.jp>,x\r\n", ""}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Body, LoadTable,
    testing::Values(
        LoadCase{"LinesBeforeFirstKeyIgnored", "hello\r\nSUBJECT=s\r\nstray\r\n", "subject s"},
        LoadCase{"TextAfterBodyKeyIgnored", "BODYTEXT=ignored\r\nl1\r\n", "body [l1]"},
        LoadCase{"WholeLineKept", "BODYTEXT=\r\n a=b \r\n TO=x<y>\r\nto=x\r\n=\r\n",
                 "body [ a=b ][ TO=x<y>][to=x][=]"},
        LoadCase{"LaterKeyEndsBody",
                 "BODYTEXT=\r\nl1\r\nTO=a<b>\r\nl2\r\nBODYTEXT=\r\nl3\r\n",
                 "to [a|b]; body [l1][l3]"},
        LoadCase{"SecondBodyKeyContinues", "BODYTEXT=\r\nl1\r\nBODYTEXT=\r\nl2\r\n",
                 "body [l1][l2]"}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Smtp, LoadTable,
    testing::Values(
        LoadCase{"ServerAndPort", "SMTP=mail.x.jp:587\r\n", "smtp mail.x.jp:587"},
        LoadCase{"PortAlone", "SMTP=25\r\n", "smtp :25"},
        LoadCase{"EmptyServer", "SMTP=:25\r\n", "smtp :25"},
        LoadCase{"SpacesBeforePort", "SMTP= mail: 25\r\n", "smtp  mail:25"},
        LoadCase{"HexPort", "SMTP=mail:$1F\r\n", "smtp mail:31"},
        LoadCase{"NegativePort", "SMTP=mail:-1\r\n", "smtp mail:-1"}),
    [](const auto& info) { return std::string(info.param.name); });

struct SmtpErrorCase {
    const char* name;
    std::string file;
    std::string message;
    std::string fields;  // what the record holds after the failed load
};

void PrintTo(const SmtpErrorCase& c, std::ostream* os) { *os << testing::PrintToString(c.file); }

class SmtpErrorTable : public testing::TestWithParam<SmtpErrorCase> {};

TEST_P(SmtpErrorTable, StopsLoadWithConversionError) {
    ScratchDir dir;
    tvl::TMailData data;
    try {
        data.LoadDefinition(dir.write("mail.def", GetParam().file));
        ADD_FAILURE() << "loaded";
    } catch (const klv::EConvertError& e) {
        EXPECT_EQ(std::string(e.what()), GetParam().message);
    }
    EXPECT_EQ(Describe(data), GetParam().fields);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SmtpErrorTable,
    testing::Values(
        SmtpErrorCase{"HostAlone", "SMTP=mail.x.jp\r\n", "'mail.x.jp' は整数ではありません", ""},
        SmtpErrorCase{"TrailingBlank", "SMTP=mail:25 \r\n", "'25 ' は整数ではありません",
                      "smtp mail:0"},
        SmtpErrorCase{"EmptyValue", "SMTP=\r\n", "'' は整数ではありません", ""},
        // A server typed as host:port is saved with a second port, and does not load back.
        SmtpErrorCase{"SecondColon", "SMTP=mail:25:25\r\n", "'25:25' は整数ではありません",
                      "smtp mail:0"},
        SmtpErrorCase{"QuotedFromWindows31J", "SMTP=\x83\x7A\x83\x58\x83\x67\r\n",
                      "'ホスト' は整数ではありません", ""},
        SmtpErrorCase{"LaterLinesNotRead",
                      "SMTP=old:25\r\nSUBJECT=a\r\nSMTP=new:x\r\nSUBJECT=b\r\nBODYTEXT=\r\nl\r\n",
                      "'x' は整数ではありません", "smtp new:25; subject a"}),
    [](const auto& info) { return std::string(info.param.name); });

tvl::TMailData SampleRecord() {
    tvl::TMailData d;
    d.FSMTPServer = "mail.example.jp";
    d.FSMTPPort = 25;
    d.AddTo("Taro", "a@example.jp");
    d.AddTo(W("山田 太郎"), "b@example.jp");
    d.AddTo("", "c@example.jp");
    d.FFromName = " \tTaro \"T\"  ";
    d.FFromAddress = "t@example.jp";
    d.FSubject = W("【報告】表示");
    d.FBodyLines.add("line 1");
    d.FBodyLines.add("");
    d.FBodyLines.add(W("　以上"));
    return d;
}

TEST(SaveDefinition, WritesTheSevenLinesExactly) {
    ScratchDir dir;
    SampleRecord().SaveDefinition(dir.path("out.def"));
    EXPECT_EQ(dir.read("out.def"),
              "SMTP=mail.example.jp:25\r\n"
              "TO=Taro<a@example.jp>,\"" + W("山田 太郎") + "<b@example.jp>\",<c@example.jp>\r\n"
              "CC=\r\n"
              "FROM=\"Taro \"\"T\"\"\"<t@example.jp>\r\n"
              "SUBJECT=" + W("【報告】表示") + "\r\n"
              "BODYTEXT=\r\n"
              "line 1\r\n"
              "\r\n" + W("　以上") + "\r\n");

    tvl::TMailData empty;
    empty.FSMTPPort = -1;
    empty.SaveDefinition(dir.path("empty.def"));
    EXPECT_EQ(dir.read("empty.def"),
              "SMTP=:-1\r\nTO=\r\nCC=\r\nFROM=\"\"<>\r\nSUBJECT=\r\nBODYTEXT=\r\n");
}

TEST(SaveDefinition, ReadsBackTheSameRecord) {
    ScratchDir dir;
    tvl::TMailData saved = SampleRecord();
    saved.AddCc("with \"quote\"", "q@example.jp");
    saved.AddCc("with, comma", "k@example.jp");
    saved.AddCc(W("表\t能"), "j@example.jp");
    saved.FBodyLines.add("  indented \"quoted\", ");
    saved.FBodyLines.add("");
    saved.SaveDefinition(dir.path("mail.def"));

    tvl::TMailData loaded;
    loaded.LoadDefinition(dir.path("mail.def"));
    std::string expected = Describe(saved);
    // The From name comes back trimmed.
    expected.replace(expected.find(saved.FFromName), saved.FFromName.size(), "Taro \"T\"");
    EXPECT_EQ(Describe(loaded), expected);
}

// From addresses that comma text would split: the FROM= line must still read back as two
// items, or the sender is lost on the next load.
struct FromAddressCase {
    const char* name;
    std::string address;
};

class FromAddressTable : public testing::TestWithParam<FromAddressCase> {};

TEST_P(FromAddressTable, ReadsBack) {
    ScratchDir dir;
    tvl::TMailData saved;
    saved.FFromName = "I";
    saved.FFromAddress = GetParam().address;
    saved.SaveDefinition(dir.path("mail.def"));
    tvl::TMailData loaded;
    loaded.LoadDefinition(dir.path("mail.def"));
    EXPECT_EQ(Describe(loaded), Describe(saved)) << testing::PrintToString(dir.read("mail.def"));
}

INSTANTIATE_TEST_SUITE_P(
    Table, FromAddressTable,
    testing::Values(FromAddressCase{"ControlByte", "\x01"},
                    FromAddressCase{"Blank", "taro @example.jp"},
                    FromAddressCase{"Comma", "a@x.jp,b@x.jp"},
                    FromAddressCase{"QuoteAndBlank", "\"t a\"@x.jp"}),
    [](const auto& info) { return std::string(info.param.name); });

// A file as the original platform's window saves it loads unchanged and saves byte for byte.
TEST(DefinitionFile, WindowSavedFileSavesBackIdentically) {
    ScratchDir dir;
    std::string fixture = std::string(TEST_DATA_DIR) + "/saved-by-window.def";
    tvl::TMailData data;
    data.LoadDefinition(fixture);
    EXPECT_EQ(Describe(data),
              W("smtp smtp.example.jp:25; "
                "to [山田|yamada@example.jp][佐藤 花子|hanako@example.jp][|ops@example.jp]; "
                "cc [運用, 夜間|night@example.jp]; "
                "from [監視システム|monitor@example.jp]; "
                "subject 【日次報告】サーバー状態表; "
                "body [各位][][本日の状態は以下のとおりです。][　－ディスク使用率：７５％　][以上]"));
    data.SaveDefinition(dir.path("again.def"));
    EXPECT_EQ(dir.read("again.def"), klv::ReadWholeFile(fixture));
}

TEST(LoadDefinition, UnreadableFileLeavesRecordUntouched) {
    ScratchDir dir;
    std::filesystem::create_directory(dir.path("folder"));
    tvl::TMailData data = SampleRecord();
    const std::string before = Describe(data);
    for (const char* name : {"missing.def", "folder"}) {
        try {
            data.LoadDefinition(dir.path(name));
            ADD_FAILURE() << "loaded " << name;
        } catch (const klv::EFOpenError& e) {
            EXPECT_EQ(std::string(e.what()), "ファイル \"" + dir.path(name) + "\". " +
                                                 std::strerror(name[0] == 'm' ? ENOENT : EISDIR) +
                                                 " は開けません");
        }
        EXPECT_EQ(Describe(data), before);
    }
}

TEST(SaveDefinition, UncreatableFileRaisesCreateError) {
    ScratchDir dir;
    std::string plain = dir.write("plain", "x");
    try {
        SampleRecord().SaveDefinition(plain + "/mail.def");
        ADD_FAILURE() << "saved below a regular file";
    } catch (const klv::EFCreateError& e) {
        EXPECT_EQ(std::string(e.what()), "ファイル \"" + plain + "/mail.def\". " +
                                             std::strerror(ENOTDIR) + " を作成できません");
    }
}

}  // namespace
