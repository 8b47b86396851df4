#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QProgressDialog>

#include "platform/file_op_progress.h"

// The progress of a long file operation in a progress dialog with a cancel button. The
// operation runs on the window's own thread and lets events run between its chunks of work;
// the dialog appears only when the operation takes a while, and is brought up to date a few
// dozen times a second however often the work reports.
class ProgressDialogProgress : public FileOpProgress {
public:
    explicit ProgressDialogProgress(QWidget* parent = nullptr) : m_parent(parent) {}
    ~ProgressDialogProgress() override;

    void begin(const QString& title, qint64 totalWork) override;
    bool advance(const QString& label, qint64 done) override;
    void end() override;

private:
    QPointer<QWidget> m_parent;
    QProgressDialog* m_dialog = nullptr;
    qint64 m_total = 0;
    QElapsedTimer m_lastUpdate;
};
