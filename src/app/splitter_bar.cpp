#include "app/splitter_bar.h"

#include <QMouseEvent>

SplitterBar::SplitterBar(Qt::Orientation orientation, QWidget* parent)
    : QWidget(parent), m_orientation(orientation) {
    setCursor(orientation == Qt::Vertical ? Qt::SplitHCursor : Qt::SplitVCursor);
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);
}

void SplitterBar::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    event->accept();
    emit pressed();
}

void SplitterBar::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton)) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    event->accept();
    const QPoint pos = event->position().toPoint();
    emit moved(m_orientation == Qt::Vertical ? pos.x() : pos.y());
}

void SplitterBar::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    event->accept();
    emit released();
}

ShadowLine::ShadowLine(QWidget* parent) : QWidget(parent) {
    setBackgroundRole(QPalette::Dark);  // the button-shadow colour
    setAutoFillBackground(true);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    hide();
}

void ShadowLine::showEvent(QShowEvent* event) {
    raise();
    QWidget::showEvent(event);
}
