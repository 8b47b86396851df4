// Play lists and metafiles: the readers on their own, the reading of nested files, and what a
// metafile plays through real libmpv (no picture, no sound).
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "../test_files.h"
#include "platform/file_name_codec.h"
#include "platform/run_error.h"
#include "player/messages.h"
#include "player/metafile.h"
#include "player/metafile_expander.h"
#include "player/mpv_engine.h"
#include "player_media.h"

Q_DECLARE_METATYPE(EngineState)

namespace {

QStringList targets(const QList<MetafileEntry>& entries) {
    QStringList list;
    for (const MetafileEntry& e : entries) {
        list.append(e.target);
    }
    return list;
}

}  // namespace

class TestMetafile : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { qRegisterMetaType<EngineState>(); }

    void asxAndWax() {
        // Tags in any case, the first ref of an entry played and the others standing in for it,
        // relative references against the folder, Windows separators, addresses kept, other
        // protocols dropped (a stand-in taking the place of such a ref).
        const QByteArray asx =
            "<ASX version=\"3.0\"><Title>t</Title>"
            "<Entry><Ref HREF=\"a.wma\"/><ref href=\"fallback.wma\"/></Entry>"
            "<ENTRY><REF href=\"sub\\b.wmv\"/></ENTRY>"
            "<entry><ref href=\"http://example.org/c.asf\"/></entry>"
            "<entry><ref href=\"edl://x.wav\"/><ref href=\"e.wav\"/></entry>"
            "<entry><ref href=\"http:/[/\"/></entry>"
            "<entryref href=\"../other.asx\"/>"
            "<entry><ref href=\"file:///m/d.mp3\"/></entry></ASX>";
        const QList<MetafileEntry> entries = parseAsx(asx, u"/m/list"_qs);
        QCOMPARE(targets(entries), QStringList({u"/m/list/a.wma"_qs, u"/m/list/sub/b.wmv"_qs,
                                                u"http://example.org/c.asf"_qs, u"/m/list/e.wav"_qs,
                                                u"/m/other.asx"_qs, u"/m/d.mp3"_qs}));
        QCOMPARE(entries.first().alternatives, QStringList{u"/m/list/fallback.wma"_qs});
        QVERIFY(entries.at(3).alternatives.isEmpty());
        // Malformed XML keeps what came before the fault; a ref outside an entry is nothing.
        QCOMPARE(targets(parseAsx("<asx><entry><ref href=\"a.wav\"/></entry><entry><ref href=",
                                  u"/m"_qs)),
                 QStringList{u"/m/a.wav"_qs});
        QVERIFY(parseAsx("<asx><ref href=\"a.wav\"/></asx>", u"/m"_qs).isEmpty());
        QVERIFY(parseAsx("not xml at all", u"/m"_qs).isEmpty());
        QCOMPARE(metafileFormatOf(u"wax"_qs), MetafileFormat::Asx);
        QCOMPARE(metafileFormatOf(u"mp3"_qs), MetafileFormat::None);
    }

    void ramM3uAndRealPix() {
        QCOMPARE(targets(parseRam("# comment\r\n\r\nrtsp://h/a.rm\r\n a.ra \r\n--stop--\r\nb.ra\n",
                                  u"/m"_qs)),
                 QStringList({u"rtsp://h/a.rm"_qs, u"/m/a.ra"_qs}));
        // m3u: extended lines skipped, relative paths, and a name that is not UTF-8 keeps its
        // bytes on the way to the disk.
        const QByteArray latin1Name = "caf\xE9.wav";
        const QList<MetafileEntry> m3u = parseM3u(
            "\xEF\xBB\xBF#EXTM3U\n#EXTINF:1,x\n../up.mp3\n" + latin1Name + "\n", u"/m/d"_qs);
        QCOMPARE(m3u.size(), 2);
        QCOMPARE(m3u[0].target, u"/m/up.mp3"_qs);
        QCOMPARE(encodeFileName(m3u[1].target), QByteArray("/m/d/" + latin1Name));

        // RealPix: pictures in the order of their effects, each until the next, the last until
        // the end of the show; a time in hh:mm:ss or in milliseconds.
        const QByteArray rp =
            "<imfl><head duration=\"0:0:12\" width=\"64\" height=\"48\"/>"
            "<image handle=\"1\" name=\"one.jpg\"/><image handle=\"2\" name=\"two.png\"/>"
            "<FadeIn start=\"0\" target=\"1\"/><wipe start=\"4.5\" target=\"2\"/>"
            "<cut start=\"9\" target=\"9\"/></imfl>";
        QCOMPARE(parseRp(rp, u"/m"_qs),
                 QList<MetafileEntry>({{u"/m/one.jpg"_qs, 4.5, {}}, {u"/m/two.png"_qs, 4.5, {}}}));
        const QByteArray ms =
            "<imfl><head timeformat=\"milliseconds\" duration=\"3000\"/>"
            "<image handle=\"1\" name=\"one.jpg\"/><cut start=\"1000\" target=\"1\"/></imfl>";
        QCOMPARE(parseRp(ms, u"/m"_qs), QList<MetafileEntry>({{u"/m/one.jpg"_qs, 2.0, {}}}));
    }

    void nestedAndSelfNamingFiles() {
        QTemporaryDir dir;
        const QString d = dir.path();
        QVERIFY(QDir(d).mkdir(u"sub"_qs));
        writeFile(d + u"/outer.asx"_qs,
                  "<asx><entry><ref href=\"a.wav\"/></entry>"
                  "<entry><ref href=\"sub/inner.m3u\"/></entry>"
                  "<entry><ref href=\"sub\"/></entry>"
                  "<entry><ref href=\"c.wav\"/></entry></asx>");
        writeFile(d + u"/sub/inner.m3u"_qs, "b.wav\n");
        const MetafilePlan plan = expandMetafile(d + u"/outer.asx"_qs, MetafileFormat::Asx);
        QVERIFY(!plan.refused);
        QCOMPARE(targets(plan.entries),
                 QStringList({d + u"/a.wav"_qs, d + u"/sub/b.wav"_qs, d + u"/c.wav"_qs}));
        // Naming itself, directly or through another, is refused.
        writeFile(d + u"/self.ram"_qs, "a.wav\nself.ram\n");
        QVERIFY(expandMetafile(d + u"/self.ram"_qs, MetafileFormat::Ram).refused);
        writeFile(d + u"/x.m3u"_qs, "a.wav\ny.asx\n");
        writeFile(d + u"/y.asx"_qs, "<asx><entry><ref href=\"x.m3u\"/></entry></asx>");
        const MetafilePlan loop = expandMetafile(d + u"/x.m3u"_qs, MetafileFormat::M3u);
        QVERIFY(loop.refused);
        QVERIFY(loop.entries.isEmpty());

        // Eight lists, each naming the next, are read; nine are deeper than any real list.
        for (const int depth : {8, 9}) {
            const auto list = [&](int i) -> QString {
                return d + u"/chain%1-%2.m3u"_qs.arg(depth).arg(i);
            };
            for (int i = 1; i <= depth; ++i) {
                writeFile(list(i),
                          i < depth ? QFile::encodeName(list(i + 1)) : QByteArray("a.wav"));
            }
            const MetafilePlan chain = expandMetafile(list(1), MetafileFormat::M3u);
            QCOMPARE(chain.refused, depth == 9);
            QCOMPARE(targets(chain.entries),
                     depth == 9 ? QStringList() : QStringList{d + u"/a.wav"_qs});
        }
    }

    void enginePlaysTheEntriesAsOneClip() {
        // An ASX naming a sound, a missing file, an address no one answers and a video: one
        // clip, the missing and the unreachable entries reported on the way, one end.
        QTemporaryDir dir;
        const QString d = dir.path();
        QVERIFY(QFile::copy(player_media::path("tone.wav"), d + u"/a.wav"_qs));
        QVERIFY(QFile::copy(player_media::path("clip.avi"), d + u"/b.avi"_qs));
        writeFile(d + u"/list.asx"_qs,
                  "<ASX><ENTRY><REF HREF=\"a.wav\"/></ENTRY>"
                  "<entry><ref href=\"missing.wav\"/></entry>"
                  "<entry><ref href=\"pnm://127.0.0.1:9/x.ra\"/></entry>"
                  "<entry><ref href=\"b.avi\"/></entry></ASX>");
        MpvEngineOptions options;
        options.audioOutput = u"null"_qs;
        MpvEngine engine(options);
        QSignalSpy streams(&engine, &MediaEngine::newStream);
        QSignalSpy closed(&engine, &MediaEngine::clipClosed);
        QSignalSpy errors(&engine, &MediaEngine::error);
        QSignalSpy ended(&engine, &MediaEngine::endOfStream);
        QSignalSpy sizes(&engine, &MediaEngine::pictureSizeChanged);
        engine.load(d + u"/list.asx"_qs);
        engine.play();
        QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, 20000);
        QCOMPARE(streams.count(), 1);
        QCOMPARE(closed.count(), 1);
        QCOMPARE(errors.count(), 2);
        // The video came last: its picture was seen.
        bool sawVideo = false;
        for (const QList<QVariant>& size : std::as_const(sizes)) {
            sawVideo = sawVideo || size.first().toSize() == QSize(160, 120);
        }
        QVERIFY(sawVideo);
        QCOMPARE(engine.state(), EngineState::Stopped);

        // A list that names itself is refused at once, and nothing plays.
        writeFile(d + u"/self.wax"_qs, "<asx><entry><ref href=\"self.wax\"/></entry></asx>");
        QVERIFY_THROWS_EXCEPTION(RunError, engine.load(d + u"/self.wax"_qs));
        QCOMPARE(engine.errorText(), player_msg::metafileLoops());
        QCOMPARE(engine.state(), EngineState::Closed);

        // A RealPix show: each picture for its time, then the end of the show.
        QVERIFY(QFile::copy(player_media::path("picture.png"), d + u"/p.png"_qs));
        QVERIFY(QFile::copy(player_media::path("picture.jpg"), d + u"/q.jpg"_qs));
        writeFile(d + u"/show.rp"_qs,
                  "<imfl><head duration=\"1.2\"/><image handle=\"1\" name=\"p.png\"/>"
                  "<image handle=\"2\" name=\"q.jpg\"/><cut start=\"0\" target=\"1\"/>"
                  "<crossfade start=\"0.6\" target=\"2\"/></imfl>");
        QElapsedTimer shown;
        shown.start();
        engine.load(d + u"/show.rp"_qs);
        engine.play();
        QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 2, 20000);
        QVERIFY(shown.elapsed() >= 1000);
        QCOMPARE(errors.count(), 2);

        // An entry whose first ref is missing: its stand-in plays unreported, and the stand-in
        // after that is taken out of libmpv's list. The last entry, a sound file holding a play
        // list, is not read as one (it would play a file the metafile does not name) but fails;
        // as the last entry after one that played, it ends the clip once it has been reported.
        QVERIFY(QFile::copy(player_media::path("tone.wav"), d + u"/secret.wav"_qs));
        writeFile(d + u"/disguised.mp3"_qs, "#EXTM3U\n" + d.toUtf8() + "/secret.wav\n");
        writeFile(d + u"/stand-ins.asx"_qs,
                  "<asx><entry><ref href=\"missing.wav\"/><ref href=\"a.wav\"/>"
                  "<ref href=\"secret.wav\"/></entry>"
                  "<entry><ref href=\"disguised.mp3\"/></entry></asx>");
        engine.load(d + u"/stand-ins.asx"_qs);
        engine.play();
        QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 3, 20000);
        QCOMPARE(engine.mpvProperty("playlist-count"), u"3"_qs);
        QCOMPARE(errors.count(), 3);
        QVERIFY(!engine.errorText().isEmpty());
        QCOMPARE(engine.state(), EngineState::Stopped);
    }
};

QTEST_GUILESS_MAIN(TestMetafile)
#include "tst_metafile.moc"
