#include "support/about/AboutForm.h"

#include <QLabel>

#include "support/about/GUICommonAboutForm.h"

namespace klv {

void TKAboutForm::SetVersionFormat(TVersionFormat value) {
    FVersionFormat = AdjustVersionFormat(FVersionFormat, value);
}

void TKAboutForm::Execute(QWidget* parent) const {
    // A fresh form each time, released on every way out.
    T_KLVGUICommonAboutForm form(parent);
    form.FUseVersionInfoFromFile = UseVersionInfoFromFile;
    form.FInquiryURL = InquiryURL;
    form.FRegisterURL = RegisterURL;
    form.imgAppIcon->setPixmap(Picture);
    form.ApplyEnableRegSite(EnableRegSite);
    form.SetAppendixText(Appendix.join(QLatin1Char('\n')));
    form.FRegSiteButtonVisible = RegSiteButtonVisible;
    form.FContactButtonVisible = ContactButtonVisible;
    form.FWidth = Width;
    form.FVersionFormat = FVersionFormat;
    if (!UseVersionInfoFromFile) {
        form.FProductName = ProductName;
        form.FProductVersion = ProductVersion;
        form.FCompanyName = CompanyName;
        form.FCopyright = Copyright;
    }
    form.ShowModal();
}

}  // namespace klv
