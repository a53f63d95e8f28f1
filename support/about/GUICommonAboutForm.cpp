#include "support/about/GUICommonAboutForm.h"

#include <QGuiApplication>
#include <QIcon>
#include <QLabel>

namespace klv {

void T_KLVGUICommonAboutForm::FormShow() {
    QString productName = FProductName;
    QString companyName = FCompanyName;
    QString copyright = FCopyright;
    QString version = FProductVersion;
    if (FUseVersionInfoFromFile) {
        // The key names stand in for strings the block lacks.
        productName = QStringLiteral("ProductName");
        companyName = QStringLiteral("CompanyName");
        copyright = QStringLiteral("LegalCopyright");
        ExeVersionInfo(9, productName);
        ExeVersionInfo(1, companyName);
        ExeVersionInfo(5, copyright);
        std::string text;
        FormatFileVersion(FVersionFormat, text);
        version = QString::fromStdString(text);
        imgAppIcon->setPixmap(QGuiApplication::windowIcon().pixmap(imgAppIcon->size()));
    }
    setWindowTitle(productName + QStringLiteral(" のバージョン情報"));
    lblProductName->setText(productName);
    lblProductVersion->setText(version);
    lblCompanyName->setText(companyName);
    lblCopyright->setText(copyright);
    T_KLVBaseCommonAboutForm::FormShow();
}

}  // namespace klv
