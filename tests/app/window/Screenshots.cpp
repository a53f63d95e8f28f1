#include "tests/app/window/Screenshots.h"

#include <QAction>
#include <QDir>
#include <QPixmap>
#include <cstdio>

#include "app/window/AddressTableModel.h"
#include "app/window/ConfigForm.h"
#include "app/window/EditMailAddress.h"
#include "tests/app/window/FakePrompts.h"

namespace apptest {

namespace {

bool Save(QWidget& widget, const QString& folder, const char* name) {
    QApplication::processEvents();
    const QString path = QDir(folder).filePath(QString::fromLatin1(name));
    const bool saved = widget.grab().save(path, "PNG");
    std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(path));
    return saved;
}

}  // namespace

int WriteScreenshots(const QString& folder) {
    if (!QDir().mkpath(folder)) return 1;
    QCoreApplication::setApplicationName(QStringLiteral("タルヴェル"));
    FakePrompts prompts;
    prompts.OpenFileName = QStringLiteral(TARVELLE_SOURCE_DIR "/examples/sample.def");
    tvl::T_ConfigForm form(prompts);
    form.show();
    form.acnLoadFromFile->trigger();
    if (!prompts.Boxes.empty()) {
        std::fprintf(stderr, "%s\n", qPrintable(prompts.Boxes.front().Text));
        return 1;
    }
    bool ok = Save(form, folder, "main-window.png");

    tvl::T_EditMailAddress dialog(&form, prompts, QStringLiteral("名前 / メールアドレスを編集してください"),
                                  form.memTO->MailName(0), form.memTO->MailAddress(0));
    dialog.show();
    ok = Save(dialog, folder, "address-dialog.png") && ok;
    dialog.hide();

    bool about = false;
    WhenModal<QWidget>([&](QWidget& box) {
        about = Save(box, folder, "about-box.png");
        box.close();
    });
    form.acnAboutUs->trigger();
    return ok && about ? 0 : 1;
}

}  // namespace apptest
