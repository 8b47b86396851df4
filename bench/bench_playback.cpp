// quorvane-bench playback: starting a file, from the start call to its first decoded picture (or
// the start of its sound).
//   play-h264: a 640x480 H.264 video; play-mp3: a short MP3; play-jpeg: a 640x480 picture;
//   play-h264-bigdir: the same video inside a folder of 100,000 files. The files are those of
//   the tests (tests/data/make_media.sh). play-asx-3: an ASX naming three of them (the video
//   first), from PlayStep on its row to the video's first picture; its baseline is the bare
//   handle loading the video itself.
// Ours is PlayStep on the file's row of the listed folder, with the engines ready; the baseline
// is a bare libmpv handle (libmpv's own settings, no picture, no sound) loading the same file in
// the same run. baseline_noscan is the bare handle with libmpv's folder scans switched off, as
// our engines have them; start_call_ms is how long PlayStep itself holds the UI thread. Memory:
// idle with a folder of 10,000 files listed, while each case plays, and across a slide show of
// 1,000 pictures. The play-h264 figure is taken while ours plays alone, before the bare handles
// exist; the later cases' figures include those handles. Each start begins from a quiet engine:
// the previous file was stopped and libmpv had time to wind it down. No picture is drawn and no
// sound made in either, so the engines are timed, not the screen.
//   play-midi: a 3-minute General MIDI song (four parts with drums, two tempo changes) from
//   PlayStep to the start of its sound, against the bare handle starting a WAV file of the same
//   length; the first start of the session, which loads the SoundFont, is first_ms.
//   seek-midi: a seek to 2:00 of the playing song until its sound plays from there (landed_s is
//   where it landed), against the bare handle's seek in the WAV file.
//   midi-cpu: the process's CPU seconds per second while the song plays, against the same while
//   our engine plays the WAV file.
#include <mpv/client.h>
#include <time.h>

#include <fcntl.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <clocale>
#include <string_view>
#include <vector>

#include "browser/file_list.h"
#include "browser/file_list_view.h"
#include "browser/folder_tree.h"
#include "browser/image_list.h"
#include "browser/list_play_rows.h"
#include "browser/tree_state.h"
#include "browser/tree_view1.h"
#include "midi_bytes.h"
#include "platform/interval_timer.h"
#include "platform/scripted_dialogs.h"
#include "play_harness.h"
#include "player/midi_file.h"
#include "player/midi_stream.h"
#include "player/movie.h"
#include "player/mpv_engine.h"
#include "player/play_list.h"
#include "player/player_set.h"
#include "settings/module1.h"
#include "settings/playback_hold.h"

namespace {

constexpr int kRounds = 7;
constexpr int kBigFolderFiles = 100000;
constexpr int kSlideShowPictures = 1000;

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double rssMib() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return 0;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
        }
    }
    return 0;
}

// The media of the tests, made by their script into the given folder.
bool makeMedia(const QDir& dir) {
    QProcess process;
    process.start(QStringLiteral(QUORVANE_MAKE_MEDIA), {dir.path()});
    return process.waitForFinished(300000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

bool makeBigFolder(const QString& folder, const QString& video) {
    if (!QDir().mkpath(folder)) {
        return false;
    }
    const QByteArray native = QFile::encodeName(folder);
    for (int i = 0; i < kBigFolderFiles; ++i) {
        const QByteArray name = native + "/clip " + QByteArray::number(i).rightJustified(6, '0') +
                                (i % 3 == 0 ? ".srt" : ".avi");
        const int fd = open(name.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        if (fd < 0) {
            return false;
        }
        close(fd);
    }
    return QFile::copy(video, folder + QStringLiteral("/h264.avi"));
}

// A bare handle: libmpv's own settings apart from the outputs, or with its folder scans off.
class BareHandle {
public:
    explicit BareHandle(bool noScan) {
        std::setlocale(LC_NUMERIC, "C");
        m_handle = mpv_create();
        mpv_set_option_string(m_handle, "vo", "null");
        mpv_set_option_string(m_handle, "ao", "null");
        mpv_set_option_string(m_handle, "idle", "yes");
        mpv_set_option_string(m_handle, "image-display-duration", "inf");
        if (noScan) {
            mpv_set_option_string(m_handle, "sub-auto", "no");
            mpv_set_option_string(m_handle, "audio-file-auto", "no");
            mpv_set_option_string(m_handle, "cover-art-auto", "no");
            mpv_set_option_string(m_handle, "load-scripts", "no");
            mpv_set_option_string(m_handle, "config", "no");
            mpv_set_option_string(m_handle, "ytdl", "no");
        }
        mpv_initialize(m_handle);
    }
    ~BareHandle() { mpv_terminate_destroy(m_handle); }
    BareHandle(const BareHandle&) = delete;
    BareHandle& operator=(const BareHandle&) = delete;

    // Milliseconds from loadfile to the first playback start; -1 when it did not come.
    double start(const QString& file) {
        const char* stop[] = {"stop", nullptr};
        mpv_command(m_handle, stop);
        drain(MPV_EVENT_IDLE, 5);
        settle();
        const QByteArray path = QFile::encodeName(file);
        const char* load[] = {"loadfile", path.constData(), nullptr};
        QElapsedTimer timer;
        timer.start();
        mpv_command(m_handle, load);
        if (!drain(MPV_EVENT_PLAYBACK_RESTART, kWaitMs / 1000.0)) {
            return -1;
        }
        return timer.nsecsElapsed() / 1e6;
    }

    // Milliseconds from a seek of the playing file to its playback restart there.
    double seek(double seconds) {
        const QByteArray target = QByteArray::number(seconds, 'f', 3);
        const char* args[] = {"seek", target.constData(), "absolute", nullptr};
        QElapsedTimer timer;
        timer.start();
        mpv_command(m_handle, args);
        if (!drain(MPV_EVENT_PLAYBACK_RESTART, kWaitMs / 1000.0)) {
            return -1;
        }
        return timer.nsecsElapsed() / 1e6;
    }

private:
    bool drain(mpv_event_id until, double timeoutSeconds) {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < timeoutSeconds * 1000) {
            const mpv_event* e = mpv_wait_event(m_handle, 0.5);
            if (e->event_id == until) {
                return true;
            }
        }
        return false;
    }

    mpv_handle* m_handle = nullptr;
};

bool makeFiles(const QString& folder, int count, const QString& suffix) {
    if (!QDir().mkpath(folder)) {
        return false;
    }
    const QByteArray native = QFile::encodeName(folder);
    for (int i = 0; i < count; ++i) {
        const QByteArray name =
            native + "/file " + QByteArray::number(i).rightJustified(5, '0') + suffix.toUtf8();
        const int fd = open(name.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        if (fd < 0) {
            return false;
        }
        close(fd);
    }
    return true;
}

// A folder of pictures that are all the same photo (hard links, so the folder costs no space).
bool makePictures(const QString& folder, const QString& photo, int count) {
    if (!QDir().mkpath(folder)) {
        return false;
    }
    const QByteArray from = QFile::encodeName(photo);
    for (int i = 0; i < count; ++i) {
        const QByteArray name = QFile::encodeName(folder) + "/photo " +
                                QByteArray::number(i).rightJustified(4, '0') + ".jpg";
        if (link(from.constData(), name.constData()) != 0 &&
            !QFile::copy(photo, QFile::decodeName(name))) {
            return false;
        }
    }
    return true;
}

// A General MIDI song of three minutes: piano chords, bass, strings and drums; 30 bars at
// 120 bpm, 35 at 140 and 25 at 100 (a minute each).
QByteArray threeMinuteSong() {
    constexpr int kQuarter = 480;
    midi_bytes::Track conductor;
    conductor.tempo(0, 500000).tempo(30 * 4 * kQuarter, 428571).tempo(35 * 4 * kQuarter, 600000);
    midi_bytes::Track music;
    music.event(0, {0xC0, 0}).event(0, {0xC1, 33}).event(0, {0xC2, 48});
    const int roots[] = {48, 53, 55, 50};
    for (int bar = 0; bar < 90; ++bar) {
        const int root = roots[bar % 4];
        music.event(0, {0x92, root + 12, 60}).event(0, {0x92, root + 16, 60});
        for (int beat = 0; beat < 4; ++beat) {
            music.event(0, {0x90, root + 24, 80}).event(0, {0x90, root + 28, 80});
            music.event(0, {0x90, root + 31, 80}).event(0, {0x91, root - 12, 100});
            music.event(0, {0x99, beat % 2 == 0 ? 36 : 38, 110}).event(0, {0x99, 42, 80});
            music.event(kQuarter / 2, {0x99, 42, 70});
            music.event(kQuarter / 2, {0x80, root + 24, 0}).event(0, {0x80, root + 28, 0});
            music.event(0, {0x80, root + 31, 0}).event(0, {0x81, root - 12, 0});
        }
        music.event(0, {0x82, root + 12, 0}).event(0, {0x82, root + 16, 0});
    }
    return midi_bytes::smf(1, kQuarter, {conductor, music});
}

// A WAV file of silence, as long as the song and of the same format.
bool writeSilence(const QString& path, double seconds) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    const std::int64_t frames = midiFrameOf(seconds);
    file.write(MidiStreams::waveHeader(frames));
    const QByteArray second(kMidiSampleRate * kMidiBytesPerFrame, '\0');
    for (std::int64_t left = frames * kMidiBytesPerFrame; left > 0; left -= second.size()) {
        file.write(second.constData(), std::min<std::int64_t>(left, second.size()));
    }
    return file.error() == QFile::NoError;
}

double processCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// CPU seconds per second of playback of what the engine plays now, over `ms` milliseconds.
double cpuWhilePlaying(int ms) {
    const double cpu = processCpuSeconds();
    QElapsedTimer wall;
    wall.start();
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
    return (processCpuSeconds() - cpu) / (wall.nsecsElapsed() / 1e9);
}

}  // namespace

namespace {

int runMidiCases(QTextStream& out, const QDir& dir, Ours& ours, BareHandle& bare) {
    const QString song = dir.filePath(QStringLiteral("song.mid"));
    const QString wav = dir.filePath(QStringLiteral("song.wav"));
    {
        QFile file(song);
        if (!file.open(QIODevice::WriteOnly) || file.write(threeMinuteSong()) < 0) {
            out << "playback: could not write the MIDI song\n";
            return 1;
        }
    }
    const QByteArray bytes = threeMinuteSong();
    const auto parsed = readMidi(std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                           std::size_t(bytes.size())));
    if (!parsed || !writeSilence(wav, parsed->length)) {
        out << "playback: could not write the WAV file\n";
        return 1;
    }
    int failures = 0;
    const QString mid = QStringLiteral("mid");
    const double first = ours.start(song, mid);
    std::vector<double> oursMs;
    std::vector<double> bareMs;
    std::vector<double> callMs;
    bare.start(wav);
    for (int round = 0; round < kRounds; ++round) {
        oursMs.push_back(ours.start(song, mid));
        callMs.push_back(ours.lastCallMs());
        bareMs.push_back(bare.start(wav));
    }
    const double o = median(oursMs);
    const double b = median(bareMs);
    failures += o < 0 || b < 0 || first < 0;
    out << "play-midi: ours=" << QString::number(o, 'f', 1)
        << " ms baseline=" << QString::number(b, 'f', 1)
        << " ms ratio=" << QString::number(b > 0 ? o / b : 0, 'f', 2)
        << " over_ms=" << QString::number(o - b, 'f', 1)
        << " first_ms=" << QString::number(first, 'f', 1)
        << " start_call_ms=" << QString::number(median(callMs), 'f', 1) << '\n';
    out.flush();

    std::vector<double> seekMs;
    std::vector<double> bareSeekMs;
    std::vector<double> landed;
    for (int round = 0; round < kRounds; ++round) {
        ours.start(song, mid);
        settle();
        seekMs.push_back(ours.seek(120));
        landed.push_back(ours.mediaEngine().mpvProperty("time-pos").toDouble());
        bare.start(wav);
        settle();
        bareSeekMs.push_back(bare.seek(120));
    }
    const double so = median(seekMs);
    const double sb = median(bareSeekMs);
    failures += so < 0 || sb < 0;
    out << "seek-midi: ours=" << QString::number(so, 'f', 1)
        << " ms baseline=" << QString::number(sb, 'f', 1)
        << " ms ratio=" << QString::number(sb > 0 ? so / sb : 0, 'f', 2)
        << " landed_s=" << QString::number(median(landed), 'f', 3) << '\n';
    out.flush();

    constexpr int kCpuMs = 5000;
    ours.start(song, mid);
    settle();
    const double midiCpu = cpuWhilePlaying(kCpuMs);
    ours.start(wav, QStringLiteral("wav"));
    settle();
    const double wavCpu = cpuWhilePlaying(kCpuMs);
    ours.stop();
    out << "midi-cpu: ours=" << QString::number(midiCpu, 'f', 3)
        << " s/s baseline=" << QString::number(wavCpu, 'f', 3)
        << " s/s ratio=" << QString::number(wavCpu > 0 ? midiCpu / wavCpu : 0, 'f', 2) << '\n';
    return failures;
}

}  // namespace

bool playThroughCaseWanted();
int runPlayThroughCases(QTextStream& out);

int runPlaybackBench() {
    QTextStream out(stdout);
    if (playThroughCaseWanted()) {
        return runPlayThroughCases(out) == 0 ? 0 : 1;
    }
    QTemporaryDir temp;
    const QDir dir(temp.path());
    if (!temp.isValid() || !makeMedia(dir)) {
        out << "playback: could not make the media with " << QUORVANE_MAKE_MEDIA
            << " (is ffmpeg installed?)\n";
        return 1;
    }
    const QString bigFolder = dir.filePath(QStringLiteral("big"));
    if (!makeBigFolder(bigFolder, dir.filePath(QStringLiteral("h264.avi")))) {
        out << "playback: could not make the folder of " << kBigFolderFiles << " files\n";
        return 1;
    }

    const QString tenThousand = dir.filePath(QStringLiteral("ten-thousand"));
    const QString pictures = dir.filePath(QStringLiteral("pictures"));
    if (!makeFiles(tenThousand, 10000, QStringLiteral(".avi")) ||
        !makePictures(pictures, dir.filePath(QStringLiteral("photo.jpg")), kSlideShowPictures)) {
        out << "playback: could not make the folders to list\n";
        return 1;
    }

    const double before = rssMib();
    Ours ours;
    ours.list(tenThousand);
    QCoreApplication::processEvents();
    out << "idle-10000-listed: rss_mib=" << QString::number(rssMib(), 'f', 1)
        << " before_engines_mib=" << QString::number(before, 'f', 1) << '\n';
    out.flush();

    // Playing the video, before any bare handle shares the process.
    double playingMib = 0;
    if (ours.start(dir.filePath(QStringLiteral("h264.avi")), QStringLiteral("avi")) >= 0) {
        QEventLoop loop;
        QTimer::singleShot(1000, &loop, &QEventLoop::quit);
        loop.exec();
        playingMib = rssMib();
    }
    ours.stop();

    struct Case {
        const char* name;
        QString file;
        QString ext;
        QString baselineFile = {};  // what the bare handles load, when not the file itself
    };
    {
        QFile asx(dir.filePath(QStringLiteral("three.asx")));
        if (!asx.open(QIODevice::WriteOnly) ||
            asx.write("<ASX version=\"3.0\"><ENTRY><REF HREF=\"h264.avi\"/></ENTRY>"
                      "<ENTRY><REF HREF=\"tone.mp3\"/></ENTRY>"
                      "<ENTRY><REF HREF=\"photo.jpg\"/></ENTRY></ASX>\n") < 0) {
            out << "playback: could not write the ASX\n";
            return 1;
        }
    }
    const Case cases[] = {
        {"play-h264", dir.filePath(QStringLiteral("h264.avi")), QStringLiteral("avi")},
        {"play-mp3", dir.filePath(QStringLiteral("tone.mp3")), QStringLiteral("mp3")},
        {"play-jpeg", dir.filePath(QStringLiteral("photo.jpg")), QStringLiteral("jpg")},
        {"play-h264-bigdir", bigFolder + QStringLiteral("/h264.avi"), QStringLiteral("avi")},
        {"play-asx-3", dir.filePath(QStringLiteral("three.asx")), QStringLiteral("asx"),
         dir.filePath(QStringLiteral("h264.avi"))},
    };
    BareHandle bare(false);
    BareHandle noScan(true);
    int failures = 0;
    for (const Case& c : cases) {
        std::vector<double> oursMs;
        std::vector<double> bareMs;
        std::vector<double> noScanMs;
        std::vector<double> callMs;
        const QString baselineFile = c.baselineFile.isEmpty() ? c.file : c.baselineFile;
        // One round first to warm the disk cache and the decoders' code.
        ours.start(c.file, c.ext);
        bare.start(baselineFile);
        noScan.start(baselineFile);
        for (int round = 0; round < kRounds; ++round) {
            oursMs.push_back(ours.start(c.file, c.ext));
            callMs.push_back(ours.lastCallMs());
            bareMs.push_back(bare.start(baselineFile));
            noScanMs.push_back(noScan.start(baselineFile));
        }
        ours.stop();
        const double o = median(oursMs);
        const double b = median(bareMs);
        const double n = median(noScanMs);
        if (o < 0 || b < 0 || n < 0) {
            ++failures;
        }
        out << c.name << ": ours=" << QString::number(o, 'f', 1)
            << " ms baseline=" << QString::number(b, 'f', 1)
            << " ms ratio=" << QString::number(b > 0 ? o / b : 0, 'f', 2) << " rss_mib="
            << QString::number(c.name == std::string_view("play-h264") ? playingMib : rssMib(), 'f',
                               1)
            << " baseline_noscan=" << QString::number(n, 'f', 1)
            << " start_call_ms=" << QString::number(median(callMs), 'f', 1) << '\n';
        out.flush();
    }

    // The slide show over a folder of pictures, twice round (the list wraps at its end): the
    // memory after the first hundred, after the first round and after the second.
    ours.state().mSlideShow = true;
    ours.state().mSlideType = 0;
    ours.state().mSlideTime = 1;
    ours.start(pictures + QStringLiteral("/photo 0000.jpg"), QStringLiteral("jpg"));
    double afterHundred = 0;
    double afterRound = 0;
    std::vector<double> tickMs;
    for (int i = 1; i <= 2 * kSlideShowPictures; ++i) {
        tickMs.push_back(ours.slideTick());
        if (tickMs.back() < 0) {
            ++failures;
            break;
        }
        if (i == 100) {
            afterHundred = rssMib();
        } else if (i == kSlideShowPictures) {
            afterRound = rssMib();
        }
    }
    ours.stop();
    const double afterAll = rssMib();
    out << "slideshow-" << kSlideShowPictures
        << ": step_ms=" << QString::number(median(tickMs), 'f', 1)
        << " rss_mib=" << QString::number(afterAll, 'f', 1)
        << " rss_after_100_mib=" << QString::number(afterHundred, 'f', 1)
        << " rss_after_round_mib=" << QString::number(afterRound, 'f', 1)
        << " growth_second_round_mib=" << QString::number(afterAll - afterRound, 'f', 1) << '\n';
    out.flush();
    ours.state().mSlideShow = false;
    failures += runMidiCases(out, dir, ours, bare);
    failures += runPlayThroughCases(out);
    return failures == 0 ? 0 : 1;
}
