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

QMimeType MimeIconSource::typeOf(const FileIconQuery& query) const {
    switch (query.kind) {
        case FileIconQuery::Kind::Fifo:
            return m_database.mimeTypeForName(QStringLiteral("inode/fifo"));
        case FileIconQuery::Kind::CharDevice:
            return m_database.mimeTypeForName(QStringLiteral("inode/chardevice"));
        case FileIconQuery::Kind::BlockDevice:
            return m_database.mimeTypeForName(QStringLiteral("inode/blockdevice"));
        case FileIconQuery::Kind::Socket:
            return m_database.mimeTypeForName(QStringLiteral("inode/socket"));
        case FileIconQuery::Kind::Regular:
        case FileIconQuery::Kind::Executable:
            break;
    }
    // A file that stands for itself may be looked into (a program or script without extension);
    // one that stands for its extension is known by its name, without touching the disk.
    return query.perFile ? m_database.mimeTypeForFile(query.path, QMimeDatabase::MatchDefault)
                         : m_database.mimeTypeForFile(query.name, QMimeDatabase::MatchExtension);
}

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

FileIconAnswer MimeIconSource::query(const FileIconQuery& query) {
    QMimeType type = typeOf(query);
    const bool unknown =
        !type.isValid() || type.isDefault() || type.name() == u"application/x-zerosize";
    if (unknown && query.kind == FileIconQuery::Kind::Executable) {
        // Nothing in its name or its first bytes tells what it is, but it may be run.
        type = m_database.mimeTypeForName(QStringLiteral("application/x-executable"));
    }
    FileIconAnswer answer;
    answer.typeName = unknown && query.kind != FileIconQuery::Kind::Executable
                          ? browser_msg::unknownFileType(query.ext.toUpper())
                          : type.comment();
    auto cached = m_icons.constFind(type.name());
    if (cached != m_icons.cend()) {
        answer.icon = *cached;
        return answer;
    }
    QIcon icon = QIcon::fromTheme(type.iconName());
    if (icon.isNull()) {
        icon = QIcon::fromTheme(type.genericIconName());
    }
    if (icon.isNull()) {
        icon = m_images.icon(fallbackImageKey(type));
    }
    m_icons.insert(type.name(), icon);
    answer.icon = icon;
    return answer;
}
