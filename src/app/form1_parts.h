#pragma once

#include "app/form1.h"
#include "app/window_options.h"

class ArchiveCommands;
class ListCommands;
class TreeCommands;
class TreeDragDrop;
class UndoCommand;

// Form1Parts: the window's controls and parts by the names the program knows them, for the tests
// and the benches that drive the real window and look at what it shows. The window keeps them to
// itself: the program never reaches them through here.
class Form1Parts {
public:
    explicit Form1Parts(Form1& form) : m_form(form) {}

    // The caption the playing file's captions are built on ("Quorvane Ver1.1.6").
    QString TitleText() const { return m_form.m_titleText; }
    // The window state the settings asked for, to be applied when the window is shown.
    Qt::WindowStates startWindowState() const { return m_form.m_startWindowState; }

    // The options the menus, the toolbar and the status bar show; change them through here.
    LiveSettings& settings() const { return *m_form.m_settings; }
    // The options menu's commands, and the options dialog while it is open.
    WindowOptions& options() const { return *m_form.m_options; }
    Form2* optionsDialog() const;

    // Controls.
    const MainMenus& menus() const { return m_form.m_menus; }
    Toolbar1* toolbar() const { return m_form.m_toolbar; }
    StatusBar1* statusBar1() const { return m_form.m_statusBar; }
    QSlider* Slider1() const { return m_form.m_slider; }
    QComboBox* ImageCombo1() const { return m_form.m_imageCombo; }
    QWidget* TreeView1() const;
    QWidget* ListView1() const;
    FolderTree& tree() const { return *m_form.m_tree; }
    FileList& list() const { return *m_form.m_list; }
    LocationBox& location() const { return *m_form.m_location; }
    Navigation& navigation() const { return *m_form.m_navigation; }
    TreeState& treeState() const { return m_form.m_treeState; }
    PlayerSet& players() const { return *m_form.m_players; }
    clsMovie& MovieObj() const { return *m_form.m_movie; }
    PlayList& playList() const { return *m_form.m_playList; }
    FileCommands& fileCommands() const { return *m_form.m_fileCommands; }
    ListCommands& listCommands() const;
    TreeCommands& treeCommands() const;
    TreeDragDrop& dragDrop() const;
    UndoCommand& undoCommand() const;
    ArchiveCommands& archiveCommands() const;
    QWidget* MediaPlayer1() const { return m_form.m_mediaPlayer; }
    QWidget* RealAudio1(int index) const { return m_form.m_realAudio.at(index); }
    SplitterBar* picSlider() const { return m_form.m_picSlider; }
    SplitterBar* picSlider2() const { return m_form.m_picSlider2; }
    ShadowLine* picShadow() const { return m_form.m_picShadow; }
    ShadowLine* picShadow2() const { return m_form.m_picShadow2; }
    IntervalTimer* Timer1() const { return m_form.m_timer1; }
    // The drag-hover timer belongs to the tree, whose handlers start and stop it.
    QTimer& Timer2() const;
    QWidget* clientArea() const { return m_form.m_client; }
    ImageList& imlFile() const { return m_form.m_images; }

    // Layout, in twips.
    const PaneLayout& paneLayout() const { return m_form.m_layout; }
    const Twips& twips() const { return m_form.m_twips; }
    WindowMetrics windowMetrics() const { return m_form.windowMetrics(); }
    bool SplitDragFlg() const { return m_form.m_splitDragFlg; }

    // The keys and gestures of the window.
    InputMap& input() const { return *m_form.m_input; }
    // Every user command, by id.
    const CommandTable& commands() const { return m_form.m_commands; }

private:
    Form1& m_form;
};
