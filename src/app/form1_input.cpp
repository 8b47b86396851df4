// Form1: the keys and the mouse gestures. The input map tells which command a key or a gesture
// asks for; the command table runs it.
#include <QComboBox>

#include "app/form1.h"
#include "browser/file_list_view.h"
#include "browser/tree_view1.h"
#include "input/input_map.h"
#include "player/video_surface.h"
#include "settings/live_settings.h"

void Form1::wireInput() {
    m_input = new InputMap(*this, this);
    m_input->setContext(m_listView, InputContext::List);
    m_input->setContext(m_treeView, InputContext::Tree);
    m_input->setContext(m_imageCombo, InputContext::LocationBox);
    for (QWidget* player : {m_mediaPlayer, m_realAudio[0], m_realAudio[1]}) {
        m_input->setContext(player, InputContext::Player);
    }
    for (VideoSurface* surface : {m_players->mediaSurface(), m_players->streamingSurface()}) {
        m_input->addPicture(surface->videoWidget());
        // Esc, a double-click or closing the picture's own screen fits it to the window again;
        // the size menu and the status bar follow.
        connect(surface, &VideoSurface::fullScreenLeft, this,
                [this] { m_settings->setScreenSize(DspsizeItem::FitWindow); });
    }
    connect(m_input, &InputMap::triggered, this,
            [this](const CommandRef& command) { m_commands.run(command); });
}
