#include "app/WindowModule.h"

#include <dlfcn.h>

#include <filesystem>
#include <iostream>
#include <optional>
#include <system_error>

#include "app/window/ModuleEntry.h"

namespace tvl {
namespace {

constexpr const char* ModuleName = "libtarvelle_window.so";

struct TWindowModule {
    TRunWindow run;
    TShowFatalError showFatalError;
};

// The module sits beside the program in the build tree, and in TARVELLE_MODULE_DIR (relative
// to the program's folder) once installed.
std::optional<TWindowModule> LoadModule() {
    std::error_code error;
    const auto program = std::filesystem::read_symlink("/proc/self/exe", error);
    const auto folder = error ? std::filesystem::path(".") : program.parent_path();
    std::string why;
    for (const auto& candidate : {folder / ModuleName, folder / TARVELLE_MODULE_DIR / ModuleName}) {
        void* module = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!module) {
            why = dlerror();
            continue;
        }
        TWindowModule entries{reinterpret_cast<TRunWindow>(dlsym(module, "tarvelle_run_window")),
                              reinterpret_cast<TShowFatalError>(dlsym(module, "tarvelle_show_fatal_error"))};
        if (entries.run && entries.showFatalError) return entries;
        why = candidate.string() + ": entry points missing";
    }
    std::cerr << "tarvelle: ウィンドウのモジュールを読み込めません: " << why << "\n" << std::flush;
    return std::nullopt;
}

}  // namespace

int RunWindowModule(int& argc, char** argv) {
    const auto module = LoadModule();
    return module ? module->run(&argc, argv) : 1;
}

bool ShowFatalErrorBox(int& argc, char** argv, const std::string& text) {
    const auto module = LoadModule();
    if (module) module->showFatalError(&argc, argv, text.c_str());
    return module.has_value();
}

}  // namespace tvl
