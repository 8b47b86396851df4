#include "player/request_entries.h"

void RequestEntries::append(std::int64_t id, int entry, int choice) {
    m_items.append({id, entry, choice});
}

qsizetype RequestEntries::indexOf(std::int64_t id) const {
    if (id < 0) {
        return -1;
    }
    for (qsizetype i = 0; i < m_items.size(); ++i) {
        if (m_items[i].id == id) {
            return i;
        }
    }
    return -1;
}

bool RequestEntries::isLast(std::int64_t id) const {
    return !m_items.isEmpty() && m_items.last().id == id;
}

bool RequestEntries::isLastChoice(std::int64_t id) const {
    const qsizetype i = indexOf(id);
    for (qsizetype k = i + 1; i >= 0 && k < m_items.size() && m_items[k].entry == m_items[i].entry;
         ++k) {
        if (m_items[k].choice > m_items[i].choice) {
            return false;
        }
    }
    return true;
}

QList<std::int64_t> RequestEntries::takeStandInsAfter(std::int64_t id) {
    QList<std::int64_t> taken;
    const qsizetype i = indexOf(id);
    if (i < 0) {
        return taken;
    }
    // What libmpv read out of this reference (a list at an address) shares its choice and stays.
    qsizetype k = i + 1;
    while (k < m_items.size() && m_items[k].entry == m_items[i].entry) {
        if (m_items[k].choice > m_items[i].choice) {
            taken.append(m_items[k].id);
            m_items.remove(k);
        } else {
            ++k;
        }
    }
    return taken;
}

void RequestEntries::replace(std::int64_t id, std::int64_t firstId, int count) {
    const qsizetype i = indexOf(id);
    if (i < 0 || count <= 0) {
        return;
    }
    const Item replaced = m_items[i];
    m_items.remove(i);
    for (int k = 0; k < count; ++k) {
        m_items.insert(i + k, {firstId + k, replaced.entry, replaced.choice});
    }
}
