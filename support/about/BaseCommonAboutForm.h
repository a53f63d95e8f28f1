#pragma once
// The About form's layout: icon, four labels, an appendix memo and three buttons, in fixed
// places, arranged by FormShow for what they hold. Places are in pixels of the client area.
#include <QDialog>
#include <QString>
#include <cstddef>

#include "support/about/VersionFormat.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace klv {

class T_KLVBaseCommonAboutForm : public QDialog {
public:
    explicit T_KLVBaseCommonAboutForm(QWidget* parent = nullptr);

    QLabel* imgAppIcon;
    QLabel* lblProductName;
    QLabel* lblProductVersion;
    QLabel* lblCompanyName;
    QLabel* lblCopyright;
    QPlainTextEdit* memAppendix;
    QPushButton* btnClose;
    QPushButton* btnJumpToUserRegSite;
    QPushButton* btnContactSite;

    // Set before the form is shown.
    QString FRegisterURL;
    QString FInquiryURL;
    bool FContactButtonVisible = true;
    bool FRegSiteButtonVisible = true;
    int FWidth = 500;
    TVersionFormat FVersionFormat = vfDefaultFormat;

    // ReadVersionInfo on the running program's own file.
    static void ExeVersionInfo(std::size_t key, QString& value);
    // Adds text, without blanks and control characters at its ends, to the memo's lines.
    void SetAppendixText(const QString& text);
    // Only with a registration address; without one the button stays disabled anyway.
    void ApplyEnableRegSite(bool enabled);
    // Virtual so a test can see the address instead of starting a browser.
    virtual void OpenWebPage(const QString& address);

    // FormShow, then the modal loop. Filling the texts may raise (a damaged version block),
    // and Qt's event handlers must not, so this runs before the form appears.
    int ShowModal();
    // Arranges the controls for their contents; exposed so tests can check the outcome.
    virtual void FormShow();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void btnCloseClick();
    void btnJumpToUserRegSiteClick();
    void btnContactSiteClick();
};

// Text without characters up to U+0020 at either end (full-width spaces stay).
QString TrimControls(const QString& text);

}  // namespace klv
