#pragma once

// Test functions that must meet "permission denied" as a user does. Root passes every permission
// check, so when the test program runs as root each such function runs again in a child: the
// same test binary, started for that one function under an unprivileged account (made here when
// it is missing) through setpriv, with a clean environment, a HOME, XDG folders and a temporary
// folder that the account owns. The child's output is passed on and its result is the
// function's. Run by an ordinary user, the function simply goes on in this process.
//
// The account must reach the test binary. A clone in a folder closed to others (anything under
// /root, a folder of mktemp -d) is out of its reach: then the child runs a copy of the binary,
// and of what the test names with setRunTimeNeeds(), from a folder made for the run (readable by
// all) and removed when the test program ends; the test finds the copies with runTimePath().
//
// The child runs in a mount namespace of its own where /media holds two small volumes of root's:
// /media/locked (its top unreadable) and /media/shared (its top readable but not writable, with
// a folder `work` the account owns). They exist only where root may mount; testVolumes() says why
// not otherwise. Nothing of it is seen outside the child.
//
//   void TestX::caseY() {
//       RUN_AS_ORDINARY_USER();
//       ... the test, run as the account ...
//   }

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTest>
#include <cstdio>
#include <filesystem>

namespace unprivileged {

using namespace Qt::StringLiterals;

inline constexpr char kAccount[] = "quorvane-test";
inline constexpr char kVolumesVar[] = "QUORVANE_TEST_VOLUMES";
inline constexpr char kNoVolumesVar[] = "QUORVANE_TEST_NO_VOLUMES";

// A file or folder the test reads at run time besides its own binary: the environment variable
// that names the child's copy, and the path built into the test.
struct RunTimeNeed {
    QString variable;
    QString path;
};
inline QList<RunTimeNeed>& runTimeNeeds() {
    static QList<RunTimeNeed> needs;
    return needs;
}
// Called once before the first test function that drops root's rights.
inline void setRunTimeNeeds(const QList<RunTimeNeed>& needs) {
    runTimeNeeds() = needs;
}
// Where the test finds what it named: the child's copy when there is one, else the built-in path.
inline QString runTimePath(const QString& variable) {
    if (qEnvironmentVariableIsSet(qPrintable(variable))) {
        return qEnvironmentVariable(qPrintable(variable));
    }
    for (const RunTimeNeed& need : runTimeNeeds()) {
        if (need.variable == variable) {
            return need.path;
        }
    }
    return {};
}

// The folder holding the two volumes, or empty with the reason in whyNot.
inline QString testVolumes(QString& whyNot) {
    const QString volumes = qEnvironmentVariable(kVolumesVar);
    if (volumes.isEmpty()) {
        whyNot = ::geteuid() != 0 && !qEnvironmentVariableIsSet(kNoVolumesVar)
                     ? QStringLiteral(
                           "volumes of root's are mounted only when the tests run as "
                           "root (run through the account)")
                     : qEnvironmentVariable(kNoVolumesVar);
    }
    return volumes;
}

// Runs a program as root; its merged output is added to output. True when it ended with 0.
inline bool runAsRoot(const QString& program, const QStringList& arguments, QString& output) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    const bool ok = process.waitForFinished(60000) &&
                    process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    output += QString::fromLocal8Bit(process.readAll());
    return ok;
}

// The account's passwd entry, made when missing; null with the reason in whyNot.
inline const passwd* account(QString& whyNot) {
    if (const passwd* entry = ::getpwnam(kAccount)) {
        return entry;
    }
    const QString useradd = QStandardPaths::findExecutable(
        QStringLiteral("useradd"), {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")});
    QString output;
    if (useradd.isEmpty() ||
        !runAsRoot(useradd,
                   {QStringLiteral("--system"), QStringLiteral("--user-group"),
                    QStringLiteral("--no-create-home"), QStringLiteral("--home-dir"),
                    QStringLiteral("/nonexistent"), QStringLiteral("--shell"),
                    QStringLiteral("/usr/sbin/nologin"), QString::fromLatin1(kAccount)},
                   output)) {
        whyNot = QStringLiteral("the account %1 could not be made (useradd: %2)")
                     .arg(QString::fromLatin1(kAccount),
                          useradd.isEmpty() ? QStringLiteral("missing") : output.trimmed());
        return nullptr;
    }
    return ::getpwnam(kAccount);
}

// True when root may make a mount namespace of its own here.
inline bool mayUnshareMounts() {
    static const bool may = [] {
        QString output;
        return runAsRoot(QStringLiteral("unshare"),
                         {QStringLiteral("--mount"), QStringLiteral("--propagation"),
                          QStringLiteral("private"), QStringLiteral("true")},
                         output);
    }();
    return may;
}

// True when the account may run program (and read every path of readable) as it stands.
inline bool accountReaches(const QString& setpriv, const QStringList& asUser,
                           const QString& program, const QStringList& readable = {}) {
    QString probe;
    return runAsRoot(setpriv,
                     asUser +
                         QStringList{u"/bin/sh"_s, u"-c"_s,
                                     u"test -x \"$0\" || exit 1; for p; do test -r \"$p\" || "
                                     u"exit 1; done"_s,
                                     program} +
                         readable,
                     probe);
}

// A folder made for the run, holding copies that every account may read, removed when the test
// program ends.
struct StagingFolder {
    std::string path;
    ~StagingFolder() {
        if (!path.empty()) {
            std::error_code ignored;
            std::filesystem::remove_all(path, ignored);
        }
    }
};

// Copies from into to (a file or a whole folder), open to every account to read (and to run what
// its owner may run).
inline bool copyOpenToAll(const std::filesystem::path& from, const std::filesystem::path& to) {
    namespace fs = std::filesystem;
    std::error_code error;
    fs::copy(from, to, fs::copy_options::recursive, error);
    if (error) {
        return false;
    }
    const auto open = [&error](const fs::path& path) {
        const fs::perms perms = fs::status(path, error).permissions();
        fs::perms added = fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
        if (fs::is_directory(path, error) || (perms & fs::perms::owner_exec) != fs::perms::none) {
            added |= fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec;
        }
        fs::permissions(path, added, fs::perm_options::add, error);
    };
    open(to);
    if (fs::is_directory(to, error)) {
        for (const auto& entry : fs::recursive_directory_iterator(to, error)) {
            open(entry.path());
        }
    }
    return !error;
}

// The test binary as the account may run it, with the environment that points the child at the
// copies of its run-time needs; empty with the reason in whyNot when no place can be found.
inline QString reachableProgram(const QString& setpriv, const QStringList& asUser,
                                QProcessEnvironment& env, QString& whyNot) {
    const QString self = QCoreApplication::applicationFilePath();
    QStringList needed;
    for (const RunTimeNeed& need : runTimeNeeds()) {
        needed.append(need.path);
    }
    if (accountReaches(setpriv, asUser, self, needed)) {
        return self;
    }
    static StagingFolder staging;
    static QString staged;
    if (staged.isEmpty()) {
        for (const QString& place : {QDir::tempPath(), u"/tmp"_s, u"/var/tmp"_s, u"/dev/shm"_s}) {
            QByteArray pattern = QFile::encodeName(place) + "/quorvane-staged-XXXXXX";
            if (::mkdtemp(pattern.data()) == nullptr) {
                continue;
            }
            const std::filesystem::path folder(pattern.toStdString());
            bool copied = ::chmod(pattern.constData(), 0755) == 0 &&
                          copyOpenToAll(self.toStdString(), folder / "test");
            QStringList copies;
            for (const RunTimeNeed& need : runTimeNeeds()) {
                const std::filesystem::path copy = folder / need.variable.toStdString();
                copied = copied && copyOpenToAll(need.path.toStdString(), copy);
                copies.append(QString::fromStdString(copy.string()));
            }
            const QString program = QString::fromStdString((folder / "test").string());
            if (copied && accountReaches(setpriv, asUser, program, copies)) {
                staging.path = folder.string();
                staged = program;
                break;
            }
            std::error_code ignored;
            std::filesystem::remove_all(folder, ignored);
        }
    }
    if (staged.isEmpty()) {
        whyNot = u"the account "_s + QString::fromLatin1(kAccount) + u" may not run "_s + self +
                 u" (a folder above it is closed to others), nor a copy of it in any temporary "
                 u"folder"_s;
        return {};
    }
    for (const RunTimeNeed& need : runTimeNeeds()) {
        env.insert(need.variable, QString::fromStdString(staging.path) + u'/' + need.variable);
    }
    return staged;
}

// Runs the current test function in a child as the account and takes its result.
inline void runInChild() {
    QString whyNot;
    const passwd* user = account(whyNot);
    const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
    if (user == nullptr || setpriv.isEmpty()) {
        QFAIL(qPrintable(u"cannot drop root's rights: " +
                         (user == nullptr ? whyNot : QStringLiteral("setpriv is missing"))));
    }
    const QString uid = QString::number(user->pw_uid);
    const QString gid = QString::number(user->pw_gid);
    const QStringList asUser = {u"--reuid="_s + uid, u"--regid="_s + gid, u"--clear-groups"_s,
                                u"--"_s};
    QProcessEnvironment env;
    QString unreachable;
    const QString self = reachableProgram(setpriv, asUser, env, unreachable);
    if (self.isEmpty()) {
        QSKIP(qPrintable(u"cannot drop root's rights: "_s + unreachable));
    }

    // A folder of the account's own, with its HOME, XDG folders and temporary folder.
    QByteArray pattern = QDir::tempPath().toLocal8Bit() + "/quorvane-user-XXXXXX";
    QVERIFY(::mkdtemp(pattern.data()) != nullptr);
    const QString root = QString::fromLocal8Bit(pattern);
    const auto removeRoot = qScopeGuard([&] {
        std::error_code ignored;
        std::filesystem::remove_all(pattern.toStdString(), ignored);
    });
    const QStringList folders = {u"home"_s,        u"home/.config"_s, u"home/.local/share"_s,
                                 u"home/.cache"_s, u"run"_s,          u"tmp"_s};
    for (const QString& folder : folders) {
        QVERIFY(QDir().mkpath(root + u'/' + folder));
    }
    for (const QString& folder : QStringList{QString()} + folders) {
        const QByteArray path = QFile::encodeName(root + u'/' + folder);
        QVERIFY(::chown(path.constData(), user->pw_uid, user->pw_gid) == 0);
        QVERIFY(::chmod(path.constData(), 0700) == 0);
    }
    env.insert(u"HOME"_s, root + u"/home");
    env.insert(u"XDG_CONFIG_HOME"_s, root + u"/home/.config");
    env.insert(u"XDG_DATA_HOME"_s, root + u"/home/.local/share");
    env.insert(u"XDG_CACHE_HOME"_s, root + u"/home/.cache");
    env.insert(u"XDG_RUNTIME_DIR"_s, root + u"/run");
    env.insert(u"TMPDIR"_s, root + u"/tmp");
    env.insert(u"USER"_s, QString::fromLatin1(kAccount));
    env.insert(u"LOGNAME"_s, QString::fromLatin1(kAccount));
    env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    const QProcessEnvironment own = QProcessEnvironment::systemEnvironment();
    for (const QString& name : {u"PATH"_s, u"LANG"_s, u"LC_ALL"_s, u"ASAN_OPTIONS"_s,
                                u"UBSAN_OPTIONS"_s, u"QUORVANE_TEST_DATA"_s}) {
        if (own.contains(name)) {
            env.insert(name, own.value(name));
        }
    }

    QStringList command = QStringList{setpriv} + asUser +
                          QStringList{self, QString::fromLatin1(QTest::currentTestFunction())};
    QProcess child;
    if (mayUnshareMounts()) {
        // The volumes go up in the child's own mount namespace, then it drops its rights.
        const QString script =
            u"if mount -t tmpfs -o mode=0755,size=4m quorvane-test /media &&"
            " mkdir /media/locked /media/shared &&"
            " mount -t tmpfs -o mode=0700,size=4m quorvane-test /media/locked &&"
            " mount -t tmpfs -o mode=0755,size=4m quorvane-test /media/shared &&"
            " mkdir /media/shared/work && chown %1:%2 /media/shared/work;"
            " then export %3=/media;"
            " else export %4='root may not mount a tmpfs on /media here'; fi; exec \"$@\""_s.arg(
                uid, gid, QString::fromLatin1(kVolumesVar), QString::fromLatin1(kNoVolumesVar));
        command = QStringList{u"unshare"_s, u"--mount"_s, u"--propagation"_s,
                              u"private"_s, u"/bin/sh"_s, u"-c"_s,
                              script,       u"sh"_s} +
                  command;
    } else {
        env.insert(QString::fromLatin1(kNoVolumesVar),
                   u"root may not make a mount namespace here (unshare --mount failed)"_s);
    }
    child.setProcessEnvironment(env);
    child.setWorkingDirectory(root + u"/tmp");
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(command.takeFirst(), command);
    const bool finished = child.waitForFinished(240000);
    const QByteArray output = child.readAll();
    std::fprintf(stdout, "---- as %s (uid %s):\n%s---- end\n", kAccount, qPrintable(uid),
                 output.constData());
    std::fflush(stdout);
    QVERIFY2(finished, "the child did not end in time");
    QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0,
             "the test failed as the account (its output is above)");
    for (const QByteArray& line : output.split('\n')) {
        if (line.startsWith("SKIP   :")) {
            QSKIP(qPrintable(u"as "_s + QString::fromLatin1(kAccount) + u": "_s +
                             QString::fromLocal8Bit(line.mid(8).trimmed())));
        }
    }
}

}  // namespace unprivileged

// As root the function runs in a child as the account (and ends here); else it goes on.
#define RUN_AS_ORDINARY_USER()          \
    do {                                \
        if (::geteuid() == 0) {         \
            unprivileged::runInChild(); \
            return;                     \
        }                               \
    } while (false)
