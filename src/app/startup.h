#pragma once

class QApplication;

// Main: the start of the program. Refuses a second copy, shows the splash window while the main
// window loads, then shows the main window. Returns the process exit code.
int Main(QApplication& app);
