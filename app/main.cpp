// Tarvelle: without a (blank) first argument the window; otherwise the sending mode.
#include <QApplication>
#include <QCoreApplication>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "app/Arguments.h"
#include "app/FatalError.h"
#include "app/Prompts.h"
#include "app/SendingMode.h"
#include "app/WindowMode.h"
#include "support/Exceptions.h"

namespace {

std::unique_ptr<QCoreApplication> MakeApplication(int& argc, char** argv, bool display) {
    if (display) return std::make_unique<QApplication>(argc, argv);
    return std::make_unique<QCoreApplication>(argc, argv);
}

}  // namespace

int main(int argc, char** argv) {
    // Taken before Qt removes the options it knows from argv; they are UTF-8 paths.
    const std::vector<std::string> args(argv, argv + argc);
    const std::string program = std::filesystem::path(args[0]).filename().string();
    const tvl::TCommandLine command = tvl::ParseCommandLine({args.begin() + 1, args.end()});

    if (command.Mode == tvl::TRunMode::Help) {
        std::cout << tvl::UsageText(program);
        return 0;
    }
    if (command.Mode == tvl::TRunMode::Version) {
        std::cout << tvl::VersionText();
        return 0;
    }
    if (command.Mode == tvl::TRunMode::UsageError) {
        std::cerr << program << ": " << command.Error << "\n\n" << tvl::UsageText(program);
        return tvl::ecError;
    }

    if (command.Mode == tvl::TRunMode::Window) {
        QApplication application(argc, argv);
        tvl::TQtPrompts prompts;
        return tvl::RunWindowMode(prompts);
    }

    const bool display = tvl::HasDisplay();
    auto application = MakeApplication(argc, argv, display);
    try {
        return tvl::RunSendingMode(command, std::cout);
    } catch (const klv::Exception& e) {
        tvl::ReportFatalError(tvl::FatalErrorText(e.className(), program, &e, e.what()), display);
    } catch (const std::exception& e) {
        tvl::ReportFatalError(tvl::FatalErrorText("Exception", program, &e, e.what()), display);
    }
    return tvl::ecError;
}
