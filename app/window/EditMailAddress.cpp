#include "app/window/EditMailAddress.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <limits>

#include "app/window/FormText.h"
#include "app/window/Prompts.h"
#include "maildef/Addresses.h"
#include "support/Exceptions.h"

namespace tvl {

namespace {

QPushButton* PlainButton(QWidget* parent, const QString& caption) {
    auto* button = new QPushButton(caption, parent);
    // Buttons in a dialog are auto-default in Qt; Enter in an editor must press neither.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

}  // namespace

T_EditMailAddress::T_EditMailAddress(QWidget* parent, TPrompts& prompts, const QString& caption,
                                     const QString& name, const QString& address)
    : QDialog(parent), FPrompts(prompts) {
    setFont(ProportionalFormFont());
    setWindowTitle(caption);
    resize(365, 88);

    Label1 = Place(new QLabel(QStringLiteral("名前"), this), "Label1", 8, 8, 24, 12);
    Label2 = Place(new QLabel(QStringLiteral("メールアドレス"), this), "Label2", 136, 8, 73, 12);
    edtMailName = Place(new QLineEdit(this), "edtMailName", 8, 24, 121, 20);
    edtMailAddress = Place(new QLineEdit(this), "edtMailAddress", 136, 24, 221, 20);
    edtMailAddress->setAttribute(Qt::WA_InputMethodEnabled, false);
    // The byte limits stop typing; a given longer text is never cut.
    edtMailName->setMaxLength(std::numeric_limits<int>::max());
    edtMailAddress->setMaxLength(std::numeric_limits<int>::max());
    FNameLimit = new TByteLimitValidator(edtMailName, NameLimit);
    FAddressLimit = new TByteLimitValidator(edtMailAddress, AddressLimit);
    edtMailName->setValidator(FNameLimit);
    edtMailAddress->setValidator(FAddressLimit);
    btnOK = Place(PlainButton(this, QStringLiteral("OK(&O)")), "btnOK", 70, 56, 105, 25);
    btnCancel = Place(PlainButton(this, QStringLiteral("キャンセル(&C)")), "btnCancel", 190, 56, 105, 25);
    // Escape and the close button reject the dialog by themselves.
    connect(btnOK, &QPushButton::clicked, this, &T_EditMailAddress::btnOKClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    setTabOrder(edtMailName, edtMailAddress);
    setTabOrder(edtMailAddress, btnOK);
    setTabOrder(btnOK, btnCancel);

    SetMailName(name);
    SetMailAddress(address);
}

QString T_EditMailAddress::MailName() const { return BlankTrimmed(edtMailName->text()); }
void T_EditMailAddress::SetMailName(const QString& name) {
    const QString text = BlankTrimmed(name);
    FNameLimit->Admit(text);
    edtMailName->setText(text);
}
QString T_EditMailAddress::MailAddress() const { return BlankTrimmed(edtMailAddress->text()); }
void T_EditMailAddress::SetMailAddress(const QString& address) {
    const QString text = BlankTrimmed(address);
    FAddressLimit->Admit(text);
    edtMailAddress->setText(text);
}

bool T_EditMailAddress::Refuse(QLineEdit* field, const QString& text, bool yesButton) {
    TMessageBox box = ErrorBox(text);
    if (yesButton) box.Buttons = TBoxButtons::Yes;
    FPrompts.Show(this, box);
    field->setFocus();
    return false;
}

void T_EditMailAddress::btnOKClick() {
    // Anything that is not Windows-31J cannot be a valid address either.
    const QString address = MailAddress();
    bool valid = false;
    try {
        valid = IsValidMailAddress(ToWindows31J(address));
    } catch (const klv::EEncodingError&) {
    }
    if (!valid) {
        Refuse(edtMailAddress, QString::fromStdString(MailAddressErrorText("")), true);
        return;
    }
    // A saved row is name<address> and a loaded one is split at "<" and "=", losing ">":
    // such a name would come back changed.
    const QString name = MailName();
    for (QChar c : {u'<', u'>', u'='}) {
        if (name.contains(c)) {
            Refuse(edtMailName, QStringLiteral("名前に「<」「>」「=」は使えません。"));
            return;
        }
    }
    try {
        ToWindows31J(name);
    } catch (const klv::EEncodingError& e) {
        Refuse(edtMailName, QStringLiteral("名前の") + QString::fromUtf8(e.what()) + u'。');
        return;
    }
    accept();
}

}  // namespace tvl
