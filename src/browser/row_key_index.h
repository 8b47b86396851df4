#pragma once

#include <QString>
#include <cstdint>
#include <vector>

#include "browser/file_row.h"

// Each row's key -> its place among rows kept elsewhere: an open-addressed table of row numbers
// (4 bytes a slot, never more than half full) whose keys are compared in the rows themselves.
// A hash of strings costs a hundred bytes a row and a third of a second for a million rows; this
// costs eight bytes and a fraction of that. Rows taken out or renamed make it stale: build it
// again then.
class RowKeyIndex {
public:
    RowKeyIndex() = default;
    // The keys must be unique (as a listing's are).
    static RowKeyIndex of(const std::vector<FileRow>& rows);

    // The row of a key, or -1.
    int find(const QString& key, const std::vector<FileRow>& rows) const;
    // Adds the row at that place, whose key no other row has.
    void insert(int row, const std::vector<FileRow>& rows);
    size_t size() const { return m_count; }
    bool empty() const { return m_count == 0; }

private:
    void place(std::uint32_t row, const QString& key);
    void grow(const std::vector<FileRow>& rows);
    size_t slotOf(const QString& key) const;

    std::vector<std::uint32_t> m_slots;  // 0: empty; else the row's place + 1
    size_t m_count = 0;
};
