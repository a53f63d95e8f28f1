#pragma once
// The window module's entry points. The program loads the module only when a window is
// wanted, so the sending mode starts without the widget libraries.
extern "C" {

// Makes the QApplication, runs the window mode until the window closes; the exit code.
int tarvelle_run_window(int* argc, char** argv);
using TRunWindow = int (*)(int*, char**);

// Makes the QApplication (none may exist) and shows `text` (UTF-8) in the fatal error box.
void tarvelle_show_fatal_error(int* argc, char** argv, const char* text);
using TShowFatalError = void (*)(int*, char**, const char*);

}
