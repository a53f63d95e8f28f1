#include "app/window/Prompts.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "tests/app/window/FakePrompts.h"

namespace {

using tvl::TBoxButtons;

QStringList ButtonTexts(const QMessageBox& box) {
    QStringList texts;
    for (QAbstractButton* b : box.buttons()) texts << b->text();
    texts.sort();
    return texts;
}

TEST(MessageBoxes, YesNoBoxesDefaultToYesAndEscapeAnswersNo) {
    tvl::TQtPrompts prompts;
    apptest::WhenModal<QMessageBox>([](QMessageBox& box) {
        EXPECT_EQ(box.windowTitle(), QStringLiteral("確認"));
        EXPECT_EQ(box.icon(), QMessageBox::Question);
        EXPECT_EQ(ButtonTexts(box), (QStringList{QStringLiteral("いいえ(&N)"), QStringLiteral("はい(&Y)")}));
        EXPECT_EQ(box.defaultButton()->text(), QStringLiteral("はい(&Y)"));
        QTest::keyClick(&box, Qt::Key_Escape);
    });
    EXPECT_FALSE(prompts.Show(nullptr, tvl::ConfirmationBox(QStringLiteral("終了します。\r\nよろしいですか？"))));
    apptest::WhenModal<QMessageBox>([](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Return); });
    EXPECT_TRUE(prompts.Show(nullptr, tvl::ConfirmationBox(QStringLiteral("x"))));
}

TEST(MessageBoxes, KindsSetTitleIconAndButtons) {
    struct Case {
        tvl::TMessageBox box;
        QString title;
        QMessageBox::Icon icon;
        QStringList buttons;
    } cases[] = {
        {tvl::ErrorBox("e"), QStringLiteral("エラー"), QMessageBox::Critical, {"OK"}},
        {tvl::InformationBox("i"), QStringLiteral("情報"), QMessageBox::Information, {"OK"}},
        {{tvl::TBoxKind::Error, QStringLiteral("エラー"), "y", TBoxButtons::Yes}, QStringLiteral("エラー"),
         QMessageBox::Critical, {QStringLiteral("はい(&Y)")}},
        {tvl::ApplicationErrorBox("a"), QStringLiteral("タルヴェル"), QMessageBox::Critical, {"OK"}},
    };
    for (const Case& c : cases) {
        QMessageBox box;
        tvl::SetUpMessageBox(box, c.box);
        EXPECT_EQ(box.windowTitle(), c.title);
        EXPECT_EQ(box.icon(), c.icon);
        EXPECT_EQ(ButtonTexts(box), c.buttons);
        EXPECT_EQ(box.text(), c.box.Text);
    }
}

TEST(MessageBoxes, TheApplicationBoxEndsTheMessageWithADotAfterLaterCharacters) {
    const std::pair<const char*, const char*> cases[] = {
        {"ファイル \"/x\". No such file は開けません", "ファイル \"/x\". No such file は開けません."},
        {"'a' は整数ではありません", "'a' は整数ではありません."},
        {"ends with a dot.", "ends with a dot."},
        {"ends with a comma,", "ends with a comma,"},  // "," sorts before "."
        {"", ""},
    };
    for (const auto& [message, shown] : cases)
        EXPECT_EQ(tvl::ApplicationErrorBox(QString::fromUtf8(message)).Text, QString::fromUtf8(shown));
}

TEST(OpenDialog, KeepsTheCaptionButListsNamesWithoutADot) {
    QTemporaryDir dir;
    for (const char* name : {"report", "sample.def"}) {
        QFile f(dir.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    QFileDialog dialog;
    tvl::SetUpOpenDialog(dialog);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("ファイルを開く"));
    auto* model = dialog.findChild<QFileSystemModel*>();
    ASSERT_NE(model, nullptr);
    QSignalSpy loaded(model, &QFileSystemModel::directoryLoaded);
    dialog.setDirectory(dir.path());
    dialog.show();
    const auto folderLoaded = [&] {
        for (const QList<QVariant>& signal : loaded)
            if (QDir(signal.at(0).toString()) == QDir(dir.path())) return true;
        return false;
    };
    ASSERT_TRUE(QTest::qWaitFor(folderLoaded, 5000));
    auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    ASSERT_NE(types, nullptr);
    EXPECT_EQ(types->currentText(), QStringLiteral("すべてのファイル (*.*)"));
    const QModelIndex folder = model->index(dir.path());
    QStringList listed;
    for (int row = 0; row < model->rowCount(folder); ++row) listed << model->index(row, 0, folder).data().toString();
    listed.sort();
    EXPECT_EQ(listed, (QStringList{"report", "sample.def"}));
}

}  // namespace
