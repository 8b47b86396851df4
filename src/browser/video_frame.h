#pragma once

#include <QImage>
#include <QString>

// A picture of a video or sound file for its thumbnail, through FFmpeg's libraries: the cover
// art a file carries (an attached picture: the sleeve of an MP3, the poster of a video), else a
// frame a little way into the video, past the black of its first frames. Scaled so that its
// longer edge is at most `side`. Null when the file has neither or cannot be read.
QImage videoFrame(const QString& path, int side);
