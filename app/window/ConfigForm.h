#pragma once
// The main window: the To and Cc lists, sender, subject, body and SMTP server of one mail
// definition, saved to a definition file (left read-only) and sent at once on request, loaded
// back, cleared. While a send started here waits for the server, every action is disabled and
// closing is refused: the record being sent belongs to the save action.
#include <QHash>
#include <QString>
#include <QWidget>
#include <functional>
#include <string>

#include "support/about/AboutForm.h"

class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTableView;

namespace tvl {

class TAddressTableModel;
class TMailData;
class TPrompts;

class T_ConfigForm : public QWidget {
public:
    explicit T_ConfigForm(TPrompts& prompts, QWidget* parent = nullptr);
    ~T_ConfigForm() override;

    // Action handlers; the row actions tell their list by the action that ran.
    void aclConfigUpdate();
    void acnAddExecute(QAction* action);
    void acnEditExecute(QAction* action);
    void acnDeleteExecute(QAction* action);
    void acnSaveToFileExecute();
    void acnLoadFromFileExecute();
    void acnClearExecute();
    void acnAboutUsExecute();
    void acnExitExecute();

    TAddressTableModel* memTO;
    TAddressTableModel* memCC;
    QGroupBox* gbxTO;
    QPushButton* btnTOAdd;
    QPushButton* btnTOEdit;
    QPushButton* btnTODelete;
    QTableView* grdTO;
    QGroupBox* gbxCC;
    QPushButton* btnCCAdd;
    QPushButton* btnCCEdit;
    QPushButton* btnCCDelete;
    QTableView* grdCC;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* Label5;
    QLabel* Label6;
    QLineEdit* edtFromName;
    QLineEdit* edtFromAddress;
    QLineEdit* edtSubject;
    QPlainTextEdit* memBodyText;
    QLineEdit* edtSMTPServer;
    QSpinBox* edtSMTPPort;
    QPushButton* btnLoadFromFile;
    QPushButton* btnSaveToFile;
    QPushButton* btnAboutUs;
    QPushButton* btnClear;
    QPushButton* btnExit;
    QProgressBar* prgSend;  // shown during a send

    QAction* acnTOAdd;
    QAction* acnTOEdit;
    QAction* acnTODelete;
    QAction* acnCCAdd;
    QAction* acnCCEdit;
    QAction* acnCCDelete;
    QAction* acnSaveToFile;
    QAction* acnLoadFromFile;
    QAction* acnClear;
    QAction* acnAboutUs;
    QAction* acnExit;

    klv::TKAboutForm cmpAraSow;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    struct TList {
        TAddressTableModel& Table;
        QTableView& Grid;
    };
    class TSendingState;

    void CreateControls();
    void CreateActions();
    void SetTabOrder();
    QAction* MakeAction(const char* name, const QString& caption, QPushButton* button);
    void Guarded(const std::function<void()>& handler);
    TList ActiveDataSet(QAction* action);
    void ValidateInput();
    void FormToMailData(TMailData& data) const;
    void MailDataToForm(const TMailData& data);
    void SaveAndOfferSend(const QString& path, TMailData& data);
    void Send(TMailData& data);

    TPrompts& FPrompts;
    bool FSending = false;
    // The bytes of every text of the last loaded file, by its converted text: a character
    // with two Windows-31J codes (an NEC-selected and an IBM extension) is saved back in
    // the code it was read in.
    QHash<QString, std::string> FLoadedBytes;
};

}  // namespace tvl
