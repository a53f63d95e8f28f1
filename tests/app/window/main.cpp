// The window tests need a QApplication on Qt's offscreen platform. With --screenshots DIR the
// program renders the window, the address dialog and the About box to DIR instead.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>
#include <cstring>

#include "support/about/Fonts.h"
#include "tests/app/window/Screenshots.h"

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    klv::InstallJapaneseFontSubstitutes();
    if (argc == 3 && std::strcmp(argv[1], "--screenshots") == 0)
        return apptest::WriteScreenshots(QString::fromLocal8Bit(argv[2]));
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
