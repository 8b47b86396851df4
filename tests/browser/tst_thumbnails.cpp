// Thumbnails in the list's icon view, through the real list and view: pictures, a video and an
// MP3 with a cover; the freedesktop cache read at the next start without decoding; a file changed
// on disk, one removed, and a damaged picture.
#include <fcntl.h>
#include <sys/stat.h>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "browser/file_list.h"
#include "browser/file_list_view.h"
#include "browser/image_list.h"
#include "browser/thumbnail_cache.h"
#include "browser/thumbnail_maker.h"
#include "platform/scripted_dialogs.h"
#include "settings/module1.h"

using namespace Qt::StringLiterals;

namespace {

bool run(const QStringList& args) {
    QProcess ffmpeg;
    ffmpeg.start(u"ffmpeg"_s, QStringList{u"-loglevel"_s, u"error"_s, u"-y"_s} + args);
    return ffmpeg.waitForFinished(60000) && ffmpeg.exitCode() == 0;
}

void setTime(const QString& path, qint64 seconds) {
    const struct timespec times[2] = {{seconds, 0}, {seconds, 0}};
    QCOMPARE(utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
}

struct IconList {
    Module1 state;
    ScriptedDialogs dialogs;
    ImageList images = ImageList::withBuiltinImages();
    FileListView view;
    FileList list{state, dialogs, images, view};

    explicit IconList(const QString& folder) {
        list.setListDeadline(std::chrono::seconds(10));
        list.setListWait(std::chrono::seconds(10));
        list.setFileViewPressed(true);  // every file
        view.resize(600, 600);
        view.show();
        list.ListFolder(folder, true);
    }
    bool has(const QString& path) const { return list.model().hasPicture(path); }
    QSize pictureSize(const QString& path) const {
        const int r = list.rowOfKey(path);
        const QVariant v = list.model().data(list.model().index(r, 0), Qt::DecorationRole);
        return v.typeId() == QMetaType::QPixmap ? v.value<QPixmap>().size() : QSize();
    }
};

}  // namespace

class TestThumbnails : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        qputenv("XDG_CACHE_HOME", QFile::encodeName(m_dir.filePath(u"cache"_s)));
        m_folder = m_dir.filePath(u"media"_s);
        QVERIFY(QDir().mkpath(m_folder));
        // A wide photo, a short video, a sound with a cover, a damaged picture and a text.
        QImage wide(400, 200, QImage::Format_RGB32);
        wide.fill(Qt::red);
        QVERIFY(wide.save(m_dir.filePath(u"wide.png"_s)));
        QVERIFY(run({u"-i"_s, m_dir.filePath(u"wide.png"_s), m_folder + u"/photo.jpg"}));
        QVERIFY(run({u"-f"_s, u"lavfi"_s, u"-i"_s, u"testsrc=size=320x240:rate=10"_s, u"-t"_s,
                     u"3"_s, u"-pix_fmt"_s, u"yuv420p"_s, m_folder + u"/clip.mp4"}));
        QVERIFY(run({u"-f"_s, u"lavfi"_s, u"-i"_s, u"sine=duration=1"_s, u"-i"_s,
                     m_dir.filePath(u"wide.png"_s), u"-map"_s, u"0"_s, u"-map"_s, u"1"_s, u"-c:v"_s,
                     u"mjpeg"_s, u"-disposition:v"_s, u"attached_pic"_s, m_folder + u"/song.mp3"}));
        QFile broken(m_folder + u"/broken.jpg");
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write("\xff\xd8\xff\xe0 not a picture at all");
        broken.close();
        QFile text(m_folder + u"/notes.txt");
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.close();
    }

    void picturesVideosAndCoversComeAndStayInTheCache() {
        const QStringList made = {m_folder + u"/photo.jpg", m_folder + u"/clip.mp4",
                                  m_folder + u"/song.mp3"};
        const ThumbnailCache cache;
        {
            IconList l(m_folder);
            for (const QString& path : made) {
                QTRY_VERIFY_WITH_TIMEOUT(l.has(path), 20000);
            }
            QTRY_COMPARE(l.list.thumbnailQueue().pending(), 0);
            // Every row is as tall as a thumbnail; the photo keeps its shape inside it.
            QCOMPARE(l.view.iconSize(), QSize(48, 48));
            QCOMPARE(l.pictureSize(made[0]), QSize(48, 48));
            // The damaged picture and the text keep their type icons; the damage is remembered.
            QVERIFY(!l.has(m_folder + u"/broken.jpg"));
            QVERIFY(!l.has(m_folder + u"/notes.txt"));
            QVERIFY(QFile::exists(cache.failurePath(m_folder + u"/broken.jpg")));
            QCOMPARE(l.list.thumbnailQueue().decodes(), 4);
            QVERIFY(l.dialogs.messages().isEmpty());
        }
        // In the shared cache as the desktop reads them.
        const QImage stored(cache.thumbnailPath(made[0], ThumbnailCache::Size::Normal));
        QCOMPARE(stored.text(u"Thumb::URI"_s), QString::fromUtf8(ThumbnailCache::uriOf(made[0])));
        QCOMPARE(stored.text(u"Thumb::MTime"_s).toLongLong(),
                 QFileInfo(made[0]).lastModified().toSecsSinceEpoch());
        QCOMPARE(stored.size(), QSize(128, 64));

        // The next start takes them from the cache: nothing is decoded, the damaged one included.
        IconList again(m_folder);
        for (const QString& path : made) {
            QTRY_VERIFY(again.has(path));
        }
        QTRY_COMPARE(again.list.thumbnailQueue().pending(), 0);
        QCOMPARE(again.list.thumbnailQueue().decodes(), 0);
    }

    void changedAndRemovedFilesFollowTheDisk() {
        IconList l(m_folder);
        const QString photo = m_folder + u"/photo.jpg";
        const QString clip = m_folder + u"/clip.mp4";
        QTRY_VERIFY_WITH_TIMEOUT(l.has(photo) && l.has(clip), 20000);
        const int before = l.list.thumbnailQueue().decodes();
        // Another program writes a tall picture over the photo.
        QImage tall(100, 300, QImage::Format_RGB32);
        tall.fill(Qt::blue);
        QVERIFY(tall.save(photo, "JPEG"));
        setTime(photo, QFileInfo(photo).lastModified().toSecsSinceEpoch() + 60);
        QTRY_COMPARE_WITH_TIMEOUT(l.list.model().row(l.list.rowOfKey(photo)).time,
                                  QFileInfo(photo).lastModified().toSecsSinceEpoch(), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(l.has(photo), 20000);
        QCOMPARE(l.list.thumbnailQueue().decodes(), before + 1);
        const ThumbnailCache cache;
        QCOMPARE(QImageReader(cache.thumbnailPath(photo, ThumbnailCache::Size::Normal)).size(),
                 QSize(42, 128));
        // A removed file loses its row, its thumbnail and its cache entry.
        const QString entry = cache.thumbnailPath(clip, ThumbnailCache::Size::Normal);
        QVERIFY(QFile::exists(entry));
        QVERIFY(QFile::remove(clip));
        QTRY_COMPARE_WITH_TIMEOUT(l.list.rowOfKey(clip), -1, 10000);
        QVERIFY(!l.has(clip));
        QTRY_VERIFY(!QFile::exists(entry));
        // Icon view off: the rows are small again and show no pictures.
        l.list.ListFolder(m_folder, false);
        QVERIFY(!l.has(photo));
        QVERIFY(l.view.iconSize().height() < 48);
    }

private:
    QTemporaryDir m_dir;
    QString m_folder;
};

QTEST_MAIN(TestThumbnails)
#include "tst_thumbnails.moc"
