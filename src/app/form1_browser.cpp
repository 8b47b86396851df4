// Form1: the browser's controls (tree, list, location box) and the commands that reach them from
// the menus and the toolbar.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QMenu>
#include <QSlider>
#include <QUrl>

#include "app/form1.h"
#include "app/status_bar1.h"
#include "app/toolbar1.h"
#include "browser/file_list.h"
#include "browser/file_list_view.h"
#include "browser/folder_tree.h"
#include "browser/location_box.h"
#include "browser/navigation.h"
#include "browser/tree_view1.h"
#include "fileops/archive_commands.h"
#include "fileops/shell_commands.h"
#include "platform/desktop_services.h"
#include "platform/error_box.h"
#include "platform/file_exist.h"
#include "platform/interval_timer.h"
#include "platform/path_text.h"
#include "platform/trash.h"
#include "player/movie.h"
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
    menu.QuickPathSet = m_menus.QuickPathSet;
    Navigation::Hooks hooks;
    hooks.iconView = [this] { return m_state.mIconDsp; };
    hooks.openFolderInFileManager = [](const QString& folder) {
        return desktopUrlOpener()(QUrl::fromLocalFile(folder));
    };
    m_shellCommands =
        std::make_unique<ShellCommands>(m_dialogs, *m_trash, desktopUrlOpener(), this);
    m_navigation =
        std::make_unique<Navigation>(m_state, *m_settings, m_treeState, m_dialogs, *m_tree, *m_list,
                                     *m_location, *m_hold, menu, std::move(hooks), this);
}

void Form1::applyListMenuState(const ListMenuState& state) {
    for (QAction* item : {m_menus.MnuMoviePlay, m_menus.MnuMovieStop, m_menus.MnuPrevios,
                          m_menus.MunNext, m_menus.MnuLoop}) {
        item->setVisible(state.playItemsVisible);
    }
    // The grid-line item stays: only the icon-view item of the sub-menu goes with the list.
    for (QAction* item : {m_menus.MunOpen, m_menus.MnuIconSet, m_menus.FilePopa, m_menus.DelFile,
                          m_menus.bar, m_menus.MoveFile, m_menus.ReNameFile}) {
        item->setVisible(state.fileItemsVisible);
    }
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
                applyListMenuState(state);
                showContextMenu(m_menus.MnuPlayOpt, pos, true);
            });
    connect(m_list.get(), &FileList::openFolderRequested, nav,
            [nav](const QString& path) { nav->GoToPath(path, true); });
}

void Form1::loadBrowser() {
    m_location->FillLocationBox();
    m_navigation->GoToPath(m_state.mStartPath, false);
    m_list->ListFolder(m_state.mStartPath, m_state.mIconDsp);
    m_treeState.CurrentFolder = m_state.mStartPath;
    // The row the listing made current is selected alone and scrolled into view.
    const QString current = m_list->CurrentRowText();
    if (!current.isEmpty()) {
        const QString prefix =
            m_state.mStartPath.endsWith(u'/') ? m_state.mStartPath : m_state.mStartPath + u'/';
        m_list->SelectRowByKey(prefix + current);
    }
}

void Form1::openStartFolder() {
    m_tree->ExpandToPath(m_state.mStartDrive, m_state.mStartPath, true);
}

void Form1::openGivenPath(const QString& path) {
    const bool folder = FolderExist(path);
    if (folder || FileExist(path)) {
        m_navigation->GoToPath(folder ? path : GetParentFolder(path), true);
        if (!folder) {
            playListedFile(path);
        }
    }
    if (isMinimized()) {
        showNormal();
    }
    raise();
    activateWindow();
}

bool Form1::playListedFile(const QString& path) {
    if (m_list->rowOfKey(path) < 0) {
        return false;
    }
    m_list->selectKeys({path});
    m_playList->PlayStep(2);
    return true;
}

void Form1::Toolbar1_ButtonClick(int index, const QString& key) {
    Q_UNUSED(key);
    m_commands.runHeld(Toolbar1::kButtons[index - 1].command);
}

void Form1::ToggleFileView() {
    QApplication::processEvents();
    const bool pressed = m_state.mFileView;
    m_list->ListFolder(m_tree->SelectedFolderPath(), m_state.mIconDsp);
    m_toolbar->button(Toolbar1::ExtractButton)->setVisible(pressed);
    m_toolbar->button(Toolbar1::SelectExtractButton)->setVisible(pressed);
}
