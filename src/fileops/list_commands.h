#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class CommandTable;
struct FileCommandContext;
class ExtChangeDialog;

// The file list's commands on its selected rows: delete to the trash (DelFile), move into a
// chosen folder (MoveFile), rename one by one (ReFileNameFile) and the extension change of Form3
// (ReNameFile). Each stops playback first, lets the file operations do the work, then looks at
// the disk and brings the rows (and, for folders, the tree) in line with what really happened.
class ListCommands : public QObject {
    Q_OBJECT
public:
    explicit ListCommands(FileCommandContext& context, QObject* parent = nullptr);

    void DelFile();
    void MoveFile();
    void ReFileNameFile();
    // Shows Form3 modal; its OK changes the extensions of the selected files.
    void ReNameFile();

    // Form3's OK: false (and the dialog stays open) when nothing could be done.
    bool Form3Ok(ExtChangeDialog& dialog);

    void registerCommands(CommandTable& table);

private:
    struct Selection {
        QStringList keys;
        QString lastKey;
        int lastRow = -1;
        bool folderAmong = false;
    };
    Selection gatherSelection() const;
    // After a delete or move: the rows whose items are gone leave; a folder among them has the
    // list (and tree) read again.
    void dropGoneRows(const Selection& selection);
    bool renameRow(const QString& key, const QString& folder, bool& treeUpdates);
    void replaceFolderNode(const QString& oldKey, const QString& newKey, const QString& name);

    FileCommandContext& m_context;
};
