#include "app/window/WindowMode.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QTimer>

#include "app/window/ConfigForm.h"
#include "tests/app/window/FakePrompts.h"

namespace {

tvl::T_ConfigForm* ShownForm() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* form = dynamic_cast<tvl::T_ConfigForm*>(w); form && form->isVisible()) return form;
    return nullptr;
}

TEST(WindowMode, RunsTheWindowInJapaneseUntilItIsClosed) {
    apptest::FakePrompts prompts;
    prompts.Answers = {true};
    QString title, appTitle, qtText;
    bool found = false;
    QTimer::singleShot(50, [&] {
        tvl::T_ConfigForm* form = ShownForm();
        found = form != nullptr;
        if (!form) return QApplication::quit();
        title = form->windowTitle();
        appTitle = QApplication::applicationDisplayName();
        qtText = QCoreApplication::translate("QFileDialog", "&Open");
        form->close();
    });
    QTimer::singleShot(5000, [] { QApplication::quit(); });  // a bound should closing fail
    EXPECT_EQ(tvl::RunWindowMode(prompts), 0);
    EXPECT_TRUE(found);
    EXPECT_EQ(appTitle, QStringLiteral("タルヴェル"));
    EXPECT_EQ(title, QStringLiteral("簡易メール送信ツール - タルヴェル"));
    EXPECT_NE(qtText, QStringLiteral("&Open"));  // Qt's own texts are Japanese
    EXPECT_EQ(prompts.Texts(), QStringList{QStringLiteral("終了します。\r\nよろしいですか？")});
    EXPECT_EQ(ShownForm(), nullptr);
}

}  // namespace
