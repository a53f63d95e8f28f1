// The window's file actions: checking the entries, saving (and sending), loading, clearing.
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QTextBlock>
#include <filesystem>
#include <vector>

#include "app/window/AddressTableModel.h"
#include "app/window/ConfigForm.h"
#include "app/window/FormText.h"
#include "app/window/Prompts.h"
#include "maildef/Addresses.h"
#include "maildef/MailData.h"
#include "support/Exceptions.h"

namespace tvl {

namespace {

namespace fs = std::filesystem;

// An entry the window refuses to save, with the control that gets the focus.
struct TInputError {
    QWidget* Field;
    QString Text;
    int BodyLine = -1;  // 0-based line of the body editor to put the cursor on
};

// The keys of the definition file: a body line starting with one is read back as that key.
constexpr const char* DefinitionKeys[] = {"SMTP=", "TO=", "CC=", "FROM=", "SUBJECT=", "BODYTEXT="};

using TLoadedBytes = QHash<QString, std::string>;

std::string FieldBytes(const TLoadedBytes& loaded, QWidget* field, const QString& label,
                       const QString& text) {
    if (auto found = loaded.constFind(text); found != loaded.cend()) return *found;
    // Reading a definition stops at a NUL byte.
    if (text.contains(QChar(u'\0')))
        throw TInputError{field, label + QStringLiteral("に NUL 文字 (U+0000) は保存できません。")};
    try {
        return ToWindows31J(text);
    } catch (const klv::EEncodingError& e) {
        throw TInputError{field, label + u'の' + QString::fromUtf8(e.what()) + u'。'};
    }
}

void AddRows(const TLoadedBytes& loaded, QTableView* grid, const QString& label,
             const TAddressTableModel& table, TMailData& data,
             void (TMailData::*add)(std::string_view, std::string_view)) {
    for (int row = 0; row < table.Count(); ++row)
        (data.*add)(FieldBytes(loaded, grid, label, table.MailName(row)),
                    FieldBytes(loaded, grid, label, table.MailAddress(row)));
}

bool IsReadOnly(const fs::path& file) {
    constexpr auto write = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    std::error_code ec;
    const fs::file_status status = fs::status(file, ec);
    return !ec && fs::is_regular_file(status) && (status.permissions() & write) == fs::perms::none;
}

void SetReadOnly(const fs::path& file, bool readOnly) {
    constexpr auto write = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    std::error_code ec;
    if (readOnly)
        fs::permissions(file, write, fs::perm_options::remove, ec);
    else
        fs::permissions(file, fs::perms::owner_write, fs::perm_options::add, ec);
    if (ec)
        throw klv::EFCreateError("ファイル \"" + file.string() + "\" の読み取り専用属性を変更できません。" +
                                 ec.message());
}

struct TRowTexts {
    QString Name;
    QString Address;
};

// A loaded definition in the window's texts, converted whole before any control changes.
struct TFormEntries {
    std::vector<TRowTexts> To;
    std::vector<TRowTexts> Cc;
    QString FromName, FromAddress, Subject, Server, Body;
    int Port = 0;
};

// Converts the bytes and remembers them under their text.
QString Loaded(TLoadedBytes& loaded, const std::string& bytes) {
    QString text = FromWindows31J(bytes);
    loaded.insert(text, bytes);
    return text;
}

TFormEntries EntriesOf(const TMailData& data, TLoadedBytes& loaded) {
    TFormEntries e;
    for (std::size_t i = 0; i < data.ToCount(); ++i)
        e.To.push_back({Loaded(loaded, data.ToName(i)), Loaded(loaded, data.ToAddress(i))});
    for (std::size_t i = 0; i < data.CcCount(); ++i)
        e.Cc.push_back({Loaded(loaded, data.CcName(i)), Loaded(loaded, data.CcAddress(i))});
    e.FromName = Loaded(loaded, data.FFromName);
    e.FromAddress = Loaded(loaded, data.FFromAddress);
    e.Subject = Loaded(loaded, data.FSubject);
    e.Server = Loaded(loaded, data.FSMTPServer);
    for (std::size_t i = 0; i < data.FBodyLines.size(); ++i) {
        if (i > 0) e.Body += u'\n';
        e.Body += Loaded(loaded, data.FBodyLines[i]);
    }
    // The port editor would clamp it, and the next save would write another port.
    if (data.FSMTPPort < 1 || data.FSMTPPort > 65535)
        throw klv::ERangeError("SMTP ポート番号 " + std::to_string(data.FSMTPPort) +
                               " は 1 ～ 65535 の範囲にありません");
    e.Port = data.FSMTPPort;
    return e;
}

void FillTable(TAddressTableModel& table, QTableView& grid, const std::vector<TRowTexts>& rows) {
    table.Clear();
    for (const TRowTexts& row : rows) table.Append(row.Name, row.Address);
    if (!rows.empty()) grid.setCurrentIndex(table.index(0, TAddressTableModel::colMailName));
}

const char* const SendFailedText =
    "送信に失敗しました。\r\nSMTP サーバ名とポートが正しいか、\r\n"
    "もしくはファイアウオール等でブロックしていないか確認してください。";

}  // namespace

// Everything a send changes in the window, undone on every way out of it.
class T_ConfigForm::TSendingState {
public:
    explicit TSendingState(T_ConfigForm& form) : FForm(form) {
        FForm.FSending = true;
        FForm.aclConfigUpdate();
        FForm.prgSend->setRange(0, 0);  // busy until the message data flows
        FForm.prgSend->show();
        QApplication::setOverrideCursor(Qt::BusyCursor);
    }
    ~TSendingState() {
        QApplication::restoreOverrideCursor();
        FForm.prgSend->hide();
        FForm.FSending = false;
        FForm.aclConfigUpdate();
    }
    TSendingState(const TSendingState&) = delete;
    TSendingState& operator=(const TSendingState&) = delete;

private:
    T_ConfigForm& FForm;
};

void T_ConfigForm::ValidateInput() {
    if (memTO->Count() == 0)
        throw TInputError{btnTOAdd, QStringLiteral("宛先（To）は、最低ひとつ必要です。")};
    bool valid = false;
    try {
        valid = IsValidMailAddress(ToWindows31J(BlankTrimmed(edtFromAddress->text())));
    } catch (const klv::EEncodingError&) {
    }
    if (!valid)
        throw TInputError{edtFromAddress,
                          QString::fromStdString(MailAddressErrorText("「From メールアドレス」"))};
    const QString server = BlankTrimmed(edtSMTPServer->text());
    if (server.isEmpty())
        throw TInputError{edtSMTPServer, QStringLiteral("SMTP サーバを指定してください。")};
    // The file keeps server and port as server:port and splits at the first ":".
    if (server.contains(u':'))
        throw TInputError{edtSMTPServer,
                          QStringLiteral("SMTP サーバに「:」は入力できません。"
                                         "ポート番号は「SMTP ポート番号」に入力してください。")};
    const QStringList lines = memBodyText->toPlainText().split(u'\n');
    for (qsizetype i = 0; i < lines.size(); ++i)
        for (const char* key : DefinitionKeys)
            if (lines[i].startsWith(QLatin1String(key)))
                throw TInputError{memBodyText,
                                  QStringLiteral("本文の %1 行目が「%2」で始まっています。"
                                                 "読み込むときに本文として読まれないため、保存できません。")
                                      .arg(i + 1)
                                      .arg(QLatin1String(key)),
                                  static_cast<int>(i)};
}

void T_ConfigForm::FormToMailData(TMailData& data) const {
    const TLoadedBytes& loaded = FLoadedBytes;
    AddRows(loaded, grdTO, QStringLiteral("To アドレスリスト"), *memTO, data, &TMailData::AddTo);
    AddRows(loaded, grdCC, QStringLiteral("Cc アドレスリスト"), *memCC, data, &TMailData::AddCc);
    data.FFromName = FieldBytes(loaded, edtFromName, QStringLiteral("From 名前"),
                                BlankTrimmed(edtFromName->text()));
    data.FFromAddress = FieldBytes(loaded, edtFromAddress, QStringLiteral("From メールアドレス"),
                                   BlankTrimmed(edtFromAddress->text()));
    data.FSubject = FieldBytes(loaded, edtSubject, QStringLiteral("件名"), edtSubject->text());
    // The typed lines, not the editor's display wrapping.
    for (const QString& line : memBodyText->toPlainText().split(u'\n'))
        data.FBodyLines.add(FieldBytes(loaded, memBodyText, QStringLiteral("本文"), line));
    data.FSMTPServer = FieldBytes(loaded, edtSMTPServer, QStringLiteral("SMTP サーバ"),
                                  BlankTrimmed(edtSMTPServer->text()));
    data.FSMTPPort = edtSMTPPort->value();
}

void T_ConfigForm::acnSaveToFileExecute() {
    TMailData data;
    try {
        ValidateInput();
        FormToMailData(data);
    } catch (const TInputError& e) {
        FPrompts.Show(this, ErrorBox(e.Text));
        e.Field->setFocus();
        if (e.BodyLine >= 0)
            memBodyText->setTextCursor(QTextCursor(memBodyText->document()->findBlockByNumber(e.BodyLine)));
        return;
    }
    const QString path = FPrompts.AskSaveFileName(this);
    if (path.isEmpty()) return;
    try {
        SaveAndOfferSend(path, data);
    } catch (const std::exception& e) {
        FPrompts.Show(this, ErrorBox(QString::fromUtf8(e.what())));
    }
}

void T_ConfigForm::SaveAndOfferSend(const QString& path, TMailData& data) {
    const fs::path file(QFile::encodeName(path).toStdString());
    if (IsReadOnly(file)) SetReadOnly(file, false);
    data.SaveDefinition(file.string());
    SetReadOnly(file, true);
    if (!FPrompts.Show(this, ConfirmationBox(QStringLiteral("保存しました。\r\n今すぐにメールを送信しますか？"))))
        return;
    Send(data);
}

void T_ConfigForm::Send(TMailData& data) {
    data.OnProgress = [bar = prgSend](QObject*, std::int64_t total, std::int64_t current) {
        bar->setRange(0, 1000);
        bar->setValue(total > 0 ? static_cast<int>(current * 1000 / total) : 0);
    };
    bool sent = false;
    {
        TSendingState state(*this);
        sent = data.SendMail();
    }
    if (!sent) throw klv::Exception(SendFailedText);
    FPrompts.Show(this, InformationBox(QStringLiteral("送信しました。")));
}

void T_ConfigForm::acnLoadFromFileExecute() {
    const QString path = FPrompts.AskOpenFileName(this);
    if (path.isEmpty()) return;
    TMailData data;
    data.LoadDefinition(QFile::encodeName(path).toStdString());
    MailDataToForm(data);
}

void T_ConfigForm::MailDataToForm(const TMailData& data) {
    TLoadedBytes loaded;
    const TFormEntries e = EntriesOf(data, loaded);
    FLoadedBytes = std::move(loaded);
    FillTable(*memTO, *grdTO, e.To);
    FillTable(*memCC, *grdCC, e.Cc);
    edtFromName->setText(e.FromName);
    edtFromAddress->setText(e.FromAddress);
    edtSubject->setText(e.Subject);
    edtSMTPServer->setText(e.Server);
    edtSMTPPort->setValue(e.Port);
    memBodyText->setPlainText(e.Body);
}

void T_ConfigForm::acnClearExecute() {
    memTO->Clear();
    memCC->Clear();
    FLoadedBytes.clear();
    for (QLineEdit* editor : {edtFromName, edtFromAddress, edtSubject, edtSMTPServer}) editor->clear();
    edtSMTPPort->setValue(25);
    memBodyText->clear();
}

}  // namespace tvl
