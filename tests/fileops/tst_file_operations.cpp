#include <QtTest>

#include "fileops/file_operations.h"
#include "fileops/operation_messages.h"
#include "fileops/undo_history.h"
#include "platform/app_info.h"
#include "platform/file_fixtures.h"
#include "platform/path_list.h"
#include "platform/run_error.h"
#include "platform/scripted_dialogs.h"
#include "platform/trash.h"

using namespace file_fixtures;
using namespace Qt::StringLiterals;

// The delete, move and rename operations as the user meets them: the questions, the
// explanations and the operation's message, word for word, and what they leave in the undo
// history.
class TstFileOperations : public WorkbenchTest {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void deleteAsksOnceAndDeclineLeavesDisk();
    void deleteMovesEveryItemToTrash();
    void deleteChecksEverythingBeforeAsking();
    void deleteBacksOutWhenOneItemFails();
    void malformedPathListsFailCleanly();
    void moveAsksOnceUnlessToldNotTo();
    void moveToNewNameOrMissingFolder();
    void conflictsAreAskedInTheirWords();
    void impossibleMovesAreExplained();
    void moveAcrossFileSystemsShowsProgress();
    void renameNeverReplaces();
    void operationsRecordWhatTheyChanged();

private:
    std::unique_ptr<FileOperations> m_ops;
    int m_afterCalls = 0;
};

void TstFileOperations::init() {
    QVERIFY(makeWorkbench());
    m_afterCalls = 0;
    m_ops = std::make_unique<FileOperations>(*m_dialogs, *m_trash, m_progress,
                                             [this] { ++m_afterCalls; });
}

void TstFileOperations::cleanup() {
    m_ops.reset();
    clearWorkbench();
}

void TstFileOperations::deleteAsksOnceAndDeclineLeavesDisk() {
    writeFile(path(u"a.txt"_s), "a");
    writeFile(path(u"b.txt"_s), "b");
    m_dialogs->answerMessage(MsgResult::No);

    const int result = m_ops->ShellDeleteFiles(makePathList({path(u"a.txt"_s), path(u"b.txt"_s)}));
    QCOMPARE(result, shell_result::kCancelled);
    QCOMPARE(messageCount(), 1);
    const ScriptedDialogs::Call question = m_dialogs->messages().at(0);
    QCOMPARE(question.text, u"2 個の項目をごみ箱に移動しますか?"_s);
    QCOMPARE(question.title, fileops_msg::deleteTitle());
    QCOMPARE(toString(question.buttons), toString(MsgButtons::YesNo));
    QCOMPARE(readFile(path(u"a.txt"_s)), QByteArray("a"));
    QCOMPARE(readFile(path(u"b.txt"_s)), QByteArray("b"));
    QCOMPARE(m_trash->itemCount(), 0);
    QCOMPARE(m_afterCalls, 1);
}

void TstFileOperations::deleteMovesEveryItemToTrash() {
    writeFile(path(u"a.txt"_s), "a");
    writeFile(path(u"folder/inner.txt"_s), "i");
    writeFile(path(u"c.txt"_s), "c");
    m_dialogs->answerMessage(MsgResult::Yes);

    // The folder given with a trailing "/", and an item inside it listed as well.
    const int result = m_ops->ShellDeleteFiles(
        makePathList({path(u"a.txt"_s), path(u"folder/"_s), path(u"folder/inner.txt"_s)}));
    QCOMPARE(result, 0);
    QCOMPARE(message(0), u"2 個の項目をごみ箱に移動しますか?"_s);
    QCOMPARE(messageCount(), 1);
    QCOMPARE(namesIn(m_dir->path()), (QStringList{u"c.txt"_s, u"data"_s}));
    QCOMPARE(m_trash->itemCount(), 2);
    QCOMPARE(readFile(path(u"data/Trash/files/folder/inner.txt"_s)), QByteArray("i"));

    // One item: asked by name; without confirmation: not asked.
    m_dialogs->clear();
    QCOMPARE(m_ops->ShellDeleteFiles(makePathList({path(u"c.txt"_s)})), 0);
    QCOMPARE(message(0), u"「c.txt」をごみ箱に移動しますか?"_s);
    writeFile(path(u"d.txt"_s), "d");
    m_dialogs->clear();
    QCOMPARE(m_ops->ShellDeleteFiles(makePathList({path(u"d.txt"_s)}), false), 0);
    QCOMPARE(messageCount(), 0);
    QVERIFY(!QFile::exists(path(u"d.txt"_s)));
    QCOMPARE(m_trash->itemCount(), 4);
}

void TstFileOperations::deleteChecksEverythingBeforeAsking() {
    writeFile(path(u"a.txt"_s), "a");
    const QString missing = path(u"missing.txt"_s);
    const int result = m_ops->ShellDeleteFiles(makePathList({path(u"a.txt"_s), missing}));
    QCOMPARE(result, run_error::kFileNotFound);
    QCOMPARE(messageCount(), 2);
    QCOMPARE(message(0), fileops_msg::cannotTrash(missing, runErrorText(run_error::kFileNotFound)));
    QCOMPARE(toString(m_dialogs->messages().at(0).icon), toString(MsgIcon::Exclamation));
    QCOMPARE(m_dialogs->messages().at(0).title, fileops_msg::deleteTitle());
    QCOMPARE(message(1), u"ファイル削除に失敗しました。"_s);
    QCOMPARE(m_dialogs->messages().at(1).title, app_info::title());
    QCOMPARE(toString(m_dialogs->messages().at(1).buttons), toString(MsgButtons::Ok));
    QCOMPARE(readFile(path(u"a.txt"_s)), QByteArray("a"));

    const auto shm = otherFileSystem(m_dir->path());
    if (!shm) {
        QSKIP("no second file system (/dev/shm) to try a volume without a trash");
    }
    // A volume without a usable trash is said so; its file stays, and so does the other one.
    const auto noTopTrash = testTrash(path(u"data/Trash"_s), false);
    FileOperations ops(*m_dialogs, *noTopTrash, m_progress);
    const QString elsewhere = shm->filePath(u"x.txt"_s);
    writeFile(elsewhere, "x");
    m_dialogs->clear();
    QCOMPARE(ops.ShellDeleteFiles(makePathList({path(u"a.txt"_s), elsewhere})),
             shell_result::kNoUsableTrash);
    QCOMPARE(messageCount(), 2);
    QCOMPARE(message(0), fileops_msg::noUsableTrash(elsewhere));
    QCOMPARE(message(1), u"ファイル削除に失敗しました。"_s);
    QCOMPARE(readFile(elsewhere), QByteArray("x"));
    QCOMPARE(readFile(path(u"a.txt"_s)), QByteArray("a"));
}

void TstFileOperations::deleteBacksOutWhenOneItemFails() {
    // The second item holds the trash itself, so it cannot go into it; the first one comes back.
    const QString holder = path(u"holder"_s);
    const auto trash = testTrash(holder + u"/Trash");
    FileOperations ops(*m_dialogs, *trash, m_progress);
    writeFile(path(u"a.txt"_s), "a");
    writeFile(holder + u"/keep.txt", "k");

    const int result = ops.ShellDeleteFiles(makePathList({path(u"a.txt"_s), holder}), false);
    QCOMPARE(result, run_error::kPathFileAccess);
    QCOMPARE(messageCount(), 2);
    QCOMPARE(message(0), fileops_msg::cannotTrash(holder, runErrorText(result)));
    QCOMPARE(message(1), u"ファイル削除に失敗しました。"_s);
    QCOMPARE(readFile(path(u"a.txt"_s)), QByteArray("a"));
    QCOMPARE(trash->itemCount(), 0);
}

void TstFileOperations::malformedPathListsFailCleanly() {
    writeFile(path(u"a.txt"_s), "a");
    const QChar nul(u'\0');
    for (const QString& list : {QString(), QString(nul), QString(QString(nul) + nul + nul)}) {
        m_dialogs->clear();
        QCOMPARE(m_ops->ShellDeleteFiles(list), run_error::kBadFileName);
        QCOMPARE(message(0), fileops_msg::noPathsGiven());
        QCOMPARE(message(1), fileops_msg::deleteFailed());
        m_dialogs->clear();
        QCOMPARE(m_ops->ShellMoveFiles(list, m_dir->path(), true), run_error::kBadFileName);
        QCOMPARE(message(1), fileops_msg::moveFailed());
    }
    m_dialogs->clear();
    QCOMPARE(m_ops->ShellDeleteFiles(u"a.txt"_s + nul + nul), run_error::kPathFileAccess);
    QCOMPARE(message(0), fileops_msg::notFullPath(u"a.txt"_s));
    QCOMPARE(readFile(path(u"a.txt"_s)), QByteArray("a"));

    // Without its closing NULs the list still names its path; after a doubled NUL it ends.
    writeFile(path(u"b.txt"_s), "b");
    QCOMPARE(m_ops->ShellDeleteFiles(path(u"a.txt"_s), false), 0);
    QCOMPARE(m_ops->ShellDeleteFiles(QString(nul) + path(u"b.txt"_s) + nul, false),
             run_error::kBadFileName);
    QVERIFY(!QFile::exists(path(u"a.txt"_s)));
    QCOMPARE(readFile(path(u"b.txt"_s)), QByteArray("b"));
}

void TstFileOperations::moveAsksOnceUnlessToldNotTo() {
    writeFile(path(u"src/a.txt"_s), "a");
    writeFile(path(u"src/sub/b.txt"_s), "b");
    QVERIFY(QDir().mkpath(path(u"dest"_s)));
    const QString list = makePathList({path(u"src/a.txt"_s), path(u"src/sub"_s)});

    m_dialogs->answerMessage(MsgResult::No);
    QCOMPARE(m_ops->ShellMoveFiles(list, path(u"dest"_s), true), shell_result::kCancelled);
    QCOMPARE(message(0), fileops_msg::confirmMove(2, u"a.txt"_s, path(u"dest"_s)));
    QCOMPARE(message(0), QString(u"2 個の項目を「" + path(u"dest"_s) + u"」に移動しますか?"));
    QCOMPARE(m_dialogs->messages().at(0).title, fileops_msg::moveTitle());
    QCOMPARE(messageCount(), 1);
    QCOMPARE(namesIn(path(u"src"_s)), (QStringList{u"a.txt"_s, u"sub"_s}));
    QVERIFY(namesIn(path(u"dest"_s)).isEmpty());

    m_dialogs->clear();
    m_dialogs->answerMessage(MsgResult::Yes);
    QCOMPARE(m_ops->ShellMoveFiles(list, path(u"dest/"_s), true), 0);
    QCOMPARE(messageCount(), 1);
    QVERIFY(namesIn(path(u"src"_s)).isEmpty());
    QCOMPARE(readFile(path(u"dest/sub/b.txt"_s)), QByteArray("b"));

    // Without confirmation nothing is asked.
    m_dialogs->clear();
    QCOMPARE(m_ops->ShellMoveFiles(makePathList({path(u"dest/a.txt"_s)}), path(u"src"_s), false),
             0);
    QCOMPARE(messageCount(), 0);
    QCOMPARE(readFile(path(u"src/a.txt"_s)), QByteArray("a"));
    QCOMPARE(m_afterCalls, 3);
}

void TstFileOperations::moveToNewNameOrMissingFolder() {
    writeFile(path(u"a.mp3"_s), "a");
    QCOMPARE(m_ops->ShellMoveFiles(makePathList({path(u"a.mp3"_s)}), path(u"b.mp3"_s), false), 0);
    QCOMPARE(messageCount(), 0);
    QCOMPARE(readFile(path(u"b.mp3"_s)), QByteArray("a"));

    writeFile(path(u"c.txt"_s), "c");
    const QString nowhere = path(u"nowhere"_s);
    QCOMPARE(
        m_ops->ShellMoveFiles(makePathList({path(u"b.mp3"_s), path(u"c.txt"_s)}), nowhere, true),
        run_error::kPathNotFound);
    // Said before any question.
    QCOMPARE(messageCount(), 2);
    QCOMPARE(message(0), fileops_msg::destinationMissing(nowhere));
    QCOMPARE(message(1), u"ファイル移動に失敗しました。"_s);
    QVERIFY(QFile::exists(path(u"b.mp3"_s)));
}

void TstFileOperations::conflictsAreAskedInTheirWords() {
    writeFile(path(u"src/a.txt"_s), "new");
    writeFile(path(u"src/X/y.txt"_s), "new y");
    writeFile(path(u"dest/a.txt"_s), "old");
    writeFile(path(u"dest/X/y.txt"_s), "old y");
    const QString dest = path(u"dest"_s);
    const QString list = makePathList({path(u"src/a.txt"_s), path(u"src/X"_s)});

    // Cancel at the last question: nothing moves, and nothing more is said.
    m_dialogs->answerMessage(MsgResult::Yes);  // replace a.txt
    m_dialogs->answerMessage(MsgResult::Yes);  // merge X
    m_dialogs->answerMessage(MsgResult::Cancel);
    QCOMPARE(m_ops->ShellMoveFiles(list, dest, false), shell_result::kCancelled);
    QCOMPARE(messageCount(), 3);
    const ScriptedDialogs::Call replace = m_dialogs->messages().at(0);
    QCOMPARE(replace.text, fileops_msg::replaceFile(u"a.txt"_s, dest));
    QCOMPARE(replace.title, fileops_msg::moveTitle());
    QCOMPARE(toString(replace.icon), toString(MsgIcon::Exclamation));
    QCOMPARE(toString(replace.buttons), toString(MsgButtons::YesNoCancel));
    QCOMPARE(message(1), fileops_msg::mergeFolder(u"X"_s, dest));
    QCOMPARE(message(2), fileops_msg::replaceFile(u"y.txt"_s, path(u"dest/X"_s)));
    QCOMPARE(readFile(path(u"dest/a.txt"_s)), QByteArray("old"));
    QCOMPARE(readFile(path(u"src/a.txt"_s)), QByteArray("new"));

    // Yes to everything: replaced and merged.
    m_dialogs->clear();
    for (int i = 0; i < 3; ++i) {
        m_dialogs->answerMessage(MsgResult::Yes);
    }
    QCOMPARE(m_ops->ShellMoveFiles(list, dest, false), 0);
    QCOMPARE(messageCount(), 3);
    QCOMPARE(readFile(path(u"dest/a.txt"_s)), QByteArray("new"));
    QCOMPARE(readFile(path(u"dest/X/y.txt"_s)), QByteArray("new y"));
    QCOMPARE(namesIn(dest), (QStringList{u"X"_s, u"a.txt"_s}));
    QVERIFY(namesIn(path(u"src"_s)).isEmpty());
}

void TstFileOperations::impossibleMovesAreExplained() {
    writeFile(path(u"f/sub/a.txt"_s), "a");
    QCOMPARE(m_ops->ShellMoveFiles(makePathList({path(u"f"_s)}), path(u"f/sub"_s), false),
             run_error::kPathFileAccess);
    QCOMPARE(message(0), fileops_msg::moveIntoItself(path(u"f"_s)));
    QCOMPARE(message(1), fileops_msg::moveFailed());

    writeFile(path(u"g/sub"_s), "file named sub");
    m_dialogs->clear();
    QCOMPARE(m_ops->ShellMoveFiles(makePathList({path(u"g/sub"_s)}), path(u"f"_s), false),
             run_error::kFileAlreadyExists);
    QCOMPARE(message(0), fileops_msg::kindConflict(path(u"f/sub"_s)));

    m_dialogs->clear();
    const QString missing = path(u"missing"_s);
    QCOMPARE(m_ops->ShellMoveFiles(makePathList({missing}), path(u"f"_s), false),
             run_error::kFileNotFound);
    QCOMPARE(message(0), fileops_msg::cannotMove(missing, runErrorText(run_error::kFileNotFound)));
    QCOMPARE(message(0),
             QString(u"「" + missing + u"」を移動できません。\rファイルが見つかりません。"));
    QCOMPARE(m_dialogs->messages().at(0).title, fileops_msg::moveTitle());
    QCOMPARE(readFile(path(u"g/sub"_s)), QByteArray("file named sub"));
}

void TstFileOperations::moveAcrossFileSystemsShowsProgress() {
    const auto shm = otherFileSystem(m_dir->path());
    if (!shm) {
        QSKIP("/dev/shm and the temporary folder are not different file systems here");
    }
    const QByteArray data = randomBytes(3 * 1024 * 1024);
    writeFile(shm->filePath(u"big.bin"_s), data);
    writeFile(shm->filePath(u"large.bin"_s), data);
    QVERIFY(QDir().mkpath(path(u"dest"_s)));

    QCOMPARE(
        m_ops->ShellMoveFiles(makePathList({shm->filePath(u"big.bin"_s)}), path(u"dest"_s), false),
        0);
    QCOMPARE(messageCount(), 0);
    QCOMPARE(m_progress.title, fileops_msg::moveTitle());
    QCOMPARE(m_progress.lastLabel, u"「big.bin」を移動しています..."_s);
    QCOMPARE(readFile(path(u"dest/big.bin"_s)), data);

    // Stopped at the progress: a cancel, which says nothing.
    StoppingProgress stopping(1);
    FileOperations ops(*m_dialogs, *m_trash, stopping);
    QCOMPARE(
        ops.ShellMoveFiles(makePathList({shm->filePath(u"large.bin"_s)}), path(u"dest"_s), false),
        shell_result::kCancelled);
    QCOMPARE(messageCount(), 0);
    QCOMPARE(stopping.lastLabel, fileops_msg::progressLabel(u"large.bin"_s));
    QCOMPARE(readFile(shm->filePath(u"large.bin"_s)), data);
    QCOMPARE(namesIn(path(u"dest"_s)), QStringList{u"big.bin"_s});
}

void TstFileOperations::renameNeverReplaces() {
    writeFile(path(u"a.txt"_s), "a");
    writeFile(path(u"b.txt"_s), "b");
    QCOMPARE(m_ops->ShellRenameFile(path(u"a.txt"_s), path(u"b.txt"_s)),
             run_error::kFileAlreadyExists);
    QCOMPARE(messageCount(), 2);
    QCOMPARE(message(0),
             fileops_msg::cannotRename(path(u"a.txt"_s), fileops_msg::nameTaken(path(u"b.txt"_s))));
    QCOMPARE(m_dialogs->messages().at(0).title, fileops_msg::renameItemTitle());
    QCOMPARE(message(1), u"ファイル名の変更に失敗しました。"_s);
    QCOMPARE(readFile(path(u"a.txt"_s)), QByteArray("a"));
    QCOMPARE(readFile(path(u"b.txt"_s)), QByteArray("b"));

    m_dialogs->clear();
    QCOMPARE(m_ops->ShellRenameFile(path(u"a.txt"_s), path(u"c.txt"_s)), 0);
    QCOMPARE(messageCount(), 0);
    QCOMPARE(readFile(path(u"c.txt"_s)), QByteArray("a"));

    QCOMPARE(m_ops->ShellRenameFile(path(u"a.txt"_s), path(u"d.txt"_s)), run_error::kFileNotFound);
    QCOMPARE(message(0),
             fileops_msg::cannotRename(path(u"a.txt"_s), runErrorText(run_error::kFileNotFound)));
    QCOMPARE(message(1), fileops_msg::renameFailed());
}

void TstFileOperations::operationsRecordWhatTheyChanged() {
    UndoHistory history(*m_dialogs, *m_trash, m_progress);
    m_ops->setUndoHistory(&history);
    writeFile(path(u"a.txt"_s), "a");
    writeFile(path(u"b.txt"_s), "b");
    QVERIFY(QDir().mkpath(path(u"dest"_s)));

    // What failed, was declined or changed nothing is not recorded.
    m_dialogs->answerMessage(MsgResult::No);
    m_ops->ShellDeleteFiles(makePathList({path(u"a.txt"_s)}));
    m_ops->ShellDeleteFiles(makePathList({path(u"missing"_s)}), false);
    m_ops->ShellRenameFile(path(u"a.txt"_s), path(u"b.txt"_s));
    m_ops->ShellRenameFile(path(u"a.txt"_s), path(u"a.txt"_s));
    m_ops->ShellMoveFiles(makePathList({path(u"a.txt"_s)}), m_dir->path(), false);
    QVERIFY(!history.canUndo());

    // Each operation is a step of its own, named after it, unless a command holds a step open.
    QCOMPARE(m_ops->ShellRenameFile(path(u"a.txt"_s), path(u"c.txt"_s)), 0);
    QCOMPARE(history.undoDescription(), fileops_msg::renameStep());
    QCOMPARE(m_ops->ShellMoveFiles(makePathList({path(u"c.txt"_s)}), path(u"dest"_s), false), 0);
    QCOMPARE(history.undoDescription(), fileops_msg::moveStep());
    QCOMPARE(m_ops->ShellDeleteFiles(makePathList({path(u"dest/c.txt"_s)}), false), 0);
    QCOMPARE(history.undoDescription(), fileops_msg::deleteStep());
    history.beginStep(u"command"_s);
    QCOMPARE(m_ops->ShellDeleteFiles(makePathList({path(u"b.txt"_s)}), false), 0);
    history.endStep();
    QCOMPARE(history.undoDescription(), u"command"_s);

    // Undone in turn, everything is back where it began.
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(history.undo().code, 0);
    }
    QVERIFY(!history.canUndo());
    QCOMPARE(namesIn(m_dir->path()), (QStringList{u"a.txt"_s, u"b.txt"_s, u"data"_s, u"dest"_s}));
    QCOMPARE(m_trash->itemCount(), 0);
}

QTEST_GUILESS_MAIN(TstFileOperations)
#include "tst_file_operations.moc"
