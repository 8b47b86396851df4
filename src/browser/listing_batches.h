#pragma once

#include <QHash>
#include <QString>
#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <vector>

#include "browser/file_lister.h"
#include "browser/file_row.h"
#include "browser/row_key_index.h"

// The rows a long listing has read so far, handed from its thread to the window's now and then,
// sorted as the list shows them. The first batch is made a little before the deadline after which
// the list shows rows as they come, so it is there when the list looks; each later one once the
// listing has run as long again as before it. The listing's thread only copies the rows; they
// are sorted and indexed on a thread of their own, one batch at a time, so the listing goes on
// at its own pace. The window takes the latest batch; one it has not taken is replaced.
class ListingBatches : public std::enable_shared_from_this<ListingBatches> {
public:
    using Clock = std::chrono::steady_clock;

    struct Batch {
        bool fresh = false;  // false: nothing new since the last take
        std::vector<FileRow> rows;
        RowKeyIndex keyRows;               // each key's row, made off the window's thread
        QHash<QString, WantedIcon> icons;  // icon view: the icons the rows name
    };

    ListingBatches(std::chrono::milliseconds deadline, int column, int order,
                   Clock::time_point start = Clock::now());

    // On the listing's thread, with what it has read: false once nobody wants the listing.
    bool offer(const Listing& soFar, Clock::time_point now = Clock::now());
    // On the window's thread.
    Batch take();
    void cancel() { m_cancelled = true; }
    // Names in their natural order (see FileListModel::setNaturalOrder); set before any offer.
    void setNaturalOrder(bool on) { m_natural = on; }
    int column() const { return m_column; }
    int order() const { return m_order; }
    // Whether a batch is being sorted (a test waits for it).
    bool preparing() const;

private:
    void prepare(Batch batch);

    const Clock::time_point m_start;
    Clock::time_point m_next;
    const int m_column;
    const int m_order;
    bool m_natural = false;
    size_t m_offered = 0;
    std::atomic<bool> m_cancelled{false};
    mutable std::mutex m_mutex;
    bool m_preparing = false;
    Batch m_batch;
};
