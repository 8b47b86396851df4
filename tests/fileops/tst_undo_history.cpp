#include <fcntl.h>
#include <sys/stat.h>
#include <QtTest>

#include "fileops/file_operations.h"
#include "fileops/operation_messages.h"
#include "fileops/undo_history.h"
#include "platform/file_fixtures.h"
#include "platform/path_list.h"
#include "platform/rename_item.h"
#include "platform/run_error.h"
#include "platform/scripted_dialogs.h"
#include "platform/trash.h"

using namespace file_fixtures;
using namespace Qt::StringLiterals;

namespace {

timespec modifiedTime(const QString& path) {
    struct stat st {};
    ::lstat(encodeFileName(path).constData(), &st);
    return st.st_mtim;
}

void setModifiedTime(const QString& path, time_t seconds) {
    const struct timespec times[2] = {{seconds, 0}, {seconds, 250}};
    QCOMPARE(::utimensat(AT_FDCWD, encodeFileName(path).constData(), times, AT_SYMLINK_NOFOLLOW),
             0);
}

}  // namespace

// Undoing deletes, moves and renames with real files and the real trash.
class TstUndoHistory : public WorkbenchTest {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void stepsNestAndEmptyOnesAreDropped();
    void deleteComesBackWithNamesBytesAndTimes();
    void moveGoesBackIncludingMergedItems();
    void renameGetsItsNameBack();
    void severalRenamesAreUndoneAsOneStep();
    void takenPlaceIsAskedAbout();
    void moveAcrossFileSystemsGoesBackByCopy();
    void failureIsExplainedAndTheRestKept();

private:
    std::unique_ptr<UndoHistory> m_history;
    std::unique_ptr<FileOperations> m_ops;
};

void TstUndoHistory::init() {
    QVERIFY(makeWorkbench());
    m_history = std::make_unique<UndoHistory>(*m_dialogs, *m_trash, m_progress);
    m_ops = std::make_unique<FileOperations>(*m_dialogs, *m_trash, m_progress);
    m_ops->setUndoHistory(m_history.get());
}

void TstUndoHistory::cleanup() {
    m_ops.reset();
    m_history.reset();
    clearWorkbench();
}

void TstUndoHistory::stepsNestAndEmptyOnesAreDropped() {
    QVERIFY(!m_history->canUndo());
    QCOMPARE(m_history->undo().code, 0);
    m_history->beginStep(u"nothing"_s);
    m_history->endStep();
    QVERIFY(!m_history->canUndo());

    // A step inside a step belongs to the outer one.
    m_history->beginStep(u"outer"_s);
    m_history->recordRenamed(path(u"a"_s), path(u"b"_s));
    m_history->beginStep(u"inner"_s);
    m_history->recordRenamed(path(u"c"_s), path(u"d"_s));
    m_history->endStep();
    QVERIFY(!m_history->canUndo());
    m_history->endStep();
    QCOMPARE(m_history->undoDescription(), u"outer"_s);

    // Only the last steps are kept.
    for (int i = 0; i < UndoHistory::kMaxSteps + 5; ++i) {
        m_history->recordRenamed(path(u"x%1"_s.arg(i)), path(u"y%1"_s.arg(i)));
    }
    int steps = 0;
    while (m_history->canUndo()) {
        QCOMPARE(m_history->undoDescription(), fileops_msg::renameStep());
        m_history->undo();  // the items are not there: each step is said once, then dropped
        ++steps;
    }
    QCOMPARE(steps, UndoHistory::kMaxSteps);
    QCOMPARE(messageCount(), UndoHistory::kMaxSteps);
}

void TstUndoHistory::deleteComesBackWithNamesBytesAndTimes() {
    const QString odd = decodeFileName(QByteArrayLiteral("\xff\x80-folder"));
    const QString oddFile = path(odd + decodeFileName(QByteArrayLiteral("/caf\xe9.txt")));
    const QStringList files{path(u"a.txt"_s), path(u"folder/inner.bin"_s), oddFile};
    const QByteArray bytes = randomBytes(70000);
    for (const QString& file : files) {
        writeFile(file, bytes + file.toUtf8());
        setModifiedTime(file, 1200000000);
    }
    setModifiedTime(path(u"folder"_s), 1300000000);

    QCOMPARE(
        m_ops->ShellDeleteFiles(makePathList({files.at(0), path(u"folder"_s), oddFile}), false), 0);
    QCOMPARE(m_trash->itemCount(), 3);
    QVERIFY(!file_transfer::exists(oddFile));
    QCOMPARE(m_history->undoDescription(), fileops_msg::deleteStep());

    const UndoHistory::Result result = m_history->undo();
    QCOMPARE(result.code, 0);
    QCOMPARE(result.statusText, u"元に戻しました: ファイル削除 (3 個)"_s);
    QCOMPARE(result.statusText, fileops_msg::undoDone(fileops_msg::deleteStep(), 3));
    QCOMPARE(result.reverted,
             (QList<MovedItem>{
                 {QString(), oddFile}, {QString(), path(u"folder"_s)}, {QString(), files.at(0)}}));
    for (const QString& file : files) {
        QCOMPARE(readFile(file), bytes + file.toUtf8());
        QCOMPARE(modifiedTime(file).tv_sec, time_t(1200000000));
        QCOMPARE(modifiedTime(file).tv_nsec, 250L);
    }
    QCOMPARE(modifiedTime(path(u"folder"_s)).tv_sec, time_t(1300000000));
    // The folder that is not UTF-8 is the one that was there, not a new one beside it.
    QCOMPARE(namesIn(m_dir->path()), (QStringList{u"a.txt"_s, u"data"_s, u"folder"_s, odd}));
    QCOMPARE(m_trash->itemCount(), 0);
    QVERIFY(namesIn(path(u"data/Trash/info"_s)).isEmpty());
    QVERIFY(!m_history->canUndo());
    QCOMPARE(messageCount(), 0);
}

void TstUndoHistory::moveGoesBackIncludingMergedItems() {
    writeFile(path(u"src/a.txt"_s), "a");
    writeFile(path(u"src/X/w.txt"_s), "w");
    writeFile(path(u"dest/X/z.txt"_s), "z");
    m_dialogs->answerMessage(MsgResult::Yes);  // merge X
    QCOMPARE(m_ops->ShellMoveFiles(makePathList({path(u"src/a.txt"_s), path(u"src/X"_s)}),
                                   path(u"dest"_s), false),
             0);
    QVERIFY(namesIn(path(u"src"_s)).isEmpty());

    const UndoHistory::Result result = m_history->undo();
    QCOMPARE(result.code, 0);
    QCOMPARE(result.statusText, fileops_msg::undoDone(fileops_msg::moveStep(), 2));
    QCOMPARE(result.reverted, (QList<MovedItem>{{path(u"dest/X/w.txt"_s), path(u"src/X/w.txt"_s)},
                                                {path(u"dest/a.txt"_s), path(u"src/a.txt"_s)}}));
    QCOMPARE(readFile(path(u"src/a.txt"_s)), QByteArray("a"));
    QCOMPARE(readFile(path(u"src/X/w.txt"_s)), QByteArray("w"));
    // The folder that was there keeps what it had.
    QCOMPARE(namesIn(path(u"dest"_s)), QStringList{u"X"_s});
    QCOMPARE(namesIn(path(u"dest/X"_s)), QStringList{u"z.txt"_s});
    QCOMPARE(m_progress.begins, 0);
}

void TstUndoHistory::renameGetsItsNameBack() {
    writeFile(path(u"old.txt"_s), "o");
    QCOMPARE(m_ops->ShellRenameFile(path(u"old.txt"_s), path(u"new.txt"_s)), 0);
    QVERIFY(QDir().mkpath(path(u"folder"_s)));
    m_history->recordRenamed(path(u"folder"_s), path(u"renamed"_s));
    QVERIFY(QDir().rename(path(u"folder"_s), path(u"renamed"_s)));

    UndoHistory::Result result = m_history->undo();
    QCOMPARE(result.statusText, fileops_msg::undoDone(fileops_msg::renameStep(), 1));
    QCOMPARE(result.reverted, (QList<MovedItem>{{path(u"renamed"_s), path(u"folder"_s)}}));
    result = m_history->undo();
    QCOMPARE(result.reverted, (QList<MovedItem>{{path(u"new.txt"_s), path(u"old.txt"_s)}}));
    QCOMPARE(namesIn(m_dir->path()), (QStringList{u"folder"_s, u"old.txt"_s}));
    QCOMPARE(readFile(path(u"old.txt"_s)), QByteArray("o"));
}

void TstUndoHistory::severalRenamesAreUndoneAsOneStep() {
    writeFile(path(u"a.txt"_s), "a");
    writeFile(path(u"b.txt"_s), "b");
    writeFile(path(u"x.mp3"_s), "x");
    writeFile(path(u"y.mp3"_s), "y");
    auto rename = [&](const QString& from, const QString& to) {
        QCOMPARE(renameItem(path(from), path(to)).code, 0);
        m_history->recordRenamed(path(from), path(to));
    };
    // One dialog's changes, among them two names swapped through a third.
    m_history->beginStep(u"拡張子の変更"_s);
    rename(u"a.txt"_s, u"a.md"_s);
    rename(u"b.txt"_s, u"b.md"_s);
    rename(u"x.mp3"_s, u"t.mp3"_s);
    rename(u"y.mp3"_s, u"x.mp3"_s);
    rename(u"t.mp3"_s, u"y.mp3"_s);
    m_history->endStep();
    QCOMPARE(readFile(path(u"x.mp3"_s)), QByteArray("y"));

    const UndoHistory::Result result = m_history->undo();
    QCOMPARE(result.code, 0);
    QCOMPARE(result.statusText, u"元に戻しました: 拡張子の変更 (5 個)"_s);
    QCOMPARE(result.reverted.size(), 5);
    QCOMPARE(messageCount(), 0);
    QCOMPARE(namesIn(m_dir->path()), (QStringList{u"a.txt"_s, u"b.txt"_s, u"x.mp3"_s, u"y.mp3"_s}));
    QCOMPARE(readFile(path(u"x.mp3"_s)), QByteArray("x"));
    QCOMPARE(readFile(path(u"y.mp3"_s)), QByteArray("y"));
    QVERIFY(!m_history->canUndo());
}

void TstUndoHistory::takenPlaceIsAskedAbout() {
    writeFile(path(u"a.txt"_s), "old a");
    writeFile(path(u"b.txt"_s), "old b");
    QCOMPARE(m_ops->ShellDeleteFiles(makePathList({path(u"a.txt"_s), path(u"b.txt"_s)}), false), 0);
    writeFile(path(u"a.txt"_s), "new a");
    writeFile(path(u"b.txt"_s), "new b");

    // No to both: nothing changes, and the step is used up.
    m_dialogs->answerMessage(MsgResult::No);
    m_dialogs->answerMessage(MsgResult::No);
    UndoHistory::Result result = m_history->undo();
    QCOMPARE(result.code, shell_result::kCancelled);
    QCOMPARE(result.statusText, fileops_msg::undoDeclined(fileops_msg::deleteStep()));
    QVERIFY(result.reverted.isEmpty());
    QCOMPARE(messageCount(), 2);
    const ScriptedDialogs::Call question = m_dialogs->messages().at(0);
    QCOMPARE(question.text, fileops_msg::undoPlaceTaken(path(u"b.txt"_s)));
    QCOMPARE(question.title, fileops_msg::undoTitle());
    QCOMPARE(toString(question.buttons), toString(MsgButtons::YesNo));
    QCOMPARE(readFile(path(u"a.txt"_s)), QByteArray("new a"));
    QCOMPARE(m_trash->itemCount(), 2);
    QVERIFY(!m_history->canUndo());

    // A moved item: no for one, yes for the other, whose occupant goes to the trash.
    writeFile(path(u"src/c.txt"_s), "old c");
    writeFile(path(u"src/d.txt"_s), "old d");
    QVERIFY(QDir().mkpath(path(u"dest"_s)));
    QCOMPARE(m_ops->ShellMoveFiles(makePathList({path(u"src/c.txt"_s), path(u"src/d.txt"_s)}),
                                   path(u"dest"_s), false),
             0);
    writeFile(path(u"src/c.txt"_s), "new c");
    writeFile(path(u"src/d.txt"_s), "new d");
    m_dialogs->clear();
    m_dialogs->answerMessage(MsgResult::Yes);  // d.txt, asked first: the last moved
    m_dialogs->answerMessage(MsgResult::No);   // c.txt
    result = m_history->undo();
    QCOMPARE(result.code, 0);
    QCOMPARE(result.statusText, fileops_msg::undoPartly(fileops_msg::moveStep(), 1, 1));
    QCOMPARE(result.reverted, (QList<MovedItem>{{path(u"dest/d.txt"_s), path(u"src/d.txt"_s)}}));
    QCOMPARE(message(0), fileops_msg::undoPlaceTaken(path(u"src/d.txt"_s)));
    QCOMPARE(readFile(path(u"src/d.txt"_s)), QByteArray("old d"));
    QCOMPARE(readFile(path(u"src/c.txt"_s)), QByteArray("new c"));
    QCOMPARE(readFile(path(u"dest/c.txt"_s)), QByteArray("old c"));
    QCOMPARE(namesIn(path(u"dest"_s)), QStringList{u"c.txt"_s});
    const QList<TrashEntry> trashed = m_trash->list();
    const auto occupant = std::find_if(trashed.cbegin(), trashed.cend(), [&](const TrashEntry& e) {
        return e.originalPath.endsWith(u"/src/d.txt");
    });
    QVERIFY(occupant != trashed.cend());
    QCOMPARE(readFile(occupant->filesPath()), QByteArray("new d"));

    // No for the first asked: the other item still goes back, and the step is done with.
    writeFile(path(u"src/e.txt"_s), "old e");
    writeFile(path(u"src/f.txt"_s), "old f");
    QCOMPARE(m_ops->ShellMoveFiles(makePathList({path(u"src/e.txt"_s), path(u"src/f.txt"_s)}),
                                   path(u"dest"_s), false),
             0);
    writeFile(path(u"src/e.txt"_s), "new e");
    writeFile(path(u"src/f.txt"_s), "new f");
    m_dialogs->clear();
    m_dialogs->answerMessage(MsgResult::No);   // f.txt
    m_dialogs->answerMessage(MsgResult::Yes);  // e.txt
    result = m_history->undo();
    QCOMPARE(result.code, 0);
    QCOMPARE(result.statusText, fileops_msg::undoPartly(fileops_msg::moveStep(), 1, 1));
    QCOMPARE(result.reverted, (QList<MovedItem>{{path(u"dest/e.txt"_s), path(u"src/e.txt"_s)}}));
    QCOMPARE(message(0), fileops_msg::undoPlaceTaken(path(u"src/f.txt"_s)));
    QCOMPARE(readFile(path(u"src/e.txt"_s)), QByteArray("old e"));
    QCOMPARE(readFile(path(u"src/f.txt"_s)), QByteArray("new f"));
    QCOMPARE(namesIn(path(u"dest"_s)), (QStringList{u"c.txt"_s, u"f.txt"_s}));
    QVERIFY(!m_history->canUndo());
}

void TstUndoHistory::moveAcrossFileSystemsGoesBackByCopy() {
    const auto shm = otherFileSystem(m_dir->path());
    if (!shm) {
        QSKIP("/dev/shm and the temporary folder are not different file systems here");
    }
    const QByteArray big = randomBytes(3 * 1024 * 1024 + 7);
    writeFile(shm->filePath(u"big.bin"_s), big);
    writeFile(shm->filePath(u"tree/small.txt"_s), "small");
    setModifiedTime(shm->filePath(u"big.bin"_s), 1100000000);
    QVERIFY(QDir().mkpath(path(u"dest"_s)));
    QCOMPARE(
        m_ops->ShellMoveFiles(makePathList({shm->filePath(u"big.bin"_s), shm->filePath(u"tree"_s)}),
                              path(u"dest"_s), false),
        0);
    QVERIFY(namesIn(shm->path()).isEmpty());

    m_progress = StoppingProgress();
    const UndoHistory::Result result = m_history->undo();
    QCOMPARE(result.code, 0);
    QCOMPARE(result.reverted.size(), 2);
    QCOMPARE(readFile(shm->filePath(u"big.bin"_s)), big);
    QCOMPARE(modifiedTime(shm->filePath(u"big.bin"_s)).tv_sec, time_t(1100000000));
    QCOMPARE(readFile(shm->filePath(u"tree/small.txt"_s)), QByteArray("small"));
    QVERIFY(namesIn(path(u"dest"_s)).isEmpty());
    // Copied back and checked, under the undo's own words.
    QCOMPARE(m_progress.title, fileops_msg::undoTitle());
    QCOMPARE(m_progress.total, 2 * (big.size() + 5));
    QCOMPARE(m_progress.lastLabel, fileops_msg::undoProgressLabel(u"big.bin"_s));
}

void TstUndoHistory::failureIsExplainedAndTheRestKept() {
    writeFile(path(u"a.txt"_s), "a");
    writeFile(path(u"b.txt"_s), "b");
    m_history->beginStep(u"two deletes"_s);
    QCOMPARE(m_ops->ShellDeleteFiles(makePathList({path(u"a.txt"_s)}), false), 0);
    QCOMPARE(m_ops->ShellDeleteFiles(makePathList({path(u"b.txt"_s)}), false), 0);
    m_history->endStep();
    // b.txt is deleted for good from the trash; a.txt is still there.
    const QList<TrashEntry> entries = m_trash->list();
    const auto b = std::find_if(entries.cbegin(), entries.cend(),
                                [](const TrashEntry& e) { return e.name == u"b.txt"; });
    QVERIFY(b != entries.cend());
    QCOMPARE(file_transfer::removeTree(b->filesPath()), 0);

    UndoHistory::Result result = m_history->undo();
    QCOMPARE(result.code, run_error::kFileNotFound);
    QCOMPARE(result.statusText, fileops_msg::undoStopped(u"two deletes"_s));
    QCOMPARE(messageCount(), 1);
    QCOMPARE(message(0),
             fileops_msg::cannotUndo(path(u"b.txt"_s), runErrorText(run_error::kFileNotFound)));
    QCOMPARE(toString(m_dialogs->messages().at(0).icon), toString(MsgIcon::Exclamation));
    QCOMPARE(m_dialogs->messages().at(0).title, fileops_msg::undoTitle());
    QVERIFY(!QFile::exists(path(u"a.txt"_s)));

    // What was not reached is still there to undo.
    QCOMPARE(m_history->undoDescription(), u"two deletes"_s);
    result = m_history->undo();
    QCOMPARE(result.code, 0);
    QCOMPARE(readFile(path(u"a.txt"_s)), QByteArray("a"));
    QVERIFY(!m_history->canUndo());

    // A moved item whose way back cannot be made: explained, and nothing moves.
    writeFile(path(u"src/c.txt"_s), "c");
    QVERIFY(QDir().mkpath(path(u"dest"_s)));
    QCOMPARE(m_ops->ShellMoveFiles(makePathList({path(u"src/c.txt"_s)}), path(u"dest"_s), false),
             0);
    QVERIFY(QDir().rmdir(path(u"src"_s)));
    writeFile(path(u"src"_s), "a file where the folder was");
    m_dialogs->clear();
    result = m_history->undo();
    QCOMPARE(result.code, run_error::kPathNotFound);
    QCOMPARE(message(0), fileops_msg::cannotUndo(path(u"dest/c.txt"_s),
                                                 runErrorText(run_error::kPathNotFound)));
    QCOMPARE(readFile(path(u"dest/c.txt"_s)), QByteArray("c"));
    QVERIFY(m_history->canUndo());
}

QTEST_GUILESS_MAIN(TstUndoHistory)
#include "tst_undo_history.moc"
