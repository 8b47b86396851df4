#include "player/player_control_bar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProxyStyle>
#include <QSignalBlocker>
#include <QSlider>
#include <QStyle>
#include <QToolButton>
#include <cmath>

#include "player/messages.h"
#include "player/play_time.h"

namespace {

// The seek bar counts in tenths of a second.
constexpr int kSeekSteps = 10;

// A left click on a bar's groove puts the handle where the click fell, as a player's seek and
// volume bars do, instead of moving it one page towards the click.
class JumpToClickStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_Slider_AbsoluteSetButtons) {
            return Qt::LeftButton;
        }
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

}  // namespace

PlayerControlBar::PlayerControlBar(QWidget* parent) : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(4);

    m_playPause = new QToolButton(this);
    m_playPause->setObjectName(QStringLiteral("playPause"));
    m_playPause->setAutoRaise(true);
    m_stop = new QToolButton(this);
    m_stop->setObjectName(QStringLiteral("stop"));
    m_stop->setAutoRaise(true);
    m_stop->setIcon(style()->standardIcon(QStyle::SP_MediaStop));
    m_stop->setToolTip(player_msg::tipStop());
    m_stop->setAccessibleName(player_msg::tipStop());

    m_seek = new QSlider(Qt::Horizontal, this);
    m_seek->setObjectName(QStringLiteral("seek"));
    m_seek->setToolTip(player_msg::tipSeek());
    m_seek->setAccessibleName(player_msg::tipSeek());
    m_seek->setRange(0, 0);

    m_time = new QLabel(this);
    m_time->setObjectName(QStringLiteral("time"));

    m_volume = new QSlider(Qt::Horizontal, this);
    m_volume->setObjectName(QStringLiteral("volume"));
    m_volume->setToolTip(player_msg::tipVolume());
    m_volume->setAccessibleName(player_msg::tipVolume());
    m_volume->setRange(0, 100);
    m_volume->setValue(100);
    m_volume->setFixedWidth(70);

    auto* jumpStyle = new JumpToClickStyle();
    jumpStyle->setParent(this);
    m_seek->setStyle(jumpStyle);
    m_volume->setStyle(jumpStyle);

    // Tab reaches the bar; a click leaves the keyboard with the window's lists.
    for (QWidget* control : {static_cast<QWidget*>(m_playPause), static_cast<QWidget*>(m_stop),
                             static_cast<QWidget*>(m_seek), static_cast<QWidget*>(m_volume)}) {
        control->setFocusPolicy(Qt::TabFocus);
    }
    setTabOrder(m_playPause, m_stop);
    setTabOrder(m_stop, m_seek);
    setTabOrder(m_seek, m_volume);

    layout->addWidget(m_playPause);
    layout->addWidget(m_stop);
    layout->addWidget(m_seek, 1);
    layout->addWidget(m_time);
    layout->addWidget(m_volume);

    connect(m_playPause, &QToolButton::clicked, this,
            [this] { m_playing ? emit pauseClicked() : emit playClicked(); });
    connect(m_stop, &QToolButton::clicked, this, &PlayerControlBar::stopClicked);
    // A drag asks once, where it is let go; a click, a key, the wheel or a value set from
    // outside asks at once. The engine's own position comes in with the bar's signals blocked.
    connect(m_seek, &QSlider::valueChanged, this, [this](int value) {
        if (!m_seek->isSliderDown()) {
            requestSeek(value);
        }
    });
    connect(m_seek, &QSlider::sliderPressed, this, [this] { m_valueAtPress = m_seek->value(); });
    connect(m_seek, &QSlider::sliderReleased, this, [this] {
        // A click on the groove has already asked, as the handle jumped there.
        if (m_seek->value() != m_valueAtPress) {
            requestSeek(m_seek->value());
        }
    });
    connect(m_volume, &QSlider::valueChanged, this, &PlayerControlBar::volumeChanged);

    setPlaying(false);
    updateTime();
}

void PlayerControlBar::requestSeek(int value) {
    emit seekRequested(double(value) / kSeekSteps);
}

void PlayerControlBar::stepPosition(double seconds) {
    m_seek->setValue(m_seek->value() + static_cast<int>(std::lround(seconds * kSeekSteps)));
}

void PlayerControlBar::stepVolume(int steps) {
    m_volume->setValue(m_volume->value() + steps);
}

void PlayerControlBar::setInSight(bool inSight) {
    if (m_inSight == inSight) {
        return;
    }
    m_inSight = inSight;
    for (QWidget* control : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        control->setVisible(inSight);
    }
}

void PlayerControlBar::setDuration(double seconds) {
    m_duration = std::isfinite(seconds) ? std::max(0.0, seconds) : 0;
    const QSignalBlocker block(m_seek);
    m_seek->setRange(0, static_cast<int>(std::lround(m_duration * kSeekSteps)));
    updateTime();
}

void PlayerControlBar::setPosition(double seconds) {
    m_position = std::isfinite(seconds) ? std::max(0.0, seconds) : 0;
    if (!m_seek->isSliderDown()) {
        const QSignalBlocker block(m_seek);
        m_seek->setValue(static_cast<int>(std::lround(m_position * kSeekSteps)));
    }
    updateTime();
}

void PlayerControlBar::setPlaying(bool playing) {
    m_playing = playing;
    m_playPause->setIcon(
        style()->standardIcon(playing ? QStyle::SP_MediaPause : QStyle::SP_MediaPlay));
    m_playPause->setToolTip(playing ? player_msg::tipPause() : player_msg::tipPlay());
    // A reader names the button by what a press does now.
    m_playPause->setAccessibleName(m_playPause->toolTip());
}

void PlayerControlBar::setVolume(int volume) {
    const QSignalBlocker block(m_volume);
    m_volume->setValue(volume);
}

QString PlayerControlBar::timeText() const {
    return m_time->text();
}

void PlayerControlBar::updateTime() {
    m_time->setText(formatPlayTime(m_position) + u" / " + formatPlayTime(m_duration));
}
