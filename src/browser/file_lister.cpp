#include "browser/file_lister.h"

#include <dirent.h>
#include <sys/stat.h>
#include <QHash>
#include <QSet>
#include <cerrno>
#include <cstring>
#include <memory>

#include "browser/file_icon_source.h"
#include "browser/file_list_model.h"
#include "browser/file_name_codec.h"
#include "browser/file_patterns.h"
#include "browser/icon_to_picture.h"
#include "browser/image_list.h"
#include "browser/messages.h"

ListerOptions ListerOptions::from(const Module1& state, bool fileView) {
    ListerOptions options;
    options.dspFile = listedFileKinds(state);
    options.fileView = fileView;
    options.folderDsp = state.mFolderDsp == 1;
    options.attributes = AttributeFilter::fromSettings(state);
    options.icons = state.icons;
    return options;
}

namespace {

struct DirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};

// The icon and type text rows share, per key source.
struct SharedIcon {
    QString iconKey;
    QString type;
};

// What the rows of one extension (exact bytes) share.
struct ExtensionEntry {
    QString ext;         // case kept; empty for a name without one
    QString columnText;  // the extension, or "<拡張子なし>"
    bool iconAsked = false;
    SharedIcon icon;
};

FileIconQuery::Kind kindOf(mode_t mode) {
    if (S_ISFIFO(mode)) {
        return FileIconQuery::Kind::Fifo;
    }
    if (S_ISCHR(mode)) {
        return FileIconQuery::Kind::CharDevice;
    }
    if (S_ISBLK(mode)) {
        return FileIconQuery::Kind::BlockDevice;
    }
    if (S_ISSOCK(mode)) {
        return FileIconQuery::Kind::Socket;
    }
    return (mode & 0111) != 0 ? FileIconQuery::Kind::Executable : FileIconQuery::Kind::Regular;
}

// Files whose icon is their own rather than their extension's: launchers, programs, icon files,
// special files and names without extension. Extensions compare exactly, as the shell did.
bool hasOwnIcon(const QString& ext, FileIconQuery::Kind kind) {
    return ext.isEmpty() || kind != FileIconQuery::Kind::Regular || ext == u"desktop" ||
           ext == u"exe" || ext == u"ico";
}

// Looks icons up for one listing: once per extension key source, every time for files with
// their own icon. Each row names its icon by image key; the listing names the icons to draw.
class ListingIcons {
public:
    ListingIcons(const FileIconSource& source, QHash<QString, WantedIcon>& wanted)
        : m_source(source), m_wanted(wanted) {}

    SharedIcon forExtension(const QString& ext, const QString& path, const QString& name,
                            FileIconQuery::Kind kind) {
        const QString source = ext.toLower();
        auto it = m_byExtension.constFind(source);
        if (it == m_byExtension.cend()) {
            it = m_byExtension.insert(source, ask(source, path, name, ext, kind, false));
        }
        return *it;
    }

    SharedIcon forFile(const QString& ext, const QString& path, const QString& name,
                       FileIconQuery::Kind kind) {
        return ask(path.toLower(), path, name, ext, kind, true);
    }

private:
    SharedIcon ask(const QString& source, const QString& path, const QString& name,
                   const QString& ext, FileIconQuery::Kind kind, bool perFile) {
        FileIconType type = m_source.typeOf({path, name, ext, kind, perFile});
        SharedIcon shared;
        shared.type = u' ' + type.typeName;
        shared.iconKey = u't' + source + u't';
        m_wanted.insert(shared.iconKey, {std::move(type), path});
        return shared;
    }

    const FileIconSource& m_source;
    QHash<QString, WantedIcon>& m_wanted;
    QHash<QString, SharedIcon> m_byExtension;
};

}  // namespace

FileLister::FileLister(ListerOptions options) : m_options(std::move(options)) {}

void FileLister::drawIcons(const QHash<QString, WantedIcon>& icons, std::vector<FileRow>& rows,
                           QStringList& failures, FileIconSource& source, ImageList& images) {
    QSet<QString> failed;
    for (auto it = icons.cbegin(); it != icons.cend(); ++it) {
        if (!IconToPicture(images, it.key(), source.iconOf(it->type))) {
            failed.insert(it.key());
            failures << it->path;
        }
    }
    if (failed.isEmpty()) {
        return;
    }
    for (FileRow& row : rows) {
        if (!row.iconKey.isEmpty() && failed.contains(row.iconKey)) {
            row.iconKey.clear();
        }
    }
}

Listing FileLister::list(const QString& path, const FileIconSource* icons,
                         const ListingProgress& progress) const {
    Listing out;
    const QString prefix = path.endsWith(u'/') ? path : path + u'/';
    std::unique_ptr<DIR, DirCloser> dir(opendir(encodeFileName(prefix).constData()));
    if (!dir) {
        out.readable = false;
        out.error = errno;
        return out;
    }
    const int fd = dirfd(dir.get());
    const bool fileView = m_options.fileView;
    const bool showFolders = fileView && m_options.folderDsp;
    const FilePatterns patterns =
        fileView ? FilePatterns::everything() : FilePatterns(m_options.dspFile);
    if (patterns.isEmpty()) {
        return out;
    }

    // Texts every row of a kind shares, so a row costs its key and name and little more.
    const QString space = QStringLiteral(" ");
    const QString folderExt = QString::fromUtf16(browser_msg::kFolderExtension);
    const QString folderType = QString::fromUtf16(browser_msg::kFolderType);
    const QString noExtension = QString::fromUtf16(browser_msg::kNoExtension);
    QHash<QByteArray, ExtensionEntry> extensions;
    QHash<QString, QString> folderIcons;
    std::unique_ptr<ListingIcons> listingIcons;
    if (icons) {
        listingIcons = std::make_unique<ListingIcons>(*icons, out.icons);
    }

    // First the names: an entry of a kind not listed is never looked at further. The rows are
    // then made in one go, for entries whose names passed. A first few rows are made before the
    // rest of a long folder is read, so that it has something to show soon.
    struct Candidate {
        qsizetype nameOffset = 0;
        qsizetype nameSize = 0;
        QString text;  // set when the name test needed it
    };
    std::vector<Candidate> candidates;
    QByteArray names;
    constexpr size_t kProgressEvery = 4096;  // names read between two calls of progress
    constexpr size_t kFirstRows = 2048;
    size_t looked = 0;
    bool firstRows = progress != nullptr;
    bool more = true;
    while (more) {
        more = false;
        candidates.clear();
        names.clear();
        while (const dirent* entry = readdir(dir.get())) {
            if (progress && ++looked % kProgressEvery == 0 && !progress(out)) {
                return out;
            }
            const char* name = entry->d_name;
            const qsizetype size = static_cast<qsizetype>(strlen(name));
            if (name[0] == '.' && (size == 1 || (size == 2 && name[1] == '.'))) {
                continue;
            }
            Candidate candidate;
            if (entry->d_type == DT_DIR) {
                if (!showFolders) {
                    continue;
                }
            } else if (patterns.match(name, size, &candidate.text) < 0) {
                continue;
            }
            candidate.nameOffset = names.size();
            candidate.nameSize = size;
            names.append(name, size + 1);  // with its NUL, for fstatat
            candidates.push_back(std::move(candidate));
            if (firstRows && candidates.size() == kFirstRows) {
                firstRows = false;
                more = true;
                break;
            }
        }
        out.rows.reserve(out.rows.size() + candidates.size());

        for (Candidate& candidate : candidates) {
            // Every row: on a slow share a single look-up can take longer than a batch's time.
            if (progress && !progress(out)) {
                break;
            }
            const char* name = names.constData() + candidate.nameOffset;
            const qsizetype size = candidate.nameSize;
            QString text = std::move(candidate.text);
            struct stat st {};
            if (fstatat(fd, name, &st, 0) != 0) {
                continue;  // gone since the folder was read, or a link to nothing
            }
            const bool folder = S_ISDIR(st.st_mode);
            if (folder && !showFolders) {
                continue;
            }
            const EntryAttribute attribute = entryAttribute(name[0] == '.', st.st_mode);
            if (!m_options.attributes.shows(attribute)) {
                continue;
            }
            if (text.isNull()) {
                text = decodeFileName(name, size);
            }

            FileRow row;
            // Built by hand: the string builder leaves room to grow in every key, and keys are
            // the larger part of a row.
            row.key.reserve(prefix.size() + text.size());
            row.key.append(prefix).append(text);
            row.time = st.st_mtim.tv_sec;
            row.foreColor = attributeColor(attribute).rgb();
            if (folder) {
                row.folder = true;
                row.ext = folderExt;
                row.type = folderType;
                const QString iconKey = folderImageKey(text, attribute, m_options.attributes,
                                                       m_options.icons, m_options.special);
                row.iconKey = *folderIcons.insert(iconKey, iconKey);
                ++out.folders;
            } else {
                const char* dot = static_cast<const char*>(memrchr(name, '.', size_t(size)));
                const QByteArray extBytes =
                    dot ? QByteArray::fromRawData(dot + 1, size - (dot + 1 - name)) : QByteArray();
                auto ext = extensions.find(extBytes);
                if (ext == extensions.end()) {
                    ExtensionEntry e;
                    e.ext = decodeFileName(extBytes);
                    e.columnText = e.ext.isEmpty() ? noExtension : e.ext;
                    ext = extensions.insert(QByteArray(extBytes.constData(), extBytes.size()), e);
                }
                row.ext = ext->columnText;
                row.bytes = st.st_size;
                if (listingIcons) {
                    const FileIconQuery::Kind kind = kindOf(st.st_mode);
                    if (hasOwnIcon(ext->ext, kind)) {
                        const SharedIcon own = listingIcons->forFile(ext->ext, row.key, text, kind);
                        row.iconKey = own.iconKey;
                        row.type = own.type;
                    } else {
                        if (!ext->iconAsked) {
                            ext->icon = listingIcons->forExtension(ext->ext, row.key, text, kind);
                            ext->iconAsked = true;
                        }
                        row.iconKey = ext->icon.iconKey;
                        row.type = ext->icon.type;
                    }
                } else {
                    row.type = space;
                }
                ++out.files;
            }
            row.text = std::move(text);

            out.rows.push_back(std::move(row));
        }
    }
    return out;
}
