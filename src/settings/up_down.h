#pragma once

#include <QObject>
#include <QPointer>

class QLineEdit;
class QToolButton;
class QWidget;

// clsUpdown: a pair of arrows attached to a text box, which step the whole number in the box
// within a range. The box stays an ordinary text box: anything can be typed into it, and only
// the arrows (and the Up and Down keys in the box) keep the number within the range. The arrows
// stand over the box's right end and go when the object does.
class clsUpdown : public QObject {
    Q_OBJECT
public:
    clsUpdown() = default;
    ~clsUpdown() override;

    // Attaches the arrows to the box; the position starts at lower.
    void Create(QLineEdit* textBox, int upper, int lower);

    // The arrows, nullptr before Create.
    QWidget* spinner() const { return m_spinner; }
    QToolButton* upArrow() const { return m_up; }
    QToolButton* downArrow() const { return m_down; }

    // One step up (+1) or down (-1) from the number in the box, or from the last position when
    // the box holds no number; a number outside the range goes to the range's nearer end.
    void step(int delta);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void place();

    QPointer<QLineEdit> m_textBox;
    QPointer<QWidget> m_spinner;
    QToolButton* m_up = nullptr;
    QToolButton* m_down = nullptr;
    int m_lower = 0;
    int m_upper = 0;
    int m_position = 0;
};
