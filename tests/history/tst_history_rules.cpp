// The pure rules of the history: where a file resumes, when it counts as played, how far it
// shows, the note that says so, and where the history file lives.
#include <QtTest>

#include "history/history_location.h"
#include "history/resume_rules.h"

namespace {

constexpr qint64 kSecond = 1000;
constexpr qint64 kMinute = 60 * kSecond;

}  // namespace

class TestHistoryRules : public QObject {
    Q_OBJECT

private slots:
    void resumeAndPlayedEdges_data() {
        QTest::addColumn<qint64>("position");
        QTest::addColumn<qint64>("duration");
        QTest::addColumn<bool>("reachedEnd");
        QTest::addColumn<qint64>("start");  // 0: from the beginning
        QTest::addColumn<bool>("played");
        QTest::addColumn<double>("progress");  // -1: none shown
        QTest::addColumn<QString>("note");     // for a start other than 0
        QTest::newRow("in the middle")
            << 40 * kMinute << 50 * kMinute << false << 40 * kMinute - 2 * kSecond << false << 0.8
            << u"続きから再生 39:58"_qs;
        QTest::newRow("three minutes long")
            << kMinute << 3 * kMinute << false << kMinute - 2 * kSecond << false << 1.0 / 3
            << u"続きから再生 0:58"_qs;
        QTest::newRow("just under three minutes")
            << kMinute << 3 * kMinute - 1 << false << 0ll << false << -1.0 << QString();
        QTest::newRow("in the first ten seconds")
            << 10 * kSecond - 1 << 50 * kMinute << false << 0ll << false << -1.0 << QString();
        QTest::newRow("at ten seconds") << 10 * kSecond << 50 * kMinute << false << 8 * kSecond
                                        << false << 1.0 / 300 << u"続きから再生 0:08"_qs;
        QTest::newRow("just before the last 5 %")
            << 190 * kSecond - 1 << 200 * kSecond << false << 188 * kSecond - 1 << false
            << 0.95 - 0.001 / 200 << u"続きから再生 3:07"_qs;
        QTest::newRow("at 95 %") << 190 * kSecond << 200 * kSecond << false << 0ll << true << -1.0
                                 << QString();
        QTest::newRow("past its end")
            << 201 * kSecond << 200 * kSecond << false << 0ll << true << -1.0 << QString();
        QTest::newRow("reached the end, length unknown")
            << 0ll << 0ll << true << 0ll << true << -1.0 << QString();
        QTest::newRow("length unknown")
            << 5 * kMinute << 0ll << false << 0ll << false << -1.0 << QString();
        QTest::newRow("over an hour")
            << 62 * kMinute + 5 * kSecond << 2 * 60 * kMinute << false << 62 * kMinute + 3 * kSecond
            << false << (62 * 60 + 5) / 7200.0 << u"続きから再生 1:02:03"_qs;
    }
    void resumeAndPlayedEdges() {
        QFETCH(qint64, position);
        QFETCH(qint64, duration);
        QFETCH(bool, reachedEnd);
        QFETCH(qint64, start);
        QFETCH(bool, played);
        QFETCH(double, progress);
        QFETCH(QString, note);
        QCOMPARE(resumePositionMs(position, duration), start);
        QCOMPARE(countsAsPlayed(position, duration, reachedEnd), played);
        const auto shown = progressFraction({position, duration, played});
        QCOMPARE(shown.has_value(), progress >= 0);
        if (shown) {
            QCOMPARE(*shown, progress);
        }
        if (start != 0) {
            QCOMPARE(resumeText(start), note);
        }
    }

    // Beside the settings file when that is beside the program, else in the state folder.
    void historyFileLocation() {
        const QString defaultHome = QDir::homePath() + u"/.local/state";
        QCOMPARE(historyFilePathFor(u"/opt/qv/quorvane.ini"_qs, u"/opt/qv/"_qs, u"quorvane"_qs,
                                    u"/home/u/.local/state"_qs),
                 u"/opt/qv/quorvane-history.sqlite"_qs);
        QCOMPARE(historyFilePathFor(u"/home/u/.config/quorvane/qv2.ini"_qs, u"/opt/qv"_qs,
                                    u"qv2"_qs, u"/home/u/.local/state"_qs),
                 u"/home/u/.local/state/quorvane/qv2-history.sqlite"_qs);

        const QByteArray saved = qgetenv("XDG_STATE_HOME");
        qputenv("XDG_STATE_HOME", "/srv/state");
        QCOMPARE(stateHome(), u"/srv/state"_qs);
        qputenv("XDG_STATE_HOME", "relative/state");  // not absolute: ignored
        QCOMPARE(stateHome(), defaultHome);
        qunsetenv("XDG_STATE_HOME");
        QCOMPARE(stateHome(), defaultHome);
        if (!saved.isEmpty()) {
            qputenv("XDG_STATE_HOME", saved);
        }
    }
};

QTEST_GUILESS_MAIN(TestHistoryRules)
#include "tst_history_rules.moc"
