#include <QSignalSpy>
#include <QTest>
#include <QWidget>

#include "app/splitter_bar.h"

class TestSplitterBar : public QObject {
    Q_OBJECT
private slots:
    void barReportsDragWithOffset_data();
    void barReportsDragWithOffset();
    void otherButtonsAreNoDrag();
    void shadowLineIsHiddenAndDrawnInShadowColour();
};

void TestSplitterBar::barReportsDragWithOffset_data() {
    QTest::addColumn<Qt::Orientation>("orientation");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<Qt::CursorShape>("cursor");
    QTest::addColumn<QList<QPoint>>("moves");
    QTest::addColumn<QList<int>>("offsets");

    QTest::newRow("between the columns")
        << Qt::Vertical << QRect(232, 32, 9, 300) << Qt::SplitHCursor
        << QList<QPoint>{{30, 40}, {-20, 200}, {4, 5}} << QList<int>{30, -20, 4};
    QTest::newRow("between tree and list")
        << Qt::Horizontal << QRect(8, 184, 223, 7) << Qt::SplitVCursor
        << QList<QPoint>{{40, 30}, {200, -20}, {5, 4}} << QList<int>{30, -20, 4};
}

void TestSplitterBar::barReportsDragWithOffset() {
    QFETCH(Qt::Orientation, orientation);
    QFETCH(QRect, geometry);
    QFETCH(Qt::CursorShape, cursor);
    QFETCH(QList<QPoint>, moves);
    QFETCH(QList<int>, offsets);

    QWidget window;
    window.resize(800, 600);
    SplitterBar bar(orientation, &window);
    bar.setGeometry(geometry);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(bar.cursor().shape(), cursor);

    QSignalSpy pressed(&bar, &SplitterBar::pressed);
    QSignalSpy moved(&bar, &SplitterBar::moved);
    QSignalSpy released(&bar, &SplitterBar::released);

    QTest::mousePress(&bar, Qt::LeftButton, {}, QPoint(2, 2));
    QCOMPARE(pressed.count(), 1);
    QCOMPARE(released.count(), 0);

    for (const QPoint& p : moves) {
        QTest::mouseMove(&bar, p);
    }
    QCOMPARE(moved.count(), offsets.size());
    for (int i = 0; i < offsets.size(); ++i) {
        QCOMPARE(moved.at(i).at(0).toInt(), offsets.at(i));
    }

    // The bar does not move itself: the window moves it on release.
    QTest::mouseRelease(&bar, Qt::LeftButton, {}, moves.last());
    QCOMPARE(released.count(), 1);
    QCOMPARE(bar.geometry(), geometry);
    QCOMPARE(pressed.count(), 1);
}

void TestSplitterBar::otherButtonsAreNoDrag() {
    QWidget window;
    window.resize(400, 300);
    SplitterBar bar(Qt::Vertical, &window);
    bar.setGeometry(100, 10, 9, 200);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QSignalSpy pressed(&bar, &SplitterBar::pressed);
    QSignalSpy moved(&bar, &SplitterBar::moved);
    QSignalSpy released(&bar, &SplitterBar::released);

    QTest::mousePress(&bar, Qt::RightButton, {}, QPoint(2, 2));
    QTest::mouseMove(&bar, QPoint(40, 2));
    QTest::mouseRelease(&bar, Qt::RightButton, {}, QPoint(40, 2));
    QCOMPARE(pressed.count(), 0);
    QCOMPARE(moved.count(), 0);
    QCOMPARE(released.count(), 0);
}

void TestSplitterBar::shadowLineIsHiddenAndDrawnInShadowColour() {
    QWidget window;
    window.resize(400, 300);
    QWidget pane(&window);
    pane.setGeometry(0, 0, 400, 300);
    ShadowLine line(&window);
    line.setGeometry(100, 10, 2, 200);
    pane.raise();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(!line.isVisible());
    QVERIFY(line.testAttribute(Qt::WA_TransparentForMouseEvents));

    // Shown during a drag, it comes up over the pane it crosses.
    line.show();
    QCOMPARE(window.childAt(101, 50), &pane);  // clicks go through to the pane
    QCOMPARE(window.children().last(), &line);
    const QImage image = window.grab().toImage();
    const QRgb shadow = line.palette().color(QPalette::Dark).rgb();
    QCOMPARE(image.pixel(100, 50), shadow);
    QCOMPARE(image.pixel(101, 209), shadow);
    QVERIFY(image.pixel(99, 50) != shadow);
    QVERIFY(image.pixel(102, 50) != shadow);
}

QTEST_MAIN(TestSplitterBar)
#include "tst_splitter_bar.moc"
