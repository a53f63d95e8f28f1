// One application object for the whole program, on Qt's offscreen platform when none is set,
// with the font substitutes the program installs at start-up.
#include <gtest/gtest.h>

#include <QApplication>
#include <memory>

#include "support/about/Fonts.h"

namespace {

class QtEnvironment : public testing::Environment {
public:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        app_ = std::make_unique<QApplication>(argc_, argv_);
        klv::InstallJapaneseFontSubstitutes();
    }
    void TearDown() override { app_.reset(); }

private:
    int argc_ = 1;
    char name_[11] = "about_test";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QApplication> app_;
};

[[maybe_unused]] testing::Environment* const environment =
    testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace
