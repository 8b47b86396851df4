#include "settings/up_down.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

clsUpdown::~clsUpdown() {
    delete m_spinner;
}

void clsUpdown::Create(QLineEdit* textBox, int upper, int lower) {
    m_textBox = textBox;
    m_lower = lower;
    m_upper = upper;
    m_position = lower;

    auto* spinner = new QWidget(textBox->parentWidget());
    spinner->setObjectName(QStringLiteral("UpDown"));
    auto* column = new QVBoxLayout(spinner);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    m_up = new QToolButton(spinner);
    m_up->setArrowType(Qt::UpArrow);
    m_down = new QToolButton(spinner);
    m_down->setArrowType(Qt::DownArrow);
    for (QToolButton* arrow : {m_up, m_down}) {
        arrow->setAutoRepeat(true);
        arrow->setFocusPolicy(Qt::NoFocus);
        arrow->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
        column->addWidget(arrow);
    }
    connect(m_up, &QToolButton::clicked, this, [this] { step(1); });
    connect(m_down, &QToolButton::clicked, this, [this] { step(-1); });
    m_spinner = spinner;

    place();
    spinner->show();
    spinner->raise();
    textBox->installEventFilter(this);
}

void clsUpdown::place() {
    if (!m_textBox || !m_spinner) {
        return;
    }
    // Over the right end of the box, two pixels in from its top and bottom edges.
    const QRect box = m_textBox->geometry();
    m_spinner->setGeometry(box.x() + box.width() - 20, box.y() + 2, 18, box.height() - 4);
}

void clsUpdown::step(int delta) {
    if (!m_textBox) {
        return;
    }
    bool ok = false;
    const int typed = m_textBox->text().trimmed().toInt(&ok);
    if (ok && (typed < m_lower || typed > m_upper)) {
        // A number outside the range comes back to its nearer end first.
        m_position = typed < m_lower ? m_lower : m_upper;
    } else {
        m_position = std::clamp((ok ? typed : m_position) + delta, m_lower, m_upper);
    }
    m_textBox->setText(QString::number(m_position));
}

bool clsUpdown::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_textBox && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            step(key == Qt::Key_Up ? 1 : -1);
            return true;
        }
    }
    if (watched == m_textBox &&
        (event->type() == QEvent::Move || event->type() == QEvent::Resize)) {
        place();
    }
    return QObject::eventFilter(watched, event);
}
