// quorvane-bench history: the play history alone, through the object the window uses (each
// call posted to its worker, each answer taken on this thread), on a store of 100,000 files
// against an empty one.
//   history-folder-10000: a folder of 10,000 files (all of them in the store, among 100,000)
//   listed as the window lists it: the marks asked of the history as the listing starts, read on
//   its thread while the folder is read, and put on the rows once they are read. ours: with the
//   full store; baseline: with an empty one; ratio: how much longer the rows take to come with
//   their marks. bare_ms: the listing without marks; mark_ms: the time from the rows read to the
//   rows marked (waiting for the store included).
//   history-resume: a resume look-up, full store against empty: what a play start with resume
//   adds (added_ms, and the slowest of the rounds).
//   history-hour: an hour of playback simulated at speed (a few milliseconds per five
//   seconds played): a position saved every 5 s, another file every 10 minutes (its resume,
//   its folder's marks and last row). max_call_ms: the longest this thread spent in a call;
//   max_call_cpu_ms: the most processor time it used in one.
#include <time.h>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QTextStream>
#include <QThread>
#include <QTimer>
#include <algorithm>

#include "app/folder_marks.h"
#include "bench_files.h"
#include "bench_window.h"
#include "browser/file_lister.h"
#include "history/history_store.h"
#include "history/play_history.h"
#include "settings/module1.h"

namespace {

constexpr int kFolderFiles = 10000;
constexpr int kStoreFiles = 100000;
constexpr int kOtherFolders = 90;  // the rest of the store, in folders of 1,000
constexpr qint64 kMinute = 60 * 1000;

// Fills the store with the folder's files (as listed, so their stamps match) and others.
bool fillStore(const QString& path, const QString& folder, const std::vector<FileRow>& rows) {
    HistoryStore store;
    if (store.open(path) != HistoryStore::Status::Ready || !store.begin()) {
        return false;
    }
    int i = 0;
    for (const FileRow& row : rows) {
        const bool played = i++ % 3 == 0;
        if (!store.savePlayback(folder + u'/' + row.text, {row.bytes, row.time},
                                played ? 50 * kMinute : 20 * kMinute, 50 * kMinute, played)) {
            return false;
        }
    }
    const int perFolder = (kStoreFiles - int(rows.size())) / kOtherFolders;
    for (int f = 0; f < kOtherFolders; ++f) {
        const QString other = u"/srv/media/show " + QString::number(f) + u'/';
        for (int n = 0; n < perFolder; ++n) {
            if (!store.savePlayback(other + QString::fromLatin1(bench::fileName(n, "avi")),
                                    {1000, 1700000000}, 30 * kMinute, 50 * kMinute, false)) {
                return false;
            }
        }
    }
    return store.commit() && store.fileCount() == kStoreFiles;
}

// Runs ask(then) and this thread's events until then is called; false after five seconds.
bool waitForAnswer(const std::function<void(std::function<void()>)>& ask) {
    QEventLoop loop;
    bool answered = false;
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    ask([&] {
        answered = true;
        loop.quit();
    });
    if (!answered) {
        loop.exec();
    }
    return answered;
}

std::vector<RowStamp> rowStamps(const std::vector<FileRow>& rows) {
    std::vector<RowStamp> stamps;
    stamps.reserve(rows.size());
    for (const FileRow& row : rows) {
        stamps.push_back({row.text, {row.bytes, row.time}});
    }
    return stamps;
}

// One listing of folder with its marks, as the window makes it; its time in ms (negative: the
// marks did not come).
double markedListingMs(PlayHistory& history, const FileLister& lister, const QString& folder,
                       int& marked, double& markMs) {
    QElapsedTimer timer;
    timer.start();
    const std::shared_ptr<FolderMarks> marks = FolderMarks::ask(history, folder);
    Listing listing = lister.list(folder);
    QElapsedTimer marking;
    marking.start();
    if (!marks->mark(listing.rows, std::chrono::seconds(5))) {
        return -1;
    }
    const double ms = bench::elapsedMs(timer);
    markMs = bench::elapsedMs(marking);
    marked = int(std::count_if(listing.rows.begin(), listing.rows.end(),
                               [](const FileRow& row) { return row.heard > 0; }));
    return ms;
}

double resumeLookUpMs(PlayHistory& history, const QString& path, qint64& startMs) {
    QElapsedTimer timer;
    timer.start();
    const bool answered = waitForAnswer([&](std::function<void()> done) {
        history.lookUpResume(path, &history, [&startMs, done](const ResumePoint& resume) {
            startMs = resume.startMs;
            done();
        });
    });
    return answered ? bench::elapsedMs(timer) : -1;
}

// The times of both, a round each in turn, after a round that warms both.
struct Rounds {
    std::vector<double> ours;
    std::vector<double> baseline;
};
Rounds alternate(int rounds, const std::function<double()>& ours,
                 const std::function<double()>& baseline) {
    Rounds times;
    for (int round = 0; round <= rounds; ++round) {
        const double o = ours();
        const double b = baseline();
        if (round > 0) {
            times.ours.push_back(o);
            times.baseline.push_back(b);
        }
    }
    return times;
}

void folderCase(QTextStream& out, PlayHistory& full, PlayHistory& empty, const FileLister& lister,
                const QString& folder, double bareMs) {
    int marked = 0;
    int none = 0;
    std::vector<double> markMs;
    double emptyMarkMs = 0;
    const Rounds times = alternate(
        11,
        [&] {
            double ms = 0;
            const double listed = markedListingMs(full, lister, folder, marked, ms);
            markMs.push_back(ms);
            return listed;
        },
        [&] { return markedListingMs(empty, lister, folder, none, emptyMarkMs); });
    const double x = bench::median(times.ours);
    const double y = bench::median(times.baseline);
    out << "history-folder-" << kFolderFiles << ": ours=" << bench::figure(x)
        << " ms baseline=" << bench::figure(y) << " ms ratio=" << bench::figure(x / y)
        << " bare_ms=" << bench::figure(bareMs)
        << " mark_ms=" << bench::figure(bench::median(markMs)) << " marked=" << marked
        << " store_files=" << kStoreFiles << Qt::endl;
}

void resumeCase(QTextStream& out, PlayHistory& full, PlayHistory& empty, const QString& path) {
    qint64 startMs = -1;
    qint64 none = -1;
    const Rounds times = alternate(
        51, [&] { return resumeLookUpMs(full, path, startMs); },
        [&] { return resumeLookUpMs(empty, path, none); });
    const double x = bench::median(times.ours);
    const double y = bench::median(times.baseline);
    out << "history-resume: ours=" << bench::figure(x) << " ms baseline=" << bench::figure(y)
        << " ms ratio=" << bench::figure(x / y) << " added_ms=" << bench::figure(x - y)
        << " max_ms=" << bench::figure(*std::max_element(times.ours.begin(), times.ours.end()))
        << " start_ms=" << startMs << Qt::endl;
}

double threadCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

void hourCase(QTextStream& out, PlayHistory& history, const QString& folder,
              const std::vector<FileRow>& rows) {
    constexpr int kSaveEverySeconds = 5;
    constexpr int kFileEverySeconds = 10 * 60;
    constexpr int kHourSeconds = 60 * 60;
    // Wall time, and this thread's own processor time: on a busy machine the thread can be
    // taken off the processor in the middle of a call, which the second leaves out.
    std::vector<double> calls;
    std::vector<double> cpu;
    QElapsedTimer timer;
    const auto timed = [&](const std::function<void()>& call) {
        const double cpuBefore = threadCpuMs();
        timer.start();
        call();
        calls.push_back(bench::elapsedMs(timer));
        cpu.push_back(threadCpuMs() - cpuBefore);
    };
    const std::vector<RowStamp> stamps = rowStamps(rows);
    int answers = 0;
    QElapsedTimer wall;
    wall.start();
    for (int second = 0; second < kHourSeconds; second += kSaveEverySeconds) {
        const int file = second / kFileEverySeconds;
        const QString path = folder + u'/' + rows[size_t(file)].text;
        const qint64 positionMs = qint64(second % kFileEverySeconds) * 1000;
        if (second % kFileEverySeconds == 0) {
            std::vector<RowStamp> copy = stamps;  // made by the caller, not timed
            timed([&] {
                history.lookUpResume(path, &history, [&](const ResumePoint&) { ++answers; });
            });
            timed([&] {
                history.lookUpFolder(folder, std::move(copy), &history,
                                     [&](const FolderHistory&) { ++answers; });
            });
            timed([&] { history.setLastRow(folder, rows[size_t(file)].text); });
        }
        timed([&] { history.savePlayback(path, positionMs, 10 * kMinute, false); });
        // A moment for the worker and the answers, as the window's event loop gives them.
        QCoreApplication::processEvents();
        QThread::msleep(2);
    }
    const double wallMs = bench::elapsedMs(wall);
    const bool flushed = history.flush();
    QCoreApplication::processEvents();
    std::sort(calls.begin(), calls.end());
    out << "history-hour: max_call_ms=" << QString::number(calls.back(), 'f', 3)
        << " max_call_cpu_ms=" << QString::number(*std::max_element(cpu.begin(), cpu.end()), 'f', 3)
        << " p99_call_ms=" << QString::number(calls[calls.size() * 99 / 100], 'f', 3)
        << " median_call_ms=" << QString::number(calls[calls.size() / 2], 'f', 4)
        << " calls=" << calls.size() << " answers=" << answers
        << " simulated_in_ms=" << bench::figure(wallMs) << " flushed=" << (flushed ? 1 : 0)
        << Qt::endl;
}

}  // namespace

int runHistoryBench() {
    QTextStream out(stdout);
    bench::WorkFolder work(QStringLiteral("history"));
    if (!work.isValid()) {
        out << "history: could not make the work folder\n";
        return 1;
    }
    const QString folder = work.path() + u"/media";
    if (!bench::makeFiles(folder, kFolderFiles, "avi")) {
        out << "history: could not make the folder of " << kFolderFiles << " files\n";
        return 1;
    }
    Module1 module;
    const FileLister lister(ListerOptions::from(module, false));
    std::vector<double> listings;
    std::vector<FileRow> rows;
    for (int round = 0; round < 5; ++round) {
        QElapsedTimer timer;
        timer.start();
        Listing listing = lister.list(folder);
        listings.push_back(bench::elapsedMs(timer));
        rows = std::move(listing.rows);
    }
    const QString fullPath = work.path() + u"/full/quorvane-history.sqlite";
    if (int(rows.size()) != kFolderFiles || !fillStore(fullPath, folder, rows)) {
        out << "history: could not fill the store\n";
        return 1;
    }
    // What 100,000 files take on disk (the log was folded in when the store closed).
    out << "# history: store_kib_per_1000_files="
        << bench::figure(double(QFileInfo(fullPath).size()) / 1024.0 / (kStoreFiles / 1000))
        << Qt::endl;
    PlayHistory full(fullPath);
    PlayHistory empty(work.path() + u"/empty/quorvane-history.sqlite");
    if (bench::caseWanted("history-folder-10000")) {
        folderCase(out, full, empty, lister, folder, bench::median(listings));
    }
    if (bench::caseWanted("history-resume")) {
        // The second file is in progress (every third is played): it resumes.
        resumeCase(out, full, empty, folder + u'/' + rows[1].text);
    }
    if (bench::caseWanted("history-hour")) {
        hourCase(out, full, folder, rows);
    }
    return full.isAvailable() && empty.isAvailable() ? 0 : 1;
}
