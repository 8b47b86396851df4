#include "browser/folder_tree.h"

#include <sys/stat.h>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDrag>
#include <QStyle>
#include <algorithm>
#include <cerrno>
#include <exception>

#include "browser/drop_data.h"
#include "browser/file_name_codec.h"
#include "browser/image_list.h"
#include "browser/messages.h"
#include "browser/sub_folder_scans.h"
#include "browser/tree_state.h"
#include "browser/tree_view1.h"
#include "browser/volume_icons.h"
#include "browser/volume_names.h"
#include "platform/background_call.h"
#include "platform/command_table.h"
#include "platform/dialogs.h"
#include "platform/error_box.h"
#include "platform/run_error.h"
#include "platform/volumes.h"
#include "settings/module1.h"

namespace {

// The hourglass over the whole screen while a folder is listed.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

// Sets a flag for as long as it lives, so that the flag is cleared on every way out.
class FlagGuard {
public:
    explicit FlagGuard(bool& flag) : m_flag(flag) { m_flag = true; }
    ~FlagGuard() { m_flag = false; }
    FlagGuard(const FlagGuard&) = delete;
    FlagGuard& operator=(const FlagGuard&) = delete;

private:
    bool& m_flag;
};

QString nameOf(const QString& key) {
    return key.mid(key.lastIndexOf(u'/') + 1);
}

bool isInside(const QTreeWidgetItem* node, const QTreeWidgetItem* ancestor) {
    for (const QTreeWidgetItem* p = node ? node->parent() : nullptr; p; p = p->parent()) {
        if (p == ancestor) {
            return true;
        }
    }
    return false;
}

}  // namespace

FolderTree::FolderTree(TreeView1& view, Module1& module, TreeState& state, Dialogs& dialogs,
                       ImageList& images, QObject* parent)
    : QObject(parent),
      m_view(view),
      m_module(module),
      m_state(state),
      m_dialogs(dialogs),
      m_images(images),
      m_special(SpecialFolderNames::fromSystem()) {
    m_timer2.setInterval(1000);
    connect(&m_view, &QTreeWidget::itemExpanded, this, &FolderTree::Expand);
    connect(&m_view, &QTreeWidget::itemCollapsed, this, &FolderTree::Collapse);
    m_watchUpdate.setSingleShot(true);
    connect(&m_watchUpdate, &QTimer::timeout, this, &FolderTree::watchOpenNodes);
    connect(&m_view, &QTreeWidget::itemExpanded, this, &FolderTree::watchOpenNodesLater);
    connect(&m_view, &QTreeWidget::itemCollapsed, this, &FolderTree::watchOpenNodesLater);
    connect(&m_watch, &FolderWatch::changed, this,
            [this](const QString& folder) { followFolder(folder); });
    connect(&m_watch, &FolderWatch::gone, this,
            [this](const QString& folder) { dropGoneNode(folderKey(folder)); });
    connect(&m_view, &TreeView1::nodeClicked, this, &FolderTree::NodeClick);
    connect(&m_view, &TreeView1::treeClicked, this, &FolderTree::Click);
    connect(&m_view, &TreeView1::treeDoubleClicked, this, &FolderTree::DblClick);
    connect(&m_view, &TreeView1::focusEntered, this, &FolderTree::GotFocus);
    connect(&m_view, &TreeView1::rightButtonPressed, this, &FolderTree::contextMenuRequested);
    connect(&m_view, &TreeView1::leftButtonPressed, this, &FolderTree::MouseDownLeft);
    connect(&m_view, &TreeView1::dragRequested, this, &FolderTree::startFolderDrag);
    connect(&m_view, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current, QTreeWidgetItem* previous) {
                showImage(previous, false);
                showImage(current, current != nullptr && current->isSelected());
            });
}

// ---- Building and filling ----------------------------------------------------------------

void FolderTree::BuildDriveTree(const QString& drive) {
    QString rootKey;
    QString rootText;
    QString mountPoint;
    DriveType type = DriveType::Unknown;
    try {
        if (drive.isEmpty() || !drive.startsWith(u'/')) {
            throw RunError(run_error::kBadFileName);
        }
        rootKey = folderKey(drive);
        rootText = displayFileName(rootKey);
        const QList<Volume> volumes = listVolumes();
        if (const Volume* volume = volumeOf(rootKey, volumes)) {
            type = volume->type;
            mountPoint = volume->mountPoint;
            // A volume's root bears the name the location box gives it.
            if (volume->mountPoint == rootKey) {
                rootText = volumeDisplayName(*volume, readVolumeLabels());
            }
        }
    } catch (const std::exception& e) {
        reportError(e);
        return;
    }
    // From here on a failure leaves the tree as far as it was built.
    QString imageKey;
    try {
        imageKey = ensureVolumeIcon(m_images, mountPoint, type);
        if (m_images.icon(imageKey).isNull()) {
            // The root is shown all the same, with whatever the key names.
            m_dialogs.message(browser_msg::listIconFailed(rootKey), MsgIcon::Information);
        }
    } catch (const std::exception&) {
    }
    m_view.setCursor(Qt::WaitCursor);
    m_view.clear();
    m_nodes.clear();
    m_root = nullptr;
    m_tag.clear();
    auto* root = new QTreeWidgetItem;
    root->setText(0, rootText);
    root->setData(0, KeyRole, rootKey);
    root->setData(0, ImageRole, imageKey);
    root->setData(0, SelectedImageRole, imageKey);
    showImage(root, false);
    m_view.addTopLevelItem(root);
    m_root = root;
    registerNode(root);
    const SharedWait wait(*this);
    AddPlaceholder(rootKey);
    try {
        readChildren(root, false);
    } catch (const std::exception&) {
    }
    m_view.unsetCursor();
    watchOpenNodesLater();
}

void FolderTree::addScannedSubFolders(const QString& key, SubFolderScan scan) {
    QTreeWidgetItem* parent = Node(key);
    if (parent == nullptr) {
        return;  // the node went while its folder was read
    }
    const QString prefix = folderPrefix(key);
    // A vanished folder simply has no children; one that may not be read is told.
    if (scan.error == EACCES || scan.error == EPERM) {
        throwErrno(scan.error);
    }
    sortSubFolders(scan.folders);
    const bool empty =
        parent->childCount() == 0 || (parent->childCount() == 1 && IsPlaceholder(parent->child(0)));
    if (empty) {
        QList<QTreeWidgetItem*> children;
        children.reserve(scan.folders.size());
        const QIcon closed = image(m_module.icons.FolderClose);
        for (const SubFolder& folder : std::as_const(scan.folders)) {
            children.append(
                newFolderNode(prefix + folder.name, folder.name, folder.attribute, closed));
        }
        parent->addChildren(children);
        for (QTreeWidgetItem* child : std::as_const(children)) {
            registerNode(child);
        }
        return;
    }
    // The node has children already (added by a folder command): add only those missing.
    for (const SubFolder& folder : std::as_const(scan.folders)) {
        const QString childKeyText = prefix + folder.name;
        if (m_nodes.contains(childKeyText)) {
            continue;
        }
        QTreeWidgetItem* child = newFolderNode(childKeyText, folder.name, folder.attribute,
                                               image(m_module.icons.FolderClose));
        insertSorted(parent, child);
        registerNode(child);
    }
}

void FolderTree::AddGrandChildren(const QString& path) {
    QTreeWidgetItem* node = Node(folderKey(path));
    if (node == nullptr) {
        return;
    }
    // The children's folders are read on a few threads of their own, so one on a share that has
    // stopped answering keeps neither the others nor the window waiting. Those read within the
    // deadline are filled at once, as if read here; the others when they come.
    std::vector<QString> keys;
    std::vector<QByteArray> folders;
    for (int i = 0; i < node->childCount(); ++i) {
        QTreeWidgetItem* child = node->child(i);
        // Children that have their own children (or the placeholder) keep them.
        const QString key = NodeKey(child);
        if (IsPlaceholder(child) || child->childCount() > 0 || m_scanning.contains(key)) {
            continue;
        }
        keys.push_back(key);
        folders.push_back(encodeFileName(folderPrefix(key)));
    }
    if (keys.empty()) {
        return;
    }
    constexpr int kScanThreads = 4;
    const auto scans = SubFolderScans::start(std::move(folders),
                                             AttributeFilter::fromSettings(m_module), kScanThreads);
    // The nodes of the folders read so far are made while the others are still being read.
    std::vector<bool> filled(keys.size(), false);
    const QDeadlineTimer deadline(waitLeft());
    while (!scans->allTaken() && !deadline.hasExpired()) {
        for (auto& [index, scan] :
             scans->takeRead(std::chrono::milliseconds(deadline.remainingTime()))) {
            filled[size_t(index)] = true;
            addGrandChildrenOf(keys[size_t(index)], std::move(scan));
        }
    }
    bool waiting = false;
    for (size_t i = 0; i < keys.size(); ++i) {
        if (!filled[i]) {
            m_scanning.insert(keys[i]);
            waiting = true;
        }
    }
    if (waiting) {
        scans->whenEachRead(this, [this, keys](SubFolderScans::Scan read) {
            const QString& key = keys[size_t(read.first)];
            m_scanning.remove(key);
            addGrandChildrenOf(key, std::move(read.second));
        });
    }
}

void FolderTree::addGrandChildrenOf(const QString& key, SubFolderScan scan) {
    try {
        addScannedSubFolders(key, std::move(scan));
    } catch (const std::exception&) {
        // One unreadable child must not keep the others from being filled.
    }
}

void FolderTree::fillNode(QTreeWidgetItem* node) {
    if (readChildren(node, true)) {
        AddGrandChildren(folderPrefix(NodeKey(node)));
    }
}

bool FolderTree::readChildren(QTreeWidgetItem* node, bool grandChildren) {
    const QString key = NodeKey(node);
    QTreeWidgetItem* placeholder = placeholderOf(node);
    if (placeholder == nullptr) {
        return true;
    }
    // The real children go in before the placeholder leaves, so the open node never stands
    // without children in between. A folder that cannot be read loses it all the same: it shows
    // what can be seen of it. A folder that takes long to read (a share that has stopped
    // answering) keeps the placeholder until its children come.
    if (m_scanning.contains(key)) {
        return false;  // already being read: it fills when the reading comes
    }
    auto scan = scanLater(key);
    if (!scan->waitFor(waitLeft())) {
        m_scanning.insert(key);
        scan->whenDone(this, [this, key, scan, grandChildren] {
            m_scanning.remove(key);
            if (QTreeWidgetItem* open = Node(key)) {
                QTreeWidgetItem* waiting = placeholderOf(open);
                addGrandChildrenOf(key, scan->take());
                if (waiting != nullptr) {
                    removeItem(waiting);
                }
                if (grandChildren || open->isExpanded()) {
                    AddGrandChildren(folderPrefix(key));
                }
            }
        });
        return false;
    }
    try {
        addScannedSubFolders(key, scan->take());
    } catch (const std::exception&) {
        removeItem(placeholder);
        throw;
    }
    removeItem(placeholder);
    return true;
}

std::chrono::milliseconds FolderTree::waitLeft() const {
    if (m_sharedWait.isForever()) {
        return m_scanDeadline;
    }
    return std::min(m_scanDeadline, std::chrono::milliseconds(m_sharedWait.remainingTime()));
}

FolderTree::SharedWait::SharedWait(FolderTree& tree)
    : m_tree(tree), m_nested(!tree.m_sharedWait.isForever()) {
    if (!m_nested) {
        m_tree.m_sharedWait = QDeadlineTimer(m_tree.m_scanDeadline);
    }
}

FolderTree::SharedWait::~SharedWait() {
    if (!m_nested) {
        m_tree.m_sharedWait = QDeadlineTimer(QDeadlineTimer::Forever);
    }
}

std::shared_ptr<BackgroundCall<SubFolderScan>> FolderTree::scanLater(const QString& key) const {
    return scanLater(key, AttributeFilter::fromSettings(m_module));
}

std::shared_ptr<BackgroundCall<SubFolderScan>> FolderTree::scanLater(const QString& key,
                                                                     AttributeFilter filter) const {
    return BackgroundCall<SubFolderScan>::start(
        [folder = encodeFileName(folderPrefix(key)), filter] {
            return scanSubFolders(folder, filter);
        });
}

// ---- Opening along a path ------------------------------------------------------------------

void FolderTree::ExpandToPath(const QString& drive, const QString& path, bool expandLast) {
    // However many folders the way opens, the window waits for their reading once.
    const SharedWait wait(*this);
    try {
        const QString driveKey = folderKey(drive);
        QString target;
        bool open = expandLast;
        if (path == drive) {
            target = driveKey;
        } else {
            target = folderKey(path);
            if (target == driveKey) {
                open = true;  // the root written as a folder ("/home/") is always opened
            } else {
                const QString prefix = folderPrefix(driveKey);
                if (!target.startsWith(prefix)) {
                    throw RunError(run_error::kPathNotFound);
                }
                // Open every folder on the way: the root, then each prefix ending before a "/".
                QString walk = driveKey;
                qsizetype from = prefix.size();
                while (true) {
                    QTreeWidgetItem* node = Node(walk);
                    if (node == nullptr) {
                        node = addAskedFolder(walk);
                    }
                    if (node == nullptr) {
                        throw RunError(run_error::kPathNotFound);
                    }
                    if (node->childCount() > 0) {
                        node->setExpanded(true);
                    }
                    const qsizetype slash = target.indexOf(u'/', from);
                    if (slash < 0) {
                        break;
                    }
                    walk = target.left(slash);
                    from = slash + 1;
                }
            }
        }
        QTreeWidgetItem* node = Node(target);
        if (node == nullptr && target != driveKey) {
            node = addAskedFolder(target);
        }
        if (node == nullptr) {
            throw RunError(run_error::kPathNotFound);
        }
        m_view.scrollToItem(node);
        SelectNode(node);
        if (open) {
            node->setExpanded(true);
        }
        QFont font = node->font(0);
        if (!font.bold()) {
            font.setBold(true);
            node->setFont(0, font);
            node->setForeground(0, QColor(0, 0, 255));
        }
    } catch (const std::exception& e) {
        reportError(e);
    }
}

QTreeWidgetItem* FolderTree::addAskedFolder(const QString& key) {
    const qsizetype slash = key.lastIndexOf(u'/');
    QTreeWidgetItem* parent =
        slash < 0 ? nullptr : Node(slash == 0 ? QStringLiteral("/") : key.left(slash));
    if (parent == nullptr || IsPlaceholder(parent) || key.contains(QChar(0))) {
        return nullptr;
    }
    // The folder is looked at off the window's thread. One that does not answer in time (on a
    // share that has stopped answering) was found by the navigation that led here: it gets its
    // node all the same, its children pending.
    const QString name = key.mid(slash + 1);
    auto look = BackgroundCall<int>::start([path = encodeFileName(key)]() -> int {
        struct stat st {};
        return stat(path.constData(), &st) == 0 ? int(st.st_mode) : -1;
    });
    mode_t mode = S_IFDIR;
    if (look->waitFor(waitLeft())) {
        const int found = look->take();
        if (found < 0 || !S_ISDIR(mode_t(found))) {
            return nullptr;
        }
        mode = mode_t(found);
    }
    QTreeWidgetItem* node = newFolderNode(key, name, entryAttribute(name.startsWith(u'.'), mode),
                                          image(m_module.icons.FolderClose));
    insertSorted(parent, node);
    registerNode(node);
    // One level ahead, as every node is filled.
    AddPlaceholder(key);
    try {
        readChildren(node, false);
    } catch (const std::exception&) {
    }
    parent->setExpanded(true);
    return node;
}

// ---- Selection and deletion ----------------------------------------------------------------

void FolderTree::focusTree() {
    m_view.setFocus();
}

QString FolderTree::SelectedFolderPath() const {
    const QTreeWidgetItem* node = SelectedNode();
    if (node == nullptr || IsPlaceholder(node)) {
        return {};
    }
    // A folder node's key is its full path; the root's key is the volume's mount point.
    return NodeKey(node);
}

void FolderTree::DeleteTreeFolder() {
    try {
        QTreeWidgetItem* node = SelectedNode();
        if (node == nullptr || node == m_root || IsPlaceholder(node)) {
            return;
        }
        const QString path = SelectedFolderPath();
        if (m_deleteFolder) {
            m_deleteFolder(path);
        }
        if (folderExistsOnDisk(path)) {
            return;  // declined or failed: nothing changes
        }
        RemoveNode(path);
        const QString shown = SelectedFolderPath();
        if (!shown.isEmpty()) {
            listFolder(shown);
        }
    } catch (const std::exception& e) {
        reportError(e);
    }
}

// ---- Nodes by key --------------------------------------------------------------------------

QString FolderTree::RootKey() const {
    return m_root ? NodeKey(m_root) : QString();
}

QTreeWidgetItem* FolderTree::SelectedNode() const {
    QTreeWidgetItem* current = m_view.currentItem();
    return current && current->isSelected() ? current : nullptr;
}

QString FolderTree::NodeKey(const QTreeWidgetItem* node) {
    return node ? node->data(0, KeyRole).toString() : QString();
}

bool FolderTree::IsPlaceholder(const QTreeWidgetItem* node) {
    return node && node->data(0, PlaceholderRole).toBool();
}

QString FolderTree::PlaceholderKey(const QString& key) {
    // A NUL can be in no path, so no folder ever has this key, and the key leads nowhere if it
    // should ever reach the file system.
    return QChar(0) + QStringLiteral("DUMMY") + QChar(0) + key;
}

QString FolderTree::PlaceholderText() {
    return QStringLiteral("\\\\DUMMY\\\\");
}

QTreeWidgetItem* FolderTree::AddNode(const QString& parentKey, const QString& key,
                                     const QString& text, const QString& imageKey) {
    QTreeWidgetItem* parent = Node(parentKey);
    if (parent == nullptr || key.isEmpty() || m_nodes.contains(key)) {
        return nullptr;
    }
    auto* node = new QTreeWidgetItem;
    node->setText(0, text);
    node->setData(0, KeyRole, key);
    node->setData(0, ImageRole, imageKey);
    showImage(node, false);
    insertSorted(parent, node);
    registerNode(node);
    return node;
}

bool FolderTree::RemoveNode(const QString& key) {
    QTreeWidgetItem* node = Node(key);
    if (node == nullptr) {
        return false;
    }
    if (node == m_root) {
        m_view.clear();
        m_nodes.clear();
        m_root = nullptr;
        return true;
    }
    // A selection inside the subtree moves to the node first, so that the tree picks the next
    // selection among its neighbours as it does for the node itself.
    if (isInside(m_view.currentItem(), node)) {
        SelectNode(node);
    }
    removeItem(node);
    // The node the tree makes current in its place is the selected folder from now on.
    if (QTreeWidgetItem* now = m_view.currentItem(); now != nullptr && SelectedNode() == nullptr) {
        now->setSelected(true);
    }
    return true;
}

void FolderTree::AddPlaceholder(const QString& key) {
    QTreeWidgetItem* node = Node(key);
    if (node == nullptr || placeholderOf(node) != nullptr) {
        return;
    }
    auto* placeholder = new QTreeWidgetItem;
    placeholder->setText(0, PlaceholderText());
    placeholder->setData(0, KeyRole, PlaceholderKey(key));
    placeholder->setData(0, PlaceholderRole, true);
    placeholder->setFlags(Qt::ItemNeverHasChildren);
    node->insertChild(0, placeholder);
    registerNode(placeholder);
}

void FolderTree::SelectNode(QTreeWidgetItem* node) {
    if (node == nullptr) {
        return;
    }
    m_view.setCurrentItem(node);
    node->setSelected(true);
}

QTreeWidgetItem* FolderTree::newFolderNode(const QString& key, const QString& name,
                                           EntryAttribute attribute,
                                           const QIcon& closedImage) const {
    auto* node = new QTreeWidgetItem;
    node->setText(0, displayFileName(name));
    node->setData(0, KeyRole, key);
    const QString imageKey = folderImageKey(
        name, attribute, AttributeFilter::fromSettings(m_module), m_module.icons, m_special);
    node->setData(0, ImageRole, imageKey);
    node->setIcon(0, imageKey == m_module.icons.FolderClose ? closedImage : image(imageKey));
    node->setForeground(0, attributeColor(attribute));
    return node;
}

void FolderTree::registerNode(QTreeWidgetItem* node) {
    m_nodes.insert(NodeKey(node), node);
    ++m_nodesChanged;
}

void FolderTree::forgetSubtree(QTreeWidgetItem* node) {
    m_nodes.remove(NodeKey(node));
    ++m_nodesChanged;
    if (m_tag == NodeKey(node)) {
        m_tag.clear();
    }
    for (int i = 0; i < node->childCount(); ++i) {
        forgetSubtree(node->child(i));
    }
}

void FolderTree::removeItem(QTreeWidgetItem* node) {
    forgetSubtree(node);
    delete node;  // takes the subtree out of the tree
}

void FolderTree::insertSorted(QTreeWidgetItem* parent, QTreeWidgetItem* child) {
    // Children stay in tree order (the placeholder, when there is one, first).
    const QString name = nameOf(NodeKey(child));
    int low = 0;
    int high = parent->childCount();
    while (low < high) {
        const int mid = (low + high) / 2;
        const QTreeWidgetItem* other = parent->child(mid);
        if (IsPlaceholder(other) || folderNameLess(nameOf(NodeKey(other)), name)) {
            low = mid + 1;
        } else {
            high = mid;
        }
    }
    parent->insertChild(low, child);
}

QTreeWidgetItem* FolderTree::placeholderOf(QTreeWidgetItem* node) const {
    for (int i = 0; i < node->childCount(); ++i) {
        if (IsPlaceholder(node->child(i))) {
            return node->child(i);
        }
    }
    return nullptr;
}

// ---- Pictures and style --------------------------------------------------------------------

QIcon FolderTree::image(const QString& key) const {
    if (m_images.contains(key)) {
        return m_images.icon(key);
    }
    // A key without a picture of its own shows the style's folder.
    if (key == m_module.icons.FolderOpen) {
        if (m_openFallback.isNull()) {
            m_openFallback = QApplication::style()->standardIcon(QStyle::SP_DirOpenIcon);
        }
        return m_openFallback;
    }
    if (m_closedFallback.isNull()) {
        m_closedFallback = QApplication::style()->standardIcon(QStyle::SP_DirClosedIcon);
    }
    return m_closedFallback;
}

void FolderTree::showImage(QTreeWidgetItem* node, bool selected) const {
    if (node == nullptr || IsPlaceholder(node)) {
        return;
    }
    // Folder nodes show the open folder when selected; the root keeps its own image.
    const QVariant own = node->data(0, SelectedImageRole);
    const QString key = !selected       ? node->data(0, ImageRole).toString()
                        : own.isValid() ? own.toString()
                                        : m_module.icons.FolderOpen;
    node->setIcon(0, image(key));
}

void FolderTree::setLinesVisible(bool visible) {
    m_view.setLinesVisible(visible);
}

void FolderTree::setIconsVisible(bool visible) {
    m_view.setIconsVisible(visible);
}

// ---- Event handlers ------------------------------------------------------------------------

void FolderTree::Expand(QTreeWidgetItem* node) {
    if (node == nullptr || IsPlaceholder(node)) {
        return;
    }
    if (m_state.DragActive) {
        // The opening that ends a drag does nothing else; but an opened node must never show
        // the placeholder, so one that holds it is read all the same.
        m_state.DragActive = false;
        if (placeholderOf(node) != nullptr) {
            try {
                FlagGuard busy(m_state.TreeBusy);
                fillNode(node);
            } catch (const std::exception& e) {
                reportError(e);
            }
        }
        return;
    }
    try {
        FlagGuard busy(m_state.TreeBusy);
        fillNode(node);
        m_view.scrollToItem(node);
        m_state.DragEndRequest = true;
        m_timer2.stop();
    } catch (const std::exception& e) {
        reportError(e);
    }
}

void FolderTree::Collapse(QTreeWidgetItem* node) {
    if (node == nullptr || IsPlaceholder(node)) {
        return;
    }
    try {
        if (node != m_root) {
            // As the native tree does, a selection inside the closed subtree moves to the node.
            if (isInside(m_view.currentItem(), node)) {
                SelectNode(node);
            }
            const QString selected = SelectedFolderPath();
            if (!selected.isEmpty() && selected != m_state.CurrentFolder) {
                listFolder(selected);
            }
            while (node->childCount() > 0) {
                removeItem(node->child(node->childCount() - 1));
            }
            AddPlaceholder(NodeKey(node));
        }
        m_view.scrollToItem(node);
    } catch (const std::exception& e) {
        reportError(e);
    }
}

void FolderTree::NodeClick(QTreeWidgetItem* node) {
    if (m_state.DragActive) {
        m_state.DragActive = false;
        return;
    }
    if (node == nullptr || IsPlaceholder(node)) {
        return;
    }
    try {
        const QString key = NodeKey(node);
        if (key != m_state.CurrentFolder) {
            listFolder(key);
        }
        m_state.DragEndRequest = true;
        if (m_tag != key) {
            SelectNode(node);
            m_tag = key;
        }
    } catch (const std::exception& e) {
        reportError(e);
    }
}

void FolderTree::Click() {
    try {
        m_state.DragEndRequest = true;
        m_timer2.stop();
        if (m_root != nullptr && SelectedNode() == m_root && !m_state.DragActive) {
            // Clicking the root lists it again, even when it is already shown.
            listFolder(NodeKey(m_root));
        }
        m_state.DragActive = false;
        m_timer2.stop();
        m_state.DragEndRequest = true;
        m_state.FocusPane = 2;
    } catch (const std::exception& e) {
        reportError(e);
    }
}

void FolderTree::DblClick() {
    m_state.DragEndRequest = true;
    m_timer2.stop();
}

void FolderTree::GotFocus() {
    m_state.FocusPane = 2;
    m_state.DragEndRequest = true;
}

void FolderTree::MouseDownLeft() {
    m_state.DragNodeKey = NodeKey(SelectedNode());
    m_view.setDropHighlight(nullptr);
}

void FolderTree::startFolderDrag() {
    QTreeWidgetItem* node = m_view.currentItem();
    if (node == nullptr || node == m_root || IsPlaceholder(node)) {
        return;
    }
    const QString key = NodeKey(node);
    m_state.DragNodeKey = key;
    // Qt starts a drag only past the drag distance, so a click never begins one: the request to
    // end the next drag is answered here.
    m_state.DragEndRequest = false;
    auto* drag = new QDrag(&m_view);
    drag->setMimeData(makeDragData(DropKind::TreeFolder, {key}));
    drag->exec(Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, Qt::CopyAction);
    // Another program may have taken the folder away.
    if (!folderExistsOnDisk(key) && Node(key) != nullptr) {
        RemoveNode(key);
    }
    // The press that began the drag selected its node: the list shows what the tree selects.
    const QString shown = SelectedFolderPath();
    if (!shown.isEmpty() && shown != m_state.CurrentFolder) {
        listFolder(shown);
    }
}

void FolderTree::listFolder(const QString& path) {
    WaitCursor wait;
    emit folderSelected(path);
    m_state.CurrentFolder = path;
}

void FolderTree::reportError(const std::exception& error) {
    ErrMsgDsp(m_dialogs, error);
}

// ---- Following the disk ----------------------------------------------------------------------

void FolderTree::watchOpenNodesLater() {
    m_watchUpdate.start(0);
}

void FolderTree::watchOpenNodes() {
    QStringList open;
    for (auto it = m_nodes.cbegin(); it != m_nodes.cend(); ++it) {
        if (*it == m_root || (*it)->isExpanded()) {
            open << it.key();
        }
    }
    m_watch.watchAll(open);
}

void FolderTree::followFolder(const QString& folder, bool waitBriefly) {
    const QString key = folderKey(folder);
    if (Node(key) == nullptr || m_scanning.contains(key)) {
        return;
    }
    // Every subfolder is read, shown or not: a node the settings would hide may be one the user
    // asked for by name, and it stays while its folder is there.
    auto scan = scanLater(key, AttributeFilter{.system = true, .hidden = true, .readOnly = true});
    if (waitBriefly && scan->waitFor(waitLeft())) {
        followScan(key, scan->take());
        return;
    }
    m_scanning.insert(key);
    scan->whenDone(this, [this, key, folder, scan, changed = m_nodesChanged] {
        m_scanning.remove(key);
        // Nodes added or taken out meanwhile (a folder command, another scan) may be newer than
        // what was read: read again rather than undo them.
        if (changed != m_nodesChanged) {
            followFolder(folder);
            return;
        }
        followScan(key, scan->take());
    });
}

void FolderTree::followScan(const QString& key, SubFolderScan scan) {
    QTreeWidgetItem* node = Node(key);
    if (node == nullptr || placeholderOf(node) != nullptr) {
        return;  // gone, or closed again: it is read when opened
    }
    if (scan.error != 0) {
        if (scan.error == ENOENT || scan.error == ENOTDIR) {
            dropGoneNode(key);
        }
        return;  // a folder that may no longer be read keeps its children
    }
    QSet<QString> there;
    const QString prefix = folderPrefix(key);
    for (const SubFolder& folder : std::as_const(scan.folders)) {
        there.insert(prefix + folder.name);
    }
    QStringList gone;
    for (int i = 0; i < node->childCount(); ++i) {
        const QString child = NodeKey(node->child(i));
        if (!IsPlaceholder(node->child(i)) && !there.contains(child)) {
            gone << child;
        }
    }
    for (const QString& child : std::as_const(gone)) {
        dropGoneNode(child);
    }
    // New folders show as the settings say.
    const AttributeFilter filter = AttributeFilter::fromSettings(m_module);
    scan.folders.removeIf(
        [&filter](const SubFolder& folder) { return !filter.shows(folder.attribute); });
    addGrandChildrenOf(key, std::move(scan));
    // New children show whether they can be opened, as every child does.
    AddGrandChildren(prefix);
    watchOpenNodesLater();
}

void FolderTree::dropGoneNode(const QString& key) {
    QTreeWidgetItem* node = Node(key);
    if (node == nullptr || node == m_root) {
        return;
    }
    QTreeWidgetItem* parent = node->parent();
    QTreeWidgetItem* current = m_view.currentItem();
    const bool selectionInside = current == node || isInside(current, node);
    if (selectionInside && parent != nullptr) {
        SelectNode(parent);
    }
    removeItem(node);
    if (selectionInside && parent != nullptr) {
        listFolder(NodeKey(parent));
    }
    watchOpenNodesLater();
}

void FolderTree::registerCommands(CommandTable& table) {
    table.add(CommandId::FocusTree, [this] { m_view.setFocus(); });
}
