#pragma once

#include <QObject>
#include <QString>
#include <memory>

#include "platform/stepped_call.h"

// Counts the files and folders in a folder tree and adds up their sizes on a thread of its own,
// telling the totals so far now and then, so that a window showing the figures stays alive
// however big the tree is and however slow its disk. Links are counted but not followed.
// Counting stops at a cap and says so.
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
    bool isRunning() const { return m_call != nullptr; }
    Totals totals() const { return m_totals; }

signals:
    void progressed(const FolderSizeCounter::Totals& totals);
    // complete is false when the cap cut the count short.
    void finished(const FolderSizeCounter::Totals& totals, bool complete);

private:
    struct Slice {
        Totals totals;
        bool capped = false;
    };

    std::shared_ptr<SteppedCall<Slice>> m_call;
    Totals m_totals;
    qint64 m_cap = 1000000;
};
