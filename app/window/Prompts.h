#pragma once
// Everything the window asks the user modally besides its own dialogs: message boxes and the
// file dialogs. The window talks to this interface so that tests can answer in its place.
#include <QMessageBox>
#include <QString>

class QFileDialog;
class QWidget;

namespace tvl {

enum class TBoxKind { Error, Information, Confirmation };
enum class TBoxButtons { OK, Yes, YesNo };

struct TMessageBox {
    TBoxKind Kind;
    QString Title;
    QString Text;
    TBoxButtons Buttons;
};

class TPrompts {
public:
    virtual ~TPrompts() = default;
    // True for Yes and for OK; false for No (and for Escape, which answers No).
    virtual bool Show(QWidget* parent, const TMessageBox& box) = 0;
    // The chosen path, or an empty text when the dialog was cancelled.
    virtual QString AskSaveFileName(QWidget* parent) = 0;
    virtual QString AskOpenFileName(QWidget* parent) = 0;
};

// The boxes of the window, titled by their kind.
TMessageBox ErrorBox(const QString& text);
TMessageBox InformationBox(const QString& text);
TMessageBox ConfirmationBox(const QString& text);
// The box for an error that no handler of the window expects: titled with the application
// title, its message ending with "." unless the last character sorts at or before ".".
TMessageBox ApplicationErrorBox(const QString& message);

// The real boxes and dialogs, in Qt's widgets.
class TQtPrompts : public TPrompts {
public:
    bool Show(QWidget* parent, const TMessageBox& box) override;
    QString AskSaveFileName(QWidget* parent) override;
    QString AskOpenFileName(QWidget* parent) override;
};

// Built apart from showing so that tests can inspect them.
void SetUpMessageBox(QMessageBox& dialog, const TMessageBox& box);
void SetUpOpenDialog(QFileDialog& dialog);

extern const char* const ApplicationTitle;  // "タルヴェル"

}  // namespace tvl
