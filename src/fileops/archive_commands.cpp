#include "fileops/archive_commands.h"

#include <algorithm>
#include <exception>

#include "archive/archiver_entries.h"
#include "archive/extract_archive.h"
#include "archive/messages.h"
#include "browser/file_list.h"
#include "browser/folder_scan.h"
#include "browser/folder_tree.h"
#include "platform/app_info.h"
#include "platform/command_table.h"
#include "platform/dialogs.h"
#include "platform/error_box.h"
#include "platform/file_name_codec.h"
#include "platform/path_list.h"
#include "platform/shell_execute.h"
#include "settings/module1.h"
#include "settings/playback_hold.h"

namespace {

// The entry points are part of the program; a build without them looks for the libraries.
bool libraryAvailable(const QString& name) {
    return archiveEntriesBuiltIn() || IsOnSearchPath(name);
}

}  // namespace

ArchiveCommands::ArchiveCommands(Module1& state, Dialogs& dialogs, FileList& list, FolderTree& tree,
                                 ExtractionPrompts& prompts, const PlaybackHold& hold, Hooks hooks,
                                 QObject* parent)
    : QObject(parent),
      m_state(state),
      m_dialogs(dialogs),
      m_list(list),
      m_tree(tree),
      m_prompts(prompts),
      m_hold(hold),
      m_hooks(std::move(hooks)) {}

bool ArchiveCommands::selectArchiveRows() {
    const int remembered = m_list.selectedRow();
    m_list.SetAllListItemsState(false);
    QStringList keys;
    for (int row = 0; row < m_list.rowCount(); ++row) {
        if (isArchiveName(m_list.model().row(row).text)) {
            keys.append(m_list.keyOfRow(row));
        }
    }
    if (keys.isEmpty()) {
        m_list.selectRow(remembered);
        return false;
    }
    m_list.selectKeys(keys);
    return m_dialogs.messageBox(archive_msg::confirmExtract(static_cast<int>(keys.size())),
                                MsgIcon::Question, MsgButtons::OkCancel,
                                app_info::title()) == MsgResult::Ok;
}

bool ArchiveCommands::extractRow(int row, const QString& folder, const QString& destination) {
    return extractArchive(m_dialogs, m_prompts, folderPrefix(folder) + m_list.model().row(row).text,
                          destination);
}

void ArchiveCommands::ExtractArchives(bool selectAll) {
    try {
        if (!libraryAvailable(QStringLiteral("UnZip32.DLL"))) {
            m_dialogs.message(archive_msg::unzipLibraryMissing(), MsgIcon::Critical);
            return;
        }
        if (!libraryAvailable(QStringLiteral("Unlha32.DLL"))) {
            m_dialogs.message(archive_msg::unlhaLibraryMissing(), MsgIcon::Critical);
            return;
        }
        if (m_list.rowCount() == 0) {
            return;
        }
        m_hold.hold();
        if (selectAll && !selectArchiveRows()) {
            return;
        }
        const QString folder = m_tree.SelectedFolderPath();
        QList<int> rows;
        for (const int row : m_list.selectedRows()) {
            if (!m_list.model().isFolderRow(row) && !folderExistsOnDisk(m_list.keyOfRow(row))) {
                rows.append(row);
            }
        }
        QString destination = folder;
        if (m_state.mSelectFolder != 0) {
            // Asked only when there is an archive to extract; a cancel ends the run quietly.
            const bool anyArchive = std::any_of(rows.begin(), rows.end(), [this](int row) {
                return isArchiveName(m_list.model().row(row).text);
            });
            if (!anyArchive) {
                return;
            }
            destination = BrowseForFolder(m_dialogs, archive_msg::chooseExtractFolder(),
                                          folderPrefix(folder));
            if (destination.isEmpty() || !folderExistsOnDisk(destination)) {
                return;
            }
        }
        QStringList extracted;
        for (const int row : rows) {
            if (extractRow(row, folder, destination)) {
                extracted.append(folderPrefix(folder) + m_list.model().row(row).text);
            }
        }
        if (extracted.isEmpty()) {
            return;
        }
        if (m_hooks.deleteToTrash) {
            m_hooks.deleteToTrash(makePathList(extracted));
        }
        if (m_hooks.repaint) {
            m_hooks.repaint();
        }
        m_list.ListFolder(folder, m_hooks.iconView && m_hooks.iconView());
        // Folders that came out of the archives get their nodes under the folder they went to.
        m_tree.followFolder(destination, true);
    } catch (const std::exception& e) {
        ErrMsgDsp(m_dialogs, e);
    }
}

void ArchiveCommands::registerCommands(CommandTable& table) {
    table.add(CommandId::ExtractArchives, [this] { ExtractArchives(false); })
        .toolTip(QStringLiteral("LZH、ZIPを解凍する。"));
    table.add(CommandId::SelectExtract, [this] { ExtractArchives(true); })
        .toolTip(QStringLiteral("LZH、ZIPを選択した後、解凍する。"));
}
