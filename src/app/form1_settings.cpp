// Form1: carrying the settings into the window at start and out of it at close, and the menus,
// toolbar and status bar that show the options the user changes meanwhile.
#include <QGuiApplication>

#include "app/form1.h"
#include "app/messages.h"
#include "app/status_bar1.h"
#include "app/toolbar1.h"
#include "app/window_geometry.h"
#include "browser/file_list.h"
#include "browser/folder_tree.h"
#include "platform/display_platform.h"
#include "player/midi_synth.h"
#include "player/player_set.h"
#include "settings/live_settings.h"
#include "settings/settings_catalogue.h"
#include "settings/window_settings.h"

void Form1::wireSettings() {
    LiveSettings* s = m_settings;
    // The menus' ticks follow the settings through their commands; the panels and views here.
    connect(s, &LiveSettings::screenSizeChanged, this, [this](int index) {
        m_statusBar->setPanelText(StatusBar1::DisplaySizePanel,
                                  m_commands.command(CommandId::Dspsize).captionOf(index));
    });
    connect(s, &LiveSettings::muteChanged, this, [this](bool on) {
        m_statusBar->setPanelText(StatusBar1::MutePanel, app_msg::mutePanel(on));
    });
    connect(s, &LiveSettings::alwaysOnTopChanged, this, [this](bool on) {
        m_statusBar->setPanelText(StatusBar1::OnTopPanel, app_msg::onTopPanel(on));
    });
    connect(s, &LiveSettings::gridLinesChanged, this,
            [this](bool on) { m_list->setGridLines(on); });
    connect(s, &LiveSettings::treeLinesChanged, this,
            [this](bool on) { m_tree->setLinesVisible(on); });
    connect(s, &LiveSettings::fileViewChanged, this, [this](bool on) {
        m_toolbar->button(Toolbar1::FileViewButton)->setChecked(on);
        m_list->setFileViewPressed(on);
    });
}

void Form1::wireRunningSave() {
    if (!display_platform::mayEndWithoutExit()) {
        return;
    }
    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) {
                if (state != Qt::ApplicationActive && m_loaded && !m_unloaded) {
                    m_session.saveWhileRunning(*this);
                }
            });
}

void Form1::applyWindowSettings(const SettingValues& s) {
    // [Midi]
    m_players->midiSynth().setSoundFontPath(m_state.mSoundFont);
    const WindowSettings stored = windowSettingsOf(s);
    m_placeAsRead = QPoint(stored.left, stored.top);
    m_startWindowState = applyStoredGeometry(*this, m_twips, stored, m_layout);
    m_state.mFormWidth = m_twips.fromPixels(width());
    m_state.mFormHeight = m_twips.fromPixels(height());
}

void Form1::saveWindowSettings(SettingValues& s) {
    WindowSettings now = currentGeometry(*this, m_twips, m_layout);
    if (!display_platform::reportsWindowPlace()) {
        // What the window reads as its place there is only its frame's margins.
        now.left = m_placeAsRead.x();
        now.top = m_placeAsRead.y();
    }
    storeWindowSettings(now, s);
    const QString shown = m_tree->SelectedFolderPath();
    s.set(Setting::FilePath, shown.isEmpty() ? m_state.mStartPath : shown);
}
