#pragma once
// Loads the window module (the window and its dialogs) from beside the program or from its
// installed library folder.
#include <string>

namespace tvl {

// Runs the window mode from the module. When the module cannot be loaded, writes why to
// standard error and returns 1.
int RunWindowModule(int& argc, char** argv);

// Shows the fatal error box from the module; false when the module cannot be loaded.
// No Q*Application may exist at the call.
bool ShowFatalErrorBox(int& argc, char** argv, const std::string& text);

}  // namespace tvl
