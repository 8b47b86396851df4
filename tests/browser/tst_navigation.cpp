// The folder picker and network commands of the tree's menu, on the real tree, list and location
// box, with a machine whose volumes the test names (one of them a network volume).
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHBoxLayout>
#include <QTemporaryDir>
#include <QTest>

#include "browser/drive_ready.h"
#include "browser/file_list.h"
#include "browser/file_list_view.h"
#include "browser/folder_tree.h"
#include "browser/image_list.h"
#include "browser/location_box.h"
#include "browser/messages.h"
#include "browser/navigation.h"
#include "browser/navigation_messages.h"
#include "browser/tree_state.h"
#include "browser/tree_view1.h"
#include "platform/interval_timer.h"
#include "platform/scripted_dialogs.h"
#include "quiet_share.h"
#include "settings/live_settings.h"
#include "settings/module1.h"
#include "settings/playback_hold.h"

using namespace Qt::StringLiterals;

namespace {

struct Harness {
    explicit Harness(QList<Volume> machine) : volumes(std::move(machine)) {
        auto* layout = new QHBoxLayout(&window);
        layout->addWidget(&combo);
        layout->addWidget(&treeView);
        layout->addWidget(&listView);
        window.show();
        window.activateWindow();
    }
    Navigation::Hooks hooks() {
        Navigation::Hooks h;
        h.volumes = [this] { return volumes; };
        return h;
    }

    QList<Volume> volumes;
    Module1 module;
    LiveSettings settings{module};
    TreeState state;
    ScriptedDialogs dialogs;
    ImageList images = ImageList::withBuiltinImages();
    QWidget window;
    QComboBox combo;
    TreeView1 treeView;
    FileListView listView;
    IntervalTimer timer1;
    FolderTree tree{treeView, module, state, dialogs, images};
    FileList list{module, dialogs, images, listView};
    LocationBox location{combo, module, images, dialogs};
    PlaybackHold hold{module, {}, [this] { timer1.stop(); }};
    Navigation nav{module,   settings, state, dialogs, tree,   list,
                   location, hold,     {},    hooks(), &window};
};

}  // namespace

class TestNavigation : public QObject {
    Q_OBJECT

private slots:
    void pickerCommandsFocusTheTreeAndFollowTheNetworkVolumeOnShow();
    void aShareThatDoesNotAnswerIsToldAndTheWindowGoesOn();
    void itemsHandedOverAndQuickPathsAreLookedAtOffTheWindow();
};

// Going to a folder on a share that does not answer: the window goes on at once and stays where
// it was; after a few seconds the share is told as not ready. Going elsewhere meanwhile forgets
// it, and a share that answers in time is gone to.
void TestNavigation::aShareThatDoesNotAnswerIsToldAndTheWindowGoesOn() {
    QuietShare share({.delay = 30, .quiet = true});
    if (!share.available()) {
        QSKIP(qPrintable(share.whyNot()));
    }
    QTemporaryDir dir;
    const QString local = dir.filePath(u"local"_s);
    QVERIFY(QDir().mkpath(local));
    const Volume root{u"/"_s, u"ext4"_s, u"/dev/sda1"_s, DriveType::Fixed, true};
    const Volume net{share.path(), u"fuse.quiet_share"_s, u"quiet"_s, DriveType::Remote, true};
    Harness h({root, net});
    h.module.mReadOnlyAtr = 1;  // the share is read-only
    h.nav.setProbeTimes(std::chrono::milliseconds(50), std::chrono::milliseconds(1000));
    h.nav.GoToPath(local, true);
    QCOMPARE(h.tree.SelectedFolderPath(), local);

    QElapsedTimer clock;
    clock.start();
    h.nav.GoToPath(share.path() + u"/folder1", true);
    QVERIFY(clock.elapsed() < 10000);  // far less than the share's wait
    QCOMPARE(h.tree.SelectedFolderPath(), local);
    QTRY_COMPARE_WITH_TIMEOUT(h.dialogs.messages().size(), 1, 5000);
    QCOMPARE(h.dialogs.messages().at(0).text,
             browser_msg::driveNotReady(share.path(), driveTypeName(DriveType::Remote)));
    QCOMPARE(h.tree.SelectedFolderPath(), local);

    h.nav.GoToPath(share.path() + u"/folder2", true);
    h.nav.GoToPath(local, true);
    QTest::qWait(1500);
    QCOMPARE(h.dialogs.messages().size(), 1);

    // Picked in the location box: the window goes on, and the volume is told as not ready.
    clock.restart();
    h.nav.ImageCombo1_Click(share.path());
    QVERIFY(clock.elapsed() < 10000);
    QCOMPARE(h.tree.SelectedFolderPath(), local);
    QTRY_COMPARE_WITH_TIMEOUT(h.dialogs.messages().size(), 2, 5000);
    QCOMPARE(h.dialogs.messages().at(1).text, h.dialogs.messages().at(0).text);

    h.nav.GoToPath(share.path() + u"/folder1", true);
    QVERIFY(share.setQuiet(false));
    QTRY_COMPARE_WITH_TIMEOUT(h.tree.SelectedFolderPath(), share.path() + u"/folder1", 10000);
    QCOMPARE(h.dialogs.messages().size(), 2);
}

// An item dropped or named on the command line: a file shows in its folder with its row selected
// once the folder is listed, a path that is not there does nothing. A quick path that has gone
// is passed over without a word; one on a share that does not answer keeps the window live and
// is gone to when the share answers.
void TestNavigation::itemsHandedOverAndQuickPathsAreLookedAtOffTheWindow() {
    QuietShare share({.delay = 30, .quiet = true});
    QTemporaryDir dir;
    const QString local = dir.filePath(u"local"_s);
    QVERIFY(QDir().mkpath(local + u"/sub"));
    for (const char* name : {"a.mpg", "b.mpg"}) {
        QFile file(local + u'/' + QString::fromLatin1(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    const Volume root{u"/"_s, u"ext4"_s, u"/dev/sda1"_s, DriveType::Fixed, true};
    QList<Volume> volumes{root};
    if (share.available()) {
        volumes << Volume{share.path(), u"fuse.quiet_share"_s, u"quiet"_s, DriveType::Remote, true};
    }
    Harness h(volumes);
    h.module.mReadOnlyAtr = 1;  // the share is read-only
    h.module.mDspFile = u"*.mpg"_s;
    h.nav.setProbeTimes(std::chrono::milliseconds(50), std::chrono::milliseconds(3000));
    h.nav.GoToPath(local + u"/sub", true);
    QCOMPARE(h.tree.SelectedFolderPath(), local + u"/sub");

    QStringList shown;
    h.nav.showItem(local + u"/b.mpg", [&](const QString& file) { shown << file; });
    QTRY_COMPARE(shown, QStringList{local + u"/b.mpg"});
    QCOMPARE(h.tree.SelectedFolderPath(), local);
    QCOMPARE(h.list.SelectedPath(), local + u"/b.mpg");
    h.nav.showItem(local + u"/sub", [&](const QString& file) { shown << u"folder:"_s + file; });
    QTRY_COMPARE(shown.size(), 2);
    QCOMPARE(shown.last(), u"folder:"_s);
    QCOMPARE(h.tree.SelectedFolderPath(), local + u"/sub");
    h.nav.showItem(local + u"/gone.mpg", [&](const QString& file) { shown << file; });
    h.module.mQuickPath[0] = local + u"/gone";
    h.nav.pass_Click(0);
    QTest::qWait(300);
    QCOMPARE(shown.size(), 2);
    QCOMPARE(h.tree.SelectedFolderPath(), local + u"/sub");
    QVERIFY(h.dialogs.messages().isEmpty());

    if (!share.available()) {
        QSKIP(qPrintable(share.whyNot()));
    }
    h.module.mQuickPath[1] = share.path() + u"/folder2";
    QElapsedTimer clock;
    clock.start();
    h.nav.pass_Click(1);
    QVERIFY(clock.elapsed() < 10000);  // far less than the share's wait
    QCOMPARE(h.tree.SelectedFolderPath(), local + u"/sub");
    QVERIFY(share.setQuiet(false));
    QTRY_COMPARE_WITH_TIMEOUT(h.tree.SelectedFolderPath(), share.path() + u"/folder2", 10000);
    QVERIFY(h.dialogs.messages().isEmpty());
}

void TestNavigation::pickerCommandsFocusTheTreeAndFollowTheNetworkVolumeOnShow() {
    QTemporaryDir dir;
    const QString net = dir.filePath(u"net"_s);
    const QString local = dir.filePath(u"local"_s);
    QVERIFY(QDir().mkpath(net + u"/music"));
    QVERIFY(QDir().mkpath(local));
    const Volume root{u"/"_s, u"ext4"_s, u"/dev/sda1"_s, DriveType::Fixed, true};
    const Volume share{net, u"nfs"_s, u"srv:/music"_s, DriveType::Remote, true};
    Harness h({root, share});
    QVERIFY(QTest::qWaitForWindowActive(&h.window));
    // The box lists the share alone, so a local folder leaves it as the command left it.
    h.location.FillLocationBox({share});

    // Both pickers give the tree the focus before they ask; nothing else moves on a cancel.
    for (auto command : {&Navigation::GoNetWtok_Click, &Navigation::GoFolder_Click}) {
        h.listView.setFocus();
        QTRY_VERIFY(h.listView.hasFocus());
        (h.nav.*command)();
        QVERIFY(h.treeView.hasFocus());
        QCOMPARE(h.dialogs.calls().last().kind, ScriptedDialogs::Kind::Folder);
    }
    QCOMPARE(h.dialogs.calls().size(), 2);

    // A share on show is remembered in mNetDrive.
    h.nav.GoToPath(net + u"/music", true);
    QCOMPARE(h.module.mNetDrive, net);
    QCOMPARE(h.tree.SelectedFolderPath(), QString(net + u"/music"));
    QVERIFY(h.location.selectKey(net));

    // The picker empties the box because mNetDrive names a network volume, not because of the
    // folder chosen.
    h.dialogs.answerFolder(local);
    h.nav.GoFolder_Click();
    QCOMPARE(h.tree.SelectedFolderPath(), local);
    QCOMPARE(h.location.currentKey(), QString());

    h.module.mNetDrive = local;
    QVERIFY(h.location.selectKey(net));
    h.dialogs.answerFolder(local);
    h.nav.GoFolder_Click();
    QCOMPARE(h.location.currentKey(), net);
    QCOMPARE(h.dialogs.messages().size(), 0);
}

QTEST_MAIN(TestNavigation)
#include "tst_navigation.moc"
