// quorvane-bench thumbs: thumbnails in the file list's icon view, through the real list and view
// (offscreen), with the window thread's stalls seen by the watchdog.
//   jpeg-1000-cold: 1,000 JPEGs of 12 megapixels, empty thumbnail cache. first_screen_ms: the
//     rows in view all show their thumbnails; per_second over the whole folder, against the bare
//     scaled-decode loop on one core (baseline_per_second).
//   jpeg-1000-warm: the same folder listed again in a new list, the cache filled: per_second
//     shown, against the bare loop reading the cached thumbnails.
//   video-100: 100 H.264 files (a frame a little way in), against the bare frame loop.
//   scroll-10000: Page Down held through 10,000 picture rows at the key repeat's pace;
//     settle_ms: from the key's release until the rows in view show their thumbnails.
// Every case: max_gap_ms and p99_gap_ms of the window's thread. The pictures are made here
// (QImage, and the ffmpeg program for the video); files of one picture are hard links of a few
// made ones, so the folder costs little disk: the decoding, not the reading, is measured.
#include <unistd.h>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QImageWriter>
#include <QKeyEvent>
#include <QPainter>
#include <QProcess>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QTextStream>
#include <functional>
#include <memory>

#include "bench_window.h"
#include "browser/file_list.h"
#include "browser/file_list_view.h"
#include "browser/image_list.h"
#include "browser/list_thumbnails.h"
#include "browser/thumbnail_cache.h"
#include "browser/thumbnail_maker.h"
#include "browser/thumbnail_queue.h"
#include "browser/video_frame.h"
#include "platform/scripted_dialogs.h"
#include "settings/module1.h"
#include "stall_watchdog.h"

using bench::caseWanted;
using bench::figure;

namespace {

// A photo-like picture: smooth shades with fine grain, so it encodes as a camera's would.
QImage photo(int width, int height, int variant) {
    QImage image(width, height, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient shade(0, 0, width, height);
    shade.setColorAt(0, QColor::fromHsv((variant * 37) % 360, 160, 220));
    shade.setColorAt(1, QColor::fromHsv((variant * 37 + 120) % 360, 200, 90));
    painter.fillRect(image.rect(), shade);
    QRandomGenerator random(variant);
    for (int i = 0; i < 400; ++i) {
        painter.setBrush(QColor::fromHsv(random.bounded(360), 150, 200, 120));
        painter.setPen(Qt::NoPen);
        const int r = random.bounded(20, width / 8);
        painter.drawEllipse(random.bounded(width), random.bounded(height), r, r);
    }
    painter.end();
    for (int y = 0; y < height; y += 2) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; x += 3) {
            line[x] ^= random.generate() & 0x0f0f0f;
        }
    }
    return image;
}

// count files in folder named like "photo 0001.jpg", hard links of `distinct` pictures.
bool makePictures(const QString& folder, int count, int distinct, QSize size) {
    QDir().mkpath(folder);
    QStringList made;
    for (int i = 0; i < distinct; ++i) {
        const QString file = folder + u"/source-" + QString::number(i) + u".jpg.src";
        QImageWriter writer(file, "jpeg");
        writer.setQuality(88);
        if (!writer.write(photo(size.width(), size.height(), i + 1))) {
            return false;
        }
        made << file;
    }
    for (int i = 0; i < count; ++i) {
        const QString name =
            folder + u"/photo " + QString::number(i).rightJustified(5, u'0') + u".jpg";
        if (link(bench::native(made[i % distinct]).constData(), bench::native(name).constData()) !=
            0) {
            return false;
        }
    }
    return true;
}

bool makeVideos(const QString& folder, int count) {
    QDir().mkpath(folder);
    const QString source = folder + u"/source.mp4.src";
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 {u"-loglevel"_qs, u"error"_qs, u"-y"_qs, u"-f"_qs, u"lavfi"_qs, u"-i"_qs,
                  u"testsrc2=size=1280x720:rate=25"_qs, u"-t"_qs, u"20"_qs, u"-c:v"_qs,
                  u"libx264"_qs, u"-preset"_qs, u"veryfast"_qs, u"-pix_fmt"_qs, u"yuv420p"_qs,
                  u"-f"_qs, u"mp4"_qs, source});
    if (!ffmpeg.waitForFinished(120000) || ffmpeg.exitCode() != 0) {
        return false;
    }
    for (int i = 0; i < count; ++i) {
        const QString name =
            folder + u"/clip " + QString::number(i).rightJustified(3, u'0') + u".mp4";
        if (link(bench::native(source).constData(), bench::native(name).constData()) != 0) {
            return false;
        }
    }
    return true;
}

// The file list as the window has it, in icon view, shown offscreen at the window's size.
struct IconList {
    Module1 state;
    ScriptedDialogs dialogs;
    ImageList images = ImageList::withBuiltinImages();
    FileListView view;
    FileList list{state, dialogs, images, view};

    IconList() {
        state.mDspFile = QStringLiteral("*.jpg;*.mp4");
        state.mIconDsp = true;
        list.setListDeadline(std::chrono::seconds(5));
        view.resize(900, 700);
        view.show();
    }
    // The rows in view, top and bottom.
    std::pair<int, int> visibleRows() const {
        const QModelIndex top = view.indexAt(QPoint(1, 1));
        QModelIndex bottom = view.indexAt(QPoint(1, view.viewport()->height() - 2));
        const int last = bottom.isValid() ? bottom.row() : list.rowCount() - 1;
        return {top.isValid() ? top.row() : 0, last};
    }
    bool visibleComplete() const {
        const auto [first, last] = visibleRows();
        for (int r = first; r <= last; ++r) {
            if (!list.model().hasPicture(list.model().row(r).key)) {
                return false;
            }
        }
        return true;
    }
    int pictures() const {
        int n = 0;
        for (int r = 0; r < list.rowCount(); ++r) {
            n += list.model().hasPicture(list.model().row(r).key) ? 1 : 0;
        }
        return n;
    }
};

// Runs the event loop until done() or the limit; the time it took, or -1.
double waitFor(const std::function<bool()>& done, int limitMs = 120000) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > limitMs) {
            return -1;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return bench::elapsedMs(timer);
}

QString gaps(const StallWatchdog& watchdog) {
    return u" max_gap_ms=" + figure(watchdog.maxGapMs()) + u" p99_gap_ms=" +
           figure(watchdog.percentileGapMs(99));
}

// The bare loop on one core: thumbnails of the files one after the other; per second.
double bareRate(const QStringList& files, const std::function<QImage(const QString&)>& make) {
    QElapsedTimer timer;
    timer.start();
    int made = 0;
    for (const QString& file : files) {
        made += make(file).isNull() ? 0 : 1;
    }
    return made * 1000.0 / std::max(1.0, bench::elapsedMs(timer));
}

QStringList filesOf(const QString& folder, const QString& pattern, int most) {
    QStringList files;
    for (const QString& name : QDir(folder).entryList({pattern}, QDir::Files, QDir::Name)) {
        if (files.size() == most) {
            break;
        }
        files << folder + u'/' + name;
    }
    return files;
}

// One listing of the folder in icon view until every row shows its thumbnail.
void listingCase(QTextStream& out, const char* name, const QString& folder, int count,
                 double baselinePerSecond) {
    IconList l;
    StallWatchdog watchdog;
    watchdog.start();
    QElapsedTimer timer;
    timer.start();
    l.list.ListFolder(folder, true);
    const double firstScreen =
        waitFor([&] { return l.list.rowCount() == count && l.visibleComplete(); });
    const double all =
        waitFor([&] { return l.list.thumbnailQueue().pending() == 0 && l.pictures() == count; });
    const double total = firstScreen < 0 || all < 0 ? -1 : bench::elapsedMs(timer);
    watchdog.stop();
    const double perSecond = total > 0 ? count * 1000.0 / total : 0;
    const double baselineMs = count * 1000.0 / baselinePerSecond;
    out << name << ": ours=" << figure(total) << " ms baseline=" << figure(baselineMs)
        << " ms ratio=" << figure(total / baselineMs) << " first_screen_ms=" << figure(firstScreen)
        << " per_second=" << figure(perSecond)
        << " baseline_per_second=" << figure(baselinePerSecond)
        << " decodes=" << l.list.thumbnailQueue().decodes() << gaps(watchdog) << Qt::endl;
}

}  // namespace

int runThumbsBench() {
    QTextStream out(stdout);
    bench::WorkFolder work(QStringLiteral("bench-thumbs"));
    if (!work.isValid()) {
        out << "thumbs: could not make the work folder\n";
        return 1;
    }
    const QByteArray oldCache = qgetenv("XDG_CACHE_HOME");
    const QString cache = work.path() + u"/cache";
    qputenv("XDG_CACHE_HOME", bench::native(cache));
    const int side = ListThumbnails::kSide;

    const QString jpegs = work.path() + u"/jpeg";
    if (caseWanted("jpeg-1000-cold") || caseWanted("jpeg-1000-warm")) {
        if (!makePictures(jpegs, 1000, 8, QSize(4000, 3000))) {
            out << "thumbs: could not make the pictures\n";
            return 1;
        }
        const QStringList files = filesOf(jpegs, u"*.jpg"_qs, 200);
        const double bare = bareRate(files, [](const QString& file) {
            return ThumbnailMaker::pictureThumbnail(
                file, ThumbnailCache::sideOf(ThumbnailCache::Size::Normal));
        });
        bench::removeTree(cache);
        listingCase(out, "jpeg-1000-cold", jpegs, 1000, bare);
        const ThumbnailCache thumbnails;
        const double bareWarm =
            bareRate(filesOf(jpegs, u"*.jpg"_qs, 1000), [&](const QString& file) {
                const QFileInfo info(file);
                return thumbnails.load(file, info.lastModified().toSecsSinceEpoch(), info.size(),
                                       ThumbnailCache::Size::Normal);
            });
        listingCase(out, "jpeg-1000-warm", jpegs, 1000, bareWarm);
    }
    if (caseWanted("video-100")) {
        const QString videos = work.path() + u"/video";
        if (!makeVideos(videos, 100)) {
            out << "video-100: could not make the videos (is ffmpeg there?)\n";
        } else {
            const double bare = bareRate(filesOf(videos, u"*.mp4"_qs, 20), [](const QString& file) {
                return videoFrame(file, ThumbnailCache::sideOf(ThumbnailCache::Size::Normal));
            });
            bench::removeTree(cache);
            listingCase(out, "video-100", videos, 100, bare);
        }
    }
    if (caseWanted("scroll-10000")) {
        const QString many = work.path() + u"/many";
        if (!makePictures(many, 10000, 16, QSize(1600, 1200))) {
            out << "scroll-10000: could not make the pictures\n";
            return 1;
        }
        bench::removeTree(cache);
        IconList l;
        l.list.ListFolder(many, true);
        waitFor([&] { return l.list.rowCount() == 10000 && l.visibleComplete(); });
        StallWatchdog watchdog;
        watchdog.start();
        // The key repeat: 30 presses a second, for three seconds.
        QElapsedTimer held;
        held.start();
        for (int press = 0; press < 90; ++press) {
            QKeyEvent down(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier, {}, true);
            QCoreApplication::sendEvent(&l.view, &down);
            const qint64 next = (press + 1) * 33;
            while (held.elapsed() < next) {
                QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
            }
        }
        QKeyEvent up(QEvent::KeyRelease, Qt::Key_PageDown, Qt::NoModifier);
        QCoreApplication::sendEvent(&l.view, &up);
        const double settle = waitFor([&] { return l.visibleComplete(); }, 30000);
        watchdog.stop();
        const auto [first, last] = l.visibleRows();
        out << "scroll-10000: ours=" << figure(settle)
            << " ms baseline=500 ms ratio=" << figure(settle / 500)
            << " settle_ms=" << figure(settle) << " top_row=" << first
            << " rows_in_view=" << (last - first + 1)
            << " decodes=" << l.list.thumbnailQueue().decodes() << gaps(watchdog) << Qt::endl;
    }
    (void)side;
    if (oldCache.isNull()) {
        qunsetenv("XDG_CACHE_HOME");
    } else {
        qputenv("XDG_CACHE_HOME", oldCache);
    }
    return 0;
}
