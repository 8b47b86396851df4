#pragma once

#include <QString>
#include <QStringList>

class Dialogs;
class ExtractionPrompts;

// One archive, as the program extracts it: told by its extension (".zip", ".lzh", ".lha", any
// case), checked (an encrypted ZIP goes straight to its run, which asks for the password),
// extracted into destination. True when it was extracted whole; otherwise the reason has been
// shown.
bool extractArchive(Dialogs& dialogs, ExtractionPrompts& prompts, const QString& path,
                    const QString& destination);

// Whether a name is one of the kinds extracted (".zip", ".lzh", ".lha", any case).
bool isArchiveName(const QString& name);

// "--extract-here": each archive into the folder it lies in, with the same checks, questions and
// messages as in the window; 0 when every one was extracted, 1 otherwise. It also takes LArc
// ".lzs" and PMarc ".pma" files, which are LHA archives.
int extractHere(Dialogs& dialogs, ExtractionPrompts& prompts, const QStringList& paths);
