#include "app/window/EditMailAddress.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "app/window/FormText.h"
#include "tests/app/window/FakePrompts.h"

namespace {

using apptest::FakePrompts;
using tvl::T_EditMailAddress;

class AddressDialog : public testing::Test {
protected:
    FakePrompts prompts;
    T_EditMailAddress dialog{nullptr, prompts, QStringLiteral("追加するメールアドレスを入力してください")};

    void SetUp() override { dialog.show(); }
    void Type(QLineEdit* field, const QString& text) { apptest::Type(field, text); }
    void PressOK() { QTest::mouseClick(dialog.btnOK, Qt::LeftButton); }
    bool Accepted() const { return !dialog.isVisible() && dialog.result() == QDialog::Accepted; }
};

TEST_F(AddressDialog, OKHandsBackBothFieldsTrimmedOfBlanks) {
    Type(dialog.edtMailName, QStringLiteral(" 山田 太郎\t"));
    Type(dialog.edtMailAddress, QStringLiteral("  taro@example.jp  "));
    PressOK();
    EXPECT_TRUE(Accepted());
    EXPECT_TRUE(prompts.Boxes.empty());
    EXPECT_EQ(dialog.MailName(), QStringLiteral("山田 太郎"));
    EXPECT_EQ(dialog.MailAddress(), QStringLiteral("taro@example.jp"));
}

TEST_F(AddressDialog, AcceptsAnEmptyName) {
    Type(dialog.edtMailAddress, QStringLiteral("c@example.jp"));
    PressOK();
    EXPECT_TRUE(Accepted());
    EXPECT_EQ(dialog.MailName(), QString());
}

TEST(AddressDialogForEditing, ShowsTheRowTrimmedOfBlanksButKeepsFullWidthSpaces) {
    FakePrompts prompts;
    T_EditMailAddress dialog(nullptr, prompts, QStringLiteral("名前 / メールアドレスを編集してください"),
                             QStringLiteral("  　花子 "), QStringLiteral(" hanako@example.jp\r\n"));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("名前 / メールアドレスを編集してください"));
    EXPECT_EQ(dialog.edtMailName->text(), QStringLiteral("　花子"));
    EXPECT_EQ(dialog.edtMailAddress->text(), QStringLiteral("hanako@example.jp"));
}

struct Refusal {
    const char* name;
    const char* mailName;
    const char* address;
    const char* textPart;  // what the box says
    bool onName;           // the focus goes to the name field, else to the address field
};

class AddressDialogRefuses : public AddressDialog, public testing::WithParamInterface<Refusal> {};

TEST_P(AddressDialogRefuses, WithABoxAndStaysOpenWithTheTexts) {
    const Refusal& r = GetParam();
    dialog.activateWindow();
    dialog.edtMailName->insert(QString::fromUtf8(r.mailName));
    dialog.edtMailAddress->insert(QString::fromUtf8(r.address));
    PressOK();
    ASSERT_EQ(prompts.Boxes.size(), 1u);
    EXPECT_EQ(prompts.Boxes[0].Kind, tvl::TBoxKind::Error);
    EXPECT_EQ(prompts.Boxes[0].Title, QStringLiteral("エラー"));
    EXPECT_TRUE(prompts.Boxes[0].Text.contains(QString::fromUtf8(r.textPart))) << prompts.Boxes[0].Text.toStdString();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.edtMailName->text(), QString::fromUtf8(r.mailName));
    EXPECT_EQ(dialog.edtMailAddress->text(), QString::fromUtf8(r.address));
    QApplication::processEvents();
    EXPECT_EQ(QApplication::focusWidget(), r.onName ? dialog.edtMailName : dialog.edtMailAddress);
}

constexpr const char* BadAddress = "入力されたメールアドレスが正しくありません。";

INSTANTIATE_TEST_SUITE_P(
    Cases, AddressDialogRefuses,
    testing::Values(Refusal{"NoAtSign", "a", "taro.example.jp", BadAddress, false},
                    Refusal{"DomainWithoutDot", "a", "taro@localhost", BadAddress, false},
                    Refusal{"DoubleByteCharacter", "a", "太郎@example.jp", BadAddress, false},
                    Refusal{"NoWindows31JForm", "a", "taro@example.jp\xF0\x9F\x98\x80", BadAddress, false},
                    Refusal{"NameWithLessThan", "a<b", "c@example.jp", "「<」「>」「=」", true},
                    Refusal{"NameWithGreaterThan", "a>b", "c@example.jp", "「<」「>」「=」", true},
                    Refusal{"NameWithEquals", "a=b", "c@example.jp", "「<」「>」「=」", true},
                    Refusal{"NameWithoutWindows31JForm", "花子\xF0\x9F\x98\x80", "c@example.jp",
                            "U+1F600", true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(AddressDialog, TheAddressBoxHasTheSingleYesButton) {
    dialog.edtMailAddress->insert(QStringLiteral("nobody"));
    PressOK();
    ASSERT_EQ(prompts.Boxes.size(), 1u);
    EXPECT_EQ(prompts.Boxes[0].Buttons, tvl::TBoxButtons::Yes);
}

TEST_F(AddressDialog, EnterInEitherFieldPressesNoButton) {
    Type(dialog.edtMailName, QStringLiteral("a"));
    Type(dialog.edtMailAddress, QStringLiteral("nobody"));  // OK would show a box
    for (QLineEdit* field : {dialog.edtMailName, dialog.edtMailAddress}) {
        QTest::keyClick(field, Qt::Key_Return);
        QTest::keyClick(field, Qt::Key_Enter);
    }
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(prompts.Boxes.empty());
}

TEST(AddressDialogCancel, EscapeCancelAndCloseAllReject) {
    FakePrompts prompts;
    const std::function<void(T_EditMailAddress&)> ways[] = {
        [](T_EditMailAddress& d) { QTest::keyClick(d.edtMailAddress, Qt::Key_Escape); },
        [](T_EditMailAddress& d) { QTest::mouseClick(d.btnCancel, Qt::LeftButton); },
        [](T_EditMailAddress& d) { d.close(); },
    };
    for (const auto& way : ways) {
        T_EditMailAddress dialog(nullptr, prompts, QStringLiteral("x"), {}, QStringLiteral("a@example.jp"));
        apptest::WhenModal<T_EditMailAddress>(way);
        EXPECT_EQ(dialog.exec(), QDialog::Rejected);
    }
    EXPECT_TRUE(prompts.Boxes.empty());
}

TEST_F(AddressDialog, TypingStopsAtTheWindows31JByteLimits) {
    Type(dialog.edtMailName, QString(48, u'a') + QStringLiteral("あいう"));  // 48 + 2, then no room
    EXPECT_EQ(dialog.edtMailName->text(), QString(48, u'a') + QStringLiteral("あ"));
    Type(dialog.edtMailName, QStringLiteral("b"));
    EXPECT_EQ(tvl::Windows31JLength(dialog.edtMailName->text()), 50);
    Type(dialog.edtMailAddress, QString(101, u'x'));
    EXPECT_EQ(dialog.edtMailAddress->text().size(), 100);
    dialog.edtMailName->setText(QStringLiteral("ｶﾀｶﾅ"));  // half-width katakana take one byte
    Type(dialog.edtMailName, QString(46, u'a') + QStringLiteral("z"));
    EXPECT_EQ(dialog.edtMailName->text(), QStringLiteral("ｶﾀｶﾅ") + QString(46, u'a'));
}

TEST(AddressDialogLongRow, AGivenLongerRowIsShownWholeAndCanOnlyShrink) {
    FakePrompts prompts;
    const QString name = QString(30, u'名');  // 60 bytes, from a loaded file
    T_EditMailAddress dialog(nullptr, prompts, QStringLiteral("x"), name, QStringLiteral("a@example.jp"));
    dialog.show();
    EXPECT_EQ(dialog.edtMailName->text(), name);
    dialog.edtMailName->end(false);
    apptest::Type(dialog.edtMailName, QStringLiteral("前"));
    EXPECT_EQ(dialog.edtMailName->text(), name);
    QTest::keyClick(dialog.edtMailName, Qt::Key_Backspace);  // shortening always works
    EXPECT_EQ(dialog.edtMailName->text(), QString(29, u'名'));
    apptest::Type(dialog.edtMailName, QStringLiteral("前"));  // but it grows no more
    EXPECT_EQ(dialog.edtMailName->text(), QString(29, u'名'));
    for (int i = 0; i < 5; ++i) QTest::keyClick(dialog.edtMailName, Qt::Key_Backspace);
    apptest::Type(dialog.edtMailName, QStringLiteral("前x"));  // below the limit: up to it
    EXPECT_EQ(dialog.edtMailName->text(), QString(24, u'名') + QStringLiteral("前"));
    QTest::mouseClick(dialog.btnOK, Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.MailName(), QString(24, u'名') + QStringLiteral("前"));
}

TEST(AddressDialogLayout, SizesCaptionsTabOrderAndFont) {
    FakePrompts prompts;
    T_EditMailAddress dialog(nullptr, prompts, QStringLiteral("x"));
    EXPECT_EQ(dialog.edtMailName->geometry(), QRect(8, 24, 121, 20));
    EXPECT_EQ(dialog.edtMailAddress->geometry(), QRect(136, 24, 221, 20));
    EXPECT_EQ(dialog.btnOK->geometry(), QRect(70, 56, 105, 25));
    EXPECT_EQ(dialog.btnCancel->geometry(), QRect(190, 56, 105, 25));
    EXPECT_EQ(dialog.btnOK->text(), QStringLiteral("OK(&O)"));
    EXPECT_EQ(dialog.btnCancel->text(), QStringLiteral("キャンセル(&C)"));
    EXPECT_FALSE(dialog.btnOK->autoDefault());
    EXPECT_FALSE(dialog.btnCancel->autoDefault());
    EXPECT_FALSE(dialog.edtMailAddress->testAttribute(Qt::WA_InputMethodEnabled));
    EXPECT_EQ(dialog.edtMailName->nextInFocusChain(), dialog.edtMailAddress);
    EXPECT_EQ(dialog.font().pixelSize(), 12);
}

}  // namespace
