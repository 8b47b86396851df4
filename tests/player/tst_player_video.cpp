#include <unistd.h>
#include <QApplication>
#include <QFile>
#include <QOpenGLWidget>
#include <QProcess>
#include <QSignalSpy>
#include <QtTest>
#include <cstdlib>
#include <memory>

#include "platform/interval_timer.h"
#include "platform/scripted_dialogs.h"
#include "player/messages.h"
#include "player/movie.h"
#include "player/mpv_engine.h"
#include "player/mpv_video_widget.h"
#include "player/player_set.h"
#include "player/video_surface.h"
#include "player_media.h"

using player_media::path;

namespace {

constexpr int kOpenMs = 15000;

// True when some pixel in the middle of the picture is not black.
bool showsPicture(QWidget* video) {
    auto* gl = qobject_cast<QOpenGLWidget*>(video);
    if (gl == nullptr || gl->width() < 4 || gl->height() < 4) {
        return false;
    }
    const QImage frame = gl->grabFramebuffer();
    for (int y = frame.height() / 4; y < frame.height() * 3 / 4; y += 7) {
        for (int x = frame.width() / 4; x < frame.width() * 3 / 4; x += 7) {
            if (qGray(frame.pixel(x, y)) > 40) {
                return true;
            }
        }
    }
    return false;
}

}  // namespace

// The players drawing through libmpv's render API into OpenGL widgets. This needs a screen: the
// test runs itself in a virtual X server (xvfb-run) and is skipped where there is none.
class TestPlayerVideo : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void drawsThePicture();
    void fullScreenKeepsPlaying();
    void playersGoBeforeTheirWindow();
    void soundShowsItsCoverOrNothing();

private:
    struct Rig {
        Rig() {
            host.resize(640, 480);
            PlayerOptions options;
            options.audioOutput = QStringLiteral("null");
            players = std::make_unique<PlayerSet>(&host, options);
            players->MediaPlayer1()->setGeometry(0, 0, 640, 400);
            players->RealAudio1(0)->setGeometry(0, 0, 640, 400);
            players->RealAudio1(1)->setGeometry(0, 400, 640, 40);
            movie = std::make_unique<clsMovie>(dialogs, timer1, *players,
                                               [](const QUrl&) { return true; });
            movie->configureAtStart();
            host.show();
        }
        QWidget host;
        ScriptedDialogs dialogs;
        IntervalTimer timer1;
        std::unique_ptr<PlayerSet> players;
        std::unique_ptr<clsMovie> movie;
    };
};

void TestPlayerVideo::initTestCase() {
    if (!PlayerSet::screenCanDraw()) {
        QSKIP("no screen to draw on (xvfb-run missing)");
    }
}

void TestPlayerVideo::drawsThePicture() {
    Rig rig;
    QVERIFY(rig.players->usesRenderApi());
    QVERIFY(QTest::qWaitForWindowExposed(&rig.host));
    rig.movie->PlayStart(path("clip.avi"), QStringLiteral("avi"), 0, true);
    QTRY_COMPARE_WITH_TIMEOUT(rig.movie->GetPlayState(), qint16(1), kOpenMs);
    auto* video = qobject_cast<MpvVideoWidget*>(rig.players->mediaSurface()->videoWidget());
    QVERIFY(video != nullptr);
    QVERIFY(video->hasRenderContext());
    QVERIFY(rig.players->mediaEngine().isVideoReady());
    QTRY_VERIFY_WITH_TIMEOUT(showsPicture(video), kOpenMs);
    QCOMPARE(rig.players->mediaEngine().mpvProperty("vo-configured"), QStringLiteral("yes"));

    // The streaming player's window draws too, pictures included.
    rig.movie->PlayStart(path("picture.png"), QStringLiteral("png"), 0, true);
    QTRY_COMPARE_WITH_TIMEOUT(rig.movie->GetPlayState(), qint16(1), kOpenMs);
    QTRY_VERIFY_WITH_TIMEOUT(showsPicture(rig.players->streamingSurface()->videoWidget()), kOpenMs);
    QVERIFY(rig.dialogs.calls().isEmpty());
}

void TestPlayerVideo::fullScreenKeepsPlaying() {
    Rig rig;
    QVERIFY(QTest::qWaitForWindowExposed(&rig.host));
    MpvEngine& engine = rig.players->mediaEngine();
    QSignalSpy ended(&engine, &MediaEngine::endOfStream);
    QSignalSpy streams(&engine, &MediaEngine::newStream);
    rig.movie->PlayStart(path("clip.avi"), QStringLiteral("avi"), 0, true);
    QTRY_COMPARE_WITH_TIMEOUT(rig.movie->GetPlayState(), qint16(1), kOpenMs);
    QWidget* video = rig.players->mediaSurface()->videoWidget();
    QTRY_VERIFY_WITH_TIMEOUT(showsPicture(video), kOpenMs);

    rig.movie->PlayScreenChange(4, QString(), QStringLiteral("avi"));
    QVERIFY(rig.players->mediaSurface()->isFullScreenMode());
    QVERIFY(QTest::qWaitForWindowExposed(video->window()));
    QTRY_VERIFY_WITH_TIMEOUT(showsPicture(video), kOpenMs);
    const double at = engine.position();
    QTRY_VERIFY_WITH_TIMEOUT(engine.position() > at + 0.3, kOpenMs);

    rig.movie->PlayScreenChange(0, QString(), QStringLiteral("avi"));
    QVERIFY(!rig.players->mediaSurface()->isFullScreenMode());
    QTRY_VERIFY_WITH_TIMEOUT(showsPicture(video), kOpenMs);
    QCOMPARE(rig.movie->GetPlayState(), qint16(1));
    // The move was no new file, no end and no error.
    QCOMPARE(streams.count(), 1);
    QCOMPARE(ended.count(), 0);
    QVERIFY(rig.dialogs.calls().isEmpty());
}

void TestPlayerVideo::playersGoBeforeTheirWindow() {
    // The window may drop the players before their widgets: the render contexts are let go of
    // before the handles, and the widgets live on without them.
    Rig rig;
    QVERIFY(QTest::qWaitForWindowExposed(&rig.host));
    rig.movie->PlayStart(path("clip.avi"), QStringLiteral("avi"), 0, true);
    QTRY_COMPARE_WITH_TIMEOUT(rig.movie->GetPlayState(), qint16(1), kOpenMs);
    auto* video = qobject_cast<MpvVideoWidget*>(rig.players->mediaSurface()->videoWidget());
    rig.movie.reset();
    rig.players.reset();
    QVERIFY(!video->hasRenderContext());
    video->update();
    QTest::qWait(100);
}

void TestPlayerVideo::soundShowsItsCoverOrNothing() {
    // A sound after a video leaves no frame of the video; a sound with a cover picture shows
    // it; a stop leaves the area black.
    Rig rig;
    QVERIFY(QTest::qWaitForWindowExposed(&rig.host));
    QWidget* video = rig.players->mediaSurface()->videoWidget();
    rig.movie->PlayStart(path("clip.avi"), QStringLiteral("avi"), 0, true);
    QTRY_VERIFY_WITH_TIMEOUT(showsPicture(video), kOpenMs);
    rig.movie->PlayStart(path("tone.mp3"), QStringLiteral("mp3"), 0, true);
    QTRY_COMPARE_WITH_TIMEOUT(rig.movie->GetPlayState(), qint16(1), kOpenMs);
    QTRY_VERIFY_WITH_TIMEOUT(!showsPicture(video), kOpenMs);
    rig.movie->PlayStart(path("cover.mp3"), QStringLiteral("mp3"), 0, true);
    QTRY_VERIFY_WITH_TIMEOUT(showsPicture(video), kOpenMs);
    rig.movie->PlayStop();
    QTRY_VERIFY_WITH_TIMEOUT(!showsPicture(video), kOpenMs);
    QVERIFY(rig.dialogs.calls().isEmpty());
}

// Under the offscreen platform the test starts itself again in a virtual X server.
int main(int argc, char** argv) {
    const bool offscreen = qgetenv("QT_QPA_PLATFORM") == "offscreen";
    if (offscreen && qEnvironmentVariableIsEmpty("QUORVANE_IN_XVFB") &&
        QFile::exists(QStringLiteral("/usr/bin/xvfb-run"))) {
        qputenv("QUORVANE_IN_XVFB", "1");
        qputenv("QT_QPA_PLATFORM", "xcb");
        std::vector<char*> args = {const_cast<char*>("xvfb-run"), const_cast<char*>("-a"),
                                   const_cast<char*>("-s"),
                                   const_cast<char*>("-screen 0 1280x1024x24")};
        for (int i = 0; i < argc; ++i) {
            args.push_back(argv[i]);
        }
        args.push_back(nullptr);
        execv("/usr/bin/xvfb-run", args.data());
        qputenv("QT_QPA_PLATFORM", "offscreen");  // could not start it: run (and skip) here
    }
    // Run once as the program runs (contexts shared) and once without, where a move to the full
    // screen costs the picture widget its context.
    if (qEnvironmentVariableIsEmpty("QUORVANE_VIDEO_UNSHARED")) {
        prepareApplicationForVideo();
    }
    QApplication app(argc, argv);
    TestPlayerVideo test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_player_video.moc"
