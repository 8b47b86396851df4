#include "app/form1.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QScreen>
#include <QSlider>

#include "app/splitter_bar.h"
#include "app/status_bar1.h"
#include "app/toolbar1.h"
#include "archive/dialog_extraction_prompts.h"
#include "browser/file_list.h"
#include "browser/file_list_view.h"
#include "browser/find_files_window.h"
#include "browser/folder_tree.h"
#include "browser/location_box.h"
#include "browser/navigation.h"
#include "browser/tree_view1.h"
#include "fileops/archive_commands.h"
#include "fileops/command_context.h"
#include "fileops/file_operations.h"
#include "fileops/list_commands.h"
#include "fileops/shell_commands.h"
#include "fileops/tree_commands.h"
#include "fileops/tree_drag_drop.h"
#include "fileops/undo_command.h"
#include "fileops/undo_history.h"
#include "platform/app_info.h"
#include "platform/interval_timer.h"
#include "platform/progress_dialog.h"
#include "platform/screen_saver.h"
#include "platform/trash.h"
#include "player/movie.h"
#include "player/play_list.h"
#include "settings/live_settings.h"
#include "settings/options_dialog.h"
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
      m_hold(&session.hold()),
      m_trash(&session.trash()) {
    const Form1PlayerSetup& player = session.playerSetup();
    setObjectName(QStringLiteral("Form1"));
    const QScreen* screen = this->screen();
    m_twips = Twips::forDpi(screen ? screen->logicalDotsPerInch() : 96.0);
    m_titleText = app_info::captionText();
    setWindowTitle(m_titleText);
    buildControls(player);
    wireCommands();
    wireSettings();
    wireSplitters();
    wireBrowser();
    wirePlayer();
    wireFileCommands();
    wireInput();
    const QSize design(m_twips.toPixels(12180), m_twips.toPixels(9165));
    resize(design);
}

Form1::~Form1() = default;

void Form1::buildControls(const Form1PlayerSetup& player) {
    m_timer1 = new IntervalTimer(this);
    m_timer1->setObjectName(QStringLiteral("Timer1"));
    m_session.setPlayback([this] { m_movie->PlayStop(); }, [this] { m_timer1->stop(); });
    m_menus = Form1Menus::build(this);
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

QString Form1::dspsizeCaption(int index) const {
    return m_menus.Dspsize[index]->text();
}

void Form1::Dspsize_Click(int index) {
    m_hold->holdSlideShow();
    m_settings->setScreenSize(index);
    m_playList->changeDisplaySize(index);
}

void Form1::Opt_Click(int index) {
    m_hold->holdSlideShow();
    bool on = false;
    switch (index) {
        case OptItem::Options:
            openOptions();
            return;
        case OptItem::Mute:
            on = !m_state.mMuteState;
            m_settings->setMute(on);
            break;
        case OptItem::OnTop:
            on = !m_state.mScreenState;
            m_settings->setAlwaysOnTop(on);
            break;
        case OptItem::SlideShow:
            on = !m_state.mSlideShow;
            m_settings->setSlideShow(on);
            on ? m_timer1->start() : m_timer1->stop();
            break;
        case OptItem::QuickPathPlay:
            // A mark of its own that nothing else reads.
            on = !m_state.mQuickPathPlay;
            m_settings->setQuickPathPlay(on);
            break;
        default:
            return;
    }
    if (m_list->rowCount() > 0) {
        m_playList->showSelectedPath();
        if (index == OptItem::Mute) {
            m_playList->applyMute(on);
        } else if (index == OptItem::OnTop) {
            setAlwaysOnTop(on);
        }
    }
}

void Form1::TreeViewStyle_Click(QAction* item) {
    // Both items turn their own mark over and switch the lines: the style follows the mark of the
    // item just clicked. Only the line item's mark is kept in the settings file.
    if (item == m_menus.TreeViewLine) {
        m_settings->setTreeLines(!m_state.mTreeViewLine);
    } else {
        m_settings->setTreeIcons(!m_state.mTreeViewIcon);
        m_tree->setLinesVisible(m_state.mTreeViewIcon);
    }
}

void Form1::setAlwaysOnTop(bool on) {
    const bool visible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, on);
    if (visible) {
        show();
    }
}
