#pragma once

#include <QPoint>
#include <functional>

// cMouseHookEvent: recognises right-button gestures in the mouse messages it is fed, in screen
// pixels. While the right button is held, every step longer than MoveThreshold that runs at
// least three times further along one axis than along the other records a direction (up, right,
// down, left); a step in the same direction as the last one continues it, a diagonal step records
// nothing. Up to MaxAction directions make one gesture. A right click that drew nothing is handed
// back to be replayed, so context menus keep working. Pure logic: whoever feeds it swallows the
// messages it says to swallow and replays the click it asks for.
class cMouseHookEvent {
public:
    // The mouse messages the recogniser tells apart; others pass untouched.
    enum Message { WM_MOUSEMOVE = 512, WM_RBUTTONDOWN = 516, WM_RBUTTONUP = 517 };
    // Direction codes, clockwise from up (screen y grows downward).
    enum Direction {
        NoDirection = -1,
        Up = 0,
        UpRight = 1,
        Right = 2,
        DownRight = 3,
        Down = 4,
        DownLeft = 5,
        Left = 6,
        UpLeft = 7,
    };
    static constexpr int kMaxAction = 8;
    static constexpr int kMoveThreshold = 10;

    // What the recogniser tells its listener. Each may be left empty.
    struct Events {
        // Every message, first; setting cancel swallows it without recognising anything.
        std::function<void(int msgId, int x, int y, bool& cancel)> OnGetMessage;
        std::function<void(int moveDir)> OnActionStart;
        // A direction was recorded; moveCount is how many the gesture has now.
        std::function<void(int moveDir, int moveCount)> OnActionMove;
        std::function<void(int moveCount)> OnActionEnd;
        // The right button went down at press and up at release without drawing anything: a
        // right click (press, then release) is to be replayed there. The replayed press and
        // release pass back through FireGetMessage unchanged.
        std::function<void(QPoint press, QPoint release)> replayRightClick;
    };

    cMouseHookEvent() = default;
    explicit cMouseHookEvent(Events events) : m_events(std::move(events)) {}
    void setEvents(Events events) { m_events = std::move(events); }

    // Feeds one message at a screen point; true when it is to be swallowed.
    bool FireGetMessage(int msgId, int x, int y);
    // The right button was let go where the feeder could not see it: the gesture ends with no
    // action and no replayed click.
    void CancelTracking() { m_tracking = false; }

    int ActionCount() const { return m_actionCount; }
    // The code recorded at index (0-based), -1 outside 0 .. ActionCount() - 1.
    int ActionMove(int index) const;
    int MaxAction() const { return kMaxAction; }
    bool isTracking() const { return m_tracking; }
    bool isReplaying() const { return m_replay; }

    // The direction code of a horizontal and a vertical sign (each -1, 0 or 1); NoDirection for
    // (0, 0).
    static int directionOf(int horizontal, int vertical);

private:
    bool ProcessMessage(int msgId, int x, int y);
    void AddAction(int horizontal, int vertical);

    Events m_events;
    int m_actionMoves[kMaxAction] = {};
    int m_actionCount = 0;
    bool m_tracking = false;
    bool m_replay = false;
    QPoint m_press;
    QPoint m_release;
    QPoint m_last;  // anchor of the current stroke
};
