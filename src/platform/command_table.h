#pragma once

#include <QKeyCombination>
#include <QMetaType>
#include <QString>
#include <QStringList>
#include <exception>
#include <functional>
#include <utility>
#include <vector>

// Every command a user can give: from a menu item, a toolbar button, a key or a gesture. Each is
// registered once, by the part of the program that carries it out; the menus, the toolbar, the
// key table and the gestures only name it. The program's own name for each command (its menu
// item, button or handler) is kept beside it in commandName().
enum class CommandId {
    None,
    // The browser (navigation and quick paths).
    Refresh,         // Listkousin: the list read again (F5, menu, toolbar 6)
    GoUpFolder,      // one folder up (Backspace, toolbar 5)
    GoMydoc,         // My Documents (F6, menu, toolbar 2, location box)
    GoDeskTop,       // the desktop (F7, menu, toolbar 1, location box)
    GoNetWtok,       // the network (F8, menu, toolbar 3)
    GoFolder,        // the folder picker
    GoExp,           // the folder in the desktop's file manager
    GoSearch,        // the find-files window
    QuickPath,       // pass(0-6): a remembered folder
    QuickPathAdd,    // the folder on show into the quick paths
    QuickPathClear,  // the quick paths emptied
    QuickPathSet,    // QuickPathSet(0-2): the recording mode
    TreeViewLine,    // the tree's lines
    TreeViewIcon,    // the tree's other style mark
    FileView,        // toolbar 7: every file and folder, no play-list walk
    SelectAllFiles,  // Ctrl+A on the list
    FocusTree,       // the arrows on the tree: the tree keeps the keyboard
    FocusList,       // a key on a player: the list takes the keyboard
    // The file and folder commands.
    DelFile,          // the selected files to the trash (Delete on the list, menu)
    MoveFile,         // the selected files moved (M on the list, menu)
    ReFileNameFile,   // the selected file renamed (R on the list, menu)
    ReNameFile,       // the extension dialog (menu)
    MnuMakeFolder,    // a folder made in the tree's folder (K on the tree, menu)
    MnuMovFolder,     // the tree's folder moved (M on the tree, menu)
    MnuReNameFolder,  // the tree's folder renamed (R on the tree, menu)
    MnuDelFolder4,    // the tree's folder to the trash (Delete on the tree, menu)
    Undo,             // the last file or folder command undone (Ctrl+Z)
    OpenRecycle,      // the trash shown
    ClsRecycle,       // the trash emptied
    FilePopa,         // the properties of the selected row, or of the folder on show
    ExtractArchives,  // toolbar 8 "解凍": the selected archives
    SelectExtract,    // toolbar 9 "選択解凍": every archive, after one question
    // The player.
    MnuMoviePlay,      // play / pause (menu)
    PlayButton,        // toolbar 11 "再生", gesture right
    PlayOrPause,       // Space: pause what plays, else play the selected row
    Stop,              // MnuMovieStop: Shift+Space, menu, toolbar 12, gesture left
    PlayPrevious,      // MnuPrevios: Ctrl+Up, menu, toolbar 14, gesture up
    PlayNext,          // MunNext: Ctrl+Down, menu, toolbar 15, gesture down
    ToggleLoop,        // MnuLoop: repeat on / off; element 1 (F9) sets toolbar 17 too
    MunOpen,           // the selected file handed to the desktop
    PlayFromStart,     // the selected file from its start, whatever the history says (B)
    PlayUnplayed,      // the first row not played to its end (U)
    ClearPlayMarks,    // the selected rows' played marks and places forgotten
    StopAfterCurrent,  // "この曲で停止": stop at the end of the file playing (E)
    Ascending,         // toolbar 19: the list plays downwards
    Descending,        // toolbar 20: the list plays upwards
    RateOne,           // toolbar 22: the rate back to 1
    SeekBackward,      // Left (element 0, 5 s) / Ctrl+Left (element 1, 1 min) on a player
    SeekForward,       // Right / Ctrl+Right on a player
    VolumeDown,        // Down on a player
    VolumeUp,          // Up on a player
    // The options.
    Dspsize,        // Dspsize(0-5): the display size (F11 fits, F12 full screen)
    Mute,           // Opt(1) (F1)
    OnTop,          // Opt(2) (F2)
    SlideShow,      // Opt(3)
    QuickPathPlay,  // Opt(4)
    Options,        // Opt(6): the options dialog
    MnuGrid,        // the list's grid lines
    MnuIconSet,     // the list's icon view
    ExitQuorvane,   // the program ends
};
inline constexpr int kCommandCount = static_cast<int>(CommandId::ExitQuorvane) + 1;

// The program's name for a command, as its menus and handlers have always called it.
QString commandName(CommandId id);

// A command with the element of its control array (pass 0-6, QuickPathSet 0-2, Dspsize 0-5);
// 0 for the others.
struct CommandRef {
    CommandId id = CommandId::None;
    int index = 0;
    constexpr CommandRef() = default;
    constexpr CommandRef(CommandId command, int element = 0)  // NOLINT: ids stand for refs
        : id(command), index(element) {}
    bool operator==(const CommandRef&) const = default;
};
Q_DECLARE_METATYPE(CommandRef)

// One registered command: what it does, and how it shows where it is offered (a menu item's
// caption and window-wide shortcut, a toolbar button's tip, the tick of an item that shows a
// state of the program). The setters return the command, so a registration reads as one line.
class Command {
public:
    using Handler = std::function<void(int index)>;
    using State = std::function<bool(int index)>;

    // The menu item's caption; for a control array, one caption per element.
    Command& caption(const QString& text);
    Command& captions(const QStringList& texts);
    // The toolbar button's tip.
    Command& toolTip(const QString& text);
    // The menu item's shortcut, which works anywhere in the window.
    Command& shortcut(QKeyCombination key, int element = 0);
    // The item shows a tick, which follows this state of the program (per element).
    Command& checked(State isChecked);
    Command& checked(const std::function<bool()>& isChecked);

    QString captionOf(int element) const;
    const QString& toolTipText() const { return m_toolTip; }
    // The shortcut of an element; an empty combination when it has none.
    QKeyCombination shortcutOf(int element) const;
    bool isCheckable() const { return static_cast<bool>(m_checked); }
    bool isChecked(int element) const { return m_checked && m_checked(element); }

private:
    friend class CommandTable;
    Handler m_run;
    QStringList m_captions;
    QString m_toolTip;
    std::vector<std::pair<int, QKeyCombination>> m_shortcuts;
    State m_checked;
};

// The table the commands are registered in and run through. A command that fails tells the user
// through the error handler and leaves the program running.
class CommandTable {
public:
    using Handler = Command::Handler;

    // Registers a command; each is registered once.
    Command& add(CommandId id, Handler run);
    Command& add(CommandId id, const std::function<void()>& run);
    bool has(CommandId id) const;
    // A registered command's face (captions, tip, tick); an empty one for an unknown id.
    const Command& command(CommandId id) const;

    // Runs a command; nothing happens for None or a command nobody registered.
    void run(CommandRef command) const;
    // The same, the slide show held first: what menu items and toolbar buttons do.
    void runHeld(CommandRef command) const;

    // What holds the slide show (the slide-show timer stopped).
    void setHold(std::function<void()> hold) { m_hold = std::move(hold); }
    void setErrorHandler(std::function<void(const std::exception&)> handler) {
        m_onError = std::move(handler);
    }
    // Called after every command has run, so what shows a command's state follows it.
    void setAfterRun(std::function<void()> afterRun) { m_afterRun = std::move(afterRun); }

private:
    std::vector<Command> m_commands = std::vector<Command>(kCommandCount);
    std::function<void()> m_hold;
    std::function<void(const std::exception&)> m_onError;
    std::function<void()> m_afterRun;
};
