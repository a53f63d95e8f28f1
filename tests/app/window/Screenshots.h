#pragma once
#include <QString>

namespace apptest {

// Renders the main window filled with examples/sample.def, the address dialog and the About
// box to PNG files in `folder`; returns the exit code.
int WriteScreenshots(const QString& folder);

}  // namespace apptest
