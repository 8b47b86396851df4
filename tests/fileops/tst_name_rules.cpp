// The rules a typed name and an extension change follow, without windows.
#include <QTemporaryDir>
#include <QtTest>

#include "fileops/ext_change_dialog.h"
#include "fileops/messages.h"
#include "fileops/name_check.h"

using namespace Qt::StringLiterals;

class TestNameRules : public QObject {
    Q_OBJECT

private slots:
    void typedNamesStayNames() {
        QTemporaryDir dir;
        const QString folder = dir.path();
        QCOMPARE(newNameProblem(u"a b.txt"_s, folder), QString());
        QCOMPARE(newNameProblem(u"日本語.mp3"_s, folder), QString());
        QCOMPARE(newNameProblem(u"..."_s, folder), QString());
        QCOMPARE(newNameProblem(u"sub/x"_s, folder), fileops_msg::badNameSlash());
        QCOMPARE(newNameProblem(u"."_s, folder), fileops_msg::badNameDots());
        QCOMPARE(newNameProblem(u".."_s, folder), fileops_msg::badNameDots());
        QCOMPARE(newNameProblem(u"a"_s + QChar(0) + u"b", folder), fileops_msg::badNameNul());
        // The limit is in bytes: 85 three-byte characters fit in 255, 86 do not.
        QCOMPARE(newNameProblem(QString(85, QChar(0x3042)), folder), QString());
        QCOMPARE(newNameProblem(QString(86, QChar(0x3042)), folder),
                 fileops_msg::badNameTooLong(255));
    }

    void extensionChanges_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("option");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("changed");
        QTest::newRow("upper") << u"a.mp3"_s << 0 << QString() << u"a.MP3"_s;
        QTest::newRow("already upper") << u"a.MP3"_s << 0 << QString() << QString();
        QTest::newRow("lower, last dot only") << u"a.b.JPG"_s << 1 << QString() << u"a.b.jpg"_s;
        QTest::newRow("typed") << u"a.jpeg"_s << 2 << u"JPG"_s << u"a.JPG"_s;
        QTest::newRow("typed, same") << u"a.JPG"_s << 2 << u"JPG"_s << QString();
        // A name without an extension never gets the list's placeholder text.
        QTest::newRow("no extension, case") << u"README"_s << 0 << QString() << QString();
        QTest::newRow("no extension, typed") << u"README"_s << 2 << u"txt"_s << u"README.txt"_s;
    }
    void extensionChanges() {
        QFETCH(QString, name);
        QFETCH(int, option);
        QFETCH(QString, typed);
        QFETCH(QString, changed);
        QCOMPARE(changedExtensionName(name, option, typed), changed);
    }

    void typedExtensionIsOneToThreeCharacters() {
        QVERIFY(typedExtensionValid(u"j"_s));
        QVERIFY(typedExtensionValid(u"JPG"_s));
        QVERIFY(!typedExtensionValid(u"jpeg"_s));
        QVERIFY(!typedExtensionValid(QString()));
    }
};

QTEST_GUILESS_MAIN(TestNameRules)
#include "tst_name_rules.moc"
