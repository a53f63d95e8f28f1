#pragma once
// The About box a window keeps: its texts, picture and web addresses, and Execute, which
// builds the About form from them and shows it modally.
#include <QPixmap>
#include <QString>
#include <QStringList>

#include "support/about/VersionFormat.h"

class QWidget;

namespace klv {

// Construct it after the application object: it holds a QPixmap.
class TKAboutForm {
public:
    QPixmap Picture;  // null: no icon, the labels move to the left edge
    QString ProductName;  // also the start of the window title
    QString ProductVersion;  // shown as it is
    QString CompanyName;
    QString Copyright;
    // True: title, product name, company name, copyright and version come from the running
    // program's version block (and the picture is the application icon) instead.
    bool UseVersionInfoFromFile = false;
    QStringList Appendix;  // blank only: no memo, the form shrinks
    // False disables the registration button; an empty RegisterURL always does.
    bool EnableRegSite = true;
    QString InquiryURL = QStringLiteral("https://tarvelle.example/inquiry");
    QString RegisterURL = QStringLiteral("https://tarvelle.example/register");
    bool RegSiteButtonVisible = true;
    bool ContactButtonVisible = true;
    int Width = 500;  // client width of the form

    TVersionFormat VersionFormat() const { return FVersionFormat; }
    // Keeps the set consistent (AdjustVersionFormat).
    void SetVersionFormat(TVersionFormat value);

    // Shows the About form modally over parent and returns when it is closed. With
    // UseVersionInfoFromFile, a version block without a translation table raises Exception
    // "情報の取得に失敗しました", and a FileVersion that is not four integers EConvertError.
    void Execute(QWidget* parent = nullptr) const;

private:
    TVersionFormat FVersionFormat = vfDefaultFormat;
};

}  // namespace klv
