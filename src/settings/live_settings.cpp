#include "settings/live_settings.h"

#include "settings/module1.h"

LiveSettings::LiveSettings(Module1& module, QObject* parent) : QObject(parent), m_module(module) {}

void LiveSettings::setMark(bool& mark, bool on, void (LiveSettings::*changed)(bool)) {
    mark = on;
    if (changed != nullptr) {
        emit(this->*changed)(on);
    }
    emit this->changed();
}

void LiveSettings::setScreenSize(int index) {
    if (index < 0 || index > 5) {
        return;
    }
    m_module.mScreenSize = static_cast<qint16>(index);
    emit screenSizeChanged(index);
    emit changed();
}

void LiveSettings::setMute(bool on) {
    setMark(m_module.mMuteState, on, &LiveSettings::muteChanged);
}

void LiveSettings::setAlwaysOnTop(bool on) {
    setMark(m_module.mScreenState, on, &LiveSettings::alwaysOnTopChanged);
}

void LiveSettings::setSlideShow(bool on) {
    setMark(m_module.mSlideShow, on);
}

void LiveSettings::setGridLines(bool on) {
    setMark(m_module.mGridLine, on, &LiveSettings::gridLinesChanged);
}

void LiveSettings::setIconView(bool on) {
    setMark(m_module.mIconDsp, on);
}

void LiveSettings::setTreeLines(bool on) {
    setMark(m_module.mTreeViewLine, on, &LiveSettings::treeLinesChanged);
}

void LiveSettings::setQuickPathPlay(bool on) {
    setMark(m_module.mQuickPathPlay, on);
}

void LiveSettings::setTreeIcons(bool on) {
    setMark(m_module.mTreeViewIcon, on);
}

void LiveSettings::setFileView(bool on) {
    setMark(m_module.mFileView, on, &LiveSettings::fileViewChanged);
}

void LiveSettings::setQuickPathValue(int mode) {
    if (mode < 0 || mode > 2) {
        return;
    }
    m_module.mQuickPathValue = static_cast<qint16>(mode);
    emit quickPathValueChanged(mode);
    emit changed();
}

void LiveSettings::setQuickPaths(const std::array<QString, 7>& paths) {
    m_module.mQuickPath = paths;
    emit quickPathsChanged();
    emit changed();
}

void LiveSettings::announceAll() {
    emit screenSizeChanged(m_module.mScreenSize);
    emit muteChanged(m_module.mMuteState);
    emit alwaysOnTopChanged(m_module.mScreenState);
    emit gridLinesChanged(m_module.mGridLine);
    emit treeLinesChanged(m_module.mTreeViewLine);
    emit fileViewChanged(m_module.mFileView);
    emit quickPathValueChanged(m_module.mQuickPathValue);
    emit quickPathsChanged();
    emit changed();
}
