#pragma once

#include <optional>

#include <QString>
#include <functional>
#include <memory>

#include "platform/command_table.h"
#include "platform/shell_execute.h"
#include "player/player_set.h"
#include "player/wave_volume.h"

class Dialogs;
class LiveSettings;
class PlaybackHold;
class ScreenSaverControl;
class SettingValues;
class SettingsSaveWorker;
class Trash;
struct Module1;
struct StartFolder;

// How the window's players are made: libmpv's options, and the sound card's volume.
struct Form1PlayerSetup {
    PlayerOptions options;
    WaveVolumeAccess waveVolume;
    // Hands a file the players do not take to the desktop; the desktop's own handler when empty.
    UrlOpener openUrl;
    // The play history's file: where the settings file says when not given; none when empty.
    std::optional<QString> historyFile;
};

// The steps of the load and unload sequences that are the window's own: its controls, its place
// on the screen, its players.
class SessionWindow {
public:
    virtual ~SessionWindow() = default;
    // Before the settings are read: the controls at their first state, the players' start values.
    virtual void prepareControls() = 0;
    // What the settings say of the window itself: the players' SoundFont, its place, its state
    // and its panes' sizes.
    virtual void applyWindowSettings(const SettingValues& values) = 0;
    // After the settings: the gestures, the panes, the menus' marks, the list and the browser on
    // the start folder.
    virtual void finishLoad() = 0;
    // At the close: playback stopped (and the slide show with it).
    virtual void stopPlayback() = 0;
    // The window's own keys of the exit save.
    virtual void saveWindowSettings(SettingValues& values) = 0;
    // The players let go of libmpv, the rate goes back, the gestures go.
    virtual void releasePlayers(bool displayGone) = 0;
};

// The program's root beside the main window: the shared state and the services built once at
// start (the dialogs and the settings file it is given, the options changed while running, the
// screen saver, the trash, the desktop's opener, the command table and the playback hold), and
// the load and unload sequences in their order. The window carries out the steps that are its
// controls'.
class PlayHistory;

class Session {
public:
    Session(Module1& state, Dialogs& dialogs, QString iniPath, Form1PlayerSetup setup = {});
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    Module1& state() const { return m_state; }
    Dialogs& dialogs() const { return m_dialogs; }
    const QString& iniPath() const { return m_iniPath; }
    const Form1PlayerSetup& playerSetup() const { return m_setup; }
    const UrlOpener& opener() const { return m_setup.openUrl; }
    LiveSettings& settings() const { return *m_settings; }
    ScreenSaverControl& screenSaver() const { return *m_screenSaver; }
    Trash& trash() const { return *m_trash; }
    // The play history; nullptr when this session keeps none.
    PlayHistory* history() const { return m_history.get(); }
    CommandTable& commands() { return m_commands; }
    const PlaybackHold& hold() const { return *m_hold; }

    // How the hold stops the window's playback and its slide show.
    void setPlayback(std::function<void()> stopPlayback, std::function<void()> stopSlideShow);
    // A folder given on the command line: the start folder, whatever the settings say.
    void setGivenFolder(const QString& folder) { m_givenFolder = folder; }

    // The load sequence: the shared state at its start values, the settings read (a file with
    // values the program cannot use is told once), the screen saver held when asked, the start
    // folder chosen; the window's steps between.
    void load(SessionWindow& window);
    // The unload sequence: playback stopped before anything is written, the settings saved, the
    // players, the screen saver and the sound card's volume given back. displayGone: the X server
    // went away (no screen saver to give back, no box to show).
    void unload(SessionWindow& window, bool displayGone);
    // What the exit would save, written now off the window's thread (nothing when it is what was
    // written last): the save of a platform that may end the process without an exit.
    void saveWhileRunning(SessionWindow& window);
    // Waits for a save under way (tests and the exit).
    void waitForSaves();

private:
    StartFolder startFolder(const SettingValues& values) const;
    void saveSettings(SessionWindow& window, bool displayGone);
    SettingValues exitValues(SessionWindow& window) const;

    Module1& m_state;
    Dialogs& m_dialogs;
    QString m_iniPath;
    Form1PlayerSetup m_setup;
    QString m_givenFolder;
    std::unique_ptr<LiveSettings> m_settings;
    std::unique_ptr<ScreenSaverControl> m_screenSaver;
    std::unique_ptr<Trash> m_trash;
    std::unique_ptr<PlaybackHold> m_hold;
    std::unique_ptr<PlayHistory> m_history;
    std::unique_ptr<SettingsSaveWorker> m_saver;
    std::function<void()> m_stopPlayback;
    std::function<void()> m_stopSlideShow;
    CommandTable m_commands;
};
