#include "browser/navigation.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTreeWidgetItem>
#include <exception>
#include <optional>

#include "browser/drive_ready.h"
#include "browser/file_list.h"
#include "browser/find_files_window.h"
#include "browser/folder_tree.h"
#include "browser/location_box.h"
#include "browser/messages.h"
#include "browser/navigation_messages.h"
#include "browser/path_utils.h"
#include "browser/special_folder.h"
#include "browser/tree_state.h"
#include "platform/app_info.h"
#include "platform/background_call.h"
#include "platform/busy_cursor.h"
#include "platform/command_table.h"
#include "platform/dialogs.h"
#include "platform/error_box.h"
#include "platform/file_exist.h"
#include "platform/path_text.h"
#include "platform/shell_execute.h"
#include "platform/volumes.h"
#include "settings/live_settings.h"
#include "settings/module1.h"
#include "settings/playback_hold.h"

Navigation::Navigation(Module1& module, LiveSettings& settings, TreeState& treeState,
                       Dialogs& dialogs, FolderTree& tree, FileList& list, LocationBox& location,
                       const PlaybackHold& hold, QuickPathMenu menu, Hooks hooks, QWidget* window,
                       QObject* parent)
    : QObject(parent),
      m_module(module),
      m_settings(settings),
      m_treeState(treeState),
      m_dialogs(dialogs),
      m_tree(tree),
      m_list(list),
      m_location(location),
      m_hold(hold),
      m_menu(menu),
      m_hooks(std::move(hooks)),
      m_window(window) {
    m_probeGiveUp.setSingleShot(true);
    m_probeGiveUp.setInterval(kProbeGiveUpMs);
    connect(&m_probeGiveUp, &QTimer::timeout, this, &Navigation::probeUnanswered);
    connect(&settings, &LiveSettings::quickPathsChanged, this, &Navigation::showQuickPaths);
    connect(&settings, &LiveSettings::quickPathValueChanged, this, &Navigation::showQuickPathValue);
}

Navigation::~Navigation() {
    delete m_findWindow;
}

void Navigation::stopPlayback() {
    m_hold.hold();
}

QList<Volume> Navigation::volumes() const {
    return m_hooks.volumes ? m_hooks.volumes() : listVolumes();
}

namespace {

// True when a path is the mount point of a network volume, or a share written as //server/share:
// what mNetDrive holds while a network folder is on show.
bool namesNetworkVolume(const QString& path, const QList<Volume>& volumes) {
    if (path.startsWith(u"//") && path.size() > 2 && path[2] != u'/') {
        return true;
    }
    const Volume* volume = volumeOf(path, volumes);
    return volume != nullptr && volume->type == DriveType::Remote && volume->mountPoint == path;
}

}  // namespace

void Navigation::selectLocationOfShownVolume() {
    const QString shown = m_tree.RootKey();
    if (!shown.isEmpty()) {
        m_location.selectKey(shown);
    }
}

void Navigation::GoToPath(const QString& path, bool expand) {
    GoToPath(path, expand, Visit{});
}

void Navigation::showItem(const QString& path, std::function<void(const QString& file)> listed) {
    Visit visit = Visit::passingOver();
    visit.fileToo = true;
    visit.listed = std::move(listed);
    GoToPath(path, true, std::move(visit));
}

void Navigation::GoToPath(const QString& path, bool expand, Visit visit) {
    if (path.isEmpty()) {
        m_dialogs.message(nav_msg::cannotMove(), MsgIcon::Exclamation);
        return;
    }
    // The path and its volume are first looked at off the window's thread; its answers are the
    // drive and folder tests the going to needs, so nothing is looked at again on this thread.
    probe(path, [this, path, expand, visit = std::move(visit)](const PathLook& look) {
        goToAnsweringPath(path, expand, look, visit);
    });
}

void Navigation::probe(const QString& path, std::function<void(const PathLook&)> then) {
    forgetProbe();
    auto look = lookAtPathLater(path, volumes());
    if (look->waitFor(m_probeDeadline)) {
        then(look->take());
        return;
    }
    m_probe = look;
    m_probeGiveUp.start();
    m_probeTarget = path;
    look->whenDone(this, [this, look, then = std::move(then)] {
        if (m_probe == look) {
            forgetProbe();
            then(look->take());
        }
    });
}

void Navigation::forgetProbe() {
    if (m_probe) {
        m_probe->cancel();
        m_probe.reset();
    }
    m_probeGiveUp.stop();
}

void Navigation::probeUnanswered() {
    forgetProbe();
    tellDriveNotAnswering(m_dialogs, m_probeTarget, volumes());
}

void Navigation::goToAnsweringPath(const QString& asked, bool expand, const PathLook& look,
                                   const Visit& visit) {
    try {
        const bool file = visit.fileToo && look.file;
        if (!look.folder && !file && look.driveError == 0 && !visit.tellMissing) {
            return;  // passed over without a word
        }
        const QString path = file ? GetParentFolder(asked) : asked;
        m_treeState.CurrentFolder = path;
        BusyCursor busy;
        const QList<Volume> volumes = this->volumes();
        const QString drive = GetDriveNm(path, volumes);
        const Volume* volume = volumeOf(path, volumes);
        const bool network = volume != nullptr && volume->type == DriveType::Remote;
        if (network) {
            m_module.mNetDrive = drive;
        }
        stopPlayback();
        if (!DriveReady(m_dialogs, path, volumes, look.driveError)) {
            selectLocationOfShownVolume();
            return;
        }
        if (!look.folder && !file) {
            m_dialogs.message(nav_msg::pathMissing(), MsgIcon::Information);
            return;
        }
        m_tree.BuildDriveTree(drive);
        if (network) {
            m_location.clearText();
        } else {
            m_location.selectKey(drive);
        }
        if (expand) {
            m_tree.ExpandToPath(drive, path, true);
            const QString selected = m_tree.SelectedFolderPath();
            if (!selected.isEmpty()) {
                m_list.ListFolder(selected, m_hooks.iconView && m_hooks.iconView());
                m_treeState.CurrentFolder = selected;
            }
        }
        const QString fileKey = file ? folderPrefix(path) + GetFileNm(asked) : QString();
        if (file || visit.listed) {
            m_list.whenListed([this, fileKey, listed = visit.listed] {
                if (!fileKey.isEmpty()) {
                    m_list.SelectRowByKey(fileKey);
                }
                if (listed) {
                    listed(fileKey);
                }
            });
        }
    } catch (const std::exception& e) {
        ErrMsgDsp(m_dialogs, e);
    }
}

void Navigation::GoUpFolder() {
    const QString parent = GetParentFolder(m_tree.SelectedFolderPath());
    // The volume's root has no parent worth going to from the tree of that volume.
    if (!parent.isEmpty() && m_tree.SelectedFolderPath() != m_tree.RootKey()) {
        GoToPath(parent, true);
    }
}

void Navigation::ReopenSelectedFolder() {
    BusyCursor busy;
    stopPlayback();
    const QString selected = m_tree.SelectedFolderPath();
    // A shown folder is not listed again unless forced: forget it so the list is read afresh.
    m_treeState.CurrentFolder.clear();
    GoToPath(selected, true);
    if (m_window) {
        m_window->repaint();
    }
    m_hold.release();
}

void Navigation::matchLocationTextToRoot() {
    const QString key = m_location.currentKey();
    const QTreeWidgetItem* root = m_tree.RootNode();
    if (!key.isEmpty() && root != nullptr && m_location.itemText(key) != root->text(0)) {
        m_location.setItemText(key, root->text(0));
    }
}

void Navigation::Listkousin_Click() {
    try {
        BusyCursor busy;
        stopPlayback();
        const QString currentText = m_list.CurrentRowText();
        const QString folder = m_tree.SelectedFolderPath();
        m_treeState.CurrentFolder.clear();
        GoToPath(folder, true);
        matchLocationTextToRoot();
        if (!currentText.isEmpty()) {
            const QString selected = m_tree.SelectedFolderPath();
            const QString prefix = selected.endsWith(u'/') ? selected : selected + u'/';
            m_list.whenListed([this, key = prefix + currentText] { m_list.SelectRowByKey(key); });
        }
        if (m_window) {
            m_window->repaint();
        }
        m_hold.release();
    } catch (const std::exception& e) {
        ErrMsgDsp(m_dialogs, e);
    }
}

void Navigation::GoDeskTop_Click() {
    try {
        GoToPath(ClsGetSpecialFolder().DesktopPath(), true);
    } catch (const std::exception& e) {
        ErrMsgDsp(m_dialogs, e);
    }
}

void Navigation::GoMydoc_Click() {
    try {
        GoToPath(ClsGetSpecialFolder().MyDocumentPath(), true);
    } catch (const std::exception& e) {
        ErrMsgDsp(m_dialogs, e);
    }
}

void Navigation::GoNetWtok_Click() {
    try {
        stopPlayback();
        m_tree.focusTree();
        const QString root = ClsGetSpecialFolder().NetWorkPath();
        const QString answer =
            BrowseForFolder(m_dialogs, nav_msg::chooseNetwork(),
                            root.isEmpty() ? m_tree.SelectedFolderPath() : root, root);
        if (!answer.isEmpty()) {
            m_location.clearText();
            GoToPath(answer, true, Visit::passingOver());
        }
    } catch (const std::exception& e) {
        ErrMsgDsp(m_dialogs, e);
    }
}

void Navigation::GoFolder_Click() {
    try {
        stopPlayback();
        m_tree.focusTree();
        QString initial = m_tree.SelectedFolderPath();
        if (!initial.isEmpty() && !initial.endsWith(u'/')) {
            initial += u'/';
        }
        const QString answer = BrowseForFolder(m_dialogs, nav_msg::chooseFolder(), initial);
        if (!answer.isEmpty()) {
            // The network folder on show leaves the box; the answer itself is not looked at.
            if (namesNetworkVolume(m_module.mNetDrive, volumes())) {
                m_location.clearText();
            }
            GoToPath(answer, true, Visit::passingOver());
        }
    } catch (const std::exception& e) {
        ErrMsgDsp(m_dialogs, e);
    }
}

void Navigation::GoExp_Click() {
    m_hold.holdSlideShow();
    try {
        const QString folder = m_tree.SelectedFolderPath();
        if (!folder.isEmpty() && m_hooks.openFolderInFileManager &&
            !m_hooks.openFolderInFileManager(folder)) {
            m_dialogs.message(nav_msg::fileManagerFailed(folder), MsgIcon::Exclamation);
        }
    } catch (const std::exception& e) {
        ErrMsgDsp(m_dialogs, e);
    }
}

void Navigation::GoSearch_Click() {
    m_hold.holdSlideShow();
    if (!m_findWindow) {
        m_findWindow = new FindFilesWindow(m_dialogs);
        m_findWindow->setAttribute(Qt::WA_DeleteOnClose, false);
        connect(m_findWindow, &FindFilesWindow::openInBrowser, this,
                &Navigation::showFileInBrowser);
    }
    m_findWindow->openOn(m_tree.SelectedFolderPath());
}

void Navigation::showFileInBrowser(const QString& folder, const QString& fileName) {
    const QString prefix = folder.endsWith(u'/') ? folder : folder + u'/';
    Visit visit;
    visit.listed = [this, key = prefix + fileName](const QString&) { m_list.SelectRowByKey(key); };
    GoToPath(folder, true, std::move(visit));
}

void Navigation::ImageCombo1_Click(const QString& key) {
    try {
        if (key == LocationBox::DeskTopKey()) {
            GoDeskTop_Click();
        } else if (key == LocationBox::MyDocumentsKey()) {
            GoMydoc_Click();
        } else if (!key.isEmpty()) {
            // The volume is tested before anything else happens: one that is not ready leaves
            // the browser (and what plays) as it is.
            probe(key, [this, key](const PathLook& look) {
                if (!DriveReady(m_dialogs, key, volumes(), look.driveError)) {
                    selectLocationOfShownVolume();
                    return;
                }
                goToAnsweringPath(key, true, look, Visit{});
                matchLocationTextToRoot();
            });
        } else {
            selectLocationOfShownVolume();
        }
    } catch (const std::exception& e) {
        ErrMsgDsp(m_dialogs, e);
    }
}

QuickPaths Navigation::quickPaths() const {
    QuickPaths paths;
    for (int k = 0; k < QuickPaths::kCount; ++k) {
        paths.set(k, m_module.mQuickPath[k]);
    }
    return paths;
}

void Navigation::setQuickPaths(const QuickPaths& paths) {
    m_settings.setQuickPaths(paths.paths());
}

void Navigation::showQuickPaths() {
    for (int k = 0; k < QuickPaths::kCount; ++k) {
        const QString& path = m_module.mQuickPath[k];
        m_menu.pass[k]->setText(path);
        m_menu.pass[k]->setVisible(!path.isEmpty());
    }
}

void Navigation::pass_Click(int index) {
    const QString caption = m_module.mQuickPath[index];
    // A remembered folder that is gone is passed over without a word.
    if (!caption.isEmpty()) {
        GoToPath(caption, true, Visit::passingOver());
    }
}

void Navigation::AddQuickPath(const QString& folder) {
    QuickPaths paths = quickPaths();
    if (paths.AddQuickPath(folder)) {
        setQuickPaths(paths);
    }
}

void Navigation::QuickPathAdd_Click() {
    AddQuickPath(m_tree.SelectedFolderPath());
}

void Navigation::QuickPathClear_Click() {
    m_hold.holdSlideShow();
    const MsgResult answer = m_dialogs.messageBox(nav_msg::clearQuickPaths(), MsgIcon::Question,
                                                  MsgButtons::OkCancel, app_info::title());
    if (answer == MsgResult::Cancel) {
        return;
    }
    setQuickPaths(QuickPaths());
}

void Navigation::QuickPathSet_Click(int index) {
    m_settings.setQuickPathValue(index);
}

void Navigation::showQuickPathValue(int mode) {
    m_menu.quickAccess->setTitle(QuickPaths::quickAccessCaption(mode));
}

void Navigation::registerCommands(CommandTable& table) {
    using C = CommandId;
    // The tool tips are kept exactly as the program has always shown them; the two navigation
    // tips name the keys that go there (F7 the desktop, F6 the documents).
    table.add(C::Refresh, [this] { Listkousin_Click(); })
        .caption(QStringLiteral("最新の情報に更新"))
        .toolTip(QStringLiteral("最新の情報に更新(F5)"));
    table.add(C::GoUpFolder, [this] { GoUpFolder(); }).toolTip(QStringLiteral("1つ上に(BS)"));
    table.add(C::GoMydoc, [this] { GoMydoc_Click(); })
        .caption(QStringLiteral("マイドキュメント(&M)"))
        .toolTip(QStringLiteral("マイドキュメント(F6)"))
        .shortcut(Qt::Key_F6);
    table.add(C::GoDeskTop, [this] { GoDeskTop_Click(); })
        .caption(QStringLiteral("デスクトップ(&D)"))
        .toolTip(QStringLiteral("デスクトップ(F7)"))
        .shortcut(Qt::Key_F7);
    table.add(C::GoNetWtok, [this] { GoNetWtok_Click(); })
        .caption(QStringLiteral("ネットワーク"))
        .toolTip(QStringLiteral("ネットワーク(F8)"))
        .shortcut(Qt::Key_F8);
    table.add(C::GoFolder, [this] { GoFolder_Click(); }).caption(QStringLiteral("フォルダ選択"));
    table.add(C::GoExp, [this] { GoExp_Click(); }).caption(QStringLiteral("エクスプローラ(&X)"));
    table.add(C::GoSearch, [this] { GoSearch_Click(); }).caption(QStringLiteral("検索(&F)"));
    // The remembered folders' items show the folders themselves.
    table.add(C::QuickPath, [this](int index) { pass_Click(index); });
    table.add(C::QuickPathAdd, [this] { QuickPathAdd_Click(); })
        .caption(QStringLiteral("クイックパスに現在のパスを追加"));
    table.add(C::QuickPathClear, [this] { QuickPathClear_Click(); })
        .caption(QStringLiteral("クイックパスクリア(&C)"));
    table.add(C::QuickPathSet, [this](int index) { QuickPathSet_Click(index); })
        .captions({QStringLiteral("毎回記録する。"), QStringLiteral("最後まで見た時、記録する。"),
                   QStringLiteral("まったく登録しない。")})
        .checked([this](int index) { return m_module.mQuickPathValue == index; });
}
