#include "app/session_end.h"

#include <xcb/xcb.h>
#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QThread>
#include <cstdlib>

#include "app/form1.h"

namespace {

// The window the exit handler unloads; null but while Main holds it.
Form1* g_form = nullptr;

bool isModalBox(QObject* object) {
    auto* box = qobject_cast<QDialog*>(object);
    return box != nullptr && box->isWindow() && box->windowModality() != Qt::NonModal;
}

}  // namespace

SessionEnd::SessionEnd(QApplication& app) : m_app(app) {
    static const bool registered = std::atexit(&SessionEnd::unloadAtExit) == 0;
    Q_UNUSED(registered);
}

SessionEnd::~SessionEnd() {
    if (m_form && g_form == m_form) {
        g_form = nullptr;
    }
}

void SessionEnd::watch(Form1& form) {
    m_form = &form;
    g_form = &form;
    if (QGuiApplication::platformName() == u"xcb") {
        m_app.installNativeEventFilter(this);
    }
    connect(&form, &QObject::destroyed, this, [] { g_form = nullptr; });
}

int SessionEnd::exec() {
    if (m_requested) {
        if (m_form) {
            m_form->Form_Unload();
        }
        return 0;
    }
    m_running = true;
    return QApplication::exec();
}

void SessionEnd::beginEnding() {
    if (!m_requested) {
        m_requested = true;
        // A box that opens while the program ends (a command going on after its question was
        // closed, an error while saving) must not hold the end up either.
        m_app.installEventFilter(this);
    }
    closeModalBoxes();
}

void SessionEnd::request() {
    beginEnding();
    // Closed from the main loop once the boxes have returned; during the start, exec() unloads
    // when the start is over, so the settings saved are the ones loaded.
    if (m_running && m_form) {
        QMetaObject::invokeMethod(m_form, &QWidget::close, Qt::QueuedConnection);
    }
}

void SessionEnd::closeModalBoxes() {
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget* window : windows) {
        if (window->isVisible() && isModalBox(window)) {
            static_cast<QDialog*>(window)->reject();
        }
    }
}

bool SessionEnd::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Show && isModalBox(watched)) {
        QMetaObject::invokeMethod(static_cast<QDialog*>(watched), &QDialog::reject,
                                  Qt::QueuedConnection);
    }
    return QObject::eventFilter(watched, event);
}

bool SessionEnd::nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) {
    Q_UNUSED(result);
    if (eventType != "xcb_generic_event_t" || !m_form || m_form->isUnloaded()) {
        return false;
    }
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != XCB_DESTROY_NOTIFY) {
        return false;
    }
    // Qt destroys the window only after the unload; another client has taken it away. The
    // window is gone, so the unload runs without closing it.
    const auto* destroyed = static_cast<const xcb_destroy_notify_event_t*>(message);
    if (destroyed->window != m_form->internalWinId() || m_form->internalWinId() == 0) {
        return false;
    }
    beginEnding();
    if (m_running) {
        QMetaObject::invokeMethod(m_form, &Form1::Form_Unload, Qt::QueuedConnection);
    }
    return false;
}

void SessionEnd::unloadAtExit() {
    // Qt calls exit() on the UI thread when it finds the X connection broken; any other exit
    // comes after Main has returned, when there is no window left.
    if (g_form == nullptr || QCoreApplication::instance() == nullptr ||
        QThread::currentThread() != QCoreApplication::instance()->thread()) {
        return;
    }
    g_form->unloadWithoutDisplay();
}
