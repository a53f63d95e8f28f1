#include "app/window/Prompts.h"

#include <QFileDialog>
#include <QPushButton>

namespace tvl {

const char* const ApplicationTitle = "タルヴェル";

namespace {

QString KindTitle(TBoxKind kind) {
    switch (kind) {
        case TBoxKind::Error: return QStringLiteral("エラー");
        case TBoxKind::Information: return QStringLiteral("情報");
        case TBoxKind::Confirmation: return QStringLiteral("確認");
    }
    return {};
}

QMessageBox::Icon KindIcon(TBoxKind kind) {
    switch (kind) {
        case TBoxKind::Error: return QMessageBox::Critical;
        case TBoxKind::Information: return QMessageBox::Information;
        case TBoxKind::Confirmation: return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

TMessageBox KindBox(TBoxKind kind, const QString& text, TBoxButtons buttons) {
    return {kind, KindTitle(kind), text, buttons};
}

}  // namespace

TMessageBox ErrorBox(const QString& text) { return KindBox(TBoxKind::Error, text, TBoxButtons::OK); }

TMessageBox InformationBox(const QString& text) {
    return KindBox(TBoxKind::Information, text, TBoxButtons::OK);
}

TMessageBox ConfirmationBox(const QString& text) {
    return KindBox(TBoxKind::Confirmation, text, TBoxButtons::YesNo);
}

TMessageBox ApplicationErrorBox(const QString& message) {
    QString text = message;
    if (!text.isEmpty() && text.back() > QChar(u'.')) text += u'.';
    return {TBoxKind::Error, QString::fromUtf8(ApplicationTitle), text, TBoxButtons::OK};
}

void SetUpMessageBox(QMessageBox& dialog, const TMessageBox& box) {
    dialog.setIcon(KindIcon(box.Kind));
    dialog.setWindowTitle(box.Title);
    dialog.setText(box.Text);
    switch (box.Buttons) {
        case TBoxButtons::OK:
            dialog.setDefaultButton(dialog.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole));
            break;
        case TBoxButtons::Yes:
            dialog.setDefaultButton(dialog.addButton(QStringLiteral("はい(&Y)"), QMessageBox::YesRole));
            break;
        case TBoxButtons::YesNo: {
            dialog.setDefaultButton(dialog.addButton(QStringLiteral("はい(&Y)"), QMessageBox::YesRole));
            dialog.setEscapeButton(dialog.addButton(QStringLiteral("いいえ(&N)"), QMessageBox::NoRole));
            break;
        }
    }
}

bool TQtPrompts::Show(QWidget* parent, const TMessageBox& box) {
    QMessageBox dialog(parent);
    SetUpMessageBox(dialog, box);
    dialog.exec();
    return dialog.clickedButton() == dialog.defaultButton();
}

QString TQtPrompts::AskSaveFileName(QWidget* parent) {
    // Qt's own dialog, so that its Japanese translation and overwrite question apply.
    return QFileDialog::getSaveFileName(parent, QString(), QString(), QString(), nullptr,
                                        QFileDialog::DontUseNativeDialog);
}

void SetUpOpenDialog(QFileDialog& dialog) {
    dialog.setWindowTitle(QStringLiteral("ファイルを開く"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    // The pattern *.* would hide names without a dot, and the save dialog adds no extension:
    // the caption keeps "(*.*)" while the hidden last group "(*)" is the pattern used.
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setNameFilter(QStringLiteral("すべてのファイル (*.*) (*)"));
}

QString TQtPrompts::AskOpenFileName(QWidget* parent) {
    QFileDialog dialog(parent);
    SetUpOpenDialog(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().front();
}

}  // namespace tvl
