// quorvane-bench startup: the program as a separate process, timed from outside by the lines it
// prints when QUORVANE_BENCH_MARKERS is set (see app/startup_markers.h). The children run on the
// bench's platform: offscreen, or "QT_QPA_PLATFORM=xcb quorvane-bench startup" on a screen.
//   startup-10000: from the process start to the first paint of the main window, with a folder
//   of 10,000 files as the start folder; the baseline is a bare Qt program showing a tree view
//   over that folder's listing (baseline_window.cpp). The sides take turns.
//   close-playing: from the close request (SIGTERM, which closes the window as any close does)
//   to the process's end while a video plays; the settings file must have been written.
//   options-open: in this process, the main window's "環境設定" until the options dialog has
//   been painted.
#include <signal.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QProcess>
#include <QTextStream>
#include <QThread>
#include <optional>

#include "app/main_menus.h"
#include "bench_window.h"
#include "settings/options_dialog.h"

using namespace bench;
using namespace Qt::StringLiterals;

namespace {

constexpr int kRounds = 5;
constexpr int kMarkerTimeoutMs = 30000;

// A copy of the program (a hard link) in the work folder, so that its settings file, which
// lies beside it, is the bench's own.
QString programCopy(const QString& folder) {
    const QString copy = folder + u"/quorvane"_s;
    QFile::remove(copy);
    if (::link(QUORVANE_BIN, native(copy).constData()) != 0 &&
        !QFile::copy(QStringLiteral(QUORVANE_BIN), copy)) {
        return {};
    }
    return copy;
}

QProcessEnvironment childEnvironment(const QString& runtime) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"QUORVANE_BENCH_MARKERS"_s, u"1"_s);
    // The bench's own platform: offscreen unless it was started with another.
    environment.insert(u"QT_QPA_PLATFORM"_s, qEnvironmentVariable("QT_QPA_PLATFORM"));
    // A lock of its own: a copy of the program that runs elsewhere must not stop this one.
    environment.insert(u"XDG_RUNTIME_DIR"_s, runtime);
    return environment;
}

// Milliseconds from the start of the timer until the child prints the marker; nullopt on a
// timeout or an early end.
std::optional<double> untilMarker(QProcess& child, const QElapsedTimer& timer,
                                  const QByteArray& marker) {
    QByteArray seen;
    while (timer.elapsed() < kMarkerTimeoutMs) {
        if (child.canReadLine() || child.waitForReadyRead(50)) {
            while (child.canReadLine()) {
                seen = child.readLine().trimmed();
                if (seen == marker) {
                    return elapsedMs(timer);
                }
            }
        }
        if (child.state() == QProcess::NotRunning) {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

void stop(QProcess& child) {
    child.terminate();
    if (!child.waitForFinished(10000)) {
        child.kill();
        child.waitForFinished(5000);
    }
}

std::optional<double> timeFirstPaint(const QString& program, const QStringList& arguments,
                                     const QProcessEnvironment& environment) {
    QProcess child;
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::SeparateChannels);
    child.setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    child.start(program, arguments);
    const std::optional<double> ms = untilMarker(child, timer, "first-paint");
    stop(child);
    return ms;
}

int startupCase(QTextStream& out, const QString& work, const QString& program,
                const QProcessEnvironment& environment) {
    const QString folder = work + u"/files"_s;
    QDir().mkpath(folder);
    for (int i = 0; i < 10000; ++i) {
        QFile file(folder + u"/file%1.avi"_s.arg(i, 5, 10, QChar(u'0')));
        if (!file.open(QIODevice::WriteOnly)) {
            out << "startup-10000: could not make the folder\n";
            return 1;
        }
    }
    std::vector<double> ours;
    std::vector<double> baseline;
    for (int round = 0; round < kRounds; ++round) {
        writeStartIni(work + u"/quorvane.ini"_s, folder);
        const std::optional<double> a = timeFirstPaint(program, {}, environment);
        const std::optional<double> b =
            timeFirstPaint(QStringLiteral(BASELINE_WINDOW_BIN), {folder}, environment);
        if (!a || !b) {
            out << "startup-10000: no first paint (" << (a ? "baseline" : "quorvane") << ")\n";
            return 1;
        }
        ours.push_back(*a);
        baseline.push_back(*b);
    }
    out << "startup-10000: ours=" << figure(median(ours))
        << " ms baseline=" << figure(median(baseline))
        << " ms ratio=" << figure(median(ours) / median(baseline))
        << " files=10000 rounds=" << kRounds << '\n';
    return 0;
}

int closeCase(QTextStream& out, const QString& work, const QString& program,
              const QProcessEnvironment& environment) {
    const QString folder = work + u"/video"_s;
    QDir().mkpath(folder);
    const QString video = folder + u"/long.avi"_s;
    QProcess make;
    make.start(u"ffmpeg"_s, {u"-loglevel"_s, u"error"_s, u"-y"_s, u"-f"_s, u"lavfi"_s, u"-i"_s,
                             u"testsrc=size=640x360:rate=25"_s, u"-f"_s, u"lavfi"_s, u"-i"_s,
                             u"sine=frequency=440"_s, u"-t"_s, u"60"_s, u"-c:v"_s, u"mpeg4"_s,
                             u"-c:a"_s, u"mp2"_s, video});
    if (!make.waitForFinished(120000) || make.exitCode() != 0) {
        out << "close-playing: ffmpeg could not make the video\n";
        return 1;
    }
    const QString ini = work + u"/quorvane.ini"_s;
    std::vector<double> times;
    for (int round = 0; round < kRounds; ++round) {
        QFile::remove(ini);
        QProcess child;
        child.setProcessEnvironment(environment);
        child.setStandardErrorFile(QProcess::nullDevice());
        QElapsedTimer started;
        started.start();
        child.start(program, {video});
        if (!untilMarker(child, started, "playing")) {
            out << "close-playing: the video did not play\n";
            stop(child);
            return 1;
        }
        QThread::msleep(500);  // well into the file
        QElapsedTimer timer;
        timer.start();
        ::kill(static_cast<pid_t>(child.processId()), SIGTERM);
        if (!child.waitForFinished(20000)) {
            out << "close-playing: the program did not end\n";
            child.kill();
            return 1;
        }
        times.push_back(elapsedMs(timer));
        QFile written(ini);
        if (!written.open(QIODevice::ReadOnly) || !written.readAll().contains("[FormPos]")) {
            out << "close-playing: the settings were not written\n";
            return 1;
        }
    }
    out << "close-playing: ours=" << figure(median(times)) << " ms target=300 ms rounds=" << kRounds
        << '\n';
    return 0;
}

// Notes the first paint of whatever it watches.
class PaintWatch : public QObject {
public:
    bool painted = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            painted = true;
        }
        return QObject::eventFilter(watched, event);
    }
};

int optionsCase(QTextStream& out, const QString& work) {
    const QString ini = work + u"/options.ini"_s;
    writeStartIni(ini, work);
    Window w(ini, false);
    std::vector<double> times;
    for (int round = 0; round < kRounds; ++round) {
        QCoreApplication::processEvents();
        QElapsedTimer timer;
        timer.start();
        w.parts.menus().Opt[OptItem::Options]->trigger();
        Form2* dialog = w.parts.optionsDialog();
        if (dialog == nullptr) {
            out << "options-open: the dialog did not open\n";
            return 1;
        }
        PaintWatch watch;
        dialog->installEventFilter(&watch);
        while (!watch.painted && timer.elapsed() < kMarkerTimeoutMs) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        if (!watch.painted) {
            out << "options-open: the dialog was never painted\n";
            return 1;
        }
        times.push_back(elapsedMs(timer));
        dialog->removeEventFilter(&watch);
        dialog->Command2_Click(1);
        while (w.parts.optionsDialog() != nullptr && timer.elapsed() < kMarkerTimeoutMs) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
    }
    out << "options-open: ours=" << figure(median(times)) << " ms target=100 ms rounds=" << kRounds
        << '\n';
    return 0;
}

}  // namespace

int runStartupBench() {
    QTextStream out(stdout);
    WorkFolder work(u"startup"_s);
    const QString runtime = work.path() + u"/runtime"_s;
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString program = work.isValid() ? programCopy(work.path()) : QString();
    if (program.isEmpty()) {
        out << "startup: could not set up the work folder\n";
        return 1;
    }
    const QProcessEnvironment environment = childEnvironment(runtime);
    int failed = 0;
    if (caseWanted("startup-10000")) {
        failed |= startupCase(out, work.path(), program, environment);
    }
    if (caseWanted("close-playing")) {
        failed |= closeCase(out, work.path(), program, environment);
    }
    if (caseWanted("options-open")) {
        failed |= optionsCase(out, work.path());
    }
    return failed;
}
