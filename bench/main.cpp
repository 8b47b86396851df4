// quorvane-bench: measures the program's hot paths against bare baselines on data it makes itself.
// Usage: quorvane-bench <subcommand>; each subcommand prints one line per case:
//   CASE: ours=X ms baseline=Y ms ratio=R [name=value ...]
#include <QApplication>
#include <QTextStream>
#include <functional>
#include <map>

int runListingBench();
int runTreeBench();
int runPlaybackBench();
int runFileopsBench();
int runArchiveBench();
int runStartupBench();
int runStallBench();
int runHistoryBench();
int runThumbsBench();

int main(int argc, char** argv) {
    // Some cases drive real widgets; they need no screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    const std::map<QString, std::function<int()>> subcommands = {
        {QStringLiteral("listing"), runListingBench},
        {QStringLiteral("tree"), runTreeBench},
        {QStringLiteral("playback"), runPlaybackBench},
        {QStringLiteral("fileops"), runFileopsBench},
        {QStringLiteral("archive"), runArchiveBench},
        {QStringLiteral("startup"), runStartupBench},
        {QStringLiteral("stall"), runStallBench},
        {QStringLiteral("history"), runHistoryBench},
        {QStringLiteral("thumbs"), runThumbsBench},
    };
    const QStringList args = QCoreApplication::arguments();
    QTextStream out(stdout);
    if (args.size() < 2 || subcommands.find(args.at(1)) == subcommands.end()) {
        out << "usage: quorvane-bench <subcommand>\nsubcommands:";
        for (const auto& [name, run] : subcommands) {
            out << ' ' << name;
        }
        out << '\n';
        return args.size() < 2 ? 0 : 2;
    }
    return subcommands.at(args.at(1))();
}
