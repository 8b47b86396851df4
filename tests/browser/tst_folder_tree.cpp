#include <sys/stat.h>
#include <unistd.h>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidgetItem>
#include <memory>

#include "browser/file_name_codec.h"
#include "browser/folder_scan.h"
#include "browser/folder_tree.h"
#include "browser/image_list.h"
#include "browser/messages.h"
#include "browser/tree_state.h"
#include "browser/tree_view1.h"
#include "browser/volume_icons.h"
#include "platform/error_box.h"
#include "platform/run_error.h"
#include "platform/scripted_dialogs.h"
#include "quiet_share.h"
#include "settings/module1.h"

using namespace Qt::StringLiterals;

namespace {

// The tree on a temporary folder taken as the root, shown offscreen.
struct Harness {
    Module1 module;
    TreeState state;
    ScriptedDialogs dialogs;
    ImageList images = ImageList::withBuiltinImages();
    TreeView1 view;
    FolderTree tree{view, module, state, dialogs, images};

    Harness() {
        tree.setSpecialFolders({});
        tree.setScanDeadline(std::chrono::seconds(10));  // the later filling is tested alone
        view.resize(400, 600);
        view.show();
    }
    QStringList childKeys(const QString& key) const {
        QStringList keys;
        QTreeWidgetItem* node = tree.Node(key);
        for (int i = 0; node && i < node->childCount(); ++i) {
            keys << FolderTree::NodeKey(node->child(i));
        }
        return keys;
    }
    QStringList childTexts(const QString& key) const {
        QStringList texts;
        QTreeWidgetItem* node = tree.Node(key);
        for (int i = 0; node && i < node->childCount(); ++i) {
            texts << node->child(i)->text(0);
        }
        return texts;
    }
    QPoint centreOf(const QString& key) {
        QTreeWidgetItem* node = tree.Node(key);
        view.scrollToItem(node);
        return view.visualItemRect(node).center();
    }
};

void makeFolders(const QString& root, const QStringList& relativePaths) {
    for (const QString& path : relativePaths) {
        QVERIFY(QDir(root).mkpath(path));
    }
}

QColor colourOf(const QTreeWidgetItem* node) {
    return node->foreground(0).color();
}

}  // namespace

class TestFolderTree : public QObject {
    Q_OBJECT

private slots:
    void keyRules();
    void attributesDecideAndColour();
    void scanShowsFoldersByAttribute();
    void buildGivesKeysAndFillsOneLevelAhead();
    void quietShareOneLevelAheadFillsLater();
    void openNodesFollowWhatOtherProgramsDo();
    void collapseLeavesPlaceholderAndReopenRereads();
    void collapseListsTheClosedNodeWhenItHeldTheSelection();
    void nodeColoursAndImages();
    void expandToPathOpensAndSelectsDeepFolder();
    void expandToPathStopsAtMissingNode();
    void rootWithoutPictureIsToldAndBuilt();
    void deleteTreeFolder();
    void vanishedFolderOpensEmpty();
    void namesThatAreNotUtf8();
    void clicksAndKeys();
    void addedNodesStaySortedAndMergeWithReading();
    void dragEndingExpansionNeverShowsPlaceholder();
    void treeStyle();
};

void TestFolderTree::keyRules() {
    QCOMPARE(childKey(u"/"_s, u"usr"_s), u"/usr"_s);
    QCOMPARE(childKey(u"/media/usb"_s, u"Music"_s), u"/media/usb/Music"_s);
    QCOMPARE(folderPrefix(u"/"_s), u"/"_s);
    QCOMPARE(folderPrefix(u"/a"_s), u"/a/"_s);
    QCOMPARE(folderKey(u"/a//b/"_s), u"/a/b"_s);
    QCOMPARE(folderKey(u"//"_s), u"/"_s);
    // The placeholder's key is no path at all and differs per node.
    const QString placeholder = FolderTree::PlaceholderKey(u"/a"_s);
    QVERIFY(placeholder.contains(QChar(0)));
    QVERIFY(placeholder != FolderTree::PlaceholderKey(u"/b"_s));
    QVERIFY(!folderExistsOnDisk(FolderTree::PlaceholderKey(u"/"_s)));
    QCOMPARE(FolderTree::PlaceholderText(), u"\\\\DUMMY\\\\"_s);
    // Tree order ignores case first.
    QVERIFY(folderNameLess(u"apple"_s, u"Banana"_s));
    QVERIFY(folderNameLess(u"B"_s, u"b"_s));
    // Volume images by kind.
    QCOMPARE(volumeIconKey(u"/"_s, DriveType::Fixed), u"ICON:root"_s);
    QCOMPARE(volumeIconKey(u"/media/cd"_s, DriveType::CdRom), u"ICON:cdrom"_s);
    ImageList images = ImageList::withBuiltinImages();
    const QString key = ensureVolumeIcon(images, u"/mnt/share"_s, DriveType::Remote);
    QCOMPARE(key, u"ICON:network"_s);
    QVERIFY(images.contains(key));
    QCOMPARE(images.icon(key).cacheKey(), images.icon(u"DriveNetwork"_s).cacheKey());
}

void TestFolderTree::attributesDecideAndColour() {
    // The first attribute that applies decides: system, hidden, read-only.
    QCOMPARE(entryAttribute(true, S_IFIFO | 0644), EntryAttribute::System);
    QCOMPARE(entryAttribute(true, S_IFDIR | 0555), EntryAttribute::Hidden);
    QCOMPARE(entryAttribute(false, S_IFDIR | 0555), EntryAttribute::ReadOnly);
    QCOMPARE(entryAttribute(false, S_IFDIR | 0755), EntryAttribute::None);
    // Read-only means nobody may write, not "I may not write".
    QCOMPARE(entryAttribute(false, S_IFDIR | 0575), EntryAttribute::None);
    QCOMPARE(attributeColor(EntryAttribute::System), QColor(0, 0, 192));
    QCOMPARE(attributeColor(EntryAttribute::Hidden), QColor(128, 0, 128));
    QCOMPARE(attributeColor(EntryAttribute::ReadOnly), QColor(0, 128, 0));
    QCOMPARE(attributeColor(EntryAttribute::None), QColor(0, 0, 0));
    Module1 module;
    module.mHiddenAtr = 1;
    const AttributeFilter filter = AttributeFilter::fromSettings(module);
    QVERIFY(filter.shows(EntryAttribute::Hidden));
    QVERIFY(!filter.shows(EntryAttribute::ReadOnly));
    QVERIFY(filter.shows(EntryAttribute::None));
}

void TestFolderTree::scanShowsFoldersByAttribute() {
    QTemporaryDir dir;
    const QString root = dir.path();
    makeFolders(root, {u"plain"_s, u".hidden"_s, u"ro"_s, u"onlyhidden/.inner"_s, u"target/sub"_s});
    QFile(root + u"/file.txt").open(QIODevice::WriteOnly);
    QVERIFY(QFile::link(root + u"/target", root + u"/link"));
    QVERIFY(QFile::link(root + u"/file.txt", root + u"/filelink"));
    QVERIFY(QFile::link(root + u"/nowhere", root + u"/dangling"));
    QCOMPARE(mkfifo(QFile::encodeName(root + u"/pipe").constData(), 0644), 0);
    QCOMPARE(chmod(QFile::encodeName(root + u"/ro").constData(), 0555), 0);

    const auto names = [&](const AttributeFilter& filter) {
        SubFolderScan scan = scanSubFolders(QFile::encodeName(root), filter);
        sortSubFolders(scan.folders);
        QStringList list;
        for (const SubFolder& folder : scan.folders) {
            list << folder.name;
        }
        return list;
    };
    // Links to folders are folders; files, links to files, dangling links and pipes are not.
    QCOMPARE(names({}), (QStringList{u"link"_s, u"onlyhidden"_s, u"plain"_s, u"target"_s}));
    QCOMPARE(names({false, true, true}), (QStringList{u".hidden"_s, u"link"_s, u"onlyhidden"_s,
                                                      u"plain"_s, u"ro"_s, u"target"_s}));
    QCOMPARE(scanSubFolders(QFile::encodeName(root), {false, true, true}, 2).folders.size(), 2);

    // A folder whose subfolders are all hidden has subfolders only when hidden ones show.
    const QByteArray onlyHidden = QFile::encodeName(root + u"/onlyhidden");
    QVERIFY(!hasSubFolders(onlyHidden, {}));
    QVERIFY(hasSubFolders(onlyHidden, {false, true, false}));
    QVERIFY(!hasSubFolders(QFile::encodeName(root + u"/plain"), {true, true, true}));
    const SubFolderScan missing = scanSubFolders(QFile::encodeName(root + u"/none"), {});
    QVERIFY(missing.folders.isEmpty());
    QCOMPARE(missing.error, ENOENT);
    chmod(QFile::encodeName(root + u"/ro").constData(), 0755);
}

// Opening a folder that holds a share which has stopped answering: the tree opens at once, the
// share's node without children, and they come when the share answers.
void TestFolderTree::quietShareOneLevelAheadFillsLater() {
    QuietShare share({.delay = 30});
    if (!share.available()) {
        QSKIP(qPrintable(share.whyNot()));
    }
    const QString root = QFileInfo(share.path()).path();
    Harness h;
    h.module.mReadOnlyAtr = 1;  // the share is read-only
    h.tree.setScanDeadline(std::chrono::milliseconds(50));
    h.tree.BuildDriveTree(root + u'/');
    QVERIFY(h.tree.Node(share.path()) != nullptr);

    QVERIFY(share.setQuiet(true));
    QElapsedTimer clock;
    clock.start();
    h.tree.RootNode()->setExpanded(true);
    QVERIFY(clock.elapsed() < 10000);  // far less than the share's wait
    QCOMPARE(h.tree.Node(share.path())->childCount(), 0);
    QVERIFY(!h.state.TreeBusy);
    QVERIFY(share.setQuiet(false));
    const QStringList shareFolders{share.path() + u"/folder1", share.path() + u"/folder2"};
    QTRY_COMPARE_WITH_TIMEOUT(h.childKeys(share.path()), shareFolders, 20000);

    // Opened again after a close while the share is quiet: the node opens at once and keeps its
    // placeholder until the share answers.
    QTreeWidgetItem* shareNode = h.tree.Node(share.path());
    shareNode->setExpanded(true);
    shareNode->setExpanded(false);
    QCOMPARE(shareNode->childCount(), 1);
    QVERIFY(FolderTree::IsPlaceholder(shareNode->child(0)));
    QVERIFY(share.setQuiet(true));
    clock.restart();
    shareNode->setExpanded(true);
    QVERIFY(clock.elapsed() < 10000);
    QVERIFY(!h.state.TreeBusy);
    QCOMPARE(shareNode->childCount(), 1);
    QVERIFY(FolderTree::IsPlaceholder(shareNode->child(0)));
    QVERIFY(share.setQuiet(false));
    QTRY_COMPARE_WITH_TIMEOUT(h.childKeys(share.path()), shareFolders, 20000);
    QVERIFY(shareNode->isExpanded());

    // Built anew and opened along a path inside the share while it is quiet: the tree waits once
    // for the whole way, shows the nodes on it with their children pending, selects the target,
    // and fills the rest when the share answers.
    QVERIFY(share.setQuiet(true));
    clock.restart();
    h.tree.BuildDriveTree(root + u'/');
    h.tree.ExpandToPath(root + u'/', shareFolders[0], true);
    QVERIFY(clock.elapsed() < 10000);
    QCOMPARE(h.tree.SelectedFolderPath(), shareFolders[0]);
    QVERIFY(h.tree.Node(share.path())->isExpanded());
    QVERIFY(share.setQuiet(false));
    QTRY_COMPARE_WITH_TIMEOUT(h.childKeys(share.path()), shareFolders, 20000);
    QTRY_VERIFY_WITH_TIMEOUT(h.tree.Node(shareFolders[0])->childCount() == 0, 20000);
    QVERIFY(h.childKeys(root).contains(share.path()));
    QVERIFY(h.dialogs.calls().isEmpty());
}

// Another program makes, renames and deletes folders under open nodes: the nodes follow, the new
// ones with their expand buttons. The selected folder deleted leaves the tree at its parent,
// which the list is asked to show.
void TestFolderTree::openNodesFollowWhatOtherProgramsDo() {
    QTemporaryDir dir;
    const QString root = dir.path();
    makeFolders(root, {u"a/inner"_s, u"b"_s});
    Harness h;
    h.tree.BuildDriveTree(root + u'/');
    h.tree.RootNode()->setExpanded(true);
    QTreeWidgetItem* a = h.tree.Node(root + u"/a");
    a->setExpanded(true);
    h.tree.SelectNode(h.tree.Node(root + u"/a/inner"));
    QTRY_VERIFY(h.tree.watch().isWatching(root + u"/a"));
    QTRY_VERIFY(h.tree.watch().isWatching(root));
    QSignalSpy listed(&h.tree, &FolderTree::folderSelected);

    const auto shell = [&root](const QString& script) {
        QProcess sh;
        sh.setWorkingDirectory(root);
        sh.start(u"/bin/sh"_s, {u"-c"_s, script});
        QVERIFY(sh.waitForFinished(10000));
        QCOMPARE(sh.exitCode(), 0);
    };
    shell(u"mkdir -p c/deeper a/second; touch a/not-a-folder"_s);
    QTRY_COMPARE_WITH_TIMEOUT(h.childKeys(root),
                              (QStringList{root + u"/a"_s, root + u"/b"_s, root + u"/c"_s}), 5000);
    QTRY_COMPARE_WITH_TIMEOUT(h.childKeys(root + u"/a"_s),
                              (QStringList{root + u"/a/inner"_s, root + u"/a/second"_s}), 5000);
    // One level ahead, as every child: the new folder with a subfolder can be opened.
    QTRY_COMPARE_WITH_TIMEOUT(h.childKeys(root + u"/c"_s), QStringList{root + u"/c/deeper"_s},
                              5000);

    shell(u"mv b renamed; rmdir c/deeper c"_s);
    QTRY_COMPARE_WITH_TIMEOUT(h.childKeys(root),
                              (QStringList{root + u"/a"_s, root + u"/renamed"_s}), 5000);
    QVERIFY(listed.isEmpty());

    // The selected folder goes: its parent is selected and listed.
    shell(u"rmdir a/inner"_s);
    QTRY_COMPARE_WITH_TIMEOUT(h.childKeys(root + u"/a"_s), QStringList{root + u"/a/second"_s},
                              5000);
    QCOMPARE(h.tree.SelectedFolderPath(), root + u"/a"_s);
    QCOMPARE(listed.size(), 1);
    QCOMPARE(listed.at(0).at(0).toString(), root + u"/a"_s);

    // ... and so does an open folder above it, with everything in it.
    shell(u"rm -r a"_s);
    QTRY_COMPARE_WITH_TIMEOUT(h.childKeys(root), QStringList{root + u"/renamed"_s}, 5000);
    QVERIFY(h.tree.Node(root + u"/a/second"_s) == nullptr);
    QCOMPARE(h.tree.SelectedFolderPath(), root);
    QCOMPARE(listed.last().at(0).toString(), root);
    QVERIFY(h.dialogs.calls().isEmpty());
}

void TestFolderTree::buildGivesKeysAndFillsOneLevelAhead() {
    QTemporaryDir dir;
    const QString root = dir.path();
    makeFolders(root, {u"b/b1/b11"_s, u"A/a1"_s, u"c"_s});
    Harness h;
    h.tree.BuildDriveTree(root + u'/');

    QTreeWidgetItem* rootNode = h.tree.RootNode();
    QVERIFY(rootNode);
    QCOMPARE(h.tree.RootKey(), root);
    QCOMPARE(rootNode->text(0), root);
    const QString rootImage = rootNode->data(0, FolderTree::ImageRole).toString();
    QVERIFY(rootImage.startsWith(u"ICON:"));
    QVERIFY(h.images.contains(rootImage));
    QCOMPARE(h.childKeys(root), (QStringList{root + u"/A", root + u"/b", root + u"/c"}));
    // Never opened: children are there, their children not yet.
    QCOMPARE(h.tree.Node(root + u"/b")->childCount(), 0);
    QVERIFY(h.dialogs.calls().isEmpty());

    rootNode->setExpanded(true);  // raises the same handling as opening by hand
    QCOMPARE(h.childKeys(root + u"/b"), QStringList{root + u"/b/b1"});
    QCOMPARE(h.childKeys(root + u"/A"), QStringList{root + u"/A/a1"});
    QCOMPARE(h.tree.Node(root + u"/c")->childCount(), 0);
    QCOMPARE(h.tree.Node(root + u"/b/b1")->childCount(), 0);
    QVERIFY(!h.state.TreeBusy);

    h.tree.Node(root + u"/b")->setExpanded(true);
    QCOMPARE(h.childKeys(root + u"/b/b1"), QStringList{root + u"/b/b1/b11"});
    // Opening again does not add the grandchildren twice.
    h.tree.Node(root + u"/b")->setExpanded(false);
    rootNode->setExpanded(false);
    rootNode->setExpanded(true);
    QCOMPARE(h.childKeys(root + u"/A"), QStringList{root + u"/A/a1"});
    QVERIFY(h.dialogs.calls().isEmpty());

    // Building again starts afresh on another root.
    h.tree.BuildDriveTree(root + u"/b");
    QCOMPARE(h.tree.RootKey(), root + u"/b");
    QVERIFY(!h.tree.Node(root + u"/A"));
    QCOMPARE(h.childKeys(root + u"/b"), QStringList{root + u"/b/b1"});
}

void TestFolderTree::collapseLeavesPlaceholderAndReopenRereads() {
    QTemporaryDir dir;
    const QString root = dir.path();
    makeFolders(root, {u"a/x/deep"_s, u"a/y"_s});
    Harness h;
    h.tree.BuildDriveTree(root);
    h.tree.RootNode()->setExpanded(true);
    QTreeWidgetItem* a = h.tree.Node(root + u"/a");
    a->setExpanded(true);
    QVERIFY(h.tree.Node(root + u"/a/x/deep"));

    a->setExpanded(false);
    QCOMPARE(a->childCount(), 1);
    QVERIFY(FolderTree::IsPlaceholder(a->child(0)));
    QCOMPARE(a->child(0)->text(0), FolderTree::PlaceholderText());
    QCOMPARE(FolderTree::NodeKey(a->child(0)), FolderTree::PlaceholderKey(root + u"/a"));
    QVERIFY(!h.tree.Node(root + u"/a/x"));
    QVERIFY(!h.tree.Node(root + u"/a/x/deep"));
    // Closing the root keeps its children.
    h.tree.RootNode()->setExpanded(false);
    QVERIFY(h.tree.Node(root + u"/a"));
    h.tree.RootNode()->setExpanded(true);

    makeFolders(root, {u"a/new"_s, u"a/new/child"_s});
    a->setExpanded(true);
    QVERIFY(a->isExpanded());
    QCOMPARE(h.childTexts(root + u"/a"), (QStringList{u"new"_s, u"x"_s, u"y"_s}));
    QCOMPARE(h.childKeys(root + u"/a/new"), QStringList{root + u"/a/new/child"});
    QVERIFY(h.tree.Node(root + u"/a/x/deep"));
    QVERIFY(h.dialogs.calls().isEmpty());
}

void TestFolderTree::collapseListsTheClosedNodeWhenItHeldTheSelection() {
    QTemporaryDir dir;
    const QString root = dir.path();
    makeFolders(root, {u"a/b/c"_s});
    Harness h;
    QSignalSpy listed(&h.tree, &FolderTree::folderSelected);
    h.tree.BuildDriveTree(root);
    h.tree.ExpandToPath(root, root + u"/a/b", false);
    h.state.CurrentFolder = root + u"/a/b";
    QCOMPARE(listed.count(), 0);

    h.tree.Node(root + u"/a")->setExpanded(false);
    QCOMPARE(h.tree.SelectedFolderPath(), root + u"/a");
    QCOMPARE(listed.count(), 1);
    QCOMPARE(listed.at(0).at(0).toString(), root + u"/a");
    QCOMPARE(h.state.CurrentFolder, root + u"/a");
}

void TestFolderTree::nodeColoursAndImages() {
    QTemporaryDir dir;
    const QString root = dir.path();
    makeFolders(root, {u".hid"_s, u"ro"_s, u"plain"_s, u"Bilder"_s, u"Music"_s, u"Videos"_s,
                       u"My Music"_s});
    for (const QString& name : {u"ro"_s, u"Bilder"_s, u"Music"_s, u"My Music"_s}) {
        QCOMPARE(chmod(QFile::encodeName(root + u'/' + name).constData(), 0555), 0);
    }
    const auto restore = qScopeGuard([&root] {
        for (const QString& name : {u"ro"_s, u"Bilder"_s, u"Music"_s, u"My Music"_s}) {
            chmod(QFile::encodeName(root + u'/' + name).constData(), 0755);
        }
    });
    Harness h;
    SpecialFolderNames special;
    special.pictures = u"Bilder"_s;  // this desktop's names, whatever its language
    special.music = u"Music"_s;
    special.videos = u"Videos"_s;
    h.tree.setSpecialFolders(special);
    h.tree.BuildDriveTree(root);
    QVERIFY(!h.tree.Node(root + u"/.hid"));
    QVERIFY(!h.tree.Node(root + u"/ro"));

    h.module.mHiddenAtr = 1;
    h.module.mReadOnlyAtr = 1;
    h.tree.BuildDriveTree(root);
    QCOMPARE(colourOf(h.tree.Node(root + u"/.hid")), QColor(128, 0, 128));
    QCOMPARE(colourOf(h.tree.Node(root + u"/ro")), QColor(0, 128, 0));
    QCOMPARE(colourOf(h.tree.Node(root + u"/plain")), QColor(0, 0, 0));

    const IconKeySet& icons = h.module.icons;
    const auto imageOf = [&](const QString& name) {
        return h.tree.Node(root + u'/' + name)->data(0, FolderTree::ImageRole).toString();
    };
    QCOMPARE(imageOf(u"plain"_s), icons.FolderClose);
    // A read-only folder with a special folder's name gets its picture (the list's rule too);
    // a writable one, or one of the Windows names, is a plain folder.
    QCOMPARE(imageOf(u"Bilder"_s), icons.MyPicture);
    QCOMPARE(imageOf(u"Music"_s), icons.MyMusic);
    QCOMPARE(imageOf(u"Videos"_s), icons.FolderClose);
    QCOMPARE(imageOf(u"My Music"_s), icons.FolderClose);
    QCOMPARE(
        folderImageKey(u"Music"_s, EntryAttribute::ReadOnly, AttributeFilter{}, icons, special),
        icons.FolderClose);
    // The selected node shows the open folder.
    QTreeWidgetItem* plain = h.tree.Node(root + u"/plain");
    h.tree.SelectNode(plain);
    QCOMPARE(plain->icon(0).cacheKey(), h.images.icon(icons.FolderOpen).cacheKey());
    h.tree.SelectNode(h.tree.RootNode());
    QCOMPARE(plain->icon(0).cacheKey(), h.images.icon(icons.FolderClose).cacheKey());
}

void TestFolderTree::expandToPathOpensAndSelectsDeepFolder() {
    QTemporaryDir dir;
    const QString root = dir.path();
    makeFolders(root, {u"a/b/c/d/e"_s, u"a/b/other"_s});
    Harness h;
    QSignalSpy listed(&h.tree, &FolderTree::folderSelected);
    h.tree.BuildDriveTree(root);
    const QString deep = root + u"/a/b/c/d";
    h.tree.ExpandToPath(root, deep + u'/', true);

    QTreeWidgetItem* node = h.tree.Node(deep);
    QVERIFY(node);
    QCOMPARE(h.tree.SelectedFolderPath(), deep);
    QVERIFY(node->isExpanded());
    QVERIFY(h.tree.Node(root + u"/a/b")->isExpanded());
    QVERIFY(h.tree.Node(deep + u"/e"));
    QVERIFY(node->font(0).bold());
    QCOMPARE(colourOf(node), QColor(0, 0, 255));
    QCOMPARE(listed.count(), 0);  // the caller lists the folder
    QVERIFY(h.dialogs.calls().isEmpty());

    h.tree.BuildDriveTree(root);
    h.tree.ExpandToPath(root, root + u"/a/b", false);
    QCOMPARE(h.tree.SelectedFolderPath(), root + u"/a/b");
    QVERIFY(!h.tree.Node(root + u"/a/b")->isExpanded());

    // The root written as a folder is opened even without expandLast; written as the drive it
    // follows expandLast.
    h.tree.BuildDriveTree(root);
    h.tree.ExpandToPath(root, root + u'/', false);
    QCOMPARE(h.tree.SelectedFolderPath(), root);
    QVERIFY(h.tree.RootNode()->isExpanded());
    h.tree.BuildDriveTree(root);
    h.tree.ExpandToPath(root, root, false);
    QCOMPARE(h.tree.SelectedFolderPath(), root);
    QVERIFY(!h.tree.RootNode()->isExpanded());
}

void TestFolderTree::expandToPathStopsAtMissingNode() {
    QTemporaryDir dir;
    const QString root = dir.path();
    makeFolders(root, {u"a/.secret/inner"_s, u"a/.other"_s, u"a/shown"_s});
    Harness h;
    h.tree.BuildDriveTree(root);
    // A folder asked for by name is shown though the settings hide it, its hidden sibling not.
    h.tree.ExpandToPath(root, root + u"/a/.secret/inner", true);
    QVERIFY(h.dialogs.calls().isEmpty());
    QCOMPARE(h.tree.SelectedFolderPath(), QString(root + u"/a/.secret/inner"));
    QCOMPARE(h.childKeys(root + u"/a"), QStringList({root + u"/a/.secret", root + u"/a/shown"}));
    QCOMPARE(colourOf(h.tree.Node(root + u"/a/.secret")), QColor(128, 0, 128));

    // A folder that is not there stops the opening with the error box.
    h.tree.BuildDriveTree(root);
    h.tree.ExpandToPath(root, root + u"/a/gone/inner", true);
    const QList<ScriptedDialogs::Call> messages = h.dialogs.messages();
    QCOMPARE(messages.size(), 1);
    QCOMPARE(messages.at(0).text, errorBoxText(run_error::kPathNotFound));
    QCOMPARE(messages.at(0).title, errorBoxTitle());
    QCOMPARE(h.dialogs.beeps(), 1);
    // The tree stays as far as it was opened.
    QVERIFY(h.tree.Node(root + u"/a")->isExpanded());
    QVERIFY(!h.tree.Node(root + u"/a/.secret"));
    QVERIFY(!h.tree.Node(root + u"/a/gone"));

    h.dialogs.clear();
    h.tree.ExpandToPath(root, u"/elsewhere/x"_s, true);
    QCOMPARE(h.dialogs.messages().size(), 1);
}

void TestFolderTree::rootWithoutPictureIsToldAndBuilt() {
    QTemporaryDir dir;
    makeFolders(dir.path(), {u"a"_s});
    Harness h;
    h.tree.BuildDriveTree(dir.path());
    QVERIFY(h.dialogs.calls().isEmpty());
    // No pictures of our own and no icon theme: the root's picture cannot be had.
    QIcon::setThemeSearchPaths({});
    QIcon::setFallbackSearchPaths({});
    QIcon::setThemeName(u"no-such-theme"_s);
    QIcon::setFallbackThemeName(u"no-such-theme"_s);
    h.images = ImageList();
    h.tree.BuildDriveTree(dir.path());
    const QList<ScriptedDialogs::Call> messages = h.dialogs.messages();
    QCOMPARE(messages.size(), 1);
    QCOMPARE(messages.at(0).text, browser_msg::listIconFailed(dir.path()));
    QCOMPARE(toString(messages.at(0).icon), toString(MsgIcon::Information));
    QCOMPARE(h.tree.RootKey(), dir.path());
    QVERIFY(h.tree.Node(dir.path() + u"/a"));
}

void TestFolderTree::deleteTreeFolder() {
    QTemporaryDir dir;
    const QString root = dir.path();
    makeFolders(root, {u"a/one"_s, u"a/two/inner"_s, u"a/three"_s});
    Harness h;
    QStringList asked;
    bool agree = false;
    h.tree.setFolderDeleter([&](const QString& folder) {
        asked << folder;
        if (agree) {
            QDir(folder).removeRecursively();
        }
    });
    QSignalSpy listed(&h.tree, &FolderTree::folderSelected);
    h.tree.BuildDriveTree(root);
    h.tree.ExpandToPath(root, root + u"/a/two", true);

    // Declined: the folder is still there, so is its node.
    h.tree.DeleteTreeFolder();
    QCOMPARE(asked, QStringList{root + u"/a/two"});
    QVERIFY(h.tree.Node(root + u"/a/two"));
    QCOMPARE(listed.count(), 0);

    agree = true;
    h.tree.DeleteTreeFolder();
    QVERIFY(!QFileInfo::exists(root + u"/a/two"));
    QVERIFY(!h.tree.Node(root + u"/a/two"));
    QVERIFY(!h.tree.Node(root + u"/a/two/inner"));
    const QString now = h.tree.SelectedFolderPath();
    QVERIFY(!now.isEmpty());
    QVERIFY(h.tree.Node(now));
    QCOMPARE(listed.count(), 1);
    QCOMPARE(listed.at(0).at(0).toString(), now);
    QCOMPARE(h.state.CurrentFolder, now);

    // The root is never deleted.
    asked.clear();
    h.tree.SelectNode(h.tree.RootNode());
    h.tree.DeleteTreeFolder();
    QVERIFY(asked.isEmpty());
    QVERIFY(QFileInfo::exists(root));
    QVERIFY(h.dialogs.calls().isEmpty());
}

void TestFolderTree::vanishedFolderOpensEmpty() {
    QTemporaryDir dir;
    const QString root = dir.path();
    makeFolders(root, {u"gone/sub/subsub"_s, u"stay/sub"_s});
    Harness h;
    h.tree.BuildDriveTree(root);
    h.tree.RootNode()->setExpanded(true);
    QVERIFY(QDir(root + u"/gone").removeRecursively());

    QTreeWidgetItem* gone = h.tree.Node(root + u"/gone");
    gone->setExpanded(true);  // its child node is still there; the child finds nothing
    QVERIFY(!h.tree.Node(root + u"/gone/sub/subsub"));
    gone->setExpanded(false);
    gone->setExpanded(true);  // now the placeholder is read: nothing
    QCOMPARE(gone->childCount(), 0);
    QVERIFY(h.dialogs.calls().isEmpty());
    QVERIFY(!h.state.TreeBusy);
    h.tree.Node(root + u"/stay")->setExpanded(true);
    QVERIFY(h.tree.Node(root + u"/stay/sub"));
}

void TestFolderTree::namesThatAreNotUtf8() {
    QTemporaryDir dir;
    const QString root = dir.path();
    const QByteArray rawName("bad\xff\xfe-name");
    const QByteArray rawPath = QFile::encodeName(root) + '/' + rawName;
    QCOMPARE(mkdir(rawPath.constData(), 0755), 0);
    const QByteArray rawInner = rawPath + "/inner\x81";
    QCOMPARE(mkdir(rawInner.constData(), 0755), 0);
    // QTemporaryDir removes through text names and would leave these behind.
    const auto cleanup = qScopeGuard([&] {
        rmdir(rawInner.constData());
        rmdir(rawPath.constData());
    });
    makeFolders(root, {u"ok"_s});
    Harness h;
    h.tree.BuildDriveTree(root);

    QTreeWidgetItem* bad = nullptr;
    for (int i = 0; i < h.tree.RootNode()->childCount(); ++i) {
        if (h.tree.RootNode()->child(i)->text(0).startsWith(u"bad")) {
            bad = h.tree.RootNode()->child(i);
        }
    }
    QVERIFY(bad);
    QVERIFY(bad->text(0).contains(QChar::ReplacementCharacter));
    const QString key = FolderTree::NodeKey(bad);
    QCOMPARE(encodeFileName(key), rawPath);
    QCOMPARE(h.tree.Node(key), bad);
    QVERIFY(folderExistsOnDisk(key));

    h.tree.RootNode()->setExpanded(true);
    bad->setExpanded(true);
    QCOMPARE(bad->childCount(), 1);
    QCOMPARE(encodeFileName(FolderTree::NodeKey(bad->child(0))), rawInner);
    h.tree.SelectNode(bad);
    QCOMPARE(encodeFileName(h.tree.SelectedFolderPath()), rawPath);
}

void TestFolderTree::clicksAndKeys() {
    QTemporaryDir dir;
    const QString root = dir.path();
    makeFolders(root, {u"a"_s, u"b"_s, u"c"_s});
    Harness h;
    QSignalSpy listed(&h.tree, &FolderTree::folderSelected);
    h.tree.BuildDriveTree(root);
    h.tree.ExpandToPath(root, root, true);
    h.state.CurrentFolder = root;

    QTest::mouseClick(h.view.viewport(), Qt::LeftButton, {}, h.centreOf(root + u"/b"));
    QCOMPARE(listed.count(), 1);
    QCOMPARE(listed.at(0).at(0).toString(), root + u"/b");
    QCOMPARE(h.state.CurrentFolder, root + u"/b");
    QCOMPARE(h.tree.SelectedFolderPath(), root + u"/b");
    QCOMPARE(h.state.FocusPane, 2);
    QVERIFY(h.state.DragEndRequest);

    // A folder already shown is not listed again; the root always is.
    QTest::mouseClick(h.view.viewport(), Qt::LeftButton, {}, h.centreOf(root + u"/b"));
    QCOMPARE(listed.count(), 1);
    QTest::mouseClick(h.view.viewport(), Qt::LeftButton, {}, h.centreOf(root));
    QTest::mouseClick(h.view.viewport(), Qt::LeftButton, {}, h.centreOf(root));
    QCOMPARE(listed.count(), 4);  // node click and root refresh, then the refresh alone
    QCOMPARE(listed.last().at(0).toString(), root);

    // The click that ends a drag only ends it.
    h.state.DragActive = true;
    QTest::mouseClick(h.view.viewport(), Qt::LeftButton, {}, h.centreOf(root + u"/c"));
    QVERIFY(!h.state.DragActive);
    QCOMPARE(listed.count(), 4);

    // The right button asks for the menu and leaves the selection.
    h.tree.SelectNode(h.tree.Node(root + u"/a"));
    QSignalSpy menu(&h.tree, &FolderTree::contextMenuRequested);
    QTest::mouseClick(h.view.viewport(), Qt::RightButton, {}, h.centreOf(root + u"/c"));
    QCOMPARE(menu.count(), 1);
    QCOMPARE(h.tree.SelectedFolderPath(), root + u"/a");

    // Moving the selection with the keyboard lists the folder reached.
    h.state.CurrentFolder = root + u"/a";
    h.view.setFocus();
    const int before = listed.count();
    QTest::keyClick(&h.view, Qt::Key_Down);
    QCOMPARE(h.tree.SelectedFolderPath(), root + u"/b");
    QCOMPARE(listed.count(), before + 1);
    QCOMPARE(listed.last().at(0).toString(), root + u"/b");
    // Typing a letter does not jump to the folder of that letter.
    QTest::keyClick(&h.view, Qt::Key_C);
    QCOMPARE(h.tree.SelectedFolderPath(), root + u"/b");
    QCOMPARE(listed.count(), before + 1);

    h.state.FocusPane = 1;
    h.state.DragEndRequest = false;
    h.tree.GotFocus();
    QCOMPARE(h.state.FocusPane, 2);
    QVERIFY(h.state.DragEndRequest);
    h.tree.Timer2().start();
    QTest::mouseDClick(h.view.viewport(), Qt::LeftButton, {}, h.centreOf(root + u"/a"));
    QVERIFY(!h.tree.Timer2().isActive());
    QVERIFY(h.dialogs.calls().isEmpty());
}

void TestFolderTree::addedNodesStaySortedAndMergeWithReading() {
    QTemporaryDir dir;
    const QString root = dir.path();
    makeFolders(root, {u"p/b"_s, u"p/d"_s});
    Harness h;
    h.tree.BuildDriveTree(root);
    h.tree.RootNode()->setExpanded(true);
    QTreeWidgetItem* p = h.tree.Node(root + u"/p");
    p->setExpanded(true);
    p->setExpanded(false);  // placeholder only now

    // A folder command adds a node under the closed node; opening it later reads the rest
    // without a duplicate, and the placeholder never stays.
    makeFolders(root, {u"p/C"_s, u"p/a"_s});
    QVERIFY(h.tree.AddNode(root + u"/p", root + u"/p/C", u"C"_s, h.module.icons.FolderClose));
    QVERIFY(!h.tree.AddNode(root + u"/p", root + u"/p/C", u"C"_s, h.module.icons.FolderClose));
    QVERIFY(!h.tree.AddNode(root + u"/none", root + u"/none/x", u"x"_s, {}));
    p->setExpanded(true);
    QCOMPARE(h.childTexts(root + u"/p"), (QStringList{u"a"_s, u"b"_s, u"C"_s, u"d"_s}));
    QVERIFY(h.dialogs.calls().isEmpty());

    QVERIFY(h.tree.RemoveNode(root + u"/p/b"));
    QVERIFY(!h.tree.RemoveNode(root + u"/p/b"));
    QCOMPARE(h.childTexts(root + u"/p"), (QStringList{u"a"_s, u"C"_s, u"d"_s}));
}

void TestFolderTree::dragEndingExpansionNeverShowsPlaceholder() {
    QTemporaryDir dir;
    const QString root = dir.path();
    makeFolders(root, {u"a/x"_s});
    Harness h;
    h.tree.BuildDriveTree(root);
    h.tree.RootNode()->setExpanded(true);
    QTreeWidgetItem* a = h.tree.Node(root + u"/a");
    a->setExpanded(true);
    a->setExpanded(false);

    h.state.DragActive = true;
    a->setExpanded(true);
    QVERIFY(!h.state.DragActive);
    QCOMPARE(h.childKeys(root + u"/a"), QStringList{root + u"/a/x"});
    QVERIFY(h.dialogs.calls().isEmpty());
}

void TestFolderTree::treeStyle() {
    QTemporaryDir dir;
    makeFolders(dir.path(), {u"a/b"_s, u"c"_s});
    Harness h;
    h.tree.BuildDriveTree(dir.path());
    h.tree.ExpandToPath(dir.path(), dir.path() + u"/a", true);
    h.tree.setLinesVisible(false);
    QVERIFY(!h.view.linesVisible());
    h.tree.setLinesVisible(true);
    QVERIFY(h.view.linesVisible());
    QVERIFY(!h.view.grab().isNull());  // draws the lines
    h.tree.setIconsVisible(false);
    QCOMPARE(h.view.iconSize(), QSize(0, 0));
    h.tree.setIconsVisible(true);
    QVERIFY(h.view.iconsVisible());
    QVERIFY(h.view.iconSize() != QSize(0, 0));
}

QTEST_MAIN(TestFolderTree)
#include "tst_folder_tree.moc"
