#include "browser/file_search.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <QElapsedTimer>
#include <cstring>

#include "browser/file_name_codec.h"

FilePatterns searchPatterns(const QString& text) {
    QStringList parts;
    for (const QStringView part : QStringView(text).split(u';')) {
        const QStringView trimmed = part.trimmed();
        if (trimmed.isEmpty()) {
            continue;
        }
        if (trimmed.contains(u'*') || trimmed.contains(u'?')) {
            parts << trimmed.toString();
        } else {
            parts << u'*' + trimmed.toString() + u'*';
        }
    }
    if (parts.isEmpty()) {
        return FilePatterns::everything();
    }
    return FilePatterns(parts.join(u';'));
}

FileSearch::FileSearch(const QString& startFolder, const QString& patternText, bool subFolders,
                       const AttributeFilter& filter)
    : m_patterns(searchPatterns(patternText)), m_subFolders(subFolders), m_filter(filter) {
    const QString key = folderKey(startFolder);
    if (key.isEmpty()) {
        m_finished = true;
        return;
    }
    m_pending.push_back(encodeFileName(key));
}

FileSearch::~FileSearch() = default;

void FileSearch::stop() {
    m_pending.clear();
    m_dir.reset();
    m_folderText.clear();
    m_finished = true;
}

bool FileSearch::openNextFolder() {
    while (!m_pending.empty()) {
        QByteArray folder = std::move(m_pending.front());
        m_pending.pop_front();
        DIR* dir = opendir(folder.constData());
        if (dir == nullptr) {
            ++m_skipped;
            continue;
        }
        std::unique_ptr<DIR, DirCloser> guard(dir);
        struct stat st {};
        if (fstat(dirfd(dir), &st) != 0) {
            ++m_skipped;
            continue;
        }
        if (!m_haveDevice) {
            m_haveDevice = true;
            m_device = st.st_dev;
        }
        // Another file system (a mount below the start folder) is another volume; a folder seen
        // before is a bind mount or a loop.
        if (st.st_dev != m_device || !m_visited.insert({st.st_dev, st.st_ino}).second) {
            continue;
        }
        m_dir = std::move(guard);
        m_folderText = decodeFileName(folder);
        if (!folder.endsWith('/')) {
            folder.append('/');
        }
        m_folder = std::move(folder);
        ++m_searched;
        return true;
    }
    return false;
}

void FileSearch::readEntry(const char* name, unsigned char type, QList<FoundFile>& found) {
    const int fd = dirfd(m_dir.get());
    const bool hiddenName = name[0] == '.';
    struct stat st {};
    bool haveStat = false;
    if (type == DT_UNKNOWN) {
        if (fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
            return;
        }
        haveStat = true;
        type = S_ISDIR(st.st_mode)   ? DT_DIR
               : S_ISLNK(st.st_mode) ? DT_LNK
               : S_ISREG(st.st_mode) ? DT_REG
                                     : DT_UNKNOWN;
    }
    if (type == DT_DIR) {
        if (!m_subFolders) {
            return;
        }
        // A hidden name decides alone; otherwise the mode tells whether it is read-only, which
        // matters only when read-only entries are kept out.
        EntryAttribute attribute = hiddenName ? EntryAttribute::Hidden : EntryAttribute::None;
        if (!hiddenName && !m_filter.readOnly) {
            if (!haveStat && fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
                return;
            }
            attribute = entryAttribute(false, st.st_mode);
        }
        if (m_filter.shows(attribute)) {
            m_pending.push_back(m_folder + name);
        }
        return;
    }
    if (type != DT_REG && type != DT_LNK) {
        return;  // devices, sockets and pipes are not files to find
    }
    const qsizetype size = qsizetype(std::strlen(name));
    QString text;
    if (m_patterns.match(name, size, &text) < 0) {
        return;
    }
    // A link counts as the file it leads to; a link to a folder is never entered nor listed.
    if (fstatat(fd, name, &st, 0) != 0 || !S_ISREG(st.st_mode)) {
        return;
    }
    if (!m_filter.shows(entryAttribute(hiddenName, st.st_mode))) {
        return;
    }
    if (text.isNull()) {
        text = decodeFileName(name, size);
    }
    found.append({m_folderText, text, qint64(st.st_size), qint64(st.st_mtim.tv_sec)});
}

bool FileSearch::step(int maxEntries, qint64 maxMilliseconds, QList<FoundFile>& found) {
    QElapsedTimer clock;
    clock.start();
    for (int done = 0; !m_finished && done < maxEntries; ++done) {
        // Reading the clock for every entry would cost more than many entries.
        if (done % 8 == 7 && clock.elapsed() >= maxMilliseconds) {
            break;
        }
        if (!m_dir) {
            if (!openNextFolder()) {
                m_folderText.clear();
                m_finished = true;
            }
            continue;
        }
        const dirent* entry = readdir(m_dir.get());
        if (entry == nullptr) {
            // The end of the folder, or a folder that went away while it was read.
            m_dir.reset();
            continue;
        }
        const char* name = entry->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) {
            continue;
        }
        readEntry(name, entry->d_type, found);
    }
    return !m_finished;
}
