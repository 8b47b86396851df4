#pragma once

#include <QString>
#include <QStringList>

#include "archive/archiver_entries.h"

class Dialogs;
class FileOpProgress;

// What an extraction asks the user, through the program's dialogs: whether to replace a file,
// the password of an encrypted archive, the progress of a long run (with its cancel), and, at
// the end of each archive, which of its entries were not written and why.
class DialogExtractionPrompts : public ExtractionPrompts {
public:
    DialogExtractionPrompts(Dialogs& dialogs, FileOpProgress& progress);

    Overwrite askOverwrite(const QString& path) override;
    std::optional<QString> askPassword(const QString& archive, int attempt) override;
    void begin(const QString& archive, qint64 totalBytes) override;
    bool advance(const QString& entry, qint64 doneBytes) override;
    void end() override;
    void entryRefused(const QString& entry, const QString& reason) override;

private:
    Dialogs& m_dialogs;
    FileOpProgress& m_progress;
    QString m_archive;
    QStringList m_refused;
    qsizetype m_refusedCount = 0;
    bool m_replaceAll = false;
};
