#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <QPointer>

class Form1;
class QApplication;

// SessionEnd: the ways the program is told to end from outside, each brought to the one unload
// sequence of the main window. A request to end (SIGTERM, SIGHUP, SIGINT) closes the modal boxes
// open at the time and any that open while the program ends, lets the start finish, then closes
// the window. Another X client destroying the main window unloads it at once; so does the X
// connection breaking (the display gone), for which Qt ends the process from under us: the
// unload then runs from the process's exit handlers.
class SessionEnd : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT
public:
    explicit SessionEnd(QApplication& app);
    ~SessionEnd() override;

    // The window whose unload sequence ends the program.
    void watch(Form1& form);
    // The start is over: runs the main loop, or unloads at once when the end was asked for
    // during the start. Returns the process's exit code.
    int exec();
    bool requested() const { return m_requested; }
    // A request to end: the boxes close, the settings are saved, the program ends.
    void request();

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void beginEnding();
    static void closeModalBoxes();
    static void unloadAtExit();

    QApplication& m_app;
    QPointer<Form1> m_form;
    bool m_requested = false;
    bool m_running = false;
};
