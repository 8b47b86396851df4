#include "browser/row_key_index.h"

#include <QHash>
#include <bit>

namespace {
constexpr size_t kSmallest = 16;
}  // namespace

size_t RowKeyIndex::slotOf(const QString& key) const {
    return qHash(key, 0) & (m_slots.size() - 1);
}

void RowKeyIndex::place(std::uint32_t row, const QString& key) {
    const size_t mask = m_slots.size() - 1;
    for (size_t slot = slotOf(key);; slot = (slot + 1) & mask) {
        if (m_slots[slot] == 0) {
            m_slots[slot] = row + 1;
            ++m_count;
            return;
        }
    }
}

RowKeyIndex RowKeyIndex::of(const std::vector<FileRow>& rows) {
    RowKeyIndex index;
    index.m_slots.assign(std::bit_ceil(std::max(kSmallest, rows.size() * 2)), 0);
    for (size_t r = 0; r < rows.size(); ++r) {
        index.place(static_cast<std::uint32_t>(r), rows[r].key);
    }
    return index;
}

int RowKeyIndex::find(const QString& key, const std::vector<FileRow>& rows) const {
    if (m_slots.empty()) {
        return -1;
    }
    const size_t mask = m_slots.size() - 1;
    for (size_t slot = slotOf(key);; slot = (slot + 1) & mask) {
        const std::uint32_t held = m_slots[slot];
        if (held == 0) {
            return -1;
        }
        const size_t r = held - 1;
        if (r < rows.size() && rows[r].key == key) {
            return static_cast<int>(r);
        }
    }
}

void RowKeyIndex::grow(const std::vector<FileRow>& rows) {
    const std::vector<std::uint32_t> old = std::exchange(m_slots, {});
    m_slots.assign(std::max(kSmallest, old.size() * 2), 0);
    m_count = 0;
    for (const std::uint32_t held : old) {
        if (held != 0) {
            place(held - 1, rows[held - 1].key);
        }
    }
}

void RowKeyIndex::insert(int row, const std::vector<FileRow>& rows) {
    if ((m_count + 1) * 2 > m_slots.size()) {
        grow(rows);
    }
    place(static_cast<std::uint32_t>(row), rows[static_cast<size_t>(row)].key);
}
