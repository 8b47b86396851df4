#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "app/status_bar1.h"
#include "player/media_engine.h"
#include "player/mpv_engine.h"
#include "player/player_set.h"
#include "test_media_window.h"

using namespace Qt::StringLiterals;

namespace {

// Silent sound of this many seconds, small and quick to make.
bool makeSound(const QString& path, int seconds) {
    QProcess ffmpeg;
    ffmpeg.start(u"ffmpeg"_s, {u"-hide_banner"_s, u"-loglevel"_s, u"error"_s, u"-nostdin"_s,
                               u"-y"_s, u"-f"_s, u"lavfi"_s, u"-i"_s, u"anullsrc=r=8000:cl=mono"_s,
                               u"-t"_s, QString::number(seconds), u"-c:a"_s, u"pcm_u8"_s, path});
    return ffmpeg.waitForFinished(60000) && ffmpeg.exitCode() == 0;
}

}  // namespace

class TestPlayMemory : public QObject {
    Q_OBJECT

private slots:
    void placesMarksAndLastRowsOutliveTheWindow();
};

// A long file left in the middle starts there again in the next window (and from its start when
// asked); rows show how far they were played and which were played to their end; the folder
// opens on the row last played; the first unplayed row plays on its key.
void TestPlayMemory::placesMarksAndLastRowsOutliveTheWindow() {
    QTemporaryDir dir;
    const QString folder = dir.filePath(u"media"_s);
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(makeSound(folder + u"/a-long.wav"_s, 240));
    QVERIFY(makeSound(folder + u"/b-short.wav"_s, 2));
    QVERIFY(makeSound(folder + u"/c-next.wav"_s, 2));
    const QString ini = dir.filePath(u"quorvane.ini"_s);
    const QString history = dir.filePath(u"history.sqlite"_s);
    const auto position = [](MediaWindow& w) { return w.parts.players().mediaEngine().position(); };
    QString lastPlayed;
    {
        MediaWindow w(ini, folder, "*.wav", {}, {}, {}, history);
        w.doubleClick(u"a-long.wav"_s);
        QTRY_COMPARE_WITH_TIMEOUT(w.playState(), qint16(1), 10000);
        w.parts.players().mediaEngine().setPosition(120);
        QTRY_VERIFY_WITH_TIMEOUT(position(w) >= 120, 10000);
        // Another row: the long one is left at 2:00, and the short one plays to its end.
        w.doubleClick(u"b-short.wav"_s);
        QTRY_COMPARE_WITH_TIMEOUT(w.row(u"b-short.wav"_s).heard, std::uint8_t(100), 15000);
        const int heard = w.row(u"a-long.wav"_s).heard;
        QVERIFY2(heard >= 49 && heard <= 51, qPrintable(QString::number(heard)));
        QTest::qWait(500);
        lastPlayed = w.selectedName();
        QVERIFY(w.dialogs.calls().isEmpty());
    }

    MediaWindow w(ini, folder, "*.wav", {}, {}, {}, history);
    // The marks and the last row played come back with the folder.
    QTRY_COMPARE_WITH_TIMEOUT(w.row(u"b-short.wav"_s).heard, std::uint8_t(100), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(w.row(u"a-long.wav"_s).heard > 0, 10000);
    QVERIFY(lastPlayed != u"a-long.wav"_s);
    QTRY_COMPARE_WITH_TIMEOUT(w.selectedName(), lastPlayed, 10000);

    w.doubleClick(u"a-long.wav"_s);
    QTRY_COMPARE_WITH_TIMEOUT(w.playState(), qint16(1), 10000);
    QVERIFY(position(w) >= 117 && position(w) < 125);
    QCOMPARE(w.parts.statusBar1()->panelText(StatusBar1::FilesPanel), u"続きから再生 1:58"_s);

    // From its start, on its key.
    w.key(Qt::Key_B);
    QTRY_VERIFY_WITH_TIMEOUT(
        w.parts.players().mediaEngine().state() == EngineState::Playing && position(w) < 5, 10000);

    // The marks of a row forgotten; then the first row not played to its end plays.
    w.list().selectRow(w.list().rowOfKey(folder + u"/b-short.wav"_s));
    w.parts.commands().run(CommandId::ClearPlayMarks);
    QCOMPARE(w.row(u"b-short.wav"_s).heard, std::uint8_t(0));
    w.parts.commands().run(CommandId::PlayUnplayed);
    QTRY_COMPARE_WITH_TIMEOUT(w.selectedName(), u"a-long.wav"_s, 10000);
    QVERIFY(w.dialogs.calls().isEmpty());
}

QTEST_MAIN(TestPlayMemory)
#include "tst_play_memory.moc"
