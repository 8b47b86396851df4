#pragma once

// A share that stops answering, for tests: tests/tools/quiet_share.py mounts a small read-only
// tree (folder1 ..., clip001.mp3 ...) with FUSE in a temporary folder, and while the share is
// quiet every look-up on it waits the delay before it answers. The test switches it with
// setQuiet(); the switch counts from the next look-up on, and look-ups already waiting answer
// within a twentieth of a second of setQuiet(false).
//
//   QuietShare share;                        // answering; QuietShare({.quiet = true}) is not
//   if (!share.available()) {
//       QSKIP(qPrintable(share.whyNot()));   // no FUSE here, or the share did not start
//   }
//   ... share.path() + "/folder1" ...
//   share.setQuiet(true);
//
// The destructor ends the share within about two seconds whatever it is doing: calls still
// waiting on it fail, and no mount is left behind. A program stuck on the share can be killed,
// as on a network share. The script is found through the compile definition QUORVANE_QUIET_SHARE
// when the test has one, else beside the test data (QUORVANE_TEST_DATA, set by CTest).

#include <unistd.h>
#include <QByteArray>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QtGlobal>

class QuietShare {
public:
    struct Options {
        double delay = 60;  // seconds each look-up waits while quiet
        bool quiet = false;
        int files = 3;
        int folders = 2;
    };

    explicit QuietShare(const Options& options) { start(options); }
    QuietShare() : QuietShare(Options{}) {}
    ~QuietShare() { stop(); }
    QuietShare(const QuietShare&) = delete;
    QuietShare& operator=(const QuietShare&) = delete;

    // True once the share is mounted; else whyNot() says what is missing or what went wrong.
    bool available() const { return m_available; }
    QString whyNot() const { return m_whyNot; }
    // The share's top folder.
    QString path() const { return m_dir.filePath(QStringLiteral("share")); }

    // False when the switch could not be made (the temporary folder refused it).
    bool setQuiet(bool quiet) {
        if (quiet) {
            QFile control(controlFile());
            return control.open(QIODevice::WriteOnly);
        }
        return QFile::remove(controlFile()) || !QFile::exists(controlFile());
    }
    bool quiet() const { return QFile::exists(controlFile()); }

    // Ends the share and removes the mount; the destructor calls it.
    void stop() {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.terminate();
            if (!m_process.waitForFinished(1000)) {
                m_process.kill();  // a killed share fails whatever waits on it
                m_process.waitForFinished(500);
            }
        }
        if (mounted()) {
            QProcess unmount;
            unmount.start(fusermount(), {QStringLiteral("-u"), QStringLiteral("-z"),
                                         QStringLiteral("-q"), path()});
            if (!unmount.waitForFinished(500)) {
                unmount.kill();
                unmount.waitForFinished(100);
            }
        }
        if (mounted()) {
            // Removing the folder would walk into the share.
            qWarning("QuietShare: %s is still mounted; it is left in place", qPrintable(path()));
            m_dir.setAutoRemove(false);
        }
        m_available = false;
    }

    static QString script() {
#ifdef QUORVANE_QUIET_SHARE
        return QStringLiteral(QUORVANE_QUIET_SHARE);
#else
        return qEnvironmentVariable("QUORVANE_TEST_DATA") +
               QStringLiteral("/../tools/quiet_share.py");
#endif
    }

private:
    static QString fusermount() {
        const QString three = QStandardPaths::findExecutable(QStringLiteral("fusermount3"));
        return three.isEmpty() ? QStandardPaths::findExecutable(QStringLiteral("fusermount"))
                               : three;
    }
    QString controlFile() const {
        return m_dir.filePath(QStringLiteral("quiet"));
    }
    QString logFile() const {
        return m_dir.filePath(QStringLiteral("log"));
    }

    // Read from the mount table, never from the share itself, which may not answer.
    bool mounted() const {
        QFile table(QStringLiteral("/proc/self/mountinfo"));
        if (!table.open(QIODevice::ReadOnly)) {
            return false;
        }
        // The table writes a space in a path as \040.
        const QByteArray mountPoint =
            QFile::encodeName(path()).replace(' ', QByteArrayLiteral("\\040"));
        const QList<QByteArray> lines = table.readAll().split('\n');
        for (const QByteArray& line : lines) {
            const QList<QByteArray> fields = line.split(' ');
            if (fields.size() > 4 && fields[4] == mountPoint) {
                return true;
            }
        }
        return false;
    }

    QString missing() const {
        if (!QFileInfo::exists(QStringLiteral("/usr/bin/python3"))) {
            return QStringLiteral("/usr/bin/python3 is missing");
        }
        if (!QFileInfo(script()).isFile()) {
            return QStringLiteral("the share's script is not at %1").arg(script());
        }
        if (::access("/dev/fuse", R_OK | W_OK) != 0) {
            return QStringLiteral("no FUSE here: /dev/fuse is missing or closed to this user");
        }
        if (fusermount().isEmpty()) {
            return QStringLiteral("fusermount is missing (Debian package fuse3)");
        }
        if (!m_dir.isValid() || !QDir(m_dir.path()).mkdir(QStringLiteral("share"))) {
            return QStringLiteral("no temporary folder for the share");
        }
        return {};
    }

    void start(const Options& options) {
        m_whyNot = missing();
        if (!m_whyNot.isEmpty()) {
            return;
        }
        if (!setQuiet(options.quiet)) {
            m_whyNot = QStringLiteral("the share's switch could not be made");
            return;
        }
        // Its messages go to a file: a pipe that nobody reads could fill and stop the share.
        m_process.setStandardErrorFile(logFile());
        m_process.start(QStringLiteral("/usr/bin/python3"),
                        {script(), path(), QStringLiteral("--delay"),
                         QString::number(options.delay), QStringLiteral("--control"), controlFile(),
                         QStringLiteral("--files"), QString::number(options.files),
                         QStringLiteral("--folders"), QString::number(options.folders)});
        const QDeadlineTimer deadline(5000);
        while (!m_process.canReadLine() && m_process.state() != QProcess::NotRunning &&
               !deadline.hasExpired()) {
            m_process.waitForReadyRead(int(qMax<qint64>(deadline.remainingTime(), 1)));
        }
        if (m_process.canReadLine() && m_process.readLine().trimmed() == "ready") {
            m_available = true;
            return;
        }
        const QString failed =
            m_process.error() == QProcess::FailedToStart
                ? QStringLiteral("the share did not start: ") + m_process.errorString()
            : m_process.state() == QProcess::NotRunning
                ? QStringLiteral("the share ended at once")
                : QStringLiteral("the share was not ready within 5 s");
        stop();
        QFile log(logFile());
        const QString said = log.open(QIODevice::ReadOnly)
                                 ? QString::fromLocal8Bit(log.readAll()).trimmed()
                                 : QString();
        m_whyNot = said.isEmpty() ? failed : failed + QStringLiteral(": ") + said;
    }

    QTemporaryDir m_dir;
    QProcess m_process;
    bool m_available = false;
    QString m_whyNot;
};
