#include "app/window/WindowMode.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include "app/window/ConfigForm.h"
#include "app/window/Prompts.h"
#include "support/about/Fonts.h"

namespace tvl {

int RunWindowMode(TPrompts& prompts) {
    // The name, not the display name: Qt would append a display name to every window title.
    QCoreApplication::setApplicationName(QString::fromUtf8(ApplicationTitle));
    QTranslator qtTexts;
    if (qtTexts.load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtTexts);
    klv::InstallJapaneseFontSubstitutes();

    T_ConfigForm form(prompts);
    form.show();
    const int code = QApplication::exec();
    QCoreApplication::removeTranslator(&qtTexts);
    return code;
}

}  // namespace tvl
