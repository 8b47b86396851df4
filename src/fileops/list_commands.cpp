#include "fileops/list_commands.h"

#include <sys/stat.h>
#include <QLineEdit>
#include <QTreeWidgetItem>
#include <cerrno>
#include <exception>

#include "browser/file_list.h"
#include "browser/file_list_view.h"
#include "browser/file_name_codec.h"
#include "browser/folder_scan.h"
#include "browser/folder_tree.h"
#include "fileops/command_context.h"
#include "fileops/ext_change_dialog.h"
#include "fileops/file_operations.h"
#include "fileops/messages.h"
#include "fileops/name_check.h"
#include "fileops/path_moves.h"
#include "fileops/undo_history.h"
#include "platform/busy_cursor.h"
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

namespace {

bool sameFile(const QString& a, const QString& b) {
    struct stat sa {};
    struct stat sb {};
    return ::lstat(encodeFileName(a).constData(), &sa) == 0 &&
           ::lstat(encodeFileName(b).constData(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

// Renames without ever replacing another file; a change of case alone on a file system that
// ignores case (the same file under both names) goes through a name of its own.
int renameKeepingOthers(const QString& from, const QString& to) {
    if (!sameFile(from, to)) {
        return file_transfer::renameNoReplace(from, to);
    }
    const QString folder = GetParentFolder(from);
    const QString step =
        folderPrefix(folder) +
        file_transfer::unusedHiddenName(folder, GetFileNm(from), QStringLiteral("rename"));
    if (const int err = file_transfer::renameNoReplace(from, step); err != 0) {
        return err;
    }
    if (const int err = file_transfer::renameNoReplace(step, to); err != 0) {
        file_transfer::renameNoReplace(step, from);
        return err;
    }
    return 0;
}

}  // namespace

ListCommands::ListCommands(FileCommandContext& context, QObject* parent)
    : QObject(parent), m_context(context) {}

ListCommands::Selection ListCommands::gatherSelection() const {
    Selection selection;
    const FileList& list = m_context.list;
    for (const int row : list.selectedRows()) {
        const QString key = list.keyOfRow(row);
        selection.keys.append(key);
        selection.lastKey = key;
        selection.lastRow = row;
        if (list.model().isFolderRow(row)) {
            selection.folderAmong = true;
        }
    }
    return selection;
}

void ListCommands::dropGoneRows(const Selection& selection) {
    // The last item still there: the user declined, or nothing could be done.
    if (file_transfer::exists(selection.lastKey)) {
        return;
    }
    // The rows of the items the operation took away; the rest are still on disk.
    m_context.list.removeRowsOfKeys(m_context.operations.lastGone());
    if (selection.folderAmong && m_context.refreshList) {
        m_context.refreshList();
    } else {
        file_commands::repaint(m_context);
    }
}

void ListCommands::DelFile() {
    try {
        file_commands::stopPlayback(m_context);
        FileList& list = m_context.list;
        const Selection selection = gatherSelection();
        if (list.rowCount() == 0 || selection.keys.isEmpty()) {
            return;
        }
        {
            UndoStep step(m_context.history, fileops_msg::undoDelete());
            m_context.operations.ShellDeleteFiles(makePathList(selection.keys));
        }
        dropGoneRows(selection);
        list.SetAllListItemsState(false);
        const int count = list.rowCount();
        if (count > 0) {
            // The row that took the last selected row's place, or the new last row.
            int position = selection.lastRow + 1;
            if (position > count) {
                position = count;
            }
            if (count == 1) {
                position = 1;
            }
            list.selectRow(position - 1);
        }
    } catch (const std::exception& e) {
        ErrMsgDsp(m_context.dialogs, e);
    }
}

void ListCommands::MoveFile() {
    try {
        file_commands::stopPlayback(m_context);
        FileList& list = m_context.list;
        const QString folder = m_context.tree.SelectedFolderPath();
        if (list.rowCount() == 0 || folder.isEmpty()) {
            return;
        }
        const Selection selection = gatherSelection();
        if (selection.keys.isEmpty()) {
            return;
        }
        const QString answer =
            BrowseForFolder(m_context.dialogs, fileops_msg::moveFilesCaption(selection.lastKey),
                            folderPrefix(folder));
        if (answer.isEmpty() || !FolderExist(answer)) {
            return;
        }
        {
            UndoStep step(m_context.history, fileops_msg::undoMove());
            m_context.operations.ShellMoveFiles(makePathList(selection.keys), answer, true);
        }
        dropGoneRows(selection);
        if (list.rowCount() > 0) {
            list.selectRow(0);
            list.view().setFocus();
        }
    } catch (const std::exception& e) {
        ErrMsgDsp(m_context.dialogs, e);
    }
}

void ListCommands::ReFileNameFile() {
    try {
        file_commands::stopPlayback(m_context);
        const QString folder = m_context.tree.SelectedFolderPath();
        if (m_context.list.rowCount() == 0 || folder.isEmpty()) {
            return;
        }
        // The rows are asked for one by one; their keys change as they are renamed.
        const QStringList keys = m_context.list.selectedKeys();
        bool treeUpdates = true;
        for (const QString& key : keys) {
            renameRow(key, folder, treeUpdates);
        }
    } catch (const std::exception& e) {
        ErrMsgDsp(m_context.dialogs, e);
    }
}

bool ListCommands::renameRow(const QString& key, const QString& folder, bool& treeUpdates) {
    FileList& list = m_context.list;
    const int row = list.rowOfKey(key);
    if (row < 0) {
        return false;
    }
    const FileListModel& model = list.model();
    const QString text = model.row(row).text;
    const bool isFolder = folderExistsOnDisk(key);
    const QString prompt = fileops_msg::renamePrompt(
        isFolder, displayFileName(text), model.columnText(row, FileListModel::SizeColumn).trimmed(),
        model.columnText(row, FileListModel::DateColumn),
        model.columnText(row, FileListModel::TypeColumn));
    const std::optional<QString> given = m_context.dialogs.inputBox(
        prompt, fileops_msg::renameTitle(), isFolder ? text : RemoveExtension(text));
    const QString answer = given.value_or(QString()).trimmed();
    if (answer.isEmpty()) {
        return false;
    }
    // A file keeps its extension; one without an extension gets none.
    const QString ext = GetExtName(text);
    const QString newName = isFolder || ext.isEmpty() ? answer : answer + u'.' + ext;
    if (newName == text) {
        return false;
    }
    if (const QString problem = newNameProblem(newName, folder); !problem.isEmpty()) {
        m_context.dialogs.message(fileops_msg::badName(displayFileName(newName), problem),
                                  MsgIcon::Critical);
        return false;
    }
    const QString newPath = folderPrefix(folder) + newName;
    if (file_transfer::exists(newPath)) {
        m_context.dialogs.message(fileops_msg::nameExists(), MsgIcon::Critical);
        return false;
    }
    {
        UndoStep step(m_context.history, fileops_msg::undoRename());
        if (file_transfer::exists(key)) {
            m_context.operations.ShellMoveFiles(makePathList({key}), newPath, false);
        } else {
            m_context.operations.ShellRenameFile(key, newPath);
        }
    }
    if (!file_transfer::exists(newPath) || file_transfer::exists(key)) {
        return false;
    }
    FileListModel& rows = list.model();
    rows.setText(row, newName);
    rows.setKey(row, newPath);
    if (isFolder && treeUpdates) {
        try {
            replaceFolderNode(key, newPath, newName);
        } catch (const std::exception&) {
            // The tree is only a view of the disk: the rest of the renames go on without it.
            treeUpdates = false;
        }
    }
    return true;
}

void ListCommands::replaceFolderNode(const QString& oldKey, const QString& newKey,
                                     const QString& name) {
    FolderTree& tree = m_context.tree;
    QTreeWidgetItem* old = tree.Node(oldKey);
    const QString parentKey = GetParentFolder(oldKey);
    if (old == nullptr || tree.Node(parentKey) == nullptr) {
        return;
    }
    const bool hadChildren = old->childCount() > 0;
    if (tree.AddNode(parentKey, newKey, displayFileName(name), m_context.state.icons.FolderClose) ==
        nullptr) {
        return;
    }
    if (hadChildren) {
        tree.AddPlaceholder(newKey);
    }
    tree.RemoveNode(oldKey);
}

void ListCommands::ReNameFile() {
    file_commands::stopPlayback(m_context);
    ExtChangeDialog dialog(m_context.window);
    dialog.LoadExtChangeSetting(m_context.iniPath);
    connect(&dialog, &ExtChangeDialog::okClicked, &dialog, [this, &dialog] {
        if (Form3Ok(dialog)) {
            dialog.accept();
        }
    });
    dialog.exec();
}

bool ListCommands::Form3Ok(ExtChangeDialog& dialog) {
    FileList& list = m_context.list;
    const int option = dialog.checkedOption();
    const QString typed = dialog.Text1()->text();
    if (list.rowCount() == 0 || (option == 2 && !typedExtensionValid(typed))) {
        return false;
    }
    const QString folder = m_context.tree.SelectedFolderPath();
    const QString prefix = folderPrefix(folder);
    {
        BusyCursor busy;
        UndoStep step(m_context.history, fileops_msg::undoExtChange());
        for (const int row : list.selectedRows()) {
            if (list.model().isFolderRow(row)) {
                continue;
            }
            const QString key = list.keyOfRow(row);
            const QString name = list.model().row(row).text;
            const QString changed = changedExtensionName(name, option, typed);
            if (changed.isEmpty()) {
                continue;
            }
            const QString target = prefix + changed;
            const int err = renameKeepingOthers(key, target);
            if (err == EEXIST) {
                m_context.dialogs.message(
                    fileops_msg::extNameTaken(displayFileName(name), displayFileName(changed)),
                    MsgIcon::Exclamation);
                continue;
            }
            if (err != 0) {
                // Those renamed so far stay renamed (and undoable); the dialog stays open.
                ErrMsgDsp(m_context.dialogs, runErrorFromErrno(err));
                return false;
            }
            m_context.history.recordRenamed(key, target);
            m_context.pathMoves.tell(key, target);
            // The row follows at once, so a second OK after a failure starts from the disk.
            list.model().setText(row, changed);
            list.model().setKey(row, target);
        }
    }
    file_commands::listSelectedFolder(m_context);
    dialog.SaveExtChangeSetting(m_context.iniPath);
    return true;
}

void ListCommands::registerCommands(CommandTable& table) {
    table.add(CommandId::DelFile, [this] { DelFile(); })
        .caption(QStringLiteral("ファイル削除(Del)"));
    table.add(CommandId::MoveFile, [this] { MoveFile(); })
        .caption(QStringLiteral("ファイル移動(M)"));
    table.add(CommandId::ReFileNameFile, [this] { ReFileNameFile(); })
        .caption(QStringLiteral("ファイル名の変更(R)"));
    table.add(CommandId::ReNameFile, [this] { ReNameFile(); })
        .caption(QStringLiteral("拡張子の変更"));
}
