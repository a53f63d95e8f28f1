#include "app/FatalError.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace tvl {

std::string FatalErrorText(const std::string& kind, const std::string& module,
                           const void* address, const std::string& message) {
    char where[32];
    std::snprintf(where, sizeof where, "%p", address);
    std::string text = kind + " がモジュール " + module + " の " + where + " で発生しました。\r\n";
    text += message;
    if (message.empty() || message.back() != '.') text += '.';
    text += "\r\n";
    return text;
}

bool HasDisplay() {
    auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value && *value;
    };
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    std::string_view qpa = platform ? platform : "";
    bool headless = qpa.starts_with("offscreen") || qpa.starts_with("minimal");
    return (set("DISPLAY") || set("WAYLAND_DISPLAY")) && !headless;
}

}  // namespace tvl
