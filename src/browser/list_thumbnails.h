#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <cstdint>

#include "browser/thumbnail_maker.h"

class FileListModel;
class FileListView;
class ThumbnailQueue;

// The thumbnails of the file list in icon view: asks the queue for the rows in view first and
// the rows below them next, again whenever the list scrolls or is resized (rows scrolled past
// drop out of what waits), and puts each thumbnail on its row as it comes. In icon view every
// row is as tall as a thumbnail from the start, so nothing moves when they come. A file changed
// on disk gets a new thumbnail; one that is gone loses its thumbnail and its cache entries.
class ListThumbnails : public QObject {
    Q_OBJECT
public:
    // The longer edge of a thumbnail on screen, in the list's pixels.
    static constexpr int kSide = 48;

    ListThumbnails(FileListModel& model, FileListView& view, ThumbnailQueue& queue,
                   QObject* parent = nullptr);

    // Icon view on or off: the rows' height, and thumbnails or none.
    void setOn(bool on);
    bool isOn() const { return m_on; }
    // A folder was listed anew: the thumbnails of the one before go.
    void folderListed();
    // The rows were brought in line with the disk: thumbnails of files changed or gone go.
    void rowsChanged();
    // Asks for the rows in view and below (once per turn of the event loop, however often).
    void requestSoon();

private:
    void request();
    void take(const QString& path, std::int64_t mtime, const QImage& image, int side);
    int deviceSide() const;

    FileListModel& m_model;
    FileListView& m_view;
    ThumbnailQueue& m_queue;
    bool m_on = false;
    bool m_requestPending = false;
    // Files asked for and told, with the last write they were made from (a thumbnail or none).
    QHash<QString, std::int64_t> m_told;
    QHash<QString, ThumbnailKind> m_kindOfExtension;
};
