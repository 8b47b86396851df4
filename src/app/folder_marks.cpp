#include "app/folder_marks.h"

#include "history/play_history.h"
#include "history/resume_rules.h"

std::shared_ptr<FolderMarks> FolderMarks::ask(PlayHistory& history, const QString& folder) {
    auto marks = std::make_shared<FolderMarks>();
    // The history's thread holds the marks only until it has given them.
    history.readFolder(folder,
                       [marks](std::vector<StoredFile> files) { marks->give(std::move(files)); });
    return marks;
}

void FolderMarks::give(std::vector<StoredFile> files) {
    // The names are indexed here, on the history's thread, while the folder is still being read.
    Stored stored;
    stored.files = std::move(files);
    stored.byName.reserve(qsizetype(stored.files.size()));
    for (const StoredFile& file : stored.files) {
        stored.byName.insert(file.name, &file);
    }
    {
        std::lock_guard lock(m_mutex);
        m_stored = std::move(stored);
    }
    m_given.notify_all();
}

bool FolderMarks::mark(std::vector<FileRow>& rows, std::chrono::milliseconds wait) {
    std::unique_lock lock(m_mutex);
    if (!m_given.wait_for(lock, wait, [this] { return m_stored.has_value(); })) {
        return false;
    }
    const QHash<QStringView, const StoredFile*>& byName = m_stored->byName;
    if (byName.isEmpty()) {
        return true;
    }
    for (FileRow& row : rows) {
        if (row.folder) {
            continue;
        }
        const StoredFile* file = byName.value(row.text, nullptr);
        if (file == nullptr) {
            continue;
        }
        FileHistory now = file->history;
        if (file->stamp != FileStamp{row.bytes, row.time}) {
            now.positionMs = 0;
            now.durationMs = 0;
        }
        row.heard = heardMark(now);
    }
    return true;
}
