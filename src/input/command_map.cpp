#include "input/command_map.h"

#include <array>

#include "input/mouse_hook_event.h"

namespace {

using C = CommandId;
using X = InputContext;

constexpr Qt::KeyboardModifiers kCommandModifiers =
    Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;

// The modifiers a row asks for.
enum class Chord {
    Any,          // whatever is held
    Plain,        // no Control, Alt or Meta (Shift may be held)
    Control,      // Control alone
    WithControl,  // Control, with or without others
    WithShift,    // Shift, with or without others
};

bool matches(Chord chord, Qt::KeyboardModifiers modifiers) {
    switch (chord) {
        case Chord::Any:
            return true;
        case Chord::Plain:
            return !(modifiers & kCommandModifiers);
        case Chord::Control:
            return modifiers == Qt::ControlModifier;
        case Chord::WithControl:
            return (modifiers & Qt::ControlModifier) != 0;
        case Chord::WithShift:
            return (modifiers & Qt::ShiftModifier) != 0;
    }
    return false;
}

// The parts of the window a row is read in.
enum Where : unsigned {
    InForm = 1U << static_cast<unsigned>(X::Form),
    InList = 1U << static_cast<unsigned>(X::List),
    InTree = 1U << static_cast<unsigned>(X::Tree),
    InLocationBox = 1U << static_cast<unsigned>(X::LocationBox),
    InPlayer = 1U << static_cast<unsigned>(X::Player),
    InFullScreen = 1U << static_cast<unsigned>(X::FullScreen),
    Everywhere = InForm | InList | InTree | InLocationBox | InPlayer | InFullScreen,
    // A key on a player counts as the list's.
    ListKeys = InList | InPlayer,
};

struct KeyRow {
    int key;
    Chord chord;
    unsigned where;
    CommandRef command;
    bool swallow;  // the widget with the keyboard does not see the key
};

// The player's steps: how far an arrow moves the picture or the volume.
enum PlayerStep { ShortStep = 0, LongStep = 1 };

// Keys that act as they go down (and again while held), first match wins.
const std::array kPressRows = {
    // The picture or its control bar has the keyboard: the arrows seek and set the volume.
    KeyRow{Qt::Key_Left, Chord::Plain, InPlayer | InFullScreen, {C::SeekBackward, ShortStep}, true},
    KeyRow{Qt::Key_Right, Chord::Plain, InPlayer | InFullScreen, {C::SeekForward, ShortStep}, true},
    KeyRow{
        Qt::Key_Left, Chord::Control, InPlayer | InFullScreen, {C::SeekBackward, LongStep}, true},
    KeyRow{
        Qt::Key_Right, Chord::Control, InPlayer | InFullScreen, {C::SeekForward, LongStep}, true},
    KeyRow{Qt::Key_Up, Chord::Plain, InPlayer | InFullScreen, C::VolumeUp, true},
    KeyRow{Qt::Key_Down, Chord::Plain, InPlayer | InFullScreen, C::VolumeDown, true},
    KeyRow{Qt::Key_A, Chord::Control, InList, C::SelectAllFiles, true},
    KeyRow{Qt::Key_Z, Chord::Control, InList | InTree, C::Undo, true},
    KeyRow{Qt::Key_M, Chord::Plain, InList, C::MoveFile, true},
};

// Keys that act as they come up, with the modifiers held when they went down; first match wins,
// so a part's own keys come before the window's.
const std::array kReleaseRows = {
    KeyRow{Qt::Key_Up, Chord::WithControl, ListKeys | InFullScreen, C::PlayPrevious, true},
    KeyRow{Qt::Key_Down, Chord::WithControl, ListKeys | InFullScreen, C::PlayNext, true},
    KeyRow{Qt::Key_Delete, Chord::Plain, ListKeys, C::DelFile, true},
    KeyRow{Qt::Key_R, Chord::Plain, ListKeys, C::ReFileNameFile, true},
    KeyRow{Qt::Key_B, Chord::Plain, ListKeys, C::PlayFromStart, true},
    KeyRow{Qt::Key_U, Chord::Plain, ListKeys, C::PlayUnplayed, true},
    KeyRow{Qt::Key_E, Chord::Plain, ListKeys, C::StopAfterCurrent, true},
    // The tree moves its selection on the press itself and keeps the keyboard.
    KeyRow{Qt::Key_Up, Chord::Any, InTree, C::FocusTree, false},
    KeyRow{Qt::Key_Down, Chord::Any, InTree, C::FocusTree, false},
    KeyRow{Qt::Key_Left, Chord::Any, InTree, C::FocusTree, false},
    KeyRow{Qt::Key_Right, Chord::Any, InTree, C::FocusTree, false},
    KeyRow{Qt::Key_Delete, Chord::Plain, InTree, C::MnuDelFolder4, true},
    KeyRow{Qt::Key_M, Chord::Plain, InTree, C::MnuMovFolder, true},
    KeyRow{Qt::Key_K, Chord::Plain, InTree, C::MnuMakeFolder, true},
    KeyRow{Qt::Key_R, Chord::Plain, InTree, C::MnuReNameFolder, true},
    // The whole window's.
    KeyRow{Qt::Key_F5, Chord::Any, Everywhere, C::Refresh, true},
    KeyRow{Qt::Key_F9, Chord::Any, Everywhere, {C::ToggleLoop, 1}, true},
    KeyRow{Qt::Key_Space, Chord::WithShift, Everywhere, C::Stop, true},
    KeyRow{Qt::Key_Space, Chord::Any, Everywhere, C::PlayOrPause, true},
    KeyRow{Qt::Key_Backspace, Chord::Plain, Everywhere, C::GoUpFolder, true},
};

template <typename Rows>
const KeyRow* find(const Rows& rows, int key, Qt::KeyboardModifiers modifiers, X context) {
    const unsigned here = 1U << static_cast<unsigned>(context);
    for (const KeyRow& row : rows) {
        if (row.key == key && (row.where & here) && matches(row.chord, modifiers)) {
            return &row;
        }
    }
    return nullptr;
}

// Keys that leave the keyboard on a player's picture or bar: a modifier on its way to a chord, Tab
// walking on through the bar's controls, a page or an end key moving the bar that has it, and the
// window's Space keys, which act on their release without taking the keyboard away.
bool keepsPlayerKeyboard(int key) {
    switch (key) {
        case Qt::Key_Shift:
        case Qt::Key_Control:
        case Qt::Key_Alt:
        case Qt::Key_Meta:
        case Qt::Key_AltGr:
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
        case Qt::Key_Space:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
        case Qt::Key_Home:
        case Qt::Key_End:
            return true;
        default:
            return false;
    }
}

bool controlArrow(int key, Qt::KeyboardModifiers modifiers) {
    return (modifiers & Qt::ControlModifier) && (key == Qt::Key_Up || key == Qt::Key_Down);
}

}  // namespace

Qt::KeyboardModifiers KeyMap::chordModifiers(Qt::KeyboardModifiers modifiers) {
    return modifiers & (Qt::ShiftModifier | kCommandModifiers);
}

KeyAction KeyMap::press(int key, Qt::KeyboardModifiers modifiers, bool typesCharacter,
                        InputContext context) {
    modifiers = chordModifiers(modifiers);
    m_held.insert(key, modifiers);
    // Ctrl+Up and Ctrl+Down play on their release; the press must not move the selection.
    const bool swallowArrow = controlArrow(key, modifiers) && context != X::Tree &&
                              context != X::Form && context != X::LocationBox;
    if (const KeyRow* row = find(kPressRows, key, modifiers, context)) {
        return {row->command, row->swallow};
    }
    switch (context) {
        case X::Player:
            if (keepsPlayerKeyboard(key)) {
                return {C::None, key == Qt::Key_Space};
            }
            return {C::FocusList, typesCharacter || swallowArrow};
        case X::FullScreen:
            if (!typesCharacter && !swallowArrow) {
                return {C::None, false, true};
            }
            break;
        default:
            break;
    }
    return {C::None, typesCharacter || swallowArrow};
}

KeyAction KeyMap::release(int key, Qt::KeyboardModifiers modifiers, bool autoRepeat,
                          InputContext context) {
    if (autoRepeat) {
        return {};
    }
    // The chord as it was pressed; a release whose press went elsewhere has its own modifiers.
    const auto held = m_held.constFind(key);
    if (held != m_held.constEnd()) {
        modifiers = *held;
        m_held.erase(held);
    } else {
        modifiers = chordModifiers(modifiers);
    }
    if (const KeyRow* row = find(kReleaseRows, key, modifiers, context)) {
        return {row->command, row->swallow};
    }
    return {};
}

CommandId gestureCommand(int moveDir) {
    switch (moveDir) {
        case cMouseHookEvent::Up:
            return C::PlayPrevious;
        case cMouseHookEvent::Right:
            return C::PlayButton;
        case cMouseHookEvent::Down:
            return C::PlayNext;
        case cMouseHookEvent::Left:
            return C::Stop;
        default:
            return C::None;
    }
}
