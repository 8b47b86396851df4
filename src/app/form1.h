#pragma once

#include <QMainWindow>
#include <array>
#include <memory>

#include "app/main_menus.h"
#include "app/pane_layout.h"
#include "app/session.h"
#include "browser/image_list.h"
#include "browser/tree_state.h"
#include "platform/command_table.h"
#include "platform/shell_execute.h"
#include "player/play_list.h"
#include "player/player_set.h"
#include "settings/module1.h"

class CommandActions;
class FileCommands;
class FileList;
class FileListView;
class FolderTree;
class Form2;
class InputMap;
class IntervalTimer;
class PlayMemory;
class LiveSettings;
class LocationBox;
class Navigation;
class PathMoves;
class PlaybackHold;
class ShadowLine;
class SplitterBar;
class StatusBar1;
class Toolbar1;
class TreeView1;
class WindowOptions;
class clsMovie;
class QComboBox;
class QSlider;

// Form1: the main window. It owns every control (named as the program knows them), lays the panes
// out, carries the settings in and out, and hands each part of the program the controls and
// services it works on. The work itself is done by those parts.
class Form1 : public QMainWindow, private SessionWindow {
    Q_OBJECT
public:
    // The window of a session: its state, services and settings file are the session's.
    explicit Form1(Session& session, QWidget* parent = nullptr);
    // A window with a session of its own (iniPath: the settings file it loads at start and saves
    // at close).
    Form1(Module1& state, Dialogs& dialogs, QString iniPath, const Form1PlayerSetup& player = {},
          QWidget* parent = nullptr);
    ~Form1() override;

    // The load sequence: brings every part up and reads the settings. Run once, before showing.
    void Form_Load();
    // The unload sequence: stops playback, saves the settings, gives back what was borrowed.
    // Runs once, however the window is closed.
    void Form_Unload();
    // The unload sequence when the display has gone: what needs no X server (the X screen saver
    // and the boxes are passed over).
    void unloadWithoutDisplay();
    bool isUnloaded() const { return m_unloaded; }

    // Shows the window in the state the settings asked for.
    void showAsLoaded();
    // A folder given on the command line: the start folder, whatever the settings say. Set
    // before the load sequence.
    void setStartFolderOverride(const QString& folder) { m_session.setGivenFolder(folder); }
    // Selects the file's row in the list on show and plays it; false when it is not listed.
    bool playListedFile(const QString& path);
    // A path handed over by a second start: goes to the folder (a file's own folder, and plays
    // the file) and comes to the front, with the second start's activation token where the
    // platform asks for one.
    void openGivenPath(const QString& path, const QString& activationToken = QString());

    // The toolbar, whose buttons the start gives their pictures.
    Toolbar1* toolbar() const { return m_toolbar; }
    // The players, whose engines the start's markers watch.
    PlayerSet& players() const { return *m_players; }

private:
    // Tests and benches reach the controls and the parts through Form1Parts (app/form1_parts.h).
    friend class Form1Parts;
    // The window's sizes in twips, as the pane layout reads them.
    WindowMetrics windowMetrics() const;

public:
    // Lays the panes out again on the splitter bars' positions.
    void ApplyVSplit();
    void ApplyHSplit();

    // Opens the tree along the start folder (the last step of the start).
    void openStartFolder();

signals:
    // The unload sequence has run: the process should end.
    void unloaded();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Form1(std::unique_ptr<Session> own, QWidget* parent);

    // The window's steps of the load and unload sequences.
    void prepareControls() override;
    void applyWindowSettings(const SettingValues& values) override;
    void finishLoad() override;
    void stopPlayback() override;
    void saveWindowSettings(SettingValues& values) override;
    void releasePlayers(bool displayGone) override;

    void buildControls(const Form1PlayerSetup& player);
    void buildBrowser();
    void buildPlayer(const Form1PlayerSetup& setup);
    void buildPlayMemory();
    void wirePlayer();
    PlayListWindow playListWindow();
    void wireInput();
    // Names for a screen reader and the order Tab walks in.
    void prepareAccess();
    void wireBrowser();
    void buildFileCommands();
    void loadBrowser();
    // Every command registered by the part that carries it out; the menus, the toolbar, the
    // keys and the gestures run them by their ids.
    void registerCommands();
    void wireCommands();
    void wireSettings();
    // Where the process may end without an exit, what the exit would save is written whenever
    // the program stops being the one in use.
    void wireRunningSave();
    void wireSplitters();
    void Form_Resize();
    void applyLayout();
    void showContextMenu(QMenu* menu, const QPoint& globalPos, bool restartTimer);

    std::unique_ptr<Session> m_ownSession;  // a window made without a session has its own
    Session& m_session;
    LiveSettings* m_settings = nullptr;
    Module1& m_state;
    Dialogs& m_dialogs;

    QString m_titleText;
    ImageList m_images;
    Twips m_twips;
    PaneLayout m_layout;
    bool m_splitDragFlg = false;
    bool m_loaded = false;
    bool m_unloaded = false;
    bool m_displayGone = false;
    bool m_inResize = false;
    Qt::WindowStates m_startWindowState = Qt::WindowNoState;
    // The place the settings gave, in twips: written back where the platform never tells the
    // window where it stands.
    QPoint m_placeAsRead;

    MainMenus m_menus;
    CommandTable& m_commands;
    // The menu items and toolbar buttons bound to the commands; let go before the table.
    std::unique_ptr<CommandActions> m_actions;
    // Taken by every command that changes the disk, the list or the tree.
    const PlaybackHold* m_hold = nullptr;
    QWidget* m_client = nullptr;
    Toolbar1* m_toolbar = nullptr;
    StatusBar1* m_statusBar = nullptr;
    QSlider* m_slider = nullptr;
    QComboBox* m_imageCombo = nullptr;
    TreeState m_treeState;
    class TreeView1* m_treeView = nullptr;
    FileListView* m_listView = nullptr;
    std::unique_ptr<FolderTree> m_tree;
    std::unique_ptr<FileList> m_list;
    std::unique_ptr<LocationBox> m_location;
    std::unique_ptr<Navigation> m_navigation;
    PathMoves* m_pathMoves = nullptr;  // where the file commands took items (a child)
    std::unique_ptr<FileCommands> m_fileCommands;
    std::unique_ptr<WindowOptions> m_options;
    PlayerSet* m_players = nullptr;
    UrlOpener m_openUrl;
    std::unique_ptr<clsMovie> m_movie;
    std::unique_ptr<PlayList> m_playList;
    std::unique_ptr<PlayMemory> m_playMemory;
    QWidget* m_mediaPlayer = nullptr;
    std::array<QWidget*, 2> m_realAudio{};
    SplitterBar* m_picSlider = nullptr;
    SplitterBar* m_picSlider2 = nullptr;
    ShadowLine* m_picShadow = nullptr;
    ShadowLine* m_picShadow2 = nullptr;
    IntervalTimer* m_timer1 = nullptr;
    InputMap* m_input = nullptr;
};
