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
#include "settings/playback_hold.h"
#include "settings/settings_catalogue.h"
#include "settings/window_settings.h"

namespace {

QRect toTwips(const Twips& twips, const QRect& pixels) {
    const TwipsRect r = twips.fromPixels(pixels);
    return QRect(static_cast<int>(r.left), static_cast<int>(r.top), static_cast<int>(r.width),
                 static_cast<int>(r.height));
}

}  // namespace

void Form1::wireSettings() {
    LiveSettings* s = m_settings;
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

void Form1::applyWindowSettings(const SettingValues& s) {
    const WindowSettings w = windowSettingsOf(s);
    // [Midi]
    m_players->midiSynth().setSoundFontPath(m_state.mSoundFont);

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
    stored.left = w.left;
    stored.top = w.top;
    stored.width = w.width;
    stored.height = w.height;
    stored.centre = w.centre;
    const QRect place = startPlacement(stored, screens, primaryArea);
    placeWindow(place.x(), place.y(), place.width(), place.height());
    m_state.mFormWidth = m_twips.fromPixels(width());
    m_state.mFormHeight = m_twips.fromPixels(height());
    // A window closed minimised opens in its normal state.
    m_startWindowState = w.windowState == 2 ? Qt::WindowMaximized : Qt::WindowNoState;

    // [RealSize], [MediaSize]
    for (std::size_t i = 0; i < 2; ++i) {
        m_layout.RealAudio1[i].height = w.realAudioHeight[i];
        m_layout.RealAudio1[i].width = w.realAudioWidth[i];
    }
    m_layout.MediaPlayer1.height = w.mediaHeight;
    m_layout.MediaPlayer1.width = w.mediaWidth;

    // [SpPos]: 0 keeps the design's place; the bars follow their lines when the window lays out
    // its panes.
    if (w.splitterLeft != 0) {
        m_layout.picShadow.left = w.splitterLeft;
    }
    if (w.splitterTop != 0) {
        m_layout.picShadow2.top = w.splitterTop;
    }
}

void Form1::saveWindowSettings(SettingValues& s) {
    WindowSettings w;
    QPoint topLeft = pos();
    if (isMaximized() || isMinimized()) {
        // Where the window stands in its normal state, not where the maximised frame is.
        const QRect normal = normalGeometry();
        if (normal.isValid()) {
            topLeft = normal.topLeft();
        }
    }
    w.left = nearestInt32(m_twips.fromPixels(topLeft.x()));
    w.top = nearestInt32(m_twips.fromPixels(topLeft.y()));
    w.windowState = isMinimized() ? 1 : isMaximized() ? 2 : 0;
    for (std::size_t i = 0; i < 2; ++i) {
        w.realAudioHeight[i] = m_layout.RealAudio1[i].height;
        w.realAudioWidth[i] = m_layout.RealAudio1[i].width;
    }
    w.mediaHeight = m_layout.MediaPlayer1.height;
    w.mediaWidth = m_layout.MediaPlayer1.width;
    w.splitterLeft = m_layout.picShadow.left;
    w.splitterTop = m_layout.picShadow2.top;
    storeWindowSettings(w, s);
    const QString shown = m_tree->SelectedFolderPath();
    s.set(Setting::FilePath, shown.isEmpty() ? m_state.mStartPath : shown);
}

void Form1::openOptions() {
    m_hold->holdSlideShow();
    if (m_options) {
        m_options->activateWindow();
        return;
    }
    OptionsDialogServices services;
    services.iniPath = m_session.iniPath();
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
