// The file and folder commands as a user meets them in the main window: from the list's and the
// tree's menus, from their keys and from drops, answered through scripted dialogs, with real files
// and the real trash in a temporary folder; the rows, nodes and status bar are checked after each.
#include <sys/stat.h>
#include <unistd.h>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidgetItem>
#include <cstdio>
#include <filesystem>

#include "app/form1_parts.h"
#include "app/status_bar1.h"
#include "app/toolbar1.h"
#include "browser/drop_data.h"
#include "browser/file_list.h"
#include "browser/file_list_view.h"
#include "browser/folder_tree.h"
#include "browser/navigation.h"
#include "browser/tree_view1.h"
#include "fileops/ext_change_dialog.h"
#include "fileops/file_commands.h"
#include "fileops/messages.h"
#include "fileops/path_moves.h"
#include "platform/file_name_codec.h"
#include "platform/scripted_dialogs.h"
#include "test_list_rows.h"
#include "test_player_setup.h"

using namespace Qt::StringLiterals;

namespace {

// Paths go to the disk with their bytes (names that are not UTF-8 included).
void writeFile(const QString& path, const QByteArray& data = "x") {
    QDir().mkpath(QFileInfo(path).path());
    FILE* file = std::fopen(encodeFileName(path).constData(), "wb");
    QVERIFY(file != nullptr);
    std::fwrite(data.constData(), 1, static_cast<size_t>(data.size()), file);
    std::fclose(file);
}

QByteArray readFile(const QString& path) {
    FILE* file = std::fopen(encodeFileName(path).constData(), "rb");
    if (file == nullptr) {
        return {};
    }
    QByteArray data;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) {
        data.append(buffer, static_cast<qsizetype>(n));
    }
    std::fclose(file);
    return data;
}

bool exists(const QString& path) {
    struct stat st {};
    return ::lstat(encodeFileName(path).constData(), &st) == 0;
}

// Drags data over a view's viewport to pos and drops it there, as a drag does.
void dropAt(QWidget* viewport, const QPoint& pos, QMimeData* data) {
    const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
    QDragEnterEvent enter(pos, actions, data, Qt::LeftButton, {});
    QApplication::sendEvent(viewport, &enter);
    QDragMoveEvent move(pos, actions, data, Qt::LeftButton, {});
    QApplication::sendEvent(viewport, &move);
    QDropEvent drop(QPointF(pos), actions, data, Qt::LeftButton, {});
    QApplication::sendEvent(viewport, &drop);
    QCoreApplication::processEvents();  // the drop is carried out after the drag let go
    delete data;
}

// A window started on a settings file that shows folder, loaded and shown as the program does.
struct Window {
    Window(const QString& ini, const QString& folder)
        : form(state, dialogs, ini, testPlayerSetup()) {
        QFile file(ini);
        if (file.open(QIODevice::WriteOnly)) {
            file.write("[Boot]\nSearchPath=1\n[FilePath]\nPath=" + encodeFileName(folder) +
                       "\n[ListFile]\nDspFile=*.txt;*.jpeg;*.JPG;*.mp3\n[FileView]\nFolderDsp=1\n");
        }
        file.close();
        patientWindow(parts);
        form.Form_Load();
        form.showAsLoaded();
        form.openStartFolder();
    }

    FileList& list() { return parts.list(); }
    FolderTree& tree() { return parts.tree(); }
    TreeView1& treeView() { return *static_cast<TreeView1*>(parts.TreeView1()); }
    QStringList names() { return rowNames(list()); }
    QString selectedName() {
        const int r = list().selectedRow();
        return r < 0 ? QString() : list().model().row(r).text;
    }
    void select(const QStringList& names) { selectNames(list(), names); }
    void listKey(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        QTest::keyClick(parts.ListView1(), key, modifiers);
    }
    void treeKey(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        QTest::keyClick(parts.TreeView1(), key, modifiers);
    }
    void selectNode(const QString& key) {
        tree().SelectNode(tree().Node(key));
        tree().NodeClick(tree().Node(key));
    }
    QString panel(int index) { return parts.statusBar1()->panelText(index); }
    // Drags data over the tree to the node of key and drops it there, as a drag does.
    void dropOnNode(const QString& key, QMimeData* data) {
        QWidget* viewport = treeView().viewport();
        // Away from the edges, where a drag scrolls the tree.
        treeView().scrollToItem(tree().Node(key), QAbstractItemView::PositionAtCenter);
        dropAt(viewport, treeView().visualItemRect(tree().Node(key)).center(), data);
    }

    Module1 state;
    ScriptedDialogs dialogs;
    Form1 form;
    Form1Parts parts{form};
};

// Runs action with the modal window that is about to open, once it is open.
void onModal(const std::function<void(QWidget*)>& action) {
    QTimer::singleShot(0, [action] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal != nullptr) {
            action(modal);
        }
    });
}

}  // namespace

class TestFileCommands : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY(m_home.isValid());
        // The trash of the files made here, on their own file system.
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_home.filePath(u"data"_s)));
    }
    void init() {
        m_dir = std::make_unique<QTemporaryDir>(m_home.filePath(u"work-XXXXXX"_s));
        QVERIFY(m_dir->isValid());
        m_root = m_dir->filePath(u"root"_s);
        m_ini = m_dir->filePath(u"quorvane.ini"_s);
        QVERIFY(QDir().mkpath(m_root));
    }

    // QTemporaryDir cannot remove names that are not UTF-8: the folders go by their bytes.
    void cleanup() {
        std::error_code ignored;
        std::filesystem::remove_all(encodeFileName(m_dir->path()).toStdString(), ignored);
    }
    void cleanupTestCase() {
        std::error_code ignored;
        std::filesystem::remove_all(encodeFileName(m_home.path()).toStdString(), ignored);
    }

    void deleteAsksOnceKeepsTheSelectionPlaceAndUndoes();
    void renameKeepsExtensionsAndRefusesBadNames();
    void extensionDialogChangesAllOrStaysOpen();
    void moveAndFolderRowsRefreshTheList();
    void treeCommandsKeepNodesInStep();
    void dropsOnTheTreeMoveAndOutsideDropsNavigate();
    void renamesMovesAndUndoTellWhereItemsWent();
    void emptyListMenuAndTheWiring();

private:
    QString path(const QString& relative) const { return m_root + u'/' + relative; }
    // What the spy heard since the last call, as "from>to" below the root, in order.
    QStringList told(QSignalSpy& spy) const {
        QStringList moves;
        for (const QList<QVariant>& args : spy) {
            moves << args.at(0).toString().mid(m_root.size() + 1) + u'>' +
                         args.at(1).toString().mid(m_root.size() + 1);
        }
        spy.clear();
        return moves;
    }
    QString trashed(const QString& name) const {
        return m_home.filePath(u"data/Trash/files/"_s + name);
    }

    QTemporaryDir m_home;
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_root;
    QString m_ini;
};

void TestFileCommands::deleteAsksOnceKeepsTheSelectionPlaceAndUndoes() {
    for (const char* name : {"a.txt", "b.txt", "c.txt", "d.txt", "e.txt"}) {
        writeFile(path(QString::fromLatin1(name)), name);
    }
    struct stat before {};
    QVERIFY(::stat(QFile::encodeName(path(u"b.txt"_s)).constData(), &before) == 0);
    Window w(m_ini, m_root);
    QCOMPARE(w.panel(StatusBar1::FilesPanel), u"5個のﾌｧｲﾙ(0個のﾌｫﾙﾀﾞ)"_s);

    // Declined: every row and file stays.
    w.select({u"b.txt"_s, u"c.txt"_s});
    w.dialogs.answerMessage(MsgResult::No);
    w.parts.menus().DelFile->trigger();
    QCOMPARE(w.dialogs.messages().size(), 1);
    QCOMPARE(w.list().rowCount(), 5);
    QVERIFY(exists(path(u"b.txt"_s)));

    // One question for both; the row after the last deleted one is selected.
    w.select({u"b.txt"_s, u"c.txt"_s});
    w.dialogs.answerMessage(MsgResult::Yes);
    w.listKey(Qt::Key_Delete);
    QCOMPARE(w.names(), (QStringList{u"a.txt"_s, u"d.txt"_s, u"e.txt"_s}));
    // The row now at the last deleted row's place (the third) is selected.
    QCOMPARE(w.selectedName(), u"e.txt"_s);
    QCOMPARE(w.list().selectedRows().size(), 1);
    QCOMPARE(readFile(trashed(u"c.txt"_s)), QByteArray("c.txt"));
    QCOMPARE(w.panel(StatusBar1::FilesPanel), u"3個のﾌｧｲﾙ(0個のﾌｫﾙﾀﾞ)"_s);

    // The last row deleted: the new last row is selected.
    w.select({u"e.txt"_s});
    w.dialogs.answerMessage(MsgResult::Yes);
    w.listKey(Qt::Key_Delete);
    QCOMPARE(w.selectedName(), u"d.txt"_s);
    QCOMPARE(w.panel(StatusBar1::FilesPanel), u"2個のﾌｧｲﾙ(0個のﾌｫﾙﾀﾞ)"_s);

    // Ctrl+Z brings back the last deletion, then the one before, with bytes and times.
    w.listKey(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(w.names(), (QStringList{u"a.txt"_s, u"d.txt"_s, u"e.txt"_s}));
    QVERIFY(w.panel(StatusBar1::FilesPanel).startsWith(u"元に戻しました"_s));
    QCOMPARE(w.selectedName(), u"e.txt"_s);
    w.treeKey(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(w.names().size(), 5);
    QCOMPARE(readFile(path(u"b.txt"_s)), QByteArray("b.txt"));
    struct stat after {};
    QVERIFY(::stat(QFile::encodeName(path(u"b.txt"_s)).constData(), &after) == 0);
    QCOMPARE(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
    QVERIFY(!exists(trashed(u"b.txt"_s)));
    w.dialogs.clear();
    w.listKey(Qt::Key_Z, Qt::ControlModifier);
    w.listKey(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(w.panel(StatusBar1::FilesPanel), fileops_msg::nothingToUndo());
    QCOMPARE(w.dialogs.messages().size(), 0);
}

void TestFileCommands::renameKeepsExtensionsAndRefusesBadNames() {
    writeFile(path(u"a.mp3"_s));
    writeFile(path(u"b.mp3"_s));
    writeFile(path(u"plain.txt"_s));
    const QString odd = decodeFileName(QByteArray("caf\xe9.txt"));  // Latin-1, not UTF-8
    writeFile(path(odd), "odd");
    Window w(m_ini, m_root);

    // The prompt shows the item; a taken name, a bad name and the same name change nothing.
    w.select({u"a.mp3"_s});
    w.dialogs.answerInput(u"b"_s);
    w.listKey(Qt::Key_R);
    const ScriptedDialogs::Call prompt = w.dialogs.calls().at(0);
    QVERIFY(prompt.text.startsWith(
        u"変更するファイル名を入力してください｡\r\r[ファイル名] a.mp3\r[サイズ] "_s));
    QCOMPARE(prompt.extra, u"a"_s);
    QCOMPARE(w.dialogs.messages().at(0).text, fileops_msg::nameExists());
    for (const QString& answer : {u"x/y"_s, u"a"_s, u"  "_s}) {
        w.dialogs.answerInput(answer);
        w.parts.menus().ReFileNameFile->trigger();
    }
    QCOMPARE(w.dialogs.messages().size(), 2);
    QCOMPARE(w.dialogs.messages().at(1).text,
             fileops_msg::badName(u"x/y.mp3"_s, fileops_msg::badNameSlash()));
    QVERIFY(exists(path(u"a.mp3"_s)));
    QVERIFY(!exists(path(u"x"_s)));

    // A rename keeps the extension and the row follows with its key.
    w.dialogs.answerInput(u"  song  "_s);
    w.listKey(Qt::Key_R);
    QVERIFY(exists(path(u"song.mp3"_s)));
    QCOMPARE(w.selectedName(), u"song.mp3"_s);
    QCOMPARE(w.list().SelectedPath(), path(u"song.mp3"_s));

    // A name that is not UTF-8 goes and comes back with its bytes.
    w.select({odd});
    w.dialogs.answerInput(u"fine"_s);
    w.listKey(Qt::Key_R);
    QCOMPARE(readFile(path(u"fine.txt"_s)), QByteArray("odd"));
    w.listKey(Qt::Key_Z, Qt::ControlModifier);
    QVERIFY(exists(path(odd)));
    QVERIFY(!exists(path(u"fine.txt"_s)));
    QVERIFY(w.list().rowOfKey(path(odd)) >= 0);
}

void TestFileCommands::extensionDialogChangesAllOrStaysOpen() {
    writeFile(path(u"a.jpeg"_s), "a");
    writeFile(path(u"b.jpeg"_s), "b");
    writeFile(path(u"b.JPG"_s), "other b");
    writeFile(path(u"c.mp3"_s), "c");
    Window w(m_ini, m_root);
    w.select({u"a.jpeg"_s, u"b.jpeg"_s});

    bool stayedOpen = false;
    onModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<ExtChangeDialog*>(modal);
        QVERIFY(dialog);
        QCOMPARE(dialog->windowTitle(), u"選択された拡張子の変更"_s);
        dialog->Option1(2)->setChecked(true);
        dialog->Text1()->setText(u"jpeg"_s);  // four characters: nothing, and it stays open
        dialog->Command2(0)->click();
        stayedOpen = dialog->isVisible();
        dialog->Text1()->setText(u"JPG"_s);
        dialog->Command2(0)->click();
    });
    w.parts.menus().ReNameFile->trigger();
    QVERIFY(stayedOpen);
    // b.JPG is another file: it stays as it was and b.jpeg keeps its name.
    QCOMPARE(readFile(path(u"a.JPG"_s)), QByteArray("a"));
    QCOMPARE(readFile(path(u"b.JPG"_s)), QByteArray("other b"));
    QCOMPARE(readFile(path(u"b.jpeg"_s)), QByteArray("b"));
    QCOMPARE(w.dialogs.messages().size(), 1);
    QCOMPARE(w.dialogs.messages().at(0).text, fileops_msg::extNameTaken(u"b.jpeg"_s, u"b.JPG"_s));
    QCOMPARE(w.names(), (QStringList{u"a.JPG"_s, u"b.JPG"_s, u"b.jpeg"_s, u"c.mp3"_s}));
    const QString ini = QString::fromUtf8(readFile(m_ini));
    QVERIFY(ini.contains(u"[KakuchoushiConv]"_s));
    QVERIFY(ini.contains(u"SelectOpton=2"_s));
    QVERIFY(ini.contains(u"KakuchoushiName=JPG"_s));

    // The dialog opens as it was left; upper case on all rows, and one undo takes it all back.
    w.select({u"a.JPG"_s, u"c.mp3"_s});
    onModal([](QWidget* modal) {
        auto* dialog = qobject_cast<ExtChangeDialog*>(modal);
        QVERIFY(dialog);
        QVERIFY(dialog->Option1(2)->isChecked());
        QCOMPARE(dialog->Text1()->text(), u"JPG"_s);
        dialog->Option1(1)->setChecked(true);
        dialog->Command2(0)->click();
    });
    w.parts.menus().ReNameFile->trigger();
    QCOMPARE(w.names(), (QStringList{u"a.jpg"_s, u"b.JPG"_s, u"b.jpeg"_s, u"c.mp3"_s}));
    w.listKey(Qt::Key_Z, Qt::ControlModifier);
    QVERIFY(exists(path(u"a.JPG"_s)));
    w.listKey(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(w.names(), (QStringList{u"a.jpeg"_s, u"b.JPG"_s, u"b.jpeg"_s, u"c.mp3"_s}));
}

void TestFileCommands::moveAndFolderRowsRefreshTheList() {
    writeFile(path(u"a.txt"_s), "a");
    writeFile(path(u"b.txt"_s), "b");
    writeFile(path(u"sub/inner.txt"_s));
    QVERIFY(QDir().mkpath(path(u"dest"_s)));
    Window w(m_ini, m_root);
    w.parts.toolbar()->button(7)->trigger();  // file view: folders are rows too
    QCOMPARE(w.names(), (QStringList{u"a.txt"_s, u"b.txt"_s, u"dest"_s, u"sub"_s}));

    // The picker cancelled: nothing; then M moves into the chosen folder after one question.
    w.select({u"a.txt"_s});
    w.listKey(Qt::Key_M);
    QCOMPARE(w.dialogs.calls().at(0).kind, ScriptedDialogs::Kind::Folder);
    QCOMPARE(w.dialogs.calls().at(0).text, fileops_msg::moveFilesCaption(path(u"a.txt"_s)));
    QCOMPARE(w.names().size(), 4);
    w.select({u"a.txt"_s, u"sub"_s});
    w.dialogs.answerFolder(path(u"dest"_s));
    w.dialogs.answerMessage(MsgResult::Yes);
    w.parts.menus().MoveFile->trigger();
    QCOMPARE(readFile(path(u"dest/a.txt"_s)), QByteArray("a"));
    QVERIFY(exists(path(u"dest/sub/inner.txt"_s)));
    // A folder was among them: list and tree were read again.
    QCOMPARE(w.names(), (QStringList{u"b.txt"_s, u"dest"_s}));
    QVERIFY(w.tree().Node(path(u"sub"_s)) == nullptr);
    QVERIFY(w.tree().Node(path(u"dest/sub"_s)) != nullptr);
    QCOMPARE(w.list().selectedRows().size(), 1);

    w.treeKey(Qt::Key_Z, Qt::ControlModifier);
    QVERIFY(exists(path(u"sub/inner.txt"_s)));
    QCOMPARE(w.names(), (QStringList{u"a.txt"_s, u"b.txt"_s, u"dest"_s, u"sub"_s}));
    QVERIFY(w.tree().Node(path(u"sub"_s)) != nullptr);
}

void TestFileCommands::treeCommandsKeepNodesInStep() {
    writeFile(path(u"x/child/deep.txt"_s));
    QVERIFY(QDir().mkpath(path(u"y"_s)));
    Window w(m_ini, m_root);
    w.parts.toolbar()->button(7)->trigger();
    FolderTree& tree = w.tree();
    QCOMPARE(tree.SelectedFolderPath(), m_root);

    // Letters typed on the tree do not move the selection; K makes a folder under it.
    w.treeKey(Qt::Key_Y);
    QCOMPARE(tree.SelectedFolderPath(), m_root);
    w.dialogs.answerInput(u"New"_s);
    w.treeKey(Qt::Key_K);
    QCOMPARE(w.dialogs.calls().at(0).text, fileops_msg::makeFolderPrompt(m_root));
    QVERIFY(tree.Node(path(u"New"_s)) != nullptr);
    const int row = w.list().rowOfKey(path(u"New"_s));
    QVERIFY(row >= 0);
    QCOMPARE(w.list().model().columnText(row, FileListModel::SizeColumn).trimmed(), u"フォルダﾞ"_s);
    QCOMPARE(w.list().model().columnText(row, FileListModel::TypeColumn), u"ファイル フォルダﾞ"_s);
    w.dialogs.answerInput(u"New"_s);
    w.parts.menus().MnuMakeFolder->trigger();
    QCOMPARE(w.dialogs.messages().last().text, fileops_msg::folderExists());

    // Rename: the node is replaced and stays expandable; the list shows the new keys.
    w.selectNode(path(u"x"_s));
    w.dialogs.answerInput(u"z"_s);
    w.treeKey(Qt::Key_R);
    QVERIFY(tree.Node(path(u"x"_s)) == nullptr);
    QTreeWidgetItem* z = tree.Node(path(u"z"_s));
    QVERIFY(z != nullptr);
    QCOMPARE(tree.SelectedFolderPath(), path(u"z"_s));
    QVERIFY(z->childCount() > 0);
    z->setExpanded(true);
    QVERIFY(tree.Node(path(u"z/child"_s)) != nullptr);
    QCOMPARE(w.list().ListedFolder(), path(u"z"_s));

    // Move into y through the picker: the node goes over with it.
    w.selectNode(path(u"z"_s));
    w.dialogs.answerFolder(path(u"y"_s));
    w.dialogs.answerMessage(MsgResult::Yes);
    w.treeKey(Qt::Key_M);
    QVERIFY(exists(path(u"y/z/child/deep.txt"_s)));
    QVERIFY(tree.Node(path(u"z"_s)) == nullptr);
    QVERIFY(tree.Node(path(u"y/z"_s)) != nullptr);

    // Delete to the trash with Del; the root is never moved or deleted.
    w.selectNode(path(u"New"_s));
    w.dialogs.answerMessage(MsgResult::Yes);
    w.treeKey(Qt::Key_Delete);
    QVERIFY(!exists(path(u"New"_s)));
    QVERIFY(tree.Node(path(u"New"_s)) == nullptr);
    QVERIFY(exists(trashed(u"New"_s)));
    tree.SelectNode(tree.RootNode());
    w.dialogs.clear();
    w.parts.menus().MnuMovFolder->trigger();
    w.parts.menus().MnuDelFolder4->trigger();
    QCOMPARE(w.dialogs.calls().size(), 0);
}

void TestFileCommands::dropsOnTheTreeMoveAndOutsideDropsNavigate() {
    writeFile(path(u"a/x/inner/deep.txt"_s));
    writeFile(path(u"b/keep.txt"_s));
    writeFile(path(u"one.txt"_s), "1");
    writeFile(path(u"two.txt"_s), "2");
    Window w(m_ini, m_root);
    FolderTree& tree = w.tree();
    tree.Node(path(u"a"_s))->setExpanded(true);

    // A folder onto itself or onto the folder it is in: no question, nothing moves.
    w.selectNode(path(u"a/x"_s));
    w.dialogs.clear();
    w.dropOnNode(path(u"a/x"_s), makeDragData(DropKind::TreeFolder, {path(u"a/x"_s)}));
    w.dropOnNode(path(u"a"_s), makeDragData(DropKind::TreeFolder, {path(u"a/x"_s)}));
    QCOMPARE(w.dialogs.calls().size(), 0);
    QVERIFY(w.treeView().dropHighlight() == nullptr);

    // Declined: tree and disk as they were; accepted: the node moves with the folder.
    w.dialogs.answerMessage(MsgResult::No);
    w.dropOnNode(path(u"b"_s), makeDragData(DropKind::TreeFolder, {path(u"a/x"_s)}));
    QVERIFY(tree.Node(path(u"a/x"_s)) != nullptr);
    QVERIFY(!w.parts.treeState().DragActive);
    w.dialogs.answerMessage(MsgResult::Yes);
    w.dropOnNode(path(u"b"_s), makeDragData(DropKind::TreeFolder, {path(u"a/x"_s)}));
    QVERIFY(exists(path(u"b/x/inner/deep.txt"_s)));
    QVERIFY(tree.Node(path(u"a/x"_s)) == nullptr);
    QVERIFY(tree.Node(path(u"b/x"_s)) != nullptr);

    // Rows of the list onto a node: moved; onto the folder on show: nothing.
    w.selectNode(m_root);
    w.select({u"one.txt"_s, u"two.txt"_s});
    w.dialogs.clear();
    w.dropOnNode(m_root, makeDragData(DropKind::ListRows, {path(u"one.txt"_s)}));
    QCOMPARE(w.dialogs.calls().size(), 0);
    w.dialogs.answerMessage(MsgResult::Yes);
    w.dropOnNode(path(u"b"_s),
                 makeDragData(DropKind::ListRows, {path(u"one.txt"_s), path(u"two.txt"_s)}));
    QCOMPARE(readFile(path(u"b/two.txt"_s)), QByteArray("2"));
    QCOMPARE(w.list().rowCount(), 0);

    // Hovering a closed node with subfolders opens it after the hover timer.
    QTreeWidgetItem* b = tree.Node(path(u"b"_s));
    b->setExpanded(false);
    QVERIFY(!tree.Node(path(u"b"_s))->isExpanded());
    {
        QMimeData data;
        data.setUrls({fileUrlOf(path(u"b/keep.txt"_s))});
        w.treeView().scrollToItem(tree.Node(path(u"b"_s)), QAbstractItemView::PositionAtCenter);
        const QPoint pos = w.treeView().visualItemRect(tree.Node(path(u"b"_s))).center();
        QDragEnterEvent enter(pos, Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(w.treeView().viewport(), &enter);
        QDragMoveEvent move(pos, Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(w.treeView().viewport(), &move);
        QCOMPARE(w.treeView().dropHighlight(), tree.Node(path(u"b"_s)));
        QVERIFY(w.parts.Timer2().isActive());
        QTRY_VERIFY_WITH_TIMEOUT(tree.Node(path(u"b"_s))->isExpanded(), 3000);
        QDragLeaveEvent leave;
        QApplication::sendEvent(w.treeView().viewport(), &leave);
        QVERIFY(w.treeView().dropHighlight() == nullptr);
    }

    // From another program: one file shows its folder with its row; three files do nothing.
    auto outside = [](const QStringList& paths) {
        auto* data = new QMimeData;
        QList<QUrl> urls;
        for (const QString& p : paths) {
            urls << fileUrlOf(p);
        }
        data->setUrls(urls);
        return data;
    };
    QMimeData* three = outside({path(u"b/keep.txt"_s), path(u"b/one.txt"_s), path(u"b/two.txt"_s)});
    QDragEnterEvent refused(QPoint(5, 5), Qt::CopyAction, three, Qt::LeftButton, {});
    QApplication::sendEvent(w.list().view().viewport(), &refused);
    QVERIFY(!refused.isAccepted());
    delete three;
    dropAt(w.list().view().viewport(), QPoint(5, 5), outside({path(u"b/two.txt"_s)}));
    QCOMPARE(w.tree().SelectedFolderPath(), path(u"b"_s));
    QCOMPARE(w.selectedName(), u"two.txt"_s);
    w.dropOnNode(m_root, outside({path(u"a"_s)}));
    QCOMPARE(w.tree().SelectedFolderPath(), path(u"a"_s));
}

void TestFileCommands::renamesMovesAndUndoTellWhereItemsWent() {
    for (const char* name : {"a.mp3", "b.mp3", "c.jpeg", "d.jpeg", "d.JPG", "gone.mp3"}) {
        writeFile(path(QString::fromLatin1(name)));
    }
    writeFile(path(u"sub/inner.txt"_s));
    writeFile(path(u"x/child/deep.txt"_s));
    QVERIFY(QDir().mkpath(path(u"dest"_s)));
    QVERIFY(QDir().mkpath(path(u"y"_s)));
    Window w(m_ini, m_root);
    w.parts.toolbar()->button(7)->trigger();  // file view: folders are rows too
    QSignalSpy moved(&w.parts.fileCommands().pathMoves(), &PathMoves::moved);

    // The list's rename: a taken name is refused and a vanished file fails, untold.
    w.select({u"a.mp3"_s});
    w.dialogs.answerInput(u"b"_s);
    w.listKey(Qt::Key_R);
    QVERIFY(told(moved).isEmpty());
    w.dialogs.answerInput(u"song"_s);
    w.listKey(Qt::Key_R);
    QCOMPARE(told(moved), QStringList{u"a.mp3>song.mp3"_s});
    QVERIFY(::unlink(QFile::encodeName(path(u"gone.mp3"_s)).constData()) == 0);
    w.select({u"gone.mp3"_s});
    w.dialogs.answerInput(u"went"_s);
    w.listKey(Qt::Key_R);
    QVERIFY(!w.dialogs.messages().isEmpty());
    QVERIFY(told(moved).isEmpty());

    // The extension change tells the file it renamed, not the one whose new name was taken.
    w.select({u"c.jpeg"_s, u"d.jpeg"_s});
    onModal([](QWidget* modal) {
        auto* dialog = qobject_cast<ExtChangeDialog*>(modal);
        QVERIFY(dialog);
        dialog->Option1(2)->setChecked(true);
        dialog->Text1()->setText(u"JPG"_s);
        dialog->Command2(0)->click();
    });
    w.parts.menus().ReNameFile->trigger();
    QCOMPARE(told(moved), QStringList{u"c.jpeg>c.JPG"_s});

    // M: a folder is told once for all it holds; declined, nothing is told.
    w.select({u"b.mp3"_s, u"sub"_s});
    w.dialogs.answerFolder(path(u"dest"_s));
    w.dialogs.answerMessage(MsgResult::Yes);
    w.listKey(Qt::Key_M);
    QStringList both = told(moved);
    both.sort();
    QCOMPARE(both, (QStringList{u"b.mp3>dest/b.mp3"_s, u"sub>dest/sub"_s}));
    w.select({u"c.JPG"_s});
    w.dialogs.answerFolder(path(u"dest"_s));
    w.dialogs.answerMessage(MsgResult::No);
    w.listKey(Qt::Key_M);
    QVERIFY(exists(path(u"c.JPG"_s)));
    QVERIFY(told(moved).isEmpty());

    // Undo tells the way back.
    w.listKey(Qt::Key_Z, Qt::ControlModifier);
    both = told(moved);
    both.sort();
    QCOMPARE(both, (QStringList{u"dest/b.mp3>b.mp3"_s, u"dest/sub>sub"_s}));

    // Merged into a folder of the same name: the folder stays, its items are told one by one.
    writeFile(path(u"dest/sub/other.txt"_s));
    w.select({u"sub"_s});
    w.dialogs.answerFolder(path(u"dest"_s));
    w.dialogs.answerMessage(MsgResult::Yes);
    w.dialogs.answerMessage(MsgResult::Yes);
    w.listKey(Qt::Key_M);
    QVERIFY(exists(path(u"dest/sub/inner.txt"_s)));
    QCOMPARE(told(moved), QStringList{u"sub/inner.txt>dest/sub/inner.txt"_s});

    // Rows dropped on the tree.
    w.dialogs.answerMessage(MsgResult::Yes);
    w.dropOnNode(path(u"dest"_s), makeDragData(DropKind::ListRows, {path(u"b.mp3"_s)}));
    QVERIFY(exists(path(u"dest/b.mp3"_s)));
    QCOMPARE(told(moved), QStringList{u"b.mp3>dest/b.mp3"_s});

    // The tree's rename and a folder dropped on a node, then both undone, last first.
    w.selectNode(path(u"x"_s));
    w.dialogs.answerInput(u"z"_s);
    w.treeKey(Qt::Key_R);
    QCOMPARE(told(moved), QStringList{u"x>z"_s});
    w.dialogs.answerMessage(MsgResult::Yes);
    w.dropOnNode(path(u"y"_s), makeDragData(DropKind::TreeFolder, {path(u"z"_s)}));
    QVERIFY(exists(path(u"y/z/child/deep.txt"_s)));
    QCOMPARE(told(moved), QStringList{u"z>y/z"_s});
    w.treeKey(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(told(moved), QStringList{u"y/z>z"_s});
    w.treeKey(Qt::Key_Z, Qt::ControlModifier);
    QVERIFY(exists(path(u"x/child/deep.txt"_s)));
    QCOMPARE(told(moved), QStringList{u"z>x"_s});

    // The trash is no move: neither the delete nor its undo is told.
    w.selectNode(m_root);
    w.select({u"song.mp3"_s});
    w.dialogs.answerMessage(MsgResult::Yes);
    w.listKey(Qt::Key_Delete);
    QVERIFY(!exists(path(u"song.mp3"_s)));
    w.listKey(Qt::Key_Z, Qt::ControlModifier);
    QVERIFY(exists(path(u"song.mp3"_s)));
    QVERIFY(told(moved).isEmpty());
}

void TestFileCommands::emptyListMenuAndTheWiring() {
    Window w(m_ini, m_root);
    const MainMenus& m = w.parts.menus();
    QCOMPARE(w.panel(StatusBar1::FilesPanel), u"0個のﾌｧｲﾙ(0個のﾌｫﾙﾀﾞ)"_s);
    QTest::mouseClick(w.list().view().viewport(), Qt::RightButton, {}, QPoint(5, 5));
    QVERIFY(m.MnuPlayOpt->isVisible());
    QVERIFY(!m.MnuIconSet->isVisible());
    QVERIFY(m.MnuGrid->isVisible());
    QVERIFY(m.MnuListView->menuAction()->isVisible());
    QVERIFY(!m.DelFile->isVisible());
    QVERIFY(m.ReFileNameFile->isVisible());
    m.MnuPlayOpt->hide();

    // Commands on an empty list say nothing.
    w.dialogs.clear();
    m.DelFile->trigger();
    m.MoveFile->trigger();
    m.ReFileNameFile->trigger();
    QCOMPARE(w.dialogs.calls().size(), 0);

    QApplication::setActiveWindow(&w.form);
    w.parts.TreeView1()->setFocus();
    QCOMPARE(w.parts.treeState().FocusPane, 2);
    w.list().view().setFocus();
    QCOMPARE(w.parts.treeState().FocusPane, 1);
}

QTEST_MAIN(TestFileCommands)
#include "tst_file_commands.moc"
