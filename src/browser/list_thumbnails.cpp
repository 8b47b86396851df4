#include "browser/list_thumbnails.h"

#include <QPainter>
#include <QPixmap>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <cmath>

#include "browser/file_list_model.h"
#include "browser/file_list_view.h"
#include "browser/thumbnail_queue.h"

ListThumbnails::ListThumbnails(FileListModel& model, FileListView& view, ThumbnailQueue& queue,
                               QObject* parent)
    : QObject(parent), m_model(model), m_view(view), m_queue(queue) {
    connect(&m_queue, &ThumbnailQueue::ready, this, &ListThumbnails::take);
    connect(m_view.verticalScrollBar(), &QScrollBar::valueChanged, this,
            &ListThumbnails::requestSoon);
    connect(m_view.verticalScrollBar(), &QScrollBar::rangeChanged, this,
            &ListThumbnails::requestSoon);
}

int ListThumbnails::deviceSide() const {
    return static_cast<int>(std::ceil(kSide * m_view.devicePixelRatioF()));
}

void ListThumbnails::setOn(bool on) {
    if (on == m_on) {
        return;
    }
    m_on = on;
    const int small = m_view.style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, &m_view);
    m_view.setIconSize(on ? QSize(kSide, kSide) : QSize(small, small));
    if (!on) {
        m_queue.clear();
        m_told.clear();
        m_model.clearPictures();
    }
}

void ListThumbnails::folderListed() {
    m_queue.clear();
    m_told.clear();
    m_model.clearPictures();
    requestSoon();
}

void ListThumbnails::rowsChanged() {
    if (!m_on) {
        return;
    }
    for (auto it = m_told.begin(); it != m_told.end();) {
        const int r = m_model.rowOfKey(it.key());
        if (r >= 0 && m_model.row(r).time == it.value()) {
            ++it;
            continue;
        }
        if (r < 0) {
            m_queue.forget(it.key());
        }
        m_model.removePicture(it.key());
        it = m_told.erase(it);
    }
    requestSoon();
}

void ListThumbnails::requestSoon() {
    if (!m_on || m_requestPending) {
        return;
    }
    m_requestPending = true;
    QTimer::singleShot(0, this, [this] {
        m_requestPending = false;
        request();
    });
}

void ListThumbnails::request() {
    if (!m_on) {
        return;
    }
    const int rows = m_model.count();
    if (rows == 0) {
        m_queue.clear();
        return;
    }
    m_queue.setSide(deviceSide());
    const QModelIndex top = m_view.indexAt(QPoint(1, 1));
    const int first = top.isValid() ? top.row() : 0;
    std::vector<ThumbnailJob> jobs;
    // The rows in view, then those below; rows above were scrolled past.
    for (int r = first; r < rows; ++r) {
        const FileRow& row = m_model.row(r);
        if (row.folder || m_told.contains(row.key)) {
            continue;
        }
        const qsizetype dot = row.text.lastIndexOf(u'.');
        const QString ext = dot < 0 ? QString() : row.text.mid(dot + 1).toLower();
        auto kind = m_kindOfExtension.constFind(ext);
        if (kind == m_kindOfExtension.cend()) {
            kind = m_kindOfExtension.insert(ext, thumbnailKindOf(row.text));
        }
        if (*kind != ThumbnailKind::None) {
            jobs.push_back({row.key, row.time, row.bytes, *kind});
        }
    }
    m_queue.want(std::move(jobs));
}

void ListThumbnails::take(const QString& path, std::int64_t mtime, const QImage& image, int side) {
    const int r = m_model.rowOfKey(path);
    if (!m_on || r < 0 || m_model.row(r).time != mtime) {
        return;  // a thumbnail of a file since changed is asked for again
    }
    m_told.insert(path, mtime);
    if (image.isNull()) {
        return;
    }
    // Every picture as tall and wide as a type icon, so no row changes its height.
    QImage square(side, side, QImage::Format_ARGB32_Premultiplied);
    square.fill(Qt::transparent);
    {
        QPainter painter(&square);
        painter.drawImage((side - image.width()) / 2, (side - image.height()) / 2, image);
    }
    QPixmap pixmap = QPixmap::fromImage(square);
    pixmap.setDevicePixelRatio(double(side) / kSide);
    m_model.setPicture(path, pixmap, mtime);
}
