// Playing through the main window as a user does: the file list is the play list, walked by a
// double-click, the toolbar, the keys and the ends of the files, with real libmpv (no picture,
// no sound) on small media made at build time.
#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QMenu>
#include <QProcess>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidgetItem>

#include "../midi_bytes.h"
#include "../test_files.h"
#include "app/form1_parts.h"
#include "app/status_bar1.h"
#include "app/toolbar1.h"
#include "browser/file_list.h"
#include "browser/file_list_view.h"
#include "browser/folder_tree.h"
#include "platform/app_info.h"
#include "platform/interval_timer.h"
#include "platform/messages.h"
#include "platform/scripted_dialogs.h"
#include "player/media_player_engine.h"
#include "player/messages.h"
#include "player/movie.h"
#include "player/mpv_engine.h"
#include "player/play_list.h"
#include "player/play_time.h"
#include "player/player_control_bar.h"
#include "player/streaming_audio_engine.h"
#include "player/video_surface.h"
#include "settings/live_settings.h"
#include "test_media_window.h"

namespace {

QString readText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

using Window = MediaWindow;

}  // namespace

class TestPlayback : public QObject {
    Q_OBJECT

private slots:
    void init() {
        QVERIFY(m_dir.isValid());
        m_folder = freshFolder(m_dir, QStringLiteral("media"));
        QVERIFY(QDir(m_folder).exists());
        m_ini = m_dir.filePath(QStringLiteral("quorvane.ini"));
        QFile::remove(m_ini);
    }

    // Copies media into the folder under new names (which set the order of the list).
    void put(std::initializer_list<std::pair<const char*, const char*>> files) {
        for (const auto& [from, to] : files) {
            QVERIFY(QFile::copy(playerMedia(from), m_folder + u'/' + QString::fromUtf8(to)));
        }
    }

    void commandLineFolderAndFile() {
        // The settings name another folder; the one given on the command line wins, and a file
        // given plays at once.
        put({{"tone.wav", "a.wav"}, {"tone.wav", "b.wav"}});
        const QString other = m_dir.filePath(QStringLiteral("other"));
        QVERIFY(QDir().mkpath(other));
        Window w(m_ini, other, "*.wav;*.avi;*.jpg;*.mov;", {}, m_folder);
        QCOMPARE(w.list().ListedFolder(), m_folder);
        QCOMPARE(w.list().rowCount(), 2);
        QVERIFY(!w.form.playListedFile(other + u"/missing.wav"));
        QVERIFY(w.form.playListedFile(m_folder + u"/b.wav"));
        QCOMPARE(w.selectedName(), QStringLiteral("b.wav"));
        QTRY_COMPARE_WITH_TIMEOUT(w.playState(), 1, 10000);
    }

    void doubleClickPlaysAndEachEndMovesDown() {
        put({{"tone.wav", "a.wav"}, {"tone.wav", "b.wav"}, {"clip.avi", "c.avi"}});
        Window w(m_ini, m_folder);
        QCOMPARE(w.list().rowCount(), 3);
        // The start made the folder's node bold blue; a folder reached otherwise is plain.
        QTreeWidgetItem* node = w.parts.tree().SelectedNode();
        QVERIFY(node->font(0).bold());
        QFont plain = node->font(0);
        plain.setBold(false);
        node->setFont(0, plain);

        w.doubleClick(QStringLiteral("a.wav"));
        QTRY_COMPARE(w.playState(), 1);
        // The media player shows, never beside the streaming player.
        QVERIFY(w.parts.MediaPlayer1()->isVisible());
        QVERIFY(!w.parts.RealAudio1(0)->isVisible());
        QVERIFY(!w.parts.RealAudio1(1)->isVisible());
        QCOMPARE(w.row(u"a.wav"_qs).iconKey, QStringLiteral("PlayDwn"));
        QVERIFY(w.row(u"a.wav"_qs).bold);
        QCOMPARE(w.row(u"a.wav"_qs).toolTip, QStringLiteral("a.wavは、再生しています。"));
        // A sound has no picture size: name, size text (its unit once) and folder.
        const QString sizeText = w.list().model().columnText(0, 2).trimmed();
        QVERIFY(sizeText.endsWith(u" KB"));
        QTRY_COMPARE(w.form.windowTitle(),
                     app_info::captionText() + u" - a.wav(" + sizeText + u") - " + m_folder);

        // The end of the one-second tone starts the next row.
        QTRY_COMPARE_WITH_TIMEOUT(w.selectedName(), QStringLiteral("b.wav"), 10000);
        QCOMPARE(w.row(u"a.wav"_qs).iconKey, QStringLiteral("PLAY_END_KEY"));
        QCOMPARE(w.row(u"a.wav"_qs).foreColor, qRgb(255, 0, 0));
        QCOMPARE(w.row(u"a.wav"_qs).toolTip, QStringLiteral("a.wavは、最後まで見ました。"));
        QCOMPARE(w.row(u"b.wav"_qs).iconKey, QStringLiteral("PlayDwn"));
        // The folder that played is marked in the tree.
        QVERIFY(node->font(0).bold());
        QCOMPARE(node->foreground(0).color(), QColor(255, 0, 0));

        // Next by the toolbar: the row left behind says so; the video's caption has its size.
        w.parts.toolbar()->button(15)->trigger();
        QCOMPARE(w.selectedName(), QStringLiteral("c.avi"));
        QCOMPARE(w.row(u"b.wav"_qs).iconKey, QStringLiteral("NextDwn"));
        QTRY_VERIFY(w.form.windowTitle().contains(u"c.avi(160x120 - "));
        // Next on the last row wraps round to the first and leaves the last row's icon.
        w.key(Qt::Key_Down, Qt::ControlModifier);
        QCOMPARE(w.selectedName(), QStringLiteral("a.wav"));
        QCOMPARE(w.row(u"c.avi"_qs).iconKey, QStringLiteral("PlayDwn"));
        // Previous on the first row starts the last.
        w.parts.toolbar()->button(14)->trigger();
        QCOMPARE(w.selectedName(), QStringLiteral("c.avi"));
        QTRY_COMPARE(w.playState(), 1);

        // "再生" pauses what plays and resumes it; Space on the list pauses it again (a paused
        // file cannot end while the test looks at it).
        w.parts.toolbar()->button(11)->trigger();
        QTRY_COMPARE(w.playState(), 2);
        QTRY_COMPARE(w.parts.toolbar()->buttonImage(11), QStringLiteral("Pause"));
        w.parts.toolbar()->button(11)->trigger();
        QTRY_COMPARE(w.playState(), 1);
        QTRY_COMPARE(w.parts.toolbar()->buttonImage(11), QStringLiteral("Play"));
        w.key(Qt::Key_Space);
        QTRY_COMPARE(w.playState(), 2);

        // F12: the picture on a screen of its own, where the window's keys still work: Space
        // there starts the selected file again.
        QTest::keyClick(w.parts.ListView1(), Qt::Key_F12);
        VideoSurface* surface = w.parts.players().mediaSurface();
        QTRY_VERIFY(surface->isFullScreenMode());
        QCOMPARE(w.parts.statusBar1()->panelText(4), QStringLiteral("フルスクリーン"));
        QWidget* screen = surface->videoWidget()->window();
        QVERIFY(screen != &w.form);
        QTest::keyClick(screen, Qt::Key_Space);
        QTRY_COMPARE(w.playState(), 1);
        QCOMPARE(w.selectedName(), QStringLiteral("c.avi"));
        QTest::keyClick(screen, Qt::Key_F11);
        QTRY_VERIFY(!surface->isFullScreenMode());
        QVERIFY(w.parts.menus().Dspsize[0]->isChecked());
        QCOMPARE(w.state.mScreenSize, 0);

        // Closing while a file plays lets go of it before the settings are written.
        w.form.close();
        QVERIFY(w.state.mPlayNextFlg == false || w.playState() != 1);
        QFile held(m_folder + u"/c.avi");
        QVERIFY(held.rename(m_folder + u"/moved.avi"));
        QVERIFY(readText(m_ini).contains(u"[MoviePlay]"));
        QVERIFY(w.dialogs.messages().isEmpty());
    }

    // Files another program adds while the list plays: their rows come in the list's order, the
    // playing row keeps its marks and the selection, and the next file is the one below it now.
    void playingRowSurvivesFilesAddedByAnotherProgram() {
        put({{"tone.wav", "a.wav"}, {"tone.wav", "c.wav"}});
        Window w(m_ini, m_folder);
        w.doubleClick(QStringLiteral("a.wav"));
        QTRY_COMPARE(w.playState(), 1);
        w.parts.toolbar()->button(12)->trigger();  // stopped, so no end moves the list on
        QCOMPARE(w.row(u"a.wav"_qs).iconKey, QStringLiteral("PlayDwn"));

        QProcess cp;
        cp.start(QStringLiteral("/bin/cp"), {playerMedia("tone.wav"), m_folder + u"/b.wav"});
        QVERIFY(cp.waitForFinished(10000));
        QTRY_COMPARE_WITH_TIMEOUT(w.list().rowCount(), 3, 5000);
        QCOMPARE(w.list().keyOfRow(1), m_folder + u"/b.wav");
        QCOMPARE(w.selectedName(), QStringLiteral("a.wav"));
        QCOMPARE(w.row(u"a.wav"_qs).iconKey, QStringLiteral("PlayDwn"));
        QVERIFY(w.row(u"a.wav"_qs).bold);
        QCOMPARE(w.parts.statusBar1()->panelText(1), QStringLiteral("3個のﾌｧｲﾙ(0個のﾌｫﾙﾀﾞ)"));
        w.parts.toolbar()->button(15)->trigger();
        QCOMPARE(w.selectedName(), QStringLiteral("b.wav"));
        QVERIFY(w.dialogs.messages().isEmpty());
    }

    void reverseRepeatAndStop() {
        put({{"tone.wav", "a.wav"}, {"tone.wav", "b.wav"}, {"tone.wav", "c.wav"}});
        Window w(m_ini, m_folder);
        // The list runs upward: the end of c starts b, marked as playing upward.
        w.parts.toolbar()->button(20)->trigger();
        QVERIFY(w.play().ReverseFlg);
        QVERIFY(w.parts.Timer1()->isEnabled());
        w.list().SelectRowByKey(m_folder + u"/c.wav");
        // A typed letter neither searches the list nor plays.
        w.key(Qt::Key_A);
        QCOMPARE(w.selectedName(), QStringLiteral("c.wav"));
        QCOMPARE(w.playState(), 0);
        w.key(Qt::Key_Space);
        QTRY_COMPARE(w.playState(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(w.selectedName(), QStringLiteral("b.wav"), 10000);
        QCOMPARE(w.row(u"b.wav"_qs).iconKey, QStringLiteral("PlayUp"));
        QCOMPARE(w.row(u"c.wav"_qs).iconKey, QStringLiteral("PLAY_END_KEY"));
        w.parts.toolbar()->button(19)->trigger();
        QVERIFY(!w.play().ReverseFlg);

        // F9: repeat on, ticked in the menu and pressed on the toolbar; the end of b starts b.
        w.key(Qt::Key_F9);
        QVERIFY(w.play().LoopFlg);
        QVERIFY(w.parts.menus().MnuLoop->isChecked());
        QVERIFY(w.parts.toolbar()->button(17)->isChecked());
        QVERIFY(!w.parts.Timer1()->isEnabled());
        QTRY_COMPARE_WITH_TIMEOUT(w.row(u"b.wav"_qs).iconKey, QStringLiteral("LOOP_KEY"), 10000);
        QCOMPARE(w.selectedName(), QStringLiteral("b.wav"));
        // The start overwrote the repeat tip.
        QCOMPARE(w.row(u"b.wav"_qs).toolTip, QStringLiteral("b.wavは、再生しています。"));
        // F9 again: off everywhere, and the timer runs again.
        w.key(Qt::Key_F9);
        QVERIFY(!w.play().LoopFlg);
        QVERIFY(!w.parts.menus().MnuLoop->isChecked());
        QVERIFY(!w.parts.toolbar()->button(17)->isChecked());
        QVERIFY(w.parts.Timer1()->isEnabled());

        // Shift+Space stops; the end of the stopped file, arriving late, moves nothing.
        w.play().PlayStep(2);
        QTRY_COMPARE(w.playState(), 1);
        w.key(Qt::Key_Space, Qt::ShiftModifier);
        QTRY_COMPARE(w.playState(), 0);
        QVERIFY(!w.state.mPlayNextFlg);
        w.play().OnMediaEnd();
        QTest::qWait(1500);
        QCOMPARE(w.selectedName(), QStringLiteral("b.wav"));
        QCOMPARE(w.playState(), 0);
        // The file is free to be moved at once.
        QVERIFY(QFile::rename(m_folder + u"/b.wav", m_folder + u"/z.wav"));
        QVERIFY(w.dialogs.messages().isEmpty());
    }

    // Before the end of a file the row that follows it is in the engine, so that the end goes on
    // into it without a load; a file deleted meanwhile is replaced by the one after it, a new
    // order by the row it puts next. "この曲で停止" ends the run after the file playing.
    void theNextRowIsReadyBeforeTheEnd() {
        for (const char* name : {"a.wav", "b.wav", "c.wav", "d.wav"}) {
            QVERIFY(makeSound(m_folder + u'/' + QLatin1String(name), 4));
        }
        Window w(m_ini, m_folder);
        MpvEngine& engine = w.parts.players().mediaEngine();
        const auto path = [this](const char* name) -> QString {
            return m_folder + u'/' + QLatin1String(name);
        };
        w.doubleClick(u"a.wav"_qs);
        QTRY_COMPARE_WITH_TIMEOUT(engine.next(), path("b.wav"), 5000);
        QVERIFY(QFile::remove(path("b.wav")));  // another program deletes it
        QTRY_COMPARE_WITH_TIMEOUT(engine.next(), path("c.wav"), 5000);
        QTRY_COMPARE_WITH_TIMEOUT(w.selectedName(), u"c.wav"_qs, 10000);
        QCOMPARE(engine.seamlessStarts(), 1);
        QCOMPARE(engine.fileName(), path("c.wav"));
        // The end steps ran as for any end: marks, tips, the playing row.
        QCOMPARE(w.row(u"a.wav"_qs).iconKey, QStringLiteral("PLAY_END_KEY"));
        QCOMPARE(w.row(u"a.wav"_qs).toolTip, QStringLiteral("a.wavは、最後まで見ました。"));
        QCOMPARE(w.row(u"c.wav"_qs).iconKey, QStringLiteral("PlayDwn"));
        QTRY_COMPARE(w.playState(), 1);

        // Sorted by name the other way, a comes after c.
        w.list().SortList(1, 1);
        QTRY_COMPARE_WITH_TIMEOUT(engine.next(), path("a.wav"), 5000);
        // E: the run stops at the end of c; the item is ticked until it has been used.
        w.key(Qt::Key_E);
        QVERIFY(w.play().stopsAfterCurrent());
        QVERIFY(w.parts.menus().StopAfterCurrent->isChecked());
        QVERIFY(w.parts.menus().StopAfterCurrent->isChecked());
        QTRY_VERIFY(engine.next().isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(w.playState(), 0, 10000);
        QTest::qWait(300);
        QCOMPARE(w.selectedName(), u"c.wav"_qs);
        QCOMPARE(w.row(u"c.wav"_qs).iconKey, QStringLiteral("PLAY_END_KEY"));
        QCOMPARE(w.row(u"c.wav"_qs).toolTip, QStringLiteral("c.wavは、最後まで見ました。"));
        QVERIFY(!w.play().stopsAfterCurrent());
        QTRY_VERIFY(!w.parts.menus().StopAfterCurrent->isChecked());
        QCOMPARE(engine.seamlessStarts(), 1);
        QVERIFY(w.dialogs.messages().isEmpty());
    }

    // F1 mutes the file that plays now and F2 keeps the window on top; "開く" in the list's menu
    // hands the row's file to the desktop.
    void optionKeysAndTheOpenCommandReachThePlayerAndTheDesktop() {
        put({{"tone.wav", "a.wav"}, {"tone.wav", "b.wav"}});
        Window w(m_ini, m_folder);
        w.form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w.form));
        MpvEngine& engine = w.parts.players().mediaEngine();
        w.doubleClick(QStringLiteral("a.wav"));
        QTRY_COMPARE(w.playState(), 1);
        for (const bool on : {true, false}) {
            w.key(Qt::Key_F1);
            QCOMPARE(engine.mpvProperty("mute"), on ? u"yes"_qs : u"no"_qs);
            QCOMPARE(w.parts.statusBar1()->panelText(StatusBar1::MutePanel),
                     on ? u"ミュートON"_qs : u"ミュートOFF"_qs);
            w.key(Qt::Key_F2);
            QCOMPARE(w.form.windowFlags().testFlag(Qt::WindowStaysOnTopHint), on);
        }
        w.play().MnuMovieStop_Click();

        const MainMenus& m = w.parts.menus();
        QTest::mouseClick(w.list().view().viewport(), Qt::RightButton, {},
                          w.centreOfRow(u"b.wav"_qs));
        QTRY_VERIFY(m.MnuPlayOpt->isVisible());
        QTest::mouseClick(m.MnuPlayOpt, Qt::LeftButton, {},
                          m.MnuPlayOpt->actionGeometry(m.MunOpen).center());
        QCOMPARE(w.opened, QStringList{m_folder + u"/b.wav"});
        // This desktop has no program for it: said once.
        QCOMPARE(w.dialogs.messages().size(), 1);
        QCOMPARE(w.dialogs.messages().first().text, platform_msg::openFailed(m_folder + u"/b.wav"));
    }

    void slideShowAndTheFileView() {
        put({{"picture.jpg", "p1.jpg"}, {"picture.jpg", "p2.jpg"}, {"clip.avi", "v.avi"}});
        Window w(m_ini, m_folder);
        w.state.mSlideTime = 1;
        w.state.mSlideType = 0;
        // Ticking the slide show sets it on; ticking mute leaves it.
        w.parts.options().Opt_Click(3);
        QVERIFY(w.state.mSlideShow);
        w.parts.options().Opt_Click(1);
        QVERIFY(w.state.mSlideShow);
        QCOMPARE(w.parts.statusBar1()->panelText(5), QStringLiteral("ミュートON"));

        QElapsedTimer shown;
        shown.start();
        w.doubleClick(QStringLiteral("p1.jpg"));
        QCOMPARE(w.parts.Timer1()->interval(), 2000);
        QVERIFY(w.parts.Timer1()->isArmed());
        // Mute applies when the stream opens.
        QTRY_VERIFY(w.parts.players().mediaPlayer().mute());
        QTRY_VERIFY(w.form.windowTitle().contains(u"p1.jpg(64x48 - "));
        // A picture stays its interval plus a second, then the next row comes.
        QTRY_COMPARE_WITH_TIMEOUT(w.selectedName(), QStringLiteral("p2.jpg"), 5000);
        QVERIFY(shown.elapsed() >= 1900);
        QCOMPARE(w.row(u"p1.jpg"_qs).iconKey, QStringLiteral("PLAY_END_KEY"));
        // Pictures only: the video plays without the timer.
        QTRY_COMPARE_WITH_TIMEOUT(w.selectedName(), QStringLiteral("v.avi"), 4000);
        QVERIFY(!w.parts.Timer1()->isArmed());
        // Every file: the video is given the same interval.
        w.state.mSlideType = 1;
        w.play().PlayStep(2);
        QVERIFY(w.parts.Timer1()->isArmed());

        // The file view: next starts the selected row again, the caption shows its path and
        // no timer is armed.
        w.parts.toolbar()->button(7)->trigger();
        w.list().SelectRowByKey(m_folder + u"/p1.jpg");
        w.parts.toolbar()->button(15)->trigger();
        QCOMPARE(w.selectedName(), QStringLiteral("p1.jpg"));
        QCOMPARE(w.form.windowTitle(), app_info::captionText() + u" - " + m_folder + u"/p1.jpg");
        QVERIFY(!w.parts.Timer1()->isArmed());
        QVERIFY(w.dialogs.messages().isEmpty());
    }

    void streamingClipKeepsItsPlaceAcrossASizeChange() {
        put({{"clip.avi", "m.mov"}, {"clip.avi", "n.avi"}});
        Window w(m_ini, m_folder);
        w.doubleClick(QStringLiteral("m.mov"));
        QTRY_COMPARE(w.playState(), 1);
        QVERIFY(w.parts.RealAudio1(0)->isVisible());
        QVERIFY(w.parts.RealAudio1(1)->isVisible());
        QVERIFY(!w.parts.MediaPlayer1()->isVisible());
        StreamingAudioEngine& ra = w.parts.players().realAudio();
        QTRY_VERIFY_WITH_TIMEOUT(ra.position() >= 1500, 5000);
        // 200 %: a restart at the same place, in double size.
        w.parts.options().Dspsize_Click(3);
        QCOMPARE(w.state.mScreenSize, 3);
        QCOMPARE(w.parts.statusBar1()->panelText(4), QStringLiteral("200%"));
        QVERIFY(ra.position() >= 1400);
        QTRY_COMPARE(w.playState(), 1);
        QCOMPARE(w.selectedName(), QStringLiteral("m.mov"));
        QVERIFY(ra.position() >= 1400);
        QCOMPARE(w.parts.players().streamingEngine().displaySize(), VideoSize::Double);

        // The clip's real end moves the list on, once.
        QTRY_COMPARE_WITH_TIMEOUT(w.selectedName(), QStringLiteral("n.avi"), 10000);
        QCOMPARE(w.row(u"m.mov"_qs).iconKey, QStringLiteral("PLAY_END_KEY"));

        // A media-player file changes its size without a restart.
        QTRY_COMPARE(w.playState(), 1);
        QVERIFY(w.parts.MediaPlayer1()->isVisible());
        QVERIFY(!w.parts.RealAudio1(0)->isVisible());
        MediaPlayerEngine& mp = w.parts.players().mediaPlayer();
        QTRY_VERIFY_WITH_TIMEOUT(mp.currentPosition() >= 1.0, 5000);
        w.parts.options().Dspsize_Click(1);
        QVERIFY(mp.currentPosition() >= 1.0);
        QCOMPARE(mp.displaySize(), 1);

        // The rate slider and "RateOne".
        w.parts.Slider1()->setValue(20);
        QCOMPARE(w.play().PlayRate, 2.0);
        QCOMPARE(mp.rate(), 2.0);
        QCOMPARE(w.parts.statusBar1()->panelText(7), QStringLiteral("2.0 x"));
        QCOMPARE(w.parts.Slider1()->toolTip(), QStringLiteral("2.0"));
        w.parts.toolbar()->button(22)->trigger();
        QCOMPARE(mp.rate(), 1.0);
        QCOMPARE(w.parts.Slider1()->value(), 10);
        QCOMPARE(w.parts.statusBar1()->panelText(7), QStringLiteral("1.0 x"));

        // The size is what the next start comes back with.
        w.form.close();
        QVERIFY(readText(m_ini).contains(u"ScreenSize=1"));
        QVERIFY(w.dialogs.messages().isEmpty());
    }

    void formLinkedSizeLeavesTheListAFewRows() {
        put({{"picture.jpg", "p.jpg"}, {"tone.wav", "r.wav"}});
        // A tall tree, the list low.
        Window w(m_ini, m_folder, "*.wav;*.avi;*.jpg;*.mov;", {}, {}, "[SpPos]\nSpTop=5000\n");
        w.parts.options().Dspsize_Click(5);
        w.doubleClick(QStringLiteral("p.jpg"));
        QTRY_VERIFY(w.form.windowTitle().contains(u"p.jpg(64x48 - "));
        // The window follows the picture's width, and stays high enough for the list to show a
        // few rows above the status bar; the picture shows whole in the player.
        QTRY_COMPARE(w.parts.MediaPlayer1()->width(), 64);
        FileListView& view = w.list().view();
        const int bottom = std::min(view.geometry().bottom(), w.parts.statusBar1()->y());
        const int rows = (bottom - view.y() - view.header()->height()) / view.sizeHintForRow(0);
        QVERIFY2(rows >= 3, qPrintable(QString::number(rows)));
        QVERIFY(w.parts.MediaPlayer1()->height() >= 48);
        QVERIFY(w.form.height() < w.parts.twips().toPixels(9165));
    }

    void recordingQuickPathsAndFilesThatDoNotPlay() {
        put({{"tone.wav", "a.wav"}, {"notmedia.avi", "b.avi"}});
        Window w(m_ini, m_folder);
        const MainMenus& m = w.parts.menus();
        // When played to the end: nothing at the first start, the folder after an end, once.
        m.QuickPathSet[1]->trigger();
        w.doubleClick(QStringLiteral("a.wav"));
        QVERIFY(m.pass[0]->text().isEmpty());
        // The end starts b, which is no media: the player error box, and the program goes on.
        QTRY_COMPARE_WITH_TIMEOUT(w.selectedName(), QStringLiteral("b.avi"), 10000);
        QCOMPARE(m.pass[0]->text(), m_folder);
        QTRY_VERIFY_WITH_TIMEOUT(!w.dialogs.messages().isEmpty(), 5000);
        QCOMPARE(w.dialogs.messages().first().title, player_msg::playerErrorTitle());
        w.parts.settings().setQuickPaths({});
        w.play().PlayStep(1);
        QVERIFY(m.pass[0]->text().isEmpty());
        // Every time: the folder is recorded at each start, once.
        m.QuickPathSet[0]->trigger();
        w.play().PlayStep(0);
        QCOMPARE(m.pass[0]->text(), m_folder);
        w.play().PlayStep(0);
        QVERIFY(m.pass[1]->text().isEmpty());
        w.play().MnuMovieStop_Click();
    }

    void todaysFormatsAFileOfNoKindAndTheMarks() {
        put({{"clip.mp4", "a.mp4"},
             {"tone.flac", "b.flac"},
             {"picture.webp", "c.webp"},
             {"tone.wav", "d.xyz"},
             {"cover.mp3", "e.mp3"}});
        Window w(m_ini, m_folder);
        QCOMPARE(w.list().rowCount(), 5);
        // An MP4 video, FLAC sound and a WebP picture play in the media player, one after the
        // other; only the row playing shows the playing icon.
        w.doubleClick(QStringLiteral("a.mp4"));
        QTRY_COMPARE_WITH_TIMEOUT(w.playState(), 1, 10000);
        QVERIFY(!w.parts.MediaPlayer1()->isHidden());
        QTRY_COMPARE_WITH_TIMEOUT(w.selectedName(), QStringLiteral("b.flac"), 10000);
        QTRY_COMPARE_WITH_TIMEOUT(w.selectedName(), QStringLiteral("c.webp"), 10000);
        const QString sizeText =
            w.list().model().columnText(w.list().rowOfKey(m_folder + u"/c.webp"), 2).trimmed();
        QTRY_COMPARE_WITH_TIMEOUT(
            w.form.windowTitle(),
            app_info::captionText() + u" - c.webp(64x48 - " + sizeText + u") - " + m_folder, 10000);
        QCOMPARE(w.row(QStringLiteral("a.mp4")).iconKey, QStringLiteral("PLAY_END_KEY"));
        QCOMPARE(w.row(QStringLiteral("c.webp")).iconKey, QStringLiteral("PlayDwn"));
        QVERIFY(w.dialogs.messages().isEmpty());
        QVERIFY(w.opened.isEmpty());

        // A double-click on another row leaves the row that was playing marked as left.
        w.doubleClick(QStringLiteral("e.mp3"));
        QCOMPARE(w.row(QStringLiteral("c.webp")).iconKey, QStringLiteral("NextDwn"));
        QCOMPARE(w.row(QStringLiteral("e.mp3")).iconKey, QStringLiteral("PlayDwn"));
        // Next on the last row wraps round to the first and leaves the last as it was.
        w.play().PlayStep(0);
        QCOMPARE(w.selectedName(), QStringLiteral("a.mp4"));
        QCOMPARE(w.row(QStringLiteral("e.mp3")).iconKey, QStringLiteral("PlayDwn"));
        w.play().PlayStep(0);
        QCOMPARE(w.row(QStringLiteral("a.mp4")).iconKey, QStringLiteral("NextDwn"));
        w.play().PlayStep(1);
        QCOMPARE(w.row(QStringLiteral("b.flac")).iconKey, QStringLiteral("NextUp"));
        QCOMPARE(w.row(QStringLiteral("a.mp4")).iconKey, QStringLiteral("PlayDwn"));

        // A file of no kind goes to the desktop once, and its refusal is one box.
        w.doubleClick(QStringLiteral("d.xyz"));
        QTest::qWait(300);
        QCOMPARE(w.opened, QStringList{m_folder + u"/d.xyz"});
        QCOMPARE(w.dialogs.messages().size(), 1);
        w.play().MnuMovieStop_Click();
    }

    void aMetafileIsOneRowPlayedThrough() {
        // Its entries (in a folder of their own) play in order inside the row; the end of the
        // last is the end of the row, and the list goes on.
        const QString parts = freshFolder(m_dir, QStringLiteral("parts"));
        QVERIFY(QFile::copy(playerMedia("tone.wav"), parts + u"/one.wav"));
        QVERIFY(QFile::copy(playerMedia("tone.wav"), parts + u"/two.wav"));
        QFile asx(m_folder + u"/a.asx");
        QVERIFY(asx.open(QIODevice::WriteOnly));
        asx.write(
            "<Asx><Entry><Ref Href=\"../parts/one.wav\"/></Entry>"
            "<Entry><Ref Href=\"../parts/two.wav\"/></Entry></Asx>");
        asx.close();
        put({{"tone.wav", "b.wav"}});
        Window w(m_ini, m_folder);
        QElapsedTimer clock;
        w.doubleClick(QStringLiteral("a.asx"));
        clock.start();
        QTRY_COMPARE_WITH_TIMEOUT(w.playState(), 1, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(w.selectedName(), QStringLiteral("b.wav"), 15000);
        // Two one-second entries were played before the row ended.
        QVERIFY2(clock.elapsed() >= 1800, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(w.row(QStringLiteral("a.asx")).iconKey, QStringLiteral("PLAY_END_KEY"));
        QVERIFY(w.dialogs.messages().isEmpty());
        w.play().MnuMovieStop_Click();
    }

    void aFolderOfMidiFilesPlaysThrough() {
        // A song, the same song as RMI, a damaged one: each plays in turn with the control bar
        // moving, and the damaged one gets the player's box.
        const QByteArray song = midi_bytes::shortSong();
        writeInFolder(u"a.mid"_qs, song);
        writeInFolder(u"b.rmi"_qs, midi_bytes::rmi(song, true, false));
        writeInFolder(u"c.mid"_qs, song.left(30));
        Window w(m_ini, m_folder, "*.mid;*.rmi");
        PlayerControlBar* bar = w.parts.players().mediaControls();
        w.doubleClick(QStringLiteral("a.mid"));
        QTRY_COMPARE(w.playState(), 1);
        QTRY_VERIFY(bar->timeText().endsWith(formatPlayTime(2.5)));
        QTRY_VERIFY(bar->seekSlider()->value() > 0);
        QTRY_COMPARE_WITH_TIMEOUT(w.selectedName(), QStringLiteral("b.rmi"), 10000);
        QCOMPARE(w.row(u"a.mid"_qs).iconKey, QStringLiteral("PLAY_END_KEY"));
        QTRY_COMPARE(w.playState(), 1);
        QTRY_VERIFY(bar->timeText().endsWith(formatPlayTime(2.5)));
        QTRY_COMPARE_WITH_TIMEOUT(w.selectedName(), QStringLiteral("c.mid"), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(!w.dialogs.messages().isEmpty(), 5000);
        QCOMPARE(w.dialogs.messages().first().title, player_msg::playerErrorTitle());
        QVERIFY(w.dialogs.messages().first().text.contains(player_msg::engineUnknownFormat()));
        w.play().MnuMovieStop_Click();
    }

    void theSoundFontIsASetting() {
        writeInFolder(u"a.mid"_qs, midi_bytes::shortSong());
        const QString missing = m_dir.filePath(QStringLiteral("gone.sf2"));
        Window w(m_ini, m_folder, "*.mid", {}, {}, "[Midi]\nSoundFont=" + missing.toUtf8() + "\n");
        w.doubleClick(QStringLiteral("a.mid"));
        QTRY_VERIFY_WITH_TIMEOUT(!w.dialogs.messages().isEmpty(), 5000);
        QVERIFY(w.dialogs.messages().first().text.contains(player_msg::soundFontMissing(missing)));
        // The original's sections are saved as they were; the new one is left to the user.
        w.form.close();
        QVERIFY(readText(m_ini).contains(u"[Midi]\nSoundFont=" + missing));
    }

    void ramM3uAndRealPixRowsPlayThroughTheirFailures() {
        // Each row plays its entries and then the list moves on: an M3U, a RAM whose last
        // entry is missing (reported, and still the end of the row), a RealPix show; a RAM that
        // names itself is refused with the player's error, and there the list stops.
        const QString parts = freshFolder(m_dir, QStringLiteral("parts"));
        QVERIFY(QFile::copy(playerMedia("tone.wav"), parts + u"/one.wav"));
        QVERIFY(QFile::copy(playerMedia("picture.png"), parts + u"/p.png"));
        writeInFolder(u"a.m3u"_qs, "#EXTM3U\n../parts/one.wav\n");
        writeInFolder(u"b.ram"_qs, "# sound\n\n../parts/one.wav\n../parts/missing.wav\n");
        writeInFolder(u"c.rp"_qs,
                      "<imfl><head duration=\"0.8\"/><image handle=\"1\" name=\"../parts/p.png\"/>"
                      "<fadein start=\"0\" target=\"1\"/></imfl>");
        writeInFolder(u"d.ram"_qs, "d.ram\n");
        Window w(m_ini, m_folder, "*.m3u;*.ram;*.rp;");
        w.doubleClick(QStringLiteral("a.m3u"));
        QTRY_COMPARE_WITH_TIMEOUT(w.selectedName(), QStringLiteral("d.ram"), 20000);
        QTRY_COMPARE_WITH_TIMEOUT(w.dialogs.messages().size(), 2, 5000);
        for (const ScriptedDialogs::Call& box : w.dialogs.messages()) {
            QCOMPARE(box.title, player_msg::playerErrorTitle());
        }
        for (const char* ended : {"a.m3u", "b.ram", "c.rp"}) {
            QCOMPARE(w.row(QString::fromLatin1(ended)).iconKey, QStringLiteral("PLAY_END_KEY"));
        }
        // The refusal does not start the list over again.
        QTest::qWait(500);
        QCOMPARE(w.selectedName(), QStringLiteral("d.ram"));
        QCOMPARE(w.dialogs.messages().size(), 2);
        w.play().MnuMovieStop_Click();
    }

private:
    void writeInFolder(const QString& name, const QByteArray& bytes) {
        writeFile(m_folder + u'/' + name, bytes);
    }

    QTemporaryDir m_dir;
    QString m_folder;
    QString m_ini;
};

QTEST_MAIN(TestPlayback)
#include "tst_playback.moc"
