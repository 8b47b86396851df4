#pragma once

#include <QStringList>

class QApplication;

// Main: the start of the program. Refuses a second copy, shows the splash window while the main
// window loads, then shows the main window. Returns the process exit code.
int Main(QApplication& app);

// "quorvane --extract-here FILE...": extracts each archive into the folder it lies in, with the
// program's checks, questions and messages, without the main window (and so without the guard
// against a second copy). Returns 0 when every archive was extracted, 1 otherwise.
int ExtractHereMain(QApplication& app, const QStringList& files);
