#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QtTest>

#include "app/splash.h"

class TestSplash : public QObject {
    Q_OBJECT

private slots:
    void labels();
    void keyPressCloses();
    void clickOnTheFrameCloses_data();
    void clickOnTheFrameCloses();
};

void TestSplash::labels() {
    QPointer<frmSplash> splash = new frmSplash;
    splash->show();
    QCOMPARE(splash->lblVersion()->text(), QStringLiteral("V1.1.6"));
    QCOMPARE(splash->lblProductName()->text(), QStringLiteral("Quorvane"));
    QCOMPARE(splash->label1()->text(), QStringLiteral("For Windows2000/XP フリーソフト"));
    QCOMPARE(splash->findChild<QLabel*>(QStringLiteral("lblVersion")), splash->lblVersion());
    QCOMPARE(splash->findChild<QFrame*>(QStringLiteral("Frame1")), splash->frame1());
    QVERIFY(splash->findChild<QLabel*>(QStringLiteral("imgLogo")) != nullptr);
    QVERIFY(!splash->findChild<QLabel*>(QStringLiteral("imgLogo"))->pixmap().isNull());
    splash->close();
    QTRY_VERIFY(splash.isNull());
}

void TestSplash::keyPressCloses() {
    QPointer<frmSplash> splash = new frmSplash;
    splash->show();
    QVERIFY(QTest::qWaitForWindowExposed(splash));
    QTest::keyClick(splash, Qt::Key_A);
    QTRY_VERIFY(splash.isNull());

    splash = new frmSplash;
    splash->show();
    QVERIFY(QTest::qWaitForWindowExposed(splash));
    QTest::keyClick(splash, Qt::Key_Escape);
    QTRY_VERIFY(splash.isNull());
}

void TestSplash::clickOnTheFrameCloses_data() {
    QTest::addColumn<QString>("target");
    QTest::newRow("frame") << "Frame1";
    QTest::newRow("product name") << "lblProductName";
    QTest::newRow("logo") << "imgLogo";
}

void TestSplash::clickOnTheFrameCloses() {
    QFETCH(QString, target);
    QPointer<frmSplash> splash = new frmSplash;
    splash->show();
    QVERIFY(QTest::qWaitForWindowExposed(splash));
    QWidget* widget = splash->findChild<QWidget*>(target);
    QVERIFY(widget != nullptr);
    // The frame's margin, away from every label.
    const QPoint at = target == u"Frame1" ? QPoint(4, 4) : widget->rect().center();
    QTest::mouseClick(widget, Qt::LeftButton, {}, at);
    QTRY_VERIFY(splash.isNull());
}

QTEST_MAIN(TestSplash)
#include "tst_splash.moc"
