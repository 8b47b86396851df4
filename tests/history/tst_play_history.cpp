// The history as the window uses it: through its worker, on real files in a temporary folder,
// and on store files it cannot use.
#include <sqlite3.h>
#include <QDir>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "history/history_store.h"
#include "history/messages.h"
#include "history/play_history.h"
#include "test_files.h"

namespace {

constexpr qint64 kMinute = 60 * 1000;
constexpr int kAnswerWaitMs = 5000;

// Asks through ask(context, then) and waits for the answer; none when it does not come.
template <typename T, typename Ask>
std::optional<T> answer(Ask ask) {
    std::optional<T> got;
    QObject context;
    ask(&context, [&](const T& value) { got = value; });
    (void)QTest::qWaitFor([&] { return got.has_value(); }, kAnswerWaitMs);
    return got;
}

std::optional<ResumePoint> resumeOf(PlayHistory& history, const QString& path) {
    return answer<ResumePoint>(
        [&](QObject* context, auto then) { history.lookUpResume(path, context, then); });
}

std::optional<FolderHistory> folderOf(PlayHistory& history, const QString& folder,
                                      const QStringList& names) {
    std::vector<RowStamp> rows;
    for (const QString& name : names) {
        rows.push_back({name, FileStamp::of(folder + u'/' + name).value_or(FileStamp{})});
    }
    return answer<FolderHistory>(
        [&](QObject* context, auto then) { history.lookUpFolder(folder, rows, context, then); });
}

// A connection of the test's own on the store file, as another program would have.
struct Connection {
    explicit Connection(const QString& path) {
        sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    }
    ~Connection() { sqlite3_close(db); }
    bool exec(const char* sql) { return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == 0; }
    // The stored position of the file of that name; -1 when there is none.
    qint64 position(const QByteArray& name) {
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(db, "SELECT position FROM files WHERE name = ?1", -1, &statement,
                           nullptr);
        sqlite3_bind_blob(statement, 1, name.constData(), int(name.size()), SQLITE_TRANSIENT);
        const qint64 result =
            sqlite3_step(statement) == SQLITE_ROW ? sqlite3_column_int64(statement, 0) : -1;
        sqlite3_finalize(statement);
        return result;
    }

    sqlite3* db = nullptr;
};

enum class Unusable { Corrupt, Newer, Locked, CannotCreate };

}  // namespace

Q_DECLARE_METATYPE(Unusable)

class TestPlayHistory : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_media = m_dir->path() + u"/media";
        m_store = m_dir->path() + u"/store/quorvane-history.sqlite";
        writeFile(m_media + u"/a.avi", QByteArray(100, 'a'));
        writeFile(m_media + u"/b.avi", QByteArray(200, 'b'));
        writeFile(m_media + u"/c.avi", QByteArray(300, 'c'));
    }

    // Saved, committed without a close (as a killed program leaves it), answered, and still
    // there for the next run; a file replaced by another of another size starts from the top.
    void stateGoesThroughTheWorkerAndStays() {
        const QString a = m_media + u"/a.avi";
        {
            PlayHistory history(m_store);
            QSignalSpy unavailable(&history, &PlayHistory::unavailable);
            history.savePlayback(a, 40 * kMinute, 50 * kMinute, false);
            history.savePlayback(m_media + u"/b.avi", 10 * kMinute, 50 * kMinute, false);
            history.savePlayback(m_media + u"/b.avi", 48 * kMinute, 50 * kMinute, false);
            history.setLastRow(m_media, u"b.avi"_qs);
            // Read by another connection, opened anew each time (the file may not be there yet).
            QTRY_COMPARE_WITH_TIMEOUT(Connection(m_store).position("b.avi"), 48 * kMinute, 2000);

            const auto resume = resumeOf(history, a);
            QVERIFY(resume);
            QCOMPARE(resume->startMs, 40 * kMinute - 2000);
            const auto folder = folderOf(history, m_media, {u"a.avi"_qs, u"b.avi"_qs, u"c.avi"_qs});
            QVERIFY(folder);
            QCOMPARE(folder->size(), 2);
            QVERIFY(!folder->value(u"a.avi"_qs).played);
            QVERIFY(folder->value(u"b.avi"_qs).played);  // left past 95 %

            // A look-up whose context has gone is not answered.
            bool answered = false;
            auto gone = std::make_unique<QObject>();
            history.lookUpResume(a, gone.get(), [&](const ResumePoint&) { answered = true; });
            gone.reset();
            QVERIFY(resumeOf(history, a));  // answered in order, after the one above
            QVERIFY(!answered);
            QVERIFY(history.close());
            QCOMPARE(unavailable.count(), 0);
        }
        {
            PlayHistory history(m_store);
            QCOMPARE(resumeOf(history, a)->startMs, 40 * kMinute - 2000);
            QCOMPARE(answer<QString>([&](QObject* context, auto then) {
                         history.lookUpLastRow(m_media, context, then);
                     }),
                     u"b.avi"_qs);
        }
        writeFile(a, QByteArray(101, 'x'));
        PlayHistory history(m_store);
        QCOMPARE(resumeOf(history, a)->startMs, 0);
        QVERIFY(isAvailableAfterAnswers(history));
    }

    // A store it cannot use: the history answers nothing, says why once, and leaves the file.
    void unusableStoreRunsWithoutHistory_data() {
        QTest::addColumn<Unusable>("kind");
        QTest::newRow("corrupt") << Unusable::Corrupt;
        QTest::newRow("newer") << Unusable::Newer;
        QTest::newRow("locked") << Unusable::Locked;
        QTest::newRow("cannot create") << Unusable::CannotCreate;
    }
    void unusableStoreRunsWithoutHistory() {
        QFETCH(Unusable, kind);
        const QString a = m_media + u"/a.avi";
        std::unique_ptr<Connection> holder;
        QString reason;
        switch (kind) {
            case Unusable::Corrupt: {
                QByteArray noise(64 * 1024, Qt::Uninitialized);
                QRandomGenerator(7).fillRange(reinterpret_cast<quint32*>(noise.data()),
                                              noise.size() / 4);
                writeFile(m_store, noise);
                reason = history_msg::corrupt(m_store);
                break;
            }
            case Unusable::Newer:
                QDir().mkpath(QFileInfo(m_store).path());
                writeFile(m_store, QByteArray());
                QVERIFY(Connection(m_store).exec("CREATE TABLE t (x); PRAGMA user_version = 9"));
                reason = history_msg::newer(m_store);
                break;
            case Unusable::Locked: {
                PlayHistory before(m_store);
                before.savePlayback(a, 40 * kMinute, 50 * kMinute, false);
            }
                holder = std::make_unique<Connection>(m_store);
                QVERIFY(holder->exec("BEGIN IMMEDIATE"));
                reason = history_msg::locked(m_store);
                break;
            case Unusable::CannotCreate:
                writeFile(QFileInfo(m_store).path(), "a file where its folder would be");
                reason = history_msg::cannotCreate(m_store);
                break;
        }
        const QDir storeDir(QFileInfo(m_store).path());
        const QStringList filesBefore = storeDir.entryList(QDir::Files);
        const QByteArray bytesBefore = readFile(m_store);
        {
            PlayHistory history(m_store);
            QSignalSpy unavailable(&history, &PlayHistory::unavailable);
            history.savePlayback(a, 20 * kMinute, 50 * kMinute, false);
            history.setLastRow(m_media, u"a.avi"_qs);
            QCOMPARE(resumeOf(history, a)->startMs, 0);
            QCOMPARE(folderOf(history, m_media, {u"a.avi"_qs}), FolderHistory{});
            history.movePath(a, m_media + u"/d.avi");
            QCOMPARE(resumeOf(history, a)->startMs, 0);
            QCOMPARE(unavailable.count(), 1);
            QCOMPARE(unavailable.at(0).at(0).toString(), reason);
            QVERIFY(!history.isAvailable());
        }
        if (kind == Unusable::Locked) {
            holder.reset();
            PlayHistory history(m_store);
            QCOMPARE(resumeOf(history, a)->startMs, 40 * kMinute - 2000);
        } else {
            QCOMPARE(storeDir.entryList(QDir::Files), filesBefore);
            QCOMPARE(readFile(m_store), bytesBefore);
        }
    }

private:
    // True when a look-up has been answered and no failure was reported by then.
    static bool isAvailableAfterAnswers(PlayHistory& history) {
        return resumeOf(history, u"/nowhere"_qs).has_value() && history.isAvailable();
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_media;
    QString m_store;
};

QTEST_GUILESS_MAIN(TestPlayHistory)
#include "tst_play_history.moc"
