#pragma once

#include <QWidget>

// A splitter bar between two panes of the main window. It never moves itself: it reports the
// left-button press, every move of the pointer while that button is held, and the release, each
// move with the pointer's offset in pixels from the bar's own left edge (a vertical bar, between
// the columns) or top edge (a horizontal bar, between the tree and the list). The window keeps
// the one drag flag both bars share and moves the panes when a bar is let go.
class SplitterBar : public QWidget {
    Q_OBJECT
public:
    // Qt::Vertical: a bar standing between two columns, dragged sideways.
    explicit SplitterBar(Qt::Orientation orientation, QWidget* parent = nullptr);

    Qt::Orientation orientation() const { return m_orientation; }

signals:
    void pressed();
    void moved(int offset);
    void released();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    Qt::Orientation m_orientation;
};

// The line drawn where a splitter bar would land while it is dragged. It is hidden until the
// first move of a drag, lets every mouse event through to what lies below, and comes up above
// the panes it crosses.
class ShadowLine : public QWidget {
    Q_OBJECT
public:
    explicit ShadowLine(QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;
};
