#pragma once
// The window mode: the configuration window as the main window, until it closes.
namespace tvl {

class TPrompts;

// Needs the QApplication. Sets the application title "タルヴェル", loads Qt's Japanese texts
// for its standard dialogs, maps the forms' font names onto installed fonts, shows the window
// and runs the event loop; returns the exit code.
int RunWindowMode(TPrompts& prompts);

}  // namespace tvl
