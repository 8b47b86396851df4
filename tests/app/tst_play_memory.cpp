#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <memory>

#include "app/folder_marks.h"
#include "app/status_bar1.h"
#include "history/history_store.h"
#include "player/media_engine.h"
#include "player/mpv_engine.h"
#include "player/player_set.h"
#include "test_media_window.h"

using namespace Qt::StringLiterals;

class TestPlayMemory : public QObject {
    Q_OBJECT

private slots:
    void folderMarksFollowTheFilesStamps();
    void placesMarksAndLastRowsOutliveTheWindow();
    void aKilledProgramResumesWhereItWasLeft();
};

// A listing's rows get the stored marks by name; a file changed since it was left shows no
// progress but stays played; marks not given in time leave the rows as they are.
void TestPlayMemory::folderMarksFollowTheFilesStamps() {
    const auto file = [](const char* name, qint64 bytes) {
        FileRow row;
        row.text = QString::fromUtf8(name);
        row.bytes = bytes;
        row.time = 1700000000;
        return row;
    };
    std::vector<FileRow> rows{file("half.mkv", 10), file("changed.mkv", 99), file("done.mkv", 99),
                              file("new.mkv", 10), file("half.mkv", 10)};
    rows.back().folder = true;  // a folder of a file's name is no file
    const qint64 minutes50 = 50 * 60 * 1000;
    FolderMarks late;
    QVERIFY(!late.mark(rows, std::chrono::milliseconds(1)));
    FolderMarks marks;
    marks.give({{u"half.mkv"_s, {10, 1700000000}, {minutes50 / 2, minutes50, false}},
                {u"changed.mkv"_s, {10, 1700000000}, {minutes50 / 2, minutes50, false}},
                {u"done.mkv"_s, {10, 1700000000}, {0, minutes50, true}}});
    QVERIFY(marks.mark(rows, std::chrono::milliseconds(0)));
    const std::vector<int> heard{rows[0].heard, rows[1].heard, rows[2].heard, rows[3].heard,
                                 rows[4].heard};
    QCOMPARE(heard, (std::vector<int>{50, 0, 100, 0, 0}));
}

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
    // The marks and the last row played come back with the folder, the marks on its rows.
    QTRY_COMPARE_WITH_TIMEOUT(w.row(u"b-short.wav"_s).heard, std::uint8_t(100), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(w.row(u"a-long.wav"_s).heard > 0, 10000);
    QVERIFY(w.list().marksShown());
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

// The real program, handed a long file, killed without warning while it plays: the history
// holds its place to the last few seconds, and the next start goes on from there.
void TestPlayMemory::aKilledProgramResumesWhereItWasLeft() {
    QTemporaryDir dir;
    const QString exe = dir.filePath(u"quorvane"_s);
    QVERIFY(QFile::copy(QStringLiteral(QUORVANE_BIN), exe));
    const QString media = dir.filePath(u"media"_s);
    QVERIFY(QDir().mkpath(media));
    const QString file = media + u"/lecture.wav"_s;
    QVERIFY(makeSound(file, 240));
    QFile ini(dir.filePath(u"quorvane.ini"_s));
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.close();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    env.insert(u"XDG_RUNTIME_DIR"_s, dir.path());
    const auto storedMs = [&] {
        HistoryStore store;
        if (store.open(dir.filePath(u"quorvane-history.sqlite"_s)) != HistoryStore::Status::Ready) {
            return qint64(-1);
        }
        const std::optional<FileStamp> stamp = FileStamp::of(file);
        const std::optional<FileHistory> stored = stamp ? store.file(file, *stamp) : std::nullopt;
        return stored ? stored->positionMs : qint64(-1);
    };
    const auto runFor = [&](int ms) {
        QProcess program;
        program.setProcessEnvironment(env);
        program.setStandardOutputFile(QProcess::nullDevice());
        program.setStandardErrorFile(QProcess::nullDevice());
        program.start(exe, {file});
        QVERIFY(program.waitForStarted(10000));
        QTest::qWait(ms);
        ::kill(static_cast<pid_t>(program.processId()), SIGKILL);
        QVERIFY(program.waitForFinished(10000));
        QFile::remove(dir.filePath(u"quorvane.lock"_s));
    };

    runFor(20000);
    const qint64 first = storedMs();
    QVERIFY2(first >= 12000, qPrintable(QString::number(first)));  // past the first 10 s
    // Started again on the same file, it goes on from there (less two seconds) rather than
    // from the start.
    runFor(8000);
    const qint64 second = storedMs();
    QVERIFY2(second > first, qPrintable(u"%1 then %2"_s.arg(first).arg(second)));
}

QTEST_MAIN(TestPlayMemory)
#include "tst_play_memory.moc"
