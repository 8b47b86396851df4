// Form1: fitting the panes to the window and moving the splitter bars.
#include <QComboBox>

#include "app/form1.h"
#include "app/splitter_bar.h"
#include "app/status_bar1.h"
#include "app/toolbar1.h"
#include "browser/file_list_view.h"
#include "browser/tree_view1.h"
#include "player/player_control_bar.h"
#include "player/player_set.h"

WindowMetrics Form1::windowMetrics() const {
    WindowMetrics m;
    m.clientWidth = m_twips.fromPixels(m_client->width());
    m.clientHeight = m_twips.fromPixels(m_client->height());
    // The window's own size stands for its outer size: it is what the settings keep and what a
    // start restores, so a close and a start give back the same window.
    m.outerWidth = m_twips.fromPixels(width());
    m.outerHeight = m_twips.fromPixels(height());
    m.toolbarHeight = m_twips.fromPixels(m_toolbar->sizeHint().height());
    m.statusBarHeight = m_twips.fromPixels(m_statusBar->sizeHint().height());
    m.minimized = isMinimized();
    m.maximized = isMaximized();
    return m;
}

void Form1::applyLayout() {
    const int toolbarHeight = m_toolbar->sizeHint().height();
    const int statusHeight = m_statusBar->sizeHint().height();
    m_toolbar->setGeometry(0, 0, m_client->width(), toolbarHeight);
    m_statusBar->setGeometry(0, m_client->height() - statusHeight, m_client->width(), statusHeight);
    m_imageCombo->setGeometry(m_twips.toPixels(m_layout.ImageCombo1));
    m_treeView->setGeometry(m_twips.toPixels(m_layout.TreeView1));
    m_listView->setGeometry(m_twips.toPixels(m_layout.ListView1));
    m_picSlider->setGeometry(m_twips.toPixels(m_layout.picSlider));
    m_picSlider2->setGeometry(m_twips.toPixels(m_layout.picSlider2));
    m_picShadow->setGeometry(m_twips.toPixels(m_layout.picShadow));
    m_picShadow2->setGeometry(m_twips.toPixels(m_layout.picShadow2));
    m_picShadow->setVisible(m_layout.picShadowVisible);
    m_picShadow2->setVisible(m_layout.picShadow2Visible);
    m_mediaPlayer->setGeometry(m_twips.toPixels(m_layout.MediaPlayer1));
    m_realAudio[0]->setGeometry(m_twips.toPixels(m_layout.RealAudio1[0]));
    m_realAudio[1]->setGeometry(m_twips.toPixels(m_layout.RealAudio1[1]));
    // The bars along the edges stay on top of a player that reaches under them.
    m_toolbar->raise();
    m_statusBar->raise();
    // The streaming panel's place follows the picture above it and may fall under the status
    // bar or past the window's edge: its controls are offered only while its middle shows.
    const int shownTop = toolbarHeight;
    const int shownBottom = m_client->height() - statusHeight;
    const int middle = m_realAudio[1]->geometry().center().y();
    m_players->streamingControls()->setInSight(middle >= shownTop && middle < shownBottom);
}

void Form1::Form_Resize() {
    if (m_inResize) {
        return;
    }
    m_inResize = true;
    const ResizeOutcome outcome = FormResize(m_layout, windowMetrics());
    m_layout = outcome.layout;
    if (outcome.formWidth && outcome.formHeight) {
        m_state.mFormWidth = *outcome.formWidth;
        m_state.mFormHeight = *outcome.formHeight;
    }
    applyLayout();
    m_inResize = false;
    if (outcome.raiseOuterHeightTo) {
        resize(width(), m_twips.toPixels(*outcome.raiseOuterHeightTo));
    }
}

void Form1::ApplyVSplit() {
    m_layout = ::ApplyVSplit(m_layout, windowMetrics());
    applyLayout();
}

void Form1::ApplyHSplit() {
    m_layout = ::ApplyHSplit(m_layout, windowMetrics());
    applyLayout();
}

void Form1::wireSplitters() {
    connect(m_picSlider, &SplitterBar::pressed, this, [this] { m_splitDragFlg = true; });
    connect(m_picSlider2, &SplitterBar::pressed, this, [this] { m_splitDragFlg = true; });
    connect(m_picSlider, &SplitterBar::moved, this, [this](int x) {
        if (m_splitDragFlg) {
            m_layout = MoveVShadow(m_layout, m_twips.fromPixels(x));
            applyLayout();
        }
    });
    connect(m_picSlider2, &SplitterBar::moved, this, [this](int y) {
        if (m_splitDragFlg) {
            m_layout = MoveHShadow(m_layout, m_twips.fromPixels(y));
            applyLayout();
        }
    });
    connect(m_picSlider, &SplitterBar::released, this, [this] {
        m_splitDragFlg = false;
        ApplyVSplit();
    });
    connect(m_picSlider2, &SplitterBar::released, this, [this] {
        m_splitDragFlg = false;
        ApplyHSplit();
    });
}
