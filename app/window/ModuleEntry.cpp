#include "app/window/ModuleEntry.h"

#include <QApplication>
#include <QIcon>
#include <QMessageBox>
#include <QString>

#include "app/window/Prompts.h"
#include "app/window/WindowMode.h"

extern "C" int tarvelle_run_window(int* argc, char** argv) {
    QApplication application(*argc, argv);
    // Ties the window to the installed desktop entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("tarvelle"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("tarvelle")));
    tvl::TQtPrompts prompts;
    return tvl::RunWindowMode(prompts);
}

extern "C" void tarvelle_show_fatal_error(int* argc, char** argv, const char* text) {
    QApplication application(*argc, argv);
    QMessageBox box(QMessageBox::Critical, QString::fromUtf8("アプリケーション エラー"),
                    QString::fromUtf8(text));
    box.addButton("OK", QMessageBox::AcceptRole);
    box.exec();
}
