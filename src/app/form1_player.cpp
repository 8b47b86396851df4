// Form1: the players in the right pane, and the commands that reach the play list from the
// toolbar, the rate slider and the list's context menu.
#include <QAction>
#include <QCursor>
#include <QHeaderView>
#include <QScreen>
#include <QSlider>
#include <QToolTip>

#include "app/form1.h"
#include "app/status_bar1.h"
#include "app/toolbar1.h"
#include "browser/file_list.h"
#include "browser/file_list_view.h"
#include "browser/folder_tree.h"
#include "browser/list_play_rows.h"
#include "browser/navigation.h"
#include "browser/tree_view1.h"
#include "platform/desktop_services.h"
#include "platform/error_box.h"
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
    w.showLoop = [this](bool loop, bool setButton) {
        m_menus.MnuLoop->setChecked(loop);
        if (setButton) {
            m_toolbar->button(Toolbar1::RepeatButton)->setChecked(loop);
        }
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
        const auto twips = [this](int pixels) { return qRound(m_twips.fromPixels(pixels)); };
        WindowFit fit;
        fit.twipsPerPixelX = m_twips.perPixel;
        fit.twipsPerPixelY = m_twips.perPixel;
        fit.treeWidth = twips(m_treeView->width());
        fit.playerWidth = m_mediaPlayer->isVisible()    ? twips(m_mediaPlayer->width())
                          : m_realAudio[0]->isVisible() ? twips(m_realAudio[0]->width())
                                                        : 0;
        const QScreen* screen = this->screen();
        fit.screenWidth = screen ? twips(screen->geometry().width()) : 0;
        fit.window = QSize(twips(width()), twips(height()));
        // The list keeps a few rows below the tree, whatever the picture (our mend: a small
        // picture made the window so low that the list had no height left).
        constexpr int kListRowsKept = 3;
        const int rowHeight =
            std::max(m_listView->sizeHintForRow(0), m_listView->fontMetrics().height());
        const int listFloor = m_listView->header()->sizeHint().height() +
                              kListRowsKept * rowHeight + 2 * m_listView->frameWidth();
        fit.minHeight = twips(height() - m_client->height() + m_listView->y() + listFloor +
                              m_statusBar->sizeHint().height()) +
                        qRound(pane_limits::kMargin);
        return fit;
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

    // The rate changes when the slider is let go; while it is dragged only its tip follows.
    m_slider->setTracking(false);
    connect(m_slider, &QSlider::sliderMoved, list, &PlayList::Slider1_Scroll);
    connect(m_slider, &QSlider::valueChanged, list, &PlayList::Slider1_Change);
}
