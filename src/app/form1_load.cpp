// Form1: the load and unload sequences that bring the program up and down.
#include <QAction>
#include <QLayout>
#include <QSlider>

#include "app/form1.h"
#include "app/status_bar1.h"
#include "app/toolbar1.h"
#include "app/window_options.h"
#include "browser/file_list.h"
#include "browser/folder_tree.h"
#include "browser/navigation.h"
#include "input/input_map.h"
#include "platform/interval_timer.h"
#include "player/movie.h"
#include "player/play_list.h"

void Form1::Form_Load() {
    if (m_loaded) {
        return;
    }
    m_loaded = true;
    m_session.load(*this);
}

void Form1::prepareControls() {
    m_tree->Timer2().stop();
    // No drag is under way: the tree's drop handling starts from an ended drag.
    m_treeState.DragEndRequest = true;
    m_toolbar->button(Toolbar1::ExtractButton)->setVisible(false);
    m_toolbar->button(Toolbar1::SelectExtractButton)->setVisible(false);
    m_movie->configureAtStart();
    m_playList->takeStartRate();
    m_slider->setValue(10);
    setWindowTitle(m_titleText);
}

void Form1::finishLoad() {
    if (m_state.mMousePlay != 0) {
        m_input->InstallMouseHook();
    }

    // The panes are fitted to the client area, which the window lays out only when asked before
    // it is first shown.
    layout()->activate();
    ApplyVSplit();
    ApplyHSplit();
    m_navigation->QuickPathSet_Click(
        m_state.mQuickPathValue >= 0 && m_state.mQuickPathValue <= 2 ? m_state.mQuickPathValue : 0);
    m_list->CreateColumns();
    m_list->setGridLines(m_state.mGridLine);
    m_tree->setLinesVisible(m_state.mTreeViewLine);

    // The status bar's option panels already show what the settings gave; the window takes the
    // always-on-top state without moving.
    m_options->applyOnTop(m_state.mScreenState);
    m_statusBar->setPanelText(StatusBar1::RatePanel, QStringLiteral("1.0 x"));
    loadBrowser();
}

void Form1::showAsLoaded() {
    if (m_startWindowState & Qt::WindowMaximized) {
        showMaximized();
    } else {
        show();
    }
}

void Form1::Form_Unload() {
    if (m_unloaded) {
        return;
    }
    m_unloaded = true;
    m_session.unload(*this, m_displayGone);
    emit unloaded();
}

void Form1::stopPlayback() {
    m_timer1->stop();
    m_movie->PlayStop();
}

void Form1::releasePlayers(bool displayGone) {
    // The players let go of libmpv while the window can still take their last pictures. Without
    // a display there is no GL context to free the render contexts with: the process ends as is.
    if (!displayGone) {
        m_players->release();
    }
    m_playList->restoreStartRate();
    if (m_state.mMousePlay != 0) {
        m_input->RemoveMouseHook();
    }
}

void Form1::unloadWithoutDisplay() {
    m_displayGone = true;
    Form_Unload();
}
