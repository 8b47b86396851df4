#pragma once

#include <QStringList>

class QApplication;

// Main: the start of the program. Refuses a second copy, shows the splash window while the main
// window loads, then shows the main window. A folder given starts the browser there; a file
// starts it in the file's folder and plays the file. Returns the process exit code.
int Main(QApplication& app, const QStringList& arguments = {});

// "quorvane --extract-here FILE...": extracts each archive into the folder it lies in, with the
// program's checks, questions and messages, without the main window (and so without the guard
// against a second copy). Returns 0 when every archive was extracted, 1 otherwise.
int ExtractHereMain(QApplication& app, const QStringList& files);
