#include "app/form1.h"

#include "app/play_memory.h"
#include "fileops/file_commands.h"
#include "fileops/path_moves.h"
#include "history/play_history.h"
#include "platform/dialogs.h"
#include "player/mpv_engine.h"
#include "player/player_set.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSlider>

#include "app/splitter_bar.h"
#include "app/status_bar1.h"
#include "app/toolbar1.h"
#include "app/window_options.h"
#include "browser/file_list.h"
#include "browser/file_list_view.h"
#include "browser/folder_tree.h"
#include "browser/location_box.h"
#include "browser/navigation.h"
#include "browser/tree_view1.h"
#include "fileops/file_commands.h"
#include "platform/app_info.h"
#include "platform/command_actions.h"
#include "platform/interval_timer.h"
#include "player/movie.h"
#include "player/play_list.h"
#include "settings/live_settings.h"
#include "settings/playback_hold.h"

Form1::Form1(Module1& state, Dialogs& dialogs, QString iniPath, const Form1PlayerSetup& player,
             QWidget* parent)
    : Form1(std::make_unique<Session>(state, dialogs, std::move(iniPath), player), parent) {}

Form1::Form1(std::unique_ptr<Session> own, QWidget* parent) : Form1(*own, parent) {
    m_ownSession = std::move(own);
}

Form1::Form1(Session& session, QWidget* parent)
    : QMainWindow(parent),
      m_session(session),
      m_settings(&session.settings()),
      m_state(session.state()),
      m_dialogs(session.dialogs()),
      m_images(ImageList::withBuiltinImages()),
      m_layout(PaneLayout::design()),
      m_commands(session.commands()),
      m_hold(&session.hold()) {
    const Form1PlayerSetup& player = session.playerSetup();
    setObjectName(QStringLiteral("Form1"));
    const QScreen* screen = this->screen();
    m_twips = Twips::forDpi(screen ? screen->logicalDotsPerInch() : 96.0);
    m_titleText = app_info::captionText();
    setWindowTitle(m_titleText);
    buildControls(player);
    wireCommands();
    wireSettings();
    wireRunningSave();
    wireSplitters();
    wireBrowser();
    wirePlayer();
    wireInput();
    prepareAccess();
    const QSize design(m_twips.toPixels(12180), m_twips.toPixels(9165));
    resize(design);
}

Form1::~Form1() = default;

void Form1::buildControls(const Form1PlayerSetup& player) {
    m_timer1 = new IntervalTimer(this);
    m_timer1->setObjectName(QStringLiteral("Timer1"));
    m_session.setPlayback([this] { m_movie->PlayStop(); }, [this] { m_timer1->stop(); });
    m_menus = MainMenus::build(this);
    // The tree's and the options menus also stand in the menu bar; the list's menu is only ever
    // a context menu.
    menuBar()->addMenu(m_menus.quickAccess);
    menuBar()->addMenu(m_menus.DspOption);

    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("ClientArea"));
    setCentralWidget(m_client);
    m_client->installEventFilter(this);

    m_toolbar = new Toolbar1(m_images, m_client);
    m_slider = new QSlider(Qt::Horizontal, m_toolbar);
    m_slider->setObjectName(QStringLiteral("Slider1"));
    m_slider->setRange(1, 40);
    m_slider->setFixedWidth(m_twips.toPixels(1800));
    m_toolbar->addWidget(m_slider);

    m_statusBar = new StatusBar1(m_twips.perPixel, m_client);

    m_imageCombo = new QComboBox(m_client);
    m_imageCombo->setObjectName(QStringLiteral("ImageCombo1"));
    m_imageCombo->setIconSize(QSize(16, 16));

    buildBrowser();
    buildPlayer(player);
    buildFileCommands();
    m_options = std::make_unique<WindowOptions>(
        WindowOptions::Parts{m_state, *m_settings, *m_hold, *m_timer1, *m_playList, *m_list,
                             *m_tree, *m_toolbar, m_dialogs, *this, m_session.iniPath(), [this] {
                                 if (PlayHistory* history = m_session.history()) {
                                     history->clearAll();
                                 }
                                 m_list->model().setHeardOfNames({});
                             }});

    m_picSlider = new SplitterBar(Qt::Vertical, m_client);
    m_picSlider->setObjectName(QStringLiteral("picSlider"));
    m_picSlider2 = new SplitterBar(Qt::Horizontal, m_client);
    m_picSlider2->setObjectName(QStringLiteral("picSlider2"));
    m_picShadow = new ShadowLine(m_client);
    m_picShadow->setObjectName(QStringLiteral("picShadow"));
    m_picShadow2 = new ShadowLine(m_client);
    m_picShadow2->setObjectName(QStringLiteral("picShadow2"));
    m_picShadow->hide();
    m_picShadow2->hide();

    connect(m_statusBar, &StatusBar1::rightButtonPressed, this,
            [this](const QPoint& pos) { showContextMenu(m_menus.DspOption, pos, true); });
    buildPlayMemory();
}

void Form1::buildPlayMemory() {
    PlayMemory::Hooks hooks;
    hooks.resumeOn = [this] { return m_state.mResumePlay; };
    hooks.playSelected = [this] {
        m_playList->ClipOpenFlg = false;
        m_playList->PlayStep(2);
    };
    hooks.tell = [this](const QString& text) {
        m_statusBar->setPanelText(StatusBar1::FilesPanel, text);
    };
    PlayHistory* history = m_session.history();
    m_playMemory =
        std::make_unique<PlayMemory>(history, m_players->mediaEngine(), *m_list, std::move(hooks));
    connect(m_playList.get(), &PlayList::leavingFile, m_playMemory.get(), &PlayMemory::leavingFile);
    if (history != nullptr) {
        // Renames and moves done here take a file's place and marks along.
        connect(&m_fileCommands->pathMoves(), &PathMoves::moved, history, &PlayHistory::movePath);
        // A history that cannot be kept is told once; the program goes on without it.
        connect(history, &PlayHistory::unavailable, this,
                [this](const QString& reason) { m_dialogs.message(reason, MsgIcon::Information); });
    }
}

void Form1::showContextMenu(QMenu* menu, const QPoint& globalPos, bool restartTimer) {
    m_hold->holdSlideShow();
    if (restartTimer) {
        connect(menu, &QMenu::aboutToHide, m_timer1, &IntervalTimer::start,
                Qt::SingleShotConnection);
    }
    menu->popup(globalPos);
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_client && event->type() == QEvent::Resize) {
        Form_Resize();
        return false;
    }
    return QMainWindow::eventFilter(watched, event);
}

void Form1::closeEvent(QCloseEvent* event) {
    Form_Unload();
    event->accept();
}
