#include "input/mouse_hook_event.h"

#include <cstdlib>

namespace {

int signOf(qint64 value) {
    return (value > 0) - (value < 0);
}

}  // namespace

int cMouseHookEvent::directionOf(int horizontal, int vertical) {
    // Rows: vertical sign -1, 0, +1; columns: horizontal sign -1, 0, +1.
    static constexpr int kCodes[3][3] = {
        {UpLeft, Up, UpRight},
        {Left, NoDirection, Right},
        {DownLeft, Down, DownRight},
    };
    return kCodes[signOf(vertical) + 1][signOf(horizontal) + 1];
}

int cMouseHookEvent::ActionMove(int index) const {
    return index >= 0 && index < m_actionCount ? m_actionMoves[index] : NoDirection;
}

bool cMouseHookEvent::FireGetMessage(int msgId, int x, int y) {
    bool cancel = false;
    if (m_events.OnGetMessage) {
        m_events.OnGetMessage(msgId, x, y, cancel);
    }
    if (cancel) {
        return true;
    }
    return ProcessMessage(msgId, x, y);
}

bool cMouseHookEvent::ProcessMessage(int msgId, int x, int y) {
    switch (msgId) {
        case WM_MOUSEMOVE: {
            if (!m_tracking) {
                return false;
            }
            const qint64 dx = qint64(x) - m_last.x();
            const qint64 dy = qint64(y) - m_last.y();
            // Longer than the threshold; compared squared, which is exact.
            if (dx * dx + dy * dy > qint64(kMoveThreshold) * kMoveThreshold) {
                const qint64 ax = std::llabs(dx);
                const qint64 ay = std::llabs(dy);
                // At least three times longer along one axis: ay / 3 >= ax, on exact quotients.
                const int vertical = ay >= 3 * ax ? signOf(dy) : 0;
                const int horizontal = ax >= 3 * ay ? signOf(dx) : 0;
                AddAction(horizontal, vertical);
                // A diagonal step records nothing but still moves the anchor.
                m_last = QPoint(x, y);
            }
            // While the right button is held the moves are the gesture's, not the windows'.
            return true;
        }
        case WM_RBUTTONDOWN:
            if (m_replay) {
                return false;  // the replayed press passes
            }
            m_tracking = true;
            m_last = m_press = QPoint(x, y);
            m_actionCount = 0;
            return true;
        case WM_RBUTTONUP:
            if (m_replay) {
                m_replay = false;  // the replayed release passes and ends the replay
                return false;
            }
            if (!m_tracking) {
                // A release whose press was never seen here replays nothing.
                return false;
            }
            m_release = QPoint(x, y);
            m_tracking = false;
            if (m_actionCount > 0) {
                if (m_events.OnActionEnd) {
                    m_events.OnActionEnd(m_actionCount);
                }
            } else {
                m_replay = true;
                if (m_events.replayRightClick) {
                    m_events.replayRightClick(m_press, m_release);
                }
            }
            return false;
        default:
            return false;
    }
}

void cMouseHookEvent::AddAction(int horizontal, int vertical) {
    if (m_actionCount >= kMaxAction) {
        return;
    }
    const int code = directionOf(horizontal, vertical);
    if (code == NoDirection) {
        return;
    }
    if (m_actionCount == 0) {
        if (m_events.OnActionStart) {
            m_events.OnActionStart(code);
        }
    } else if (code == m_actionMoves[m_actionCount - 1]) {
        return;  // a stroke continued in the same direction is one action
    }
    m_actionMoves[m_actionCount] = code;
    ++m_actionCount;
    if (m_events.OnActionMove) {
        m_events.OnActionMove(code, m_actionCount);
    }
}
