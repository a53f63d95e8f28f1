#include "app/window/ConfigForm.h"

#include <QAction>
#include <QFontInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QRawFont>

#include "tests/app/window/FormFixture.h"

namespace {

using apptest::FormTest;

// Enabling -------------------------------------------------------------------------------

TEST_F(FormTest, SaveIsEnabledByOneToRowAndTheFourTexts) {
    EXPECT_FALSE(form->acnSaveToFile->isEnabled());
    EXPECT_FALSE(form->btnSaveToFile->isEnabled());
    EXPECT_FALSE(form->acnTOEdit->isEnabled());
    EXPECT_FALSE(form->acnCCDelete->isEnabled());
    EXPECT_TRUE(form->acnTOAdd->isEnabled());
    FillSavable();
    EXPECT_TRUE(form->acnSaveToFile->isEnabled());
    EXPECT_TRUE(form->btnSaveToFile->isEnabled());
    EXPECT_TRUE(form->acnTOEdit->isEnabled());
    EXPECT_TRUE(form->acnTODelete->isEnabled());
    EXPECT_FALSE(form->acnCCEdit->isEnabled());  // the Cc list plays no part
    form->edtFromName->clear();
    EXPECT_TRUE(form->acnSaveToFile->isEnabled());
}

struct Blanking {
    const char* name;
    void (*blank)(tvl::T_ConfigForm&);
};

class SaveDisabledWhen : public FormTest, public testing::WithParamInterface<Blanking> {};

TEST_P(SaveDisabledWhen, OneInputIsMissingOrBlank) {
    FillSavable();
    GetParam().blank(*form);
    EXPECT_FALSE(form->acnSaveToFile->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, SaveDisabledWhen,
    testing::Values(
        Blanking{"NoToRow", [](tvl::T_ConfigForm& f) { f.memTO->Clear(); }},
        Blanking{"FromAddressBlanks", [](tvl::T_ConfigForm& f) { f.edtFromAddress->setText(" \t "); }},
        Blanking{"SubjectFullWidthSpaces", [](tvl::T_ConfigForm& f) { f.edtSubject->setText("　 　"); }},
        Blanking{"BodyOnlyLineBreaks", [](tvl::T_ConfigForm& f) { f.memBodyText->setPlainText("\n　\n"); }},
        Blanking{"ServerEmpty", [](tvl::T_ConfigForm& f) { f.edtSMTPServer->clear(); }}),
    [](const auto& info) { return std::string(info.param.name); });

// Rows -----------------------------------------------------------------------------------

TEST_F(FormTest, RowActionsWorkOnTheListWhoseButtonWasPressed) {
    AddRow(form->btnTOAdd, QStringLiteral("To1"), QStringLiteral("to1@example.jp"));
    AddRow(form->btnTOAdd, QStringLiteral("To2"), QStringLiteral("to2@example.jp"));
    form->grdTO->setCurrentIndex(form->memTO->index(0, 1));
    AddRow(form->btnCCAdd, QStringLiteral("Cc1"), QStringLiteral("cc1@example.jp"));
    AddRow(form->btnCCAdd, QStringLiteral("Cc2"), QStringLiteral("cc2@example.jp"));
    ASSERT_EQ(form->memTO->Count(), 2);
    ASSERT_EQ(form->memCC->Count(), 2);
    EXPECT_EQ(CurrentRow(form->grdCC), 1);  // a new row becomes current

    QString shownName;
    apptest::WhenModal<tvl::T_EditMailAddress>([&](tvl::T_EditMailAddress& d) {
        shownName = d.edtMailName->text();
        EXPECT_EQ(d.windowTitle(), QStringLiteral("名前 / メールアドレスを編集してください"));
        apptest::FormTest::Retype(d.edtMailName, QStringLiteral("運用チーム"));
        QTest::mouseClick(d.btnOK, Qt::LeftButton);
    });
    QTest::mouseClick(form->btnCCEdit, Qt::LeftButton);
    EXPECT_EQ(shownName, QStringLiteral("Cc2"));
    EXPECT_EQ(form->memCC->MailName(1), QStringLiteral("運用チーム"));
    EXPECT_EQ(form->memCC->MailAddress(1), QStringLiteral("cc2@example.jp"));
    EXPECT_EQ(form->memTO->MailName(0), QStringLiteral("To1"));
    EXPECT_EQ(form->memTO->MailName(1), QStringLiteral("To2"));
    EXPECT_EQ(CurrentRow(form->grdTO), 0);

    prompts.Answers = {false};
    QTest::mouseClick(form->btnTODelete, Qt::LeftButton);
    EXPECT_EQ(form->memTO->Count(), 2);
    prompts.Answers = {true};
    QTest::mouseClick(form->btnTODelete, Qt::LeftButton);
    ASSERT_EQ(form->memTO->Count(), 1);
    EXPECT_EQ(form->memTO->MailName(0), QStringLiteral("To2"));
    EXPECT_EQ(form->memCC->Count(), 2);
    EXPECT_EQ(prompts.Texts(), QStringList(2, QStringLiteral("選択している行を削除します。\r\nよろしいですか？")));
}

TEST_F(FormTest, ACancelledDialogLeavesTheListAlone) {
    AddRow(form->btnCCAdd, QStringLiteral("Cc1"), QStringLiteral("cc1@example.jp"));
    apptest::WhenModal<tvl::T_EditMailAddress>([](tvl::T_EditMailAddress& d) {
        apptest::Type(d.edtMailAddress, QStringLiteral("x@example.jp"));
        QTest::keyClick(d.edtMailAddress, Qt::Key_Escape);
    });
    QTest::mouseClick(form->btnCCAdd, Qt::LeftButton);
    EXPECT_EQ(form->memCC->Count(), 1);
    EXPECT_EQ(form->memTO->Count(), 0);
}

// Checks before saving --------------------------------------------------------------------

struct Check {
    const char* name;
    void (*arrange)(tvl::T_ConfigForm&);
    const char* text;
    QWidget* (*focus)(tvl::T_ConfigForm&);
};

class SaveRefuses : public FormTest, public testing::WithParamInterface<Check> {};

TEST_P(SaveRefuses, WithTheFirstFailureInOrderAndItsFocus) {
    prompts.SaveFileName = QStringLiteral("/nonexistent/never-written.def");
    GetParam().arrange(*form);
    form->activateWindow();
    form->acnSaveToFileExecute();  // also when the enabling has not caught up
    ASSERT_EQ(prompts.Boxes.size(), 1u);
    EXPECT_EQ(prompts.Boxes[0].Title, QStringLiteral("エラー"));
    EXPECT_EQ(prompts.Boxes[0].Buttons, tvl::TBoxButtons::OK);
    EXPECT_EQ(prompts.Boxes[0].Text, QString::fromUtf8(GetParam().text));
    EXPECT_EQ(form->focusWidget(), GetParam().focus(*form));
}

void ValidExceptServer(tvl::T_ConfigForm& f) {
    f.memTO->Append("Taro", "a@example.jp");
    f.edtFromAddress->setText("taro@example.jp");
    f.edtSubject->setText("s");
    f.memBodyText->setPlainText("b");
}

#define FIELD(name) [](tvl::T_ConfigForm& f) -> QWidget* { return f.name; }

INSTANTIATE_TEST_SUITE_P(
    Order, SaveRefuses,
    testing::Values(
        Check{"NoToRowComesFirst", [](tvl::T_ConfigForm& f) { f.edtFromAddress->setText("bad"); },
              "宛先（To）は、最低ひとつ必要です。", FIELD(btnTOAdd)},
        Check{"FromAddressWithoutDotInDomain",
              [](tvl::T_ConfigForm& f) { f.memTO->Append("", "a@example.jp"); f.edtFromAddress->setText("taro@localhost"); },
              "「From メールアドレス」に入力されたメールアドレスが正しくありません。", FIELD(edtFromAddress)},
        Check{"FromAddressWithFullWidthCharacter",
              [](tvl::T_ConfigForm& f) { f.memTO->Append("", "a@example.jp"); f.edtFromAddress->setText("ｔaro@example.jp"); },
              "「From メールアドレス」に入力されたメールアドレスが正しくありません。", FIELD(edtFromAddress)},
        Check{"NoServer",
              [](tvl::T_ConfigForm& f) { ValidExceptServer(f); f.edtSMTPServer->setText("  "); },
              "SMTP サーバを指定してください。", FIELD(edtSMTPServer)},
        Check{"ServerWithPort",
              [](tvl::T_ConfigForm& f) { ValidExceptServer(f); f.edtSMTPServer->setText("mail.example.jp:587"); },
              "SMTP サーバに「:」は入力できません。ポート番号は「SMTP ポート番号」に入力してください。",
              FIELD(edtSMTPServer)},
        Check{"SubjectWithoutWindows31JForm",
              [](tvl::T_ConfigForm& f) { ValidExceptServer(f); f.edtSMTPServer->setText("h"); f.edtSubject->setText("月報\xF0\x9F\x93\x88"); },
              "件名の文字「\xF0\x9F\x93\x88」(U+1F4C8) は Windows-31J で表せません。", FIELD(edtSubject)},
        Check{"FromNameWithoutWindows31JForm",
              [](tvl::T_ConfigForm& f) { ValidExceptServer(f); f.edtSMTPServer->setText("h"); f.edtFromName->setText("ソ\xE2\x84\xA2"); },
              "From 名前の文字「\xE2\x84\xA2」(U+2122) は Windows-31J で表せません。", FIELD(edtFromName)}),
    [](const auto& info) { return std::string(info.param.name); });

class BodyKeyLine : public FormTest, public testing::WithParamInterface<const char*> {};

TEST_P(BodyKeyLine, IsRefusedWithTheCursorOnIt) {
    ValidExceptServer(*form);
    form->edtSMTPServer->setText("127.0.0.1");
    const QString key = QString::fromLatin1(GetParam());
    form->memBodyText->setPlainText(QStringLiteral("一行目\n ") + key + QStringLiteral("x\n") + key + QStringLiteral("x"));
    prompts.SaveFileName = QStringLiteral("/nonexistent/never-written.def");
    form->activateWindow();
    form->acnSaveToFileExecute();
    ASSERT_EQ(prompts.Boxes.size(), 1u);
    EXPECT_EQ(prompts.Boxes[0].Text, QStringLiteral("本文の 3 行目が「%1」で始まっています。"
                                                     "読み込むときに本文として読まれないため、保存できません。").arg(key));
    EXPECT_EQ(form->focusWidget(), form->memBodyText);
    EXPECT_EQ(form->memBodyText->textCursor().blockNumber(), 2);
}

INSTANTIATE_TEST_SUITE_P(Keys, BodyKeyLine,
                         testing::Values("SMTP=", "TO=", "CC=", "FROM=", "SUBJECT=", "BODYTEXT="),
                         [](const auto& info) {
                             std::string n = info.param;
                             n.pop_back();
                             return n;
                         });

// Clear and close ----------------------------------------------------------------------------

TEST_F(FormTest, ClearEmptiesEverythingWithoutAsking) {
    FillSavable();
    AddRow(form->btnCCAdd, QStringLiteral("c"), QStringLiteral("c@example.jp"));
    form->edtFromName->setText(QStringLiteral("山田"));
    form->edtSMTPPort->setValue(2525);
    QTest::mouseClick(form->btnClear, Qt::LeftButton);
    EXPECT_EQ(form->memTO->Count(), 0);
    EXPECT_EQ(form->memCC->Count(), 0);
    for (QLineEdit* e : {form->edtFromName, form->edtFromAddress, form->edtSubject, form->edtSMTPServer})
        EXPECT_TRUE(e->text().isEmpty()) << e->objectName().toStdString();
    EXPECT_TRUE(form->memBodyText->toPlainText().isEmpty());
    EXPECT_EQ(form->edtSMTPPort->value(), 25);
    EXPECT_TRUE(prompts.Boxes.empty());
    EXPECT_FALSE(form->acnSaveToFile->isEnabled());
}

TEST_F(FormTest, EscapeAsksBeforeClosing) {
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    form->edtSubject->setFocus();
    prompts.Answers = {false};
    QTest::keyClick(form->edtSubject, Qt::Key_Escape);
    ASSERT_EQ(prompts.Texts(), QStringList{QStringLiteral("終了します。\r\nよろしいですか？")});
    EXPECT_EQ(prompts.Boxes[0].Title, QStringLiteral("確認"));
    EXPECT_TRUE(form->isVisible());
    prompts.Answers = {true};
    QTest::keyClick(form->edtSubject, Qt::Key_Escape);
    EXPECT_EQ(prompts.Boxes.size(), 2u);
    EXPECT_FALSE(form->isVisible());
}

// Layout -------------------------------------------------------------------------------------

TEST_F(FormTest, KeepsItsSizeAndPlacesAsDesigned) {
    form->resize(800, 300);
    EXPECT_EQ(form->size(), QSize(522, 653));
    EXPECT_FALSE(form->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(form->windowTitle(), QStringLiteral("簡易メール送信ツール - タルヴェル"));
    EXPECT_EQ(form->gbxCC->geometry(), QRect(8, 176, 505, 161));
    EXPECT_EQ(form->grdTO->geometry(), QRect(2, 48, 501, 111));
    EXPECT_EQ(form->memBodyText->geometry(), QRect(48, 408, 465, 130));
    EXPECT_EQ(form->btnExit->geometry(), QRect(312, 618, 201, 25));
    EXPECT_EQ(form->btnExit->text(), QStringLiteral("閉じる(&X)"));
    EXPECT_EQ(form->btnCCAdd->text(), QStringLiteral("追加する(&A)"));
    EXPECT_TRUE(form->grdCC->isColumnHidden(tvl::TAddressTableModel::colRecId));
    EXPECT_EQ(form->grdCC->columnWidth(tvl::TAddressTableModel::colMailName), 200);
    EXPECT_EQ(form->grdCC->columnWidth(tvl::TAddressTableModel::colMailAddress), 280);
    EXPECT_EQ(form->memCC->headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("名前"));
    EXPECT_EQ(form->memCC->headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("メールアドレス"));
    EXPECT_FALSE(form->edtFromAddress->testAttribute(Qt::WA_InputMethodEnabled));
    EXPECT_FALSE(form->edtSMTPServer->testAttribute(Qt::WA_InputMethodEnabled));
}

TEST_F(FormTest, PortEditorRangeAndDigitGrouping) {
    EXPECT_EQ(form->edtSMTPPort->value(), 25);
    EXPECT_EQ(form->edtSMTPPort->minimum(), 1);
    EXPECT_EQ(form->edtSMTPPort->maximum(), 65535);
    form->edtSMTPPort->setValue(65535);
    EXPECT_EQ(form->edtSMTPPort->text(), QStringLiteral("65,535"));
    EXPECT_TRUE(form->edtSMTPPort->alignment() & Qt::AlignRight);
}

TEST_F(FormTest, TabOrderFollowsTheGroupsAndTheWindow) {
    FillSavable();
    AddRow(form->btnCCAdd, QStringLiteral("c"), QStringLiteral("c@example.jp"));
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    form->grdTO->setFocus();
    QStringList order;
    for (int i = 0; i < 19; ++i) {
        QWidget* w = QApplication::focusWidget();
        ASSERT_NE(w, nullptr);
        if (w->parentWidget() == form->edtSMTPPort) w = form->edtSMTPPort;  // its inner editor
        order << w->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    EXPECT_EQ(order.join(u' '),
              QStringLiteral("grdTO btnTOAdd btnTOEdit btnTODelete grdCC btnCCDelete btnCCEdit btnCCAdd "
                             "edtFromName edtFromAddress edtSubject memBodyText edtSMTPServer edtSMTPPort "
                             "btnLoadFromFile btnSaveToFile btnAboutUs btnClear btnExit"));
}

TEST_F(FormTest, TheFontsHaveGlyphsForEveryJapaneseText) {
    EXPECT_EQ(QFontInfo(form->font()).family(), QStringLiteral("IPAPGothic"));
    EXPECT_EQ(QFontInfo(form->memBodyText->font()).family(), QStringLiteral("IPAGothic"));
    QStringList texts{form->windowTitle()};
    for (QAbstractButton* b : form->findChildren<QAbstractButton*>()) texts << b->text();
    for (QLabel* l : form->findChildren<QLabel*>()) texts << l->text();
    for (QGroupBox* g : form->findChildren<QGroupBox*>()) texts << g->title();
    texts << QStringLiteral("名前メールアドレス");
    const QFontMetrics metrics(form->font());
    const QFontMetrics body(form->memBodyText->font());
    for (const QString& text : texts)
        for (char32_t c : text.toUcs4())
            if (c > 0x20 && c != u'&') {
                EXPECT_TRUE(metrics.inFontUcs4(c)) << QString::fromUcs4(&c, 1).toStdString();
                EXPECT_TRUE(body.inFontUcs4(c)) << QString::fromUcs4(&c, 1).toStdString();
            }
}

TEST_F(FormTest, AboutShowsTheProgramsOwnTexts) {
    QString title;
    QStringList labels;
    apptest::WhenModal<QDialog>([&](QDialog& box) {
        title = box.windowTitle();
        for (QLabel* l : box.findChildren<QLabel*>()) labels << l->text();
        box.close();
    });
    QTest::mouseClick(form->btnAboutUs, Qt::LeftButton);
    EXPECT_EQ(title, QStringLiteral("簡易メール送信ツール - タルヴェル のバージョン情報"));
    EXPECT_TRUE(labels.contains(QStringLiteral("1.1.0.0")));
    EXPECT_TRUE(labels.contains(QStringLiteral("簡易メール送信ツール - タルヴェル")));
    EXPECT_TRUE(prompts.Boxes.empty());
}

}  // namespace
