#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

// One item in a trash folder: the file or folder under files/ and what its .trashinfo says.
struct TrashEntry {
    QString trashDir;      // the trash folder that holds files/ and info/
    QString name;          // the item's name under files/ (and of its info file)
    QString originalPath;  // where it was, absolute
    QDateTime deletionDate;

    QString filesPath() const { return trashDir + u"/files/" + name; }
    QString infoPath() const { return trashDir + u"/info/" + name + u".trashinfo"; }
};

// The desktop's trash, laid out as freedesktop.org's Trash 1.0 describes it: the home
// trash under $XDG_DATA_HOME/Trash for files on the home file system, and $topdir/.Trash/<uid>
// (when an administrator made .Trash sticky) or $topdir/.Trash-<uid> for files on other file
// systems. An item is only ever renamed into a trash on its own file system: when there is none,
// the item is not touched and the caller hears kNoUsableTrash.
//
// Error results are errno values, or kNoUsableTrash; 0 is success.
class Trash {
public:
    static constexpr int kNoUsableTrash = -1;

    // The top folder of the file system a path lies on.
    using TopDirOf = std::function<QString(const QString& path)>;
    // The top folders of every mounted file system that may hold a trash of ours.
    using TopDirList = std::function<QStringList()>;

    explicit Trash(QString homeTrash, TopDirOf topDirOf = mountTopDir,
                   TopDirList topDirs = mountedTopDirs);

    // $XDG_DATA_HOME/Trash, or ~/.local/share/Trash when XDG_DATA_HOME is unset or relative.
    static QString homeTrashFromEnvironment();
    static QString mountTopDir(const QString& path);
    static QStringList mountedTopDirs();

    QString homeTrash() const { return m_homeTrash; }
    // Makes the home trash where it is missing (only its owner may enter it); false when it
    // cannot be made.
    bool makeHomeTrash() const;

    struct PutResult {
        int error = 0;
        TrashEntry entry;
    };
    // Moves a file or folder (given by its absolute path) into the trash of its file system:
    // the .trashinfo is written first, under a name nothing else has, and removed again when the
    // item cannot be moved. Many items at once go faster through a TrashBatch.
    PutResult put(const QString& path);

    // The trash folder an item at path would go to, made when it is missing; empty when its file
    // system has no usable trash.
    QString trashDirFor(const QString& path) const;

    // What the Path line of an info file in trashDir says for the item whose real path is
    // realItem: the absolute path in the home trash, else the path below the trash's top folder.
    QString infoPathValue(const QString& trashDir, const QString& realItem) const;

    // Every item of every trash folder of ours, in no particular order.
    QList<TrashEntry> list() const;
    QList<TrashEntry> list(const QString& trashDir) const;
    // The number of items in all trash folders (items without an info file count too).
    int itemCount() const;

    // Puts an item back where it was, making its folder again when it has gone. An item whose
    // place is taken stays in the trash (EEXIST).
    int restore(const TrashEntry& entry);

    // Deletes everything in every trash folder of ours for good. Returns the first error met;
    // whatever could be deleted is.
    int empty();

    // The trash folders of ours that exist now: the home trash first.
    QStringList trashDirs() const;

private:
    QString topDirTrash(const QString& topDir, bool create) const;
    QString topDirOfTrash(const QString& trashDir) const;

    QString m_homeTrash;
    TopDirOf m_topDirOf;
    TopDirList m_topDirs;
};

// The .trashinfo text for an item: pathValue is written %-encoded (as in a URL path), the time
// as local ISO time without zone.
QByteArray trashInfoText(const QString& pathValue, const QDateTime& deletionDate);
// The same with the time already in its written form (trashInfoDate), for many items at once.
QByteArray trashInfoDate(const QDateTime& deletionDate);
QByteArray trashInfoText(const QString& pathValue, const QByteArray& deletionDate);
// The name an item called name gets under files/ at the n-th try (n from 1): its own, then with
// a number before the extension, cut so that its info file's name still fits the file system.
QString trashItemName(const QString& name, int n);
// Path and DeletionDate of a .trashinfo text (the path %-decoded); false when it is not one.
bool parseTrashInfo(const QByteArray& text, QString& pathValue, QDateTime& deletionDate);
