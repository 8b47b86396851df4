#pragma once

#include <QHash>
#include <QString>
#include <QStringView>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "browser/listing_marks.h"
#include "history/history_records.h"

class PlayHistory;

// One folder's marks for the listing that reads it: asked of the play history as the listing
// starts, read from the store on the history's thread while the folder is read, and put on the
// rows on the listing's thread. A file whose stamp differs from the stored one shows no position
// (the store drops it when the file is next looked up), but keeps its played mark.
class FolderMarks final : public ListingMarks {
public:
    static std::shared_ptr<FolderMarks> ask(PlayHistory& history, const QString& folder);

    // The stored files, from any thread.
    void give(std::vector<StoredFile> files);
    bool mark(std::vector<FileRow>& rows, std::chrono::milliseconds wait) override;

private:
    std::mutex m_mutex;
    std::condition_variable m_given;
    struct Stored {
        std::vector<StoredFile> files;
        QHash<QStringView, const StoredFile*> byName;  // into files
    };
    std::optional<Stored> m_stored;
};
