#pragma once

#include <QDirIterator>
#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>

// Counts the files and folders in a folder tree and adds up their sizes, a slice at a time from
// the event loop, so that a window showing the figures stays alive however big the tree is.
// Links are counted but not followed. Counting stops at a cap and says so.
class FolderSizeCounter : public QObject {
    Q_OBJECT
public:
    struct Totals {
        qint64 files = 0;
        qint64 folders = 0;
        qint64 bytes = 0;
    };

    explicit FolderSizeCounter(QObject* parent = nullptr);
    ~FolderSizeCounter() override;

    void setCap(qint64 entries) { m_cap = entries; }
    void start(const QString& folder);
    void stop();
    bool isRunning() const { return m_timer.isActive(); }
    Totals totals() const { return m_totals; }

signals:
    void progressed(const FolderSizeCounter::Totals& totals);
    // complete is false when the cap cut the count short.
    void finished(const FolderSizeCounter::Totals& totals, bool complete);

private:
    void countSlice();

    QTimer m_timer;
    std::unique_ptr<QDirIterator> m_iterator;
    Totals m_totals;
    qint64 m_cap = 1000000;
};
