#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>
#include <QProcess>
#include <QtTest>
#include <cstdio>

#include "fileops/file_operations.h"
#include "fileops/operation_messages.h"
#include "platform/app_info.h"
#include "platform/file_fixtures.h"
#include "platform/path_list.h"
#include "platform/run_error.h"
#include "platform/scripted_dialogs.h"
#include "platform/trash.h"

using namespace file_fixtures;
using namespace Qt::StringLiterals;

namespace {

constexpr rlim_t kFileSizeLimit = 1024 * 1024;
const QString kChildSwitch = u"--move-child"_s;

// The child's progress: slow, and saying on its output when the large file is being copied, so
// that the test can kill it right there.
class ChildProgress : public FileOpProgress {
public:
    explicit ChildProgress(bool slow) : m_slow(slow) {}
    void begin(const QString&, qint64) override {}
    bool advance(const QString& label, qint64) override {
        if (m_slow && label == fileops_msg::progressLabel(u"large.bin"_s) && !m_told) {
            std::fputs("copying\n", stdout);
            std::fflush(stdout);
            m_told = true;
        }
        if (m_slow) {
            ::usleep(20000);
        }
        return true;
    }
    void end() override {}

private:
    bool m_slow;
    bool m_told = false;
};

// The test run again as a child: <switch> slow|small-files <log> <trash> <destination>
// <sources...>. It moves the sources as the program does; with small-files, no file it writes
// may grow past kFileSizeLimit.
int runMoveChild(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 7) {
        return 2;
    }
    const bool slow = args.at(2) == u"slow";
    if (!slow) {
        ::signal(SIGXFSZ, SIG_IGN);  // the write fails with EFBIG instead
        const struct rlimit limit = {kFileSizeLimit, kFileSizeLimit};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ScriptedDialogs dialogs(args.at(3));
    const auto trash = testTrash(args.at(4), false);
    ChildProgress progress(slow);
    FileOperations ops(dialogs, *trash, progress);
    return ops.ShellMoveFiles(makePathList(args.mid(6)), args.at(5), false);
}

// A line of the dialogs' log for a message box.
QString logLine(MsgIcon icon, const QString& title, const QString& text) {
    auto escaped = [](QString s) {
        return s.replace(u"\\"_s, u"\\\\"_s).replace(u'\r', u"\\r"_s).replace(u'\n', u"\\n"_s);
    };
    return u"message\t" + toString(icon) + u'\t' + toString(MsgButtons::Ok) + u'\t' +
           escaped(title) + u'\t' + escaped(text);
}

}  // namespace

// A move across file systems that is killed half-way, or meets a disk that takes no more: no
// file may be lost or left half-written under its own name.
class TstMoveReliability : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void killedMoveLosesNothing();
    void writeFailureStopsAndLeavesSources();

private:
    QString path(const QString& name) const { return m_dir->filePath(name); }
    void startChild(QProcess& child, const QString& mode, const QString& destination,
                    const QStringList& sources);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QTemporaryDir> m_shm;
};

void TstMoveReliability::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_shm = otherFileSystem(m_dir->path());
    if (!m_shm) {
        QSKIP("/dev/shm and the temporary folder are not different file systems here");
    }
}

void TstMoveReliability::cleanup() {
    m_shm.reset();
    m_dir.reset();
}

void TstMoveReliability::startChild(QProcess& child, const QString& mode,
                                    const QString& destination, const QStringList& sources) {
    child.setProcessChannelMode(QProcess::SeparateChannels);
    child.start(QCoreApplication::applicationFilePath(),
                QStringList{kChildSwitch, mode, path(u"dialogs.log"_s), path(u"data/Trash"_s),
                            destination} +
                    sources);
    QVERIFY(child.waitForStarted(10000));
}

void TstMoveReliability::killedMoveLosesNothing() {
    const QMap<QString, QByteArray> files{{u"a.txt"_s, "first"},
                                          {u"large.bin"_s, randomBytes(24 * 1024 * 1024)},
                                          {u"c.txt"_s, "last"}};
    QStringList sources;
    for (const QString& name : {u"a.txt"_s, u"large.bin"_s, u"c.txt"_s}) {
        sources.append(path(u"src/"_s + name));
        writeFile(sources.last(), files.value(name));
    }
    const QString dest = m_shm->path();

    QProcess child;
    startChild(child, u"slow"_s, dest, sources);
    QVERIFY(child.waitForReadyRead(30000));
    QCOMPARE(child.readLine().trimmed(), QByteArray("copying"));
    ::kill(static_cast<pid_t>(child.processId()), SIGKILL);
    QVERIFY(child.waitForFinished(10000));
    QCOMPARE(child.exitStatus(), QProcess::CrashExit);

    // Each file whole in one place at least; whatever carries its own name is whole.
    for (auto it = files.cbegin(); it != files.cend(); ++it) {
        const QString there = dest + u'/' + it.key();
        const QString here = path(u"src/"_s + it.key());
        const bool whole = readFile(there) == it.value() || readFile(here) == it.value();
        QVERIFY2(whole, qPrintable(it.key()));
        if (file_transfer::exists(there)) {
            QCOMPARE(readFile(there), it.value());
        }
        if (file_transfer::exists(here)) {
            QCOMPARE(readFile(here), it.value());
        }
    }
    // The copy cut short lies under a hidden name of its own, nothing else is there.
    for (const QString& name : namesIn(dest)) {
        QVERIFY2(files.contains(name) || (name.startsWith(u'.') && name.endsWith(u".part")),
                 qPrintable(name));
    }
    QVERIFY(!file_transfer::exists(dest + u"/large.bin"));
}

void TstMoveReliability::writeFailureStopsAndLeavesSources() {
    const QByteArray big = randomBytes(3 * 1024 * 1024);
    const QString small = path(u"src/small.txt"_s);
    const QString large = path(u"src/big.bin"_s);
    writeFile(small, "small");
    writeFile(large, big);
    const QString dest = m_shm->path();

    QProcess child;
    startChild(child, u"small-files"_s, dest, {small, large});
    QVERIFY(child.waitForFinished(30000));
    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QCOMPARE(child.exitCode(), run_error::kDiskFull);

    QFile log(path(u"dialogs.log"_s));
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(log.readAll()).split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines.at(0),
             logLine(MsgIcon::Exclamation, fileops_msg::moveTitle(),
                     fileops_msg::cannotMove(large, runErrorText(run_error::kDiskFull))));
    QCOMPARE(lines.at(1), logLine(MsgIcon::None, app_info::title(), fileops_msg::moveFailed()));

    // The sources stay as they were, and no copy is left, whole, partial or hidden.
    QCOMPARE(readFile(small), QByteArray("small"));
    QCOMPARE(readFile(large), big);
    QVERIFY(namesIn(dest).isEmpty());
}

int main(int argc, char** argv) {
    if (argc > 1 && QString::fromLocal8Bit(argv[1]) == kChildSwitch) {
        return runMoveChild(argc, argv);
    }
    QCoreApplication app(argc, argv);
    TstMoveReliability test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_move_reliability.moc"
