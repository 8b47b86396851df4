#pragma once

#include <QObject>
#include <QString>

class CommandTable;
struct FileCommandContext;

// Ctrl+Z on the list or the tree: undoes the last delete, move or rename of this run through the
// undo history, then shows the disk as it now is (the rows, and the tree when folders came back
// or went) and says in the status bar what was undone.
class UndoCommand : public QObject {
    Q_OBJECT
public:
    explicit UndoCommand(FileCommandContext& context, QObject* parent = nullptr);

    void Undo();
    void registerCommands(CommandTable& table);

signals:
    // What the status bar shows about the undo, once the rows and nodes show it.
    void notice(const QString& text);

private:
    FileCommandContext& m_context;
};
