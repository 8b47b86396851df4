// The exit save written while the program runs, off the window's thread: what reaches the file,
// when it is written again, and that the exit's own write never meets a write under way.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "settings/ini_file.h"
#include "settings/settings_catalogue.h"
#include "settings/settings_save_worker.h"

namespace {

SettingValues shownFolder(const QString& folder) {
    SettingValues values;
    values.set(Setting::FilePath, folder);
    values.set(Setting::XPosition, 1500);
    return values;
}

QByteArray fileText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class TestSettingsSaveWorker : public QObject {
    Q_OBJECT

private slots:
    void writesWhatChangedOnlyAndKeepsTheRest() {
        QTemporaryDir dir;
        const QString ini = dir.filePath(QStringLiteral("q.ini"));
        {
            QFile file(ini);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("[Option]\nMine=1\n");
        }
        SettingsSaveWorker worker(ini);
        worker.saveLater(shownFolder(QStringLiteral("/srv/a")));
        worker.waitIdle();
        QCOMPARE(worker.writes(), 1);
        QByteArray text = fileText(ini);
        QVERIFY2(text.contains("Path=/srv/a") && text.contains("XPosition=1500"), text.constData());
        // Keys the exit save does not own stay as they were.
        QVERIFY(text.contains("[Option]\nMine=1"));

        // The same values again: the file is not touched.
        worker.saveLater(shownFolder(QStringLiteral("/srv/a")));
        worker.waitIdle();
        QCOMPARE(worker.writes(), 1);

        // The exit's write comes after, and the last values win.
        worker.saveLater(shownFolder(QStringLiteral("/srv/b")));
        QVERIFY(worker.saveNow(shownFolder(QStringLiteral("/srv/c"))));
        worker.waitIdle();
        text = fileText(ini);
        QVERIFY2(text.contains("Path=/srv/c"), text.constData());
        QVERIFY(!text.contains("/srv/b"));
    }

    void writesFromBothThreadsAllLand() {
        // The options dialog writes its keys on the window's thread while the save writes its
        // own: neither may write back a copy read before the other's write.
        QTemporaryDir dir;
        const QString ini = dir.filePath(QStringLiteral("q.ini"));
        SettingsSaveWorker worker(ini);
        clsIniFile dialog(ini);
        constexpr int kRounds = 300;
        for (int i = 1; i <= kRounds; ++i) {
            worker.saveLater(shownFolder(QStringLiteral("/srv/%1").arg(i)));
            QVERIFY(dialog.SetValue(i, ini, QStringLiteral("Option"), QStringLiteral("Count")));
        }
        worker.waitIdle();
        const QByteArray text = fileText(ini);
        const QByteArray count = QByteArray("Count=") + QByteArray::number(kRounds);
        const QByteArray path = QByteArray("Path=/srv/") + QByteArray::number(kRounds);
        QVERIFY2(text.contains(count), text.constData());
        QVERIFY2(text.contains(path), text.constData());
    }

    void failedWriteIsTriedAgain() {
        QTemporaryDir dir;
        // A folder where the file should be: no write can replace it (not even root's).
        const QString ini = dir.filePath(QStringLiteral("q.ini"));
        QVERIFY(QDir().mkpath(ini + u"/inside"));
        SettingsSaveWorker worker(ini);
        QVERIFY(!worker.saveNow(shownFolder(QStringLiteral("/srv/a"))));
        // The way is clear again: the same values are written this time.
        QVERIFY(QDir(ini).removeRecursively());
        worker.saveLater(shownFolder(QStringLiteral("/srv/a")));
        worker.waitIdle();
        QVERIFY(fileText(ini).contains("Path=/srv/a"));
    }
};

QTEST_GUILESS_MAIN(TestSettingsSaveWorker)
#include "tst_settings_save_worker.moc"
