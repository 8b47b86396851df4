#include "settings/file_types.h"

#include <algorithm>

#include "settings/module1.h"

namespace {

QList<FileType> addedTypes() {
    struct Group {
        const char16_t* extensions;
        const char16_t* description;
    };
    static constexpr Group kGroups[] = {
        {u"rm ra", u"RealAudio、RealMediaファイル"},
        {u"ram", u"RAM メタ ファイル"},
        {u"wmv wma wax rmi asf asx", u"Windows Media ファイル"},
        {u"mpg mpeg m1v mp2 mp3 mpa mpe mpv mx3", u"MPEG ファイル"},
        {u"m3u", u"MPEG URL (MIME オーディオ ファイル)"},
        {u"swf", u"Macromedia Flash"},
        {u"mid", u"MIDIファイル"},
        {u"au", u"オーディオ ファイル"},
        {u"mnd", u"RealOne Music"},
        {u"rp", u"RealPix"},
        {u"vob", u"DVD ビデオ ファイル"},
        {u"qt aifc mov", u"Apple QuickTime, Macintosh AIFF リソース ファイル"},
        {u"dat", u"ビデオCDファイル"},
        {u"avi", u"aviファイル"},
        {u"wav", u"Wavファイル"},
        {u"png", u"Portable Network Graphics イメージ ファイル"},
        {u"jpg", u"JPGファイル"},
        {u"jpeg", u"JPEGファイル"},
        {u"bmp", u"BMPファイル"},
        {u"tif", u"TIFファイル"},
        {u"tiff", u"TIFFファイル"},
        {u"gif", u"GIFファイル"},
        {u"ogm", u"OGMファイル"},
        {u"ogg", u"OGGファイル"},
    };
    QList<FileType> types;
    for (const Group& group : kGroups) {
        const QString description = QString::fromUtf16(group.description);
        for (const QString& extension :
             QString::fromUtf16(group.extensions).split(u' ', Qt::SkipEmptyParts)) {
            types.append({extension, description});
        }
    }
    return types;
}

}  // namespace

const QList<FileType>& extraFileTypes() {
    static const QList<FileType> types = {
        {QStringLiteral("3gp"), QStringLiteral("3GPP ビデオ ファイル")},
        {QStringLiteral("aac"), QStringLiteral("AAC オーディオ ファイル")},
        {QStringLiteral("avif"), QStringLiteral("AVIF イメージ ファイル")},
        {QStringLiteral("flac"), QStringLiteral("FLAC オーディオ ファイル")},
        {QStringLiteral("m2ts"), QStringLiteral("MPEG-2 TS ビデオ ファイル (Blu-ray)")},
        {QStringLiteral("m4a"), QStringLiteral("MPEG-4 オーディオ ファイル")},
        {QStringLiteral("m4v"), QStringLiteral("MPEG-4 ビデオ ファイル")},
        {QStringLiteral("mkv"), QStringLiteral("Matroska ビデオ ファイル")},
        {QStringLiteral("mp4"), QStringLiteral("MPEG-4 ファイル")},
        {QStringLiteral("mts"), QStringLiteral("AVCHD ビデオ ファイル")},
        {QStringLiteral("opus"), QStringLiteral("Opus オーディオ ファイル")},
        {QStringLiteral("ts"), QStringLiteral("MPEG-2 TS ビデオ ファイル")},
        {QStringLiteral("webm"), QStringLiteral("WebM ビデオ ファイル")},
        {QStringLiteral("webp"), QStringLiteral("WebP イメージ ファイル")},
        {QStringLiteral("wv"), QStringLiteral("WavPack オーディオ ファイル")},
    };
    return types;
}

const QList<FileType>& fileTypesAsAdded() {
    static const QList<FileType> types = addedTypes();
    return types;
}

const QList<FileType>& fileTypesByExtension() {
    static const QList<FileType> types = [] {
        QList<FileType> sorted = fileTypesAsAdded();
        std::stable_sort(sorted.begin(), sorted.end(), [](const FileType& a, const FileType& b) {
            return a.extension.compare(b.extension, Qt::CaseInsensitive) < 0;
        });
        return sorted;
    }();
    return types;
}

QString playPatterns(const QStringList& tickedExtensions) {
    QString patterns;
    for (const QString& extension : tickedExtensions) {
        patterns += u"*." + extension + u';';
    }
    return patterns;
}

QString extraPlayKinds(const QList<bool>& ticked) {
    QStringList extensions;
    const QList<FileType>& types = extraFileTypes();
    for (qsizetype n = 0; n < types.size() && n < ticked.size(); ++n) {
        if (ticked[n]) {
            extensions << types[n].extension;
        }
    }
    return playPatterns(extensions).chopped(extensions.isEmpty() ? 0 : 1);
}

QString allExtraFileKinds() {
    return extraPlayKinds(QList<bool>(extraFileTypes().size(), true));
}
