// Form1: carrying the settings into the window at start and out of it at close, and the menus,
// toolbar and status bar that show the options the user changes meanwhile.
#include <QAction>
#include <QDir>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>

#include "app/form1.h"
#include "app/logo.h"
#include "app/messages.h"
#include "app/status_bar1.h"
#include "app/toolbar1.h"
#include "app/window_placement.h"
#include "browser/drive_ready.h"
#include "browser/file_list.h"
#include "browser/folder_tree.h"
#include "browser/path_utils.h"
#include "platform/desktop_services.h"
#include "platform/error_box.h"
#include "platform/file_exist.h"
#include "platform/interval_timer.h"
#include "platform/run_error.h"
#include "platform/screen_saver.h"
#include "player/midi_synth.h"
#include "player/player_set.h"
#include "settings/ini_file.h"
#include "settings/live_settings.h"
#include "settings/options_dialog.h"
#include "settings/settings_catalogue.h"

namespace {

QRect toTwips(const Twips& twips, const QRect& pixels) {
    const TwipsRect r = twips.fromPixels(pixels);
    return QRect(static_cast<int>(r.left), static_cast<int>(r.top), static_cast<int>(r.width),
                 static_cast<int>(r.height));
}

}  // namespace

void Form1::wireSettings() {
    LiveSettings* s = m_settings.get();
    connect(s, &LiveSettings::screenSizeChanged, this, [this](int index) {
        Form1Menus::checkOnly(m_menus.Dspsize, index);
        m_statusBar->setPanelText(StatusBar1::DisplaySizePanel, dspsizeCaption(index));
    });
    connect(s, &LiveSettings::muteChanged, this, [this](bool on) {
        m_menus.Opt[OptItem::Mute]->setChecked(on);
        m_statusBar->setPanelText(StatusBar1::MutePanel, app_msg::mutePanel(on));
    });
    connect(s, &LiveSettings::alwaysOnTopChanged, this, [this](bool on) {
        m_menus.Opt[OptItem::OnTop]->setChecked(on);
        m_statusBar->setPanelText(StatusBar1::OnTopPanel, app_msg::onTopPanel(on));
    });
    connect(s, &LiveSettings::slideShowChanged, m_menus.Opt[OptItem::SlideShow],
            &QAction::setChecked);
    connect(s, &LiveSettings::gridLinesChanged, this, [this](bool on) {
        m_menus.MnuGrid->setChecked(on);
        m_list->setGridLines(on);
    });
    connect(s, &LiveSettings::iconViewChanged, m_menus.MnuIconSet, &QAction::setChecked);
    connect(s, &LiveSettings::treeLinesChanged, this, [this](bool on) {
        m_menus.TreeViewLine->setChecked(on);
        m_tree->setLinesVisible(on);
    });

    connect(s, &LiveSettings::quickPathPlayChanged, m_menus.Opt[OptItem::QuickPathPlay],
            &QAction::setChecked);
    connect(s, &LiveSettings::treeIconsChanged, m_menus.TreeViewIcon, &QAction::setChecked);
    connect(s, &LiveSettings::fileViewChanged, this, [this](bool on) {
        m_toolbar->button(Toolbar1::FileViewButton)->setChecked(on);
        m_list->setFileViewPressed(on);
    });
}

void Form1::placeWindow(int leftTwips, int topTwips, int widthTwips, int heightTwips) {
    resize(m_twips.toPixels(static_cast<float>(widthTwips)),
           m_twips.toPixels(static_cast<float>(heightTwips)));
    move(m_twips.toPixels(static_cast<float>(leftTwips)),
         m_twips.toPixels(static_cast<float>(topTwips)));
}

void Form1::IniDataLoad() {
    clsIniFile ini(m_iniPath);
    QList<BadSetting> bad;
    const SettingValues s = readStartSettings(ini, bad);
    // One box for a file that holds values the program cannot use; every other key still loads,
    // and the refused ones are never written back: the exit save writes what the program used.
    reportBadSettings(m_dialogs, bad);
    storeInModule(s, m_state);

    // [Midi]
    m_players->midiSynth().setSoundFontPath(m_state.mSoundFont);

    // [Boot]
    if (m_state.mScreenSaver == 1) {
        m_screenSaver->SetScreenSaver(false);
    }

    // [FormPos]: a place no screen shows, or a size the window cannot have, gives the first
    // start's placement, so the window always opens where the user can reach it.
    const QScreen* primary = QGuiApplication::primaryScreen();
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens()) {
        screens << toTwips(m_twips, screen->geometry());
    }
    const QRect primaryArea =
        toTwips(m_twips, primary ? primary->geometry() : QRect(0, 0, 1024, 768));
    StoredPlacement stored;
    stored.left = s.number(Setting::XPosition);
    stored.top = s.number(Setting::YPosition);
    stored.width = s.number(Setting::Width);
    stored.height = s.number(Setting::Height);
    stored.centre = s.number(Setting::BootPosition) == 1;
    const QRect place = startPlacement(stored, screens, primaryArea);
    placeWindow(place.x(), place.y(), place.width(), place.height());
    m_state.mFormWidth = m_twips.fromPixels(width());
    m_state.mFormHeight = m_twips.fromPixels(height());
    // A window closed minimised opens in its normal state.
    m_startWindowState =
        s.number(Setting::WindowState) == 2 ? Qt::WindowMaximized : Qt::WindowNoState;

    // [MoviePlay], [ListView], [QuickPath], [TreeView]: the menus show what was read.
    m_settings->announceAll();

    // [FilePath]
    m_state.mStartPath = s.text(Setting::FilePath);
    m_state.mStartDrive = GetDriveNm(m_state.mStartPath);
    const QString current = QDir::currentPath();
    const bool storedPath = !m_state.mStartPath.isEmpty() && m_state.mStartPath != u"0";
    if (!m_startFolderOverride.isEmpty()) {
        m_state.mStartPath = m_startFolderOverride;
        m_state.mStartDrive = GetDriveNm(m_startFolderOverride);
    } else if (s.number(Setting::SearchPath) == 1 && storedPath &&
               DriveReady(m_dialogs, m_state.mStartPath) && FolderExist(m_state.mStartPath)) {
        if (IsUNCPath(m_state.mStartPath)) {
            m_state.mNetDrive = m_state.mStartDrive;
        }
    } else {
        m_state.mStartPath = current;
        m_state.mStartDrive = GetDriveNm(current);
    }

    // [RealSize], [MediaSize]
    m_layout.RealAudio1[0].height = s.single(Setting::RealSizeHeight1);
    m_layout.RealAudio1[0].width = s.single(Setting::RealSizeWidth1);
    m_layout.RealAudio1[1].height = s.single(Setting::RealSizeHeight2);
    m_layout.RealAudio1[1].width = s.single(Setting::RealSizeWidth2);
    m_layout.MediaPlayer1.height = s.single(Setting::MediaSizeHeight);
    m_layout.MediaPlayer1.width = s.single(Setting::MediaSizeWidth);

    // [SpPos]: 0 keeps the design's place; the bars follow their lines when the window lays out
    // its panes.
    if (const float left = s.single(Setting::SpLeft); left != 0) {
        m_layout.picShadow.left = left;
    }
    if (const float top = s.single(Setting::SpTop); top != 0) {
        m_layout.picShadow2.top = top;
    }
}

void Form1::IniDataSave() {
    SettingValues s;
    QPoint topLeft = pos();
    if (isMaximized() || isMinimized()) {
        // Where the window stands in its normal state, not where the maximised frame is.
        const QRect normal = normalGeometry();
        if (normal.isValid()) {
            topLeft = normal.topLeft();
        }
    }
    s.set(Setting::XPosition, nearestInt32(m_twips.fromPixels(topLeft.x())));
    s.set(Setting::YPosition, nearestInt32(m_twips.fromPixels(topLeft.y())));
    s.set(Setting::WindowState, isMinimized() ? 1 : isMaximized() ? 2 : 0);
    const QString shown = m_tree->SelectedFolderPath();
    s.set(Setting::FilePath, shown.isEmpty() ? m_state.mStartPath : shown);
    s.set(Setting::RealSizeHeight1, m_layout.RealAudio1[0].height);
    s.set(Setting::RealSizeWidth1, m_layout.RealAudio1[0].width);
    s.set(Setting::RealSizeHeight2, m_layout.RealAudio1[1].height);
    s.set(Setting::RealSizeWidth2, m_layout.RealAudio1[1].width);
    s.set(Setting::MediaSizeHeight, m_layout.MediaPlayer1.height);
    s.set(Setting::MediaSizeWidth, m_layout.MediaPlayer1.width);
    s.set(Setting::SpLeft, m_layout.picShadow.left);
    s.set(Setting::SpTop, m_layout.picShadow2.top);
    // The options the menus show, the quick paths and the window's normal size.
    takeFromModule(m_state, s);

    clsIniFile ini(m_iniPath);
    if (!writeExitSettings(ini, s) && !m_displayGone) {
        // The settings could not be stored; the user should know before the window is gone.
        ErrMsgDsp(m_dialogs, run_error::kPermissionDenied);
    }
}

void Form1::openOptions() {
    m_timer1->stop();
    if (m_options) {
        m_options->activateWindow();
        return;
    }
    OptionsDialogServices services;
    services.iniPath = m_iniPath;
    services.dialogs = &m_dialogs;
    services.openUrl = desktopUrlOpener();
    services.logo = appLogo(64);
    services.onTop = m_state.mScreenState;
    auto* dialog = new Form2(m_state, services, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    m_options = dialog;
    // The folder on show is listed again at once with the file kinds and filters just chosen.
    connect(dialog, &QDialog::accepted, this,
            [this] { m_list->ListFolder(m_tree->SelectedFolderPath(), m_state.mIconDsp); });
    dialog->open();
}
