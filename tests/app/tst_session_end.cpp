// The program told to end from outside, as a real process on a real X server (Xvfb): its window
// destroyed by another client, the display gone, SIGTERM while a start-up box is up. Each time
// the settings are saved after the whole load and the process ends. Needs Xvfb and xdotool.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

class TestSessionEnd : public QObject {
    Q_OBJECT

private slots:
    void endsSavingTheSettings_data();
    void endsSavingTheSettings();
};

void TestSessionEnd::endsSavingTheSettings_data() {
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<QString>("shown");  // the window on show when the end comes
    QTest::addColumn<QString>("how");
    const QByteArray stored = "[QuickPath]\nPath1=/srv\n";
    QTest::newRow("window destroyed") << stored << u"Quorvane Ver"_qs << u"windowclose"_qs;
    QTest::newRow("display gone") << stored << u"Quorvane Ver"_qs << u"Xvfb ends"_qs;
    // A value the program cannot use: the error box comes up while the settings load.
    QTest::newRow("SIGTERM in a box")
        << "[MoviePlay]\nScreenSize=9\n" + stored << u"エラー"_qs << u"SIGTERM"_qs;
}

void TestSessionEnd::endsSavingTheSettings() {
    QFETCH(QByteArray, settings);
    QFETCH(QString, shown);
    QFETCH(QString, how);
    const QString xdotool = QStandardPaths::findExecutable(QStringLiteral("xdotool"));
    if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty() || xdotool.isEmpty()) {
        QSKIP("needs Xvfb and xdotool");
    }
    QTemporaryDir dir;
    // A display of its own: Xvfb picks a free number and writes it once it is ready.
    QProcess display;
    display.start(QStringLiteral("Xvfb"), {u"-displayfd"_qs, u"1"_qs, u"-nolisten"_qs, u"tcp"_qs});
    QTRY_VERIFY_WITH_TIMEOUT(display.canReadLine(), 10000);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), u':' + QString::fromLatin1(display.readLine().trimmed()));
    const auto run = [&env](const QString& program, const QStringList& arguments) {
        QProcess process;
        process.setProcessEnvironment(env);
        process.start(program, arguments);
        process.waitForFinished(5000);
        return QString::fromLatin1(process.readAllStandardOutput()).section(u'\n', 0, 0);
    };

    // A copy of the program, its settings file beside it; real boxes, no log.
    const QString exe = dir.filePath(QStringLiteral("quorvane"));
    QVERIFY(QFile::copy(QStringLiteral(QUORVANE_BIN), exe));
    QFile ini(dir.filePath(QStringLiteral("quorvane.ini")));
    QVERIFY(ini.open(QIODevice::WriteOnly) && ini.write(settings) == settings.size());
    ini.close();
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("runtime")));
    QFile::setPermissions(dir.filePath(QStringLiteral("runtime")),
                          QFile::ExeOwner | QFile::ReadOwner | QFile::WriteOwner);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.filePath(QStringLiteral("runtime")));
    env.insert(QStringLiteral("HOME"), dir.path());
    env.remove(QStringLiteral("QUORVANE_DIALOG_LOG"));
    QProcess program;
    program.setProcessEnvironment(env);
    program.setWorkingDirectory(dir.path());
    program.setStandardOutputFile(QProcess::nullDevice());
    program.setStandardErrorFile(QProcess::nullDevice());
    program.start(exe, {});

    QString window;
    QTRY_VERIFY_WITH_TIMEOUT(
        !(window = run(xdotool, {u"search"_qs, u"--onlyvisible"_qs, u"--name"_qs, shown}))
             .isEmpty(),
        20000);
    if (how == u"windowclose") {
        run(xdotool, {u"windowclose"_qs, window});
    } else if (how == u"Xvfb ends") {
        display.terminate();
    } else {
        program.terminate();
    }
    QVERIFY(program.waitForFinished(15000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    if (how != u"Xvfb ends") {  // there Qt ends the process with a code of its own
        QCOMPARE(program.exitCode(), 0);
    }
    QVERIFY(ini.open(QIODevice::ReadOnly));
    const QByteArray saved = ini.readAll();
    QVERIFY(saved.contains("[FormPos]"));
    QVERIFY(saved.contains("Path1=/srv"));
    display.kill();
    display.waitForFinished(5000);
}

QTEST_MAIN(TestSessionEnd)
#include "tst_session_end.moc"
