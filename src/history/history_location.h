#pragma once

#include <QString>

// Where the play history lives. Beside the settings file when that lives beside the program:
// a portable copy keeps everything it writes in its own folder. Otherwise in
// <stateHome>/quorvane/: the history is state that the program gathers, not settings the user
// chose, and the base-directory convention keeps the two apart (state in $XDG_STATE_HOME,
// default ~/.local/state). The executable's base name names the file in both places, as it names
// the settings file: "<name>-history.sqlite".
QString historyFilePathFor(const QString& iniPath, const QString& exeDir,
                           const QString& exeBaseName, const QString& stateHome);

// $XDG_STATE_HOME when it is set to an absolute path (a relative one is to be ignored), else
// ~/.local/state.
QString stateHome();

// The history file of the running program, whose settings file is iniPath.
QString historyFilePath(const QString& iniPath);
