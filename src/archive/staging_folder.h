#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

// A hidden folder inside a destination that an extraction writes into, so that what it extracted
// lands in the destination only once the whole archive proved good. What is left in it is
// removed when it goes. It holds a lock on the folder for as long as it lives, so that a folder
// left by a killed extraction can be told from one in use.
class StagingFolder {
public:
    // Makes ".quorvane-extract-XXXXXX" in root (a resolved folder); path() is empty on failure.
    explicit StagingFolder(const QByteArray& root);
    ~StagingFolder();
    StagingFolder(const StagingFolder&) = delete;
    StagingFolder& operator=(const StagingFolder&) = delete;

    const QByteArray& path() const { return m_path; }

    // Removes the staging folders in root that no extraction holds: those of extractions that
    // were killed.
    static void removeStale(const QByteArray& root);

    // Moves everything into the root: folders that are there already are merged, a file replaces
    // a file or a link. Nothing goes through a symbolic link that is in the root, and no folder
    // and file replace each other: such an item stays out and is reported with its name relative
    // to the root and the reason.
    using Refusal = std::function<void(const QString& name, const QString& reason)>;
    void moveInto(const Refusal& refuse);

private:
    void merge(int from, int to, const QByteArray& relative, const Refusal& refuse);

    QByteArray m_root;
    QByteArray m_path;
    int m_lock = -1;  // the folder, open and locked
};
