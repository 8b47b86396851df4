#pragma once

#include <QHash>
#include <Qt>

#include "platform/command_table.h"

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
// has the keyboard must not see the key. windowShortcut: a key on the full-screen picture, which
// the window's menu shortcuts do not reach; the input map looks it up among them.
struct KeyAction {
    CommandRef command;
    bool swallow = false;
    bool windowShortcut = false;
    bool operator==(const KeyAction&) const = default;
};

// KeyMap: the window's keys, one table of rows for every part of it (the menu items' own
// shortcuts, F1, F2, F6-F8, F11 and F12, are not in it: they belong to their items). Commands of
// the window act when their key is released, with the modifiers that were held when it went down
// (so Shift+Space stops even when Shift is let go first); some of the list's and the tree's
// editing commands act on the press. A key that types a character is swallowed on its press:
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
CommandId gestureCommand(int moveDir);
