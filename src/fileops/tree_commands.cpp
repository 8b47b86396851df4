#include "fileops/tree_commands.h"

#include <sys/stat.h>
#include <QTreeWidgetItem>
#include <cerrno>
#include <exception>

#include "browser/file_list.h"
#include "browser/file_name_codec.h"
#include "browser/folder_scan.h"
#include "browser/folder_tree.h"
#include "browser/tree_state.h"
#include "fileops/command_context.h"
#include "fileops/file_operations.h"
#include "fileops/messages.h"
#include "fileops/name_check.h"
#include "fileops/undo_history.h"
#include "platform/command_table.h"
#include "platform/dialogs.h"
#include "platform/error_box.h"
#include "platform/file_exist.h"
#include "platform/file_transfer.h"
#include "platform/path_list.h"
#include "platform/path_text.h"
#include "platform/run_error.h"
#include "platform/shell_execute.h"
#include "settings/module1.h"

TreeCommands::TreeCommands(FileCommandContext& context, QObject* parent)
    : QObject(parent), m_context(context) {
    m_context.tree.setFolderDeleter([this](const QString& path) { deleteFolder(path); });
}

void TreeCommands::addMovedFolderNode(const QString& parentKey, const QString& path) {
    FolderTree& tree = m_context.tree;
    if (tree.Node(parentKey) == nullptr || tree.Node(path) != nullptr) {
        return;
    }
    tree.AddNode(parentKey, path, displayFileName(GetFileNm(path)),
                 m_context.state.icons.FolderClose);
    if (hasSubFolders(encodeFileName(path), AttributeFilter::fromSettings(m_context.state))) {
        tree.AddPlaceholder(path);
    }
}

void TreeCommands::MnuMakeFolder() {
    try {
        FolderTree& tree = m_context.tree;
        const QTreeWidgetItem* node = tree.SelectedNode();
        if (node == nullptr) {
            return;
        }
        const QString key = FolderTree::NodeKey(node);
        const std::optional<QString> given =
            m_context.dialogs.inputBox(fileops_msg::makeFolderPrompt(displayFileName(key)),
                                       fileops_msg::makeFolderTitle(), QString());
        const QString answer = given.value_or(QString()).trimmed();
        if (answer.isEmpty()) {
            return;
        }
        if (const QString problem = newNameProblem(answer, key); !problem.isEmpty()) {
            m_context.dialogs.message(fileops_msg::badName(answer, problem), MsgIcon::Critical);
            return;
        }
        const QString path = folderPrefix(key) + answer;
        if (FolderExist(path)) {
            m_context.dialogs.message(fileops_msg::folderExists(), MsgIcon::Information);
            return;
        }
        if (::mkdir(encodeFileName(path).constData(), 0777) != 0) {
            throwErrno(errno);
        }
        if (!FolderExist(path)) {
            return;
        }
        tree.AddNode(key, path, answer, m_context.state.icons.FolderClose);
        if (m_context.list.fileViewPressed()) {
            m_context.list.addMadeFolderRow(path, m_context.state.icons.FolderClose);
        }
    } catch (const std::exception& e) {
        ErrMsgDsp(m_context.dialogs, e);
    }
}

void TreeCommands::MnuMovFolder() {
    try {
        FolderTree& tree = m_context.tree;
        const QString source = tree.SelectedFolderPath();
        if (source.isEmpty() || source == tree.RootKey()) {
            return;  // the volume's root stays where it is
        }
        const QString answer = BrowseForFolder(
            m_context.dialogs, fileops_msg::moveFolderCaption(displayFileName(source)),
            folderPrefix(source));
        if (answer.isEmpty() || !FolderExist(answer)) {
            return;
        }
        moveFolder(source, answer);
    } catch (const std::exception& e) {
        ErrMsgDsp(m_context.dialogs, e);
    }
}

bool TreeCommands::moveFolder(const QString& source, const QString& destination) {
    FolderTree& tree = m_context.tree;
    const QString newPath = folderPrefix(destination) + GetFileNm(source);
    const bool existedBefore = FolderExist(newPath);
    const QTreeWidgetItem* node = tree.Node(source);
    const bool hadChildren = node != nullptr && node->childCount() > 0;
    int result = 0;
    {
        UndoStep step(m_context.history, fileops_msg::undoFolderMove());
        result = m_context.operations.ShellMoveFiles(makePathList({source}), destination, true);
    }
    if (result != 0) {
        return false;
    }
    file_commands::repaint(m_context);
    if (FolderExist(source)) {
        return false;  // declined
    }
    tree.RemoveNode(source);
    // Merged into a folder of the same name: that folder has its node already.
    if (!existedBefore) {
        addMovedFolderNode(folderKey(destination), newPath);
    }
    if (hadChildren && m_context.reopenSelectedFolder) {
        m_context.reopenSelectedFolder();
    } else {
        file_commands::listSelectedFolder(m_context);
    }
    return true;
}

void TreeCommands::MnuReNameFolder() {
    try {
        file_commands::stopPlayback(m_context);
        FolderTree& tree = m_context.tree;
        QTreeWidgetItem* node = tree.SelectedNode();
        if (node == nullptr || node == tree.RootNode()) {
            return;  // a volume's root is named by its mount
        }
        const QString oldKey = FolderTree::NodeKey(node);
        const QString text = node->text(0);
        const std::optional<QString> given = m_context.dialogs.inputBox(
            fileops_msg::renameFolderPrompt(text), fileops_msg::renameFolderTitle(), text);
        const QString answer = given.value_or(QString()).trimmed();
        if (answer.isEmpty() || answer == text) {
            return;
        }
        const QString parent = GetParentFolder(oldKey);
        if (const QString problem = newNameProblem(answer, parent); !problem.isEmpty()) {
            m_context.dialogs.message(fileops_msg::badName(answer, problem), MsgIcon::Critical);
            return;
        }
        const QString newPath = folderPrefix(parent) + answer;
        if (file_transfer::exists(newPath)) {
            m_context.dialogs.message(fileops_msg::folderNameExists(), MsgIcon::Critical);
            return;
        }
        {
            UndoStep step(m_context.history, fileops_msg::undoRename());
            m_context.operations.ShellRenameFile(oldKey, newPath);
        }
        if (!FolderExist(newPath) || tree.Node(parent) == nullptr) {
            return;
        }
        const bool hadChildren = node->childCount() > 0;
        QTreeWidgetItem* renamed =
            tree.AddNode(parent, newPath, answer, m_context.state.icons.FolderClose);
        if (renamed == nullptr) {
            return;
        }
        if (hadChildren) {
            tree.AddPlaceholder(newPath);
        }
        tree.RemoveNode(oldKey);
        tree.SelectNode(renamed);
        // The rows shown carry the old folder in their keys.
        const QString shown = m_context.treeState.CurrentFolder;
        if (shown == oldKey || shown.startsWith(folderPrefix(oldKey))) {
            file_commands::listSelectedFolder(m_context);
        }
    } catch (const std::exception& e) {
        ErrMsgDsp(m_context.dialogs, e);
    }
}

void TreeCommands::MnuDelFolder4() {
    m_context.tree.DeleteTreeFolder();
}

void TreeCommands::deleteFolder(const QString& path) {
    UndoStep step(m_context.history, fileops_msg::undoFolderDelete());
    m_context.operations.ShellDeleteFiles(makePathList({path}));
}

void TreeCommands::registerCommands(CommandTable& table) {
    table.add(CommandId::MnuMakeFolder, [this] { MnuMakeFolder(); })
        .caption(QStringLiteral("フォルダ作成(K)"));
    table.add(CommandId::MnuMovFolder, [this] { MnuMovFolder(); })
        .caption(QStringLiteral("フォルダ移動(M)"));
    table.add(CommandId::MnuReNameFolder, [this] { MnuReNameFolder(); })
        .caption(QStringLiteral("フォルダ名前変更(R)"));
    table.add(CommandId::MnuDelFolder4, [this] { MnuDelFolder4(); })
        .caption(QStringLiteral("フォルダ削除(DEL)"));
}
