#pragma once

#include <QObject>
#include <QString>

class CommandTable;
struct FileCommandContext;

// The folder tree's commands on its selected folder: make a subfolder (MnuMakeFolder), move the
// folder into a chosen one (MnuMovFolder), rename it (MnuReNameFolder) and delete it to the trash
// (MnuDelFolder4). The tree is kept in step without being built again: nodes are added, removed
// and selected by key once the disk shows the change.
class TreeCommands : public QObject {
    Q_OBJECT
public:
    explicit TreeCommands(FileCommandContext& context, QObject* parent = nullptr);

    void MnuMakeFolder();
    void MnuMovFolder();
    void MnuReNameFolder();
    void MnuDelFolder4();
    void registerCommands(CommandTable& table);

    // Moves the folder source into destination after the user's confirmation and brings the
    // tree and the list in line with the disk; false when nothing moved.
    bool moveFolder(const QString& source, const QString& destination);

    // Adds the node of a folder that has just come to be under parentKey, expandable when the
    // folder has subfolders; nothing when the parent has no node or the node is there already.
    void addMovedFolderNode(const QString& parentKey, const QString& path);

private:
    // The folder deleter of the tree: to the trash, as one undo step.
    void deleteFolder(const QString& path);

    FileCommandContext& m_context;
};
