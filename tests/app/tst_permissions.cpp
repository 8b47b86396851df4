// What an ordinary user meets where the system says "permission denied": folders that cannot be
// read or written, a settings file that cannot be saved, archives and media that cannot be read,
// volumes whose top is not the user's. Each case runs as an unprivileged account (tests/
// unprivileged.h) through the real window or the real program, and checks the program's own
// message and that nothing was lost.
#include <sys/stat.h>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidgetItem>

#include "app/status_bar1.h"
#include "app/toolbar1.h"
#include "archive/archive_codes.h"
#include "archive/lha_zip.h"
#include "browser/folder_tree.h"
#include "browser/location_box.h"
#include "browser/messages.h"
#include "browser/navigation.h"
#include "fileops/ext_change_dialog.h"
#include "fileops/messages.h"
#include "fileops/operation_messages.h"
#include "platform/error_box.h"
#include "platform/run_error.h"
#include "player/messages.h"
#include "test_files.h"
#include "test_list_rows.h"
#include "test_media_window.h"
#include "unprivileged.h"

using namespace Qt::StringLiterals;

namespace {

QString media(const QString& name) {
    return unprivileged::runTimePath(u"QUORVANE_PLAYER_MEDIA"_s) + u'/' + name;
}

void setMode(const QString& path, mode_t mode) {
    QCOMPARE(::chmod(QFile::encodeName(path).constData(), mode), 0);
}

QString permissionDenied() {
    return runErrorText(run_error::kPermissionDenied);
}

// The error box's text for permission denied, as the dialog log writes it.
QString deniedLogLine() {
    return u"message\tcritical\tok\t"_s + errorBoxTitle() + u'\t' +
           errorBoxText(run_error::kPermissionDenied).replace(u'\r', u"\\r"_s);
}

// A window showing folder with folders listed, as the user set it up.
struct Window : MediaWindow {
    Window(const QString& ini, const QString& folder)
        : MediaWindow(ini, folder, "*.*", {}, {}, "[FileView]\nFolderDsp=1\n") {}
    QStringList names() { return rowNames(list()); }
    FolderTree& tree() { return parts.tree(); }
    void selectNode(const QString& key) {
        tree().SelectNode(tree().Node(key));
        tree().NodeClick(tree().Node(key));
    }
    void treeKey(Qt::Key k) { QTest::keyClick(parts.TreeView1(), k); }
    // The messages told since the last call.
    QStringList told() {
        QStringList texts;
        for (const auto& call : dialogs.messages()) {
            texts << call.text;
        }
        dialogs.clear();
        return texts;
    }
};

}  // namespace

class TestPermissions : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        // What the cases read besides the test binary: copied for the account when a folder
        // above the build is closed to others.
        unprivileged::setRunTimeNeeds(
            {{u"QUORVANE_BIN"_s, QStringLiteral(QUORVANE_BIN)},
             {u"QUORVANE_PLAYER_MEDIA"_s, QStringLiteral(QUORVANE_PLAYER_MEDIA)}});
    }
    void init() {
        if (::geteuid() == 0) {
            return;  // each case runs as the account
        }
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_root = m_dir->filePath(u"root"_s);
        m_ini = m_dir->filePath(u"quorvane.ini"_s);
        QVERIFY(QDir().mkpath(m_root));
        // The trash and settings of this run, not the user's own.
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_dir->filePath(u"data"_s)));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir->filePath(u"config"_s)));
    }
    void cleanup() {
        if (m_dir) {
            // Folders the user made unreadable must open again to be removed.
            QProcess::execute(u"chmod"_s, {u"-R"_s, u"u+rwx"_s, m_dir->path()});
        }
        m_dir.reset();
    }

    void startFolderAndSettingsFileThroughTheProgram();
    void unreadableFoldersInTheTreeTheListAndTheLocationBox();
    void fileAndFolderCommandsInAFolderThatCannotBeWritten();
    void anUnreadableFileMovedToAnotherFileSystem();
    void noTrashWhereTheUserCannotMakeOne();
    void extractionWithoutRights();
    void aMediaFileThatCannotBeRead();

private:
    // Starts the program, lets it show its start folder, ends it as the desktop does; told: the
    // boxes it showed.
    void runProgram(const QString& program, QStringList& told);
    QString path(const QString& name) const { return m_root + u'/' + name; }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_root;
    QString m_ini;
};

void TestPermissions::runProgram(const QString& program, QStringList& told) {
    const QString runtime = m_dir->filePath(u"run"_s);
    QVERIFY(QDir().mkpath(runtime));
    setMode(runtime, 0700);
    const QString log = m_dir->filePath(u"dialogs.log"_s);
    QFile::remove(log);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"QUORVANE_DIALOG_LOG"_s, log);
    env.insert(u"XDG_RUNTIME_DIR"_s, runtime);
    // The play history lives in the user's state folder, which the user may write.
    const QString state = m_dir->filePath(u"state"_s);
    QVERIFY(QDir().mkpath(state));
    setMode(state, 0777);
    env.insert(u"XDG_STATE_HOME"_s, state);
    QProcess process;
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(m_dir->path());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(program, QStringList());
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(runtime + u"/quorvane.lock"), 20000);
    QTest::qWait(1500);
    process.terminate();
    QVERIFY(process.waitForFinished(20000));
    told = QString::fromUtf8(readFile(log)).split(u'\n', Qt::SkipEmptyParts);
}

// The real program, started as the user from a folder the user may not write: its settings live
// in the XDG folder. A start folder that cannot be read is permission denied; a settings file that
// cannot be written is told once, at the end, and kept as it was.
void TestPermissions::startFolderAndSettingsFileThroughTheProgram() {
    RUN_AS_ORDINARY_USER();
    const QString bin = m_dir->filePath(u"bin"_s);
    QVERIFY(QDir().mkpath(bin));
    QVERIFY(QFile::copy(unprivileged::runTimePath(u"QUORVANE_BIN"_s), bin + u"/quorvane"));
    setMode(bin + u"/quorvane", 0755);
    setMode(bin, 0555);
    const QString ini = m_dir->filePath(u"config/quorvane/quorvane.ini"_s);
    QStringList told;
    const QString locked = path(u"locked"_s);
    QVERIFY(QDir().mkpath(locked + u"/inner"));
    setMode(locked, 0);
    writeFile(ini, "[Boot]\nSearchPath=1\n[FilePath]\nPath=" + QFile::encodeName(locked) + "\n");
    runProgram(bin + u"/quorvane", told);
    QCOMPARE(told, (QStringList{deniedLogLine(), u"beep\tnone\tok\t\t"_s}));
    QVERIFY(!QFile::exists(bin + u"/quorvane.ini"));
    const QByteArray saved = readFile(ini);
    QVERIFY2(saved.contains("[FormPos]"), saved.constData());

    // Settings the user may read but not write: they are used, and not saved, with one word.
    QVERIFY(QFile::remove(ini));
    writeFile(ini, "[Boot]\nSearchPath=1\n[FilePath]\nPath=" + QFile::encodeName(m_root) + "\n");
    const QByteArray fixed = readFile(ini);
    setMode(ini, 0444);
    runProgram(bin + u"/quorvane", told);
    QCOMPARE(told, (QStringList{deniedLogLine(), u"beep\tnone\tok\t\t"_s}));
    QCOMPARE(readFile(ini), fixed);
}

// A folder that cannot be read shows no children and no rows, and says why when it is opened;
// a volume whose top cannot be read is not gone to.
void TestPermissions::unreadableFoldersInTheTreeTheListAndTheLocationBox() {
    RUN_AS_ORDINARY_USER();
    writeFile(path(u"locked/inner/deep.txt"_s), "deep");
    writeFile(path(u"open/later/x/y/deep.txt"_s), "y");
    writeFile(path(u"open/a.txt"_s), "a");
    // Without read and write rights alike it would count as read-only, and not be shown.
    setMode(path(u"locked"_s), 0300);
    Window w(m_ini, m_root);
    const QStringList denied = {errorBoxText(run_error::kPermissionDenied)};
    FolderTree& tree = w.tree();
    QCOMPARE(w.told(), QStringList());
    // Seen from its parent only: a node without children; opened, it lists nothing and says why.
    auto refusedWhenOpened = [&](const QString& key) {
        QVERIFY(tree.Node(key) != nullptr);
        QCOMPARE(tree.Node(key)->childCount(), 0);
        w.selectNode(key);
        QCOMPARE(w.told(), denied);
        QCOMPARE(w.list().rowCount(), 0);
        QCOMPARE(w.parts.statusBar1()->panelText(StatusBar1::FilesPanel),
                 browser_msg::listStatus(0, 0));
    };
    refusedWhenOpened(path(u"locked"_s));
    // A folder that could be read when the tree was filled, and not when its parent opens.
    tree.Node(path(u"open"_s))->setExpanded(true);
    setMode(path(u"open/later/x"_s), 0300);
    tree.Node(path(u"open/later"_s))->setExpanded(true);
    QCOMPARE(w.told(), QStringList());
    refusedWhenOpened(path(u"open/later/x"_s));
    // Another folder lists as ever.
    w.selectNode(path(u"open"_s));
    QCOMPARE(w.names(), QStringList{u"a.txt"_s});
    QCOMPARE(w.told(), QStringList());
    setMode(path(u"locked"_s), 0755);
    QCOMPARE(readFile(path(u"locked/inner/deep.txt"_s)), QByteArray("deep"));

    QString whyNot;
    const QString volumes = unprivileged::testVolumes(whyNot);
    if (volumes.isEmpty()) {
        QSKIP(qPrintable(u"the location box on an unreadable volume: "_s + whyNot));
    }
    const QString rootBefore = tree.RootKey();
    w.parts.navigation().ImageCombo1_Click(volumes + u"/locked");
    QCOMPARE(w.told(), denied);
    QCOMPARE(tree.RootKey(), rootBefore);
    QCOMPARE(w.list().ListedFolder(), path(u"open"_s));
}

// In a folder the user may read but not write, every command is refused with the reason and
// leaves the files, the rows and the nodes as they were.
void TestPermissions::fileAndFolderCommandsInAFolderThatCannotBeWritten() {
    RUN_AS_ORDINARY_USER();
    const QString ro = path(u"ro"_s);
    writeFile(ro + u"/a.jpeg", "a");
    writeFile(ro + u"/b.txt", "b");
    writeFile(ro + u"/sub/in.txt", "in");
    QVERIFY(QDir().mkpath(path(u"dest"_s)));
    setMode(ro, 0555);
    Window w(m_ini, ro);
    const QStringList names = {u"a.jpeg"_s, u"b.txt"_s};
    QCOMPARE(w.names(), names);
    auto unchanged = [&] {
        QCOMPARE(w.names(), names);
        QCOMPARE(readFile(ro + u"/a.jpeg"), QByteArray("a"));
        QCOMPARE(readFile(ro + u"/b.txt"), QByteArray("b"));
        QCOMPARE(readFile(ro + u"/sub/in.txt"), QByteArray("in"));
        QVERIFY(w.tree().Node(ro + u"/sub") != nullptr);
        QVERIFY(QDir(path(u"dest"_s)).isEmpty());
    };
    const QString denied = permissionDenied();

    selectNames(w.list(), {u"b.txt"_s});
    w.dialogs.answerMessage(MsgResult::Yes);
    w.parts.menus().DelFile->trigger();
    QCOMPARE(w.told().mid(1), (QStringList{fileops_msg::cannotTrash(ro + u"/b.txt", denied),
                                           fileops_msg::deleteFailed()}));
    unchanged();

    selectNames(w.list(), {u"b.txt"_s});
    w.dialogs.answerFolder(path(u"dest"_s));
    w.dialogs.answerMessage(MsgResult::Yes);
    w.parts.menus().MoveFile->trigger();
    QCOMPARE(w.told().mid(1), (QStringList{fileops_msg::cannotMove(ro + u"/b.txt", denied),
                                           fileops_msg::moveFailed()}));
    unchanged();

    selectNames(w.list(), {u"b.txt"_s});
    w.dialogs.answerInput(u"c"_s);
    w.parts.menus().ReFileNameFile->trigger();
    // A rename is a move to the new name, and is told as one.
    QCOMPARE(w.told(), (QStringList{fileops_msg::cannotMove(ro + u"/b.txt", denied),
                                    fileops_msg::moveFailed()}));
    unchanged();

    selectNames(w.list(), {u"a.jpeg"_s});
    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<ExtChangeDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        dialog->Option1(0)->setChecked(true);
        dialog->Command2(0)->click();
        QVERIFY(dialog->isVisible());  // it stays open after a failure
        dialog->reject();
    });
    w.parts.menus().ReNameFile->trigger();
    QCOMPARE(w.told(), QStringList{errorBoxText(run_error::kPermissionDenied)});
    unchanged();

    // The tree's commands on the folder and in it.
    w.told();
    w.dialogs.answerInput(u"New"_s);
    w.parts.menus().MnuMakeFolder->trigger();
    QCOMPARE(w.told(), QStringList{errorBoxText(run_error::kPermissionDenied)});
    QVERIFY(w.tree().Node(ro + u"/New") == nullptr);
    unchanged();

    w.selectNode(ro + u"/sub");
    w.dialogs.answerInput(u"z"_s);
    w.treeKey(Qt::Key_R);
    QCOMPARE(w.told(), (QStringList{fileops_msg::cannotRename(ro + u"/sub", denied),
                                    fileops_msg::renameFailed()}));
    w.dialogs.answerFolder(path(u"dest"_s));
    w.dialogs.answerMessage(MsgResult::Yes);
    w.treeKey(Qt::Key_M);
    QCOMPARE(w.told().mid(1), (QStringList{fileops_msg::cannotMove(ro + u"/sub", denied),
                                           fileops_msg::moveFailed()}));
    w.dialogs.answerMessage(MsgResult::Yes);
    w.treeKey(Qt::Key_Delete);
    QCOMPARE(w.told().mid(1), (QStringList{fileops_msg::cannotTrash(ro + u"/sub", denied),
                                           fileops_msg::deleteFailed()}));
    w.selectNode(ro);
    unchanged();
}

// Moved across file systems, a file that cannot be read is not copied and stays where it was.
void TestPermissions::anUnreadableFileMovedToAnotherFileSystem() {
    RUN_AS_ORDINARY_USER();
    struct stat shm {};
    struct stat here {};
    if (::stat("/dev/shm", &shm) != 0 ||
        ::stat(QFile::encodeName(m_root).constData(), &here) != 0 || shm.st_dev == here.st_dev) {
        QSKIP(qPrintable(u"no second file system: /dev/shm is missing or on the file system of "_s +
                         m_root));
    }
    QTemporaryDir other(u"/dev/shm/quorvane-test-XXXXXX"_s);
    QVERIFY(other.isValid());
    writeFile(other.filePath(u"secret.txt"_s), "secret");
    writeFile(other.filePath(u"free.txt"_s), "free");
    setMode(other.filePath(u"secret.txt"_s), 0200);
    const QString dest = path(u"dest"_s);
    QVERIFY(QDir().mkpath(dest));
    Window w(m_ini, other.path());
    selectNames(w.list(), {u"secret.txt"_s, u"free.txt"_s});
    w.dialogs.answerFolder(dest);
    w.dialogs.answerMessage(MsgResult::Yes);
    w.parts.menus().MoveFile->trigger();
    QCOMPARE(
        w.told().mid(1),
        (QStringList{fileops_msg::cannotMove(other.filePath(u"secret.txt"_s), permissionDenied()),
                     fileops_msg::moveFailed()}));
    setMode(other.filePath(u"secret.txt"_s), 0600);
    QCOMPARE(readFile(other.filePath(u"secret.txt"_s)), QByteArray("secret"));
    QVERIFY(!QFile::exists(dest + u"/secret.txt"));
    QVERIFY(w.names().contains(u"secret.txt"_s));
    QCOMPARE(w.names().contains(u"free.txt"_s), QFile::exists(other.filePath(u"free.txt"_s)));
}

// On a volume whose top the user may not write there is no trash of the user's: the item is
// not deleted, and the home trash (on another file system) is not used.
void TestPermissions::noTrashWhereTheUserCannotMakeOne() {
    RUN_AS_ORDINARY_USER();
    QString whyNot;
    const QString volumes = unprivileged::testVolumes(whyNot);
    if (volumes.isEmpty()) {
        QSKIP(qPrintable(whyNot));
    }
    const QString work = volumes + u"/shared/work";
    writeFile(work + u"/keep.txt", "keep");
    Window w(m_ini, work);
    selectNames(w.list(), {u"keep.txt"_s});
    w.dialogs.answerMessage(MsgResult::Yes);
    w.key(Qt::Key_Delete);
    QCOMPARE(w.told(), (QStringList{fileops_msg::noUsableTrash(work + u"/keep.txt"),
                                    fileops_msg::deleteFailed()}));
    QCOMPARE(readFile(work + u"/keep.txt"), QByteArray("keep"));
    QCOMPARE(w.names(), QStringList{u"keep.txt"_s});
    QVERIFY(!QFile::exists(m_dir->filePath(u"data/Trash/files/keep.txt"_s)));
    QVERIFY(QDir(volumes + u"/shared")
                .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot) ==
            QStringList{u"work"_s});
}

// Archives that cannot be read, or not written out where they lie, are told and kept.
void TestPermissions::extractionWithoutRights() {
    RUN_AS_ORDINARY_USER();
    writeFile(m_dir->filePath(u"source/inside.txt"_s), "inside");
    QVERIFY(QDir().mkpath(path(u"ro"_s)));
    QVERIFY(QDir().mkpath(path(u"rw"_s)));
    QProcess zip;
    zip.setWorkingDirectory(m_dir->filePath(u"source"_s));
    zip.start(u"zip"_s, {u"-q"_s, path(u"ro/a.zip"_s), u"inside.txt"_s});
    QVERIFY(zip.waitForFinished(30000) && zip.exitCode() == 0);
    QVERIFY(QFile::copy(path(u"ro/a.zip"_s), path(u"rw/b.zip"_s)));
    setMode(path(u"ro"_s), 0555);
    setMode(path(u"rw/b.zip"_s), 0200);

    Window w(m_ini, path(u"ro"_s));
    w.parts.toolbar()->button(7)->trigger();
    w.dialogs.answerMessage(MsgResult::Ok);
    w.parts.toolbar()->button(9)->trigger();
    // The folder the extraction first makes in the destination cannot be made.
    QCOMPARE(w.told().mid(1), QStringList{LhaZip::ZipErrorText(archive_code::kCannotMakeFolder)});
    QVERIFY(!QFile::exists(path(u"ro/inside.txt"_s)));
    QCOMPARE(w.names(), QStringList{u"a.zip"_s});

    w.parts.navigation().GoToPath(path(u"rw"_s), true);
    w.dialogs.answerMessage(MsgResult::Ok);
    w.parts.toolbar()->button(9)->trigger();
    // A good archive the user may not read is one that cannot be opened, not a damaged one.
    QCOMPARE(w.told().mid(1), QStringList{LhaZip::ZipErrorText(archive_code::kCannotOpenArchive)});
    QVERIFY(!QFile::exists(path(u"rw/inside.txt"_s)));
    QCOMPARE(w.names(), QStringList{u"b.zip"_s});
}

// A file the user may not read gets the player's error, and the list goes on to the next.
void TestPermissions::aMediaFileThatCannotBeRead() {
    RUN_AS_ORDINARY_USER();
    QVERIFY(QFile::copy(media(u"tone.wav"_s), path(u"a.wav"_s)));
    QVERIFY(QFile::copy(media(u"tone.wav"_s), path(u"b.wav"_s)));
    setMode(path(u"a.wav"_s), 0200);
    MediaWindow w(m_ini, m_root);
    w.doubleClick(u"a.wav"_s);
    QTRY_VERIFY_WITH_TIMEOUT(!w.dialogs.messages().isEmpty(), 10000);
    QCOMPARE(w.dialogs.messages().first().title, player_msg::playerErrorTitle());
    QCOMPARE(w.dialogs.messages().first().text,
             player_msg::mediaPlayerError(-13, player_msg::engineLoadingFailed(), 440,
                                          runErrorText(440)));
    w.doubleClick(u"b.wav"_s);
    QTRY_COMPARE_WITH_TIMEOUT(w.playState(), 1, 10000);  // playing
    QCOMPARE(w.dialogs.messages().size(), 1);
    setMode(path(u"a.wav"_s), 0600);
    QCOMPARE(readFile(path(u"a.wav"_s)), readFile(media(u"tone.wav"_s)));
}

QTEST_MAIN(TestPermissions)
#include "tst_permissions.moc"
