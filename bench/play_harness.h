#pragma once

// The playback benches' side of the program: the play list over a listed folder, with both
// engines ready, as the window holds them; no picture is drawn.
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QTimer>
#include <QWidget>
#include <memory>

#include "browser/file_list.h"
#include "browser/file_list_view.h"
#include "browser/folder_tree.h"
#include "browser/image_list.h"
#include "browser/list_play_rows.h"
#include "browser/tree_state.h"
#include "browser/tree_view1.h"
#include "platform/interval_timer.h"
#include "platform/scripted_dialogs.h"
#include "player/movie.h"
#include "player/mpv_engine.h"
#include "player/play_list.h"
#include "player/player_set.h"
#include "settings/module1.h"
#include "settings/playback_hold.h"

inline constexpr int kWaitMs = 20000;
inline constexpr int kSettleMs = 150;

// Lets libmpv finish with the file before (its decoders wind down after the file is closed),
// so that each start is timed from the same quiet state, and the UI thread's queue is empty.
inline void settle() {
    QEventLoop loop;
    QTimer::singleShot(kSettleMs, &loop, &QEventLoop::quit);
    loop.exec();
}

// The program's side: the play list over a listed folder, with both engines ready, as the
// window holds them.
class Ours {
public:
    explicit Ours(const QString& audioOutput = QStringLiteral("null"))
        : m_images(ImageList::withBuiltinImages()),
          m_list(m_state, m_dialogs, m_images, m_listView),
          m_tree(m_treeView, m_state, m_treeState, m_dialogs, m_images) {
        m_state.mDspFile = QStringLiteral("*.avi;*.mp3;*.jpg;*.asx;*.mid;*.wav");
        PlayerOptions options;
        options.audioOutput = audioOutput;
        options.renderApi = false;
        m_players = std::make_unique<PlayerSet>(&m_host, options);
        m_movie = std::make_unique<clsMovie>(m_dialogs, m_timer, *m_players,
                                             [](const QUrl&) { return true; });
        PlayListWindow window;
        window.setCaption = [](const QString&) {};
        window.setPlayButtonImage = [](const QString&) {};
        m_playList = std::make_unique<PlayList>(m_state, m_dialogs,
                                                std::make_unique<ListPlayRows>(m_list, m_tree),
                                                *m_movie, *m_players, m_timer, m_hold, window);
        m_movie->configureAtStart();
        m_list.CreateColumns();
        m_host.resize(800, 600);
        m_host.show();
    }

    // Lists a folder as the window does when it is chosen.
    void list(const QString& folder) {
        if (m_list.ListedFolder() != folder) {
            m_list.ListFolder(folder, false);
        }
    }

    // Milliseconds from PlayStep on the file's row to the first playback start; -1 when it did
    // not come.
    double start(const QString& file, const QString& ext) {
        m_movie->PlayStop();
        settle();
        list(QFileInfo(file).path());
        if (!m_list.SelectRowByKey(file)) {
            return -1;
        }
        return timed(ext, [this] { m_playList->PlayStep(2); });
    }

    // One tick of the slide show: the next row, as the timer moves it.
    double slideTick() {
        return timed(QStringLiteral("jpg"), [this] { m_playList->Timer1_Timer(); });
    }
    Module1& state() { return m_state; }
    PlayList& playList() { return *m_playList; }
    FileList& fileList() { return m_list; }
    MpvEngine& mediaEngine() { return m_players->mediaEngine(); }

    // Milliseconds from a seek of the playing file to its playback restart; -1 when it did not
    // come.
    double seek(double seconds) {
        QEventLoop loop;
        bool landed = false;
        const auto connection =
            QObject::connect(&mediaEngine(), &MpvEngine::playbackRestarted, &loop, [&] {
                landed = true;
                loop.quit();
            });
        QTimer::singleShot(kWaitMs, &loop, &QEventLoop::quit);
        QElapsedTimer timer;
        timer.start();
        mediaEngine().setPosition(seconds);
        if (!landed) {
            loop.exec();
        }
        const double ms = timer.nsecsElapsed() / 1e6;
        QObject::disconnect(connection);
        return landed ? ms : -1;
    }

    void stop() { m_movie->PlayStop(); }
    // How long the last start itself kept the UI thread.
    double lastCallMs() const { return m_lastCallMs; }

private:
    template <typename Start>
    double timed(const QString& ext, Start startFile) {
        MpvEngine& engine = ext == u"png" ? m_players->streamingEngine() : m_players->mediaEngine();
        QEventLoop loop;
        bool started = false;
        const auto connection =
            QObject::connect(&engine, &MpvEngine::playbackRestarted, &loop, [&] {
                started = true;
                loop.quit();
            });
        QTimer::singleShot(kWaitMs, &loop, &QEventLoop::quit);
        QElapsedTimer timer;
        timer.start();
        startFile();
        m_lastCallMs = timer.nsecsElapsed() / 1e6;
        if (!started) {
            loop.exec();
        }
        const double ms = timer.nsecsElapsed() / 1e6;
        QObject::disconnect(connection);
        return started ? ms : -1;
    }

    QWidget m_host;
    Module1 m_state;
    TreeState m_treeState;
    ScriptedDialogs m_dialogs;
    IntervalTimer m_timer;
    PlaybackHold m_hold{m_state, [this] { m_movie->PlayStop(); }, [this] { m_timer.stop(); }};
    ImageList m_images;
    FileListView m_listView;
    TreeView1 m_treeView;
    FileList m_list;
    FolderTree m_tree;
    std::unique_ptr<PlayerSet> m_players;
    std::unique_ptr<clsMovie> m_movie;
    std::unique_ptr<PlayList> m_playList;
    double m_lastCallMs = 0;
};
