#include "app/window/ConfigForm.h"

#include <QAction>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSpinBox>
#include <QTableView>
#include <algorithm>
#include <exception>
#include <limits>

#include "app/window/AddressTableModel.h"
#include "app/window/EditMailAddress.h"
#include "app/window/FormText.h"
#include "app/window/Prompts.h"

namespace tvl {

namespace {

constexpr int EditHeight = 21;

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& caption, int left, int top,
                  int width, int height, bool centred) {
    auto* label = Place(new QLabel(caption, parent), name, left, top, width, height);
    if (centred) label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return label;
}

QTableView* MakeGrid(QGroupBox* group, const char* name, TAddressTableModel* table) {
    auto* grid = Place(new QTableView(group), name, 2, 48, 501, 111);
    grid->setModel(table);
    grid->hideColumn(TAddressTableModel::colRecId);
    grid->setColumnWidth(TAddressTableModel::colMailName, 200);
    grid->setColumnWidth(TAddressTableModel::colMailAddress, 280);
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setDefaultSectionSize(20);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setTabKeyNavigation(false);  // Tab leaves the grid, as the window's tab order wants
    return grid;
}

int CurrentRow(const QTableView& grid, const TAddressTableModel& table) {
    const int row = grid.currentIndex().row();
    return row >= 0 && row < table.Count() ? row : (table.Count() > 0 ? 0 : -1);
}

void MakeCurrent(QTableView& grid, const TAddressTableModel& table, int row) {
    if (row >= 0 && row < table.Count())
        grid.setCurrentIndex(table.index(row, TAddressTableModel::colMailName));
}

}  // namespace

T_ConfigForm::T_ConfigForm(TPrompts& prompts, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      FPrompts(prompts) {
    setWindowTitle(QStringLiteral("簡易メール送信ツール - タルヴェル"));
    setFont(ProportionalFormFont());
    setFixedSize(522, 653);  // the user cannot resize it
    CreateControls();
    CreateActions();
    SetTabOrder();

    cmpAraSow.ProductName = QStringLiteral("簡易メール送信ツール - タルヴェル");
    cmpAraSow.ProductVersion = QStringLiteral("1.1.0.0");
    cmpAraSow.CompanyName = QStringLiteral("Tarvelle Project");
    cmpAraSow.Copyright = QStringLiteral("Copyright (C) 2026 Tarvelle Project");
    cmpAraSow.UseVersionInfoFromFile = false;
    cmpAraSow.SetVersionFormat(klv::vfDefaultFormat);
    cmpAraSow.Width = 500;

    if (const QScreen* shown = screen()) move(shown->availableGeometry().center() - rect().center());
    aclConfigUpdate();
}

T_ConfigForm::~T_ConfigForm() = default;

void T_ConfigForm::CreateControls() {
    memTO = new TAddressTableModel(this);
    memCC = new TAddressTableModel(this);

    gbxTO = Place(new QGroupBox(QStringLiteral("To アドレスリスト"), this), "gbxTO", 8, 8, 505, 161);
    btnTOAdd = Place(new QPushButton(gbxTO), "btnTOAdd", 16, 16, 105, 25);
    btnTOEdit = Place(new QPushButton(gbxTO), "btnTOEdit", 136, 16, 105, 25);
    btnTODelete = Place(new QPushButton(gbxTO), "btnTODelete", 256, 16, 105, 25);
    grdTO = MakeGrid(gbxTO, "grdTO", memTO);

    gbxCC = Place(new QGroupBox(QStringLiteral("Cc アドレスリスト"), this), "gbxCC", 8, 176, 505, 161);
    btnCCAdd = Place(new QPushButton(gbxCC), "btnCCAdd", 16, 16, 105, 25);
    btnCCEdit = Place(new QPushButton(gbxCC), "btnCCEdit", 136, 16, 105, 25);
    btnCCDelete = Place(new QPushButton(gbxCC), "btnCCDelete", 256, 16, 105, 25);
    grdCC = MakeGrid(gbxCC, "grdCC", memCC);

    Label2 = MakeLabel(this, "Label2", QStringLiteral("From 名前"), 8, 344, 65, 17, false);
    Label3 = MakeLabel(this, "Label3", QStringLiteral("From メールアドレス"), 200, 344, 129, 17, false);
    edtFromName = Place(new QLineEdit(this), "edtFromName", 8, 360, 185, EditHeight);
    edtFromAddress = Place(new QLineEdit(this), "edtFromAddress", 200, 360, 313, EditHeight);
    edtFromAddress->setAttribute(Qt::WA_InputMethodEnabled, false);
    Label1 = MakeLabel(this, "Label1", QStringLiteral("件名"), 11, 386, 38, 15, true);
    edtSubject = Place(new QLineEdit(this), "edtSubject", 48, 384, 465, EditHeight);
    Label4 = MakeLabel(this, "Label4", QStringLiteral("本文"), 8, 410, 41, 128, true);
    memBodyText = Place(new QPlainTextEdit(this), "memBodyText", 48, 408, 465, 130);
    memBodyText->setFont(FixedFormFont());
    memBodyText->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    memBodyText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memBodyText->setTabChangesFocus(true);
    Label5 = MakeLabel(this, "Label5", QStringLiteral("SMTP サーバ"), 8, 554, 121, 15, true);
    edtSMTPServer = Place(new QLineEdit(this), "edtSMTPServer", 88, 552, 257, EditHeight);
    edtSMTPServer->setAttribute(Qt::WA_InputMethodEnabled, false);
    Label6 = MakeLabel(this, "Label6", QStringLiteral("SMTP ポート番号"), 360, 554, 129, 15, true);
    edtSMTPPort = Place(new QSpinBox(this), "edtSMTPPort", 456, 552, 57, EditHeight);
    edtSMTPPort->setRange(1, 65535);
    edtSMTPPort->setValue(25);
    edtSMTPPort->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    edtSMTPPort->setButtonSymbols(QAbstractSpinBox::NoButtons);
    // Digit grouping with "," whatever the user's locale.
    edtSMTPPort->setLocale(QLocale(QLocale::Japanese, QLocale::Japan));
    edtSMTPPort->setGroupSeparatorShown(true);

    btnLoadFromFile = Place(new QPushButton(this), "btnLoadFromFile", 312, 586, 201, 25);
    btnSaveToFile = Place(new QPushButton(this), "btnSaveToFile", 96, 618, 201, 25);
    btnAboutUs = Place(new QPushButton(this), "btnAboutUs", 8, 618, 73, 25);
    QPalette blue = btnAboutUs->palette();
    blue.setColor(QPalette::ButtonText, Qt::blue);
    btnAboutUs->setPalette(blue);
    btnClear = Place(new QPushButton(this), "btnClear", 96, 586, 201, 25);
    btnExit = Place(new QPushButton(this), "btnExit", 312, 618, 201, 25);
    // QLineEdit cuts a text at 32767 characters by default; a loaded text stays whole.
    for (QLineEdit* editor : {edtFromName, edtFromAddress, edtSubject, edtSMTPServer})
        editor->setMaxLength(std::numeric_limits<int>::max());
    prgSend = Place(new QProgressBar(this), "prgSend", 8, 586, 81, 25);
    prgSend->setTextVisible(false);
    prgSend->hide();
}

QAction* T_ConfigForm::MakeAction(const char* name, const QString& caption, QPushButton* button) {
    auto* action = new QAction(caption, this);
    action->setObjectName(QString::fromLatin1(name));
    button->setText(caption);
    connect(button, &QPushButton::clicked, action, &QAction::trigger);
    connect(action, &QAction::enabledChanged, button, &QPushButton::setEnabled);
    return action;
}

void T_ConfigForm::Guarded(const std::function<void()>& handler) {
    // An exception through Qt's event loop would end the program.
    try {
        handler();
    } catch (const std::exception& e) {
        FPrompts.Show(this, ApplicationErrorBox(QString::fromUtf8(e.what())));
    }
}

void T_ConfigForm::CreateActions() {
    const QString add = QStringLiteral("追加する(&A)");
    const QString edit = QStringLiteral("編集する(&E)");
    const QString remove = QStringLiteral("削除する(&D)");
    acnTOAdd = MakeAction("acnTOAdd", add, btnTOAdd);
    acnTOEdit = MakeAction("acnTOEdit", edit, btnTOEdit);
    acnTODelete = MakeAction("acnTODelete", remove, btnTODelete);
    acnCCAdd = MakeAction("acnCCAdd", add, btnCCAdd);
    acnCCEdit = MakeAction("acnCCEdit", edit, btnCCEdit);
    acnCCDelete = MakeAction("acnCCDelete", remove, btnCCDelete);
    acnSaveToFile = MakeAction("acnSaveToFile", QStringLiteral("入力内容をファイルに保存する(&S)"), btnSaveToFile);
    acnLoadFromFile = MakeAction("acnLoadFromFile", QStringLiteral("既存ファイルを読み込む(&L)"), btnLoadFromFile);
    acnClear = MakeAction("acnClear", QStringLiteral("入力内容をクリアする(&C)"), btnClear);
    acnAboutUs = MakeAction("acnAboutUs", QStringLiteral("About .."), btnAboutUs);
    acnExit = MakeAction("acnExit", QStringLiteral("閉じる(&X)"), btnExit);

    for (QAction* a : {acnTOAdd, acnCCAdd})
        connect(a, &QAction::triggered, this, [this, a] { Guarded([this, a] { acnAddExecute(a); }); });
    for (QAction* a : {acnTOEdit, acnCCEdit})
        connect(a, &QAction::triggered, this, [this, a] { Guarded([this, a] { acnEditExecute(a); }); });
    for (QAction* a : {acnTODelete, acnCCDelete})
        connect(a, &QAction::triggered, this, [this, a] { Guarded([this, a] { acnDeleteExecute(a); }); });
    const std::pair<QAction*, void (T_ConfigForm::*)()> handlers[] = {
        {acnSaveToFile, &T_ConfigForm::acnSaveToFileExecute},
        {acnLoadFromFile, &T_ConfigForm::acnLoadFromFileExecute},
        {acnClear, &T_ConfigForm::acnClearExecute},
        {acnAboutUs, &T_ConfigForm::acnAboutUsExecute},
        {acnExit, &T_ConfigForm::acnExitExecute},
    };
    for (const auto& [action, handler] : handlers)
        connect(action, &QAction::triggered, this, [this, handler] { Guarded([this, handler] { (this->*handler)(); }); });

    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, btnExit, &QPushButton::click);

    // The enabled state follows every input it depends on.
    for (TAddressTableModel* table : {memTO, memCC}) {
        connect(table, &QAbstractItemModel::rowsInserted, this, &T_ConfigForm::aclConfigUpdate);
        connect(table, &QAbstractItemModel::rowsRemoved, this, &T_ConfigForm::aclConfigUpdate);
        connect(table, &QAbstractItemModel::modelReset, this, &T_ConfigForm::aclConfigUpdate);
    }
    for (QLineEdit* editor : {edtFromAddress, edtSubject, edtSMTPServer})
        connect(editor, &QLineEdit::textChanged, this, &T_ConfigForm::aclConfigUpdate);
    connect(memBodyText, &QPlainTextEdit::textChanged, this, &T_ConfigForm::aclConfigUpdate);
}

void T_ConfigForm::SetTabOrder() {
    QWidget* order[] = {grdTO, btnTOAdd, btnTOEdit, btnTODelete,
                        grdCC, btnCCDelete, btnCCEdit, btnCCAdd,
                        edtFromName, edtFromAddress, edtSubject, memBodyText, edtSMTPServer,
                        edtSMTPPort, btnLoadFromFile, btnSaveToFile, btnAboutUs, btnClear, btnExit};
    for (std::size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);
}

void T_ConfigForm::aclConfigUpdate() {
    const bool idle = !FSending;
    const bool hasTo = memTO->Count() > 0;
    const bool hasCc = memCC->Count() > 0;
    acnTOEdit->setEnabled(idle && hasTo);
    acnTODelete->setEnabled(idle && hasTo);
    acnCCEdit->setEnabled(idle && hasCc);
    acnCCDelete->setEnabled(idle && hasCc);
    acnSaveToFile->setEnabled(idle && hasTo && !IsBlankText(edtFromAddress->text()) &&
                              !IsBlankText(edtSubject->text()) &&
                              !IsBlankText(memBodyText->toPlainText()) &&
                              !IsBlankText(edtSMTPServer->text()));
    for (QAction* a : {acnTOAdd, acnCCAdd, acnLoadFromFile, acnClear, acnAboutUs, acnExit})
        a->setEnabled(idle);
}

T_ConfigForm::TList T_ConfigForm::ActiveDataSet(QAction* action) {
    if (action == acnCCAdd || action == acnCCEdit || action == acnCCDelete) return {*memCC, *grdCC};
    return {*memTO, *grdTO};
}

void T_ConfigForm::acnAddExecute(QAction* action) {
    TList list = ActiveDataSet(action);
    T_EditMailAddress dialog(this, FPrompts, QStringLiteral("追加するメールアドレスを入力してください"));
    if (dialog.exec() != QDialog::Accepted) return;
    MakeCurrent(list.Grid, list.Table, list.Table.Append(dialog.MailName(), dialog.MailAddress()));
}

void T_ConfigForm::acnEditExecute(QAction* action) {
    TList list = ActiveDataSet(action);
    const int row = CurrentRow(list.Grid, list.Table);
    if (row < 0) return;
    T_EditMailAddress dialog(this, FPrompts, QStringLiteral("名前 / メールアドレスを編集してください"),
                             list.Table.MailName(row), list.Table.MailAddress(row));
    if (dialog.exec() != QDialog::Accepted) return;
    list.Table.SetRow(row, dialog.MailName(), dialog.MailAddress());
    MakeCurrent(list.Grid, list.Table, row);
}

void T_ConfigForm::acnDeleteExecute(QAction* action) {
    TList list = ActiveDataSet(action);
    const int row = CurrentRow(list.Grid, list.Table);
    if (row < 0) return;
    if (!FPrompts.Show(this, ConfirmationBox(QStringLiteral("選択している行を削除します。\r\nよろしいですか？"))))
        return;
    list.Table.Remove(row);
    // As a dataset does: the next row becomes current, or the new last one.
    MakeCurrent(list.Grid, list.Table, std::min(row, list.Table.Count() - 1));
}

void T_ConfigForm::acnAboutUsExecute() { cmpAraSow.Execute(this); }

void T_ConfigForm::acnExitExecute() { close(); }

void T_ConfigForm::closeEvent(QCloseEvent* event) {
    if (FSending) {
        event->ignore();
        return;
    }
    const bool yes = FPrompts.Show(this, ConfirmationBox(QStringLiteral("終了します。\r\nよろしいですか？")));
    yes ? event->accept() : event->ignore();
}

}  // namespace tvl
