#pragma once

#include <sys/types.h>
#include <QByteArray>
#include <QColor>
#include <QList>
#include <QString>

#include "platform/path_text.h"  // the node keys: folderPrefix, childKey, folderKey
#include "settings/module1.h"

// What the folder tree reads from disk and the rules it builds nodes by: the attributes of an
// entry and the colour each one gives, the subfolders of a folder as the attribute settings let
// them show, and the node keys (a node's key is its folder's full path).

// The attribute that decides whether an entry is shown and in which colour; the first that
// applies, in this order: system (a device, socket or pipe), hidden (the name begins with "."),
// read-only (nobody may write: mode & 0222 == 0).
enum class EntryAttribute { None, System, Hidden, ReadOnly };

EntryAttribute entryAttribute(bool hiddenName, mode_t mode);
QColor attributeColor(EntryAttribute attribute);

// Which attributes the settings let show (SystemAtr, HiddenAtr, ReadOnlyAtr equal to 1).
struct AttributeFilter {
    bool system = false;
    bool hidden = false;
    bool readOnly = false;

    static AttributeFilter fromSettings(const Module1& module);
    bool shows(EntryAttribute attribute) const;
};

struct SubFolder {
    QString name;  // decoded as decodeFileName does: leads back to the name's bytes
    EntryAttribute attribute = EntryAttribute::None;
};

struct SubFolderScan {
    QList<SubFolder> folders;
    int error = 0;  // errno when the folder could not be opened
};

// The shown subfolders of a folder (a path in file-system bytes), read in one pass over the
// folder. The entry type comes from the directory itself; only a symbolic link (followed: a link
// to a folder is a folder), an entry of unknown type and a folder whose mode decides its
// attribute are looked at further. Stops after `limit` folders when limit > 0. Not sorted.
SubFolderScan scanSubFolders(const QByteArray& folder, const AttributeFilter& filter,
                             int limit = 0);
// True when the folder has at least one shown subfolder; stops at the first one.
bool hasSubFolders(const QByteArray& folder, const AttributeFilter& filter);
// True when the path (text as decodeFileName makes it) names a folder or a link to one.
bool folderExistsOnDisk(const QString& path);

// Tree order: by name regardless of case, names equal but for case in code-unit order.
bool folderNameLess(const QString& a, const QString& b);
void sortSubFolders(QList<SubFolder>& folders);

// The special folders the tree and the list show with pictures of their own. The program knew
// them by their Windows names ("My Pictures", "My Music", "My Videos", "Favorites"); here they
// are the names of this desktop's user folders, and "Favorites", which has no counterpart.
struct SpecialFolderNames {
    QString pictures;
    QString music;
    QString videos;
    QString documents;
    QString desktop;
    QString favorites = QStringLiteral("Favorites");

    // The last component of each XDG user folder; a folder that is the home folder itself (an
    // unused XDG entry) gives no name.
    static SpecialFolderNames fromSystem();
};

// The image key of a folder, one rule for the tree and the list: a read-only folder shown because
// ReadOnlyAtr is 1 whose name is one of the special folders gets that folder's picture; any other
// folder the closed folder.
QString folderImageKey(const QString& name, EntryAttribute attribute, const AttributeFilter& filter,
                       const IconKeySet& icons, const SpecialFolderNames& special);
