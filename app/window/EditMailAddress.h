#pragma once
// The modal dialog that takes one (name, address) row of the To or Cc list. Its caption is the
// prompt. OK hands back both fields trimmed of blanks once the address is valid and the name
// can be saved and read back whole.
#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;

namespace tvl {

class TByteLimitValidator;
class TPrompts;

class T_EditMailAddress : public QDialog {
public:
    // Name and address are texts of at most 50 and 100 bytes in Windows-31J; longer texts
    // given here (a row of a loaded file) are shown whole.
    static constexpr int NameLimit = 50;
    static constexpr int AddressLimit = 100;

    T_EditMailAddress(QWidget* parent, TPrompts& prompts, const QString& caption,
                      const QString& name = {}, const QString& address = {});

    QString MailName() const;
    void SetMailName(const QString& name);
    QString MailAddress() const;
    void SetMailAddress(const QString& address);

    void btnOKClick();

    QLabel* Label1;
    QLabel* Label2;
    QLineEdit* edtMailName;
    QLineEdit* edtMailAddress;
    QPushButton* btnOK;
    QPushButton* btnCancel;

private:
    bool Refuse(QLineEdit* field, const QString& text, bool yesButton = false);

    TPrompts& FPrompts;
    TByteLimitValidator* FNameLimit;     // owned by its editor
    TByteLimitValidator* FAddressLimit;
};

}  // namespace tvl
