// The keys and the right-button gestures of the main window, typed and drawn on its real widgets
// as the system delivers them, with real libmpv (no picture, no sound) playing the list.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "app/form1_parts.h"
#include "app/toolbar1.h"
#include "browser/file_list.h"
#include "browser/file_list_view.h"
#include "browser/folder_tree.h"
#include "input/input_map.h"
#include "platform/scripted_dialogs.h"
#include "player/media_player_engine.h"
#include "player/movie.h"
#include "player/player_set.h"
#include "player/video_surface.h"
#include "test_media_window.h"

namespace {

// A window on the test media, with gestures on or off.
struct Window : MediaWindow {
    Window(const QString& ini, const QString& folder, bool gestures)
        : MediaWindow(ini, folder, "*.avi;", gestures ? "mousePlay=1\n" : "mousePlay=0\n") {}

    QWidget* listViewport() { return list().view().viewport(); }

    // A right-button drag over a widget: pressed at from, through each point, released at the
    // last one (or where it was pressed).
    static void stroke(QWidget* widget, QPoint from, const QList<QPoint>& path) {
        QTest::mousePress(widget, Qt::RightButton, {}, from);
        for (const QPoint at : path) {
            QTest::mouseMove(widget, at);
        }
        QTest::mouseRelease(widget, Qt::RightButton, {}, path.isEmpty() ? from : path.last());
    }

    // A key as X delivers it when the modifier is let go first (as xdotool types a chord).
    static void chordModifierFirst(QWidget* widget, Qt::Key key, Qt::Key modifierKey,
                                   Qt::KeyboardModifier modifier, const QString& text = {}) {
        QKeyEvent modifierDown(QEvent::KeyPress, modifierKey, modifier);
        QApplication::sendEvent(widget, &modifierDown);
        QKeyEvent down(QEvent::KeyPress, key, modifier, text);
        QApplication::sendEvent(widget, &down);
        QKeyEvent modifierUp(QEvent::KeyRelease, modifierKey, Qt::NoModifier);
        QApplication::sendEvent(widget, &modifierUp);
        QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier, text);
        QApplication::sendEvent(widget, &up);
    }
};

}  // namespace

char* toString(const CommandRef& command) {
    return qstrdup((commandName(command.id) + u'(' + QString::number(command.index) + u')')
                       .toUtf8()
                       .constData());
}

namespace {

QList<CommandRef> commandsOf(const QSignalSpy& spy) {
    QList<CommandRef> commands;
    for (const QList<QVariant>& call : spy) {
        commands << call.at(0).value<CommandRef>();
    }
    return commands;
}

}  // namespace

class TestInput : public QObject {
    Q_OBJECT

private slots:
    void init() {
        QVERIFY(m_dir.isValid());
        m_folder = freshFolder(m_dir, QStringLiteral("media"));
        for (const char* name : {"a.avi", "b.avi", "c.avi", "d.avi"}) {
            QVERIFY(
                QFile::copy(playerMedia("clip.avi"), m_folder + u'/' + QString::fromUtf8(name)));
        }
        m_ini = m_dir.filePath(QStringLiteral("quorvane.ini"));
        QFile::remove(m_ini);
    }

    void gesturesOverTheList() {
        Window w(m_ini, m_folder, true);
        QVERIFY(w.parts.input().mouseEvent() != nullptr);
        QSignalSpy commands(&w.parts.input(), &InputMap::triggered);
        QMenu* menu = w.parts.menus().MnuPlayOpt;
        QWidget* viewport = w.listViewport();
        const QPoint start = w.centreOfRow(u"a.avi"_qs);
        QCOMPARE(w.selectedName(), QStringLiteral("a.avi"));

        // A stroke down plays the next row once; its press opens no menu.
        QTest::mousePress(viewport, Qt::RightButton, {}, start);
        QVERIFY(!menu->isVisible());
        QTest::mouseMove(viewport, start + QPoint(0, 25));
        QTest::mouseMove(viewport, start + QPoint(0, 60));
        QTest::mouseRelease(viewport, Qt::RightButton, {}, start + QPoint(0, 60));
        QCOMPARE(commandsOf(commands), QList<CommandRef>{CommandId::PlayNext});
        QCOMPARE(w.selectedName(), QStringLiteral("b.avi"));
        QTRY_COMPARE(w.playState(), 1);
        QCOMPARE(w.list().model().row(0).iconKey, QStringLiteral("NextDwn"));
        QTest::qWait(50);
        QVERIFY(!menu->isVisible());

        // Down, then right: the next row once, then "再生" twice (it pauses, then resumes).
        commands.clear();
        QTest::mousePress(viewport, Qt::RightButton, {}, start);
        QTest::mouseMove(viewport, start + QPoint(0, 30));
        QCOMPARE(w.selectedName(), QStringLiteral("c.avi"));
        QTRY_COMPARE(w.playState(), 1);
        QSignalSpy states(&w.parts.players().mediaPlayer(), &MediaPlayerEngine::playStateChange);
        QTest::mouseMove(viewport, start + QPoint(40, 30));
        QTest::mouseRelease(viewport, Qt::RightButton, {}, start + QPoint(40, 30));
        QCOMPARE(
            commandsOf(commands),
            (QList<CommandRef>{CommandId::PlayNext, CommandId::PlayButton, CommandId::PlayButton}));
        QVERIFY(!states.isEmpty());
        QCOMPARE(states.first().at(1).toInt(), int(MediaPlayerEngine::Paused));
        QTRY_COMPARE(w.playState(), 1);
        QCOMPARE(w.selectedName(), QStringLiteral("c.avi"));

        // Left stops, and the end of the stopped file moves nothing; up plays the row above.
        Window::stroke(viewport, start, {start + QPoint(-40, 0)});
        QTRY_COMPARE(w.playState(), 0);
        QVERIFY(!w.state.mPlayNextFlg);
        Window::stroke(viewport, start, {start + QPoint(0, -40)});
        QCOMPARE(w.selectedName(), QStringLiteral("b.avi"));
        QTRY_COMPARE(w.playState(), 1);

        // A still right click opens the list's menu where it was pressed, on the row there.
        commands.clear();
        Window::stroke(viewport, w.centreOfRow(u"d.avi"_qs), {});
        QTRY_VERIFY(menu->isVisible());
        QCOMPARE(w.selectedName(), QStringLiteral("d.avi"));
        QVERIFY(commands.isEmpty());
        menu->hide();
        // A drag too short to count, or slanting, is a click too; so is one on the tree.
        const QPoint row = w.centreOfRow(u"a.avi"_qs);
        Window::stroke(viewport, row, {row + QPoint(4, 6), row + QPoint(30, 30)});
        QTRY_VERIFY(menu->isVisible());
        menu->hide();
        QWidget* tree = static_cast<QAbstractScrollArea*>(w.parts.TreeView1())->viewport();
        Window::stroke(tree, QPoint(10, 10), {});
        QTRY_VERIFY(w.parts.menus().quickAccess->isVisible());
        w.parts.menus().quickAccess->hide();
        QVERIFY(commands.isEmpty());
        QVERIFY(w.dialogs.messages().isEmpty());

        // Gestures end with the window.
        w.form.close();
        QCOMPARE(w.parts.input().mouseEvent(), nullptr);
    }

    void gesturesOverThePictures() {
        Window w(m_ini, m_folder, true);
        w.list().SelectRowByKey(m_folder + u"/a.avi");
        w.parts.playList().PlayStep(2);
        QTRY_COMPARE(w.playState(), 1);
        QWidget* picture = w.parts.players().mediaSurface()->videoWidget();
        Window::stroke(picture, QPoint(20, 10), {QPoint(20, 40)});
        QCOMPARE(w.selectedName(), QStringLiteral("b.avi"));
        QTRY_COMPARE(w.playState(), 1);

        // On a screen of its own: the gestures, the list's keys and the window's shortcuts.
        w.parts.options().Dspsize_Click(4);
        VideoSurface* surface = w.parts.players().mediaSurface();
        QTRY_VERIFY(surface->isFullScreenMode());
        QWidget* screen = picture->window();
        QVERIFY(screen != &w.form);
        Window::stroke(screen, QPoint(50, 50), {QPoint(50, 90)});
        QCOMPARE(w.selectedName(), QStringLiteral("c.avi"));
        QTest::keyClick(screen, Qt::Key_Up, Qt::ControlModifier);
        QCOMPARE(w.selectedName(), QStringLiteral("b.avi"));
        QTest::keyClick(screen, Qt::Key_F1);
        QVERIFY(w.parts.menus().Opt[1]->isChecked());
        QTest::keyClick(screen, Qt::Key_B);  // a letter does nothing here either
        QCOMPARE(w.selectedName(), QStringLiteral("b.avi"));

        // Esc brings the picture back, and the size menu says so.
        QTest::keyClick(picture->window(), Qt::Key_Escape);
        QTRY_VERIFY(!surface->isFullScreenMode());
        QVERIFY(w.parts.menus().Dspsize[0]->isChecked());
        QCOMPARE(w.state.mScreenSize, 0);
        QVERIFY(w.dialogs.messages().isEmpty());
    }

    void keysInEveryPane() {
        QVERIFY(QDir().mkpath(m_folder + u"/bravo"));
        Window w(m_ini, m_folder, false);
        QCOMPARE(w.parts.input().mouseEvent(), nullptr);
        QWidget* list = w.parts.ListView1();

        // Ctrl+Down and Ctrl+Up on the list, Ctrl let go first, play the next and previous rows.
        Window::chordModifierFirst(list, Qt::Key_Down, Qt::Key_Control, Qt::ControlModifier);
        QCOMPARE(w.selectedName(), QStringLiteral("b.avi"));
        QTRY_COMPARE(w.playState(), 1);
        Window::chordModifierFirst(list, Qt::Key_Down, Qt::Key_Control, Qt::ControlModifier);
        Window::chordModifierFirst(list, Qt::Key_Up, Qt::Key_Control, Qt::ControlModifier);
        QCOMPARE(w.selectedName(), QStringLiteral("b.avi"));
        QTRY_COMPARE(w.playState(), 1);
        // Shift+Space, Shift let go first, stops.
        Window::chordModifierFirst(list, Qt::Key_Space, Qt::Key_Shift, Qt::ShiftModifier, u" "_qs);
        QTRY_COMPARE(w.playState(), 0);
        QVERIFY(!w.state.mPlayNextFlg);
        // Space plays the selected row again; a key on the player gives the list the keyboard.
        QTest::keyClick(w.parts.players().mediaSurface()->videoWidget(), Qt::Key_Space);
        QTRY_COMPARE(w.playState(), 1);
        QCOMPARE(w.selectedName(), QStringLiteral("b.avi"));
        QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(w.list().selectedRows().size(), 4);

        // Letters typed on the tree and the location box go nowhere.
        QWidget* tree = w.parts.TreeView1();
        const QString folder = w.parts.tree().SelectedFolderPath();
        for (const Qt::Key key : {Qt::Key_B, Qt::Key_D, Qt::Key_S}) {
            QTest::keyClick(tree, key);
            QTest::keyClick(w.parts.ImageCombo1(), key);
        }
        QCOMPARE(w.parts.tree().SelectedFolderPath(), folder);
        QCOMPARE(w.list().ListedFolder(), m_folder);

        // Backspace goes up one folder, from the tree or the list.
        QTest::keyClick(tree, Qt::Key_Backspace);
        QCOMPARE(w.parts.tree().SelectedFolderPath(), m_dir.path());
        QCOMPARE(w.list().ListedFolder(), m_dir.path());
        QTest::keyClick(list, Qt::Key_Backspace);
        QCOMPARE(w.parts.tree().SelectedFolderPath(), QFileInfo(m_dir.path()).absolutePath());
        QVERIFY(w.dialogs.messages().isEmpty());

        // The toolbar names the keys that work.
        QCOMPARE(w.parts.toolbar()->button(1)->toolTip(), QStringLiteral("デスクトップ(F7)"));
        QCOMPARE(w.parts.toolbar()->button(2)->toolTip(), QStringLiteral("マイドキュメント(F6)"));
        QCOMPARE(w.parts.toolbar()->button(5)->toolTip(), QStringLiteral("1つ上に(BS)"));
    }

private:
    QTemporaryDir m_dir;
    QString m_folder;
    QString m_ini;
};

QTEST_MAIN(TestInput)
#include "tst_input.moc"
