#pragma once
// The About form filled either from the texts it is given or from the running program's
// version block.
#include <QString>

#include "support/about/BaseCommonAboutForm.h"

namespace klv {

class T_KLVGUICommonAboutForm : public T_KLVBaseCommonAboutForm {
public:
    using T_KLVBaseCommonAboutForm::T_KLVBaseCommonAboutForm;

    bool FUseVersionInfoFromFile = false;
    QString FCompanyName;
    QString FProductName;
    QString FProductVersion;
    QString FCopyright;

    // Fills the title and labels, then arranges the form. From the version block it raises
    // Exception "情報の取得に失敗しました" or EConvertError (see TKAboutForm::Execute).
    void FormShow() override;
};

}  // namespace klv
