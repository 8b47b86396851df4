#include "platform/trash.h"
#include <dirent.h>
#include <cstring>
#include "platform/file_name_codec.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <cerrno>
#include <cstdlib>

#include "platform/file_transfer.h"
#include "platform/path_text.h"
#include "platform/trash_batch.h"
#include "platform/volumes.h"

namespace {

constexpr int kNameMax = 255;
const QString kInfoSuffix = QStringLiteral(".trashinfo");

QByteArray native(const QString& path) {
    return encodeFileName(path);
}

bool lstatPath(const QString& path, struct stat& st) {
    return ::lstat(native(path).constData(), &st) == 0;
}

using file_transfer::realPath;

// A folder of ours that nobody could have slipped in: a real folder (not a link) owned by us.
bool isOwnFolder(const QString& path) {
    struct stat st {};
    return lstatPath(path, st) && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid();
}

// Makes the missing folders of path, the new ones readable only by their owner.
bool makeFolders(const QString& path) {
    struct stat st {};
    if (lstatPath(path, st)) {
        return S_ISDIR(st.st_mode);
    }
    const QString parent = QFileInfo(path).path();
    if (parent != path && !makeFolders(parent)) {
        return false;
    }
    return ::mkdir(native(path).constData(), 0700) == 0 || errno == EEXIST;
}

// A trash folder with its two subfolders, made where missing.
bool prepareTrashDir(const QString& trashDir) {
    return makeFolders(trashDir) && makeFolders(trashDir + u"/files") &&
           makeFolders(trashDir + u"/info") && isOwnFolder(trashDir + u"/files") &&
           isOwnFolder(trashDir + u"/info");
}

bool isPseudoFileSystem(const QString& fsType) {
    static const QSet<QString> kPseudo = {
        QStringLiteral("proc"),        QStringLiteral("sysfs"),      QStringLiteral("cgroup"),
        QStringLiteral("cgroup2"),     QStringLiteral("devpts"),     QStringLiteral("mqueue"),
        QStringLiteral("debugfs"),     QStringLiteral("tracefs"),    QStringLiteral("securityfs"),
        QStringLiteral("pstore"),      QStringLiteral("bpf"),        QStringLiteral("configfs"),
        QStringLiteral("fusectl"),     QStringLiteral("hugetlbfs"),  QStringLiteral("autofs"),
        QStringLiteral("binfmt_misc"), QStringLiteral("efivarfs"),   QStringLiteral("nsfs"),
        QStringLiteral("devtmpfs"),    QStringLiteral("rpc_pipefs"), QStringLiteral("selinuxfs"),
    };
    return kPseudo.contains(fsType);
}

}  // namespace

QString trashItemName(const QString& name, int n) {
    // At most three bytes a character: most names fit without a look at their bytes.
    if (n == 1 && name.size() * 3 + kInfoSuffix.size() <= kNameMax) {
        return name;
    }
    QString base = name;
    QString ext;
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot > 0) {
        base = name.left(dot);
        ext = name.mid(dot);
    }
    const QString number = n > 1 ? u'.' + QString::number(n) : QString();
    auto bytes = [&](const QString& b) {
        return native(b + number + ext).size() + native(kInfoSuffix).size();
    };
    while (bytes(base) > kNameMax && !base.isEmpty()) {
        base.chop(1);
    }
    if (bytes(base) > kNameMax) {
        ext.clear();
        base = name.left(32);
    }
    return base + number + ext;
}

QByteArray trashInfoDate(const QDateTime& deletionDate) {
    return deletionDate.toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss")).toLatin1();
}

QByteArray trashInfoText(const QString& pathValue, const QByteArray& deletionDate) {
    return QByteArrayLiteral("[Trash Info]\nPath=") + native(pathValue).toPercentEncoding("/") +
           QByteArrayLiteral("\nDeletionDate=") + deletionDate + '\n';
}

QByteArray trashInfoText(const QString& pathValue, const QDateTime& deletionDate) {
    return trashInfoText(pathValue, trashInfoDate(deletionDate));
}

bool parseTrashInfo(const QByteArray& text, QString& pathValue, QDateTime& deletionDate) {
    bool inGroup = false;
    bool havePath = false;
    for (const QByteArray& rawLine : text.split('\n')) {
        const QByteArray line = rawLine.trimmed();
        if (line.startsWith('[')) {
            inGroup = line == "[Trash Info]";
            continue;
        }
        if (!inGroup) {
            continue;
        }
        if (line.startsWith("Path=")) {
            pathValue = decodeFileName(QByteArray::fromPercentEncoding(line.mid(5)));
            havePath = !pathValue.isEmpty();
        } else if (line.startsWith("DeletionDate=")) {
            deletionDate = QDateTime::fromString(QString::fromLatin1(line.mid(13)), Qt::ISODate);
        }
    }
    return havePath;
}

Trash::Trash(QString homeTrash, TopDirOf topDirOf, TopDirList topDirs)
    : m_homeTrash(QDir::cleanPath(homeTrash)),
      m_topDirOf(std::move(topDirOf)),
      m_topDirs(std::move(topDirs)) {}

QString Trash::homeTrashFromEnvironment() {
    QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    if (dataHome.isEmpty() || !QDir::isAbsolutePath(dataHome)) {
        dataHome = QDir::homePath() + u"/.local/share";
    }
    return QDir::cleanPath(dataHome + u"/Trash");
}

bool Trash::makeHomeTrash() const {
    return prepareTrashDir(m_homeTrash);
}

QString Trash::mountTopDir(const QString& path) {
    struct stat st {};
    QString current = realPath(path);
    if (current.isEmpty() || ::stat(native(current).constData(), &st) != 0) {
        return {};
    }
    const dev_t device = st.st_dev;
    while (current != u"/") {
        const QString parent = QFileInfo(current).path();
        struct stat up {};
        if (::stat(native(parent).constData(), &up) != 0 || up.st_dev != device) {
            break;
        }
        current = parent;
    }
    return current;
}

QStringList Trash::mountedTopDirs() {
    QFile file(QStringLiteral("/proc/self/mountinfo"));
    QStringList topDirs;
    if (!file.open(QIODevice::ReadOnly)) {
        return topDirs;
    }
    for (const MountEntry& mount : parseMountInfo(file.readAll())) {
        if (!isPseudoFileSystem(mount.fsType) && !topDirs.contains(mount.mountPoint)) {
            topDirs.append(mount.mountPoint);
        }
    }
    return topDirs;
}

QString Trash::topDirTrash(const QString& topDir, bool create) const {
    if (topDir.isEmpty()) {
        return {};
    }
    const QString uid = QString::number(::geteuid());
    // An administrator's shared .Trash counts only as a sticky folder, never through a link.
    const QString shared = childKey(topDir, QStringLiteral(".Trash"));
    struct stat st {};
    if (lstatPath(shared, st) && S_ISDIR(st.st_mode) && (st.st_mode & S_ISVTX) != 0) {
        const QString own = shared + u'/' + uid;
        if (create && !lstatPath(own, st)) {
            ::mkdir(native(own).constData(), 0700);
        }
        if (isOwnFolder(own) && (!create || prepareTrashDir(own))) {
            return own;
        }
    }
    const QString own = childKey(topDir, u".Trash-" + uid);
    if (create && !lstatPath(own, st)) {
        ::mkdir(native(own).constData(), 0700);
    }
    if (isOwnFolder(own) && (!create || prepareTrashDir(own))) {
        return own;
    }
    return {};
}

QString Trash::trashDirFor(const QString& path) const {
    const QString folder = realPath(QFileInfo(path).path());
    struct stat item {};
    if (folder.isEmpty() || ::stat(native(folder).constData(), &item) != 0) {
        return {};
    }
    if (prepareTrashDir(m_homeTrash)) {
        struct stat home {};
        if (::stat(native(m_homeTrash).constData(), &home) == 0 && home.st_dev == item.st_dev) {
            return m_homeTrash;
        }
    }
    const QString trashDir = topDirTrash(m_topDirOf ? m_topDirOf(folder) : QString(), true);
    // A trash that is not on the item's own file system would need a copy: not usable.
    struct stat there {};
    if (trashDir.isEmpty() || ::stat(native(trashDir).constData(), &there) != 0 ||
        there.st_dev != item.st_dev) {
        return {};
    }
    return trashDir;
}

QString Trash::topDirOfTrash(const QString& trashDir) const {
    if (trashDir == m_homeTrash) {
        return m_topDirOf ? m_topDirOf(m_homeTrash) : QStringLiteral("/");
    }
    const QString parent = QFileInfo(trashDir).path();
    // $topdir/.Trash/<uid> or $topdir/.Trash-<uid>
    return QFileInfo(parent).fileName() == u".Trash" ? QFileInfo(parent).path() : parent;
}

Trash::PutResult Trash::put(const QString& path) {
    TrashBatch batch(*this);
    PutResult result;
    if (batch.check({path}).failed() || batch.put().failed()) {
        result.error = batch.error();
    } else {
        result.entry = batch.entries().value(0);
    }
    return result;
}

QString Trash::infoPathValue(const QString& trashDir, const QString& realItem) const {
    if (trashDir == m_homeTrash) {
        return realItem;
    }
    return QDir(topDirOfTrash(trashDir)).relativeFilePath(realItem);
}

QList<TrashEntry> Trash::list(const QString& trashDir) const {
    QList<TrashEntry> entries;
    const QString infoDir = trashDir + u"/info";
    const QString topDir = topDirOfTrash(trashDir);
    // Names are read as the bytes on disk: an item whose name is not UTF-8 must still be found.
    QStringList infoFiles;
    if (DIR* dir = ::opendir(encodeFileName(infoDir).constData())) {
        while (const dirent* e = ::readdir(dir)) {
            const QString name = decodeFileName(e->d_name, qsizetype(strlen(e->d_name)));
            if (name.endsWith(kInfoSuffix) && name.size() > kInfoSuffix.size()) {
                infoFiles.append(name);
            }
        }
        ::closedir(dir);
    }
    infoFiles.sort();
    for (const QString& infoName : infoFiles) {
        TrashEntry entry;
        entry.trashDir = trashDir;
        entry.name = infoName.chopped(kInfoSuffix.size());
        if (!file_transfer::exists(entry.filesPath())) {
            continue;
        }
        QByteArray info;
        const int fd =
            ::open(encodeFileName(QString(infoDir + u'/' + infoName)).constData(), O_RDONLY);
        if (fd >= 0) {
            info.resize(64 * 1024);
            const ssize_t n = ::read(fd, info.data(), info.size());
            info.resize(n > 0 ? n : 0);
            ::close(fd);
        }
        QString pathValue;
        if (fd < 0 || !parseTrashInfo(info, pathValue, entry.deletionDate)) {
            continue;
        }
        entry.originalPath = QDir::isAbsolutePath(pathValue)
                                 ? QDir::cleanPath(pathValue)
                                 : QDir::cleanPath(childKey(topDir, pathValue));
        entries.append(entry);
    }
    return entries;
}

QList<TrashEntry> Trash::list() const {
    QList<TrashEntry> entries;
    for (const QString& trashDir : trashDirs()) {
        entries += list(trashDir);
    }
    return entries;
}

// Names are read as the bytes on disk: Qt's listing drops a name that is not UTF-8.
int Trash::itemCount() const {
    int count = 0;
    QStringList names;
    for (const QString& trashDir : trashDirs()) {
        file_transfer::namesIn(trashDir + u"/files", names);
        count += static_cast<int>(names.size());
    }
    return count;
}

int Trash::restore(const TrashEntry& entry) {
    if (file_transfer::exists(entry.originalPath)) {
        return EEXIST;
    }
    if (!file_transfer::exists(entry.filesPath())) {
        return ENOENT;
    }
    if (const int err = file_transfer::makeFolders(GetParentFolder(entry.originalPath)); err != 0) {
        return err;
    }
    if (const int err = file_transfer::renameNoReplace(entry.filesPath(), entry.originalPath);
        err != 0) {
        return err;
    }
    ::unlink(native(entry.infoPath()).constData());
    return 0;
}

int Trash::empty() {
    int firstError = 0;
    auto note = [&firstError](int err) {
        if (firstError == 0 && err != 0 && err != ENOENT) {
            firstError = err;
        }
    };
    QStringList names;
    for (const QString& trashDir : trashDirs()) {
        // Items first, their info files after: an info file never outlives a failed item.
        file_transfer::namesIn(trashDir + u"/files", names);
        for (const QString& name : std::as_const(names)) {
            const int err = file_transfer::removeTree(trashDir + u"/files/" + name);
            note(err);
            if (err == 0 || err == ENOENT) {
                ::unlink(native(trashDir + u"/info/" + name + kInfoSuffix).constData());
            }
        }
        file_transfer::namesIn(trashDir + u"/info", names);
        for (const QString& name : std::as_const(names)) {
            if (name.endsWith(kInfoSuffix) &&
                !file_transfer::exists(trashDir + u"/files/" + name.chopped(kInfoSuffix.size()))) {
                ::unlink(native(trashDir + u"/info/" + name).constData());
            }
        }
        // The cache of folder sizes speaks of items that are gone now.
        ::unlink(native(trashDir + u"/directorysizes").constData());
    }
    return firstError;
}

QStringList Trash::trashDirs() const {
    QStringList dirs;
    if (isOwnFolder(m_homeTrash)) {
        dirs.append(m_homeTrash);
    }
    const QStringList topDirs = m_topDirs ? m_topDirs() : QStringList();
    for (const QString& topDir : topDirs) {
        const QString uid = QString::number(::geteuid());
        const QString shared = childKey(topDir, QStringLiteral(".Trash"));
        struct stat st {};
        QStringList candidates;
        if (lstatPath(shared, st) && S_ISDIR(st.st_mode) && (st.st_mode & S_ISVTX) != 0) {
            candidates.append(shared + u'/' + uid);
        }
        candidates.append(childKey(topDir, u".Trash-" + uid));
        for (const QString& candidate : candidates) {
            if (isOwnFolder(candidate) && !dirs.contains(candidate)) {
                dirs.append(candidate);
            }
        }
    }
    return dirs;
}
