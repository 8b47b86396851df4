#include "input/command_map.h"

#include "input/mouse_hook_event.h"

namespace {

using C = InputCommand;
using X = InputContext;

constexpr Qt::KeyboardModifiers kCommandModifiers =
    Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;

bool plain(Qt::KeyboardModifiers modifiers) {
    return !(modifiers & kCommandModifiers);
}

bool controlArrow(int key, Qt::KeyboardModifiers modifiers) {
    return (modifiers & Qt::ControlModifier) && (key == Qt::Key_Up || key == Qt::Key_Down);
}

bool takesListKeys(X context) {
    return context == X::List || context == X::Player;
}

// Released keys of the whole window, in every part of it.
InputCommand windowRelease(int key, Qt::KeyboardModifiers modifiers) {
    switch (key) {
        case Qt::Key_F5:
            return C::Refresh;
        case Qt::Key_F9:
            return C::ToggleLoop;
        case Qt::Key_F11:
            return C::FitToWindow;
        case Qt::Key_F12:
            return C::FullScreen;
        case Qt::Key_Space:
            return (modifiers & Qt::ShiftModifier) ? C::Stop : C::PlayOrPause;
        case Qt::Key_Backspace:
            return plain(modifiers) ? C::GoUpFolder : C::None;
        default:
            return C::None;
    }
}

InputCommand listRelease(int key, Qt::KeyboardModifiers modifiers) {
    if (key == Qt::Key_Delete && plain(modifiers)) {
        return C::DeleteFiles;
    }
    if (key == Qt::Key_R && plain(modifiers)) {
        return C::RenameFile;
    }
    return C::None;
}

InputCommand treeRelease(int key, Qt::KeyboardModifiers modifiers) {
    switch (key) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_Left:
        case Qt::Key_Right:
            return C::FocusTree;
        case Qt::Key_Delete:
            return plain(modifiers) ? C::DeleteFolder : C::None;
        case Qt::Key_M:
            return plain(modifiers) ? C::MoveFolder : C::None;
        case Qt::Key_K:
            return plain(modifiers) ? C::MakeFolder : C::None;
        case Qt::Key_R:
            return plain(modifiers) ? C::RenameFolder : C::None;
        default:
            return C::None;
    }
}

}  // namespace

Qt::KeyboardModifiers KeyMap::chordModifiers(Qt::KeyboardModifiers modifiers) {
    return modifiers & (Qt::ShiftModifier | kCommandModifiers);
}

KeyAction KeyMap::press(int key, Qt::KeyboardModifiers modifiers, bool typesCharacter,
                        InputContext context) {
    modifiers = chordModifiers(modifiers);
    m_held.insert(key, modifiers);
    const bool control = modifiers == Qt::ControlModifier;
    // Ctrl+Up and Ctrl+Down play on their release; the press must not move the selection.
    const bool swallowArrow = controlArrow(key, modifiers) && context != X::Tree &&
                              context != X::Form && context != X::LocationBox;
    switch (context) {
        case X::List:
            if (control && key == Qt::Key_A) {
                return {C::SelectAllFiles, true};
            }
            if (control && key == Qt::Key_Z) {
                return {C::Undo, true};
            }
            if (key == Qt::Key_M && plain(modifiers)) {
                return {C::MoveFiles, true};
            }
            break;
        case X::Tree:
            if (control && key == Qt::Key_Z) {
                return {C::Undo, true};
            }
            break;
        case X::Player:
            return {C::FocusList, typesCharacter || swallowArrow};
        case X::FullScreen:
            if (!typesCharacter && !swallowArrow) {
                return {C::WindowShortcut, false};
            }
            break;
        case X::Form:
        case X::LocationBox:
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
    InputCommand command = C::None;
    if (controlArrow(key, modifiers) && (takesListKeys(context) || context == X::FullScreen)) {
        command = key == Qt::Key_Up ? C::PlayPrevious : C::PlayNext;
    } else if (takesListKeys(context)) {
        command = listRelease(key, modifiers);
    } else if (context == X::Tree) {
        command = treeRelease(key, modifiers);
        if (command == C::FocusTree) {
            return {command, false};  // the tree moves its selection on the press itself
        }
    }
    if (command == C::None) {
        command = windowRelease(key, modifiers);
    }
    return {command, command != C::None};
}

InputCommand gestureCommand(int moveDir) {
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
