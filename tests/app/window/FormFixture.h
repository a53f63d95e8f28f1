#pragma once
// A shown configuration window with answered boxes, and the user's steps on it.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QTest>
#include <memory>

#include "app/window/AddressTableModel.h"
#include "app/window/ConfigForm.h"
#include "app/window/EditMailAddress.h"
#include "tests/app/window/FakePrompts.h"

namespace apptest {

class FormTest : public testing::Test {
protected:
    FakePrompts prompts;
    std::unique_ptr<tvl::T_ConfigForm> form;

    void SetUp() override {
        form = std::make_unique<tvl::T_ConfigForm>(prompts);
        form->show();
    }

    // Presses `button` and fills the address dialog it opens, then presses OK.
    void AddRow(QPushButton* button, const QString& name, const QString& address) {
        WhenModal<tvl::T_EditMailAddress>([=](tvl::T_EditMailAddress& d) {
            apptest::Type(d.edtMailName, name);
            apptest::Type(d.edtMailAddress, address);
            QTest::mouseClick(d.btnOK, Qt::LeftButton);
        });
        QTest::mouseClick(button, Qt::LeftButton);
    }

    static void Retype(QLineEdit* editor, const QString& text) {
        editor->clear();
        apptest::Type(editor, text);
    }

    // One To row and the four texts the save needs.
    void FillSavable() {
        AddRow(form->btnTOAdd, QStringLiteral("Taro"), QStringLiteral("a@example.jp"));
        Retype(form->edtFromAddress, QStringLiteral("taro@example.jp"));
        Retype(form->edtSubject, QStringLiteral("件名"));
        form->memBodyText->setPlainText(QStringLiteral("本文"));
        Retype(form->edtSMTPServer, QStringLiteral("127.0.0.1"));
    }

    int CurrentRow(QTableView* grid) const { return grid->currentIndex().row(); }
};

}  // namespace apptest
