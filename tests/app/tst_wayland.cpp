// The program on a Wayland compositor (weston, headless), as a real process: a second start hands
// it a video, which plays; then the compositor dies, which ends the process at once with no exit
// sequence. What the exit would have saved is in the settings file all the same, with the
// window's place as it was read (Wayland never tells a client where its window stands). Skips,
// saying why, where weston or Qt's Wayland client cannot start.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// The files the process has open, by their paths.
QStringList openFiles(qint64 pid) {
    QStringList paths;
    const QDir fds(QStringLiteral("/proc/%1/fd").arg(pid));
    for (const QFileInfo& fd :
         fds.entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
        paths << fd.symLinkTarget();
    }
    return paths;
}

QByteArray fileText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class TestWayland : public QObject {
    Q_OBJECT

private slots:
    void handOverPlaysAndACompositorCrashKeepsTheSettings();
};

void TestWayland::handOverPlaysAndACompositorCrashKeepsTheSettings() {
    const QString weston = QStandardPaths::findExecutable(QStringLiteral("weston"));
    if (weston.isEmpty()) {
        QSKIP("weston is not installed");
    }
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString runtime = dir.filePath(QStringLiteral("runtime"));
    QVERIFY(QDir().mkpath(runtime));
    QFile::setPermissions(runtime, QFile::ExeOwner | QFile::ReadOwner | QFile::WriteOwner);
    const QString socket =
        QStringLiteral("quorvane-test-%1").arg(QCoreApplication::applicationPid());

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    env.insert(QStringLiteral("HOME"), dir.path());
    QProcess compositor;
    compositor.setProcessEnvironment(env);
    compositor.setProcessChannelMode(QProcess::MergedChannels);
    compositor.start(weston, {u"--backend=headless-backend.so"_qs, u"--socket="_qs + socket,
                              u"--idle-time=0"_qs, u"--no-config"_qs});
    if (!QTest::qWaitFor([&] { return QFile::exists(runtime + u'/' + socket); }, 10000)) {
        compositor.kill();
        compositor.waitForFinished(5000);
        QSKIP(qPrintable(u"weston cannot start here: "_qs +
                         QString::fromLocal8Bit(compositor.readAll()).simplified().left(300)));
    }

    // A copy of the program with its settings beside it: a stored place a Wayland session
    // cannot report, and a start folder other than the video's.
    const QString exe = dir.filePath(QStringLiteral("quorvane"));
    QVERIFY(QFile::copy(QStringLiteral(QUORVANE_BIN), exe));
    const QString start = dir.filePath(QStringLiteral("start"));
    const QString media = dir.filePath(QStringLiteral("media"));
    QVERIFY(QDir().mkpath(start) && QDir().mkpath(media));
    const QString video = media + u"/clip.avi";
    QVERIFY(QFile::copy(QStringLiteral(QUORVANE_PLAYER_MEDIA) + u"/clip.avi", video));
    const QString ini = dir.filePath(QStringLiteral("quorvane.ini"));
    const QByteArray shownFolder = QByteArray("Path=") + media.toUtf8();
    {
        QFile file(ini);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(
            "[Boot]\nSearchPath=1\nScreenSaver=0\n[FormPos]\nXPosition=1500\n"
            "YPosition=1200\nWidth=12180\nHeight=9165\n[FilePath]\nPath=" +
            start.toUtf8() + "\n[ListFile]\nDspFile=*.avi;\n");
    }

    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
    env.insert(QStringLiteral("WAYLAND_DISPLAY"), socket);
    env.remove(QStringLiteral("DISPLAY"));
    // Any box is answered and written down instead of waiting for a user.
    env.insert(QStringLiteral("QUORVANE_DIALOG_LOG"), dir.filePath(QStringLiteral("boxes.log")));
    QProcess program;
    program.setProcessEnvironment(env);
    program.setWorkingDirectory(dir.path());
    program.setProcessChannelMode(QProcess::MergedChannels);
    program.start(exe, {});
    QVERIFY(program.waitForStarted(5000));
    // Listening for hand-overs: the window is loaded.
    const QString channel = runtime + u"/quorvane.socket";
    const bool listening = QTest::qWaitFor(
        [&] { return QFile::exists(channel) || program.state() != QProcess::Running; }, 20000);
    if (listening && program.state() != QProcess::Running) {
        compositor.kill();
        compositor.waitForFinished(5000);
        QSKIP(qPrintable(u"Qt's Wayland client cannot start here: "_qs +
                         QString::fromLocal8Bit(program.readAll()).simplified().left(300)));
    }
    QVERIFY(QFile::exists(channel));

    // A second start, as a desktop launches it with an activation token, hands the video over.
    QProcess second;
    QProcessEnvironment secondEnv = env;
    secondEnv.insert(QStringLiteral("XDG_ACTIVATION_TOKEN"), QStringLiteral("quorvane-test"));
    second.setProcessEnvironment(secondEnv);
    second.start(exe, {video});
    QVERIFY(second.waitForFinished(15000));
    QCOMPARE(second.exitCode(), 0);
    // It plays: the player has the file open.
    QTRY_VERIFY_WITH_TIMEOUT(openFiles(program.processId()).contains(video), 20000);
    // The hand-over is kept at once.
    QTRY_VERIFY_WITH_TIMEOUT(fileText(ini).contains(shownFolder), 10000);

    // The compositor dies: Qt's client ends the process on the spot.
    compositor.kill();
    QVERIFY(compositor.waitForFinished(5000));
    QVERIFY(program.waitForFinished(15000));
    const QByteArray saved = fileText(ini);
    QVERIFY2(saved.contains(shownFolder), saved.constData());
    QVERIFY2(saved.contains("XPosition=1500"), saved.constData());
    QVERIFY2(saved.contains("YPosition=1200"), saved.constData());
    QVERIFY2(fileText(dir.filePath(QStringLiteral("boxes.log"))).isEmpty(),
             fileText(dir.filePath(QStringLiteral("boxes.log"))).constData());
}

QTEST_GUILESS_MAIN(TestWayland)
#include "tst_wayland.moc"
