#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QSignalSpy>
#include <QSlider>
#include <QToolButton>
#include <QtTest>

#include "player/control_bar_binding.h"
#include "player/display_size.h"
#include "player/media_kinds.h"
#include "player/mpv_engine.h"
#include "player/play_time.h"
#include "player/player_control_bar.h"
#include "player/video_surface.h"
#include "player/wave_volume.h"
#include "player_media.h"

namespace {

MpvEngineOptions silent() {
    MpvEngineOptions options;
    options.audioOutput = QStringLiteral("null");
    return options;
}

// A silent engine's picture surface, 400 x 300, shown on a window of its own.
struct HostedSurface {
    HostedSurface() {
        host.resize(400, 300);
        surface.resize(400, 300);
        host.show();
    }
    MpvEngine engine{silent()};
    QWidget host;
    VideoSurface surface{engine, false, &host};
};

}  // namespace

// The player's smaller parts: the media kinds, the display sizes and where a picture goes, the
// time texts, the wave volume, the control bar and the picture surface.
class TestPlayerParts : public QObject {
    Q_OBJECT
private slots:
    void mediaKinds();
    void displaySizeTables();
    void videoRectPlacesThePicture();
    void playTimeTexts();
    void waveVolumeWithoutSoundCard();
    void waveLevelScaling();
    void controlBarSaysWhatTheUserAsked();
    void controlBarFollowsTheEngine();
    void surfaceFollowsDisplaySize();
    void surfaceFullScreenAndBack();
};

void TestPlayerParts::mediaKinds() {
    QCOMPARE(mediaPlayerExtensions().size(), 31);
    QCOMPARE(realAudioExtensions().size(), 10);
    for (const QString& ext : mediaPlayerExtensions()) {
        QVERIFY2(!realAudioExtensions().contains(ext), qPrintable(ext));
    }
    QCOMPARE(mediaKindOf(QStringLiteral("mp3")), MediaKind::MediaPlayer);
    QCOMPARE(mediaKindOf(QStringLiteral("jpg")), MediaKind::MediaPlayer);
    QCOMPARE(mediaKindOf(QStringLiteral("ogg")), MediaKind::MediaPlayer);
    QCOMPARE(mediaKindOf(QStringLiteral("png")), MediaKind::RealAudio);
    QCOMPARE(mediaKindOf(QStringLiteral("m3u")), MediaKind::RealAudio);
    QCOMPARE(mediaKindOf(QStringLiteral("mov")), MediaKind::RealAudio);
    // Exact: upper case is of no kind.
    QCOMPARE(mediaKindOf(QStringLiteral("MP3")), MediaKind::Other);
    QCOMPARE(mediaKindOf(QStringLiteral("MP4")), MediaKind::Other);
    QCOMPARE(mediaKindOf(QStringLiteral("xyz")), MediaKind::Other);
    // Today's formats go to the media player too, apart from its own 31.
    QCOMPARE(addedMediaExtensions().size(), 15);
    for (const QString& ext : addedMediaExtensions()) {
        QCOMPARE(mediaKindOf(ext), MediaKind::MediaPlayer);
        QVERIFY2(!mediaPlayerExtensions().contains(ext), qPrintable(ext));
    }
    QCOMPARE(mediaKindOf(QString()), MediaKind::None);
}

void TestPlayerParts::displaySizeTables() {
    const int values[] = {4, 1, 0, 2, 3, 0};
    for (int i = 0; i < 6; ++i) {
        QCOMPARE(mediaPlayerDisplaySize(i), std::optional<int>(values[i]));
    }
    QCOMPARE(mediaPlayerDisplaySize(-1), std::nullopt);
    QCOMPARE(mediaPlayerDisplaySize(6), std::nullopt);

    QCOMPARE(videoSizeOfMediaPlayer(0), VideoSize::Actual);
    QCOMPARE(videoSizeOfMediaPlayer(1), VideoSize::Half);
    QCOMPARE(videoSizeOfMediaPlayer(2), VideoSize::Double);
    QCOMPARE(videoSizeOfMediaPlayer(3), VideoSize::FullScreen);
    QCOMPARE(videoSizeOfMediaPlayer(4), VideoSize::Fit);
    QCOMPARE(videoSizeOfMediaPlayer(99), VideoSize::Fit);

    using S = StreamingSizeCall;
    const std::pair<bool, S::Size> calls[] = {{true, S::Natural},    {false, S::Natural},
                                              {false, S::Natural},   {false, S::Double},
                                              {true, S::FullScreen}, {false, S::Natural}};
    for (int i = 0; i < 6; ++i) {
        const auto call = streamingSizeCall(i);
        QVERIFY(call.has_value());
        QCOMPARE(call->keepAspect, calls[i].first);
        QCOMPARE(call->size, calls[i].second);
    }
    QVERIFY(!streamingSizeCall(7).has_value());
}

void TestPlayerParts::videoRectPlacesThePicture() {
    const QSize area(400, 300);
    const QSize picture(160, 120);
    QCOMPARE(videoRect(VideoSize::Fit, picture, area), QRect(0, 0, 400, 300));
    QCOMPARE(videoRect(VideoSize::FullScreen, picture, area), QRect(0, 0, 400, 300));
    QCOMPARE(videoRect(VideoSize::Actual, picture, area), QRect(120, 90, 160, 120));
    QCOMPARE(videoRect(VideoSize::Half, picture, area), QRect(160, 120, 80, 60));
    QCOMPARE(videoRect(VideoSize::Double, picture, area), QRect(40, 30, 320, 240));
    // Larger than the area: the middle of the picture shows.
    QCOMPARE(videoRect(VideoSize::Double, QSize(640, 480), area), QRect(-440, -330, 1280, 960));
    // Sound only: the surface stays black all over.
    QCOMPARE(videoRect(VideoSize::Actual, QSize(), area), QRect(0, 0, 400, 300));
}

void TestPlayerParts::playTimeTexts() {
    QCOMPARE(formatPlayTime(0), QStringLiteral("0:00"));
    QCOMPARE(formatPlayTime(9.99), QStringLiteral("0:09"));
    QCOMPARE(formatPlayTime(65), QStringLiteral("1:05"));
    QCOMPARE(formatPlayTime(3599), QStringLiteral("59:59"));
    QCOMPARE(formatPlayTime(3600 + 62), QStringLiteral("1:01:02"));
    QCOMPARE(formatPlayTime(-3), QStringLiteral("0:00"));
    QCOMPARE(formatPlayTime(std::numeric_limits<double>::quiet_NaN()), QStringLiteral("0:00"));
}

void TestPlayerParts::waveVolumeWithoutSoundCard() {
    // These machines have no sound card: 0, nothing written, and no waiting.
    QElapsedTimer timer;
    timer.start();
    const quint32 volume = GetWaveVolume();
    SetWaveVolume(0x80008000u);
    QVERIFY(timer.elapsed() < 1000);
    if (!QFile::exists(QStringLiteral("/proc/asound/card0"))) {
        QCOMPARE(volume, 0u);
        QCOMPARE(GetWaveVolume(), 0u);
    }
}

void TestPlayerParts::waveLevelScaling() {
    QCOMPARE(waveLevelFromMixer(0, 0, 100), quint16(0));
    QCOMPARE(waveLevelFromMixer(100, 0, 100), quint16(65535));
    QCOMPARE(waveLevelFromMixer(50, 0, 100), quint16(32768));
    QCOMPARE(waveLevelFromMixer(-30, -60, 0), quint16(32768));
    QCOMPARE(waveLevelFromMixer(500, 0, 100), quint16(65535));  // out of range: clamped
    QCOMPARE(waveLevelFromMixer(5, 7, 7), quint16(0));          // no range at all
    QCOMPARE(mixerFromWaveLevel(0, 0, 87), 0L);
    QCOMPARE(mixerFromWaveLevel(65535, 0, 87), 87L);
    QCOMPARE(mixerFromWaveLevel(32768, -60, 0), -30L);
    // There and back lands on the same mixer step.
    for (long v = 0; v <= 87; ++v) {
        QCOMPARE(mixerFromWaveLevel(waveLevelFromMixer(v, 0, 87), 0, 87), v);
    }
}

void TestPlayerParts::controlBarSaysWhatTheUserAsked() {
    PlayerControlBar bar;
    QSignalSpy play(&bar, &PlayerControlBar::playClicked);
    QSignalSpy pause(&bar, &PlayerControlBar::pauseClicked);
    QSignalSpy stop(&bar, &PlayerControlBar::stopClicked);
    QSignalSpy seek(&bar, &PlayerControlBar::seekRequested);
    QSignalSpy volume(&bar, &PlayerControlBar::volumeChanged);

    bar.setDuration(125);
    bar.setPosition(61.5);
    QCOMPARE(bar.timeText(), QStringLiteral("1:01 / 2:05"));
    QCOMPARE(bar.seekSlider()->value(), 615);
    QCOMPARE(seek.count(), 0);  // what the bar is told is not a request

    bar.playPauseButton()->click();
    QCOMPARE(play.count(), 1);
    bar.setPlaying(true);
    bar.playPauseButton()->click();
    QCOMPARE(pause.count(), 1);
    QCOMPARE(play.count(), 1);
    bar.stopButton()->click();
    QCOMPARE(stop.count(), 1);

    bar.seekSlider()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    QCOMPARE(seek.count(), 1);
    QCOMPARE(seek.at(0).at(0).toDouble(), 62.5);

    // A click on the groove seeks to where it fell, not one page on.
    bar.resize(600, bar.sizeHint().height());
    bar.show();
    QVERIFY(QTest::qWaitForWindowExposed(&bar));
    QSlider* groove = bar.seekSlider();
    QTest::mouseClick(groove, Qt::LeftButton, {},
                      QPoint(groove->width() * 3 / 4, groove->height() / 2));
    QCOMPARE(seek.count(), 2);
    QVERIFY(qAbs(seek.at(1).at(0).toDouble() - 125 * 0.75) < 5);

    bar.setVolume(30);
    QCOMPARE(volume.count(), 0);
    bar.volumeSlider()->setValue(70);
    QCOMPARE(volume.count(), 1);
    QCOMPARE(volume.at(0).at(0).toInt(), 70);
}

void TestPlayerParts::controlBarFollowsTheEngine() {
    MpvEngine engine(silent());
    PlayerControlBar bar;
    new ControlBarBinding(engine, bar);
    QSignalSpy opened(&engine, &MediaEngine::newStream);

    engine.load(player_media::path("clip.avi"));
    QTRY_COMPARE_WITH_TIMEOUT(opened.count(), 1, 10000);
    QCOMPARE(bar.timeText(), QStringLiteral("0:00 / 0:04"));
    QVERIFY(!bar.isPlaying());

    bar.playPauseButton()->click();
    QCOMPARE(engine.state(), EngineState::Playing);
    QVERIFY(bar.isPlaying());
    QTRY_VERIFY_WITH_TIMEOUT(bar.seekSlider()->value() >= 10, 10000);  // a second in

    bar.playPauseButton()->click();
    QCOMPARE(engine.state(), EngineState::Paused);
    QVERIFY(!bar.isPlaying());

    bar.seekSlider()->setSliderPosition(30);
    bar.seekSlider()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    QCOMPARE(engine.position(), 3.1);

    bar.stopButton()->click();
    QCOMPARE(engine.state(), EngineState::Stopped);
    QCOMPARE(bar.timeText(), QStringLiteral("0:00 / 0:04"));

    bar.volumeSlider()->setValue(25);
    QCOMPARE(engine.volume(), 25);
}

void TestPlayerParts::surfaceFollowsDisplaySize() {
    HostedSurface hosted;
    MpvEngine& engine = hosted.engine;
    VideoSurface& surface = hosted.surface;
    QSignalSpy opened(&engine, &MediaEngine::newStream);
    engine.load(player_media::path("clip.avi"));
    QTRY_COMPARE_WITH_TIMEOUT(opened.count(), 1, 10000);

    QCOMPARE(surface.videoWidget()->geometry(), QRect(0, 0, 400, 300));
    engine.setDisplaySize(VideoSize::Actual);
    QCOMPARE(surface.videoWidget()->geometry(), QRect(120, 90, 160, 120));
    engine.setDisplaySize(VideoSize::Double);
    QCOMPARE(surface.videoWidget()->geometry(), QRect(40, 30, 320, 240));
    surface.resize(320, 240);
    QCOMPARE(surface.videoWidget()->geometry(), QRect(0, 0, 320, 240));
    engine.setDisplaySize(VideoSize::Half);
    QCOMPARE(surface.videoWidget()->geometry(), QRect(120, 90, 80, 60));

    // Without a picture the whole surface is black.
    engine.unload();
    QCOMPARE(surface.videoWidget()->geometry(), QRect(0, 0, 320, 240));
}

void TestPlayerParts::surfaceFullScreenAndBack() {
    HostedSurface hosted;
    MpvEngine& engine = hosted.engine;
    QWidget& host = hosted.host;
    VideoSurface& surface = hosted.surface;
    QSignalSpy left(&surface, &VideoSurface::fullScreenLeft);

    engine.setDisplaySize(VideoSize::FullScreen);
    QVERIFY(surface.isFullScreenMode());
    QWidget* window = surface.videoWidget()->window();
    QVERIFY(window != host.window());
    QVERIFY(window->isWindow());
    QTRY_VERIFY(window->windowState() & Qt::WindowFullScreen);

    // Back by the menu.
    engine.setDisplaySize(VideoSize::Fit);
    QVERIFY(!surface.isFullScreenMode());
    QCOMPARE(surface.videoWidget()->parentWidget(), &surface);
    QCOMPARE(surface.videoWidget()->geometry(), QRect(0, 0, 400, 300));
    QCOMPARE(left.count(), 0);

    // Back by Esc: the engine fits again and the window hears of it.
    engine.setDisplaySize(VideoSize::FullScreen);
    window = surface.videoWidget()->window();
    QTest::keyClick(window, Qt::Key_Escape);
    QCOMPARE(left.count(), 1);
    QCOMPARE(engine.displaySize(), VideoSize::Fit);
    QCOMPARE(surface.videoWidget()->parentWidget(), &surface);

    // And by a double-click on the picture.
    engine.setDisplaySize(VideoSize::FullScreen);
    QTest::mouseDClick(surface.videoWidget(), Qt::LeftButton);
    QCOMPARE(left.count(), 2);
    QCOMPARE(surface.videoWidget()->parentWidget(), &surface);

    // The full screen shows only while the surface does.
    surface.hide();
    engine.setDisplaySize(VideoSize::FullScreen);
    QVERIFY(surface.isFullScreenMode());
    window = surface.videoWidget()->window();
    QVERIFY(!window->isVisible());
    surface.show();
    QVERIFY(window->isVisible());
    surface.hide();
    QVERIFY(!window->isVisible());
    engine.setDisplaySize(VideoSize::Fit);
    surface.show();
    QCOMPARE(surface.videoWidget()->parentWidget(), &surface);
    QVERIFY(surface.videoWidget()->isVisible());
}

QTEST_MAIN(TestPlayerParts)
#include "tst_player_parts.moc"
