#include "app/status_bar1.h"
#include "app/status_bar1_accessible.h"

#include <QDateTime>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOption>
#include <QTimer>
#include <QToolTip>
#include <cmath>

StatusBar1::StatusBar1(float twipsPerPixel, QWidget* parent)
    : QWidget(parent), m_twipsPerPixel(twipsPerPixel), m_clock(new QTimer(this)) {
    setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1Accessible::install();
    m_panels = {
        {{}, {}, 4410},
        {{}, QStringLiteral("現在日付"), 1940},
        {{}, QStringLiteral("現在時刻"), 1058},
        {{}, QStringLiteral("フルスクリーン状態"), 2646},
        {{}, QStringLiteral("ミュート状態"), 2117},
        {{}, QStringLiteral("画面表示状態"), 2293},
        {{}, {}, 2540},
        {{}, {}, 2540},
    };
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    updateClock();
    // Tick on the second so the time panel turns over with the clock.
    connect(m_clock, &QTimer::timeout, this, &StatusBar1::updateClock);
    m_clock->start(1000);
}

void StatusBar1::setPanelText(int panel, const QString& text) {
    Panel& p = m_panels[panel - 1];
    if (p.text != text) {
        p.text = text;
        update(panelRect(panel));
        StatusBar1Accessible::panelTextChanged(this, panel);
    }
}

void StatusBar1::updateClock() {
    const QDateTime now = QDateTime::currentDateTime();
    setPanelText(DatePanel, now.toString(QStringLiteral("yyyy/MM/dd")));
    setPanelText(TimePanel, now.toString(QStringLiteral("H:mm")));
}

QRect StatusBar1::panelRect(int panel) const {
    int x = 0;
    for (int i = 1; i < panel; ++i) {
        x += static_cast<int>(std::lround(m_panels.at(i - 1).widthTwips / m_twipsPerPixel));
    }
    const int w =
        static_cast<int>(std::lround(m_panels.at(panel - 1).widthTwips / m_twipsPerPixel));
    return QRect(x, 0, w, height());
}

int StatusBar1::panelAt(const QPoint& pos) const {
    for (int i = 1; i <= kPanelCount; ++i) {
        if (panelRect(i).contains(pos)) {
            return i;
        }
    }
    return 0;
}

QSize StatusBar1::sizeHint() const {
    return QSize(200, fontMetrics().height() + 8);
}

QSize StatusBar1::minimumSizeHint() const {
    return QSize(0, sizeHint().height());
}

void StatusBar1::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QStyleOptionFrame frame;
    frame.initFrom(this);
    frame.lineWidth = 1;
    frame.frameShape = QFrame::Panel;
    frame.state |= QStyle::State_Sunken;
    for (int i = 1; i <= kPanelCount; ++i) {
        const QRect r = panelRect(i).adjusted(1, 1, -1, -1);
        if (r.left() > width()) {
            break;
        }
        frame.rect = r;
        style()->drawPrimitive(QStyle::PE_Frame, &frame, &painter, this);
        painter.drawText(r.adjusted(4, 0, -4, 0), Qt::AlignVCenter | Qt::AlignLeft,
                         m_panels.at(i - 1).text);
    }
}

void StatusBar1::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        emit rightButtonPressed(event->globalPosition().toPoint());
    }
    event->accept();
}

bool StatusBar1::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const int panel = panelAt(help->pos());
        if (panel > 0 && !panelToolTip(panel).isEmpty()) {
            QToolTip::showText(help->globalPos(), panelToolTip(panel), this, panelRect(panel));
        } else {
            QToolTip::hideText();
            event->ignore();
        }
        return true;
    }
    return QWidget::event(event);
}
