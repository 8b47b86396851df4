#include "player/media_kinds.h"

const QStringList& mediaPlayerExtensions() {
    static const QStringList kList = {
        QStringLiteral("m1v"), QStringLiteral("mp2"),  QStringLiteral("mp3"),
        QStringLiteral("mpa"), QStringLiteral("mpe"),  QStringLiteral("au"),
        QStringLiteral("mid"), QStringLiteral("rmi"),  QStringLiteral("qt"),
        QStringLiteral("aif"), QStringLiteral("aifc"), QStringLiteral("aiff"),
        QStringLiteral("asf"), QStringLiteral("asx"),  QStringLiteral("mpeg"),
        QStringLiteral("mpg"), QStringLiteral("wmv"),  QStringLiteral("wma"),
        QStringLiteral("wax"), QStringLiteral("dat"),  QStringLiteral("avi"),
        QStringLiteral("bmp"), QStringLiteral("wav"),  QStringLiteral("jpeg"),
        QStringLiteral("jpg"), QStringLiteral("gif"),  QStringLiteral("tiff"),
        QStringLiteral("tif"), QStringLiteral("vob"),  QStringLiteral("ogm"),
        QStringLiteral("ogg"),
    };
    return kList;
}

const QStringList& addedMediaExtensions() {
    static const QStringList kList = {
        QStringLiteral("mp4"),  QStringLiteral("m4v"),  QStringLiteral("m4a"),
        QStringLiteral("mkv"),  QStringLiteral("webm"), QStringLiteral("mts"),
        QStringLiteral("m2ts"), QStringLiteral("ts"),   QStringLiteral("3gp"),
        QStringLiteral("flac"), QStringLiteral("opus"), QStringLiteral("aac"),
        QStringLiteral("wv"),   QStringLiteral("webp"), QStringLiteral("avif"),
    };
    return kList;
}

const QStringList& realAudioExtensions() {
    static const QStringList kList = {
        QStringLiteral("ram"), QStringLiteral("rm"),  QStringLiteral("ra"), QStringLiteral("mov"),
        QStringLiteral("png"), QStringLiteral("swf"), QStringLiteral("rp"), QStringLiteral("mpv"),
        QStringLiteral("mx3"), QStringLiteral("m3u"),
    };
    return kList;
}

MediaKind mediaKindOf(const QString& extension) {
    if (extension.isEmpty()) {
        return MediaKind::None;
    }
    if (mediaPlayerExtensions().contains(extension, Qt::CaseSensitive) ||
        addedMediaExtensions().contains(extension, Qt::CaseSensitive)) {
        return MediaKind::MediaPlayer;
    }
    if (realAudioExtensions().contains(extension, Qt::CaseSensitive)) {
        return MediaKind::RealAudio;
    }
    return MediaKind::Other;
}
