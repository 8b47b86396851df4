#pragma once

#include <QString>
#include <array>

// The seven remembered folders of the tree's menu, most recent first; an empty entry is a free
// slot, which the menu hides. Kept apart from the menu items so the rules can be checked alone.
class QuickPaths {
public:
    static constexpr int kCount = 7;

    const QString& at(int index) const { return m_paths.at(index); }
    void set(int index, const QString& path) { m_paths.at(index) = path; }
    const std::array<QString, kCount>& paths() const { return m_paths; }

    // True when one of the seven is exactly this folder (case counts).
    bool QuickPathExists(const QString& folder) const;
    // Puts the folder on top and moves the others down one; the seventh drops off. A free slot
    // moves down as a free slot.
    void PushQuickPath(const QString& folder);
    // PushQuickPath unless the folder is already there; true when it was added.
    bool AddQuickPath(const QString& folder);
    void clear() { m_paths.fill(QString()); }

    // The caption of the tree's menu for a recording mode (0 every time, 1 when played to the
    // end, anything else never).
    static QString quickAccessCaption(int mode);

private:
    std::array<QString, kCount> m_paths;
};
