// The folder picker and network commands of the tree's menu, on the real tree, list and location
// box, with a machine whose volumes the test names (one of them a network volume).
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QHBoxLayout>
#include <QTemporaryDir>
#include <QTest>

#include "browser/file_list.h"
#include "browser/file_list_view.h"
#include "browser/folder_tree.h"
#include "browser/image_list.h"
#include "browser/location_box.h"
#include "browser/navigation.h"
#include "browser/navigation_messages.h"
#include "browser/tree_state.h"
#include "browser/tree_view1.h"
#include "platform/interval_timer.h"
#include "platform/scripted_dialogs.h"
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
};

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
