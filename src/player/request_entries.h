#pragma once

#include <QList>
#include <cstdint>

// The entries one load request put into libmpv's play list, in play-list order: one for a plain
// file, one per reference for a metafile. The stand-ins of a metafile entry follow it; once one
// of the references of an entry plays, the stand-ins after it are no longer wanted.
class RequestEntries {
public:
    void clear() { m_items.clear(); }
    bool isEmpty() const { return m_items.isEmpty(); }
    // `entry` numbers the metafile entry, `choice` its reference (0 the first).
    void append(std::int64_t id, int entry, int choice);
    bool contains(std::int64_t id) const { return indexOf(id) >= 0; }
    // Nothing of the request follows it in the play list.
    bool isLast(std::int64_t id) const;
    // When it fails, its entry has nothing else to try.
    bool isLastChoice(std::int64_t id) const;
    // The stand-ins still waiting after it for its entry, taken out of the request.
    QList<std::int64_t> takeStandInsAfter(std::int64_t id);
    // libmpv read it as a play list and put `count` entries from `firstId` in its place.
    void replace(std::int64_t id, std::int64_t firstId, int count);

private:
    struct Item {
        std::int64_t id;
        int entry;
        int choice;
    };
    qsizetype indexOf(std::int64_t id) const;

    QList<Item> m_items;
};
