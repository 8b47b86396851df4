#pragma once

#include <QString>

// Why a name the user typed for a file or folder cannot be used in folder (a text for the
// message), or an empty string when it can. A name must stay a name: no "/", no NUL, not "." or
// "..", and no longer than the folder's file system allows.
QString newNameProblem(const QString& name, const QString& folder);
