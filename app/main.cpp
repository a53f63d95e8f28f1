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
    const std::vector<std::string> args(argv, argv + argc);
    const std::string program = std::filesystem::path(args[0]).filename().string();
    const std::string first = args.size() > 1 ? args[1] : "";
    const std::string second = args.size() > 2 ? args[2] : "";

    if (first == "-h" || first == "--help") {
        std::cout << tvl::UsageText(program);
        return 0;
    }
    if (first == "--version") {
        std::cout << tvl::VersionText();
        return 0;
    }
    if (tvl::IsBlankArgument(first)) return tvl::RunWindowModule(argc, argv);

    std::string fatal;
    {
        QCoreApplication application(argc, argv);
        try {
            return tvl::RunSendingMode(first, second);
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
