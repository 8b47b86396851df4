#include "settings/live_settings.h"

#include "settings/module1.h"

LiveSettings::LiveSettings(Module1& module, QObject* parent) : QObject(parent), m_module(module) {}

void LiveSettings::setScreenSize(int index) {
    if (index < 0 || index > 5) {
        return;
    }
    m_module.mScreenSize = static_cast<qint16>(index);
    emit screenSizeChanged(index);
}

void LiveSettings::setMute(bool on) {
    m_module.mMuteState = on;
    emit muteChanged(on);
}

void LiveSettings::setAlwaysOnTop(bool on) {
    m_module.mScreenState = on;
    emit alwaysOnTopChanged(on);
}

void LiveSettings::setSlideShow(bool on) {
    m_module.mSlideShow = on;
    emit slideShowChanged(on);
}

void LiveSettings::setGridLines(bool on) {
    m_module.mGridLine = on;
    emit gridLinesChanged(on);
}

void LiveSettings::setIconView(bool on) {
    m_module.mIconDsp = on;
    emit iconViewChanged(on);
}

void LiveSettings::setTreeLines(bool on) {
    m_module.mTreeViewLine = on;
    emit treeLinesChanged(on);
}

void LiveSettings::setQuickPathValue(int mode) {
    if (mode < 0 || mode > 2) {
        return;
    }
    m_module.mQuickPathValue = static_cast<qint16>(mode);
    emit quickPathValueChanged(mode);
}

void LiveSettings::setQuickPaths(const std::array<QString, 7>& paths) {
    m_module.mQuickPath = paths;
    emit quickPathsChanged();
}

void LiveSettings::announceAll() {
    emit screenSizeChanged(m_module.mScreenSize);
    emit muteChanged(m_module.mMuteState);
    emit alwaysOnTopChanged(m_module.mScreenState);
    emit slideShowChanged(m_module.mSlideShow);
    emit gridLinesChanged(m_module.mGridLine);
    emit iconViewChanged(m_module.mIconDsp);
    emit treeLinesChanged(m_module.mTreeViewLine);
    emit quickPathValueChanged(m_module.mQuickPathValue);
    emit quickPathsChanged();
}
