// The window's own keys read and written as the file keeps them, and the choice of the folder the
// browser starts in.
#include <QTest>

#include "settings/settings_catalogue.h"
#include "settings/window_settings.h"

using namespace Qt::StringLiterals;

class TestWindowSettings : public QObject {
    Q_OBJECT

private slots:
    void windowKeysRoundTrip() {
        WindowSettings w;
        w.left = -45;
        w.top = 1200;
        w.windowState = 2;
        w.realAudioHeight = {300.5f, 0};
        w.realAudioWidth = {0, 4000};
        w.mediaHeight = 2880;
        w.mediaWidth = 3840;
        w.splitterLeft = 5400;
        w.splitterTop = 0;
        SettingValues values;
        storeWindowSettings(w, values);
        values.set(Setting::Width, 12180);
        values.set(Setting::Height, 9165);
        values.set(Setting::BootPosition, 1);
        const WindowSettings back = windowSettingsOf(values);
        QCOMPARE(back.left, -45);
        QCOMPARE(back.top, 1200);
        QCOMPARE(back.width, 12180);
        QCOMPARE(back.height, 9165);
        QCOMPARE(back.windowState, 2);
        QVERIFY(back.centre);
        QCOMPARE(back.realAudioHeight, w.realAudioHeight);
        QCOMPARE(back.realAudioWidth, w.realAudioWidth);
        QCOMPARE(back.mediaHeight, 2880.0f);
        QCOMPARE(back.splitterLeft, 5400.0f);
        // The size is the shared state's to write; the window keys leave it alone.
        SettingValues written;
        storeWindowSettings(w, written);
        QVERIFY(!written.has(Setting::Width) && !written.has(Setting::BootPosition));
    }

    void startFolder_data() {
        QTest::addColumn<QString>("given");
        QTest::addColumn<int>("searchPath");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("reachable");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("netDrive");
        QTest::newRow("given wins")
            << u"/given"_s << 1 << u"/net/share/a"_s << true << u"/given"_s << QString();
        QTest::newRow("stored on a network volume")
            << QString() << 1 << u"/net/share/a"_s << true << u"/net/share/a"_s << u"/net/share"_s;
        QTest::newRow("stored on a local volume")
            << QString() << 1 << u"/home/u/v"_s << true << u"/home/u/v"_s << QString();
        QTest::newRow("not asked for")
            << QString() << 0 << u"/home/u/v"_s << true << u"/cwd"_s << QString();
        QTest::newRow("not reachable")
            << QString() << 1 << u"/home/u/v"_s << false << u"/cwd"_s << QString();
        QTest::newRow("never stored") << QString() << 1 << u"0"_s << true << u"/cwd"_s << QString();
    }

    void startFolder() {
        QFETCH(QString, given);
        QFETCH(int, searchPath);
        QFETCH(QString, stored);
        QFETCH(bool, reachable);
        QFETCH(QString, expected);
        QFETCH(QString, netDrive);
        SettingValues values;
        values.set(Setting::SearchPath, searchPath);
        values.set(Setting::FilePath, stored);
        QStringList asked;
        StartFolderChecks checks;
        checks.driveOf = [](const QString& path) {
            return path.startsWith(u"/net/share"_s) ? u"/net/share"_s
                   : path.startsWith(u"/home"_s)    ? u"/home"_s
                                                    : u"/"_s;
        };
        checks.reachable = [&](const QString& path) {
            asked << path;
            return reachable;
        };
        checks.onNetwork = [](const QString& path) { return path.startsWith(u"/net/"_s); };
        const StartFolder start = chooseStartFolder(values, given, u"/cwd"_s, checks);
        QCOMPARE(start.path, expected);
        QCOMPARE(start.drive, checks.driveOf(expected));
        QCOMPARE(start.netDrive, netDrive);
        // The stored folder's volume is looked at (and its readiness told) only when it is asked
        // for and there is one.
        QCOMPARE(asked.size(), given.isEmpty() && searchPath == 1 && stored != u"0" ? 1 : 0);
    }
};

QTEST_GUILESS_MAIN(TestWindowSettings)
#include "tst_window_settings.moc"
