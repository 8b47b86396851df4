// The window's key table: which command each key asks for in each part of the window, and which
// keys the widget with the keyboard never sees.
#include <QTest>

#include "input/command_map.h"

namespace {

using C = CommandId;
using X = InputContext;
constexpr auto Shift = Qt::ShiftModifier;
constexpr auto Ctrl = Qt::ControlModifier;
constexpr Qt::KeyboardModifiers None = Qt::NoModifier;

// Presses and releases a key in one part of the window, as a user types it.
struct Typist {
    KeyAction press(int key, Qt::KeyboardModifiers mods = None, bool character = false) {
        return map.press(key, mods, character, context);
    }
    KeyAction release(int key, Qt::KeyboardModifiers mods = None) {
        return map.release(key, mods, false, context);
    }
    // Both, with the modifiers held throughout; the release's action.
    KeyAction click(int key, Qt::KeyboardModifiers mods = None, bool character = false) {
        press(key, mods, character);
        return release(key, mods);
    }
    KeyMap map;
    X context = X::Form;
};

}  // namespace

char* toString(const KeyAction& action) {
    const QByteArray text = "{command " + commandName(action.command.id).toUtf8() + "(" +
                            QByteArray::number(action.command.index) + ")" +
                            (action.swallow ? ", swallowed" : "") +
                            (action.windowShortcut ? ", window shortcut}" : "}");
    return qstrdup(text.constData());
}

char* toString(const CommandRef& command) {
    return qstrdup((commandName(command.id) + u'(' + QString::number(command.index) + u')')
                       .toUtf8()
                       .constData());
}

class TestCommandMap : public QObject {
    Q_OBJECT

private slots:
    void windowKeysActOnReleaseEverywhere() {
        for (const X context :
             {X::Form, X::List, X::Tree, X::LocationBox, X::Player, X::FullScreen}) {
            Typist t;
            t.context = context;
            QCOMPARE(t.click(Qt::Key_F5), (KeyAction{C::Refresh, true}));
            QCOMPARE(t.click(Qt::Key_F9), (KeyAction{{C::ToggleLoop, 1}, true}));
            // F11 and F12 are the display-size items' own shortcuts, not the table's.
            QCOMPARE(t.click(Qt::Key_F11).command, C::None);
            QCOMPARE(t.click(Qt::Key_F12).command, C::None);
            QCOMPARE(t.click(Qt::Key_F10).command, C::None);
            QCOMPARE(t.click(Qt::Key_Backspace), (KeyAction{C::GoUpFolder, true}));
            // Space types a character: its press is swallowed; its release plays or stops.
            const KeyAction spacePress = t.press(Qt::Key_Space, None, true);
            QVERIFY(spacePress.swallow);
            QCOMPARE(t.release(Qt::Key_Space), (KeyAction{C::PlayOrPause, true}));
            QCOMPARE(t.click(Qt::Key_Space, Shift, true), (KeyAction{C::Stop, true}));
            // A letter never reaches the widget (no search by typing, no jump).
            QVERIFY(t.press(Qt::Key_B, None, true).swallow);
        }
    }

    void releaseUsesTheModifiersOfThePress() {
        // Shift let go before Space still stops; Ctrl let go before Down still plays the next.
        Typist t;
        t.context = X::List;
        t.press(Qt::Key_Shift, Shift);
        QVERIFY(t.press(Qt::Key_Space, Shift, true).swallow);
        t.release(Qt::Key_Shift, None);
        QCOMPARE(t.release(Qt::Key_Space, None).command, C::Stop);
        t.press(Qt::Key_Control, Ctrl);
        QVERIFY(t.press(Qt::Key_Down, Ctrl).swallow);
        t.release(Qt::Key_Control, None);
        QCOMPARE(t.release(Qt::Key_Down, None), (KeyAction{C::PlayNext, true}));
        // Space pressed alone and Shift added later pauses; a release whose press went
        // elsewhere counts its own modifiers; keypad and auto-repeat do not change a chord.
        t.press(Qt::Key_Space, None, true);
        QCOMPARE(t.release(Qt::Key_Space, Shift).command, C::PlayOrPause);
        QCOMPARE(t.release(Qt::Key_Up, Ctrl | Qt::KeypadModifier).command, C::PlayPrevious);
        t.press(Qt::Key_Space, None, true);
        QCOMPARE(t.map.release(Qt::Key_Space, None, true, X::List), KeyAction{});
    }

    void listKeys() {
        Typist t;
        t.context = X::List;
        QCOMPARE(t.press(Qt::Key_Up, Ctrl), (KeyAction{C::None, true}));
        QCOMPARE(t.release(Qt::Key_Up, Ctrl), (KeyAction{C::PlayPrevious, true}));
        QCOMPARE(t.click(Qt::Key_Down, Ctrl), (KeyAction{C::PlayNext, true}));
        QCOMPARE(t.press(Qt::Key_A, Ctrl), (KeyAction{C::SelectAllFiles, true}));
        QCOMPARE(t.press(Qt::Key_Z, Ctrl), (KeyAction{C::Undo, true}));
        QCOMPARE(t.press(Qt::Key_M, None, true), (KeyAction{C::MoveFile, true}));
        QCOMPARE(t.release(Qt::Key_M).command, C::None);
        QCOMPARE(t.click(Qt::Key_R, None, true), (KeyAction{C::ReFileNameFile, true}));
        QCOMPARE(t.click(Qt::Key_Delete), (KeyAction{C::DelFile, true}));
        // Plain arrows move the selection as ever.
        QCOMPARE(t.press(Qt::Key_Down), KeyAction{});
        QCOMPARE(t.release(Qt::Key_Down), KeyAction{});
        // Letters with Alt belong to the menus' shortcuts.
        QCOMPARE(t.click(Qt::Key_R, Qt::AltModifier).command, C::None);
    }

    void treeKeys() {
        Typist t;
        t.context = X::Tree;
        QCOMPARE(t.click(Qt::Key_Delete), (KeyAction{C::MnuDelFolder4, true}));
        QCOMPARE(t.click(Qt::Key_M, None, true), (KeyAction{C::MnuMovFolder, true}));
        QCOMPARE(t.click(Qt::Key_K, None, true), (KeyAction{C::MnuMakeFolder, true}));
        QCOMPARE(t.click(Qt::Key_R, None, true), (KeyAction{C::MnuReNameFolder, true}));
        QCOMPARE(t.press(Qt::Key_Z, Ctrl), (KeyAction{C::Undo, true}));
        // The arrows move through the tree on their press and keep the keyboard there.
        QCOMPARE(t.press(Qt::Key_Left), KeyAction{});
        QCOMPARE(t.release(Qt::Key_Left), (KeyAction{C::FocusTree, false}));
        // The list's keys are not the tree's.
        QCOMPARE(t.click(Qt::Key_Down, Ctrl).command, C::FocusTree);
        QCOMPARE(t.press(Qt::Key_A, Ctrl).command, C::None);
    }

    void playerAndFullScreen() {
        // A key on a player hands the keyboard to the list and counts as the list's.
        Typist t;
        t.context = X::Player;
        QCOMPARE(t.press(Qt::Key_Down, Ctrl), (KeyAction{C::FocusList, true}));
        QCOMPARE(t.release(Qt::Key_Down, Ctrl).command, C::PlayNext);
        QCOMPARE(t.press(Qt::Key_F5), (KeyAction{C::FocusList, false}));
        QCOMPARE(t.click(Qt::Key_Delete).command, C::DelFile);
        // Tab walks through the bar's controls and a page key moves the bar that has the
        // keyboard; Space plays or pauses where the keyboard is.
        QCOMPARE(t.press(Qt::Key_Tab), KeyAction{});
        QCOMPARE(t.press(Qt::Key_Backtab, Shift), KeyAction{});
        QCOMPARE(t.press(Qt::Key_PageDown), KeyAction{});
        QCOMPARE(t.press(Qt::Key_Control, Ctrl), KeyAction{});
        QCOMPARE(t.press(Qt::Key_Space, None, true), (KeyAction{C::None, true}));
        QCOMPARE(t.release(Qt::Key_Space).command, C::PlayOrPause);

        // The arrows seek and set the volume on the picture and its bar, as they go down (and
        // again while held), there and on the full-screen picture; the list's keep their own.
        for (const X context : {X::Player, X::FullScreen}) {
            t.context = context;
            QCOMPARE(t.press(Qt::Key_Left), (KeyAction{{C::SeekBackward, 0}, true}));
            QCOMPARE(t.release(Qt::Key_Left), KeyAction{});
            QCOMPARE(t.press(Qt::Key_Right, Shift), (KeyAction{{C::SeekForward, 0}, true}));
            QCOMPARE(t.press(Qt::Key_Left, Ctrl), (KeyAction{{C::SeekBackward, 1}, true}));
            QCOMPARE(t.press(Qt::Key_Right, Ctrl), (KeyAction{{C::SeekForward, 1}, true}));
            QCOMPARE(t.press(Qt::Key_Up), (KeyAction{C::VolumeUp, true}));
            QCOMPARE(t.press(Qt::Key_Down), (KeyAction{C::VolumeDown, true}));
            QCOMPARE(t.click(Qt::Key_Down, Ctrl).command, C::PlayNext);
        }
        t.context = X::List;
        QCOMPARE(t.press(Qt::Key_Left), KeyAction{});
        QCOMPARE(t.press(Qt::Key_Up), KeyAction{});
        t.context = X::Player;

        // On the full-screen picture the menus' shortcuts are looked up on the press, and
        // Ctrl+Up / Ctrl+Down play; the file commands stay with the list.
        t.context = X::FullScreen;
        QCOMPARE(t.press(Qt::Key_F1), (KeyAction{C::None, false, true}));
        QVERIFY(t.press(Qt::Key_Escape).windowShortcut);
        QCOMPARE(t.press(Qt::Key_Up, Ctrl), (KeyAction{C::None, true}));
        QCOMPARE(t.release(Qt::Key_Up, Ctrl).command, C::PlayPrevious);
        QCOMPARE(t.click(Qt::Key_Delete).command, C::None);
        QCOMPARE(t.press(Qt::Key_X, None, true), (KeyAction{C::None, true}));

        // The form and the location box let Ctrl and the arrows through.
        t.context = X::LocationBox;
        QCOMPARE(t.click(Qt::Key_Down, Ctrl), KeyAction{});
    }
};

QTEST_APPLESS_MAIN(TestCommandMap)
#include "tst_command_map.moc"
