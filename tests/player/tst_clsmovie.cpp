#include <QApplication>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "platform/interval_timer.h"
#include "platform/run_error.h"
#include "platform/scripted_dialogs.h"
#include "player/media_player_engine.h"
#include "player/messages.h"
#include "player/movie.h"
#include "player/mpv_engine.h"
#include "player/player_errors.h"
#include "player/player_set.h"
#include "player/streaming_audio_engine.h"
#include "player/video_surface.h"
#include "player_media.h"

using player_media::path;

namespace {

constexpr int kOpenMs = 10000;

// The window's part in the tests: a host for the players, the slide-show timer, the dialogs,
// and a desktop that only notes what it was asked to open.
struct Rig {
    explicit Rig(WaveVolumeAccess wave = {}) {
        host.resize(640, 480);
        PlayerOptions options;
        options.audioOutput = QStringLiteral("null");
        players = std::make_unique<PlayerSet>(&host, options);
        movie = std::make_unique<clsMovie>(
            dialogs, timer1, *players,
            [this](const QUrl& url) {
                opened << url;
                return true;
            },
            std::move(wave));
        movie->configureAtStart();
        host.show();
    }

    QWidget* MediaPlayer1() const { return players->MediaPlayer1(); }
    QWidget* RealAudio1(int i) const { return players->RealAudio1(i); }
    MediaPlayerEngine& mp() const { return players->mediaPlayer(); }
    StreamingAudioEngine& ra() const { return players->realAudio(); }

    QList<ScriptedDialogs::Call> playerErrors() const {
        QList<ScriptedDialogs::Call> result;
        for (const auto& call : dialogs.messages()) {
            if (call.title == player_msg::playerErrorTitle()) {
                result << call;
            }
        }
        return result;
    }

    QWidget host;
    ScriptedDialogs dialogs;
    IntervalTimer timer1;
    QList<QUrl> opened;
    std::unique_ptr<PlayerSet> players;
    std::unique_ptr<clsMovie> movie;
};

// Exactly one engine shows, and the streaming player's two windows go together.
bool oneEngineShown(const Rig& rig) {
    const bool media = !rig.MediaPlayer1()->isHidden();
    const bool streaming = !rig.RealAudio1(0)->isHidden();
    return media != streaming && streaming == !rig.RealAudio1(1)->isHidden();
}

}  // namespace

// clsMovie on the real engines, offscreen (no picture is drawn, no sound is made).
class TestClsMovie : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void missingFileIsReported();
    void extensionsDecideTheEngine();
    void mediaPlayerPlaysPausesAndResumes();
    void stoppedFileIsLoadedAgain();
    void streamingPlayerPlaysAndRestarts();
    void positionsInEachUnit();
    void neverBothEnginesShown();
    void waveVolumeSavedOnceAndGivenBack();
    void nonMediaFileEndsInPlayerErrorBox();
    void playStopLetsGoOfTheFiles();
    void displaySizes();
    void fullScreenGoesWithTheShownEngine();
    void pictureSizes();
};

void TestClsMovie::initTestCase() {
    QVERIFY2(QFile::exists(path("clip.avi")), "test media missing: run make_media.sh");
}

void TestClsMovie::missingFileIsReported() {
    Rig rig;
    rig.timer1.setInterval(5000);
    rig.timer1.start();
    const QString missing = QStringLiteral("/nonexistent/まだない.avi");
    rig.movie->PlayStart(missing, QStringLiteral("avi"), 0, true);

    const auto messages = rig.dialogs.messages();
    QCOMPARE(messages.size(), 1);
    QCOMPARE(messages[0].text, QString(missing + u"は、存在しないため再生できません。"));
    QCOMPARE(messages[0].title, QStringLiteral("プレイヤーエラー"));
    QCOMPARE(toString(messages[0].icon), toString(MsgIcon::Critical));
    QCOMPARE(rig.dialogs.beeps(), 0);
    // Nothing else happened: the slide show stopped, the engines as they were, the pointer back.
    QVERIFY(!rig.timer1.isEnabled());
    QCOMPARE(rig.movie->RealPlayerFlg, qint16(0));
    QCOMPARE(rig.mp().playState(), int(MediaPlayerEngine::Closed));
    QVERIFY(rig.MediaPlayer1()->isHidden());
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
}

void TestClsMovie::extensionsDecideTheEngine() {
    Rig rig;
    QTemporaryDir dir;
    const QString text = dir.filePath(QStringLiteral("readme.txt"));
    const QString upper = dir.filePath(QStringLiteral("TONE.MP3"));
    QVERIFY(QFile::copy(path("tone.mp3"), upper));
    QFile(text).open(QIODevice::WriteOnly);

    // PlayStart compares as given: "MP3" is of no kind and goes to the desktop.
    rig.movie->PlayStart(upper, QStringLiteral("MP3"), 0, true);
    rig.movie->PlayStart(text, QStringLiteral("txt"), 0, true);
    QCOMPARE(rig.opened, (QList<QUrl>{QUrl::fromLocalFile(upper), QUrl::fromLocalFile(text)}));
    QCOMPARE(rig.movie->RealPlayerFlg, qint16(0));
    QCOMPARE(rig.mp().fileName(), QString());
    // No extension at all: nothing.
    rig.movie->PlayStart(text, QString(), 0, true);
    QCOMPARE(rig.opened.size(), 2);
    QVERIFY(rig.dialogs.calls().isEmpty());
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);

    // The other methods lower it first.
    rig.movie->SetPlayMute(true, upper, QStringLiteral("MP3"));
    QCOMPARE(rig.players->mediaEngine().mpvProperty("mute"), QStringLiteral("yes"));
    QCOMPARE(rig.players->streamingEngine().mpvProperty("mute"), QStringLiteral("no"));
    rig.movie->SetPlayMute(true, text, QStringLiteral("PNG"));
    QCOMPARE(rig.players->streamingEngine().mpvProperty("mute"), QStringLiteral("yes"));
    rig.movie->SetPlayMute(false, text, QStringLiteral("txt"));
    QCOMPARE(rig.players->mediaEngine().mpvProperty("mute"), QStringLiteral("yes"));
}

void TestClsMovie::mediaPlayerPlaysPausesAndResumes() {
    Rig rig;
    QSignalSpy streams(&rig.mp(), &MediaPlayerEngine::newStream);
    const QString file = path("clip.avi");
    rig.movie->PlayStart(file, QStringLiteral("avi"), 0, true);
    QCOMPARE(rig.movie->RealPlayerFlg, qint16(1));
    QVERIFY(!rig.MediaPlayer1()->isHidden());
    QTRY_COMPARE_WITH_TIMEOUT(rig.movie->GetPlayState(), qint16(1), kOpenMs);
    QCOMPARE(streams.count(), 1);

    rig.movie->PlayPause();
    QCOMPARE(rig.movie->GetPlayState(), qint16(2));
    rig.movie->SetPlayPosition(2, QStringLiteral("avi"));
    QTRY_VERIFY_WITH_TIMEOUT(
        qAbs(rig.players->mediaEngine().mpvProperty("time-pos").toDouble() - 2.0) < 0.06, kOpenMs);

    // The same file, paused: it goes on from where it was, without being opened again.
    rig.movie->PlayStart(file, QStringLiteral("avi"), 0, true);
    QCOMPARE(rig.movie->GetPlayState(), qint16(1));
    QTest::qWait(300);
    QCOMPARE(streams.count(), 1);
    QVERIFY(rig.players->mediaEngine().position() >= 2.0);

    // PlayPause leaves a paused player alone.
    rig.movie->PlayPause();
    rig.movie->PlayPause();
    QCOMPARE(rig.movie->GetPlayState(), qint16(2));
}

void TestClsMovie::stoppedFileIsLoadedAgain() {
    Rig rig;
    QSignalSpy streams(&rig.mp(), &MediaPlayerEngine::newStream);
    const QString file = path("clip.avi");
    rig.movie->PlayStart(file, QStringLiteral("avi"), 0, true);
    QTRY_COMPARE_WITH_TIMEOUT(streams.count(), 1, kOpenMs);
    rig.mp().stop();
    QCOMPARE(rig.movie->GetPlayState(), qint16(0));
    rig.movie->PlayStart(file, QStringLiteral("avi"), 0, true);
    QTRY_COMPARE_WITH_TIMEOUT(streams.count(), 2, kOpenMs);
    QCOMPARE(rig.movie->GetPlayState(), qint16(1));

    // After its end as well.
    QSignalSpy ended(&rig.mp(), &MediaPlayerEngine::endOfStream);
    rig.movie->PlayStart(path("tone.wav"), QStringLiteral("wav"), 0, true);
    QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, kOpenMs);
    QCOMPARE(rig.movie->GetPlayState(), qint16(0));
    rig.movie->PlayStart(path("tone.wav"), QStringLiteral("wav"), 0, true);
    QTRY_COMPARE_WITH_TIMEOUT(streams.count(), 4, kOpenMs);
}

void TestClsMovie::streamingPlayerPlaysAndRestarts() {
    Rig rig;
    QTemporaryDir dir;
    const QString mov = dir.filePath(QStringLiteral("clip.mov"));
    QVERIFY(QFile::copy(path("clip.avi"), mov));
    QSignalSpy opened(&rig.ra(), &StreamingAudioEngine::clipOpened);

    rig.movie->PlayStart(mov, QStringLiteral("mov"), 0, true);
    QCOMPARE(rig.movie->RealPlayerFlg, qint16(2));
    QCOMPARE(rig.ra().source(), QString(u"file://" + mov));
    QTRY_COMPARE_WITH_TIMEOUT(rig.movie->GetPlayState(), qint16(1), kOpenMs);
    QCOMPARE(opened.count(), 1);

    // Paused and started again without PauseFlg: it goes on.
    rig.movie->PlayPause();
    QCOMPARE(rig.movie->GetPlayState(), qint16(2));
    rig.movie->PlayStart(mov, QStringLiteral("mov"), 0, false);
    QCOMPARE(rig.movie->GetPlayState(), qint16(1));
    QTest::qWait(200);
    QCOMPARE(opened.count(), 1);

    // With PauseFlg the clip starts over.
    rig.movie->PlayPause();
    rig.movie->PlayStart(mov, QStringLiteral("mov"), 0, true);
    QTRY_COMPARE_WITH_TIMEOUT(opened.count(), 2, kOpenMs);
    QTRY_COMPARE_WITH_TIMEOUT(rig.movie->GetPlayState(), qint16(1), kOpenMs);
}

void TestClsMovie::positionsInEachUnit() {
    Rig rig;
    QTemporaryDir dir;
    const QString mov = dir.filePath(QStringLiteral("clip.mov"));
    QVERIFY(QFile::copy(path("clip.avi"), mov));

    // Media player: whole seconds, halves to the even neighbour.
    rig.movie->PlayStart(path("clip.avi"), QStringLiteral("avi"), 0, true);
    QTRY_COMPARE_WITH_TIMEOUT(rig.movie->GetPlayState(), qint16(1), kOpenMs);
    rig.movie->PlayPause();
    rig.mp().setCurrentPosition(2.5);
    QCOMPARE(rig.movie->GetPlayPosition(QStringLiteral("AVI")), 2);
    rig.mp().setCurrentPosition(1.5);
    QCOMPARE(rig.movie->GetPlayPosition(QStringLiteral("avi")), 2);
    rig.movie->SetPlayPosition(3, QStringLiteral("avi"));
    QCOMPARE(rig.movie->GetPlayPosition(QStringLiteral("avi")), 3);
    QTRY_VERIFY_WITH_TIMEOUT(
        qAbs(rig.players->mediaEngine().mpvProperty("time-pos").toDouble() - 3.0) < 0.06, kOpenMs);
    QCOMPARE(rig.movie->GetPlayPosition(QStringLiteral("avi")), 3);
    QCOMPARE(rig.movie->GetPlayPosition(QStringLiteral("txt")), 0);

    // Streaming player: milliseconds, written back unchanged.
    rig.movie->PlayStart(mov, QStringLiteral("mov"), 0, true);
    QTRY_COMPARE_WITH_TIMEOUT(rig.movie->GetPlayState(), qint16(1), kOpenMs);
    rig.movie->PlayPause();
    rig.movie->SetPlayPosition(1500, QStringLiteral("mov"));
    QCOMPARE(rig.movie->GetPlayPosition(QStringLiteral("mov")), 1500);
    QTRY_VERIFY_WITH_TIMEOUT(
        qAbs(rig.players->streamingEngine().mpvProperty("time-pos").toDouble() - 1.5) < 0.06,
        kOpenMs);
    QVERIFY(qAbs(rig.movie->GetPlayPosition(QStringLiteral("mov")) - 1500) < 60);
}

void TestClsMovie::neverBothEnginesShown() {
    Rig rig;
    QTemporaryDir dir;
    const QString mov = dir.filePath(QStringLiteral("clip.mov"));
    QVERIFY(QFile::copy(path("clip.avi"), mov));

    // At start the streaming player shows, and GetPlayState reads it while nothing plays.
    QVERIFY(oneEngineShown(rig));
    QVERIFY(!rig.RealAudio1(0)->isHidden());
    QCOMPARE(rig.movie->GetPlayState(), qint16(0));

    const QList<QPair<QString, QString>> files = {
        {path("clip.avi"), QStringLiteral("avi")},    {path("picture.png"), QStringLiteral("png")},
        {path("picture.jpg"), QStringLiteral("jpg")}, {mov, QStringLiteral("mov")},
        {path("tone.mp3"), QStringLiteral("mp3")},
    };
    for (const auto& [file, ext] : files) {
        rig.movie->PlayStart(file, ext, 0, true);
        QVERIFY2(oneEngineShown(rig), qPrintable(ext));
        const bool media = ext == u"avi" || ext == u"jpg" || ext == u"mp3";
        QCOMPARE(rig.MediaPlayer1()->isHidden(), !media);
        // The hidden engine holds nothing.
        QCOMPARE(rig.mp().fileName().isEmpty(), !media);
        QCOMPARE(rig.ra().source().isEmpty(), media);
        QTRY_COMPARE_WITH_TIMEOUT(rig.movie->GetPlayState(), qint16(1), kOpenMs);
        // A display size for the other engine's kind does not bring it out.
        rig.movie->PlayScreenChange(2, file, media ? QStringLiteral("png") : QStringLiteral("avi"));
        QVERIFY2(oneEngineShown(rig), qPrintable(ext));
    }
}

void TestClsMovie::waveVolumeSavedOnceAndGivenBack() {
    QList<quint32> written;
    quint32 level = 0x11112222u;
    int reads = 0;
    WaveVolumeAccess wave;
    wave.get = [&] {
        ++reads;
        return level;
    };
    wave.set = [&](quint32 v) { written << v; };
    Rig rig(wave);

    rig.movie->PlayStart(path("picture.png"), QStringLiteral("png"), 0, true);
    QCOMPARE(rig.movie->RealOldWaveVol, 0x11112222u);
    level = 0x33334444u;  // the streaming player's own volume meanwhile
    rig.movie->PlayStart(path("picture.png"), QStringLiteral("png"), 0, true);
    QCOMPARE(reads, 1);
    QCOMPARE(rig.movie->RealOldWaveVol, 0x11112222u);
    QVERIFY(written.isEmpty());

    rig.movie->PlayStart(path("clip.avi"), QStringLiteral("avi"), 0, true);
    QCOMPARE(written, QList<quint32>{0x11112222u});
    rig.movie->PlayStart(path("tone.mp3"), QStringLiteral("mp3"), 0, true);
    QCOMPARE(written.size(), 1);

    // Back to streaming: saved afresh.
    rig.movie->PlayStart(path("picture.png"), QStringLiteral("png"), 0, true);
    QCOMPARE(reads, 2);
    QCOMPARE(rig.movie->RealOldWaveVol, 0x33334444u);

    // The real mixer on a machine without a sound card reads 0.
    Rig plain;
    plain.movie->PlayStart(path("picture.png"), QStringLiteral("png"), 0, true);
    if (!QFile::exists(QStringLiteral("/proc/asound/card0"))) {
        QCOMPARE(plain.movie->RealOldWaveVol, 0u);
    }
}

void TestClsMovie::nonMediaFileEndsInPlayerErrorBox() {
    Rig rig;
    QTemporaryDir dir;
    const QString mov = dir.filePath(QStringLiteral("notmedia.mov"));
    QVERIFY(QFile::copy(path("notmedia.avi"), mov));

    // Media player: its own error, then the run-time error.
    rig.movie->PlayStart(path("notmedia.avi"), QStringLiteral("avi"), 0, true);
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    QTRY_COMPARE_WITH_TIMEOUT(rig.playerErrors().size(), 1, kOpenMs);
    const int code = rig.mp().errorCode();
    QVERIFY(code < 0);
    const QString expected = u"(MediaPlayerエラー番号):  " + QString::number(code) +
                             u"\r(エラー内容):  " + MpvEngine::errorTextFor(code) +
                             u"\r(VBエラー番号):  440\r(エラー内容):  " + runErrorText(440);
    QCOMPARE(rig.playerErrors()[0].text, expected);
    QCOMPARE(toString(rig.playerErrors()[0].icon), toString(MsgIcon::Critical));
    QCOMPARE(rig.dialogs.beeps(), 1);
    QCOMPARE(rig.movie->GetPlayState(), qint16(0));

    // The program goes on: the next file plays.
    rig.movie->PlayStart(path("clip.avi"), QStringLiteral("avi"), 0, true);
    QTRY_COMPARE_WITH_TIMEOUT(rig.movie->GetPlayState(), qint16(1), kOpenMs);

    // Streaming player: the run-time error only.
    rig.movie->PlayStart(mov, QStringLiteral("mov"), 0, true);
    QTRY_COMPARE_WITH_TIMEOUT(rig.playerErrors().size(), 2, kOpenMs);
    QCOMPARE(rig.playerErrors()[1].text,
             QString(u"(エラー番号):  440\r(エラー内容):  " + runErrorText(440)));
    QCOMPARE(rig.dialogs.beeps(), 2);
    rig.movie->PlayStart(path("picture.png"), QStringLiteral("png"), 0, true);
    QTRY_COMPARE_WITH_TIMEOUT(rig.movie->GetPlayState(), qint16(1), kOpenMs);
    QCOMPARE(rig.playerErrors().size(), 2);
}

void TestClsMovie::playStopLetsGoOfTheFiles() {
    Rig rig;
    QTemporaryDir dir;
    const QString avi = dir.filePath(QStringLiteral("clip.avi"));
    const QString mov = dir.filePath(QStringLiteral("clip.mov"));
    QVERIFY(QFile::copy(path("clip.avi"), avi));
    QVERIFY(QFile::copy(path("clip.avi"), mov));
    rig.timer1.setInterval(5000);

    for (const QString& file : {avi, mov}) {
        const QString ext = QFileInfo(file).suffix();
        rig.movie->PlayStart(file, ext, 0, true);
        QTRY_COMPARE_WITH_TIMEOUT(rig.movie->GetPlayState(), qint16(1), kOpenMs);
        QVERIFY(player_media::isHeldOpen(file));
        rig.timer1.start();

        rig.movie->PlayStop();
        QVERIFY(!rig.timer1.isEnabled());
        QVERIFY2(!player_media::isHeldOpen(file), qPrintable(ext));
        QCOMPARE(rig.movie->GetPlayState(), qint16(0));
        QCOMPARE(rig.mp().fileName(), QString());
        QCOMPARE(rig.ra().source(), QString());
        // Moved and deleted at once.
        const QString moved = file + u".moved";
        QVERIFY(QFile::rename(file, moved));
        QVERIFY(QFile::remove(moved));
    }
    // Stopping with nothing loaded is harmless.
    rig.movie->PlayStop();
    QVERIFY(rig.dialogs.calls().isEmpty());
}

void TestClsMovie::displaySizes() {
    Rig rig;
    const int values[] = {4, 1, 0, 2, 3, 0};
    for (qint16 i = 0; i < 6; ++i) {
        rig.movie->PlayScreenChange(i, QString(), QStringLiteral("avi"));
        QCOMPARE(rig.mp().displaySize(), values[i]);
        QCOMPARE(rig.players->mediaSurface()->isFullScreenMode(), i == 4);
    }
    QVERIFY(!rig.players->mediaSurface()->isFullScreenMode());
    // Out of range: the size stays.
    rig.movie->PlayScreenChange(9, QString(), QStringLiteral("avi"));
    QCOMPARE(rig.mp().displaySize(), 0);
    // Compared as given.
    rig.movie->PlayScreenChange(3, QString(), QStringLiteral("AVI"));
    QCOMPARE(rig.mp().displaySize(), 0);

    MpvEngine& streaming = rig.players->streamingEngine();
    const VideoSize sizes[] = {VideoSize::Fit,    VideoSize::Actual,     VideoSize::Actual,
                               VideoSize::Double, VideoSize::FullScreen, VideoSize::Actual};
    for (qint16 i = 0; i < 6; ++i) {
        rig.movie->PlayScreenChange(i, QString(), QStringLiteral("png"));
        QCOMPARE(streaming.displaySize(), sizes[i]);
        QCOMPARE(rig.players->streamingSurface()->isFullScreenMode(), i == 4);
    }
    rig.movie->PlayScreenChange(-1, QString(), QStringLiteral("png"));
    QCOMPARE(streaming.displaySize(), VideoSize::Actual);
}

void TestClsMovie::fullScreenGoesWithTheShownEngine() {
    Rig rig;
    QWidget* mediaVideo = rig.players->mediaSurface()->videoWidget();
    QWidget* streamingVideo = rig.players->streamingSurface()->videoWidget();
    rig.movie->PlayScreenChange(4, path("clip.avi"), QStringLiteral("avi"));
    rig.movie->PlayStart(path("clip.avi"), QStringLiteral("avi"), 4, true);
    QVERIFY(mediaVideo->window() != &rig.host);
    QVERIFY(mediaVideo->window()->isVisible());

    rig.movie->PlayScreenChange(4, path("picture.png"), QStringLiteral("png"));
    rig.movie->PlayStart(path("picture.png"), QStringLiteral("png"), 4, true);
    QVERIFY(!mediaVideo->window()->isVisible());
    QVERIFY(streamingVideo->window() != &rig.host);
    QVERIFY(streamingVideo->window()->isVisible());

    rig.movie->PlayStart(path("clip.avi"), QStringLiteral("avi"), 4, true);
    QVERIFY(mediaVideo->window()->isVisible());
    QVERIFY(!streamingVideo->window()->isVisible());
    rig.movie->PlayScreenChange(0, path("clip.avi"), QStringLiteral("avi"));
    QCOMPARE(mediaVideo->window(), &rig.host);
}

void TestClsMovie::pictureSizes() {
    Rig rig;
    qint32 h = 7;
    qint32 w = 9;
    rig.movie->GetDspSize(QStringLiteral("txt"), h, w);
    QCOMPARE(h, 7);
    QCOMPARE(w, 9);

    QSignalSpy streams(&rig.mp(), &MediaPlayerEngine::newStream);
    rig.movie->PlayStart(path("clip.avi"), QStringLiteral("avi"), 0, true);
    QTRY_COMPARE_WITH_TIMEOUT(streams.count(), 1, kOpenMs);
    rig.movie->GetDspSize(QStringLiteral("AVI"), h, w);
    QCOMPARE(h, 120);
    QCOMPARE(w, 160);

    rig.movie->PlayStart(path("tone.mp3"), QStringLiteral("mp3"), 0, true);
    QTRY_COMPARE_WITH_TIMEOUT(streams.count(), 2, kOpenMs);
    rig.movie->GetDspSize(QStringLiteral("mp3"), h, w);
    QCOMPARE(h, 0);
    QCOMPARE(w, 0);

    QSignalSpy clips(&rig.ra(), &StreamingAudioEngine::clipOpened);
    rig.movie->PlayStart(path("picture.png"), QStringLiteral("png"), 0, true);
    QTRY_COMPARE_WITH_TIMEOUT(clips.count(), 1, kOpenMs);
    rig.movie->GetDspSize(QStringLiteral("png"), h, w);
    QCOMPARE(h, 48);
    QCOMPARE(w, 64);
}

QTEST_MAIN(TestClsMovie)
#include "tst_clsmovie.moc"
