#include "app/splash.h"

#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QVBoxLayout>

#include "app/logo.h"
#include "app/messages.h"
#include "platform/app_info.h"

frmSplash::frmSplash(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_frame(new QFrame(this)),
      m_logo(new QLabel(m_frame)),
      m_label1(new QLabel(app_msg::splashLabel(), m_frame)),
      m_productName(new QLabel(app_info::title(), m_frame)),
      m_version(new QLabel(app_info::versionLabel(), m_frame)) {
    setObjectName(QStringLiteral("frmSplash"));
    setAttribute(Qt::WA_DeleteOnClose);
    m_frame->setObjectName(QStringLiteral("Frame1"));
    m_frame->setFrameShape(QFrame::Box);
    m_logo->setObjectName(QStringLiteral("imgLogo"));
    m_label1->setObjectName(QStringLiteral("Label1"));
    m_productName->setObjectName(QStringLiteral("lblProductName"));
    m_version->setObjectName(QStringLiteral("lblVersion"));

    m_logo->setPixmap(appLogo(96));
    QFont big = m_productName->font();
    big.setPointSize(24);
    big.setBold(true);
    m_productName->setFont(big);

    auto* text = new QVBoxLayout;
    text->addStretch();
    text->addWidget(m_productName);
    text->addWidget(m_version);
    text->addSpacing(12);
    text->addWidget(m_label1);
    text->addStretch();
    auto* row = new QHBoxLayout(m_frame);
    row->setContentsMargins(24, 24, 32, 24);
    row->setSpacing(24);
    row->addWidget(m_logo);
    row->addLayout(text);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(m_frame);

    // A click anywhere on the frame, its pictures and labels included, closes the window.
    for (QWidget* w : {static_cast<QWidget*>(m_frame), static_cast<QWidget*>(m_logo),
                       static_cast<QWidget*>(m_label1), static_cast<QWidget*>(m_productName),
                       static_cast<QWidget*>(m_version)}) {
        w->installEventFilter(this);
    }
    setFocusPolicy(Qt::StrongFocus);
}

void frmSplash::keyPressEvent(QKeyEvent* event) {
    event->accept();
    close();
}

bool frmSplash::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress) {
        close();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
