#include "settings/playback_hold.h"

#include "settings/module1.h"

void PlaybackHold::holdSlideShow() const {
    if (m_stopSlideShow) {
        m_stopSlideShow();
    }
}

void PlaybackHold::hold() const {
    m_state.mPlayNextFlg = false;
    if (m_stopPlayback) {
        m_stopPlayback();
    }
}

void PlaybackHold::release() const {
    m_state.mPlayNextFlg = true;
}
