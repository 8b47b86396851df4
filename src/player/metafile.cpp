#include "player/metafile.h"

#include <QDir>
#include <QHash>
#include <QRegularExpression>
#include <QUrl>
#include <QXmlStreamReader>
#include <algorithm>
#include <cmath>

#include "platform/file_name_codec.h"

namespace {

// The protocols a metafile may name besides local files. The player knows more (its own
// internal ones among them, which read other files or memory): those are not taken.
bool isNetworkScheme(const QString& scheme) {
    static const QStringList kSchemes = {
        QStringLiteral("http"),  QStringLiteral("https"), QStringLiteral("rtsp"),
        QStringLiteral("rtsps"), QStringLiteral("rtmp"),  QStringLiteral("mms"),
        QStringLiteral("mmsh"),  QStringLiteral("mmst"),  QStringLiteral("pnm"),
        QStringLiteral("ftp"),
    };
    return kSchemes.contains(scheme);
}

void add(QList<MetafileEntry>& entries, const QString& reference, const QString& folder,
         double seconds = 0) {
    if (entries.size() >= kMaxMetafileEntries) {
        return;
    }
    const QString target = resolveMetafileReference(reference, folder);
    if (!target.isEmpty()) {
        entries.append({target, seconds, {}});
    }
}

// The lines of a text file, each decoded as a file name is (bytes that are not UTF-8 are kept),
// without a byte-order mark and line ends.
QStringList textLines(const QByteArray& data) {
    QByteArray text = data;
    if (text.startsWith("\xEF\xBB\xBF")) {
        text.remove(0, 3);
    }
    QStringList lines;
    for (const QByteArray& line : text.split('\n')) {
        lines.append(decodeFileName(line.trimmed()));
    }
    return lines;
}

QString attribute(const QXmlStreamAttributes& attributes, QStringView name) {
    for (const QXmlStreamAttribute& a : attributes) {
        if (a.name().compare(name, Qt::CaseInsensitive) == 0) {
            return a.value().toString();
        }
    }
    return {};
}

// A RealPix time: seconds, or [[[dd:]hh:]mm:]ss[.xyz]; in milliseconds when the head says so.
double rpTime(const QString& text, bool milliseconds) {
    bool ok = false;
    if (milliseconds) {
        const double ms = text.trimmed().toDouble(&ok);
        return ok && ms >= 0 ? ms / 1000.0 : -1;
    }
    const QStringList parts = text.trimmed().split(u':');
    if (parts.size() > 4) {
        return -1;
    }
    static const double kUnit[] = {1, 60, 3600, 86400};
    double seconds = 0;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const double value = parts[parts.size() - 1 - i].toDouble(&ok);
        if (!ok || value < 0) {
            return -1;
        }
        seconds += value * kUnit[i];
    }
    return std::isfinite(seconds) ? seconds : -1;
}

}  // namespace

MetafileFormat metafileFormatOf(const QString& extension) {
    if (extension == u"asx" || extension == u"wax") {
        return MetafileFormat::Asx;
    }
    if (extension == u"ram") {
        return MetafileFormat::Ram;
    }
    if (extension == u"m3u") {
        return MetafileFormat::M3u;
    }
    if (extension == u"rp") {
        return MetafileFormat::Rp;
    }
    return MetafileFormat::None;
}

QString resolveMetafileReference(const QString& reference, const QString& folder) {
    const QString ref = reference.trimmed();
    if (ref.isEmpty()) {
        return {};
    }
    static const QRegularExpression kAddress(QStringLiteral("^([A-Za-z][A-Za-z0-9+.-]*):"));
    const QRegularExpressionMatch address = kAddress.match(ref);
    // "c:\…" is a Windows drive, not an address: it is taken as a (missing) relative path.
    if (address.hasMatch() && address.capturedLength(1) > 1) {
        const QString scheme = address.captured(1).toLower();
        if (scheme == u"file") {
            const QString local = QUrl(ref).toLocalFile();
            return local.startsWith(u'/') ? QDir::cleanPath(local) : QString();
        }
        const bool hostPart = QStringView(ref).mid(scheme.size()).startsWith(u"://") &&
                              ref.size() > scheme.size() + 3;
        return isNetworkScheme(scheme) && hostPart ? ref : QString();
    }
    QString path = ref;
    path.replace(u'\\', u'/');
    if (!path.startsWith(u'/')) {
        path = folder + u'/' + path;
    }
    return QDir::cleanPath(path);
}

QList<MetafileEntry> parseAsx(const QByteArray& data, const QString& folder) {
    QList<MetafileEntry> entries;
    QXmlStreamReader xml(data);
    // Inside an <entry>, the first <ref> that names something playable is the one played; the
    // others stand in for it, in order, when it cannot be.
    bool inEntry = false;
    qsizetype taken = -1;  // the entry the refs of this <entry> went to
    qsizetype references = 0;
    while (!xml.atEnd() && references < kMaxMetafileEntries) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            const QStringView name = xml.name();
            if (name.compare(u"entry", Qt::CaseInsensitive) == 0) {
                inEntry = true;
                taken = -1;
            } else if (name.compare(u"ref", Qt::CaseInsensitive) == 0 && inEntry) {
                const QString target =
                    resolveMetafileReference(attribute(xml.attributes(), u"href"), folder);
                if (target.isEmpty()) {
                    continue;
                }
                ++references;
                if (taken < 0) {
                    taken = entries.size();
                    entries.append({target, 0, {}});
                } else {
                    entries[taken].alternatives.append(target);
                }
            } else if (name.compare(u"entryref", Qt::CaseInsensitive) == 0) {
                const qsizetype before = entries.size();
                add(entries, attribute(xml.attributes(), u"href"), folder);
                references += entries.size() - before;
            }
        } else if (token == QXmlStreamReader::EndElement &&
                   xml.name().compare(u"entry", Qt::CaseInsensitive) == 0) {
            inEntry = false;
        }
    }
    // A file broken part way keeps the entries before the fault.
    return entries;
}

QList<MetafileEntry> parseRam(const QByteArray& data, const QString& folder) {
    QList<MetafileEntry> entries;
    for (const QString& line : textLines(data)) {
        if (line == u"--stop--") {
            break;  // the player stops reading here
        }
        if (!line.isEmpty() && !line.startsWith(u'#')) {
            add(entries, line, folder);
        }
    }
    return entries;
}

QList<MetafileEntry> parseM3u(const QByteArray& data, const QString& folder) {
    QList<MetafileEntry> entries;
    for (const QString& line : textLines(data)) {
        if (!line.isEmpty() && !line.startsWith(u'#')) {
            add(entries, line, folder);
        }
    }
    return entries;
}

QList<MetafileEntry> parseRp(const QByteArray& data, const QString& folder) {
    // The pictures by handle, then the effects that bring one on at a time; each picture stays
    // until the next effect (a transition is shown as a cut), the last until the show's end.
    QXmlStreamReader xml(data);
    QHash<QString, QString> images;
    QList<std::pair<double, QString>> shows;  // start, handle
    double duration = -1;
    bool milliseconds = false;
    while (!xml.atEnd() && shows.size() < kMaxMetafileEntries) {
        if (xml.readNext() != QXmlStreamReader::StartElement) {
            continue;
        }
        const QString name = xml.name().toString().toLower();
        const QXmlStreamAttributes a = xml.attributes();
        if (name == u"head") {
            milliseconds =
                attribute(a, u"timeformat").compare(u"milliseconds", Qt::CaseInsensitive) == 0;
            duration = rpTime(attribute(a, u"duration"), milliseconds);
        } else if (name == u"image") {
            if (images.size() < kMaxMetafileEntries) {
                images.insert(attribute(a, u"handle"), attribute(a, u"name"));
            }
        } else if (name == u"fadein" || name == u"crossfade" || name == u"wipe" || name == u"cut" ||
                   name == u"viewchange" || name == u"animate") {
            const QString target = attribute(a, u"target");
            const double start = rpTime(attribute(a, u"start"), milliseconds);
            if (!target.isEmpty() && start >= 0) {
                shows.append({start, target});
            }
        }
    }
    std::stable_sort(shows.begin(), shows.end(),
                     [](const auto& x, const auto& y) { return x.first < y.first; });
    constexpr double kLastPictureSeconds = 5;
    QList<MetafileEntry> entries;
    for (qsizetype i = 0; i < shows.size(); ++i) {
        const auto image = images.constFind(shows[i].second);
        if (image == images.cend()) {
            continue;
        }
        double until = i + 1 < shows.size()        ? shows[i + 1].first
                       : duration > shows[i].first ? duration
                                                   : shows[i].first + kLastPictureSeconds;
        const double seconds = until - shows[i].first;
        if (seconds <= 0) {
            continue;  // replaced at once by the next
        }
        // The same picture again in a row stays on.
        const QString target = resolveMetafileReference(*image, folder);
        if (!entries.isEmpty() && entries.back().target == target) {
            entries.back().seconds += seconds;
        } else if (!target.isEmpty()) {
            entries.append({target, seconds, {}});
        }
    }
    return entries;
}

QList<MetafileEntry> parseMetafile(MetafileFormat format, const QByteArray& data,
                                   const QString& folder) {
    switch (format) {
        case MetafileFormat::Asx:
            return parseAsx(data, folder);
        case MetafileFormat::Ram:
            return parseRam(data, folder);
        case MetafileFormat::M3u:
            return parseM3u(data, folder);
        case MetafileFormat::Rp:
            return parseRp(data, folder);
        case MetafileFormat::None:
            break;
    }
    return {};
}
