#pragma once

#include <functional>

struct Module1;

// The one hold that every command changing the disk, the list or the tree takes before it starts:
// the end of a file may no longer move the play list on (mPlayNextFlg), and playback stops so that
// no file is held open. Commands given from the menus and the toolbar first hold the slide show
// alone. The window hands in how playback stops and how the slide show waits.
class PlaybackHold {
public:
    PlaybackHold(Module1& state, std::function<void()> stopPlayback,
                 std::function<void()> stopSlideShow)
        : m_state(state),
          m_stopPlayback(std::move(stopPlayback)),
          m_stopSlideShow(std::move(stopSlideShow)) {}

    // The slide show waits (its timer stopped); what plays goes on.
    void holdSlideShow() const;
    // Nothing advances and nothing plays.
    void hold() const;
    // The end of a file moves the play list on again.
    void release() const;

private:
    Module1& m_state;
    std::function<void()> m_stopPlayback;
    std::function<void()> m_stopSlideShow;
};
