// Form1: the window for a screen reader and for the keyboard alone. Every control that shows no
// text of its own is named as the program words it, Tab walks from the location box through the
// tree and the list to the players, and the list has the keyboard once the window is up.
#include <QAbstractScrollArea>
#include <QComboBox>
#include <QLabel>
#include <QScrollBar>
#include <QSlider>
#include <QToolButton>
#include <vector>

#include "app/form1.h"
#include "app/messages.h"
#include "app/toolbar1.h"
#include "browser/file_list_view.h"
#include "browser/tree_view1.h"
#include "player/player_control_bar.h"
#include "player/video_surface.h"

namespace {

void nameScrollBars(QAbstractScrollArea& area) {
    area.verticalScrollBar()->setAccessibleName(app_msg::verticalScrollBarName());
    area.horizontalScrollBar()->setAccessibleName(app_msg::horizontalScrollBarName());
}

// A player's picture and its bar, in the order Tab meets them.
void appendPlayer(std::vector<QWidget*>& chain, VideoSurface* surface, PlayerControlBar* bar) {
    // Tab reaches the picture, where the arrows seek; a click on it leaves the keyboard where
    // it was, so the list's arrows keep their meaning for the mouse user.
    surface->setFocusPolicy(Qt::TabFocus);
    surface->setAccessibleName(app_msg::pictureName());
    chain.insert(chain.end(), {surface, bar->playPauseButton(), bar->stopButton(),
                               bar->seekSlider(), bar->volumeSlider()});
}

}  // namespace

void Form1::prepareAccess() {
    m_imageCombo->setAccessibleName(app_msg::locationBoxName());
    // On Linux a reader takes a combo box's name from the label that points at it (its own name
    // is the item on show): a label that is never shown says what the box is.
    auto* locationLabel = new QLabel(app_msg::locationBoxName(), m_client);
    locationLabel->setObjectName(QStringLiteral("ImageCombo1Label"));
    locationLabel->setBuddy(m_imageCombo);
    locationLabel->hide();
    m_treeView->setAccessibleName(app_msg::treeName());
    // The tree's header is never shown, but a reader still reads its one cell.
    m_treeView->setHeaderLabel(app_msg::treeName());
    m_listView->setAccessibleName(app_msg::listName());
    nameScrollBars(*m_treeView);
    nameScrollBars(*m_listView);
    m_slider->setAccessibleName(app_msg::rateSliderName());
    if (QWidget* rateOne = m_toolbar->widgetForAction(m_toolbar->button(Toolbar1::RateOneButton))) {
        rateOne->setAccessibleName(app_msg::rateOneName());
    }
    // The toolbar's button for the buttons a narrow window cannot show.
    if (auto* more = m_toolbar->findChild<QToolButton*>(QStringLiteral("qt_toolbar_ext_button"))) {
        more->setAccessibleName(app_msg::moreButtonsName());
    }

    std::vector<QWidget*> chain = {m_imageCombo, m_treeView, m_listView};
    appendPlayer(chain, m_players->mediaSurface(), m_players->mediaControls());
    appendPlayer(chain, m_players->streamingSurface(), m_players->streamingControls());
    chain.push_back(m_slider);
    for (std::size_t i = 1; i < chain.size(); ++i) {
        setTabOrder(chain[i - 1], chain[i]);
    }
}
