#include "input/input_map.h"

#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QTimer>
#include <QWidget>

#include "platform/typed_key.h"

namespace {

// Widgets that take typed text or walk their own items by letter keep every key.
bool keepsItsKeys(const QWidget* widget) {
    return qobject_cast<const QLineEdit*>(widget) ||
           qobject_cast<const QAbstractSpinBox*>(widget) ||
           qobject_cast<const QTextEdit*>(widget) || qobject_cast<const QPlainTextEdit*>(widget) ||
           qobject_cast<const QMenuBar*>(widget);
}

}  // namespace

InputMap::InputMap(QWidget& window, QObject* parent) : QObject(parent), m_window(window) {
    QCoreApplication::instance()->installEventFilter(this);
}

InputMap::~InputMap() {
    if (QCoreApplication* app = QCoreApplication::instance()) {
        app->removeEventFilter(this);
    }
}

void InputMap::setContext(QWidget* widget, InputContext context) {
    m_contexts.insert(widget, context);
    connect(widget, &QObject::destroyed, this, [this, widget] { m_contexts.remove(widget); });
}

void InputMap::addPicture(QWidget* picture) {
    m_pictures.append(picture);
}

bool InputMap::isOurWindow(const QWidget* top) const {
    if (top == &m_window) {
        return true;
    }
    for (const QPointer<QWidget>& picture : m_pictures) {
        if (picture && picture->window() == top) {
            return true;
        }
    }
    return false;
}

bool InputMap::inWindow(const QWidget* widget) const {
    return widget != nullptr && isOurWindow(widget->window());
}

bool InputMap::keyContext(QObject* receiver, InputContext& context) const {
    const auto* widget = qobject_cast<const QWidget*>(receiver);
    if (widget == nullptr) {
        return false;  // the native window's turn: its widget is offered the key next
    }
    const QWidget* top = widget->window();
    if (top != &m_window) {
        if (!isOurWindow(top)) {
            return false;
        }
        context = InputContext::FullScreen;
        return true;
    }
    for (const QWidget* w = widget; w != nullptr; w = w->parentWidget()) {
        if (keepsItsKeys(w)) {
            return false;
        }
        const auto found = m_contexts.constFind(w);
        if (found != m_contexts.constEnd()) {
            context = *found;
            return true;
        }
    }
    context = InputContext::Form;
    return true;
}

bool InputMap::passedOnFromChild(QObject* receiver, const QEvent* event) {
    // An event a widget leaves alone is offered to its parents in turn (a mouse event as a copy
    // of its own): only the first widget's look counts.
    EventMark mark;
    mark.type = event->type();
    mark.timestamp = static_cast<const QInputEvent*>(event)->timestamp();
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
        mark.keyOrButton = static_cast<const QKeyEvent*>(event)->key();
        mark.keyEvent = event;
    } else {
        const auto* mouse = static_cast<const QMouseEvent*>(event);
        mark.keyOrButton = mouse->button();
        mark.global = mouse->globalPosition();
    }
    auto* widget = qobject_cast<QWidget*>(receiver);
    const bool fromChild = mark == m_lastMark && widget != nullptr && m_lastReceiver &&
                           widget->isAncestorOf(m_lastReceiver);
    m_lastMark = mark;
    m_lastReceiver = widget;
    return fromChild;
}

bool InputMap::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
            return keyEvent(watched, event);
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseMove:
        case QEvent::ContextMenu:
            return m_mouseEvent && MouseHookProc(watched, event);
        default:
            return false;
    }
}

bool InputMap::keyEvent(QObject* watched, QEvent* event) {
    // A key a text box leaves alone goes on to its parents, the list for one: it stays the
    // text box's.
    if (!watched->isWidgetType() || passedOnFromChild(watched, event)) {
        return false;
    }
    InputContext context = InputContext::Form;
    if (!keyContext(watched, context)) {
        return false;
    }
    const auto* key = static_cast<const QKeyEvent*>(event);
    const KeyAction action =
        event->type() == QEvent::KeyPress
            ? m_keys.press(key->key(), key->modifiers(), isTypedCharacter(*key), context)
            : m_keys.release(key->key(), key->modifiers(), key->isAutoRepeat(), context);
    if (action.windowShortcut) {
        return triggerWindowShortcut(*key);
    }
    if (action.command.id != CommandId::None) {
        emit triggered(action.command);
    }
    return action.swallow;
}

bool InputMap::triggerWindowShortcut(const QKeyEvent& key) {
    // The window's menu shortcuts do not reach a picture on a screen of its own.
    const QKeySequence pressed(key.keyCombination());
    for (QAction* action : m_window.actions()) {
        if (action->isEnabled() && action->shortcut() == pressed) {
            action->trigger();
            return true;
        }
    }
    return false;
}

bool InputMap::MouseHookProc(QObject* watched, QEvent* event) {
    cMouseHookEvent& hook = *m_mouseEvent;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr) {
        return false;  // the native window's turn: the widget under the mouse is next
    }
    if (event->type() == QEvent::ContextMenu) {
        // The menu the system asks for as the right button goes down waits for its release.
        return static_cast<QContextMenuEvent*>(event)->reason() == QContextMenuEvent::Mouse &&
               hook.isTracking();
    }
    const auto* mouse = static_cast<const QMouseEvent*>(event);
    const QPoint at = mouse->globalPosition().toPoint();
    switch (event->type()) {
        case QEvent::MouseMove:
            if (hook.isTracking() && !(mouse->buttons() & Qt::RightButton)) {
                hook.CancelTracking();  // its release went where nothing could see it
                return false;
            }
            return hook.FireGetMessage(cMouseHookEvent::WM_MOUSEMOVE, at.x(), at.y());
        case QEvent::MouseButtonPress:
            // Gestures start only on the window's own widgets, never on a dialog or a menu.
            if (mouse->button() != Qt::RightButton || !inWindow(widget) ||
                passedOnFromChild(watched, event)) {
                return false;
            }
            if (!hook.isReplaying()) {
                m_pressTarget = widget;
                m_pressPos = mouse->position().toPoint();
            }
            return hook.FireGetMessage(cMouseHookEvent::WM_RBUTTONDOWN, at.x(), at.y());
        case QEvent::MouseButtonDblClick:
            // The second click of a quick pair is a press like the first.
            return mouse->button() == Qt::RightButton && hook.isTracking();
        case QEvent::MouseButtonRelease:
            if (mouse->button() != Qt::RightButton || passedOnFromChild(watched, event)) {
                return false;
            }
            return hook.FireGetMessage(cMouseHookEvent::WM_RBUTTONUP, at.x(), at.y());
        default:
            return false;
    }
}

cMouseHookEvent* InputMap::InstallMouseHook() {
    RemoveMouseHook();
    cMouseHookEvent::Events events;
    events.OnActionMove = [this](int moveDir, int moveCount) { runGesture(moveDir, moveCount); };
    events.replayRightClick = [this](QPoint press, QPoint release) {
        replayRightClick(press, release);
    };
    m_mouseEvent = std::make_unique<cMouseHookEvent>(std::move(events));
    return m_mouseEvent.get();
}

void InputMap::RemoveMouseHook() {
    m_mouseEvent.reset();
}

void InputMap::runGesture(int moveDir, int moveCount) {
    // Each new stroke of a gesture acts once more than the one before it. The old media player
    // had its option 1021 set to false after every action; libmpv has no counterpart, so nothing
    // is set here.
    const CommandId command = gestureCommand(moveDir);
    if (command == CommandId::None) {
        return;
    }
    for (int i = 0; i < cMouseHookEvent::kMaxAction && i < moveCount; ++i) {
        emit triggered(command);
    }
}

void InputMap::replayRightClick(QPoint press, QPoint release) {
    // Once the real release has gone its way, as the system would deliver a click.
    QTimer::singleShot(0, this, [this, press, release] {
        QPointer<QWidget> target =
            m_pressTarget ? m_pressTarget.data() : QApplication::widgetAt(press);
        if (!target) {
            // Nowhere to click: the replay ends as if its press and release had passed.
            if (m_mouseEvent) {
                m_mouseEvent->FireGetMessage(cMouseHookEvent::WM_RBUTTONDOWN, press.x(), press.y());
                m_mouseEvent->FireGetMessage(cMouseHookEvent::WM_RBUTTONUP, release.x(),
                                             release.y());
            }
            return;
        }
        const QPoint local = target == m_pressTarget ? m_pressPos : target->mapFromGlobal(press);
        QMouseEvent down(QEvent::MouseButtonPress, local, press, Qt::RightButton, Qt::RightButton,
                         QApplication::keyboardModifiers());
        QApplication::sendEvent(target, &down);
        if (target) {
            QContextMenuEvent menu(QContextMenuEvent::Mouse, local, press,
                                   QApplication::keyboardModifiers());
            QApplication::sendEvent(target, &menu);
        }
        if (target) {
            QMouseEvent up(QEvent::MouseButtonRelease, target->mapFromGlobal(release), release,
                           Qt::RightButton, Qt::NoButton, QApplication::keyboardModifiers());
            QApplication::sendEvent(target, &up);
        } else if (m_mouseEvent && m_mouseEvent->isReplaying()) {
            m_mouseEvent->FireGetMessage(cMouseHookEvent::WM_RBUTTONUP, release.x(), release.y());
        }
    });
}
