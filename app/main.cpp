// Tarvelle: without a (blank) first argument the window; otherwise the sending mode.
#include <QCoreApplication>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "app/Arguments.h"
#include "app/FatalError.h"
#include "app/SendingMode.h"
#include "app/WindowModule.h"
#include "support/Exceptions.h"

int main(int argc, char** argv) {
    // Taken before Qt removes the options it knows from argv; they are UTF-8 paths.
    // A caller may pass no argv[0] at all.
    const std::vector<std::string> args(argv + (argc > 0), argv + argc);
    const std::string program =
        argc > 0 ? std::filesystem::path(argv[0]).filename().string() : "tarvelle";
    const tvl::TCommandLine command = tvl::ParseCommandLine(args);

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
    if (command.Mode == tvl::TRunMode::Window) return tvl::RunWindowModule(argc, argv);

    std::string fatal;
    {
        QCoreApplication application(argc, argv);
        try {
            return tvl::RunSendingMode(command, std::cout);
        } catch (const klv::Exception& e) {
            fatal = tvl::FatalErrorText(e.className(), program, &e, e.what());
        } catch (const std::exception& e) {
            fatal = tvl::FatalErrorText("Exception", program, &e, e.what());
        }
    }
    std::cerr << fatal << std::flush;
    // The box needs an application of its own, with widgets.
    if (tvl::HasDisplay()) tvl::ShowFatalErrorBox(argc, argv, fatal);
    return tvl::ecError;
}
