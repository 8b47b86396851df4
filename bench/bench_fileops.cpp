// quorvane-bench fileops: the list's file commands on many selected rows, run through the real
// main window with its dialogs answered by script. Each time runs from the command until the
// list shows what is left (and, for the extension change, until the folder is listed again).
//   trash-10000: DelFile on every other row of a listed folder of 20,000 files, into a trash
//   of its own on the data's file system, against a bare loop that writes each item's
//   .trashinfo (O_EXCL) into info/ and renames the item into files/.
//   move-10000-same-fs: MoveFile of every other row of 20,000 into a folder of the same file
//   system, against a bare rename loop.
//   move-1gib-cross-fs: MoveFile of 100 files of 10 MiB from the build folder's file system to
//   /dev/shm, against cp -r and rm -r of the same tree. One round, the data written afresh for
//   each side.
//   ext-change-1000: Form3's OK (upper case) on 1,000 selected rows, the relist included, against
//   a bare rename loop and one ListFolder of the folder.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <ctime>
#include <filesystem>
#include <vector>

#include "app/form1_parts.h"
#include "bench_files.h"
#include "bench_window.h"
#include "browser/file_list.h"
#include "browser/folder_tree.h"
#include "browser/navigation.h"
#include "fileops/ext_change_dialog.h"
#include "fileops/list_commands.h"
#include "platform/scripted_dialogs.h"

using namespace Qt::StringLiterals;
using namespace bench;

namespace {

constexpr int kListed = 20000;
constexpr int kSelected = kListed / 2;
constexpr int kRounds = 5;
constexpr int kExtFiles = 1000;
constexpr int kExtRounds = 7;
constexpr int kBigFiles = 100;
constexpr qint64 kBigFileBytes = 10 * 1024 * 1024;

void printCase(QTextStream& out, const char* name, double ours, double baseline,
               const QString& extra) {
    out << name << ": ours=" << figure(ours) << " ms baseline=" << figure(baseline)
        << " ms ratio=" << figure(ours / baseline) << ' ' << extra << Qt::endl;
}

// Files with data in them, written back to disk before anything is timed.
bool makeBigFiles(const QString& folder) {
    const QByteArray path = native(folder);
    if (::mkdir(path.constData(), 0755) != 0) {
        return false;
    }
    std::vector<char> block(1024 * 1024);
    for (int i = 0; i < kBigFiles; ++i) {
        const int fd = ::open(QByteArray(path + '/' + fileName(i, "avi")).constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0) {
            return false;
        }
        bool written = true;
        for (qint64 done = 0; written && done < kBigFileBytes; done += qint64(block.size())) {
            std::fill(block.begin(), block.end(), char(i + done / qint64(block.size())));
            written = ::write(fd, block.data(), block.size()) == ssize_t(block.size());
        }
        ::close(fd);
        if (!written) {
            return false;
        }
    }
    ::sync();
    return true;
}

dev_t deviceOf(const QString& path) {
    struct stat st {};
    return ::stat(native(path).constData(), &st) == 0 ? st.st_dev : dev_t(-1);
}

int entryCount(const QString& folder) {
    return int(
        QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size());
}

// Rows 0, 2, 4, ...: a selection of many single-row ranges, as Ctrl+clicks make it. Returns how
// long the list takes to read the selected rows back (the first thing every command does with
// them), or -1 when they are not the rows chosen.
double selectEveryOtherRow(FileList& list) {
    QStringList keys;
    for (int row = 0; row < list.rowCount(); row += 2) {
        keys.append(list.keyOfRow(row));
    }
    list.selectKeys(keys);
    QElapsedTimer timer;
    timer.start();
    const qsizetype selected = list.selectedRows().size();
    const double ms = elapsedMs(timer);
    return selected == keys.size() ? ms : -1;
}

// What a command was timed at: until it returned with the rows in place, and with the events
// it left (layout, painting) run as well.
struct CommandTimes {
    double command = -1;
    double withEvents = -1;
};

template <typename Command>
CommandTimes timeCommand(Command command) {
    CommandTimes times;
    QElapsedTimer timer;
    timer.start();
    command();
    times.command = elapsedMs(timer);
    QCoreApplication::processEvents();
    times.withEvents = elapsedMs(timer);
    return times;
}

// The figures both cases on every other row of a folder print besides the times.
QString scatteredFigures(const std::vector<double>& withEvents,
                         const std::vector<double>& selectionRead) {
    return u"with_events_ms="_s + figure(median(withEvents)) + u" selection_read_ms="_s +
           figure(median(selectionRead)) +
           u" listed=%1 selected=%2 selection=every-other-row rounds=%3"_s.arg(kListed)
               .arg(kSelected)
               .arg(kRounds);
}

// The freedesktop minimum: the info file made exclusively under the item's name, then the item
// renamed into files/.
double baselineTrash(const QString& folder, const QString& trashDir) {
    const QByteArray info = native(trashDir + u"/info/");
    const QByteArray files = native(trashDir + u"/files/");
    const QByteArray source = native(folder) + '/';
    std::vector<QByteArray> names;
    for (int i = 0; i < kListed; i += 2) {
        names.push_back(fileName(i, "avi"));
    }
    QElapsedTimer timer;
    timer.start();
    for (const QByteArray& name : names) {
        const QByteArray path = source + name;
        char date[32];
        const time_t now = std::time(nullptr);
        struct tm local {};
        std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%S", ::localtime_r(&now, &local));
        const QByteArray text =
            "[Trash Info]\nPath=" + path.toPercentEncoding("/") + "\nDeletionDate=" + date + '\n';
        const int fd = ::open(QByteArray(info + name + ".trashinfo").constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) {
            return -1;
        }
        const bool written = ::write(fd, text.constData(), size_t(text.size())) == text.size();
        ::close(fd);
        if (!written || ::rename(path.constData(), QByteArray(files + name).constData()) != 0) {
            return -1;
        }
    }
    return elapsedMs(timer);
}

double baselineRename(const QString& from, const QString& to, int step, const char* fromExt,
                      const char* toExt, int count) {
    const QByteArray source = native(from) + '/';
    const QByteArray target = native(to) + '/';
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < count; i += step) {
        if (::rename(QByteArray(source + fileName(i, fromExt)).constData(),
                     QByteArray(target + fileName(i, toExt)).constData()) != 0) {
            return -1;
        }
    }
    return elapsedMs(timer);
}

int trashCase(QTextStream& out, Window& w, const QString& root, const QString& homeTrash) {
    std::vector<double> ours;
    std::vector<double> withEvents;
    std::vector<double> selectionRead;
    std::vector<double> baseline;
    for (int round = 0; round < kRounds; ++round) {
        const QString bare = root + u"/trash-bare";
        const QString bareTrash = root + u"/bare-trash";
        if (!makeFiles(bare, kListed, "avi") || !QDir().mkpath(bareTrash + u"/info") ||
            !QDir().mkpath(bareTrash + u"/files")) {
            out << "trash-10000: could not make the test files\n";
            return 1;
        }
        baseline.push_back(baselineTrash(bare, bareTrash));
        if (baseline.back() < 0 || entryCount(bare) != kSelected) {
            out << "trash-10000: the bare loop failed\n";
            return 1;
        }

        const QString folder = root + u"/trash-ours";
        const double read = makeFiles(folder, kListed, "avi") && w.open(folder, kListed)
                                ? selectEveryOtherRow(w.parts.list())
                                : -1;
        if (read < 0) {
            out << "trash-10000: could not list and select the test files\n";
            return 1;
        }
        w.dialogs.clear();
        w.dialogs.answerMessage(MsgResult::Yes);
        const CommandTimes times = timeCommand([&] { w.parts.listCommands().DelFile(); });
        if (w.parts.list().rowCount() != kSelected || w.dialogs.messages().size() != 1 ||
            entryCount(homeTrash + u"/files") != kSelected || entryCount(folder) != kSelected) {
            out << "trash-10000: the rows or the trash are not as expected (rows "
                << w.parts.list().rowCount() << ", boxes " << w.dialogs.messages().size() << ")\n";
            return 1;
        }
        ours.push_back(times.command);
        withEvents.push_back(times.withEvents);
        selectionRead.push_back(read);
        for (const QString& path : {bare, bareTrash, folder, homeTrash}) {
            removeTree(path);
        }
    }
    printCase(out, "trash-10000", median(ours), median(baseline),
              scatteredFigures(withEvents, selectionRead));
    return 0;
}

int moveSameFsCase(QTextStream& out, Window& w, const QString& root) {
    std::vector<double> ours;
    std::vector<double> withEvents;
    std::vector<double> selectionRead;
    std::vector<double> baseline;
    for (int round = 0; round < kRounds; ++round) {
        const QString bare = root + u"/move-bare";
        const QString bareTarget = root + u"/move-bare-target";
        if (!makeFiles(bare, kListed, "avi") || !QDir().mkpath(bareTarget)) {
            out << "move-10000-same-fs: could not make the test files\n";
            return 1;
        }
        baseline.push_back(baselineRename(bare, bareTarget, 2, "avi", "avi", kListed));
        if (baseline.back() < 0) {
            out << "move-10000-same-fs: the bare loop failed\n";
            return 1;
        }

        const QString folder = root + u"/move-ours";
        const QString target = root + u"/move-ours-target";
        const double read =
            makeFiles(folder, kListed, "avi") && QDir().mkpath(target) && w.open(folder, kListed)
                ? selectEveryOtherRow(w.parts.list())
                : -1;
        if (read < 0) {
            out << "move-10000-same-fs: could not list and select the test files\n";
            return 1;
        }
        w.dialogs.clear();
        w.dialogs.answerFolder(target);
        w.dialogs.answerMessage(MsgResult::Yes);
        const CommandTimes times = timeCommand([&] { w.parts.listCommands().MoveFile(); });
        if (w.parts.list().rowCount() != kSelected || entryCount(target) != kSelected) {
            out << "move-10000-same-fs: the rows or the target are not as expected (rows "
                << w.parts.list().rowCount() << ", moved " << entryCount(target) << ")\n";
            return 1;
        }
        ours.push_back(times.command);
        withEvents.push_back(times.withEvents);
        selectionRead.push_back(read);
        for (const QString& path : {bare, bareTarget, folder, target}) {
            removeTree(path);
        }
    }
    printCase(out, "move-10000-same-fs", median(ours), median(baseline),
              scatteredFigures(withEvents, selectionRead));
    return 0;
}

// Why the cross-file-system move cannot run here; empty when it can.
QString crossFsObstacle(const QString& root, const QString& shm) {
    if (!QFileInfo(shm).isDir()) {
        return shm + u" is missing"_s;
    }
    if (deviceOf(shm) == deviceOf(root)) {
        return shm + u" is on the build folder's file system"_s;
    }
    const qint64 needed = kBigFiles * kBigFileBytes + 64 * 1024 * 1024;
    for (const QString& path : {shm, root}) {
        struct statvfs fs {};
        if (::statvfs(native(path).constData(), &fs) != 0 ||
            qint64(fs.f_bavail) * qint64(fs.f_frsize) < needed) {
            return path + u" has less than 1 GiB free"_s;
        }
    }
    return {};
}

int moveCrossFsCase(QTextStream& out, Window& w, const QString& root) {
    const QString shm = QStringLiteral("/dev/shm");
    if (const QString obstacle = crossFsObstacle(root, shm); !obstacle.isEmpty()) {
        out << "move-1gib-cross-fs: skipped (" << obstacle << ")\n";
        return 0;
    }
    QTemporaryDir shmDir(shm + u"/quorvane-bench-fileops-XXXXXX");
    // A gibibyte is written each time: a few rounds, and their medians, against the noise of
    // the disk.
    constexpr int kCrossRounds = 3;
    std::vector<double> ourTimes;
    std::vector<double> withEvents;
    std::vector<double> baselines;
    for (int round = 0; round < kCrossRounds; ++round) {
        const QString folder = root + u"/big-ours";
        const QString target = shmDir.path() + u"/ours";
        if (!shmDir.isValid() || !makeBigFiles(folder) || !QDir().mkpath(target) ||
            !w.open(folder, kBigFiles)) {
            out << "move-1gib-cross-fs: could not make the test files\n";
            return 1;
        }
        w.parts.list().SetAllListItemsState(true);
        w.dialogs.clear();
        w.dialogs.answerFolder(target);
        w.dialogs.answerMessage(MsgResult::Yes);
        const CommandTimes ours = timeCommand([&] { w.parts.listCommands().MoveFile(); });
        if (w.parts.list().rowCount() != 0 || entryCount(target) != kBigFiles ||
            QFileInfo(target + u'/' + QString::fromLatin1(fileName(0, "avi"))).size() !=
                kBigFileBytes) {
            out << "move-1gib-cross-fs: the rows or the target are not as expected (rows "
                << w.parts.list().rowCount() << ", moved " << entryCount(target) << ")\n";
            return 1;
        }
        ourTimes.push_back(ours.command);
        withEvents.push_back(ours.withEvents);
        removeTree(target);
        removeTree(folder);

        const QString bare = root + u"/big-bare";
        if (!makeBigFiles(bare)) {
            out << "move-1gib-cross-fs: could not make the test files\n";
            return 1;
        }
        QElapsedTimer timer;
        timer.start();
        const int copied =
            QProcess::execute(QStringLiteral("cp"), {QStringLiteral("-r"), bare, shmDir.path()});
        const int removed = QProcess::execute(QStringLiteral("rm"), {QStringLiteral("-r"), bare});
        baselines.push_back(elapsedMs(timer));
        if (copied != 0 || removed != 0) {
            out << "move-1gib-cross-fs: cp or rm failed\n";
            return 1;
        }
        removeTree(shmDir.path() + u"/big-bare");
    }
    const double oursMs = median(ourTimes);
    const double baseline = median(baselines);
    const double mib = double(kBigFiles * kBigFileBytes) / (1024 * 1024);
    printCase(out, "move-1gib-cross-fs", oursMs, baseline,
              u"ours_mib_s="_s + QString::number(mib / (oursMs / 1000), 'f', 0) +
                  u" baseline_mib_s="_s + QString::number(mib / (baseline / 1000), 'f', 0) +
                  u" with_events_ms="_s + figure(median(withEvents)) +
                  u" files=%1 file_mib=%2 to=%3 rounds=%4"_s.arg(kBigFiles)
                      .arg(kBigFileBytes / (1024 * 1024))
                      .arg(shm)
                      .arg(kCrossRounds));
    return 0;
}

int extChangeCase(QTextStream& out, Window& w, const QString& root) {
    std::vector<double> ours;
    std::vector<double> baseline;
    for (int round = 0; round < kExtRounds; ++round) {
        const QString bare = root + u"/ext-bare";
        if (!makeFiles(bare, kExtFiles, "avi")) {
            out << "ext-change-1000: could not make the test files\n";
            return 1;
        }
        QElapsedTimer timer;
        timer.start();
        const double renamed = baselineRename(bare, bare, 1, "avi", "AVI", kExtFiles);
        w.parts.list().ListFolder(bare, false);
        baseline.push_back(elapsedMs(timer));
        if (renamed < 0 || w.parts.list().rowCount() != kExtFiles) {
            out << "ext-change-1000: the bare loop failed\n";
            return 1;
        }

        const QString folder = root + u"/ext-ours";
        if (!makeFiles(folder, kExtFiles, "avi") || !w.open(folder, kExtFiles)) {
            out << "ext-change-1000: could not list the test files\n";
            return 1;
        }
        w.parts.list().SetAllListItemsState(true);
        w.dialogs.clear();
        ExtChangeDialog dialog(&w.form);
        dialog.checkOption(0);
        bool ok = false;
        const CommandTimes times =
            timeCommand([&] { ok = w.parts.listCommands().Form3Ok(dialog); });
        const QString last = folder + u'/' + QString::fromLatin1(fileName(kExtFiles - 1, "AVI"));
        if (!ok || w.parts.list().rowCount() != kExtFiles || w.parts.list().rowOfKey(last) < 0 ||
            !w.dialogs.calls().isEmpty()) {
            out << "ext-change-1000: the rows are not as expected\n";
            return 1;
        }
        ours.push_back(times.command);
        removeTree(bare);
        removeTree(folder);
    }
    printCase(out, "ext-change-1000", median(ours), median(baseline),
              u"rows=%1 option=0 rounds=%2"_s.arg(kExtFiles).arg(kExtRounds));
    return 0;
}

}  // namespace

int runFileopsBench() {
    QTextStream out(stdout);
    // The window's trash lies beside the data, on one file system.
    WorkFolder work(u"fileops"_s);
    if (!work.isValid()) {
        out << "fileops: could not make the temporary folder\n";
        return 1;
    }
    const QString root = work.path();
    Window w(root + u"/quorvane.ini", false);
    int result = 0;
    if (caseWanted("trash-10000")) {
        result = trashCase(out, w, root, root + u"/data/Trash");
    }
    if (caseWanted("move-10000-same-fs")) {
        result = std::max(result, moveSameFsCase(out, w, root));
    }
    if (caseWanted("move-1gib-cross-fs")) {
        result = std::max(result, moveCrossFsCase(out, w, root));
    }
    if (caseWanted("ext-change-1000")) {
        result = std::max(result, extChangeCase(out, w, root));
    }
    w.form.close();
    return result;
}
