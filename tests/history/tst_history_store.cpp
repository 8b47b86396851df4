// The history store on a real file in a temporary folder, closed and opened again wherever a
// test checks what was kept.
#include <sys/stat.h>
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include "history/history_store.h"
#include "platform/file_name_codec.h"
#include "test_files.h"

namespace {

constexpr qint64 kMinute = 60 * 1000;
const FileStamp kStamp{1000, 1700000000};

int modeOf(const QString& path) {
    struct stat st {};
    return stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 0777) : -1;
}

std::vector<RowStamp> rows(const QStringList& names, FileStamp stamp = kStamp) {
    std::vector<RowStamp> result;
    for (const QString& name : names) {
        result.push_back({name, stamp});
    }
    return result;
}

FileHistory at(qint64 positionMs, qint64 durationMs, bool played = false) {
    return {positionMs, durationMs, played};
}

// A failed look-up as a state no file has, and as a folder no listing gives.
const FolderHistory kFailed{{u"<failed>"_qs, FileHistory{-1, -1, false}}};
FileHistory known(const std::optional<FileHistory>& file) {
    return file.value_or(FileHistory{-1, -1, false});
}

}  // namespace

char* toString(const FileHistory& file) {
    const QByteArray text = QByteArray::number(file.positionMs) + " of " +
                            QByteArray::number(file.durationMs) + (file.played ? " played" : "");
    return qstrdup(text.constData());
}

class TestHistoryStore : public QObject {
    Q_OBJECT

private slots:
    void init() {
        QVERIFY(m_dir.isValid());
        m_path = m_dir.path() + u"/state/quorvane/quorvane-history.sqlite";
        QFile::remove(m_path);
    }

    // Made private with its folders, and everything written is there after a reopen.
    void stateSurvivesReopen() {
        {
            HistoryStore store;
            QCOMPARE(store.open(m_path), HistoryStore::Status::Ready);
            QVERIFY(store.begin());
            QVERIFY(store.savePlayback(u"/m/show/ep1.mkv"_qs, kStamp, 40 * kMinute, 50 * kMinute,
                                       false));
            QVERIFY(store.savePlayback(u"/m/show/ep2.mkv"_qs, kStamp, 50 * kMinute, 50 * kMinute,
                                       true));
            // A later save of a played file does not unplay it.
            QVERIFY(store.savePlayback(u"/m/show/ep2.mkv"_qs, kStamp, 5 * kMinute, 50 * kMinute,
                                       false));
            QVERIFY(store.setLastRow(u"/m/show"_qs, u"ep2.mkv"_qs));
            QVERIFY(store.commit());
            QCOMPARE(modeOf(m_path + u"-wal"), 0600);
        }
        QCOMPARE(modeOf(m_path), 0600);
        QCOMPARE(modeOf(m_dir.path() + u"/state/quorvane"), 0700);
        HistoryStore store;
        QCOMPARE(store.open(m_path), HistoryStore::Status::Ready);
        QCOMPARE(known(store.file(u"/m/show/ep1.mkv"_qs, kStamp)), at(40 * kMinute, 50 * kMinute));
        QCOMPARE(known(store.file(u"/m/show/ep2.mkv"_qs, kStamp)),
                 at(5 * kMinute, 50 * kMinute, true));
        QCOMPARE(known(store.file(u"/m/show/ep3.mkv"_qs, kStamp)), FileHistory{});
        QCOMPARE(store.lastRow(u"/m/show/"_qs), u"ep2.mkv"_qs);
        QCOMPARE(store.lastRow(u"/m"_qs), QString());
    }

    // The same name in two folders, in a folder below, and in a folder whose name begins alike.
    void sameNameInOtherFoldersNeverMixes() {
        HistoryStore store;
        QCOMPARE(store.open(m_path), HistoryStore::Status::Ready);
        QVERIFY(store.savePlayback(u"/m/a/ep1.avi"_qs, kStamp, 10 * kMinute, 30 * kMinute, false));
        QVERIFY(store.savePlayback(u"/m/b/ep1.avi"_qs, kStamp, 20 * kMinute, 30 * kMinute, false));
        QVERIFY(store.savePlayback(u"/m/a/sub/ep1.avi"_qs, kStamp, 0, 30 * kMinute, true));
        QVERIFY(store.savePlayback(u"/m/a b/ep1.avi"_qs, kStamp, 0, 30 * kMinute, true));
        QVERIFY(store.savePlayback(u"/ep1.avi"_qs, kStamp, 7 * kMinute, 30 * kMinute, false));
        const auto a = store.folder(u"/m/a"_qs, rows({u"ep1.avi"_qs, u"ep2.avi"_qs}));
        QVERIFY(a);
        QCOMPARE(a->size(), 1);
        QCOMPARE(a->value(u"ep1.avi"_qs), at(10 * kMinute, 30 * kMinute));
        QCOMPARE(
            store.folder(u"/m/b"_qs, rows({u"ep1.avi"_qs})).value_or(kFailed).value(u"ep1.avi"_qs),
            at(20 * kMinute, 30 * kMinute));
        QCOMPARE(
            store.folder(u"/"_qs, rows({u"ep1.avi"_qs})).value_or(kFailed).value(u"ep1.avi"_qs),
            at(7 * kMinute, 30 * kMinute));
        QCOMPARE(known(store.file(u"/m/a/sub/ep1.avi"_qs, kStamp)), at(0, 30 * kMinute, true));
        // Only the rows asked for are answered.
        QVERIFY(store.folder(u"/m/a"_qs, rows({u"other.avi"_qs})).value_or(kFailed).isEmpty());
    }

    // Another size or time: the position goes (on disk too), the played mark stays.
    void changedFileLosesPositionKeepsMark() {
        const FileStamp bigger{2000, kStamp.mtime};
        const FileStamp newer{kStamp.size, kStamp.mtime + 1};
        {
            HistoryStore store;
            QCOMPARE(store.open(m_path), HistoryStore::Status::Ready);
            QVERIFY(store.savePlayback(u"/m/ep1.avi"_qs, kStamp, 10 * kMinute, 30 * kMinute, true));
            QVERIFY(
                store.savePlayback(u"/m/ep2.avi"_qs, kStamp, 10 * kMinute, 30 * kMinute, false));
            QVERIFY(
                store.savePlayback(u"/m/ep3.avi"_qs, kStamp, 10 * kMinute, 30 * kMinute, false));
            QCOMPARE(known(store.file(u"/m/ep1.avi"_qs, bigger)), at(0, 0, true));
            const auto folder =
                store.folder(u"/m"_qs, {{u"ep2.avi"_qs, newer}, {u"ep3.avi"_qs, kStamp}});
            QVERIFY(folder);
            QVERIFY(!folder->contains(u"ep2.avi"_qs));  // nothing left to show
            QCOMPARE(folder->value(u"ep3.avi"_qs), at(10 * kMinute, 30 * kMinute));
        }
        HistoryStore store;
        QCOMPARE(store.open(m_path), HistoryStore::Status::Ready);
        // Seen again with the old stamp, it does not get its position back.
        QCOMPARE(known(store.file(u"/m/ep1.avi"_qs, kStamp)), at(0, 0, true));
        QCOMPARE(known(store.file(u"/m/ep2.avi"_qs, newer)), FileHistory{});
        QCOMPARE(known(store.file(u"/m/ep3.avi"_qs, kStamp)), at(10 * kMinute, 30 * kMinute));
    }

    // A rename, a move to another folder, and a folder moved with everything below it, a name
    // that is not UTF-8 among them.
    void movesCarryState() {
        const QString odd = decodeFileName(QByteArray("caf\xe9.avi"));
        {
            HistoryStore store;
            QCOMPARE(store.open(m_path), HistoryStore::Status::Ready);
            QVERIFY(store.begin());
            QVERIFY(
                store.savePlayback(u"/m/in/ep1.avi"_qs, kStamp, 1 * kMinute, 30 * kMinute, false));
            QVERIFY(
                store.savePlayback(u"/m/in/ep2.avi"_qs, kStamp, 2 * kMinute, 30 * kMinute, false));
            QVERIFY(store.setLastRow(u"/m/in"_qs, u"ep1.avi"_qs));
            QVERIFY(
                store.savePlayback(u"/m/show/" + odd, kStamp, 3 * kMinute, 30 * kMinute, false));
            QVERIFY(store.savePlayback(u"/m/show/s2/ep1.avi"_qs, kStamp, 0, 30 * kMinute, true));
            QVERIFY(store.setLastRow(u"/m/show/s2"_qs, u"ep1.avi"_qs));
            QVERIFY(store.savePlayback(u"/m/show 2/ep1.avi"_qs, kStamp, 4 * kMinute, 30 * kMinute,
                                       false));
            // What was stored at the target before is replaced.
            QVERIFY(store.savePlayback(u"/n/show/s2/ep1.avi"_qs, kStamp, 9 * kMinute, 30 * kMinute,
                                       false));

            QVERIFY(store.movePath(u"/m/in/ep1.avi"_qs, u"/m/in/ep1.mkv"_qs));   // rename
            QVERIFY(store.movePath(u"/m/in/ep2.avi"_qs, u"/m/out/ep2.avi"_qs));  // move
            QVERIFY(store.movePath(u"/m/show"_qs, u"/n/show"_qs));               // folder
            QVERIFY(store.movePath(u"/m/in"_qs, u"/m/in/deeper"_qs));  // into itself: refused
            QVERIFY(store.commit());
        }
        HistoryStore store;
        QCOMPARE(store.open(m_path), HistoryStore::Status::Ready);
        QCOMPARE(known(store.file(u"/m/in/ep1.mkv"_qs, kStamp)), at(1 * kMinute, 30 * kMinute));
        QCOMPARE(known(store.file(u"/m/in/ep1.avi"_qs, kStamp)), FileHistory{});
        QCOMPARE(store.lastRow(u"/m/in"_qs), u"ep1.mkv"_qs);
        QCOMPARE(known(store.file(u"/m/out/ep2.avi"_qs, kStamp)), at(2 * kMinute, 30 * kMinute));
        QCOMPARE(known(store.file(u"/n/show/" + odd, kStamp)), at(3 * kMinute, 30 * kMinute));
        QCOMPARE(store.folder(u"/n/show"_qs, rows({odd})).value_or(kFailed).value(odd),
                 at(3 * kMinute, 30 * kMinute));
        QCOMPARE(known(store.file(u"/n/show/s2/ep1.avi"_qs, kStamp)), at(0, 30 * kMinute, true));
        QCOMPARE(store.lastRow(u"/n/show/s2"_qs), u"ep1.avi"_qs);
        QCOMPARE(store.lastRow(u"/m/show/s2"_qs), QString());
        QCOMPARE(known(store.file(u"/m/show/" + odd, kStamp)), FileHistory{});
        QCOMPARE(known(store.file(u"/m/show 2/ep1.avi"_qs, kStamp)), at(4 * kMinute, 30 * kMinute));
        QCOMPARE(store.fileCount(), 5);
    }

    // Clearing some marks, then everything: nothing of it can be read from the files after.
    void clearingForgets() {
        HistoryStore store;
        QCOMPARE(store.open(m_path), HistoryStore::Status::Ready);
        QVERIFY(store.begin());
        QVERIFY(store.savePlayback(u"/m/kept.avi"_qs, kStamp, 5 * kMinute, 30 * kMinute, false));
        QVERIFY(store.savePlayback(u"/m/gone.avi"_qs, kStamp, 0, 30 * kMinute, true));
        QVERIFY(store.savePlayback(u"/m/secret-title.avi"_qs, kStamp, 0, 30 * kMinute, true));
        QVERIFY(store.setLastRow(u"/m"_qs, u"secret-title.avi"_qs));
        QVERIFY(store.clearMarks({u"/m/gone.avi"_qs, u"/m/never.avi"_qs}));
        QVERIFY(store.commit());
        QCOMPARE(known(store.file(u"/m/gone.avi"_qs, kStamp)), FileHistory{});
        QCOMPARE(known(store.file(u"/m/kept.avi"_qs, kStamp)), at(5 * kMinute, 30 * kMinute));

        QVERIFY(store.clearAll());
        QCOMPARE(store.fileCount(), 0);
        QCOMPARE(store.lastRow(u"/m"_qs), QString());
        for (const QString& file : QDir(QFileInfo(m_path).path()).entryList(QDir::Files)) {
            const QByteArray bytes = readFile(QFileInfo(m_path).path() + u'/' + file);
            QVERIFY2(!bytes.contains("secret-title"), qPrintable(file));
        }
    }

private:
    QTemporaryDir m_dir;
    QString m_path;
};

QTEST_GUILESS_MAIN(TestHistoryStore)
#include "tst_history_store.moc"
