// quorvane-bench tree: opening a tree node with many subfolders.
//   tree-2000: a closed node with 2,000 subfolders (each holding two folders and two files) is
//   opened through the real expand handling on the real tree control (children read, then each
//   child's own children), against a bare readdir of the folder and of each subfolder.
#include <dirent.h>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTreeWidgetItem>
#include <algorithm>
#include <vector>

#include "browser/folder_tree.h"
#include "browser/image_list.h"
#include "browser/tree_state.h"
#include "browser/tree_view1.h"
#include "platform/scripted_dialogs.h"
#include "settings/module1.h"

namespace {

constexpr int kFolders = 2000;
constexpr int kRounds = 9;

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

bool makeData(const QString& parent) {
    QDir dir;
    for (int i = 0; i < kFolders; ++i) {
        const QString folder = parent + QStringLiteral("/folder%1").arg(i, 4, 10, QLatin1Char('0'));
        if (!dir.mkpath(folder + u"/sub1") || !dir.mkpath(folder + u"/sub2")) {
            return false;
        }
        for (const char16_t* name : {u"/a.mp3", u"/b.avi"}) {
            QFile file(folder + QStringView(name));
            if (!file.open(QIODevice::WriteOnly)) {
                return false;
            }
        }
    }
    return true;
}

// Counts the entries of a folder with readdir alone; the folders it meets are collected.
qsizetype readFolder(const QByteArray& path, std::vector<QByteArray>* subfolders) {
    DIR* dir = opendir(path.constData());
    if (dir == nullptr) {
        return 0;
    }
    qsizetype count = 0;
    while (const dirent* entry = readdir(dir)) {
        ++count;
        if (subfolders != nullptr && entry->d_type == DT_DIR && entry->d_name[0] != '.') {
            subfolders->push_back(path + '/' + entry->d_name);
        }
    }
    closedir(dir);
    return count;
}

double baselineRun(const QByteArray& parent, qsizetype& entries) {
    QElapsedTimer timer;
    timer.start();
    std::vector<QByteArray> subfolders;
    subfolders.reserve(kFolders);
    entries = readFolder(parent, &subfolders);
    for (const QByteArray& folder : subfolders) {
        entries += readFolder(folder, nullptr);
    }
    return timer.nsecsElapsed() / 1e6;
}

}  // namespace

int runTreeBench() {
    QTextStream out(stdout);
    QTemporaryDir dir;
    const QString parent = dir.path() + u"/parent";
    if (!dir.isValid() || !makeData(parent)) {
        out << "tree-2000: could not make the test folders\n";
        return 1;
    }

    Module1 module;
    TreeState state;
    ScriptedDialogs dialogs;
    ImageList images = ImageList::withBuiltinImages();
    TreeView1 view;
    view.resize(300, 600);
    view.show();
    FolderTree tree(view, module, state, dialogs, images);
    tree.BuildDriveTree(dir.path());
    tree.RootNode()->setExpanded(true);
    QTreeWidgetItem* node = tree.Node(parent);
    // Opened once and closed: the node holds the placeholder, as a node the user closed does.
    node->setExpanded(true);
    node->setExpanded(false);
    QCoreApplication::processEvents();

    std::vector<double> ours;
    std::vector<double> layout;
    std::vector<double> baseline;
    qsizetype entries = 0;
    const QByteArray nativeParent = QFile::encodeName(parent);
    baselineRun(nativeParent, entries);  // warms the same caches for both
    for (int round = 0; round < kRounds; ++round) {
        baseline.push_back(baselineRun(nativeParent, entries));

        QElapsedTimer timer;
        timer.start();
        node->setExpanded(true);
        ours.push_back(timer.nsecsElapsed() / 1e6);
        QCoreApplication::processEvents();  // the view lays the opened node out
        layout.push_back(timer.nsecsElapsed() / 1e6);

        if (node->childCount() != kFolders || node->child(0)->childCount() != 2 ||
            !dialogs.calls().isEmpty()) {
            out << "tree-2000: the node was not filled as expected\n";
            return 1;
        }
        node->setExpanded(false);
        QCoreApplication::processEvents();
    }
    const double x = median(ours);
    const double y = median(baseline);
    out << "tree-2000: ours=" << QString::number(x, 'f', 2)
        << " ms baseline=" << QString::number(y, 'f', 2)
        << " ms ratio=" << QString::number(x / y, 'f', 2)
        << " with_layout_ms=" << QString::number(median(layout), 'f', 2)
        << " nodes=" << (kFolders * 3) << " entries=" << entries << '\n';
    return 0;
}
