#pragma once

#include <QRect>
#include <QSize>
#include <optional>

// How a surface shows the picture: the six display sizes of the options menu come down to these.
enum class VideoSize {
    Fit,         // the whole surface, aspect kept
    Half,        // half the picture's own size, centred
    Actual,      // the picture's own size, centred
    Double,      // twice the picture's own size, centred
    FullScreen,  // a screen of its own, aspect kept
};

// The display-size value of the media-player engine for a display size index (0-5): 4 fit,
// 1 half, 0 default, 2 double, 3 full screen, 0 default. std::nullopt outside 0-5.
std::optional<int> mediaPlayerDisplaySize(int dspIndex);

// What a media-player display-size value shows; an unknown value fits.
VideoSize videoSizeOfMediaPlayer(int displaySize);

// The calls the streaming engine gets for a display size index: whether to keep the aspect, and
// which size to take. std::nullopt outside 0-5.
struct StreamingSizeCall {
    enum Size { Natural, Double, FullScreen };
    bool keepAspect = false;
    Size size = Natural;
};
std::optional<StreamingSizeCall> streamingSizeCall(int dspIndex);

// Where the picture goes inside an area of the given size. A picture without a size (sound only,
// or not known yet) takes the whole area.
QRect videoRect(VideoSize size, QSize picture, QSize area);
