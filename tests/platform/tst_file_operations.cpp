#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include "platform/app_info.h"
#include "platform/file_op_progress.h"
#include "platform/file_operations.h"
#include "platform/messages.h"
#include "platform/path_list.h"
#include "platform/run_error.h"
#include "platform/scripted_dialogs.h"
#include "platform/trash.h"

namespace {

void writeFile(const QString& path, const QByteArray& data) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(data), data.size());
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList namesIn(const QString& folder) {
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

dev_t deviceOf(const QString& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_dev : 0;
}

QByteArray randomBytes(qsizetype size) {
    QByteArray data(size, Qt::Uninitialized);
    QRandomGenerator generator(42);
    generator.fillRange(reinterpret_cast<quint32*>(data.data()), size / 4);
    return data;
}

// Stops the operation at the chosen advance and remembers what it was told.
class StoppingProgress : public FileOpProgress {
public:
    explicit StoppingProgress(int stopAt = -1) : m_stopAt(stopAt) {}
    void begin(const QString& title, qint64 totalWork) override {
        ++begins;
        this->title = title;
        total = totalWork;
    }
    bool advance(const QString& label, qint64 done) override {
        ++advances;
        lastLabel = label;
        lastDone = done;
        return advances != m_stopAt;
    }
    void end() override { ++ends; }

    int begins = 0;
    int advances = 0;
    int ends = 0;
    QString title;
    QString lastLabel;
    qint64 total = 0;
    qint64 lastDone = 0;

private:
    int m_stopAt;
};

}  // namespace

using namespace Qt::StringLiterals;

class TstFileOperations : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void pathListsAreRead();
    void deleteAsksOnceAndDeclineLeavesDisk();
    void deleteMovesEveryItemToTrash();
    void deleteChecksEverythingBeforeAsking();
    void deleteBacksOutWhenOneItemFails();
    void malformedPathListsFailCleanly();
    void moveWithinFileSystem();
    void moveToNewNameRenames();
    void conflictAsksBeforeReplacing();
    void cancelAtConflictMovesNothing();
    void foldersMergeFileByFile();
    void impossibleMovesTouchNothing();
    void moveAcrossFileSystemsCopiesChecksAndRemoves();
    void cancelAcrossFileSystemsLeavesEverything();
    void renameNeverReplaces();

private:
    bool makeOtherFileSystem();
    QString path(const QString& name) const { return m_dir->filePath(name); }
    int messageCount() const { return static_cast<int>(m_dialogs->messages().size()); }
    QString message(int i) const { return m_dialogs->messages().value(i).text; }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QTemporaryDir> m_shm;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<Trash> m_trash;
    StoppingProgress m_progress;
    std::unique_ptr<FileOperations> m_ops;
    int m_afterCalls = 0;
};

void TstFileOperations::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_dialogs = std::make_unique<ScriptedDialogs>();
    m_trash = std::make_unique<Trash>(path(QStringLiteral("data/Trash")), Trash::mountTopDir,
                                      [] { return QStringList(); });
    m_progress = StoppingProgress();
    m_afterCalls = 0;
    m_ops = std::make_unique<FileOperations>(*m_dialogs, *m_trash, m_progress,
                                             [this] { ++m_afterCalls; });
}

void TstFileOperations::cleanup() {
    m_ops.reset();
    m_trash.reset();
    m_dialogs.reset();
    m_shm.reset();
    m_dir.reset();
}

bool TstFileOperations::makeOtherFileSystem() {
    if (!QFileInfo(QStringLiteral("/dev/shm")).isWritable()) {
        return false;
    }
    m_shm = std::make_unique<QTemporaryDir>(QStringLiteral("/dev/shm/quorvane-move-XXXXXX"));
    return m_shm->isValid() && deviceOf(m_shm->path()) != deviceOf(m_dir->path());
}

void TstFileOperations::pathListsAreRead() {
    const QChar nul(u'\0');
    QCOMPARE(parsePathList(QStringLiteral("/a") + nul + u"/b c" + nul + nul),
             (QStringList{QStringLiteral("/a"), QStringLiteral("/b c")}));
    QCOMPARE(parsePathList(QStringLiteral("/a") + nul + u"/b"), (QStringList{u"/a"_s, u"/b"_s}));
    QCOMPARE(parsePathList(QStringLiteral("/a") + nul + nul + u"/b" + nul + nul),
             QStringList{QStringLiteral("/a")});
    QVERIFY(parsePathList(QString()).isEmpty());
    QVERIFY(parsePathList(QString(nul)).isEmpty());
    QCOMPARE(makePathList({QStringLiteral("/x"), QStringLiteral("/y")}),
             QStringLiteral("/x") + nul + u"/y" + nul + nul);
}

void TstFileOperations::deleteAsksOnceAndDeclineLeavesDisk() {
    writeFile(path(QStringLiteral("a.txt")), "a");
    writeFile(path(QStringLiteral("b.txt")), "b");
    m_dialogs->answerMessage(MsgResult::No);

    const int result = m_ops->ShellDeleteFiles(
        makePathList({path(QStringLiteral("a.txt")), path(QStringLiteral("b.txt"))}));
    QCOMPARE(result, shell_result::kCancelled);
    QCOMPARE(messageCount(), 1);
    const ScriptedDialogs::Call question = m_dialogs->messages().at(0);
    QCOMPARE(question.text, QStringLiteral("2 個の項目をごみ箱に移動しますか?"));
    QCOMPARE(question.title, platform_msg::deleteTitle());
    QCOMPARE(toString(question.buttons), toString(MsgButtons::YesNo));
    QCOMPARE(readFile(path(QStringLiteral("a.txt"))), QByteArray("a"));
    QCOMPARE(readFile(path(QStringLiteral("b.txt"))), QByteArray("b"));
    QCOMPARE(m_trash->itemCount(), 0);
    QCOMPARE(m_afterCalls, 1);
}

void TstFileOperations::deleteMovesEveryItemToTrash() {
    writeFile(path(QStringLiteral("a.txt")), "a");
    writeFile(path(QStringLiteral("folder/inner.txt")), "i");
    writeFile(path(QStringLiteral("c.txt")), "c");
    m_dialogs->answerMessage(MsgResult::Yes);

    // The folder given with a trailing "/", and an item inside it listed as well.
    const int result = m_ops->ShellDeleteFiles(
        makePathList({path(QStringLiteral("a.txt")), path(QStringLiteral("folder/")),
                      path(QStringLiteral("folder/inner.txt"))}));
    QCOMPARE(result, 0);
    QCOMPARE(message(0), QStringLiteral("2 個の項目をごみ箱に移動しますか?"));
    QCOMPARE(messageCount(), 1);
    QCOMPARE(namesIn(m_dir->path()), (QStringList{u"c.txt"_s, u"data"_s}));
    QCOMPARE(m_trash->itemCount(), 2);
    QCOMPARE(readFile(path(QStringLiteral("data/Trash/files/folder/inner.txt"))), QByteArray("i"));

    // One item: asked by name; without confirmation: not asked.
    m_dialogs->clear();
    QCOMPARE(m_ops->ShellDeleteFiles(makePathList({path(QStringLiteral("c.txt"))})), 0);
    QCOMPARE(message(0), QStringLiteral("「c.txt」をごみ箱に移動しますか?"));
    writeFile(path(QStringLiteral("d.txt")), "d");
    m_dialogs->clear();
    QCOMPARE(m_ops->ShellDeleteFiles(makePathList({path(QStringLiteral("d.txt"))}), false), 0);
    QCOMPARE(messageCount(), 0);
    QVERIFY(!QFile::exists(path(QStringLiteral("d.txt"))));
    QCOMPARE(m_trash->itemCount(), 4);
}

void TstFileOperations::deleteChecksEverythingBeforeAsking() {
    writeFile(path(QStringLiteral("a.txt")), "a");
    const QString missing = path(QStringLiteral("missing.txt"));
    const int result =
        m_ops->ShellDeleteFiles(makePathList({path(QStringLiteral("a.txt")), missing}));
    QCOMPARE(result, run_error::kFileNotFound);
    QCOMPARE(messageCount(), 2);
    QCOMPARE(message(0),
             platform_msg::cannotTrash(missing, runErrorText(run_error::kFileNotFound)));
    QCOMPARE(toString(m_dialogs->messages().at(0).icon), toString(MsgIcon::Exclamation));
    QCOMPARE(message(1), QStringLiteral("ファイル削除に失敗しました。"));
    QCOMPARE(m_dialogs->messages().at(1).title, app_info::title());
    QCOMPARE(toString(m_dialogs->messages().at(1).buttons), toString(MsgButtons::Ok));
    QCOMPARE(readFile(path(QStringLiteral("a.txt"))), QByteArray("a"));

    if (!makeOtherFileSystem()) {
        QSKIP("no second file system (/dev/shm) to try a volume without a trash");
    }
    // A volume without a usable trash is said so; its file stays, and so does the other one.
    Trash noTopTrash(
        path(QStringLiteral("data/Trash")), [](const QString&) { return QString(); },
        [] { return QStringList(); });
    FileOperations ops(*m_dialogs, noTopTrash, m_progress);
    const QString elsewhere = m_shm->filePath(QStringLiteral("x.txt"));
    writeFile(elsewhere, "x");
    m_dialogs->clear();
    QCOMPARE(ops.ShellDeleteFiles(makePathList({path(QStringLiteral("a.txt")), elsewhere})),
             shell_result::kNoUsableTrash);
    QCOMPARE(messageCount(), 2);
    QCOMPARE(message(0), platform_msg::noUsableTrash(elsewhere));
    QCOMPARE(message(1), QStringLiteral("ファイル削除に失敗しました。"));
    QCOMPARE(readFile(elsewhere), QByteArray("x"));
    QCOMPARE(readFile(path(QStringLiteral("a.txt"))), QByteArray("a"));
}

void TstFileOperations::deleteBacksOutWhenOneItemFails() {
    // The second item holds the trash itself, so it cannot go into it; the first one, already in
    // the trash by then, comes back.
    const QString holder = path(QStringLiteral("holder"));
    Trash trash(holder + u"/Trash", Trash::mountTopDir, [] { return QStringList(); });
    FileOperations ops(*m_dialogs, trash, m_progress);
    writeFile(path(QStringLiteral("a.txt")), "a");
    writeFile(holder + u"/keep.txt", "k");

    const int result =
        ops.ShellDeleteFiles(makePathList({path(QStringLiteral("a.txt")), holder}), false);
    QCOMPARE(result, run_error::kPathFileAccess);
    QCOMPARE(messageCount(), 2);
    QCOMPARE(message(0), platform_msg::cannotTrash(holder, runErrorText(result)));
    QCOMPARE(message(1), QStringLiteral("ファイル削除に失敗しました。"));
    QCOMPARE(readFile(path(QStringLiteral("a.txt"))), QByteArray("a"));
    QCOMPARE(readFile(holder + u"/keep.txt"), QByteArray("k"));
    QCOMPARE(trash.itemCount(), 0);
    QVERIFY(namesIn(holder + u"/Trash/info").isEmpty());
}

void TstFileOperations::malformedPathListsFailCleanly() {
    writeFile(path(QStringLiteral("a.txt")), "a");
    const QChar nul(u'\0');
    for (const QString& list : {QString(), QString(nul), QString(QString(nul) + nul + nul)}) {
        m_dialogs->clear();
        QCOMPARE(m_ops->ShellDeleteFiles(list), run_error::kBadFileName);
        QCOMPARE(message(0), platform_msg::noPathsGiven());
        QCOMPARE(message(1), platform_msg::deleteFailed());
        m_dialogs->clear();
        QCOMPARE(m_ops->ShellMoveFiles(list, m_dir->path(), true), run_error::kBadFileName);
        QCOMPARE(message(1), platform_msg::moveFailed());
    }
    m_dialogs->clear();
    QCOMPARE(m_ops->ShellDeleteFiles(QStringLiteral("a.txt") + nul + nul),
             run_error::kPathFileAccess);
    QCOMPARE(message(0), platform_msg::notFullPath(QStringLiteral("a.txt")));
    QCOMPARE(readFile(path(QStringLiteral("a.txt"))), QByteArray("a"));

    // Without its closing NULs the list still names its path; after a doubled NUL it ends.
    writeFile(path(QStringLiteral("b.txt")), "b");
    QCOMPARE(m_ops->ShellDeleteFiles(path(QStringLiteral("a.txt")), false), 0);
    QCOMPARE(m_ops->ShellDeleteFiles(QString(nul) + path(QStringLiteral("b.txt")) + nul, false),
             run_error::kBadFileName);
    QVERIFY(!QFile::exists(path(QStringLiteral("a.txt"))));
    QCOMPARE(readFile(path(QStringLiteral("b.txt"))), QByteArray("b"));
}

void TstFileOperations::moveWithinFileSystem() {
    writeFile(path(QStringLiteral("src/a.txt")), "a");
    writeFile(path(QStringLiteral("src/sub/b.txt")), "b");
    QVERIFY(QDir().mkpath(path(QStringLiteral("dest"))));
    const QString list =
        makePathList({path(QStringLiteral("src/a.txt")), path(QStringLiteral("src/sub"))});

    m_dialogs->answerMessage(MsgResult::No);
    QCOMPARE(m_ops->ShellMoveFiles(list, path(QStringLiteral("dest")), true),
             shell_result::kCancelled);
    QCOMPARE(message(0),
             platform_msg::confirmMove(2, QStringLiteral("a.txt"), path(QStringLiteral("dest"))));
    QCOMPARE(message(0),
             QString(u"2 個の項目を「" + path(QStringLiteral("dest")) + u"」に移動しますか?"));
    QCOMPARE(messageCount(), 1);
    QCOMPARE(namesIn(path(QStringLiteral("src"))), (QStringList{u"a.txt"_s, u"sub"_s}));
    QVERIFY(namesIn(path(QStringLiteral("dest"))).isEmpty());

    m_dialogs->clear();
    m_dialogs->answerMessage(MsgResult::Yes);
    QCOMPARE(m_ops->ShellMoveFiles(list, path(QStringLiteral("dest/")), true), 0);
    QCOMPARE(messageCount(), 1);
    QVERIFY(namesIn(path(QStringLiteral("src"))).isEmpty());
    QCOMPARE(readFile(path(QStringLiteral("dest/a.txt"))), QByteArray("a"));
    QCOMPARE(readFile(path(QStringLiteral("dest/sub/b.txt"))), QByteArray("b"));
    QCOMPARE(m_progress.begins, 0);  // renames only: nothing to show progress for

    // Without confirmation nothing is asked.
    m_dialogs->clear();
    QCOMPARE(m_ops->ShellMoveFiles(makePathList({path(QStringLiteral("dest/a.txt"))}),
                                   path(QStringLiteral("src")), false),
             0);
    QCOMPARE(messageCount(), 0);
    QCOMPARE(readFile(path(QStringLiteral("src/a.txt"))), QByteArray("a"));
}

void TstFileOperations::moveToNewNameRenames() {
    writeFile(path(QStringLiteral("a.mp3")), "a");
    QVERIFY(QDir().mkpath(path(QStringLiteral("x/inner"))));
    QCOMPARE(m_ops->ShellMoveFiles(makePathList({path(QStringLiteral("a.mp3"))}),
                                   path(QStringLiteral("b.mp3")), false),
             0);
    QCOMPARE(m_ops->ShellMoveFiles(makePathList({path(QStringLiteral("x"))}),
                                   path(QStringLiteral("y")), false),
             0);
    QCOMPARE(messageCount(), 0);
    QCOMPARE(readFile(path(QStringLiteral("b.mp3"))), QByteArray("a"));
    QVERIFY(QFileInfo(path(QStringLiteral("y/inner"))).isDir());
    QVERIFY(!QFile::exists(path(QStringLiteral("a.mp3"))));
    QVERIFY(!QFile::exists(path(QStringLiteral("x"))));

    // Several items need a folder to go into.
    writeFile(path(QStringLiteral("c.txt")), "c");
    const QString nowhere = path(QStringLiteral("nowhere"));
    QCOMPARE(m_ops->ShellMoveFiles(
                 makePathList({path(QStringLiteral("b.mp3")), path(QStringLiteral("c.txt"))}),
                 nowhere, false),
             run_error::kPathNotFound);
    QCOMPARE(message(0), platform_msg::destinationMissing(nowhere));
    QCOMPARE(message(1), QStringLiteral("ファイル移動に失敗しました。"));
    QVERIFY(QFile::exists(path(QStringLiteral("b.mp3"))));
    QVERIFY(!QFile::exists(nowhere));
}

void TstFileOperations::conflictAsksBeforeReplacing() {
    writeFile(path(QStringLiteral("src/a.txt")), "new");
    writeFile(path(QStringLiteral("dest/a.txt")), "old");
    const QString list = makePathList({path(QStringLiteral("src/a.txt"))});
    const QString dest = path(QStringLiteral("dest"));

    // No: neither file changes.
    m_dialogs->answerMessage(MsgResult::No);
    QCOMPARE(m_ops->ShellMoveFiles(list, dest, false), 0);
    QCOMPARE(messageCount(), 1);
    QCOMPARE(message(0), platform_msg::replaceFile(QStringLiteral("a.txt"), dest));
    QCOMPARE(toString(m_dialogs->messages().at(0).buttons), toString(MsgButtons::YesNoCancel));
    QCOMPARE(readFile(path(QStringLiteral("src/a.txt"))), QByteArray("new"));
    QCOMPARE(readFile(path(QStringLiteral("dest/a.txt"))), QByteArray("old"));

    // Yes: replaced, and nothing else left behind in the folder.
    m_dialogs->clear();
    m_dialogs->answerMessage(MsgResult::Yes);
    m_dialogs->answerMessage(MsgResult::Yes);
    QCOMPARE(m_ops->ShellMoveFiles(list, dest, true), 0);
    QCOMPARE(messageCount(), 2);  // the move, then the replacement
    QCOMPARE(readFile(path(QStringLiteral("dest/a.txt"))), QByteArray("new"));
    QCOMPARE(namesIn(dest), QStringList{QStringLiteral("a.txt")});
    QVERIFY(namesIn(path(QStringLiteral("src"))).isEmpty());
}

void TstFileOperations::cancelAtConflictMovesNothing() {
    writeFile(path(QStringLiteral("src/b.txt")), "b");
    writeFile(path(QStringLiteral("src/a.txt")), "new");
    writeFile(path(QStringLiteral("dest/a.txt")), "old");
    m_dialogs->answerMessage(MsgResult::Cancel);

    // b.txt comes first and has no conflict; it stays all the same.
    const int result = m_ops->ShellMoveFiles(
        makePathList({path(QStringLiteral("src/b.txt")), path(QStringLiteral("src/a.txt"))}),
        path(QStringLiteral("dest")), false);
    QCOMPARE(result, shell_result::kCancelled);
    QCOMPARE(messageCount(), 1);
    QCOMPARE(namesIn(path(QStringLiteral("src"))), (QStringList{u"a.txt"_s, u"b.txt"_s}));
    QCOMPARE(namesIn(path(QStringLiteral("dest"))), QStringList{QStringLiteral("a.txt")});
    QCOMPARE(readFile(path(QStringLiteral("dest/a.txt"))), QByteArray("old"));
}

void TstFileOperations::foldersMergeFileByFile() {
    writeFile(path(QStringLiteral("src/X/y.txt")), "new y");
    writeFile(path(QStringLiteral("src/X/w.txt")), "w");
    writeFile(path(QStringLiteral("dest/X/y.txt")), "old y");
    writeFile(path(QStringLiteral("dest/X/z.txt")), "z");
    m_dialogs->answerMessage(MsgResult::Yes);  // merge the folders
    m_dialogs->answerMessage(MsgResult::No);   // keep the old y.txt

    QCOMPARE(m_ops->ShellMoveFiles(makePathList({path(QStringLiteral("src/X"))}),
                                   path(QStringLiteral("dest")), false),
             0);
    QCOMPARE(message(0),
             platform_msg::mergeFolder(QStringLiteral("X"), path(QStringLiteral("dest"))));
    QCOMPARE(message(1),
             platform_msg::replaceFile(QStringLiteral("y.txt"), path(QStringLiteral("dest/X"))));
    QCOMPARE(namesIn(path(QStringLiteral("dest/X"))),
             (QStringList{u"w.txt"_s, u"y.txt"_s, u"z.txt"_s}));
    QCOMPARE(readFile(path(QStringLiteral("dest/X/y.txt"))), QByteArray("old y"));
    // What was kept back stays where it was, in its folder.
    QCOMPARE(namesIn(path(QStringLiteral("src/X"))), QStringList{QStringLiteral("y.txt")});

    // Everything taken: the emptied source folder goes.
    m_dialogs->clear();
    m_dialogs->answerMessage(MsgResult::Yes);
    m_dialogs->answerMessage(MsgResult::Yes);
    QCOMPARE(m_ops->ShellMoveFiles(makePathList({path(QStringLiteral("src/X"))}),
                                   path(QStringLiteral("dest")), false),
             0);
    QCOMPARE(readFile(path(QStringLiteral("dest/X/y.txt"))), QByteArray("new y"));
    QVERIFY(namesIn(path(QStringLiteral("src"))).isEmpty());
}

void TstFileOperations::impossibleMovesTouchNothing() {
    writeFile(path(QStringLiteral("f/sub/a.txt")), "a");
    // Into itself.
    QCOMPARE(m_ops->ShellMoveFiles(makePathList({path(QStringLiteral("f"))}),
                                   path(QStringLiteral("f/sub")), false),
             run_error::kPathFileAccess);
    QCOMPARE(message(0), platform_msg::moveIntoItself(path(QStringLiteral("f"))));
    QCOMPARE(message(1), platform_msg::moveFailed());
    QCOMPARE(namesIn(path(QStringLiteral("f/sub"))), QStringList{QStringLiteral("a.txt")});

    // A file where a folder of that name is, and the other way round.
    writeFile(path(QStringLiteral("g/sub")), "file named sub");
    m_dialogs->clear();
    QCOMPARE(m_ops->ShellMoveFiles(makePathList({path(QStringLiteral("g/sub"))}),
                                   path(QStringLiteral("f")), false),
             run_error::kFileAlreadyExists);
    QCOMPARE(message(0), platform_msg::kindConflict(path(QStringLiteral("f/sub"))));
    QCOMPARE(readFile(path(QStringLiteral("g/sub"))), QByteArray("file named sub"));

    // Into the folder it is in: nothing to do.
    m_dialogs->clear();
    QCOMPARE(m_ops->ShellMoveFiles(makePathList({path(QStringLiteral("g/sub"))}),
                                   path(QStringLiteral("g")), false),
             0);
    QCOMPARE(messageCount(), 0);
    QCOMPARE(readFile(path(QStringLiteral("g/sub"))), QByteArray("file named sub"));

    // A source that is not there.
    m_dialogs->clear();
    const QString missing = path(QStringLiteral("missing"));
    QCOMPARE(m_ops->ShellMoveFiles(makePathList({missing}), path(QStringLiteral("f")), false),
             run_error::kFileNotFound);
    QCOMPARE(message(0), platform_msg::cannotMove(missing, runErrorText(run_error::kFileNotFound)));
}

void TstFileOperations::moveAcrossFileSystemsCopiesChecksAndRemoves() {
    if (!makeOtherFileSystem()) {
        QSKIP("/dev/shm and the temporary folder are not different file systems here");
    }
    const QString src = m_shm->path();
    const QByteArray big = randomBytes(5 * 1024 * 1024 + 123);
    writeFile(src + u"/big.bin", big);
    writeFile(src + u"/tree/inner/small.txt", "small");
    QVERIFY(QFile::link(QStringLiteral("inner/small.txt"), src + u"/tree/link"));
    const QByteArray srcBig = QFile::encodeName(src + u"/big.bin");
    QVERIFY(::chmod(srcBig.constData(), 0640) == 0);
    const struct timespec times[2] = {{1000000000, 0}, {1100000000, 500}};
    QVERIFY(::utimensat(AT_FDCWD, srcBig.constData(), times, 0) == 0);
    const QByteArray srcTree = QFile::encodeName(src + u"/tree");
    QVERIFY(::chmod(srcTree.constData(), 0750) == 0);
    QVERIFY(::utimensat(AT_FDCWD, srcTree.constData(), times, 0) == 0);
    const QString dest = path(QStringLiteral("dest"));
    QVERIFY(QDir().mkpath(dest));

    const int result =
        m_ops->ShellMoveFiles(makePathList({src + u"/big.bin", src + u"/tree"}), dest, false);
    QCOMPARE(result, 0);
    QCOMPARE(messageCount(), 0);
    QVERIFY(namesIn(src).isEmpty());
    QCOMPARE(namesIn(dest), (QStringList{u"big.bin"_s, u"tree"_s}));
    QCOMPARE(readFile(dest + u"/big.bin"), big);
    QCOMPARE(readFile(dest + u"/tree/inner/small.txt"), QByteArray("small"));
    QCOMPARE(QFileInfo(dest + u"/tree/link").symLinkTarget(),
             QString(dest + u"/tree/inner/small.txt"));

    struct stat st {};
    QVERIFY(::stat(QFile::encodeName(dest + u"/big.bin").constData(), &st) == 0);
    QCOMPARE(st.st_mode & 07777, 0640u);
    QCOMPARE(st.st_mtim.tv_sec, time_t(1100000000));
    QCOMPARE(st.st_mtim.tv_nsec, 500L);
    QVERIFY(::stat(QFile::encodeName(dest + u"/tree").constData(), &st) == 0);
    QCOMPARE(st.st_mode & 07777, 0750u);
    QCOMPARE(st.st_mtim.tv_sec, time_t(1100000000));

    // The copy was counted as it was written and read back.
    QCOMPARE(m_progress.begins, 1);
    QCOMPARE(m_progress.ends, 1);
    QCOMPARE(m_progress.total, 2 * (big.size() + 5));
    QCOMPARE(m_progress.lastDone, m_progress.total);
    QCOMPARE(m_progress.title, platform_msg::moveTitle());
}

void TstFileOperations::cancelAcrossFileSystemsLeavesEverything() {
    if (!makeOtherFileSystem()) {
        QSKIP("/dev/shm and the temporary folder are not different file systems here");
    }
    const QString src = m_shm->path();
    const QByteArray big = randomBytes(24 * 1024 * 1024);
    writeFile(src + u"/first.txt", "first");
    writeFile(src + u"/large.bin", big);
    const QString dest = path(QStringLiteral("dest"));
    writeFile(dest + u"/large.bin", "the old one");
    const QString list = makePathList({src + u"/first.txt", src + u"/large.bin"});

    // Cancelled half-way through the large file, after the first one was already copied and
    // the old large file was being replaced.
    StoppingProgress stopping(4);
    FileOperations ops(*m_dialogs, *m_trash, stopping);
    m_dialogs->answerMessage(MsgResult::Yes);  // replace large.bin
    QCOMPARE(ops.ShellMoveFiles(list, dest, false), shell_result::kCancelled);
    QCOMPARE(messageCount(), 1);
    QCOMPARE(stopping.advances, 4);
    QCOMPARE(stopping.ends, 1);
    QCOMPARE(stopping.lastLabel, platform_msg::progressLabel(QStringLiteral("large.bin")));
    QCOMPARE(namesIn(src), (QStringList{u"first.txt"_s, u"large.bin"_s}));
    QCOMPARE(readFile(src + u"/large.bin"), big);
    QCOMPARE(readFile(src + u"/first.txt"), QByteArray("first"));
    QCOMPARE(namesIn(dest), QStringList{QStringLiteral("large.bin")});
    QCOMPARE(readFile(dest + u"/large.bin"), QByteArray("the old one"));

    // Cancelled while checking the copy (the read-back): the same.
    StoppingProgress late(static_cast<int>(big.size() / (2 * 1024 * 1024)) + 3);
    FileOperations lateOps(*m_dialogs, *m_trash, late);
    QVERIFY(QFile::remove(dest + u"/large.bin"));
    QCOMPARE(lateOps.ShellMoveFiles(makePathList({src + u"/large.bin"}), dest, false),
             shell_result::kCancelled);
    QVERIFY(late.lastDone > big.size());
    QCOMPARE(readFile(src + u"/large.bin"), big);
    QVERIFY(namesIn(dest).isEmpty());
}

void TstFileOperations::renameNeverReplaces() {
    writeFile(path(QStringLiteral("a.txt")), "a");
    writeFile(path(QStringLiteral("b.txt")), "b");
    const int result =
        m_ops->ShellRenameFile(path(QStringLiteral("a.txt")), path(QStringLiteral("b.txt")));
    QCOMPARE(result, run_error::kFileAlreadyExists);
    QCOMPARE(messageCount(), 2);
    QCOMPARE(message(0),
             platform_msg::cannotRename(path(QStringLiteral("a.txt")),
                                        platform_msg::nameTaken(path(QStringLiteral("b.txt")))));
    QCOMPARE(message(1), QStringLiteral("ファイル名の変更に失敗しました。"));
    QCOMPARE(readFile(path(QStringLiteral("a.txt"))), QByteArray("a"));
    QCOMPARE(readFile(path(QStringLiteral("b.txt"))), QByteArray("b"));

    // A folder onto an empty folder is refused just the same.
    QVERIFY(QDir().mkpath(path(QStringLiteral("x/inner"))));
    QVERIFY(QDir().mkpath(path(QStringLiteral("y"))));
    QCOMPARE(m_ops->ShellRenameFile(path(QStringLiteral("x")), path(QStringLiteral("y"))),
             run_error::kFileAlreadyExists);
    QVERIFY(QFileInfo(path(QStringLiteral("x/inner"))).isDir());

    m_dialogs->clear();
    QCOMPARE(m_ops->ShellRenameFile(path(QStringLiteral("a.txt")), path(QStringLiteral("c.txt"))),
             0);
    QCOMPARE(messageCount(), 0);
    QCOMPARE(readFile(path(QStringLiteral("c.txt"))), QByteArray("a"));
    QVERIFY(!QFile::exists(path(QStringLiteral("a.txt"))));

    QCOMPARE(m_ops->ShellRenameFile(path(QStringLiteral("a.txt")), path(QStringLiteral("d.txt"))),
             run_error::kFileNotFound);
    QCOMPARE(message(1), platform_msg::renameFailed());
}

QTEST_GUILESS_MAIN(TstFileOperations)
#include "tst_file_operations.moc"
