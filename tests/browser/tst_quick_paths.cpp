// The remembered folders of the tree's menu: order, duplicates and the oldest dropping off.
#include <QTest>

#include "browser/quick_paths.h"

class TestQuickPaths : public QObject {
    Q_OBJECT

private slots:
    void newestFirstAndTheEighthPushesTheOldestOut() {
        QuickPaths paths;
        for (int i = 1; i <= 7; ++i) {
            QVERIFY(paths.AddQuickPath(QStringLiteral("/f%1").arg(i)));
        }
        QCOMPARE(paths.at(0), QStringLiteral("/f7"));
        QCOMPARE(paths.at(6), QStringLiteral("/f1"));
        QVERIFY(paths.AddQuickPath(QStringLiteral("/f8")));
        QCOMPARE(paths.at(0), QStringLiteral("/f8"));
        QCOMPARE(paths.at(6), QStringLiteral("/f2"));
        QVERIFY(!paths.QuickPathExists(QStringLiteral("/f1")));
    }

    void aFolderAlreadyThereChangesNothing() {
        QuickPaths paths;
        paths.AddQuickPath(QStringLiteral("/a"));
        paths.AddQuickPath(QStringLiteral("/b"));
        QVERIFY(!paths.AddQuickPath(QStringLiteral("/a")));
        QCOMPARE(paths.at(0), QStringLiteral("/b"));
        QCOMPARE(paths.at(1), QStringLiteral("/a"));
        // Case counts: another folder on a case-sensitive disk.
        QVERIFY(paths.AddQuickPath(QStringLiteral("/A")));
        QVERIFY(!paths.AddQuickPath(QString()));
    }

    void freeSlotsMoveDownAsFreeSlots() {
        QuickPaths paths;
        paths.set(0, QStringLiteral("/a"));
        paths.set(2, QStringLiteral("/c"));
        paths.PushQuickPath(QStringLiteral("/new"));
        QCOMPARE(paths.at(0), QStringLiteral("/new"));
        QCOMPARE(paths.at(1), QStringLiteral("/a"));
        QVERIFY(paths.at(2).isEmpty());
        QCOMPARE(paths.at(3), QStringLiteral("/c"));
    }

    void menuCaptionPerRecordingMode() {
        QCOMPARE(QuickPaths::quickAccessCaption(0),
                 QStringLiteral("クイックパスアクセス-毎回(&Q)"));
        QCOMPARE(QuickPaths::quickAccessCaption(1),
                 QStringLiteral("クイックパスアクセス-完了のみ(&Q)"));
        QCOMPARE(QuickPaths::quickAccessCaption(2),
                 QStringLiteral("クイックパスアクセス-記録なし(&Q)"));
        QCOMPARE(QuickPaths::quickAccessCaption(7),
                 QStringLiteral("クイックパスアクセス-記録なし(&Q)"));
    }
};

QTEST_GUILESS_MAIN(TestQuickPaths)
#include "tst_quick_paths.moc"
