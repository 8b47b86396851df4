#pragma once

#include <QString>
#include <QStringList>

// The program's one list of playable files: an extension (without the dot) decides which engine
// plays it. The comparison is exact; callers that may hold upper case lower it first.
enum class MediaKind {
    None,         // no extension: nothing happens
    MediaPlayer,  // played by the media-player engine MediaPlayer1
    RealAudio,    // played by the streaming-audio engine RealAudio1
    Other,        // handed to the program the desktop associates with it
};

// The 31 extensions the media player has always taken.
const QStringList& mediaPlayerExtensions();
// Container and codec extensions in common use today, also played by the media player.
const QStringList& addedMediaExtensions();
const QStringList& realAudioExtensions();

MediaKind mediaKindOf(const QString& extension);
