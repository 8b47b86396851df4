// The window as a screen reader and a keyboard alone meet it: the accessible tree walked from the
// window down, values set on the bars through it, Tab through the panes and the players' keys.
#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QComboBox>
#include <QProcess>
#include <QSlider>
#include <QStandardPaths>
#include <QToolButton>
#include <QtTest>

#include "app/messages.h"
#include "app/status_bar1.h"
#include "app/status_bar1_accessible.h"
#include "player/messages.h"
#include "player/mpv_engine.h"
#include "player/player_control_bar.h"
#include "player/player_set.h"
#include "player/video_surface.h"
#include "settings/live_settings.h"
#include "test_media_window.h"

namespace {

bool isInteractive(QAccessible::Role role) {
    switch (role) {
        case QAccessible::PushButton:
        case QAccessible::CheckBox:
        case QAccessible::RadioButton:
        case QAccessible::ComboBox:
        case QAccessible::Slider:
        case QAccessible::SpinBox:
        case QAccessible::Dial:
        case QAccessible::ScrollBar:
        case QAccessible::EditableText:
        case QAccessible::ButtonMenu:
        case QAccessible::ButtonDropDown:
        case QAccessible::List:
        case QAccessible::Tree:
        case QAccessible::Table:
        case QAccessible::PageTab:
            return true;
        default:
            return false;
    }
}

struct Node {
    QAccessible::Role role;
    QString name;
    QRect rect;
    QString object;
};

// Every node a reader is offered as shown, from iface down (the rows of the views left out:
// they are named by their files).
void collectShown(QAccessibleInterface* iface, QList<Node>& out, int depth = 0) {
    if (iface == nullptr || depth > 30 || iface->state().invisible) {
        return;
    }
    const QAccessible::Role role = iface->role();
    out.append({role, iface->text(QAccessible::Name), iface->rect(),
                iface->object() ? iface->object()->objectName() : QString()});
    if (role == QAccessible::Tree || role == QAccessible::List || role == QAccessible::Table) {
        return;
    }
    for (int i = 0; i < iface->childCount(); ++i) {
        collectShown(iface->child(i), out, depth + 1);
    }
}

QString describe(const Node& node) {
    return QStringLiteral("role %1 \"%2\" (%3) at %4,%5 %6x%7")
        .arg(int(node.role))
        .arg(node.name, node.object)
        .arg(node.rect.x())
        .arg(node.rect.y())
        .arg(node.rect.width())
        .arg(node.rect.height());
}

// A 30-second AVI of tiny key frames, long enough to step through by 5 s and by a minute.
QString makeLongClip(const QTemporaryDir& dir) {
    const QString ffmpeg = QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));
    if (ffmpeg.isEmpty()) {
        return {};
    }
    const QString folder = freshFolder(dir, QStringLiteral("long"));
    const QString clip = folder + u"/long.avi";
    QProcess::execute(ffmpeg,
                      {u"-hide_banner"_qs, u"-loglevel"_qs, u"error"_qs, u"-nostdin"_qs, u"-y"_qs,
                       u"-f"_qs, u"lavfi"_qs, u"-i"_qs, u"testsrc=size=32x24:rate=2:duration=90"_qs,
                       u"-c:v"_qs, u"mpeg4"_qs, u"-g"_qs, u"1"_qs, clip});
    return QFile::exists(clip) ? clip : QString();
}

}  // namespace

class TestAccess : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }
    void everyControlOnShowIsNamedAndInsideTheWindow();
    void statusBarOffersItsPanelTexts();
    void keyboardAndReaderReachThePlayer();

private:
    QTemporaryDir m_dir;
};

void TestAccess::everyControlOnShowIsNamedAndInsideTheWindow() {
    const QString folder = freshFolder(m_dir, QStringLiteral("names"));
    QFile::copy(playerMedia("clip.avi"), folder + u"/clip.avi");
    MediaWindow w(m_dir.filePath(QStringLiteral("names.ini")), folder);
    QVERIFY(QTest::qWaitForWindowExposed(&w.form));

    // Both players' bars as they stand at start (the streaming panel's) and while the media
    // player shows.
    for (const bool playing : {false, true}) {
        if (playing) {
            w.doubleClick(QStringLiteral("clip.avi"));
            QTRY_COMPARE_WITH_TIMEOUT(w.playState(), 1, 10000);
        }
        QList<Node> nodes;
        collectShown(QAccessible::queryAccessibleInterface(&w.form), nodes);
        const QRect window(w.form.mapToGlobal(QPoint(0, 0)), w.form.size());
        int interactive = 0;
        for (const Node& node : std::as_const(nodes)) {
            if (!isInteractive(node.role)) {
                continue;
            }
            ++interactive;
            QVERIFY2(!node.name.trimmed().isEmpty(), qPrintable(describe(node)));
            QVERIFY2(node.name != u"RateOne", qPrintable(describe(node)));
            QVERIFY2(window.intersects(node.rect), qPrintable(describe(node)));
        }
        // The location box, the tree, the list, the toolbar's buttons and slider, and while a
        // file plays its player's bar; at start the streaming panel lies out of sight.
        QCOMPARE(interactive, playing ? 22 : 18);
    }
    // The location box is labelled, as a reader finds a combo box's label on Linux.
    const auto labels =
        QAccessible::queryAccessibleInterface(w.parts.ImageCombo1())->relations(QAccessible::Label);
    QCOMPARE(labels.size(), 1);
    QCOMPARE(labels.first().first->text(QAccessible::Name), app_msg::locationBoxName());
    // The tree's hidden header is read as the tree, not as a number.
    QAccessibleInterface* tree = QAccessible::queryAccessibleInterface(w.parts.TreeView1());
    QCOMPARE(tree->text(QAccessible::Name), app_msg::treeName());
    QVERIFY(tree->childCount() > 0);
    QCOMPARE(tree->child(0)->text(QAccessible::Name), app_msg::treeName());
}

void TestAccess::statusBarOffersItsPanelTexts() {
    const QString folder = freshFolder(m_dir, QStringLiteral("status"));
    MediaWindow w(m_dir.filePath(QStringLiteral("status.ini")), folder);
    StatusBar1* bar = w.parts.statusBar1();
    QAccessibleInterface* view = QAccessible::queryAccessibleInterface(bar);
    QCOMPARE(view->role(), QAccessible::StatusBar);
    QStringList names;
    for (int i = 0; i < view->childCount(); ++i) {
        names << view->child(i)->text(QAccessible::Name);
    }
    QVERIFY2(names.contains(app_msg::mutePanel(false)), qPrintable(names.join(u'|')));
    QVERIFY2(names.contains(app_msg::onTopPanel(false)), qPrintable(names.join(u'|')));
    QVERIFY2(names.contains(u"1.0 x"_qs), qPrintable(names.join(u'|')));
    // The panels past the window's edge (the first start's width shows five and a sliver) are
    // not offered as shown.
    const QList<int>& offered = StatusBar1Accessible::offeredPanels();
    QVERIFY(!view->child(offered.indexOf(StatusBar1::MutePanel))->state().invisible);
    QVERIFY(view->child(offered.indexOf(StatusBar1::OnTopPanel))->state().invisible);
    QVERIFY(view->child(offered.indexOf(StatusBar1::RatePanel))->state().invisible);
    // Not the clock: it would be read out every minute.
    QVERIFY(!names.contains(bar->panelText(StatusBar1::TimePanel)));
    QVERIFY(!names.contains(bar->panelText(StatusBar1::DatePanel)));

    // Mute on: the panel offers its new text.
    w.parts.settings().setMute(true);
    QCOMPARE(view->child(offered.indexOf(StatusBar1::MutePanel))->text(QAccessible::Name),
             app_msg::mutePanel(true));
}

void TestAccess::keyboardAndReaderReachThePlayer() {
    const QString clip = makeLongClip(m_dir);
    if (clip.isEmpty()) {
        QSKIP("needs ffmpeg to make a long clip");
    }
    MediaWindow w(m_dir.filePath(QStringLiteral("keys.ini")), QFileInfo(clip).path());
    QVERIFY(QTest::qWaitForWindowExposed(&w.form));
    QApplication::setActiveWindow(&w.form);
    // The list has the keyboard after the start, not the first control.
    QTRY_COMPARE(QApplication::focusWidget(), w.parts.ListView1());

    w.doubleClick(QStringLiteral("long.avi"));
    QTRY_COMPARE_WITH_TIMEOUT(w.playState(), 1, 10000);
    MpvEngine& engine = w.parts.players().mediaEngine();
    PlayerControlBar* bar = w.parts.players().mediaControls();
    QTRY_VERIFY_WITH_TIMEOUT(engine.duration() > 80, 10000);
    engine.pause();

    // Tab walks: location box, tree, list, picture, play/pause, stop, seek bar, volume.
    w.parts.ImageCombo1()->setFocus();
    const QList<QWidget*> order = {static_cast<QWidget*>(w.parts.TreeView1()),
                                   w.parts.ListView1(),
                                   w.parts.players().mediaSurface(),
                                   bar->playPauseButton(),
                                   bar->stopButton(),
                                   bar->seekSlider(),
                                   bar->volumeSlider()};
    for (QWidget* next : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTRY_COMPARE(QApplication::focusWidget(), next);
    }

    // On the bar the arrows seek 5 s, with Ctrl a minute, and set the volume.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
    QTRY_VERIFY_WITH_TIMEOUT(qAbs(engine.position() - 5.0) < 0.6, 5000);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right, Qt::ControlModifier);
    QTRY_VERIFY_WITH_TIMEOUT(qAbs(engine.position() - 65.0) < 0.6, 5000);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Left);
    QTRY_VERIFY_WITH_TIMEOUT(qAbs(engine.position() - 60.0) < 0.6, 5000);
    const int volume = engine.volume();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    QTRY_COMPARE(engine.volume(), volume - 5);
    // The keyboard stayed on the bar.
    QCOMPARE(QApplication::focusWidget(), bar->volumeSlider());

    // A reader sets the seek bar and the volume bar by value: the player follows.
    QAccessibleValueInterface* seek =
        QAccessible::queryAccessibleInterface(bar->seekSlider())->valueInterface();
    QVERIFY(seek != nullptr);
    QCOMPARE(QAccessible::queryAccessibleInterface(bar->seekSlider())->text(QAccessible::Name),
             player_msg::tipSeek());
    seek->setCurrentValue(200);  // tenths of a second
    QTRY_VERIFY_WITH_TIMEOUT(qAbs(engine.position() - 20.0) < 0.6, 5000);
    QCOMPARE(seek->currentValue().toInt(), 200);
    QAccessible::queryAccessibleInterface(bar->volumeSlider())
        ->valueInterface()
        ->setCurrentValue(40);
    QTRY_COMPARE(engine.volume(), 40);

    // Space on the bar's button plays or pauses as everywhere, without taking the keyboard away.
    bar->playPauseButton()->setFocus();
    QTest::keyClick(bar->playPauseButton(), Qt::Key_Space);
    QTRY_COMPARE(w.playState(), 1);
    QCOMPARE(QApplication::focusWidget(), bar->playPauseButton());
}

QTEST_MAIN(TestAccess)
#include "tst_access.moc"
