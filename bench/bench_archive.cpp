// quorvane-bench archive: the file view's extraction command on one selected archive row, run
// through the real main window with its dialogs answered by script. Each time runs from the
// command until the folder is listed again, the offer of the archive for the trash (declined)
// included; the baseline is bsdtar extracting the same archive into an empty folder, started
// from here. The sides take turns, the written data synced to disk between them.
//   zip-2000: a ZIP (deflate) of 2,000 text files in 20 folders, about 200 MiB in all.
//   lzh-500: an LZH (lh5) of 500 text files in 5 folders, about 50 MiB in all.
//   zip-1gib-one-file: a ZIP holding one entry of 1 GiB of zeros (deflate); rss_growth_mib is the
//   largest rise of the resident set over the command's start in any round.
#include <sys/statvfs.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "app/form1_parts.h"
#include "app/toolbar1.h"
#include "bench_window.h"
#include "browser/file_list.h"
#include "browser/folder_tree.h"
#include "browser/navigation.h"
#include "fileops/archive_commands.h"
#include "platform/scripted_dialogs.h"

using namespace Qt::StringLiterals;
using namespace bench;

namespace {

constexpr qint64 kMiB = 1024 * 1024;

qint64 freeBytes(const QString& path) {
    struct statvfs fs {};
    if (::statvfs(native(path).constData(), &fs) != 0) {
        return -1;
    }
    return qint64(fs.f_bavail) * qint64(fs.f_frsize);
}

// What the extractor keeps free on the file system besides what it writes.
qint64 extractorReserve(const QString& path) {
    struct statvfs fs {};
    if (::statvfs(native(path).constData(), &fs) != 0) {
        return 64 * kMiB;
    }
    return std::max(64 * kMiB, qint64(fs.f_blocks) * qint64(fs.f_frsize) / 100);
}

// Files and their bytes under a folder.
struct TreeSize {
    int files = 0;
    qint64 bytes = 0;
};

TreeSize treeSize(const QString& folder) {
    TreeSize size;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        ++size.files;
        size.bytes += it.fileInfo().size();
    }
    return size;
}

// Runs a tool to its end; false when it is missing or fails.
bool run(const QString& folder, const QString& program, const QStringList& arguments,
         int timeoutMs = 300000) {
    QProcess process;
    process.setWorkingDirectory(folder);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(program, arguments);
    return process.waitForFinished(timeoutMs) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

// Text of made-up words: it packs to about a third, as prose and source code do, and no two
// stretches of it are alike.
class TextMaker {
public:
    TextMaker() {
        for (std::string& word : m_words) {
            const int length = 2 + int(next() % 9);
            for (int i = 0; i < length; ++i) {
                word.push_back(char('a' + next() % 26));
            }
        }
    }

    QByteArray text(qint64 bytes) {
        QByteArray out;
        out.reserve(bytes + 16);
        int onLine = 0;
        while (out.size() < bytes) {
            const quint64 r = next();
            out.append(m_words[r % m_words.size()]);
            if (++onLine >= 8 + int((r >> 20) % 8)) {
                out.append(r & (1u << 30) ? ".\n" : "\n");
                onLine = 0;
            } else {
                out.append((r >> 40) % 11 == 0 ? ", " : " ");
            }
        }
        out.truncate(bytes);
        return out;
    }

private:
    quint64 next() {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 7;
        m_state ^= m_state << 17;
        return m_state;
    }

    quint64 m_state = 0x9e3779b97f4a7c15ULL;
    std::array<std::string, 4096> m_words;
};

// count text files in `folders` folders under source/set, of sizes spread around bytesEach.
bool makeTextTree(const QString& source, int count, int folders, qint64 bytesEach) {
    TextMaker maker;
    for (int i = 0; i < count; ++i) {
        const QString folder =
            source + u"/set/part-"_s + QString::number(i % folders).rightJustified(2, u'0');
        if (i < folders && !QDir().mkpath(folder)) {
            return false;
        }
        const qint64 size = bytesEach / 2 + qint64((i * 7919) % 1000) * bytesEach / 1000;
        QFile file(folder + u"/note-"_s + QString::number(i).rightJustified(6, u'0') + u".txt"_s);
        if (!file.open(QIODevice::WriteOnly) || file.write(maker.text(size)) != size) {
            return false;
        }
    }
    return true;
}

// Peak resident set since the mark was set, and the resident set, from /proc/self/status.
qint64 statusKiB(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return -1;
    }
    const QByteArray key = QByteArray(field) + ':';
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(key)) {
            return line.mid(key.size()).trimmed().split(' ').value(0).toLongLong();
        }
    }
    return -1;
}

// Sets the peak resident set back to the resident set; false when the kernel will not.
bool resetPeakRss() {
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    return refs.open(QIODevice::WriteOnly) && refs.write("5") == 1;
}

// Selects the one row of a file of the listed folder; false when it is not listed.
bool selectOnly(FileList& list, const QString& path) {
    list.SetAllListItemsState(false);
    list.selectKeys({path});
    const QList<int> rows = list.selectedRows();
    return rows.size() == 1 && list.keyOfRow(rows.first()) == path;
}

struct ArchiveCase {
    const char* name;
    QString archive;  // where it was made
    int files = 0;    // what it holds
    qint64 bytes = 0;
    int rounds = 3;
    // Many files: what each round extracts stays until the run ends. Files deleted a moment
    // before slow down making new ones on some file systems (ext4 without a journal skips their
    // inodes one by one), and that would fall on whichever side came next.
    bool keepExtracted = true;
    bool measureRss = false;
};

struct Times {
    std::vector<double> ours;
    std::vector<double> withEvents;
    std::vector<double> baseline;
    qint64 rssGrowthKiB = -1;
};

// One round of ours: the archive alone in a folder of its own (linked there), shown and
// selected, extracted, the offer for the trash declined. False when something is not as it
// should be; why goes to out.
bool oursRound(QTextStream& out, Window& w, const ArchiveCase& c, const QString& root,
               const QString& folder, Times& times) {
    const QString archive = folder + u'/' + QFileInfo(c.archive).fileName();
    if (!QDir().mkpath(folder) || ::link(native(c.archive).constData(), native(archive)) != 0) {
        out << c.name << ": could not put the archive in a folder of its own\n";
        return false;
    }
    // Away and back, so that the folder is read as the user would find it.
    w.parts.navigation().GoToPath(root, true);
    if (!w.open(folder, 1) || !selectOnly(w.parts.list(), archive)) {
        out << c.name << ": could not list and select the archive\n";
        return false;
    }
    w.dialogs.clear();
    w.dialogs.answerMessage(MsgResult::No);  // keep the archive
    ::sync();
    bool rssMarked = false;
    qint64 rssBefore = -1;
    if (c.measureRss) {
        rssMarked = resetPeakRss();
        rssBefore = statusKiB("VmRSS");
    }
    QElapsedTimer timer;
    timer.start();
    w.parts.archiveCommands().ExtractArchives(false);
    times.ours.push_back(elapsedMs(timer));
    if (c.measureRss && rssMarked && rssBefore >= 0) {
        const qint64 peak = statusKiB("VmHWM");
        if (peak >= 0) {
            times.rssGrowthKiB = std::max(times.rssGrowthKiB, peak - rssBefore);
        }
    }
    QCoreApplication::processEvents();
    times.withEvents.push_back(elapsedMs(timer));

    const TreeSize got = treeSize(folder);
    const qint64 archiveBytes = QFileInfo(archive).size();
    // The archive is still there (the offer was declined) and counts as one of the files.
    if (w.dialogs.messages().size() != 1 || !QFileInfo::exists(archive) ||
        got.files != c.files + 1 || got.bytes != c.bytes + archiveBytes ||
        w.parts.list().rowOfKey(archive) < 0) {
        out << c.name << ": the extraction is not as expected (files " << got.files - 1
            << ", bytes " << got.bytes - archiveBytes << ", boxes " << w.dialogs.messages().size()
            << ", rows " << w.parts.list().rowCount() << ")\n";
        for (const ScriptedDialogs::Call& call : w.dialogs.calls()) {
            out << "  box: " << call.text << '\n';
        }
        return false;
    }
    if (!c.keepExtracted) {
        removeTree(folder);
    }
    return true;
}

bool baselineRound(QTextStream& out, const ArchiveCase& c, const QString& target, Times& times) {
    if (!QDir().mkpath(target)) {
        out << c.name << ": could not make the baseline's folder\n";
        return false;
    }
    ::sync();
    QElapsedTimer timer;
    timer.start();
    const bool done = run(target, QStringLiteral("bsdtar"), {u"-xf"_s, c.archive, u"-C"_s, target});
    times.baseline.push_back(elapsedMs(timer));
    const TreeSize got = treeSize(target);
    if (!done || got.files != c.files || got.bytes != c.bytes) {
        out << c.name << ": bsdtar failed (files " << got.files << ", bytes " << got.bytes << ")\n";
        return false;
    }
    if (!c.keepExtracted) {
        removeTree(target);
    }
    return true;
}

// Runs the rounds on the case's archive, each side in fresh folders under root; prints the
// case's line.
int measure(QTextStream& out, Window& w, const ArchiveCase& c, const QString& root) {
    Times times;
    for (int round = 0; round < c.rounds; ++round) {
        const QString prefix = root + u'/' + QLatin1String(c.name) + u'-';
        const QString shown = prefix + u"shown-"_s + QString::number(round);
        const QString bare = prefix + u"bare-"_s + QString::number(round);
        // Which side goes first changes every round.
        const bool oursFirst = round % 2 == 0;
        if (oursFirst && !oursRound(out, w, c, root, shown, times)) {
            return 1;
        }
        if (!baselineRound(out, c, bare, times)) {
            return 1;
        }
        if (!oursFirst && !oursRound(out, w, c, root, shown, times)) {
            return 1;
        }
    }
    const double ours = median(times.ours);
    const double baseline = median(times.baseline);
    QString extra = u"with_events_ms="_s + figure(median(times.withEvents));
    if (c.measureRss) {
        extra += u" rss_growth_mib="_s +
                 (times.rssGrowthKiB >= 0 ? figure(times.rssGrowthKiB / 1024.0) : u"unknown"_s);
    }
    extra += u" files=%1 mib=%2 archive_mib=%3 rounds=%4"_s.arg(c.files)
                 .arg(figure(double(c.bytes) / kMiB))
                 .arg(figure(double(QFileInfo(c.archive).size()) / kMiB))
                 .arg(c.rounds);
    out << c.name << ": ours=" << figure(ours) << " ms baseline=" << figure(baseline)
        << " ms ratio=" << figure(ours / baseline) << ' ' << extra << Qt::endl;
    return 0;
}

// Why a case cannot run here; empty when it can.
QString obstacle(const QString& root, const QStringList& tools, qint64 neededBytes) {
    for (const QString& tool : tools) {
        if (QStandardPaths::findExecutable(tool).isEmpty()) {
            return tool + u" is missing"_s;
        }
    }
    if (freeBytes(root) < neededBytes + extractorReserve(root)) {
        return u"less than %1 MiB free on the build folder's file system"_s.arg(
            (neededBytes + extractorReserve(root)) / kMiB);
    }
    return {};
}

// The text files stay, as does what the rounds extract (see keepExtracted), until the run ends.
int textCase(QTextStream& out, Window& w, const QString& root, const char* name,
             const QString& archiveName, int files, int folders, qint64 totalBytes) {
    constexpr int kRounds = 3;
    const bool zip = archiveName.endsWith(u".zip"_s);
    // The text, the archive, and both sides' extractions of every round.
    if (const QString why = obstacle(root, {u"bsdtar"_s, zip ? u"zip"_s : u"jlha"_s},
                                     totalBytes * (2 + 2 * kRounds));
        !why.isEmpty()) {
        out << name << ": skipped (" << why << ")\n";
        return 0;
    }
    const QString prefix = root + u'/' + QLatin1String(name) + u'-';
    const QString source = prefix + u"source"_s;
    const QString archive = prefix + u"archive/"_s + archiveName;
    if (!makeTextTree(source, files, folders, totalBytes / files) ||
        !QDir().mkpath(QFileInfo(archive).path())) {
        out << name << ": could not make the text files\n";
        return 1;
    }
    const TreeSize made = treeSize(source);
    const bool packed = zip ? run(source, u"zip"_s, {u"-q"_s, u"-r"_s, archive, u"set"_s})
                            : run(source, u"jlha"_s, {u"aq"_s, archive, u"set"_s});
    if (!packed) {
        out << name << ": could not make the archive\n";
        return 1;
    }
    ArchiveCase c{name, archive, made.files, made.bytes};
    c.rounds = kRounds;
    return measure(out, w, c, root);
}

int oneGibCase(QTextStream& out, Window& w, const QString& root) {
    const char* name = "zip-1gib-one-file";
    constexpr qint64 kBytes = 1024 * kMiB;
    // Both sides' gibibytes of one round.
    if (const QString why = obstacle(root, {u"bsdtar"_s, u"python3"_s}, 2 * kBytes + kBytes / 2);
        !why.isEmpty()) {
        out << name << ": skipped (" << why << ")\n";
        return 0;
    }
    const QString folder = root + u'/' + QLatin1String(name) + u"-archive"_s;
    const QString archive = folder + u"/big.zip"_s;
    // Streamed into the archive: the gibibyte itself is never on disk.
    const QString script = QStringLiteral(
        "import sys, zipfile\n"
        "with zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED) as z:\n"
        "    with z.open('big.bin', 'w') as f:\n"
        "        block = bytes(1 << 20)\n"
        "        for _ in range(1024):\n"
        "            f.write(block)\n");
    if (!QDir().mkpath(folder) || !run(root, u"python3"_s, {u"-c"_s, script, archive})) {
        out << name << ": could not make the archive\n";
        return 1;
    }
    ArchiveCase c{name, archive, 1, kBytes};
    c.keepExtracted = false;
    c.measureRss = true;
    const int result = measure(out, w, c, root);
    removeTree(folder);
    return result;
}

}  // namespace

int runArchiveBench() {
    QTextStream out(stdout);
    // Nothing should reach the window's trash; if something does, it stays in here.
    WorkFolder work(u"archive"_s);
    if (!work.isValid()) {
        out << "archive: could not make the temporary folder\n";
        return 1;
    }
    const QString root = work.path();
    Window w(root + u"/quorvane.ini", true);
    int result = 0;
    if (caseWanted("zip-2000")) {
        result = textCase(out, w, root, "zip-2000", u"texts.zip"_s, 2000, 20, 200 * kMiB);
    }
    if (caseWanted("lzh-500")) {
        result =
            std::max(result, textCase(out, w, root, "lzh-500", u"texts.lzh"_s, 500, 5, 50 * kMiB));
    }
    if (caseWanted("zip-1gib-one-file")) {
        result = std::max(result, oneGibCase(out, w, root));
    }
    w.form.close();
    return result;
}
