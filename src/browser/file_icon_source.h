#pragma once

#include <QHash>
#include <QIcon>
#include <QMimeDatabase>
#include <QString>

class ImageList;

// What the file list asks about one file when icons are on.
struct FileIconQuery {
    enum class Kind { Regular, Executable, Fifo, CharDevice, BlockDevice, Socket };
    QString path;  // full path
    QString name;
    QString ext;  // case kept; empty when the name has none
    Kind kind = Kind::Regular;
    // The icon stands for this one file (programs, icons, names without extension): the source
    // may look into the file. Otherwise it stands for every file of the extension.
    bool perFile = false;
};

struct FileIconAnswer {
    QIcon icon;        // null when none could be had
    QString typeName;  // the kind of file in words, in the user's language
};

// The kind of a file as far as its icon and type name go.
struct FileIconType {
    QString mimeName;
    QString typeName;  // the kind of file in words, in the user's language
};

// The file list's source of small icons and type names. Finding a file's kind may look into the
// file, so it is asked on the listing's thread (and must be safe there); its icon belongs to the
// window's thread and is asked there.
class FileIconSource {
public:
    virtual ~FileIconSource() = default;
    virtual FileIconType typeOf(const FileIconQuery& query) const = 0;
    virtual QIcon iconOf(const FileIconType& type) = 0;

    FileIconAnswer query(const FileIconQuery& query) {
        FileIconType type = typeOf(query);
        return {iconOf(type), std::move(type.typeName)};
    }
};

// Icons and type names from the desktop's MIME database and icon theme. The type name is the
// MIME type's comment in the UI language; the icon is the theme's icon for the type, or, where no
// theme answers (no desktop session, a bare window manager), the program's own picture for the
// kind of file from the image list. Answers are kept per MIME type for the whole run.
class MimeIconSource : public FileIconSource {
public:
    explicit MimeIconSource(const ImageList& images);
    FileIconType typeOf(const FileIconQuery& query) const override;
    QIcon iconOf(const FileIconType& type) override;

    // The image key of the program's own picture for a MIME type ("FileAudio", "FileGeneric" ...).
    static QString fallbackImageKey(const QMimeType& type);

private:
    const ImageList& m_images;
    QMimeDatabase m_database;       // the window's thread's
    QHash<QString, QIcon> m_icons;  // by MIME type name
};
