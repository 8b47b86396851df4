// Form1: the keys and the mouse gestures. The input map tells which command a key or a gesture
// asks for; here each command is handed to the part of the program that carries it out.
#include <QAction>
#include <QComboBox>

#include "app/form1.h"
#include "browser/file_list.h"
#include "browser/file_list_view.h"
#include "browser/navigation.h"
#include "browser/tree_view1.h"
#include "fileops/list_commands.h"
#include "fileops/tree_commands.h"
#include "fileops/undo_command.h"
#include "input/input_map.h"
#include "platform/error_box.h"
#include "player/play_list.h"
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
    connect(m_input, &InputMap::triggered, this, &Form1::runInputCommand);
}

void Form1::runInputCommand(InputCommand command) {
    using C = InputCommand;
    PlayList& play = *m_playList;
    try {
        switch (command) {
            case C::Refresh:
                m_navigation->Listkousin_Click();
                break;
            case C::ToggleLoop:
                play.ToggleLoop(1);
                break;
            case C::FitToWindow:
                Dspsize_Click(DspsizeItem::FitWindow);
                break;
            case C::FullScreen:
                Dspsize_Click(DspsizeItem::FullScreen);
                break;
            case C::PlayOrPause:
                play.PlayKey();
                break;
            case C::Stop:
                play.MnuMovieStop_Click();
                break;
            case C::GoUpFolder:
                m_navigation->GoUpFolder();
                break;
            case C::PlayPrevious:
                play.MnuPrevios_Click();
                break;
            case C::PlayNext:
                play.MunNext_Click();
                break;
            case C::PlayButton:
                play.PlayButton_Click();
                break;
            case C::SelectAllFiles:
                m_list->SetAllListItemsState(true);
                break;
            case C::MoveFiles:
                m_listCommands->MoveFile();
                break;
            case C::DeleteFiles:
                m_listCommands->DelFile();
                break;
            case C::RenameFile:
                m_listCommands->ReFileNameFile();
                break;
            case C::FocusTree:
                m_treeView->setFocus();
                break;
            case C::DeleteFolder:
                m_treeCommands->MnuDelFolder4();
                break;
            case C::MoveFolder:
                m_treeCommands->MnuMovFolder();
                break;
            case C::MakeFolder:
                m_treeCommands->MnuMakeFolder();
                break;
            case C::RenameFolder:
                m_treeCommands->MnuReNameFolder();
                break;
            case C::Undo:
                m_undo->Undo();
                break;
            case C::FocusList:
                m_listView->setFocus();
                break;
            case C::WindowShortcut:
            case C::None:
                break;
        }
    } catch (const std::exception& error) {
        ErrMsgDsp(m_dialogs, error);
    }
}
