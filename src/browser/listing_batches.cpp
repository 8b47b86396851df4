#include "browser/listing_batches.h"

#include <thread>
#include <utility>

#include "browser/file_list_model.h"
#include "browser/file_lister.h"

ListingBatches::ListingBatches(std::chrono::milliseconds deadline, int column, int order,
                               Clock::time_point start)
    : m_start(start), m_next(start + deadline * 2 / 3), m_column(column), m_order(order) {}

bool ListingBatches::offer(const Listing& soFar, Clock::time_point now) {
    if (m_cancelled) {
        return false;
    }
    // Past this many rows the window's view takes long to show a batch (it lays out every row):
    // the rest comes with the whole listing.
    constexpr size_t kMostRows = 250000;
    if (now < m_next || soFar.rows.size() == m_offered || soFar.rows.size() > kMostRows) {
        return true;
    }
    {
        const std::lock_guard lock(m_mutex);
        if (m_preparing) {
            return true;  // the one before is still being sorted: a later offer takes more
        }
        m_preparing = true;
    }
    Batch batch;
    batch.fresh = true;
    batch.rows = soFar.rows;  // the strings are shared, not copied
    batch.icons = soFar.icons;
    m_offered = soFar.rows.size();
    m_next = now + (now - m_start);
    std::thread([self = shared_from_this(), batch = std::move(batch)]() mutable {
        self->prepare(std::move(batch));
    }).detach();
    return true;
}

void ListingBatches::prepare(Batch batch) {
    if (!m_cancelled) {
        FileListModel::sortFileRows(batch.rows, m_column, m_order, m_natural);
        batch.keyRows = RowKeyIndex::of(batch.rows);
    }
    Batch untaken;  // freed after the lock is let go: the window never waits for that
    const std::lock_guard lock(m_mutex);
    m_preparing = false;
    if (!m_cancelled) {
        untaken = std::exchange(m_batch, std::move(batch));
    } else {
        untaken = std::move(batch);
    }
}

ListingBatches::Batch ListingBatches::take() {
    const std::lock_guard lock(m_mutex);
    return std::exchange(m_batch, Batch{});
}

bool ListingBatches::preparing() const {
    const std::lock_guard lock(m_mutex);
    return m_preparing;
}
