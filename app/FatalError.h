#pragma once
// The outermost handler's report of an exception that ends the program.
#include <string>

namespace tvl {

// «<kind> がモジュール <module> の <address> で発生しました。» CR LF, the message, "." when it
// does not end with one, CR LF.
std::string FatalErrorText(const std::string& kind, const std::string& module,
                           const void* address, const std::string& message);

// A display exists: DISPLAY or WAYLAND_DISPLAY is set and Qt is not told to draw off screen.
bool HasDisplay();

}  // namespace tvl
