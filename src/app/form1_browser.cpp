// Form1: the browser's controls (tree, list, location box) and the commands that reach them from
// the menus and the toolbar.
#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QUrl>

#include "app/form1.h"
#include "app/status_bar1.h"
#include "browser/file_list.h"
#include "browser/file_list_view.h"
#include "browser/folder_tree.h"
#include "browser/location_box.h"
#include "browser/navigation.h"
#include "browser/tree_view1.h"
#include "fileops/file_commands.h"
#include "fileops/path_moves.h"
#include "fileops/undo_command.h"
#include "platform/desktop_services.h"
#include "platform/display_platform.h"
#include "platform/file_exist.h"
#include "platform/path_text.h"
#include "player/play_list.h"
#include "settings/live_settings.h"

void Form1::buildBrowser() {
    m_treeView = new class TreeView1(m_client);
    m_treeView->setObjectName(QStringLiteral("TreeView1"));
    m_listView = new FileListView(m_client);
    m_listView->setObjectName(QStringLiteral("ListView1"));
    m_tree = std::make_unique<FolderTree>(*m_treeView, m_state, m_treeState, m_dialogs, m_images);
    m_list = std::make_unique<FileList>(m_state, m_dialogs, m_images, *m_listView);
    m_location = std::make_unique<LocationBox>(*m_imageCombo, m_state, m_images, m_dialogs);

    Navigation::QuickPathMenu menu;
    menu.quickAccess = m_menus.quickAccess;
    menu.pass = m_menus.pass;
    Navigation::Hooks hooks;
    hooks.iconView = [this] { return m_state.mIconDsp; };
    hooks.openFolderInFileManager = [](const QString& folder) {
        return desktopUrlOpener()(QUrl::fromLocalFile(folder));
    };
    m_navigation =
        std::make_unique<Navigation>(m_state, *m_settings, m_treeState, m_dialogs, *m_tree, *m_list,
                                     *m_location, *m_hold, menu, std::move(hooks), this);
}

void Form1::wireBrowser() {
    Navigation* nav = m_navigation.get();
    connect(m_location.get(), &LocationBox::itemChosen, nav, &Navigation::ImageCombo1_Click);

    connect(m_tree.get(), &FolderTree::folderSelected, this,
            [this](const QString& path) { m_list->ListFolder(path, m_state.mIconDsp); });
    connect(m_tree.get(), &FolderTree::contextMenuRequested, this,
            [this](const QPoint& pos) { showContextMenu(m_menus.quickAccess, pos, false); });
    connect(m_list.get(), &FileList::contextMenuRequested, this,
            [this](const QPoint& pos, const ListMenuState& state) {
                m_menus.showListItems(state.playItemsVisible, state.fileItemsVisible);
                showContextMenu(m_menus.MnuPlayOpt, pos, true);
            });
    connect(m_list.get(), &FileList::openFolderRequested, nav,
            [nav](const QString& path) { nav->GoToPath(path, true); });

    // The list is the pane the commands and drops act on once it has the focus.
    connect(m_list.get(), &FileList::gotFocus, this, [this] { m_treeState.FocusPane = 1; });
    connect(m_list.get(), &FileList::statusTextChanged, this, [this](const QString& text) {
        m_statusBar->setPanelText(StatusBar1::FilesPanel, text);
    });
    // The widest panel, the one always in sight, says what an undo did until the next listing.
    connect(&m_fileCommands->undo(), &UndoCommand::notice, this, [this](const QString& text) {
        m_statusBar->setPanelText(StatusBar1::FilesPanel, text);
    });
}

void Form1::buildFileCommands() {
    m_pathMoves = new PathMoves(this);
    m_fileCommands = std::make_unique<FileCommands>(FileCommands::Parts{
        m_state, m_treeState, m_dialogs, m_session.trash(), *m_hold, *m_list, *m_tree, *m_treeView,
        *m_navigation, *m_pathMoves, this, m_session.iniPath()});
}

void Form1::loadBrowser() {
    m_location->FillLocationBox();
    m_navigation->GoToPath(m_state.mStartPath, false);
    m_list->ListFolder(m_state.mStartPath, m_state.mIconDsp);
    m_treeState.CurrentFolder = m_state.mStartPath;
    // The row the listing made current is selected alone and scrolled into view.
    m_list->whenListed([this] {
        const QString current = m_list->CurrentRowText();
        if (!current.isEmpty()) {
            const QString& start = m_state.mStartPath;
            m_list->SelectRowByKey((start.endsWith(u'/') ? start : start + u'/') + current);
        }
    });
}

void Form1::openStartFolder() {
    m_tree->ExpandToPath(m_state.mStartDrive, m_state.mStartPath, true);
    // The list is where a start goes on: the keyboard is there, not on the first control.
    m_listView->setFocus(Qt::OtherFocusReason);
}

void Form1::openGivenPath(const QString& path, const QString& activationToken) {
    m_navigation->showItem(path, [this](const QString& file) {
        if (!file.isEmpty()) {
            playListedFile(file);
        }
        // A hand-over changes what the exit would save without the window ever being the one in
        // use; where the process may end without an exit, it is kept at once.
        if (display_platform::mayEndWithoutExit() && !m_unloaded) {
            m_session.saveWhileRunning(*this);
        }
    });
    if (isMinimized()) {
        showNormal();
    }
    const bool withToken = !activationToken.isEmpty() && display_platform::isWayland();
    if (withToken) {
        // Wayland's client takes the token from here as the window asks to be activated.
        qputenv("XDG_ACTIVATION_TOKEN", activationToken.toUtf8());
    }
    raise();
    activateWindow();
    if (withToken) {
        // A compositor without activation leaves it unused: no program started later inherits it.
        qunsetenv("XDG_ACTIVATION_TOKEN");
    }
}

bool Form1::playListedFile(const QString& path) {
    if (m_list->rowOfKey(path) < 0) {
        return false;
    }
    m_list->selectKeys({path});
    m_playList->PlayStep(2);
    return true;
}
