#pragma once

#include <QDeadlineTimer>
#include <QHash>
#include <QIcon>
#include <QObject>
#include <QSet>
#include <QString>
#include <QTimer>
#include <chrono>
#include <functional>
#include <memory>

#include "browser/folder_scan.h"
#include "browser/folder_watch.h"

template <typename T>
class BackgroundCall;

class Dialogs;
class ImageList;
class QTreeWidgetItem;
class TreeView1;
struct Module1;
struct TreeState;

// FolderTree: the folder tree of one volume in TreeView1. It builds the root and opens the tree
// along a path, fills each opened node one level ahead (the node's children and their children,
// so every visible folder with subfolders shows its expand button), throws a closed node's
// subtree away and leaves a placeholder child so the next opening reads the folder again, and
// answers the tree's clicks and focus. Every node is found by its key, the folder's full
// path. What the window must do in turn (list a folder, show the context menu, run a folder
// command) leaves through signals.
class CommandTable;
class FolderTree : public QObject {
    Q_OBJECT
public:
    static constexpr int KeyRole = Qt::UserRole;
    static constexpr int ImageRole = Qt::UserRole + 1;
    static constexpr int SelectedImageRole = Qt::UserRole + 2;  // set on the root only
    static constexpr int PlaceholderRole = Qt::UserRole + 3;

    FolderTree(TreeView1& view, Module1& module, TreeState& state, Dialogs& dialogs,
               ImageList& images, QObject* parent = nullptr);

    // Clears the tree and builds the root for a volume's mount point (or any folder taken as
    // the root) with the root's subfolders. A volume's root is named as the location box names
    // it; any other root by its path.
    void BuildDriveTree(const QString& drive);
    // Opens the tree along path (a folder on the volume drive) and selects its node; opens the
    // target too when expandLast is true, and always when path is the root written with "/".
    // A folder on the way that the attribute settings hide gets its node all the same: the user
    // asked for it by name. A folder that is not there stops it with the error box.
    void ExpandToPath(const QString& drive, const QString& path, bool expandLast);
    // The subfolders of an open node changed on disk (seen by the tree's watch, or made by the
    // program): its children follow, read off the window's thread; at once when the reading
    // answers within the deadline and waitBriefly is true.
    void followFolder(const QString& folder, bool waitBriefly = false);
    // Fills the children of the node of path (a folder prefix) that have none yet. Their folders
    // are read off the window's thread; those that take longer than the deadline fill later.
    void AddGrandChildren(const QString& path);
    // How long the window waits for folders read one level ahead before it shows the nodes
    // without them (they fill when they come); opening the tree along a path waits this long
    // once, for all the folders on the way.
    void setScanDeadline(std::chrono::milliseconds deadline) { m_scanDeadline = deadline; }
    // Gives the tree the keyboard focus.
    void focusTree();
    // The arrows on the tree keep the keyboard there.
    void registerCommands(CommandTable& table);
    // The folder of the selected node; empty when none is selected.
    QString SelectedFolderPath() const;
    // Deletes the selected folder through the folder deleter (never the root); once the folder
    // is gone from disk its node goes and the newly selected folder is listed.
    void DeleteTreeFolder();

    // Nodes by key.
    QTreeWidgetItem* Node(const QString& key) const { return m_nodes.value(key); }
    QTreeWidgetItem* RootNode() const { return m_root; }
    QString RootKey() const;
    QTreeWidgetItem* SelectedNode() const;
    static QString NodeKey(const QTreeWidgetItem* node);
    static bool IsPlaceholder(const QTreeWidgetItem* node);
    // Adds a child node in its sorted place; nullptr when the key exists or the parent does not.
    QTreeWidgetItem* AddNode(const QString& parentKey, const QString& key, const QString& text,
                             const QString& imageKey);
    // Removes a node with its subtree; false when there is none.
    bool RemoveNode(const QString& key);
    // Gives the node of key the placeholder child that makes it expandable unread.
    void AddPlaceholder(const QString& key);
    static QString PlaceholderKey(const QString& key);
    static QString PlaceholderText();
    void SelectNode(QTreeWidgetItem* node);

    // The folders of the open nodes are watched: subfolders other programs make, delete or
    // rename appear and vanish; a folder that goes takes its node, and a selection inside it
    // moves to the nearest node left, whose folder the list then shows.
    FolderWatch& watch() { return m_watch; }

    // The drag-hover timer of drag and drop (one second); the tree's handlers stop it.
    QTimer& Timer2() { return m_timer2; }

    // Tree style: lines (the TreeViewLine menu tick) and node pictures.
    void setLinesVisible(bool visible);
    void setIconsVisible(bool visible);
    void setSpecialFolders(const SpecialFolderNames& special) { m_special = special; }
    // What deletes a folder (to the trash, with the user's confirmation); DeleteTreeFolder looks
    // at the disk afterwards, so a declined or failed delete leaves the tree as it was.
    void setFolderDeleter(std::function<void(const QString& folder)> deleter) {
        m_deleteFolder = std::move(deleter);
    }

    // Handlers of TreeView1's events.
    void Expand(QTreeWidgetItem* node);
    void Collapse(QTreeWidgetItem* node);
    void NodeClick(QTreeWidgetItem* node);
    void Click();
    void DblClick();
    void GotFocus();
    // The left button went down on the tree: a drop highlight left over goes.
    void MouseDownLeft();
    // Drags the folder of the pressed node (never the root): onto another node to move it, or
    // out to other programs as a folder.
    void startFolderDrag();

signals:
    // The file list must show this folder.
    void folderSelected(const QString& path);
    // The right button went down on the tree: the window shows its context menu there.
    void contextMenuRequested(const QPoint& globalPos);

private:
    // Adds the subfolders a scan found under the node of key (none when the node has gone);
    // throws when the folder could not be read for want of rights.
    void addScannedSubFolders(const QString& key, SubFolderScan scan);
    // Reads the subfolders of the node of key off the window's thread.
    std::shared_ptr<BackgroundCall<SubFolderScan>> scanLater(const QString& key) const;
    std::shared_ptr<BackgroundCall<SubFolderScan>> scanLater(const QString& key,
                                                             AttributeFilter filter) const;
    // The same, one level ahead: a folder that cannot be read simply shows no children.
    void addGrandChildrenOf(const QString& key, SubFolderScan scan);
    // A folder the user asked for by name gets its node even when the attribute settings hide
    // it (browsing goes on hiding its siblings); nullptr when it is no folder on disk or its
    // parent has no node.
    QTreeWidgetItem* addAskedFolder(const QString& key);
    QTreeWidgetItem* newFolderNode(const QString& key, const QString& name,
                                   EntryAttribute attribute, const QIcon& closedImage) const;
    void registerNode(QTreeWidgetItem* node);
    void forgetSubtree(QTreeWidgetItem* node);
    void removeItem(QTreeWidgetItem* node);
    void insertSorted(QTreeWidgetItem* parent, QTreeWidgetItem* child);
    QTreeWidgetItem* placeholderOf(QTreeWidgetItem* node) const;
    void fillNode(QTreeWidgetItem* node);
    // Reads the children of a node that holds the placeholder, and then its grandchildren when
    // asked; false when the reading goes on after the wait (the rest follows when it comes).
    bool readChildren(QTreeWidgetItem* node, bool grandChildren);
    // What is left of the wait: the deadline, or less within a shared wait.
    std::chrono::milliseconds waitLeft() const;
    // Within its life every wait of the tree comes out of one deadline.
    class SharedWait {
    public:
        explicit SharedWait(FolderTree& tree);
        ~SharedWait();
        SharedWait(const SharedWait&) = delete;
        SharedWait& operator=(const SharedWait&) = delete;

    private:
        FolderTree& m_tree;
        bool m_nested;
    };
    void listFolder(const QString& path);
    void showImage(QTreeWidgetItem* node, bool selected) const;
    QIcon image(const QString& key) const;
    void reportError(const std::exception& error);
    // Watches the folders of the open nodes (soon after the tree changes).
    void watchOpenNodesLater();
    void watchOpenNodes();
    void followScan(const QString& key, SubFolderScan scan);
    // A folder that went takes its node; a selection inside moves to its parent, listed.
    void dropGoneNode(const QString& key);

    TreeView1& m_view;
    Module1& m_module;
    TreeState& m_state;
    Dialogs& m_dialogs;
    ImageList& m_images;
    QHash<QString, QTreeWidgetItem*> m_nodes;
    QSet<QString> m_scanning;  // keys whose folders are still being read one level ahead
    std::chrono::milliseconds m_scanDeadline{20};
    QDeadlineTimer m_sharedWait{QDeadlineTimer::Forever};
    FolderWatch m_watch{FolderWatch::Entries::FoldersOnly};
    QTimer m_watchUpdate;
    unsigned m_nodesChanged = 0;  // counts every node added or taken out
    QTreeWidgetItem* m_root = nullptr;
    QString m_tag;  // key of the node last clicked
    QTimer m_timer2;
    SpecialFolderNames m_special;
    std::function<void(const QString&)> m_deleteFolder;
    mutable QIcon m_closedFallback;
    mutable QIcon m_openFallback;
};
