#include "player/display_size.h"

#include "settings/module1.h"

std::optional<int> mediaPlayerDisplaySize(int dspIndex) {
    static constexpr int kValues[DspsizeItem::kCount] = {4, 1, 0, 2, 3, 0};
    if (dspIndex < 0 || dspIndex >= DspsizeItem::kCount) {
        return std::nullopt;
    }
    return kValues[dspIndex];
}

VideoSize videoSizeOfMediaPlayer(int displaySize) {
    switch (displaySize) {
        case 0:
            return VideoSize::Actual;
        case 1:
            return VideoSize::Half;
        case 2:
            return VideoSize::Double;
        case 3:
            return VideoSize::FullScreen;
        default:
            return VideoSize::Fit;
    }
}

std::optional<StreamingSizeCall> streamingSizeCall(int dspIndex) {
    using S = StreamingSizeCall;
    switch (dspIndex) {
        case DspsizeItem::FitWindow:
            return S{true, S::Natural};
        case DspsizeItem::Half:
        case DspsizeItem::Actual:
        case DspsizeItem::FollowForm:
            return S{false, S::Natural};
        case DspsizeItem::Double:
            return S{false, S::Double};
        case DspsizeItem::FullScreen:
            return S{true, S::FullScreen};
        default:
            return std::nullopt;
    }
}

QRect videoRect(VideoSize size, QSize picture, QSize area) {
    const QRect whole(QPoint(0, 0), area);
    if (size == VideoSize::Fit || size == VideoSize::FullScreen || picture.width() < 1 ||
        picture.height() < 1) {
        return whole;
    }
    QSize shown = picture;
    if (size == VideoSize::Half) {
        shown = QSize(std::max(1, picture.width() / 2), std::max(1, picture.height() / 2));
    } else if (size == VideoSize::Double) {
        shown = picture * 2;
    }
    // Centred; a picture larger than the area shows its middle.
    return QRect(QPoint((area.width() - shown.width()) / 2, (area.height() - shown.height()) / 2),
                 shown);
}
