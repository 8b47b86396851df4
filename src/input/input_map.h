#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointF>
#include <QPointer>
#include <memory>

#include "input/command_map.h"
#include "input/mouse_hook_event.h"

class QKeyEvent;
class QWidget;

// InputMap: the one place where the main window's keys and right-button gestures become
// commands. An event filter on the whole application: it sees the key and mouse events of the
// window's widgets, and of a picture shown on a screen of its own, before they do. Keys are
// looked up in the KeyMap for the part of the window that has the keyboard; text boxes and the
// menu bar keep their keys. While gestures are on, the mouse goes through the gesture recogniser,
// which swallows the right button's press and the moves while it is held; a right click that drew
// nothing is replayed to the widget it was pressed on, context menu included. What is asked for
// leaves through triggered(); the window connects it to whoever carries the command out.
class InputMap : public QObject {
    Q_OBJECT
public:
    explicit InputMap(QWidget& window, QObject* parent = nullptr);
    ~InputMap() override;

    // Keys typed on widget or its children count as typed in context (the rest of the window is
    // InputContext::Form).
    void setContext(QWidget* widget, InputContext context);
    // A picture that may move to a screen of its own: keys and gestures there are the window's,
    // in InputContext::FullScreen.
    void addPicture(QWidget* picture);

    // Gestures on: the recogniser the mouse now goes through. A recogniser already installed is
    // replaced.
    cMouseHookEvent* InstallMouseHook();
    // Gestures off; nothing happens without a recogniser.
    void RemoveMouseHook();
    cMouseHookEvent* mouseEvent() const { return m_mouseEvent.get(); }

signals:
    void triggered(CommandRef command);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct EventMark {
        int type = 0;
        quint64 timestamp = 0;
        int keyOrButton = 0;
        QPointF global;
        const QEvent* keyEvent = nullptr;
        bool operator==(const EventMark&) const = default;
    };

    bool isOurWindow(const QWidget* top) const;
    bool inWindow(const QWidget* widget) const;
    bool keyContext(QObject* receiver, InputContext& context) const;
    bool passedOnFromChild(QObject* receiver, const QEvent* event);
    bool keyEvent(QObject* watched, QEvent* event);
    bool triggerWindowShortcut(const QKeyEvent& key);
    bool MouseHookProc(QObject* watched, QEvent* event);
    void runGesture(int moveDir, int moveCount);
    void replayRightClick(QPoint press, QPoint release);

    QWidget& m_window;
    KeyMap m_keys;
    QHash<const QWidget*, InputContext> m_contexts;
    QList<QPointer<QWidget>> m_pictures;
    std::unique_ptr<cMouseHookEvent> m_mouseEvent;
    QPointer<QWidget> m_pressTarget;  // the widget the right button went down on
    QPoint m_pressPos;                // there, in its own coordinates
    EventMark m_lastMark;
    QPointer<QWidget> m_lastReceiver;
};
