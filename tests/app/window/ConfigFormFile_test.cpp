// Saving, sending and loading from the window, against real files and a loopback SMTP server.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProgressBar>
#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/Codec.h"
#include "tests/app/window/FormFixture.h"
#include "tests/app/window/LoopbackSmtp.h"

namespace {

namespace fs = std::filesystem;
using apptest::LoopbackSmtp;

std::string ReadBytes(const QString& path) {
    std::ifstream in(QFile::encodeName(path).toStdString(), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteBytes(const QString& path, const std::string& bytes) {
    std::ofstream(QFile::encodeName(path).toStdString(), std::ios::binary) << bytes;
}

bool IsReadOnly(const QString& path) {
    const auto p = fs::status(QFile::encodeName(path).toStdString()).permissions();
    return (p & (fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write)) == fs::perms::none;
}

class FileTest : public apptest::FormTest {
protected:
    QTemporaryDir dir;
    QString Path(const char* name) const { return dir.filePath(QString::fromUtf8(name)); }

    // The entries of the window's file format example, typed in.
    void FillExample(const QString& server) {
        AddRow(form->btnTOAdd, QStringLiteral("Taro"), QStringLiteral("a@example.jp"));
        AddRow(form->btnTOAdd, QStringLiteral("山田 太郎"), QStringLiteral("b@example.jp"));
        AddRow(form->btnTOAdd, QString(), QStringLiteral("c@example.jp"));
        AddRow(form->btnCCAdd, QStringLiteral("運用チーム"), QStringLiteral("ops@example.jp"));
        apptest::Type(form->edtFromName, QStringLiteral(" 佐藤 \"花子\" "));
        apptest::Type(form->edtFromAddress, QStringLiteral("hanako@example.jp "));
        apptest::Type(form->edtSubject, QStringLiteral(" 月次報告（１２月） "));
        form->memBodyText->setPlainText(QStringLiteral("佐藤様\n\n ①　稼働率：９９．９８％\n.\n以上"));
        apptest::Type(form->edtSMTPServer, server);
        form->edtSMTPPort->setValue(2525);
    }

    static std::string ExampleBytes(const std::string& server) {
        return klv::Windows31JFromUtf8(
            "SMTP=" + server + ":2525\r\n"
            "TO=Taro<a@example.jp>,\"山田 太郎<b@example.jp>\",<c@example.jp>\r\n"
            "CC=運用チーム<ops@example.jp>\r\n"
            "FROM=\"佐藤 \"\"花子\"\"\"<hanako@example.jp>\r\n"
            "SUBJECT= 月次報告（１２月） \r\n"
            "BODYTEXT=\r\n"
            "佐藤様\r\n\r\n ①　稼働率：９９．９８％\r\n.\r\n以上\r\n");
    }
};

TEST_F(FileTest, SaveWritesTheDefinitionReadOnlyAndNoSendsNothing) {
    LoopbackSmtp server;
    FillExample(QStringLiteral(" 127.0.0.1 "));
    prompts.SaveFileName = Path("report");
    prompts.Answers = {false};
    QTest::mouseClick(form->btnSaveToFile, Qt::LeftButton);
    EXPECT_EQ(prompts.Texts(), QStringList{QStringLiteral("保存しました。\r\n今すぐにメールを送信しますか？")});
    EXPECT_EQ(prompts.Boxes[0].Title, QStringLiteral("確認"));
    EXPECT_EQ(ReadBytes(Path("report")), ExampleBytes("127.0.0.1"));
    EXPECT_TRUE(IsReadOnly(Path("report")));
    QTest::qWait(50);
    EXPECT_TRUE(server.Commands.empty());
}

TEST_F(FileTest, SaveReplacesAnExistingReadOnlyFileAndLeavesItReadOnly) {
    WriteBytes(Path("old.def"), "SMTP=old:25\r\nTO=<x@example.jp>\r\nSOMETHING LONGER THAN THE NEW FILE\r\n");
    fs::permissions(QFile::encodeName(Path("old.def")).toStdString(), fs::perms::owner_read | fs::perms::group_read);
    FillExample(QStringLiteral("mail.example.jp"));
    prompts.SaveFileName = Path("old.def");
    QTest::mouseClick(form->btnSaveToFile, Qt::LeftButton);
    EXPECT_EQ(prompts.Boxes.size(), 1u);
    EXPECT_EQ(ReadBytes(Path("old.def")), ExampleBytes("mail.example.jp"));
    EXPECT_TRUE(IsReadOnly(Path("old.def")));
}

TEST_F(FileTest, ASaveThatCannotCreateTheFileShowsWhyAndOffersNoSend) {
    FillSavable();
    prompts.SaveFileName = Path("missing-folder/x.def");
    QTest::mouseClick(form->btnSaveToFile, Qt::LeftButton);
    ASSERT_EQ(prompts.Boxes.size(), 1u);
    EXPECT_EQ(prompts.Boxes[0].Title, QStringLiteral("エラー"));
    EXPECT_TRUE(prompts.Boxes[0].Text.endsWith(QStringLiteral(" を作成できません"))) << prompts.Boxes[0].Text.toStdString();
}

TEST_F(FileTest, ACancelledSaveDialogWritesNothing) {
    FillSavable();
    prompts.SaveFileName.clear();
    QTest::mouseClick(form->btnSaveToFile, Qt::LeftButton);
    EXPECT_TRUE(prompts.Boxes.empty());
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
}

TEST_F(FileTest, YesSendsWithEveryActionDisabledUntilTheServerHasAnswered) {
    LoopbackSmtp server;
    FillExample(QStringLiteral("127.0.0.1"));
    form->edtSMTPPort->setValue(server.Port());
    std::vector<QAction*> enabledDuringSend;
    bool closedDuringSend = true;
    bool busyDuringSend = false;
    server.OnCommand = [&](const std::string& command) {
        if (!command.starts_with("MAIL FROM")) return;
        for (QAction* a : form->findChildren<QAction*>())
            if (a->isEnabled()) enabledDuringSend.push_back(a);
        busyDuringSend = form->prgSend->isVisible() && QApplication::overrideCursor() != nullptr;
        closedDuringSend = form->close();
    };
    prompts.SaveFileName = Path("send.def");
    prompts.Answers = {true};
    QTest::mouseClick(form->btnSaveToFile, Qt::LeftButton);

    EXPECT_EQ(prompts.Texts(), (QStringList{QStringLiteral("保存しました。\r\n今すぐにメールを送信しますか？"),
                                            QStringLiteral("送信しました。")}));
    EXPECT_EQ(prompts.Boxes[1].Kind, tvl::TBoxKind::Information);
    EXPECT_EQ(prompts.Boxes[1].Title, QStringLiteral("情報"));
    EXPECT_NE(server.Commands.find("RCPT TO: <b@example.jp>"), std::string::npos) << server.Commands;
    EXPECT_NE(server.Commands.find("RCPT TO: <ops@example.jp>"), std::string::npos);
    EXPECT_NE(server.Data.find("\r\n..\r\n"), std::string::npos);  // the "." line arrives stuffed

    EXPECT_TRUE(enabledDuringSend.empty());
    EXPECT_FALSE(closedDuringSend);
    EXPECT_TRUE(busyDuringSend);
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(form->prgSend->isVisible());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(form->acnSaveToFile->isEnabled());
    EXPECT_TRUE(form->acnExit->isEnabled());
}

TEST_F(FileTest, ARefusingServerShowsTheSendingFailedBoxAndTheFileStays) {
    LoopbackSmtp server;
    server.RcptReply = "550 5.1.1 no such user";
    FillSavable();
    form->edtSMTPPort->setValue(server.Port());
    prompts.SaveFileName = Path("fail.def");
    prompts.Answers = {true};
    QTest::mouseClick(form->btnSaveToFile, Qt::LeftButton);
    ASSERT_EQ(prompts.Boxes.size(), 2u);
    EXPECT_EQ(prompts.Boxes[1].Title, QStringLiteral("エラー"));
    EXPECT_EQ(prompts.Boxes[1].Text,
              QStringLiteral("送信に失敗しました。\r\nSMTP サーバ名とポートが正しいか、\r\n"
                             "もしくはファイアウオール等でブロックしていないか確認してください。"));
    EXPECT_TRUE(QFile::exists(Path("fail.def")));
    EXPECT_TRUE(form->acnSaveToFile->isEnabled());
}

TEST_F(FileTest, LoadRestoresEverythingAndSavesTheSameBytes) {
    const QString sample = QStringLiteral(TARVELLE_SOURCE_DIR "/examples/sample.def");
    FillSavable();
    prompts.OpenFileName = sample;
    QTest::mouseClick(form->btnLoadFromFile, Qt::LeftButton);
    ASSERT_TRUE(prompts.Boxes.empty()) << prompts.Boxes[0].Text.toStdString();
    ASSERT_EQ(form->memTO->Count(), 2);
    EXPECT_EQ(form->memTO->MailName(0), QStringLiteral("佐藤 花子"));
    EXPECT_EQ(form->memTO->MailAddress(0), QStringLiteral("hanako@example.jp"));
    EXPECT_EQ(form->memTO->MailName(1), QString());
    EXPECT_EQ(form->memTO->MailAddress(1), QStringLiteral("report@example.jp"));
    EXPECT_EQ(CurrentRow(form->grdTO), 0);
    ASSERT_EQ(form->memCC->Count(), 1);
    EXPECT_EQ(form->memCC->MailName(0), QStringLiteral("運用チーム"));
    EXPECT_EQ(form->edtFromName->text(), QStringLiteral("山田 太郎"));
    EXPECT_EQ(form->edtFromAddress->text(), QStringLiteral("taro@example.jp"));
    EXPECT_EQ(form->edtSubject->text(), QStringLiteral("月次報告：サーバー稼働状況（１２月）"));
    EXPECT_EQ(form->edtSMTPServer->text(), QStringLiteral("localhost"));
    EXPECT_EQ(form->edtSMTPPort->value(), 25);
    EXPECT_TRUE(form->memBodyText->toPlainText().startsWith(QStringLiteral("佐藤様\n\nいつもお世話になっております。㈱タルヴェル")));

    prompts.SaveFileName = Path("again.def");
    prompts.Answers = {false};
    QTest::mouseClick(form->btnSaveToFile, Qt::LeftButton);
    EXPECT_EQ(ReadBytes(Path("again.def")), ReadBytes(sample));
}

TEST_F(FileTest, LoadKeepsLongTextsWholeAndTheDialogShowsThem) {
    const std::string longName(60, 'n');  // above the dialog's 50 bytes
    const std::string longSubject(40000, 's');  // above QLineEdit's default length
    WriteBytes(Path("long.def"), "SMTP=h:25\r\nTO=" + longName + "<a@example.jp>\r\nSUBJECT=" + longSubject +
                                     "\r\nBODYTEXT=\r\nb\r\n");
    prompts.OpenFileName = Path("long.def");
    QTest::mouseClick(form->btnLoadFromFile, Qt::LeftButton);
    ASSERT_TRUE(prompts.Boxes.empty());
    EXPECT_EQ(form->memTO->MailName(0).toStdString(), longName);
    EXPECT_EQ(form->edtSubject->text().toStdString(), longSubject);
    QString shown;
    apptest::WhenModal<tvl::T_EditMailAddress>([&](tvl::T_EditMailAddress& d) {
        shown = d.edtMailName->text();
        QTest::mouseClick(d.btnOK, Qt::LeftButton);
    });
    QTest::mouseClick(form->btnTOEdit, Qt::LeftButton);
    EXPECT_EQ(shown.toStdString(), longName);
    EXPECT_EQ(form->memTO->MailName(0).toStdString(), longName);
}

struct BadFile {
    const char* name;
    const char* bytes;  // nullptr: no file at all
    const char* textPart;
};

class LoadRefuses : public FileTest, public testing::WithParamInterface<BadFile> {};

TEST_P(LoadRefuses, WithTheApplicationBoxAndKeepsTheEntries) {
    FillSavable();
    form->edtSMTPPort->setValue(587);
    const QString path = Path("bad.def");
    if (GetParam().bytes) WriteBytes(path, GetParam().bytes);
    prompts.OpenFileName = path;
    QTest::mouseClick(form->btnLoadFromFile, Qt::LeftButton);
    ASSERT_EQ(prompts.Boxes.size(), 1u);
    const tvl::TMessageBox& box = prompts.Boxes[0];
    EXPECT_EQ(box.Title, QStringLiteral("タルヴェル"));
    EXPECT_EQ(box.Kind, tvl::TBoxKind::Error);
    EXPECT_TRUE(box.Text.contains(QString::fromUtf8(GetParam().textPart))) << box.Text.toStdString();
    EXPECT_TRUE(box.Text.endsWith(u'.')) << box.Text.toStdString();
    EXPECT_EQ(form->memTO->Count(), 1);
    EXPECT_EQ(form->memTO->MailName(0), QStringLiteral("Taro"));
    EXPECT_EQ(form->edtSMTPServer->text(), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(form->edtSMTPPort->value(), 587);
    EXPECT_EQ(form->memBodyText->toPlainText(), QStringLiteral("本文"));
}

INSTANTIATE_TEST_SUITE_P(
    Files, LoadRefuses,
    testing::Values(
        BadFile{"Missing", nullptr, " は開けません"},
        BadFile{"PortNotANumber", "TO=<x@example.jp>\r\nSMTP=mail.example.jp:smtp\r\n", "'smtp' は整数ではありません"},
        BadFile{"PortAboveRange", "SMTP=mail.example.jp:70000\r\nTO=<x@example.jp>\r\n", "70000"},
        BadFile{"PortZero", "SMTP=mail.example.jp:0\r\nTO=<x@example.jp>\r\n", "SMTP ポート番号 0 は"},
        BadFile{"NoSmtpLine", "TO=<x@example.jp>\r\n", "SMTP ポート番号 0 は"},
        BadFile{"NotWindows31J", "SMTP=h:25\r\nSUBJECT=\x81\x20\r\n", "Windows-31J"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
