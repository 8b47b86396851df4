#include "app/session.h"

#include <QDir>
#include <chrono>
#include <optional>

#include "browser/drive_ready.h"
#include "browser/path_utils.h"
#include "history/history_location.h"
#include "history/play_history.h"
#include "platform/background_call.h"
#include "platform/desktop_services.h"
#include "platform/error_box.h"
#include "platform/file_exist.h"
#include "platform/run_error.h"
#include "platform/screen_saver.h"
#include "platform/trash.h"
#include "settings/ini_file.h"
#include "settings/live_settings.h"
#include "settings/playback_hold.h"
#include "settings/settings_catalogue.h"
#include "settings/settings_save_worker.h"
#include "settings/window_settings.h"

namespace {
constexpr std::chrono::seconds kStartFolderWait{3};
}  // namespace

Session::Session(Module1& state, Dialogs& dialogs, QString iniPath, Form1PlayerSetup setup)
    : m_state(state),
      m_dialogs(dialogs),
      m_iniPath(std::move(iniPath)),
      m_setup(std::move(setup)),
      m_settings(std::make_unique<LiveSettings>(state)),
      m_screenSaver(std::make_unique<ScreenSaverControl>(dialogs)),
      m_trash(std::make_unique<Trash>(Trash::homeTrashFromEnvironment())),
      m_hold(std::make_unique<PlaybackHold>(
          state,
          [this] {
              if (m_stopPlayback) {
                  m_stopPlayback();
              }
          },
          [this] {
              if (m_stopSlideShow) {
                  m_stopSlideShow();
              }
          })),
      m_saver(std::make_unique<SettingsSaveWorker>(m_iniPath)) {
    if (!m_setup.openUrl) {
        m_setup.openUrl = desktopUrlOpener();
    }
    const QString historyFile = m_setup.historyFile.value_or(historyFilePath(m_iniPath));
    if (!historyFile.isEmpty()) {
        m_history = std::make_unique<PlayHistory>(historyFile);
    }
    m_commands.setHold([this] { m_hold->holdSlideShow(); });
    m_commands.setErrorHandler(
        [this](const std::exception& error) { ErrMsgDsp(m_dialogs, error); });
}

Session::~Session() = default;

void Session::setPlayback(std::function<void()> stopPlayback, std::function<void()> stopSlideShow) {
    m_stopPlayback = std::move(stopPlayback);
    m_stopSlideShow = std::move(stopSlideShow);
}

StartFolder Session::startFolder(const SettingValues& values) const {
    StartFolderChecks checks;
    checks.driveOf = [](const QString& path) { return GetDriveNm(path); };
    checks.reachable = [this](const QString& path) {
        // The stored folder may lie on a share that has stopped answering. It is looked at off
        // the window's thread, and the start, which cannot go on without its folder, waits a
        // few seconds at most: then the volume is told as not ready and the start goes on in
        // the current folder.
        const QList<Volume> volumes = listVolumes();
        auto look = lookAtPathLater(path, volumes);
        if (!look->waitFor(kStartFolderWait)) {
            look->cancel();
            tellDriveNotAnswering(m_dialogs, path, volumes);
            return false;
        }
        const PathLook found = look->take();
        return DriveReady(m_dialogs, path, volumes, found.driveError) && found.folder;
    };
    checks.onNetwork = [](const QString& path) { return IsUNCPath(path); };
    return chooseStartFolder(values, m_givenFolder, QDir::currentPath(), checks);
}

void Session::load(SessionWindow& window) {
    const WaveVolumeAccess& volume = m_setup.waveVolume;
    m_state.mOldWaveVol = static_cast<qint32>(volume.get ? volume.get() : 0);
    m_state.mSortOrder = 0;
    m_state.mSortColumn = 1;
    m_hold->release();
    window.prepareControls();

    clsIniFile ini(m_iniPath);
    QList<BadSetting> bad;
    const SettingValues values = readStartSettings(ini, bad);
    // One box for a file that holds values the program cannot use; every other key still loads,
    // and the refused ones are never written back: the exit save writes what the program used.
    reportBadSettings(m_dialogs, bad);
    storeInModule(values, m_state);
    // [Boot]
    if (m_state.mScreenSaver == 1) {
        m_screenSaver->SetScreenSaver(false);
    }
    window.applyWindowSettings(values);
    // [MoviePlay], [ListView], [QuickPath], [TreeView]: the menus show what was read.
    m_settings->announceAll();
    // [FilePath]
    const StartFolder start = startFolder(values);
    m_state.mStartPath = start.path;
    m_state.mStartDrive = start.drive;
    if (!start.netDrive.isEmpty()) {
        m_state.mNetDrive = start.netDrive;
    }

    window.finishLoad();
    m_hold->release();
}

SettingValues Session::exitValues(SessionWindow& window) const {
    SettingValues values;
    window.saveWindowSettings(values);
    // The options the menus show, the quick paths and the window's normal size.
    takeFromModule(m_state, values);
    return values;
}

void Session::saveWhileRunning(SessionWindow& window) {
    m_saver->saveLater(exitValues(window));
}

void Session::waitForSaves() {
    m_saver->waitIdle();
}

void Session::saveSettings(SessionWindow& window, bool displayGone) {
    if (!m_saver->saveNow(exitValues(window)) && !displayGone) {
        // The settings could not be stored; the user should know before the window is gone.
        ErrMsgDsp(m_dialogs, run_error::kPermissionDenied);
    }
}

void Session::unload(SessionWindow& window, bool displayGone) {
    // Playback stops before anything is written, so no file stays held open.
    window.stopPlayback();
    saveSettings(window, displayGone);
    window.releasePlayers(displayGone);
    // Without a display there is no X screen saver to give back; a hold over D-Bus ends with the
    // process's bus connection.
    if (m_state.mScreenSaver == 1 && !displayGone) {
        m_screenSaver->SetScreenSaver(true);
    }
    if (m_setup.waveVolume.set) {
        m_setup.waveVolume.set(static_cast<quint32>(m_state.mOldWaveVol));
    }
}
