#include <fcntl.h>
#include <sys/stat.h>
#include <QtTest>

#include "platform/file_fixtures.h"
#include "platform/file_mover.h"
#include "platform/file_op_outcome.h"
#include "platform/path_list.h"
#include "platform/rename_item.h"
#include "platform/run_error.h"
#include "platform/trash.h"
#include "platform/trash_batch.h"

using namespace file_fixtures;
using namespace Qt::StringLiterals;

// The work of the file operations without any wording: the trash batch, the mover with its
// questions answered from a script, the rename that never replaces.
class TstFileWork : public WorkbenchTest {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void pathListsAreRead();
    void trashBatchChecksEverythingFirst();
    void trashBatchPutsEveryItemAndSaysWhere();
    void trashBatchBacksOutWhenOneItemFails();
    void moveWithinFileSystem();
    void targetsAreAFolderOrANewPath();
    void conflictAsksBeforeReplacing();
    void cancelAtConflictMovesNothing();
    void foldersMergeFileByFile();
    void impossibleMovesTouchNothing();
    void itemsMoveToExactPaths();
    void moveAcrossFileSystemsCopiesChecksAndRemoves();
    void cancelAcrossFileSystemsLeavesEverything();
    void renameNeverReplaces();

private:
    // Moves sources into (or to) destination as the operations do.
    FileOpOutcome moveInto(const QStringList& sources, const QString& destination,
                           FileMover& mover);

    ScriptedQuestions m_questions;
};

void TstFileWork::init() {
    QVERIFY(makeWorkbench());
    m_questions = ScriptedQuestions();
}

void TstFileWork::cleanup() {
    clearWorkbench();
}

FileOpOutcome TstFileWork::moveInto(const QStringList& sources, const QString& destination,
                                    FileMover& mover) {
    QList<MovedItem> items;
    const FileOpOutcome outcome = FileMover::targetsFor(sources, destination, items);
    return outcome.failed() ? outcome : mover.move(items);
}

void TstFileWork::pathListsAreRead() {
    const QChar nul(u'\0');
    QCOMPARE(parsePathList(u"/a"_s + nul + u"/b c" + nul + nul), (QStringList{u"/a"_s, u"/b c"_s}));
    QCOMPARE(parsePathList(u"/a"_s + nul + u"/b"), (QStringList{u"/a"_s, u"/b"_s}));
    QCOMPARE(parsePathList(u"/a"_s + nul + nul + u"/b" + nul + nul), QStringList{u"/a"_s});
    QVERIFY(parsePathList(QString()).isEmpty());
    QVERIFY(parsePathList(QString(nul)).isEmpty());
    QCOMPARE(makePathList({u"/x"_s, u"/y"_s}), u"/x"_s + nul + u"/y" + nul + nul);

    // Sources: cleaned, each once, and an item inside a listed folder goes with the folder.
    FileOpOutcome outcome;
    QCOMPARE(normalizeSources({u"/a/b/"_s, u"/a/b"_s, u"/a/b/c/d"_s, u"/x"_s, u"/a/bc"_s}, outcome),
             (QStringList{u"/a/b"_s, u"/x"_s, u"/a/bc"_s}));
    QCOMPARE(outcome.code, 0);
    QCOMPARE(normalizeSources({u"/a"_s, u"/"_s}, outcome), QStringList{u"/"_s});
    QVERIFY(normalizeSources({u"/a"_s, u"b/c"_s}, outcome).isEmpty());
    QCOMPARE(outcome.code, run_error::kPathFileAccess);
    QCOMPARE(outcome.failure, FileOpFailure::NotFullPath);
    QCOMPARE(outcome.path, u"b/c"_s);
    QVERIFY(normalizeSources({}, outcome).isEmpty());
    QCOMPARE(outcome.code, run_error::kBadFileName);
    QCOMPARE(outcome.failure, FileOpFailure::NoPaths);
}

void TstFileWork::trashBatchChecksEverythingFirst() {
    writeFile(path(u"a.txt"_s), "a");
    const QString missing = path(u"missing.txt"_s);
    TrashBatch batch(*m_trash);
    FileOpOutcome outcome = batch.check({path(u"a.txt"_s), missing});
    QCOMPARE(outcome.code, run_error::kFileNotFound);
    QCOMPARE(outcome.failure, FileOpFailure::CannotTrash);
    QCOMPARE(outcome.path, missing);
    QCOMPARE(batch.error(), ENOENT);
    QCOMPARE(readFile(path(u"a.txt"_s)), QByteArray("a"));
    QCOMPARE(m_trash->itemCount(), 0);

    for (const QString& bad : {u"a.txt"_s, u"/"_s}) {
        outcome = batch.check({bad});
        QCOMPARE(outcome.code, run_error::kPathFileAccess);
        QCOMPARE(outcome.failure, FileOpFailure::CannotTrash);
    }

    const auto shm = otherFileSystem(m_dir->path());
    if (!shm) {
        QSKIP("no second file system (/dev/shm) to try a volume without a trash");
    }
    // A volume without a usable trash: its file stays, and so does the other one.
    const auto noTopTrash = testTrash(path(u"data/Trash"_s), false);
    const QString elsewhere = shm->filePath(u"x.txt"_s);
    writeFile(elsewhere, "x");
    TrashBatch other(*noTopTrash);
    outcome = other.check({path(u"a.txt"_s), elsewhere});
    QCOMPARE(outcome.code, shell_result::kNoUsableTrash);
    QCOMPARE(outcome.failure, FileOpFailure::NoUsableTrash);
    QCOMPARE(outcome.path, elsewhere);
    QCOMPARE(other.error(), Trash::kNoUsableTrash);
    QCOMPARE(readFile(elsewhere), QByteArray("x"));
    QCOMPARE(readFile(path(u"a.txt"_s)), QByteArray("a"));
}

void TstFileWork::trashBatchPutsEveryItemAndSaysWhere() {
    const QString real = QFileInfo(m_dir->path()).canonicalFilePath();
    writeFile(path(u"a.txt"_s), "a");
    writeFile(path(u"folder/inner.txt"_s), "i");
    writeFile(path(u"c.txt"_s), "c");
    // Many items of one name, enough for the batch to flush its info files all at once.
    QStringList paths{path(u"a.txt"_s), path(u"folder"_s)};
    for (int i = 1; i <= 20; ++i) {
        paths.append(path(u"sub%1/same.txt"_s.arg(i)));
        writeFile(paths.last(), QByteArray::number(i));
    }
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    TrashBatch batch(*m_trash);
    QCOMPARE(batch.check(paths).code, 0);
    QCOMPARE(batch.put().code, 0);

    const QList<TrashEntry> entries = batch.entries();
    QCOMPARE(entries.size(), 22);
    QCOMPARE(entries.at(0).name, u"a.txt"_s);
    QCOMPARE(entries.at(0).originalPath, QString(real + u"/a.txt"));
    QCOMPARE(entries.at(1).name, u"folder"_s);
    QCOMPARE(entries.at(2).name, u"same.txt"_s);
    QCOMPARE(entries.at(21).name, u"same.20.txt"_s);
    QCOMPARE(entries.at(21).originalPath, QString(real + u"/sub20/same.txt"));
    QVERIFY(entries.at(21).deletionDate >= before);
    QCOMPARE(readFile(entries.at(21).filesPath()), QByteArray("20"));
    QCOMPARE(readFile(path(u"data/Trash/files/folder/inner.txt"_s)), QByteArray("i"));

    // What the trash lists is what the batch said.
    QList<TrashEntry> listed = m_trash->list();
    QCOMPARE(listed.size(), 22);
    for (const TrashEntry& entry : entries) {
        const auto found = std::find_if(listed.cbegin(), listed.cend(),
                                        [&](const TrashEntry& e) { return e.name == entry.name; });
        QVERIFY(found != listed.cend());
        QCOMPARE(found->originalPath, entry.originalPath);
    }
    QVERIFY(!namesIn(m_dir->path()).contains(u"a.txt"_s));
    QVERIFY(namesIn(path(u"sub3"_s)).isEmpty());
    QCOMPARE(readFile(path(u"c.txt"_s)), QByteArray("c"));
}

void TstFileWork::trashBatchBacksOutWhenOneItemFails() {
    // The last item holds the trash itself, so it cannot go into it; the ones already in the
    // trash by then come back.
    const QString holder = path(u"holder"_s);
    const auto trash = testTrash(holder + u"/Trash");
    QStringList paths;
    for (int i = 1; i <= 20; ++i) {
        paths.append(path(u"f%1.txt"_s.arg(i)));
        writeFile(paths.last(), QByteArray::number(i));
    }
    writeFile(holder + u"/keep.txt", "k");
    paths.append(holder);

    TrashBatch batch(*trash);
    QCOMPARE(batch.check(paths).code, 0);
    const FileOpOutcome outcome = batch.put();
    QCOMPARE(outcome.code, run_error::kPathFileAccess);
    QCOMPARE(outcome.failure, FileOpFailure::CannotTrash);
    QCOMPARE(outcome.path, holder);
    QVERIFY(batch.entries().isEmpty());
    for (int i = 1; i <= 20; ++i) {
        QCOMPARE(readFile(path(u"f%1.txt"_s.arg(i))), QByteArray::number(i));
    }
    QCOMPARE(readFile(holder + u"/keep.txt"), QByteArray("k"));
    QCOMPARE(trash->itemCount(), 0);
    QVERIFY(namesIn(holder + u"/Trash/info").isEmpty());
}

void TstFileWork::moveWithinFileSystem() {
    writeFile(path(u"src/a.txt"_s), "a");
    writeFile(path(u"src/sub/b.txt"_s), "b");
    QVERIFY(QDir().mkpath(path(u"dest"_s)));
    QList<MovedItem> items;
    QCOMPARE(
        FileMover::targetsFor({path(u"src/a.txt"_s), path(u"src/sub"_s)}, path(u"dest/"_s), items)
            .code,
        0);
    const QList<MovedItem> expected{{path(u"src/a.txt"_s), path(u"dest/a.txt"_s)},
                                    {path(u"src/sub"_s), path(u"dest/sub"_s)}};
    QCOMPARE(items, expected);

    FileMover mover(m_progress, m_questions);
    QCOMPARE(mover.move(items).code, 0);
    QCOMPARE(mover.moved(), expected);
    QVERIFY(namesIn(path(u"src"_s)).isEmpty());
    QCOMPARE(readFile(path(u"dest/a.txt"_s)), QByteArray("a"));
    QCOMPARE(readFile(path(u"dest/sub/b.txt"_s)), QByteArray("b"));
    QCOMPARE(m_progress.begins, 0);  // renames only: nothing to show progress for
    QVERIFY(m_questions.asked.isEmpty());
}

void TstFileWork::targetsAreAFolderOrANewPath() {
    writeFile(path(u"a.mp3"_s), "a");
    QVERIFY(QDir().mkpath(path(u"x/inner"_s)));
    FileMover first(m_progress, m_questions);
    QCOMPARE(moveInto({path(u"a.mp3"_s)}, path(u"b.mp3"_s), first).code, 0);
    QCOMPARE(first.moved(), (QList<MovedItem>{{path(u"a.mp3"_s), path(u"b.mp3"_s)}}));
    FileMover second(m_progress, m_questions);
    QCOMPARE(moveInto({path(u"x"_s)}, path(u"y"_s), second).code, 0);
    QCOMPARE(readFile(path(u"b.mp3"_s)), QByteArray("a"));
    QVERIFY(QFileInfo(path(u"y/inner"_s)).isDir());
    QVERIFY(!QFile::exists(path(u"a.mp3"_s)));
    QVERIFY(!QFile::exists(path(u"x"_s)));

    // Several items need a folder to go into; a relative destination is none.
    writeFile(path(u"c.txt"_s), "c");
    const QString nowhere = path(u"nowhere"_s);
    QList<MovedItem> items;
    FileOpOutcome outcome =
        FileMover::targetsFor({path(u"b.mp3"_s), path(u"c.txt"_s)}, nowhere, items);
    QCOMPARE(outcome.code, run_error::kPathNotFound);
    QCOMPARE(outcome.failure, FileOpFailure::DestinationMissing);
    QCOMPARE(outcome.path, nowhere);
    QVERIFY(items.isEmpty());
    outcome = FileMover::targetsFor({path(u"b.mp3"_s)}, u"dest"_s, items);
    QCOMPARE(outcome.failure, FileOpFailure::NotFullPath);
    QCOMPARE(outcome.path, u"dest"_s);
    QVERIFY(QFile::exists(path(u"b.mp3"_s)));
    QVERIFY(!QFile::exists(nowhere));
}

void TstFileWork::conflictAsksBeforeReplacing() {
    writeFile(path(u"src/a.txt"_s), "new");
    writeFile(path(u"dest/a.txt"_s), "old");
    const QString dest = path(u"dest"_s);

    // No: neither file changes.
    m_questions.answer(ConflictAnswer::No);
    FileMover declined(m_progress, m_questions);
    QCOMPARE(moveInto({path(u"src/a.txt"_s)}, dest, declined).code, 0);
    QCOMPARE(m_questions.asked, QStringList{u"replace " + path(u"dest/a.txt"_s)});
    QVERIFY(declined.moved().isEmpty());
    QCOMPARE(readFile(path(u"src/a.txt"_s)), QByteArray("new"));
    QCOMPARE(readFile(path(u"dest/a.txt"_s)), QByteArray("old"));

    // Yes: replaced, and nothing else left behind in the folder.
    m_questions.answer(ConflictAnswer::Yes);
    FileMover replacing(m_progress, m_questions);
    QCOMPARE(moveInto({path(u"src/a.txt"_s)}, dest, replacing).code, 0);
    QCOMPARE(m_questions.asked.size(), 2);
    QCOMPARE(replacing.moved(), (QList<MovedItem>{{path(u"src/a.txt"_s), path(u"dest/a.txt"_s)}}));
    QCOMPARE(readFile(path(u"dest/a.txt"_s)), QByteArray("new"));
    QCOMPARE(namesIn(dest), QStringList{u"a.txt"_s});
    QVERIFY(namesIn(path(u"src"_s)).isEmpty());
}

void TstFileWork::cancelAtConflictMovesNothing() {
    writeFile(path(u"src/b.txt"_s), "b");
    writeFile(path(u"src/a.txt"_s), "new");
    writeFile(path(u"dest/a.txt"_s), "old");

    // b.txt comes first and has no conflict; it stays all the same.
    FileMover mover(m_progress, m_questions);
    QCOMPARE(moveInto({path(u"src/b.txt"_s), path(u"src/a.txt"_s)}, path(u"dest"_s), mover).code,
             shell_result::kCancelled);
    QCOMPARE(m_questions.asked.size(), 1);
    QVERIFY(mover.moved().isEmpty());
    QCOMPARE(namesIn(path(u"src"_s)), (QStringList{u"a.txt"_s, u"b.txt"_s}));
    QCOMPARE(namesIn(path(u"dest"_s)), QStringList{u"a.txt"_s});
    QCOMPARE(readFile(path(u"dest/a.txt"_s)), QByteArray("old"));
}

void TstFileWork::foldersMergeFileByFile() {
    const QString oddName = decodeFileName(QByteArrayLiteral("odd-\xff\xfe.txt"));
    writeFile(path(u"src/X/y.txt"_s), "new y");
    writeFile(path(u"src/X/w.txt"_s), "w");
    writeFile(path(u"src/X/"_s) + oddName, "odd");
    writeFile(path(u"dest/X/y.txt"_s), "old y");
    writeFile(path(u"dest/X/z.txt"_s), "z");
    m_questions.answer(ConflictAnswer::Yes);  // merge the folders
    m_questions.answer(ConflictAnswer::No);   // keep the old y.txt

    FileMover mover(m_progress, m_questions);
    QCOMPARE(moveInto({path(u"src/X"_s)}, path(u"dest"_s), mover).code, 0);
    QCOMPARE(m_questions.asked,
             (QStringList{u"merge " + path(u"dest/X"_s), u"replace " + path(u"dest/X/y.txt"_s)}));
    // Each item that went into the folder that was there, the name that is not UTF-8 too.
    QCOMPARE(mover.moved(),
             (QList<MovedItem>{{path(u"src/X/"_s) + oddName, path(u"dest/X/"_s) + oddName},
                               {path(u"src/X/w.txt"_s), path(u"dest/X/w.txt"_s)}}));
    QCOMPARE(readFile(path(u"dest/X/"_s) + oddName), QByteArray("odd"));
    QCOMPARE(namesIn(path(u"dest/X"_s)),
             (QStringList{oddName, u"w.txt"_s, u"y.txt"_s, u"z.txt"_s}));
    QCOMPARE(readFile(path(u"dest/X/y.txt"_s)), QByteArray("old y"));
    // What was kept back stays where it was, in its folder.
    QCOMPARE(namesIn(path(u"src/X"_s)), QStringList{u"y.txt"_s});

    // Everything taken: the emptied source folder goes.
    m_questions.answer(ConflictAnswer::Yes);
    m_questions.answer(ConflictAnswer::Yes);
    FileMover all(m_progress, m_questions);
    QCOMPARE(moveInto({path(u"src/X"_s)}, path(u"dest"_s), all).code, 0);
    QCOMPARE(readFile(path(u"dest/X/y.txt"_s)), QByteArray("new y"));
    QVERIFY(namesIn(path(u"src"_s)).isEmpty());
}

void TstFileWork::impossibleMovesTouchNothing() {
    writeFile(path(u"f/sub/a.txt"_s), "a");
    FileMover intoItself(m_progress, m_questions);
    FileOpOutcome outcome = moveInto({path(u"f"_s)}, path(u"f/sub"_s), intoItself);
    QCOMPARE(outcome.code, run_error::kPathFileAccess);
    QCOMPARE(outcome.failure, FileOpFailure::MoveIntoItself);
    QCOMPARE(outcome.path, path(u"f"_s));
    QCOMPARE(namesIn(path(u"f/sub"_s)), QStringList{u"a.txt"_s});

    // A file where a folder of that name is.
    writeFile(path(u"g/sub"_s), "file named sub");
    FileMover kinds(m_progress, m_questions);
    outcome = moveInto({path(u"g/sub"_s)}, path(u"f"_s), kinds);
    QCOMPARE(outcome.code, run_error::kFileAlreadyExists);
    QCOMPARE(outcome.failure, FileOpFailure::KindConflict);
    QCOMPARE(outcome.path, path(u"f/sub"_s));
    QCOMPARE(readFile(path(u"g/sub"_s)), QByteArray("file named sub"));

    // Into the folder it is in: nothing to do.
    FileMover stay(m_progress, m_questions);
    QCOMPARE(moveInto({path(u"g/sub"_s)}, path(u"g"_s), stay).code, 0);
    QVERIFY(stay.moved().isEmpty());
    QCOMPARE(readFile(path(u"g/sub"_s)), QByteArray("file named sub"));

    // A source that is not there.
    const QString missing = path(u"missing"_s);
    FileMover gone(m_progress, m_questions);
    outcome = moveInto({missing}, path(u"f"_s), gone);
    QCOMPARE(outcome.code, run_error::kFileNotFound);
    QCOMPARE(outcome.failure, FileOpFailure::CannotMove);
    QCOMPARE(outcome.path, missing);
    QVERIFY(m_questions.asked.isEmpty());
}

void TstFileWork::itemsMoveToExactPaths() {
    // The way back of an earlier move: each item to a path of its own, names included.
    writeFile(path(u"dest/a.txt"_s), "a");
    writeFile(path(u"dest/sub/b.txt"_s), "b");
    QVERIFY(QDir().mkpath(path(u"src"_s)));
    const QList<MovedItem> back{{path(u"dest/a.txt"_s), path(u"src/first.txt"_s)},
                                {path(u"dest/sub"_s), path(u"src/second"_s)}};
    FileMover mover(m_progress, m_questions);
    QCOMPARE(mover.move(back).code, 0);
    QCOMPARE(mover.moved(), back);
    QCOMPARE(readFile(path(u"src/first.txt"_s)), QByteArray("a"));
    QCOMPARE(readFile(path(u"src/second/b.txt"_s)), QByteArray("b"));
    QVERIFY(namesIn(path(u"dest"_s)).isEmpty());

    // A target whose folder is not there: said, and nothing moves.
    FileMover lost(m_progress, m_questions);
    const FileOpOutcome outcome = lost.move({{path(u"src/first.txt"_s), path(u"dest/a.txt"_s)},
                                             {path(u"src/second"_s), path(u"gone/second"_s)}});
    QCOMPARE(outcome.code, run_error::kPathNotFound);
    QCOMPARE(outcome.failure, FileOpFailure::DestinationMissing);
    QCOMPARE(outcome.path, path(u"gone"_s));
    QCOMPARE(namesIn(path(u"src"_s)), (QStringList{u"first.txt"_s, u"second"_s}));
}

void TstFileWork::moveAcrossFileSystemsCopiesChecksAndRemoves() {
    const auto shm = otherFileSystem(m_dir->path());
    if (!shm) {
        QSKIP("/dev/shm and the temporary folder are not different file systems here");
    }
    const QString src = shm->path();
    const QByteArray big = randomBytes(5 * 1024 * 1024 + 123);
    writeFile(src + u"/big.bin", big);
    writeFile(src + u"/tree/inner/small.txt", "small");
    QVERIFY(QFile::link(u"inner/small.txt"_s, src + u"/tree/link"));
    const QByteArray srcBig = QFile::encodeName(src + u"/big.bin");
    QVERIFY(::chmod(srcBig.constData(), 0640) == 0);
    const struct timespec times[2] = {{1000000000, 0}, {1100000000, 500}};
    QVERIFY(::utimensat(AT_FDCWD, srcBig.constData(), times, 0) == 0);
    const QByteArray srcTree = QFile::encodeName(src + u"/tree");
    QVERIFY(::chmod(srcTree.constData(), 0750) == 0);
    QVERIFY(::utimensat(AT_FDCWD, srcTree.constData(), times, 0) == 0);
    const QString dest = path(u"dest"_s);
    QVERIFY(QDir().mkpath(dest));

    FileMover mover(m_progress, m_questions);
    mover.setProgressText(u"Moving"_s, [](const QString& name) { return u"moving " + name; });
    QCOMPARE(moveInto({src + u"/big.bin", src + u"/tree"}, dest, mover).code, 0);
    QCOMPARE(mover.moved(), (QList<MovedItem>{{src + u"/big.bin", dest + u"/big.bin"},
                                              {src + u"/tree", dest + u"/tree"}}));
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

    // The copy was counted as it was written and read back, under the caller's words.
    QCOMPARE(m_progress.begins, 1);
    QCOMPARE(m_progress.ends, 1);
    QCOMPARE(m_progress.total, 2 * (big.size() + 5));
    QCOMPARE(m_progress.lastDone, m_progress.total);
    QCOMPARE(m_progress.title, u"Moving"_s);
    QCOMPARE(m_progress.lastLabel, u"moving tree"_s);
}

void TstFileWork::cancelAcrossFileSystemsLeavesEverything() {
    const auto shm = otherFileSystem(m_dir->path());
    if (!shm) {
        QSKIP("/dev/shm and the temporary folder are not different file systems here");
    }
    const QString src = shm->path();
    const QByteArray big = randomBytes(24 * 1024 * 1024);
    writeFile(src + u"/first.txt", "first");
    writeFile(src + u"/large.bin", big);
    const QString dest = path(u"dest"_s);
    writeFile(dest + u"/large.bin", "the old one");
    const QStringList sources{src + u"/first.txt", src + u"/large.bin"};

    // Cancelled half-way through the large file, after the first one was already copied and
    // the old large file was being replaced.
    StoppingProgress stopping(4);
    m_questions.answer(ConflictAnswer::Yes);  // replace large.bin
    FileMover mover(stopping, m_questions);
    mover.setProgressText(u"Moving"_s, [](const QString& name) { return u"moving " + name; });
    QCOMPARE(moveInto(sources, dest, mover).code, shell_result::kCancelled);
    QCOMPARE(m_questions.asked.size(), 1);
    QCOMPARE(stopping.advances, 4);
    QCOMPARE(stopping.ends, 1);
    QCOMPARE(stopping.lastLabel, u"moving large.bin"_s);
    QVERIFY(mover.moved().isEmpty());
    QCOMPARE(namesIn(src), (QStringList{u"first.txt"_s, u"large.bin"_s}));
    QCOMPARE(readFile(src + u"/large.bin"), big);
    QCOMPARE(readFile(src + u"/first.txt"), QByteArray("first"));
    QCOMPARE(namesIn(dest), QStringList{u"large.bin"_s});
    QCOMPARE(readFile(dest + u"/large.bin"), QByteArray("the old one"));

    // Cancelled while checking the copy (the read-back): the same.
    StoppingProgress late(static_cast<int>(big.size() / (2 * 1024 * 1024)) + 3);
    FileMover lateMover(late, m_questions);
    QVERIFY(QFile::remove(dest + u"/large.bin"));
    QCOMPARE(moveInto({src + u"/large.bin"}, dest, lateMover).code, shell_result::kCancelled);
    QVERIFY(late.lastDone > big.size());
    QCOMPARE(readFile(src + u"/large.bin"), big);
    QVERIFY(namesIn(dest).isEmpty());
}

void TstFileWork::renameNeverReplaces() {
    writeFile(path(u"a.txt"_s), "a");
    writeFile(path(u"b.txt"_s), "b");
    FileOpOutcome outcome = renameItem(path(u"a.txt"_s), path(u"b.txt"_s));
    QCOMPARE(outcome.code, run_error::kFileAlreadyExists);
    QCOMPARE(outcome.failure, FileOpFailure::NameTaken);
    QCOMPARE(outcome.path, path(u"a.txt"_s));
    QCOMPARE(outcome.other, path(u"b.txt"_s));
    QCOMPARE(readFile(path(u"a.txt"_s)), QByteArray("a"));
    QCOMPARE(readFile(path(u"b.txt"_s)), QByteArray("b"));

    // A folder onto an empty folder is refused just the same.
    QVERIFY(QDir().mkpath(path(u"x/inner"_s)));
    QVERIFY(QDir().mkpath(path(u"y"_s)));
    QCOMPARE(renameItem(path(u"x"_s), path(u"y"_s)).failure, FileOpFailure::NameTaken);
    QVERIFY(QFileInfo(path(u"x/inner"_s)).isDir());

    QCOMPARE(renameItem(path(u"a.txt"_s), path(u"c.txt"_s)).code, 0);
    QCOMPARE(readFile(path(u"c.txt"_s)), QByteArray("a"));
    QVERIFY(!QFile::exists(path(u"a.txt"_s)));
    QCOMPARE(renameItem(path(u"c.txt"_s), path(u"c.txt"_s)).code, 0);

    outcome = renameItem(path(u"a.txt"_s), path(u"d.txt"_s));
    QCOMPARE(outcome.code, run_error::kFileNotFound);
    QCOMPARE(outcome.failure, FileOpFailure::CannotRename);
    outcome = renameItem(path(u"c.txt"_s), u"d.txt"_s);
    QCOMPARE(outcome.failure, FileOpFailure::NotFullPath);
    QCOMPARE(outcome.path, u"d.txt"_s);
}

QTEST_GUILESS_MAIN(TstFileWork)
#include "tst_file_work.moc"
