#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <array>
#include <chrono>
#include <functional>
#include <memory>

#include "browser/drive_ready.h"
#include "browser/find_files_window.h"
#include "browser/quick_paths.h"
#include "platform/volumes.h"

template <typename T>
class BackgroundCall;

class CommandTable;
class Dialogs;
class FileList;
class FolderTree;
class PlaybackHold;
class LiveSettings;
class LocationBox;
class QAction;
class QMenu;
class QWidget;
struct Module1;
struct TreeState;

// Navigation: every change of the folder being browsed goes through GoToPath, which checks the
// target, stops playback, rebuilds the tree for the target's volume, opens it along the path and
// lists the folder, keeping the location box in step. Around it: the location box, the
// desktop / documents / network / folder-picker commands, one folder up, the file manager and
// find-files commands, and the quick paths of the tree's menu.
class Navigation : public QObject {
    Q_OBJECT
public:
    // The menu that shows the quick paths (its items' captions) and the recording mode (its
    // title; the mode's items are ticked by their command).
    struct QuickPathMenu {
        QMenu* quickAccess = nullptr;
        std::array<QAction*, QuickPaths::kCount> pass{};
    };
    // What navigation needs from the parts above it.
    struct Hooks {
        std::function<bool()> iconView;  // the MnuIconSet tick
        std::function<bool(const QString&)> openFolderInFileManager;
        // The volumes of the machine (listVolumes when not set).
        std::function<QList<Volume>()> volumes;
    };

    // How GoToPath goes besides going.
    struct Visit {
        bool tellMissing = true;  // a path that is not there is told; else passed over silently
        bool fileToo = false;     // a file is shown in its folder, its row selected
        // Runs once the list shows the folder gone to; the file's key when a file was shown.
        std::function<void(const QString& file)> listed;

        // A folder remembered or picked: one that has gone is passed over without a word.
        static Visit passingOver() {
            Visit visit;
            visit.tellMissing = false;
            return visit;
        }
    };

    Navigation(Module1& module, LiveSettings& settings, TreeState& treeState, Dialogs& dialogs,
               FolderTree& tree, FileList& list, LocationBox& location, const PlaybackHold& hold,
               QuickPathMenu menu, Hooks hooks, QWidget* window, QObject* parent = nullptr);
    ~Navigation() override;

    // Goes to a folder: checks its volume and the folder, opens the tree along it (opening the
    // folder's own node when expand is true) and lists it. A path that does not answer within a
    // moment is gone to when it answers, with the window live meanwhile.
    void GoToPath(const QString& path, bool expand);
    void GoToPath(const QString& path, bool expand, Visit visit);
    // Shows an item handed over (dropped, or named on the command line): a folder is gone into,
    // a file's folder with its row selected; nothing happens for a path that is not there.
    // listed gets the file's key (empty for a folder) once the list shows it.
    void showItem(const QString& path, std::function<void(const QString& file)> listed = {});
    // How long GoToPath waits for a path before it goes on with the window live, and how long
    // after that a path that has not answered is told as not ready.
    void setProbeTimes(std::chrono::milliseconds deadline, std::chrono::milliseconds giveUp) {
        m_probeDeadline = deadline;
        m_probeGiveUp.setInterval(static_cast<int>(giveUp.count()));
    }
    void GoUpFolder();
    void ReopenSelectedFolder();
    // Refresh: reads the selected folder again, rebuilding the tree, and keeps the current row.
    void Listkousin_Click();

    void GoDeskTop_Click();
    void GoMydoc_Click();
    void GoNetWtok_Click();
    void GoFolder_Click();
    void GoExp_Click();
    void GoSearch_Click();
    void ImageCombo1_Click(const QString& key);

    void pass_Click(int index);
    void QuickPathAdd_Click();
    void QuickPathClear_Click();
    void QuickPathSet_Click(int index);
    // Puts a folder at the top of the quick paths unless it is already one of them.
    void AddQuickPath(const QString& folder);

    // The browser's commands: the refresh, going up, the special folders, the folder picker,
    // the file manager, the find-files window and the quick paths.
    void registerCommands(CommandTable& table);
    QuickPaths quickPaths() const;

    // Goes to a folder and selects a file's row in it (a result of the find-files window).
    void showFileInBrowser(const QString& folder, const QString& fileName);
    FindFilesWindow* findFilesWindow() const { return m_findWindow; }

private:
    // Looks at a path off the window's thread, then goes on with what was found: at once when it
    // answers within a moment, else when it answers, with the window live meanwhile. Another
    // look forgets it, and one that has not answered within a few seconds is told as a volume
    // that is not ready.
    void probe(const QString& path, std::function<void(const PathLook&)> then);
    // GoToPath once the path has answered.
    void goToAnsweringPath(const QString& path, bool expand, const PathLook& look,
                           const Visit& visit);
    void forgetProbe();
    void probeUnanswered();
    void setQuickPaths(const QuickPaths& paths);
    // The menu shows the quick paths and the recording mode the settings hold.
    void showQuickPaths();
    void showQuickPathValue(int mode);
    void stopPlayback();
    QList<Volume> volumes() const;
    void selectLocationOfShownVolume();
    // Gives the location box item on show the tree root's name.
    void matchLocationTextToRoot();

    Module1& m_module;
    LiveSettings& m_settings;
    TreeState& m_treeState;
    Dialogs& m_dialogs;
    FolderTree& m_tree;
    FileList& m_list;
    LocationBox& m_location;
    const PlaybackHold& m_hold;
    QuickPathMenu m_menu;
    Hooks m_hooks;
    QWidget* m_window;
    // A path being looked at off the window's thread before it is gone to.
    static constexpr int kProbeGiveUpMs = 3000;
    std::shared_ptr<BackgroundCall<PathLook>> m_probe;
    QString m_probeTarget;
    QTimer m_probeGiveUp;
    std::chrono::milliseconds m_probeDeadline{25};
    QPointer<FindFilesWindow> m_findWindow;
};
