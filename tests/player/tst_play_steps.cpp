// The play list's arithmetic: where a step goes, which rows it marks, when the slide-show timer
// is armed, and how the window is fitted to a picture.
#include <QTest>

#include "player/messages.h"
#include "player/play_steps.h"

class TestPlaySteps : public QObject {
    Q_OBJECT

private slots:
    void stepsMoveAndWrap_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("current");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("target");
        QTest::addColumn<int>("leftRow");
        QTest::addColumn<QString>("leftIcon");
        QTest::newRow("next") << 0 << 1 << 5 << 2 << 1 << u"NextDwn"_qs;
        // The end wraps round and leaves the row it came from as it was.
        QTest::newRow("next on the last") << 0 << 4 << 5 << 0 << -1 << QString();
        QTest::newRow("previous") << 1 << 3 << 5 << 2 << 3 << u"NextUp"_qs;
        QTest::newRow("previous on the first") << 1 << 0 << 5 << 4 << -1 << QString();
        QTest::newRow("one row, next") << 0 << 0 << 1 << 0 << -1 << QString();
        QTest::newRow("one row, previous") << 1 << 0 << 1 << 0 << -1 << QString();
        QTest::newRow("again") << 2 << 3 << 5 << 3 << -1 << QString();
        QTest::newRow("resume") << 3 << 3 << 5 << 3 << -1 << QString();
    }
    void stepsMoveAndWrap() {
        QFETCH(int, mode);
        QFETCH(int, current);
        QFETCH(int, count);
        const StepMove move = stepMove(mode, current, count);
        QTEST(move.target, "target");
        QTEST(move.leftRow, "leftRow");
        QTEST(move.leftIcon, "leftIcon");
    }

    void stepsPassOverFolders() {
        // Rows 0-1 folders, 2-4 files, 5 a folder.
        const auto folder = [](int row) { return row < 2 || row == 5; };
        StepMove move = stepMove(0, 4, 6, folder);
        QCOMPARE(move.target, 2);  // over the folder at the end and the two at the top
        QCOMPARE(move.leftRow, 4);
        move = stepMove(1, 2, 6, folder);
        QCOMPARE(move.target, 4);
        QCOMPARE(move.leftRow, 2);
        QCOMPARE(move.leftIcon, u"NextUp"_qs);
        // Nothing but folders besides the row on show: the step comes back to it.
        QCOMPARE(stepMove(0, 3, 4, [](int row) { return row != 3; }).target, 3);
    }

    void slideTimerByKindAndInterval() {
        for (const char* ext : {"bmp", "png", "jpeg", "jpg", "gif"}) {
            QVERIFY(slideTimerApplies(true, 0, QString::fromLatin1(ext)));
        }
        QVERIFY(!slideTimerApplies(true, 0, u"avi"_qs));
        QVERIFY(!slideTimerApplies(true, 0, u"tif"_qs));
        QVERIFY(slideTimerApplies(true, 1, u"avi"_qs));
        QVERIFY(!slideTimerApplies(false, 1, u"jpg"_qs));
        QVERIFY(!slideTimerApplies(true, 2, u"jpg"_qs));
        QCOMPARE(slideTimerInterval(1), 2000);
        QCOMPARE(slideTimerInterval(3), 4000);
        QCOMPARE(slideTimerInterval(30), 31000);
    }

    void windowFitsThePicture() {
        WindowFit fit;
        fit.twipsPerPixelX = fit.twipsPerPixelY = 15;
        fit.treeWidth = 3000;
        fit.playerWidth = 8000;
        fit.screenWidth = 19200;
        fit.window = QSize(12180, 9165);
        // 640 x 480 at 15 twips a pixel: 9600 x 7200 twips; the window widens by the player's
        // shortfall and takes the picture's height plus 3200.
        QCOMPARE(fittedWindowSize(fit, QSize(640, 480)), QSize(12180 - (8000 - 9600), 10400));
        // Tree and player wider than the screen: the window stays.
        fit.screenWidth = 10999;
        QCOMPARE(fittedWindowSize(fit, QSize(640, 480)), std::nullopt);
        fit.screenWidth = 11000;
        QVERIFY(fittedWindowSize(fit, QSize(640, 480)).has_value());
        // The floor that keeps the list a few rows wins over a small picture.
        fit.minHeight = 7000;
        QCOMPARE(fittedWindowSize(fit, QSize(64, 48))->height(), 7000);
        QCOMPARE(fittedWindowSize(fit, QSize(640, 480))->height(), 10400);
        // No picture size: nothing to fit to.
        QCOMPARE(fittedWindowSize(fit, QSize(0, 480)), std::nullopt);
    }

    void captionsAndTips() {
        const QString title = u"Quorvane Ver1.1.6"_qs;
        QCOMPARE(player_msg::clipCaption(title, u"a.wav"_qs, u"43.1 KB"_qs, u"/m"_qs),
                 u"Quorvane Ver1.1.6 - a.wav(43.1 KB) - /m"_qs);
        // The unit once, whatever it is; a bare number is in KB.
        QCOMPARE(player_msg::clipCaption(title, u"a.wav"_qs, u"1.20 MB"_qs, u"/m"_qs),
                 u"Quorvane Ver1.1.6 - a.wav(1.20 MB) - /m"_qs);
        QCOMPARE(player_msg::clipCaption(title, u"a.wav"_qs, u"53"_qs, u"/m"_qs),
                 u"Quorvane Ver1.1.6 - a.wav(53KB) - /m"_qs);
        QCOMPARE(player_msg::clipCaption(title, u"c.avi"_qs, 160, 120, u"305 KB"_qs, u"/m"_qs),
                 u"Quorvane Ver1.1.6 - c.avi(160x120 - 305 KB) - /m"_qs);
        QCOMPARE(player_msg::repeatTip(u"b.wav"_qs), u"b.wavは、リピート再生中です。"_qs);
        QCOMPARE(player_msg::ratePanelText(0.1), u"0.1 x"_qs);
        QCOMPARE(player_msg::ratePanelText(4.0), u"4.0 x"_qs);
    }
};

QTEST_MAIN(TestPlaySteps)
#include "tst_play_steps.moc"
