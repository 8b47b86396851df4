#include "platform/progress_dialog.h"

#include <QCoreApplication>

#include "platform/messages.h"

namespace {
constexpr int kSteps = 1000;
// The dialog is brought up to date at most this often: drawing it and running events for every
// block of work would cost more than the work.
constexpr int kUpdateMs = 40;
}  // namespace

ProgressDialogProgress::~ProgressDialogProgress() {
    end();
}

void ProgressDialogProgress::begin(const QString& title, qint64 totalWork) {
    end();
    m_total = totalWork;
    m_lastUpdate.invalidate();
    m_dialog = new QProgressDialog(QString(), platform_msg::progressCancel(), 0, kSteps, m_parent);
    m_dialog->setWindowTitle(title);
    m_dialog->setWindowModality(Qt::WindowModal);
    m_dialog->setMinimumDuration(500);
    m_dialog->setAutoClose(false);
    m_dialog->setAutoReset(false);
    // Work of unknown size shows a busy bar; its label says how far it has got.
    if (totalWork <= 0) {
        m_dialog->setRange(0, 0);
    }
    m_dialog->setValue(0);
}

bool ProgressDialogProgress::advance(const QString& label, qint64 done) {
    if (m_dialog == nullptr) {
        return true;
    }
    if (m_lastUpdate.isValid() && m_lastUpdate.elapsed() < kUpdateMs) {
        return !m_dialog->wasCanceled();
    }
    m_lastUpdate.start();
    if (m_dialog->labelText() != label) {
        m_dialog->setLabelText(label);
    }
    const qint64 step = m_total > 0 ? done * kSteps / m_total : 0;
    m_dialog->setValue(static_cast<int>(qBound(qint64{0}, step, qint64{kSteps - 1})));
    // Until the dialog is up and holds the window, a click must not start a second operation
    // in the middle of this one.
    QCoreApplication::processEvents(m_dialog->isVisible() ? QEventLoop::AllEvents
                                                          : QEventLoop::ExcludeUserInputEvents);
    return !m_dialog->wasCanceled();
}

void ProgressDialogProgress::end() {
    delete m_dialog;
    m_dialog = nullptr;
}
