// quorvane-bench playback, the cases of one file going on into the next:
//   gap-audio: a continuous 440 Hz sine of 6 s at 44.1 kHz cut in two FLAC files at a sample,
//   played through by the play list with libmpv's sound written to a file (ao=pcm, 16-bit mono).
//   added_samples: the samples written beyond the two files' own; silent_samples: samples in
//   runs of 8 or more near zero (a sine has none); max_step: the largest step from one sample to
//   the next against the sine's own largest (1.0: no break in the wave). The baseline is a bare
//   libmpv handle loading the second file after the end of the first, as a player without a
//   next entry does. The file output takes sound as fast as it comes, so a pause between the
//   files shows in time only: switch_ms is the time from the end of the first to the second's
//   sound ready, against the baseline's.
//   switch-video: two H.264 files of 25 frames a second, from the end of the first (its last
//   picture shown) to the second's first picture ready, through the play list; baseline: the
//   bare handle's load after the end.
//   switch-stall: the largest gap of the window's thread (a 1 ms watchdog) across ten switches
//   from one short sound to the next, through the play list.
#include <mpv/client.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstring>
#include <functional>
#include <vector>

#include "bench_window.h"
#include "play_harness.h"
#include "stall_watchdog.h"

namespace {

constexpr int kRate = 44100;
constexpr int kHalfSamples = 3 * kRate;
constexpr double kToneHz = 440;
constexpr int kSwitches = 10;

bool ffmpeg(const QStringList& args) {
    QProcess process;
    process.start(
        QStringLiteral("ffmpeg"),
        QStringList{QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"),
                    QStringLiteral("error"), QStringLiteral("-nostdin"), QStringLiteral("-y")} +
            args);
    return process.waitForFinished(120000) && process.exitCode() == 0;
}

// The sine's two halves, a.flac and b.flac, cut at sample kHalfSamples.
bool makeSineHalves(const QString& folder) {
    const QString sine = QStringLiteral("sine=frequency=440:sample_rate=44100:duration=6");
    return QDir().mkpath(folder) &&
           ffmpeg({u"-f"_qs, u"lavfi"_qs, u"-i"_qs, sine, u"-af"_qs,
                   u"atrim=end_sample="_qs + QString::number(kHalfSamples), u"-ac"_qs, u"1"_qs,
                   folder + u"/a.flac"_qs}) &&
           ffmpeg({u"-f"_qs, u"lavfi"_qs, u"-i"_qs, sine, u"-af"_qs,
                   u"atrim=start_sample="_qs + QString::number(kHalfSamples) +
                       u",asetpts=PTS-STARTPTS"_qs,
                   u"-ac"_qs, u"1"_qs, folder + u"/b.flac"_qs});
}

bool makeVideos(const QString& folder) {
    if (!QDir().mkpath(folder)) {
        return false;
    }
    for (const char* name : {"a.mp4", "b.mp4"}) {
        if (!ffmpeg({u"-f"_qs, u"lavfi"_qs, u"-i"_qs, u"testsrc=size=320x240:rate=25:duration=2"_qs,
                     u"-c:v"_qs, u"libx264"_qs, u"-pix_fmt"_qs, u"yuv420p"_qs,
                     folder + u'/' + QLatin1String(name)})) {
            return false;
        }
    }
    return true;
}

bool makeShortSounds(const QString& folder, int count) {
    if (!QDir().mkpath(folder)) {
        return false;
    }
    for (int i = 0; i < count; ++i) {
        if (!ffmpeg(
                {u"-f"_qs, u"lavfi"_qs, u"-i"_qs, u"sine=frequency=440:duration=0.6"_qs,
                 folder + u"/t"_qs + QString::number(i).rightJustified(2, u'0') + u".wav"_qs})) {
            return false;
        }
    }
    return true;
}

// Sound written as raw 16-bit mono samples to pcm, appended across opens of the output.
void writeSoundTo(mpv_handle* handle, const QString& pcm) {
    const QByteArray file = QFile::encodeName(pcm);
    mpv_set_property_string(handle, "ao-pcm-file", file.constData());
    mpv_set_property_string(handle, "ao-pcm-waveheader", "no");
    mpv_set_property_string(handle, "ao-pcm-append", "yes");
    mpv_set_property_string(handle, "audio-format", "s16");
    mpv_set_property_string(handle, "audio-channels", "mono");
    mpv_set_property_string(handle, "audio-samplerate", "44100");
}

struct Gap {
    qint64 added = 0;
    qint64 silent = 0;
    double maxStep = 0;
};

Gap measureGap(const QString& pcm) {
    QFile file(pcm);
    Gap gap;
    if (!file.open(QIODevice::ReadOnly)) {
        gap.added = -1;
        return gap;
    }
    const QByteArray bytes = file.readAll();
    std::vector<qint16> samples(size_t(bytes.size()) / 2);
    std::memcpy(samples.data(), bytes.constData(), samples.size() * 2);
    gap.added = qint64(samples.size()) - 2 * kHalfSamples;
    qint16 peak = 1;
    for (qint16 s : samples) {
        peak = std::max<qint16>(peak, qint16(std::abs(int(s))));
    }
    const double sineStep = peak * 2 * M_PI * kToneHz / kRate;
    int run = 0;
    int step = 0;
    // The first and last 50 ms are left out: the sine starts and ends there.
    const size_t edge = kRate / 20;
    for (size_t i = edge; i + edge < samples.size(); ++i) {
        run = std::abs(int(samples[i])) <= peak / 64 ? run + 1 : 0;
        if (run == 8) {
            gap.silent += 8;
        } else if (run > 8) {
            ++gap.silent;
        }
        step = std::max(step, std::abs(int(samples[i]) - int(samples[i - 1])));
    }
    gap.maxStep = step / sineStep;
    return gap;
}

// A bare handle playing a, then loading b after a's end: the end-to-start time in ms.
double bareOneAfterAnother(const QString& a, const QString& b, const QString& pcm) {
    std::setlocale(LC_NUMERIC, "C");
    mpv_handle* handle = mpv_create();
    mpv_set_option_string(handle, "vo", "null");
    mpv_set_option_string(handle, "ao", pcm.isEmpty() ? "null" : "pcm");
    mpv_set_option_string(handle, "idle", "yes");
    mpv_set_option_string(handle, "config", "no");
    mpv_initialize(handle);
    if (!pcm.isEmpty()) {
        writeSoundTo(handle, pcm);
    }
    const auto waitFor = [handle](mpv_event_id id) {
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < kWaitMs) {
            if (mpv_wait_event(handle, 0.5)->event_id == id) {
                return true;
            }
        }
        return false;
    };
    const QByteArray first = QFile::encodeName(a);
    const QByteArray second = QFile::encodeName(b);
    const char* loadA[] = {"loadfile", first.constData(), nullptr};
    const char* loadB[] = {"loadfile", second.constData(), nullptr};
    double ms = -1;
    mpv_command(handle, loadA);
    if (waitFor(MPV_EVENT_END_FILE)) {
        QElapsedTimer timer;
        timer.start();
        mpv_command(handle, loadB);
        if (waitFor(MPV_EVENT_PLAYBACK_RESTART)) {
            ms = timer.nsecsElapsed() / 1e6;
        }
        waitFor(MPV_EVENT_END_FILE);
    }
    mpv_terminate_destroy(handle);
    return ms;
}

// Through the play list: the folder's rows from the first, each end going on to the next; the
// run is told to stop at the end of the last ("この曲で停止"). Each switch is timed from the end
// of a file to the next one's first picture or sound ready. False when it did not finish.
bool playThrough(Ours& ours, const QString& folder, int files, std::vector<double>& switchMs,
                 const std::function<void()>& firstOpened = {}) {
    ours.list(folder);
    FileList& list = ours.fileList();
    QElapsedTimer waited;
    waited.start();
    while (list.isReading() && waited.elapsed() < kWaitMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    MpvEngine& engine = ours.mediaEngine();
    QElapsedTimer sinceEnd;
    int started = 0;
    bool ended = false;
    QEventLoop loop;
    const auto onEnd = QObject::connect(&engine, &MpvEngine::endOfStream, &loop, [&] {
        sinceEnd.start();
        if (started == files) {
            ended = true;
            loop.quit();
        }
    });
    const auto onStart = QObject::connect(&engine, &MpvEngine::playbackRestarted, &loop, [&] {
        if (sinceEnd.isValid()) {
            switchMs.push_back(sinceEnd.nsecsElapsed() / 1e6);
            sinceEnd.invalidate();
        }
    });
    const auto onOpen = QObject::connect(&engine, &MpvEngine::clipOpened, &loop, [&] {
        if (++started == 1 && firstOpened) {
            firstOpened();
        }
        if (started == files && !ours.playList().stopsAfterCurrent()) {
            ours.playList().toggleStopAfterCurrent();
        }
    });
    QTimer::singleShot(kWaitMs * 2, &loop, &QEventLoop::quit);
    list.selectRow(0);
    ours.playList().PlayStep(2);
    loop.exec();
    QObject::disconnect(onEnd);
    QObject::disconnect(onStart);
    QObject::disconnect(onOpen);
    return ended;
}

}  // namespace

bool playThroughCaseWanted() {
    for (const char* name : {"gap-audio", "switch-video", "switch-stall"}) {
        if (QCoreApplication::arguments().value(2) == QLatin1String(name)) {
            return true;
        }
    }
    return false;
}

int runPlayThroughCases(QTextStream& out) {
    QTemporaryDir temp;
    const QDir dir(temp.path());
    int failures = 0;
    if (bench::caseWanted("gap-audio")) {
        const QString folder = dir.filePath(u"sine"_qs);
        const QString pcm = dir.filePath(u"ours.pcm"_qs);
        const QString barePcm = dir.filePath(u"bare.pcm"_qs);
        std::vector<double> switches;
        bool played = false;
        int seamless = 0;
        if (makeSineHalves(folder)) {
            Ours ours(u"pcm"_qs);
            writeSoundTo(ours.mediaEngine().handle(), pcm);
            played = playThrough(ours, folder, 2, switches);
            seamless = ours.mediaEngine().seamlessStarts();
            ours.stop();
        }
        const double bareMs =
            bareOneAfterAnother(folder + u"/a.flac"_qs, folder + u"/b.flac"_qs, barePcm);
        const Gap gap = measureGap(pcm);
        const Gap bare = measureGap(barePcm);
        if (!played || bareMs < 0) {
            ++failures;
            out << "gap-audio: did not play through\n";
        } else {
            out << "gap-audio: added_samples=" << gap.added << " silent_samples=" << gap.silent
                << " max_step=" << bench::figure(gap.maxStep)
                << " baseline_added_samples=" << bare.added
                << " baseline_silent_samples=" << bare.silent
                << " baseline_max_step=" << bench::figure(bare.maxStep)
                << " switch_ms=" << bench::figure(switches.empty() ? -1 : switches.front())
                << " baseline_switch_ms=" << bench::figure(bareMs) << " seamless=" << seamless
                << Qt::endl;
        }
    }
    if (bench::caseWanted("switch-video")) {
        const QString folder = dir.filePath(u"videos"_qs);
        std::vector<double> switches;
        bool played = false;
        double bareMs = -1;
        int seamless = 0;
        if (makeVideos(folder)) {
            Ours ours;
            played = playThrough(ours, folder, 2, switches);
            seamless = ours.mediaEngine().seamlessStarts();
            ours.stop();
            bareMs = bareOneAfterAnother(folder + u"/a.mp4"_qs, folder + u"/b.mp4"_qs, {});
        }
        if (!played || switches.empty() || bareMs < 0) {
            ++failures;
            out << "switch-video: did not play through\n";
        } else {
            out << "switch-video: ours=" << bench::figure(switches.front())
                << " ms baseline=" << bench::figure(bareMs) << " ms seamless=" << seamless
                << Qt::endl;
        }
    }
    if (bench::caseWanted("switch-stall")) {
        const QString folder = dir.filePath(u"short"_qs);
        std::vector<double> switches;
        bool played = false;
        int seamless = 0;
        StallWatchdog watchdog;
        if (makeShortSounds(folder, kSwitches + 1)) {
            Ours ours;
            // From the first file open on: the switches, not the first start.
            played = playThrough(ours, folder, kSwitches + 1, switches, [&] { watchdog.start(); });
            watchdog.stop();
            seamless = ours.mediaEngine().seamlessStarts();
            ours.stop();
        }
        if (!played || switches.empty()) {
            ++failures;
            out << "switch-stall: did not play through\n";
        } else {
            out << "switch-stall: max_gap_ms=" << bench::figure(watchdog.maxGapMs())
                << " switches=" << switches.size() << " switch_ms_max="
                << bench::figure(*std::max_element(switches.begin(), switches.end()))
                << " seamless=" << seamless << Qt::endl;
        }
    }
    return failures;
}
