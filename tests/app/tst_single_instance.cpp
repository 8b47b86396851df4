#include <sys/time.h>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>
#include <vector>

#include "app/messages.h"

// Starts the real program twice, each copy in a process of its own, as a user would.
class TestSingleInstance : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void secondStartIsRefused();
    void lockOfAKilledCopyDoesNotKeepANewStartOut();
    void oldLockOfARunningCopyStillRefuses();
    void secondStartWithAPathHandsItOver();
    void aMissingPathIsToldAndTheProgramStarts();

private:
    // markers: the copy prints "playing" on its standard output when a file first plays.
    QProcess* start(const QStringList& arguments = {}, bool markers = false);
    QString lockFile() const { return m_runtime + u"/quorvane.lock"; }
    QStringList logLines() const;
    // The process id written into the lock file, or 0.
    qint64 lockOwner() const;

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_exe;
    QString m_runtime;
    QString m_log;
    std::vector<std::unique_ptr<QProcess>> m_processes;
};

void TestSingleInstance::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    // A copy of its own, so the program's INI file lands in the temporary folder.
    m_exe = m_dir->filePath(QStringLiteral("quorvane"));
    QVERIFY(QFile::copy(QStringLiteral(QUORVANE_BIN), m_exe));
    QVERIFY(QFile::setPermissions(m_exe, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    m_runtime = m_dir->filePath(QStringLiteral("runtime"));
    QVERIFY(QDir().mkpath(m_runtime));
    QVERIFY(
        QFile::setPermissions(m_runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    QVERIFY(QDir().mkpath(m_dir->filePath(QStringLiteral("home"))));
    m_log = m_dir->filePath(QStringLiteral("dialogs.log"));
}

void TestSingleInstance::cleanup() {
    for (const auto& process : m_processes) {
        if (process->state() != QProcess::NotRunning) {
            process->kill();
            process->waitForFinished(5000);
        }
    }
    m_processes.clear();
    m_dir.reset();
}

QProcess* TestSingleInstance::start(const QStringList& arguments, bool markers) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (markers) {
        env.insert(QStringLiteral("QUORVANE_BENCH_MARKERS"), QStringLiteral("1"));
    }
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime);
    env.insert(QStringLiteral("QUORVANE_DIALOG_LOG"), m_log);
    env.insert(QStringLiteral("HOME"), m_dir->filePath(QStringLiteral("home")));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir->filePath(QStringLiteral("home/.config")));
    env.insert(QStringLiteral("XDG_DATA_HOME"), m_dir->filePath(QStringLiteral("home/.local")));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), m_dir->filePath(QStringLiteral("home/.cache")));
    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(env);
    process->setWorkingDirectory(m_dir->path());
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    if (!markers) {
        process->setStandardOutputFile(QProcess::nullDevice());
    }
    process->start(m_exe, arguments);
    QProcess* raw = process.get();
    m_processes.push_back(std::move(process));
    return raw;
}

QStringList TestSingleInstance::logLines() const {
    QFile file(m_log);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
}

qint64 TestSingleInstance::lockOwner() const {
    QFile file(lockFile());
    if (!file.open(QIODevice::ReadOnly)) {
        return 0;
    }
    return file.readLine().trimmed().toLongLong();
}

void TestSingleInstance::secondStartIsRefused() {
    QProcess* first = start();
    QVERIFY(first->waitForStarted(10000));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(lockFile()), 20000);
    QTRY_COMPARE_WITH_TIMEOUT(lockOwner(), first->processId(), 5000);

    QProcess* second = start();
    QVERIFY(second->waitForStarted(10000));
    QVERIFY(second->waitForFinished(15000));
    QCOMPARE(second->exitStatus(), QProcess::NormalExit);
    QCOMPARE(second->exitCode(), 0);
    QCOMPARE(logLines(), QStringList{QString(u"message\texclamation\tok\tQuorvane\t" +
                                             app_msg::alreadyRunning())});
    QCOMPARE(logLines().constFirst(),
             QStringLiteral("message\texclamation\tok\tQuorvane\t既に起動しています。"));

    // The first copy goes on as if nothing happened.
    QCOMPARE(first->state(), QProcess::Running);
    QCOMPARE(lockOwner(), first->processId());
}

void TestSingleInstance::lockOfAKilledCopyDoesNotKeepANewStartOut() {
    QProcess* first = start();
    QVERIFY(first->waitForStarted(10000));
    QTRY_COMPARE_WITH_TIMEOUT(lockOwner(), first->processId(), 20000);
    first->kill();
    QVERIFY(first->waitForFinished(10000));
    QVERIFY(QFile::exists(lockFile()));  // left behind

    QProcess* next = start();
    QVERIFY(next->waitForStarted(10000));
    QTRY_COMPARE_WITH_TIMEOUT(lockOwner(), next->processId(), 20000);
    QVERIFY(!next->waitForFinished(1500));
    QCOMPARE(next->state(), QProcess::Running);
    const QStringList lines = logLines();
    QVERIFY2(lines.filter(app_msg::alreadyRunning()).isEmpty(), qPrintable(lines.join(u'\n')));
}

void TestSingleInstance::oldLockOfARunningCopyStillRefuses() {
    QProcess* first = start();
    QVERIFY(first->waitForStarted(10000));
    QTRY_COMPARE_WITH_TIMEOUT(lockOwner(), first->processId(), 20000);

    // An hour old: age alone must not make the lock of a running copy stale.
    struct timeval times[2];
    gettimeofday(&times[0], nullptr);
    times[0].tv_sec -= 3600;
    times[1] = times[0];
    QCOMPARE(utimes(QFile::encodeName(lockFile()).constData(), times), 0);

    QProcess* second = start();
    QVERIFY(second->waitForStarted(10000));
    QVERIFY(second->waitForFinished(15000));
    QCOMPARE(second->exitCode(), 0);
    QCOMPARE(logLines(), QStringList{QString(u"message\texclamation\tok\tQuorvane\t" +
                                             app_msg::alreadyRunning())});
    QCOMPARE(first->state(), QProcess::Running);
    QCOMPARE(lockOwner(), first->processId());
}

void TestSingleInstance::secondStartWithAPathHandsItOver() {
    // A second of silence as a WAV file: 8 kHz, 8 bits, mono.
    const QString folder = m_dir->filePath(QStringLiteral("media"));
    QVERIFY(QDir().mkpath(folder));
    QFile wav(folder + u"/tone.wav");
    QVERIFY(wav.open(QIODevice::WriteOnly));
    QByteArray header("RIFF\0\0\0\0WAVEfmt \x10\0\0\0\x01\0\x01\0\x40\x1f\0\0\x40\x1f\0\0\x01\0\x08\0data",
                      40);
    const quint32 samples = 8000;
    header.append(reinterpret_cast<const char*>(&samples), 4);
    const quint32 riff = 36 + samples;
    header.replace(4, 4, reinterpret_cast<const char*>(&riff), 4);
    wav.write(header + QByteArray(samples, '\x80'));
    wav.close();

    QProcess* first = start({}, true);
    QVERIFY(first->waitForStarted(10000));
    QTRY_COMPARE_WITH_TIMEOUT(lockOwner(), first->processId(), 20000);
    // A folder, then a file: each second start hands its path over and ends without a box.
    for (const QString& path : {folder, QString(folder + u"/tone.wav")}) {
        QProcess* second = start({path});
        QVERIFY(second->waitForFinished(15000));
        QCOMPARE(second->exitCode(), 0);
        QCOMPARE(logLines(), QStringList());
    }
    QByteArray printed;
    QTRY_VERIFY_WITH_TIMEOUT((printed += first->readAllStandardOutput()).contains("playing"),
                             15000);
    // The first copy shows the folder: its settings say so when it closes.
    first->terminate();
    QVERIFY(first->waitForFinished(15000));
    QFile ini(m_dir->filePath(QStringLiteral("quorvane.ini")));
    QVERIFY(ini.open(QIODevice::ReadOnly));
    QVERIFY(ini.readAll().contains(QByteArray("Path=" + QFile::encodeName(folder))));
}

void TestSingleInstance::aMissingPathIsToldAndTheProgramStarts() {
    const QString missing = m_dir->filePath(QStringLiteral("gone/clip.avi"));
    QProcess* first = start({missing});
    QVERIFY(first->waitForStarted(10000));
    QTRY_COMPARE_WITH_TIMEOUT(lockOwner(), first->processId(), 20000);
    QCOMPARE(logLines(), QStringList{QString(u"message\texclamation\tok\tQuorvane\t" +
                                             // the log writes a line break as "\\r"
                                             app_msg::startPathMissing(missing).replace(
                                                 u'\r', QStringLiteral("\\r")))});
    QVERIFY(!first->waitForFinished(1000));
    QCOMPARE(first->state(), QProcess::Running);
}

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_single_instance.moc"
