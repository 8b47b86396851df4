#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidgetItem>

#include "browser/file_list.h"
#include "browser/file_list_view.h"
#include "browser/folder_tree.h"
#include "browser/image_list.h"
#include "browser/list_play_rows.h"
#include "browser/tree_state.h"
#include "browser/tree_view1.h"
#include "platform/scripted_dialogs.h"
#include "settings/module1.h"

using namespace Qt::StringLiterals;

namespace {

void makeFile(const QString& path, qint64 bytes = 0) {
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    QVERIFY(file.resize(bytes));
}

// The list and the tree as the window holds them, with the rows the play list is given, over a
// folder of its own.
struct Fixture {
    QTemporaryDir dir;
    const QString p = dir.path() + u'/';
    Module1 state;
    TreeState treeState;
    ScriptedDialogs dialogs;
    ImageList images = ImageList::withBuiltinImages();
    FileListView listView;
    TreeView1 treeView;
    FileList list{state, dialogs, images, listView};
    FolderTree tree{treeView, state, treeState, dialogs, images};
    ListPlayRows rows{list, tree};

    Fixture() {
        tree.setSpecialFolders({});
        // The later filling and listing are tested alone.
        tree.setScanDeadline(std::chrono::seconds(10));
        list.setListDeadline(std::chrono::seconds(10));
        list.setListWait(std::chrono::seconds(10));
        list.setSpecialFolders({});
        state.mDspFile = u"*.mp3"_s;
    }
    // Makes empty files of these names (relative to the folder) and lists the folder they are in.
    void listFiles(const QStringList& names, const QString& folder = {}) {
        for (const QString& name : names) {
            QVERIFY(QDir().mkpath(QFileInfo(p + name).path()));
            makeFile(p + name);
        }
        list.ListFolder(p + folder, false);
    }
};

}  // namespace

class TestListPlayRows : public QObject {
    Q_OBJECT

private slots:
    void rowsAsListed_data();
    void rowsAsListed();
    void rowsOutOfRangeAndUnknownPaths();
    void selectionFollowsTheList();
    void marksLandOnTheListsRows();
    void folderOnShowAndItsMark();
};

void TestListPlayRows::rowsAsListed_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("extension");
    QTest::addColumn<bool>("folder");
    QTest::addColumn<QString>("sizeText");

    QTest::newRow("upper-case extension") << u"B.MP3"_s << u"mp3"_s << false << u"2.00 KB"_s;
    QTest::newRow("mixed-case extension") << u"c.Mp4"_s << u"mp4"_s << false << u"0 バイト"_s;
    QTest::newRow("two dots") << u"d.tar.gz"_s << u"gz"_s << false << u"1.50 MB"_s;
    QTest::newRow("folder") << u"sub"_s << u"--"_s << true << u"フォルダ"_s;
}

void TestListPlayRows::rowsAsListed() {
    QFETCH(QString, name);
    QFETCH(QString, extension);
    QFETCH(bool, folder);
    QFETCH(QString, sizeText);

    Fixture f;
    const QString& p = f.p;
    makeFile(p + u"B.MP3", 2048);
    makeFile(p + u"d.tar.gz", 1536 * 1024);
    QVERIFY(QDir().mkdir(p + u"sub"));
    f.state.mFolderDsp = 1;
    f.list.setFileViewPressed(true);
    f.listFiles({u"c.Mp4"_s});
    QCOMPARE(f.rows.count(), 4);
    for (int r = 0; r < f.rows.count(); ++r) {
        QCOMPARE(f.rows.pathOf(r), f.list.keyOfRow(r));  // in the order shown
    }

    const int row = f.rows.rowOfPath(p + name);
    QVERIFY(row >= 0);
    QCOMPARE(f.rows.pathOf(row), QString(p + name));
    QCOMPARE(f.rows.nameOf(row), name);
    QCOMPARE(f.rows.extensionOf(row), extension);
    QCOMPARE(f.rows.isFolder(row), folder);
    QCOMPARE(f.rows.sizeTextOf(row), sizeText);
}

void TestListPlayRows::rowsOutOfRangeAndUnknownPaths() {
    Fixture f;
    const QString& p = f.p;
    f.listFiles({u"a.mp3"_s});
    QCOMPARE(f.rows.count(), 1);
    QCOMPARE(f.rows.pathOf(-1), QString());
    QCOMPARE(f.rows.pathOf(1), QString());
    QCOMPARE(f.rows.rowOfPath(p + u"b.mp3"), -1);
    QVERIFY(!f.rows.isFolder(-1));

    // What a row is, is asked of the disk: a file that became a folder since the listing is one.
    QVERIFY(QFile::remove(p + u"a.mp3"));
    QVERIFY(QDir().mkdir(p + u"a.mp3"));
    QVERIFY(f.rows.isFolder(0));
}

void TestListPlayRows::selectionFollowsTheList() {
    Fixture f;
    f.listFiles({u"1.mp3"_s, u"2.mp3"_s, u"3.mp3"_s, u"4.mp3"_s});
    QCOMPARE(f.rows.count(), 4);

    f.list.SetAllListItemsState(false);
    QCOMPARE(f.rows.selectedRow(), -1);
    QCOMPARE(f.rows.topSelectedRow(), -1);

    f.rows.selectRow(2);
    QCOMPARE(f.rows.selectedRow(), 2);
    QCOMPARE(f.rows.topSelectedRow(), 2);
    QCOMPARE(f.rows.focusedRow(), 2);

    // Several rows: the focused one stands for the selection, the top one starts a first play.
    f.list.selectKeys({f.p + u"4.mp3", f.p + u"2.mp3"});
    QCOMPARE(f.rows.selectedRow(), f.list.selectedRow());
    QCOMPARE(f.rows.topSelectedRow(), 1);

    // The focus stays on a row that is no longer selected.
    f.rows.selectRow(3);
    f.list.SetAllListItemsState(false);
    QCOMPARE(f.rows.selectedRow(), -1);
    QCOMPARE(f.rows.focusedRow(), 3);
}

void TestListPlayRows::marksLandOnTheListsRows() {
    Fixture f;
    f.listFiles({u"a.mp3"_s, u"b.mp3"_s});
    const FileListModel& model = f.list.model();

    f.rows.markRow(1, qRgb(255, 0, 0));
    f.rows.setIconKey(1, u"PLAY_END_KEY"_s);
    f.rows.setToolTip(1, u"tip"_s);
    QCOMPARE(model.row(1).foreColor, qRgb(255, 0, 0));
    QVERIFY(model.row(1).bold);
    QCOMPARE(model.row(1).iconKey, u"PLAY_END_KEY"_s);
    QCOMPARE(f.rows.iconKeyOf(1), u"PLAY_END_KEY"_s);
    QCOMPARE(model.row(1).toolTip, u"tip"_s);
    // The other row is left as listed.
    QVERIFY(!model.row(0).bold);
    QVERIFY(model.row(0).toolTip.isEmpty());
}

void TestListPlayRows::folderOnShowAndItsMark() {
    Fixture f;
    const QString root = f.dir.path();
    f.listFiles({u"a/b/x.mp3"_s}, u"a/b/"_s);

    // No tree yet: the folder as it was listed.
    QCOMPARE(f.rows.folderOnShow(), QString(root + u"/a/b/"));
    f.rows.markFolderPlayed(qRgb(255, 0, 0));  // no node: nothing to mark

    f.tree.BuildDriveTree(root);
    f.tree.ExpandToPath(root, root + u"/a", false);
    QCOMPARE(f.rows.folderOnShow(), QString(root + u"/a"));
    // A folder gone to by path is bold already: its mark stays.
    QTreeWidgetItem* a = f.tree.Node(root + u"/a");
    QVERIFY(a && a->font(0).bold());
    const QColor asGoneTo = a->foreground(0).color();
    f.rows.markFolderPlayed(qRgb(255, 0, 0));
    QCOMPARE(a->foreground(0).color(), asGoneTo);

    QTreeWidgetItem* b = f.tree.Node(root + u"/a/b");
    QVERIFY(b && !b->font(0).bold());
    f.treeView.setCurrentItem(b);
    QCOMPARE(f.rows.folderOnShow(), QString(root + u"/a/b"));
    f.rows.markFolderPlayed(qRgb(255, 0, 0));
    QVERIFY(b->font(0).bold());
    QCOMPARE(b->foreground(0).color(), QColor(255, 0, 0));
    f.rows.markFolderPlayed(qRgb(0, 0, 255));
    QCOMPARE(b->foreground(0).color(), QColor(255, 0, 0));
}

QTEST_MAIN(TestListPlayRows)
#include "tst_list_play_rows.moc"
