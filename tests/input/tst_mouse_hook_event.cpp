// The gesture recogniser on sequences of mouse messages, as the event filter feeds them: what is
// swallowed, which directions are recorded, and when a right click is handed back to be replayed.
#include <QTest>

#include "input/mouse_hook_event.h"

namespace {

using H = cMouseHookEvent;

// A recogniser whose events are written down as text, e.g. "start 4", "move 4 1", "end 1",
// "replay 10,10 12,10".
struct Recorder {
    Recorder() {
        H::Events e;
        e.OnActionStart = [this](int dir) { log << QStringLiteral("start %1").arg(dir); };
        e.OnActionMove = [this](int dir, int count) {
            log << QStringLiteral("move %1 %2").arg(dir).arg(count);
        };
        e.OnActionEnd = [this](int count) { log << QStringLiteral("end %1").arg(count); };
        e.replayRightClick = [this](QPoint press, QPoint release) {
            log << QStringLiteral("replay %1,%2 %3,%4")
                       .arg(press.x())
                       .arg(press.y())
                       .arg(release.x())
                       .arg(release.y());
        };
        hook.setEvents(std::move(e));
    }
    bool down(int x, int y) { return hook.FireGetMessage(H::WM_RBUTTONDOWN, x, y); }
    bool move(int x, int y) { return hook.FireGetMessage(H::WM_MOUSEMOVE, x, y); }
    bool up(int x, int y) { return hook.FireGetMessage(H::WM_RBUTTONUP, x, y); }
    QList<int> moves() const {
        QList<int> codes;
        for (int i = 0; i < hook.ActionCount(); ++i) {
            codes << hook.ActionMove(i);
        }
        return codes;
    }

    H hook;
    QStringList log;
};

}  // namespace

class TestMouseHookEvent : public QObject {
    Q_OBJECT

private slots:
    void stillClickIsReplayed() {
        Recorder r;
        // Moves with the button up go to the windows; the press is swallowed, the release not.
        QVERIFY(!r.move(5, 5));
        QVERIFY(r.down(100, 100));
        QVERIFY(r.hook.isTracking());
        QVERIFY(!r.up(100, 100));
        QCOMPARE(r.log, QStringList{u"replay 100,100 100,100"_qs});
        // The replayed press and release pass through unchanged, and end the replay.
        QVERIFY(r.hook.isReplaying());
        QVERIFY(!r.down(100, 100));
        QVERIFY(!r.hook.isTracking());
        QVERIFY(!r.up(100, 100));
        QVERIFY(!r.hook.isReplaying());
        QCOMPARE(r.log.size(), 1);
        // The next press is a gesture's again.
        QVERIFY(r.down(0, 0));
    }

    void shortOrDiagonalDragsRecordNothing() {
        // 8 pixels, then exactly 10 (the threshold must be passed), then a 45-degree drag that
        // only moves the anchor: the release replays a click from the press to the release.
        Recorder r;
        r.down(100, 100);
        QVERIFY(r.move(100, 108));  // swallowed although nothing is recorded
        QVERIFY(r.move(110, 100));
        QVERIFY(r.move(130, 120));
        // From the moved anchor, 9 down and 3 across is 3:1 exactly but only 9.5 long.
        QVERIFY(r.move(133, 129));
        QCOMPARE(r.hook.ActionCount(), 0);
        r.up(133, 129);
        QCOMPARE(r.log, QStringList{u"replay 100,100 133,129"_qs});
    }

    void threeToOneOnExactQuotients() {
        // 12 down and 4 across: 12 / 3 = 4 >= 4, a stroke down. 12 down and 5 across is not.
        Recorder r;
        r.down(0, 0);
        r.move(5, 12);
        QCOMPARE(r.hook.ActionCount(), 0);
        r.move(9, 24);  // 12 down, 4 across from the anchor (5, 12)
        QCOMPARE(r.moves(), QList<int>{H::Down});
        // Leftwards: 30 across, 10 up is exactly 3:1.
        r.move(-21, 14);
        QCOMPARE(r.moves(), (QList<int>{H::Down, H::Left}));
    }

    void strokesMergeAndCount() {
        // Down 50 in steps, a diagonal wiggle, down again: one code. Then right: two codes,
        // each reported with the count so far.
        Recorder r;
        r.down(200, 200);
        r.move(200, 220);
        r.move(200, 250);
        r.move(215, 265);  // diagonal: nothing, anchor moves
        r.move(215, 290);
        QCOMPARE(r.moves(), QList<int>{H::Down});
        r.move(260, 290);
        QCOMPARE(r.moves(), (QList<int>{H::Down, H::Right}));
        QVERIFY(!r.up(260, 290));
        QCOMPARE(r.log, (QStringList{u"start 4"_qs, u"move 4 1"_qs, u"move 2 2"_qs, u"end 2"_qs}));
        // The last gesture stays readable until the next press; indices outside it give -1.
        QCOMPARE(r.hook.ActionMove(1), int(H::Right));
        QCOMPARE(r.hook.ActionMove(2), -1);
        QCOMPARE(r.hook.ActionMove(-1), -1);
        QCOMPARE(r.hook.MaxAction(), 8);
        // After the release moves belong to the windows again.
        QVERIFY(!r.move(0, 0));
        r.down(0, 0);
        QCOMPARE(r.hook.ActionCount(), 0);
    }

    void atMostEightCodes() {
        Recorder r;
        r.down(0, 0);
        const QPoint steps[] = {{0, 20}, {20, 0},  {0, -20}, {20, 0}, {0, 20},
                                {20, 0}, {0, -20}, {20, 0},  {0, 20}};
        QPoint at(0, 0);
        for (const QPoint step : steps) {
            at += step;
            r.move(at.x(), at.y());
        }
        QCOMPARE(r.moves(), (QList<int>{H::Down, H::Right, H::Up, H::Right, H::Down, H::Right,
                                        H::Up, H::Right}));
        QCOMPARE(r.log.last(), u"move 2 8"_qs);
        r.up(at.x(), at.y());
        QCOMPARE(r.log.last(), u"end 8"_qs);
    }

    void cancelAndUnseenPress() {
        Recorder r;
        // A listener that cancels a message has it swallowed and nothing recognised.
        H::Events e;
        e.OnGetMessage = [](int msg, int, int, bool& cancel) { cancel = msg == H::WM_RBUTTONDOWN; };
        H cancelling(std::move(e));
        QVERIFY(cancelling.FireGetMessage(H::WM_RBUTTONDOWN, 0, 0));
        QVERIFY(!cancelling.isTracking());

        // A release whose press was never seen, or a gesture whose release was lost, replays
        // no click.
        QVERIFY(!r.up(50, 50));
        r.down(10, 10);
        r.hook.CancelTracking();
        QVERIFY(!r.move(10, 40));
        QVERIFY(!r.up(10, 40));
        QVERIFY(r.log.isEmpty());
    }
};

QTEST_APPLESS_MAIN(TestMouseHookEvent)
#include "tst_mouse_hook_event.moc"
