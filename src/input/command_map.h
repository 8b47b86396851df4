#pragma once

#include <QHash>
#include <Qt>

// What a key or a gesture asks the main window to do.
enum class InputCommand {
    None,
    // Keys of the whole window.
    Refresh,      // F5
    ToggleLoop,   // F9
    FitToWindow,  // F11
    FullScreen,   // F12
    PlayOrPause,  // Space: pause what plays, else play the selected row
    Stop,         // Shift+Space, gesture left
    GoUpFolder,   // Backspace
    // The file list's keys (the player's too).
    PlayPrevious,    // Ctrl+Up, gesture up
    PlayNext,        // Ctrl+Down, gesture down
    SelectAllFiles,  // Ctrl+A
    MoveFiles,       // M
    DeleteFiles,     // Delete
    RenameFile,      // R
    // The folder tree's keys.
    FocusTree,     // the arrows
    DeleteFolder,  // Delete
    MoveFolder,    // M
    MakeFolder,    // K
    RenameFolder,  // R
    Undo,          // Ctrl+Z on the list or the tree
    // A key pressed on a player hands the keyboard to the file list.
    FocusList,
    // A key pressed on the full-screen picture: the window's menu shortcut of that key, if any.
    WindowShortcut,
    // Gesture right: the "再生" button (pause what plays, else resume or play the selected row).
    PlayButton,
};

// Where a key was typed: the part of the window that has the keyboard.
enum class InputContext {
    Form,         // the window's bars, its slider, the window itself
    List,         // the file list
    Tree,         // the folder tree
    LocationBox,  // the location box
    Player,       // a player's picture or its control bar
    FullScreen,   // a picture on a screen of its own
};

// What to do with one key event: the command to run (None for none) and whether the widget that
// has the keyboard must not see the key.
struct KeyAction {
    InputCommand command = InputCommand::None;
    bool swallow = false;
    bool operator==(const KeyAction&) const = default;
};

// KeyMap: the window's keys, one table for every part of it. Commands of the window act when
// their key is released, with the modifiers that were held when it went down (so Shift+Space
// stops even when Shift is let go first); the list's and the tree's editing commands and the
// menu shortcuts act on the press. A key that types a character is swallowed on its press:
// nothing in the window searches by typing, and letters are commands of their own.
class KeyMap {
public:
    // typesCharacter: the press types a printable character (no Control held).
    KeyAction press(int key, Qt::KeyboardModifiers modifiers, bool typesCharacter,
                    InputContext context);
    // Auto-repeated releases (a key held down) act on nothing.
    KeyAction release(int key, Qt::KeyboardModifiers modifiers, bool autoRepeat,
                      InputContext context);

    // The modifiers that count: Shift, Control, Alt, Meta (not the keypad's or group flags).
    static Qt::KeyboardModifiers chordModifiers(Qt::KeyboardModifiers modifiers);

private:
    QHash<int, Qt::KeyboardModifiers> m_held;  // modifiers of each key when it went down
};

// The command of a gesture's direction code (0 up, 2 right, 4 down, 6 left); None for others.
InputCommand gestureCommand(int moveDir);
