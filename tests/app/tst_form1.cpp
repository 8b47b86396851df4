// The main window as a user meets it: its menus, context menus, layout, and the settings it
// carries from one start to the next through a real settings file.
#include <sys/stat.h>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <QTreeWidget>
#include <functional>

#include "../test_files.h"
#include "app/form1_parts.h"
#include "app/splitter_bar.h"
#include "app/status_bar1.h"
#include "app/toolbar1.h"
#include "browser/file_list.h"
#include "browser/file_list_view.h"
#include "browser/folder_tree.h"
#include "browser/location_box.h"
#include "browser/messages.h"
#include "browser/navigation.h"
#include "browser/navigation_messages.h"
#include "browser/tree_view1.h"
#include "input/input_map.h"
#include "platform/error_box.h"
#include "platform/interval_timer.h"
#include "platform/scripted_dialogs.h"
#include "player/media_kinds.h"
#include "player/media_player_engine.h"
#include "player/mpv_engine.h"
#include "settings/live_settings.h"
#include "settings/options_dialog.h"
#include "test_list_rows.h"
#include "test_player_setup.h"

namespace {

QWidget* viewportOf(QWidget* view) {
    return static_cast<QAbstractScrollArea*>(view)->viewport();
}

QString readText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Picks the item of key in the location box as the keyboard does: the list opened, the item
// made current, Enter.
void chooseInLocationBox(QComboBox* box, const QString& key) {
    const int index = box->findData(key, LocationBox::KeyRole);
    QVERIFY2(index >= 0, qPrintable(key));
    box->showPopup();
    box->view()->setCurrentIndex(box->model()->index(index, 0));
    QTest::keyClick(box->view(), Qt::Key_Return);
    QVERIFY(!box->view()->isVisible());
}

// A window on its own settings file, loaded as the program loads it.
struct Window {
    explicit Window(const QString& ini) : form(state, dialogs, ini, testPlayerSetup()) {
        patientWindow(parts);
        form.Form_Load();
        form.showAsLoaded();
    }
    Module1 state;
    ScriptedDialogs dialogs;
    Form1 form;
    Form1Parts parts{form};
};

}  // namespace

class TestForm1 : public QObject {
    Q_OBJECT

private slots:
    void init() {
        QVERIFY(m_dir.isValid());
        m_ini = m_dir.filePath(QStringLiteral("quorvane.ini"));
        QFile::remove(m_ini);
    }

    void menusCarryTheirCaptionsShortcutsAndIndices() {
        Window w(m_ini);
        const MainMenus& m = w.parts.menus();
        // The tree's menu names the recording mode in force (every time, at a first start).
        QCOMPARE(m.quickAccess->title(), QStringLiteral("クイックパスアクセス-毎回(&Q)"));
        QCOMPARE(m.DspOption->title(), QStringLiteral("オプション(&O)"));
        QCOMPARE(m.MnuPlayOpt->title(), QStringLiteral("再生オプション"));
        // The list's menu is never in the menu bar; the other two are.
        const QList<QAction*> bar = w.form.menuBar()->actions();
        QCOMPARE(bar.size(), 2);
        QCOMPARE(bar.at(0)->menu(), m.quickAccess);
        QCOMPARE(bar.at(1)->menu(), m.DspOption);

        const struct {
            QAction* action;
            const char16_t* caption;
            QKeySequence key;
        } items[] = {
            {m.GoMydoc, u"マイドキュメント(&M)", QKeySequence(Qt::Key_F6)},
            {m.GoDeskTop, u"デスクトップ(&D)", QKeySequence(Qt::Key_F7)},
            {m.GoNetWtok, u"ネットワーク", QKeySequence(Qt::Key_F8)},
            {m.QuickPathClear, u"クイックパスクリア(&C)", {}},
            {m.MnuDelFolder4, u"フォルダ削除(DEL)", {}},
            {m.Dspsize[0], u"ウィンドウに合わせる", QKeySequence(Qt::Key_F11)},
            {m.Dspsize[4], u"フルスクリーン", QKeySequence(Qt::Key_F12)},
            {m.Dspsize[5], u"100% - フォーム連動", {}},
            {m.Opt[1], u"ミュート", QKeySequence(Qt::Key_F1)},
            {m.Opt[2], u"常に手前に表示", QKeySequence(Qt::Key_F2)},
            {m.Opt[6], u"環境設定", {}},
            {m.MnuPrevios, u"１つ前へ↑(&F)", {}},
            {m.MunNext, u"１つ次へ↓(&N)", {}},
            {m.ExitQuorvane, u"Quorvaneを終了する", {}},
        };
        for (const auto& item : items) {
            QCOMPARE(item.action->text(), QString::fromUtf16(item.caption));
            QCOMPARE(item.action->shortcut(), item.key);
        }
        // Control arrays keep their element numbers; Opt has no element 0 and 5 is a separator.
        QCOMPARE(m.pass[6]->objectName(), QStringLiteral("pass(6)"));
        QCOMPARE(m.QuickPathSet[2]->data().toInt(), 2);
        QCOMPARE(m.QuickPathSet[1]->text(), QStringLiteral("最後まで見た時、記録する。"));
        QCOMPARE(m.Opt[0], nullptr);
        QVERIFY(m.Opt[5]->isSeparator());
        QCOMPARE(m.Dspsize[3]->objectName(), QStringLiteral("Dspsize(3)"));
        // The order of the list menu as the user reads it.
        QStringList names;
        for (QAction* a : m.MnuPlayOpt->actions()) {
            names << a->objectName();
        }
        QCOMPARE(names, QStringList({u"MnuMoviePlay"_qs, u"MnuMovieStop"_qs,
                                     u"MnuPrevios"_qs,   u"MunNext"_qs,
                                     u"MnuLoop"_qs,      u"StopAfterCurrent"_qs,
                                     u"MunOpen"_qs,      u"PlayFromStart"_qs,
                                     u"PlayUnplayed"_qs, u"ClearPlayMarks"_qs,
                                     u"bar"_qs,          u"MnuListView"_qs,
                                     u"bar5"_qs,         u"ReFileNameFile"_qs,
                                     u"ReNameFile"_qs,   u"MoveFile"_qs,
                                     u"DelFile"_qs,      u"bar11"_qs,
                                     u"OpenRecycle"_qs,  u"ClsRecycle"_qs,
                                     u"bar7"_qs,         u"Listkousin"_qs,
                                     u"FilePopa"_qs,     u"bar6"_qs,
                                     u"ExitQuorvane"_qs}));
    }

    void toolbarAndStatusBarAsStored() {
        Window w(m_ini);
        Toolbar1* tb = w.parts.toolbar();
        QCOMPARE(tb->button(11)->toolTip(), QStringLiteral("再生を始めます。(Space）"));
        QCOMPARE(tb->button(17)->toolTip(),
                 QStringLiteral("現在の動画をリピート再生します。（F9)"));
        QVERIFY(tb->button(4)->isSeparator());
        QVERIFY(tb->button(19)->isChecked());
        QVERIFY(!tb->button(7)->isChecked());
        QVERIFY(!tb->button(8)->isVisible());
        QVERIFY(!tb->button(9)->isVisible());
        QCOMPARE(tb->indexOf(QStringLiteral("RateOne")), 22);
        // Pressing the other order button releases the first.
        tb->button(20)->trigger();
        QVERIFY(!tb->button(19)->isChecked());
        // A button runs its command: the last one puts the rate back to 1.0.
        w.parts.Slider1()->setValue(20);
        tb->button(Toolbar1::RateOneButton)->trigger();
        QCOMPARE(w.parts.Slider1()->value(), 10);
        QCOMPARE(tb->button(Toolbar1::DeskTopButton)->toolTip(),
                 QStringLiteral("デスクトップ(F7)"));

        StatusBar1* sb = w.parts.statusBar1();
        QCOMPARE(sb->panelToolTip(2), QStringLiteral("現在日付"));
        QCOMPARE(sb->panelWidthTwips(1), 4410);
        QCOMPARE(sb->panelText(4), QStringLiteral("ウィンドウに合わせる"));
        QCOMPARE(sb->panelText(5), QStringLiteral("ミュートOFF"));
        QCOMPARE(sb->panelText(6), QStringLiteral("常に最前面OFF"));
        QCOMPARE(sb->panelText(7), QStringLiteral("1.0 x"));
        QCOMPARE(w.parts.Slider1()->value(), 10);
        QCOMPARE(w.parts.Slider1()->minimum(), 1);
        QCOMPARE(w.parts.Slider1()->maximum(), 40);
    }

    void rightButtonOpensTheContextMenus() {
        Window w(m_ini);
        const MainMenus& m = w.parts.menus();
        IntervalTimer* timer = w.parts.Timer1();
        timer->setInterval(5000);

        // The status bar: a left press does nothing, a right press shows the options menu and
        // the slide-show timer resumes when it closes.
        timer->start();
        QTest::mouseClick(w.parts.statusBar1(), Qt::LeftButton, {}, QPoint(20, 5));
        QVERIFY(!m.DspOption->isVisible());
        QVERIFY(timer->isEnabled());
        QTest::mousePress(w.parts.statusBar1(), Qt::RightButton, {}, QPoint(20, 5));
        QTRY_VERIFY(m.DspOption->isVisible());
        QVERIFY(!timer->isEnabled());
        m.DspOption->hide();
        QTRY_VERIFY(timer->isEnabled());

        // The list: the same, with its own menu.
        QTest::mousePress(viewportOf(w.parts.ListView1()), Qt::RightButton, {}, QPoint(10, 10));
        QTRY_VERIFY(m.MnuPlayOpt->isVisible());
        QVERIFY(!timer->isEnabled());
        m.MnuPlayOpt->hide();
        QTRY_VERIFY(timer->isEnabled());

        // The tree: its menu, and the timer stays stopped afterwards.
        QTest::mousePress(viewportOf(w.parts.TreeView1()), Qt::RightButton, {}, QPoint(10, 10));
        QTRY_VERIFY(m.quickAccess->isVisible());
        m.quickAccess->hide();
        QTest::qWait(20);
        QVERIFY(!timer->isEnabled());
    }

    void firstStartDefaults() {
        Window w(m_ini);
        const Twips& t = w.parts.twips();
        QCOMPARE(w.form.width(), t.toPixels(12180));
        QCOMPARE(w.form.height(), t.toPixels(9165));
        const MainMenus& m = w.parts.menus();
        QCOMPARE(MainMenus::firstChecked(m.Dspsize), 0);
        QVERIFY(!m.Opt[1]->isChecked() && !m.Opt[2]->isChecked() && !m.Opt[3]->isChecked());
        QVERIFY(!m.MnuGrid->isChecked() && !m.MnuIconSet->isChecked());
        QVERIFY(!m.TreeViewLine->isChecked());
        for (QAction* pass : m.pass) {
            QVERIFY(!pass->isVisible());
        }
        QCOMPARE(MainMenus::firstChecked(m.QuickPathSet), 0);
        QCOMPARE(w.state.mDspFile, defaultDspFile());
        QCOMPARE(w.state.mStartPath, QDir::currentPath());
        // The load sequence's own values.
        QVERIFY(w.parts.treeState().DragEndRequest);
        QVERIFY(!w.parts.tree().Timer2().isActive());
        QVERIFY(!m.MnuLoop->isChecked());
        QVERIFY(!w.parts.toolbar()->button(Toolbar1::ExtractButton)->isVisible());
        QCOMPARE(w.state.mSortColumn, qint16(1));
        QCOMPARE(w.state.mSortOrder, qint16(0));
        QVERIFY(w.state.mPlayNextFlg);
        QVERIFY(w.dialogs.calls().isEmpty());
        // Nothing is written until the window closes.
        QVERIFY(!QFile::exists(m_ini));
    }

    void panesFollowTheWindowAndTheBars() {
        Window w(m_ini);
        QVERIFY(QTest::qWaitForWindowExposed(&w.form));
        const Twips& t = w.parts.twips();
        // Lower than the least height: raised again.
        w.form.resize(w.form.width(), t.toPixels(4000));
        QTRY_COMPARE(w.form.height(), t.toPixels(5940));

        w.form.resize(t.toPixels(12000), t.toPixels(9000));
        QTRY_COMPARE(w.form.height(), t.toPixels(9000));
        QCOMPARE(w.state.mFormWidth, 12000);
        QCOMPARE(w.state.mFormHeight, 9000);
        const PaneLayout& l = w.parts.paneLayout();
        // The list reaches down to just above the status bar.
        const WindowMetrics metrics = w.parts.windowMetrics();
        QCOMPARE(l.ListView1.height,
                 metrics.clientHeight - l.ListView1.top - metrics.statusBarHeight - 100);
        QCOMPARE(w.parts.ListView1()->geometry(), t.toPixels(l.ListView1));

        // Dragging the vertical bar to the far left drops it 300 twips from the edge.
        SplitterBar* bar = w.parts.picSlider();
        QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(2, 50));
        QVERIFY(w.parts.SplitDragFlg());
        QMouseEvent move(QEvent::MouseMove, QPointF(-bar->x() + 2, 50),
                         bar->mapToGlobal(QPointF(-bar->x() + 2, 50)), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(bar, &move);
        QVERIFY(w.parts.picShadow()->isVisible());
        QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(-bar->x() + 2, 50));
        QVERIFY(!w.parts.SplitDragFlg());
        QVERIFY(!w.parts.picShadow()->isVisible());
        QCOMPARE(w.parts.paneLayout().picSlider.left, 300.0f);
        QCOMPARE(w.parts.ListView1()->width(), t.toPixels(300 - l.picSlider.width));
        QCOMPARE(w.parts.MediaPlayer1()->x(), t.toPixels(300 + l.picSlider.width));

        // The horizontal bar dropped near the top stops 1150 twips down.
        SplitterBar* bar2 = w.parts.picSlider2();
        QTest::mousePress(bar2, Qt::LeftButton, {}, QPoint(20, 1));
        QMouseEvent up(QEvent::MouseMove, QPointF(20, -bar2->y()),
                       bar2->mapToGlobal(QPointF(20, -bar2->y())), Qt::NoButton, Qt::LeftButton,
                       Qt::NoModifier);
        QCoreApplication::sendEvent(bar2, &up);
        QTest::mouseRelease(bar2, Qt::LeftButton, {}, QPoint(20, -bar2->y()));
        QCOMPARE(w.parts.paneLayout().picShadow2.top, 1150.0f);
        QCOMPARE(w.parts.ListView1()->y(), t.toPixels(w.parts.paneLayout().picSlider2.top +
                                                      w.parts.paneLayout().picSlider2.height));
    }

    void settingsSurviveACloseAndAStart() {
        const QString quick1 = m_dir.filePath(QStringLiteral("音楽"));
        const QString quick2 = m_dir.filePath(QStringLiteral("video clips"));
        PaneLayout before;
        QSize size;
        {
            Window w(m_ini);
            const MainMenus& m = w.parts.menus();
            w.parts.options().Opt_Click(1);
            w.parts.options().Opt_Click(3);
            w.parts.options().Dspsize_Click(3);
            m.MnuGrid->trigger();
            m.MnuIconSet->trigger();
            m.TreeViewLine->trigger();
            m.QuickPathSet[2]->trigger();
            w.parts.settings().setQuickPaths({quick1, quick2});
            QVERIFY(m.pass[1]->isVisible() && !m.pass[2]->isVisible());
            w.form.resize(w.parts.twips().toPixels(11010), w.parts.twips().toPixels(8010));
            QTRY_COMPARE(w.state.mFormWidth, 11010);
            QTest::mousePress(w.parts.picSlider(), Qt::LeftButton, {}, QPoint(1, 30));
            QMouseEvent move(QEvent::MouseMove, QPointF(40, 30),
                             w.parts.picSlider()->mapToGlobal(QPointF(40, 30)), Qt::NoButton,
                             Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(w.parts.picSlider(), &move);
            QTest::mouseRelease(w.parts.picSlider(), Qt::LeftButton, {}, QPoint(40, 30));
            before = w.parts.paneLayout();
            size = w.form.size();
            QSignalSpy unloaded(&w.form, &Form1::unloaded);
            w.form.close();
            QCOMPARE(unloaded.size(), 1);
            // A second close or an exit command does not save twice.
            w.form.Form_Unload();
            QCOMPARE(unloaded.size(), 1);
        }
        const QString saved = readText(m_ini);
        QVERIFY(saved.contains(u"MuteState=True"));
        QVERIFY(saved.contains(u"ScreenSize=3"));
        QVERIFY(!saved.contains(u"[Boot]"));

        Window w(m_ini);
        const MainMenus& m = w.parts.menus();
        QVERIFY(w.dialogs.calls().isEmpty());
        QCOMPARE(w.form.size(), size);
        QVERIFY(m.Opt[1]->isChecked());
        QVERIFY(!m.Opt[2]->isChecked());
        QVERIFY(m.Opt[3]->isChecked());
        QVERIFY(w.state.mSlideShow);
        QCOMPARE(MainMenus::firstChecked(m.Dspsize), 3);
        QCOMPARE(w.state.mScreenSize, qint16(3));
        QCOMPARE(w.parts.statusBar1()->panelText(4), QStringLiteral("200%"));
        QCOMPARE(w.parts.statusBar1()->panelText(5), QStringLiteral("ミュートON"));
        QVERIFY(m.MnuGrid->isChecked());
        QVERIFY(m.MnuIconSet->isChecked());
        QVERIFY(m.TreeViewLine->isChecked());
        QCOMPARE(MainMenus::firstChecked(m.QuickPathSet), 2);
        QCOMPARE(m.pass[0]->text(), quick1);
        QCOMPARE(m.pass[1]->text(), quick2);
        QVERIFY(m.pass[0]->isVisible() && m.pass[1]->isVisible());
        for (int k = 2; k < 7; ++k) {
            QVERIFY(!m.pass[k]->isVisible());
        }
        QCOMPARE(w.parts.paneLayout().picSlider.left, before.picSlider.left);
        QCOMPARE(w.parts.paneLayout().picSlider2.top, before.picSlider2.top);
        // The player keeps its place and height; its width follows the window's fitting rule.
        QCOMPARE(w.parts.paneLayout().MediaPlayer1.left, before.MediaPlayer1.left);
        QCOMPARE(w.parts.paneLayout().MediaPlayer1.height, before.MediaPlayer1.height);
    }

    void handWrittenFileLoadsAndKeepsWhatItDoesNotKnow() {
        // CP932, keys in other cases, a comment and keys the program does not know.
        QByteArray text =
            "; \x83\x52\x83\x81\x83\x93\x83\x67\r\n"  // "; コメント"
            "[boot]\r\nsearchpath=0\r\nMyOwnKey=\x83\x65\x83\x58\x83\x67\r\n"
            "[FORMPOS]\r\nxposition=300\r\nYPosition=450\r\nWIDTH=10500\r\nheight=7500\r\n"
            "WindowState=1\r\n"
            "[MoviePlay]\r\nscreensize=2\r\nMuteState=-1\r\nScreenState=0\r\n"
            "[QuickPath]\r\npath1=/\x89\xb9\x8a\x79\r\nPath2=\r\nPath3=0\r\nQuickPathValue=1\r\n"
            "[Extra]\r\nkeep=me\r\n";
        writeBytes(m_ini, text);
        {
            Window w(m_ini);
            QVERIFY(w.dialogs.calls().isEmpty());
            const MainMenus& m = w.parts.menus();
            QCOMPARE(w.form.width(), w.parts.twips().toPixels(10500));
            QCOMPARE(w.form.pos(),
                     QPoint(w.parts.twips().toPixels(300), w.parts.twips().toPixels(450)));
            // Saved minimised: opens normal.
            QVERIFY(!w.form.isMinimized());
            QCOMPARE(MainMenus::firstChecked(m.Dspsize), 2);
            QVERIFY(m.Opt[1]->isChecked());
            QCOMPARE(m.pass[0]->text(), QStringLiteral("/音楽"));
            QVERIFY(m.pass[0]->isVisible());
            QVERIFY(!m.pass[1]->isVisible() && !m.pass[2]->isVisible());
            QCOMPARE(MainMenus::firstChecked(m.QuickPathSet), 1);
            QVERIFY(w.state.mResumePlay);
            w.form.close();
        }
        QFile file(m_ini);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray after = file.readAll();
        QVERIFY(after.startsWith("; \x83\x52\x83\x81\x83\x93\x83\x67\r\n"));
        QVERIFY(after.contains("MyOwnKey=\x83\x65\x83\x58\x83\x67\r\n"));
        QVERIFY(after.contains("[Extra]\r\nkeep=me\r\n"));
        QVERIFY(after.contains("path1=/\x89\xb9\x8a\x79\r\n"));
        QVERIFY(after.contains("xposition=300\r\n"));
        // Nothing of this program's own sections is added by a start and an exit.
        QVERIFY(!after.contains("PlayHistory") && !after.contains("NameOrder"));
    }

    void badValuesAreReportedOnceAndTheRestLoads() {
        writeBytes(m_ini,
                   "[FormPos]\nXPosition=70000\nYPosition=200\nWidth=11000\nHeight=8000\n"
                   "[MoviePlay]\nScreenSize=9\nMuteState=True\n"
                   "[QuickPath]\nPath1=/srv\nPath2=/opt\n"
                   "[SlideShow]\nSlideTime=abc\nSlideType=1\n"
                   "[FileView]\nHiddenAtr=1\n");
        Window w(m_ini);
        const QList<ScriptedDialogs::Call> boxes = w.dialogs.messages();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes.at(0).title, errorBoxTitle());
        QCOMPARE(boxes.at(0).text, errorBoxText(9));
        // Everything after the bad keys still loaded; the bad ones took their defaults.
        const MainMenus& m = w.parts.menus();
        QCOMPARE(MainMenus::firstChecked(m.Dspsize), 0);
        QVERIFY(m.Opt[1]->isChecked());
        QCOMPARE(m.pass[1]->text(), QStringLiteral("/opt"));
        QCOMPARE(w.state.mSlideTime, qint16(0));
        QCOMPARE(w.state.mSlideType, qint16(1));
        QCOMPARE(w.state.mHiddenAtr, qint16(1));
        // A position past 16 bits is read as it is, but one no screen shows gives the first
        // start's placement.
        QCOMPARE(w.form.size(),
                 QSize(w.parts.twips().toPixels(12180), w.parts.twips().toPixels(9165)));
        QVERIFY(w.form.x() < w.parts.twips().toPixels(70000));
        w.form.close();
        // The save keeps the quick paths instead of overwriting them with nothing.
        const QString saved = readText(m_ini);
        QVERIFY(saved.contains(u"Path1=/srv"));
        QVERIFY(saved.contains(u"SlideTime=abc"));
    }

    void browsingThroughTheWindow() {
        // A folder of media with a subfolder, stored as the folder shown at the last close.
        const QString root = m_dir.filePath(QStringLiteral("media"));
        QVERIFY(QDir().mkpath(root + u"/sub/deeper"));
        for (const char* name : {"a.avi", "b.wav", "c.txt", "sub/d.mpg"}) {
            QFile f(root + u'/' + QString::fromLatin1(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        writeBytes(m_ini, "[Boot]\nSearchPath=1\n[FilePath]\nPath=" + root.toUtf8() + "\n");
        Window w(m_ini);
        w.form.openStartFolder();
        QCOMPARE(w.state.mStartPath, root);
        QCOMPARE(w.parts.tree().SelectedFolderPath(), root);
        // The default kinds list the video and the sound, not the text.
        QCOMPARE(w.parts.list().rowCount(), 2);
        QVERIFY(w.parts.list().rowOfKey(root + u"/a.avi") >= 0);
        QCOMPARE(w.parts.list().StatusText(), QStringLiteral("2個のﾌｧｲﾙ(0個のﾌｫﾙﾀﾞ)"));

        // Into the subfolder and back up with the toolbar.
        w.parts.navigation().GoToPath(root + u"/sub", true);
        QCOMPARE(w.parts.tree().SelectedFolderPath(), root + u"/sub");
        QCOMPARE(w.parts.list().rowCount(), 1);
        w.parts.toolbar()->button(5)->trigger();
        QCOMPARE(w.parts.tree().SelectedFolderPath(), root);

        // The file-view button lists every file and shows the archive buttons.
        w.parts.toolbar()->button(7)->trigger();
        QCOMPARE(w.parts.list().rowCount(), 3);
        QVERIFY(w.parts.toolbar()->button(8)->isVisible());
        w.parts.toolbar()->button(7)->trigger();
        QCOMPARE(w.parts.list().rowCount(), 2);

        // A file added on disk shows after a refresh (F5).
        QFile(root + u"/e.wav").open(QIODevice::WriteOnly);
        QTest::keyClick(w.parts.ListView1(), Qt::Key_F5);
        QTRY_COMPARE(w.parts.list().rowCount(), 3);

        // A path that does not exist is refused with the message, and nothing moves.
        w.parts.navigation().GoToPath(root + u"/gone", true);
        QCOMPARE(w.dialogs.messages().last().text, nav_msg::pathMissing());
        QCOMPARE(w.parts.tree().SelectedFolderPath(), root);

        // Quick paths: add, then a cleared list survives only when the question is answered OK.
        const MainMenus& m = w.parts.menus();
        m.QuickPathAdd->trigger();
        QCOMPARE(m.pass[0]->text(), root);
        QVERIFY(m.pass[0]->isVisible());
        w.dialogs.answerMessage(MsgResult::Cancel);
        m.QuickPathClear->trigger();
        QCOMPARE(m.pass[0]->text(), root);
        m.QuickPathClear->trigger();
        QVERIFY(m.pass[0]->text().isEmpty());
        QVERIFY(!m.pass[0]->isVisible());
        m.QuickPathSet[1]->trigger();
        QCOMPARE(m.quickAccess->title(), QStringLiteral("クイックパスアクセス-完了のみ(&Q)"));
        QCOMPARE(MainMenus::firstChecked(m.QuickPathSet), 1);

        // An empty target and a remembered folder that is gone.
        w.parts.navigation().GoToPath(QString(), true);
        QCOMPARE(w.dialogs.messages().last().text, nav_msg::cannotMove());
        QVERIFY(w.dialogs.messages().last().icon == MsgIcon::Exclamation);
        w.parts.settings().setQuickPaths({root + u"/vanished"});
        QVERIFY(m.pass[0]->isVisible());
        const int boxes = w.dialogs.messages().size();
        m.pass[0]->trigger();
        QCOMPARE(w.dialogs.messages().size(), boxes);
        QCOMPARE(w.parts.tree().SelectedFolderPath(), root);
        // One that is there is shown and listed.
        w.parts.settings().setQuickPaths({root + u"/sub"});
        m.pass[0]->trigger();
        QCOMPARE(w.parts.tree().SelectedFolderPath(), root + u"/sub");
        QCOMPARE(w.parts.list().ListedFolder(), root + u"/sub");
        QCOMPARE(rowNames(w.parts.list()), QStringList{u"d.mpg"_qs});

        // A volume chosen in the location box: its top is shown and listed.
        chooseInLocationBox(w.parts.ImageCombo1(), u"/"_qs);
        QCOMPARE(w.parts.tree().SelectedFolderPath(), u"/"_qs);
        QCOMPARE(w.parts.list().ListedFolder(), u"/"_qs);
        QCOMPARE(w.parts.ImageCombo1()->currentData(LocationBox::KeyRole).toString(), u"/"_qs);
        QCOMPARE(w.dialogs.messages().size(), boxes);

        // The folder on show is the one the next start opens.
        w.parts.navigation().GoToPath(root + u"/sub/deeper", true);
        w.form.close();
        QVERIFY(readText(m_ini).contains(u"Path=" + root + u"/sub/deeper"));
    }

    void aFolderTheFiltersHideIsShownWhenAskedFor() {
        // The settings hide read-only and hidden folders (ReadOnlyAtr = HiddenAtr = 0).
        const QString root = m_dir.filePath(QStringLiteral("asked"));
        for (const char* path : {"ro/inner", ".hidden", ".other", "plain"}) {
            QVERIFY(QDir().mkpath(root + u'/' + QString::fromLatin1(path)));
        }
        writeBytes(root + u"/ro/a.avi", {});
        writeBytes(root + u"/.hidden/b.avi", {});
        QCOMPARE(chmod(QFile::encodeName(root + u"/ro").constData(), 0555), 0);
        const auto restore =
            qScopeGuard([&root] { chmod(QFile::encodeName(root + u"/ro").constData(), 0755); });
        writeBytes(m_ini, "[Boot]\nSearchPath=1\n[FilePath]\nPath=" + root.toUtf8() + "\n");
        Window w(m_ini);
        w.form.openStartFolder();
        FolderTree& tree = w.parts.tree();
        QVERIFY(!tree.Node(root + u"/ro"));

        // Chosen by name in "フォルダ選択", then with F8: each is shown and listed.
        const struct {
            QAction* command;
            QString folder;
            QString file;
        } asked[] = {{w.parts.menus().GoFolder, root + u"/ro", u"a.avi"_qs},
                     {w.parts.menus().GoNetWtok, root + u"/.hidden", u"b.avi"_qs}};
        for (const auto& [command, folder, file] : asked) {
            w.dialogs.answerFolder(folder);
            command->trigger();
            QCOMPARE(w.dialogs.messages().size(), 0);
            QCOMPARE(tree.SelectedFolderPath(), folder);
            QCOMPARE(w.parts.list().ListedFolder(), folder);
            QCOMPARE(w.parts.list().keyOfRow(0), folder + u'/' + file);
        }
        // Browsing goes on hiding the siblings.
        QVERIFY(!tree.Node(root + u"/.other"));
        QVERIFY(!tree.Node(root + u"/ro"));
        QVERIFY(tree.Node(root + u"/plain"));
    }

    void aLongListingOpensAtTheTop() {
        // The first kind's files sort below the second's, so the first file found is far down.
        const QString root = m_dir.filePath(QStringLiteral("long"));
        QVERIFY(QDir().mkpath(root));
        for (int i = 0; i < 300; ++i) {
            const QString n = QString::number(1000 + i);
            writeBytes(root + u"/a" + n + u".avi", {});
            writeBytes(root + u"/b" + n + u".wav", {});
        }
        writeBytes(m_ini, "[Boot]\nSearchPath=1\n[FilePath]\nPath=" + root.toUtf8() +
                              "\n[ListFile]\nDspFile=*.wav;*.avi\n[ListView]\nIConDsp=False\n");
        Window w(m_ini);
        w.form.openStartFolder();
        FileList& list = w.parts.list();
        const auto atTheTop = [&list] {
            QCOMPARE(list.rowCount(), 600);
            QCOMPARE(list.view().currentIndex().row(), 0);
            QCOMPARE(list.selectedRows(), QList<int>{0});
            QCOMPARE(list.view().verticalScrollBar()->value(), 0);
        };
        atTheTop();
        w.parts.navigation().GoToPath(m_dir.path(), true);
        w.parts.navigation().GoToPath(root, true);
        atTheTop();
    }

    // The list as the user clicks it: a column title sorts by its column and carries the mark,
    // F5 keeps the row the user is on selected and in view, and a folder row opens its folder.
    void columnTitlesRefreshAndFolderRows() {
        const QString root = m_dir.filePath(QStringLiteral("clicked"));
        writeFile(root + u"/sub/inner.avi", {});
        for (int i = 0; i < 120; ++i) {
            writeFile(root + u"/f" + QString::number(100 + i) + u".avi", QByteArray(i, 'x'));
        }
        writeBytes(m_ini, "[Boot]\nSearchPath=1\n[FilePath]\nPath=" + root.toUtf8() +
                              "\n[FileView]\nFolderDsp=1\n");
        Window w(m_ini);
        w.form.openStartFolder();
        FileList& list = w.parts.list();
        FileListView& view = list.view();
        QHeaderView* header = view.header();
        const struct {
            int section;
            const char16_t* mark;
            QString first;
        } clicks[] = {{2, browser_msg::kSortMarkDescending, u"f219.avi"_qs},
                      {2, browser_msg::kSortMarkAscending, u"f100.avi"_qs},
                      {0, browser_msg::kSortMarkDescending, u"f219.avi"_qs}};
        for (const auto& click : clicks) {
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                              QPoint(header->sectionViewportPosition(click.section) +
                                         header->sectionSize(click.section) / 2,
                                     header->height() / 2));
            QCOMPARE(list.model().row(0).text, click.first);
            for (int section = 0; section < FileListModel::ColumnCount; ++section) {
                const QString title = QString::fromUtf16(browser_msg::kListColumnTitles[section]);
                QCOMPARE(header->model()->headerData(section, Qt::Horizontal).toString(),
                         section == click.section ? QString::fromUtf16(click.mark) + title : title);
            }
        }

        // F5 on a row far down the list: still the one selected, and on screen.
        const QString key = root + u"/f150.avi";
        QVERIFY(list.SelectRowByKey(key));
        QTest::keyClick(w.parts.ListView1(), Qt::Key_F5);
        const int row = list.rowOfKey(key);
        QVERIFY(row > 0);
        QCOMPARE(list.selectedRows(), QList<int>{row});
        QCOMPARE(view.currentIndex().row(), row);
        QVERIFY(view.verticalScrollBar()->value() > 0);
        QVERIFY(view.viewport()->rect().contains(view.visualRect(list.model().index(row, 0))));

        // A double-click on a folder row (the file view lists them) shows and lists the folder.
        w.parts.toolbar()->button(Toolbar1::FileViewButton)->trigger();
        QVERIFY(list.SelectRowByKey(root + u"/sub"));
        const QPoint folderRow =
            view.visualRect(list.model().index(list.rowOfKey(root + u"/sub"), 0)).center();
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, folderRow);
        QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, folderRow);
        QCOMPARE(list.ListedFolder(), root + u"/sub");
        QCOMPARE(rowNames(list), QStringList{u"inner.avi"_qs});
        QCOMPARE(w.parts.tree().SelectedFolderPath(), root + u"/sub");
        QVERIFY(w.dialogs.messages().isEmpty());
    }

    // The desktop and My Documents (this home's user folders): each of the keys, the toolbar
    // buttons and the location box's first two items shows the folder in the tree and lists it.
    void desktopAndDocumentsFromTheKeysTheToolbarAndTheLocationBox() {
        const QString home = m_dir.filePath(QStringLiteral("home"));
        const QString desktop = home + u"/机の上";
        const QString documents = home + u"/書類";
        writeFile(desktop + u"/on-desk.avi", {});
        writeFile(documents + u"/paper.wav", {});
        writeFile(home + u"/.config/user-dirs.dirs",
                  "XDG_DESKTOP_DIR=\"$HOME/机の上\"\nXDG_DOCUMENTS_DIR=\"$HOME/書類\"\n");
        // An empty XDG_CONFIG_HOME is taken as unset.
        const QByteArray oldHome = qgetenv("HOME"), oldConfig = qgetenv("XDG_CONFIG_HOME");
        const auto restore = qScopeGuard([&] {
            qputenv("HOME", oldHome);
            qputenv("XDG_CONFIG_HOME", oldConfig);
        });
        qputenv("HOME", QFile::encodeName(home));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(home + u"/.config"));
        Window w(m_ini);
        w.form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w.form));
        Toolbar1* toolbar = w.parts.toolbar();
        QComboBox* box = w.parts.ImageCombo1();
        const struct {
            std::function<void()> choose;
            QString folder;
            QString file;
        } ways[] = {
            {[&] { QTest::keyClick(w.parts.ListView1(), Qt::Key_F7); }, desktop, u"on-desk.avi"_qs},
            {[&] { QTest::keyClick(w.parts.ListView1(), Qt::Key_F6); }, documents, u"paper.wav"_qs},
            {[&] {
                 QTest::mouseClick(toolbar->widgetForAction(toolbar->button(1)), Qt::LeftButton);
             },
             desktop, u"on-desk.avi"_qs},
            {[&] {
                 QTest::mouseClick(toolbar->widgetForAction(toolbar->button(2)), Qt::LeftButton);
             },
             documents, u"paper.wav"_qs},
            {[&] { chooseInLocationBox(box, LocationBox::DeskTopKey()); }, desktop,
             u"on-desk.avi"_qs},
            {[&] { chooseInLocationBox(box, LocationBox::MyDocumentsKey()); }, documents,
             u"paper.wav"_qs},
        };
        auto* treeView = static_cast<class TreeView1*>(w.parts.TreeView1());
        for (const auto& way : ways) {
            way.choose();
            QCOMPARE(w.parts.list().ListedFolder(), way.folder);
            QCOMPARE(rowNames(w.parts.list()), QStringList{way.file});
            QCOMPARE(treeView->selectedItems(),
                     QList<QTreeWidgetItem*>{w.parts.tree().Node(way.folder)});
            QCOMPARE(w.parts.tree().SelectedFolderPath(), way.folder);
        }
        QVERIFY(w.dialogs.messages().isEmpty());
    }

    void optionsDialogFromTheMenuChangesTheListAtOnce() {
        const QString root = m_dir.filePath(QStringLiteral("options"));
        QVERIFY(QDir().mkpath(root));
        for (const char* name : {"a.avi", "b.mp3", "c.wav", "d.mp4"}) {
            QFile f(root + u'/' + QString::fromLatin1(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        writeBytes(m_ini, "[Boot]\nSearchPath=1\n[FilePath]\nPath=" + root.toUtf8() +
                              "\n[MoviePlay]\nScreenState=True\n");
        {
            Window w(m_ini);
            w.form.openStartFolder();
            // The extra types are listed until unticked.
            QCOMPARE(rowNames(w.parts.list()),
                     QStringList({u"a.avi"_qs, u"c.wav"_qs, u"d.mp4"_qs}));
            const MainMenus& m = w.parts.menus();
            w.parts.Timer1()->start();
            m.Opt[OptItem::Options]->trigger();
            Form2* dialog = w.parts.optionsDialog();
            QVERIFY(dialog != nullptr);
            QVERIFY(dialog->isVisible());
            QVERIFY(dialog->isModal());
            QVERIFY(!w.parts.Timer1()->isEnabled());
            // On top, as the main window is.
            QVERIFY(dialog->windowFlags() & Qt::WindowStaysOnTopHint);
            // The menu item again brings up the same dialog.
            m.Opt[OptItem::Options]->trigger();
            QCOMPARE(w.form.findChildren<Form2*>().size(), 1);

            QTreeWidget* types = dialog->ListView1();
            for (int i = 0; i < types->topLevelItemCount(); ++i) {
                QTreeWidgetItem* item = types->topLevelItem(i);
                const bool mine = item->text(0) == u"mp3" || item->text(0) == u"wav";
                item->setCheckState(0, mine ? Qt::Checked : Qt::Unchecked);
            }
            // The extra list is what the player takes beyond the forty.
            QStringList extra;
            for (int i = 0; i < dialog->ListView2()->topLevelItemCount(); ++i) {
                extra << dialog->ListView2()->topLevelItem(i)->text(0);
            }
            extra.sort();
            QStringList played = addedMediaExtensions();
            played.sort();
            QCOMPARE(extra, played);
            dialog->ListView2()
                ->findItems(QStringLiteral("mp4"), Qt::MatchExactly)
                .first()
                ->setCheckState(0, Qt::Unchecked);
            dialog->Text2()->setText(QStringLiteral("4"));
            dialog->Check1(4)->setChecked(true);  // gestures: only at the next start
            QTest::mouseClick(dialog->Command2(0), Qt::LeftButton);
            QCOMPARE(rowNames(w.parts.list()), QStringList({u"b.mp3"_qs, u"c.wav"_qs}));
            QCOMPARE(w.state.mDspFile, QStringLiteral("*.mp3;*.wav"));
            QCOMPARE(w.state.mSlideTime, qint16(4));
            QCOMPARE(w.state.mMousePlay, qint16(0));
            QTRY_VERIFY(w.parts.optionsDialog() == nullptr);

            // Cancel changes nothing.
            m.Opt[OptItem::Options]->trigger();
            w.parts.optionsDialog()->Command1_Click(0);
            QTest::mouseClick(w.parts.optionsDialog()->Command2(1), Qt::LeftButton);
            QTRY_VERIFY(w.parts.optionsDialog() == nullptr);
            QCOMPARE(rowNames(w.parts.list()), QStringList({u"b.mp3"_qs, u"c.wav"_qs}));
            QVERIFY(w.dialogs.calls().isEmpty());
            w.form.close();
        }
        // The next start lists the chosen kinds and takes the start-up box.
        Window w(m_ini);
        QCOMPARE(w.state.mDspFile, QStringLiteral("*.mp3;*.wav"));
        QCOMPARE(w.state.mMousePlay, qint16(1));
        QCOMPARE(rowNames(w.parts.list()), QStringList({u"b.mp3"_qs, u"c.wav"_qs}));
    }

    void junkSettingsStillOpenAUsableWindow_data() {
        QTest::addColumn<QByteArray>("formPos");
        QTest::newRow("width not a number")
            << QByteArray("XPosition=300\nYPosition=300\nWidth=abc\nHeight=9000\n");
        QTest::newRow("negative width")
            << QByteArray("XPosition=300\nYPosition=300\nWidth=-5\nHeight=9000\n");
        QTest::newRow("too low") << QByteArray(
            "XPosition=300\nYPosition=300\nWidth=9000\nHeight=100\n");
        QTest::newRow("far off") << QByteArray(
            "XPosition=99999999\nYPosition=300\nWidth=9000\nHeight=7000\n");
        QTest::newRow("above the screen")
            << QByteArray("XPosition=300\nYPosition=-90000\nWidth=9000\nHeight=7000\n");
        QTest::newRow("largest") << QByteArray(
            "XPosition=2147483647\nYPosition=-2147483648\nWidth=2147483647\nHeight=2147483647\n");
    }

    void junkSettingsStillOpenAUsableWindow() {
        QFETCH(QByteArray, formPos);
        writeBytes(m_ini, "[FormPos]\n" + formPos +
                              "[MoviePlay]\nScreenSize=9\n[QuickPath]\nQuickPathValue=77\n");
        int usedWidth = 0;
        {
            Window w(m_ini);
            QVERIFY(w.form.isVisible());
            const Twips& t = w.parts.twips();
            // The first start's placement: its size, in the middle of the screen.
            QCOMPARE(w.form.size(), QSize(t.toPixels(12180), t.toPixels(9165)));
            const QRect screen = QGuiApplication::primaryScreen()->geometry();
            QVERIFY(screen.intersects(w.form.geometry()));
            QVERIFY(std::abs(w.form.geometry().center().x() - screen.center().x()) <= 2);
            // One box for the bad values (the refused display size first).
            QCOMPARE(w.dialogs.messages().size(), 1);
            QCOMPARE(MainMenus::firstChecked(w.parts.menus().Dspsize), 0);
            usedWidth = static_cast<int>(t.fromPixels(w.form.width()));
            w.form.close();
        }
        // The save writes what the window used, never the refused values.
        const QString saved = readText(m_ini);
        QVERIFY(saved.contains(QStringLiteral("ScreenSize=0\n")));
        QVERIFY(saved.contains(QStringLiteral("QuickPathValue=0\n")));
        QVERIFY(saved.contains(u"Width=" + QString::number(usedWidth) + u'\n'));
        QVERIFY(saved.contains(QStringLiteral("Height=9165\n")));
        QVERIFY(!saved.contains(QStringLiteral("99999999")));
    }

    void exitSaveReadsTheStateNotTheMarks() {
        {
            Window w(m_ini);
            const MainMenus& m = w.parts.menus();
            // The menus show the state whoever changes it.
            w.parts.settings().setMute(true);
            QVERIFY(m.Opt[OptItem::Mute]->isChecked());
            QCOMPARE(w.parts.statusBar1()->panelText(StatusBar1::MutePanel),
                     QStringLiteral("ミュートON"));
            w.parts.options().Opt_Click(OptItem::OnTop);
            QVERIFY(m.Opt[OptItem::OnTop]->isChecked());
            QCOMPARE(w.parts.statusBar1()->panelText(StatusBar1::OnTopPanel),
                     QStringLiteral("常に最前面ON"));
            m.Dspsize[DspsizeItem::Half]->trigger();
            QCOMPARE(w.state.mScreenSize, qint16(DspsizeItem::Half));
            QCOMPARE(w.parts.statusBar1()->panelText(StatusBar1::DisplaySizePanel),
                     QStringLiteral("50%"));
            // A mark set on a menu item alone is not a setting.
            m.MnuGrid->setChecked(true);
            m.QuickPathSet[2]->setChecked(true);
            w.form.close();
        }
        const QString saved = readText(m_ini);
        QVERIFY(saved.contains(QStringLiteral("MuteState=True\n")));
        QVERIFY(saved.contains(QStringLiteral("ScreenState=True\n")));
        QVERIFY(saved.contains(QStringLiteral("ScreenSize=1\n")));
        QVERIFY(saved.contains(QStringLiteral("GridLine=False\n")));
        QVERIFY(saved.contains(QStringLiteral("QuickPathValue=0\n")));
    }

    // What each step of the load and the unload leaves behind, seen on the window, the players,
    // the sound card's volume and the settings file.
    void loadAndUnloadSequences_data() {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<bool>("gestures");
        QTest::addColumn<bool>("onTop");
        QTest::addColumn<bool>("exitCommand");
        QTest::newRow("first start, window closed") << QByteArray() << false << false << false;
        QTest::newRow("gestures and on top, exit command")
            << QByteArray("[Boot]\r\nmousePlay=1\r\n[MoviePlay]\r\nScreenState=True\r\n") << true
            << true << true;
    }

    void loadAndUnloadSequences() {
        QFETCH(QByteArray, ini);
        QFETCH(bool, gestures);
        QFETCH(bool, onTop);
        QFETCH(bool, exitCommand);
        if (!ini.isEmpty()) {
            writeBytes(m_ini, ini);
        }
        QList<quint32> volumeSet;
        Form1PlayerSetup setup = testPlayerSetup();
        setup.waveVolume.get = [] { return quint32{37}; };
        setup.waveVolume.set = [&volumeSet](quint32 volume) { volumeSet << volume; };
        Module1 state;
        ScriptedDialogs dialogs;
        Form1 form(state, dialogs, m_ini, setup);
        Form1Parts parts(form);
        patientWindow(parts);
        form.Form_Load();
        form.showAsLoaded();
        const MainMenus& m = parts.menus();

        QCOMPARE(state.mOldWaveVol, 37);
        QCOMPARE(parts.paneLayout().picShadow.width, 25.0f);
        QVERIFY(!parts.toolbar()->button(Toolbar1::SelectExtractButton)->isVisible());
        QVERIFY(parts.MediaPlayer1()->isHidden());
        QCOMPARE(parts.players().mediaPlayer().rate(), 1.0);
        QCOMPARE(form.windowTitle(), parts.TitleText());
        QCOMPARE(parts.input().mouseEvent() != nullptr, gestures);
        QCOMPARE(form.windowFlags().testFlag(Qt::WindowStaysOnTopHint), onTop);
        QCOMPARE(parts.statusBar1()->panelText(StatusBar1::OnTopPanel),
                 onTop ? QStringLiteral("常に最前面ON") : QStringLiteral("常に最前面OFF"));
        QCOMPARE(MainMenus::firstChecked(m.QuickPathSet), 0);
        QVERIFY(parts.players().mediaEngine().isValid());

        QSignalSpy unloaded(&form, &Form1::unloaded);
        exitCommand ? m.ExitQuorvane->trigger() : static_cast<void>(form.close());
        QCOMPARE(unloaded.size(), 1);
        QVERIFY(readText(m_ini).contains(u"[FormPos]"));
        QVERIFY(!parts.players().mediaEngine().isValid());
        QVERIFY(!parts.players().streamingEngine().isValid());
        QCOMPARE(volumeSet, QList<quint32>({37}));
        QVERIFY(parts.input().mouseEvent() == nullptr);
        QVERIFY(dialogs.calls().isEmpty());
    }

    // Marks that live for the run only: the program's state, shown by their menu item or button,
    // changed from there, and back at their first state at the next start.
    void runOnlyMarksLiveInTheState() {
        const QString folder = m_dir.filePath(QStringLiteral("marks"));
        QVERIFY(QDir().mkpath(folder));
        writeBytes(folder + u"/clip.avi", "x");
        writeBytes(folder + u"/notes.txt", "x");
        writeBytes(m_ini,
                   "[Boot]\r\nSearchPath=1\r\n[FilePath]\r\nPath=" + folder.toUtf8() + "\r\n");
        {
            Window w(m_ini);
            const MainMenus& m = w.parts.menus();
            auto* tree = static_cast<class TreeView1*>(w.parts.TreeView1());
            QAction* fileView = w.parts.toolbar()->button(Toolbar1::FileViewButton);

            m.Opt[OptItem::QuickPathPlay]->trigger();
            QVERIFY(w.state.mQuickPathPlay && m.Opt[OptItem::QuickPathPlay]->isChecked());
            m.TreeViewIcon->trigger();
            QVERIFY(w.state.mTreeViewIcon && m.TreeViewIcon->isChecked());
            // The tree's lines follow the item just clicked; the line item keeps its own mark.
            QVERIFY(tree->linesVisible());
            QVERIFY(!w.state.mTreeViewLine && !m.TreeViewLine->isChecked());
            m.TreeViewIcon->trigger();
            QVERIFY(!w.state.mTreeViewIcon && !m.TreeViewIcon->isChecked());
            QVERIFY(!tree->linesVisible());

            w.form.openStartFolder();
            QCOMPARE(rowNames(w.parts.list()), QStringList({u"clip.avi"_qs}));
            fileView->trigger();
            QVERIFY(w.state.mFileView && fileView->isChecked());
            QVERIFY(w.parts.toolbar()->button(Toolbar1::ExtractButton)->isVisible());
            QVERIFY(rowNames(w.parts.list()).contains(u"notes.txt"_qs));
            fileView->trigger();
            QVERIFY(!w.state.mFileView && !fileView->isChecked());
            QVERIFY(!w.parts.toolbar()->button(Toolbar1::ExtractButton)->isVisible());
            w.form.openStartFolder();
            QCOMPARE(rowNames(w.parts.list()), QStringList({u"clip.avi"_qs}));
            fileView->trigger();

            // Set from elsewhere, the marks show it.
            w.parts.settings().setQuickPathPlay(false);
            QVERIFY(!m.Opt[OptItem::QuickPathPlay]->isChecked());
            m.Opt[OptItem::QuickPathPlay]->trigger();
            m.TreeViewIcon->trigger();
            w.form.close();
        }
        Window w(m_ini);
        QVERIFY(!w.state.mQuickPathPlay &&
                !w.parts.menus().Opt[OptItem::QuickPathPlay]->isChecked());
        QVERIFY(!w.state.mTreeViewIcon && !w.parts.menus().TreeViewIcon->isChecked());
        QVERIFY(!w.state.mFileView);
        QVERIFY(!w.parts.toolbar()->button(Toolbar1::FileViewButton)->isChecked());
    }

private:
    QTemporaryDir m_dir;
    QString m_ini;
};

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
