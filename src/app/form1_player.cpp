// Form1: the players in the right pane, and the commands that reach the play list from the
// toolbar, the rate slider and the list's context menu.
#include <QAction>
#include <QCursor>
#include <QSlider>
#include <QToolTip>

#include "app/form1.h"
#include "app/status_bar1.h"
#include "app/toolbar1.h"
#include "app/window_fit.h"
#include "browser/file_list.h"
#include "browser/file_list_view.h"
#include "browser/folder_tree.h"
#include "browser/list_play_rows.h"
#include "browser/navigation.h"
#include "browser/tree_view1.h"
#include "platform/interval_timer.h"
#include "platform/shell_execute.h"
#include "player/messages.h"
#include "player/movie.h"
#include "player/play_list.h"

void Form1::buildPlayer(const Form1PlayerSetup& setup) {
    m_openUrl = m_session.opener();
    m_players = new PlayerSet(m_client, setup.options);
    m_mediaPlayer = m_players->MediaPlayer1();
    m_realAudio[0] = m_players->RealAudio1(0);
    m_realAudio[1] = m_players->RealAudio1(1);
    m_movie =
        std::make_unique<clsMovie>(m_dialogs, *m_timer1, *m_players, m_openUrl, setup.waveVolume);
    m_playList = std::make_unique<PlayList>(
        m_state, m_dialogs, std::make_unique<ListPlayRows>(*m_list, *m_tree), *m_movie, *m_players,
        *m_timer1, *m_hold, playListWindow());
}

PlayListWindow Form1::playListWindow() {
    PlayListWindow w;
    w.titleText = m_titleText;
    w.setCaption = [this](const QString& caption) { setWindowTitle(caption); };
    w.fileViewPressed = [this] { return m_state.mFileView; };
    w.addQuickPath = [this](const QString& folder) { m_navigation->AddQuickPath(folder); };
    w.setRepeatButton = [this](bool loop) {
        m_toolbar->button(Toolbar1::RepeatButton)->setChecked(loop);
    };
    w.setPlayButtonImage = [this](const QString& key) {
        m_toolbar->setButtonImage(Toolbar1::PlayButton, key);
    };
    w.showRate = [this](double rate) {
        m_slider->setToolTip(player_msg::rateText(rate));
        m_statusBar->setPanelText(StatusBar1::RatePanel, player_msg::ratePanelText(rate));
    };
    w.showRateTip = [this](double rate) {
        QToolTip::showText(QCursor::pos(), player_msg::rateText(rate), m_slider);
    };
    w.setSliderValue = [this](int value) { m_slider->setValue(value); };
    w.windowFit = [this]() -> std::optional<WindowFit> {
        if (m_state.mScreenSize != DspsizeItem::FollowForm ||
            (windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))) {
            return std::nullopt;
        }
        return measureWindowFit({*this, *m_client, *m_treeView, *m_listView, *m_mediaPlayer,
                                 *m_realAudio[0], *m_statusBar},
                                m_twips);
    };
    w.resizeWindow = [this](QSize twips) {
        resize(m_twips.toPixels(static_cast<float>(twips.width())),
               m_twips.toPixels(static_cast<float>(twips.height())));
    };
    w.openWithDesktop = [this](const QString& path) { ShellOpen(m_dialogs, m_openUrl, path); };
    return w;
}

void Form1::wirePlayer() {
    PlayList* list = m_playList.get();
    connect(m_list.get(), &FileList::playRequested, list, [list](int mode) {
        if (mode == 2) {
            list->ClipOpenFlg = false;  // a double-click starts afresh
        }
        list->PlayStep(mode);
    });

    // What follows the file playing is had ready before its end, and looked at again whenever
    // the rows, their order or the selection change.
    FileListModel& model = m_list->model();
    connect(&model, &FileListModel::rowsInserted, list, &PlayList::nextMayChange);
    connect(&model, &FileListModel::rowsRemoved, list, &PlayList::nextMayChange);
    connect(&model, &FileListModel::modelReset, list, &PlayList::nextMayChange);
    connect(&model, &FileListModel::layoutChanged, list, &PlayList::nextMayChange);
    connect(m_listView->selectionModel(), &QItemSelectionModel::currentChanged, list,
            &PlayList::nextMayChange);
    connect(m_listView->selectionModel(), &QItemSelectionModel::selectionChanged, list,
            &PlayList::nextMayChange);

    // The rate changes when the slider is let go; while it is dragged only its tip follows.
    m_slider->setTracking(false);
    connect(m_slider, &QSlider::sliderMoved, list, &PlayList::Slider1_Scroll);
    connect(m_slider, &QSlider::valueChanged, list, &PlayList::Slider1_Change);
}
