// quorvane-bench listing: listing a folder into the file list.
//   listing-N-icons-off / -icons-on: a folder of N empty files, 60 % of them of the default
//   playable kinds, is read into list rows (filtered by the default patterns, with or without
//   icons and type names), put into the list's model and sorted by name (in the natural order, as
//   the program starts), against a bare readdir
//   + fstatat of every entry of the same folder. kib_per_row: heap the filled model holds per row,
//   its key index included.
#include <fcntl.h>
#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <vector>

#include "bench_files.h"
#include "browser/file_icon_source.h"
#include "browser/file_list_model.h"
#include "browser/file_lister.h"
#include "browser/image_list.h"
#include "settings/module1.h"

namespace {

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Names of a size and spread like a media folder's; six of ten are of a default kind.
bool makeFolder(const QString& folder, int count) {
    static const char* const kWords[] = {"live",   "track", "movie", "clip", "scene", "Summer",
                                         "winter", "trip",  "intro", "メモ", "旅行",  "part"};
    static const char* const kPlayable[] = {"rm",  "ram", "ra",  "mpeg", "mpg", "wmv",
                                            "avi", "mov", "dat", "wav",  "png"};
    static const char* const kOther[] = {"txt", "jpg", "mp3", "doc"};
    const QByteArray native = QFile::encodeName(folder);
    if (mkdir(native.constData(), 0755) != 0) {
        return false;
    }
    quint32 seed = 12345;
    for (int i = 0; i < count; ++i) {
        seed = seed * 1664525u + 1013904223u;
        const char* word = kWords[(seed >> 8) % std::size(kWords)];
        const char* ext = (i % 10) < 6 ? kPlayable[(seed >> 16) % std::size(kPlayable)]
                                       : kOther[(seed >> 16) % std::size(kOther)];
        const QByteArray name = native + '/' + word + ' ' + QByteArray::number((seed >> 4) % 1000) +
                                " - " + QByteArray::number(i).rightJustified(6, '0') + '.' +
                                (i % 7 == 0 ? QByteArray(ext).toUpper() : QByteArray(ext));
        const int fd = open(name.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        if (fd < 0) {
            return false;
        }
        close(fd);
    }
    return true;
}

// What ListFolder does with the folder, short of drawing: rows read, filtered and sorted in
// the model.
int oursRun(const QString& folder, const ListerOptions& options, MimeIconSource* icons,
            ImageList& images, FileListModel& model) {
    const FileLister lister(options);
    Listing listing = lister.list(folder, icons);
    if (icons) {
        FileLister::drawIcons(listing.icons, listing.rows, listing.iconFailures, *icons, images);
    }
    model.setRows(std::move(listing.rows));
    model.setNaturalOrder(true);  // as the program starts: the names' keys are made here
    if (model.count() > 0) {
        model.sortRows(1, 0);
        model.setSortMark(1, 0);
    }
    return model.count();
}

// Heap in use, small blocks and large (mapped) ones alike.
size_t heapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

}  // namespace

int runListingBench() {
    QTextStream out(stdout);
    QTemporaryDir dir(QStringLiteral("/tmp/quorvane-bench-listing-XXXXXX"));
    if (!dir.isValid()) {
        out << "listing: could not make the temporary folder\n";
        return 1;
    }
    Module1 module;
    const ListerOptions options = ListerOptions::from(module, false);
    ImageList images = ImageList::withBuiltinImages();
    MimeIconSource source(images);

    for (const int count : {1000, 10000, 100000}) {
        const QString folder = dir.path() + u'/' + QString::number(count);
        if (!makeFolder(folder, count)) {
            out << "listing: could not make the folder of " << count << " files\n";
            return 1;
        }
        const QByteArray native = QFile::encodeName(folder);
        const int rounds = count >= 100000 ? 7 : 11;
        for (const bool iconsOn : {false, true}) {
            MimeIconSource* context = iconsOn ? &source : nullptr;
            qsizetype entries = 0;
            int rows = 0;
            bench::bareListingMs(native, entries);  // both start from warm caches
            {
                FileListModel warm(&images);
                oursRun(folder, options, context, images, warm);
            }
            std::vector<double> ours;
            std::vector<double> baseline;
            for (int round = 0; round < rounds; ++round) {
                baseline.push_back(bench::bareListingMs(native, entries));
                FileListModel model(&images);
                QElapsedTimer timer;
                timer.start();
                rows = oursRun(folder, options, context, images, model);
                ours.push_back(timer.nsecsElapsed() / 1e6);
            }
            // Heap held by a filled model, per row (its key index included).
            const size_t before = heapInUse();
            double kibPerRow = 0;
            {
                FileListModel model(&images);
                oursRun(folder, options, context, images, model);
                (void)model.rowOfKey(QString());  // the key index, as the first lookup builds it
                const size_t after = heapInUse();
                kibPerRow = rows > 0 ? double(after - before) / rows / 1024.0 : 0;
            }
            const double x = median(ours);
            const double y = median(baseline);
            out << "listing-" << count << (iconsOn ? "-icons-on" : "-icons-off")
                << ": ours=" << QString::number(x, 'f', 2)
                << " ms baseline=" << QString::number(y, 'f', 2)
                << " ms ratio=" << QString::number(x / y, 'f', 2)
                << " kib_per_row=" << QString::number(kibPerRow, 'f', 3) << " rows=" << rows
                << " entries=" << entries << Qt::endl;
        }
    }
    return 0;
}
