// Form1: the players in the right pane, and the commands that reach the play list from the
// toolbar, the keys, the rate slider and the list's context menu.
#include <QAction>
#include <QCursor>
#include <QScreen>
#include <QSlider>
#include <QToolTip>

#include "app/form1.h"
#include "app/status_bar1.h"
#include "app/toolbar1.h"
#include "browser/file_list.h"
#include "browser/file_list_view.h"
#include "browser/folder_tree.h"
#include "browser/navigation.h"
#include "browser/tree_view1.h"
#include "platform/desktop_services.h"
#include "platform/error_box.h"
#include "platform/interval_timer.h"
#include "platform/shell_execute.h"
#include "player/messages.h"
#include "player/movie.h"
#include "player/play_list.h"
#include "player/video_surface.h"

void Form1::buildPlayer(const Form1PlayerSetup& setup) {
    m_waveVolume = setup.waveVolume;
    m_openUrl = setup.openUrl ? setup.openUrl : desktopUrlOpener();
    m_players = new PlayerSet(m_client, setup.options);
    m_mediaPlayer = m_players->MediaPlayer1();
    m_realAudio[0] = m_players->RealAudio1(0);
    m_realAudio[1] = m_players->RealAudio1(1);
    m_movie =
        std::make_unique<clsMovie>(m_dialogs, *m_timer1, *m_players, m_openUrl, setup.waveVolume);
    m_playList = std::make_unique<PlayList>(m_state, m_dialogs, *m_list, *m_tree, *m_movie,
                                            *m_players, *m_timer1, playListWindow());
}

PlayListWindow Form1::playListWindow() {
    PlayListWindow w;
    w.titleText = m_titleText;
    w.setCaption = [this](const QString& caption) { setWindowTitle(caption); };
    w.fileViewPressed = [this] { return m_toolbar->button(7)->isChecked(); };
    w.muteChecked = [this] { return m_menus.Opt[1]->isChecked(); };
    w.quickPathMode = [this] { return Form1Menus::firstChecked(m_menus.QuickPathSet); };
    w.addQuickPath = [this](const QString& folder) { m_navigation->AddQuickPath(folder); };
    w.showLoop = [this](bool loop, bool setButton) {
        m_menus.MnuLoop->setChecked(loop);
        if (setButton) {
            m_toolbar->button(17)->setChecked(loop);
        }
    };
    w.setPlayButtonImage = [this](const QString& key) { m_toolbar->setButtonImage(11, key); };
    w.showRate = [this](double rate) {
        m_slider->setToolTip(player_msg::rateText(rate));
        m_statusBar->setPanelText(7, player_msg::ratePanelText(rate));
    };
    w.showRateTip = [this](double rate) {
        QToolTip::showText(QCursor::pos(), player_msg::rateText(rate), m_slider);
    };
    w.setSliderValue = [this](int value) { m_slider->setValue(value); };
    w.windowFit = [this]() -> std::optional<WindowFit> {
        if (!m_menus.Dspsize[5]->isChecked() ||
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
    connect(m_menus.MnuMoviePlay, &QAction::triggered, list, &PlayList::MnuMoviePlay_Click);
    connect(m_menus.MnuMovieStop, &QAction::triggered, list, &PlayList::MnuMovieStop_Click);
    connect(m_menus.MnuPrevios, &QAction::triggered, list, &PlayList::MnuPrevios_Click);
    connect(m_menus.MunNext, &QAction::triggered, list, &PlayList::MunNext_Click);
    connect(m_menus.MnuLoop, &QAction::triggered, list, [this, list](bool checked) {
        // ToggleLoop sets the tick itself.
        m_menus.MnuLoop->setChecked(!checked);
        list->MnuLoop_Click();
    });
    connect(m_menus.MunOpen, &QAction::triggered, list, &PlayList::MunOpen_Click);
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

    // The keys of the window reach a picture on a screen of its own too.
    for (VideoSurface* surface : {m_players->mediaSurface(), m_players->streamingSurface()}) {
        connect(
            surface, &VideoSurface::fullScreenKeyReleased, this,
            [this](int key, Qt::KeyboardModifiers modifiers) { fullScreenKeyUp(key, modifiers); });
    }

    // A key pressed on a player sends the focus back to the list; the window still sees it.
    const QList<QWidget*> players = {m_mediaPlayer, m_realAudio[0], m_realAudio[1]};
    for (QWidget* player : players) {
        QList<QWidget*> widgets = player->findChildren<QWidget*>();
        widgets.prepend(player);
        for (QWidget* widget : widgets) {
            m_playerWidgets.insert(widget);
            m_keyPreview.insert(widget);
            widget->installEventFilter(this);
        }
    }
}

void Form1::fullScreenKeyUp(int key, Qt::KeyboardModifiers modifiers) {
    const bool control = modifiers & Qt::ControlModifier;
    if (control && (key == Qt::Key_Up || key == Qt::Key_Down)) {
        m_playList->PlayStep(key == Qt::Key_Up ? 1 : 0);
    } else if (key == Qt::Key_F1 || key == Qt::Key_F2) {
        m_menus.Opt[key == Qt::Key_F1 ? 1 : 2]->trigger();
    } else {
        Form_KeyUp(key, modifiers);
    }
}

void Form1::playerButtonClick(int index) {
    PlayList& list = *m_playList;
    switch (index) {
        case 11:
            list.PlayButton_Click();
            break;
        case 12:
            list.MnuMovieStop_Click();
            break;
        case 14:
            list.PlayStep(1);
            break;
        case 15:
            list.PlayStep(0);
            break;
        case 17:
            list.ToggleLoop(0);
            break;
        case 19:
            list.setReverse(false);
            break;
        case 20:
            list.setReverse(true);
            break;
        case 22:
            list.RateOne();
            break;
        default:
            break;
    }
}
