#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <clocale>
#include <cstring>
#include <memory>

#include "player/media_player_engine.h"
#include "player/messages.h"
#include "player/mpv_engine.h"
#include "player/streaming_audio_engine.h"
#include "player_media.h"

using player_media::path;

Q_DECLARE_METATYPE(EngineState)

namespace {

constexpr int kOpenMs = 10000;  // generous: the machine may be busy

std::unique_ptr<MpvEngine> makeEngine() {
    MpvEngineOptions options;
    options.audioOutput = QStringLiteral("null");
    return std::make_unique<MpvEngine>(options);
}

}  // namespace

// The libmpv engine on real files: states, signals, positions, properties, errors and the
// release of files.
class TestMpvEngine : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void startsWithCNumericLocale();
    void loadPlayPauseStop();
    void endOfStreamAndReopen();
    void pictureSizeOfVideoAndSound_data();
    void pictureSizeOfVideoAndSound();
    void companionFilesAreNotLookedFor();
    void positionInSecondsAndMilliseconds();
    void positionSetWhileOpening();
    void rateMuteAndVolumeReachLibmpv();
    void nonMediaFileEndsInError();
    void unloadLetsGoOfTheFileAtOnce();
    void replacedFileNeitherEndsNorFails();
    void mediaPlayerStates();
    void streamingSourceAndStates();
    void playListFileIsOneClip();
};

void TestMpvEngine::initTestCase() {
    qRegisterMetaType<EngineState>();
    QVERIFY2(QFile::exists(path("clip.avi")), "test media missing: run make_media.sh");
}

void TestMpvEngine::startsWithCNumericLocale() {
    // QCoreApplication took the user's locale; libmpv insists on "C" for numbers.
    std::setlocale(LC_NUMERIC, "C.UTF-8");
    auto engine = makeEngine();
    QVERIFY(engine->isValid());
    QCOMPARE(QByteArray(std::setlocale(LC_NUMERIC, nullptr)), QByteArray("C"));
}

void TestMpvEngine::loadPlayPauseStop() {
    auto engine = makeEngine();
    QSignalSpy states(engine.get(), &MediaEngine::stateChanged);
    QSignalSpy opened(engine.get(), &MediaEngine::newStream);
    QCOMPARE(engine->state(), EngineState::Closed);

    engine->load(path("clip.avi"));
    QCOMPARE(engine->state(), EngineState::Opening);
    QCOMPARE(engine->fileName(), path("clip.avi"));
    QTRY_COMPARE_WITH_TIMEOUT(opened.count(), 1, kOpenMs);
    // A load alone does not play: pause outlives the previous file.
    QCOMPARE(engine->state(), EngineState::Stopped);
    QCOMPARE(engine->mpvProperty("pause"), QStringLiteral("yes"));

    engine->play();
    QCOMPARE(engine->state(), EngineState::Playing);
    QTRY_VERIFY_WITH_TIMEOUT(engine->position() > 0.3, kOpenMs);

    engine->pause();
    QCOMPARE(engine->state(), EngineState::Paused);
    const double at = engine->position();
    QTest::qWait(300);
    QVERIFY(qAbs(engine->position() - at) < 0.05);

    engine->stop();
    QCOMPARE(engine->state(), EngineState::Stopped);
    QCOMPARE(engine->position(), 0.0);
    QTRY_VERIFY_WITH_TIMEOUT(engine->mpvProperty("time-pos").toDouble() < 0.05, kOpenMs);
    QCOMPARE(engine->fileName(), path("clip.avi"));

    const QList<QPair<EngineState, EngineState>> expected = {
        {EngineState::Closed, EngineState::Opening},  {EngineState::Opening, EngineState::Stopped},
        {EngineState::Stopped, EngineState::Playing}, {EngineState::Playing, EngineState::Paused},
        {EngineState::Paused, EngineState::Stopped},
    };
    QCOMPARE(states.count(), expected.size());
    for (int i = 0; i < states.count(); ++i) {
        QCOMPARE(states.at(i).at(0).value<EngineState>(), expected[i].first);
        QCOMPARE(states.at(i).at(1).value<EngineState>(), expected[i].second);
    }
}

void TestMpvEngine::endOfStreamAndReopen() {
    auto engine = makeEngine();
    QSignalSpy ended(engine.get(), &MediaEngine::endOfStream);
    QSignalSpy closed(engine.get(), &MediaEngine::clipClosed);
    QSignalSpy opened(engine.get(), &MediaEngine::newStream);

    engine->load(path("tone.wav"));
    engine->play();
    QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, kOpenMs);
    QCOMPARE(closed.count(), 1);
    QCOMPARE(engine->state(), EngineState::Stopped);
    QCOMPARE(engine->fileName(), path("tone.wav"));
    QVERIFY(!player_media::isHeldOpen(path("tone.wav")));

    // Play after the end opens the file again.
    engine->play();
    QCOMPARE(engine->state(), EngineState::Opening);
    QTRY_COMPARE_WITH_TIMEOUT(opened.count(), 2, kOpenMs);
    QCOMPARE(engine->state(), EngineState::Playing);
    QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 2, kOpenMs);
}

void TestMpvEngine::pictureSizeOfVideoAndSound_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QSize>("size");
    QTest::newRow("avi") << "clip.avi" << QSize(160, 120);
    QTest::newRow("mpeg-1") << "clip.mpg" << QSize(160, 120);
    QTest::newRow("png") << "picture.png" << QSize(64, 48);
    QTest::newRow("jpeg") << "picture.jpg" << QSize(64, 48);
    QTest::newRow("gif") << "picture.gif" << QSize(64, 48);
    QTest::newRow("bmp") << "picture.bmp" << QSize(64, 48);
    QTest::newRow("wav") << "tone.wav" << QSize(0, 0);
    QTest::newRow("mp3") << "tone.mp3" << QSize(0, 0);
    QTest::newRow("ogg") << "tone.ogg" << QSize(0, 0);
}

void TestMpvEngine::pictureSizeOfVideoAndSound() {
    QFETCH(QString, file);
    QFETCH(QSize, size);
    // A picture beside the sound file must not lend it a size.
    QTemporaryDir dir;
    QVERIFY(QFile::copy(path(file.toUtf8().constData()), dir.filePath(file)));
    QVERIFY(QFile::copy(path("picture.jpg"), dir.filePath(QStringLiteral("cover.jpg"))));

    auto engine = makeEngine();
    QSignalSpy opened(engine.get(), &MediaEngine::newStream);
    engine->load(dir.filePath(file));
    engine->play();
    QTRY_COMPARE_WITH_TIMEOUT(opened.count(), 1, kOpenMs);
    QCOMPARE(engine->pictureSize(), size);
    engine->unload();
    QCOMPARE(engine->pictureSize(), QSize(0, 0));
}

void TestMpvEngine::companionFilesAreNotLookedFor() {
    // Subtitles, sound tracks and cover pictures beside a file would each cost a scan of its
    // folder (a tenth of a second in a folder of 100,000 files): none of them is taken up.
    QTemporaryDir dir;
    QVERIFY(QFile::copy(path("clip.avi"), dir.filePath(QStringLiteral("clip.avi"))));
    QVERIFY(QFile::copy(path("tone.mp3"), dir.filePath(QStringLiteral("clip.mp3"))));
    QVERIFY(QFile::copy(path("picture.jpg"), dir.filePath(QStringLiteral("cover.jpg"))));
    QFile subtitles(dir.filePath(QStringLiteral("clip.srt")));
    QVERIFY(subtitles.open(QIODevice::WriteOnly));
    subtitles.write("1\n00:00:00,000 --> 00:00:03,000\nhello\n");
    subtitles.close();

    auto engine = makeEngine();
    QSignalSpy opened(engine.get(), &MediaEngine::newStream);
    engine->load(dir.filePath(QStringLiteral("clip.avi")));
    QTRY_COMPARE_WITH_TIMEOUT(opened.count(), 1, kOpenMs);
    QCOMPARE(engine->mpvProperty("track-list/count"), QStringLiteral("2"));  // its own two
}

void TestMpvEngine::positionInSecondsAndMilliseconds() {
    auto engine = makeEngine();
    QSignalSpy opened(engine.get(), &MediaEngine::newStream);
    QSignalSpy restarted(engine.get(), &MpvEngine::playbackRestarted);
    engine->load(path("clip.avi"));
    QTRY_COMPARE_WITH_TIMEOUT(opened.count(), 1, kOpenMs);
    QTRY_VERIFY_WITH_TIMEOUT(restarted.count() >= 1, kOpenMs);
    QVERIFY(qAbs(engine->duration() - 4.0) < 0.2);

    // A seek is asynchronous: the asked position reads back at once, the real one after it.
    restarted.clear();
    engine->setPosition(2.0);
    QCOMPARE(engine->position(), 2.0);
    QTRY_VERIFY_WITH_TIMEOUT(restarted.count() >= 1, kOpenMs);
    QTRY_VERIFY_WITH_TIMEOUT(qAbs(engine->mpvProperty("time-pos").toDouble() - 2.0) < 0.06,
                             kOpenMs);
    QVERIFY(qAbs(engine->position() - 2.0) < 0.06);

    // The streaming engine counts in milliseconds.
    StreamingAudioEngine streaming(*engine);
    QVERIFY(qAbs(streaming.length() - 4000) < 200);
    QVERIFY(qAbs(streaming.position() - 2000) < 60);
    restarted.clear();
    streaming.setPosition(1500);
    QCOMPARE(streaming.position(), 1500);
    QTRY_VERIFY_WITH_TIMEOUT(restarted.count() >= 1, kOpenMs);
    QVERIFY(qAbs(engine->mpvProperty("time-pos").toDouble() - 1.5) < 0.06);
}

void TestMpvEngine::positionSetWhileOpening() {
    auto engine = makeEngine();
    QSignalSpy opened(engine.get(), &MediaEngine::newStream);
    engine->load(path("clip.avi"));
    engine->setPosition(3.0);
    QCOMPARE(engine->position(), 3.0);
    QTRY_COMPARE_WITH_TIMEOUT(opened.count(), 1, kOpenMs);
    QTRY_VERIFY_WITH_TIMEOUT(qAbs(engine->mpvProperty("time-pos").toDouble() - 3.0) < 0.06,
                             kOpenMs);
}

void TestMpvEngine::rateMuteAndVolumeReachLibmpv() {
    auto engine = makeEngine();
    engine->setRate(1.5);
    engine->setMuted(true);
    engine->setVolume(40);
    QCOMPARE(engine->mpvProperty("speed").toDouble(), 1.5);
    QCOMPARE(engine->mpvProperty("mute"), QStringLiteral("yes"));
    QCOMPARE(engine->mpvProperty("volume").toDouble(), 40.0);

    // They hold across files, as the player's own settings do.
    QSignalSpy opened(engine.get(), &MediaEngine::newStream);
    engine->load(path("tone.mp3"));
    engine->play();
    QTRY_COMPARE_WITH_TIMEOUT(opened.count(), 1, kOpenMs);
    QCOMPARE(engine->rate(), 1.5);
    QVERIFY(engine->isMuted());
    QCOMPARE(engine->volume(), 40);

    MediaPlayerEngine player(*engine);
    player.setRate(0.5);
    player.setMute(false);
    QCOMPARE(engine->mpvProperty("speed").toDouble(), 0.5);
    QCOMPARE(engine->mpvProperty("mute"), QStringLiteral("no"));
    QCOMPARE(player.rate(), 0.5);
    // A rate of 0 or less is no rate at all.
    player.setRate(0);
    QCOMPARE(player.rate(), 0.5);
}

void TestMpvEngine::nonMediaFileEndsInError() {
    auto engine = makeEngine();
    QSignalSpy failed(engine.get(), &MediaEngine::error);
    QSignalSpy ended(engine.get(), &MediaEngine::endOfStream);
    engine->load(path("notmedia.avi"));
    engine->play();
    QTRY_COMPARE_WITH_TIMEOUT(failed.count(), 1, kOpenMs);
    QCOMPARE(engine->state(), EngineState::Closed);
    QVERIFY(engine->errorCode() < 0);
    QCOMPARE(engine->errorText(), player_msg::engineUnknownFormat());
    QCOMPARE(failed.at(0).at(1).toString(), engine->errorText());
    QCOMPARE(ended.count(), 0);

    // The engine goes on with the next file, and forgets the error.
    QSignalSpy opened(engine.get(), &MediaEngine::newStream);
    engine->load(path("clip.avi"));
    engine->play();
    QTRY_COMPARE_WITH_TIMEOUT(opened.count(), 1, kOpenMs);
    QCOMPARE(engine->errorCode(), 0);
    QCOMPARE(engine->state(), EngineState::Playing);
}

void TestMpvEngine::unloadLetsGoOfTheFileAtOnce() {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("clip.avi"));
    QVERIFY(QFile::copy(path("clip.avi"), file));

    auto engine = makeEngine();
    QSignalSpy opened(engine.get(), &MediaEngine::newStream);
    QSignalSpy closed(engine.get(), &MediaEngine::clipClosed);
    QSignalSpy ended(engine.get(), &MediaEngine::endOfStream);
    engine->load(file);
    engine->play();
    QTRY_COMPARE_WITH_TIMEOUT(opened.count(), 1, kOpenMs);
    QVERIFY(player_media::isHeldOpen(file));

    engine->unload();
    QVERIFY(!player_media::isHeldOpen(file));
    QCOMPARE(engine->state(), EngineState::Closed);
    QCOMPARE(engine->fileName(), QString());
    QVERIFY(QFile::rename(file, dir.filePath(QStringLiteral("moved.avi"))));
    QVERIFY(QFile::remove(dir.filePath(QStringLiteral("moved.avi"))));
    QTRY_COMPARE_WITH_TIMEOUT(closed.count(), 1, kOpenMs);
    QCOMPARE(ended.count(), 0);

    // Unloading an engine that holds nothing is harmless, and quick.
    QElapsedTimer timer;
    timer.start();
    engine->unload();
    QVERIFY(timer.elapsed() < 500);
}

void TestMpvEngine::replacedFileNeitherEndsNorFails() {
    auto engine = makeEngine();
    QSignalSpy opened(engine.get(), &MediaEngine::newStream);
    QSignalSpy closed(engine.get(), &MediaEngine::clipClosed);
    QSignalSpy ended(engine.get(), &MediaEngine::endOfStream);
    QSignalSpy failed(engine.get(), &MediaEngine::error);
    engine->load(path("tone.wav"));
    engine->play();
    QTRY_COMPARE_WITH_TIMEOUT(opened.count(), 1, kOpenMs);

    engine->load(path("clip.avi"));
    engine->play();
    // A load given up before it opened: nothing is heard of it at all.
    engine->load(path("notmedia.avi"));
    engine->load(path("clip.mpg"));
    engine->play();
    QTRY_COMPARE_WITH_TIMEOUT(opened.count(), 2, kOpenMs);
    QCOMPARE(engine->fileName(), path("clip.mpg"));
    QCOMPARE(engine->pictureSize(), QSize(160, 120));
    QTest::qWait(200);
    QCOMPARE(closed.count(), 1);  // the wav, closed by the next load
    QCOMPARE(ended.count(), 0);
    QCOMPARE(failed.count(), 0);
}

void TestMpvEngine::mediaPlayerStates() {
    auto engine = makeEngine();
    MediaPlayerEngine player(*engine);
    QSignalSpy changes(&player, &MediaPlayerEngine::playStateChange);
    QSignalSpy streams(&player, &MediaPlayerEngine::newStream);
    QCOMPARE(player.playState(), int(MediaPlayerEngine::Closed));

    player.setFileName(path("clip.avi"));
    QCOMPARE(player.playState(), int(MediaPlayerEngine::Waiting));
    player.play();
    QTRY_COMPARE_WITH_TIMEOUT(streams.count(), 1, kOpenMs);
    QCOMPARE(player.playState(), int(MediaPlayerEngine::Playing));
    QCOMPARE(player.imageSourceWidth(), 160);
    QCOMPARE(player.imageSourceHeight(), 120);
    player.pause();
    QCOMPARE(player.playState(), int(MediaPlayerEngine::Paused));
    player.stop();
    QCOMPARE(player.playState(), int(MediaPlayerEngine::Stopped));
    player.setFileName(QString());
    QCOMPARE(player.playState(), int(MediaPlayerEngine::Closed));
    QCOMPARE(player.fileName(), QString());

    const QList<QPair<int, int>> expected = {{6, 3}, {3, 2}, {2, 1}, {1, 0}, {0, 6}};
    QCOMPARE(changes.count(), expected.size());
    for (int i = 0; i < changes.count(); ++i) {
        QCOMPARE(changes.at(i).at(0).toInt(), expected[i].first);
        QCOMPARE(changes.at(i).at(1).toInt(), expected[i].second);
    }

    // The display size values and what the surface makes of them.
    player.setDisplaySize(2);
    QCOMPARE(player.displaySize(), 2);
    QCOMPARE(engine->displaySize(), VideoSize::Double);
    player.setDisplaySize(4);
    QCOMPARE(engine->displaySize(), VideoSize::Fit);
}

void TestMpvEngine::streamingSourceAndStates() {
    auto engine = makeEngine();
    StreamingAudioEngine streaming(*engine);
    QSignalSpy opened(&streaming, &StreamingAudioEngine::clipOpened);
    QSignalSpy closed(&streaming, &StreamingAudioEngine::clipClosed);
    QSignalSpy states(&streaming, &StreamingAudioEngine::stateChange);
    QCOMPARE(streaming.source(), QString());
    QCOMPARE(streaming.playState(), int(StreamingAudioEngine::Stopped));

    const QString file = path("clip.avi");
    streaming.setSource(file);
    QCOMPARE(streaming.source(), QString(u"file://" + file));
    QCOMPARE(streaming.source().mid(7), file);
    streaming.play();
    QCOMPARE(streaming.playState(), int(StreamingAudioEngine::Contacting));
    QTRY_COMPARE_WITH_TIMEOUT(opened.count(), 1, kOpenMs);
    QCOMPARE(opened.at(0).at(0).toString(), QStringLiteral("clip.avi"));
    QCOMPARE(opened.at(0).at(1).toString(), QString(u"file://" + file));
    QCOMPARE(streaming.playState(), int(StreamingAudioEngine::Playing));
    QCOMPARE(streaming.clipWidth(), 160);
    QCOMPARE(streaming.clipHeight(), 120);
    streaming.pause();
    QCOMPARE(streaming.playState(), int(StreamingAudioEngine::Paused));

    // A stop closes the clip but keeps the source; the next play opens it again.
    streaming.stop();
    QCOMPARE(streaming.playState(), int(StreamingAudioEngine::Stopped));
    QCOMPARE(streaming.source(), QString(u"file://" + file));
    QVERIFY(!player_media::isHeldOpen(file));
    QTRY_COMPARE_WITH_TIMEOUT(closed.count(), 1, kOpenMs);
    streaming.play();
    QTRY_COMPARE_WITH_TIMEOUT(opened.count(), 2, kOpenMs);

    streaming.setSource(QString());
    QCOMPARE(streaming.source(), QString());
    QCOMPARE(streaming.playState(), int(StreamingAudioEngine::Stopped));
    QList<int> seen;
    for (const auto& args : states) {
        seen << args.at(0).toInt();
    }
    QCOMPARE(seen, (QList<int>{1, 3, 4, 0, 1, 3, 0}));

    // The picture sizes the streaming calls ask for.
    streaming.setKeepAspect(true);
    streaming.naturalSize();
    QCOMPARE(engine->displaySize(), VideoSize::Fit);
    streaming.setKeepAspect(false);
    streaming.naturalSize();
    QCOMPARE(engine->displaySize(), VideoSize::Actual);
    streaming.doubleSize();
    QCOMPARE(engine->displaySize(), VideoSize::Double);
    streaming.fullScreen();
    QCOMPARE(engine->displaySize(), VideoSize::FullScreen);
}

void TestMpvEngine::playListFileIsOneClip() {
    // A play list opens its entries in its place; the clip ends after the last of them.
    QTemporaryDir dir;
    const QString list = dir.filePath(QStringLiteral("list.m3u"));
    QFile file(list);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QFile::encodeName(path("tone.wav")) + '\n' + QFile::encodeName(path("tone.wav")) +
               '\n');
    file.close();

    auto engine = makeEngine();
    QSignalSpy opened(engine.get(), &MediaEngine::newStream);
    QSignalSpy closed(engine.get(), &MediaEngine::clipClosed);
    QSignalSpy ended(engine.get(), &MediaEngine::endOfStream);
    QSignalSpy restarted(engine.get(), &MpvEngine::playbackRestarted);
    engine->load(list);
    engine->play();
    QTRY_COMPARE_WITH_TIMEOUT(restarted.count(), 2, kOpenMs);  // the second entry plays
    QCOMPARE(ended.count(), 0);
    QCOMPARE(closed.count(), 0);
    QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, kOpenMs);
    QCOMPARE(opened.count(), 1);
    QCOMPARE(closed.count(), 1);
    QCOMPARE(engine->state(), EngineState::Stopped);
}

QTEST_GUILESS_MAIN(TestMpvEngine)
#include "tst_mpv_engine.moc"
