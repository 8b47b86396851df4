#include "browser/file_icon_source.h"

#include "browser/image_list.h"
#include "browser/messages.h"

namespace {

bool isOneOf(const QString& name, std::initializer_list<const char*> names) {
    for (const char* n : names) {
        if (name == QLatin1StringView(n)) {
            return true;
        }
    }
    return false;
}

bool inheritsAny(const QMimeType& type, std::initializer_list<const char*> names) {
    for (const char* n : names) {
        if (type.inherits(QLatin1StringView(n))) {
            return true;
        }
    }
    return false;
}

}  // namespace

MimeIconSource::MimeIconSource(const ImageList& images) : m_images(images) {}

QString MimeIconSource::fallbackImageKey(const QMimeType& type) {
    const QString name = type.name();
    if (name == u"application/x-desktop") {
        return QStringLiteral("FileLink");
    }
    if (isOneOf(name, {"application/x-executable", "application/x-pie-executable",
                       "application/x-sharedlib", "application/x-ms-dos-executable",
                       "application/x-shellscript", "application/x-msi"})) {
        return QStringLiteral("FileExecutable");
    }
    if (name.startsWith(u"audio/")) {
        return QStringLiteral("FileAudio");
    }
    if (name.startsWith(u"video/")) {
        return QStringLiteral("FileVideo");
    }
    if (name.startsWith(u"image/")) {
        return QStringLiteral("FileImage");
    }
    if (inheritsAny(type, {"application/zip", "application/x-lha", "application/x-lzh-compressed",
                           "application/x-tar", "application/gzip", "application/x-bzip",
                           "application/x-7z-compressed", "application/vnd.rar",
                           "application/x-rar", "application/x-xz", "application/zstd",
                           "application/x-compressed-tar", "application/x-archive"})) {
        return QStringLiteral("FileArchive");
    }
    if (name.startsWith(u"text/") || type.inherits(QStringLiteral("text/plain"))) {
        return QStringLiteral("FileText");
    }
    return QStringLiteral("FileGeneric");
}

FileIconType MimeIconSource::typeOf(const FileIconQuery& query) const {
    // A database of this thread's: the look runs on the listing's thread.
    const QMimeDatabase database;
    QMimeType type;
    switch (query.kind) {
        case FileIconQuery::Kind::Fifo:
            type = database.mimeTypeForName(QStringLiteral("inode/fifo"));
            break;
        case FileIconQuery::Kind::CharDevice:
            type = database.mimeTypeForName(QStringLiteral("inode/chardevice"));
            break;
        case FileIconQuery::Kind::BlockDevice:
            type = database.mimeTypeForName(QStringLiteral("inode/blockdevice"));
            break;
        case FileIconQuery::Kind::Socket:
            type = database.mimeTypeForName(QStringLiteral("inode/socket"));
            break;
        case FileIconQuery::Kind::Regular:
        case FileIconQuery::Kind::Executable:
            // A file that stands for itself may be looked into (a program or script without
            // extension); one that stands for its extension is known by its name alone.
            type = query.perFile
                       ? database.mimeTypeForFile(query.path, QMimeDatabase::MatchDefault)
                       : database.mimeTypeForFile(query.name, QMimeDatabase::MatchExtension);
            break;
    }
    const bool unknown =
        !type.isValid() || type.isDefault() || type.name() == u"application/x-zerosize";
    if (unknown && query.kind == FileIconQuery::Kind::Executable) {
        // Nothing in its name or its first bytes tells what it is, but it may be run.
        type = database.mimeTypeForName(QStringLiteral("application/x-executable"));
    }
    return {type.name(), unknown && query.kind != FileIconQuery::Kind::Executable
                             ? browser_msg::unknownFileType(query.ext.toUpper())
                             : type.comment()};
}

QIcon MimeIconSource::iconOf(const FileIconType& kind) {
    auto cached = m_icons.constFind(kind.mimeName);
    if (cached != m_icons.cend()) {
        return *cached;
    }
    const QMimeType type = m_database.mimeTypeForName(kind.mimeName);
    QIcon icon = QIcon::fromTheme(type.iconName());
    if (icon.isNull()) {
        icon = QIcon::fromTheme(type.genericIconName());
    }
    if (icon.isNull()) {
        icon = m_images.icon(fallbackImageKey(type));
    }
    m_icons.insert(kind.mimeName, icon);
    return icon;
}
