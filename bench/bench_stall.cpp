// quorvane-bench stall: how long the window's thread goes without serving its event loop while
// the browser works on the file system. A 1 ms watchdog timer runs on that thread through every
// case and max_gap_ms is the largest gap between two of its ticks.
//   list-N (list-1000000 when none is named): the real window starts on a folder of N empty
//   files. The watchdog, first_rows_ms and complete_ms start with the load sequence (the window
//   is built by then); the times run until the list first has rows and until it has all N. The
//   baseline is a bare readdir + fstatat of every entry. load_gap_ms and tree_gap_ms: the
//   largest gaps of the load sequence (with the show) and of opening the tree along the start
//   folder, as the program's start does after it.
//   rss_kib_per_row: the process's resident memory gained by the load, per row.
//   quiet-share: a share whose every look-up waits 5 s (tests/tools/quiet_share.py) lies in the
//   start folder beside other folders. The window starts there, goes into the share and is
//   closed; each step's time and largest gap, whether the close wrote the settings file, whether
//   the list shows the share at the end and how many boxes the window put up. A step that runs
//   past 20 s has the share answer again (released=...), so that no run waits for ever. Skipped,
//   with the reason, where FUSE is not to be had.
//   burst-N (burst-10000 when none is named): another process makes N files in the folder the
//   window shows; rows_after_ms runs from the last file made until the list shows them all,
//   "never" when it has not within 3 s.
#include <sys/stat.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTextStream>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <ctime>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "bench_files.h"
#include "bench_window.h"
#include "browser/file_list.h"
#include "browser/navigation.h"
#include "quiet_share.h"
#include "stall_watchdog.h"

using namespace bench;
using namespace Qt::StringLiterals;

namespace {

constexpr int kDefaultListed = 1000000;
constexpr int kDefaultBurst = 10000;
constexpr int kBareRounds = 3;
constexpr int kSettleMs = 200;      // the loop runs this long after a step, still timed
constexpr int kListDoneMs = 60000;  // the most a listing may take to complete after the load
constexpr int kShareDelaySeconds = 5;
constexpr int kReleaseAfterMs = 20000;
constexpr int kBurstWaitMs = 3000;
constexpr int kBurstMakeMs = 120000;

// Runs the event loop until done() holds or the time is up; true when done() holds.
bool spinUntil(const std::function<bool()>& done, int timeoutMs) {
    if (done()) {
        return true;
    }
    QElapsedTimer timer;
    timer.start();
    QEventLoop loop;
    QTimer poll;
    poll.setTimerType(Qt::PreciseTimer);
    poll.setInterval(1);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done() || timer.elapsed() >= timeoutMs) {
            loop.quit();
        }
    });
    poll.start();
    loop.exec();
    return done();
}

void spinFor(int ms) {
    spinUntil([] { return false; }, ms);
}

qint64 monotonicNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

// The process's resident memory, from /proc/self/statm.
qint64 residentBytes() {
    QFile statm(u"/proc/self/statm"_s);
    if (!statm.open(QIODevice::ReadOnly)) {
        return 0;
    }
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLongLong() * sysconf(_SC_PAGESIZE) : 0;
}

// A figure that may never have come: "never" then.
QString figureOr(double ms) {
    return ms < 0 ? u"never"_s : figure(ms);
}

// When the list first had rows and when it had all it should, from the load's start.
struct ListProgress {
    QElapsedTimer clock;
    double firstRowsMs = -1;
    double completeMs = -1;

    void note(int rows, int wanted) {
        if (rows > 0 && firstRowsMs < 0) {
            firstRowsMs = elapsedMs(clock);
        }
        if (rows >= wanted && completeMs < 0) {
            completeMs = elapsedMs(clock);
        }
    }
};

int listCase(QTextStream& out, const QString& work, int count) {
    const QString name = u"list-%1"_s.arg(count);
    out << "# " << name << ": the window starts on a folder of " << count
        << " files; the largest gap of its thread, the first rows and all rows, against a bare"
           " readdir + fstatat (targets: max_gap_ms <= 50, first_rows_ms <= 200, complete <= 1.5"
           " x bare)"
        << Qt::endl;
    const QString folder = work + u'/' + name;
    if (!makeFiles(folder, count, "avi")) {
        out << name << ": could not make the folder\n";
        return 1;
    }
    const QByteArray nativeFolder = native(folder);
    qsizetype entries = 0;
    bareListingMs(nativeFolder, entries);  // the window starts from warm caches too
    std::vector<double> bare;
    for (int round = 0; round < kBareRounds; ++round) {
        bare.push_back(bareListingMs(nativeFolder, entries));
    }
    const QString ini = work + u'/' + name + u".ini"_s;
    writeStartIni(ini, folder);

    StallWatchdog watchdog;
    ListProgress progress;
    qint64 residentBefore = 0;
    Window w(ini, false, [&](Window& window) {
        FileListModel& model = window.parts.list().model();
        const auto note = [&progress, &model, count] { progress.note(model.count(), count); };
        QObject::connect(&model, &QAbstractItemModel::modelReset, &model, note);
        QObject::connect(&model, &QAbstractItemModel::rowsInserted, &model, note);
        residentBefore = residentBytes();
        watchdog.start();
        progress.clock.start();
    });
    const double loadGap = watchdog.sectionMaxGapMs();
    watchdog.mark();
    w.form.openStartFolder();
    const double treeGap = watchdog.sectionMaxGapMs();
    spinUntil(
        [&] {
            progress.note(w.parts.list().rowCount(), count);
            return progress.completeMs >= 0;
        },
        kListDoneMs);
    spinFor(kSettleMs);
    const double maxGap = watchdog.maxGapMs();
    watchdog.stop();
    const int rows = w.parts.list().rowCount();
    const double perRow = rows > 0 ? double(residentBytes() - residentBefore) / rows / 1024.0 : 0.0;
    const double baseline = median(bare);
    out << name << ": max_gap_ms=" << figure(maxGap)
        << " first_rows_ms=" << figureOr(progress.firstRowsMs)
        << " complete_ms=" << figureOr(progress.completeMs) << " baseline=" << figure(baseline)
        << " ms ratio="
        << (progress.completeMs < 0 ? u"-"_s : figure(progress.completeMs / baseline))
        << " load_gap_ms=" << figure(loadGap) << " tree_gap_ms=" << figure(treeGap)
        << " rss_kib_per_row=" << QString::number(perRow, 'f', 3) << " rows=" << rows
        << " entries=" << entries << " targets: max_gap_ms=50 first_rows_ms=200 ratio=1.50"
        << Qt::endl;
    removeTree(folder);
    return 0;
}

// Lets a quiet share answer again once a step has run too long. It works from a thread of its
// own: the window's thread may be the one waiting on the share.
class ShareRelease {
public:
    ShareRelease(QuietShare& share, int afterMs)
        : m_thread([this, &share, afterMs] {
              std::unique_lock lock(m_mutex);
              if (!m_ended.wait_for(lock, std::chrono::milliseconds(afterMs),
                                    [this] { return m_stepDone; })) {
                  share.setQuiet(false);
                  m_fired = true;
              }
          }) {}
    ~ShareRelease() {
        {
            std::lock_guard lock(m_mutex);
            m_stepDone = true;
        }
        m_ended.notify_all();
        m_thread.join();
    }
    ShareRelease(const ShareRelease&) = delete;
    ShareRelease& operator=(const ShareRelease&) = delete;

    bool fired() const { return m_fired; }

private:
    std::mutex m_mutex;
    std::condition_variable m_ended;
    bool m_stepDone = false;
    std::atomic<bool> m_fired{false};
    std::thread m_thread;  // last: it starts once the rest is there
};

struct StepFigures {
    double ms = 0;
    double maxGapMs = 0;
    bool released = false;
};

// One step with the share quiet: its own time, and its largest gap with the settling after it.
StepFigures quietStep(QuietShare& share, StallWatchdog& watchdog,
                      const std::function<void()>& run) {
    StepFigures figures;
    share.setQuiet(true);
    watchdog.mark();
    {
        const ShareRelease release(share, kReleaseAfterMs);
        QElapsedTimer timer;
        timer.start();
        run();
        figures.ms = elapsedMs(timer);
        spinFor(kSettleMs);
        figures.maxGapMs = watchdog.sectionMaxGapMs();
        figures.released = release.fired();
    }
    return figures;
}

bool settingsWritten(const QString& ini) {
    QFile file(ini);
    return file.open(QIODevice::ReadOnly) && file.readAll().contains("[FormPos]");
}

int quietShareCase(QTextStream& out, const QString& work) {
    out << "# quiet-share: a share whose look-ups wait " << kShareDelaySeconds
        << " s lies in the start folder; the window starts, goes into it and is closed (targets:"
           " max_gap_ms <= 50, close_ms <= 1000 with the settings written)"
        << Qt::endl;
    QuietShare share(QuietShare::Options{.delay = kShareDelaySeconds, .quiet = false});
    if (!share.available()) {
        out << "quiet-share: skipped: " << share.whyNot() << Qt::endl;
        return 0;
    }
    const QString start = QFileInfo(share.path()).absolutePath();
    for (const QString& other : {u"music"_s, u"video"_s}) {
        if (!QDir(start).mkdir(other) || !makeFiles(start + u'/' + other + u"/clips"_s, 3, "avi")) {
            out << "quiet-share: could not make the start folder\n";
            return 1;
        }
    }
    const QString ini = work + u"/quiet-share.ini"_s;
    writeStartIni(ini, start);

    StallWatchdog watchdog;
    watchdog.start();
    std::unique_ptr<Window> w;
    const StepFigures load = quietStep(share, watchdog, [&] {
        w = std::make_unique<Window>(ini, false);
        w->form.openStartFolder();
    });
    QFile::remove(ini);  // what the close writes
    const StepFigures open =
        quietStep(share, watchdog, [&] { w->parts.navigation().GoToPath(share.path(), true); });
    const bool shareListed = w->parts.list().ListedFolder() == share.path();
    const StepFigures close = quietStep(share, watchdog, [&] { w->form.close(); });
    const bool written = settingsWritten(ini);
    const double maxGap = watchdog.maxGapMs();
    watchdog.stop();
    share.setQuiet(false);
    const qsizetype boxes = w->dialogs.calls().size();
    w.reset();

    QStringList released;
    for (const auto& [step, figures] :
         {std::pair{"start", load}, std::pair{"open", open}, std::pair{"close", close}}) {
        if (figures.released) {
            released << QLatin1String(step);
        }
    }
    out << "quiet-share: max_gap_ms=" << figure(maxGap) << " start_ms=" << figure(load.ms)
        << " start_gap_ms=" << figure(load.maxGapMs) << " open_ms=" << figure(open.ms)
        << " open_gap_ms=" << figure(open.maxGapMs) << " close_ms=" << figure(close.ms)
        << " close_gap_ms=" << figure(close.maxGapMs)
        << " settings_written=" << (written ? "yes" : "no")
        << " share_listed=" << (shareListed ? "yes" : "no") << " boxes=" << boxes
        << " released=" << (released.isEmpty() ? u"none"_s : released.join(u','))
        << " targets: max_gap_ms=50 close_ms=1000" << Qt::endl;
    return 0;
}

// Makes the files from another process and prints, on its standard output, the monotonic clock
// before the first and after the last.
constexpr char kMaker[] =
    "import os, sys, time\n"
    "folder, count = sys.argv[1], int(sys.argv[2])\n"
    "first = time.monotonic_ns()\n"
    "for i in range(count):\n"
    "    os.close(os.open(os.path.join(folder, 'clip-%06d.avi' % i),\n"
    "                     os.O_WRONLY | os.O_CREAT | os.O_EXCL, 0o644))\n"
    "print(first, time.monotonic_ns(), flush=True)\n";

int burstCase(QTextStream& out, const QString& work, int count) {
    const QString name = u"burst-%1"_s.arg(count);
    out << "# " << name << ": another process makes " << count
        << " files in the folder the window shows; from the last file made until the list shows"
           " them all (targets: rows_after_ms <= 1000, max_gap_ms <= 50)"
        << Qt::endl;
    const QString python = u"/usr/bin/python3"_s;
    if (!QFileInfo(python).isExecutable()) {
        out << name << ": skipped: " << python << " is missing" << Qt::endl;
        return 0;
    }
    const QString folder = work + u'/' + name;
    if (!QDir().mkpath(folder)) {
        out << name << ": could not make the folder\n";
        return 1;
    }
    const QString ini = work + u'/' + name + u".ini"_s;
    writeStartIni(ini, folder);

    StallWatchdog watchdog;
    watchdog.start();
    Window w(ini, false);
    w.form.openStartFolder();
    spinFor(kSettleMs);
    const int rowsBefore = w.parts.list().rowCount();

    watchdog.mark();
    QProcess maker;
    maker.setStandardErrorFile(QProcess::nullDevice());
    maker.start(python, {u"-c"_s, QString::fromLatin1(kMaker), folder, QString::number(count)});
    qint64 allRowsAt = -1;
    const auto watchRows = [&] {
        if (allRowsAt < 0 && w.parts.list().rowCount() >= count) {
            allRowsAt = monotonicNs();
        }
    };
    spinUntil(
        [&] {
            watchRows();
            return maker.state() == QProcess::NotRunning;
        },
        kBurstMakeMs);
    if (maker.state() != QProcess::NotRunning) {
        maker.kill();
        maker.waitForFinished(1000);
    }
    const QList<QByteArray> times = maker.readAllStandardOutput().trimmed().split(' ');
    if (maker.exitCode() != 0 || times.size() != 2) {
        out << name << ": the other process did not make the files\n";
        return 1;
    }
    const qint64 firstMade = times[0].toLongLong();
    const qint64 lastMade = times[1].toLongLong();
    const qint64 waitUntil = lastMade + qint64(kBurstWaitMs) * 1000000;
    spinUntil(
        [&] {
            watchRows();
            return allRowsAt >= 0 || monotonicNs() >= waitUntil;
        },
        kBurstWaitMs + 1000);
    spinFor(kSettleMs);
    const double maxGap = watchdog.sectionMaxGapMs();
    watchdog.stop();
    out << name << ": rows_after_ms="
        << (allRowsAt < 0 ? u"never"_s : figure(std::max<qint64>(allRowsAt - lastMade, 0) / 1e6))
        << " rows_seen=" << w.parts.list().rowCount() << " rows_before=" << rowsBefore
        << " waited_ms=" << kBurstWaitMs << " max_gap_ms=" << figure(maxGap)
        << " make_ms=" << figure((lastMade - firstMade) / 1e6) << " files=" << count
        << " targets: rows_after_ms=1000 max_gap_ms=50" << Qt::endl;
    return 0;
}

// "list-1000" -> 1000 for the prefix "list-"; the default for the bare name, 0 for anything else.
int caseCount(const QString& wanted, QLatin1StringView prefix, int fallback) {
    if (wanted.isEmpty()) {
        return fallback;
    }
    if (!wanted.startsWith(prefix)) {
        return 0;
    }
    bool ok = false;
    const int count = wanted.mid(prefix.size()).toInt(&ok);
    return ok && count > 0 ? count : 0;
}

}  // namespace

int runStallBench() {
    QTextStream out(stdout);
    const QString wanted = QCoreApplication::arguments().value(2);
    const int listed = caseCount(wanted, "list-"_L1, kDefaultListed);
    const int burst = caseCount(wanted, "burst-"_L1, kDefaultBurst);
    const bool quiet = wanted.isEmpty() || wanted == u"quiet-share"_s;
    if (listed == 0 && burst == 0 && !quiet) {
        out << "stall: no case " << wanted << " (list-N, quiet-share, burst-N)\n";
        return 2;
    }
    WorkFolder work(u"stall"_s);
    if (!work.isValid()) {
        out << "stall: could not make the work folder\n";
        return 1;
    }
    int failed = 0;
    if (listed > 0) {
        failed |= listCase(out, work.path(), listed);
    }
    if (quiet) {
        failed |= quietShareCase(out, work.path());
    }
    if (burst > 0) {
        failed |= burstCase(out, work.path(), burst);
    }
    return failed;
}
